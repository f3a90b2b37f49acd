#include "tools/qmserver/hall_events.h"

#include <string>
#include <vector>

#include "net/handlers/char_handlers.h"
#include "net/packet_reader.h"
#include "tools/qmserver/server_hall.h"
#include "tools/qmserver/server_world.h"

namespace {

constexpr uint8_t kRequestTalk = 20;
constexpr uint8_t kRequestEventState = 108;
// The event value and function index every order carries.
constexpr uint32_t kEventValue = 1;
constexpr uint32_t kFunctionIndex = 0;

struct Talk {
    std::string walker;
    std::string number;
    std::string function;
};

bool ReadTalk(const CWorldLine& line, Talk* out) {
    if (line.args.size() != 3 || line.args[0].empty() || line.args[0].size() > CServerWorld::MAX_NAME)
        return false;
    out->walker = line.args[0];
    out->number = line.args[1];
    out->function = line.args[2];
    uint32_t number = 0;
    return out->number.size() == 4 && ReadServerNumber(out->number, 9999, &number) &&
           !out->function.empty() && out->function.size() < 64;
}

class EventsFeature : public CHallFeature {
public:
    std::vector<std::string> Keywords() const override { return {"event-talk"}; }
    bool CheckLine(const CWorldLine& line, std::string* reason) const override {
        Talk t;
        if (ReadTalk(line, &t)) return true;
        *reason = "event-talk WALKER NUMBER FUNCTION (a four-digit number, a name under 64 bytes)";
        return false;
    }
    void Start(CServerHall& hall) override {
        for (const CWorldLine* line : hall.World().LinesOf("event-talk")) {
            Talk t;
            if (ReadTalk(*line, &t)) m_talks.push_back(t);
        }
    }
    Taken Request(CServerHall& hall, CHallClient& c, uint8_t code, CPacketReader& body) override {
        if (code == kRequestTalk) {
            const uint32_t npcId = body.GetDword();
            if (body.Failed()) return Taken::CutShort;
            const Talk* talk = FindTalk(hall, npcId);
            if (!talk) return Taken::No;
            hall.LogRequest(c, "20", talk->walker + " starts " + talk->number + " " + talk->function);
            hall.Send(c, WriteEventOrder(1, talk->number, talk->function, kEventValue, kFunctionIndex));
            return Taken::Yes;
        }
        if (code != kRequestEventState) return Taken::No;
        const uint8_t kind = body.GetByte();
        const uint32_t a = body.GetDword(), b = body.GetDword();
        const uint16_t count = body.GetWord();
        if (body.Failed()) return Taken::CutShort;
        if (kind == 2) {
            std::vector<uint8_t> record(count);
            if (!body.GetBytes(record.data(), record.size())) return Taken::CutShort;
            hall.LogRequest(c, "108", "kind 2 " + std::to_string(count) + " bytes");
            hall.Send(c, WriteEventBlock(a, b, record));
            return Taken::Yes;
        }
        std::string pairs;
        for (uint16_t n = 0; n < count; ++n) {
            const uint8_t first = body.GetByte(), second = body.GetByte();
            if (body.Failed()) return Taken::CutShort;
            pairs += " " + std::to_string(first) + ":" + std::to_string(second);
        }
        hall.LogRequest(c, "108",
                        "kind " + std::to_string(kind) + " value " + std::to_string(a) + " function " +
                            std::to_string(b) + " pairs" + pairs);
        return Taken::Yes;
    }

private:
    const Talk* FindTalk(CServerHall& hall, uint32_t npcId) const {
        const std::vector<CServerWalker>& walkers = hall.World().walkers;
        for (const Talk& t : m_talks)
            for (size_t n = 0; n < walkers.size(); ++n)
                if (walkers[n].name == t.walker && CServerHall::FIRST_WALKER_ID + uint32_t(n) == npcId)
                    return &t;
        return nullptr;
    }

    std::vector<Talk> m_talks;
};

}  // namespace

std::unique_ptr<CHallFeature> MakeEventsFeature() {
    return std::make_unique<EventsFeature>();
}
