#include "tests/support/server_bot.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "net/connection.h"
#include "net/game_session.h"
#include "net/handlers/appearance_messages.h"
#include "net/handlers/login_phase.h"
#include "net/packet_reader.h"
#include "platform/clock.h"
#include "platform/socket.h"

namespace qmtest {

namespace {

class NoPoster : public plat::ISocketNotifyPoster {
public:
    void Post(uint32_t, uintptr_t, intptr_t) override {}
};

}  // namespace

std::vector<uint8_t> ClientRequest(const std::function<void(CGameSession&)>& call) {
    plat::FakeClock clock;
    plat::ScopedClock clockScope(clock);
    plat::ScriptedSockets sockets;
    plat::ScopedSockets socketScope(sockets);
    NoPoster poster;
    plat::ScopedSocketNotifyPoster posterScope(poster);
    plat::WSAStartup(plat::MakeWord(2, 2), nullptr);
    CConnection* saved = g_connection;
    std::vector<uint8_t> request;
    {
        CConnection connection(nullptr, WM_SOCKET_NOTIFY);
        g_connection = &connection;
        connection.Connect(plat::MakeIPv4(127, 0, 0, 1), 40000);
        CGameSession session;
        call(session);
        if (session.QueuedMessages() > 0) request = session.QueuedMessage(0);
        g_connection = saved;
    }
    plat::WSACleanup();
    return request;
}

ServerBot::~ServerBot() {
    Close();
}

bool ServerBot::Connect(uint32_t addressNet, uint16_t port) {
    Close();
    m_link.Reset();
    m_link.Cipher() = CPacketCipher();
    m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_socket < 0) return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = addressNet;
    addr.sin_port = htons(port);
    if (::connect(m_socket, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        Close();
        return false;
    }
    m_closed = false;
    return true;
}

void ServerBot::Close() {
    if (m_socket >= 0) ::close(m_socket);
    m_socket = -1;
}

bool ServerBot::ReadMore(int waitMs) {
    if (m_socket < 0 || m_closed) return false;
    pollfd p{m_socket, POLLIN, 0};
    if (::poll(&p, 1, waitMs) <= 0) return false;
    uint8_t buffer[65536];
    const ssize_t n = ::recv(m_socket, buffer, sizeof buffer, 0);
    if (n <= 0) {
        m_closed = true;
        return false;
    }
    m_link.Feed(buffer, size_t(n));
    return true;
}

bool ServerBot::ReadGreeting(int waitMs) {
    CWireFrame frame;
    while (!m_link.Next(&frame, true))
        if (!ReadMore(waitMs)) return false;
    const std::vector<uint8_t> greeting = CWireLink::Greeting();
    return frame.message == std::vector<uint8_t>(greeting.begin() + FRAME_HEADER_SIZE, greeting.end());
}

bool ServerBot::Send(const std::vector<uint8_t>& request) {
    const std::vector<uint8_t> frame = m_link.Frame(request);
    return !frame.empty() && SendRaw(frame);
}

bool ServerBot::SendRaw(const std::vector<uint8_t>& bytes) {
    if (m_socket < 0) return false;
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(m_socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += size_t(n);
    }
    return true;
}

std::vector<uint8_t> ServerBot::Receive(int waitMs) {
    CWireFrame frame;
    for (;;) {
        while (m_link.Next(&frame))
            if (!frame.message.empty()) return frame.message;
        if (!ReadMore(waitMs)) return {};
    }
}

std::vector<uint8_t> ServerBot::ReceiveCode(uint8_t code, int waitMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        const int left =
            int(std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now())
                    .count());
        if (left <= 0) return {};
        std::vector<uint8_t> message = Receive(left);
        if (message.empty()) return {};
        if (message[0] == code) return message;
    }
}

bool ServerBot::WaitClosed(int waitMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (!m_closed) {
        const int left =
            int(std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now())
                    .count());
        if (left <= 0) return false;
        ReadMore(left);
        CWireFrame frame;
        while (m_link.Next(&frame)) {
        }
    }
    return true;
}

bool ServerBot::LogIn(uint32_t loginAddressNet, uint16_t port, const std::string& account) {
    if (!Connect(loginAddressNet, port) || !ReadGreeting()) return false;
    if (!Send(ClientRequest([](CGameSession& s) { s.SendFirstRequest(); }))) return false;
    std::vector<uint8_t> key = ReceiveCode(0);
    if (key.size() < 2 || key[1] != 0) return false;
    CPacketReader keyBody(key.data() + 2, key.size() - 2);
    std::optional<CCipherSetup> setup = ParseKeySetup(keyBody);
    if (!setup || !m_link.SetCipher(int(setup->m_maskFunction), setup->m_key)) return false;
    if (!Send(ClientRequest([](CGameSession& s) { s.SendWorldListRequest(); })) || ReceiveCode(86).empty())
        return false;
    if (!Send(ClientRequest([](CGameSession& s) { s.SendWorldEntry(1); }))) return false;
    std::vector<uint8_t> change = ReceiveCode(3);
    CPacketReader changeBody(change.data() + 1, change.empty() ? 0 : change.size() - 1);
    std::optional<CServerChange> next = ParseServerChange(changeBody);
    if (!next || !next->m_ticketReadable) return false;
    // The game connection: the ticket in clear, then the ticket's cipher.
    m_gameAddress = next->m_addressNet;
    const std::vector<uint8_t> ticket = ClientRequest([&](CGameSession& s) {
        std::memcpy(s.m_ticket, next->m_ticket.data(), next->m_ticket.size());
        s.m_ticketLength = uint8_t(next->m_ticket.size());
        s.m_nextMaskFunction = next->m_cipher.m_maskFunction;
        s.m_nextKeyLength = uint32_t(next->m_cipher.m_key.size());
        std::snprintf(s.m_nextKey, sizeof s.m_nextKey, "%s", next->m_cipher.m_key.c_str());
        s.SendKeyAcknowledgement();
    });
    if (!Connect(next->m_addressNet, next->m_port) || !Send(ticket)) return false;
    if (!m_link.SetCipher(int(next->m_cipher.m_maskFunction), next->m_cipher.m_key) || !ReadGreeting())
        return false;
    if (!Send(ClientRequest([](CGameSession& s) { s.SendLoginPhaseAnswer(); })) || ReceiveCode(96).empty())
        return false;
    if (!Send(ClientRequest([](CGameSession& s) { s.SendTermsRequest(); })) || ReceiveCode(96).empty())
        return false;
    if (!Send(ClientRequest([&](CGameSession& s) {
            std::snprintf(s.m_account, sizeof s.m_account, "%s", account.c_str());
            std::snprintf(s.m_loginKey, sizeof s.m_loginKey, "%s", "secret");
            s.SendLoginRequest(1);
        })))
        return false;
    std::vector<uint8_t> reply = ReceiveCode(2);
    if (reply.size() < 2 || reply[1] != 0) return false;
    m_charList = ReceiveCode(107);
    return !m_charList.empty();
}

bool ServerBot::Enter(const std::string& name) {
    if (!Send(ClientRequest([&](CGameSession& s) { s.SendCharSelect(name.c_str()); }))) return false;
    if (ReceiveCode(21).empty()) return false;
    std::vector<uint8_t> own = Receive();
    if (own.empty() || own[0] != SERVER_OWN_CHAR) return false;
    CPacketReader body(own.data() + 1, own.size() - 1);
    std::optional<CCharCreateFields> fields = ParseOwnChar(body);
    if (!fields) return false;
    m_charId = fields->m_charId;
    if (ReceiveCode(4).empty() || ReceiveCode(103).empty()) return false;
    return Send(ClientRequest([](CGameSession& s) { s.SendMapReady(); }));
}

}  // namespace qmtest
