// The one game session: the state of the current server conversation, the
// queue of outgoing requests (one leaves per frame) with the keep-alive, and
// the receive side that hands every server message to DispatchPacket once per
// frame.
//
// Server messages reach their handlers through one table indexed by message
// code (0 to MAX_SERVER_CODE); a code without a handler is ignored. A handler
// gets the session, the code and a reader placed after the code that never
// reads past the message. Request builders are member functions that build
// with CPacketWriter and end in QueueMessage; they may live in files of their
// own.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "net/packet_reader.h"
#include "net/packet_writer.h"

class CConnection;
class CGameSession;

constexpr int MAX_SERVER_CODE = 121;
// Message code of the client's first request and of the keep-alive.
constexpr uint8_t REQUEST_FIRST = 0;
constexpr uint8_t REQUEST_KEEP_ALIVE = 15;
// The greeting a server sends first: "~", ESC, "CONNECTED SERVER", LF.
constexpr char SERVER_GREETING[] =
    "~\x1b"
    "CONNECTED SERVER\n";
constexpr size_t SERVER_GREETING_LENGTH = sizeof(SERVER_GREETING) - 1;
// The client's version, sent in the first request (the value divided by 100
// is the version shown to the user).
constexpr uint16_t DEFAULT_CLIENT_VERSION = 251;

using PacketHandler = std::function<void(CGameSession& session, uint8_t code, CPacketReader& body)>;

// The status line under the login window.
extern char ConnectStatusText[256];
void SetConnectStatusText(const char* text);

// An entry of the server list (world id, IPv4 address in network order, port).
struct CServerListEntry {
    uint8_t worldId = 0;
    uint32_t address = 0;
    uint16_t port = 0;
    char name[100] = {};
    uint8_t state = 0;
};

class CGameSession {
public:
    static constexpr size_t SEND_BUFFER_SIZE = 16384;
    static constexpr uint32_t KEEP_ALIVE_INTERVAL_MS = 60000;
    // Login phases.
    static constexpr uint32_t PHASE_WAIT_GREETING = 0;
    static constexpr uint32_t PHASE_GREETED = 1;
    static constexpr uint32_t PHASE_FIRST_REQUEST_SENT = 2;
    static constexpr uint32_t PHASE_NOTICE = 9;

    CGameSession();
    virtual ~CGameSession();
    CGameSession(const CGameSession&) = delete;
    CGameSession& operator=(const CGameSession&) = delete;

    // Back to the state before a connection.
    void Reset();
    // Once per frame: sends at most one queued request, delivers deferred
    // packets, then every frame the connection holds, then the keep-alive.
    void ReceivePackets();
    // Handles one server message (code first).
    virtual void DispatchPacket(const uint8_t* payload, size_t length);
    // Keeps a copy of a payload to be dispatched at the start of the next
    // ReceivePackets; false when not connected.
    bool QueuePacket(const uint8_t* payload, size_t length);

    // Appends a request (1 to 255 bytes, code first) to the send queue; false
    // when not connected, for a length outside 1-255, or when the queue would
    // reach SEND_BUFFER_SIZE bytes.
    bool QueueMessage(const uint8_t* message, size_t length);
    bool QueueMessage(const CPacketWriter& message);
    // Sends the oldest queued request once the socket is writable; it leaves
    // the queue when its frame has gone out whole.
    void FlushSendBuffer();
    size_t QueuedBytes() const { return m_sendBytes; }
    size_t QueuedMessages() const { return m_sendCount; }

    // The answer to the server greeting: [0][client version][65].
    void SendFirstRequest();
    void SetClientVersion(uint16_t version) { m_clientVersion = version; }

    // The handler of a server message code (0 to MAX_SERVER_CODE); an empty
    // handler removes it.
    void SetPacketHandler(uint8_t code, PacketHandler handler);
    bool HasPacketHandler(uint8_t code) const;

    // A socket notification from the main window (wParam: socket, lParam:
    // event and error). Read and write mark the session; close takes the
    // disconnect path.
    void OnSocketNotify(uintptr_t wParam, intptr_t lParam);
    // The connection is lost: while the session was established the
    // disconnect notice is shown; the flag is cleared and the connection closed.
    void HandleDisconnect();
    // What shows the user that the connection was lost.
    void SetDisconnectNotice(std::function<void()> notice) { m_disconnectNotice = std::move(notice); }

    void SetReadable(uint8_t value) { m_readable = value; }
    void SetWritable(uint8_t value) { m_writable = value; }
    uint8_t Readable() const { return m_readable; }
    uint8_t Writable() const { return m_writable; }
    size_t DeferredCount() const { return m_deferred.size(); }

    // ---- Conversation state, read and written by the handlers and builders ----
    uint8_t m_charRequestKind = 0;  // 1 or 2 while the reply to request 44 or 45 is awaited
    uint8_t m_noticeFlag = 0;       // notice left for the login windows
    uint32_t m_noticeValue = 0;
    int32_t m_loginResult = -1;  // status of the last login reply
    char m_noticeText[256] = {};
    uint8_t m_inGame = 0;       // set by the game scene
    uint8_t m_established = 0;  // the greeting arrived
    uint32_t m_loginPhase = PHASE_WAIT_GREETING;
    // The next server's cipher parameters and ticket.
    uint32_t m_nextMaskFunction = 0;
    uint32_t m_nextKeyLength = 0;
    char m_nextKey[256] = {};
    uint8_t m_ticketLength = 0;
    uint8_t m_ticket[255] = {};
    int32_t m_pendingRequest = -1;  // login-phase request whose answer is awaited
    std::vector<CServerListEntry> m_serverList;
    uint8_t m_launcherLogin = 0;  // account and key came from the command line
    uint32_t m_termsChecksum = 0;
    std::string m_termsText;
    uint32_t m_termsReady = 0;
    char m_account[256] = {};
    char m_loginKey[256] = {};

private:
    void SendKeepAliveIfDue();

    uint8_t m_sendBuffer[SEND_BUFFER_SIZE];
    uint8_t m_sendLengths[SEND_BUFFER_SIZE];
    size_t m_sendBytes = 0;
    size_t m_sendCount = 0;
    uint8_t m_readable = 0;
    uint8_t m_writable = 0;
    std::deque<std::vector<uint8_t>> m_deferred;
    std::array<PacketHandler, MAX_SERVER_CODE + 1> m_handlers;
    std::function<void()> m_disconnectNotice;
    uint16_t m_clientVersion = DEFAULT_CLIENT_VERSION;
    bool m_keepAliveStarted = false;
    uint32_t m_lastKeepAlive = 0;
};

// The program's session, with the server-message handlers installed.
CGameSession& GameSession();
// Installs every server-message handler there is into a session.
void InstallPacketHandlers(CGameSession& session);
