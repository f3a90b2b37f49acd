// The chat input and headword fields: the prefixes, sending a typed line
// (routing by mode, slash commands, the flood and repeat guards, the ban),
// the history, the keys and the topic file runner.
#include "windows/play/chat_input_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/error_box.h"
#include "tests/ui/test_windows.h"
#include "tests/windows/play/chat_fixture.h"
#include "ui/game_scene_windows.h"
#include "windows/play/chat_text.h"
#include "windows/play/chat_window.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"

namespace {

using namespace chattest;

struct ClubWindow : uitest::TestWindow, IClubChat {
    ClubWindow() : TestWindow("Club_BaseWindow") {}
    bool allowed = true;
    std::vector<std::string> sent;
    bool IsActionAllowed(int32_t category, int32_t action) override {
        return allowed && category == 9 && action == 4;
    }
    void SendClubChat(const char* text) override { sent.push_back(text); }
};

class ChatInputTest : public ChatFixture {
protected:
    void SetUp() override {
        ChatFixture::SetUp();
        m_player = MakePlayer(1);
        ASSERT_TRUE(m_player);
        m_input->SetActive(true, false);
    }
    // Submits through the field as Enter does, then runs a frame (the
    // messages shown reach the window).
    void Submit(const std::string& line) {
        m_input->SubmitLine(line.c_str());
        m_driver.Frame();
    }

    CChatWindowSink m_sink;
    ScopedMessageWinSink m_scopedSink{m_sink};
    CChar* m_player = nullptr;
};

TEST_F(ChatInputTest, APrefixPicksTheModeOrAloneSwitchesIt) {
    auto* club = m_driver.Add(new ClubWindow);
    struct Case {
        const char* line;
        bool clubAllows;
        int32_t result;
        int32_t modeAfter;
    };
    const Case cases[] = {
        {"", true, CHAT_PREFIX_NONE, 0},
        {"hello", true, CHAT_PREFIX_NONE, 0},
        {"~hi", true, 0, 0},
        {"!hi", true, 1, 0},
        {"#hi", true, 3, 0},
        {"#hi", false, CHAT_PREFIX_NONE, 0},  // without the club's leave '#' is text
        {"!", true, CHAT_PREFIX_ALONE, 1},
        {"#", true, CHAT_PREFIX_ALONE, 3},
        {"#", false, CHAT_PREFIX_NONE, 3},
        {"~", true, CHAT_PREFIX_ALONE, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.line) + (c.clubAllows ? " (club)" : ""));
        club->allowed = c.clubAllows;
        EXPECT_EQ(m_input->ParseChatPrefix(c.line), c.result);
        EXPECT_EQ(m_chat->GetChatMode(), c.modeAfter);
    }
    EXPECT_EQ(m_input->ParseChatPrefix(nullptr), CHAT_PREFIX_NONE);
    m_driver.Mgr().RemoveWindow(club);
    EXPECT_EQ(m_input->ParseChatPrefix("#hi"), CHAT_PREFIX_NONE);
}

TEST_F(ChatInputTest, ALineGoesOutByItsMode) {
    auto* club = m_driver.Add(new ClubWindow);
    struct Case {
        const char* what;
        int32_t mode;
        const char* headword;
        std::string line;
        std::vector<Bytes> sent;
        int32_t modeAfter;
    };
    const Case cases[] = {
        {"normal", CHAT_MODE_NORMAL, "", "Hello", {Request(14, 0, TextZ("Hello"))}, 0},
        {"normal with a headword",
         CHAT_MODE_NORMAL,
         "Tag",
         "Hello",
         {Request(14, 0, TextZ("[Tag]Hello"))},
         0},
        {"team by prefix", CHAT_MODE_NORMAL, "", "!ready", {Request(25, 11, Text("ready"))}, 0},
        {"team", CHAT_MODE_TEAM, "Tag", "go", {Request(25, 11, Text("[Tag]go"))}, 1},
        {"whisper", CHAT_MODE_WHISPER, "Mira", "hi", {Request(25, 0, Text("Mira") + Text("hi"))}, 2},
        {"whisper with an empty name",
         CHAT_MODE_WHISPER,
         "",
         "hi",
         {Request(25, 0, Text("") + Text("hi"))},
         2},
        {"club", CHAT_MODE_CLUB, "", "guild", {}, 3},
        {"'#' by prefix", CHAT_MODE_NORMAL, "", "#guild", {}, 0},
        {"the prefix alone", CHAT_MODE_NORMAL, "", "!", {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_chat->SetChatMode(c.mode);
        m_headword->SetText(c.headword);
        Submit(c.line);
        EXPECT_EQ(Sent(), c.sent);
        EXPECT_EQ(m_chat->GetChatMode(), c.modeAfter);
        EXPECT_STREQ(m_input->GetCurrentText(), "");
        m_driver.Clock().Advance(6000);  // past the flood guard
    }
    EXPECT_EQ(club->sent, (std::vector<std::string>{"guild", "guild"}));
    EXPECT_STREQ(m_chat->GetSavedHeadword(CHAT_MODE_WHISPER), "");
    EXPECT_STREQ(m_chat->GetLastHeadword(), "");
}

TEST_F(ChatInputTest, TheEighthLineInFiveSecondsIsRefused) {
    for (int i = 1; i <= 7; ++i) {
        Submit("line " + std::to_string(i));
        m_driver.Clock().Advance(500);
    }
    EXPECT_EQ(Sent().size(), 7u);
    Submit("line 8");
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Request(14, 3)}));
    EXPECT_EQ(Lines(), (std::vector<std::string>{"14/145"}));
    EXPECT_FALSE(m_input->IsActiveFlag());
    EXPECT_STREQ(m_input->HistoryEntry(0), "line 7");
    // Once the oldest of the eight is older than five seconds, lines go out again.
    m_driver.Clock().Advance(5000);
    Submit("line 9");
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Request(14, 0, TextZ("line 9"))}));
}

TEST_F(ChatInputTest, TheFourthEqualLineInARowIsRefused) {
    for (int i = 0; i < 3; ++i) Submit("again");
    EXPECT_EQ(Sent().size(), 3u);
    Submit("again");
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Request(14, 3)}));
    EXPECT_EQ(Lines(), (std::vector<std::string>{"14/146"}));
    // After five seconds the same line may go again.
    m_driver.Clock().Advance(5100);
    m_input->SetActive(true, false);
    Submit("again");
    EXPECT_EQ(Sent().size(), 1u);
}

TEST_F(ChatInputTest, SlashLines) {
    const std::string word = kWord7;
    struct Case {
        const char* what;
        std::string line;
        std::vector<Bytes> sent;
    };
    const Case cases[] = {
        {"an emoticon the player may use", "/hello", {Request(35, 7)}},
        {"an emoticon that needs an item", "/dance", {}},
        {"the command word alone", "/" + word, {Request(59, 1)}},
        {"the command with its text", "/" + word + " Mira hi", {Request(59, 0, Text("Mira hi"))}},
        {"the command with a blank and nothing", "/" + word + " ", {}},
        {"the command run on into a letter", "/" + word + "x", {}},
        {"the short command", "/" + kWord9 + " x", {Request(59, 0, Text("x"))}},
        {"any other slash line is said", "/SHOWFPS", {Request(14, 0, TextZ("/SHOWFPS"))}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_input->SetActive(true, false);
        Submit(c.line);
        EXPECT_EQ(Sent(), c.sent);
        EXPECT_STREQ(m_input->HistoryEntry(0), "");  // slash lines stay out of the history
        m_driver.Clock().Advance(6000);
    }
    // "/SHOWFPS" also switched the frame rate on.
    EXPECT_EQ(g_showFrameRate, 1);
    g_showFrameRate = 0;
}

TEST_F(ChatInputTest, ABannedPlayerIsToldHowLong) {
    CCharData* data = m_player->GetData();
    data->m_chatBlockOn = 1;
    data->m_chatBlockStart = plat::timeGetTime();
    data->m_chatBlockLength = 150000;
    m_driver.Clock().Advance(10000);
    Submit("hello");
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(Lines(), (std::vector<std::string>{"14/144 2min 20s"}));
    EXPECT_FALSE(m_input->IsActiveFlag());
}

TEST_F(ChatInputTest, AnEmptyLineLeavesTheFieldAndWithoutAServerLinesShowAtOnce) {
    Submit("");
    EXPECT_FALSE(m_input->IsActiveFlag());
    EXPECT_TRUE(Sent().empty());
    g_config.m_useServer = false;
    m_input->SetActive(true, false);
    Submit("local");
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(Lines(), (std::vector<std::string>{"Me : local"}));
}

TEST_F(ChatInputTest, UpAndDownWalkTheHistorySkippingEmptyEntries) {
    // Up on an empty history changes nothing.
    Key(kScanUp, plat::VK_UP);
    EXPECT_STREQ(m_input->GetCurrentText(), "");
    for (const char* line : {"oldest", "middle", "newest"}) {
        TypeAndEnter(line);
        m_driver.Clock().Advance(2000);
    }
    EXPECT_EQ(Sent().size(), 3u);
    std::vector<std::string> shown;
    for (int i = 0; i < 3; ++i) {
        Key(kScanUp, plat::VK_UP);
        shown.push_back(m_input->GetCurrentText());
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"middle", "oldest", "newest"}));
    Key(kScanDown, plat::VK_DOWN);
    EXPECT_STREQ(m_input->GetCurrentText(), "oldest");
}

TEST_F(ChatInputTest, TabEscapeAndEnterMoveBetweenTheFields) {
    Key(kScanTab, plat::VK_TAB);
    EXPECT_FALSE(m_input->IsActiveFlag());
    EXPECT_TRUE(m_headword->IsActiveFlag());
    m_driver.Type("Mira");
    m_driver.Frame();
    Key(kScanTab, plat::VK_TAB);
    EXPECT_TRUE(m_input->IsActiveFlag());
    EXPECT_STREQ(m_headword->GetText(), "Mira");
    Key(kScanEscape, plat::VK_ESCAPE);
    EXPECT_FALSE(m_input->IsActiveFlag());
    // Enter in the headword empties it and leaves.
    m_headword->SetActive(true, false);
    Key(kScanEnter, plat::VK_RETURN);
    EXPECT_FALSE(m_headword->IsActiveFlag());
    EXPECT_STREQ(m_headword->GetText(), "");
    // The fields' limits.
    EXPECT_EQ(m_input->GetMaxLength(), 200u);
    EXPECT_EQ(m_headword->GetMaxLength(), 16u);
}

TEST_F(ChatInputTest, AWindowClosingWhileThePlayerTypesLeavesTheFieldTyping) {
    m_driver.Type("half a line");
    m_driver.Frame();
    // A character leaving the view: its bubble closes.
    CChar* walker = Make(CHAR_KIND_NPC, 7);
    ASSERT_TRUE(walker);
    g_pCharMgr->RemoveAllChars(false);
    m_driver.Frame(2);
    EXPECT_TRUE(m_input->IsActiveFlag());
    m_driver.Type(" and the rest");
    m_driver.Frame();
    Key(kScanEnter, plat::VK_RETURN);
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Request(14, 0, TextZ("half a line and the rest"))}));
}

TEST_F(ChatInputTest, TopicQueriesListAndSayATopicLineByLine) {
    m_dir.WriteFile(
        CHAT_TOPIC_FILE,
        std::string("/.Welcome to the sample world\nfirst\nsecond\n/.Shops\nbuy here\n/.Welcome back\nhi\n"));
    struct Case {
        const char* what;
        std::string query;
        std::vector<std::string> lines;
        size_t queued;
    };
    const Case cases[] = {
        {"two match",
         "/.Welcome",
         {"Topics on \"Welcome\":", "0: /.Welcome to the sample world", "2: /.Welcome back"},
         0},
        {"one matches", "/.Shops", {"Topics on \"Shops\":", "1: /.Shops"}, 1},
        {"a question lists only", "/.Shops?", {"Topics on \"Shops\":", "1: /.Shops"}, 0},
        {"a number runs its topic", "/.2", {}, 1},
        {"a number past the topics is a search", "/.7", {"Topics on \"7\":"}, 0},
        {"none matches", "/.Nothing", {"Topics on \"Nothing\":"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const size_t before = m_chat->LineCount();
        const size_t queued = m_chat->PendingCount();
        RunChatTextFile(c.query.c_str());
        m_driver.Frame();
        std::vector<std::string> shown;
        for (size_t i = before; i < m_chat->LineCount(); ++i) shown.push_back(m_chat->Line(i).text);
        EXPECT_EQ(shown, c.lines);
        EXPECT_EQ(m_chat->PendingCount() - queued, c.queued);
    }
}

TEST_F(ChatInputTest, ATopicsLinesAreSaidEveryHalfSecond) {
    m_dir.WriteFile(CHAT_TOPIC_FILE, std::string("/.Hello\none\ntwo\n"));
    m_driver.SetFrameTime(100);
    Submit("/.Hello");
    // The query itself went out as a line of chat.
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Request(14, 0, TextZ("/.Hello"))}));
    std::vector<size_t> sentAt;
    for (int frame = 1; frame <= 12; ++frame) {
        m_driver.Frame();
        for (const Bytes& request : Sent()) {
            EXPECT_EQ(request, Request(14, 0, TextZ(sentAt.empty() ? "one" : "two")));
            sentAt.push_back(size_t(frame));
        }
    }
    EXPECT_EQ(sentAt, (std::vector<size_t>{5, 11}));
    EXPECT_EQ(Lines().back(), ">> two");
}

TEST_F(ChatInputTest, AMissingTopicFileShowsNothing) {
    RunChatTextFile("/.Anything");
    m_driver.Frame();
    EXPECT_TRUE(Lines().empty());
    EXPECT_EQ(m_chat->PendingCount(), 0u);
}

}  // namespace
