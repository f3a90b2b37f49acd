// Speech texts written by qmmap, read with the server's substitution table.
#include "world/map/speech_data.h"

#include <gtest/gtest.h>

#include "data/meta_cache.h"
#include "tests/support/meta_fixtures.h"
#include "tests/world/world_fixture.h"

using namespace worldtest;

namespace {

class SpeechDataTest : public WorldFixture {
protected:
    void SetUp() override {
        WorldFixture::SetUp();
        g_pMetaCache = &m_cache;
    }
    void TearDown() override {
        g_pMetaCache = nullptr;
        WorldFixture::TearDown();
    }
    void WriteSpeech(int32_t map, const std::string& text) {
        char name[16];
        std::snprintf(name, sizeof name, "%04d.SPC", map);
        m_dir.WriteFile(name, SpeechBytes(text));
    }
    void Substitutions(const std::vector<std::vector<std::string>>& rows) {
        qmtest::PutMetaTable(m_cache, SPEECH_SUBSTITUTION_TABLE, qmtest::MetaRowsData(rows));
    }
    CMetaCache m_cache{m_dir.Path() + "/cache.dat"};
};

}  // namespace

TEST_F(SpeechDataTest, MarkersAreReplacedFromTheServerTable) {
    const SpeechSubstitutions table = {
        {"NAME", "Mia"}, {"ECHO", "<[NAME]> and <[NAME]>"}, {"SELF", "<[SELF]>!"}};
    struct Case {
        const char* text;
        std::string expected;
    };
    const Case cases[] = {
        {"Hello <[NAME]>.", "Hello Mia."},
        {"no markers", "no markers"},
        {"<[NAME]><[NAME]>", "MiaMia"},
        {"unclosed <[NAME", "unclosed __NAME"},
        {"<[NAME]> then <[open", "Mia then __open"},
        {"<[UNKNOWN]>", "___________"},                   // seven letters: eleven underscores
        {"<[name]>", "________"},                         // keys compare whole and case-sensitive
        {"<[ECHO]>", "Mia and Mia"},                      // a replacement's markers are replaced too
        {"<[SELF]>", "________" + std::string(64, '!')},  // 64 replacements, then underscores
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SubstituteSpeech(c.text, table), c.expected);
    }
}

TEST_F(SpeechDataTest, LoadsScrambledTextsAndReportsUnknownIds) {
    Substitutions({{"NAME", "Mia"}});
    WriteSpeech(7, "scrambled 1\ntext 5 \"Hi <[NAME]>\"\ntext 6 \"\"\ntext 5 \"second\"\n");
    CSpeechData speech;
    speech.Load(7);
    ASSERT_EQ(speech.GetTextCount(), 3);
    EXPECT_STREQ(speech.GetText(5), "Hi Mia");  // the first text of the id
    EXPECT_EQ(speech.GetText(6), nullptr);      // empty: no text, nothing reported
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(speech.GetText(9), nullptr);
    EXPECT_EQ(m_boxes.Boxes().size(), 1u);
}

TEST_F(SpeechDataTest, TheSameMapIsNotLoadedAgainAndAMissingFileIsQuiet) {
    WriteSpeech(7, "scrambled 0\ntext 1 \"first\"\n");
    CSpeechData speech;
    speech.Load(7);
    WriteSpeech(7, "scrambled 0\ntext 1 \"changed\"\n");
    speech.Load(7);
    EXPECT_STREQ(speech.GetText(1), "first");
    speech.Load(8);
    EXPECT_EQ(speech.GetTextCount(), 0);
    EXPECT_EQ(speech.GetMapNumber(), 8);
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(SpeechDataTest, DamagedFilesKeepTheTextsReadBefore) {
    const std::vector<uint8_t> bytes = SpeechBytes("scrambled 0\ntext 1 \"one\"\ntext 2 \"two\"\n");
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        int32_t kept;
    };
    std::vector<uint8_t> bigCount = bytes;
    bigCount[4] = 0x10;  // 2^28 texts
    std::vector<uint8_t> bigLength = bytes;
    bigLength[16] = 0xFF;  // the second text's length
    const Case cases[] = {
        {"cut in the count", {0, 2}, 0},
        {"cut in the second text", std::vector<uint8_t>(bytes.begin(), bytes.end() - 1), 1},
        {"count beyond the data", bigCount, 0},
        {"length beyond the data", bigLength, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CSpeechData speech;
        const size_t before = m_boxes.Boxes().size();
        EXPECT_FALSE(speech.LoadBytes(c.bytes.data(), c.bytes.size(), "0001.SPC", {}));
        EXPECT_EQ(m_boxes.Boxes().size(), before + 1);
        EXPECT_EQ(speech.GetTextCount(), c.kept);
    }
}
