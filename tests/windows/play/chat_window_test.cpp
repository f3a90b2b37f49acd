// The chat window ("MSGWIN"): messages of every kind into coloured lines, the
// kept 300, the log, the chat modes with their headwords, the icons and
// buttons through the real input, resizing and the saved settings.
#include "windows/play/chat_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/error_box.h"
#include "platform/local_time.h"
#include "tests/support/data_fixtures.h"
#include "tests/ui/test_windows.h"
#include "tests/windows/play/chat_fixture.h"
#include "ui/button.h"
#include "ui/game_scene_windows.h"
#include "ui/scroll_bar.h"
#include "ui/window_layout.h"
#include "windows/play/char_message_window.h"
#include "windows/play/chat_text.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"

namespace {

using chattest::ChatFixture;

// The club window as the chat sees it.
struct ClubWindow : uitest::TestWindow, IClubChat {
    ClubWindow() : TestWindow("Club_BaseWindow") {}
    bool allowed = true;
    std::vector<std::string> sent;
    bool IsActionAllowed(int32_t category, int32_t action) override {
        return allowed && category == 9 && action == 4;
    }
    void SendClubChat(const char* text) override { sent.push_back(text); }
};

struct MemoWindow : uitest::TestWindow, INameMemo {
    MemoWindow() : TestWindow("NAME_MEMO_WIN") {}
    std::vector<std::string> scanned;
    void AddName(const char*, int32_t) override {}
    void ScanUrls(const char* text) override { scanned.push_back(text); }
};

class ChatWindowTest : public ChatFixture {
protected:
    // Clicks the middle of a control and runs the frame.
    void ClickOn(CBaseWindow* control) {
        ASSERT_TRUE(control);
        control->UpdateRect();
        const WindowRect& r = control->GetRect();
        m_driver.Click(0, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        m_driver.Frame();
    }
};

TEST_F(ChatWindowTest, MessagesBecomeColouredLinesOfTheirKindOrSpeaker) {
    CChar* me = MakePlayer(1);
    CChar* other = Make(CHAR_KIND_PLAYER, 100);
    ASSERT_TRUE(me && other);
    CChar::CopyText(other->m_info, "Mira");
    struct Case {
        const char* what;
        bool server;
        uint32_t kind;
        std::string text;
        bool noName;
        uint8_t colourIndex;
        std::vector<std::string> lines;
        uint32_t colour;
    };
    const Case cases[] = {
        {"kind 0 notice", true, 0, "Welcome", false, 0, {"Welcome"}, ChatRgb(100, 255, 100)},
        {"kind 1 is kind 0 with a server", true, 1, "one", false, 0, {"one"}, ChatRgb(100, 255, 100)},
        {"kind 11", true, 11, "eleven", false, 0, {"eleven"}, ChatRgb(247, 183, 60)},
        {"kind 3 with index 1", true, 3, "red", false, 1, {"red"}, ChatRgb(255, 0, 0)},
        {"kind 3 with index 14", true, 3, "black", false, 14, {"black"}, ChatRgb(0, 0, 0)},
        {"kind 3 with index 0 keeps its colour", true, 3, "pink", false, 0, {"pink"}, ChatRgb(255, 100, 255)},
        {"kind 3 with index 15 keeps its colour",
         true,
         3,
         "pink",
         false,
         15,
         {"pink"},
         ChatRgb(255, 100, 255)},
        {"kind 23", true, 23, "channel", false, 0, {"channel"}, ChatRgb(148, 221, 250)},
        {"kind 24", true, 24, "notice", false, 0, {"notice"}, ChatRgb(200, 150, 200)},
        {"another player", true, 100, "hi", false, 0, {"Mira : hi"}, ChatRgb(255, 255, 255)},
        {"the user", true, 1000, "x", false, 0, {}, 0},  // nobody has id 1000
        {"the user without a name", true, 100, "alone", true, 0, {"alone"}, ChatRgb(200, 255, 200)},
        {"without a server every value is a speaker",
         false,
         1,
         "me",
         false,
         0,
         {"Me : me"},
         ChatRgb(200, 255, 200)},
        {"a slash line never shows", true, 0, "/secret", false, 0, {}, 0},
        {"an empty text never shows", true, 0, "", false, 0, {}, 0},
        {"a long line is cut in two",
         true,
         0,
         std::string(100, 'a'),
         false,
         0,
         {std::string(80, 'a'), std::string(20, 'a')},
         ChatRgb(100, 255, 100)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_config.m_useServer = c.server;
        const size_t before = m_chat->LineCount();
        m_chat->AddMessage(c.kind, c.text.c_str(), c.noName, c.colourIndex);
        std::vector<std::string> added;
        for (size_t i = before; i < m_chat->LineCount(); ++i) {
            added.push_back(m_chat->Line(i).text);
            EXPECT_EQ(m_chat->Line(i).colour, c.colour);
        }
        EXPECT_EQ(added, c.lines);
    }
}

TEST_F(ChatWindowTest, ASpeakerSaysTheLineInItsBubbleAndTheMemoSeesEveryMessage) {
    auto* memo = m_driver.Add(new MemoWindow);
    MakePlayer(1);
    CChar* other = Make(CHAR_KIND_PLAYER, 100);
    CChar::CopyText(other->m_info, "Mira");
    m_chat->AddMessage(100, "Hello there", false, 0);
    m_chat->AddMessage(0, "Notice", false, 0);
    m_chat->AddMessage(0, "/hidden", false, 0);
    auto* bubble = dynamic_cast<CCharMessageWindow*>(other->GetAction()->SpeechWindow());
    ASSERT_TRUE(bubble);
    EXPECT_STREQ(bubble->SpeakerName(), "Mira");
    EXPECT_STREQ(bubble->LineText(0), "Mira : Hello there");
    // A line without the name shows the text alone in the user's own bubble.
    m_chat->AddMessage(0x7fffffff, "thinking", true, 0);
    auto* own = dynamic_cast<CCharMessageWindow*>(g_pCharMgr->GetPlayer()->GetAction()->SpeechWindow());
    ASSERT_TRUE(own);
    EXPECT_STREQ(own->LineText(0), "thinking");
    EXPECT_EQ(memo->scanned, (std::vector<std::string>{"Hello there", "Notice", "thinking"}));
}

TEST_F(ChatWindowTest, ThreeHundredLinesAreKeptAndTheNewestIsInView) {
    for (int i = 0; i < 301; ++i) m_chat->AddLine(("line " + std::to_string(i)).c_str(), 0xFFFFFF);
    EXPECT_EQ(m_chat->LineCount(), 300u);
    EXPECT_STREQ(m_chat->Line(0).text, "line 1");
    EXPECT_STREQ(m_chat->Line(299).text, "line 300");
    EXPECT_FALSE(m_chat->AddLine("", 0));
    m_driver.Frame();
    EXPECT_EQ(m_chat->GetScrollBar()->GetMaximum(), 297);
    EXPECT_EQ(m_chat->GetFirstShownLine(), 297);
    // Scrolled to the top, the oldest line comes first.
    m_chat->GetScrollBar()->SetScrollPos(0);
    m_driver.Frame();
    EXPECT_EQ(m_chat->GetFirstShownLine(), 0);
}

TEST_F(ChatWindowTest, EveryLineShownGoesToTheLogWhenItIsOn) {
    plat::ScopedLocalTime time{plat::LocalTime{2026, 3, 7, 9, 5, 30, 0}};
    g_options.SetByte(OPTION_CHAT_LOG, 1);
    m_chat->AddMessage(3, "Hello <b>you</b> & all", false, 0);
    const std::string log = qmtest::ReadTextFile(m_dir.Path() + "/ChatLog/QMChatLog_2026_03_07.html");
    EXPECT_NE(log.find("color=\"#ff64ff\"> Hello &lt;b&gt;you&lt;/b&gt; &amp; all</font>"), std::string::npos)
        << log;
}

TEST_F(ChatWindowTest, ChatLinesPostedForTheWindowComeThroughItsPort) {
    CChatWindowSink sink;
    ScopedMessageWinSink scoped(sink);
    ShowMessageWinF(3, "%d players", 4);
    m_driver.Frame();
    EXPECT_EQ(Lines(), (std::vector<std::string>{"4 players"}));
    // Without the window nothing is posted anywhere.
    m_driver.Mgr().RemoveWindow(m_chat);
    m_chat = nullptr;
    ShowMessageWinF(3, "lost");
    m_driver.Frame();
}

TEST_F(ChatWindowTest, EachModeKeepsItsHeadword) {
    m_headword->SetText("Tag");
    m_chat->SetChatMode(CHAT_MODE_WHISPER);
    EXPECT_STREQ(m_headword->GetText(), "");
    m_headword->SetText("Mira");
    m_chat->SetChatMode(CHAT_MODE_NORMAL);
    EXPECT_STREQ(m_headword->GetText(), "Tag");
    m_chat->SetChatMode(CHAT_MODE_WHISPER);
    EXPECT_STREQ(m_headword->GetText(), "Mira");
    EXPECT_STREQ(m_chat->GetSavedHeadword(CHAT_MODE_NORMAL), "Tag");
    // Only the mode's icon shows.
    for (int mode = 0; mode < CHAT_MODE_COUNT; ++mode)
        EXPECT_EQ(m_chat->GetTypeIcon(mode)->IsDrawOn(), mode == CHAT_MODE_WHISPER) << mode;
}

TEST_F(ChatWindowTest, TheModeIconsOpenAndChooseThroughClicks) {
    auto* club = m_driver.Add(new ClubWindow);
    club->allowed = false;
    m_driver.Frame();
    ClickOn(m_chat->GetTypeIcon(CHAT_MODE_NORMAL));
    ASSERT_TRUE(m_chat->AreIconsExpanded());
    // Team and club chat show but take no click without a team or the club's leave.
    for (int mode : {CHAT_MODE_TEAM, CHAT_MODE_CLUB}) {
        EXPECT_TRUE(m_chat->GetTypeIcon(mode)->IsDrawOn());
        EXPECT_FALSE(m_chat->GetTypeIcon(mode)->IsInputOn());
    }
    EXPECT_TRUE(m_chat->GetTypeIcon(CHAT_MODE_WHISPER)->IsInputOn());
    club->allowed = true;
    m_driver.Frame();
    EXPECT_TRUE(m_chat->GetTypeIcon(CHAT_MODE_CLUB)->IsInputOn());
    // Whisper with no name yet: the name is typed first.
    ClickOn(m_chat->GetTypeIcon(CHAT_MODE_WHISPER));
    EXPECT_EQ(m_chat->GetChatMode(), CHAT_MODE_WHISPER);
    EXPECT_FALSE(m_chat->AreIconsExpanded());
    EXPECT_TRUE(m_headword->IsActiveFlag());
    EXPECT_FALSE(m_input->IsActiveFlag());
    // Club chat types the line.
    ClickOn(m_chat->GetTypeIcon(CHAT_MODE_WHISPER));
    ClickOn(m_chat->GetTypeIcon(CHAT_MODE_CLUB));
    EXPECT_EQ(m_chat->GetChatMode(), CHAT_MODE_CLUB);
    EXPECT_TRUE(m_input->IsActiveFlag());
    EXPECT_FALSE(m_headword->IsActiveFlag());
}

TEST_F(ChatWindowTest, AClickOnTheWindowTypesIntoTheFieldOnItsSide) {
    m_driver.Frame();
    m_driver.Click(0, m_chat->GetX() + 300, m_chat->GetY() + 10);
    m_driver.Frame();
    EXPECT_TRUE(m_input->IsActiveFlag());
    m_input->SetActive(false, false);
    m_driver.Click(0, m_chat->GetX() + 60, m_chat->GetY() + 10);
    m_driver.Frame();
    EXPECT_TRUE(m_headword->IsActiveFlag());
    EXPECT_FALSE(m_input->IsActiveFlag());
}

TEST_F(ChatWindowTest, TheButtonsOpenTheirWindowsWhenThereAreAny) {
    auto* emoticons = m_driver.Add(new uitest::TestWindow("EmoticonWindow"));
    emoticons->Hide();
    auto* messenger = m_driver.Add(new uitest::TestWindow("QMMessengerWindow"));
    messenger->Hide();
    m_driver.Frame();
    ClickOn(m_chat->GetEmoticonButton());
    EXPECT_TRUE(emoticons->IsDrawOn());
    EXPECT_EQ(emoticons->GetX(), 250);
    EXPECT_EQ(emoticons->GetY(), 150);
    ClickOn(m_chat->GetMessengerButton());
    EXPECT_TRUE(messenger->IsDrawOn());
    ClickOn(m_chat->GetMessengerButton());
    EXPECT_FALSE(messenger->IsDrawOn());
    // The memo button with no memo window: nothing happens.
    ClickOn(m_chat->GetMemoButton());
}

TEST_F(ChatWindowTest, DraggingTheHandleSetsTheLinesFromThreeToThirtyFive) {
    m_driver.Frame();
    CButton* handle = m_chat->GetResizeHandle();
    ASSERT_TRUE(handle);
    const int32_t x = handle->GetX() + 5, y = handle->GetY() + 2;
    m_driver.Press(0, x, y);
    m_driver.Frame();
    m_driver.MoveTo(x, y - 14 * 5);
    m_driver.Frame();
    EXPECT_EQ(m_chat->GetVisibleLines(), 8);
    m_driver.MoveTo(x, 0);
    m_driver.Frame();
    EXPECT_EQ(m_chat->GetVisibleLines(), CHAT_MAX_LINES);
    m_driver.MoveTo(x, 599);
    m_driver.Frame();
    EXPECT_EQ(m_chat->GetVisibleLines(), CHAT_MIN_LINES);
    m_driver.Release(0, x, 599);
    m_driver.Frame();
}

TEST_F(ChatWindowTest, SettingsRoundTripAndThirtyFiveLinesReadBackAsThree) {
    m_chat->SetVisibleLines(12);
    m_chat->SetPosition(100, 400);
    m_chat->Hide();
    CLayoutWriter writer;
    m_chat->SaveSettings(&writer);
    ASSERT_TRUE(writer.Commit(LAYOUT_FILE_NAME));
    CChatWindow again;
    EXPECT_EQ(again.GetVisibleLines(), 12);
    EXPECT_EQ(again.GetX(), 100);
    EXPECT_EQ(again.GetY(), 400);
    EXPECT_FALSE(again.IsDrawOn());
    for (const char* lines : {"35.000000", "-4.000000", "2.000000"}) {
        SCOPED_TRACE(lines);
        CLayoutWriter odd;
        odd.WriteLine(CHAT_WINDOW_NAME, "MaxLine", lines);
        ASSERT_TRUE(odd.Commit(LAYOUT_FILE_NAME));
        CChatWindow read;
        EXPECT_EQ(read.GetVisibleLines(), CHAT_MIN_LINES);
        EXPECT_TRUE(read.IsDrawOn());
    }
}

TEST_F(ChatWindowTest, TheMemoButtonBlinksThreeTimes) {
    m_chat->StartMemoBlink();
    std::vector<bool> lit;
    for (int i = 0; i < 8; ++i) {
        lit.push_back(m_chat->IsMemoHighlighted());
        m_driver.Clock().Advance(160);  // with the frame's 100: 260 ms a step
        m_driver.Frame();
    }
    EXPECT_EQ(lit, (std::vector<bool>{true, false, true, false, true, false, false, false}));
    float x = 0, y = 0;
    m_chat->GetMemoButtonPosition(&x, &y);
    CButton* memo = m_chat->GetMemoButton();
    EXPECT_EQ(x, float(memo->GetX() + memo->GetWidth() / 2));
    EXPECT_EQ(y, float(memo->GetY() + memo->GetHeight() / 2));
}

}  // namespace
