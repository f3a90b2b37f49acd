// Combat and status feedback over a character: damage and heal numbers made
// of digit sprites, "miss" words, flash marks, small status marks, the
// countdown, and the gauges under the sprite. Every mark is a new animated
// object that the play manager keeps on the character at a screen offset,
// plays once and removes; the gauges are stepped and drawn by the character.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "anim/ani_services.h"
#include "anim/field_sound.h"
#include "core/config.h"
#include "graphics/direct3d.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"
#include "world/map/map.h"

namespace {

constexpr char kWordAni[] = "WORD01";
constexpr char kScreenLightAni[] = "ScreenLight";
constexpr char kMissSound[] = "Miss";
constexpr uint32_t MISS_ANI = 9, STATUS_MARK_ANI = 343, STRONG_DAMAGE_ANI = 265, OWN_DAMAGE_ANI = 91,
                   COUNTDOWN_ANI = 91;
constexpr int32_t MARK_LAYER = 6, OVERHEAD_LAYER = 7;
constexpr int32_t ABOVE_TOP = 30;  // the marks' margin over the sprite
constexpr uint32_t WORD_NUMBER_MAX = 999;
constexpr uint32_t MAP_FLASH_SLOT = 3, MAP_FLASH_LEVEL = 5;
constexpr int32_t OFF_SCREEN = -1000;
// Flying damage digits: 25 steps along the line away from the source.
constexpr uint32_t FLIGHT_STEPS = 25;
constexpr float FLIGHT_DISTANCE = 48.0f;
constexpr int32_t FLIGHT_HEIGHT = 30;

// Gauges: 50 pixels long, 4 high; the energy-bar images 0 and 1 frame them.
constexpr float GAUGE_LENGTH = 50.0f;
constexpr uint32_t BAR_COMMON = 0xFF20C040, BAR_MONSTER = 0xFFE02020, BAR_SECOND = 0xFF2060FF,
                   BAR_THIRD = 0xFFE0C000;
// The values of the data the user's second and third gauges show.
constexpr int VALUE_SECOND = 2, VALUE_SECOND_MAX = 3, VALUE_THIRD = 12, VALUE_THIRD_MAX = 13;

bool IsOwn(const CChar* c) {
    return c && g_pCharMgr && g_pCharMgr->GetPlayer() == c;
}

// The sprite's height from its frame bounds (0 without a sprite).
int32_t SpriteHeight(CChar* c) {
    CAniObject* sprite = c ? c->GetAniObject() : nullptr;
    if (!sprite) return 0;
    const AniRect r = sprite->GetBounds(false, false);
    return r.bottom > r.top ? r.bottom - r.top : 0;
}

// A new mark off screen: the animation's frame group facing 2, played once;
// null when there is no play manager to keep it or the animation cannot load.
CAniObject* NewMark(uint32_t animation, uint8_t group, int32_t layer = MARK_LAYER) {
    if (!g_pAniPlayMgr || !animation) return nullptr;
    auto* mark = new CAniObject;
    if (!mark->SetAnimation(animation)) {
        delete mark;
        return nullptr;
    }
    mark->SetScreenPosition(OFF_SCREEN, OFF_SCREEN, 0);
    mark->SetMotion(group);
    mark->SetDirection(2);
    mark->Play(false);
    mark->m_layer = layer;
    return mark;
}

// The play manager keeps the mark on the character at the screen offset.
void Follow(CChar* c, CAniObject* mark, int32_t x, int32_t y) {
    if (mark) g_pAniPlayMgr->AddOnCharAtScreenOffset(mark, c, x, y, 1, 1, 0, 0);
}

void ShowMark(CChar* c, uint32_t animation, uint8_t group, int32_t x, int32_t y) {
    if (c) Follow(c, NewMark(animation, group), x, y);
}

// One sprite a character of the number ("%u"), spaced apart from firstX.
void ShowDigits(CChar* c, uint32_t animation, uint32_t number, int32_t firstX, int32_t spacing, int32_t y) {
    char text[16];
    std::snprintf(text, sizeof text, "%u", number);
    for (int32_t k = 0; text[k]; ++k)
        Follow(c, NewMark(animation, uint8_t(text[k] - '0')), firstX + spacing * k, y);
}

int32_t DigitCount(uint32_t number) {
    char text[16];
    return std::snprintf(text, sizeof text, "%u", number);
}

void PlayMissSound() {
    IFieldSound* sound = GetFieldSound();
    if (!sound || g_options.GetByte(OPT_EFFECTS_OFF)) return;
    if (const uint16_t id = sound->FindEffectIdByName(kMissSound)) sound->PlaySoundEffect(id, -1, -1, 1);
}

// One pixel toward the target (held to the gauge); the first call jumps.
float StepGauge(float shown, float target) {
    target = std::clamp(target, 0.0f, GAUGE_LENGTH);
    if (shown < 0.0f || std::fabs(target - shown) <= 1.0f) return target;
    return shown + (target > shown ? 1.0f : -1.0f);
}

// value / maximum of the gauge; 0 without a current value or maximum.
float GaugeTarget(uint32_t value, uint32_t maximum) {
    if (int32_t(value) <= 0 || maximum == 0) return 0.0f;
    return float(value) / float(maximum) * GAUGE_LENGTH;
}

void DrawFrame(int32_t x, int32_t y) {
    for (int k = 0; k < 2 && g_pCharMgr; ++k)
        if (CAniObject* frame = g_pCharMgr->EnergyBar(k)) {
            frame->m_mapX = frame->m_mapY = frame->m_mapZ = ANI_NO_POSITION;
            frame->SetScreenPosition(x - 25 + k, y + k, 0);
            frame->Draw();
        }
}

void DrawBar(int32_t left, int32_t top, float length, uint32_t colour) {
    const int32_t right = left + int32_t(length);
    if (g_pDirect3D && right > left) g_pDirect3D->FillRect(left, top, right, top + 4, colour);
}

}  // namespace

// ---- Marks ----

void CCharAction::ShowFlashMark() {
    CChar* c = Owner();
    if (!c) return;
    ShowMark(c, FindAniByName(kWordAni), 12, 0, -SpriteHeight(c) - ABOVE_TOP);
    if (!IsOwn(c)) return;
    if (CAniObject* light = NewMark(FindAniByName(kScreenLightAni), 0)) {
        light->SetScreenPosition(g_config.m_screenWidth / 2, g_config.m_screenHeight / 2, 0);
        g_pAniPlayMgr->Add(light, 1, 1);
    }
    if (IAniField* field = GetAniField()) field->TriggerEffectSlot(MAP_FLASH_SLOT, MAP_FLASH_LEVEL, false);
}

void CCharAction::ShowMiss() {
    CChar* c = Owner();
    if (!c) return;
    ShowMark(c, MISS_ANI, 10, 0, -SpriteHeight(c) - ABOVE_TOP);
    if (IsOwn(c)) PlayMissSound();
}

void CCharAction::ShowMissWord() {
    CChar* c = Owner();
    if (!c || !g_pMap || !g_pMap->IsBattleAllowed()) return;
    ShowMark(c, FindAniByName(kWordAni), 11, 0, -SpriteHeight(c) - ABOVE_TOP);
    if (IsOwn(c)) PlayMissSound();
}

void CCharAction::ShowStatusMarkA() {
    ShowMark(Owner(), STATUS_MARK_ANI, 15, 0, -SpriteHeight(Owner()) - ABOVE_TOP);
}

void CCharAction::ShowStatusMarkB() {
    ShowMark(Owner(), STATUS_MARK_ANI, 16, 0, -SpriteHeight(Owner()) - ABOVE_TOP);
}

void CCharAction::ShowNumberMark(uint32_t number) {
    CChar* c = Owner();
    if (!c) return;
    ShowDigits(c, FindAniByName(kWordAni), number, 13 - 13 * DigitCount(number), 26, 5);
    ShowMark(c, STATUS_MARK_ANI, 13, 0, 0);
}

void CCharAction::ShowWordNumber(uint32_t number) {
    CChar* c = Owner();
    if (!c) return;
    number = std::min(number, WORD_NUMBER_MAX);
    const uint32_t word = FindAniByName(kWordAni);
    const int32_t height = SpriteHeight(c);
    ShowMark(c, word, 10, 0, -height - 20);
    ShowDigits(c, word, number, -15 * (DigitCount(number) - 1) / 2, 15, -height - 15);
}

void CCharAction::ShowDamageNumber(uint32_t number, bool strong, CChar* source) {
    CChar* c = Owner();
    if (!c) return;
    const uint32_t animation = strong ? STRONG_DAMAGE_ANI : IsOwn(c) ? OWN_DAMAGE_ANI : MISS_ANI;
    const int32_t firstX = -7 * DigitCount(number);
    if (!source) {
        ShowDigits(c, animation, number, firstX, 15, ABOVE_TOP);
        return;
    }
    // Away from the source along the line between the two (x counts half).
    const float angle = std::atan2(float(c->m_y - source->m_y), float(c->m_x - source->m_x) * 0.5f);
    const int32_t endX = c->m_x + int32_t(std::cos(angle) * FLIGHT_DISTANCE);
    const int32_t endY = c->m_y + int32_t(std::sin(angle) * FLIGHT_DISTANCE);
    char text[16];
    std::snprintf(text, sizeof text, "%u", number);
    for (int32_t k = 0; text[k]; ++k) {
        CAniObject* digit = NewMark(animation, uint8_t(text[k] - '0'));
        if (!digit) continue;
        digit->m_drawOffsetX = firstX + 15 * k;
        g_pAniPlayMgr->AddArc(digit, c->m_x, c->m_y, c->m_z, endX, endY, c->m_z, FLIGHT_HEIGHT, FLIGHT_STEPS,
                              1);
    }
}

void CCharAction::Countdown(uint32_t seconds) {
    CChar* c = Owner();
    if (c) ShowDigits(c, COUNTDOWN_ANI, seconds, -10 * DigitCount(seconds), 20, 2);
}

void CCharAction::ShowOverheadAnimation(uint32_t animation, uint8_t group, uint8_t direction) {
    CChar* c = Owner();
    if (!c) return;
    CAniObject* mark = NewMark(animation, group, OVERHEAD_LAYER);
    if (!mark) return;
    mark->SetDirection(direction);
    const CCharData* data = Data();
    const bool low = data && (data->m_motion == MOTION_HELD_DOWN || data->m_motion == MOTION_LYING);
    Follow(c, mark, 25, -SpriteHeight(c) + (low ? 20 : 0));
}

// ---- Gauges ----

void CChar::UpdateEnergyBar(int32_t percent) {
    const CCharData* data = GetData();
    const uint32_t energy = data ? data->m_values[VALUE_ENERGY] : 0;
    const uint32_t maximum = data ? data->m_values[VALUE_ENERGY_MAX] : 0;
    float target = 0.0f;
    if (maximum >= 1)
        target = float(energy) / float(maximum) * GAUGE_LENGTH;
    else if (percent != -1)
        target = float(percent) * 0.01f * GAUGE_LENGTH;
    m_values3[0] = StepGauge(m_values3[0], target);
    if (!m_pAniObject || !g_pCharMgr || !g_pCharMgr->EnergyBar(0)) return;
    const int32_t x = m_pAniObject->m_screenX, y = m_pAniObject->m_screenY;
    DrawFrame(x, y + 20);
    DrawBar(x - 24, y + 20, m_values3[0], m_typeCode == CHAR_KIND_MONSTER ? BAR_MONSTER : BAR_COMMON);
}

void CChar::UpdatePlayerBars() {
    const CCharData* data = GetData();
    if (!data) return;
    const uint32_t* v = data->m_values;
    m_values3[0] = StepGauge(m_values3[0], GaugeTarget(v[VALUE_ENERGY], v[VALUE_ENERGY_MAX]));
    m_values3[1] = StepGauge(m_values3[1], GaugeTarget(v[VALUE_SECOND], v[VALUE_SECOND_MAX]));
    m_values3[2] = StepGauge(m_values3[2], GaugeTarget(v[VALUE_THIRD], v[VALUE_THIRD_MAX]));
    if (!m_pAniObject) return;
    const int32_t x = m_pAniObject->m_screenX, y = m_pAniObject->m_screenY;
    DrawFrame(x, y + 20);
    DrawBar(x - 24, y + 20, m_values3[0], BAR_COMMON);
    DrawBar(x - 24, y + 24, m_values3[1], BAR_SECOND);
    if (m_values3[2] > 0.0f) {
        DrawFrame(x, y + 28);
        DrawBar(x - 24, y + 28, m_values3[2], BAR_THIRD);
    }
}
