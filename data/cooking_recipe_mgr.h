// Cooking recipes from the server table "Manufactures_Cook.meta": one row of
// 39 text cells and one recipe object per table row, and two indexes from a
// recipe's keys to its row. Only recipes of kind 1 or 2 are indexed.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "core/object_mgr.h"
#include "data/meta_row_set.h"

inline constexpr char COOK_RECIPE_TABLE[] = "Manufactures_Cook.meta";

class CCookRecipeMgr;

class CCookRecipe {
public:
    CCookRecipe(const CCookRecipeMgr* manager, int32_t row, uint8_t kind)
        : m_manager(manager), m_row(row), m_kind(kind) {}

    int32_t GetRow() const { return m_row; }
    // 1 or 2 for a recipe; 0 for a row of another kind.
    uint8_t GetKind() const { return m_kind; }
    // Key A: the number of column 38; key B: the number of column 2.
    int32_t GetKeyA() const;
    int32_t GetKeyB() const;

private:
    const CCookRecipeMgr* m_manager;
    int32_t m_row;
    uint8_t m_kind;
};

class CCookRecipeMgr : public CObjectMgr {
public:
    static constexpr size_t COLUMN_COUNT = 39;
    static constexpr int COLUMN_KEY_A = 38;
    static constexpr int COLUMN_KEY_B = 2;
    static constexpr int COLUMN_KIND = 35;

    CCookRecipeMgr();
    ~CCookRecipeMgr() override;

    // Loads the table once: nothing while rows are loaded or the further
    // object is set, or while the table cache has no recipe table (a later
    // call tries again).
    void LoadCookRecipes();
    // No recipes, no further object (used at construction).
    void ResetRecipes();
    // Empties the indexes, deletes the recipes, the further object and the rows.
    bool Release() override;

    const char* GetCell(int column, int row) const { return m_rows.GetCell(column, row); }
    int32_t GetCellInt(int column, int row) const { return m_rows.GetCellInt(column, row); }
    // The recipe object of the row, or null outside the rows.
    CCookRecipe* GetRecipe(int index);
    CCookRecipe* FindByKeyA(int32_t key);
    CCookRecipe* FindByKeyB(int32_t key);
    // Rows of kind 1 or 2.
    int GetRecipeCount() const { return m_recipeCount; }
    int GetRowCount() const { return int(m_rows.GetRowCount()); }

    // An object of the cooking windows the manager keeps (and deletes);
    // while one is set nothing is loaded.
    void SetExtraObject(CMsgObject* object) { m_extra.reset(object); }

private:
    CMetaRowSet m_rows{COLUMN_COUNT};
    std::vector<CCookRecipe> m_recipes;
    std::map<int32_t, int32_t> m_indexA;
    std::map<int32_t, int32_t> m_indexB;
    int m_recipeCount = 0;
    std::unique_ptr<CMsgObject> m_extra;
};

// The program's recipe manager (null while there is none).
extern CCookRecipeMgr* g_pCookRecipeMgr;
