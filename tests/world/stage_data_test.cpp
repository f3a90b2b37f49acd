// Stage files written by qmmap, read back through the typed queries.
#include "world/map/stage_data.h"

#include <gtest/gtest.h>

#include "tests/world/world_fixture.h"

using namespace worldtest;

namespace {

class StageDataTest : public WorldFixture {
protected:
    std::vector<uint8_t> Stage(const std::string& text) { return StageBytes(text); }
    bool Load(const std::vector<uint8_t>& bytes) { return m_stage.Load(bytes.data(), bytes.size(), "S.Z5F"); }
    CStageData m_stage;
};

}  // namespace

// One property of each type and width: what each getter answers for it.
TEST_F(StageDataTest, GettersAnswerOnlyForTheirTypesAndWidths) {
    struct Case {
        const char* entry;
        uint32_t byte, word, dword;
    };
    const Case cases[] = {
        {"sized 0 7", 7, 0, 0},          {"sized 1 8", 8, 0, 0},
        {"sized 2 300", 0, 300, 0},      {"sized 3 301", 0, 301, 0},
        {"sized 4 70000", 0, 0, 70000},  {"sized 5 -", 0, 0, 0},
        {"word 302", 0, 302, 0},         {"byte 9", 9, 0, 0},
        {"word6 303", 0, 303, 0},        {"sized7 1 10", 10, 0, 0},
        {"sized7 2 304", 0, 304, 0},     {"sized7 3 -", 0, 0, 0},
        {"sized7 4 70001", 0, 0, 70001}, {"dword 70002", 0, 0, 70002},
        {"word9 305", 0, 0, 0},
    };
    std::string text = "group properties\n";
    for (const Case& c : cases) text += std::string("  ") + c.entry + "\n";
    text +=
        "  text \"abc\"\n  point 4 5\n  aniref 1427 3 2\n  aniref2 6 1\n  table [ word byte ] { rows 2 11 1 "
        "12 2 }\nend\n";
    ASSERT_TRUE(Load(Stage(text)));
    EXPECT_TRUE(BoxTexts().empty());
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].entry);
        const int32_t e = int32_t(i);
        EXPECT_EQ(m_stage.GetByte(0, e, 0), cases[i].byte);
        EXPECT_EQ(m_stage.GetWord(0, e, 0), cases[i].word);
        EXPECT_EQ(m_stage.GetDword(0, e, 0), cases[i].dword);
        EXPECT_EQ(m_stage.GetText(0, e, 0), nullptr);
        EXPECT_EQ(m_stage.GetTable(0, e, 0), nullptr);
    }
    const int32_t n = int32_t(std::size(cases));
    EXPECT_STREQ(m_stage.GetText(0, n, 0), "abc");
    EXPECT_EQ(m_stage.GetWord(0, n, 0), 0);
    int32_t x = -1, y = -1;
    m_stage.GetPoint(0, n + 1, 0, &x, &y);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(4, 5));
    m_stage.GetPoint(0, n, 0, &x, &y);  // not a point
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(0, 0));
    uint16_t first = 0, second = 0;
    uint8_t flag = 0;
    m_stage.GetAniRef(&first, &second, &flag, 0, n + 2, 0);
    EXPECT_EQ(std::make_tuple(first, second, flag), std::make_tuple(uint16_t(1427), uint16_t(3), uint8_t(2)));
    // Type 12 has no first word: it reads 0.
    first = 99;
    m_stage.GetAniRef(&first, &second, &flag, 0, n + 3, 0);
    EXPECT_EQ(std::make_tuple(first, second, flag), std::make_tuple(uint16_t(0), uint16_t(6), uint8_t(1)));
    const CStageTable* table = m_stage.GetTable(0, n + 4, 0);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->GetRowCount(), 2);
    EXPECT_EQ(table->GetWord(0, 1), 12);
    EXPECT_EQ(table->GetWord(1, 1), 0);  // a byte column answers no word
    EXPECT_EQ(table->GetWord(2, 0), 0);
    EXPECT_EQ(table->GetWord(0, 2), 0);
}

TEST_F(StageDataTest, IndexesOutsideAnswerNothing) {
    ASSERT_TRUE(Load(Stage("group lists\n  word : 1 2 3\n  word :\nend\ngroup properties\n  word 5\nend\n")));
    EXPECT_EQ(m_stage.GetRecordCount(0), 3);
    EXPECT_EQ(m_stage.GetRecordCount(1), 1);
    EXPECT_EQ(m_stage.GetRecordCount(2), 0);
    EXPECT_EQ(m_stage.GetWord(0, 0, 2), 3);
    EXPECT_EQ(m_stage.GetWord(0, 0, 3), 0);
    EXPECT_EQ(m_stage.GetWord(0, 1, 0), 0);  // a list of no values
    EXPECT_EQ(m_stage.GetWord(0, 2, 0), 0);
    EXPECT_EQ(m_stage.GetWord(-1, 0, 0), 0);
    EXPECT_EQ(m_stage.GetWord(0, -1, 0), 0);
    // An entry outside sets only the first word, to 10000.
    uint16_t first = 1, second = 2;
    uint8_t flag = 3;
    m_stage.GetAniRef(&first, &second, &flag, 1, 1, 0);
    EXPECT_EQ(std::make_tuple(first, second, flag), std::make_tuple(STAGE_NONE, uint16_t(2), uint8_t(3)));
}

TEST_F(StageDataTest, AreasComeFromTheFirstEntryOfTheLastAreaGroup) {
    ASSERT_TRUE(
        Load(Stage("group areas\n  areas 0 9 9 9 9\nend\n"
                   "group areas\n  areas 0 1 1 2 2  5 3 3 4 4  1 7 7 8 8\n  areas 2 0 0 0 0\nend\n")));
    ASSERT_NE(m_stage.FindArea(0), nullptr);
    EXPECT_EQ(m_stage.FindArea(0)->x1, 1);
    ASSERT_NE(m_stage.FindArea(1), nullptr);
    EXPECT_EQ(m_stage.FindArea(1)->x1, 7);
    // Id 5 exists but is not below the entry's three areas; id 2 is in the second entry.
    EXPECT_EQ(m_stage.FindArea(5), nullptr);
    EXPECT_EQ(m_stage.FindArea(2), nullptr);
    CStageData none;
    EXPECT_EQ(none.FindArea(0), nullptr);
}

TEST_F(StageDataTest, ValuesThatReadNothingKeepTheFileInStep) {
    // Width 5 and width 3 of type 7 read nothing; the entries after them read right.
    ASSERT_TRUE(
        Load(Stage("group properties\n  sized 5 -\n  word 7\n  sized7 3 -\n  byte 8\nend\n"
                   "group lists\n  sized 5 : - - -\n  byte : 4\nend\n")));
    EXPECT_EQ(m_stage.GetWord(0, 1, 0), 7);
    EXPECT_EQ(m_stage.GetByte(0, 3, 0), 8);
    EXPECT_EQ(m_stage.GetRecordCount(1), 3);
    EXPECT_EQ(m_stage.GetByte(1, 1, 0), 4);
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(StageDataTest, LongTextsKeep255BytesAndSkipTheRest) {
    const std::string longText(300, 'x');
    ASSERT_TRUE(Load(Stage("group properties\n  text \"" + longText + "\"\n  word 9\nend\n")));
    EXPECT_EQ(std::string(m_stage.GetText(0, 0, 0)), std::string(255, 'x'));
    EXPECT_EQ(m_stage.GetWord(0, 1, 0), 9);
}

TEST_F(StageDataTest, AnUnknownTypeIsReportedOnceAndReadingGoesOn) {
    ASSERT_TRUE(
        Load(Stage("group properties\n  type 10 -\n  type 13 -\n  word 4\nend\n"
                   "group lists\n  type 200 : - - - -\n  byte : 5\nend\n")));
    EXPECT_EQ(m_stage.GetWord(0, 2, 0), 4);
    EXPECT_EQ(m_stage.GetByte(1, 1, 0), 5);
    EXPECT_EQ(m_boxes.Boxes().size(), 1u);
}

// Damaged files: one read-error box each, what was read before the fault stays.
TEST_F(StageDataTest, DamagedFilesShowOneBoxAndKeepWhatWasRead) {
    const std::vector<uint8_t> good = Stage("group properties\n  word 1\n  word 2\n  text \"abcd\"\nend\n");
    const auto u32 = [](uint32_t v) {
        return std::vector<uint8_t>{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    };
    std::vector<uint8_t> huge = good;
    huge[5] = 0xFF;  // the group's entry count: far more than the bytes left
    std::vector<uint8_t> bigGroups = u32(0x7FFFFFFF);
    std::vector<uint8_t> nested = u32(1);
    nested.insert(nested.end(), {0, 1, 0, 0, 0, STAGE_TYPE_TABLE});
    for (int i = 0; i < 17; ++i) {  // seventeen levels of one nested table column
        const std::vector<uint8_t> one = u32(1);
        nested.insert(nested.end(), one.begin(), one.end());
        nested.push_back(STAGE_TYPE_TABLE);
    }
    std::vector<uint8_t> bigRows = Stage("group properties\n  word 1\n  table [ word ] { rows 1 5 }\nend\n");
    bigRows[bigRows.size() - 6] = 0xFF;  // the row count
    // Items that read no bytes: a thousand list entries of width 5 (nothing
    // read), each with as many values as there are bytes left. Each count
    // fits the bytes left; together they would be millions of items.
    const auto withCounts = [&](std::vector<uint8_t> out, int items, const std::vector<uint8_t>& item,
                                size_t countAt) {
        const size_t total = out.size() + size_t(items) * item.size();
        for (int i = 0; i < items; ++i) {
            std::vector<uint8_t> one = item;
            const std::vector<uint8_t> left = u32(uint32_t(total - out.size() - item.size()));
            std::copy(left.begin(), left.end(), one.begin() + std::ptrdiff_t(countAt));
            out.insert(out.end(), one.begin(), one.end());
        }
        return out;
    };
    std::vector<uint8_t> emptyValues = u32(1);
    emptyValues.insert(emptyValues.end(), {STAGE_GROUP_LISTS, 0xE8, 0x03, 0, 0});  // 1,000 entries
    emptyValues = withCounts(emptyValues, 1000, {STAGE_TYPE_SIZED, 0, 0, 0, 0, 5}, 1);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        int32_t wordsKept;
    };
    const Case cases[] = {
        {"empty", {}, 0},
        {"cut in the group count", {1, 0}, 0},
        {"cut after the first entry", std::vector<uint8_t>(good.begin(), good.begin() + 14), 1},
        {"cut in the text", std::vector<uint8_t>(good.begin(), good.end() - 2), 2},
        {"entry count beyond the data", huge, 0},
        {"group count beyond the data", bigGroups, 0},
        {"columns nested too deep", nested, 0},
        {"row count beyond the data", bigRows, 1},
        {"values that read nothing, by the million", emptyValues, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CStageData stage;
        const size_t before = m_boxes.Boxes().size();
        EXPECT_FALSE(stage.Load(c.bytes.data(), c.bytes.size(), "0001.Z5F"));
        ASSERT_EQ(m_boxes.Boxes().size(), before + 1);
        EXPECT_EQ(m_boxes.Boxes().back().text.rfind("Cannot Read File [0001.Z5F] / ", 0), 0u)
            << m_boxes.Boxes().back().text;
        for (int32_t e = 0; e < 2; ++e) EXPECT_EQ(stage.GetWord(0, e, 0), e < c.wordsKept ? e + 1 : 0);
    }
}

TEST_F(StageDataTest, StageFilesAreFoundByNumberAndFlag) {
    WriteStage(12, "group properties\n  word 5\nend\n");
    WriteStage(12, "group properties\n  word 6\nend\n", ".VSE");
    CStageData field, event, missing;
    ASSERT_TRUE(LoadStageFile(field, 12, false));
    ASSERT_TRUE(LoadStageFile(event, 12, true));
    EXPECT_EQ(field.GetWord(0, 0, 0), 5);
    EXPECT_EQ(event.GetWord(0, 0, 0), 6);
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_FALSE(LoadStageFile(missing, 13, false));
    EXPECT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(missing.GetGroupCount(), 0);
}
