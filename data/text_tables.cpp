#include "data/text_tables.h"

CTextTableSet* g_pTextTables = nullptr;

bool CTextTableSet::Create(int count) {
    Release();
    if (count > 0) {
        m_tables.reset(new CDataTable[size_t(count)]);
        m_count = count;
    }
    return true;
}

bool CTextTableSet::LoadTable(int table, int fileNumber) {
    CDataTable* t = GetTable(table);
    return t && t->LoadDataTable(fileNumber);
}

CDataTable* CTextTableSet::GetTable(int table) const {
    if (table < 0 || table >= m_count || table >= kTableCount) return nullptr;
    return &m_tables[size_t(table)];
}

const char* CTextTableSet::GetTableText(int table, int row) const {
    const CDataTable* t = GetTable(table);
    const char* text = t ? t->GetCell(0, row) : nullptr;
    return text ? text : "";
}

bool CTextTableSet::Release() {
    m_tables.reset();
    m_count = 0;
    return true;
}

bool LoadTextTables() {
    if (!g_pTextTables) g_pTextTables = new CTextTableSet;
    g_pTextTables->Create(CTextTableSet::kTableCount);
    g_pTextTables->LoadTable(0, 37);
    g_pTextTables->LoadTable(1, 38);
    g_pTextTables->LoadTable(2, 39);
    for (int t = 3; t <= 22; ++t) g_pTextTables->LoadTable(t, t + 78);
    g_pTextTables->LoadTable(23, 101);
    return true;
}

void ReleaseTextTables() {
    delete g_pTextTables;
    g_pTextTables = nullptr;
}

const char* GetTableText(int table, int row) {
    return g_pTextTables ? g_pTextTables->GetTableText(table, row) : "";
}
