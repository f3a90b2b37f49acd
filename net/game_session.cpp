#include "net/game_session.h"

#include <cstring>
#include <string_view>

#include "core/config.h"
#include "core/util.h"
#include "data/game_hooks.h"
#include "data/text_tables.h"
#include "net/connection.h"
#include "net/handlers/login_records.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/socket.h"

char ConnectStatusText[256] = {};

void SetConnectStatusText(const char* text) {
    std::string_view view = text ? std::string_view(text) : std::string_view();
    size_t length = plat::DbcsPrefixLength(view, sizeof(ConnectStatusText) - 1);
    std::memcpy(ConnectStatusText, view.data(), length);
    ConnectStatusText[length] = 0;
}

CGameSession::CGameSession() {
    Reset();
}

CGameSession::~CGameSession() = default;

void CGameSession::Reset() {
    // The keep-alive's minute runs on across connections: its stamp stays.
    m_established = 0;
    m_loginPhase = PHASE_WAIT_GREETING;
    m_readable = 0;
    m_writable = 0;

    std::memset(m_sendBuffer, 0, sizeof(m_sendBuffer));
    std::memset(m_sendLengths, 0, sizeof(m_sendLengths));
    m_sendBytes = 0;
    m_sendCount = 0;
    m_charRequestKind = 0;
    m_account[0] = 0;

    m_party.reset();
    m_lobbies = CRoomLobbies();
    m_pendingRequest = -1;
    m_serverList.clear();
    m_termsChecksum = 0;
    m_termsText.clear();
    LoadStipulation();
    m_termsReady = 0;
    m_launcherLogin = 0;
    m_charList.reset();
    m_loginResult = -1;
    m_deferred.clear();
}

void CGameSession::SetPacketHandler(uint8_t code, PacketHandler handler) {
    if (code <= MAX_SERVER_CODE) m_handlers[code] = std::move(handler);
}

bool CGameSession::HasPacketHandler(uint8_t code) const {
    return code <= MAX_SERVER_CODE && static_cast<bool>(m_handlers[code]);
}

void CGameSession::DispatchPacket(const uint8_t* payload, size_t length) {
    if (!payload || length == 0) return;
    if (m_loginPhase == PHASE_WAIT_GREETING && length >= SERVER_GREETING_LENGTH) {
        // The first message of a connection is the greeting; whatever it
        // says, the conversation moves on.
        if (std::memcmp(payload, SERVER_GREETING, SERVER_GREETING_LENGTH) == 0)
            SetConnectStatusText("Connected To Login Server");
        m_established = 1;
        m_loginPhase = PHASE_GREETED;
        SendFirstRequest();
        m_pendingRequest = 0;
        return;
    }
    const uint8_t code = payload[0];
    if (code > MAX_SERVER_CODE || !m_handlers[code]) return;
    // A handler may replace handlers; call a copy.
    PacketHandler handler = m_handlers[code];
    CPacketReader body(payload + 1, length - 1);
    handler(*this, code, body);
}

bool CGameSession::QueuePacket(const uint8_t* payload, size_t length) {
    if (!IsServerConnected() || !payload || length == 0) return false;
    if (m_deferred.size() >= MAX_DEFERRED) return false;
    m_deferred.emplace_back(payload, payload + length);
    return true;
}

bool CGameSession::CanQueue() const {
    // While a connect is pending only a conversation already under way (a
    // move to the next server, established with the last one) may queue: a
    // new one starts with the greeting.
    return IsServerConnected() || (IsServerConnecting() && m_established);
}

bool CGameSession::QueueMessage(const uint8_t* message, size_t length) {
    if (!CanQueue()) return false;
    if (!message || length == 0 || length > MAX_MESSAGE_LENGTH) return false;
    if (m_sendBytes + length >= SEND_BUFFER_SIZE) return false;
    std::memcpy(m_sendBuffer + m_sendBytes, message, length);
    m_sendLengths[m_sendCount] = uint8_t(length);
    m_sendBytes += length;
    ++m_sendCount;
    return true;
}

std::vector<uint8_t> CGameSession::QueuedMessage(size_t index) const {
    if (index >= m_sendCount) return {};
    size_t offset = 0;
    for (size_t i = 0; i < index; ++i) offset += m_sendLengths[i];
    return std::vector<uint8_t>(m_sendBuffer + offset, m_sendBuffer + offset + m_sendLengths[index]);
}

void CGameSession::PostSessionNotice(uint8_t flag, uint32_t value, const char* text) {
    m_noticeFlag = flag;
    m_noticeValue = value;
    m_loginPhase = PHASE_NOTICE;
    if (text) CopyDbcsPrefix(text, sizeof(m_noticeText) - 1, m_noticeText);
}

bool CGameSession::QueueMessage(const CPacketWriter& message) {
    if (message.Failed()) return false;
    return QueueMessage(message.Data(), message.Length());
}

void CGameSession::FlushSendBuffer() {
    CConnection* connection = g_connection;
    if (!connection || !connection->IsConnected() || m_sendCount == 0) return;
    if (!m_writable) {
        connection->EnableWriteNotify();
        return;
    }
    const size_t length = m_sendLengths[0];
    if (connection->HasPendingOutput())
        connection->SendPending();
    else
        connection->SendPacket(m_sendBuffer, length);
    if (connection->HasPendingOutput()) {
        // The rest goes when the socket drains; the request stays first in line.
        if (connection->SendWouldBlock()) {
            m_writable = 0;
            connection->EnableWriteNotify();
        }
        return;
    }
    // Sent whole (or lost with a broken socket): the next request moves up.
    std::memmove(m_sendBuffer, m_sendBuffer + length, m_sendBytes - length);
    std::memmove(m_sendLengths, m_sendLengths + 1, m_sendCount - 1);
    m_sendBytes -= length;
    --m_sendCount;
}

void CGameSession::SendFirstRequest() {
    if (!IsServerConnected()) return;
    CPacketWriter request(REQUEST_FIRST);
    request.PutWord(g_config.m_clientVersion).PutByte(65);
    QueueMessage(request);
    g_connection->EnableWriteNotify();
    m_loginPhase = PHASE_FIRST_REQUEST_SENT;
}

void CGameSession::ReceivePackets() {
    FlushSendBuffer();
    if (!m_keepAliveStarted) {
        m_keepAliveStarted = true;
        m_lastKeepAlive = plat::timeGetTime();
    }
    if (!IsServerConnected()) return;

    // Packets deferred during the last frame come first; those deferred now
    // wait for the next frame.
    for (size_t count = m_deferred.size(); count > 0 && !m_deferred.empty(); --count) {
        std::vector<uint8_t> packet = std::move(m_deferred.front());
        m_deferred.pop_front();
        DispatchPacket(packet.data(), packet.size());
    }

    // A handler may close the connection or open another: look it up each time.
    while (g_connection && g_connection->IsConnected()) {
        size_t length = 0;
        const uint8_t* frame = g_connection->ReceiveFrame(&length);
        if (!frame || length < 1) break;
        DispatchPacket(frame, length);
    }
    m_readable = 0;
    SendKeepAliveIfDue();
}

void CGameSession::SendKeepAliveIfDue() {
    uint32_t now = plat::timeGetTime();
    if (now - m_lastKeepAlive < KEEP_ALIVE_INTERVAL_MS) return;
    m_lastKeepAlive = now;
    if (!IsServerConnected()) return;
    const uint8_t keepAlive[2] = {REQUEST_KEEP_ALIVE, 0};
    QueueMessage(keepAlive, sizeof(keepAlive));
}

bool CGameSession::IsStaleNotice(uintptr_t socket) const {
    CConnection* connection = g_connection;
    return connection && (connection->IsConnected() || connection->IsConnecting()) &&
           socket != uintptr_t(connection->Socket());
}

void CGameSession::OnSocketNotify(uintptr_t wParam, intptr_t lParam) {
    // A notification of a socket closed since is of no interest.
    if (IsStaleNotice(wParam)) return;
    switch (plat::WSAGetSelectEvent(uint32_t(lParam))) {
        case plat::FD_READ:
            m_readable = 1;
            break;
        case plat::FD_WRITE:
            OnWritable();
            break;
        case plat::FD_CLOSE:
            HandleDisconnect();
            break;
        default:
            break;
    }
}

void CGameSession::OnWritable() {
    if (g_connection) g_connection->FinishConnect();
    m_writable = 1;
}

void CGameSession::HandleDisconnect() {
    if (IsServerConnecting()) {
        // The connect was refused or timed out: the status line says so, and
        // what was queued for that server goes nowhere.
        SetConnectStatusText(GetTableText(CONNECT_FAILED_TABLE, CONNECT_FAILED_ROW));
        m_sendBytes = 0;
        m_sendCount = 0;
        m_established = 0;
        g_connection->Close();
        return;
    }
    if (m_established) {
        if (m_disconnectNotice) m_disconnectNotice();
        m_established = 0;
    }
    if (IsServerConnected()) g_connection->Close();
}

CGameSession& GameSession() {
    static CGameSession* session = [] {
        static CGameSession instance;
        InstallPacketHandlers(instance);
        return &instance;
    }();
    return *session;
}
