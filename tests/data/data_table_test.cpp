#include "data/data_table.h"

#include <gtest/gtest.h>

#include <cstring>

#include "data/data_table_text.h"
#include "data/file_resource.h"
#include "platform/codepage.h"
#include "platform/message_box.h"
#include "tests/support/data_fixtures.h"

namespace {

// Every column type, a nested table among them.
const char kAllTypes[] = R"(
table 2
  column int code=4        -5 4000000000
  column text width=8      "sword" "\x82\xa0\x82\xa2"
  column byte              7 255
  column table
    table 1
      column intw width=2  513
    end
    table 2
      column int code=0    1 2
      column table
        table 1 column dword 99 end
        table 0 end
    end
  column intw width=1      200 3
  column dword             123456789 0xffffffff
  column ref flag=0 kind=3 (1 2 3) (65535 0 255)
  column pair code=2       (1 2) (-1 40000)
  column skip width=3      "abc" "de"
  column bytes3            (1 2 3) (4 5 6)
  column triple code=0     (1 2 3) (250 251 252)
  column list k=3          (10 20 30) (40 50 60)
end
)";

std::vector<uint8_t> Build(const char* text) {
    TablePlan layout;
    std::string error;
    EXPECT_TRUE(ParseTableText(text, layout, &error)) << error;
    std::vector<uint8_t> bytes = WriteDataTable(layout, &error);
    EXPECT_FALSE(bytes.empty()) << error;
    return bytes;
}

bool Read(CDataTable& table, const std::vector<uint8_t>& bytes) {
    CFileResource f;
    f.OpenMemory(bytes.data(), uint32_t(bytes.size()));
    return table.ReadTableBinary(f);
}

void ExpectAllTypes(const CDataTable& t) {
    ASSERT_EQ(t.GetColumnCount(), 12);
    ASSERT_EQ(t.GetRowCount(), 2);
    EXPECT_EQ(t.GetCellCount(), 24);
    EXPECT_EQ(t.GetSignedInt(0, 0), -5);
    EXPECT_EQ(t.GetInt(0, 1), 4000000000u);
    EXPECT_STREQ(t.GetCell(1, 0), "sword");
    EXPECT_STREQ(t.GetText(1, 1), "\x82\xa0\x82\xa2");
    EXPECT_EQ(t.GetInt(2, 1), 255u);
    EXPECT_EQ(t.GetSignedInt(2, 1), -1);
    CDataTable* n0 = t.GetNested(3, 0);
    CDataTable* n1 = t.GetNested(3, 1);
    ASSERT_TRUE(n0 && n1);
    EXPECT_EQ(n0->GetInt(0, 0), 513u);
    EXPECT_EQ(n1->GetRowCount(), 2);
    EXPECT_EQ(n1->GetInt(0, 1), 2u);
    ASSERT_TRUE(n1->GetNested(1, 0));
    EXPECT_EQ(n1->GetNested(1, 0)->GetInt(0, 0), 99u);
    EXPECT_EQ(n1->GetNested(1, 1)->GetRowCount(), 0);
    EXPECT_EQ(t.GetInt(4, 0), 200u);
    EXPECT_EQ(t.GetInt(5, 0), 123456789u);
    EXPECT_EQ(t.GetSignedInt(5, 1), -1);
    uint16_t a = 0, b = 0;
    uint8_t c = 0;
    EXPECT_TRUE(t.GetRef(6, 1, &a, &b, &c));
    EXPECT_EQ(a, 65535);
    EXPECT_EQ(b, 0);
    EXPECT_EQ(c, 255);
    EXPECT_EQ(t.GetSignedTupleInt(7, 1, 0), -1);
    EXPECT_EQ(t.GetTupleInt(7, 1, 1), 40000u);
    EXPECT_EQ(t.GetColumn(8)->m_type, kColSkip);  // its bytes are skipped
    ASSERT_TRUE(t.GetBytes3(9, 1));
    EXPECT_EQ(t.GetBytes3(9, 1)[2], 6);
    EXPECT_EQ(t.GetTupleInt(10, 1, 2), 252u);
    EXPECT_EQ(t.GetTupleInt(11, 1, 0), 40u);
    EXPECT_EQ(t.GetTupleInt(11, 0, 2), 30u);
}

TEST(DataTable, EmptyNestedTablesWithColumnsAreWrittenEmpty) {
    std::vector<uint8_t> bytes = Build(R"(
table 2
  column table
    table 0 column int code=1 end
    table 1 column int code=1 7 end
  column byte 3 4
end
)");
    CDataTable table;
    ASSERT_TRUE(Read(table, bytes));
    EXPECT_EQ(table.GetNested(0, 0)->GetRowCount(), 0);
    EXPECT_EQ(table.GetNested(0, 1)->GetInt(0, 0), 7u);
    EXPECT_EQ(table.GetInt(1, 1), 4u);
}

TEST(DataTable, EveryColumnTypeRoundTripsThroughTheTextForm) {
    std::vector<uint8_t> bytes = Build(kAllTypes);
    CDataTable table;
    ASSERT_TRUE(Read(table, bytes));
    ExpectAllTypes(table);
    // What qmtable dump prints builds a file the client reads the same way.
    std::string dumped = DumpTableText(table);
    std::vector<uint8_t> again = Build(dumped.c_str());
    CDataTable reread;
    ASSERT_TRUE(Read(reread, again));
    ExpectAllTypes(reread);
    EXPECT_EQ(DumpTableText(reread), dumped);
    // Only the skipped bytes of the type-8 column differ: the reader keeps none.
    EXPECT_EQ(again.size(), bytes.size());
}

TEST(DataTable, ReadsFromAStreamLikeFromMemory) {
    qmtest::TempDir dir;
    std::string path = dir.WriteFile("0006.Z5D", Build(kAllTypes));
    CFileResource f;
    ASSERT_TRUE(f.OpenFile(path.c_str(), kFileStream, "rb", false, nullptr));
    CDataTable table;
    ASSERT_TRUE(table.ReadTableBinary(f));
    ExpectAllTypes(table);
}

TEST(DataTable, SizeCodesWidthsAndReferenceLayouts) {
    CDataTable t;
    ASSERT_TRUE(Read(t, Build(R"(
        table 2
          column int code=1    255 1
          column int code=3    65535 2
          column int code=5
          column intw width=3
          column ref flag=1    7 8
          column ref flag=0 kind=0 (9) (10)
          column ref flag=0 kind=1 (1 2) (3 4)
          column ref flag=0 kind=2 (5 6) (7 8)
          column skip width=0
          column byte 42 43
        end)")));
    EXPECT_EQ(t.GetSignedInt(0, 0), -1);  // code 1 reads as code 0: 8 bits
    EXPECT_EQ(t.GetColumn(0)->IntWidth(), 1);
    EXPECT_EQ(t.GetSignedInt(1, 0), -1);  // code 3 as code 2: 16 bits
    EXPECT_EQ(t.GetColumn(1)->IntWidth(), 2);
    EXPECT_EQ(t.GetInt(2, 0), 0u);  // no data
    EXPECT_EQ(t.GetInt(3, 1), 0u);
    uint16_t a = 1, b = 1;
    uint8_t c = 1;
    EXPECT_TRUE(t.GetRef(4, 1, &a, &b, &c));
    EXPECT_EQ(a, 8);
    EXPECT_EQ(b, 0);
    EXPECT_EQ(c, 0);
    t.GetRef(6, 1, &a, &b, &c);
    EXPECT_EQ(b, 4);
    t.GetRef(7, 0, &a, &b, &c);
    EXPECT_EQ(a, 5);
    EXPECT_EQ(b, 0);
    EXPECT_EQ(c, 6);
    EXPECT_EQ(t.GetInt(9, 1), 43u);  // everything before was consumed exactly
}

TEST(DataTable, TypedGettersRefuseOtherKindsAndRows) {
    CDataTable t;
    ASSERT_TRUE(Read(t, Build(R"(
        table 2
          column text width=4   "ab" "cd"
          column dword          1 2
          column text width=0   "" ""
          column pair code=4    (1 2) (3 4)
          column list k=0       () ()
        end)")));
    struct Case {
        const char* what;
        bool nonzero;
    } cases[] = {
        {"text of a text column", t.GetCell(0, 1) != nullptr},
        {"text of a number column", t.GetCell(1, 0) != nullptr},
        {"text of width 0", t.GetCell(2, 0) != nullptr},
        {"text of row -1", t.GetCell(0, -1) != nullptr},
        {"text of the row count", t.GetCell(0, 2) != nullptr},
        {"text of a missing column", t.GetCell(9, 0) != nullptr},
        {"number of a text column", t.GetInt(0, 0) != 0},
        {"number of a pair column", t.GetInt(3, 0) != 0},
        {"pair element 2", t.GetTupleInt(3, 0, 2) != 0},
        {"pair element -1", t.GetTupleInt(3, 0, -1) != 0},
        {"tuple of a number column", t.GetTupleInt(1, 0, 0) != 0},
        {"list element of k 0", t.GetTupleInt(4, 0, 0) != 0},
        {"nested of a number column", t.GetNested(1, 0) != nullptr},
        {"reference of a number column", t.GetRef(1, 0, nullptr, nullptr, nullptr)},
        {"three bytes of a text column", t.GetBytes3(0, 0) != nullptr},
        {"column at the column count", t.GetColumn(5) != nullptr},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.nonzero, std::string(c.what) == "text of a text column") << c.what;
    CDataTable empty;
    EXPECT_EQ(empty.GetCell(0, 0), nullptr);
    EXPECT_EQ(empty.GetInt(0, 0), 0u);
}

TEST(DataTable, TextCellsEndInsideTheirWidth) {
    std::vector<uint8_t> bytes = Build(R"(
        table 3
          column text width=4 "abc" "ab" "xyz"
        end)");
    // Fill the cells to their full width, the second ending in a lead byte.
    const size_t texts = 4 + 4 + 1 + 2;
    std::memcpy(&bytes[texts], "abcd", 4);
    std::memcpy(&bytes[texts + 4], "ab\x82\xa0", 4);
    plat::ScopedCodePage sjis(plat::CP_SHIFT_JIS);
    CDataTable t;
    ASSERT_TRUE(Read(t, bytes));
    EXPECT_STREQ(t.GetCell(0, 0), "abc");
    EXPECT_STREQ(t.GetCell(0, 1), "ab");  // a double-byte character is not split
    EXPECT_STREQ(t.GetCell(0, 2), "xyz");
}

TEST(DataTable, EveryTruncationFailsCleanly) {
    std::vector<uint8_t> bytes = Build(kAllTypes);
    for (size_t len = 0; len < bytes.size(); ++len) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + long(len));
        CDataTable t;
        EXPECT_FALSE(Read(t, cut)) << len;
        EXPECT_EQ(t.GetColumnCount(), 0) << len;
        EXPECT_EQ(t.GetRowCount(), 0) << len;
        EXPECT_EQ(t.GetColumn(0), nullptr) << len;
    }
    // From a stream each short read shows its box as well.
    qmtest::TempDir dir;
    std::string path = dir.WriteFile("t.Z5D", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 9));
    plat::ScopedMessageBoxRecorder boxes;
    CFileResource f;
    ASSERT_TRUE(f.OpenFile(path.c_str(), kFileStream, "rb", false, nullptr));
    CDataTable t;
    EXPECT_FALSE(t.ReadTableBinary(f));
    EXPECT_EQ(t.GetRowCount(), 0);
}

std::vector<uint8_t> U32s(std::initializer_list<uint32_t> values) {
    std::vector<uint8_t> out;
    for (uint32_t v : values)
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
    return out;
}

TEST(DataTable, HostileCountsAndTypesFailBeforeAllocating) {
    auto with = [](std::vector<uint8_t> head, std::initializer_list<uint8_t> tail) {
        head.insert(head.end(), tail);
        return head;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"no columns", U32s({0, 5})},
        {"no rows", U32s({1, 0})},
        {"negative rows", U32s({1, 0x80000000})},
        {"more columns than bytes", with(U32s({0x10000000, 1}), {2, 1})},
        {"rows beyond the data", with(U32s({1, 0x7fffffff}), {5, 0, 0, 0, 0})},
        {"text larger than the data", with(U32s({1, 0x10000}), {1, 0xff, 0xff})},
        {"nested tables beyond the data", with(U32s({1, 0x1000000}), {3})},
        {"skip beyond the data", with(U32s({1, 3}), {8, 10, 0, 1, 2, 3})},
        {"list beyond the data", with(U32s({1, 0x1000000}), {11, 255})},
        {"column type 12", with(U32s({2, 1}), {12, 2, 7})},
        {"column type 255", with(U32s({1, 1}), {255})},
    };
    for (const Case& c : cases) {
        CDataTable t;
        EXPECT_FALSE(Read(t, c.bytes)) << c.what;
        EXPECT_EQ(t.GetColumnCount(), 0) << c.what;
    }
}

TEST(DataTable, ColumnsWithoutDataMayClaimManyRows) {
    std::vector<uint8_t> bytes = U32s({2, 0x7fffffff});
    bytes.insert(bytes.end(), {0, 5, 8, 0, 0});  // type 0 storing nothing, type 8 of width 0
    CDataTable t;
    ASSERT_TRUE(Read(t, bytes));
    EXPECT_EQ(t.GetRowCount(), 0x7fffffff);
    EXPECT_EQ(t.GetInt(0, 0x7ffffffe), 0u);
    EXPECT_EQ(DumpTableText(t), "table 2147483647\n  column int code=5\n  column skip width=0\nend\n");
}

TEST(DataTable, NestingDepthIsBounded) {
    auto nested = [](int depth) {
        TablePlan layout{1, {}};
        ColumnPlan leaf;
        leaf.type = kColByte;
        leaf.values = {{1}};
        layout.columns.push_back(leaf);
        for (int i = 0; i < depth; ++i) {
            TablePlan outer{1, {}};
            ColumnPlan c;
            c.type = kColTable;
            c.tables.push_back(std::move(layout));
            outer.columns.push_back(std::move(c));
            layout = std::move(outer);
        }
        return WriteDataTable(layout);
    };
    CDataTable t;
    EXPECT_TRUE(Read(t, nested(CDataTable::kMaxDepth)));
    EXPECT_FALSE(Read(t, nested(CDataTable::kMaxDepth + 1)));
}

TEST(DataTable, LoadDataTableReadsThroughThePackAndReportsMissingFiles) {
    qmtest::TempDir dir;
    std::string previous = GetDatabaseFolder();
    SetDatabaseFolder(dir.Path() + "\\DATABASE");
    EXPECT_EQ(DataFilePath(6), dir.Path() + "\\DATABASE\\0006.Z5D");
    qmtest::WriteDataFile(dir.Path() + "/database", 6, qmtest::TextTablePlan({"loose"}));
    std::vector<std::string> t15 = {"out of memory", "Cannot open %s"};
    qmtest::ScopedTextTables texts({{15, t15}});
    CDataTable t;
    EXPECT_TRUE(t.LoadDataTable(6));
    EXPECT_STREQ(t.GetCell(0, 0), "loose");

    plat::ScopedMessageBoxRecorder boxes;
    EXPECT_FALSE(t.LoadDataTable(7));
    ASSERT_EQ(boxes.Boxes().size(), 2u);  // the file's Retry/Cancel box, then the table's
    EXPECT_EQ(boxes.Boxes()[0].type, plat::MB_RETRYCANCEL);
    EXPECT_EQ(boxes.Boxes()[1].text, "Cannot open " + DataFilePath(7));
    SetDatabaseFolder(previous);
}

TEST(DataTable, ParserReportsMistakes) {
    const char* bad[] = {
        "",
        "table 1 column int code=4 1",
        "table 2 column int code=4 1 end",
        "table 1 column int code=0 300 end",
        "table 1 column text width=3 \"abc\" end",
        "table 1 column wobble end",
        "table 1 column pair code=2 (1) end",
        "table 1 column int code=5 3 end",
        "table 1 end end",
    };
    for (const char* text : bad) {
        TablePlan layout;
        std::string error;
        bool ok = ParseTableText(text, layout, &error) && !WriteDataTable(layout, &error).empty();
        EXPECT_FALSE(ok) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

// Rows given one a line, in the table's own text and in further parts: every
// column of the row gets its cell, rows nothing gives are empty, and an
// "auto" table counts up to the last row given.
TEST(DataTable, RowLinesFillEveryColumnAndLeaveTheRestEmpty) {
    const char* text = R"(table auto
  column text width=8
  column dword
  column pair code=2
  column table
  row 1 "one" 11 (1 2) table 1 column byte 7 end
end
)";
    const std::vector<TableRowsText> parts = {{"b.rows", "row 4 \"four\" 44 (3 4) table 0 end\n"},
                                              {"a.rows", "# a comment\nrow 0 \"zero\" 0 (0 0) table 0 end"}};
    TablePlan layout;
    std::string error;
    ASSERT_TRUE(ParseTableText(text, parts, layout, &error)) << error;
    std::vector<uint8_t> bytes = WriteDataTable(layout, &error);
    ASSERT_FALSE(bytes.empty()) << error;
    CDataTable t;
    ASSERT_TRUE(Read(t, bytes));
    ASSERT_EQ(t.GetRowCount(), 5);
    EXPECT_STREQ(t.GetCell(0, 0), "zero");
    EXPECT_STREQ(t.GetCell(0, 1), "one");
    EXPECT_STREQ(t.GetCell(0, 2), "");
    EXPECT_STREQ(t.GetCell(0, 4), "four");
    EXPECT_EQ(t.GetInt(1, 1), 11);
    EXPECT_EQ(t.GetInt(1, 3), 0);
    EXPECT_EQ(t.GetTupleInt(2, 4, 1), 4u);
    EXPECT_EQ(t.GetNested(3, 1)->GetRowCount(), 1);
    EXPECT_EQ(t.GetNested(3, 2)->GetRowCount(), 0);

    // Row lines after column lists, in a table of fixed size.
    ASSERT_TRUE(ParseTableText("table 4 column text width=4 \"a\" \"b\" row 3 \"d\" end", layout, &error))
        << error;
    ASSERT_TRUE(Read(t, WriteDataTable(layout, &error)));
    EXPECT_STREQ(t.GetCell(0, 1), "b");
    EXPECT_STREQ(t.GetCell(0, 2), "");
    EXPECT_STREQ(t.GetCell(0, 3), "d");
}

TEST(DataTable, RowLinesThatClashAreRefusedWithTheirFile) {
    struct Case {
        const char* text;
        std::vector<TableRowsText> parts;
        const char* error;  // part of the message
    };
    const Case cases[] = {
        {"table 2 column text width=4 \"a\" row 0 \"b\" end", {}, "row 0 given twice"},
        {"table 2 column text width=4 row 2 \"b\" end", {}, "past the row count"},
        {"table auto column text width=4 row 1 \"b\" end",
         {{"x.rows", "row 1 \"c\""}},
         "x.rows: line 1: row 1 given twice"},
        {"table auto column text width=4 column dword end",
         {{"y.rows", "row 0 \"c\""}},
         "y.rows: line 1: expected a number"},
        {"table auto column text width=4 end",
         {{"z.rows", "row 0 \"c\" end"}},
         "z.rows: line 1: expected 'row'"},
        {"table auto column pair code=2 row 0 5 end", {}, "expected '('"},
    };
    for (const Case& c : cases) {
        TablePlan layout;
        std::string error;
        EXPECT_FALSE(ParseTableText(c.text, c.parts, layout, &error)) << c.text;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.text << " -> " << error;
    }
}

}  // namespace
