// Builds the description of a binary data table cell by cell, for fixtures
// written with the client's table writer (the one the qmtable tool uses).
// Every column starts as a one-byte integer column of zeros; Define gives a
// column another type (its cells zero, empty or an empty nested table).
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <type_traits>

#include "data/data_table_writer.h"
#include "tests/support/temp_dir.h"

namespace qmtest {

class TableBuilder {
public:
    TableBuilder(uint32_t rows, int columns);

    // Column kinds.
    TableBuilder& U8(int column) { return Define(column, kColInt, 1); }
    TableBuilder& U16(int column) { return Define(column, kColInt, 2); }
    TableBuilder& U32(int column) { return Define(column, kColDword); }
    TableBuilder& Text(int column, uint16_t width = 32) { return Define(column, kColText, 0, 0, width); }
    // A full reference: u16, u16 and u8.
    TableBuilder& Ref(int column) { return Define(column, kColRef, 0, 3); }
    TableBuilder& Pair16(int column) { return Define(column, kColPair, 2); }
    TableBuilder& Bytes3(int column) { return Define(column, kColBytes3); }
    TableBuilder& List(int column, uint8_t count) { return Define(column, kColList, count); }
    TableBuilder& Nested(int column) { return Define(column, kColTable); }
    TableBuilder& Define(int column, uint8_t type, uint8_t param = 0, uint8_t kind = 0, uint16_t width = 0);

    // Cells.
    template <class T>
    requires std::is_integral_v<T> || std::is_enum_v<T> TableBuilder& Set(int column, int row, T value) {
        return Set(column, row, {int64_t(value)});
    }
    TableBuilder& Set(int column, int row, std::initializer_list<int64_t> values);
    TableBuilder& Set(int column, int row, const std::string& text);
    TableBuilder& Set(int column, int row, const char* text) { return Set(column, row, std::string(text)); }
    TableBuilder& Set(int column, int row, const TablePlan& nested);

    const TablePlan& Layout() const { return m_spec; }

private:
    ColumnPlan& At(int column);
    TablePlan m_spec;
};

// A database folder of its own for the lifetime of the object: data files
// written here are the ones CDataTable::LoadDataTable finds.
class ScopedDatabase {
public:
    ScopedDatabase();
    ~ScopedDatabase();
    ScopedDatabase(const ScopedDatabase&) = delete;
    ScopedDatabase& operator=(const ScopedDatabase&) = delete;

    void Write(int fileNumber, const TablePlan& layout);
    void Write(int fileNumber, const TableBuilder& table) { Write(fileNumber, table.Layout()); }
    const std::string& Path() const { return m_dir.Path(); }

private:
    TempDir m_dir;
    std::string m_previous;
};

}  // namespace qmtest
