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
        const auto key = line.args.empty() ? StatusLineKeys().end() : StatusLineKeys().find(line.args[0]);
        if (key == StatusLineKeys().end() || line.args.size() != key->second + 1) {
            *reason = "status: a known value and its numbers";
            return false;
        }
        for (size_t i = 1; i < line.args.size(); ++i) {
            uint32_t value = 0;
            const uint32_t limit = key->first == "state"                                ? 4
                                   : (key->first == "numbers" || key->first == "stats") ? 0xFFFF
                                                                                        : 0xFFFFFFFF;
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
            ApplyStatusLine(m_status, line->args[0], values);
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
