#include "tests/support/table_builder.h"

#include <cstdio>
#include <cstdlib>

#include "data/data_table.h"
#include "tests/support/data_fixtures.h"

namespace qmtest {

TableBuilder::TableBuilder(uint32_t rows, int columns) {
    m_spec.rows = rows;
    m_spec.columns.resize(size_t(columns));
    for (int c = 0; c < columns; ++c) Define(c, kColInt, 1);
}

ColumnPlan& TableBuilder::At(int column) {
    if (column < 0 || size_t(column) >= m_spec.columns.size()) {
        std::fprintf(stderr, "TableBuilder: no column %d\n", column);
        std::abort();
    }
    return m_spec.columns[size_t(column)];
}

TableBuilder& TableBuilder::Define(int column, uint8_t type, uint8_t param, uint8_t kind, uint16_t width) {
    ColumnPlan& c = At(column);
    c = ColumnPlan{};
    c.type = type;
    c.param = param;
    c.kind = kind;
    c.width = width;
    if (type == kColText) c.texts.assign(m_spec.rows, "");
    if (type == kColTable) c.tables.assign(m_spec.rows, TablePlan{});
    if (c.ElementWidth() && c.CellArity())
        c.values.assign(m_spec.rows, std::vector<int64_t>(size_t(c.CellArity()), 0));
    return *this;
}

TableBuilder& TableBuilder::Set(int column, int row, std::initializer_list<int64_t> values) {
    ColumnPlan& c = At(column);
    if (row < 0 || size_t(row) >= c.values.size() || values.size() != size_t(c.CellArity())) std::abort();
    c.values[size_t(row)] = values;
    return *this;
}

TableBuilder& TableBuilder::Set(int column, int row, const std::string& text) {
    ColumnPlan& c = At(column);
    if (row < 0 || size_t(row) >= c.texts.size()) std::abort();
    c.texts[size_t(row)] = text;
    return *this;
}

TableBuilder& TableBuilder::Set(int column, int row, const TablePlan& nested) {
    ColumnPlan& c = At(column);
    if (row < 0 || size_t(row) >= c.tables.size()) std::abort();
    c.tables[size_t(row)] = nested;
    return *this;
}

ScopedDatabase::ScopedDatabase() : m_previous(GetDatabaseFolder()) {
    SetDatabaseFolder(m_dir.Path() + "\\DATABASE");
}

ScopedDatabase::~ScopedDatabase() {
    SetDatabaseFolder(m_previous);
}

void ScopedDatabase::Write(int fileNumber, const TablePlan& layout) {
    WriteDataFile(m_dir.Path() + "/DATABASE", fileNumber, layout);
}

}  // namespace qmtest
