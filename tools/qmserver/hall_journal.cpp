#include "tools/qmserver/hall_journal.h"

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "net/packet_reader.h"
#include "net/packet_writer.h"
#include "tools/qmserver/server_hall.h"
#include "tools/qmserver/server_world.h"

namespace {

constexpr uint8_t kMessagePageAddress = 97;
constexpr uint8_t kRequestWebWindow = 114;
constexpr uint8_t kRequestTalk = 20;
constexpr uint8_t kRequestWarp = 60;
constexpr uint8_t kMessageWarpList = 116;
// The points the warp list opens: 0-5 of the first group.
constexpr uint32_t kOpenPoints = 0x3F;

constexpr uint8_t kMessageEventLog = 33;
constexpr uint8_t kRequestEventLog = 64;
constexpr uint8_t kCategories = 6;

// The sample journal: a category's keys and values (the player's progress).
const std::vector<std::pair<uint8_t, uint8_t>>& Progress(uint8_t category) {
    static const std::vector<std::pair<uint8_t, uint8_t>> kProgress[kCategories] = {
        {{1, 1}}, {{1, 2}, {2, 1}, {3, 1}, {4, 3}, {5, 1}}, {{1, 1}}, {{1, 0}}, {{1, 0}}, {{1, 0}}};
    return kProgress[category];
}

struct LogLine {
    uint32_t time;
    const char* text;
};
// Oldest first; one line has no time, so that the client asks again.
constexpr LogLine kLog[] = {{1765440000u, "You entered the sample world."},
                            {1765443600u, "The Lantern Festival has begun."},
                            {0, "A letter waits for the Herald."},
                            {1765447200u, "The Elder asked you a question."},
                            {1765450800u, "Herbs grow again in the west meadow."}};
constexpr uint8_t kLogTotal = uint8_t(sizeof kLog / sizeof kLog[0]);

// 33 form 1: the category's key/value table.
std::vector<uint8_t> EventLogTable(uint8_t category) {
    CMessageWriter message(kMessageEventLog);
    message.PutByte(1).PutByte(category).PutByte(uint8_t(Progress(category).size()));
    for (const auto& [key, value] : Progress(category)) message.PutByte(key).PutByte(value);
    return message.Take();
}

// 33 form 3: the log's total and `count` of its lines, newest first on the wire.
std::vector<uint8_t> EventLogLines(uint8_t count) {
    CMessageWriter message(kMessageEventLog);
    message.PutByte(3).PutByte(kLogTotal).PutByte(count);
    for (uint8_t n = count; n-- > 0;) message.PutDword(kLog[n].time).PutText(kLog[n].text);
    return message.Take();
}

bool ReadNumber(const std::string& word, uint32_t limit, uint32_t* out) {
    return ReadServerNumber(word, limit, out);
}
// Message 97 carries two texts from this client version on.
constexpr uint16_t kTwoTextsVersion = 219;

class JournalFeature : public CHallFeature {
public:
    std::vector<std::string> Keywords() const override {
        return {"journal", "web-page", "warp-talk", "warp-point"};
    }
    bool CheckLine(const CWorldLine& line, std::string* reason) const override {
        if (line.keyword == "journal") {
            if (line.args.empty()) return true;
            *reason = "journal (no words after it)";
            return false;
        }
        if (line.keyword == "web-page") {
            if (line.args.size() == 1 && !line.args[0].empty() && line.args[0].size() < 200) return true;
            *reason = "web-page ADDRESS (one word under 200 bytes)";
            return false;
        }
        if (line.keyword == "warp-talk") {
            if (line.args.size() == 1 && !line.args[0].empty() &&
                line.args[0].size() <= CServerWorld::MAX_NAME)
                return true;
            *reason = "warp-talk WALKER";
            return false;
        }
        uint32_t n = 0;
        if (line.args.size() == 3 && ReadNumber(line.args[0], 31, &n) &&
            ReadNumber(line.args[1], 65535, &n) && ReadNumber(line.args[2], 65535, &n))
            return true;
        *reason = "warp-point INDEX X Y (an index 0-31 of the first group, a tile)";
        return false;
    }
    void Start(CServerHall& hall) override {
        m_journal = !hall.World().LinesOf("journal").empty();
        for (const CWorldLine* line : hall.World().LinesOf("web-page")) m_page = line->args[0];
        for (const CWorldLine* line : hall.World().LinesOf("warp-talk")) m_warpWalker = line->args[0];
        for (const CWorldLine* line : hall.World().LinesOf("warp-point")) {
            uint32_t index = 0, x = 0, y = 0;
            ReadNumber(line->args[0], 31, &index);
            ReadNumber(line->args[1], 65535, &x);
            ReadNumber(line->args[2], 65535, &y);
            m_points[index] = {uint16_t(x), uint16_t(y)};
        }
    }
    // Once the map is ready the game scene runs and takes the address.
    void MapReady(CServerHall& hall, CHallClient& c) override {
        if (m_pageSent.count(c.id)) return;
        m_pageSent.insert(c.id);
        // The journal: every category's progress, and the log but its last
        // line (the client finds it incomplete and asks for it whole).
        if (m_journal) {
            for (uint8_t category = 0; category < kCategories; ++category)
                hall.Send(c, EventLogTable(category));
            hall.Send(c, EventLogLines(kLogTotal - 1));
        }
        if (m_page.empty()) return;
        CMessageWriter message(kMessagePageAddress);
        if (c.version >= kTwoTextsVersion) {
            // Kind 0: the page address and no board parameters.
            message.PutByte(0).PutText(m_page).PutText("");
        } else {
            message.PutByte(0).PutText(m_page);
        }
        hall.Send(c, message.Take());
    }
    void Closed(CServerHall&, CHallClient& c) override { m_pageSent.erase(c.id); }
    Taken Request(CServerHall& hall, CHallClient& c, uint8_t code, CPacketReader& body) override {
        if (code == kRequestTalk) return Talk(hall, c, body);
        if (code == kRequestWarp) return Warp(hall, c, body);
        if (code == kRequestEventLog) return EventLog(hall, c, body);
        if (code != kRequestWebWindow) return Taken::No;
        const uint8_t value = body.GetByte();
        if (body.Failed()) return Taken::CutShort;
        hall.LogRequest(c, "114", "web window " + std::to_string(value));
        return Taken::Yes;
    }

private:
    // Request 20 on the warp walker: the warp list (116), six masks.
    Taken Talk(CServerHall& hall, CHallClient& c, CPacketReader& body) {
        const uint32_t npcId = body.GetDword();
        if (body.Failed()) return Taken::CutShort;
        if (m_warpWalker.empty() || !IsWalker(hall, npcId, m_warpWalker)) return Taken::No;
        hall.LogRequest(c, "20", m_warpWalker + " opens the warp list");
        CMessageWriter message(kMessageWarpList);
        message.PutDword(kOpenPoints);
        for (int g = 1; g < 6; ++g) message.PutDword(0);
        hall.Send(c, message.Take());
        return Taken::Yes;
    }
    // Request 60 (group + 1, index): an open point moves the character to
    // its tile through a map change (21), as entering the field does.
    Taken Warp(CServerHall& hall, CHallClient& c, CPacketReader& body) {
        const uint8_t group = body.GetByte(), index = body.GetByte();
        if (body.Failed()) return Taken::CutShort;
        char note[64];
        std::snprintf(note, sizeof note, "warp to %u/%u", unsigned(group), unsigned(index));
        hall.LogRequest(c, "60/" + std::to_string(group), note);
        const auto point = m_points.find(index);
        if (group != 1 || index >= 32 || !((kOpenPoints >> index) & 1u) || point == m_points.end() ||
            !c.entered)
            return Taken::Yes;
        c.x = point->second.first;
        c.y = point->second.second;
        c.ready = false;
        hall.SendOwnCharAfterMapChange(c);
        return Taken::Yes;
    }
    // Request 64: sub-code 1 a category's table again (33/1), 3 the whole log (33/3).
    Taken EventLog(CServerHall& hall, CHallClient& c, CPacketReader& body) {
        const uint8_t sub = body.GetByte();
        if (sub == 1) {
            const uint8_t category = body.GetByte();
            if (body.Failed()) return Taken::CutShort;
            hall.LogRequest(c, "64/1", "category " + std::to_string(category));
            if (category < kCategories) hall.Send(c, EventLogTable(category));
            return Taken::Yes;
        }
        if (sub == 3) {
            const uint32_t value = body.GetDword();
            if (body.Failed()) return Taken::CutShort;
            hall.LogRequest(c, "64/3", "value " + std::to_string(value));
            hall.Send(c, EventLogLines(kLogTotal));
            return Taken::Yes;
        }
        if (body.Failed()) return Taken::CutShort;
        hall.LogRequest(c, "64/" + std::to_string(sub));
        return Taken::Yes;
    }
    static bool IsWalker(CServerHall& hall, uint32_t npcId, const std::string& name) {
        const std::vector<CServerWalker>& walkers = hall.World().walkers;
        for (size_t n = 0; n < walkers.size(); ++n)
            if (walkers[n].name == name && CServerHall::FIRST_WALKER_ID + uint32_t(n) == npcId) return true;
        return false;
    }

    bool m_journal = false;
    std::string m_page;
    std::set<int> m_pageSent;
    std::string m_warpWalker;
    std::map<uint32_t, std::pair<uint16_t, uint16_t>> m_points;
};

}  // namespace

std::unique_ptr<CHallFeature> MakeJournalFeature() {
    return std::make_unique<JournalFeature>();
}
