// Requests of the log-in phase and of the character choice.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "core/config.h"
#include "data/text_tables.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/registry.h"

namespace {

// Request codes of the log-in phase.
constexpr uint8_t REQUEST_NEW_ACCOUNT = 2;
constexpr uint8_t REQUEST_LOGIN = 3;
constexpr uint8_t REQUEST_ACCOUNT_CHECK = 4;
constexpr uint8_t REQUEST_KEY_ACK = 16;
constexpr uint8_t REQUEST_CHANGE_PASSWORD = 38;
constexpr uint8_t REQUEST_CHAR_SELECT = 43;
constexpr uint8_t REQUEST_CHAR_CREATE = 44;
constexpr uint8_t REQUEST_CHAR_DELETE = 45;
constexpr uint8_t REQUEST_SIGNUP_PAGE = 65;
constexpr uint8_t REQUEST_TERMS = 75;
constexpr uint8_t REQUEST_WORLD = 87;
constexpr uint8_t REQUEST_TIME_ECHO = 117;
constexpr uint8_t REQUEST_118 = 118;

// The notice for a log-in without an account: text table 13, row 9.
constexpr int LOGIN_TEXT_TABLE = 13;
constexpr int LOGIN_TEXT_NO_ACCOUNT = 9;

// "Logging in", shown under the log-in window.
constexpr char LOGGING_IN_TEXT[] = "로그인 합니다.";

void PutLittleEndian(uint8_t* out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[i] = uint8_t(value >> (8 * i));
}

}  // namespace

bool CGameSession::SendNewAccount(const char* account, const char* password, const char* email,
                                  const char* text4, uint8_t option1, const char* text5, uint8_t option2) {
    if (!IsServerConnected()) return false;
    uint32_t ispCode = 0;
    if (!plat::RegQueryDword(ISP_CODE_KEY, ISP_CODE_VALUE, &ispCode)) ispCode = 0;
    CPacketWriter request(REQUEST_NEW_ACCOUNT);
    request.PutText(account).PutText(password).PutByte(0).PutText(email).PutText(text4);
    request.PutByte(option1).PutText(text5).PutByte(option2).PutWord(uint16_t(ispCode));
    if (!QueueMessage(request)) return false;
    m_pendingRequest = REQUEST_NEW_ACCOUNT;
    return true;
}

bool CGameSession::SendLoginRequest(uint8_t flag) {
    SetConnectStatusText(plat::FromUtf8(LOGGING_IN_TEXT).c_str());
    if (m_account[0] == 0 && flag == 1) {
        PostSessionNotice(1, 0, GetTableText(LOGIN_TEXT_TABLE, LOGIN_TEXT_NO_ACCOUNT));
        return false;
    }
    if (!CanQueue()) return false;
    CPacketWriter request(REQUEST_LOGIN);
    request.PutText(m_account).PutText(m_loginKey);
    if (!QueueMessage(request)) return false;
    m_loginPhase = PHASE_LOGIN_SENT;
    g_connection->EnableWriteNotify();
    m_pendingRequest = REQUEST_LOGIN;
    // Both fit: they were just sent as texts of at most 255 bytes.
    std::strcpy(m_savedAccount, m_account);
    std::strcpy(m_savedPassword, m_loginKey);
    return true;
}

bool CGameSession::SendAccountCheck(const char* account) {
    if (!QueueMessage(CPacketWriter(REQUEST_ACCOUNT_CHECK).PutText(account))) return false;
    m_pendingRequest = REQUEST_ACCOUNT_CHECK;
    return true;
}

bool CGameSession::SendLoginPhaseAnswer() {
    return QueueMessage(CPacketWriter(REQUEST_KEEP_ALIVE, 3));
}

bool CGameSession::RequestMetaTable(const char* tableName) {
    return QueueMessage(CPacketWriter(REQUEST_KEEP_ALIVE, 2).PutByte(1).PutText(tableName));
}

bool CGameSession::SendKeyAcknowledgement() {
    if (!QueueMessage(CPacketWriter(REQUEST_KEY_ACK).PutBytes(m_ticket, m_ticketLength))) return false;
    // The request leaves in clear; the next server's greeting is read raw, and
    // what follows is enciphered for that server.
    g_connection->SetRawMode(false, true);
    const size_t keyLength = strnlen(m_nextKey, std::min<size_t>(m_nextKeyLength, sizeof(m_nextKey)));
    g_connection->BuildMaskTable(int(m_nextMaskFunction));
    g_connection->SetCipherKey(std::string_view(m_nextKey, keyLength));
    return true;
}

bool CGameSession::SendChangePassword(const char* account, const char* password, const char* newPassword) {
    CPacketWriter request(REQUEST_CHANGE_PASSWORD);
    request.PutText(account).PutText(password).PutText(newPassword);
    if (!QueueMessage(request)) return false;
    m_pendingRequest = REQUEST_CHANGE_PASSWORD;
    return true;
}

bool CGameSession::SendCharSelect(const char* name) {
    if (!QueueMessage(CPacketWriter(REQUEST_CHAR_SELECT).PutText(name))) return false;
    m_noticeFlag = 0;
    m_noticeValue = 0;
    return true;
}

bool CGameSession::RequestCharCreate(uint32_t value, const char* name) {
    m_noticeFlag = 0;
    m_noticeValue = 0;
    if (!QueueMessage(CPacketWriter(REQUEST_CHAR_CREATE).PutDword(value).PutText(name))) return false;
    m_charRequestKind = 1;
    m_loginPhase = PHASE_NOTICE;
    m_pendingRequest = REQUEST_CHAR_CREATE;
    return true;
}

bool CGameSession::RequestCharDelete(const char* name, const char* confirmation) {
    m_noticeFlag = 0;
    m_noticeValue = 0;
    CPacketWriter request(REQUEST_CHAR_DELETE);
    request.PutText(name).PutText(confirmation ? confirmation : "");
    if (!QueueMessage(request)) return false;
    m_charRequestKind = 2;
    m_loginPhase = PHASE_NOTICE;
    m_pendingRequest = REQUEST_CHAR_DELETE;
    return true;
}

bool CGameSession::RequestSignupPage() {
    return QueueMessage(CPacketWriter(REQUEST_SIGNUP_PAGE, 1));
}

bool CGameSession::SendTermsRequest() {
    return QueueMessage(CPacketWriter(REQUEST_TERMS));
}

bool CGameSession::SendWorldEntry(uint8_t worldId) {
    if (!QueueMessage(CPacketWriter(REQUEST_WORLD, 0).PutByte(worldId))) return false;
    m_pendingRequest = REQUEST_WORLD;
    m_chosenWorld = worldId;
    // The last entry of the world gives its login server.
    const CServerListEntry* chosen = nullptr;
    for (const CServerListEntry& entry : m_serverList)
        if (entry.worldId == worldId) chosen = &entry;
    if (chosen) {
        g_config.m_serverAddress = chosen->address;
        g_config.m_serverPort = chosen->port;
        uint8_t record[6];
        PutLittleEndian(record, chosen->address, 4);
        PutLittleEndian(record + 4, chosen->port, 2);
        // A file that cannot be written keeps what it held.
        plat::WriteFileAtomic(LOGIN_SERVER_FILE, record, sizeof(record));
    }
    g_connection->EnableWriteNotify();
    return true;
}

bool CGameSession::SendWorldListRequest() {
    if (!QueueMessage(CPacketWriter(REQUEST_WORLD, 1))) return false;
    m_pendingRequest = REQUEST_WORLD;
    g_connection->EnableWriteNotify();
    return true;
}

bool CGameSession::SendTimeEcho(uint32_t value) {
    return QueueMessage(CPacketWriter(REQUEST_TIME_ECHO).PutDword(value).PutDword(plat::timeGetTime()));
}

bool CGameSession::SendRequest118() {
    return QueueMessage(CPacketWriter(REQUEST_118));
}
