#include "net/handlers/login_phase.h"

#include <cstring>

#include "core/config.h"
#include "data/text_format.h"
#include "data/text_tables.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "net/handlers/handler_rules.h"
#include "net/handlers/login_records.h"
#include "net/handlers/server_windows.h"
#include "net/packet_cipher.h"
#include "net/packet_reader.h"
#include "net/packet_writer.h"

namespace {

struct CLoginReply {
    uint8_t m_result = 0;
    char m_text[256] = {};
};

// The notices a successful log-in reply leaves, by the request it answers.
struct ReplyNotice {
    int32_t pending;
    int rows[2];
};
constexpr ReplyNotice REPLY_NOTICES[] = {
    {2, {5, 6}}, {4, {1, -1}}, {38, {2, -1}}, {44, {3, -1}}, {45, {4, -1}},
};
constexpr int REPLY_NOTICE_OTHER = 6;

const char* LoginText(int row) {
    return GetTableText(LOGIN_TEXT_TABLE, row);
}

// Passes over a text; false when it is not all there.
void SkipText(CPacketReader& body) {
    body.Skip(body.GetByte());
}

// 0/0: framed, deciphered reading from now on with the new key, then the world.
void ApplyKeySetup(CGameSession& session, const CCipherSetup& setup) {
    if (!setup.IsUsable()) {
        // A set-up the client refuses ends the link; nothing else is sent.
        g_connection->Disconnect();
        return;
    }
    g_connection->SetRawMode(false, false);
    g_connection->BuildMaskTable(int(setup.m_maskFunction));
    g_connection->SetCipherKey(setup.m_key);
    if (session.m_launcherLogin)
        session.SendWorldEntry(session.m_chosenWorld);
    else
        session.SendWorldListRequest();
}

void HandleKeyMessage(CGameSession& session, CPacketReader& body) {
    const uint8_t sub = body.GetByte();
    if (body.Failed()) return;
    switch (sub) {
        case 0: {
            std::optional<CCipherSetup> setup = ParseKeySetup(body);
            if (!setup) return;
            ApplyKeySetup(session, *setup);
            break;
        }
        case 1: {
            // [text][count][count texts][count][count texts]: read to the end, not used.
            SkipText(body);
            for (int list = 0; list < 2 && !body.Failed(); ++list)
                for (uint8_t n = body.GetByte(); n > 0 && !body.Failed(); --n) SkipText(body);
            if (body.Failed()) return;
            ShowServerNotice(LoginText(LOGIN_TEXT_REFUSED));
            break;
        }
        case 2: {
            const uint16_t serverVersion = body.GetWord();
            body.Skip(body.GetByte());
            if (body.Failed()) return;
            const std::string text = FormatTableText(LoginText(LOGIN_TEXT_VERSION),
                                                     {serverVersion * 0.01, g_config.m_clientVersion * 0.01});
            ShowServerNotice(text.c_str());
            break;
        }
        default:
            break;
    }
    RearmConnection();
}

std::optional<CLoginReply> ParseLoginReply(CPacketReader& body) {
    CLoginReply reply;
    reply.m_result = body.GetByte();
    body.GetString(reply.m_text);
    return Parsed(body, std::move(reply));
}

void ApplyLoginReply(CGameSession& session, const CLoginReply& reply) {
    std::memcpy(session.m_noticeText, reply.m_text, sizeof(session.m_noticeText));
    session.m_loginResult = reply.m_result;
    if (reply.m_result != 0) {
        SetConnectStatusText(reply.m_text);
        if (session.m_inGame) ShowServerNotice(reply.m_text);
        session.m_noticeFlag = 1;
        session.m_loginPhase = CGameSession::PHASE_NOTICE;
        session.m_noticeValue = 0;
        if (reply.m_result == LOGIN_RESULT_CLOSES) g_connection->Disconnect();
        return;
    }
    SetConnectStatusText("");
    const ReplyNotice* notice = nullptr;
    for (const ReplyNotice& candidate : REPLY_NOTICES)
        if (candidate.pending == session.m_pendingRequest) notice = &candidate;
    if (!notice) {
        session.PostSessionNotice(1, 1, LoginText(REPLY_NOTICE_OTHER));
        return;
    }
    for (int row : notice->rows)
        if (row >= 0) session.PostSessionNotice(1, 1, LoginText(row));
}

void ApplyServerChange(CGameSession& session, const CServerChange& change) {
    if (!change.m_ticketReadable || !change.m_cipher.IsUsable()) {
        // The next server could not be spoken to: go nowhere and end the link.
        g_connection->Disconnect();
        return;
    }
    session.m_ticketLength = uint8_t(change.m_ticket.size());
    std::memcpy(session.m_ticket, change.m_ticket.data(), change.m_ticket.size());
    session.m_nextMaskFunction = change.m_cipher.m_maskFunction;
    session.m_nextKeyLength = uint32_t(change.m_cipher.m_key.size());
    std::memset(session.m_nextKey, 0, sizeof(session.m_nextKey));
    std::memcpy(session.m_nextKey, change.m_cipher.m_key.data(), change.m_cipher.m_key.size());

    g_connection->Connect(change.m_addressNet, change.m_port);
    SetConnectStatusText("");
    session.SendKeyAcknowledgement();
    PostToAllWindows(WINDOW_EVENT_SERVER_CHANGE);
    if (session.m_pendingRequest == 3) {
        session.m_loginPhase = CGameSession::PHASE_NOTICE;
        session.PostSessionNotice(1, 1, LoginText(LOGIN_TEXT_SERVER_CHANGED));
        session.m_pendingRequest = -1;
    } else if (session.m_pendingRequest == 87) {
        session.PostSessionNotice(1, 1, LoginText(LOGIN_TEXT_WORLD_ENTERED));
        session.SendLoginPhaseAnswer();
        if (session.m_launcherLogin) session.SendLoginRequest(1);
    }
}

}  // namespace

bool CCipherSetup::IsUsable() const {
    return m_maskFunction <= uint32_t(CPacketCipher::MAX_MASK_FUNCTION) && !m_key.empty() &&
           m_key.size() <= CPacketCipher::MAX_KEY_LENGTH;
}

std::optional<CCipherSetup> ParseKeySetup(CPacketReader& body) {
    CCipherSetup setup;
    setup.m_maskFunction = body.GetByte();
    const std::string key = body.GetString();
    setup.m_key = key.substr(0, std::strlen(key.c_str()));
    return Parsed(body, std::move(setup));
}

std::optional<CServerChange> ParseServerChange(CPacketReader& body) {
    CServerChange change;
    // A big-endian number like every wire integer; its value is the address
    // in network order, handed to the connection unchanged.
    change.m_addressNet = body.GetDword();
    change.m_port = body.GetWord();
    const uint8_t ticketLength = body.GetByte();
    if (body.Failed() || body.Remaining() < ticketLength) return std::nullopt;
    change.m_ticket.assign(body.Current(), body.Current() + ticketLength);

    // The ticket is kept whole and read where it stands as the mask function
    // and the key; the text follows the key, so a ticket longer than its key
    // holds the start of the text.
    CPacketReader ticket(change.m_ticket.data(), change.m_ticket.size());
    std::optional<CCipherSetup> cipher = ParseKeySetup(ticket);
    change.m_ticketReadable = cipher.has_value();
    if (!cipher) return change;  // nowhere to go: the link ends
    change.m_cipher = std::move(*cipher);
    body.Skip(ticket.Position());
    change.m_text = body.GetString();
    if (body.Failed()) return std::nullopt;
    return change;
}

void HandleLoginMessage(CGameSession& session, uint8_t code, CPacketReader& body) {
    if (!IsServerConnected()) return;
    switch (code) {
        case 0:
            HandleKeyMessage(session, body);
            return;
        case 1:
            break;
        case 2: {
            std::optional<CLoginReply> reply = ParseLoginReply(body);
            if (!reply) return;
            ApplyLoginReply(session, *reply);
            break;
        }
        case 3: {
            std::optional<CServerChange> change = ParseServerChange(body);
            if (!change) return;
            ApplyServerChange(session, *change);
            break;
        }
        default:
            return;
    }
    RearmConnection();
}

std::vector<uint8_t> WriteKeySetup(const CCipherSetup& setup) {
    return CMessageWriter(0).PutByte(0).PutByte(uint8_t(setup.m_maskFunction)).PutText(setup.m_key).Take();
}

std::vector<uint8_t> WriteLoginReply(uint8_t result, const std::string& text) {
    return CMessageWriter(2).PutByte(result).PutText(text).Take();
}

std::vector<uint8_t> WriteServerChange(uint32_t addressNet, uint16_t port, const CCipherSetup& ticket,
                                       const std::string& text) {
    CMessageWriter ticketBytes(uint8_t(ticket.m_maskFunction));
    ticketBytes.PutText(ticket.m_key);
    CMessageWriter message(3);
    message.PutDword(addressNet).PutWord(port);
    message.PutByte(uint8_t(ticketBytes.Data().size()))
        .PutBytes(ticketBytes.Data().data(), ticketBytes.Data().size());
    return message.PutText(text).Take();
}
