// A character drawn as a stack of layers around its own sprite: the
// selection ring under it, the effects behind it, the attached objects of
// its draw list at or below its layer, the status-55 mark, its body (or the
// emote that stands in for it), the attached objects above it, the effects
// in front, its caption and the marks over its head.
#include <cstdio>
#include <cstring>
#include <string>

#include "anim/ani_object.h"
#include "anim/ani_services.h"
#include "core/config.h"
#include "data/skill_table_mgr.h"
#include "graphics/direct_draw.h"
#include "graphics/text_renderer.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"
#include "world/chars/char_services.h"
#include "world/chars/skill_action.h"
#include "world/map/map.h"

namespace {

constexpr int32_t STATUS_MARK_UNDER = 55;
constexpr int32_t STATUS_MARK_54 = 54;
constexpr int32_t STATUS_MARK_101 = 101;
constexpr uint32_t CAPTION_COLOUR = 0xFFFFFF;
constexpr int32_t CAPTION_BELOW = 30;
constexpr int32_t SKILL_NAME_ABOVE = 20;
constexpr int SKILL_NAME_FONT = 1;
constexpr uint32_t SKILL_NAME_SHADOW = 2;

void PlaceAtScreenPoint(CAniObject* object, int32_t x, int32_t y) {
    object->m_mapX = object->m_mapY = object->m_mapZ = ANI_NO_POSITION;
    object->SetScreenPosition(x, y, 0);
}

}  // namespace

// ---- The draw list ----

void CChar::AddDrawObject(CAniObject* object) {
    if (!object) return;
    auto place = m_drawList.end();
    for (auto it = m_drawList.begin(); it != m_drawList.end(); ++it) {
        CAniObject* listed = it->m_ref.GetAs<CAniObject>();
        if (!listed) continue;
        if (listed == object) return;
        if (place == m_drawList.end() && listed->m_layer >= object->m_layer) place = it;
    }
    m_drawList.insert(place, DrawNode{CWeakRef(object), object});
}

void CChar::RemoveDrawObject(CAniObject* object) {
    if (!object) return;
    // A node whose object is gone compares by pointer only; it is never read.
    m_drawList.remove_if([object](const DrawNode& node) {
        return node.m_pObject == object || node.m_ref.Get() == static_cast<CRefTarget*>(object);
    });
}

std::vector<CAniObject*> CChar::DrawList() const {
    std::vector<CAniObject*> out;
    for (const DrawNode& node : m_drawList)
        if (CAniObject* object = node.m_ref.GetAs<CAniObject>()) out.push_back(object);
    return out;
}

// ---- Drawing ----

bool CChar::Draw() {
    CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
    if (m_pController && !m_pController->IsCharVisible(player)) return true;
    CAniObject* sprite = m_pAniObject;
    CCharData* data = GetData();
    auto status = [data](int32_t id) { return data && ::CheckCharStatus(data->m_status, id); };

    // The selection ring under players and monsters, on maps that show rings.
    if (sprite && g_pCharMgr && g_pMap &&
        (m_typeCode == CHAR_KIND_PLAYER || m_typeCode == CHAR_KIND_MONSTER) &&
        (g_pMap->IsMapKind4() || g_pMap->IsMapKind5())) {
        if (CAniObject* ring = g_pCharMgr->Mark(m_ringChoice == 0 ? 1 : 0)) {
            PlaceAtScreenPoint(ring, sprite->m_screenX, sprite->m_screenY);
            ring->Draw();
        }
    }
    if (m_pEffects) m_pEffects->DrawBehind();

    // A copy of the live objects: drawing one may change the list.
    const std::vector<CAniObject*> attached = DrawList();
    const int32_t bodyLayer = sprite ? sprite->m_layer : 0;
    size_t next = 0;
    for (; next < attached.size() && attached[next]->m_layer <= bodyLayer; ++next) attached[next]->Draw();

    if (status(STATUS_MARK_UNDER) && g_pCharMgr)
        if (CAniObject* mark = g_pCharMgr->Mark(3)) {
            mark->SetMapPosition(m_x, m_y, m_z);
            mark->Draw();
        }

    if (m_pEmote) {
        m_pEmote->SetMapPosition(m_x, m_y, m_z);
        m_pEmote->Draw();
    } else if (sprite) {
        if (sprite->m_underlayOn) sprite->DrawPass(true);
        sprite->DrawTrail();
        sprite->DrawPass(false);
    }

    for (; next < attached.size(); ++next) attached[next]->Draw();
    if (m_pEffects) m_pEffects->DrawInFront();
    // Others show their caption; the user's own character its three gauges.
    if (this != player)
        DrawStatusCaption();
    else
        UpdatePlayerBars();

    if (sprite && m_ringFlag && m_pRing) {
        PlaceAtScreenPoint(m_pRing.get(), sprite->m_screenX, sprite->m_screenY);
        m_pRing->Draw();
    }
    if (!sprite) return true;
    const int32_t top = sprite->m_screenY - sprite->GetAniTopExtent();
    for (auto [id, index] : {std::pair{STATUS_MARK_54, 2}, std::pair{STATUS_MARK_101, 4}}) {
        CAniObject* mark = status(id) && g_pCharMgr ? g_pCharMgr->Mark(index) : nullptr;
        if (!mark) continue;
        PlaceAtScreenPoint(mark, sprite->m_screenX, top);
        mark->Draw();
    }
    DrawSkillName(top);
    return true;
}

void CChar::DrawSkillName(int32_t spriteTop) {
    CCharAction* action = GetAction();
    if (!action || !action->m_pSkillAction || !g_options.GetByte(OPT_SKILL_NAMES) || !g_pSkillTableMgr ||
        !g_pTextRenderer || !g_pDirectDraw)
        return;
    const char* name = g_pSkillTableMgr->GetName(action->m_pSkillAction->SkillRow());
    const std::string text = std::string(name ? name : "") + "!!!";
    g_pTextRenderer->DrawString(
        g_pDirectDraw->GetRenderSurface(), m_pAniObject->m_screenX - 3 * int32_t(text.size()),
        spriteTop - SKILL_NAME_ABOVE, text.c_str(), SKILL_NAME_FONT, CAPTION_COLOUR, SKILL_NAME_SHADOW, true);
}

void CChar::DrawStatusCaption() {
    CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
    if (m_pController && !m_pController->IsCharVisible(player)) return;
    CAniObject* sprite = m_pAniObject;
    if (!sprite) return;
    StepFade();
    // The stage and map file numbers, then the tile.
    char caption[64];
    std::snprintf(caption, sizeof caption, "[%d/%d] %d,%d", m_pMap ? m_pMap->GetStageNumber() : 0,
                  m_pMap ? m_pMap->GetMapFileNumber() : 0, m_cellX, m_cellY);
    if (g_pTextRenderer && g_pDirectDraw)
        g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(),
                                    sprite->m_screenX - 3 * int32_t(std::strlen(caption)),
                                    sprite->m_screenY + CAPTION_BELOW, caption, 0, CAPTION_COLOUR, 0, true);
    UpdateEnergyBar(-1);
}
