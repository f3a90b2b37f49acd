#include "tests/support/test_server.h"

#include <cstring>

#include "net/game_session.h"

namespace qmtest {

TestServer::TestServer() : m_assembler(std::make_unique<CFrameAssembler>()) {}

TestServer::~TestServer() = default;

void TestServer::OnAccepted() {
    m_assembler->Reset();
}

bool TestServer::SendGreeting() {
    std::vector<uint8_t> frame = {FRAME_START, 0, uint8_t(SERVER_GREETING_LENGTH)};
    frame.insert(frame.end(), SERVER_GREETING, SERVER_GREETING + SERVER_GREETING_LENGTH);
    return SendRaw(frame);
}

bool TestServer::SendMessage(const std::vector<uint8_t>& message) {
    if (message.empty()) return false;
    std::vector<uint8_t> frame(message.size() + FRAME_HEADER_SIZE + 1);
    size_t size = EncodeFrame(m_cipher, message.data(), message.size(), IsClearOpcodeReceived(message[0]),
                              frame.data());
    if (size == 0) return false;
    frame.resize(size);
    return SendRaw(frame);
}

bool TestServer::SetCipher(int maskFunction, std::string_view key) {
    return m_cipher.BuildMaskTable(maskFunction) && m_cipher.SetCipherKey(key);
}

std::vector<uint8_t> TestServer::ReceiveMessage(int waitMs) {
    for (;;) {
        bool complete = false;
        size_t taken = m_assembler->Take(m_pending.data(), m_pending.size(), false, &complete);
        m_pending.erase(m_pending.begin(), m_pending.begin() + std::ptrdiff_t(taken));
        if (complete) {
            const uint8_t* frame = m_assembler->Frame();
            size_t length = m_assembler->FrameLength();
            if (length == 0) continue;
            if (IsClearOpcodeSent(frame[0])) return std::vector<uint8_t>(frame, frame + length);
            std::vector<uint8_t> plain(length + 1);
            plain.resize(m_cipher.DecryptFrame(frame, length, plain.data()));
            return plain;
        }
        if (!ReadMore(waitMs)) return {};
    }
}

}  // namespace qmtest
