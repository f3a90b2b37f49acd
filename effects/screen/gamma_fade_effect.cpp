#include "effects/screen/gamma_fade_effect.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/direct_draw.h"
#include "graphics/pixel_ops.h"
#include "graphics/surface_resource.h"
#include "platform/clock.h"

namespace {

class CProgramFadeDisplay : public IFadeDisplay {
public:
    bool HasPrimary() override { return Primary() != nullptr; }
    // The program's display offers no gamma ramps.
    bool HasGammaControl() override { return false; }
    bool IsSoftwareTint() override { return Primary() && Primary()->HasSoftwareTint(); }
    void ReadGammaRamp(uint16_t ramp[RAMP_SIZE]) override { std::fill(ramp, ramp + RAMP_SIZE, uint16_t(0)); }
    void SetGammaRamp(const uint16_t ramp[RAMP_SIZE]) override {
        if (CSurfaceResource* primary = Primary()) primary->SetGammaRamp(ramp);
    }
    void ReadTint(uint8_t tint[4]) override {
        CSurfaceResource* primary = Primary();
        if (!primary) return;
        tint[0] = primary->TintRed();
        tint[1] = primary->TintGreen();
        tint[2] = primary->TintBlue();
        tint[3] = primary->TintAlpha();
    }
    void SetTint(const uint8_t tint[4]) override {
        if (CSurfaceResource* primary = Primary()) primary->SetScreenTint(tint[0], tint[1], tint[2], tint[3]);
    }
    void SetBrightnessLevel(float percent) override {
        if (CSurfaceResource* primary = Primary()) primary->SetBrightnessLevel(percent);
    }
    void FillPrimary(uint32_t colour) override {
        CSurfaceResource* primary = Primary();
        if (!primary) return;
        // 0x00BBGGRR to 0x00RRGGBB, then to the surface's own layout.
        const uint32_t rgb = (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
        primary->FillSurface(ColorToPixel(rgb, g_pDirectDraw->GetPixelKind()), nullptr);
    }

private:
    static CSurfaceResource* Primary() {
        return g_pDirectDraw ? g_pDirectDraw->GetPrimarySurface() : nullptr;
    }
};

uint16_t RoundRamp(double value) {
    return uint16_t(std::clamp(std::lround(value), 0L, 65535L));
}

uint8_t RoundTint(double value) {
    return uint8_t(std::clamp(std::lround(value), 0L, 255L));
}

}  // namespace

IFadeDisplay& ProgramFadeDisplay() {
    static CProgramFadeDisplay display;
    return display;
}

CGammaFadeEffect::CGammaFadeEffect(IFadeDisplay* display)
    : m_pDisplay(display ? display : &ProgramFadeDisplay()) {}

bool CGammaFadeEffect::Create() {
    m_kind = SCREEN_EFFECT_GAMMA_FADE;
    m_colour = 0;
    return true;
}

bool CGammaFadeEffect::Start(uint8_t direction, const uint8_t colour[4], uint32_t durationMs) {
    m_direction = direction;
    m_colour = uint32_t(colour[0]) | uint32_t(colour[1]) << 8 | uint32_t(colour[2]) << 16 |
               uint32_t(colour[3]) << 24;
    m_duration = durationMs;
    m_running = 1;
    m_finished = 0;
    m_startTime = plat::timeGetTime();
    if (!m_pDisplay->HasPrimary()) {
        m_finished = 1;
        return true;
    }
    const bool software = m_pDisplay->IsSoftwareTint();
    if (!software && !m_pDisplay->HasGammaControl()) {
        m_finished = 1;  // nothing to fade
        return true;
    }
    SetTarget(colour[0], colour[1], colour[2]);
    Capture();
    if (software) m_targetTint[3] = 255;
    if (direction == 1) {
        // A fade from the colour shows the colour from its first frame.
        if (software)
            m_pDisplay->SetTint(m_targetTint);
        else
            m_pDisplay->SetGammaRamp(m_targetRamp);
    }
    return true;
}

void CGammaFadeEffect::SetTarget(uint8_t red, uint8_t green, uint8_t blue) {
    if (m_pDisplay->IsSoftwareTint()) {
        m_targetTint[0] = red;
        m_targetTint[1] = green;
        m_targetTint[2] = blue;
        return;
    }
    const uint8_t channel[3] = {red, green, blue};
    for (int c = 0; c < 3; ++c)
        std::fill_n(m_targetRamp + c * IFadeDisplay::RAMP_ENTRIES, IFadeDisplay::RAMP_ENTRIES,
                    uint16_t(channel[c] * 255));
}

void CGammaFadeEffect::Capture() {
    if (m_pDisplay->IsSoftwareTint()) {
        m_pDisplay->ReadTint(m_capturedTint);
        return;
    }
    if (!m_pDisplay->HasGammaControl()) return;
    m_pDisplay->ReadGammaRamp(m_capturedRamp);
    for (int i = 0; i < IFadeDisplay::RAMP_ENTRIES; ++i)
        for (int c = 0; c < 3; ++c) {
            const int at = c * IFadeDisplay::RAMP_ENTRIES + i;
            m_delta[i * 3 + c] = int32_t(m_capturedRamp[at]) - int32_t(m_targetRamp[at]);
        }
}

bool CGammaFadeEffect::Update() {
    if (m_running != 1 || m_finished != 0) return true;
    const uint32_t elapsed = plat::timeGetTime() - m_startTime;
    double t = m_duration == 0 ? 1.0 : double(float(elapsed) / float(m_duration));
    if (t >= 1.0) t = 1.0;
    const double s = m_direction == 1 ? t : 1.0 - t;
    if (!m_pDisplay->IsSoftwareTint()) {
        uint16_t ramp[IFadeDisplay::RAMP_SIZE];
        for (int i = 0; i < IFadeDisplay::RAMP_ENTRIES; ++i)
            for (int c = 0; c < 3; ++c) {
                const int at = c * IFadeDisplay::RAMP_ENTRIES + i;
                ramp[at] = RoundRamp(m_delta[i * 3 + c] * s + m_targetRamp[at]);
            }
        m_pDisplay->SetGammaRamp(ramp);
        m_pDisplay->SetBrightnessLevel(float(t * 100.0));
        if (t == 1.0) {
            if (m_direction == 0) m_pDisplay->FillPrimary(m_colour);
            m_finished = 1;
        }
        return true;
    }
    uint8_t tint[4];
    for (int i = 0; i < 4; ++i)
        tint[i] = RoundTint((double(m_capturedTint[i]) - double(m_targetTint[i])) * s + m_targetTint[i]);
    m_pDisplay->SetTint(tint);
    m_pDisplay->SetBrightnessLevel(float(t * 100.0));
    if (t == 1.0) m_finished = 1;
    return true;
}
