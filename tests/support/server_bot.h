// A bot client for tests of a server: a socket to 127.x.y.z, the client's own
// framing and cipher on the client's side (CWireLink), and requests made by
// the client's request builders (ClientRequest). Waits are bounded.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "net/wire_link.h"

class CGameSession;

namespace qmtest {

// The bytes a request builder of the client queues (empty when it queued
// nothing): the call runs on a session connected through scripted sockets.
std::vector<uint8_t> ClientRequest(const std::function<void(CGameSession&)>& call);

class ServerBot {
public:
    ServerBot() = default;
    ~ServerBot();
    ServerBot(const ServerBot&) = delete;
    ServerBot& operator=(const ServerBot&) = delete;

    // Connects to addressNet:port (the link starts again with the default key).
    bool Connect(uint32_t addressNet, uint16_t port);
    void Close();
    bool Connected() const { return m_socket >= 0; }
    CWireLink& Link() { return m_link; }

    // Reads the next frame in raw mode and tells whether it is the greeting.
    bool ReadGreeting(int waitMs = 2000);
    // Frames and sends one request (code first).
    bool Send(const std::vector<uint8_t>& request);
    bool SendRaw(const std::vector<uint8_t>& bytes);
    // The next message (code first); empty when none came within waitMs or
    // the server closed.
    std::vector<uint8_t> Receive(int waitMs = 2000);
    // The next message with this code; the others on the way are dropped
    // (those with the code in keep are kept for Kept()).
    std::vector<uint8_t> ReceiveCode(uint8_t code, int waitMs = 2000);
    // True when the server closed the connection within waitMs (messages
    // that come meanwhile are dropped).
    bool WaitClosed(int waitMs = 2000);

    // The whole log-in: greeting, key, world list, world entry, the game
    // connection with its ticket, the terms and the log-in; false at the
    // first step that does not come. The account's character list is kept.
    bool LogIn(uint32_t loginAddressNet, uint16_t port, const std::string& account);
    // Enters the field with a character and says the map is ready.
    bool Enter(const std::string& name);
    const std::vector<uint8_t>& CharList() const { return m_charList; }
    uint32_t GameAddress() const { return m_gameAddress; }
    uint32_t CharId() const { return m_charId; }

private:
    bool ReadMore(int waitMs);

    int m_socket = -1;
    bool m_closed = false;
    CWireLink m_link{WireSide::Client};
    std::vector<uint8_t> m_charList;
    uint32_t m_gameAddress = 0;
    uint32_t m_charId = 0;
};

}  // namespace qmtest
