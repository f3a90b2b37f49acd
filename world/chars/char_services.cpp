#include "world/chars/char_services.h"

#include "net/game_session.h"
#include "world/chars/char_mgr.h"

namespace {

ICharEffects* g_charEffects = nullptr;

class SessionRequests : public ICharRequests {
public:
    void SendCharInfoRequest(uint32_t charId) override { GameSession().SendCharInfoRequest(charId); }
    void SendCharLookup(uint32_t charId) override { GameSession().SendCharLookup(charId); }
    void SendChatCommand(uint8_t kind, uint32_t value) override {
        GameSession().SendChatCommand(kind, "", value);
    }
};

}  // namespace

void SetCharEffects(ICharEffects* effects) {
    g_charEffects = effects;
}
ICharEffects* GetCharEffects() {
    return g_charEffects;
}

ICharRequests& SessionCharRequests() {
    static SessionRequests session;
    return session;
}

ICharRequests& CharRequests() {
    return g_pCharMgr ? g_pCharMgr->Requests() : SessionCharRequests();
}
