// What a map shows besides its ground: the stage it applies, day and night,
// darkness and lights, weather, sound spots, the entry banner and the stage
// number, zone markers and the debug grid.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "anim/darkness_overlay.h"
#include "core/util.h"
#include "graphics/direct_draw.h"
#include "graphics/text_renderer.h"
#include "net/handlers/map_records.h"
#include "platform/clock.h"
#include "world/map/map.h"
#include "world/map/map_services.h"
#include "world/map/map_windows.h"

namespace {

constexpr uint32_t kFireflyStepMs = 200;
constexpr float kLightColourScale = 0.0625f;
constexpr int32_t kParticleCount = 20;
constexpr uint8_t kAmbientClouds = 0x01, kAmbientParticles = 0x04;
constexpr double kBannerHeight = 0.36666666666666664;
constexpr int32_t kZoneMargin = 96;
constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000;

// Motion and direction of each digit of the banner animation.
constexpr uint8_t kDigitMotion[10] = {5, 4, 4, 4, 4, 4, 5, 5, 5, 5};
constexpr uint8_t kDigitDirection[10] = {10, 2, 0, 14, 12, 10, 2, 0, 14, 12};
// The large digits play the motions two above the small ones.
constexpr uint8_t kLargeMotionOffset = 2;

// The weather kinds and the bit of a sound spot's flags each needs.
uint16_t WeatherSpotBit(int32_t kind) {
    switch (kind) {
        case 1:
            return 0x04;
        case 2:
            return 0x08;
        case 5:
            return 0x20;
        case 3:
        case 4:
            return 0;
        default:
            return 0x10;
    }
}

std::string Digits(int32_t number) {
    return number < 0 ? std::string() : std::to_string(number);
}

}  // namespace

void CMap::FindStageKind(int32_t* kind, int32_t* number) {
    *kind = STAGE_KIND_NONE;
    *number = -1;
    static const char* const kKinds[] = {"Team", "Single", "Pair", "Tutorial", "Club", "Club2"};
    for (int32_t row = 0; row < m_kindTable.GetRowCount(); ++row)
        for (int column = 2; column <= 7; ++column) {
            if (m_stageNumber < 0 || m_kindTable.GetInt(column, row) != uint32_t(m_stageNumber)) continue;
            const char* text = m_kindTable.GetText(0, row);
            for (int32_t k = 0; text && k < int32_t(std::size(kKinds)); ++k)
                if (std::strcmp(text, kKinds[k]) == 0) *kind = k;
            *number = int32_t(m_kindTable.GetInt(1, row));
            return;
        }
}

// ---- Stage ----

void CMap::ApplyStage() {
    m_loadWindow = MAP_LOAD_WINDOW;
    FindStageKind(&m_stageKind, &m_stageShown);
    const bool noBattle = IsNoBattleZone();
    mapwin::ShowComboTimer(!noBattle);
    IMapCharacters* chars = GetMapCharacters();
    const bool online = chars && chars->AreCharsReady();
    if (online) chars->SetPlayersBattleZone(!noBattle);
    SetTimeOfDay(m_timeValues[0], m_timeValues[1], m_night);
    ChooseMusic();
    PlaceLights();
    // The stage's darkness: by day and night, light or dark.
    const uint32_t darkness = m_pStage ? m_pStage->GetNumber(0, STAGE_PROP_DARKNESS, 0) : 0;
    if (g_pDarknessOverlay && darkness <= 2) {
        const int32_t level = darkness == 0   ? (m_night ? MAP_DARK_LEVEL : 0)
                              : darkness == 1 ? 0
                                              : MAP_DARK_LEVEL;
        g_pDarknessOverlay->SetLevel(level);
        g_pDarknessOverlay->FadeToLevel(level);
    }
    RestartSoundSpots();
    const uint32_t ambient = m_pStage ? m_pStage->GetNumber(0, STAGE_PROP_AMBIENT, 0) : 0;
    if (IFieldEffects* effects = GetFieldEffects()) {
        if (ambient & kAmbientParticles)
            effects->FillParticleEmitter(kParticleCount);
        else
            effects->EmptyParticleEmitter();
        m_pClouds = (ambient & kAmbientClouds) ? effects->MakeEffect(FieldEffectKind::Clouds) : nullptr;
    } else {
        m_pClouds.reset();
    }
    mapwin::HideAllWindows();
    mapwin::ResetSystemWindow();
    const StageGroup* properties = m_pStage ? m_pStage->GetGroup(0) : nullptr;
    if (properties && properties->entryCount > STAGE_PROP_MINIMAP_DATA) {
        const uint16_t minimap = m_pStage->GetWord(0, STAGE_PROP_MINIMAP_DATA, 0);
        if (minimap != STAGE_NONE) mapwin::LoadMinimapData(minimap);
    }
    if (online) chars->ResetPlayerMapState();
    mapwin::SetWorldMapLocation(m_stageNumber);
}

// ---- Day and night ----

void CMap::ChooseMusic() {
    IFieldSound* sound = GetFieldSound();
    if (!sound) return;
    if (m_pStage)
        sound->ChangeMusicList(
            m_pStage->GetWord(0, m_night ? STAGE_PROP_NIGHT_MUSIC : STAGE_PROP_DAY_MUSIC, 0));
    else if (m_pEventStage)
        sound->ChangeMusicList(
            m_pEventStage->GetWord(0, m_night ? EVENT_PROP_NIGHT_MUSIC : EVENT_PROP_DAY_MUSIC, 0));
}

void CMap::SetTimeOfDay(uint8_t value1, uint8_t value2, uint8_t night) {
    const bool wasSet = m_timeSet != 0;
    const uint8_t wasNight = m_night;
    m_timeValues[0] = value1;
    m_timeValues[1] = value2;
    m_night = night ? 1 : 0;
    m_timeSet = 1;
    const bool changed = !wasSet || wasNight != m_night;
    if (changed) ChooseMusic();
    const uint32_t darkness = m_pStage ? m_pStage->GetNumber(0, STAGE_PROP_DARKNESS, 0) : 0;
    if (darkness == 0 && g_pDarknessOverlay) {
        const int32_t level = m_night ? MAP_DARK_LEVEL : 0;
        if (wasSet)
            g_pDarknessOverlay->FadeToLevel(level);
        else
            g_pDarknessOverlay->SetLevel(level);
    }
    RestartSoundSpots();
    if (changed) m_fadeStart = std::max<uint32_t>(plat::timeGetTime(), 1);
    if (g_pDarknessOverlay && wasSet && wasNight && !m_night) {
        if (IFieldSound* sound = GetFieldSound()) {
            if (const uint16_t id = sound->FindEffectIdByName("ChikenYell"))
                sound->PlaySoundEffect(id, -1, -1, 1);
        }
    }
}

void CMap::SetDark(bool dark, bool atOnce) {
    m_dark = dark ? 1 : 0;
    if (!g_pDarknessOverlay) return;
    const int32_t level = dark ? MAP_DARK_LEVEL : 0;
    if (atOnce) g_pDarknessOverlay->SetLevel(level);
    g_pDarknessOverlay->FadeToLevel(level);
}

void CMap::RestartSoundSpots() {
    IFieldSound* sound = GetFieldSound();
    if (!sound || !m_pStage || !sound->AreSoundSpotsOn()) return;
    const int32_t rows = m_pStage->GetRecordCount(STAGE_GROUP_SOUND_SPOTS);
    for (int32_t r = 0; r < rows; ++r) sound->StopSlotSound(uint32_t(r));
    for (int32_t r = 0; r < rows; ++r) {
        const uint16_t flags = uint16_t(m_pStage->GetNumber(STAGE_GROUP_SOUND_SPOTS, 9, r));
        if (!(flags & (m_night ? 0x02 : 0x01))) continue;
        const uint16_t needs = WeatherSpotBit(m_weatherKind);
        if (needs && !(flags & needs)) continue;
        int32_t x = 0, y = 0;
        m_pStage->GetPoint(STAGE_GROUP_SOUND_SPOTS, 4, r, &x, &y);
        sound->PlaySlotSound(uint32_t(r), m_pStage->GetNumber(STAGE_GROUP_SOUND_SPOTS, 1, r), x, y,
                             m_pStage->GetNumber(STAGE_GROUP_SOUND_SPOTS, 3, r) == 0,
                             uint8_t(m_pStage->GetNumber(STAGE_GROUP_SOUND_SPOTS, 6, r)));
    }
}

// ---- Lights ----

void CMap::PlaceLights() {
    if (!g_pDarknessOverlay) return;
    const CStageData* stage = m_pStage ? m_pStage.get() : m_pEventStage.get();
    const int32_t group = m_pStage ? STAGE_GROUP_LIGHTS : EVENT_GROUP_LIGHTS;
    const float colour[3] = {
        m_pStage ? float(m_pStage->GetNumber(0, STAGE_PROP_LIGHT_RED, 0)) * kLightColourScale : 0.0f,
        m_pStage ? float(m_pStage->GetNumber(0, STAGE_PROP_LIGHT_GREEN, 0)) * kLightColourScale : 0.0f,
        m_pStage ? float(m_pStage->GetNumber(0, STAGE_PROP_LIGHT_BLUE, 0)) * kLightColourScale : 0.0f};
    std::copy(colour, colour + 3, g_pDarknessOverlay->m_colorFactors);
    if (m_lightCount >= MAP_MAX_LIGHTS - 1 || !stage) return;
    for (int32_t i = 0; i < m_lightCount; ++i) g_pDarknessOverlay->RemoveLight(&m_lightIds[i]);
    m_lightCount = 0;
    // The table holds 50 lights; further rows are left out.
    const int32_t rows = std::min(stage->GetRecordCount(group), MAP_MAX_LIGHTS);
    for (int32_t r = 0; r < rows; ++r) {
        int32_t x = 0, y = 0;
        stage->GetPoint(group, 1, r, &x, &y);
        const int32_t radius = int32_t(stage->GetNumber(group, 2, r));
        m_lightIds[m_lightCount] = g_pDarknessOverlay->AddLight(-100, -100, radius, 0);
        m_lightTiles[m_lightCount] = {x * MAP_TILES_PER_CELL, y * MAP_TILES_PER_CELL};
        ++m_lightCount;
    }
}

void CMap::UpdateLights() {
    if (!g_pDarknessOverlay) return;
    for (int32_t i = 0; i < m_lightCount; ++i) {
        const IsoPoint p = m_view.TileToScreen(m_lightTiles[i].x, m_lightTiles[i].y);
        g_pDarknessOverlay->SetLightPosition(m_lightIds[i], p.x, p.y);
    }
}

// ---- Weather ----

IFieldEffect* CMap::GetWeatherEffect(int32_t kind) const {
    switch (kind) {
        case 1:
            return m_pAmbientB.get();
        case 2:
            return m_pAmbientA.get();
        case 5:
            return m_pAmbientC.get();
        default:
            return nullptr;
    }
}

void CMap::SetWeather(int32_t kind, int32_t strength) {
    m_weatherRequest = kind;
    m_weatherRequestStrength = strength;
    if (kind < 0 || kind > 5) return;
    m_weatherFadedOut = 1;
    if (m_weatherKind == kind) return;
    switch (m_weatherKind) {
        case 1:
        case 2:
            if (IFieldEffect* effect = GetWeatherEffect(m_weatherKind)) {
                effect->SetStrength(0);
                m_weatherFadedOut = 0;
            }
            break;
        case 3:
            m_fireflyCount = 0;
            m_weatherFadedOut = m_firefliesShown == 0;
            break;
        case 5:
            if (m_pAmbientC && m_pAmbientC->GetStrength() == 0) {
                m_pAmbientC.reset();
            } else if (m_pAmbientC) {
                m_pAmbientC->SetStrength(0);
                m_weatherFadedOut = 0;
            }
            break;
        default:
            break;
    }
}

void CMap::ApplyWeather() {
    if (m_weatherRequest < 0 || m_weatherRequest > 5) return;
    if (!m_weatherFadedOut) {
        if (m_weatherKind == 3) {
            m_weatherFadedOut = m_firefliesShown == 0;
        } else {
            IFieldEffect* old = GetWeatherEffect(m_weatherKind);
            m_weatherFadedOut = !old || old->IsFadedOut();
        }
        if (!m_weatherFadedOut) return;
    }
    const int32_t kind = m_weatherRequest, strength = m_weatherRequestStrength;
    IFieldEffects* effects = GetFieldEffects();
    std::unique_ptr<IFieldEffect>* slot = kind == 1   ? &m_pAmbientB
                                          : kind == 2 ? &m_pAmbientA
                                          : kind == 5 ? &m_pAmbientC
                                                      : nullptr;
    if (slot) {
        if (!*slot && effects)
            *slot = effects->MakeEffect(kind == 1   ? FieldEffectKind::AmbientB
                                        : kind == 2 ? FieldEffectKind::AmbientA
                                                    : FieldEffectKind::AmbientC);
        if (*slot) (*slot)->SetStrength(strength);
    } else if (kind == 3) {
        m_fireflyCount = std::clamp(strength, 0, MAP_FIREFLIES);
    }
    m_weatherKind = kind;
    m_weatherStrength = strength;
    m_weatherRequest = -1;
}

void CMap::StepWeather() {
    if (IFieldEffect* effect = GetWeatherEffect(m_weatherKind)) effect->Step();
    if (m_weatherKind != 3 && m_firefliesShown == 0) return;
    IFieldEffects* effects = GetFieldEffects();
    if (m_fireflies.empty() && effects && m_fireflyCount > 0)
        for (int32_t i = 0; i < MAP_FIREFLIES; ++i)
            m_fireflies.push_back(effects->MakeEffect(FieldEffectKind::Firefly));
    const uint32_t now = plat::timeGetTime();
    if (now - m_fireflyStepTime >= kFireflyStepMs) {
        m_fireflyStepTime = now;
        if (m_firefliesShown < m_fireflyCount && m_firefliesShown < int32_t(m_fireflies.size())) {
            if (m_fireflies[size_t(m_firefliesShown)]) m_fireflies[size_t(m_firefliesShown)]->SetStrength(1);
            ++m_firefliesShown;
        } else if (m_firefliesShown > m_fireflyCount) {
            --m_firefliesShown;
            if (size_t(m_firefliesShown) < m_fireflies.size() && m_fireflies[size_t(m_firefliesShown)])
                m_fireflies[size_t(m_firefliesShown)]->SetStrength(0);
        }
    }
    for (int32_t i = 0; i < m_firefliesShown && i < int32_t(m_fireflies.size()); ++i)
        if (m_fireflies[size_t(i)]) m_fireflies[size_t(i)]->Step();
}

// ---- Banner and stage number ----

void CMap::ShowEntryBanner() {
    if (!m_pStage) return;
    const uint32_t mode = m_pStage->GetNumber(0, STAGE_PROP_BANNER_MODE, 0);
    if (mode == 2) return;
    if (mode == 1 && WasBannerShown(m_stageNumber)) return;
    uint16_t animation = STAGE_NONE, motion = 0;
    uint8_t direction = 0;
    m_pStage->GetAniRef(&animation, &motion, &direction, 0, STAGE_PROP_BANNER, 0);
    if (animation == STAGE_NONE || !g_pAniPlayMgr) return;
    auto object = std::make_unique<CAniObject>();
    if (!object->SetAnimation(animation)) return;
    object->SetMotion(uint8_t(motion));
    object->SetDirection(direction);
    object->ResetLayers();
    object->Play(false);
    object->SetScreenPosition(GetScreenWidth() / 2, int32_t(GetScreenHeight() * kBannerHeight), 0);
    g_pAniPlayMgr->Add(object.release(), 1, 1);
    if (mode == 1) MarkBannerShown(m_stageNumber);
}

void CMap::DrawSmallStageNumber() {
    const std::string digits = Digits(m_stageShown);
    if (!m_pBanner || digits.empty()) return;
    int32_t x = GetScreenWidth() - 15 * int32_t(digits.size()) - 40;
    for (char c : digits) {
        const int d = c - '0';
        m_pBanner->SetMotion(kDigitMotion[d]);
        m_pBanner->SetDirection(kDigitDirection[d]);
        m_pBanner->SetScreenPosition(x, 20, 0);
        m_pBanner->Draw();
        x += 15;
    }
    m_pBanner->SetMotion(0);
    m_pBanner->SetDirection(12);
    m_pBanner->SetScreenPosition(x + 4, 22, 0);
    m_pBanner->Draw();
}

void CMap::DrawStageNumber() {
    FindStageKind(&m_stageKind, &m_stageShown);
    const std::string digits = Digits(m_stageShown);
    if (!m_pBanner || digits.empty()) return;
    int32_t x = GetScreenWidth() / 2 - (int32_t(digits.size()) / 2) * 30 - 23;
    for (char c : digits) {
        const int d = c - '0';
        m_pBanner->SetMotion(uint8_t(kDigitMotion[d] + kLargeMotionOffset));
        m_pBanner->SetDirection(kDigitDirection[d]);
        m_pBanner->SetScreenPosition(x, GetScreenHeight() / 2, 0);
        m_pBanner->Draw();
        x += 30;
    }
}

void CMap::DrawStageGrid() {
    if (!m_pStage || !g_pDirectDraw) return;
    const StageEntry* ids = m_pStage->GetEntry(STAGE_GROUP_AREA_IDS, 2);
    if (!ids) return;
    for (int32_t v = 0; v < int32_t(ids->values.size()); ++v) {
        const uint16_t id = uint16_t(m_pStage->GetNumber(STAGE_GROUP_AREA_IDS, 2, v));
        const StageArea* area = m_pStage->FindArea(id);
        if (!area) continue;
        const std::string label = std::to_string(id);
        for (int32_t cy = area->y1; cy <= area->y2; ++cy)
            for (int32_t cx = area->x1; cx <= area->x2; ++cx) {
                const int32_t x = (cx + cy) * 48 - m_view.m_cameraX + m_screenLeft;
                const int32_t y = (cy - cx) * 24 - m_view.m_cameraY + m_screenTop + m_view.m_baseY;
                if (x + 96 < 0 || x > GetScreenWidth() || y + 24 < 0 || y - 24 > GetScreenHeight()) continue;
                for (int inset = 0; inset < 2; ++inset) {
                    const uint32_t colour = inset ? kWhite : kBlack;
                    const int32_t l = x + inset * 2, r = x + 96 - inset * 2, t = y - 24 + inset,
                                  b = y + 24 - inset;
                    g_pDirectDraw->DrawLine(l, y, x + 48, t, colour);
                    g_pDirectDraw->DrawLine(x + 48, t, r, y, colour);
                    g_pDirectDraw->DrawLine(r, y, x + 48, b, colour);
                    g_pDirectDraw->DrawLine(x + 48, b, l, y, colour);
                }
                if (g_pTextRenderer)
                    g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), x + 40, y - 6,
                                                label.c_str(), 0, kWhite, 2, true);
            }
    }
}

// ---- Zone markers ----

void CMap::SetZoneMarker(const CZoneMarkerMsg& msg) {
    const int32_t x1 = std::min(msg.m_x1, msg.m_x2), x2 = std::max(msg.m_x1, msg.m_x2);
    const int32_t y1 = std::min(msg.m_y1, msg.m_y2), y2 = std::max(msg.m_y1, msg.m_y2);
    MapZoneMarker* marker = nullptr;
    for (MapZoneMarker& m : m_zoneMarkers)
        if (m.m_id == msg.m_id) marker = &m;
    for (MapZoneMarker& m : m_zoneMarkers)
        if (!marker && m.m_id == UINT32_MAX) marker = &m;
    if (!marker) return;
    marker->m_id = msg.m_id;
    marker->m_x = x1 / MAP_TILES_PER_CELL * MAP_CELL_W;
    marker->m_y = y1 / MAP_TILES_PER_CELL * MAP_CELL_H;
    marker->m_width = (x2 - x1) / MAP_TILES_PER_CELL;
    marker->m_height = (y2 - y1) / MAP_TILES_PER_CELL;
    static const uint8_t kMotions[5] = {0, 2, 3, 4, 5};
    for (int i = 0; i < 5; ++i) {
        if (marker->m_pieces[i]) continue;
        auto piece = std::make_unique<CAniObject>();
        piece->SetAnimation(msg.m_style > 0 ? MAP_ZONE_ANIMATION : MAP_ZONE_ANIMATION_0);
        piece->SetMotion(kMotions[i]);
        piece->SetDirection(2);
        piece->Play(true);
        marker->m_pieces[i] = std::move(piece);
    }
    const IsoPoint p = m_view.MapToScreen(marker->m_x, marker->m_y);
    for (auto& piece : marker->m_pieces) piece->SetScreenPosition(p.x, p.y, 0);
}

void CMap::RemoveZoneMarker(uint32_t id) {
    for (MapZoneMarker& m : m_zoneMarkers)
        if (m.m_id == id) m = MapZoneMarker();
}

void CMap::UpdateZoneMarkers() {
    for (MapZoneMarker& m : m_zoneMarkers)
        for (auto& piece : m.m_pieces)
            if (piece) piece->Update();
}

void CMap::DrawZoneMarkers() {
    const int32_t w = GetScreenWidth(), h = GetScreenHeight();
    // The map rectangle the screen shows (corners turned back into map units).
    int32_t minX = INT32_MAX, maxX = INT32_MIN, minY = INT32_MAX, maxY = INT32_MIN;
    for (const auto& [sx, sy] :
         {std::pair{-kZoneMargin, -kZoneMargin}, std::pair{w + kZoneMargin, -kZoneMargin},
          std::pair{-kZoneMargin, h + kZoneMargin}, std::pair{w + kZoneMargin, h + kZoneMargin}}) {
        const int64_t u = int64_t(sx) + m_view.m_cameraX - m_view.m_viewX;
        const int64_t v = int64_t(sy) + m_view.m_cameraY - m_view.m_viewY - m_view.m_baseY;
        const int64_t my = u / 2 + v, mx = u - 2 * v;
        minX = int32_t(std::min<int64_t>(minX, mx));
        maxX = int32_t(std::max<int64_t>(maxX, mx));
        minY = int32_t(std::min<int64_t>(minY, my));
        maxY = int32_t(std::max<int64_t>(maxY, my));
    }
    for (MapZoneMarker& m : m_zoneMarkers) {
        if (m.m_id == UINT32_MAX || m.m_width <= 0 || m.m_height <= 0 || !m.m_pieces[0]) continue;
        // Only the cells on the screen are drawn.
        const int32_t i0 = int32_t(std::max<int64_t>(0, (int64_t(minX) - m.m_x) / MAP_CELL_W - 1));
        const int32_t i1 =
            int32_t(std::min<int64_t>(m.m_width - 1, (int64_t(maxX) - m.m_x) / MAP_CELL_W + 1));
        const int32_t j0 = int32_t(std::max<int64_t>(0, (int64_t(minY) - m.m_y) / MAP_CELL_H - 1));
        const int32_t j1 =
            int32_t(std::min<int64_t>(m.m_height - 1, (int64_t(maxY) - m.m_y) / MAP_CELL_H + 1));
        for (int32_t j = j0; j <= j1; ++j)
            for (int32_t i = i0; i <= i1; ++i) {
                const IsoPoint p = m_view.MapToScreen(m.m_x + MAP_CELL_W / 2 + MAP_CELL_W * i,
                                                      m.m_y + MAP_CELL_H / 2 + MAP_CELL_H * j);
                if (p.x < -kZoneMargin || p.x > w + kZoneMargin || p.y < -kZoneMargin ||
                    p.y > h + kZoneMargin)
                    continue;
                const bool edges[4] = {i == 0, j == 0, i == m.m_width - 1, j == m.m_height - 1};
                for (int k = 0; k < 5; ++k) {
                    if (k > 0 && !edges[k - 1]) continue;
                    m.m_pieces[k]->SetScreenPosition(p.x, p.y, 0);
                    m.m_pieces[k]->Draw();
                }
            }
    }
}
