#include "platform/socket.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "platform/clock.h"

namespace plat {
namespace {

SystemSockets g_systemSockets;
ISocketLayer* g_layer = &g_systemSockets;
ISocketNotifyPoster* g_poster = nullptr;

bool SetNonBlocking(int fd) {
    int flags = fcntl(fd, F_GETFL, 0);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

std::string AddressText(uint32_t addressNet, uint16_t port) {
    char text[INET_ADDRSTRLEN] = {};
    in_addr addr{};
    addr.s_addr = addressNet;
    inet_ntop(AF_INET, &addr, text, sizeof(text));
    return std::string(text) + ":" + std::to_string(port);
}

}  // namespace

uint32_t MakeIPv4(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    const uint8_t bytes[4] = {a, b, c, d};
    uint32_t value = 0;
    std::memcpy(&value, bytes, 4);
    return value;
}

ISocketLayer& Sockets() {
    return *g_layer;
}
void SetSocketLayer(ISocketLayer* layer) {
    g_layer = layer ? layer : &g_systemSockets;
}
void SetSocketNotifyPoster(ISocketNotifyPoster* poster) {
    g_poster = poster;
}
ISocketNotifyPoster* GetSocketNotifyPoster() {
    return g_poster;
}

void PostSocketNotification(uint32_t message, SOCKET s, uint32_t event, uint32_t error) {
    if (g_poster) g_poster->Post(message, uintptr_t(s), intptr_t(WSAMakeSelectReply(event, error)));
}

int WSAStartup(uint16_t version, uint16_t* granted) {
    return g_layer->Startup(version, granted);
}
int WSACleanup() {
    return g_layer->Cleanup();
}
int WSAGetLastError() {
    return g_layer->LastError();
}
int WSAAsyncSelect(SOCKET s, uint32_t message, uint32_t mask) {
    return g_layer->AsyncSelect(s, message, mask) ? 0 : SOCKET_ERROR;
}
SOCKET OpenTcpSocket() {
    return g_layer->OpenTcp();
}
bool SetSocketBufferSizes(SOCKET s, int sendBytes, int receiveBytes) {
    return g_layer->SetBufferSizes(s, sendBytes, receiveBytes);
}
ConnectStart StartConnect(SOCKET s, uint32_t addressNet, uint16_t port, uint32_t timeoutMs) {
    return g_layer->Connect(s, addressNet, port, timeoutMs);
}
int recv(SOCKET s, void* buffer, int length) {
    return g_layer->Recv(s, buffer, length);
}
int send(SOCKET s, const void* data, int length) {
    return g_layer->Send(s, data, length);
}
int closesocket(SOCKET s) {
    g_layer->Close(s);
    return 0;
}
void PumpSocketNotifications() {
    g_layer->Pump();
}

// ---- System sockets ----

SystemSockets::~SystemSockets() = default;

void SystemSockets::SetErrorFromErrno(int err) {
    switch (err) {
        case EAGAIN:
        case EINPROGRESS:
        case EALREADY:
            m_lastError = WSAEWOULDBLOCK;
            break;
        case ECONNRESET:
        case EPIPE:
            m_lastError = WSAECONNRESET;
            break;
        case ETIMEDOUT:
            m_lastError = WSAETIMEDOUT;
            break;
        case ECONNREFUSED:
            m_lastError = WSAECONNREFUSED;
            break;
        case EBADF:
        case ENOTSOCK:
            m_lastError = WSAENOTSOCK;
            break;
        case EFAULT:
            m_lastError = WSAEFAULT;
            break;
        default:
            m_lastError = 10000 + err;
            break;
    }
}

int SystemSockets::Startup(uint16_t version, uint16_t* granted) {
    // Version 2.2 is what there is; an older request gets what it asked for.
    uint16_t give = version >= MakeWord(2, 2) ? MakeWord(2, 2) : version;
    if (granted) *granted = give;
    ++m_startups;
    return 0;
}

int SystemSockets::Cleanup() {
    if (m_startups == 0) {
        m_lastError = WSANOTINITIALISED;
        return SOCKET_ERROR;
    }
    --m_startups;
    return 0;
}

SOCKET SystemSockets::OpenTcp() {
    if (m_startups == 0) {
        m_lastError = WSANOTINITIALISED;
        return INVALID_SOCKET;
    }
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        SetErrorFromErrno(errno);
        return INVALID_SOCKET;
    }
    return TakeFreshNumber(fd);
}

SOCKET SystemSockets::TakeFreshNumber(int fd) {
    int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, m_nextNumber);
    if (moved < 0) {
        // Beyond the descriptor limit: the rotation starts again.
        m_nextNumber = FIRST_SOCKET_NUMBER;
        return fd;
    }
    ::close(fd);
    m_nextNumber = moved + 1 < FIRST_SOCKET_NUMBER + SOCKET_NUMBER_COUNT ? moved + 1 : FIRST_SOCKET_NUMBER;
    return moved;
}

bool SystemSockets::SetBufferSizes(SOCKET s, int sendBytes, int receiveBytes) {
    bool ok = setsockopt(s, SOL_SOCKET, SO_SNDBUF, &sendBytes, sizeof(sendBytes)) == 0;
    ok = setsockopt(s, SOL_SOCKET, SO_RCVBUF, &receiveBytes, sizeof(receiveBytes)) == 0 && ok;
    if (!ok) SetErrorFromErrno(errno);
    return ok;
}

ConnectStart SystemSockets::Connect(SOCKET s, uint32_t addressNet, uint16_t port, uint32_t timeoutMs) {
    if (!SetNonBlocking(s)) {
        SetErrorFromErrno(errno);
        return ConnectStart::Failed;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = addressNet;
    if (::connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0) return ConnectStart::Connected;
    if (errno != EINPROGRESS) {
        SetErrorFromErrno(errno);
        return ConnectStart::Failed;
    }
    NoteConnectPending(s, timeoutMs);
    return ConnectStart::Pending;
}

void SystemSockets::NoteConnectPending(SOCKET s, uint32_t timeoutMs) {
    m_connecting[s] = {timeGetTime(), timeoutMs};
}

bool SystemSockets::ConnectFinished(SOCKET s, int* error) {
    pollfd p{s, POLLOUT, 0};
    if (::poll(&p, 1, 0) <= 0 || !(p.revents & (POLLOUT | POLLERR | POLLHUP))) return false;
    int err = 0;
    socklen_t len = sizeof(err);
    if (getsockopt(s, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
    // A hang-up without an error still leaves the socket unusable.
    if (err == 0 && (p.revents & POLLHUP)) err = ECONNRESET;
    *error = 0;
    if (err != 0) {
        SetErrorFromErrno(err);
        *error = m_lastError;
    }
    return true;
}

bool SystemSockets::PumpPendingConnect(SOCKET s) {
    auto pending = m_connecting.find(s);
    if (pending == m_connecting.end()) return false;
    int error = 0;
    if (!ConnectFinished(s, &error)) {
        if (timeGetTime() - pending->second.start <= pending->second.timeoutMs) return true;
        error = WSAETIMEDOUT;
    }
    m_connecting.erase(pending);
    auto it = m_registered.find(s);
    if (it == m_registered.end()) return true;
    // The notification may close or re-register the socket: settle the
    // registration before posting.
    Registration& reg = it->second;
    const uint32_t message = reg.message;
    const uint32_t mask = reg.mask;
    if (error == 0) {
        reg.writeArmed = false;
        if (mask & FD_WRITE) PostSocketNotification(message, s, FD_WRITE);
    } else {
        reg.closePosted = true;
        if (mask & FD_CLOSE) PostSocketNotification(message, s, FD_CLOSE, uint32_t(error));
    }
    return true;
}

int SystemSockets::Recv(SOCKET s, void* buffer, int length) {
    if (!buffer || length < 0) {
        m_lastError = WSAEFAULT;
        return SOCKET_ERROR;
    }
    auto it = m_registered.find(s);
    if (it != m_registered.end()) it->second.readArmed = true;
    ssize_t n;
    do {
        n = ::recv(s, buffer, size_t(length), MSG_DONTWAIT);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        SetErrorFromErrno(errno);
        return SOCKET_ERROR;
    }
    return int(n);
}

void SystemSockets::NoteWouldBlock(SOCKET s) {
    auto it = m_registered.find(s);
    if (it != m_registered.end()) it->second.writeArmed = true;
}

int SystemSockets::Send(SOCKET s, const void* data, int length) {
    if (!data || length < 0) {
        m_lastError = WSAEFAULT;
        return SOCKET_ERROR;
    }
    ssize_t n;
    do {
        n = ::send(s, data, size_t(length), MSG_DONTWAIT | MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        SetErrorFromErrno(errno);
        if (m_lastError == WSAEWOULDBLOCK) NoteWouldBlock(s);
        return SOCKET_ERROR;
    }
    return int(n);
}

void SystemSockets::Close(SOCKET s) {
    m_registered.erase(s);
    m_connecting.erase(s);
    if (s >= 0) ::close(s);
}

bool SystemSockets::AsyncSelect(SOCKET s, uint32_t message, uint32_t mask) {
    if (s < 0) {
        m_lastError = WSAENOTSOCK;
        return false;
    }
    if (mask == 0) {
        m_registered.erase(s);
        return true;
    }
    Registration& reg = m_registered[s];
    reg.message = message;
    reg.mask = mask;
    reg.readArmed = true;
    // Asking for FD_WRITE again reports a writable socket at once.
    reg.writeArmed = (mask & FD_WRITE) != 0;
    return true;
}

void SystemSockets::Pump() {
    // Posting may lead to a socket being closed or registered: work on a copy
    // of the keys and look each one up again.
    std::vector<SOCKET> sockets;
    sockets.reserve(m_registered.size());
    for (const auto& entry : m_registered) sockets.push_back(entry.first);
    for (SOCKET s : sockets) {
        auto it = m_registered.find(s);
        if (it == m_registered.end()) continue;
        // Nothing but the end of a pending connect is news.
        if (PumpPendingConnect(s)) continue;
        pollfd p{s, short(POLLIN | POLLOUT | POLLRDHUP), 0};
        if (::poll(&p, 1, 0) <= 0) continue;
        bool hasData = false;
        bool peerGone = (p.revents & (POLLHUP | POLLRDHUP)) != 0;
        if (p.revents & POLLIN) {
            char probe;
            ssize_t n = ::recv(s, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
            if (n > 0) hasData = true;
            if (n == 0) peerGone = true;
        }
        uint32_t error = 0;
        if (p.revents & POLLERR) {
            int err = 0;
            socklen_t len = sizeof(err);
            getsockopt(s, SOL_SOCKET, SO_ERROR, &err, &len);
            SetErrorFromErrno(err ? err : ECONNRESET);
            error = uint32_t(m_lastError);
        }
        Registration reg = it->second;
        uint32_t message = reg.message;
        if ((reg.mask & FD_READ) && reg.readArmed && hasData) {
            it->second.readArmed = false;
            PostSocketNotification(message, s, FD_READ);
        }
        it = m_registered.find(s);
        if (it == m_registered.end()) continue;
        if ((it->second.mask & FD_WRITE) && it->second.writeArmed && (p.revents & POLLOUT) && !error &&
            !(p.revents & POLLHUP)) {
            it->second.writeArmed = false;
            PostSocketNotification(message, s, FD_WRITE);
        }
        it = m_registered.find(s);
        if (it == m_registered.end()) continue;
        if ((it->second.mask & FD_CLOSE) && !it->second.closePosted && (error || (peerGone && !hasData))) {
            it->second.closePosted = true;
            PostSocketNotification(message, s, FD_CLOSE, error);
        }
    }
}

// ---- Scripted sockets ----

ScriptedSockets::~ScriptedSockets() {
    for (auto& entry : m_peers) ::close(entry.second);
}

SOCKET ScriptedSockets::OpenTcp() {
    if (m_failOpens > 0) {
        --m_failOpens;
        m_calls.push_back("open failed");
        SetLastError(WSAENOTSOCK);
        return INVALID_SOCKET;
    }
    SOCKET s = SystemSockets::OpenTcp();
    m_calls.push_back(s == INVALID_SOCKET ? "open failed" : "open");
    return s;
}

bool ScriptedSockets::SetBufferSizes(SOCKET s, int sendBytes, int receiveBytes) {
    m_calls.push_back("buffers " + std::to_string(sendBytes) + " " + std::to_string(receiveBytes));
    return SystemSockets::SetBufferSizes(s, sendBytes, receiveBytes);
}

ConnectStart ScriptedSockets::Connect(SOCKET s, uint32_t addressNet, uint16_t port, uint32_t timeoutMs) {
    std::string call = "connect " + AddressText(addressNet, port) + " timeout " + std::to_string(timeoutMs);
    if (m_failConnects > 0) {
        --m_failConnects;
        m_calls.push_back(call + " refused");
        SetLastError(WSAECONNREFUSED);
        return ConnectStart::Failed;
    }
    if (m_holdConnects > 0) {
        --m_holdConnects;
        m_calls.push_back(call + " held");
        SetNonBlocking(s);
        m_held[s] = -1;
        NoteConnectPending(s, timeoutMs);
        return ConnectStart::Pending;
    }
    if (!MakePeer(s)) {
        m_calls.push_back(call + " failed");
        return ConnectStart::Failed;
    }
    m_calls.push_back(call);
    return ConnectStart::Connected;
}

bool ScriptedSockets::MakePeer(SOCKET s) {
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        SetErrorFromErrno(errno);
        return false;
    }
    // The client keeps its socket number; the pair's end takes its place.
    ::dup2(pair[0], s);
    ::close(pair[0]);
    SetNonBlocking(s);
    SetNonBlocking(pair[1]);
    m_peers[s] = pair[1];
    m_lastConnected = s;
    return true;
}

void ScriptedSockets::CompleteConnect(SOCKET s) {
    auto it = m_held.find(s);
    if (it == m_held.end() || it->second != -1) return;
    it->second = MakePeer(s) ? 0 : LastError();
}

void ScriptedSockets::FailConnect(SOCKET s, int error) {
    auto it = m_held.find(s);
    if (it == m_held.end() || it->second != -1) return;
    it->second = error;
}

bool ScriptedSockets::ConnectFinished(SOCKET s, int* error) {
    auto it = m_held.find(s);
    if (it == m_held.end()) return SystemSockets::ConnectFinished(s, error);
    if (it->second == -1) return false;
    *error = it->second;
    m_held.erase(it);
    return true;
}

int ScriptedSockets::Recv(SOCKET s, void* buffer, int length) {
    return SystemSockets::Recv(s, buffer, length);
}

int ScriptedSockets::Send(SOCKET s, const void* data, int length) {
    int allowed = length;
    if (!m_sendLimits.empty()) {
        allowed = std::min(length, m_sendLimits.front());
        m_sendLimits.pop_front();
        if (allowed <= 0) {
            m_calls.push_back("send " + std::to_string(length) + " would block");
            SetLastError(WSAEWOULDBLOCK);
            NoteWouldBlock(s);
            return SOCKET_ERROR;
        }
    }
    int n = SystemSockets::Send(s, data, allowed);
    m_calls.push_back("send " + std::to_string(length) + " took " + std::to_string(n));
    return n;
}

void ScriptedSockets::Close(SOCKET s) {
    m_calls.push_back("close");
    m_held.erase(s);
    auto it = m_peers.find(s);
    if (it != m_peers.end()) {
        ::close(it->second);
        m_peers.erase(it);
    }
    SystemSockets::Close(s);
}

bool ScriptedSockets::AsyncSelect(SOCKET s, uint32_t message, uint32_t mask) {
    m_calls.push_back("select " + std::to_string(mask));
    return SystemSockets::AsyncSelect(s, message, mask);
}

int ScriptedSockets::Peer(SOCKET s) const {
    auto it = m_peers.find(s);
    return it == m_peers.end() ? -1 : it->second;
}

void ScriptedSockets::PeerWrite(SOCKET s, const std::vector<uint8_t>& bytes) {
    int peer = Peer(s);
    size_t done = 0;
    while (peer >= 0 && done < bytes.size()) {
        ssize_t n = ::send(peer, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN) {
                pollfd p{peer, POLLOUT, 0};
                ::poll(&p, 1, 1000);
                continue;
            }
            break;
        }
        done += size_t(n);
    }
}

void ScriptedSockets::PeerClose(SOCKET s) {
    auto it = m_peers.find(s);
    if (it == m_peers.end()) return;
    ::close(it->second);
    m_peers.erase(it);
}

std::vector<uint8_t> ScriptedSockets::PeerReadAll(SOCKET s) {
    std::vector<uint8_t> out;
    int peer = Peer(s);
    if (peer < 0) return out;
    uint8_t buffer[4096];
    for (;;) {
        ssize_t n = ::recv(peer, buffer, sizeof(buffer), MSG_DONTWAIT);
        if (n <= 0) break;
        out.insert(out.end(), buffer, buffer + n);
    }
    return out;
}

}  // namespace plat
