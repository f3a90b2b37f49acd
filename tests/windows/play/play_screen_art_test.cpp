// The play screen's panel and chat drawn on the demo data's art: the main
// interface (panel 0, minimised, the side bar hidden) with the user's own
// character's values, its experience bar, and the chat window with lines of
// several kinds, the item windows and the shop. Each screen is kept as a
// golden picture.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "anim/ani_object.h"
#include "core/input_mgr.h"
#include "data/char_resource_mgr.h"
#include "data/item_table_mgr.h"
#include "data/text_tables.h"
#include "net/handlers/char_records.h"
#include "tests/windows/play/demo_art_fixture.h"
#include "ui/button.h"
#include "ui/items/item_icon.h"
#include "ui/tooltip_window.h"
#include "windows/play/char_info_window.h"
#include "windows/play/chat_text.h"
#include "windows/play/chat_window.h"
#include "windows/play/item_equip_window.h"
#include "windows/play/item_inventory_window.h"
#include "windows/play/main_interface.h"
#include "windows/play/quick_slot_window.h"
#include "windows/play/trade_window.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"

namespace {

using demoart::DemoTable;
using demoart::kBackground;

class PlayScreenArtTest : public demoart::DemoArtTest {
protected:
    void SetUp() override {
        DemoArtTest::SetUp();
        InitDefaultOptions();
        g_config.m_useServer = true;
        for (const auto& [file, name] : {std::pair{int(CCharResourceMgr::PLAYER_FILE), "0011.Z5D.txt"},
                                         {CCharResourceMgr::MONSTER_FILE, "0009.Z5D.txt"},
                                         {CCharResourceMgr::NPC_FILE, "0010.Z5D.txt"},
                                         {CCharResourceMgr::CLASS_ANI_FILE, "0068.Z5D.txt"},
                                         {CCharResourceMgr::ID_ANI_FILE, "0113.Z5D.txt"},
                                         {CCharResourceMgr::LEVEL_COLOR_FILE, "0119.Z5D.txt"},
                                         {CCharResourceMgr::GROUP_FILE, "0138.Z5D.txt"},
                                         {EMOTICON_TABLE_FILE, "0015.Z5D.txt"},
                                         {CHAR_SOUND_TABLE_FILE, "0059.Z5D.txt"}})
            WriteTable(file, DemoTable(name));
        m_resources = std::make_unique<CCharResourceMgr>();
        g_pCharResourceMgr = m_resources.get();
        SetCharResourceHooks(m_resources.get());
        m_chars = std::make_unique<CCharMgr>();
        g_pCharMgr = m_chars.get();
        m_player = MakeChar(1, "Ardent", true);
        ASSERT_TRUE(m_player);
        uint32_t* v = m_player->GetData()->m_values;
        const uint32_t values[][2] = {{0, 120}, {1, 200}, {2, 30}, {3, 80},   {4, 77},   {5, 45},
                                      {6, 60},  {7, 12},  {8, 50}, {12, 500}, {13, 800}, {14, 1000}};
        for (const auto& [index, value] : values) v[index] = value;
        g_pInputMgr = &m_input;
        Frame()->FillSurface(kBackground, nullptr);
    }
    void TearDown() override {
        g_pInputMgr = nullptr;
        g_pCharMgr = nullptr;
        m_chars.reset();
        SetCharResourceHooks(nullptr);
        g_pCharResourceMgr = nullptr;
        m_resources.reset();
        g_config.m_useServer = false;
        DemoArtTest::TearDown();
    }
    CChar* MakeChar(uint32_t id, const char* name, bool own) {
        CCharCreateFields f;
        f.m_charId = id;
        f.m_ownFlag = own ? 1 : 0;
        f.m_resourceId = CHAR_PLAYER_BASE;
        CopyRecordText(f.m_name, name);
        CCharCreateMsg msg;
        msg.Set(f);
        return m_chars->AddOrUpdateChar(msg);
    }
    // The main interface as the running program has it after a frame.
    std::unique_ptr<CMainInterface> MakeMain() {
        auto main = std::make_unique<CMainInterface>();
        main->Update();
        return main;
    }

    std::unique_ptr<CCharResourceMgr> m_resources;
    std::unique_ptr<CCharMgr> m_chars;
    CChar* m_player = nullptr;
    CInputMgr m_input;
};

TEST_F(PlayScreenArtTest, TheMainInterfaceInItsThreeLooks) {
    struct Case {
        const char* golden;
        void (*prepare)(CMainInterface&);
    };
    const Case cases[] = {
        {"demo_main_interface", [](CMainInterface&) {}},
        {"demo_main_interface_minimized", [](CMainInterface& main) { main.Minimize(); }},
        {"demo_main_interface_side_hidden",
         [](CMainInterface& main) {
             main.OnControlEvent(0, main.HideButton()->GetX() + 5, main.HideButton()->GetY() + 5,
                                 main.HideButton());
             for (int i = 0; i < 20; ++i) main.Update();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.golden);
        Frame()->FillSurface(kBackground, nullptr);
        std::unique_ptr<CMainInterface> main = MakeMain();
        c.prepare(*main);
        ASSERT_TRUE(main->Draw());
        EXPECT_TRUE(
            qmtest::MatchesGolden(Picture(), std::string("tests/windows/golden/") + c.golden + ".png"));
    }
}

TEST_F(PlayScreenArtTest, TheExperienceBarFillsToItsShareAndShowsItsValuesAtTheEdge) {
    std::unique_ptr<CMainInterface> main = MakeMain();
    struct Case {
        int32_t x, y;
        bool tip;
    };
    const Case cases[] = {{3, 456, true}, {0, 50, true}, {4, 200, false}, {3, 457, false}, {3, 49, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        m_input.SetMousePos(c.x, c.y);
        main->Draw();
        // 500 of 1,000 on a fill 400 high: down to 250; the next step at 800: 370.
        EXPECT_EQ(main->ExpFillBottom(), 250);
        EXPECT_EQ(main->ExpMarkerY(), 370 - 1);
        EXPECT_EQ(main->ToolTip()->IsDrawOn(), c.tip);
    }
    // Past the limit the bar stops at its end; a limit of 0 shows it empty.
    m_player->GetData()->m_values[12] = 5000;
    main->Draw();
    EXPECT_EQ(main->ExpFillBottom(), 450);
    m_player->GetData()->m_values[14] = 0;
    main->Draw();
    EXPECT_EQ(main->ExpFillBottom(), 50);
    EXPECT_EQ(main->ExpMarkerY(), 50 - 1);
}

TEST_F(PlayScreenArtTest, TheChatWindowWithLinesOfSeveralKinds) {
    CChar* mira = MakeChar(100, "Mira", false);
    ASSERT_TRUE(mira);
    CChatWindow chat;
    chat.SetVisibleLines(8);
    chat.AddMessage(3, "Welcome to the sample world.", false, 0);
    chat.AddMessage(100, "Hello <b>you</b> & all", false, 0);
    chat.AddMessage(1, "Ardent says hi back", true, 0);
    chat.AddMessage(11, "The keeper's shop is open.", false, 0);
    chat.AddMessage(3, "A red notice", false, 1);
    chat.AddMessage(23, "Channel line", false, 0);
    chat.AddMessage(0, std::string(95, 'w').c_str(), false, 0);
    ASSERT_TRUE(chat.Draw());
    EXPECT_GT(chat.ImageWidth(), 500);
    EXPECT_TRUE(qmtest::MatchesGolden(Picture(), "tests/windows/golden/demo_chat_window.png"));
}

// The bag, the equipment (both views), the quick slots and the character
// info on the demo data's art, with the sample world's items.
TEST_F(PlayScreenArtTest, TheItemAndCharacterWindows) {
    WriteTable(CItemTableMgr::ITEM_TABLE_FILE, DemoTable("0007.Z5D.txt"));
    WriteTable(CHAR_INFO_COST_TABLE, DemoTable("0055.Z5D.txt"));
    CItemIconFactory factory;
    ScopedItemObjectFactory factoryScope(factory);
    CItemTableMgr items;
    g_pItemTableMgr = &items;
    CCharController* controller = m_player->GetController();
    CCharData* data = m_player->GetData();
    const uint32_t bag[][3] = {{1, 41006, 5}, {2, 41003, 1},   {3, 41004, 1},
                               {4, 41005, 1}, {5, 1002901, 1}, {6, 41006, 3}};
    for (const auto& [slot, id, count] : bag)
        ASSERT_TRUE(controller->GetOrCreateItem(id, count, int32_t(slot), true));
    for (uint32_t id : {41001u, 41002u, 41004u})
        ASSERT_TRUE(controller->Equip(std::unique_ptr<CItemObject>(items.MakeItem(id))));
    uint32_t* v = data->m_values;
    const uint32_t values[][2] = {
        {VALUE_LEVEL, 3},         {VALUE_STAT_POINTS, 6},      {VALUE_MONEY, 1234567},
        {VALUE_BASE_MAXIMA, 190}, {VALUE_BASE_MAXIMA + 1, 70}, {VALUE_BASE_MAXIMA + 2, 55}};
    for (const auto& [index, value] : values) v[index] = value;
    const uint32_t stats[7] = {26, 18, 9, 11, 30, 14, 5}, bases[7] = {24, 18, 9, 11, 30, 12, 5};
    for (int k = 0; k < 7; ++k) v[VALUE_ATTRIBUTES + k] = stats[k], v[VALUE_BASE_STATS + k] = bases[k];
    auto draw = [&](CBaseWindow& window, const char* golden) {
        SCOPED_TRACE(golden);
        Frame()->FillSurface(kBackground, nullptr);
        window.Show();
        window.SetPosition(20, 20);
        window.Update();
        ASSERT_TRUE(window.Draw());
        EXPECT_TRUE(qmtest::MatchesGolden(Picture(), std::string("tests/windows/golden/") + golden + ".png"));
    };
    {
        CItemInventoryWindow window;
        window.SetItemContainer(data);
        window.SetSortMode(SORT_WORN_FIRST);
        window.SortItems();
        draw(window, "demo_inventory");
    }
    {
        CItemEquipWindow equip;
        equip.SetItemContainer(data);
        draw(equip, "demo_equipment");
        equip.SetExpanded(true);
        draw(equip, "demo_equipment_expanded");
    }
    {
        CQuickSlotWindow slots;
        slots.SetItemContainer(data);
        const uint8_t indexes[] = {0, 1};
        const uint32_t ids[] = {41006, 1002901};
        slots.ApplyRecord(2, indexes, ids);
        draw(slots, "demo_quick_slots");
    }
    {
        CCharInfoWindow info;
        info.AddTickerLine("Haste");
        draw(info, "demo_char_info");
    }
    // The shop in buy and in sell mode, each with a choice made.
    auto drawShop = [&](CTradeWindow& window, const char* golden) {
        SCOPED_TRACE(golden);
        Frame()->FillSurface(kBackground, nullptr);
        window.Update();
        ASSERT_TRUE(window.Draw());
        EXPECT_TRUE(qmtest::MatchesGolden(Picture(), std::string("tests/windows/golden/") + golden + ".png"));
    };
    {
        CTradeWindow shop;
        v[VALUE_LOAD] = 12;
        v[VALUE_LOAD_MAX] = 50;
        shop.Show();
        shop.SetPosition(200, 100);
        shop.SetAvailableModes(true, true, true, false);
        ASSERT_EQ(shop.AddBuyEntry(0, 41006, "Red Potion", 1, 50, 0, 2), 0);
        ASSERT_EQ(shop.AddBuyEntry(1, 41002, "Leather Cap", 1, 300, 0, 5), 1);
        ASSERT_EQ(shop.AddBuyEntry(2, 41001, "Oak Sword", 0, 1500, 0, 9), 2);
        ASSERT_TRUE(shop.MoveEntry(shop.GetEntry(TRADE_OFFERS, 0), 3));
        drawShop(shop, "demo_trade_buy");
        ASSERT_TRUE(shop.SelectSellMode());
        ASSERT_EQ(shop.AddSellEntry(1, 41006, 1, "Red Potion", 1, 0, 5, 2, 25), 0);
        ASSERT_EQ(shop.AddSellEntry(3, 41004, 3, "Copper Ring", 1, 0, 1, 1, 10), 1);
        ASSERT_EQ(shop.AddSellEntry(5, 1002901, 5, "World Map", 0, 0, 1, 1, 10), 2);
        ASSERT_TRUE(shop.MoveEntry(shop.GetEntry(TRADE_OFFERS, 0), 2));
        drawShop(shop, "demo_trade_sell");
    }
    g_pItemTableMgr = nullptr;
}

}  // namespace

// What the chat log and the chat ban's message put after each number, and
// the whisper command words, stand in the demo's text table 0.
TEST_F(PlayScreenArtTest, TheChatLogsUnitsAndTheWhisperWordsAreOnTheDemoTexts) {
    for (int row = 0; row <= 5; ++row)
        EXPECT_STRNE(GetTableText(CHAT_LOG_UNIT_TABLE, row), "") << "row " << row;
    for (const char* line : {"/tell Mira hi", "/wisp Mira hi", "/pm Mira hi"}) {
        EXPECT_TRUE(IsChatCommand(line)) << line;
        EXPECT_EQ(GetChatCommandKind(line), 0) << line;
    }
}
