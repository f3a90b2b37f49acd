// A TCP server on 127.0.0.1 for tests of a client socket: it listens at a
// free port, accepts one client at a time, sends bytes as they are and takes
// what the client sent with a bounded wait. Everything is single-threaded: the
// client connects (the listen backlog takes the connection), then the test
// accepts, sends, and waits.
#pragma once
#include <cstdint>
#include <vector>

namespace qmtest {

class LoopbackServer {
public:
    // Listens on 127.0.0.1 at a free port.
    LoopbackServer();
    virtual ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    bool Listening() const { return m_listener >= 0; }
    uint16_t Port() const { return m_port; }
    // 127.0.0.1 in network byte order.
    static uint32_t Address();

    // Accepts the waiting client; false when none came within waitMs.
    bool Accept(int waitMs = 2000);
    bool Connected() const { return m_client >= 0; }
    // Closes the client's connection (the client sees the peer hang up).
    void CloseClient();
    // Stops listening (later connects are refused).
    void StopListening();

    // Sends bytes as they are.
    bool SendRaw(const std::vector<uint8_t>& bytes);
    // True when the client closed its side within waitMs.
    bool WaitClientClosed(int waitMs = 2000);

protected:
    // A new client was accepted.
    virtual void OnAccepted() {}
    // Takes what the client sent into m_pending; false on close or timeout.
    bool ReadMore(int waitMs);

    std::vector<uint8_t> m_pending;

private:
    int m_listener = -1;
    int m_client = -1;
    uint16_t m_port = 0;
    bool m_clientClosed = false;
};

}  // namespace qmtest
