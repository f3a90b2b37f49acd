#include "tools/qmserver/hall_messenger.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "net/handlers/chat_messages.h"
#include "net/handlers/scene_messages.h"
#include "net/packet_reader.h"
#include "tools/qmserver/server_hall.h"
#include "tools/qmserver/server_world.h"

namespace {

constexpr uint8_t REQUEST_CHAT_TO_NAME = 25, REQUEST_ONE_CHAT = 26, REQUEST_EMOTICON = 35,
                  REQUEST_ONE_CHAT_LIST = 47, REQUEST_MESSENGER = 55;
constexpr uint8_t ONE_TO_ONE = 19;
// 113 kind 19's sub-kinds: not reachable, the own line's echo, the partner's line.
constexpr uint8_t NOT_REACHABLE = 0, ECHO = 2, PARTNER_LINE = 3;

std::string Text(CPacketReader& reader) {
    std::string text = reader.GetString();
    return text.substr(0, std::strlen(text.c_str()));
}

struct Buddy {
    std::string name;
    uint32_t resourceId = 0;
    uint8_t group = 0;
    bool bot = false;
};

// One player's messenger.
struct Book {
    std::map<uint8_t, std::string> groups;
    std::vector<Buddy> buddies;
    std::vector<std::string> refusals;
    uint8_t refuseAll = 0;
};

class CMessengerFeature : public CHallFeature {
public:
    std::vector<std::string> Keywords() const override { return {"group", "buddy"}; }

    bool CheckLine(const CWorldLine& line, std::string* reason) const override {
        uint32_t value = 0;
        if (line.keyword == "group") {
            if (line.args.size() < 2 || !ReadServerNumber(line.args[0], 9, &value))
                *reason = "group: an id 0-9 and a name";
            return reason->empty();
        }
        if (line.args.size() != 4 || !ReadServerNumber(line.args[0], 9, &value) ||
            !ReadServerNumber(line.args[2], 0xFFFFFFFF, &value) || line.args[1].size() > 16 ||
            (line.args[3] != "bot" && line.args[3] != "player"))
            *reason = "buddy: a group 0-9, a name of up to 16 bytes, a resource id and bot or player";
        return reason->empty();
    }

    void Start(CServerHall& hall) override {
        for (const CWorldLine* line : hall.World().LinesOf("group")) {
            uint32_t id = 0;
            ReadServerNumber(line->args[0], 9, &id);
            const size_t at = line->rest.find(line->args[1]);
            m_start.groups[uint8_t(id)] = line->rest.substr(at == std::string::npos ? 0 : at);
        }
        m_start.groups.emplace(uint8_t(0), "Buddies");
        for (const CWorldLine* line : hall.World().LinesOf("buddy")) {
            Buddy b;
            uint32_t v = 0;
            ReadServerNumber(line->args[0], 9, &v);
            b.group = uint8_t(v);
            b.name = line->args[1];
            ReadServerNumber(line->args[2], 0xFFFFFFFF, &v);
            b.resourceId = v;
            b.bot = line->args[3] == "bot";
            m_start.buddies.push_back(b);
        }
    }

    void Closed(CServerHall& hall, CHallClient& c) override {
        (void)hall;
        m_books.erase(c.id);
    }

    Taken Request(CServerHall& hall, CHallClient& c, uint8_t code, CPacketReader& body) override {
        switch (code) {
            case REQUEST_MESSENGER:
                return Messenger(hall, c, body);
            case REQUEST_CHAT_TO_NAME:
                return OneToOne(hall, c, body);
            case REQUEST_ONE_CHAT:
                return Refusals(hall, c, body);
            case REQUEST_ONE_CHAT_LIST:
                hall.LogRequest(c, "47");
                hall.Send(c, NameList(c));
                return Taken::Yes;
            case REQUEST_EMOTICON: {
                const uint8_t number = body.GetByte();
                if (body.Failed()) return Taken::CutShort;
                hall.LogRequest(c, "35", std::to_string(number));
                return Taken::Yes;
            }
            default:
                return Taken::No;
        }
    }

private:
    Book& BookOf(const CHallClient& c) {
        auto it = m_books.find(c.id);
        if (it == m_books.end()) it = m_books.emplace(c.id, m_start).first;
        return it->second;
    }

    bool IsOnline(CServerHall& hall, const Buddy& b) {
        if (b.bot) return true;
        CHallClient* other = hall.FindClient(b.name);
        return other && other->ready;
    }

    std::vector<uint8_t> BuddyList(CServerHall& hall, const CHallClient& c) {
        std::vector<MessengerListEntry> entries;
        for (const Buddy& b : BookOf(c).buddies) {
            MessengerListEntry e;
            e.state = IsOnline(hall, b) ? 1 : 0;
            e.memberName = b.name;
            e.charName = b.name;
            e.resourceId = b.resourceId;
            e.group = b.group;
            const auto& refusals = BookOf(c).refusals;
            e.listFlag = std::find(refusals.begin(), refusals.end(), b.name) != refusals.end();
            entries.push_back(e);
        }
        return WriteMessengerBuddies(entries);
    }

    std::vector<uint8_t> NameList(const CHallClient& c) {
        std::vector<std::pair<std::string, std::string>> names;
        for (const std::string& name : BookOf(c).refusals) names.emplace_back(name, name);
        return WriteNameList(BookOf(c).refuseAll, names);
    }

    Taken Messenger(CServerHall& hall, CHallClient& c, CPacketReader& body) {
        const uint8_t sub = body.GetByte();
        Book& book = BookOf(c);
        std::string name;
        uint8_t byte = 0;
        switch (sub) {
            case 0:
            case 1:
                break;
            case 2:
            case 5:
            case 8:
            case 9:
                name = Text(body);
                byte = body.GetByte();
                break;
            case 6:
                byte = body.GetByte();
                name = Text(body);
                break;
            case 7:
                byte = body.GetByte();
                break;
            default:
                return Taken::No;
        }
        if (body.Failed()) return Taken::CutShort;
        hall.LogRequest(c, "55/" + std::to_string(sub), name);
        switch (sub) {
            case 1: {
                std::vector<std::pair<uint8_t, std::string>> groups(book.groups.begin(), book.groups.end());
                hall.Send(c, WriteMessengerGroups(groups));
                hall.Send(c, BuddyList(hall, c));
                break;
            }
            case 0:
                hall.Send(c, BuddyList(hall, c));
                break;
            case 2: {
                CHallClient* other = hall.FindClient(name);
                const bool known = std::any_of(book.buddies.begin(), book.buddies.end(),
                                               [&](const Buddy& b) { return b.name == name; });
                if (!other || known || book.buddies.size() >= 100) break;
                book.buddies.push_back(Buddy{name, other->resourceId, 0, false});
                hall.Send(c, WriteMessengerEntry(3, name, name, other->resourceId, 0));
                break;
            }
            case 5: {
                auto it = std::find_if(book.buddies.begin(), book.buddies.end(),
                                       [&](const Buddy& b) { return b.name == name; });
                if (it == book.buddies.end()) break;
                book.buddies.erase(it);
                hall.Send(c, WriteMessengerChange(4, 0, name));
                break;
            }
            case 6:
                if (byte > 9 || name.empty()) break;
                book.groups[byte] = name;
                hall.Send(c, WriteMessengerChange(5, byte, name));
                break;
            case 7:
                if (byte == 0 || byte > 9 || !book.groups.erase(byte)) break;
                hall.Send(c, WriteMessengerChange(6, byte, ""));
                break;
            case 8:
                for (Buddy& b : book.buddies)
                    if (b.name == name && byte <= 9 && book.groups.count(byte)) {
                        b.group = byte;
                        hall.Send(c, WriteMessengerChange(7, byte, name));
                        break;
                    }
                break;
            default:
                break;
        }
        return Taken::Yes;
    }

    Taken OneToOne(CServerHall& hall, CHallClient& c, CPacketReader& body) {
        if (body.GetByte() != ONE_TO_ONE) return Taken::No;
        const std::string name = Text(body);
        const std::string line = Text(body);
        if (body.Failed()) return Taken::CutShort;
        hall.LogRequest(c, "25/19", name + " " + line);
        if (!c.ready || line.empty()) return Taken::Yes;
        const Buddy* bot = nullptr;
        for (const Buddy& b : BookOf(c).buddies)
            if (b.bot && b.name == name) bot = &b;
        CHallClient* other = hall.FindClient(name);
        if (!bot && !(other && other->ready && other != &c)) {
            hall.Send(c, WriteChannelLine(ONE_TO_ONE, NOT_REACHABLE, name, ""));
            return Taken::Yes;
        }
        hall.Send(c, WriteChannelLine(ONE_TO_ONE, ECHO, name, line));
        if (bot)
            hall.Send(c, WriteChannelLine(ONE_TO_ONE, PARTNER_LINE, name, "You said: " + line));
        else
            hall.Send(*other, WriteChannelLine(ONE_TO_ONE, PARTNER_LINE, c.name, line));
        return Taken::Yes;
    }

    Taken Refusals(CServerHall& hall, CHallClient& c, CPacketReader& body) {
        const uint8_t sub = body.GetByte();
        Book& book = BookOf(c);
        std::string name;
        uint8_t byte = 0;
        if (sub == 0) {
            name = Text(body);
            byte = body.GetByte();
        } else if (sub == 1) {
            name = Text(body);
        } else if (sub == 2) {
            byte = body.GetByte();
        } else if (sub != 3) {
            return Taken::No;
        }
        if (body.Failed()) return Taken::CutShort;
        hall.LogRequest(c, "26/" + std::to_string(sub), name);
        if (sub == 0 && !name.empty() && book.refusals.size() < 100 &&
            std::find(book.refusals.begin(), book.refusals.end(), name) == book.refusals.end())
            book.refusals.push_back(name);
        if (sub == 1)
            book.refusals.erase(std::remove(book.refusals.begin(), book.refusals.end(), name),
                                book.refusals.end());
        if (sub == 2) book.refuseAll = byte != 0;
        if (sub == 3) book.refusals.clear();
        hall.Send(c, NameList(c));
        return Taken::Yes;
    }

    Book m_start;
    std::map<int, Book> m_books;
};

}  // namespace

std::unique_ptr<CHallFeature> MakeMessengerFeature() {
    return std::make_unique<CMessengerFeature>();
}
