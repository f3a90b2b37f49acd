#include "tools/qmserver/hall_chat.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "net/handlers/char_handlers.h"
#include "net/handlers/chat_messages.h"
#include "net/packet_reader.h"
#include "tools/qmserver/server_hall.h"
#include "tools/qmserver/server_world.h"

namespace {

constexpr uint8_t REQUEST_CHAT_LINE = 14;
constexpr uint8_t REQUEST_CHAT_TO_NAME = 25;
constexpr uint8_t WHISPER = 0;
// Message 10's kinds: a whisper, a notice.
constexpr uint8_t KIND_WHISPER = 2, KIND_NOTICE = 3;

// The values of a "status" line: the key and how many numbers it takes.
const std::map<std::string, size_t>& StatusKeys() {
    static const std::map<std::string, size_t> keys = {
        {"life", 2},  {"mana", 2},  {"spirit", 2},     {"stamina", 1}, {"load", 2},
        {"state", 1}, {"level", 1}, {"experience", 3}, {"numbers", 8},
    };
    return keys;
}

std::string Text(CPacketReader& reader) {
    std::string text = reader.GetString();
    return text.substr(0, std::strlen(text.c_str()));
}

class CChatFeature : public CHallFeature {
public:
    std::vector<std::string> Keywords() const override { return {"greeting", "status"}; }

    bool CheckLine(const CWorldLine& line, std::string* reason) const override {
        if (line.keyword == "greeting") {
            if (line.rest.empty() || line.rest.size() > 255) *reason = "a greeting line of 1-255 bytes";
            return reason->empty();
        }
        const auto key = line.args.empty() ? StatusKeys().end() : StatusKeys().find(line.args[0]);
        if (key == StatusKeys().end() || line.args.size() != key->second + 1) {
            *reason = "status: a known value and its numbers";
            return false;
        }
        for (size_t i = 1; i < line.args.size(); ++i) {
            uint32_t value = 0;
            const uint32_t limit = key->first == "state" ? 4 : key->first == "numbers" ? 0xFFFF : 0xFFFFFFFF;
            if (!ReadServerNumber(line.args[i], limit, &value)) {
                *reason = "status: a number out of its range";
                return false;
            }
        }
        return true;
    }

    void Start(CServerHall& hall) override {
        for (const CWorldLine* line : hall.World().LinesOf("greeting")) m_greeting = line->rest;
        for (const CWorldLine* line : hall.World().LinesOf("status")) {
            std::vector<uint32_t> values;
            for (size_t i = 1; i < line->args.size(); ++i) {
                uint32_t value = 0;
                ReadServerNumber(line->args[i], 0xFFFFFFFF, &value);
                values.push_back(value);
            }
            Set(line->args[0], values);
        }
    }

    void MapReady(CServerHall& hall, CHallClient& c) override {
        hall.Send(c, WriteStatusBlock(m_status));
        if (!m_greeting.empty()) hall.Send(c, WriteChatLine(KIND_NOTICE, 0, m_greeting));
    }

    Taken Request(CServerHall& hall, CHallClient& c, uint8_t code, CPacketReader& body) override {
        if (code == REQUEST_CHAT_LINE) {
            const uint8_t kind = body.GetByte();
            const std::string line = kind == 0 ? Text(body) : std::string();
            if (body.Failed()) return Taken::CutShort;
            hall.LogRequest(c, "14/" + std::to_string(kind), line);
            // Everyone in the field hears it, the speaker too.
            if (c.ready && !line.empty()) hall.ToAll(WriteChatSpeech(0, c.charId, line));
            return Taken::Yes;
        }
        if (code != REQUEST_CHAT_TO_NAME || body.GetByte() != WHISPER) return Taken::No;
        const std::string name = Text(body);
        const std::string line = Text(body);
        if (body.Failed()) return Taken::CutShort;
        hall.LogRequest(c, "25/0", name + " " + line);
        if (!c.ready || line.empty()) return Taken::Yes;
        CHallClient* to = hall.FindClient(name);
        if (!to || !to->ready) {
            hall.Send(c, WriteChatLine(KIND_NOTICE, 0, "There is no player called " + name + "."));
            return Taken::Yes;
        }
        const std::vector<uint8_t> whisper = WriteChatLine(KIND_WHISPER, 0, c.name + " : " + line);
        hall.Send(*to, whisper);
        if (to != &c) hall.Send(c, whisper);
        return Taken::Yes;
    }

private:
    void Set(const std::string& key, const std::vector<uint32_t>& v) {
        CStatusBlockFields& s = m_status;
        if (key == "life" || key == "mana") {
            const size_t at = key == "life" ? 0 : 2;
            s.m_group02[at] = v[0];
            s.m_group02[at + 1] = v[1];
        } else if (key == "stamina") {
            s.m_group02Word = uint16_t(v[0]);
        } else if (key == "spirit" || key == "load") {
            const size_t at = key == "spirit" ? 0 : 2;
            s.m_group04[at] = v[0];
            s.m_group04[at + 1] = v[1];
        } else if (key == "state") {
            s.m_group08Byte = uint8_t(v[0]);
        } else if (key == "experience") {
            for (size_t i = 0; i < 3; ++i) s.m_group08[i] = v[i];
        } else if (key == "level") {
            s.m_group10Byte = uint8_t(v[0]);
        } else if (key == "numbers") {
            for (size_t i = 0; i < 8; ++i) s.m_group10Words[i] = uint16_t(v[i]);
        }
    }

    std::string m_greeting;
    // The life, mana, stamina, spirit, load, state, experience, numbers and level groups.
    CStatusBlockFields m_status = [] {
        CStatusBlockFields s;
        s.m_flags = 0x02 | 0x04 | 0x08 | 0x10;
        return s;
    }();
};

}  // namespace

std::unique_ptr<CHallFeature> MakeChatFeature() {
    return std::make_unique<CChatFeature>();
}
