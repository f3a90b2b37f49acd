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

// A named notice (the pet windows' warnings) shows one box of its name at
// a time; once the user has answered it, the next notice of the name shows
// again, every time.
TEST_F(ServerBoxesTest, ANamedNoticeShowsAgainOnceAnswered) {
    constexpr char kName[] = "Pet_Warning_MessageBox";
    const auto named = [&] {
        std::vector<CBaseWindow*> found;
        m_driver.Mgr().FindAllWindowsByName(kName, &found);
        return found;
    };
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE(round);
        ShowNamedServerNotice(kName, ("hungry " + std::to_string(round)).c_str());
        ShowNamedServerNotice(kName, "not while the first is open");
        ASSERT_EQ(named().size(), 1u);
        auto* box = dynamic_cast<CMessageBox*>(named().front());
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->IsDrawOn());
        EXPECT_EQ(FirstRow(box), "hungry " + std::to_string(round));
        // The user answers it.
        m_driver.Key(0x1C, plat::VK_RETURN);
        m_driver.Frame(2);
        EXPECT_TRUE(!m_driver.Mgr().HasWindow(box) || !box->IsDrawOn()) << "answered, it hides";
    }
}

}  // namespace
