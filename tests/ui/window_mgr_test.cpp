#include "ui/window_mgr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "anim/ani_object.h"
#include "core/app_state.h"
#include "platform/url.h"
#include "tests/support/window_driver.h"
#include "tests/ui/test_windows.h"
#include "ui/button.h"
#include "ui/edit_box.h"
#include "ui/scroll_bar.h"
#include "ui/static_text.h"
#include "ui/window_messages.h"

using uitest::Log;
using uitest::TestWindow;

namespace {

std::vector<std::string> Names(const std::vector<CBaseWindow*>& windows) {
    std::vector<std::string> out;
    for (CBaseWindow* w : windows) out.push_back(w->GetName());
    return out;
}

bool Alive(const CWeakRef& ref) {
    return ref.Get() != nullptr;
}

TEST(WindowMgrTest, StackingNumbersSkipFixedOrderWindows) {
    qmtest::WindowDriver driver;
    CWindowMgr& mgr = driver.Mgr();
    auto* a = driver.Add(new TestWindow("A"));
    auto* fixed = driver.Add(new TestWindow("FIXED"));
    auto* c = driver.Add(new TestWindow("C"));
    fixed->m_fixedOrder = 1;
    fixed->SetStackNumber(50);
    fixed->SetActive(true, true);  // active without reordering; renumbering leaves it so
    mgr.RenumberZOrder();
    EXPECT_EQ(a->GetStackNumber(), 0);
    EXPECT_EQ(c->GetStackNumber(), 1);
    EXPECT_EQ(fixed->GetStackNumber(), 50);

    ASSERT_TRUE(mgr.BringToFront(a));
    EXPECT_EQ(Names(mgr.TopLevelWindows()), (std::vector<std::string>{"FIXED", "C", "A"}));
    EXPECT_EQ(c->GetStackNumber(), 0);
    EXPECT_EQ(a->GetStackNumber(), 1);
    EXPECT_EQ(fixed->GetStackNumber(), 50);
    EXPECT_TRUE(a->IsActiveFlag());
    EXPECT_FALSE(c->IsActiveFlag());
    EXPECT_TRUE(fixed->IsActiveFlag());

    // AddChild puts a window at the bottom, AddChildBack on top.
    driver.Mgr().AddChild(new TestWindow("BOTTOM"));
    EXPECT_EQ(Names(mgr.TopLevelWindows()), (std::vector<std::string>{"BOTTOM", "FIXED", "C", "A"}));
    EXPECT_FALSE(mgr.AddChildBack(a));  // a child already
    EXPECT_FALSE(mgr.BringToFront(nullptr));
}

TEST(WindowMgrTest, BringingToFrontKeepsTheHandle) {
    qmtest::WindowDriver driver;
    auto* a = driver.Add(new TestWindow("A"));
    driver.Add(new TestWindow("B"));
    const uint32_t handle = a->GetId();
    ASSERT_NE(handle, 0u);
    driver.Mgr().CloseWindow(a);
    a->SetActive(true, false);  // activated again before the close message is handled
    EXPECT_EQ(a->GetId(), handle);
    CWeakRef ref(a);
    driver.Frame();
    EXPECT_FALSE(Alive(ref));
}

TEST(WindowMgrTest, FindsTheBottomMostWindowOfNameAndKind) {
    qmtest::WindowDriver driver;
    CWindowMgr& mgr = driver.Mgr();
    auto* first = driver.Add(new TestWindow("DUP"));
    auto* second = driver.Add(new TestWindow("DUP"));
    auto* other = driver.Add(new TestWindow("DUP"));
    other->SetKindId(7);
    CBaseWindow* button = mgr.CreateControl("DUP_BUTTON", CONTROL_BUTTON, 0);

    EXPECT_EQ(mgr.FindWindowByName("DUP", 0, true), first);
    EXPECT_EQ(mgr.FindWindowByName("DUP", 7, true), other);
    EXPECT_EQ(mgr.FindWindowByName("dup", 0, true), nullptr);  // byte-exact
    EXPECT_EQ(mgr.FindWindowByName("DUP_BUTTON", 0, true), nullptr);
    EXPECT_EQ(mgr.FindWindowByName("DUP_BUTTON", 0, false), button);
    EXPECT_EQ(mgr.FindWindowByName(nullptr, 0, false), nullptr);
    std::vector<CBaseWindow*> all;
    EXPECT_EQ(mgr.FindAllWindowsByName("DUP", &all), 3);

    mgr.BringToFront(first);
    EXPECT_EQ(mgr.FindWindowByName("DUP", 0, true), second);
    mgr.RemoveWindow(second);
    EXPECT_EQ(mgr.FindWindowByName("DUP", 0, true), first);
}

TEST(WindowMgrTest, ClosingTwiceQueuesTwoMessagesAndRemovesOnce) {
    qmtest::WindowDriver driver;
    CWindowMgr& mgr = driver.Mgr();
    auto* w = driver.Add(new TestWindow("W"));
    auto* keep = driver.Add(new TestWindow("KEEP"));
    CWeakRef ref(w);
    EXPECT_TRUE(mgr.CloseWindow(w));
    EXPECT_TRUE(mgr.CloseWindow(w));
    EXPECT_FALSE(w->IsDrawOn());
    EXPECT_TRUE(Alive(ref));  // until the messages are handled
    EXPECT_EQ(mgr.GetPort()->Count(), 2);
    driver.Frame();
    EXPECT_FALSE(Alive(ref));
    EXPECT_EQ(mgr.GetPort()->Count(), 0);
    EXPECT_EQ(Names(mgr.TopLevelWindows()), std::vector<std::string>{"KEEP"});
    EXPECT_EQ(mgr.ChildCount(), 1);
    TestWindow stray("STRAY");
    EXPECT_FALSE(mgr.CloseWindow(&stray));
    EXPECT_FALSE(mgr.RemoveWindow(&stray));
    EXPECT_EQ(mgr.HasWindow(keep), keep);
    EXPECT_EQ(mgr.HasWindow(&stray), nullptr);
}

TEST(WindowMgrTest, AWindowDeletedDirectlyLeavesTheManager) {
    qmtest::WindowDriver driver;
    CWindowMgr& mgr = driver.Mgr();
    auto* w = driver.Add(new TestWindow("W"));
    auto* parent = driver.Add(new TestWindow("PARENT"));
    auto* control = new TestWindow("PARENT_CONTROL");
    control->SetControlType(CONTROL_BUTTON);
    mgr.AddChildBack(control);
    parent->AddChild(control);
    mgr.SetFocusedEditBox(w);
    delete w;
    delete control;
    EXPECT_EQ(Names(mgr.TopLevelWindows()), std::vector<std::string>{"PARENT"});
    EXPECT_EQ(mgr.ChildCount(), 1);
    EXPECT_EQ(mgr.GetFocusedEditBox(), nullptr);
    EXPECT_EQ(parent->Children()->Count(), 0);
    driver.Frame();  // the phases walk only what is there
}

TEST(WindowMgrTest, DeleteAllChildrenLeavesControlsToTheirWindows) {
    qmtest::WindowDriver driver;
    CWindowMgr& mgr = driver.Mgr();
    auto* parent = driver.Add(new TestWindow("PARENT"));
    std::vector<CWeakRef> controls;
    for (const char* name : {"PARENT_A_BUTTON", "PARENT_B_BUTTON"}) {
        CBaseWindow* button = mgr.CreateControl(name, CONTROL_BUTTON, 0);
        parent->AddChild(button);
        controls.emplace_back(button);
    }
    CBaseWindow* loose = mgr.CreateControl("LOOSE", CONTROL_STATIC_TEXT, 0);
    CWeakRef looseRef(loose);
    // The close message waiting in the port is handled first.
    auto* closing = driver.Add(new TestWindow("CLOSING"));
    mgr.CloseWindow(closing);
    EXPECT_TRUE(mgr.DeleteAllChildren());
    EXPECT_EQ(mgr.ChildCount(), 0);
    EXPECT_TRUE(mgr.TopLevelWindows().empty());
    EXPECT_FALSE(Alive(looseRef));
    for (const CWeakRef& c : controls) EXPECT_FALSE(Alive(c));
    EXPECT_EQ(mgr.GetPort()->Count(), 0);
}

TEST(WindowMgrTest, ReleaseOfAWindowRemovesItsControlsFromTheManager) {
    qmtest::WindowDriver driver;
    CWindowMgr& mgr = driver.Mgr();
    auto* parent = driver.Add(new TestWindow("PARENT"));
    CBaseWindow* button = mgr.CreateControl("PARENT_BUTTON", CONTROL_BUTTON, 0);
    parent->AddChild(button);
    auto* own = new TestWindow("OWN");  // a child the manager does not know
    parent->AddChild(own);
    CWeakRef buttonRef(button), ownRef(own);
    mgr.RemoveWindow(parent);
    EXPECT_FALSE(Alive(buttonRef));
    EXPECT_FALSE(Alive(ownRef));
    EXPECT_EQ(mgr.ChildCount(), 0);
}

TEST(WindowMgrTest, ControlFactoryByTypeCode) {
    qmtest::WindowDriver driver;
    CWindowMgr& mgr = driver.Mgr();
    driver.Add(new TestWindow("UNDER"));
    struct Case {
        uint32_t type;
        bool made;
        bool topLevel;
    } cases[] = {{0, true, true},  {1, false, false}, {2, false, false}, {3, true, false},  {4, true, false},
                 {5, true, false}, {6, true, false},  {7, false, false}, {99, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        const int32_t before = mgr.ChildCount();
        CBaseWindow* w = mgr.CreateControl("CONTROL", c.type, 3);
        ASSERT_EQ(w != nullptr, c.made);
        if (!w) {
            EXPECT_EQ(mgr.ChildCount(), before);
            continue;
        }
        EXPECT_EQ(mgr.ChildCount(), before + 1);
        EXPECT_STREQ(w->GetName(), "CONTROL");
        EXPECT_EQ(w->GetKindId(), 3u);
        EXPECT_EQ(w->GetControlType(), c.type);
        EXPECT_EQ(w->GetTypeCode(), WINDOW_DRAG_TYPE);
        EXPECT_EQ(w->GetX(), 0);
        EXPECT_EQ(mgr.TopLevelWindows().back() == w, c.topLevel);
    }
    std::vector<CBaseWindow*> made;
    mgr.FindAllWindowsByName("CONTROL", &made);
    ASSERT_EQ(made.size(), 5u);
    EXPECT_EQ(dynamic_cast<CStaticText*>(made[0]), nullptr);
    EXPECT_NE(dynamic_cast<CEditBox*>(made[1]), nullptr);
    EXPECT_NE(dynamic_cast<CStaticText*>(made[2]), nullptr);
    EXPECT_EQ(dynamic_cast<CEditBox*>(made[2]), nullptr);
    EXPECT_NE(dynamic_cast<CButton*>(made[3]), nullptr);
    EXPECT_NE(dynamic_cast<CScrollBar*>(made[4]), nullptr);
}

TEST(WindowMgrTest, WindowClassesByIdentifier) {
    ClearWindowClasses();
    struct Made : CBaseWindow {};
    WindowFactory make = [] { return static_cast<CBaseWindow*>(new Made); };
    WindowFactory other = [] { return new CBaseWindow; };
    EXPECT_TRUE(RegisterWindowClass("TEAM_WINDOW", make));
    EXPECT_TRUE(RegisterWindowClass("TEAM_WINDOW", make));    // the same again
    EXPECT_FALSE(RegisterWindowClass("TEAM_WINDOW", other));  // a second class for it
    EXPECT_FALSE(RegisterWindowClass("", make));
    EXPECT_FALSE(RegisterWindowClass(nullptr, make));
    EXPECT_FALSE(RegisterWindowClass("X", nullptr));
    std::unique_ptr<CBaseWindow> w(CreateRegisteredWindow("TEAM_WINDOW"));
    EXPECT_NE(dynamic_cast<Made*>(w.get()), nullptr);
    EXPECT_EQ(CreateRegisteredWindow("team_window"), nullptr);
    EXPECT_EQ(CreateRegisteredWindow("MINI_TEAM_WINDOW"), nullptr);
    EXPECT_EQ(CreateRegisteredWindow(nullptr), nullptr);
    EXPECT_TRUE(IsWindowClassRegistered("TEAM_WINDOW"));
    EXPECT_EQ(RegisteredWindowClasses(), std::vector<std::string>{"TEAM_WINDOW"});
    ClearWindowClasses();
    EXPECT_EQ(CreateRegisteredWindow("TEAM_WINDOW"), nullptr);
}

// ---- Messages of the port ----

struct TimerWindow : TestWindow, ITimerWindow {
    TimerWindow() : TestWindow("TimerWindow") {}
    void StartTimer(const char* name, uint32_t value) override {
        calls.push_back("start " + std::string(name) + " " + std::to_string(value));
    }
    void EndTimer(const char* name, uint32_t kind) override {
        calls.push_back("end " + std::string(name) + " " + std::to_string(kind));
    }
    std::vector<std::string> calls;
};

void PostTimer(CWindowMgr& mgr, const char* name, uint32_t value, uint16_t action) {
    auto msg = std::make_unique<CTimerMsg>();
    msg->Set(name, value, action);
    PostMessageToPort(mgr.GetId(), mgr.GetPort(), 0, WM_MSG_TIMER, std::move(msg), nullptr);
}

TEST(WindowMgrTest, TimerMessagesWaitForTheTimerWindow) {
    qmtest::WindowDriver driver;
    CWindowMgr& mgr = driver.Mgr();
    PostTimer(mgr, "race", 30, 0);
    driver.Frame(3);
    EXPECT_EQ(mgr.GetPort()->Count(), 1);
    auto* timer = driver.Add(new TimerWindow);
    driver.Frame();
    EXPECT_EQ(timer->calls, std::vector<std::string>{"start race 30"});
    EXPECT_EQ(mgr.GetPort()->Count(), 0);
}

// Action 0 starts; k + 1 ends with kind k (an end of kind 0 is not a start).
TEST(WindowMgrTest, TimerActionsStartOrEnd) {
    qmtest::WindowDriver driver;
    auto* timer = driver.Add(new TimerWindow);
    struct Case {
        uint16_t action;
        const char* call;
    } cases[] = {{0, "start t 7"}, {1, "end t 0"}, {2, "end t 1"}, {255, "end t 254"}, {256, "end t 255"}};
    for (const Case& c : cases) {
        timer->calls.clear();
        PostTimer(driver.Mgr(), "t", 7, c.action);
        driver.Frame();
        EXPECT_EQ(timer->calls, std::vector<std::string>{c.call}) << int(c.action);
    }
}

TEST(WindowMgrTest, AtMost256MessagesWaitAndTheOldestGo) {
    qmtest::WindowDriver driver;
    CWindowMgr& mgr = driver.Mgr();
    for (uint32_t i = 0; i < 300; ++i) PostTimer(mgr, "t", i, 0);
    driver.Frame();
    ASSERT_EQ(mgr.GetPort()->Count(), MAX_WAITING_WINDOW_MESSAGES);
    auto* first = dynamic_cast<CTimerMsg*>(mgr.GetPort()->Peek()->m_pPayload.get());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->m_value, 300u - 256u);
}

// One window that takes every record, made under each target's name.
struct RecordWindow : TestWindow,
                      IClubBaseWindow,
                      IMainInterfaceWindow,
                      IEventLogWindow,
                      IWorldMapWindow,
                      IMiniTeamWindow {
    explicit RecordWindow(const char* name) : TestWindow(name) {}
    void SetClubInfo(const CClubInfoMsg& info) override {
        calls.push_back("info " + std::string(info.m_text5));
    }
    void SetMemberList(uint16_t count, uint32_t value, const CClubMemberRecord* records) override {
        calls.push_back("members " + std::to_string(count) + " " + std::to_string(value) + " " +
                        records[count - 1].m_firstName);
    }
    void UpdateMember(const CClubMemberMsg& m) override {
        calls.push_back("member " + std::string(m.m_name));
    }
    void StartBlink() override { calls.push_back("blink"); }
    void StopBlink() override {}
    void ShakeItemButton() override {}
    bool GetInventoryButtonPosition(int32_t*, int32_t*) override { return false; }
    void SetSkillIcon(int32_t) override {}
    void SetStyle(uint8_t) override {}
    uint8_t GetStyle() override { return 4; }
    void Minimize() override {}
    void Restore() override {}
    void AddLine(uint8_t a, uint8_t count, const char (*texts)[RECORD_TEXT_SIZE],
                 const uint32_t* values) override {
        calls.push_back("lines " + std::to_string(a) + " " + std::to_string(count) + " " + texts[count - 1] +
                        " " + std::to_string(values[count - 1]));
    }
    void SetKeyValueTable(uint8_t group, uint8_t count, const uint8_t* keys, const uint8_t* values) override {
        calls.push_back("table " + std::to_string(group) + " " + std::to_string(count) + " " +
                        std::to_string(keys[0]) + "=" + std::to_string(values[0]));
    }
    void SetKeyValue(uint8_t group, uint8_t key, uint8_t value) override {
        calls.push_back("value " + std::to_string(group) + " " + std::to_string(key) + "=" +
                        std::to_string(value));
    }
    void SetCurrentLocation(uint16_t stage) override { calls.push_back("stage " + std::to_string(stage)); }
    void AddAllMembers() override { calls.push_back("refill"); }
    std::vector<std::string> calls;
};

TEST(WindowMgrTest, RecordsReachTheirWindows) {
    struct Case {
        const char* window;
        uint32_t event;
        std::function<MsgDataPtr()> make;
        const char* call;  // null: nothing is called
    } cases[] = {
        {"Club_BaseWindow", WM_MSG_CLUB_INFO,
         [] {
             auto m = std::make_unique<CClubInfoMsg>();
             CopyRecordText(m->m_text5, "motto");
             return m;
         },
         "info motto"},
        {"Club_BaseWindow", WM_MSG_CLUB_MEMBER_LIST,
         [] {
             auto m = std::make_unique<CClubMemberListMsg>();
             m->m_count = 500;  // more than the record holds: the first hundred go
             m->m_clubValue = 9;
             CopyRecordText(m->m_records[99].m_firstName, "last");
             return m;
         },
         "members 100 9 last"},
        {"Club_BaseWindow", WM_MSG_CLUB_MEMBER,
         [] {
             auto m = std::make_unique<CClubMemberMsg>();
             CopyRecordText(m->m_name, "kim");
             return m;
         },
         "member kim"},
        {"Z5MAINWIN", WM_MSG_NOTICE_BLINK, [] { return std::make_unique<CNoticeBlinkMsg>(1); }, "blink"},
        {"Z5MAINWIN", WM_MSG_NOTICE_BLINK, [] { return std::make_unique<CNoticeBlinkMsg>(0); }, nullptr},
        {"EventLogWindow", WM_MSG_EVENT_LOG_LINES,
         [] {
             auto m = std::make_unique<CEventLogLinesMsg>();
             m->m_a = 2;
             m->m_count = 200;
             CopyRecordText(m->m_texts[99], "oldest");
             m->m_values[99] = 77;
             return m;
         },
         "lines 2 100 oldest 77"},
        {"EventLogWindow", WM_MSG_EVENT_LOG_TABLE,
         [] {
             auto m = std::make_unique<CEventLogTableMsg>();
             m->m_group = 4;
             m->m_count = 1;
             m->m_keys[0] = 5;
             m->m_values[0] = 6;
             return m;
         },
         "table 4 1 5=6"},
        {"EventLogWindow", WM_MSG_EVENT_LOG_VALUE,
         [] { return std::make_unique<CEventLogValueMsg>(1, 2, 3); }, "value 1 2=3"},
        {"World_Map_Interface", WM_MSG_WORLD_LOCATION,
         [] { return std::make_unique<CWorldLocationMsg>(1234); }, "stage 1234"},
        {"MINI_TEAM_WINDOW", WM_MSG_MINI_TEAM_REFILL, [] { return MsgDataPtr(); }, "refill"},
        // A record of another kind than its id says is dropped unread.
        {"World_Map_Interface", WM_MSG_WORLD_LOCATION, [] { return std::make_unique<CNoticeBlinkMsg>(1); },
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.window) + " " + std::to_string(c.event));
        qmtest::WindowDriver driver;
        CWindowMgr& mgr = driver.Mgr();
        PostMessageToPort(0, mgr.GetPort(), 0, c.event, c.make(), nullptr);
        driver.Frame();
        EXPECT_EQ(mgr.GetPort()->Count(), 1);  // waits for its window
        auto* w = driver.Add(new RecordWindow(c.window));
        driver.Frame();
        EXPECT_EQ(mgr.GetPort()->Count(), 0);
        EXPECT_EQ(w->calls, c.call ? std::vector<std::string>{c.call} : std::vector<std::string>{});
    }
}

TEST(WindowMgrTest, UnknownEventsAndWindowsOfAnotherClassDropTheMessage) {
    qmtest::WindowDriver driver;
    CWindowMgr& mgr = driver.Mgr();
    driver.Add(new TestWindow("TimerWindow"));  // not a timer window
    PostTimer(mgr, "t", 1, 0);
    PostMessageToPort(0, mgr.GetPort(), 0, 123, nullptr, nullptr);
    driver.Frame();
    EXPECT_EQ(mgr.GetPort()->Count(), 0);
}

// Event 9 from sender 24 with a non-zero extra word opens an http(s) address
// and asks the program to quit; any other address is not opened.
TEST(WindowMgrTest, WebPageRequestOpensOnlyWebAddresses) {
    struct Case {
        uint32_t sender;
        uint32_t extra;
        std::string url;
        bool opened;
        bool quit;
    } cases[] = {
        {24, 1, "http://example.org/", true, true},
        {24, 1, "HTTPS://example.org/a?b", true, true},
        {24, 0, "http://example.org/", false, false},
        {23, 1, "http://example.org/", false, false},
        {24, 1, "file:///etc/passwd", false, true},
        {24, 1, "javascript:alert(1)", false, true},
        {24, 1, "http://a\nb", false, true},
        {24, 1, "http://a\x7f", false, true},
        {24, 1, "", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        qmtest::WindowDriver driver;
        plat::ScopedUrlRecorder urls;
        g_quit = false;
        PostMessageToPortEx(c.sender, driver.Mgr().GetPort(), 0, WM_MSG_OPEN_URL, nullptr,
                            std::make_unique<CMsgText>(c.url), c.extra);
        driver.Frame();
        EXPECT_EQ(urls.m_urls, c.opened ? std::vector<std::string>{c.url} : std::vector<std::string>{});
        EXPECT_EQ(g_quit, c.quit);
        EXPECT_EQ(driver.Mgr().GetPort()->Count(), 0);
        g_quit = false;
    }
}

// ---- Mouse buttons before input ----

TEST(WindowMgrTest, APressHidesHideOnClickWindowsAndClosesTheHealWindow) {
    qmtest::WindowDriver driver;
    CWindowMgr& mgr = driver.Mgr();
    auto* plain = driver.Add(new TestWindow("PLAIN", 400, 0));
    auto* menu = driver.Add(new TestWindow("MENU", 0, 0));
    auto* heal = driver.Add(new TestWindow(NPC_HEAL_WINDOW_NAME, 200, 0));
    menu->m_hideOnClick = heal->m_hideOnClick = 1;
    menu->SetActive(true, false);
    CWeakRef healRef(heal);
    driver.Click(0, 50, 50);  // on the menu
    driver.Frame();
    EXPECT_FALSE(menu->IsDrawOn());
    EXPECT_EQ(menu->m_inputs, 0);  // hidden before the press reached it
    EXPECT_FALSE(Alive(healRef));
    // The active menu went, so the topmost shown window was activated (and
    // then missed by the press).
    EXPECT_EQ(plain->m_inputs, 1);
    EXPECT_EQ(Names(mgr.TopLevelWindows()), (std::vector<std::string>{"MENU", "PLAIN"}));
}

TEST(WindowMgrTest, WhileAWindowIsHeldAPressClosesOnlyPopupsOutsideTheMouse) {
    qmtest::WindowDriver driver;
    driver.UseCursor();
    auto* held = driver.Add(new TestWindow("HELD", 0, 0));
    auto* menu = driver.Add(new TestWindow("MENU", 0, 200));
    auto* under = driver.Add(new TestWindow("POPUP_UNDER", 0, 0, 50, 50));
    auto* away = driver.Add(new TestWindow("POPUP_AWAY", 300, 300));
    menu->m_hideOnClick = 1;
    under->m_closeOnOutsideClick = away->m_closeOnOutsideClick = 1;
    driver.Cursor().m_held.Assign(held);
    CWeakRef awayRef(away);
    driver.Press(0, 10, 10);
    driver.Frame();
    EXPECT_TRUE(menu->IsDrawOn());
    EXPECT_TRUE(under->IsDrawOn());
    EXPECT_FALSE(Alive(awayRef));
    // The release drops the held window.
    driver.Release(0, 10, 10);
    driver.Frame();
    EXPECT_EQ(driver.Cursor().GetHeldObject(), nullptr);
    EXPECT_EQ(driver.Cursor().m_drops, 1);
}

// ---- The phases ----

struct FakeEvents : IUiEventState {
    bool running = false;
    bool IsEventRunning() override { return running; }
    bool IsHideFlagSet() override { return false; }
    void SetControlLock(bool) override {}
};

TEST(WindowMgrTest, WindowsMarkedForEventsSitThemOut) {
    qmtest::WindowDriver driver;
    FakeEvents events;
    ScopedUiEventState scoped(events);
    struct Case {
        uint8_t hide, keep;
        bool running;
        bool drawn, updated, input;
    } cases[] = {
        {0, 0, true, true, true, true},  {1, 0, true, false, false, false}, {1, 1, true, true, true, false},
        {1, 0, false, true, true, true}, {0, 1, true, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.hide) << int(c.keep) << c.running);
        auto* w = driver.Add(new TestWindow("W"));
        w->m_hideDuringEvents = c.hide;
        w->m_keepDuringEvents = c.keep;
        events.running = c.running;
        driver.DrawFrames(true);
        driver.Frame();
        EXPECT_EQ(w->m_draws, c.drawn ? 1 : 0);
        EXPECT_EQ(w->m_updates, c.updated ? 1 : 0);
        EXPECT_EQ(w->m_inputs, c.input ? 1 : 0);
        driver.Mgr().RemoveWindow(w);
    }
}

TEST(WindowMgrTest, DrawOnTopWindowsComeInASecondPass) {
    qmtest::WindowDriver driver;
    Log order;
    struct Drawn : TestWindow {
        using TestWindow::TestWindow;
        bool Draw() override {
            m_log->push_back(GetName());
            return true;
        }
    };
    auto* top = driver.Add(new Drawn("ON_TOP", 0, 0, 10, 10, &order));
    driver.Add(new Drawn("LOW", 0, 0, 10, 10, &order));
    driver.Add(new Drawn("HIGH", 0, 0, 10, 10, &order));
    top->m_drawOnTop = 1;
    driver.Mgr().Draw();
    EXPECT_EQ(order, (Log{"LOW", "HIGH", "ON_TOP"}));
}

struct FakeBoxes : IMessageBoxState {
    std::vector<CBaseWindow*> autoClose, kept;
    bool IsAutoClose(CBaseWindow* box) override {
        return std::find(autoClose.begin(), autoClose.end(), box) != autoClose.end();
    }
    bool IsKept(CBaseWindow* box) override { return std::find(kept.begin(), kept.end(), box) != kept.end(); }
};

TEST(WindowMgrTest, MessageBoxesThatStopUpdatingClose) {
    qmtest::WindowDriver driver;
    FakeBoxes boxes;
    ScopedMessageBoxState scoped(boxes);
    auto* autoClose = driver.Add(new TestWindow(MESSAGE_BOX_NAME));
    auto* stays = driver.Add(new TestWindow(MESSAGE_BOX_NAME));
    auto* autoHide = driver.Add(new TestWindow(AUTOHIDE_MESSAGE_BOX_NAME));
    auto* running = driver.Add(new TestWindow(AUTOHIDE_MESSAGE_BOX_NAME));
    boxes.autoClose = {autoClose};
    for (CBaseWindow* w : {autoClose, stays, autoHide}) w->SetUpdateOn(false);
    CWeakRef a(autoClose), b(stays), c(autoHide), d(running);
    driver.Frame();
    EXPECT_FALSE(Alive(a));
    EXPECT_TRUE(Alive(b));
    EXPECT_FALSE(Alive(c));
    EXPECT_TRUE(Alive(d));

    // Map and scene changes close the boxes at once, except the kept ones.
    auto* kept = driver.Add(new TestWindow(MESSAGE_BOX_NAME));
    boxes.kept = {kept};
    driver.Mgr().CloseMessageBoxes();
    EXPECT_FALSE(Alive(b));
    EXPECT_EQ(driver.Mgr().FindWindowByName(MESSAGE_BOX_NAME), kept);
}

TEST(WindowMgrTest, UpdateTellsTheCursorAboutTheTopmostWindowUnderTheMouse) {
    qmtest::WindowDriver driver;
    driver.UseCursor();
    auto* low = driver.Add(new TestWindow("LOW", 0, 0));
    auto* high = driver.Add(new TestWindow("HIGH", 50, 50));
    driver.Add(new TestWindow("ELSEWHERE", 500, 500));
    driver.Mgr().RenumberZOrder();
    driver.Cursor().m_text = "field text";
    driver.MoveTo(60, 60);
    driver.Frame();
    EXPECT_TRUE(driver.Cursor().m_overWindow);
    EXPECT_EQ(driver.Cursor().m_windowLayer, high->GetStackNumber());
    EXPECT_EQ(driver.Cursor().m_shape, 0);
    EXPECT_EQ(driver.Cursor().m_mouseX, 60);
    EXPECT_EQ(driver.Cursor().m_text, "");
    EXPECT_TRUE(driver.Mgr().IsMouseOverWindow());
    EXPECT_EQ(driver.Mgr().GetWindowAt(60, 60), nullptr);  // nothing pickable
    low->m_pickable = high->m_pickable = 1;
    EXPECT_EQ(driver.Mgr().GetWindowAt(60, 60), high);
    EXPECT_EQ(driver.Mgr().GetWindowAt(10, 10), low);
    high->Hide();
    EXPECT_EQ(driver.Mgr().GetWindowAt(60, 60), low);
    driver.MoveTo(700, 10);
    driver.Frame();
    EXPECT_FALSE(driver.Cursor().m_overWindow);
    EXPECT_FALSE(driver.Mgr().IsMouseOverWindow());
}

TEST(WindowMgrTest, HideTopWindowPassesOverKeptAndDockedWindows) {
    qmtest::WindowDriver driver;
    CWindowMgr& mgr = driver.Mgr();
    auto* free1 = driver.Add(new TestWindow("FREE"));
    auto* docked = driver.Add(new TestWindow("DOCKED"));
    auto* kept = driver.Add(new TestWindow("KEPT"));
    docked->SetStateValue(WINDOW_STATE_DOCKED);
    kept->m_keepOpen = 1;
    EXPECT_TRUE(mgr.HideTopWindow());
    EXPECT_FALSE(free1->IsDrawOn());
    EXPECT_TRUE(kept->IsActiveFlag());  // the topmost shown window
    EXPECT_FALSE(mgr.HideTopWindow());
}

TEST(WindowMgrTest, PostToAllWindowsTopmostFirst) {
    qmtest::WindowDriver driver;
    auto* a = driver.Add(new TestWindow("A"));
    auto* b = driver.Add(new TestWindow("B"));
    driver.Mgr().PostToAllWindows(42);
    EXPECT_EQ(a->GetPort()->Count(), 1);
    EXPECT_EQ(b->GetPort()->Count(), 1);
    EXPECT_EQ(b->GetPort()->Peek()->m_eventId, 42u);
}

TEST(WindowMgrTest, DroppedAnimationsGoToTheComboSetupWindowUnderTheMouse) {
    qmtest::WindowDriver driver;
    struct Combo : TestWindow, IAniDropTarget {
        Combo() : TestWindow(COMBO_SETUP_WINDOW_NAME, 0, 0) {}
        void OnAniObjectDrop(CAniObject* object) override { dropped.push_back(object); }
        std::vector<CAniObject*> dropped;
    };
    auto* combo = driver.Add(new Combo);
    driver.Add(new TestWindow("ABOVE", 200, 0));
    CAniObject object;
    driver.MoveTo(10, 10);
    driver.Frame();
    driver.Mgr().DropAniObject(&object);
    EXPECT_EQ(combo->dropped, std::vector<CAniObject*>{&object});
    object.BeginDrag(1);  // a drag that carries data is not the window's
    driver.Mgr().DropAniObject(&object);
    object.BeginDrag(0);
    driver.MoveTo(210, 10);  // over another window
    driver.Frame();
    driver.Mgr().DropAniObject(&object);
    EXPECT_EQ(combo->dropped.size(), 1u);
}

}  // namespace
