#include "data/row_table_mgr.h"

#include "data/item_table_mgr.h"
#include "data/meta_cache.h"

CRowTableMgr* g_pRowTableMgr = nullptr;

int32_t CRowHandle::Number(int column) const {
    return m_manager ? m_manager->GetCellInt(column, m_row) : 0;
}

std::string CRowHandle::Text(int column) const {
    return m_manager ? m_manager->GetCell(column, m_row) : "";
}

int32_t CRowHandle::GetKey() const {
    return Number(0);
}
std::string CRowHandle::GetText1() const {
    return Text(1);
}
std::string CRowHandle::GetText2() const {
    return Text(2);
}
int32_t CRowHandle::GetNumber3() const {
    return Number(3);
}
int32_t CRowHandle::GetNumber4() const {
    return Number(4);
}
int32_t CRowHandle::GetNumber11() const {
    return Number(11);
}
int32_t CRowHandle::GetNumber12() const {
    return Number(12);
}

void CRowHandle::GetMaterials(std::vector<CItemObject*>& items, std::vector<int32_t>& counts) const {
    items.clear();
    counts.clear();
    if (!m_manager || !g_pItemTableMgr) return;
    for (int column = 5; column <= 9; column += 2) {
        int32_t id = Number(column), count = Number(column + 1);
        if (id == 0 || count == 0) continue;
        if (CItemObject* item = g_pItemTableMgr->FindTemplateById(uint32_t(id))) {
            items.push_back(item);
            counts.push_back(count);
        }
    }
}

CRowTableMgr::CRowTableMgr() {
    LoadRows();
}

CRowTableMgr::~CRowTableMgr() {
    CRowTableMgr::Release();
}

void CRowTableMgr::LoadRows() {
    if (m_rows.GetRowCount() > 0 || !g_pMetaCache) return;
    const CMetaRecord* table = g_pMetaCache->FindTableByName(EQUIPMENT_ABILITY_TABLE);
    if (!table) return;
    m_rows.Append(*table);
    m_entries.clear();
    m_index.clear();
    for (size_t row = 0; row < m_rows.GetRowCount(); ++row) {
        m_entries.push_back(std::make_unique<CRowHandle>(this, int32_t(row)));
        m_index[m_rows.GetCellInt(0, int(row))] = m_entries.back().get();
    }
    m_count = int(m_entries.size());
}

bool CRowTableMgr::Release() {
    m_index.clear();
    m_entries.clear();
    m_rows.Clear();
    m_count = 0;
    CObjectMgr::Release();
    return false;
}

CRowHandle* CRowTableMgr::GetEntry(int index) const {
    return index >= 0 && index < m_count && size_t(index) < m_entries.size() ? m_entries[size_t(index)].get()
                                                                             : nullptr;
}

CRowHandle* CRowTableMgr::FindEntry(int32_t key) const {
    if (m_count == 0) return nullptr;
    auto found = m_index.find(key);
    return found == m_index.end() ? nullptr : found->second;
}
