// The fade of the whole screen to or from a solid colour: through the
// display's gamma ramps where it has a gamma control, else through the
// primary surface's software tint. Every scene fades in and out with one.
#pragma once
#include <cstdint>

#include "effects/screen/screen_effect.h"

// What the fade reaches of the display: its primary surface, the gamma
// control (the program's display has none) or the software tint, and the
// primary's brightness level.
class IFadeDisplay {
public:
    static constexpr int RAMP_ENTRIES = 256;
    static constexpr int RAMP_SIZE = 3 * RAMP_ENTRIES;  // red, then green, then blue

    virtual ~IFadeDisplay() = default;
    virtual bool HasPrimary() = 0;
    virtual bool HasGammaControl() = 0;
    virtual bool IsSoftwareTint() = 0;
    virtual void ReadGammaRamp(uint16_t ramp[RAMP_SIZE]) = 0;
    virtual void SetGammaRamp(const uint16_t ramp[RAMP_SIZE]) = 0;
    virtual void ReadTint(uint8_t tint[4]) = 0;
    virtual void SetTint(const uint8_t tint[4]) = 0;
    // Writes the level only (setting the brightness would repaint the tint).
    virtual void SetBrightnessLevel(float percent) = 0;
    // Fills the whole primary surface with the colour (0x00BBGGRR).
    virtual void FillPrimary(uint32_t colour) = 0;
};

// The program's display (g_pDirectDraw's primary surface).
IFadeDisplay& ProgramFadeDisplay();

class CGammaFadeEffect : public CScreenEffect {
public:
    explicit CGammaFadeEffect(IFadeDisplay* display = nullptr);

    bool Create() override;
    // direction 1 from the colour back to the picture, 0 from the picture to
    // the colour; colour bytes red, green, blue and a fourth. Always true.
    bool Start(uint8_t direction, const uint8_t colour[4], uint32_t durationMs);
    bool Update() override;

    uint8_t Direction() const { return m_direction; }
    const uint16_t* TargetRamp() const { return m_targetRamp; }
    const uint8_t* TargetTint() const { return m_targetTint; }

private:
    void SetTarget(uint8_t red, uint8_t green, uint8_t blue);
    void Capture();

    IFadeDisplay* m_pDisplay;
    uint16_t m_targetRamp[IFadeDisplay::RAMP_SIZE] = {};
    uint8_t m_targetTint[4] = {};
    uint32_t m_colour = 0;
    uint8_t m_direction = 0;
    int32_t m_delta[IFadeDisplay::RAMP_SIZE] = {};  // per entry: red, green, blue
    uint16_t m_capturedRamp[IFadeDisplay::RAMP_SIZE] = {};
    uint8_t m_capturedTint[4] = {};
};
