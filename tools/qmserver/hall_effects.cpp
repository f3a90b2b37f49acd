#include "tools/qmserver/hall_effects.h"

#include <string>
#include <vector>

#include "net/handlers/combat_handlers.h"
#include "net/packet_reader.h"
#include "net/packet_writer.h"
#include "tools/qmserver/server_hall.h"
#include "tools/qmserver/server_world.h"

namespace {

constexpr uint8_t REQUEST_USE_SKILL = 19;
constexpr size_t MAX_SKILLS = 16;
constexpr uint8_t SKILL_LEVEL = 1;
// The hits' values run through these, one a use.
constexpr uint16_t HIT_VALUES[] = {12, 7, 25, 9, 18};

bool ReadSkills(const CWorldLine& line, std::vector<uint32_t>* out) {
    if (line.args.empty() || line.args.size() > MAX_SKILLS) return false;
    out->clear();
    for (const std::string& word : line.args) {
        uint32_t id = 0;
        if (!ReadServerNumber(word, UINT32_MAX, &id) || id == 0) return false;
        out->push_back(id);
    }
    return true;
}

// 98: a skill learned (two bytes, the skill id, its level and value).
std::vector<uint8_t> WriteSkillLearned(uint8_t flag, uint32_t skillId, uint8_t level) {
    return CMessageWriter(SERVER_SKILL_UPDATE)
        .PutByte(0)
        .PutByte(flag)
        .PutDword(skillId)
        .PutByte(level)
        .PutByte(0)
        .Take();
}

class CEffectsFeature : public CHallFeature {
public:
    std::vector<std::string> Keywords() const override { return {"skills"}; }
    bool CheckLine(const CWorldLine& line, std::string* reason) const override {
        std::vector<uint32_t> skills;
        if (ReadSkills(line, &skills)) return true;
        *reason = "skills SKILL_ID... (1 to 16 skill ids)";
        return false;
    }
    void Start(CServerHall& hall) override {
        for (const CWorldLine* line : hall.World().LinesOf("skills")) {
            std::vector<uint32_t> skills;
            if (ReadSkills(*line, &skills)) m_skills.insert(m_skills.end(), skills.begin(), skills.end());
        }
        if (m_skills.size() > MAX_SKILLS) m_skills.resize(MAX_SKILLS);
    }
    void EnterField(CServerHall& hall, CHallClient& c) override {
        for (size_t n = 0; n < m_skills.size(); ++n)
            hall.Send(c, WriteSkillLearned(uint8_t(n + 1), m_skills[n], SKILL_LEVEL));
    }
    Taken Request(CServerHall& hall, CHallClient& c, uint8_t code, CPacketReader& body) override {
        if (code != REQUEST_USE_SKILL || m_skills.empty()) return Taken::No;
        body.GetByte();  // the skill's flag
        body.GetByte();  // the kind
        // A use on a character names it; one on a tile names no one.
        const uint32_t targetId = body.Remaining() == 4 ? body.GetDword() : 0;
        if (body.Failed()) return Taken::CutShort;
        const uint32_t skillId = m_skills[m_turn % m_skills.size()];
        const uint16_t value = HIT_VALUES[m_turn % std::size(HIT_VALUES)];
        ++m_turn;
        hall.LogRequest(c, "19", std::to_string(skillId) + " on " + std::to_string(targetId));
        if (!c.ready) return Taken::Yes;
        uint16_t x = c.x, y = c.y;
        if (targetId >= CServerHall::FIRST_WALKER_ID)
            hall.WalkerAt(targetId - CServerHall::FIRST_WALKER_ID, &x, &y);
        std::vector<CSkillHitTarget> targets;
        if (targetId) targets.push_back({targetId, value, 0, 0});
        const std::vector<uint8_t> use =
            WriteSkillAction(skillId, SKILL_LEVEL, c.charId, c.x, c.y, 1, 0, targetId, 0);
        const std::vector<uint8_t> hit = WriteSkillHit(skillId, c.charId, x, y, SKILL_LEVEL, 0, targets);
        for (CHallClient* other : hall.ClientsInField()) {
            hall.Send(*other, use);
            hall.Send(*other, hit);
        }
        return Taken::Yes;
    }

private:
    std::vector<uint32_t> m_skills;
    size_t m_turn = 0;
};

}  // namespace

std::unique_ptr<CHallFeature> MakeEffectsFeature() {
    return std::make_unique<CEffectsFeature>();
}
