#include "app/world_hooks.h"

#include "anim/ani_object.h"
#include "core/message.h"
#include "data/game_hooks.h"
#include "script/event_mgr.h"
#include "sound/sound_mgr.h"
#include "sound/sound_services.h"
#include "ui/window_mgr.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"
#include "world/map/map.h"

namespace {

class CProgramWorldHooks : public IGameWorldHooks {
public:
    // The map, while it exists.
    bool HasMap() override { return g_pMap != nullptr; }
    // Clicks over a window are not the field's.
    bool IsTargetFlagSet() override { return g_pWindowMgr && g_pWindowMgr->IsMouseOverWindow(); }
    bool IsWalkable(int32_t x, int32_t y) override { return g_pMap && g_pMap->IsPassable(x, y); }
    bool HandleMapMessage(const CMsgPayload& msg) override {
        if (!g_pMap) return false;
        g_pMap->HandleMessage(msg);
        return true;
    }
    bool HasMapData() override { return g_pMap && g_pMap->GetMapData(); }
    void SetFieldValue(uint32_t value) override {
        if (g_pMap) g_pMap->m_fieldValue = value;
    }
    std::pair<int32_t, int32_t> TileToScreen(int32_t tileX, int32_t tileY) override {
        if (!g_pMap) return {0, 0};
        const IsoPoint p = g_pMap->TileToScreen(tileX, tileY);
        return {p.x, p.y};
    }
    std::pair<int32_t, int32_t> ScreenToTile(int32_t x, int32_t y) override {
        if (!g_pMap) return {-1, -1};
        const IsoPoint p = g_pMap->ScreenToTile(x, y);
        return {p.x, p.y};
    }
    bool IsPassableAt(int32_t tileX, int32_t tileY) override {
        return g_pMap && g_pMap->IsPassableAt(tileX, tileY);
    }

    // The character manager, while it exists.
    std::pair<int32_t, int32_t> GetPosition(CChar* c) override {
        return c ? std::pair<int32_t, int32_t>{c->m_x, c->m_y} : std::pair<int32_t, int32_t>{0, 0};
    }
    std::pair<int32_t, int32_t> GetMapPoint(CChar* c) override {
        return c ? c->GetMapPoint() : std::pair<int32_t, int32_t>{0, 0};
    }
    float GetRadius(CChar* c) override { return c ? c->m_bodySize : 0.0f; }
    bool IsPlayerChar(CChar* c) override { return c && g_pCharMgr && g_pCharMgr->GetPlayer() == c; }
    bool IsStatus9Set(CChar* c) override {
        return c && c->GetController() && c->GetController()->IsStatus9Set();
    }
    bool CanAttack(CChar* user, CChar* target) override {
        return user && user->GetController() && user->GetController()->CanAttack(target);
    }
    bool HasSkill(CChar* c, int32_t skillRow) override {
        return c && c->GetData() && c->GetData()->HasSkill(skillRow);
    }
    uint32_t GetSkillValue(CChar* c, int32_t skillRow) override {
        return c && c->GetData() ? c->GetData()->GetSkillValue(skillRow) : 0;
    }
    // The level, and the two further values a skill level asks for.
    uint32_t GetRequirementValue(CChar* c, int which) override {
        CCharData* data = c ? c->GetData() : nullptr;
        if (!data) return 0;
        switch (which) {
            case 0:
                return data->m_values[VALUE_LEVEL];
            case 1:
                return data->m_values[VALUE_REQUIRED_SECOND];
            case 2:
                return data->m_values[VALUE_REQUIRED_THIRD];
            default:
                return 0;
        }
    }
    bool CharStateEvent(uint32_t charId, uint8_t kind, uint32_t value, uint16_t extra) override {
        CChar* character = g_pCharMgr ? g_pCharMgr->GetChar(charId) : nullptr;
        if (!character || !character->GetController()) return false;
        character->GetController()->OnServerEvent(kind, value, extra);
        return true;
    }
    bool HandOverCombo(uint32_t charId, uint16_t b, uint16_t c) override {
        CChar* character = g_pCharMgr ? g_pCharMgr->GetChar(charId) : nullptr;
        CCharController* controller = character ? character->GetController() : nullptr;
        if (!controller || !controller->m_ready || !controller->Data()) return false;
        controller->Data()->SetComboValue(b, c);
        return true;
    }
    CItemObject* GetItemInSlot(CChar* c, int slot) override {
        return c && c->GetController() ? c->GetController()->GetItemInSlot(slot) : nullptr;
    }
    bool PostCharRecord(std::unique_ptr<CMsgPayload> record, int32_t delay) override {
        return g_pCharMgr && g_pCharMgr->PostRecord(std::move(record), delay);
    }
    bool PostEventRecord(std::unique_ptr<CMsgPayload> record, int32_t delay) override {
        return g_pEventMgr && g_pEventMgr->PostRecord(std::move(record), delay);
    }
    bool PostCharPortRecord(std::unique_ptr<CMsgPayload> record) override {
        return g_pCharMgr && g_pCharMgr->PostRecord(std::move(record), 0);
    }
    bool HandleCharRecord(const CMsgPayload& record) override {
        if (!g_pCharMgr) return false;
        g_pCharMgr->HandleMessage(record);
        ReportIfUnread(&record, "character manager");
        return true;
    }
    bool ParseCharMessage(uint8_t code, const uint8_t* body, size_t length) override {
        return g_pCharMgr && g_pCharMgr->HandleServerUpdate(code, body, length);
    }
    CChar* FindChar(uint32_t charId) override {
        return g_pCharMgr ? g_pCharMgr->FindChar(nullptr, charId) : nullptr;
    }
    CChar* PickCharAt(int32_t x, int32_t y, bool includePlayer) override {
        return g_pCharMgr ? g_pCharMgr->PickCharAt(x, y, false, nullptr, includePlayer) : nullptr;
    }
    // The session keeps a party list of the characters' kind; the player's own
    // appearance takes it over.
    std::unique_ptr<IPartyList> MakePartyList() override {
        return g_pCharMgr ? std::make_unique<CTeam>() : nullptr;
    }
    bool GetCharName(uint32_t charId, char* name, size_t capacity) override {
        return g_pCharMgr && g_pCharMgr->GetCharName(charId, name, capacity);
    }
    // The value is the row of the sound table; the text names nothing the
    // manager looks up.
    void PlayTableSound(const char*, uint8_t value) override {
        if (g_pCharMgr) g_pCharMgr->PlayTableSound(value);
    }

    // The sound manager, while it exists.
    bool HasSoundMgr() override { return g_pSoundMgr != nullptr; }
    void PlaySoundEffect(uint16_t soundId, int32_t x, int32_t y) override {
        if (g_pSoundMgr) g_pSoundMgr->PlaySoundEffect(soundId, x, y, 1);
    }
};

CProgramWorldHooks g_programWorld;

// What the sound manager reads of the characters it is given (an impact's
// attacker and target).
class CProgramSoundCharacters : public ISoundCharacters {
public:
    uint16_t GetCharType(CChar* c) override { return c ? c->GetKind() : uint16_t(SOUND_CHAR_PLAYER); }
    uint32_t GetResourceId(CChar* c) override { return c ? c->m_resourceId : 0; }
    std::pair<int32_t, int32_t> GetScreenPoint(CChar* c) override {
        CAniObject* ani = c ? c->GetAniObject() : nullptr;
        return ani ? std::pair<int32_t, int32_t>{ani->GetX(), ani->GetY()}
                   : std::pair<int32_t, int32_t>{0, 0};
    }
};

CProgramSoundCharacters g_soundCharacters;

}  // namespace

void InstallGameWorldHooks() {
    SetGameWorldHooks(&g_programWorld);
    SetSoundCharacters(&g_soundCharacters);
}
