#include "world/chars/char_services.h"

#include "net/game_session.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"

namespace {

ICharEffects* g_charEffects = nullptr;
IItemClassUseRule* g_itemClassUseRule = nullptr;

class SessionRequests : public ICharRequests {
public:
    void SendCharInfoRequest(uint32_t charId) override { GameSession().SendCharInfoRequest(charId); }
    void SendCharLookup(uint32_t charId) override { GameSession().SendCharLookup(charId); }
    void SendChatCommand(uint8_t kind, uint32_t value) override {
        GameSession().SendChatCommand(kind, "", value);
    }
    void SendPlayerPosition(uint16_t x, uint16_t y, uint8_t facing, uint8_t sequence) override {
        GameSession().SendPlayerPosition(x, y, facing, sequence);
    }
    void SendControlledCharPosition(uint32_t id, uint16_t x, uint16_t y, uint8_t facing,
                                    uint8_t sequence) override {
        GameSession().SendControlledCharPosition(id, x, y, facing, sequence);
    }
    void SendDestination(uint8_t value, uint16_t x, uint16_t y) override {
        const CFieldPoint point{float(x), float(y)};
        GameSession().SendDestination(value, &point, 1);
    }
    void SendControlledCharDestination(uint32_t id, uint16_t x, uint16_t y) override {
        const CFieldPoint point{float(x), float(y)};
        GameSession().SendControlledCharPoints(id, 0, &point, 1);
    }
    void SendPickUp(uint32_t objectId) override { GameSession().SendPickUp(objectId); }
    void SendComboSelect() override { GameSession().SendComboSelect(); }
    void SendUseSkill(uint8_t skillFlag, uint8_t kind, const uint8_t* payload, size_t count) override {
        GameSession().SendUseSkill(skillFlag, kind, payload, count);
    }
    void SendUseItem(uint8_t slot, const uint8_t* payload, size_t count) override {
        GameSession().SendUseItem(slot, payload, count);
    }
    void SendUseQuickSkill(uint8_t slot, const uint8_t* payload, size_t count) override {
        GameSession().SendUseQuickSkill(slot, payload, count);
    }
    void SendPointRequest(uint8_t kind, uint16_t count, uint16_t x, uint16_t y) override {
        GameSession().SendPointRequest(kind, count, x, y);
    }
    void SendItemKind(uint8_t kind) override { GameSession().SendItemKind(kind); }
};

}  // namespace

std::unique_ptr<CCharStatusObject> ICharEffects::MakeOverlay(int32_t, uint32_t, uint32_t, CChar*) {
    return nullptr;
}

void SetCharEffects(ICharEffects* effects) {
    g_charEffects = effects;
}
ICharEffects* GetCharEffects() {
    return g_charEffects;
}

void SetItemClassUseRule(IItemClassUseRule* rule) {
    g_itemClassUseRule = rule;
}
IItemClassUseRule* GetItemClassUseRule() {
    return g_itemClassUseRule;
}

ICharRequests& SessionCharRequests() {
    static SessionRequests session;
    return session;
}

ICharRequests& CharRequests() {
    return g_pCharMgr ? g_pCharMgr->Requests() : SessionCharRequests();
}
