// Writes binary data tables from a description of their columns. Used by the
// qmtable tool (from its text form) and by tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "data/data_table.h"

struct TablePlan;

struct ColumnPlan {
    uint8_t type = kColInt;
    // Size code (types 0, 7, 10), element width (4), flag (6) or count k (11).
    uint8_t param = 4;
    uint8_t kind = 0;    // type 6: the extra kind when the flag is 0
    uint16_t width = 0;  // types 1 and 8
    // One entry per row: the numbers of the cell (types 0, 2, 4-7, 9-11).
    std::vector<std::vector<int64_t>> values;
    // One entry per row: type 1 texts, type 8 raw bytes (may be empty: zeros).
    std::vector<std::string> texts;
    std::vector<TablePlan> tables;  // type 3, one per row

    // Numbers a cell of this column holds, and their width in bytes (0: the
    // column has no data). Types 1, 3 and 8 hold none.
    int CellArity() const;
    int ElementWidth() const;
};

struct TablePlan {
    uint32_t rows = 0;
    std::vector<ColumnPlan> columns;
};

// The file bytes of layout; empty with a message in error when a column does
// not match the row count or a value does not fit its width. A type above 11
// is written as its type byte alone.
std::vector<uint8_t> WriteDataTable(const TablePlan& layout, std::string* error = nullptr);
