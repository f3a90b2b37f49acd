// A scripted server on 127.0.0.1 for tests of the client's connection. It
// speaks the client's own framing and cipher: frames it sends are enciphered
// unless their opcode is one the client receives in clear, and frames it
// receives are deciphered unless their opcode is one the client sends in
// clear. Everything is single-threaded: the client connects (the listen
// backlog takes the connection), then the test accepts, sends, and waits for
// what the client sent with a bounded wait.
#pragma once
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "net/frame_assembler.h"
#include "net/packet_cipher.h"

namespace qmtest {

class TestServer {
public:
    // Listens on 127.0.0.1 at a free port.
    TestServer();
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

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
    // Sends the greeting as the first, raw frame.
    bool SendGreeting();
    // Frames and sends one message (opcode first).
    bool SendMessage(const std::vector<uint8_t>& message);
    // Installs the cipher key and mask function on the server's side.
    bool SetCipher(int maskFunction, std::string_view key);
    CPacketCipher& Cipher() { return m_cipher; }

    // The next message the client sent (deciphered, opcode first); empty when
    // none came within waitMs or the client closed.
    std::vector<uint8_t> ReceiveMessage(int waitMs = 2000);
    // True when the client closed its side within waitMs.
    bool WaitClientClosed(int waitMs = 2000);

private:
    // Takes what the client sent into m_pending; false on close or timeout.
    bool ReadMore(int waitMs);

    int m_listener = -1;
    int m_client = -1;
    uint16_t m_port = 0;
    CPacketCipher m_cipher;
    std::unique_ptr<CFrameAssembler> m_assembler;
    std::vector<uint8_t> m_pending;
    bool m_clientClosed = false;
};

}  // namespace qmtest
