// Where the window messages go: chat, pets, clubs, the fortress board, room
// lobbies, the small games, the exchange, NPC services, the party, the store,
// timers, combos, the event log, the game scene and the player's items. A
// table of routes over recording windows, scene and receivers, then the
// fields that matter.
#include <functional>
#include <string>
#include <vector>

#include "core/error_box.h"
#include "core/window_port_records.h"
#include "net/handlers/chat_messages.h"
#include "net/handlers/club_messages.h"
#include "net/handlers/item_records.h"
#include "net/handlers/map_records.h"
#include "net/handlers/object_messages.h"
#include "net/handlers/pastime_messages.h"
#include "net/handlers/play_messages.h"
#include "net/handlers/scene_messages.h"
#include "net/handlers/scene_records.h"
#include "net/handlers/window_records.h"
#include "tests/net/message_harness.h"
#include "tests/net/wire_bytes.h"

namespace {

using nettest::Bytes;
using nettest::Cat;
using nettest::Text;
using nettest::U16;
using nettest::U32;
using Effects = std::vector<std::string>;

class WindowMessages : public nettest::MessageHarness {
public:
    // The routes' set-up steps reach the harness.
    using MessageHarness::m_boxes;
    using MessageHarness::m_connection;
    using MessageHarness::m_session;
    using MessageHarness::m_windows;
    using MessageHarness::m_world;

    // Every effect of the message, in a fixed order: records waiting in
    // windows ("name:id"), at the window manager ("manager:id") and the scene
    // ("scene:id"), window operations, boxes, the world's receivers, requests
    // queued and packets deferred.
    Effects Run(uint8_t code, const Bytes& body) {
        const size_t queuedBefore = Queued().size();
        Dispatch(code, body);
        Effects out;
        for (const auto& [name, window] : m_windows.m_windows)
            for (uint32_t id : m_windows.Waiting(name)) out.push_back(name + ":" + std::to_string(id));
        for (uint32_t id : m_windows.WaitingAtManager()) out.push_back("manager:" + std::to_string(id));
        for (const CMsg* msg : SceneMessages()) out.push_back("scene:" + std::to_string(msg->m_eventId));
        for (const std::string& call : m_windows.m_calls) out.push_back(call);
        for (const std::string& box : m_boxes.m_shown) out.push_back(box);
        for (const auto& d : m_world.m_deliveries)
            out.push_back(d.how + ":" + std::to_string(d.id) + "/" + std::to_string(d.delay));
        for (const std::string& call : m_world.m_calls) out.push_back(call);
        for (const std::string& entry : m_world.m_party) out.push_back("party " + entry);
        const std::vector<Bytes> queued = Queued();
        for (size_t n = queuedBefore; n < queued.size(); ++n) {
            std::string hex = "request";
            for (uint8_t b : queued[n]) hex += " " + std::to_string(b);
            out.push_back(hex);
        }
        if (m_session->DeferredCount())
            out.push_back("deferred " + std::to_string(m_session->DeferredCount()));
        return out;
    }

    std::vector<const CMsg*> SceneMessages() {
        std::vector<const CMsg*> out;
        CNodeList& queue = m_mainMgr->GetMsgQueue()->Queue().Messages();
        for (CListNode* n = queue.First(); n != queue.End(); n = n->Next())
            out.push_back(static_cast<CMsg*>(n));
        return out;
    }

    static std::vector<const CMsg*> PortMessages(CMsgPort* port) {
        std::vector<const CMsg*> out;
        for (CListNode* n = port->Messages().First(); n != port->Messages().End(); n = n->Next())
            out.push_back(static_cast<CMsg*>(n));
        return out;
    }

    // The record at index in the window's port (or the manager's, "manager";
    // or the scene's, "scene"), as R.
    template <class R>
    const R* Record(const std::string& where, size_t index = 0) {
        std::vector<const CMsg*> messages = where == "manager" ? PortMessages(&m_windows.m_managerPort)
                                            : where == "scene" ? SceneMessages()
                                                               : PortMessages(m_windows.Add(where).GetPort());
        if (index >= messages.size()) {
            ADD_FAILURE() << "no record " << index << " at " << where;
            return nullptr;
        }
        const auto* record = dynamic_cast<const R*>(messages[index]->m_pPayload.get());
        EXPECT_NE(record, nullptr) << where << " " << index;
        return record;
    }

    template <class R>
    const R* Posted(size_t index = 0) {
        if (index >= m_world.m_records.size()) {
            ADD_FAILURE() << "no record " << index;
            return nullptr;
        }
        const auto* record = dynamic_cast<const R*>(m_world.m_records[index].get());
        EXPECT_NE(record, nullptr);
        return record;
    }

    // Makes the windows absent, with a class registered for each when asked.
    void Without(std::initializer_list<const char*> names, bool registered = false) {
        for (const char* name : names) {
            m_windows.m_windows.erase(name);
            if (registered) m_windows.m_classes.insert(name);
        }
    }
};

// A record with the id waiting in the named window.
std::string W(const char* window, uint32_t id) {
    return std::string(window) + ":" + std::to_string(id);
}

struct Route {
    const char* name;
    uint8_t code;
    Bytes body;
    Effects effects;
    std::function<void(WindowMessages&)> setup = nullptr;
    uint16_t clientVersion = 189;
};

// Fight club team entry: names, the values, G, the club value when G has
// 0x40, F and its three words.
Bytes Team(const std::string& name, uint32_t g, uint32_t clubValue) {
    Bytes entry = Cat({Text(name), Text("s"), {1}, U32(2), U16(3), U32(4), U16(5), U32(6), U32(g)});
    if (g & 0x40) entry = Cat({entry, U32(clubValue)});
    return Cat({entry, {0}});
}

Bytes TeamList(uint16_t count, const Bytes& entries) {
    return Cat({{17, 0}, Text("Club"), {0}, U16(count), entries});
}

Bytes TradeItemFirstList() {
    return Cat({U16(1), U32(2), {3}, Text("i"), U32(0), {4, 5}, U32(6), U16(7), U16(8), Bytes(12, 1), {0}});
}

std::vector<Route> Routes() {
    auto option = [](size_t offset, uint8_t value) {
        return [offset, value](WindowMessages&) { g_options.SetByte(offset, value); };
    };
    return {
        // ---- 10, 13, 113 ----
        {"10 kind 0 goes to the chat window", 10, Cat({{0, 0}, Text("hi")}), {"MSGWIN:87"}},
        {"10 kind 4 to the scene and the chat window",
         10,
         Cat({{4, 0}, Text("x")}),
         {"MSGWIN:87", "scene:87"}},
        {"10 kind 5 to the scene and the chat window",
         10,
         Cat({{5, 0}, Text("x")}),
         {"MSGWIN:87", "scene:87"}},
        {"10 kind 8 a kept box only", 10, Cat({{8, 0}, Text("k")}), {"kept:k"}},
        {"10 kind 17 a self-hiding box only", 10, Cat({{17, 0}, Text("h")}), {"hiding:h"}},
        {"10 kind 20 the chat and event talk windows",
         10,
         Cat({{20, 0}, Text("e")}),
         {W("EventTalkWindows", MSG_EVENT_TALK_TEXT), "MSGWIN:87"}},
        {"10 kind 21 the server's question",
         10,
         Cat({{21, 0}, U32(9), Text("q"), Text("y"), Text("n")}),
         {"server:9|q|y|n"}},
        {"10 kind 22 the reply window",
         10,
         Cat({{22, 0}, U32(5), Text("a"), Text("b")}),
         {W("ReplyWindow", MSG_REPLY_REQUEST)}},
        {"10 kind 24 the ticker only", 10, Cat({{24, 3}, Text("t")}), {W("MSGWIN", MSG_TICKER_NOTICE)}},
        {"10 without the chat window",
         10,
         Cat({{4, 0}, Text("x")}),
         {"scene:87"},
         [](WindowMessages& t) { t.Without({"MSGWIN"}); }},
        {"13 a chat line", 13, Cat({{1}, U32(7), Text("line")}), {"MSGWIN:87"}},
        {"113 kind 0 line without the option", 113, Cat({{0, 3}, Text("n"), Text("t")}), {}},
        {"113 kind 0 line with the option",
         113,
         Cat({{0, 3}, Text("n"), Text("t")}),
         {"MSGWIN:87"},
         option(OPTION_CHANNEL_KIND0, 1)},
        {"113 kind 2 line", 113, Cat({{2, 3}, Text("n"), Text("t")}), {"MSGWIN:87"}},
        {"113 kind 19 sub-kind 0: the fixed line only",
         113,
         Cat({{19, 0}, Text("n"), Text("t")}),
         {"MSGWIN:87"}},
        {"113 kind 19 to the scene", 113, Cat({{19, 2}, Text("n"), Text("t")}), {"scene:22"}},
        {"113 other sub-kinds: nothing", 113, Cat({{2, 4}, Text("n"), Text("t")}), {}},
        // ---- 34 ----
        {"34 no pet", 34, {1, 0, 0}, {W("Pet_Interface", MSG_PET_INFO)}},
        {"34 a second warning shows no second box",
         34,
         Cat({{1, 4}, Text("w")}),
         {},
         [](WindowMessages& t) { t.m_boxes.m_open.insert("Pet_Warning_MessageBox"); }},
        {"34 incubator warning", 34, Cat({{0, 4}, Text("w")}), {"named:Incubator_Warning_MessageBox|w"}},
        {"34 pet values without the window",
         34,
         Cat({{1, 1}, Bytes(18, 0)}),
         {},
         [](WindowMessages& t) { t.Without({"Pet_Interface"}); }},
        {"34 groups above 1 and sub-codes above 4", 34, {2, 0, 0}, {}},
        // ---- 67 ----
        {"67/1 at 190: one byte",
         67,
         {1, 1},
         {W("Club_MakeWindow", MSG_CLUB_MAKE_VALUES), "open Club_MakeWindow"},
         nullptr,
         190},
        {"67/1 at 191 reads b", 67, {1, 1}, {}, nullptr, 191},
        {"67/1 a = 0 neither makes nor opens",
         67,
         {1, 0},
         {},
         [](WindowMessages& t) { t.Without({"Club_MakeWindow"}, true); }},
        {"67/1 makes the creation window",
         67,
         {1, 1},
         {W("Club_MakeWindow", MSG_CLUB_MAKE_VALUES), "make Club_MakeWindow", "open Club_MakeWindow"},
         [](WindowMessages& t) { t.Without({"Club_MakeWindow"}, true); }},
        {"67/1 without a class: dropped",
         67,
         {1, 1},
         {},
         [](WindowMessages& t) { t.Without({"Club_MakeWindow"}); }},
        {"67/5 makes both fight windows hidden",
         67,
         Cat({{5, 0},
              Text("c"),
              Text("n"),
              Text(""),
              {1},
              U32(1),
              U16(2),
              U32(3),
              U16(4),
              U32(5),
              U32(0),
              {0}}),
         {W("FightClubCVCWaitWin", MSG_CVC_ENTRY), W("FightClub_Config", MSG_FIGHT_CONFIG_MEMBER),
          "manager:121", "make hidden FightClubCVCWaitWin", "make hidden FightClub_Config"},
         [](WindowMessages& t) {
             t.Without({"FightClubCVCWaitWin", "FightClub_Config", "Club_BaseWindow"}, true);
         }},
        {"67/3 and 67/24 do nothing", 67, {3, 0, 0, 0}, {}},
        {"67/17 with N = 0",
         67,
         TeamList(0, {}),
         {},
         [](WindowMessages& t) {
             t.Without({"FightClubCVCWaitWin", "FightClub_Config"}, true);
         }},
        {"67/17 one entry, 119 without the club window",
         67,
         TeamList(1, Team("a", 0, 0)),
         {W("FightClubCVCWaitWin", MSG_CVC_ENTRY), W("FightClub_Config", MSG_FIGHT_CONFIG_MEMBER),
          "manager:119"},
         [](WindowMessages& t) { t.Without({"Club_BaseWindow"}); }},
        {"67/17 a count the message cannot hold", 67, TeamList(500, Team("a", 0, 0)), {}},
        {"67/23 without the minimap",
         67,
         Cat({{23, 0, 1, 0}, Text("m"), {1, 0}, U16(2), U16(3)}),
         {},
         [](WindowMessages& t) { t.Without({"MINIMAP_WINDOW"}); }},
        {"67/16 mode 0 makes and opens the join window, then the fight manager",
         67,
         Cat({{16, 1, 0},
              Text("a"),
              Text("b"),
              Bytes(10, 0),
              Text("c"),
              Bytes(11, 0),
              Text("d"),
              Text("e"),
              Bytes(17, 0)}),
         {W("Club_JoinWindow", MSG_CLUB_JOIN_INFO), W("FightClub_Manager", MSG_FIGHT_MANAGER_REFRESH),
          "make Club_JoinWindow", "open Club_JoinWindow", "make hidden FightClub_Manager"},
         [](WindowMessages& t) {
             t.Without({"Club_JoinWindow", "FightClub_Manager"}, true);
         }},
        // ---- 35 ----
        {"35 form 0 without the board",
         35,
         Cat({{0, 0}, Text("b")}),
         {},
         [](WindowMessages& t) { t.Without({"FORTRESS_BOARD_WIN"}); }},
        {"35 form 1 to the scene",
         35,
         Cat({{1, 2}, Text("a"), Text("b")}),
         {W("scene", MSG_FIGHT_NOTICE_TEXT)}},
        {"35 form 3 sub 5 to the scene", 35, Cat({{3, 5}, U16(2)}), {W("scene", MSG_FIGHT_NOTICE_VALUE)}},
        // ---- 37 ----
        {"37/0 makes TJS_ROOMLIST, shows and fills it",
         37,
         Cat({{0, 5, 0, 1, 1, 3}, Text("room"), {1, 2}, U32(3), {4, 5, 6, 7}, U32(8), {9}}),
         {W("TJS_ROOMLIST", MSG_ROOM_LIST_RESET), W("TJS_ROOMLIST", MSG_TJS_ROOM), "make hidden TJS_ROOMLIST",
          "show TJS_ROOMLIST"},
         [](WindowMessages& t) { t.Without({"TJS_ROOMLIST"}, true); }},
        {"37/0 a visible list is not shown again",
         37,
         {0, 5, 1, 0, 0},
         {W("CTF_ROOMLIST", MSG_ROOM_LIST_RESET)},
         [](WindowMessages& t) { t.m_windows.m_visible.insert("CTF_ROOMLIST"); }},
        {"37/1 an unknown lobby goes to the CTF windows",
         37,
         {1, 9, 0},
         {W("CTF_NEWROOM", MSG_NEW_ROOM_ANSWER)}},
        {"37/1 the TJS lobby",
         37,
         {1, 5, 0},
         {W("TJS_NEWROOM", MSG_NEW_ROOM_ANSWER)},
         [](WindowMessages& t) { t.m_session->m_lobbies.m_tjsNumber = 5; }},
        {"37/3/6 is the CTF waiting room's only",
         37,
         Cat({{3, 6, 5}, Text("n"), {7}}),
         {},
         [](WindowMessages& t) { t.m_session->m_lobbies.m_tjsNumber = 5; }},
        {"37/3/4 makes the waiting room and enters it",
         37,
         Cat({{3, 4, 5, 1}, Text("n"), {1, 2, 3, 4}}),
         {W("TJS_WAITROOM", MSG_WAIT_ROOM_ENTER), W("TJS_WAITROOM", MSG_WAIT_ROOM_ADD_MEMBER),
          "make hidden TJS_WAITROOM"},
         [](WindowMessages& t) {
             t.m_session->m_lobbies.m_tjsNumber = 5;
             t.Without({"TJS_WAITROOM"}, true);
         }},
        // ---- 36 ----
        {"36 invitation to the scene's prompt", 36, Cat({{1, 0}, U32(7)}), {W("scene", MSG_GAMBAMBO_INVITE)}},
        {"36 invitation refused by the option",
         36,
         Cat({{1, 0}, U32(7)}),
         {"request 78 1 1 0 0 0 7 0"},
         option(OPTION_REFUSE_GAMBAMBO, 1)},
        {"36 the gambambo window is made for any sub-code",
         36,
         {1, 9},
         {"make hidden GAMBAMBO_WIN"},
         [](WindowMessages& t) { t.Without({"GAMBAMBO_WIN"}, true); }},
        {"36 refusal notice of a character out of view",
         36,
         Cat({{1, 1}, U32(7), {0}}),
         {"notice:Unknown User refused"}},
        {"36 refusal notice names the character",
         36,
         Cat({{1, 1}, U32(7), {0}}),
         {"notice:Kay refused"},
         [](WindowMessages& t) { t.m_world.m_names[7] = "Kay"; }},
        {"36 fishing sub-code 0 with show 0 stays hidden",
         36,
         {2, 0, 0},
         {W("Fishing_Window", MSG_FISHING_STATE)}},
        {"36 fishing sub-code 0 with show 1",
         36,
         {2, 0, 1},
         {W("Fishing_Window", MSG_FISHING_STATE), "show Fishing_Window"}},
        {"36 fishing without its window",
         36,
         {2, 0, 1},
         {},
         [](WindowMessages& t) { t.Without({"Fishing_Window"}); }},
        {"36 cookbook kind 3 does nothing", 36, Cat({{3, 3, 1}, U32(1)}), {}},
        // ---- 66 ----
        {"66 without the exchange window",
         66,
         Cat({{0}, U32(1), U32(2)}),
         {},
         [](WindowMessages& t) { t.Without({"ITEM_EXCHANGE_WINDOW"}); }},
        {"66/128 a notice", 66, Cat({{128}, Text("done")}), {"notice:done"}},
        // ---- 106 ----
        {"106/0 the menu and the trade window's flags",
         106,
         Cat({{0}, Text("NPC"), {0}, U32(0x5), U32(2)}),
         {W("NPC_FUNCTION_SELECT_WIN", MSG_NPC_MENU), W("TRADE_WINDOW", MSG_TRADE_FUNCTIONS)}},
        {"106/1 a list without its window is read and dropped",
         106,
         Cat({{1, 0, 1}, U16(1), TradeItemFirstList()}),
         {},
         [](WindowMessages& t) { t.Without({"TRADE_WINDOW"}); }},
        {"106/1 a count the message cannot hold", 106, Cat({{1, 0, 1}, U16(3), TradeItemFirstList()}), {}},
        {"106/6 kind 0 asks the fee", 106, Cat({{6, 0}, U32(100)}), {W("DepositWindow", MSG_DEPOSIT_FEE)}},
        {"106/6 kind 1 shows the deposit", 106, {6, 1}, {"show DepositWindow"}},
        {"106/6 other kinds: nothing", 106, {6, 2}, {}},
        {"106/7 operation 0",
         106,
         {7, 0, 0},
         {W("CLUB_DEPOSIT_WINDOW", MSG_CLUB_DEPOSIT_CLEAR), W("CLUB_DEPOSIT_WINDOW", MSG_CLUB_DEPOSIT_MODE),
          "centre CLUB_DEPOSIT_WINDOW", "open CLUB_DEPOSIT_WINDOW"}},
        {"106/11 operation 0 has no byte before it",
         106,
         {11, 0},
         {W("CLUB_DEPOSIT_WINDOW", MSG_CLUB_DEPOSIT_CLEAR), W("CLUB_DEPOSIT_WINDOW", MSG_CLUB_DEPOSIT_MODE),
          "centre CLUB_DEPOSIT_WINDOW", "open CLUB_DEPOSIT_WINDOW"}},
        {"106/7 an empty notice shows nothing", 106, Cat({{7, 0, 2}, Text("")}), {}},
        {"106/9/1 with a fight window visible",
         106,
         Cat({{9, 1}, U32(1), U32(2), U16(3), Bytes(32, 0)}),
         {},
         [](WindowMessages& t) { t.m_windows.m_visible.insert("FightClub_Config"); }},
        {"106/9/1 makes the manager and the configuration",
         106,
         Cat({{9, 1}, U32(1), U32(2), U16(3), Bytes(32, 0)}),
         {W("FightClub_Config", MSG_FIGHT_CONFIG_VALUE), W("FightClub_Manager", MSG_FIGHT_MANAGER_VALUES),
          "make hidden FightClub_Manager", "show FightClub_Manager", "centre FightClub_Manager",
          "make hidden FightClub_Config"},
         [](WindowMessages& t) {
             t.Without({"FightClub_Manager", "FightClub_Config"}, true);
         }},
        {"106/9/3 hides the four",
         106,
         {9, 3},
         {"hide FightClub_WaitWin", "hide FightClub_Manager", "hide FightClub_Config",
          "hide FightClubCVCWaitWin"}},
        {"106/9/4 kind 1 the club-versus-club window",
         106,
         Cat({{9, 4}, U32(1), {1}, U32(2), U32(3)}),
         {W("FightClubCVCWaitWin", MSG_FIGHT_WAIT_VALUES), "show FightClubCVCWaitWin",
          "centre FightClubCVCWaitWin"}},
        {"106/9/4 while the window shows only updates it in place",
         106,
         Cat({{9, 4}, U32(1), {0}, U32(2), U32(3)}),
         {W("FightClub_WaitWin", MSG_FIGHT_WAIT_VALUES)},
         [](WindowMessages& t) { t.m_windows.m_visible.insert("FightClub_WaitWin"); }},
        // ---- 58, 42, 78, 114, 33 ----
        {"58/4 without the party window goes to the party list",
         58,
         Cat({{4}, Text("lead"), {1}}),
         {"party made", "party leader lead 1"},
         [](WindowMessages& t) { t.Without({"TEAM_WINDOW"}); }},
        {"58/5 member value 0 is 2,000,000",
         58,
         Cat({{5}, Text("m"), {2, 0}, U32(0), {10}, U32(5)}),
         {"party made", "party add m 2000000 flagged"},
         [](WindowMessages& t) { t.Without({"TEAM_WINDOW"}); }},
        {"58/5 an unknown detail form is dropped",
         58,
         Cat({{5}, Text("m"), {2, 4}, U32(0), {10}}),
         {},
         [](WindowMessages& t) { t.Without({"TEAM_WINDOW"}); }},
        {"58/2 opens the party window",
         58,
         Cat({{2}, Text("t")}),
         {W("TEAM_WINDOW", MSG_TEAM_TEXT), "open TEAM_WINDOW"}},
        {"58/10 plays the table sound", 58, Cat({{10}, Text("snd"), {1}}), {"table sound snd 1"}},
        {"42/0 the store to the scene",
         42,
         Cat({{0}, Text("o"), U16(1), {1, 1}, U32(1)}),
         {W("scene", MSG_STORE_OPEN)}},
        {"42/2 hides the trade windows", 42, {2}, {"hide TRADE_WINDOW", "hide NPC_FUNCTION_SELECT_WIN"}},
        {"42/4 a notice", 42, Cat({{4}, Text("x")}), {"notice:x"}},
        {"78/0 a timer through the manager", 78, Cat({{0}, Text("t"), U32(30)}), {"manager:117"}},
        {"114/0 the combo options", 114, {0, 0x1E}, {W("COMBO_SETUP_WINDOW", MSG_COMBO_OPTIONS)}},
        {"114/1/2 handed over at once",
         114,
         Cat({{1, 2}, U32(1), U32(2), U16(3), U16(4)}),
         {"combo 2 3 4"},
         [](WindowMessages& t) { t.m_world.m_comboReady.insert(2); }},
        {"114/1/2 posted for later", 114, Cat({{1, 2}, U32(1), U32(2), U16(3), U16(4)}), {"post:40/10"}},
        {"114/1/4 with N = 0 posts nothing", 114, Cat({{1, 4}, U32(1), {0}}), {}},
        {"114/1/4 a list", 114, Cat({{1, 4}, U32(1), {1}, U32(2), U32(3)}), {"post:41/10"}},
        {"114/2 player values", 114, {2, 1, 2, 3}, {"post:39/0"}},
        {"33 without a connection still reaches the manager",
         33,
         {2, 1, 1, 2, 3},
         {"manager:126"},
         [](WindowMessages& t) { t.m_connection->Close(); }},
        // ---- The map ----
        {"31 weather", 31, {1, 2}, {"map:83/0"}},
        {"32 time of day", 32, {1, 2, 3}, {"map:84/0"}},
        {"48/1 zone marker gone", 48, Cat({{1}, U32(5)}), {"map:97/0"}},
        {"31 without a connection", 31, {1, 2}, {}, [](WindowMessages& t) { t.m_connection->Close(); }},
        // ---- Items ----
        {"15 option form 0",
         15,
         Cat({{1}, U32(2), U32(3), {4}, Text("i"), U32(0), {5}, {0}, U16(6)}),
         {"port:47/0"}},
        {"15 option form 3 is dropped", 15, Cat({{1}, U32(2), U32(3), {4}, Text("i"), U32(0), {5}, {3}}), {}},
        {"27 form 1 with options",
         27,
         Cat({{1, 1},
              U32(2),
              {3},
              Text("i"),
              U32(0),
              {1},
              Bytes(13, 1),
              {0},
              {0},
              {0},
              U16(1),
              U32(5),
              U32(6)}),
         {W("CLUB_DEPOSIT_WINDOW", MSG_CLUB_DEPOSIT_ITEM_OPTIONS)}},
        {"27 form 2 with a count",
         27,
         Cat({{2, 1}, U32(2), {3}, Text("i"), U32(0), {0}, U16(4), {0}, {0}, U16(1), U32(5), U32(6)}),
         {W("CLUB_DEPOSIT_WINDOW", MSG_CLUB_DEPOSIT_ITEM)}},
        {"28 slot 0 clears the club deposit", 28, {1, 0}, {W("CLUB_DEPOSIT_WINDOW", MSG_CLUB_DEPOSIT_CLEAR)}},
        {"28 another slot is removed", 28, {2, 4}, {W("CLUB_DEPOSIT_WINDOW", MSG_CLUB_DEPOSIT_REMOVE)}},
    };
}

TEST_F(WindowMessages, RoutesTheMessagesToTheirWindows) {
    for (const Route& route : Routes()) {
        Fresh(true);
        g_config.m_clientVersion = route.clientVersion;
        if (route.setup) route.setup(*this);
        Effects effects = Run(route.code, route.body);
        Effects expected = route.effects;
        std::sort(effects.begin(), effects.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(effects, expected) << route.name;
    }
}

// The club messages the local server writes read back field for field.
TEST_F(WindowMessages, ClubWritersReadBack) {
    auto body = [](const Bytes& message) { return Bytes(message.begin() + 1, message.end()); };
    CClubInfoMsg info;
    info.m_a = 3;
    info.m_mode = 1;
    std::strcpy(info.m_text1, "Lantern");
    std::strcpy(info.m_text5, "We light the way.");
    info.m_value1 = 420;
    info.m_value4 = 4;
    info.m_value6 = 3;
    info.m_value8 = 60;
    info.m_value9 = 0x80000001;
    info.m_value11 = 6;
    info.m_value12 = 26;
    info.m_flags = 1;
    info.m_value14 = 9;
    Dispatch(SERVER_CLUB, body(WriteClubInfo(info)));
    const auto* readInfo = Record<CClubInfoMsg>("manager");
    ASSERT_NE(readInfo, nullptr);
    EXPECT_STREQ(readInfo->m_text1, "Lantern");
    EXPECT_STREQ(readInfo->m_text5, "We light the way.");
    EXPECT_EQ(readInfo->m_value1, 420u);
    EXPECT_EQ(readInfo->m_value4, 4u);
    EXPECT_EQ(readInfo->m_value6, 3u);
    EXPECT_EQ(readInfo->m_value8, 60u);
    EXPECT_EQ(readInfo->m_value9, 0x80000001u);
    EXPECT_EQ(readInfo->m_value11, 6u);
    EXPECT_EQ(readInfo->m_value12, 26u);
    EXPECT_EQ(readInfo->m_value14, 9u);

    Fresh(true);
    Without({"Club_BaseWindow"});
    std::vector<CClubMemberRecord> members(2);
    std::strcpy(members[0].m_firstName, "Tester");
    members[0].m_a = 1;
    members[0].m_b = 2000001;
    members[0].m_f = 1;
    members[0].m_q = 7;
    std::strcpy(members[1].m_firstName, "Wren");
    std::strcpy(members[1].m_secondName, "wee");
    members[1].m_a = 4;
    members[1].m_d = 123456;
    members[1].m_e = 5;
    members[1].m_g = 0x48;
    members[1].m_h = 77;
    members[1].m_k = 12;
    Dispatch(SERVER_CLUB, body(WriteClubMemberList("Lantern", members)));
    const auto* list = Record<CClubMemberListMsg>("manager");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->m_count, 2u);
    EXPECT_STREQ(list->m_records[0].m_firstName, "Tester");
    EXPECT_EQ(list->m_records[0].m_q, 7u);
    EXPECT_STREQ(list->m_records[1].m_secondName, "wee");
    EXPECT_EQ(list->m_records[1].m_a, 4u);
    EXPECT_EQ(list->m_records[1].m_d, 123456u);
    EXPECT_EQ(list->m_records[1].m_e, 5u);
    EXPECT_EQ(list->m_records[1].m_g, 0x48u);
    EXPECT_EQ(list->m_records[1].m_h, 77u);
    EXPECT_EQ(list->m_records[1].m_k, 12u);

    Fresh(true);
    Dispatch(SERVER_CLUB, body(WriteClubText(3, std::string(1500, 'x'))));
    const auto* text = Record<CClubTextMsg>("Club_BaseWindow");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->m_kind, 3u);
    EXPECT_EQ(std::string(text->m_text), std::string(1023, 'x'));

    Fresh(true);
    std::vector<CDatedLine> lines(2);
    lines[1].m_date = 99;
    std::strcpy(lines[1].m_text, "second");
    Dispatch(SERVER_CLUB, body(WriteClubDatedLines(1, lines)));
    const auto* notices = Record<CDatedLinesMsg>("Club_BaseWindow");
    ASSERT_NE(notices, nullptr);
    ASSERT_EQ(notices->m_lines.size(), 2u);
    EXPECT_EQ(notices->m_lines[1].m_date, 99u);
    EXPECT_STREQ(notices->m_lines[1].m_text, "second");

    Fresh(true);
    Dispatch(SERVER_CLUB, body(WriteClubRemoved(1, "Lantern")));
    const auto* removed = Record<CClubRemovedMsg>("Club_BaseWindow");
    ASSERT_NE(removed, nullptr);
    EXPECT_STREQ(removed->m_name, "Lantern");
    Fresh(true);
    Dispatch(SERVER_CLUB, body(WriteClubMemberLeft("Wren")));
    const auto* left = Record<CWindowNameMsg>("Club_BaseWindow");
    ASSERT_NE(left, nullptr);
    EXPECT_STREQ(left->m_name, "Wren");

    Fresh(true);
    Without({"Club_BaseWindow"});
    CClubMemberMsg member;
    std::strcpy(member.m_name, "Wren");
    std::strcpy(member.m_secondName, "Little");
    member.m_kind = 3;
    member.m_e = 40;
    member.m_flags = 0x40;
    member.m_f = 8;
    member.m_g = 1;
    member.m_i = 6;
    Dispatch(SERVER_CLUB, body(WriteClubMember(member)));
    const CClubMemberMsg* readMember = nullptr;
    for (const CMsg* msg : PortMessages(&m_windows.m_managerPort))
        if (auto* m = dynamic_cast<const CClubMemberMsg*>(msg->m_pPayload.get())) readMember = m;
    ASSERT_NE(readMember, nullptr);
    EXPECT_STREQ(readMember->m_secondName, "Little");
    EXPECT_EQ(readMember->m_kind, 3u);
    EXPECT_EQ(readMember->m_e, 40u);
    EXPECT_EQ(readMember->m_f, 8u);
    EXPECT_EQ(readMember->m_i, 6u);
}

TEST_F(WindowMessages, ChatLinesKeepTheirKindAndBytes) {
    Dispatch(10, Cat({{0, 9}, Text("hi")}));
    const auto* line = Record<CChatLineMsg>("MSGWIN");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->m_kind, 1u) << "kind 0 shows as 1";
    EXPECT_STREQ(line->m_text, "hi");
    EXPECT_EQ(line->m_flags[1], 9);

    Fresh(true);
    Dispatch(13, Cat({{4}, U32(0x10000), Text("x")}));
    line = Record<CChatLineMsg>("MSGWIN");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->m_kind, 0x10000u) << "13's kind is 32 bits";
    EXPECT_EQ(line->m_flags[0], 4);
}

TEST_F(WindowMessages, AChannelLineIsCutBetweenCharacters) {
    // 251 + 3 bytes, then a double-byte character that would end at 256.
    const std::string name(251, 'n');
    Dispatch(113, Cat({{2, 3}, Text(name), Text("\x82\xa0z")}));
    const auto* line = Record<CChatLineMsg>("MSGWIN");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(std::string(line->m_text), name + " : ");
}

TEST_F(WindowMessages, TheFixedChannelLineIsATextNotAFormat) {
    std::vector<std::string> rows = nettest::LoginTextRows();
    rows[CHAT_TEXT_CHANNEL_ROW] = "100%s sure %n";
    qmtest::ScopedTextTables texts({{CHAT_TEXT_TABLE, rows}});
    Dispatch(113, Cat({{19, 0}, Text("n"), Text("t")}));
    const auto* line = Record<CChatLineMsg>("MSGWIN");
    ASSERT_NE(line, nullptr);
    EXPECT_STREQ(line->m_text, "100%s sure %n");
    EXPECT_EQ(line->m_kind, 3u);
}

TEST_F(WindowMessages, APetNameBeforeItsWindowArrivesTheFrameAfterTheWindowExists) {
    Without({"Pet_Interface"});
    Dispatch(34, Cat({{1, 3}, Text("Rex"), {0xEE}}));
    EXPECT_EQ(m_session->DeferredCount(), 1u);
    m_session->ReceivePackets();  // still no window: waits again
    EXPECT_EQ(m_session->DeferredCount(), 1u);
    m_windows.Add("Pet_Interface");
    m_session->ReceivePackets();
    EXPECT_EQ(m_session->DeferredCount(), 0u);
    const auto* name = Record<CPetNameMsg>("Pet_Interface");
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name->m_name, "Rex");
}

TEST_F(WindowMessages, PetNamesAreCutTo16Bytes) {
    Dispatch(34, Cat({{1, 3}, Text(std::string(20, 'p'))}));
    const auto* name = Record<CPetNameMsg>("Pet_Interface");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(std::string(name->m_name), std::string(16, 'p'));
}

TEST_F(WindowMessages, DeferredPacketsStopAt256) {
    Without({"Pet_Interface"});
    for (int n = 0; n < 300; ++n) Dispatch(34, Cat({{1, 3}, Text("Rex")}));
    EXPECT_EQ(m_session->DeferredCount(), CGameSession::MAX_DEFERRED);
}

TEST_F(WindowMessages, TheLastClubValueOfTheTeamListWins) {
    Dispatch(67, TeamList(3, Cat({Team("a", 0x40, 5), Team("b", 0, 0), Team("c", 0x41, 9)})));
    const auto* list = Record<CClubMemberListMsg>("manager");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->m_count, 3);
    EXPECT_EQ(list->m_clubValue, 9u);
    EXPECT_STREQ(list->m_records[2].m_firstName, "c");
    EXPECT_EQ(m_windows.Waiting("FightClubCVCWaitWin").size(), 3u);
}

TEST_F(WindowMessages, TheTeamListKeeps100TeamsAndReadsThePast) {
    Bytes teams;
    for (int n = 0; n < 120; ++n) teams = Cat({teams, Team(std::string(30, char('a' + n % 26)), 0, 0)});
    Dispatch(67, TeamList(120, teams));
    const auto* list = Record<CClubMemberListMsg>("manager");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->m_count, CClubMemberListMsg::MAX_RECORDS);
    EXPECT_EQ(std::string(list->m_records[0].m_firstName), std::string(17, 'a')) << "names cut to 17";
    EXPECT_EQ(m_windows.Waiting("FightClubCVCWaitWin").size(), 120u)
        << "every team updates the waiting window";
}

TEST_F(WindowMessages, TheFightWindowsTakeTheTeamsWholeName) {
    // Sub-code 5 names a team in full; the team list must name it the same
    // way, or the waiting window would hold the team twice.
    const std::string name(30, 't');
    Dispatch(67, TeamList(1, Team(name, 0, 0)));
    const auto* list = Record<CClubMemberListMsg>("manager");
    const auto* entry = Record<CCvcEntryMsg>("FightClubCVCWaitWin");
    const auto* member = Record<CFightConfigMemberMsg>("FightClub_Config");
    ASSERT_TRUE(list && entry && member);
    EXPECT_EQ(std::string(list->m_records[0].m_firstName), std::string(17, 't')) << "the record cuts it";
    EXPECT_EQ(entry->m_name, name);
    EXPECT_EQ(member->m_name, name);
}

TEST_F(WindowMessages, FortressClubFlagsAreStoredInverted) {
    for (uint8_t wire : {uint8_t(0), uint8_t(1), uint8_t(7)}) {
        Fresh(true);
        Dispatch(35, Cat({{0, 1}, Text("b"), Text("c"), {wire, 1, 2}, U32(3), {4, 5}, U16(6), {7, 8}}));
        const auto* board = Record<CFortressBoardMsg>("FORTRESS_BOARD_WIN");
        ASSERT_NE(board, nullptr);
        EXPECT_EQ(board->m_first.m_flag, wire == 0 ? 1 : 0) << int(wire);
    }
}

TEST_F(WindowMessages, FortressNoticeIsSameByTheSecondName) {
    struct Case {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {{"first side", "second side", true}, {"x", "second side", true}, {"first side", "y", false}};
    for (const Case& c : cases) {
        Fresh(true);
        Dispatch(35, Cat({{1, 0}, Text(c.a), Text(c.b)}));
        const auto* notice = Record<CFightNoticeMsg>("scene");
        ASSERT_NE(notice, nullptr);
        EXPECT_EQ(notice->m_same, c.same) << c.a << " / " << c.b;
    }
}

TEST_F(WindowMessages, FortressNamesKeepEight) {
    Bytes names;
    for (int n = 0; n < 10; ++n) names = Cat({names, Text(std::string(1, char('a' + n)))});
    Dispatch(35, Cat({{2, 0, 10}, names}));
    const auto* list = Record<CFortressNamesMsg>("FORTRESS_BOARD_WIN");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->m_names.size(), FORTRESS_NAMES);
    EXPECT_STREQ(list->m_names[7].data(), "h");
}

TEST_F(WindowMessages, TheLobbyNumbersAreKeptAndResetWithTheSession) {
    Dispatch(37, {0, 5, 0, 1, 0});
    Dispatch(37, {0, 6, 1, 0, 0});
    EXPECT_EQ(m_session->m_lobbies.m_tjsNumber, 5);
    EXPECT_TRUE(m_session->m_lobbies.m_tjsFlag);
    EXPECT_EQ(m_session->m_lobbies.m_ctfNumber, 6);
    EXPECT_FALSE(m_session->m_lobbies.m_ctfFlag);
    m_session->Reset();
    EXPECT_EQ(m_session->m_lobbies.m_tjsNumber, -1);
}

TEST_F(WindowMessages, TheTradeWindowTakesTheFourFunctionFlags) {
    Dispatch(106, Cat({{0}, Text("NPC"), {0}, U32(0x15), U32(2)}));
    const auto* flags = Record<CTradeFunctionsMsg>("TRADE_WINDOW");
    ASSERT_NE(flags, nullptr);
    EXPECT_TRUE(flags->m_functions[0]);
    EXPECT_FALSE(flags->m_functions[1]);
    EXPECT_TRUE(flags->m_functions[2]);
    EXPECT_FALSE(flags->m_functions[3]);
    const auto* menu = Record<CNpcMenuMsg>("NPC_FUNCTION_SELECT_WIN");
    ASSERT_NE(menu, nullptr);
    EXPECT_STREQ(menu->m_name, "NPC");
    EXPECT_EQ(menu->m_flags, 0x15u);
}

TEST_F(WindowMessages, TheClubDepositModeFollowsTheSubCode) {
    for (uint8_t subCode : {uint8_t(7), uint8_t(11)}) {
        Fresh(true);
        Dispatch(106, subCode == 7 ? Bytes{7, 0, 0} : Bytes{11, 0});
        const auto* mode = Record<CWindowValueMsg>("CLUB_DEPOSIT_WINDOW", 1);
        ASSERT_NE(mode, nullptr);
        EXPECT_EQ(mode->m_value, subCode == 11 ? 1u : 0u);
    }
}

TEST_F(WindowMessages, PartyFormFourFillsThePartyListWithoutAWindow) {
    Without({"TEAM_WINDOW"});
    Dispatch(58, Cat({{4}, Text(std::string(150, 'l')), {3}}));
    ASSERT_NE(m_session->m_party, nullptr);
    ASSERT_EQ(m_world.m_party.size(), 1u);
    EXPECT_EQ(m_world.m_party[0], "leader " + std::string(100, 'l') + " 3") << "names cut to 100";
    EXPECT_EQ(m_windows.m_calls.size(), 0u) << "no window is made";
    m_session->Reset();
    EXPECT_EQ(m_session->m_party, nullptr);
}

TEST_F(WindowMessages, PartyMembersReachTheWindowWithTheirValue) {
    Dispatch(58, Cat({{7}, Text("m"), {1, 1}, U32(5), {9}, Text("note")}));
    const auto* member = Record<CTeamMemberMsg>("TEAM_WINDOW");
    ASSERT_NE(member, nullptr);
    EXPECT_EQ(member->m_id, MSG_TEAM_UPDATE_MEMBER);
    EXPECT_EQ(member->m_member.m_value, PARTY_VALUE_BASE + 5);
    EXPECT_STREQ(member->m_member.m_text, "note");
    EXPECT_FALSE(member->m_member.IsFlagged());
    EXPECT_EQ(m_session->m_party, nullptr) << "no party list while the window is open";
}

TEST_F(WindowMessages, ATimerEndOfKindZeroArrivesAsActionOne) {
    Dispatch(78, Cat({{1}, Text("t"), {0}}));
    const auto* timer = Record<CTimerMsg>("manager");
    ASSERT_NE(timer, nullptr);
    EXPECT_STREQ(timer->m_name, "t");
    EXPECT_EQ(timer->m_action, 1);
    EXPECT_EQ(timer->m_value, 0u);
}

// Kind 255's end is action 256, an end still (not a start, as a byte's 0 would be).
TEST_F(WindowMessages, ATimerEndOfKind255StaysAnEnd) {
    Dispatch(78, Cat({{1}, Text("t"), {255}}));
    const auto* timer = Record<CTimerMsg>("manager");
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->m_action, 256);
}

TEST_F(WindowMessages, TheEventLogIsStoredReversed) {
    Dispatch(33, Cat({{3, 1, 3}, U32(1), Text("first"), U32(2), Text("second"), U32(3), Text("third")}));
    const auto* lines = Record<CEventLogLinesMsg>("manager");
    ASSERT_NE(lines, nullptr);
    EXPECT_EQ(lines->m_count, 3);
    EXPECT_STREQ(lines->m_texts[2], "first");
    EXPECT_STREQ(lines->m_texts[0], "third");
    EXPECT_EQ(lines->m_values[2], 1u);
}

TEST_F(WindowMessages, TheEventLogKeeps100LinesReversed) {
    Bytes entries;
    for (int n = 0; n < 120; ++n) entries = Cat({entries, U32(uint32_t(n)), Text("l" + std::to_string(n))});
    Dispatch(33, Cat({{3, 1, 120}, entries}));
    const auto* lines = Record<CEventLogLinesMsg>("manager");
    ASSERT_NE(lines, nullptr);
    EXPECT_EQ(lines->m_count, 100);
    EXPECT_STREQ(lines->m_texts[99], "l0");
    EXPECT_STREQ(lines->m_texts[0], "l99");
}

TEST_F(WindowMessages, SceneNoticesChangeLayoutAfter218) {
    g_config.m_clientVersion = 218;
    Dispatch(97, Cat({{7}, Text("old"), Text("extra")}));
    const auto* old = Record<COldNoticeMsg>("scene");
    ASSERT_NE(old, nullptr);
    EXPECT_STREQ(old->m_text, "old");

    Fresh(true);
    g_config.m_clientVersion = 219;
    Dispatch(97, Cat({{7}, Text("a"), Text("b")}));
    const auto* notice = Record<CNoticeMsg>("scene");
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->m_a, 7);
    EXPECT_STREQ(notice->m_text2, "b");
}

TEST_F(WindowMessages, NameListsCountEntriesOfOtherTypes) {
    Dispatch(111,
             Cat({{1, 3, 0}, Text(std::string(60, 'a')), {5}, {1}, Text("b"), Text(std::string(20, 'c'))}));
    const auto* list = Record<CNameListMsg>("scene");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->m_count, 3);
    EXPECT_EQ(std::string(list->m_names[0]), std::string(50, 'a'));
    EXPECT_STREQ(list->m_names[1], "");
    EXPECT_EQ(std::string(list->m_seconds[2]), std::string(14, 'c'));
}

TEST_F(WindowMessages, InventoryItemsByOptionForm) {
    const Bytes head = Cat({{1}, U32(2), U32(3), {4}, Text("i"), U32(0), {5}});
    Dispatch(15, Cat({head, {0}, U16(6)}));
    Dispatch(15, Cat({head, {1}, Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}, {0}}));
    Dispatch(15, Cat({head, {2}}));
    ASSERT_EQ(m_world.m_records.size(), 3u);
    EXPECT_EQ(Posted<CInvenItemMsg>(0)->m_v3, 6u) << "form 0 brings the count";
    const CInvenItemMsg* options = Posted<CInvenItemMsg>(1);
    EXPECT_EQ(options->m_v3, 1u);
    EXPECT_EQ(options->m_options[8], 9);
    EXPECT_EQ(options->m_options[9], 0) << "the tenth is read past";
    EXPECT_EQ(options->m_options[12], 13);
    EXPECT_EQ(Posted<CInvenItemMsg>(2)->m_v3, 1u);
    EXPECT_EQ(Posted<CInvenItemMsg>(2)->m_expiry[0], ITEM_NO_DATE);
}

TEST_F(WindowMessages, ClubDepositItemsBothWays) {
    struct Case {
        uint8_t form, optionForm;
        bool depositor;
        uint32_t id;
        uint16_t count;
        uint8_t everyMember = 9;
        uint16_t limit = 0xFFFE;
        int32_t gradeLimit = -2;  // sign-extended
    } cases[] = {{1, 1, true, MSG_CLUB_DEPOSIT_ITEM_OPTIONS, 1},
                 {1, 0, false, MSG_CLUB_DEPOSIT_ITEM, 4},
                 {2, 1, false, MSG_CLUB_DEPOSIT_ITEM_OPTIONS, 1},
                 {2, 2, true, MSG_CLUB_DEPOSIT_ITEM, 1},
                 // The every-member flag stands for the limit.
                 {1, 0, false, MSG_CLUB_DEPOSIT_ITEM, 4, 1, 5, -2},
                 {1, 0, false, MSG_CLUB_DEPOSIT_ITEM, 4, 0, 5, 5}};
    for (const Case& c : cases) {
        Fresh(true);
        Bytes options = c.optionForm == 0 ? U16(4) : c.optionForm == 1 ? Cat({Bytes(13, 1), {0}}) : Bytes{};
        Bytes flag = c.depositor ? Cat({{1}, Text("Dee")}) : Bytes{0};
        Dispatch(27, Cat({{c.form, 7},
                          U32(2),
                          {3},
                          Text("i"),
                          U32(0),
                          {c.optionForm},
                          options,
                          flag,
                          {c.everyMember},
                          U16(c.limit),
                          U32(5),
                          U32(6)}));
        const auto* item = Record<CClubDepositItemMsg>("CLUB_DEPOSIT_WINDOW");
        ASSERT_NE(item, nullptr) << int(c.form) << "/" << int(c.optionForm);
        EXPECT_EQ(item->m_id, c.id);
        EXPECT_EQ(item->m_count, c.count);
        EXPECT_EQ(item->m_slot, 7);
        EXPECT_STREQ(item->m_depositor, c.depositor ? "Dee" : "");
        EXPECT_EQ(item->m_gradeLimit, c.gradeLimit);
        EXPECT_EQ(item->m_b, 6u);
    }
}

// ---- Objects in view (7) and the map's messages ----

Bytes Npc(uint32_t id) {
    return Cat({{1},
                U32(id),
                U32(2200001),
                U16(3),
                U16(4),
                {2},
                Bytes(24, 0),
                {1},
                Text("npc"),
                Text("title"),
                {5}});
}

Bytes Monster(uint32_t id, bool newLayout) {
    Bytes head = Cat({{2}, U32(id), U32(2100001), U16(3), U16(4), {2}});
    if (newLayout) head = Cat({head, U32(1), U32(2)});
    return Cat({head, {1}, Bytes(16, 0), U16(0x0003), U32(7), U32(8)});
}

Bytes AreaMarker(uint32_t id) {
    return Cat({{4}, U32(id), U16(1), U16(2), U16(3), U16(4)});
}

TEST_F(WindowMessages, AnEmptyBatchOfObjectsOnlyReArms) {
    m_connection->EnableWriteNotify(0);
    EXPECT_EQ(Run(7, U16(0)), Effects{});
    EXPECT_EQ(m_connection->SelectMask(), CConnection::WRITE_CLOSE_EVENTS);
}

TEST_F(WindowMessages, ObjectsAreDeliveredInOrderEachMarkedBeforeTheNext) {
    std::vector<std::string> seen;
    m_world.m_onHand = [&](const CMsgPayload& record) {
        seen.push_back(std::to_string(record.m_id) + (m_charResources->FindIdFlag(11) ? " 11" : "") +
                       (m_charResources->FindIdFlag(14) ? " 14" : "") +
                       (m_charResources->FindIdFlag(12) ? " 12" : ""));
    };
    Dispatch(7, Cat({U16(3), Npc(11), AreaMarker(14), Monster(12, false)}));
    EXPECT_EQ(seen, (std::vector<std::string>{"58", "79 11", "57 11 14"}));
    ASSERT_NE(m_charResources->FindIdFlag(14), nullptr);
    EXPECT_EQ(m_charResources->FindIdFlag(14)->m_flag, ID_FLAG_AREA_MARKER);
    EXPECT_EQ(m_charResources->FindIdFlag(12)->m_flag, ID_FLAG_MONSTER);
}

TEST_F(WindowMessages, TheNpcNamePartHoldsTwoFields) {
    const CObjectAppearMsg* npc = nullptr;
    CObjectAppearMsg copy;
    m_world.m_onHand = [&](const CMsgPayload& record) {
        if (const auto* r = dynamic_cast<const CObjectAppearMsg*>(&record)) copy = *r, npc = &copy;
    };
    Dispatch(7, Cat({U16(1), Npc(11)}));
    ASSERT_NE(npc, nullptr);
    EXPECT_STREQ(npc->m_name, "npc");
    EXPECT_STREQ(npc->m_name + 64, "title");
    EXPECT_EQ(npc->m_nameByte, 5);
}

TEST_F(WindowMessages, MonsterRecordsByClientVersion) {
    struct Case {
        uint16_t version;
        bool newLayout;
        bool delivered;
    } cases[] = {{230, false, true}, {231, true, true}, {231, false, false}};
    for (const Case& c : cases) {
        Fresh(true);
        g_config.m_clientVersion = c.version;
        Effects effects = Run(7, Cat({U16(1), Monster(12, c.newLayout)}));
        EXPECT_EQ(effects, c.delivered ? Effects{"hand:57/0"} : Effects{}) << c.version << " " << c.newLayout;
    }
}

TEST_F(WindowMessages, AnUnknownKindDropsTheWholeBatch) {
    m_connection->EnableWriteNotify(0);
    const uint16_t mask = m_connection->SelectMask();
    EXPECT_EQ(Run(7, Cat({U16(2), Npc(11), {8}, U32(9)})), Effects{});
    EXPECT_EQ(m_charResources->GetIdFlagCount(), 0u);
    EXPECT_EQ(m_connection->SelectMask(), mask) << "not re-armed";
}

TEST_F(WindowMessages, ZoneMarkersByClientVersion) {
    CZoneMarkerMsg marker;
    m_world.m_onHand = [&](const CMsgPayload& record) {
        if (const auto* r = dynamic_cast<const CZoneMarkerMsg*>(&record)) marker = *r;
    };
    g_config.m_clientVersion = 250;
    Dispatch(48, Cat({{0}, U32(5), U16(1), U16(2), U16(3), U16(4)}));
    EXPECT_EQ(marker.m_id, 5u);
    EXPECT_EQ(marker.m_style, ZONE_BYTE_DEFAULT);
    EXPECT_EQ(marker.m_y2, 4);
    g_config.m_clientVersion = 251;
    Dispatch(48, Cat({{0}, U32(6), {7}, U16(1), U16(2), U16(3), U16(4)}));
    EXPECT_EQ(marker.m_id, 6u);
    EXPECT_EQ(marker.m_style, 7);
    EXPECT_EQ(marker.m_y2, 4);
}

}  // namespace
