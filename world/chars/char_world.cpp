#include "world/chars/char_world.h"

#include <algorithm>

#include "anim/ani_object.h"
#include "anim/ani_services.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"
#include "world/map/map_services.h"

namespace {

class ManagerMapCharacters : public IMapCharacters {
public:
    bool AreCharsReady() override { return g_pCharMgr && g_pCharMgr->AreCharsReady(); }
    bool GetPlayerTile(int32_t* tileX, int32_t* tileY) override {
        CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
        if (!player) return false;
        *tileX = player->m_cellX;
        *tileY = player->m_cellY;
        return true;
    }
    CAniObject* GetPlayerAniObject() override {
        CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
        return player ? player->GetAniObject() : nullptr;
    }
    void RemoveAllButPlayer() override {
        if (g_pCharMgr) g_pCharMgr->RemoveAllButPlayer();
    }
    void ResetPlayerMapState() override {
        CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
        if (CCharAction* action = player ? player->GetAction() : nullptr) action->ResetMapState();
    }
    void SetPlayersBattleZone(bool battle) override {
        if (g_pCharMgr) g_pCharMgr->SetPlayersRunMode(battle);
    }
    void DropLinkedObject(uint32_t) override {}
    CItemObject* FindObjectEntry(uint32_t) override { return nullptr; }
    bool GetCharPosition(CChar* character, int32_t* x, int32_t* y) override {
        if (!character) return false;
        *x = character->m_x;
        *y = character->m_y;
        return true;
    }
};

class ManagerAniCharacters : public IAniCharacters {
public:
    uint32_t GetCharId(CChar* c) override { return c ? c->GetCharId() : 0; }
    bool IsCharVisible(CChar* c) override {
        if (!c) return false;
        CCharController* controller = c->GetController();
        return !controller || controller->IsCharVisible(g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr);
    }
    bool IsPlayerStatus9Set() override {
        CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
        return player && player->GetController() && player->GetController()->IsStatus9Set();
    }
    // Players 0, the others their kind.
    uint16_t GetFlagWord(CChar* c) override { return c ? c->GetKind() : 0; }
    void AddFirstHitCount(CChar* c) override {
        if (c && c->GetController()) ++c->GetController()->m_firstHits;
    }
    void AddSecondHitCountById(uint32_t charId) override {
        CChar* c = g_pCharMgr ? g_pCharMgr->GetChar(charId) : nullptr;
        if (c && c->GetController()) ++c->GetController()->m_secondHits;
    }
    void SetRatio(CChar* c, float ratio) override {
        if (c && c->GetController()) c->GetController()->m_ratio = ratio;
    }
    CAniObject* GetCharAniObject(CChar* c) override { return c ? c->GetAniObject() : nullptr; }
    int32_t GetShadowSize(CChar* c) override { return c ? std::clamp(int32_t(c->m_bodySize), 0, 4) : 0; }
    CChar* FindChar(uint32_t id) override { return g_pCharMgr ? g_pCharMgr->FindChar(nullptr, id) : nullptr; }
    void GetCharMapPosition(CChar* c, int32_t* x, int32_t* y, int32_t* z) override {
        *x = c ? c->m_x : 0;
        *y = c ? c->m_y : 0;
        *z = c ? c->m_z : 0;
    }
    void GetCharScreenPosition(CChar* c, int32_t* x, int32_t* y) override {
        CAniObject* ani = c ? c->GetAniObject() : nullptr;
        *x = ani ? ani->GetX() : 0;
        *y = ani ? ani->GetY() : 0;
    }
    void AddDrawObject(CChar* c, CAniObject* object) override {
        if (c) c->AddDrawObject(object);
    }
    void RemoveDrawObject(CChar* c, CAniObject* object) override {
        if (c) c->RemoveDrawObject(object);
    }
};

}  // namespace

IMapCharacters& MapCharacters() {
    static ManagerMapCharacters characters;
    return characters;
}

IAniCharacters& AniCharacters() {
    static ManagerAniCharacters characters;
    return characters;
}
