#include "data/cooking_recipe_mgr.h"

#include "data/meta_cache.h"

CCookRecipeMgr* g_pCookRecipeMgr = nullptr;

int32_t CCookRecipe::GetKeyA() const {
    return m_manager ? m_manager->GetCellInt(CCookRecipeMgr::COLUMN_KEY_A, m_row) : 0;
}

int32_t CCookRecipe::GetKeyB() const {
    return m_manager ? m_manager->GetCellInt(CCookRecipeMgr::COLUMN_KEY_B, m_row) : 0;
}

CCookRecipeMgr::CCookRecipeMgr() {
    ResetRecipes();
    LoadCookRecipes();
}

CCookRecipeMgr::~CCookRecipeMgr() {
    CCookRecipeMgr::Release();
}

void CCookRecipeMgr::ResetRecipes() {
    m_recipeCount = 0;
    m_recipes.clear();
    m_extra.reset();
}

void CCookRecipeMgr::LoadCookRecipes() {
    if (m_extra || m_rows.GetRowCount() > 0 || !g_pMetaCache) return;
    const CMetaRecord* table = g_pMetaCache->FindTableByName(COOK_RECIPE_TABLE);
    if (!table) return;
    m_rows.Append(*table);
    m_recipes.clear();
    m_recipes.reserve(m_rows.GetRowCount());
    for (int row = 0; row < int(m_rows.GetRowCount()); ++row) {
        uint8_t kind = uint8_t(GetCellInt(COLUMN_KIND, row));
        if (kind != 1 && kind != 2) {
            m_recipes.emplace_back(this, row, 0);
            continue;
        }
        const CCookRecipe& recipe = m_recipes.emplace_back(this, row, kind);
        m_indexA[recipe.GetKeyA()] = row;
        m_indexB[recipe.GetKeyB()] = row;
        ++m_recipeCount;
    }
}

bool CCookRecipeMgr::Release() {
    m_indexA.clear();
    m_indexB.clear();
    m_recipes.clear();
    m_extra.reset();
    m_rows.Clear();
    m_recipeCount = 0;
    return CObjectMgr::Release();
}

CCookRecipe* CCookRecipeMgr::GetRecipe(int index) {
    if (index < 0 || size_t(index) >= m_recipes.size()) return nullptr;
    return &m_recipes[size_t(index)];
}

CCookRecipe* CCookRecipeMgr::FindByKeyA(int32_t key) {
    auto found = m_indexA.find(key);
    return found == m_indexA.end() ? nullptr : GetRecipe(found->second);
}

CCookRecipe* CCookRecipeMgr::FindByKeyB(int32_t key) {
    auto found = m_indexB.find(key);
    return found == m_indexB.end() ? nullptr : GetRecipe(found->second);
}
