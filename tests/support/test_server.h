// A scripted server on 127.0.0.1 for tests of the client's connection. It
// speaks the client's own framing and cipher: frames it sends are enciphered
// unless their opcode is one the client receives in clear, and frames it
// receives are deciphered unless their opcode is one the client sends in
// clear.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "net/wire_link.h"
#include "tests/support/loopback_server.h"

namespace qmtest {

class TestServer : public LoopbackServer {
public:
    TestServer();
    ~TestServer() override;

    // Sends the greeting as the first, raw frame.
    bool SendGreeting();
    // Frames and sends one message (opcode first).
    bool SendMessage(const std::vector<uint8_t>& message);
    // Installs the cipher key and mask function on the server's side.
    bool SetCipher(int maskFunction, std::string_view key);
    CPacketCipher& Cipher() { return m_link.Cipher(); }

    // The next message the client sent (deciphered, opcode first); empty when
    // none came within waitMs or the client closed.
    std::vector<uint8_t> ReceiveMessage(int waitMs = 2000);

private:
    void OnAccepted() override;

    CWireLink m_link{WireSide::Server};
};

}  // namespace qmtest
