#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/cooking_recipe_mgr.h"
#include "data/item_object.h"
#include "data/item_table_mgr.h"
#include "data/meta_cache.h"
#include "data/row_table_mgr.h"
#include "tests/support/meta_fixtures.h"
#include "tests/support/table_builder.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

class ServerRowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_cache = new CMetaCache(m_dir.Path() + "/QM_MCache.DAT");
        g_pMetaCache = m_cache;
    }
    void TearDown() override {
        g_pMetaCache = nullptr;
        delete m_cache;
    }
    void Put(const char* name, const Rows& rows) {
        qmtest::PutMetaTable(*m_cache, name, qmtest::MetaRowsData(rows));
    }

    qmtest::TempDir m_dir;
    CMetaCache* m_cache = nullptr;
};

// A recipe row: key B in column 2, the kind in column 35, key A in column 38.
std::vector<std::string> RecipeRow(const std::string& keyB, const std::string& kind,
                                   const std::string& keyA) {
    std::vector<std::string> row(39);
    row[0] = "recipe";
    row[2] = keyB;
    row[35] = kind;
    row[38] = keyA;
    return row;
}

TEST_F(ServerRowsTest, RecipesOfKindOneOrTwoAreIndexed) {
    std::vector<std::string> longRow = RecipeRow("20", "2", "200");
    longRow.push_back("cell 39");  // beyond the 39 kept
    Put(COOK_RECIPE_TABLE,
        {RecipeRow("10", "1", "100"), longRow, RecipeRow("30", "0", "300"), RecipeRow("40", "3", "400"),
         RecipeRow("50", "257", "500"), RecipeRow("20", "1", "600")});
    CCookRecipeMgr recipes;
    EXPECT_EQ(recipes.GetRowCount(), 6);
    EXPECT_EQ(recipes.GetRecipeCount(), 4);  // kind 257 counts as its low byte, 1

    ASSERT_NE(recipes.FindByKeyA(100), nullptr);
    EXPECT_EQ(recipes.FindByKeyA(100)->GetRow(), 0);
    EXPECT_EQ(recipes.FindByKeyA(200)->GetKind(), 2);
    EXPECT_EQ(recipes.FindByKeyA(300), nullptr);  // kind 0
    EXPECT_EQ(recipes.FindByKeyB(40), nullptr);   // kind 3
    EXPECT_EQ(recipes.FindByKeyB(50)->GetRow(), 4);
    EXPECT_EQ(recipes.FindByKeyB(20)->GetRow(), 5);  // the later row replaced the earlier one
    EXPECT_EQ(recipes.FindByKeyA(200)->GetKeyB(), 20);

    // Every row has an object; indexes outside the rows give null.
    EXPECT_EQ(recipes.GetRecipe(2)->GetKind(), 0);
    EXPECT_EQ(recipes.GetRecipe(6), nullptr);
    EXPECT_EQ(recipes.GetRecipe(-1), nullptr);
    EXPECT_STREQ(recipes.GetCell(38, 1), "200");
    EXPECT_STREQ(recipes.GetCell(39, 1), "");  // not kept
    EXPECT_STREQ(recipes.GetCell(0, 6), "");
}

TEST_F(ServerRowsTest, RecipeCountIsNotLimitedToAByte) {
    Rows rows;
    for (int n = 0; n < 300; ++n) rows.push_back(RecipeRow(std::to_string(n), "1", std::to_string(1000 + n)));
    Put(COOK_RECIPE_TABLE, rows);
    CCookRecipeMgr recipes;
    EXPECT_EQ(recipes.GetRecipeCount(), 300);
    EXPECT_EQ(recipes.FindByKeyA(1299)->GetRow(), 299);
}

TEST_F(ServerRowsTest, RecipesLoadOnceTheTableArrived) {
    CCookRecipeMgr recipes;
    EXPECT_EQ(recipes.GetRowCount(), 0);
    EXPECT_EQ(recipes.GetRecipe(0), nullptr);
    Put(COOK_RECIPE_TABLE, {RecipeRow("1", "1", "2")});
    recipes.LoadCookRecipes();
    EXPECT_EQ(recipes.GetRecipeCount(), 1);
    // Loaded once: a new copy of the table is not read again.
    Put(COOK_RECIPE_TABLE, {RecipeRow("1", "1", "2"), RecipeRow("3", "1", "4")});
    recipes.LoadCookRecipes();
    EXPECT_EQ(recipes.GetRowCount(), 1);
    // Nor while the further object is set.
    CCookRecipeMgr other;
    other.Release();
    other.SetExtraObject(new CMsgObject);
    other.LoadCookRecipes();
    EXPECT_EQ(other.GetRowCount(), 0);
}

TEST_F(ServerRowsTest, RowTableIndexesRowsByColumn0) {
    Put(EQUIPMENT_ABILITY_TABLE,
        {{"7", "Sharp", "Edge", "3", "4", "1001", "2", "0", "5", "1002", "0", "11", "12", "beyond"},
         {"9x", "Short"},
         {"7", "Again"}});
    CRowTableMgr rows;
    EXPECT_EQ(rows.GetCount(), 3);
    CRowHandle* first = rows.GetEntry(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetKey(), 7);
    EXPECT_EQ(first->GetText1(), "Sharp");
    EXPECT_EQ(first->GetText2(), "Edge");
    EXPECT_EQ(first->GetNumber3(), 3);
    EXPECT_EQ(first->GetNumber4(), 4);
    EXPECT_EQ(first->GetNumber11(), 11);
    EXPECT_EQ(first->GetNumber12(), 12);
    EXPECT_STREQ(rows.GetCell(12, 0), "12");
    EXPECT_EQ(rows.GetCellInt(0, 1), 9);             // leading digits
    EXPECT_EQ(rows.GetEntry(1)->GetNumber12(), 0);   // missing cells are empty
    EXPECT_EQ(rows.FindEntry(7), rows.GetEntry(2));  // the later row of the key
    EXPECT_EQ(rows.FindEntry(9), rows.GetEntry(1));
    EXPECT_EQ(rows.FindEntry(8), nullptr);
    EXPECT_EQ(rows.GetEntry(3), nullptr);
    rows.Reset();
    EXPECT_EQ(rows.GetEntry(0), nullptr);
    EXPECT_EQ(rows.FindEntry(7), nullptr);
    CRowHandle orphan(nullptr, 0);
    EXPECT_EQ(orphan.GetKey(), 0);
    EXPECT_EQ(orphan.GetText1(), "");
}

TEST_F(ServerRowsTest, MaterialsAreTheItemsTheItemManagerKnows) {
    qmtest::ScopedDatabase db;
    qmtest::TableBuilder items(2, 60);
    items.U32(ITEM_COL_ITEM_ID).Set(ITEM_COL_ITEM_ID, 0, 1001).Set(ITEM_COL_ITEM_ID, 1, 1002);
    db.Write(CItemTableMgr::ITEM_TABLE_FILE, items);
    // Pairs: (1001, 2) kept; (0, 5) no id; (1002, 0) no count.
    Put(EQUIPMENT_ABILITY_TABLE, {{"1", "", "", "", "", "1001", "2", "0", "5", "1002", "0"},
                                  {"2", "", "", "", "", "1002", "1", "4242", "1", "1001", "3"}});
    CRowTableMgr rows;
    std::vector<CItemObject*> found{nullptr};
    std::vector<int32_t> counts{99};
    rows.GetEntry(0)->GetMaterials(found, counts);
    EXPECT_TRUE(found.empty()) << "no item manager";
    EXPECT_TRUE(counts.empty());

    g_pItemTableMgr = new CItemTableMgr;
    rows.GetEntry(0)->GetMaterials(found, counts);
    EXPECT_EQ(found, std::vector<CItemObject*>{g_pItemTableMgr->GetTemplate(0)});
    EXPECT_EQ(counts, std::vector<int32_t>{2});
    rows.GetEntry(1)->GetMaterials(found, counts);  // 4242 is no item
    EXPECT_EQ(found,
              (std::vector<CItemObject*>{g_pItemTableMgr->GetTemplate(1), g_pItemTableMgr->GetTemplate(0)}));
    EXPECT_EQ(counts, (std::vector<int32_t>{1, 3}));
    delete g_pItemTableMgr;
    g_pItemTableMgr = nullptr;
}

TEST_F(ServerRowsTest, RowTableWaitsForItsTable) {
    CRowTableMgr rows;
    EXPECT_EQ(rows.GetCount(), 0);
    Put(EQUIPMENT_ABILITY_TABLE, {{"5", "x"}});
    rows.LoadRows();
    EXPECT_EQ(rows.GetCount(), 1);
    Put(EQUIPMENT_ABILITY_TABLE, {{"5", "x"}, {"6", "y"}});
    rows.LoadRows();  // holds rows already
    EXPECT_EQ(rows.GetCount(), 1);
    EXPECT_FALSE(rows.Release());
    EXPECT_EQ(rows.GetCount(), 0);
    rows.LoadRows();
    EXPECT_EQ(rows.GetCount(), 2);
}

}  // namespace
