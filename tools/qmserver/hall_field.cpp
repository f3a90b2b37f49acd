#include "tools/qmserver/hall_field.h"

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "net/handlers/chat_messages.h"
#include "net/handlers/combat_handlers.h"
#include "net/packet_reader.h"
#include "tools/qmserver/server_hall.h"
#include "tools/qmserver/server_world.h"

namespace {

constexpr uint8_t REQUEST_CHAT_LINE = 14;
constexpr uint8_t REQUEST_CHAT_TO_NAME = 25;
constexpr uint8_t BOX_ANSWER = 21;
constexpr uint8_t KIND_NOTICE = 3;
constexpr uint32_t QUESTION_BOX_ID = 3601;
constexpr uint32_t STRIKE_INTERVAL_MS = 2000;
constexpr int STRIKE_REACH = 2;  // tiles, either way
constexpr uint32_t RETURN_MS = 5000;
constexpr uint32_t DAMAGE_LOW = 3, DAMAGE_HIGH = 12;

std::string Text(CPacketReader& reader) {
    std::string text = reader.GetString();
    return text.substr(0, std::strlen(text.c_str()));
}

// The first walker of the kind, or SIZE_MAX.
size_t FirstWalker(const CServerHall& hall, bool monster) {
    const std::vector<CServerWalker>& walkers = hall.World().walkers;
    for (size_t n = 0; n < walkers.size() && n < hall.WalkerCount(); ++n)
        if (walkers[n].monster == monster) return n;
    return SIZE_MAX;
}

class CFieldFeature : public CHallFeature {
public:
    Taken Request(CServerHall& hall, CHallClient& c, uint8_t code, CPacketReader& body) override {
        if (code == REQUEST_CHAT_TO_NAME) {
            if (body.GetByte() != BOX_ANSWER) return Taken::No;
            const uint32_t box = body.GetDword();
            const std::string answer = Text(body);
            if (body.Failed()) return Taken::CutShort;
            hall.LogRequest(c, "25/21", std::to_string(box) + " " + answer);
            if (box == QUESTION_BOX_ID && answer == "yes")
                hall.Send(c, WriteChatLine(KIND_NOTICE, 0, "The keeper lights the lamps."));
            return Taken::Yes;
        }
        if (code != REQUEST_CHAT_LINE || body.GetByte() != 0) return Taken::No;
        const std::string line = Text(body);
        if (body.Failed() || (line != "+hit" && line != "+leave" && line != "+ask" && line != "+drop"))
            return Taken::No;
        hall.LogRequest(c, "14/0", line);
        if (!c.ready) return Taken::Yes;
        if (line == "+hit") {
            const size_t monster = FirstWalker(hall, true);
            if (monster != SIZE_MAX && !hall.WalkerAway(monster)) Strike(hall, c, monster);
        } else if (line == "+leave") {
            const size_t npc = FirstWalker(hall, false);
            if (npc != SIZE_MAX && !hall.WalkerAway(npc)) {
                hall.WalkerLeaves(npc);
                m_away = npc;
                m_returnAt = m_now + RETURN_MS;
            }
        } else if (line == "+ask") {
            hall.Send(c,
                      WriteServerQuestion(QUESTION_BOX_ID, "Shall the keeper light the lamps?", "yes", "no"));
        } else {
            hall.Drop(c);
        }
        return Taken::Yes;
    }

    void Tick(CServerHall& hall, uint32_t nowMs) override {
        m_now = nowMs;
        if (m_away != SIZE_MAX && int32_t(nowMs - m_returnAt) >= 0) {
            hall.WalkerReturns(m_away);
            m_away = SIZE_MAX;
        }
        if (!m_ticked) {
            m_ticked = true;
            m_lastStrike = nowMs;
            return;
        }
        if (nowMs - m_lastStrike < STRIKE_INTERVAL_MS) return;
        m_lastStrike = nowMs;
        const std::vector<CServerWalker>& walkers = hall.World().walkers;
        for (size_t n = 0; n < walkers.size() && n < hall.WalkerCount(); ++n) {
            uint16_t x = 0, y = 0;
            if (!walkers[n].monster || !hall.WalkerAt(n, &x, &y)) continue;
            for (CHallClient* c : hall.ClientsInField())
                if (std::abs(int(c->x) - int(x)) <= STRIKE_REACH &&
                    std::abs(int(c->y) - int(y)) <= STRIKE_REACH)
                    Strike(hall, *c, n);
        }
    }

private:
    // The monster's hit on the player, seen by everyone in the field.
    void Strike(CServerHall& hall, CHallClient& c, size_t monster) {
        std::uniform_int_distribution<uint32_t> damage(DAMAGE_LOW, DAMAGE_HIGH);
        const uint32_t amount = damage(hall.Random());
        const uint32_t attacker = CServerHall::FIRST_WALKER_ID + uint32_t(monster);
        hall.ToAll(WriteHitResult(c.charId, amount, 1, 0, attacker));
        hall.Log(c, "struck by " + hall.World().walkers[monster].name + " for " + std::to_string(amount));
    }

    bool m_ticked = false;
    uint32_t m_now = 0, m_lastStrike = 0;
    size_t m_away = SIZE_MAX;
    uint32_t m_returnAt = 0;
};

}  // namespace

std::unique_ptr<CHallFeature> MakeFieldFeature() {
    return std::make_unique<CFieldFeature>();
}
