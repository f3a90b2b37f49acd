#include "world/chars/char_services.h"

#include "net/game_session.h"

namespace {

ICharEffects* g_charEffects = nullptr;
ICharRequests* g_charRequests = nullptr;

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

ICharRequests& CharRequests() {
    static SessionRequests session;
    return g_charRequests ? *g_charRequests : session;
}
void SetCharRequests(ICharRequests* requests) {
    g_charRequests = requests;
}
ICharRequests* GetCharRequests() {
    return g_charRequests;
}
