#include "tests/support/login_script.h"

#include <unistd.h>
#include <zlib.h>

#include <string>

namespace qmtest {
namespace {

// A message as the wire has it: big-endian numbers, texts with a u8 length.
class Wire {
public:
    Wire& Byte(uint32_t value) {
        m_bytes.push_back(uint8_t(value));
        return *this;
    }
    Wire& Word(uint32_t value) { return Byte(value >> 8).Byte(value); }
    Wire& Dword(uint32_t value) { return Word(value >> 16).Word(value); }
    Wire& Raw(const void* data, size_t count) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        m_bytes.insert(m_bytes.end(), bytes, bytes + count);
        return *this;
    }
    Wire& Raw(const WireBytes& bytes) { return Raw(bytes.data(), bytes.size()); }
    // At most 255 characters: the length is one byte.
    Wire& Text(std::string_view text) {
        text = text.substr(0, 255);
        return Byte(uint32_t(text.size())).Raw(text.data(), text.size());
    }
    WireBytes Take() { return std::move(m_bytes); }

private:
    WireBytes m_bytes;
};

constexpr int kTries = 400;
constexpr useconds_t kPauseMicros = 5000;

}  // namespace

WireBytes KeySetupMessage(uint8_t maskFunction, std::string_view key) {
    return Wire().Byte(0).Byte(0).Byte(maskFunction).Text(key).Take();
}

WireBytes LoginResultMessage(uint8_t result, std::string_view text) {
    return Wire().Byte(2).Byte(result).Text(text).Take();
}

WireBytes Ticket(uint8_t maskFunction, std::string_view key) {
    return Wire().Byte(maskFunction).Text(key).Take();
}

WireBytes ServerChangeMessage(uint32_t addressNet, uint16_t port, uint8_t maskFunction, std::string_view key,
                              std::string_view text) {
    const WireBytes ticket = Ticket(maskFunction, key);
    return Wire()
        .Byte(3)
        .Raw(&addressNet, 4)  // network order as it stands in memory
        .Word(port)
        .Byte(uint32_t(ticket.size()))
        .Raw(ticket)
        .Text(text)
        .Take();
}

CServerListEntry World(uint8_t id, std::string_view name, uint32_t addressNet, uint16_t port, uint8_t state) {
    CServerListEntry world;
    world.worldId = id;
    world.address = addressNet;
    world.port = port;
    name = name.substr(0, sizeof(world.name) - 1);
    name.copy(world.name, name.size());
    world.state = state;
    return world;
}

WireBytes WorldListMessage(const std::vector<CServerListEntry>& worlds) {
    Wire wire;
    wire.Byte(86).Byte(uint32_t(worlds.size()));
    for (const CServerListEntry& world : worlds)
        wire.Byte(world.worldId).Raw(&world.address, 4).Word(world.port).Text(world.name).Byte(world.state);
    return wire.Take();
}

WireBytes TermsChecksumMessage(uint32_t checksum) {
    return Wire().Byte(96).Byte(0).Dword(checksum).Take();
}

WireBytes TermsTextMessage(std::string_view text) {
    uLongf size = compressBound(uLong(text.size()));
    WireBytes packed(size);
    if (compress(packed.data(), &size, reinterpret_cast<const Bytef*>(text.data()), uLong(text.size())) !=
        Z_OK)
        return {};
    packed.resize(size);
    return Wire().Byte(96).Byte(1).Word(uint32_t(packed.size())).Raw(packed).Take();
}

WireBytes CharListMessage(std::string_view account, const std::vector<CCharListEntry>& chars) {
    Wire wire;
    wire.Byte(107).Text(account).Byte(uint32_t(chars.size()));
    for (const CCharListEntry& c : chars) {
        wire.Dword(c.m_charId).Dword(c.m_value).Byte(c.m_kind).Word(c.m_mask);
        for (int bit = 0; bit < CCharListEntry::OPTIONAL_COUNT; ++bit)
            if (c.m_mask & (1u << bit)) wire.Dword(uint32_t(c.m_optional[bit]));
        wire.Byte(c.m_byte)
            .Raw(c.m_group, sizeof(c.m_group))
            .Dword(c.m_value2)
            .Dword(c.m_value3)
            .Text(c.m_name);
    }
    return wire.Take();
}

WireBytes FirstRequest(uint16_t clientVersion) {
    return Wire().Byte(0).Word(clientVersion).Byte(65).Take();
}

WireBytes WorldListRequest() {
    return {87, 1};
}

WireBytes WorldEntryRequest(uint8_t worldId) {
    return {87, 0, worldId};
}

WireBytes TicketRequest(const WireBytes& ticket) {
    return Wire().Byte(16).Raw(ticket).Take();
}

WireBytes ServerChangeAnswer() {
    return {15, 3};
}

WireBytes LoginRequest(std::string_view account, std::string_view password) {
    return Wire().Byte(3).Text(account).Text(password).Take();
}

WireBytes TermsRequest() {
    return {75};
}

bool RunFramesUntil(const FrameRunner& frame, const std::function<bool()>& done) {
    for (int tries = 0; tries < kTries; ++tries) {
        frame();
        if (done()) return true;
        usleep(kPauseMicros);
    }
    return false;
}

bool AwaitAccept(TestServer& server, const FrameRunner& frame) {
    return RunFramesUntil(frame, [&server] { return server.Accept(0); });
}

WireBytes AwaitRequest(TestServer& server, const FrameRunner& frame) {
    WireBytes request;
    RunFramesUntil(frame, [&] {
        request = server.ReceiveMessage(0);
        return !request.empty();
    });
    return request;
}

bool GreetAndHandOutKey(TestServer& server, const FrameRunner& frame, uint16_t clientVersion,
                        uint8_t maskFunction, std::string_view key) {
    if (!server.SendGreeting() || AwaitRequest(server, frame) != FirstRequest(clientVersion)) return false;
    // The key message itself goes as the last one under the old cipher.
    return server.SendMessage(KeySetupMessage(maskFunction, key)) && server.SetCipher(maskFunction, key);
}

}  // namespace qmtest
