// A recipe row described in rich text.
#include "ui/items/item_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "data/item_object.h"
#include "data/item_table_mgr.h"
#include "data/meta_cache.h"
#include "data/row_table_mgr.h"
#include "graphics/rich_text.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/meta_fixtures.h"
#include "tests/support/table_builder.h"
#include "tests/support/temp_dir.h"

namespace {

std::string RowText(const CRichText& grid, int row) {
    std::string text;
    for (const CRichTextRun& run : grid.Row(row)) text += run.text;
    return text;
}

TEST(RowTextTest, ValuesThenTheMaterialsInTheirColours) {
    qmtest::TempDir dir;
    CMetaCache cache(dir.Path() + "/QM_MCache.DAT");
    CMetaCache* previousCache = std::exchange(g_pMetaCache, &cache);
    qmtest::PutMetaTable(
        cache, EQUIPMENT_ABILITY_TABLE,
        qmtest::MetaRowsData({{"7", "", "", "30", "40", "1001", "2", "1002", "5", "0", "0", "11", "12"}}));
    qmtest::ScopedDatabase db;
    qmtest::TableBuilder items(2, 60);
    items.Text(ITEM_COL_NAME).U32(ITEM_COL_ITEM_ID);
    items.Set(ITEM_COL_NAME, 0, "Ore").Set(ITEM_COL_ITEM_ID, 0, 1001).Set(ITEM_COL_COLOR_CLASS, 0, 4);
    items.Set(ITEM_COL_NAME, 1, "Wood").Set(ITEM_COL_ITEM_ID, 1, 1002);
    db.Write(CItemTableMgr::ITEM_TABLE_FILE, items);
    CItemTableMgr* previousItems = std::exchange(g_pItemTableMgr, new CItemTableMgr);
    std::vector<std::string> texts(96);
    texts[91] = "B";
    texts[92] = "C";
    texts[93] = "D";
    texts[94] = "Needs";
    texts[95] = "A";
    qmtest::ScopedTextTables tables({{19, texts}});

    CRowTableMgr rows;
    CRichText grid;
    grid.ParseRichText(0, 9, "old", kRichWhite, 0);
    BuildRowText(*rows.GetEntry(0), &grid);
    const std::vector<std::string> expected = {"A : 30",  "B : 40",    "C : 11",     "D : 12",
                                               "Needs :", "  Ore x 2", "  Wood x 5", ""};
    for (size_t r = 0; r < expected.size(); ++r) EXPECT_EQ(RowText(grid, int(r)), expected[r]) << r;
    EXPECT_EQ(grid.Row(5).front().colour, 0x00FF00u);  // class 4 is green
    EXPECT_EQ(grid.Row(6).front().colour, kRichWhite);
    EXPECT_TRUE(grid.Row(9).empty());

    delete g_pItemTableMgr;
    g_pItemTableMgr = previousItems;
    g_pMetaCache = previousCache;
}

}  // namespace
