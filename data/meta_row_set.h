// The rows of a server table read as binary rows, each cut or padded to a
// fixed number of text cells.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CMetaRecord;

class CMetaRowSet {
public:
    explicit CMetaRowSet(size_t columns) : m_columns(columns) {}

    // Appends the rows of the table: the first cells of each row, at most
    // the column count (missing cells stay empty). A table cut short gives
    // the rows read before the cut and false.
    bool Append(const CMetaRecord& record);
    void Clear() { m_rows.clear(); }

    size_t GetRowCount() const { return m_rows.size(); }
    size_t GetColumnCount() const { return m_columns; }
    // The cell's text; "" outside the rows or columns.
    const char* GetCell(int column, int row) const;
    // The cell's number (atol: leading digits, 0 for none).
    int32_t GetCellInt(int column, int row) const;

private:
    size_t m_columns;
    std::vector<std::vector<std::string>> m_rows;
};
