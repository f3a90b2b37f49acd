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
#include <memory>
#include <string>
#include <vector>

#include "net/packet_reader.h"
#include "net/packet_writer.h"

class CConnection;
class CGameSession;
class CCharListMsg;
class IPartyList;

constexpr int MAX_SERVER_CODE = 121;
// Message code of the client's first request and of the keep-alive.
constexpr uint8_t REQUEST_FIRST = 0;
constexpr uint8_t REQUEST_KEEP_ALIVE = 15;
// The greeting a server sends first: "~", ESC, "CONNECTED SERVER", LF.
constexpr char SERVER_GREETING[] =
    "~\x1b"
    "CONNECTED SERVER\n";
constexpr size_t SERVER_GREETING_LENGTH = sizeof(SERVER_GREETING) - 1;

using PacketHandler = std::function<void(CGameSession& session, uint8_t code, CPacketReader& body)>;

// The status line under the login window.
extern char ConnectStatusText[256];
void SetConnectStatusText(const char* text);
// The status text of a connect that failed (refused or timed out).
constexpr int CONNECT_FAILED_TABLE = 14;
constexpr int CONNECT_FAILED_ROW = 270;

// A point on the field (tiles) as the character code holds it; requests send
// it as u16 numbers.
struct CFieldPoint {
    float x = 0;
    float y = 0;
};

// The file that keeps the login server of the world last entered: the u32
// address (network order, as the server list holds it) and the u16 port, both
// written little-endian.
constexpr char LOGIN_SERVER_FILE[] = "LoginServerInfo.DAT";
// The last terms of use the client received: u32 CRC-32 and i32 length n
// (little-endian), then the n bytes of the text.
constexpr char STIPULATION_FILE[] = "Stipulation.Dat";
// Where the "ISP_Code" value lives in the user's settings.
constexpr char ISP_CODE_KEY[] = "Software\\Vemra\\Quillmarrow";
constexpr char ISP_CODE_VALUE[] = "ISP_Code";

// An entry of the server list (world id, IPv4 address in network order, port).
struct CServerListEntry {
    uint8_t worldId = 0;
    uint32_t address = 0;
    uint16_t port = 0;
    char name[100] = {};
    uint8_t state = 0;
};

// The two room lobbies as the last room list of each kind named them; a
// number of -1 matches no lobby.
struct CRoomLobbies {
    int32_t m_tjsNumber = -1;
    int32_t m_ctfNumber = -1;
    bool m_tjsFlag = false;
    bool m_ctfFlag = false;
};

class CGameSession {
public:
    static constexpr size_t SEND_BUFFER_SIZE = 16384;
    static constexpr uint32_t KEEP_ALIVE_INTERVAL_MS = 60000;
    // Packets waiting for the next frame, at most.
    static constexpr size_t MAX_DEFERRED = 256;
    // Login phases.
    static constexpr uint32_t PHASE_WAIT_GREETING = 0;
    static constexpr uint32_t PHASE_GREETED = 1;
    static constexpr uint32_t PHASE_FIRST_REQUEST_SENT = 2;
    static constexpr uint32_t PHASE_LOGIN_SENT = 4;  // the log-in request is queued
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
    // ReceivePackets; false when not connected or when MAX_DEFERRED wait.
    bool QueuePacket(const uint8_t* payload, size_t length);

    // Appends a request (1 to 255 bytes, code first) to the send queue; false
    // when it may not queue (CanQueue), for a length outside 1-255, or when
    // the queue would reach SEND_BUFFER_SIZE bytes.
    bool QueueMessage(const uint8_t* message, size_t length);
    bool QueueMessage(const CPacketWriter& message);
    // Connected; or connecting to the next server of a conversation under way
    // (the requests leave once connected).
    bool CanQueue() const;
    // Sends the oldest queued request once the socket is writable; it leaves
    // the queue when its frame has gone out whole.
    void FlushSendBuffer();
    size_t QueuedBytes() const { return m_sendBytes; }
    size_t QueuedMessages() const { return m_sendCount; }
    // A copy of the queued request at index (0 is the next to leave); empty
    // when there is none.
    std::vector<uint8_t> QueuedMessage(size_t index) const;

    // The answer to the server greeting: [0][client version][65].
    void SendFirstRequest();

    // The handler of a server message code (0 to MAX_SERVER_CODE); an empty
    // handler removes it.
    void SetPacketHandler(uint8_t code, PacketHandler handler);
    bool HasPacketHandler(uint8_t code) const;

    // A socket notification from the main window (wParam: socket, lParam:
    // event and error). Read and write mark the session; close takes the
    // disconnect path.
    void OnSocketNotify(uintptr_t wParam, intptr_t lParam);
    // A notification of a socket other than the open connection's: one closed
    // and replaced since the notification was posted.
    bool IsStaleNotice(uintptr_t socket) const;
    // The socket is writable; a pending connect has completed.
    void OnWritable();
    // The connection is lost: while the session was established the
    // disconnect notice is shown; the flag is cleared and the connection
    // closed. A pending connect that ends this way failed: the status text
    // says so (CONNECT_FAILED_ROW), the send queue empties, no notice.
    void HandleDisconnect();
    // What shows the user that the connection was lost.
    void SetDisconnectNotice(std::function<void()> notice) { m_disconnectNotice = std::move(notice); }
    bool HasDisconnectNotice() const { return bool(m_disconnectNotice); }

    void SetReadable(uint8_t value) { m_readable = value; }
    void SetWritable(uint8_t value) { m_writable = value; }
    uint8_t Readable() const { return m_readable; }
    uint8_t Writable() const { return m_writable; }
    size_t DeferredCount() const { return m_deferred.size(); }

    // ---- Notices left for the log-in and character windows ----
    // Stores the notice (flag, value, and the text when one is given) and sets
    // the login phase to PHASE_NOTICE. (0, 0, null) clears it.
    void PostSessionNotice(uint8_t flag, uint32_t value, const char* text);
    uint8_t IsNoticePending() const { return m_noticeFlag; }
    // Set by the game scene and by the main window's socket handling.
    void SetInGame(uint8_t value) { m_inGame = value; }
    void SetEstablished(uint8_t value) { m_established = value; }

    // ---- The terms of use (net/handlers/terms.cpp) ----
    // Reads STIPULATION_FILE into the checksum and text: true when the file
    // was opened. A file under 8 bytes, or a length above 65,535 or past the
    // file's end, gives no text and checksum 0; a length of 0 or below gives
    // the checksum and no text.
    bool LoadStipulation();
    // Replaces the file (atomically) with the checksum and the whole text;
    // false, the old file kept, when it cannot be written.
    bool SaveStipulation();

    // ==== Requests ====
    // Each builds one request and queues it. Texts are 0-terminated strings
    // sent as a u8 length and the characters; numbers are big-endian. A request
    // is not sent (false) when the session is not connected, when the send
    // queue is full, when a text is missing (null) or longer than its limit, or
    // when the whole request would not fit in 255 bytes.

    // ---- Log-in and characters (net/requests_login.cpp) ----
    // [2] new account: account, password, e-mail, two further texts with their
    // option bytes, and the "ISP_Code" value of the user's settings (0 when
    // there is none).
    bool SendNewAccount(const char* account, const char* password, const char* email, const char* text4,
                        uint8_t option1, const char* text5, uint8_t option2);
    // [3] the log-in with the session's account and login key. With an empty
    // account and flag 1 nothing is sent and the log-in notice is posted.
    bool SendLoginRequest(uint8_t flag);
    // [4] is the account name free.
    bool SendAccountCheck(const char* account);
    // [15][3] the answer to a server change.
    bool SendLoginPhaseAnswer();
    // [15][2][1] asks for a server data table.
    bool RequestMetaTable(const char* tableName);
    // [16] the ticket of the server change; the connection then enciphers with
    // the next server's key and mask function.
    bool SendKeyAcknowledgement();
    // [38] password change.
    bool SendChangePassword(const char* account, const char* password, const char* newPassword);
    // [43] enters the game with a character; clears the notice.
    bool SendCharSelect(const char* name);
    // [44] / [45] character creation and deletion; the reply is awaited with
    // the notice cleared.
    bool RequestCharCreate(uint32_t value, const char* name);
    bool RequestCharDelete(const char* name, const char* confirmation);
    // [65][1] asks for the sign-up web page.
    bool RequestSignupPage();
    // [75] asks for the terms-of-use text.
    bool SendTermsRequest();
    // [87][0] enters a world; records its login server in the configuration
    // and in "LoginServerInfo.DAT".
    bool SendWorldEntry(uint8_t worldId);
    // [87][1] asks for the list of worlds.
    bool SendWorldListRequest();
    // [117] echoes a server time value with the client's millisecond clock.
    bool SendTimeEcho(uint32_t value);
    // [118] the answer to server message 103.
    bool SendRequest118();

    // The world last entered (its login server goes to the configuration's
    // server address and port, from which later connects take it).
    uint8_t m_chosenWorld = 0;
    // The account and password of the last log-in, for reconnects.
    char m_savedAccount[256] = {};
    char m_savedPassword[256] = {};

    // ---- Movement and play (net/requests_play.cpp) ----
    bool SendPickUp(uint32_t objectId);                                           // [7]
    bool SendPointRequest(uint8_t kind, uint16_t count, uint16_t x, uint16_t y);  // [8]
    bool SendStatPointUp(uint8_t stat);                                           // [10] one point
    bool SendCharInfoRequest(uint32_t charId);                                    // [12]
    // [13] five skill ids and their flag bytes for a combo.
    bool SendComboSet(uint8_t combo, const uint32_t skillIds[5], const uint8_t flags[5]);
    bool SendDirection(uint8_t facing);  // [17] facing 0-15, sent halved
    bool SendSkillLevel(uint8_t skill, uint8_t value, uint8_t level, uint8_t raise);  // [18]
    // [19] a skill's flag byte and attack kind, then count payload bytes.
    bool SendUseSkill(uint8_t skillFlag, uint8_t kind, const uint8_t* payload, size_t count);
    bool SendLearnSkill(uint32_t skillId);  // [23]
    // [28] an item by slot with count payload bytes (none for the slot alone);
    // a quick-slot skill with a payload.
    bool SendUseItem(uint8_t slot, const uint8_t* payload, size_t count);
    bool SendUseQuickSkill(uint8_t slot, const uint8_t* payload, size_t count);
    bool SendEquipShowFlags(uint8_t flags);  // [30]
    bool SendItemKind(uint8_t kind);         // [31]
    // [33] a character this client moves: its tile, its destination points,
    // a look-up of a character, request 3.
    bool SendControlledCharPosition(uint32_t charId, uint16_t x, uint16_t y, uint8_t facing, uint8_t step);
    bool SendControlledCharPoints(uint32_t charId, uint8_t value, const CFieldPoint* points, size_t count);
    bool SendCharLookup(uint32_t charId);
    bool SendControlledCharRequest3(uint32_t charId);
    bool SendComboListRequest();                                                    // [34][0]
    bool SendComboFinish(uint8_t combo, uint8_t finish);                            // [34][1]
    bool SendMapRequest();                                                          // [36]
    bool SendEventPanelAccept();                                                    // [39][1]
    bool SendEventPanelDecline();                                                   // [39][0]
    bool SendItemDrop(uint8_t slot, uint16_t count, uint32_t value);                // [41]
    bool SendComboSelect();                                                         // [49]
    bool SendDrawStep(uint8_t value);                                               // [50]
    bool SendPlayerPosition(uint16_t x, uint16_t y, uint8_t facing, uint8_t step);  // [51]
    bool SendLevelUp();                                                             // [54]
    bool SendMapReady();                                                            // [57]
    bool SendGameOverChoice();                                                      // [76]
    // [84] the player's destination points.
    bool SendDestination(uint8_t value, const CFieldPoint* points, size_t count);
    // [108] an event's state with count byte pairs; a choice record (kind 2).
    bool SendEventState(uint8_t kind, uint32_t eventValue, uint32_t function, const uint8_t* pairs,
                        size_t count);
    bool SendEventSelection(uint32_t value1, uint32_t value2, const uint8_t* record, size_t length);

    // ---- NPC functions, items, trade and storage (net/requests_items.cpp) ----
    // [5] NPC functions: u32 NPC id, function, action, fields.
    bool SendNpcOpen(uint32_t npcId);
    bool SendNpcClose(uint32_t npcId);
    bool SendNpcBuyOpen(uint32_t npcId);
    bool SendNpcBuy(uint32_t npcId, uint8_t priceKind, const uint16_t* items, const uint16_t* counts,
                    size_t count);
    bool SendNpcSellOpen(uint32_t npcId);
    bool SendNpcSell(uint32_t npcId, uint8_t priceKind, const uint16_t* items, const uint16_t* counts,
                     size_t count);
    bool SendNpcRepairOpen(uint32_t npcId);
    bool SendNpcRepair(uint32_t npcId, uint8_t priceKind, const uint16_t* items, const uint8_t* kinds,
                       size_t count);
    bool SendNpcMixOpen(uint32_t npcId);
    bool SendNpcMixAdvice(uint32_t npcId, const uint8_t* codes, const uint16_t* counts, size_t count);
    bool SendNpcMixCheck(uint32_t npcId, const uint8_t* codes, const uint16_t* counts, size_t count);
    bool SendNpcMixExecute(uint32_t npcId, const uint8_t* codes, const uint16_t* counts, size_t count);
    bool SendNpcHealOpen(uint32_t npcId);
    bool SendHealRequest(uint32_t npcId, uint8_t choice);
    bool SendDepositOpen(uint32_t npcId);
    bool SendDepositFeeAnswer(uint32_t npcId, uint8_t answer);
    bool SendDepositClose(uint32_t npcId);
    bool SendDepositItem(uint32_t npcId, uint8_t slot, uint16_t count);
    bool SendDepositWithdraw(uint32_t npcId, uint8_t slot, uint16_t count);
    bool SendDepositMoney(uint32_t npcId, uint32_t amount);
    bool SendDepositWithdrawMoney(uint32_t npcId, uint32_t amount);
    bool SendMagicRouletteOpen(uint32_t npcId);
    bool SendMagicRouletteStart(uint32_t npcId, uint16_t slot);
    bool SendFightClubOpen(uint32_t npcId);
    // Mode 1 carries the names of the members.
    bool SendFightClubRequest(uint32_t npcId, uint8_t mode, const char* const* names, size_t count);
    bool SendFightClubReply(uint32_t npcId, uint8_t value);
    bool SendEquipAbilityOpen(uint32_t npcId);
    bool SendEquipAbilityMakeSlot(uint32_t npcId, uint8_t slot);
    bool SendEquipAbilityEquip(uint32_t npcId, uint8_t slot, int32_t abilityId);
    // Personal store (function 128): the list with the total price (counts,
    // or repair kinds), entering, the price, leaving.
    bool SendNpcDeal(uint32_t npcId, uint32_t totalPrice, const uint16_t* items, const uint16_t* counts,
                     size_t count);
    bool SendNpcDealRepair(uint32_t npcId, uint32_t totalPrice, const uint16_t* items, const uint8_t* kinds,
                           size_t count);
    bool SendNpcDealAction1(uint32_t npcId);
    bool SendNpcDealAmount(uint32_t npcId, uint32_t amount);
    bool SendNpcDealCancel(uint32_t npcId);
    // Club storage: function 7 with the storage kind, or function 10 (no kind
    // byte) for the player's own club.
    bool SendClubDepositOpen(uint32_t npcId, uint8_t kind, bool ownClub);
    bool SendClubDepositClose(uint32_t npcId, uint8_t kind, bool ownClub);
    bool SendClubDepositItemIn(uint32_t npcId, uint8_t kind, bool ownClub, uint8_t slot, uint16_t count);
    bool SendClubDepositItemOut(uint32_t npcId, uint8_t kind, bool ownClub, uint8_t slot, uint16_t count);
    bool SendClubDepositGoldIn(uint32_t npcId, uint8_t kind, bool ownClub, uint32_t amount);
    bool SendClubDepositGoldOut(uint32_t npcId, uint8_t kind, bool ownClub, uint32_t amount);
    bool SendClubDepositTransfer(uint32_t npcId, uint8_t kind, bool ownClub, uint8_t slot, uint8_t allMembers,
                                 uint16_t limit);
    // Other item requests.
    bool SendQuickSlot(uint8_t slotType, uint8_t slot, uint32_t id);               // [6]
    bool SendNpcTalk(uint32_t npcId);                                              // [20]
    bool SendInventoryCommand8(uint16_t source, uint16_t target, uint16_t count);  // [48][8]
    // [52] the player's own store: open with its list, cancel, close.
    bool SendMyStoreOpen(const char* name, uint32_t look, uint8_t sign, const uint16_t* slots,
                         const uint16_t* counts, const uint32_t* prices, size_t count);
    bool SendMyStoreCancel();
    bool SendMyStoreClose();
    bool SendUserStoreOpen(uint32_t ownerId);  // [67]
    // [70] money and items to another character of the account.
    bool SendAtsTransfer(const char* name, uint32_t amount, const uint8_t* slots, const uint8_t* counts,
                         size_t count);
    // [74] item exchange with a partner.
    bool SendItemExchangeRequest(uint32_t partnerId);
    bool SendItemExchangeOffer(uint32_t partnerId, uint8_t slot, uint8_t count);
    bool SendItemExchangeMoney(uint32_t partnerId, uint32_t amount);
    bool SendItemExchangeCancel(uint32_t partnerId);
    bool SendItemExchangeConfirm(uint32_t partnerId);
    bool SendItemExchangeExecute(uint32_t partnerId);
    // [82] premium items.
    bool SendPremiumListRequest();
    bool SendPremiumItemTake(uint32_t value1, uint32_t value2);
    bool SendPremiumShopOpen();

    // ---- Chat, team, messenger, clubs and rooms (net/requests_social.cpp) ----
    // [14] a chat line: kind 0 carries the line (at most 251 bytes) with its
    // terminating 0; other kinds the kind alone.
    bool SendChat(uint8_t kind, const char* text);
    // [25] kinds 0 and 19 carry the target's name, then the line.
    bool SendChatToName(const char* name, const char* text, uint8_t kind);
    bool SendMessageBoxReply(uint32_t id, const char* answer);                 // [25][21]
    bool SendReplyText(uint32_t replyId, const char* echo, const char* text);  // [25][22]
    bool SendChannelChat(uint8_t channel, const char* text);                   // [25][23]
    // [26] the 1:1 chat refusal list: 0 add (name, flag), 1 remove (name),
    // 2 refuse all (text "0" or "1"), 3 clear.
    bool SendOneChatCommand(uint8_t sub, const char* text, uint8_t flag);
    // [27] mode 0 carries count (key, value) pairs.
    bool SendOptionFlags(uint8_t mode, const uint8_t* keys, const uint8_t* values, size_t count);
    bool SendEmoticon(uint8_t number);  // [35]
    bool SendOneChatListRequest();      // [47]
    // [59] kind 0 a text (not empty), kind 2 a value, kind 3 nothing at all,
    // other kinds the kind alone.
    bool SendChatCommand(uint8_t kind, const char* text, uint32_t value);
    // [46] team.
    bool SendTeamInvite(const char* name);
    bool SendTeamInviteReply(const char* inviterName, uint8_t answer, const char* ownName);
    bool SendTeamCreate(const char* inviteeName, const char* teamName, uint8_t sharing);
    bool SendTeamAddMember(const char* name);
    bool SendTeamRemoveMember(const char* name);
    bool SendTeamChangeLeader(const char* name);
    bool SendTeamCancelInvite(const char* name);
    bool SendTeamShareMode(uint8_t mode);
    // [55] messenger.
    bool SendMessengerStateRequest();
    bool SendMessengerListRequest();
    bool SendMessengerAddBuddy(const char* name, uint8_t group);
    bool SendMessengerAcceptBuddyRequest(const char* memberName, const char* charName, uint32_t resourceId,
                                         uint8_t value);
    bool SendMessengerRefuseBuddyRequest(const char* memberName, const char* charName);
    bool SendMessengerDeleteBuddy(const char* name, uint8_t group);
    bool SendMessengerSetGroupName(uint8_t group, const char* name);
    bool SendMessengerDeleteGroup(uint8_t group);
    bool SendMessengerMoveBuddy(const char* name, uint8_t group);
    bool SendMessengerAssignGroup(const char* name, uint8_t group);
    bool SendMessengerConfirmRequest(const char* name, uint8_t value);
    bool SendMessengerDeclineRequest(const char* name);
    // [61] clubs. The creation carries its option byte from client version 191
    // (the configuration's).
    static constexpr size_t CLUB_NAME_LIMIT = 30;
    static constexpr size_t CLUB_HOMEPAGE_LIMIT = 50;
    static constexpr size_t CLUB_INTRODUCTION_LIMIT = 200;
    static constexpr size_t CLUB_NICKNAME_LIMIT = 20;
    bool SendClubCreate(uint8_t kind, uint8_t option, const char* name, uint16_t minLevel, uint16_t maxLevel,
                        const char* homepage, const char* introduction);
    bool SendClubCommand2(uint8_t club);
    bool SendClubSettings(uint8_t club, uint16_t minLevel, uint16_t maxLevel, const char* homepage,
                          const char* introduction);
    bool SendClubSetMark(uint8_t club, uint8_t value, uint32_t emblem);
    bool SendClubJoin(uint8_t value, const char* clubName, const char* charName, uint8_t value2);
    bool SendClubCommand6(uint8_t club, const char* clubName, const char* name);
    bool SendClubSetNick(uint8_t club, const char* memberName, const char* nickname);
    bool SendClubCommand8(uint8_t club, const char* memberName, uint8_t value);
    bool SendClubCommand9(uint8_t club, const char* memberName, uint8_t value);  // not without a name
    bool SendClubCommand11(uint8_t club, uint8_t value);
    bool SendClubCommand12(uint8_t club, uint8_t value);
    bool SendClubCommand13(uint8_t club, uint8_t value);
    bool SendClubCommand14(uint8_t club, uint8_t value);
    bool SendClubJoinRequest(uint8_t value, const char* clubName);       // [61][16], not without a name
    bool SendClubNotice(uint8_t club, uint8_t value, const char* text);  // [61][19], not without a text
    bool SendClubTextRequest(uint8_t club, uint8_t kind);                // [61][20], not for a kind over 3
    bool SendClubPermissions(uint8_t club, uint8_t value, uint32_t permissions);
    // [72] fortress board.
    bool SendFortressBoardRequest0();
    bool SendFortressCancelWar();
    bool SendFortressBoardRequest2();
    // [81] room lobbies (lobby code first) and their waiting rooms.
    bool SendRoomListRequest(uint8_t lobby);
    bool SendTJSRoomCreate(uint8_t lobby, const char* title, const char* password, uint8_t players,
                           uint8_t minLevel, uint8_t maxLevel, uint8_t mode, uint8_t map);
    bool SendCTFRoomCreate(uint8_t lobby, const char* title, const char* password, uint8_t players,
                           uint8_t minLevel, uint8_t maxLevel, uint8_t map, uint32_t bet, uint8_t mode);
    bool SendRoomJoin(uint8_t lobby, uint8_t room, const char* password);
    bool SendWaitRoomStart(uint8_t lobby);
    bool SendTJSWaitRoomStart(uint8_t lobby, const char* text);
    bool SendWaitRoomReady(uint8_t lobby);
    bool SendWaitRoomPlayerCommand(uint8_t lobby, const char* name);
    bool SendWaitRoomLeave(uint8_t lobby);
    bool SendWaitRoomChat(uint8_t lobby, const char* text);
    bool SendWaitRoomTeamChange(uint8_t lobby);

    // ---- Pastimes (net/requests_pastimes.cpp) ----
    bool SendWarpRequest(uint8_t group, uint8_t index);  // [60]
    bool SendEventLogCategoryRequest(uint8_t category);  // [64][1]
    bool SendEventLogRequest3(uint32_t value);           // [64][3]
    // [69] pets and the pet incubator.
    bool SendPetIncubatorOpen();
    bool SendPetIncubatorItem(uint8_t slot, uint8_t action);
    bool SendPetInfoRequest();
    bool SendPetFeed(uint8_t slot, uint8_t value = 0);
    bool SendPetName(const char* name);
    bool SendPetLearnSkill(uint32_t skillId, uint8_t value);
    bool SendPetHatched();
    bool SendPetSkillListRequest();
    bool SendPetEvolve();
    bool SendSinsuMove(uint8_t place);  // [77][0]
    // [78][1] GAMBAMBO.
    bool SendGambamboInvite(uint32_t playerId);
    bool SendGambamboInviteAnswer(uint32_t inviterId, uint8_t answer);
    bool SendGambamboPutItem(uint8_t slot, uint8_t stake, uint16_t count);
    bool SendGambamboTakeItem(uint8_t stake);
    bool SendGambamboBet(uint32_t bet);
    bool SendGambamboReady();
    bool SendGambamboChoice(uint8_t choice);
    bool SendGambamboLeave();
    // [78][2] fishing.
    bool SendFishingStart();
    bool SendFishingCast(uint8_t slot);
    bool SendFishingCommand(uint8_t value);
    bool SendFishingEnd();
    // [78][3] cooking; the dish texts go with their terminating 0.
    bool SendCookingMemorize(uint8_t kind, uint8_t slot);
    bool SendCookingForget(uint8_t kind, const char* dish);
    bool SendCookingRequest(uint8_t kind);
    bool SendCookingBegin(uint8_t kind);
    bool SendCookingCook(uint8_t kind, const char* dish, uint8_t count);
    bool SendCookingEnd(uint8_t kind);
    bool SendRequest114(uint8_t value);  // [114] the web window

    // ---- Conversation state, read and written by the handlers and builders ----
    uint8_t m_charRequestKind = 0;  // 1 or 2 while the reply to request 44 or 45 is awaited
    uint8_t m_noticeFlag = 0;       // notice left for the login windows
    uint32_t m_noticeValue = 0;
    int32_t m_loginResult = -1;  // status of the last login reply
    char m_noticeText[256] = {};
    uint8_t m_inGame = 0;       // set by the game scene
    uint8_t m_loginFlow = 0;    // the log-in flow's step byte
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
    // The character list that came while the character-select window was
    // closed; the window takes it when it opens.
    std::unique_ptr<CCharListMsg> m_charList;
    // The new-account page address (http or https, or empty).
    char m_newAccountPage[256] = {};
    // The party list kept while the party window is closed (message 58).
    std::unique_ptr<IPartyList> m_party;
    // The room lobbies (message 37).
    CRoomLobbies m_lobbies;

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
    bool m_keepAliveStarted = false;
    uint32_t m_lastKeepAlive = 0;
};

// The program's session, with the server-message handlers installed.
CGameSession& GameSession();
// Installs every server-message handler there is into a session.
void InstallPacketHandlers(CGameSession& session);
