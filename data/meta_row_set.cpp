#include "data/meta_row_set.h"

#include <cstdlib>

#include "data/meta_cache.h"

bool CMetaRowSet::Append(const CMetaRecord& record) {
    std::vector<MetaRow> parsed;
    bool ok = ParseMetaRows(record, parsed);
    for (MetaRow& row : parsed) {
        row.resize(m_columns);
        m_rows.push_back(std::move(row));
    }
    return ok;
}

const char* CMetaRowSet::GetCell(int column, int row) const {
    if (row < 0 || size_t(row) >= m_rows.size() || column < 0 || size_t(column) >= m_columns) return "";
    return m_rows[size_t(row)][size_t(column)].c_str();
}

int32_t CMetaRowSet::GetCellInt(int column, int row) const {
    return int32_t(std::atol(GetCell(column, row)));
}
