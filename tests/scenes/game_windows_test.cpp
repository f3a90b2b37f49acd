// The in-game window set on test window classes: stacking, links, the request
// box, unregistered classes skipped and the close order leaving none.
#include "scenes/game_windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/message.h"
#include "tests/support/window_driver.h"
#include "tests/ui/test_windows.h"
#include "ui/message_box.h"
#include "ui/window_links.h"

using uitest::TestWindow;

namespace {

std::vector<std::string> g_links;

// A window of the set that records the links it is given.
class LinkedWindow : public TestWindow, public IWindowLink {
public:
    explicit LinkedWindow(const char* name) : TestWindow(name) {}
    void LinkWindow(CBaseWindow* other) override {
        g_links.push_back(std::string(GetName()) + "->" + other->GetName());
    }
};

// Registers a test class that makes a LinkedWindow named after its identifier.
template <size_t N>
struct Named {
    static const char* s_name;
    static CBaseWindow* Make() { return new LinkedWindow(s_name); }
};
template <size_t N>
const char* Named<N>::s_name = nullptr;

template <size_t... I>
void RegisterAll(const std::vector<std::string>& names, std::index_sequence<I...>) {
    ((I < names.size()
          ? (Named<I>::s_name = names[I].c_str(), RegisterWindowClass(names[I].c_str(), &Named<I>::Make))
          : false),
     ...);
}

class GameWindowSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearWindowClasses();
        g_links.clear();
    }
    void TearDown() override { ClearWindowClasses(); }

    void Register(const std::vector<std::string>& names) {
        m_names = names;
        RegisterAll(m_names, std::make_index_sequence<64>{});
    }

    std::vector<std::string> Stack() {
        std::vector<std::string> out;
        for (CBaseWindow* w : m_driver.Mgr().TopLevelWindows()) out.push_back(w->GetName());
        return out;
    }

    qmtest::WindowDriver m_driver;
    std::vector<std::string> m_names;
};

TEST_F(GameWindowSetTest, StacksTheMainInterfaceLowestAndTheDepositAndRequestBoxTopmost) {
    Register({"Z5MAINWIN", "CLUB_DEPOSIT_WINDOW", "MSGWIN", "CHATWIN", "HEADWORDWIN", "SYSTEM_WINDOW",
              "ComboTimer", "1V1ChatWin0", "1V1ChatWin4", "1V1IDEDIT4", "1V1TALKEDIT4", "NAME_MEMO_WIN",
              "EmoticonWindow", "CChatMacroWindow", "CHATMACROEDITBOX9", "ABNORMAL_STATUS_ICON_WIN",
              "NUMBER_EDIT_CONTROL"});
    CGameWindowSet set;
    CMsgPort port;
    set.Create(m_driver.Mgr(), &port, false);

    const std::vector<std::string> stack = Stack();
    ASSERT_FALSE(stack.empty());
    EXPECT_EQ(stack.front(), "Z5MAINWIN");
    ASSERT_GE(stack.size(), 3u);
    EXPECT_EQ(stack[stack.size() - 2], "CLUB_DEPOSIT_WINDOW");
    EXPECT_EQ(stack.back(), GAME_REQUEST_BOX_NAME);
    // Added at the head one after another: the last added lies lowest.
    auto at = [&](const char* name) { return std::find(stack.begin(), stack.end(), name) - stack.begin(); };
    EXPECT_LT(at("CChatMacroWindow"), at("1V1ChatWin4"));
    EXPECT_LT(at("1V1ChatWin4"), at("1V1ChatWin0"));
    EXPECT_LT(at("1V1ChatWin0"), at("MSGWIN"));
    EXPECT_LT(at("SYSTEM_WINDOW"), at("ComboTimer"));
    EXPECT_LT(at("ComboTimer"), at("NAME_MEMO_WIN"));  // the memo window went on top at once

    // Unregistered classes make nothing; every made window is the manager's.
    EXPECT_EQ(set.Get("TRADE_WINDOW"), nullptr);
    EXPECT_EQ(set.Get("1V1ChatWin2"), nullptr);
    for (const std::string& name : set.Identifiers())
        EXPECT_NE(m_driver.Mgr().HasWindow(set.Get(name.c_str())), nullptr) << name;

    // Visibility: hidden by the set, or left as the window made itself.
    EXPECT_FALSE(set.Get("SYSTEM_WINDOW")->IsVisibleInTree());
    EXPECT_FALSE(set.Get("1V1ChatWin4")->IsVisibleInTree());
    EXPECT_FALSE(set.Get("CLUB_DEPOSIT_WINDOW")->IsVisibleInTree());
    EXPECT_TRUE(set.Get("MSGWIN")->IsVisibleInTree());
    EXPECT_TRUE(set.Get("ComboTimer")->IsVisibleInTree());
    EXPECT_EQ(set.Get("Z5MAINWIN")->GetX(), 3);
    EXPECT_EQ(set.Get("Z5MAINWIN")->GetY(), 2);
    EXPECT_EQ(set.Get("CHATWIN")->GetX(), 164);
    EXPECT_EQ(set.Get("HEADWORDWIN")->GetX(), 30);
    EXPECT_EQ(set.Get("NUMBER_EDIT_CONTROL")->GetX(), 100);

    EXPECT_EQ(g_links,
              (std::vector<std::string>{"1V1IDEDIT4->1V1ChatWin4", "1V1TALKEDIT4->1V1ChatWin4",
                                        "EmoticonWindow->CChatMacroWindow",
                                        "CHATMACROEDITBOX9->CChatMacroWindow", "CHATWIN->MSGWIN",
                                        "HEADWORDWIN->MSGWIN", "MSGWIN->CHATWIN", "MSGWIN->HEADWORDWIN"}));
}

TEST_F(GameWindowSetTest, RequestBoxIsKeptAndAnswersTheSceneWithMessage9) {
    CGameWindowSet set;
    CMsgPort port;
    set.Create(m_driver.Mgr(), &port, false);
    CMessageBox* box = set.GetRequestBox();
    ASSERT_NE(box, nullptr);
    EXPECT_STREQ(box->GetName(), GAME_REQUEST_BOX_NAME);
    EXPECT_TRUE(box->IsKept());
    EXPECT_EQ(box->GetKindId(), GAME_REQUEST_BOX_KIND);
    EXPECT_FALSE(box->IsVisibleInTree());
    // The map change's closing of message boxes passes it by.
    m_driver.Mgr().CloseMessageBoxes();
    EXPECT_EQ(set.GetRequestBox(), box);
}

TEST_F(GameWindowSetTest, ComboTimerStartsHiddenOnANoBattleMap) {
    Register({"ComboTimer"});
    CGameWindowSet set;
    CMsgPort port;
    set.Create(m_driver.Mgr(), &port, true);
    ASSERT_NE(set.Get("ComboTimer"), nullptr);
    EXPECT_FALSE(set.Get("ComboTimer")->IsVisibleInTree());
}

TEST_F(GameWindowSetTest, CloseLeavesNoWindowOfTheSetAndHidesTheDepositWindow) {
    Register({"Z5MAINWIN", "CLUB_DEPOSIT_WINDOW", "MSGWIN", "1V1ChatWin3", "1V1IDEDIT3", "1V1TALKEDIT3",
              "NAME_MEMO_WIN", "MESSAGE_BOX"});
    CGameWindowSet set;
    CMsgPort port;
    set.Create(m_driver.Mgr(), &port, false);
    // Windows play made on demand.
    m_driver.Add(new TestWindow("FightClubNoticeWin"));
    m_driver.Add(new TestWindow("CTF_WAITROOM"));
    auto* deposit = m_driver.Add(new TestWindow("DepositWindow"));
    auto* other = m_driver.Add(new TestWindow("SomeoneElse"));
    CWeakRef keepDeposit(deposit), keepOther(other);

    set.Close(&m_driver.Mgr());
    m_driver.Frame();  // the manager closes them through its port
    EXPECT_EQ(Stack(), (std::vector<std::string>{"DepositWindow", "SomeoneElse"}));
    ASSERT_TRUE(keepDeposit);
    EXPECT_FALSE(deposit->IsVisibleInTree());
    EXPECT_TRUE(set.Identifiers().empty());
    EXPECT_EQ(set.GetRequestBox(), nullptr);
}

TEST(GameWindowCloseOrderTest, ClosesEverySetWindowOnceAndTheMainInterfaceLast) {
    const std::vector<std::string>& order = GameWindowCloseOrder();
    EXPECT_EQ(order.front(), GAME_REQUEST_BOX_NAME);
    EXPECT_EQ(order.back(), "Z5MAINWIN");
    std::vector<std::string> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
    // Each 1:1 chat window after its two edit boxes.
    auto at = [&](const char* name) { return std::find(order.begin(), order.end(), name) - order.begin(); };
    EXPECT_LT(at("1V1TALKEDIT2"), at("1V1ChatWin2"));
    EXPECT_LT(at("CHATMACROEDITBOX9"), at("CChatMacroWindow"));
}

}  // namespace
