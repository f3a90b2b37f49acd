// The chat's text work: lines cut between characters, the whisper command
// words, the day's HTML log and the topic file.
#include "windows/play/chat_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/config.h"
#include "platform/local_time.h"
#include "platform/paths.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/temp_dir.h"
#include "tests/windows/play/chat_fixture.h"

namespace {

using chattest::kWord7;
using chattest::kWord8;
using chattest::kWord9;

std::vector<size_t> Lengths(const std::vector<std::string>& lines) {
    std::vector<size_t> out;
    for (const std::string& line : lines) out.push_back(line.size());
    return out;
}

TEST(ChatTextTest, LinesAreCutBetweenCharacters) {
    const std::string kanji = "\x88\x9f";  // one double-byte character
    struct Case {
        const char* what;
        std::string text;
        size_t width, maxLines, maxBytes;
        std::vector<size_t> lengths;
    };
    const Case cases[] = {
        {"79 bytes: one line", std::string(79, 'a'), 80, 99, 255, {79}},
        {"80 bytes: one line", std::string(80, 'a'), 80, 99, 255, {80}},
        {"100 bytes: 80 and 20", std::string(100, 'a'), 80, 99, 255, {80, 20}},
        {"a character over bytes 79 and 80 goes whole to the first line",
         std::string(79, 'a') + kanji + std::string(19, 'b'),
         80,
         99,
         255,
         {81, 19}},
        {"cut to 255 first", std::string(300, 'a'), 80, 99, 255, {80, 80, 80, 15}},
        {"a bubble: 119 bytes fill four lines", std::string(119, 'a'), 30, 4, 119, {30, 30, 30, 29}},
        {"a bubble: longer text is cut", std::string(200, 'a'), 30, 4, 119, {30, 30, 30, 29}},
        {"a cut never splits a character", std::string(118, 'a') + kanji, 30, 4, 119, {30, 30, 30, 28}},
        {"empty", "", 80, 99, 255, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Lengths(SplitChatText(c.text, c.width, c.maxLines, c.maxBytes)), c.lengths);
    }
}

TEST(ChatTextTest, TheCommandWordsAreComparedWithinBothTexts) {
    qmtest::ScopedTextTables texts{chattest::ChatTexts()};
    struct Case {
        std::string line;
        bool command;
        int32_t offset, kind;
    };
    const Case cases[] = {
        {"/" + kWord7, true, 6, 1},
        {"/" + kWord7 + " Mira hi", true, 6, 0},
        {"/" + kWord7 + "x", true, 6, 3},
        {"/" + kWord8 + " ", true, 6, 0},
        {"/" + kWord9, true, 4, 1},
        {"/" + kWord9 + " Mira", true, 4, 0},
        {"/" + kWord9 + "a", true, 4, 3},  // a letter right after the word: no blank, kind 3
        // Shorter than a command word: no read past either text.
        {"/" + kWord7.substr(0, 2), false, 0, 3},
        {"/", false, 0, 3},
        {"", false, 0, 3},
        {"hello", false, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(IsChatCommand(c.line.c_str()), c.command);
        EXPECT_EQ(GetChatCommandArgOffset(c.line.c_str()), c.offset);
        EXPECT_EQ(GetChatCommandKind(c.line.c_str()), c.kind);
    }
    EXPECT_FALSE(IsChatCommand(nullptr));
    EXPECT_EQ(GetChatCommandKind(nullptr), 3);
}

TEST(ChatTextTest, CommandRowsOfTheWrongLengthAreNoCommands) {
    // Empty rows would otherwise make "/" itself a command.
    qmtest::ScopedTextTables texts{{{0, std::vector<std::string>(10)}}};
    EXPECT_FALSE(IsChatCommand("/"));
    EXPECT_FALSE(IsChatCommand("/abcd"));
    EXPECT_EQ(GetChatCommandKind("/"), 3);
}

TEST(ChatTextTest, ColoursAndEscapes) {
    EXPECT_EQ(ChatLogColour(0x0000FF), "#ff0000");
    EXPECT_EQ(ChatLogColour(0x030201), "#010203");
    EXPECT_EQ(ChatLogColour(0xFFFFFF), "#ffffff");
    EXPECT_EQ(EscapeChatLogText("Hello <b>you</b> & \"all\" 'x'"),
              "Hello &lt;b&gt;you&lt;/b&gt; &amp; &quot;all&quot; &#39;x&#39;");
    // A double-byte character is copied whole.
    EXPECT_EQ(EscapeChatLogText("\x88\x9f<"), "\x88\x9f&lt;");
}

class ChatLogTest : public ::testing::Test {
protected:
    ChatLogTest() {
        g_options = COptions{};
        g_options.SetByte(OPTION_CHAT_LOG, 1);
    }
    ~ChatLogTest() override { g_options = COptions{}; }
    std::string Read(const std::string& name) { return qmtest::ReadTextFile(m_dir.Path() + "/" + name); }

    qmtest::TempDir m_dir;
    qmtest::ScopedWorkingFolder m_folder{m_dir.Path()};
    qmtest::ScopedTextTables m_texts{chattest::ChatTexts()};
    plat::ScopedLocalTime m_time{plat::LocalTime{2026, 3, 7, 9, 5, 30, 0}};
};

TEST_F(ChatLogTest, ANewDayGetsOneHeaderAndEachLineItsTimeColourAndEscapedText) {
    EXPECT_TRUE(WriteChatLog("Hello <b>you</b> & 100%", 0x0000FF));
    EXPECT_TRUE(WriteChatLog("again", 0x030201));
    const std::string expected =
        "<body bgcolor=\"black\">\n"
        "<font size=\"2\" color=\"white\"> <b> Quillmarrow Chat Message Log </b></font></br>\n"
        "<font size=\"2\" color=\"white\"> <b> Date : 2026y    3m    7d </b></font></br></br></br>\n"
        "<font size=\"2\" color=\"white\"> [ 9h  5min 30s] </font> <font size=\"2\" color=\"#ff0000\"> "
        "Hello &lt;b&gt;you&lt;/b&gt; &amp; 100%</font></br>\n"
        "<font size=\"2\" color=\"white\"> [ 9h  5min 30s] </font> <font size=\"2\" color=\"#010203\"> "
        "again</font></br>\n";
    EXPECT_EQ(Read("ChatLog/QMChatLog_2026_03_07.html"), expected);
    // The next day starts a file of its own.
    m_time.Set(plat::LocalTime{2026, 3, 8, 0, 0, 1, 0});
    EXPECT_TRUE(WriteChatLog("morning", 0xFFFFFF));
    EXPECT_EQ(Read("ChatLog/QMChatLog_2026_03_08.html").find("<body"), 0u);
}

TEST_F(ChatLogTest, NothingIsWrittenWhileTheLogIsOffOrCannotBeOpened) {
    g_options.SetByte(OPTION_CHAT_LOG, 0);
    EXPECT_FALSE(WriteChatLog("quiet", 0xFFFFFF));
    EXPECT_FALSE(plat::DirectoryExists("ChatLog"));
    g_options.SetByte(OPTION_CHAT_LOG, 1);
    // A file where the folder should be: nothing to write into.
    m_dir.WriteFile("ChatLog", std::string("x"));
    EXPECT_FALSE(WriteChatLog("lost", 0xFFFFFF));
}

TEST(ChatTopicTest, TopicsAreOpenedBySlashFullStopLines) {
    const std::vector<ChatTopic> topics =
        ParseChatTopics("before any topic\r\n/.Welcome\r\nline one\n\nline two\r/.Shops\nbuy\n/.\n");
    ASSERT_EQ(topics.size(), 3u);
    EXPECT_EQ(topics[0].title, "/.Welcome");
    EXPECT_EQ(topics[0].body, "line one\nline two\n");
    EXPECT_EQ(topics[1].title, "/.Shops");
    EXPECT_EQ(topics[1].body, "buy\n");
    EXPECT_EQ(topics[2].title, "/.");
    EXPECT_TRUE(topics[2].body.empty());
    EXPECT_TRUE(ParseChatTopics("").empty());
}

TEST(ChatTopicTest, TheFileIsReadWholeUnlessMissingOrTooLarge) {
    qmtest::TempDir dir;
    std::vector<ChatTopic> topics;
    EXPECT_FALSE(ReadChatTopicFile((dir.Path() + "/none.txt").c_str(), topics));
    // Longer than one piece of reading.
    std::string text = "/.Long\n";
    for (int i = 0; i < 1000; ++i) text += "line " + std::to_string(i) + "\n";
    dir.WriteFile("topics.txt", text);
    ASSERT_TRUE(ReadChatTopicFile((dir.Path() + "/topics.txt").c_str(), topics));
    ASSERT_EQ(topics.size(), 1u);
    EXPECT_EQ(SplitChatTextLines(topics[0].body).size(), 1000u);
    dir.WriteFile("huge.txt", std::string(CHAT_TOPIC_FILE_MAX + 1, 'x'));
    EXPECT_FALSE(ReadChatTopicFile((dir.Path() + "/huge.txt").c_str(), topics));
    EXPECT_TRUE(topics.empty());
}

// Seeds of the topic-file fuzz target: the demo's topics and small files of
// each kind of line. With QM_REFRESH_GOLDEN=1 this rewrites them.
TEST(ChatTopicTest, FuzzSeedsAreTopicFiles) {
    const std::string corpus = qmtest::SourceDir() + "/fuzz/corpus/chat_topics/";
    const struct {
        const char* name;
        std::string bytes;
    } seeds[] = {
        {"demo", qmtest::ReadTextFile(qmtest::SourceDir() + "/demo/ChatTopics.txt")},
        {"windows_lines", "/.First\r\nbody one\r\n\r\n/.Second\r\nbody two\r\n"},
        {"no_topic", "lines before any topic\nand no topic at all\n"},
        {"number", std::string("2\n/.a\n/.b\n/.c\nthe third\n")},
        {"nul", std::string("/.x\0hidden\n/.y\n", 16)},
    };
    const char* refresh = std::getenv("QM_REFRESH_GOLDEN");
    for (const auto& seed : seeds) {
        if (refresh && std::string(refresh) == "1") {
            plat::CreateDirectories(corpus);
            ASSERT_TRUE(plat::WriteFileAtomic(corpus + seed.name, seed.bytes.data(), seed.bytes.size()));
        }
        std::vector<uint8_t> stored;
        ASSERT_TRUE(plat::ReadWholeFile(corpus + seed.name, stored)) << seed.name;
        EXPECT_EQ(std::string(stored.begin(), stored.end()), seed.bytes) << seed.name;
    }
}

}  // namespace
