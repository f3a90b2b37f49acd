// The main interface ("Z5MAINWIN"): the side bar's slide, order and links,
// the shake and blink, the number panels, minimising, the saved settings and
// the gauges' arithmetic.
#include "windows/play/main_interface.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/config.h"
#include "data/skill_table_mgr.h"
#include "tests/ui/test_windows.h"
#include "tests/windows/play/chat_fixture.h"
#include "ui/button.h"
#include "ui/window_layout.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"

namespace {

constexpr int32_t kSide = 36, kBottom = 14;

class MainInterfaceTest : public chattest::ChatFixture {
protected:
    void SetUp() override {
        ChatFixture::SetUp();
        // The nine panel windows are the test's own: the character makes none.
        ClearWindowClasses();
        for (const char* name : SIDE_BUTTON_WINDOWS)
            RegisterWindowClass(name, [] { return static_cast<CBaseWindow*>(nullptr); });
        InstallPlayWindowClasses();
        m_player = MakePlayer(1);
        ASSERT_TRUE(m_player);
        // The nine panel windows, each hidden.
        for (const char* name : SIDE_BUTTON_WINDOWS) {
            auto* window = m_driver.Add(new uitest::TestWindow(name, 0, 0, 80, 80));
            window->Hide();
            m_panels.push_back(window);
        }
        m_main = MakeMain();
    }
    // The window with plain faces: side buttons 36 x 36, the bar's bottom
    // buttons 36 x 14, the rest 16 x 14.
    CMainInterface* MakeMain() {
        auto* main = m_driver.Add(new CMainInterface);
        for (int i = 0; i < SIDE_BUTTON_COUNT; ++i) main->SideButton(i)->SetImage(kSide, kSide, "");
        main->HideButton()->SetImage(kSide, kBottom, "");
        main->ShowButton()->SetImage(kSide, kBottom, "");
        for (const char* name :
             {"STATUS_DISABLED", "STATUS_ENALED", "EA_DISABLED", "EA_ENABLED", "NUMBER_DISABLED",
              "NUMBER_ENABLED", "MAINWIN_MINIMIZE_BTN", "MAINWIN_RUN_BTN", "MAINWIN_WALK_BTN"})
            main->Control(name)->SetImage(16, 14, "");
        m_driver.Frame();
        return main;
    }
    void ClickOn(CBaseWindow* control) {
        ASSERT_TRUE(control);
        control->UpdateRect();
        const WindowRect& r = control->GetRect();
        m_driver.Click(0, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        m_driver.Frame();
    }
    // The names of the windows of the side buttons, in the bar's order.
    std::vector<std::string> Order() const {
        std::vector<std::string> out;
        for (int i = 0; i < SIDE_BUTTON_COUNT; ++i) {
            CBaseWindow* linked = m_main->SideButton(i)->GetLinkedWindow();
            out.push_back(linked ? linked->GetName() : "-");
        }
        return out;
    }
    static std::vector<std::string> DefaultOrder() {
        return {std::begin(SIDE_BUTTON_WINDOWS), std::end(SIDE_BUTTON_WINDOWS)};
    }

    CChar* m_player = nullptr;
    std::vector<uitest::TestWindow*> m_panels;
    CMainInterface* m_main = nullptr;
};

TEST_F(MainInterfaceTest, TheArrivalLinksTheNineButtonsByIdAndStacksThemOnTheRight) {
    EXPECT_TRUE(m_main->IsOrderRead());
    EXPECT_EQ(Order(), DefaultOrder());
    EXPECT_EQ(m_main->GetX(), 3);
    EXPECT_EQ(m_main->GetY(), 2);
    for (int i = 0; i < SIDE_BUTTON_COUNT; ++i) {
        EXPECT_EQ(m_main->SideButton(i)->GetX(), 800 - kSide);
        EXPECT_EQ(m_main->SideButton(i)->GetY(), kSide * i);
    }
    EXPECT_EQ(m_main->HideButton()->GetY(), kSide * 9);
    EXPECT_EQ(m_main->TotalHeight(), kSide * 9 + kBottom);
    // A new window set makes the window read the layout again.
    m_main->ResetPanelState();
    EXPECT_FALSE(m_main->IsOrderRead());
    m_driver.Frame();
    EXPECT_TRUE(m_main->IsOrderRead());
}

TEST_F(MainInterfaceTest, TheSideBarSlidesOutAndBackByItsButtons) {
    std::vector<int32_t> states = {m_main->SlideState()};
    ClickOn(m_main->HideButton());
    states.push_back(m_main->SlideState());
    // The buttons show without taking clicks while the bar goes.
    EXPECT_TRUE(m_main->SideButton(0)->IsDrawOn());
    EXPECT_FALSE(m_main->SideButton(0)->IsInputOn());
    for (int frame = 0; frame < 20 && m_main->SlideState() == SIDE_BAR_SLIDING_OUT; ++frame) m_driver.Frame();
    states.push_back(m_main->SlideState());
    EXPECT_EQ(m_main->SlideOffset(), -m_main->TotalHeight());
    EXPECT_TRUE(m_main->ShowButton()->IsDrawOn());
    EXPECT_FALSE(m_main->HideButton()->IsDrawOn());
    // Hidden, an item flies to the show button.
    int32_t x = 0, y = 0;
    EXPECT_TRUE(m_main->GetInventoryButtonPosition(&x, &y));
    EXPECT_EQ(x, m_main->ShowButton()->GetX());
    EXPECT_EQ(y, m_main->ShowButton()->GetY());
    // The show button stands above the screen's top: its picture hangs
    // below its point (the demo's art), a plain face reaches the top row.
    EXPECT_EQ(m_main->ShowButton()->GetY(), -kBottom);
    m_driver.Click(0, m_main->ShowButton()->GetX() + 10, 0);
    m_driver.Frame();
    states.push_back(m_main->SlideState());
    for (int frame = 0; frame < 20 && m_main->SlideState() == SIDE_BAR_SLIDING_IN; ++frame) m_driver.Frame();
    states.push_back(m_main->SlideState());
    EXPECT_EQ(states, (std::vector<int32_t>{0, 2, 3, 1, 0}));
    EXPECT_EQ(m_main->SlideOffset(), 0);
    EXPECT_TRUE(m_main->SideButton(0)->IsInputOn());
    EXPECT_FALSE(m_main->ShowButton()->IsDrawOn());
    // Shown, it flies to the inventory's button.
    EXPECT_TRUE(m_main->GetInventoryButtonPosition(&x, &y));
    EXPECT_EQ(y, kSide * SIDE_INVENTORY_ID);
}

TEST_F(MainInterfaceTest, DraggingAButtonReordersTheBarAndTheOrderIsKept) {
    CButton* skills = m_main->SideButton(4);
    const int32_t x = skills->GetX() + 10, y = skills->GetY() + 10;
    m_driver.Press(0, x, y);
    m_driver.Frame();
    for (int32_t to = y; to >= 0; to -= 10) {
        m_driver.MoveTo(x, to);
        m_driver.Frame();
    }
    m_driver.Release(0, x, 4);
    m_driver.Frame();
    EXPECT_EQ(Order(), (std::vector<std::string>{"SKILL_WINDOW", "CharInfoWindow", "ItemEquipWindow",
                                                 "COMBO_WINDOW", "ItemInventoryWindow", "TEAM_WINDOW",
                                                 "Z5_OPTION_WINDOW", "Club_BaseWindow", "EventLogWindow"}));
    EXPECT_EQ(skills->GetY(), 0);
    // Saved and read back by the next window.
    CLayoutWriter writer;
    m_main->SaveSettings(&writer);
    ASSERT_TRUE(writer.Commit(LAYOUT_FILE_NAME));
    m_driver.Mgr().RemoveWindow(m_main);
    m_main = MakeMain();
    EXPECT_EQ(Order()[0], "SKILL_WINDOW");
    EXPECT_EQ(Order()[4], "ItemInventoryWindow");
}

TEST_F(MainInterfaceTest, SavedOrdersNamingNoWindowChangeNothing) {
    CLayoutWriter writer;
    writer.WriteLine(MAIN_INTERFACE_NAME, "SIDEBTN_SORT_0", "SBN_");
    writer.WriteLine(MAIN_INTERFACE_NAME, "SIDEBTN_SORT_1", "SBN_NoSuchWindow");
    writer.WriteLine(MAIN_INTERFACE_NAME, "SIDEBTN_SORT_2", "SBN_EventLogWindow");
    ASSERT_TRUE(writer.Commit(LAYOUT_FILE_NAME));
    m_driver.Mgr().RemoveWindow(m_main);
    m_main = MakeMain();
    std::vector<std::string> expected = DefaultOrder();
    std::swap(expected[2], expected[8]);
    EXPECT_EQ(Order(), expected);
}

TEST_F(MainInterfaceTest, LinkingTwiceChangesNothingAndUnlinkingFreesTheButton) {
    CBaseWindow* team = m_panels[5];
    m_main->LinkSideButton(true, team);
    EXPECT_EQ(Order(), DefaultOrder());
    m_main->UnlinkWindow(team);
    EXPECT_EQ(Order()[5], "-");
    EXPECT_FALSE(team->IsInputOn());
    m_main->LinkSideButton(true, team);
    m_main->LinkSideButton(true, team);
    EXPECT_EQ(Order(), DefaultOrder());
    EXPECT_TRUE(team->IsInputOn());
}

TEST_F(MainInterfaceTest, TheStyleSetsTheWindowsModes) {
    g_options.SetByte(OPTION_SIDE_STYLE, 1);
    m_main->ResetPanelState();
    m_driver.Frame();
    EXPECT_EQ(m_main->GetStyle(), 4);
    for (CBaseWindow* panel : m_panels) EXPECT_EQ(panel->GetStateValue(), WINDOW_STATE_FREE);
    // Style 4: a click opens the window beside its button.
    ClickOn(m_main->SideButton(SIDE_INVENTORY_ID));
    EXPECT_TRUE(m_panels[SIDE_INVENTORY_ID]->IsDrawOn());
    EXPECT_EQ(m_panels[SIDE_INVENTORY_ID]->GetX(), 800 - kSide - 80);
    m_main->SetStyle(2);
    for (CBaseWindow* panel : m_panels) EXPECT_EQ(panel->GetStateValue(), WINDOW_STATE_DOCKED);
    // Style 2: a still click opens a panel window free.
    m_panels[0]->Hide();
    ClickOn(m_main->SideButton(0));
    EXPECT_EQ(m_panels[0]->GetStateValue(), WINDOW_STATE_FREE);
    EXPECT_TRUE(m_panels[0]->IsDrawOn());
    EXPECT_FALSE(m_main->IsMainPanelWindow(m_main));
}

TEST_F(MainInterfaceTest, TheShakeHalvesEverySecondStepAndTheBlinkLastsUntilStopped) {
    m_main->ShakeItemButton();
    CButton* bag = m_main->SideButton(SIDE_INVENTORY_ID);
    const int32_t rest = bag->GetY();
    std::vector<float> amplitudes;
    std::vector<int32_t> offsets;
    m_driver.SetFrameTime(40);
    for (int frame = 0; frame < 9; ++frame) {
        amplitudes.push_back(m_main->ShakeAmplitude());
        m_driver.Frame();
        offsets.push_back(bag->GetY() - rest);
    }
    EXPECT_EQ(amplitudes, (std::vector<float>{10.0f, 10.0f, 5.0f, 5.0f, 2.5f, 2.5f, 1.25f, 1.25f, 0.625f}));
    EXPECT_EQ(offsets, (std::vector<int32_t>{10, -10, 5, -5, 2, -2, 1, -1, 0}));
    m_driver.SetFrameTime(70);
    m_main->StartBlink();
    std::vector<int32_t> phases;
    for (int frame = 0; frame < 4; ++frame) {
        m_driver.Frame();
        phases.push_back(m_main->BlinkPhase());
    }
    EXPECT_EQ(phases, (std::vector<int32_t>{1, 0, 1, 0}));
    m_main->StopBlink();
    m_driver.Frame(3);
    EXPECT_EQ(m_main->BlinkPhase(), 1);
    EXPECT_EQ(m_main->BlinkAmplitude(), 0.0f);
}

TEST_F(MainInterfaceTest, PanelsMinimiseAndWalkAndRun) {
    EXPECT_EQ(m_main->ShownPanel(), 0);
    ClickOn(m_main->Control("NUMBER_DISABLED"));
    EXPECT_EQ(m_main->ShownPanel(), 2);
    EXPECT_TRUE(m_main->Control("NUMBER_ENABLED")->IsDrawOn());
    EXPECT_FALSE(m_main->Control("NUMBER_DISABLED")->IsDrawOn());
    EXPECT_TRUE(m_main->Control("STATUS_DISABLED")->IsDrawOn());
    ClickOn(m_main->Control("MAINWIN_MINIMIZE_BTN"));
    EXPECT_TRUE(m_main->IsMinimized());
    EXPECT_STREQ(m_main->Control("MAINWIN_MINIMIZE_BTN")->GetToolTip(), "14/4");
    for (const char* name : {"STATUS_DISABLED", "NUMBER_ENABLED", "MAINWIN_WALK_BTN", "MAINWIN_RUN_BTN"})
        EXPECT_FALSE(m_main->Control(name)->IsDrawOn()) << name;
    ClickOn(m_main->Control("MAINWIN_MINIMIZE_BTN"));
    EXPECT_FALSE(m_main->IsMinimized());
    EXPECT_TRUE(m_main->Control("NUMBER_ENABLED")->IsDrawOn());
    // With a server either button switches between walking and running;
    // the buttons follow.
    CCharData* data = m_player->GetData();
    const uint8_t before = data->m_runFlag;
    CButton* shown = m_main->Control(before ? "MAINWIN_RUN_BTN" : "MAINWIN_WALK_BTN");
    ClickOn(shown);
    m_main->Draw();
    EXPECT_NE(data->m_runFlag, before);
    EXPECT_FALSE(shown->IsDrawOn());
    ClickOn(m_main->Control(data->m_runFlag ? "MAINWIN_RUN_BTN" : "MAINWIN_WALK_BTN"));
    m_main->Draw();
    EXPECT_EQ(data->m_runFlag, before);
    // Without one, walk walks and run runs.
    g_config.m_useServer = false;
    ClickOn(m_main->Control(before ? "MAINWIN_RUN_BTN" : "MAINWIN_WALK_BTN"));
    EXPECT_EQ(data->m_runFlag, before);
}

TEST_F(MainInterfaceTest, SettingsRoundTripAndTheOptionMinimises) {
    ClickOn(m_main->Control("EA_DISABLED"));
    ClickOn(m_main->HideButton());
    m_driver.Frame(20);
    CLayoutWriter writer;
    m_main->SaveSettings(&writer);
    ASSERT_TRUE(writer.Commit(LAYOUT_FILE_NAME));
    g_options.SetByte(OPTION_PANEL_SHOWN, 0);
    m_driver.Mgr().RemoveWindow(m_main);
    m_main = MakeMain();
    EXPECT_EQ(m_main->ShownPanel(), 1);
    EXPECT_EQ(m_main->SlideState(), SIDE_BAR_HIDDEN);
    EXPECT_EQ(m_main->SlideOffset(), -m_main->TotalHeight());
    EXPECT_TRUE(m_main->IsMinimized());
}

TEST_F(MainInterfaceTest, TheChosenSkillsIconAndTheServerIsTold) {
    // Skill 1 shows the characters' animation; skill 2 is one that never shows.
    qmtest::TableBuilder skills(3, 13);
    skills.U8(6).Ref(12);
    skills.Set(12, 1, {chartest::kCharAni, 0, 2}).Set(6, 2, 1).Set(12, 2, {chartest::kCharAni, 0, 2});
    m_db.Write(SKILL_TABLE_FILE, skills);
    for (int file : {13, 31}) m_db.Write(file, qmtest::TableBuilder(0, 1));
    CSkillTableMgr table;
    g_pSkillTableMgr = &table;
    Sent();
    m_main->SetSkillIcon(2);
    EXPECT_EQ(m_main->SkillIcon(), nullptr);
    EXPECT_TRUE(Sent().empty());
    m_main->SetSkillIcon(1);
    ASSERT_NE(m_main->SkillIcon(), nullptr);
    const uint32_t id = SKILL_ID_BASE + 1;
    EXPECT_EQ(Sent(), (std::vector<chattest::Bytes>{
                          {6, 1, 16, uint8_t(id >> 24), uint8_t(id >> 16), uint8_t(id >> 8), uint8_t(id)}}));
    g_pSkillTableMgr = nullptr;
}

TEST_F(MainInterfaceTest, AnItemComingInFromTheFieldShakesTheBag) {
    m_main->RefreshFieldItems();
    EXPECT_EQ(m_main->ShakeAmplitude(), 10.0f);
    EXPECT_EQ(m_main->GetX(), MAIN_INTERFACE_X);
}

TEST(MainGaugeTest, PoolPipsNeverDivideByZeroOrOverflow) {
    struct Case {
        uint32_t current, maximum;
        int32_t pips;
    };
    const Case cases[] = {
        {0, 0, 0},
        {5, 0, 0},
        {0, 100, 0},
        {1, 100, 1},
        {50, 100, 5},
        {99, 100, 9},
        {100, 100, 10},
        {500, 100, 10},
        {0xFFFFFFFF, 0xFFFFFFFF, 10},
        {0x80000000, 0xFFFFFFFF, 5},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PoolPips(c.current, c.maximum), c.pips) << c.current << "/" << c.maximum;
}

TEST(MainGaugeTest, RingsFillHoldAndDrain) {
    struct Case {
        const char* what;
        RingGauge ring;
        uint32_t now;
        int32_t pips;
        bool drainingAfter;
    };
    const Case cases[] = {
        {"nothing", {}, 1000, 0, false},
        {"filling halfway", {{1, 0, 0}, {1000, 0}, {500, 0}}, 1000, 2, false},
        {"filling without a period", {{1, 0, 0}, {0, 0}, {0, 0}}, 1000, 5, false},
        {"filled past its period", {{1, 0, 0}, {100, 0}, {0, 0}}, 1000, 5, false},
        {"full", {{0, 1, 0}, {0, 0}, {0, 0}}, 1000, 5, false},
        {"draining from six", {{0, 0, 1}, {0, 1000}, {0, 1000}}, 1000, 5, true},
        {"drained", {{0, 0, 1}, {0, 1000}, {0, 0}}, 1200, 0, false},
        {"draining without a period", {{0, 0, 1}, {0, 0}, {0, 0}}, 1000, 0, false},
        {"draining overrides filling", {{1, 1, 1}, {0, 1000}, {0, 600}}, 1000, 4, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RingGauge ring = c.ring;
        EXPECT_EQ(RingPips(ring, c.now), c.pips);
        EXPECT_EQ(ring.flags[2] != 0, c.drainingAfter);
    }
}

}  // namespace
