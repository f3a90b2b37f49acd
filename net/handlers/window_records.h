// Typed records for the windows the server messages drive, one class for each
// operation a handler asks of a window (fields in the order they come on the
// wire), posted into the port of the window found by its identifier; the
// window takes them on its next frame. The records the window manager hands
// on (117-126) are in core/window_port_records.h; the exchange window's own
// (89, 91, 92) keep their numbers; every other id is above 1,000. Texts are zero-terminated arrays cut
// between characters; lists hold what the message brought, within the capacities stated.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/message.h"
#include "core/window_port_records.h"
#include "data/game_hooks.h"
#include "net/handlers/item_records.h"
#include "net/packet_fields.h"

enum : uint32_t {
    // The exchange window's.
    MSG_EXCHANGE_PAIR = 89,
    MSG_EXCHANGE_VALUE = 91,
    MSG_EXCHANGE_BYTE = 92,

    // Chat.
    MSG_REPLY_REQUEST = 1001,
    MSG_EVENT_TALK_TEXT,
    MSG_TICKER_NOTICE,
    // Pets.
    MSG_PET_INFO = 1010,
    MSG_PET_VALUES,
    MSG_PET_LIST,
    MSG_PET_NAME,
    MSG_EGG_INFO,
    MSG_EGG_CLEAR,
    MSG_EGG_PROGRESS,
    MSG_EGG_TIME,
    // Clubs and fight clubs.
    MSG_CLUB_MAKE_VALUES = 1020,
    MSG_CLUB_REMOVED,
    MSG_CLUB_REMOVE_MEMBER,
    MSG_CLUB_NOTICE_LIST,
    MSG_CLUB_TEXT,
    MSG_CLUB_MEMBER_VALUE,
    MSG_MINIMAP_MARKS,
    MSG_CLUB_JOIN_INFO,
    MSG_FIGHT_MANAGER_REFRESH,
    MSG_CVC_ENTRY,
    MSG_FIGHT_CONFIG_MEMBER,
    MSG_CLUB_DEPOSIT_LOG,
    // The fortress board and the game scene's fight-club notice.
    MSG_FORTRESS_TEXT = 1040,
    MSG_FORTRESS_ONE_CLUB,
    MSG_FORTRESS_TWO_CLUBS,
    MSG_FORTRESS_CLUB_VALUE,
    MSG_FORTRESS_NAMES,
    MSG_FIGHT_NOTICE_START,
    MSG_FIGHT_NOTICE_TEXT,
    MSG_FIGHT_NOTICE_END,
    MSG_FIGHT_NOTICE_PHASE,
    MSG_FIGHT_NOTICE_VALUE,
    // Room lobbies.
    MSG_ROOM_LIST_RESET = 1050,
    MSG_TJS_ROOM,
    MSG_CTF_ROOM,
    MSG_NEW_ROOM_ANSWER,
    MSG_JOIN_ROOM_ANSWER,
    MSG_WAIT_ROOM_ANSWER,
    MSG_WAIT_ROOM_MEMBER_FLAG,
    MSG_WAIT_ROOM_REMOVE,
    MSG_WAIT_ROOM_ENTER,
    MSG_WAIT_ROOM_ADD_MEMBER,
    MSG_WAIT_ROOM_CHAT,
    MSG_WAIT_ROOM_MEMBER_VALUE,
    // Gambambo, fishing, cookbook.
    MSG_GAMBAMBO_INVITE = 1070,
    MSG_GAMBAMBO_START,
    MSG_GAMBAMBO_ITEM,
    MSG_GAMBAMBO_STEP,
    MSG_FISHING_STATE = 1080,
    MSG_FISHING_CATCH,
    MSG_FISHING_RESULT,
    MSG_COOKBOOK_LIST,
    // NPC services.
    MSG_NPC_MENU = 1090,
    MSG_TRADE_FUNCTIONS,
    MSG_TRADE_LIST,
    MSG_TRADE_NOTICE,
    MSG_HEAL_VALUES,
    MSG_HEAL_RESULT,
    MSG_DEPOSIT_FEE,
    MSG_CLUB_DEPOSIT_CLEAR,
    MSG_CLUB_DEPOSIT_MODE,
    MSG_CLUB_DEPOSIT_VALUE,
    MSG_FIGHT_WAIT_VALUES,
    MSG_FIGHT_MANAGER_VALUES,
    MSG_FIGHT_CONFIG_VALUE,
    // Party, personal store, combos.
    MSG_TEAM_TEXT = 1110,
    MSG_TEAM_FORM3,
    MSG_TEAM_LEADER,
    MSG_TEAM_ADD_MEMBER,
    MSG_TEAM_UPDATE_MEMBER,
    MSG_TEAM_REMOVE_MEMBER,
    MSG_TEAM_FORM8,
    MSG_TEAM_PROMOTE,
    MSG_STORE_OPEN = 1120,
    MSG_STORE_NOTICE,
    MSG_STORE_ITEMS,
    MSG_STORE_CLOSE,
    MSG_COMBO_OPTIONS,
    // The club deposit's items.
    MSG_CLUB_DEPOSIT_ITEM = 1130,
    MSG_CLUB_DEPOSIT_ITEM_OPTIONS,
    MSG_CLUB_DEPOSIT_REMOVE,
};

inline constexpr size_t WINDOW_TEXT_SIZE = 256;

// A record with no fields.
class CSignalMsg : public CMsgPayload {
public:
    explicit CSignalMsg(uint32_t id) : CMsgPayload(id) {}
};

// ---- Chat ----

// "ReplyWindow": the request and its two texts.
class CReplyRequestMsg : public CMsgPayload {
public:
    CReplyRequestMsg() : CMsgPayload(MSG_REPLY_REQUEST) {}
    uint32_t m_requestId = 0;
    char m_first[WINDOW_TEXT_SIZE] = {};
    char m_second[WINDOW_TEXT_SIZE] = {};
};

// "EventTalkWindows": a text shown with the time it came; the chat window's
// ticker: a notice with its extra byte.
class CWindowTextMsg : public CMsgPayload {
public:
    explicit CWindowTextMsg(uint32_t id) : CMsgPayload(id) {}
    uint8_t m_extra = 0;
    char m_text[WINDOW_TEXT_SIZE] = {};
};

// ---- Pets ----

inline constexpr size_t PET_NAME_SIZE = 17;

// "Pet_Interface": the pet (an empty name: no pet).
class CPetInfoMsg : public CMsgPayload {
public:
    CPetInfoMsg() : CMsgPayload(MSG_PET_INFO) {}
    char m_name[PET_NAME_SIZE] = {};
    char m_second[WINDOW_TEXT_SIZE] = {};
    uint32_t m_a = 0, m_b = 0, m_c = 0;
    uint16_t m_d = 0, m_e = 0, m_f = 0;
    uint32_t m_g = 0;  // three bytes on the wire
    std::vector<uint32_t> m_lists[3];
};

class CPetValuesMsg : public CMsgPayload {
public:
    CPetValuesMsg() : CMsgPayload(MSG_PET_VALUES) {}
    uint32_t m_a = 0, m_b = 0, m_c = 0;
    uint16_t m_d = 0, m_e = 0, m_f = 0;
};

class CPetListMsg : public CMsgPayload {
public:
    CPetListMsg() : CMsgPayload(MSG_PET_LIST) {}
    std::vector<uint32_t> m_values;
};

class CPetNameMsg : public CMsgPayload {
public:
    CPetNameMsg() : CMsgPayload(MSG_PET_NAME) {}
    char m_name[PET_NAME_SIZE] = {};
};

// "Pet_Incubator_Window": the egg (an empty name: none).
class CEggInfoMsg : public CMsgPayload {
public:
    CEggInfoMsg() : CMsgPayload(MSG_EGG_INFO) {}
    char m_name[PET_NAME_SIZE] = {};
    uint32_t m_a = 0;
    uint16_t m_b = 0, m_c = 0, m_d = 0;
    std::vector<uint32_t> m_lists[2];
};

class CEggProgressMsg : public CMsgPayload {
public:
    CEggProgressMsg() : CMsgPayload(MSG_EGG_PROGRESS) {}
    uint16_t m_values[3] = {};  // out of 10,000
};

// One value: the incubator's time, the club deposit's value, the deposit's fee.
class CWindowValueMsg : public CMsgPayload {
public:
    explicit CWindowValueMsg(uint32_t id) : CMsgPayload(id) {}
    uint32_t m_value = 0;
};

// ---- Clubs and fight clubs ----

inline constexpr size_t CLUB_TEXT_SIZE = 1024;
inline constexpr size_t FORTRESS_NAMES = 8;
inline constexpr size_t MINIMAP_MARK_NAME_SIZE = 71;

// "Club_MakeWindow": the two values of the creation answer.
class CClubMakeValuesMsg : public CMsgPayload {
public:
    CClubMakeValuesMsg() : CMsgPayload(MSG_CLUB_MAKE_VALUES) {}
    uint32_t m_a = 0;
    uint8_t m_b = 0;
};

// "Club_BaseWindow": a club is gone (cleared when it is the one shown).
class CClubRemovedMsg : public CMsgPayload {
public:
    CClubRemovedMsg() : CMsgPayload(MSG_CLUB_REMOVED) {}
    uint8_t m_a = 0;
    char m_name[WINDOW_TEXT_SIZE] = {};
};

// A name alone: the club member who left, a waiting-room member removed, a
// party member removed or promoted.
class CWindowNameMsg : public CMsgPayload {
public:
    explicit CWindowNameMsg(uint32_t id) : CMsgPayload(id) {}
    char m_name[WINDOW_TEXT_SIZE] = {};
};

// Dated lines: the club's notices (kinds 0, 1) or the deposit log (kind 4).
struct CDatedLine {
    uint32_t m_date = 0;
    char m_text[WINDOW_TEXT_SIZE] = {};
};
class CDatedLinesMsg : public CMsgPayload {
public:
    explicit CDatedLinesMsg(uint32_t id) : CMsgPayload(id) {}
    uint8_t m_kind = 0;
    std::vector<CDatedLine> m_lines;
};

// "Club_BaseWindow": the notice text (kinds 2 and 3), at most 1,023 bytes.
class CClubTextMsg : public CMsgPayload {
public:
    CClubTextMsg() : CMsgPayload(MSG_CLUB_TEXT) {}
    uint8_t m_kind = 0;
    char m_text[CLUB_TEXT_SIZE] = {};
};

// "Club_BaseWindow": a member's three values.
class CClubMemberValueMsg : public CMsgPayload {
public:
    CClubMemberValueMsg() : CMsgPayload(MSG_CLUB_MEMBER_VALUE) {}
    char m_name[WINDOW_TEXT_SIZE] = {};
    uint32_t m_a = 0, m_b = 0;
    uint16_t m_c = 0;
};

// "MINIMAP_WINDOW": the club marks, the table resized to the list.
struct CMinimapMark {
    char m_name[MINIMAP_MARK_NAME_SIZE] = {};
    uint16_t m_x = 0, m_y = 0;
    uint8_t m_a = 0;
};
class CMinimapMarksMsg : public CMsgPayload {
public:
    CMinimapMarksMsg() : CMsgPayload(MSG_MINIMAP_MARKS) {}
    std::vector<CMinimapMark> m_marks;
};

// "FightClubCVCWaitWin": adds, updates or (flag 0x400 clear) removes an entry.
class CCvcEntryMsg : public CMsgPayload {
public:
    CCvcEntryMsg() : CMsgPayload(MSG_CVC_ENTRY) {}
    char m_name[WINDOW_TEXT_SIZE] = {};
    uint32_t m_flags = 0;
    uint16_t m_value = 0;
};

// "FightClub_Config": updates or inserts a member (kind 4 is ignored there).
class CFightConfigMemberMsg : public CMsgPayload {
public:
    CFightConfigMemberMsg() : CMsgPayload(MSG_FIGHT_CONFIG_MEMBER) {}
    char m_name[WINDOW_TEXT_SIZE] = {};
    uint8_t m_kind = 0;
    uint32_t m_a = 0;
    uint16_t m_b = 0, m_c = 0;
    uint32_t m_d = 0;
    uint16_t m_e = 0;
    bool m_flag = false;
    uint32_t m_flags = 0;
};

// ---- The fortress board and the fight-club notice ----

struct CFortressClub {
    char m_name[WINDOW_TEXT_SIZE] = {};
    uint8_t m_flag = 0;  // stored inverted: 0 on the wire is 1
    uint8_t m_b1 = 0, m_b2 = 0;
    uint32_t m_value = 0;
    uint8_t m_b3 = 0, m_b4 = 0;
    uint16_t m_word = 0;
    uint8_t m_b5 = 0, m_b6 = 0;
};
// Sub 0: the text alone; 1: one club; 2: two; 3: one club and a value.
class CFortressBoardMsg : public CMsgPayload {
public:
    explicit CFortressBoardMsg(uint32_t id) : CMsgPayload(id) {}
    char m_text[WINDOW_TEXT_SIZE] = {};
    CFortressClub m_first;
    CFortressClub m_second;  // sub 2 (no flag, no last byte)
    uint32_t m_value = 0;    // sub 3
};

// The board's list of names, replaced whole (at most 8), then refreshed.
class CFortressNamesMsg : public CMsgPayload {
public:
    CFortressNamesMsg() : CMsgPayload(MSG_FORTRESS_NAMES) {}
    std::vector<std::vector<char>> m_names;  // each zero-terminated, at most 255 bytes
};

// The game scene's fight-club notice: start (1, same), a text (a, 1, kind,
// same), the end, a phase with both values, or one value.
class CFightNoticeMsg : public CMsgPayload {
public:
    explicit CFightNoticeMsg(uint32_t id) : CMsgPayload(id) {}
    char m_text[WINDOW_TEXT_SIZE] = {};
    uint8_t m_kind = 0;
    bool m_same = false;
    uint8_t m_phase = 0;
    uint8_t m_which = 0;  // 0: the first value, 1: the second, 2: both
    uint16_t m_first = 0, m_second = 0;
};

// ---- Room lobbies ----

class CTjsRoomMsg : public CMsgPayload {
public:
    CTjsRoomMsg() : CMsgPayload(MSG_TJS_ROOM) {}
    uint8_t m_number = 0;
    char m_title[WINDOW_TEXT_SIZE] = {};
    bool m_a = false;  // the first byte is 1
    uint8_t m_b = 0;
    uint32_t m_c = 0;
    uint8_t m_d = 0, m_e = 0, m_f = 0, m_g = 0;
    uint32_t m_h = 0;
    uint8_t m_i = 0;
};

class CCtfRoomMsg : public CMsgPayload {
public:
    CCtfRoomMsg() : CMsgPayload(MSG_CTF_ROOM) {}
    uint8_t m_number = 0;
    char m_title[WINDOW_TEXT_SIZE] = {};
    uint8_t m_a = 0, m_b = 0;
    uint32_t m_c = 0;
    uint8_t m_d = 0, m_e = 0, m_f = 0, m_g = 0, m_h = 0;
};

// A result (0: success): new room, join, waiting-room answer.
class CWindowResultMsg : public CMsgPayload {
public:
    explicit CWindowResultMsg(uint32_t id) : CMsgPayload(id) {}
    uint8_t m_result = 0;
};

// A waiting-room member: its flag, its value, or a new member's values.
class CWaitRoomMemberMsg : public CMsgPayload {
public:
    explicit CWaitRoomMemberMsg(uint32_t id) : CMsgPayload(id) {}
    char m_name[WINDOW_TEXT_SIZE] = {};
    uint8_t m_values[5] = {};  // flag or value first; a new member: a-d (e for CTF)
};

// Two texts: a waiting-room chat line.
class CWindowTwoTextsMsg : public CMsgPayload {
public:
    explicit CWindowTwoTextsMsg(uint32_t id) : CMsgPayload(id) {}
    char m_first[WINDOW_TEXT_SIZE] = {};
    char m_second[WINDOW_TEXT_SIZE] = {};
};

// ---- Gambambo, fishing, cookbook ----

// The gambambo window's operations for sub-codes 1 (start) and 3 to 8, and
// the game scene's invitation prompt: the sub-code and its values.
class CGambamboStepMsg : public CMsgPayload {
public:
    explicit CGambamboStepMsg(uint32_t id) : CMsgPayload(id) {}
    uint8_t m_subCode = 0;
    uint8_t m_a = 0, m_b = 0;
    uint32_t m_value = 0;  // the inviter, the character or sub-code 4's value
};

// Small value groups: fishing state, catch and result.
class CWindowValuesMsg : public CMsgPayload {
public:
    explicit CWindowValuesMsg(uint32_t id) : CMsgPayload(id) {}
    uint8_t m_a = 0;
    uint32_t m_values[3] = {};
};

// A kind and a list of values: the cookbook's recipes.
class CWindowListMsg : public CMsgPayload {
public:
    explicit CWindowListMsg(uint32_t id) : CMsgPayload(id) {}
    uint8_t m_kind = 0;
    std::vector<uint32_t> m_values;
};

// ---- The exchange window's ----

class CExchangeValuesMsg : public CMsgPayload {
public:
    explicit CExchangeValuesMsg(uint32_t id) : CMsgPayload(id) {}
    uint8_t m_byte = 0;
    uint32_t m_values[2] = {};
};

// ---- NPC services ----

// "NPC_FUNCTION_SELECT_WIN": the NPC's name, its function flags and value.
class CNpcMenuMsg : public CMsgPayload {
public:
    CNpcMenuMsg() : CMsgPayload(MSG_NPC_MENU) {}
    char m_name[WINDOW_TEXT_SIZE] = {};
    uint32_t m_flags = 0;
    uint32_t m_value = 0;
};

// "TRADE_WINDOW": the four function flags.
class CTradeFunctionsMsg : public CMsgPayload {
public:
    CTradeFunctionsMsg() : CMsgPayload(MSG_TRADE_FUNCTIONS) {}
    bool m_functions[4] = {};
};

// An item of a trade list; which fields a list fills is its own (the wire
// order of each list names them): words, values and bytes in the order read.
struct CTradeItem {
    uint16_t m_words[3] = {};
    uint32_t m_values[4] = {};
    uint8_t m_bytes[16] = {};
    char m_name[WINDOW_TEXT_SIZE] = {};
    uint8_t m_expiry[ITEM_EXPIRY_SIZE] = {ITEM_NO_DATE, 0, 0, 0, 0};
    CNumberList m_numbers;
};
// "TRADE_WINDOW": list 1, 2 or 3 cleared and refilled (2 is closed off after
// the last item, 3 sorted), or list 4, the deposit list, with its header.
class CTradeListMsg : public CMsgPayload {
public:
    CTradeListMsg() : CMsgPayload(MSG_TRADE_LIST) {}
    uint8_t m_list = 0;
    bool m_flag = false;
    uint8_t m_headerByte = 0;  // list 4
    uint32_t m_headerValue = 0;
    std::vector<CTradeItem> m_items;
};

// "TRADE_WINDOW": a result notice: the sub-code (3, 4 or 128), its own
// sub-code and the values read.
class CTradeNoticeMsg : public CMsgPayload {
public:
    CTradeNoticeMsg() : CMsgPayload(MSG_TRADE_NOTICE) {}
    uint8_t m_group = 0, m_sub = 0;
    uint8_t m_a = 0;
    uint32_t m_b = 0;
    uint8_t m_c = 0;
};

// "NPCHEALWIN": the five (kind, value) pairs.
class CHealValuesMsg : public CMsgPayload {
public:
    CHealValuesMsg() : CMsgPayload(MSG_HEAL_VALUES) {}
    uint8_t m_kinds[5] = {};
    uint32_t m_values[5] = {};
};

// "NPCHEALWIN": the heal result.
class CHealResultMsg : public CMsgPayload {
public:
    CHealResultMsg() : CMsgPayload(MSG_HEAL_RESULT) {}
    uint8_t m_kind = 0, m_success = 0;
    char m_text[WINDOW_TEXT_SIZE] = {};
};

// "FightClub_Manager": its values.
class CFightManagerValuesMsg : public CMsgPayload {
public:
    CFightManagerValuesMsg() : CMsgPayload(MSG_FIGHT_MANAGER_VALUES) {}
    uint32_t m_a = 0, m_b = 0;
    uint16_t m_c = 0;
    uint32_t m_values[8] = {};
};

// ---- Party, personal store, combos ----

// "TEAM_WINDOW": forms 1 and 2 (the form and its text) and 4 (the leader
// and the value the window keeps).
class CTeamTextMsg : public CMsgPayload {
public:
    explicit CTeamTextMsg(uint32_t id) : CMsgPayload(id) {}
    uint8_t m_form = 0;
    char m_text[WINDOW_TEXT_SIZE] = {};
    uint8_t m_value = 0;
};

// "TEAM_WINDOW": add or update a member.
class CTeamMemberMsg : public CMsgPayload {
public:
    explicit CTeamMemberMsg(uint32_t id) : CMsgPayload(id) {}
    CPartyMember m_member;
};

// The personal store the game scene holds: opened with its owner and values,
// a notice, the item list, closed.
class CStoreOpenMsg : public CMsgPayload {
public:
    static constexpr size_t MAX_VALUES = 10;
    CStoreOpenMsg() : CMsgPayload(MSG_STORE_OPEN) {}
    bool m_flag = false;
    char m_owner[WINDOW_TEXT_SIZE] = {};
    uint16_t m_a = 0;
    std::vector<uint32_t> m_values;
};
class CStoreNoticeMsg : public CMsgPayload {
public:
    CStoreNoticeMsg() : CMsgPayload(MSG_STORE_NOTICE) {}
    bool m_flag = false;
    char m_text[WINDOW_TEXT_SIZE] = {};
};
struct CStoreEntry {
    uint16_t m_a = 0, m_b = 0;
    uint32_t m_value = 0;
};
class CStoreItemsMsg : public CMsgPayload {
public:
    static constexpr size_t MAX_ENTRIES = 20;
    CStoreItemsMsg() : CMsgPayload(MSG_STORE_ITEMS) {}
    std::vector<CStoreEntry> m_entries;
};

// "COMBO_SETUP_WINDOW": bits 1 to 4 of the flags, each 0 or 1.
class CComboOptionsMsg : public CMsgPayload {
public:
    CComboOptionsMsg() : CMsgPayload(MSG_COMBO_OPTIONS) {}
    uint8_t m_bits[4] = {};
};

// ---- The club deposit's items ----

// The grade limit of a club deposit item that every member may take out.
inline constexpr int32_t CLUB_DEPOSIT_LIMIT_EVERY_MEMBER = -2;

// An item added to "CLUB_DEPOSIT_WINDOW": with its thirteen option bytes
// (MSG_CLUB_DEPOSIT_ITEM_OPTIONS, count 1) or with a count.
class CClubDepositItemMsg : public CMsgPayload, public CItemRecordPart {
public:
    explicit CClubDepositItemMsg(uint32_t id) : CMsgPayload(id) {}
    uint8_t m_form = 0;
    uint8_t m_slot = 0;
    uint32_t m_itemId = 0;
    uint8_t m_value = 0;
    uint8_t m_options[13] = {};
    uint16_t m_count = 1;
    char m_depositor[WINDOW_TEXT_SIZE] = {};  // when the flag is set
    int32_t m_gradeLimit = 0;                 // sign-extended
    uint32_t m_a = 0, m_b = 0;
};

// "CLUB_DEPOSIT_WINDOW": the item in a slot removed (amount -1).
class CClubDepositRemoveMsg : public CMsgPayload {
public:
    CClubDepositRemoveMsg() : CMsgPayload(MSG_CLUB_DEPOSIT_REMOVE) {}
    uint8_t m_slot = 0;
    int32_t m_amount = -1;
};
