// The log-in window: the remembered account id, the wait for the answer and
// where the focus goes after a refusal.
#include "windows/play/login_window.h"

#include <gtest/gtest.h>

#include <string>

#include "data/text_tables.h"
#include "platform/keyboard.h"
#include "platform/paths.h"
#include "tests/windows/play/play_fixture.h"
#include "ui/edit_box.h"
#include "ui/message_box.h"

using playtest::PlayWindowTest;

namespace {

std::string SavedIdBytes(uint32_t count, const std::string& bytes) {
    std::string file(4, '\0');
    for (int i = 0; i < 4; ++i) file[size_t(i)] = char((count >> (8 * i)) & 0xFF);
    return file + bytes;
}

class LoginWindowTest : public PlayWindowTest {
protected:
    LoginWindowTest() {
        Connect();
        m_login = m_driver.Add(new CInsertAccountWindow);
        m_login->SetSize(280, 190);
        m_login->SetActive(true, false);
    }
    // Logs in as "alice" and leaves the wait running.
    void Submit() {
        m_login->GetAccountBox()->SetText("alice");
        m_login->GetPasswordBox()->SetText("secret");
        m_login->SubmitLogin();
        ASSERT_TRUE(m_login->IsWaiting());
    }
    int32_t MessageBoxes() {
        std::vector<CBaseWindow*> boxes;
        return m_driver.Mgr().FindAllWindowsByName(MESSAGE_BOX_NAME, &boxes);
    }

    CInsertAccountWindow* m_login = nullptr;
};

TEST_F(LoginWindowTest, SavedIdFileRoundTripAndDamagedFiles) {
    ASSERT_TRUE(WriteSavedAccountId("alice"));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(plat::ReadWholeFile(SAVED_ID_FILE, bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), SavedIdBytes(5, "alice"));
    EXPECT_EQ(ReadSavedAccountId(), "alice");
    EXPECT_FALSE(WriteSavedAccountId("seventeen-letters"));
    EXPECT_EQ(ReadSavedAccountId(), "alice");

    const struct {
        const char* what;
        std::string file;
        std::string id;
    } cases[] = {
        {"sixteen bytes", SavedIdBytes(16, "0123456789abcdef"), "0123456789abcdef"},
        {"count above sixteen", SavedIdBytes(17, "0123456789abcdefg"), ""},
        {"huge count", SavedIdBytes(0xFFFFFFFF, "alice"), ""},
        {"count past the file", SavedIdBytes(6, "alice"), ""},
        {"short", std::string("\x05\0", 2), ""},
        {"empty id", SavedIdBytes(0, ""), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_dir.WriteFile(SAVED_ID_FILE, c.file);
        EXPECT_EQ(ReadSavedAccountId(), c.id);
    }
}

TEST_F(LoginWindowTest, TheFileIsUsedOnlyWhileTheIdIsRemembered) {
    m_dir.WriteFile(SAVED_ID_FILE, SavedIdBytes(3, "bob"));
    m_login->LoadSavedID();
    EXPECT_STREQ(m_login->GetAccountBox()->GetCurrentText(), "");
    EXPECT_TRUE(m_login->GetAccountBox()->IsFocused());
    Submit();
    EXPECT_EQ(ReadSavedAccountId(), "bob");  // untouched

    g_options.SetByte(OPT_REMEMBER_ID, 1);
    GameSession().PostSessionNotice(1, 0, "no");
    m_driver.Frame();
    m_login->LoadSavedID();
    EXPECT_STREQ(m_login->GetAccountBox()->GetCurrentText(), "bob");
    EXPECT_TRUE(m_login->GetPasswordBox()->IsFocused());
    Submit();
    EXPECT_EQ(ReadSavedAccountId(), "alice");
}

TEST_F(LoginWindowTest, ClickingTheRememberBoxSwitchesItAndSavesTheOptions) {
    const int32_t x = m_login->GetX() + 260, y = m_login->GetY() + 70;
    m_driver.Click(0, x, y);
    m_driver.Frame(2);
    EXPECT_EQ(g_options.GetByte(OPT_REMEMBER_ID), 1);
    COptions saved = g_options;
    g_options = COptions{};
    LoadOptions();
    EXPECT_EQ(g_options.GetByte(OPT_REMEMBER_ID), 1);
    g_options = saved;
    m_driver.Clock().Advance(1000);  // not a double click
    // Without a picture the window has no rectangle, so the manager took the
    // click as one outside every window and deactivated it.
    m_login->SetActive(true, false);
    m_driver.Click(0, x, y);
    m_driver.Frame(2);
    EXPECT_EQ(g_options.GetByte(OPT_REMEMBER_ID), 0);
}

TEST_F(LoginWindowTest, TheLogInGoesOutAndEnterWhileWaitingDoesNothing) {
    Submit();
    EXPECT_STREQ(GameSession().m_account, "alice");
    const size_t queued = GameSession().QueuedMessages();
    EXPECT_GE(queued, 1u);
    EXPECT_FALSE(m_login->GetButton(CInsertAccountWindow::kConnect)->IsInputOn());
    EXPECT_TRUE(m_login->GetButton(CInsertAccountWindow::kConnect)->IsDrawOn());
    Key(playtest::kScanEnter, plat::VK_RETURN);
    EXPECT_EQ(GameSession().QueuedMessages(), queued);
    Key(playtest::kScanEscape, plat::VK_ESCAPE);
    EXPECT_EQ(m_login->GetResult(), LOGIN_RESULT_NONE);
}

TEST_F(LoginWindowTest, RefusalTextsUpTo44BytesShowInTheStatusLine) {
    for (size_t length : {size_t(44), size_t(45), size_t(300)}) {
        SCOPED_TRACE(length);
        const std::string text(length, 'x');
        Submit();
        GameSession().PostSessionNotice(1, 0, text.c_str());
        const int32_t boxes = MessageBoxes();
        m_driver.Frame();
        EXPECT_FALSE(m_login->IsWaiting());
        EXPECT_TRUE(m_login->GetButton(CInsertAccountWindow::kConnect)->IsInputOn());
        if (length == 44) {
            EXPECT_EQ(m_login->GetMessageLine(), text);
            EXPECT_EQ(MessageBoxes(), boxes);
        } else {
            EXPECT_STREQ(m_login->GetMessageLine(), GetTableText(14, 325));
            EXPECT_EQ(MessageBoxes(), boxes + 1);
        }
    }
}

TEST_F(LoginWindowTest, TheLoginStateNamesTheBoxToFocus) {
    const struct {
        int32_t state;
        bool account, password;
    } cases[] = {{3, true, false}, {21, true, false}, {5, false, true}, {22, false, true}, {4, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        Submit();
        GameSession().PostSessionNotice(1, 0, "refused");
        GameSession().m_loginResult = c.state;
        m_driver.Frame();
        EXPECT_EQ(m_login->GetAccountBox()->IsFocused(), c.account);
        EXPECT_EQ(m_login->GetPasswordBox()->IsFocused(), c.password);
    }
}

TEST_F(LoginWindowTest, TheWaitEndsByAnswerTimeOrLostConnection) {
    Submit();
    GameSession().PostSessionNotice(1, 1, "");
    m_driver.Frame();
    EXPECT_EQ(m_login->GetResult(), LOGIN_RESULT_LOGGED_IN);
    EXPECT_FALSE(m_login->IsWaiting());

    m_login->SetResult(LOGIN_RESULT_NONE);
    m_driver.SetFrameTime(0);
    Submit();
    const int32_t boxes = MessageBoxes();
    m_driver.Clock().Advance(LOGIN_WAIT_MS);
    m_driver.Frame();
    EXPECT_TRUE(m_login->IsWaiting());
    m_driver.Clock().Advance(1);
    m_driver.Frame();
    EXPECT_FALSE(m_login->IsWaiting());
    EXPECT_EQ(MessageBoxes(), boxes + 1);
    EXPECT_EQ(m_login->GetResult(), LOGIN_RESULT_NONE);

    Submit();
    g_connection->Close();
    m_driver.Frame();
    EXPECT_FALSE(m_login->IsWaiting());
    EXPECT_EQ(MessageBoxes(), boxes + 1);
    EXPECT_TRUE(m_login->GetButton(CInsertAccountWindow::kCancel)->IsInputOn());
}

TEST_F(LoginWindowTest, TheWaitGoesOnWhileMovingToTheNextServer) {
    // Accepted log-ins may move the client to another server: that connect
    // is pending when the notice comes.
    Submit();
    GameSession().SetEstablished(1);
    m_sockets.HoldNextConnects(1);
    g_connection->Connect(plat::MakeIPv4(127, 0, 0, 1), 40001);
    m_driver.Frame();
    EXPECT_TRUE(m_login->IsWaiting());
    GameSession().PostSessionNotice(1, 1, "");
    m_driver.Frame();
    EXPECT_EQ(m_login->GetResult(), LOGIN_RESULT_LOGGED_IN);
}

TEST_F(LoginWindowTest, TabMovesBetweenTheBoxes) {
    m_login->LoadSavedID();
    ASSERT_TRUE(m_login->GetAccountBox()->IsFocused());
    Key(playtest::kScanTab, plat::VK_TAB);
    EXPECT_TRUE(m_login->GetPasswordBox()->IsFocused());
    Key(playtest::kScanTab, plat::VK_TAB);
    EXPECT_TRUE(m_login->GetAccountBox()->IsFocused());
}

TEST_F(LoginWindowTest, CancelReconnectsWithoutTheClockMoving) {
    playtest::SessionPoster poster;
    plat::ScopedSocketNotifyPoster posterScope(poster);
    m_sockets.ClearCalls();
    m_sockets.HoldNextConnects(1);
    const uint32_t before = plat::timeGetTime();
    m_login->CancelLogin();
    EXPECT_EQ(plat::timeGetTime(), before);
    EXPECT_EQ(m_login->GetResult(), LOGIN_RESULT_BACK);
    ASSERT_GE(m_sockets.Calls().size(), 4u);
    EXPECT_EQ(m_sockets.Calls()[1], "close");
    EXPECT_EQ(m_sockets.Calls()[4], "connect 127.0.0.1:40000 timeout 10000 held");
    EXPECT_TRUE(g_connection->IsConnecting());

    // A log-in meanwhile sends nothing and ends its wait quietly.
    m_login->SetResult(LOGIN_RESULT_NONE);
    const int32_t boxes = MessageBoxes();
    Submit();
    m_driver.Frame();
    EXPECT_FALSE(m_login->IsWaiting());
    EXPECT_EQ(GameSession().QueuedMessages(), 0u);
    EXPECT_EQ(MessageBoxes(), boxes);

    m_sockets.CompleteConnect(g_connection->Socket());
    plat::PumpSocketNotifications();
    EXPECT_TRUE(IsServerConnected());
}

}  // namespace
