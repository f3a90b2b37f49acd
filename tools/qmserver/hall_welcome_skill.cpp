#include "tools/qmserver/hall_welcome_skill.h"

#include <string>
#include <vector>

#include "net/handlers/combat_handlers.h"
#include "tools/qmserver/server_hall.h"
#include "tools/qmserver/server_world.h"

namespace {

constexpr uint32_t kMaxTimeMs = 655350;  // the message counts tens of ms in 16 bits

struct Welcome {
    std::string walker;
    uint32_t skillId = 0;
    uint32_t timeMs = 0;
};

bool ReadWelcome(const CWorldLine& line, Welcome* out) {
    if (line.args.size() != 3 || line.args[0].empty() || line.args[0].size() > CServerWorld::MAX_NAME)
        return false;
    out->walker = line.args[0];
    return ReadServerNumber(line.args[1], UINT32_MAX, &out->skillId) &&
           ReadServerNumber(line.args[2], kMaxTimeMs, &out->timeMs);
}

class WelcomeSkillFeature : public CHallFeature {
public:
    std::vector<std::string> Keywords() const override { return {"welcome"}; }
    bool CheckLine(const CWorldLine& line, std::string* reason) const override {
        Welcome w;
        if (ReadWelcome(line, &w)) return true;
        *reason = "welcome WALKER SKILL_ID TIME_MS (at most 655350 ms)";
        return false;
    }
    void Start(CServerHall& hall) override {
        for (const CWorldLine* line : hall.World().LinesOf("welcome")) {
            Welcome w;
            if (ReadWelcome(*line, &w)) m_welcomes.push_back(w);
        }
    }
    void MapReady(CServerHall& hall, CHallClient& c) override {
        const std::vector<CServerWalker>& walkers = hall.World().walkers;
        for (const Welcome& w : m_welcomes)
            for (size_t n = 0; n < walkers.size(); ++n) {
                if (walkers[n].name != w.walker) continue;
                // The walker as the client knows it, standing where its loop starts.
                const auto [x, y] = walkers[n].loop.front();
                hall.Send(c, WriteSkillAction(w.skillId, 1, CServerHall::FIRST_WALKER_ID + uint32_t(n), x, y,
                                              1, 0, c.charId, uint16_t(w.timeMs / 10)));
                hall.Log(c, "welcome: " + w.walker + " uses skill " + std::to_string(w.skillId));
                break;
            }
    }

private:
    std::vector<Welcome> m_welcomes;
};

}  // namespace

std::unique_ptr<CHallFeature> MakeWelcomeSkillFeature() {
    return std::make_unique<WelcomeSkillFeature>();
}
