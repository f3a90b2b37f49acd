// TCP sockets as the game knows them: start-up and clean-up of the socket
// layer, a stream socket that connects without blocking and is used without
// blocking, and notifications in place of window-message socket selection. A
// registered socket is polled each time messages are pumped
// (PumpSocketNotifications) and the registered message is posted with the
// socket as wParam and (error << 16 | event) as lParam:
//   FD_READ  when data waits (again after each recv),
//   FD_WRITE when a pending connect has completed, when the socket is
//            writable after a selection that asks for it, or after a send
//            that would have blocked,
//   FD_CLOSE once, when the peer has hung up and nothing is left to read, on
//            an error, or when a pending connect was refused or outlived its
//            time limit (WSAETIMEDOUT; measured on the platform clock).
// The layer in use is the system one unless a test installs another
// (SetSocketLayer); ScriptedSockets connects through socket pairs and can be
// told to fail connects, to hold them pending until the test completes or
// fails them, and to shorten or block sends.
#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/seam.h"

namespace plat {

using SOCKET = int;
constexpr SOCKET INVALID_SOCKET = -1;
constexpr int SOCKET_ERROR = -1;

// Notification events (low word of lParam).
constexpr uint32_t FD_READ = 0x01;
constexpr uint32_t FD_WRITE = 0x02;
constexpr uint32_t FD_CLOSE = 0x20;

// Error codes reported by WSAGetLastError.
constexpr int WSAEWOULDBLOCK = 10035;
constexpr int WSAECONNRESET = 10054;
constexpr int WSAETIMEDOUT = 10060;
constexpr int WSAECONNREFUSED = 10061;
constexpr int WSANOTINITIALISED = 10093;
constexpr int WSAENOTSOCK = 10038;
constexpr int WSAEFAULT = 10014;

constexpr uint16_t MakeWord(uint8_t low, uint8_t high) {
    return uint16_t(low | (high << 8));
}
constexpr uint32_t WSAMakeSelectReply(uint32_t event, uint32_t error) {
    return (error << 16) | (event & 0xFFFF);
}
constexpr uint32_t WSAGetSelectEvent(uint32_t lParam) {
    return lParam & 0xFFFF;
}
constexpr uint32_t WSAGetSelectError(uint32_t lParam) {
    return lParam >> 16;
}

// How a connect started: done at once, pending (the pump reports the end), or
// failed at once (LastError says why).
enum class ConnectStart { Connected, Pending, Failed };

// An IPv4 address a.b.c.d in network byte order, as it stands in memory.
uint32_t MakeIPv4(uint8_t a, uint8_t b, uint8_t c, uint8_t d);

// Receives the notifications: message id, wParam (the socket), lParam.
class ISocketNotifyPoster {
public:
    virtual ~ISocketNotifyPoster() = default;
    virtual void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};

class ISocketLayer {
public:
    virtual ~ISocketLayer() = default;
    // Reference-counted start-up: 0 on success with the granted version.
    virtual int Startup(uint16_t version, uint16_t* granted) = 0;
    virtual int Cleanup() = 0;
    // A new TCP stream socket, or INVALID_SOCKET.
    virtual SOCKET OpenTcp() = 0;
    virtual bool SetBufferSizes(SOCKET s, int sendBytes, int receiveBytes) = 0;
    // Starts connecting to addressNet:port (port in host order) and returns at
    // once; the socket is non-blocking from now on. A pending connect ends in
    // FD_WRITE, or in FD_CLOSE with the error when it is refused or when more
    // than timeoutMs pass first.
    virtual ConnectStart Connect(SOCKET s, uint32_t addressNet, uint16_t port, uint32_t timeoutMs) = 0;
    // > 0 bytes, 0 when the peer closed, SOCKET_ERROR otherwise (LastError).
    virtual int Recv(SOCKET s, void* buffer, int length) = 0;
    // Bytes taken (possibly fewer than asked), or SOCKET_ERROR (LastError).
    virtual int Send(SOCKET s, const void* data, int length) = 0;
    virtual void Close(SOCKET s) = 0;
    // Registers the socket for the events in mask (0 unregisters).
    virtual bool AsyncSelect(SOCKET s, uint32_t message, uint32_t mask) = 0;
    // Polls every registered socket and posts what is due.
    virtual void Pump() = 0;
    virtual int LastError() = 0;
};

// The layer in use, and a way for tests to replace it (null restores the system layer).
ISocketLayer& Sockets();
void SetSocketLayer(ISocketLayer* layer);
// Where notifications go (the main window's message queue once the socket
// library is started; absent: nowhere).
void SetSocketNotifyPoster(ISocketNotifyPoster* poster);
ISocketNotifyPoster* GetSocketNotifyPoster();
using ScopedSocketNotifyPoster = ScopedInstall<GetSocketNotifyPoster, SetSocketNotifyPoster>;
// Posts a notification as the layer would (a connection that sees its peer go
// away reports it the same way the poll does).
void PostSocketNotification(uint32_t message, SOCKET s, uint32_t event, uint32_t error = 0);

// The calls the game code makes, named as it knows them.
int WSAStartup(uint16_t version, uint16_t* granted);
int WSACleanup();
int WSAGetLastError();
int WSAAsyncSelect(SOCKET s, uint32_t message, uint32_t mask);
SOCKET OpenTcpSocket();
bool SetSocketBufferSizes(SOCKET s, int sendBytes, int receiveBytes);
ConnectStart StartConnect(SOCKET s, uint32_t addressNet, uint16_t port, uint32_t timeoutMs);
int recv(SOCKET s, void* buffer, int length);
int send(SOCKET s, const void* data, int length);
int closesocket(SOCKET s);
void PumpSocketNotifications();

// Sockets of the operating system.
class SystemSockets : public ISocketLayer {
public:
    SystemSockets() = default;
    ~SystemSockets() override;
    int Startup(uint16_t version, uint16_t* granted) override;
    int Cleanup() override;
    SOCKET OpenTcp() override;
    bool SetBufferSizes(SOCKET s, int sendBytes, int receiveBytes) override;
    ConnectStart Connect(SOCKET s, uint32_t addressNet, uint16_t port, uint32_t timeoutMs) override;
    int Recv(SOCKET s, void* buffer, int length) override;
    int Send(SOCKET s, const void* data, int length) override;
    void Close(SOCKET s) override;
    bool AsyncSelect(SOCKET s, uint32_t message, uint32_t mask) override;
    void Pump() override;
    int LastError() override { return m_lastError; }

    int StartupCount() const { return m_startups; }

protected:
    void SetLastError(int error) { m_lastError = error; }
    // Records an errno value as the matching socket error.
    void SetErrorFromErrno(int err);
    // A send that would block asks for FD_WRITE when the socket drains.
    void NoteWouldBlock(SOCKET s);
    // A connect of s is under way since now; the pump watches it.
    void NoteConnectPending(SOCKET s, uint32_t timeoutMs);
    // True when the pending connect of s has ended, with error 0 on success.
    virtual bool ConnectFinished(SOCKET s, int* error);

private:
    // Moves a new socket to the next number of a rotation, so that the number
    // of a socket just closed is not handed out again at once: a notification
    // of the closed socket still waiting in the queue must not pass for one of
    // its successor.
    SOCKET TakeFreshNumber(int fd);
    static constexpr int FIRST_SOCKET_NUMBER = 64;
    static constexpr int SOCKET_NUMBER_COUNT = 900;

    struct Registration {
        uint32_t message = 0;
        uint32_t mask = 0;
        bool readArmed = true;
        bool writeArmed = false;
        bool closePosted = false;
    };
    struct PendingConnect {
        uint32_t start = 0;
        uint32_t timeoutMs = 0;
    };
    // Handles the pending connect of a registered socket; false when s has none.
    bool PumpPendingConnect(SOCKET s);

    std::map<SOCKET, Registration> m_registered;
    std::map<SOCKET, PendingConnect> m_connecting;
    int m_nextNumber = FIRST_SOCKET_NUMBER;
    int m_startups = 0;
    int m_lastError = 0;
};

// Sockets for tests: every call is recorded; a connect succeeds at once
// through a local socket pair whose other end the test reads and writes
// (Peer), unless the test scripted a failure or asked to hold it pending;
// sends can be shortened or made to block. Startup is counted as on the
// system layer.
class ScriptedSockets : public SystemSockets {
public:
    ScriptedSockets() = default;
    ~ScriptedSockets() override;

    SOCKET OpenTcp() override;
    bool SetBufferSizes(SOCKET s, int sendBytes, int receiveBytes) override;
    ConnectStart Connect(SOCKET s, uint32_t addressNet, uint16_t port, uint32_t timeoutMs) override;
    int Recv(SOCKET s, void* buffer, int length) override;
    int Send(SOCKET s, const void* data, int length) override;
    void Close(SOCKET s) override;
    bool AsyncSelect(SOCKET s, uint32_t message, uint32_t mask) override;

    // Scripting.
    // The next connects fail at once with WSAECONNREFUSED.
    void FailNextConnects(int count) { m_failConnects = count; }
    // The next connects stay pending until CompleteConnect or FailConnect (or
    // their time limit); the pump then reports them.
    void HoldNextConnects(int count) { m_holdConnects = count; }
    // Ends the held connect of s: with success (the socket pair is made now)
    // or with error. Nothing happens for a socket without a held connect.
    void CompleteConnect(SOCKET s);
    void FailConnect(SOCKET s, int error = WSAECONNREFUSED);
    void FailNextOpens(int count) { m_failOpens = count; }
    // The next sends take at most these byte counts, one entry per send;
    // an entry of 0 makes that send report would-block.
    void LimitNextSends(std::initializer_list<int> limits) { m_sendLimits.assign(limits); }

    // The test's end of the connected socket s (-1 when none).
    int Peer(SOCKET s) const;
    // Writes bytes to s from the peer's side; closes the peer's side.
    void PeerWrite(SOCKET s, const std::vector<uint8_t>& bytes);
    void PeerClose(SOCKET s);
    // Reads everything the client sent so far to the peer (non-blocking).
    std::vector<uint8_t> PeerReadAll(SOCKET s);

    // The calls made, as lines like "connect 127.0.0.1:40000 timeout 10000".
    const std::vector<std::string>& Calls() const { return m_calls; }
    void ClearCalls() { m_calls.clear(); }
    // The socket of the last successful connect.
    SOCKET LastConnected() const { return m_lastConnected; }

protected:
    bool ConnectFinished(SOCKET s, int* error) override;

private:
    // Makes the socket pair that stands for a connected s; false on failure.
    bool MakePeer(SOCKET s);

    std::map<SOCKET, int> m_peers;
    // Held connects: -1 while pending, 0 once completed, else the error.
    std::map<SOCKET, int> m_held;
    std::vector<std::string> m_calls;
    std::deque<int> m_sendLimits;
    int m_failConnects = 0;
    int m_holdConnects = 0;
    int m_failOpens = 0;
    SOCKET m_lastConnected = INVALID_SOCKET;
};

// Installs a socket layer for the lifetime of the guard.
class ScopedSockets {
public:
    explicit ScopedSockets(ISocketLayer& layer) { SetSocketLayer(&layer); }
    ~ScopedSockets() { SetSocketLayer(nullptr); }
    ScopedSockets(const ScopedSockets&) = delete;
    ScopedSockets& operator=(const ScopedSockets&) = delete;
};

}  // namespace plat
