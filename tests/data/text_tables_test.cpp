#include "data/text_tables.h"

#include <gtest/gtest.h>

#include "data/file_resource.h"
#include "data/text_format.h"
#include "platform/message_box.h"
#include "tests/support/data_fixtures.h"

namespace {

TEST(TextTables, RowsAndTablesOutsideGiveTheEmptyString) {
    qmtest::ScopedTextTables tables({{0, {"zero", "one", "last"}}, {23, {"\x82\xa0\x82\xa2"}}});
    struct Case {
        int table, row;
        const char* expected;
    } cases[] = {
        {0, 0, "zero"}, {0, 2, "last"}, {0, 3, ""}, {0, -1, ""},
        {-1, 0, ""},    {24, 0, ""},    {1, 0, ""}, {23, 0, "\x82\xa0\x82\xa2"},  // as stored
    };
    for (const Case& c : cases)
        EXPECT_STREQ(GetTableText(c.table, c.row), c.expected) << c.table << "/" << c.row;
}

TEST(TextTables, TableWithoutTextsGivesTheEmptyString) {
    CTextTableSet set;
    set.Create(CTextTableSet::kTableCount);
    std::vector<uint8_t> bytes = WriteDataTable(qmtest::TextTablePlan({"", ""}, 0));
    CFileResource f;
    f.OpenMemory(bytes.data(), uint32_t(bytes.size()));
    ASSERT_TRUE(set.GetTable(5)->ReadTableBinary(f));
    EXPECT_STREQ(set.GetTableText(5, 0), "");
    EXPECT_STREQ(set.GetTableText(5, 1), "");
    EXPECT_FALSE(set.LoadTable(24, 37));
    EXPECT_TRUE(set.Release());
    EXPECT_STREQ(set.GetTableText(0, 0), "");
}

TEST(TextTables, LoadTextTablesFillsEachTableFromItsFile) {
    qmtest::TempDir dir;
    std::string previous = GetDatabaseFolder();
    SetDatabaseFolder(dir.Path() + "/DATABASE");
    std::string folder = dir.Path() + "/DATABASE";
    qmtest::WriteDataFile(folder, 37, qmtest::TextTablePlan({"table 0"}));
    qmtest::WriteDataFile(folder, 39, qmtest::TextTablePlan({"table 2"}));
    qmtest::WriteDataFile(folder, 81, qmtest::TextTablePlan({"table 3"}));
    qmtest::WriteDataFile(folder, 100, qmtest::TextTablePlan({"table 22"}));
    qmtest::WriteDataFile(folder, 101, qmtest::TextTablePlan({"table 23"}));
    CTextTableSet* before = g_pTextTables;
    g_pTextTables = nullptr;
    {
        plat::ScopedMessageBoxRecorder boxes;
        EXPECT_TRUE(LoadTextTables());
        // Every missing file: its Retry/Cancel box and the table's error box.
        EXPECT_EQ(boxes.Boxes().size(), 2u * (24 - 5));
    }
    EXPECT_STREQ(GetTableText(0, 0), "table 0");
    EXPECT_STREQ(GetTableText(1, 0), "");
    EXPECT_STREQ(GetTableText(2, 0), "table 2");
    EXPECT_STREQ(GetTableText(3, 0), "table 3");
    EXPECT_STREQ(GetTableText(22, 0), "table 22");
    EXPECT_STREQ(GetTableText(23, 0), "table 23");
    ReleaseTextTables();
    EXPECT_EQ(g_pTextTables, nullptr);
    EXPECT_STREQ(GetTableText(0, 0), "");
    g_pTextTables = before;
    SetDatabaseFolder(previous);
}

TEST(TextFormat, FormatsOnlyWhatMatchesItsArguments) {
    struct Case {
        const char* format;
        std::string expected;
    } cases[] = {
        {"Read %d of %d", "Read 12 of 7"},
        {"%u/%x/%05d", "12/7/%05d"},
        {"%s and %s", "12 and 7"},  // numbers where texts were asked
        {"100%% %d", "100% 12"},
        {"%n%d", "%n12"},
        {"%*d %d", "%*d 12"},
        {"%d %d %d", "12 7 %d"},
        {"%99999d", "%99999d"},
        {"%-4d|%4d|", "12  |   7|"},
        {"%ld %lld", "12 7"},
        {"trailing %", "trailing %"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatTableText(c.format, {12, 7u}), c.expected) << c.format;
    EXPECT_EQ(FormatTableText("Cannot open %s [%d]", {"a.Z5D"}), "Cannot open a.Z5D [%d]");
    EXPECT_EQ(FormatTableText("%.3s|%6s|%-6s|", {"abcdef", "ab", "cd"}), "abc|    ab|cd    |");
    EXPECT_EQ(FormatTableText("%d", {"text"}), "text");
    EXPECT_EQ(FormatTableText(nullptr, {1}), "");
}

TEST(TextTables, FloatingPointArguments) {
    struct Case {
        const char* format;
        std::string expected;
    } cases[] = {
        {"%.2f and %.2f", "1.90 and 1.89"},
        {"%5.1f|%e", "  1.9|1.890000e+00"},
        {"%g %G", "1.9 1.89"},
        {"%d %s", "1 1.89"},  // the whole part; as a text
    };
    for (const Case& c : cases) EXPECT_EQ(FormatTableText(c.format, {190 * 0.01, 189 * 0.01}), c.expected);
    EXPECT_EQ(FormatTableText("%.2f", {3}), "3.00") << "a whole number as floating point";
    EXPECT_EQ(FormatTableText("%.600f", {1.5}), "%.600f") << "precision above the cap";
    EXPECT_EQ(FormatTableText("%f", {1e308}).size(), 316u) << "the largest values fit";
}

}  // namespace
