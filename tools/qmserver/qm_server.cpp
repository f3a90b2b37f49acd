#include "tools/qmserver/qm_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <iterator>
#include <map>
#include <utility>

#include "platform/socket.h"
#include "tools/qmserver/server_hall.h"

namespace {

constexpr size_t READ_CHUNK = 64 * 1024;
constexpr size_t SEND_BUFFER = 256 * 1024;

// A listening socket at address:port (0: any free one); -1 on failure.
int Listen(uint32_t addressNet, uint16_t port, uint16_t* bound, std::string* error) {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (s < 0) {
        *error = std::strerror(errno);
        return -1;
    }
    int yes = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = addressNet;
    addr.sin_port = htons(port);
    socklen_t length = sizeof addr;
    if (::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(s, 64) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
        *error = std::strerror(errno);
        ::close(s);
        return -1;
    }
    *bound = ntohs(addr.sin_port);
    return s;
}

uint32_t NowMs() {
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

CQmServer::CQmServer(CServerWorld world, uint32_t seed) : m_world(std::move(world)), m_seed(seed) {}

CQmServer::~CQmServer() {
    Stop();
}

bool CQmServer::Start(uint16_t port, std::string* error) {
    Stop();
    std::string reason;
    // The log-in address and the one the server names for itself; a client
    // that read the named one in the wrong byte order dials 2.1.0.127 and
    // finds nobody.
    const uint32_t addresses[] = {plat::MakeIPv4(127, 0, 0, 1), CServerHall::OwnAddress()};
    // A free port is found on the first address; the others take the same one.
    for (int attempt = 0; attempt < 20 && m_listeners.size() < std::size(addresses); ++attempt) {
        for (int s : m_listeners) ::close(s);
        m_listeners.clear();
        uint16_t bound = port;
        for (uint32_t address : addresses) {
            const int s = Listen(address, bound, &bound, &reason);
            if (s < 0) break;
            m_listeners.push_back(s);
        }
        if (port != 0) break;
    }
    if (m_listeners.size() < std::size(addresses)) {
        for (int s : m_listeners) ::close(s);
        m_listeners.clear();
        if (error) *error = "cannot listen on port " + std::to_string(port) + ": " + reason;
        return false;
    }
    sockaddr_in addr{};
    socklen_t length = sizeof addr;
    ::getsockname(m_listeners[0], reinterpret_cast<sockaddr*>(&addr), &length);
    m_port = ntohs(addr.sin_port);
    m_hall = std::make_unique<CServerHall>(m_world, m_port, m_seed,
                                           [this](const std::string& line) { Log(line); });
    m_hall->SetHostile(m_hostile);
    m_stop = false;
    m_thread = std::thread([this] { Run(); });
    return true;
}

void CQmServer::Stop() {
    if (m_thread.joinable()) {
        m_stop = true;
        m_thread.join();
    }
    for (int s : m_listeners) ::close(s);
    m_listeners.clear();
    m_hall.reset();
    m_clientCount = 0;
}

void CQmServer::Log(const std::string& line) {
    std::lock_guard<std::mutex> lock(m_logMutex);
    if (m_logFile) {
        std::fprintf(m_logFile, "%s\n", line.c_str());
        std::fflush(m_logFile);
    }
    m_log.push_back(line);
    if (m_log.size() > MAX_LOG_LINES) m_log.pop_front();
}

std::vector<std::string> CQmServer::LogLines() const {
    std::lock_guard<std::mutex> lock(m_logMutex);
    return std::vector<std::string>(m_log.begin(), m_log.end());
}

void CQmServer::Announce(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_announceMutex);
    m_announcements.push_back(text);
}

void CQmServer::SendToField(std::vector<uint8_t> message) {
    std::lock_guard<std::mutex> lock(m_announceMutex);
    m_fieldMessages.push_back(std::move(message));
}

CHostileReport CQmServer::HostileReport() const {
    std::lock_guard<std::mutex> lock(m_logMutex);
    return m_hostileReport;
}

bool CQmServer::Logged(const std::string& text) const {
    std::lock_guard<std::mutex> lock(m_logMutex);
    return std::any_of(m_log.rbegin(), m_log.rend(),
                       [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

void CQmServer::Run() {
    std::map<int, int> clients;  // socket -> connection id
    std::vector<uint8_t> chunk(READ_CHUNK);
    while (!m_stop) {
        std::vector<pollfd> polled;
        for (int s : m_listeners) polled.push_back({s, short(clients.size() < MAX_CLIENTS ? POLLIN : 0), 0});
        for (const auto& [s, id] : clients)
            polled.push_back({s, short(POLLIN | (m_hall->Output(id).empty() ? 0 : POLLOUT)), 0});
        ::poll(polled.data(), polled.size(), POLL_MS);
        for (const pollfd& p : polled) {
            const bool listener =
                std::find(m_listeners.begin(), m_listeners.end(), p.fd) != m_listeners.end();
            if (listener) {
                if (!(p.revents & POLLIN) || clients.size() >= MAX_CLIENTS) continue;
                sockaddr_in local{};
                socklen_t length = sizeof local;
                const int s = ::accept4(p.fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
                if (s < 0) continue;
                // The kernel holds little of a client's output: what a client
                // does not read counts against its limit here.
                int sendBuffer = int(SEND_BUFFER);
                setsockopt(s, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
                ::getsockname(s, reinterpret_cast<sockaddr*>(&local), &length);
                clients[s] = m_hall->Open(local.sin_addr.s_addr);
                continue;
            }
            const int id = clients[p.fd];
            bool gone = false;
            if (p.revents & (POLLIN | POLLHUP | POLLERR)) {
                const ssize_t n = ::recv(p.fd, chunk.data(), chunk.size(), 0);
                if (n > 0)
                    m_hall->Receive(id, chunk.data(), size_t(n));
                else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
                    gone = true;
            }
            const std::vector<uint8_t>& output = m_hall->Output(id);
            if (!gone && !output.empty()) {
                const ssize_t n = ::send(p.fd, output.data(), output.size(), MSG_NOSIGNAL);
                if (n > 0)
                    m_hall->Sent(id, size_t(n));
                else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                    gone = true;
            }
            if (gone || m_hall->Closing(id)) {
                m_hall->Close(id);
                ::close(p.fd);
                clients.erase(p.fd);
            }
        }
        m_hall->Tick(NowMs());
        std::vector<std::string> announcements;
        std::vector<std::vector<uint8_t>> fieldMessages;
        {
            std::lock_guard<std::mutex> lock(m_announceMutex);
            announcements.swap(m_announcements);
            fieldMessages.swap(m_fieldMessages);
        }
        for (const std::string& text : announcements) m_hall->Announce(text);
        for (const std::vector<uint8_t>& message : fieldMessages) m_hall->ToAll(message);
        m_clientCount = clients.size();
        std::lock_guard<std::mutex> lock(m_logMutex);
        m_hostileReport = m_hall->HostileReport();
    }
    for (const auto& [s, id] : clients) ::close(s);
}
