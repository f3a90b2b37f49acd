#include "tests/support/test_server.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "net/game_session.h"

namespace qmtest {

TestServer::TestServer() : m_assembler(std::make_unique<CFrameAssembler>()) {
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listener < 0) return;
    int yes = 1;
    setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof(addr);
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
        ::listen(m_listener, 4) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(m_listener);
        m_listener = -1;
        return;
    }
    m_port = ntohs(addr.sin_port);
}

TestServer::~TestServer() {
    CloseClient();
    StopListening();
}

uint32_t TestServer::Address() {
    return htonl(INADDR_LOOPBACK);
}

bool TestServer::Accept(int waitMs) {
    if (m_listener < 0) return false;
    pollfd p{m_listener, POLLIN, 0};
    if (::poll(&p, 1, waitMs) <= 0) return false;
    CloseClient();
    m_client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
    m_clientClosed = false;
    m_pending.clear();
    m_assembler->Reset();
    return m_client >= 0;
}

void TestServer::CloseClient() {
    if (m_client >= 0) ::close(m_client);
    m_client = -1;
}

void TestServer::StopListening() {
    if (m_listener >= 0) ::close(m_listener);
    m_listener = -1;
}

bool TestServer::SendRaw(const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (m_client >= 0 && done < bytes.size()) {
        ssize_t n = ::send(m_client, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += size_t(n);
    }
    return m_client >= 0;
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

bool TestServer::ReadMore(int waitMs) {
    if (m_client < 0 || m_clientClosed) return false;
    pollfd p{m_client, POLLIN, 0};
    if (::poll(&p, 1, waitMs) <= 0) return false;
    uint8_t buffer[4096];
    ssize_t n = ::recv(m_client, buffer, sizeof(buffer), 0);
    if (n <= 0) {
        m_clientClosed = true;
        return false;
    }
    m_pending.insert(m_pending.end(), buffer, buffer + n);
    return true;
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

bool TestServer::WaitClientClosed(int waitMs) {
    while (!m_clientClosed) {
        if (!ReadMore(waitMs) && !m_clientClosed) return false;
    }
    return true;
}

}  // namespace qmtest
