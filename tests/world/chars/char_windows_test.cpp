// The windows a character makes through the window manager's table of
// window classes: its speech and sign windows, the fight-club notice and the
// play-screen windows of the user's own character.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/item_object.h"
#include "data/item_table_mgr.h"
#include "net/handlers/char_records.h"
#include "net/handlers/item_records.h"
#include "tests/support/table_builder.h"
#include "tests/ui/test_windows.h"
#include "tests/world/chars/char_fixture.h"
#include "ui/window_mgr.h"
#include "world/chars/hud_windows.h"

using namespace chartest;

namespace {

struct SpeechWindow : uitest::TestWindow, ICharSpeechView {
    SpeechWindow() : uitest::TestWindow("CHAR_MSGWIN") {}
    std::vector<std::string> lines;
    void ShowSpeech(const char* name, const char* text) override {
        lines.push_back(std::string(name) + "|" + text);
    }
};

class CharWindowsTest : public CharFixture {
protected:
    void SetUp() override {
        m_windows.Create();
        g_pWindowMgr = &m_windows;
        RegisterWindowClass("CHAR_MSGWIN", [] { return static_cast<CBaseWindow*>(new SpeechWindow); });
        RegisterWindowClass("CHAR_SIGNWIN",
                            [] { return static_cast<CBaseWindow*>(new uitest::TestWindow("CHAR_SIGNWIN")); });
        RegisterWindowClass("FightClubNoticeWin", [] {
            return static_cast<CBaseWindow*>(new uitest::TestWindow("FightClubNoticeWin"));
        });
        CharFixture::SetUp();
    }
    void TearDown() override {
        CharFixture::TearDown();
        m_windows.Release();
        g_pWindowMgr = nullptr;
        ClearWindowClasses();
    }
    int Count(const char* name) {
        std::vector<CBaseWindow*> found;
        return m_windows.FindAllWindowsByName(name, &found);
    }
    CWindowMgr m_windows;
};

TEST_F(CharWindowsTest, ACharacterSaysItsLinesInItsOwnSpeechWindow) {
    CChar* a = Make(CHAR_KIND_MONSTER, 1);
    CChar* b = Make(CHAR_KIND_NPC, 2);
    ASSERT_TRUE(a && b);
    a->GetController()->ShowSpeech("Orc", "Grr");
    a->GetController()->ShowSpeech(nullptr, "");
    auto* speech = dynamic_cast<SpeechWindow*>(a->GetAction()->SpeechWindow());
    ASSERT_TRUE(speech);
    EXPECT_EQ(speech->lines, (std::vector<std::string>{"Orc|Grr", "|"}));
    EXPECT_TRUE(dynamic_cast<SpeechWindow*>(b->GetAction()->SpeechWindow())->lines.empty());
}

TEST_F(CharWindowsTest, EachCharacterHasItsSpeechAndSignWindows) {
    CChar* a = Make(CHAR_KIND_MONSTER, 1);
    CChar* b = Make(CHAR_KIND_NPC, 2);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(Count("CHAR_MSGWIN"), 2);
    EXPECT_EQ(Count("CHAR_SIGNWIN"), 2);
    ASSERT_TRUE(a->GetAction()->SpeechWindow());
    // The speech window follows the character's sprite.
    a->GetAniObject()->SetScreenPosition(120, 200, 0);
    a->GetAniObject()->m_mapX = ANI_NO_POSITION;
    a->UpdateFrame(33, false);
    EXPECT_EQ(a->GetAction()->SpeechWindow()->GetX(), a->GetAniObject()->GetX());
    // Going away closes them (the manager deletes them with its next messages).
    EXPECT_TRUE(m_mgr->RemoveCharacter(1));
    m_windows.ProcessMessages();
    EXPECT_EQ(Count("CHAR_MSGWIN"), 1);
    // A window the manager no longer holds is left alone.
    CBaseWindow* speech = b->GetAction()->SpeechWindow();
    m_windows.RemoveWindow(speech);
    EXPECT_TRUE(m_mgr->RemoveCharacter(2));
    m_windows.ProcessMessages();
    EXPECT_EQ(Count("CHAR_MSGWIN"), 0);
    EXPECT_EQ(Count("CHAR_SIGNWIN"), 0);
}

TEST_F(CharWindowsTest, TheFightClubNoticeIsMadeOnce) {
    ASSERT_TRUE(Make(CHAR_KIND_PLAYER, 4));
    CCharActionMsg msg;
    msg.Set(4, 6);
    m_mgr->HandleMessage(msg);
    m_mgr->HandleMessage(msg);
    EXPECT_EQ(Count("FightClubNoticeWin"), 1);
    CBaseWindow* notice = m_windows.FindWindowByName("FightClubNoticeWin");
    ASSERT_TRUE(notice);
    EXPECT_TRUE(notice->IsDrawOn());
    msg.Set(99, 6);  // an absent character shows nothing
    notice->Hide();
    m_mgr->HandleMessage(msg);
    EXPECT_FALSE(notice->IsDrawOn());
}

// A play-screen window: what the character set on it.
struct PlayWindow : uitest::TestWindow, IPlayWindowOwner, IInventoryView {
    explicit PlayWindow(const char* name) : TestWindow(name) {}
    void RefreshItems() override { ++refreshed; }
    int refreshed = 0;
    void SetOwnerId(uint32_t id) override { owner = id; }
    void SetItemContainer(CCharData* data) override {
        items = data;
        itemsWhileAdded = g_pWindowMgr->HasWindow(this) != nullptr;
    }
    uint32_t owner = 0;
    CCharData* items = nullptr;
    bool itemsWhileAdded = false;
};

template <int Slot>
CBaseWindow* MakePlayWindow() {
    return new PlayWindow(HUD_WINDOW_NAMES[Slot]);
}

template <int... Slots>
void RegisterPlayWindows(std::integer_sequence<int, Slots...>) {
    (RegisterWindowClass(HUD_WINDOW_NAMES[Slots], &MakePlayWindow<Slots>), ...);
}

struct MainWindow : uitest::TestWindow, IHudMainWindow {
    MainWindow() : TestWindow(HUD_MAIN_WINDOW_NAME) {}
    void ResetPanelState() override { log.push_back("reset"); }
    void UnlinkWindow(CBaseWindow* window) override { log.push_back(window->GetName()); }
    std::vector<std::string> log;
};

TEST_F(CharWindowsTest, TheUsersCharacterMakesItsPlayScreenWindowsOnce) {
    RegisterPlayWindows(std::make_integer_sequence<int, HUD_WINDOW_COUNT>());
    auto* main = new MainWindow;
    ASSERT_TRUE(m_windows.AddChild(main));
    // In the order they were made: each new window goes under the ones before.
    auto playWindows = [this] {
        std::vector<std::string> names;
        for (CBaseWindow* w : m_windows.TopLevelWindows())
            if (dynamic_cast<PlayWindow*>(w)) names.insert(names.begin(), w->GetName());
        return names;
    };
    const std::vector<std::string> all(std::begin(HUD_WINDOW_NAMES), std::end(HUD_WINDOW_NAMES));

    CChar* me = MakePlayer(7);
    ASSERT_TRUE(me);
    m_windows.ProcessMessages();
    EXPECT_EQ(playWindows(), all);
    EXPECT_EQ(main->log, std::vector<std::string>{"reset"});
    // Only the quick slots, the mini team and the fishing window start shown;
    // the windows of one character know it, those of items know its data.
    struct Case {
        int slot;
        bool shown;
        uint32_t owner;
        bool items;
    };
    for (const Case& c : {Case{HUD_CHAR_INFO, false, 7, false}, Case{HUD_INVENTORY, false, 7, true},
                          Case{HUD_CLUB, false, 0, false}, Case{HUD_QUICK_SLOT, true, 7, true},
                          Case{HUD_EQUIP, false, 7, true}, Case{HUD_COMBO_SETUP, false, 7, false},
                          Case{HUD_MINI_TEAM, true, 0, false}, Case{HUD_FISHING, true, 0, true}}) {
        SCOPED_TRACE(HUD_WINDOW_NAMES[c.slot]);
        auto* w = dynamic_cast<PlayWindow*>(me->GetAction()->HudWindow(c.slot));
        ASSERT_TRUE(w);
        EXPECT_EQ(w->IsDrawOn(), c.shown);
        EXPECT_EQ(w->owner, c.owner);
        EXPECT_EQ(w->items, c.items ? me->GetData() : nullptr);
        EXPECT_EQ(w->itemsWhileAdded, c.slot == HUD_FISHING) << "the fishing window takes them once added";
    }

    // Made again: the old set is unlinked from the main window and closed first.
    main->log.clear();
    me->CreateHudWindows();
    m_windows.ProcessMessages();
    EXPECT_EQ(playWindows(), all);
    EXPECT_EQ(main->log, (std::vector<std::string>{"CharInfoWindow", "ItemInventoryWindow", "Club_BaseWindow",
                                                   "EventLogWindow", "QuickSlotWindow", "ItemEquipWindow",
                                                   "COMBO_WINDOW", "SKILL_WINDOW", "TEAM_WINDOW",
                                                   "Z5_OPTION_WINDOW", "reset"}));

    // A window the manager let go of is forgotten by its slot.
    CBaseWindow* skills = me->GetAction()->HudWindow(HUD_SKILL);
    m_windows.RemoveWindow(skills);
    EXPECT_EQ(me->GetAction()->HudWindow(HUD_SKILL), nullptr);

    // The character going away takes its windows along.
    EXPECT_TRUE(m_mgr->RemoveCharacter(7));
    m_windows.ProcessMessages();
    EXPECT_TRUE(playWindows().empty());

    // An identifier without a registered class makes no window; its slot stays empty.
    ClearWindowClasses();
    RegisterPlayWindows(std::integer_sequence<int, HUD_CHAR_INFO, HUD_INVENTORY, HUD_EVENT_LOG,
                                              HUD_QUICK_SLOT, HUD_EQUIP, HUD_COMBO, HUD_COMBO_SETUP,
                                              HUD_SKILL, HUD_TEAM, HUD_MINI_TEAM, HUD_FISHING, HUD_OPTION>());
    me = MakePlayer(8);
    ASSERT_TRUE(me);
    std::vector<std::string> withoutClub = all;
    withoutClub.erase(withoutClub.begin() + HUD_CLUB);
    EXPECT_EQ(playWindows(), withoutClub);
    EXPECT_EQ(me->GetAction()->HudWindow(HUD_CLUB), nullptr);
    // Other characters make none.
    ASSERT_TRUE(Make(CHAR_KIND_PLAYER, 9));
    EXPECT_EQ(playWindows(), withoutClub);
}

TEST_F(CharWindowsTest, TheInventoryWindowShowsItemsPlacedAndRemoved) {
    RegisterPlayWindows(std::make_integer_sequence<int, HUD_WINDOW_COUNT>());
    CChar* me = MakePlayer(7);
    ASSERT_TRUE(me);
    CCharController* controller = me->GetController();
    auto* inventory = dynamic_cast<PlayWindow*>(me->GetAction()->HudWindow(HUD_INVENTORY));
    auto* equip = dynamic_cast<PlayWindow*>(me->GetAction()->HudWindow(HUD_EQUIP));
    ASSERT_TRUE(inventory && equip);
    auto* item = new CItemObject;
    item->Init(-1, 900);
    ASSERT_TRUE(controller->PlaceItem(item, 3, 0));
    EXPECT_EQ(inventory->refreshed, 1);
    EXPECT_FALSE(controller->RemoveItem(901));
    EXPECT_EQ(inventory->refreshed, 1);
    EXPECT_TRUE(controller->RemoveItem(900));
    EXPECT_EQ(inventory->refreshed, 2);
    EXPECT_EQ(equip->refreshed, 0);
    // The server's record for an item the slot already holds: a new count shown.
    qmtest::TableBuilder items(1, 42);
    items.U32(19).Set(19, 0, 905);
    m_db.Write(CItemTableMgr::ITEM_TABLE_FILE, items);
    CItemTableMgr table;
    g_pItemTableMgr = &table;
    CInvenItemMsg record;
    const uint8_t options[CInvenItemMsg::OPTIONS] = {};
    record.Set(2, 0, 0, 905, 0, 1, "Herb", nullptr, CItemRecord(), options);
    ASSERT_TRUE(controller->AddItemFromRecord(record));
    const int placed = inventory->refreshed;
    record.m_v3 = 4;
    CItemObject* herb = controller->AddItemFromRecord(record);
    ASSERT_TRUE(herb);
    EXPECT_EQ(herb->GetCount(), 4u);
    EXPECT_EQ(inventory->refreshed, placed + 1);
    g_pItemTableMgr = nullptr;
    // A character without play windows places items all the same.
    CChar* other = Make(CHAR_KIND_PLAYER, 9);
    ASSERT_TRUE(other);
    EXPECT_TRUE(other->GetController()->PlaceItem(new CItemObject, 1, 0));
}

// The character info and equipment windows: told when the worn items change.
struct EquipmentWindow : uitest::TestWindow, IEquipmentDisplay {
    explicit EquipmentWindow(const char* name) : TestWindow(name) {}
    void RefreshEquipment() override { ++refreshes; }
    int refreshes = 0;
};

TEST_F(CharWindowsTest, TheUsersEquipmentWindowsFollowTheWornItems) {
    qmtest::TableBuilder items(1, 42);
    items.U32(19).Set(19, 0, 900).Set(41, 0, 3);
    m_db.Write(CItemTableMgr::ITEM_TABLE_FILE, items);
    CItemTableMgr table;
    g_pItemTableMgr = &table;
    // The equipment window exists; the character info window does not (no class).
    RegisterWindowClass(HUD_WINDOW_NAMES[HUD_EQUIP], [] {
        return static_cast<CBaseWindow*>(new EquipmentWindow(HUD_WINDOW_NAMES[HUD_EQUIP]));
    });
    CChar* me = MakePlayer(7);
    CChar* other = Make(CHAR_KIND_PLAYER, 8);
    ASSERT_TRUE(me && other);
    auto* equip = dynamic_cast<EquipmentWindow*>(me->GetAction()->HudWindow(HUD_EQUIP));
    ASSERT_TRUE(equip);
    ASSERT_EQ(me->GetAction()->HudWindow(HUD_CHAR_INFO), nullptr);
    const int before = equip->refreshes;
    ASSERT_TRUE(me->GetController()->Equip(std::unique_ptr<CItemObject>(table.MakeItem(900))));
    EXPECT_EQ(equip->refreshes, before + 1);
    me->GetController()->TakeOff(3);
    EXPECT_EQ(equip->refreshes, before + 2);
    // Another character's items are not the user's.
    ASSERT_TRUE(other->GetController()->Equip(std::unique_ptr<CItemObject>(table.MakeItem(900))));
    EXPECT_EQ(equip->refreshes, before + 2);
    g_pItemTableMgr = nullptr;
}

// The windows a status of the user's own character tells (the icon row and
// the character info window), writing into one log.
std::vector<std::string> g_statusLog;
struct StatusIcons : uitest::TestWindow, IStatusIconView {
    StatusIcons() : TestWindow(STATUS_ICON_WINDOW_NAME) {}
    void AddStatusIcon(uint32_t value, uint32_t id, uint32_t extra) override {
        g_statusLog.push_back("icon " + std::to_string(value) + " " + std::to_string(id) + " " +
                              std::to_string(extra));
    }
    void RemoveStatusIcon(uint32_t id) override { g_statusLog.push_back("gone " + std::to_string(id)); }
};
struct InfoWindow : uitest::TestWindow, ISkillEntryView {
    InfoWindow() : TestWindow(HUD_WINDOW_NAMES[HUD_CHAR_INFO]) {}
    void RefreshSkillEntry(uint32_t id) override { g_statusLog.push_back("entry " + std::to_string(id)); }
    void RemoveSkillEntry(uint32_t id) override { g_statusLog.push_back("gone " + std::to_string(id)); }
};

TEST_F(CharWindowsTest, TheUsersStatusesTellTheIconRowAndTheInfoWindow) {
    struct Case {
        const char* what;
        bool own, windows;
        std::vector<std::string> told;
    };
    const Case cases[] = {
        {"the user's own",
         true,
         true,
         {"icon 40 3000012 9", "entry 3000012", "gone 3000012", "entry 3000012"}},
        {"the user's own without the windows", true, false, {}},
        {"another character", false, true, {}},
    };
    uint32_t id = 20;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_statusLog.clear();
        StatusIcons* icons = nullptr;
        if (c.windows) {
            icons = new StatusIcons;
            ASSERT_TRUE(m_windows.AddChild(icons));
            RegisterWindowClass(HUD_WINDOW_NAMES[HUD_CHAR_INFO],
                                [] { return static_cast<CBaseWindow*>(new InfoWindow); });
        }
        CChar* c1 = c.own ? MakePlayer(++id) : Make(CHAR_KIND_MONSTER, ++id);
        ASSERT_TRUE(c1);
        CCharData* data = c1->GetData();
        ASSERT_TRUE(data->AttachStatusObject(1, std::make_unique<CCharStatusObject>(3000012)));
        data->UpdateStatusIcon(40, 3000012, 9);
        EXPECT_EQ(data->FindAttachedById(3000012)->m_value, 40u);
        data->UpdateStatusIcon(50, 3000099, 9);  // no object of that id
        EXPECT_EQ(data->FindAttachedById(3000012)->m_value, 40u);
        if (c.windows && c.own) g_statusLog.resize(2);  // the first update's notices
        // The server's word that the status left (record 37, naming the
        // character first) reaches it through the character manager.
        auto gone = std::make_unique<CThreeValuesMsg>();
        gone->Set(id, 3000012, 0);
        m_mgr->PostRecord(std::move(gone), 0);
        m_mgr->ProcessQueue();
        c1->GetController()->ProcessMessages();
        EXPECT_EQ(g_statusLog, c.told);
        EXPECT_TRUE(m_mgr->RemoveCharacter(id));
        if (icons) m_windows.CloseWindow(icons);
        m_windows.ProcessMessages();
        ClearWindowClasses();
    }
}

}  // namespace
