#include "tests/support/test_server.h"

namespace qmtest {

TestServer::TestServer() = default;

TestServer::~TestServer() = default;

void TestServer::OnAccepted() {
    m_link.Reset();
}

bool TestServer::SendGreeting() {
    return SendRaw(CWireLink::Greeting());
}

bool TestServer::SendMessage(const std::vector<uint8_t>& message) {
    std::vector<uint8_t> frame = m_link.Frame(message);
    if (frame.empty()) return false;
    return SendRaw(frame);
}

bool TestServer::SetCipher(int maskFunction, std::string_view key) {
    return m_link.SetCipher(maskFunction, key);
}

std::vector<uint8_t> TestServer::ReceiveMessage(int waitMs) {
    for (;;) {
        m_link.Feed(m_pending.data(), m_pending.size());
        m_pending.clear();
        CWireFrame frame;
        while (m_link.Next(&frame))
            if (!frame.message.empty()) return frame.message;
        if (!ReadMore(waitMs)) return {};
    }
}

}  // namespace qmtest
