#include "tools/qmserver/hall_clubs.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "core/message.h"
#include "core/window_port_records.h"
#include "net/handlers/club_messages.h"
#include "net/handlers/window_records.h"
#include "net/packet_reader.h"
#include "tools/qmserver/server_hall.h"
#include "tools/qmserver/server_world.h"

namespace {

constexpr uint8_t kRequestClub = 61;
constexpr uint32_t kAllActions = 0xFFFFFFFF;
constexpr uint32_t kEmblems = 75;

struct Member {
    std::string name;
    std::string nickname;
    uint8_t grade = 3;
    uint32_t resourceId = 0;
    uint16_t level = 1;
    uint32_t points = 0;
    uint32_t applied = 0;
};

struct Club {
    uint8_t number = 0;
    std::string name;
    uint16_t level = 1;
    uint32_t points = 0;
    uint32_t emblem = 0;
    uint16_t minLevel = 1, maxLevel = 255;
    std::string homepage, introduction;
    std::vector<Member> members;
    std::vector<CDatedLine> notices, log;
    std::string texts[2];
};

std::string Text(CPacketReader& reader) {
    std::string text = reader.GetString();
    return text.substr(0, std::strlen(text.c_str()));
}

bool Numbers(const CWorldLine& line, const std::vector<uint32_t>& limits, std::vector<uint32_t>* values) {
    if (line.args.size() < limits.size() + 1) return false;
    values->assign(limits.size(), 0);
    for (size_t i = 0; i < limits.size(); ++i)
        if (!ReadServerNumber(line.args[i], limits[i], &(*values)[i])) return false;
    return true;
}

const std::vector<uint32_t> kClubLimits = {255, 0xFFFF, 0xFFFFFFFF, kEmblems};
const std::vector<uint32_t> kMemberLimits = {255, 4, 0xFFFFFFFF, 0xFFFF, 0xFFFFFFFF};

CDatedLine Dated(uint32_t date, const std::string& text) {
    CDatedLine line;
    line.m_date = date;
    CopyRecordText(line.m_text, text.c_str());
    return line;
}

class CClubsFeature : public CHallFeature {
public:
    std::vector<std::string> Keywords() const override { return {"club", "member"}; }

    bool CheckLine(const CWorldLine& line, std::string* reason) const override {
        std::vector<uint32_t> v;
        if (line.keyword == "club") {
            if (!Numbers(line, kClubLimits, &v) || v[0] == 0)
                *reason = "a club is 'club NUMBER LEVEL POINTS EMBLEM NAME' (number 1-255, emblem 0-75)";
        } else if (!Numbers(line, kMemberLimits, &v) || v[0] == 0 || v[1] == 0 ||
                   RestAfter(line.rest, 5).size() > 16) {
            *reason =
                "a member is 'member NUMBER GRADE RESOURCE LEVEL POINTS NAME' (grade 1-4, a name of 16 "
                "bytes)";
        }
        return reason->empty();
    }

    void Start(CServerHall& hall) override {
        std::vector<uint32_t> v;
        for (const CWorldLine* line : hall.World().LinesOf("club")) {
            Numbers(*line, kClubLimits, &v);
            Club& club = m_clubs[uint8_t(v[0])];
            club.number = uint8_t(v[0]);
            club.level = uint16_t(v[1]);
            club.points = v[2];
            club.emblem = v[3];
            club.name = RestAfter(line->rest, 4);
            club.introduction = "Welcome to " + club.name + ".";
        }
        for (const CWorldLine* line : hall.World().LinesOf("member")) {
            Numbers(*line, kMemberLimits, &v);
            auto it = m_clubs.find(uint8_t(v[0]));
            if (it == m_clubs.end()) continue;
            Member m;
            m.grade = uint8_t(v[1]);
            m.resourceId = v[2];
            m.level = uint16_t(v[3]);
            m.points = v[4];
            m.name = RestAfter(line->rest, 5);
            m.applied = uint32_t(std::time(nullptr));
            it->second.members.push_back(m);
        }
    }

    void MapReady(CServerHall& hall, CHallClient& c) override {
        Club* club = ClubOf(c.name);
        if (!club) return;
        hall.Send(c, WriteClubInfo(Info(*club, FindMember(*club, c.name)->grade)));
        hall.Send(c, WriteClubMemberList(club->name, Records(hall, *club)));
    }

    Taken Request(CServerHall& hall, CHallClient& c, uint8_t code, CPacketReader& body) override {
        if (code != kRequestClub) return Taken::No;
        const uint8_t sub = body.GetByte();
        const uint8_t number = body.GetByte();
        if (body.Failed()) return Taken::CutShort;
        const std::string name = "61/" + std::to_string(sub);
        auto it = m_clubs.find(number);
        Club* club = it == m_clubs.end() ? nullptr : &it->second;
        Member* self = club ? FindMember(*club, c.name) : nullptr;
        switch (sub) {
            case 20: {
                const uint8_t kind = body.GetByte();
                if (body.Failed()) return Taken::CutShort;
                hall.LogRequest(c, name, std::to_string(kind));
                if (!self || kind > 3) return Taken::Yes;
                if (kind <= 1)
                    hall.Send(c, WriteClubDatedLines(kind, kind == 0 ? club->log : club->notices));
                else
                    hall.Send(c, WriteClubText(kind, club->texts[kind - 2]));
                return Taken::Yes;
            }
            case 3: {
                const uint16_t low = body.GetWord(), high = body.GetWord();
                const std::string homepage = Text(body), introduction = Text(body);
                if (body.Failed()) return Taken::CutShort;
                hall.LogRequest(c, name, std::to_string(low) + " " + std::to_string(high) + " " + homepage);
                if (!self) return Taken::Yes;
                club->minLevel = low;
                club->maxLevel = high;
                club->homepage = homepage;
                club->introduction = introduction;
                Note(*club, c.name + " changed the settings.");
                SendInfoToMembers(hall, *club);
                return Taken::Yes;
            }
            case 4: {
                body.GetByte();
                const uint32_t emblem = body.GetDword();
                if (body.Failed()) return Taken::CutShort;
                hall.LogRequest(c, name, std::to_string(emblem));
                if (!self || emblem > kEmblems) return Taken::Yes;
                club->emblem = emblem;
                SendInfoToMembers(hall, *club);
                return Taken::Yes;
            }
            case 7:
            case 8: {
                const std::string who = Text(body);
                std::string nickname;
                uint8_t grade = 0;
                if (sub == 7)
                    nickname = Text(body);
                else
                    grade = body.GetByte();
                if (body.Failed()) return Taken::CutShort;
                hall.LogRequest(c, name, who + " " + (sub == 7 ? nickname : std::to_string(grade)));
                Member* target = self ? FindMember(*club, who) : nullptr;
                if (!target || (sub == 8 && (grade < 2 || grade > 3))) return Taken::Yes;
                if (sub == 7)
                    target->nickname = nickname.substr(0, 20);
                else
                    target->grade = grade;
                Note(*club, c.name + (sub == 7 ? " named " : " set the grade of ") + who + ".");
                ToMembers(hall, *club, WriteClubMember(MemberMessage(hall, *target)));
                return Taken::Yes;
            }
            case 19: {
                body.GetByte();
                const std::string notice = Text(body);
                if (body.Failed()) return Taken::CutShort;
                hall.LogRequest(c, name, notice);
                if (!self || notice.empty()) return Taken::Yes;
                club->notices.push_back(Dated(uint32_t(std::time(nullptr)), c.name + ": " + notice));
                ToMembers(hall, *club, WriteClubDatedLines(1, club->notices));
                return Taken::Yes;
            }
            case 6: {
                const std::string clubName = Text(body), who = Text(body);
                if (body.Failed()) return Taken::CutShort;
                hall.LogRequest(c, name, clubName + " " + who);
                if (!self || !FindMember(*club, who)) return Taken::Yes;
                if (who == c.name) {
                    hall.Send(c, WriteClubRemoved(0, club->name));
                    Remove(*club, who);
                } else {
                    Remove(*club, who);
                    ToMembers(hall, *club, WriteClubMemberLeft(who));
                }
                Note(*club, who + " left the club.");
                return Taken::Yes;
            }
            default:
                hall.LogRequest(c, name);
                return Taken::Yes;
        }
    }

private:
    Club* ClubOf(const std::string& name) {
        for (auto& [number, club] : m_clubs)
            if (FindMember(club, name)) return &club;
        return nullptr;
    }
    static Member* FindMember(Club& club, const std::string& name) {
        for (Member& m : club.members)
            if (m.name == name) return &m;
        return nullptr;
    }
    static void Remove(Club& club, const std::string& name) {
        club.members.erase(std::remove_if(club.members.begin(), club.members.end(),
                                          [&](const Member& m) { return m.name == name; }),
                           club.members.end());
    }
    static void Note(Club& club, const std::string& text) {
        club.log.push_back(Dated(uint32_t(std::time(nullptr)), text));
        if (club.log.size() > 20) club.log.erase(club.log.begin());
    }

    static CClubInfoMsg Info(const Club& club, uint8_t grade) {
        CClubInfoMsg info;
        info.m_a = club.number;
        info.m_mode = grade;
        CopyRecordText(info.m_text1, club.name.c_str());
        info.m_value1 = club.points;
        info.m_value4 = uint16_t(std::min<size_t>(club.members.size(), 0xFFFF));
        info.m_value5 = uint32_t(club.members.size());
        info.m_value6 = club.level;
        info.m_value7 = club.minLevel;
        info.m_value8 = club.maxLevel;
        CopyRecordText(info.m_text4, club.homepage.c_str());
        CopyRecordText(info.m_text5, club.introduction.c_str());
        info.m_value9 = kAllActions;
        info.m_value12 = club.emblem;
        return info;
    }

    static bool Online(CServerHall& hall, const std::string& name) {
        const CHallClient* client = hall.FindClient(name);
        return client && client->ready;
    }

    static std::vector<CClubMemberRecord> Records(CServerHall& hall, const Club& club) {
        std::vector<CClubMemberRecord> records;
        for (const Member& m : club.members) {
            CClubMemberRecord r;
            CopyRecordText(r.m_firstName, m.name.c_str());
            CopyRecordText(r.m_secondName, m.nickname.c_str());
            r.m_a = m.grade;
            r.m_b = m.resourceId;
            r.m_k = m.level;
            r.m_d = m.applied;
            r.m_h = m.points;
            r.m_f = Online(hall, m.name) ? 1 : 0;
            records.push_back(r);
        }
        return records;
    }

    static CClubMemberMsg MemberMessage(CServerHall& hall, const Member& m) {
        CClubMemberMsg msg;
        CopyRecordText(msg.m_name, m.name.c_str());
        CopyRecordText(msg.m_secondName, m.nickname.c_str());
        msg.m_kind = m.grade;
        msg.m_a = m.resourceId;
        msg.m_b = m.level;
        msg.m_c = m.applied;
        msg.m_e = m.points;
        msg.m_g = Online(hall, m.name) ? 1 : 0;
        return msg;
    }

    static void ToMembers(CServerHall& hall, const Club& club, const std::vector<uint8_t>& message) {
        for (const Member& m : club.members)
            if (CHallClient* client = hall.FindClient(m.name); client && client->ready)
                hall.Send(*client, message);
    }

    static void SendInfoToMembers(CServerHall& hall, const Club& club) {
        for (const Member& m : club.members)
            if (CHallClient* client = hall.FindClient(m.name); client && client->ready)
                hall.Send(*client, WriteClubInfo(Info(club, m.grade)));
    }

    std::map<uint8_t, Club> m_clubs;
};

}  // namespace

std::unique_ptr<CHallFeature> MakeClubsFeature() {
    return std::make_unique<CClubsFeature>();
}
