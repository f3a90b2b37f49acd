#include "tests/support/loopback_server.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qmtest {

LoopbackServer::LoopbackServer() {
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

LoopbackServer::~LoopbackServer() {
    CloseClient();
    StopListening();
}

uint32_t LoopbackServer::Address() {
    return htonl(INADDR_LOOPBACK);
}

bool LoopbackServer::Accept(int waitMs) {
    if (m_listener < 0) return false;
    pollfd p{m_listener, POLLIN, 0};
    if (::poll(&p, 1, waitMs) <= 0) return false;
    CloseClient();
    m_client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
    m_clientClosed = false;
    m_pending.clear();
    OnAccepted();
    return m_client >= 0;
}

void LoopbackServer::CloseClient() {
    if (m_client >= 0) ::close(m_client);
    m_client = -1;
}

void LoopbackServer::StopListening() {
    if (m_listener >= 0) ::close(m_listener);
    m_listener = -1;
}

bool LoopbackServer::SendRaw(const std::vector<uint8_t>& bytes) {
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

bool LoopbackServer::ReadMore(int waitMs) {
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

bool LoopbackServer::WaitClientClosed(int waitMs) {
    while (!m_clientClosed) {
        if (!ReadMore(waitMs) && !m_clientClosed) return false;
    }
    return true;
}

}  // namespace qmtest
