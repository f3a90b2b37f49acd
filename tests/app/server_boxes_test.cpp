// The message boxes the server-message handlers show, through the program's
// own service over the window manager, and the windows' requests over the
// game session.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/server_windows.h"
#include "core/app_state.h"
#include "graphics/display_settings.h"
#include "platform/keyboard.h"
#include "platform/url.h"
#include "tests/support/window_driver.h"
#include "ui/button.h"
#include "ui/message_box.h"
#include "ui/window_messages.h"

namespace {

class ServerBoxesTest : public ::testing::Test {
protected:
    ServerBoxesTest() { GetDisplaySettings() = CDisplaySettings{}; }
    std::vector<CMessageBox*> Boxes() {
        std::vector<CBaseWindow*> found;
        m_driver.Mgr().FindAllWindowsByName(MESSAGE_BOX_NAME, &found);
        std::vector<CMessageBox*> boxes;
        for (CBaseWindow* w : found) boxes.push_back(dynamic_cast<CMessageBox*>(w));
        return boxes;
    }
    static std::string FirstRow(CMessageBox* box) {
        return box->Text().Row(0).empty() ? "" : box->Text().Row(0).front().text;
    }

    qmtest::WindowDriver m_driver;
    CServerMessageBoxes m_service;
    ScopedServerMessageBoxes m_use{&m_service};
    CMessageBoxFlags m_flags;
    ScopedMessageBoxState m_useFlags{m_flags};
};

TEST_F(ServerBoxesTest, ANoticeShowsWithOkAloneAndClosesItself) {
    ShowServerNotice("refused");
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    CMessageBox* box = boxes.front();
    EXPECT_EQ(FirstRow(box), "refused");
    EXPECT_TRUE(box->GetOkButton()->IsDrawOn());
    EXPECT_FALSE(box->GetCancelButton()->IsDrawOn());
    EXPECT_TRUE(box->IsAutoClose());
    EXPECT_TRUE(box->IsActiveFlag());
    EXPECT_FALSE(box->IsKept());
}

TEST_F(ServerBoxesTest, APageQuestionIsKeptAndEitherAnswerHandsOverTheAddress) {
    plat::ScopedUrlRecorder urls;
    AskToOpenPage("Update?", "https://example.com/up");
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    CMessageBox* box = boxes.front();
    EXPECT_EQ(FirstRow(box), "Update?");
    EXPECT_TRUE(box->IsKept());
    EXPECT_EQ(box->GetKindId(), OPEN_URL_SENDER);
    EXPECT_TRUE(box->GetCancelButton()->IsDrawOn());
    EXPECT_EQ(box->GetY(), 300 - 100);
    m_driver.Mgr().CloseMessageBoxes();
    ASSERT_EQ(Boxes().size(), 1u);  // a scene change keeps it
    // OK: the manager opens the page (and the program ends, as for every page it opens).
    box->SetActive(true, false);
    m_driver.Key(0x1C, plat::VK_RETURN);
    m_driver.Frame();
    m_driver.Mgr().ProcessMessages();
    EXPECT_EQ(urls.m_urls, std::vector<std::string>{"https://example.com/up"});
    EXPECT_TRUE(g_quit);
    g_quit = false;
}

}  // namespace
