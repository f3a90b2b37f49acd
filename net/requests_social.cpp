// Requests of chat, the team, the messenger, clubs, the fortress board and
// the room lobbies.
#include "core/config.h"
#include "net/game_session.h"

namespace {

constexpr uint8_t REQUEST_CHAT = 14;
constexpr uint8_t REQUEST_CHAT_TO_NAME = 25;
constexpr uint8_t REQUEST_ONE_CHAT = 26;
constexpr uint8_t REQUEST_TEAM = 46;
constexpr uint8_t REQUEST_MESSENGER = 55;
constexpr uint8_t REQUEST_CHAT_COMMAND = 59;
constexpr uint8_t REQUEST_CLUB = 61;
constexpr uint8_t REQUEST_FORTRESS = 72;
constexpr uint8_t REQUEST_ROOM = 81;

// The chat kinds that name their target.
constexpr uint8_t CHAT_WHISPER = 0;
constexpr uint8_t CHAT_ONE_TO_ONE = 19;
// The first client version whose club creation carries the option byte.
constexpr uint16_t CLUB_OPTION_VERSION = 191;

bool HasText(const char* text) {
    return text && text[0] != 0;
}

// [81][lobby][3][command]: the waiting room.
CPacketWriter WaitRoom(uint8_t lobby, uint8_t command) {
    CPacketWriter request(REQUEST_ROOM, lobby, 3);
    request.PutByte(command);
    return request;
}

}  // namespace

// ---- Chat ----

bool CGameSession::SendChat(uint8_t kind, const char* text) {
    CPacketWriter request(REQUEST_CHAT, kind);
    if (kind == 0) request.PutTextWithZero(text);
    return QueueMessage(request);
}

bool CGameSession::SendChatToName(const char* name, const char* text, uint8_t kind) {
    CPacketWriter request(REQUEST_CHAT_TO_NAME, kind);
    if (kind == CHAT_WHISPER || kind == CHAT_ONE_TO_ONE) request.PutText(name);
    return QueueMessage(request.PutText(text));
}

bool CGameSession::SendMessageBoxReply(uint32_t id, const char* answer) {
    return QueueMessage(CPacketWriter(REQUEST_CHAT_TO_NAME, 21).PutDword(id).PutText(answer));
}

bool CGameSession::SendReplyText(uint32_t replyId, const char* echo, const char* text) {
    return QueueMessage(
        CPacketWriter(REQUEST_CHAT_TO_NAME, 22).PutDword(replyId).PutText(echo).PutText(text));
}

bool CGameSession::SendChannelChat(uint8_t channel, const char* text) {
    return QueueMessage(CPacketWriter(REQUEST_CHAT_TO_NAME, 23).PutByte(channel).PutText(text));
}

bool CGameSession::SendOneChatCommand(uint8_t sub, const char* text, uint8_t flag) {
    CPacketWriter request(REQUEST_ONE_CHAT, sub);
    switch (sub) {
        case 0:
            request.PutText(text).PutByte(flag);
            break;
        case 1:
            request.PutText(text);
            break;
        case 2:
            // The switch is the text "0" or "1"; anything else is not a choice.
            if (!text || (text[0] != '0' && text[0] != '1')) return false;
            request.PutByte(uint8_t(text[0] - '0'));
            break;
        case 3:
            break;
        default:
            return false;
    }
    return QueueMessage(request);
}

bool CGameSession::SendOptionFlags(uint8_t mode, const uint8_t* keys, const uint8_t* values, size_t count) {
    CPacketWriter request(27, mode);
    if (mode == 0) {
        request.PutByte(uint8_t(count)).PutEntries(count, keys, values);
        if (count > UINT8_MAX) request.Fail();
    }
    return QueueMessage(request);
}

bool CGameSession::SendEmoticon(uint8_t number) {
    return QueueMessage(CPacketWriter(35).PutByte(number));
}

bool CGameSession::SendOneChatListRequest() {
    return QueueMessage(CPacketWriter(47));
}

bool CGameSession::SendChatCommand(uint8_t kind, const char* text, uint32_t value) {
    CPacketWriter request(REQUEST_CHAT_COMMAND, kind);
    switch (kind) {
        case 0:
            if (!HasText(text)) return false;
            request.PutText(text);
            break;
        case 2:
            request.PutDword(value);
            break;
        case 3:
            return false;
        default:
            break;
    }
    return QueueMessage(request);
}

// ---- Team ----

bool CGameSession::SendTeamInvite(const char* name) {
    return QueueMessage(CPacketWriter(REQUEST_TEAM, 1).PutText(name));
}

bool CGameSession::SendTeamInviteReply(const char* inviterName, uint8_t answer, const char* ownName) {
    return QueueMessage(CPacketWriter(REQUEST_TEAM, 2).PutText(inviterName).PutByte(answer).PutText(ownName));
}

bool CGameSession::SendTeamCreate(const char* inviteeName, const char* teamName, uint8_t sharing) {
    return QueueMessage(
        CPacketWriter(REQUEST_TEAM, 3).PutText(inviteeName).PutText(teamName).PutByte(sharing));
}

bool CGameSession::SendTeamAddMember(const char* name) {
    return QueueMessage(CPacketWriter(REQUEST_TEAM, 4).PutText(name));
}

bool CGameSession::SendTeamRemoveMember(const char* name) {
    return QueueMessage(CPacketWriter(REQUEST_TEAM, 6).PutText(name));
}

bool CGameSession::SendTeamChangeLeader(const char* name) {
    return QueueMessage(CPacketWriter(REQUEST_TEAM, 7).PutText(name));
}

bool CGameSession::SendTeamCancelInvite(const char* name) {
    return QueueMessage(CPacketWriter(REQUEST_TEAM, 9).PutText(name));
}

bool CGameSession::SendTeamShareMode(uint8_t mode) {
    return QueueMessage(CPacketWriter(REQUEST_TEAM, 10).PutByte(mode));
}

// ---- Messenger ----

bool CGameSession::SendMessengerStateRequest() {
    return QueueMessage(CPacketWriter(REQUEST_MESSENGER, 0));
}

bool CGameSession::SendMessengerListRequest() {
    return QueueMessage(CPacketWriter(REQUEST_MESSENGER, 1));
}

bool CGameSession::SendMessengerAddBuddy(const char* name, uint8_t group) {
    return QueueMessage(CPacketWriter(REQUEST_MESSENGER, 2).PutText(name).PutByte(group));
}

bool CGameSession::SendMessengerAcceptBuddyRequest(const char* memberName, const char* charName,
                                                   uint32_t resourceId, uint8_t value) {
    CPacketWriter request(REQUEST_MESSENGER, 3);
    request.PutText(memberName).PutText(charName).PutDword(resourceId).PutByte(value);
    return QueueMessage(request);
}

bool CGameSession::SendMessengerRefuseBuddyRequest(const char* memberName, const char* charName) {
    return QueueMessage(CPacketWriter(REQUEST_MESSENGER, 4).PutText(memberName).PutText(charName));
}

bool CGameSession::SendMessengerDeleteBuddy(const char* name, uint8_t group) {
    return QueueMessage(CPacketWriter(REQUEST_MESSENGER, 5).PutText(name).PutByte(group));
}

bool CGameSession::SendMessengerSetGroupName(uint8_t group, const char* name) {
    return QueueMessage(CPacketWriter(REQUEST_MESSENGER, 6).PutByte(group).PutText(name));
}

bool CGameSession::SendMessengerDeleteGroup(uint8_t group) {
    return QueueMessage(CPacketWriter(REQUEST_MESSENGER, 7).PutByte(group));
}

bool CGameSession::SendMessengerMoveBuddy(const char* name, uint8_t group) {
    return QueueMessage(CPacketWriter(REQUEST_MESSENGER, 8).PutText(name).PutByte(group));
}

bool CGameSession::SendMessengerAssignGroup(const char* name, uint8_t group) {
    return QueueMessage(CPacketWriter(REQUEST_MESSENGER, 9).PutText(name).PutByte(group));
}

bool CGameSession::SendMessengerConfirmRequest(const char* name, uint8_t value) {
    return QueueMessage(CPacketWriter(REQUEST_MESSENGER, 10).PutText(name).PutByte(value));
}

bool CGameSession::SendMessengerDeclineRequest(const char* name) {
    return QueueMessage(CPacketWriter(REQUEST_MESSENGER, 11).PutText(name));
}

// ---- Clubs and the fortress board ----

bool CGameSession::SendClubCreate(uint8_t kind, uint8_t option, const char* name, uint16_t minLevel,
                                  uint16_t maxLevel, const char* homepage, const char* introduction) {
    CPacketWriter request(REQUEST_CLUB, 1);
    request.PutByte(kind);
    if (g_config.m_clientVersion >= CLUB_OPTION_VERSION) request.PutByte(option);
    request.PutText(name, CLUB_NAME_LIMIT).PutWord(minLevel).PutWord(maxLevel);
    request.PutText(homepage, CLUB_HOMEPAGE_LIMIT).PutText(introduction, CLUB_INTRODUCTION_LIMIT);
    return QueueMessage(request);
}

bool CGameSession::SendClubCommand2(uint8_t club) {
    return QueueMessage(CPacketWriter(REQUEST_CLUB, 2).PutByte(club));
}

bool CGameSession::SendClubSettings(uint8_t club, uint16_t minLevel, uint16_t maxLevel, const char* homepage,
                                    const char* introduction) {
    CPacketWriter request(REQUEST_CLUB, 3);
    request.PutByte(club).PutWord(minLevel).PutWord(maxLevel);
    request.PutText(homepage, CLUB_HOMEPAGE_LIMIT).PutText(introduction, CLUB_INTRODUCTION_LIMIT);
    return QueueMessage(request);
}

bool CGameSession::SendClubSetMark(uint8_t club, uint8_t value, uint32_t emblem) {
    return QueueMessage(CPacketWriter(REQUEST_CLUB, 4).PutByte(club).PutByte(value).PutDword(emblem));
}

bool CGameSession::SendClubJoin(uint8_t value, const char* clubName, const char* charName, uint8_t value2) {
    CPacketWriter request(REQUEST_CLUB, 5);
    request.PutByte(value).PutText(clubName, CLUB_HOMEPAGE_LIMIT).PutText(charName).PutByte(value2);
    return QueueMessage(request);
}

bool CGameSession::SendClubCommand6(uint8_t club, const char* clubName, const char* name) {
    return QueueMessage(CPacketWriter(REQUEST_CLUB, 6).PutByte(club).PutText(clubName).PutText(name));
}

bool CGameSession::SendClubSetNick(uint8_t club, const char* memberName, const char* nickname) {
    CPacketWriter request(REQUEST_CLUB, 7);
    request.PutByte(club).PutText(memberName).PutText(nickname, CLUB_NICKNAME_LIMIT);
    return QueueMessage(request);
}

bool CGameSession::SendClubCommand8(uint8_t club, const char* memberName, uint8_t value) {
    return QueueMessage(CPacketWriter(REQUEST_CLUB, 8).PutByte(club).PutText(memberName).PutByte(value));
}

bool CGameSession::SendClubCommand9(uint8_t club, const char* memberName, uint8_t value) {
    if (!HasText(memberName)) return false;
    return QueueMessage(CPacketWriter(REQUEST_CLUB, 9).PutByte(club).PutText(memberName).PutByte(value));
}

bool CGameSession::SendClubCommand11(uint8_t club, uint8_t value) {
    return QueueMessage(CPacketWriter(REQUEST_CLUB, 11).PutByte(club).PutByte(value));
}

bool CGameSession::SendClubCommand12(uint8_t club, uint8_t value) {
    return QueueMessage(CPacketWriter(REQUEST_CLUB, 12).PutByte(club).PutByte(value));
}

bool CGameSession::SendClubCommand13(uint8_t club, uint8_t value) {
    return QueueMessage(CPacketWriter(REQUEST_CLUB, 13).PutByte(club).PutByte(value));
}

bool CGameSession::SendClubCommand14(uint8_t club, uint8_t value) {
    return QueueMessage(CPacketWriter(REQUEST_CLUB, 14).PutByte(club).PutByte(value));
}

bool CGameSession::SendClubJoinRequest(uint8_t value, const char* clubName) {
    if (!HasText(clubName)) return false;
    return QueueMessage(CPacketWriter(REQUEST_CLUB, 16).PutByte(value).PutText(clubName));
}

bool CGameSession::SendClubNotice(uint8_t club, uint8_t value, const char* text) {
    if (!HasText(text)) return false;
    return QueueMessage(CPacketWriter(REQUEST_CLUB, 19).PutByte(club).PutByte(value).PutText(text));
}

bool CGameSession::SendClubTextRequest(uint8_t club, uint8_t kind) {
    if (kind > 3) return false;
    return QueueMessage(CPacketWriter(REQUEST_CLUB, 20).PutByte(club).PutByte(kind));
}

bool CGameSession::SendClubPermissions(uint8_t club, uint8_t value, uint32_t permissions) {
    return QueueMessage(CPacketWriter(REQUEST_CLUB, 22).PutByte(club).PutByte(value).PutDword(permissions));
}

bool CGameSession::SendFortressBoardRequest0() {
    return QueueMessage(CPacketWriter(REQUEST_FORTRESS, 0));
}

bool CGameSession::SendFortressCancelWar() {
    return QueueMessage(CPacketWriter(REQUEST_FORTRESS, 1));
}

bool CGameSession::SendFortressBoardRequest2() {
    return QueueMessage(CPacketWriter(REQUEST_FORTRESS, 2));
}

// ---- Room lobbies ----

bool CGameSession::SendRoomListRequest(uint8_t lobby) {
    return QueueMessage(CPacketWriter(REQUEST_ROOM, lobby, 0));
}

bool CGameSession::SendTJSRoomCreate(uint8_t lobby, const char* title, const char* password, uint8_t players,
                                     uint8_t minLevel, uint8_t maxLevel, uint8_t mode, uint8_t map) {
    CPacketWriter request(REQUEST_ROOM, lobby, 1);
    request.PutText(title).PutText(password);
    request.PutByte(players).PutByte(minLevel).PutByte(maxLevel).PutByte(mode).PutByte(map);
    return QueueMessage(request);
}

bool CGameSession::SendCTFRoomCreate(uint8_t lobby, const char* title, const char* password, uint8_t players,
                                     uint8_t minLevel, uint8_t maxLevel, uint8_t map, uint32_t bet,
                                     uint8_t mode) {
    CPacketWriter request(REQUEST_ROOM, lobby, 1);
    request.PutText(title).PutText(password);
    request.PutByte(players).PutByte(minLevel).PutByte(maxLevel).PutByte(map).PutDword(bet).PutByte(mode);
    return QueueMessage(request);
}

bool CGameSession::SendRoomJoin(uint8_t lobby, uint8_t room, const char* password) {
    return QueueMessage(CPacketWriter(REQUEST_ROOM, lobby, 2).PutByte(room).PutText(password));
}

bool CGameSession::SendWaitRoomStart(uint8_t lobby) {
    return QueueMessage(WaitRoom(lobby, 0));
}

bool CGameSession::SendTJSWaitRoomStart(uint8_t lobby, const char* text) {
    return QueueMessage(WaitRoom(lobby, 0).PutText(text));
}

bool CGameSession::SendWaitRoomReady(uint8_t lobby) {
    return QueueMessage(WaitRoom(lobby, 1));
}

bool CGameSession::SendWaitRoomPlayerCommand(uint8_t lobby, const char* name) {
    return QueueMessage(WaitRoom(lobby, 2).PutText(name));
}

bool CGameSession::SendWaitRoomLeave(uint8_t lobby) {
    return QueueMessage(WaitRoom(lobby, 3));
}

bool CGameSession::SendWaitRoomChat(uint8_t lobby, const char* text) {
    return QueueMessage(WaitRoom(lobby, 5).PutText(text));
}

bool CGameSession::SendWaitRoomTeamChange(uint8_t lobby) {
    return QueueMessage(WaitRoom(lobby, 6));
}
