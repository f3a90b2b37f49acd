// The questions characters, skills and windows ask the map about its stage and cells.
#include <cstdlib>
#include <cstring>

#include "anim/ani_object.h"
#include "core/config.h"
#include "core/error_box.h"
#include "core/util.h"
#include "data/item_object.h"
#include "data/skill_table_mgr.h"
#include "platform/clock.h"
#include "world/map/map.h"
#include "world/map/map_services.h"
#include "world/map/path_finder.h"

namespace {

constexpr uint32_t kFadeLengthMs = 6000;  // the factor would reach 0 after this long
constexpr float kNearestStart = 10000.0f;
constexpr int32_t kNearestCells = 6;

}  // namespace

bool CMap::IsNoBattleZone() {
    if (m_serverAttrFlag == 1) {
        const int zone = (m_attrByte >> 2) & 3;
        return zone == 1 || zone == 2;
    }
    const uint32_t v = m_pStage ? m_pStage->GetNumber(0, STAGE_PROP_NO_BATTLE, 0) : 0;
    return v == 1 || v == 2;
}

bool CMap::IsBattleAllowed() {
    if (IsNoBattleZone()) return false;
    if (m_serverAttrFlag == 1) return (m_attrByte & 1) != 0;
    const char* text = m_pStage ? m_pStage->GetText(0, STAGE_PROP_BATTLE_ATTR, 0) : nullptr;
    if (!text) return false;
    if (std::strlen(text) <= 3) {
        // Reported once for the stage, not on every question.
        if (!m_battleAttrReported) ReportError("Maps Error, Battle Attr Field Length is less than 3");
        m_battleAttrReported = 1;
        return false;
    }
    return text[3] == '1';
}

bool CMap::IsPlayerBattleAllowed() {
    if (IsNoBattleZone()) return false;
    if (m_serverAttrFlag == 1) return (m_attrByte & 2) != 0;
    const char* text = m_pStage ? m_pStage->GetText(0, STAGE_PROP_BATTLE_ATTR, 0) : nullptr;
    return text && std::strlen(text) >= 3 && text[2] == '1';
}

bool CMap::SkillAllowedHere(uint32_t skillId) {
    if (!g_config.m_useServer) return true;
    if (!IsNoBattleZone()) return true;
    return g_pSkillTableMgr && g_pSkillTableMgr->GetByte15(SkillIdToRow(skillId)) == 3;
}

bool CMap::IsMapKind3() {
    return m_pStage && m_pStage->GetNumber(0, STAGE_PROP_KIND, 0) == 3;
}

bool CMap::IsMapKind4() {
    return m_pStage && m_pStage->GetNumber(0, STAGE_PROP_KIND, 0) == 4;
}

bool CMap::IsMapKind5() {
    return m_pStage && m_pStage->GetNumber(0, STAGE_PROP_KIND, 0) == 5;
}

int32_t CMap::GetFootstepKind(int32_t which) {
    if (!m_pStage) return -1;
    if (which == 0) return int32_t(m_pStage->GetNumber(0, STAGE_PROP_FOOTSTEP_0, 0));
    if (which == 1) return int32_t(m_pStage->GetNumber(0, STAGE_PROP_FOOTSTEP_1, 0));
    return 0;
}

uint16_t CMap::GetMinimapNumber() {
    return m_pStage ? m_pStage->GetWord(0, STAGE_PROP_MINIMAP, 0) : 0;
}

int32_t CMap::GetStageNumberText() {
    const char* text = m_pStage ? m_pStage->GetText(0, STAGE_PROP_NUMBER_TEXT, 0) : nullptr;
    if (!text || !*text) return -1;
    char* end = nullptr;
    const long number = std::strtol(text, &end, 10);
    return end == text ? -1 : int32_t(number);  // no number: none
}

bool CMap::GetEightStageBytes(uint8_t out[8]) {
    if (!m_pStage) return false;
    for (int32_t i = 0; i < 8; ++i) out[i] = uint8_t(m_pStage->GetNumber(0, STAGE_PROP_EIGHT_FIRST + i, 0));
    return true;
}

bool CMap::IsPassableAt(int32_t tileX, int32_t tileY) {
    if (!m_pMapData || tileX < 0 || tileY < 0 || tileX >= m_width * MAP_TILES_PER_CELL ||
        tileY >= m_height * MAP_TILES_PER_CELL)
        return false;
    const MapCell* cell = m_pMapData->GetCell(tileX / MAP_TILES_PER_CELL, tileY / MAP_TILES_PER_CELL);
    return cell && !(cell->m_attributes & CELL_BLOCKED);
}

bool CMap::CanDropItemAt(int32_t cellX, int32_t cellY) {
    const MapCell* cell = m_pMapData ? m_pMapData->GetCell(cellX, cellY) : nullptr;
    return cell && !(cell->m_attributes & CELL_NO_DROP);
}

bool CMap::IsInAreaMarker(int32_t x, int32_t y) {
    if (!m_pStage || !m_pMapData) return false;
    for (const MapAreaMarker& m : m_pMapData->AreaMarkers())
        if (m.m_x1 <= x && x <= m.m_x2 && m.m_y1 <= y && y <= m.m_y2) return true;
    return false;
}

float CMap::GetFadeFactor() {
    if (!g_config.m_useServer || m_fadeStart == 0) return 0.0f;
    const uint32_t elapsed = plat::timeGetTime() - m_fadeStart;
    if (elapsed >= MAP_FADE_MS) {
        m_fadeStart = 0;
        return 0.0f;
    }
    return 1.0f - float(elapsed) / float(kFadeLengthMs);
}

CItemObject* CMap::FindNearestReachableObject(CChar* character) {
    IMapCharacters* chars = GetMapCharacters();
    int32_t cx = 0, cy = 0;
    if (!m_pMapData || !chars || !chars->GetCharPosition(character, &cx, &cy)) return nullptr;
    CItemObject* best = nullptr;
    float bestDistance = kNearestStart;
    int32_t bestX = 0, bestY = 0;
    for (CMsgObject* child : m_pMapData->ObjectLayer().Children()) {
        auto* item = dynamic_cast<CItemObject*>(child);
        CAniObject* ani = item ? item->GetAniObject() : nullptr;
        if (!ani) continue;
        const float d = GetDistance(float(cx), float(cy), float(ani->m_mapX), float(ani->m_mapY));
        if (d >= bestDistance) continue;
        CPathFinder finder;
        if (!finder.FindPath(float(cx), float(cy), ani->m_mapX, ani->m_mapY, 0)) continue;
        best = item;
        bestDistance = d;
        bestX = ani->m_mapX;
        bestY = ani->m_mapY;
    }
    if (best && (std::abs(bestX / MAP_CELL_W - cx / MAP_CELL_W) >= kNearestCells ||
                 std::abs(bestY / MAP_CELL_H - cy / MAP_CELL_H) >= kNearestCells))
        return nullptr;
    return best;
}
