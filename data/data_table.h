// Binary data tables ("%s\%4d.Z5D"): columns of typed cells, every column with
// the table's row count; a column of type 3 holds one nested table per row.
//
// File: u32 column count, u32 row count, then per column a type byte, the
// type's header and its data (see CDataTable::ReadTableBinary). Everything read
// is checked against the bytes that remain before anything is allocated, and
// a damaged file fails the read and leaves the table empty.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/base_object.h"

class CFileResource;
class CDataTable;

enum DataColumnType : uint8_t {
    kColInt = 0,      // u8 size code; one integer of 1, 2 or 4 bytes
    kColText = 1,     // u16 width; fixed-width NUL-terminated text
    kColByte = 2,     // one byte
    kColTable = 3,    // one nested table per row
    kColIntW = 4,     // u8 element width 1, 2 or 4; one integer
    kColDword = 5,    // one 32-bit value
    kColRef = 6,      // u8 flag (+ u8 extra kind when 0); u16 [, u16] [, u8]
    kColPair = 7,     // u8 size code; two integers
    kColSkip = 8,     // u16 width; width bytes per row, not kept
    kColBytes3 = 9,   // 3 bytes
    kColTriple = 10,  // u8 size code; three integers
    kColList = 11,    // u8 count k; k 32-bit values
    kMaxColumnType = 11
};

// Element width in bytes for a size code of types 0, 7 and 10 (0 = no data).
inline int SizeCodeWidth(uint8_t code) {
    return code <= 1 ? 1 : code <= 3 ? 2 : code == 4 ? 4 : 0;
}

// One column; owns every array it points to.
struct CDataColumn {
    uint8_t m_type = 0;
    uint8_t m_sizeCode = 0;  // types 0, 7, 10
    uint32_t m_rowCount = 0;
    uint8_t m_elementWidth = 0;  // type 4
    std::vector<uint32_t> m_values32;
    std::vector<uint16_t> m_values16;
    std::vector<uint8_t> m_values8;
    uint32_t m_textWidth = 0;  // type 1 (type 8: the width skipped)
    std::vector<char> m_texts;
    std::unique_ptr<CDataTable[]> m_tables;  // type 3, m_rowCount of them
    uint8_t m_refFlag = 0;                   // type 6
    uint8_t m_refKind = 0;
    std::vector<uint16_t> m_refFirst, m_refSecond;
    std::vector<uint8_t> m_refThird;
    std::vector<uint8_t> m_bytes3;  // type 9
    uint8_t m_listLength = 0;       // type 11
    std::vector<uint32_t> m_list;

    // Elements per row of the integer arrays: 2 for pairs, 3 for triples, else 1.
    int TupleSize() const { return m_type == kColPair ? 2 : m_type == kColTriple ? 3 : 1; }
    // Width in bytes of the stored integers of types 0, 2, 4, 5, 7, 10, 11 (0: none).
    int IntWidth() const;
};

class CDataTable : public CMsgObject {
public:
    CDataTable();
    ~CDataTable() override;

    // Empties the counts (after construction).
    bool Create() override;
    // Frees every column (nested tables with them); may be called again.
    bool Release() override;

    // Reads data file number from the database folder (through the pack).
    bool LoadDataTable(int fileNumber);
    // Reads a table from an open file; false (and an empty table) when the
    // data is damaged or short.
    bool ReadTableBinary(CFileResource& file);

    int GetColumnCount() const { return m_columnCount; }
    int GetRowCount() const { return m_rowCount; }
    int GetCellCount() const { return m_cellCount; }
    CDataColumn* GetColumn(int column) const;
    // The text cell of a type-1 column; null for another type, a column of
    // width 0 or a row outside the table.
    const char* GetCell(int column, int row) const;

    // Typed getters: 0 (or null, false) for a missing column, a row outside
    // the table or a column of another kind; integers are read at the width
    // the file gave them.
    // Types 0, 2, 4 and 5.
    uint32_t GetInt(int column, int row) const;
    int32_t GetSignedInt(int column, int row) const;
    // Element index of a type 7 (0-1), 10 (0-2) or 11 (0 to k - 1) cell.
    uint32_t GetTupleInt(int column, int row, int index) const;
    int32_t GetSignedTupleInt(int column, int row, int index) const;
    const char* GetText(int column, int row) const { return GetCell(column, row); }
    CDataTable* GetNested(int column, int row) const;
    bool GetRef(int column, int row, uint16_t* first, uint16_t* second, uint8_t* third) const;
    const uint8_t* GetBytes3(int column, int row) const;

    // Nesting deeper than this fails the read.
    static constexpr int kMaxDepth = 32;

private:
    friend class DataTableReader;
    void Clear();

    int m_cellCount = 0;
    int m_columnCount = 0;
    int m_rowCount = 0;
    std::unique_ptr<CDataColumn[]> m_columns;
};

// Cell getters that take a table that may be missing: 0 (null) for a null
// table, a row outside it or a column of another kind.
// The 16-bit cell at (column, row).
uint16_t GetTableBlockWord(const CDataTable* table, int column, int row);
// The 8-bit cell at (column, row).
uint8_t GetTableByte(const CDataTable* table, int column, int row);
// The record (nested table) cell at (column, row).
const CDataTable* GetTableRecord(const CDataTable* table, int column, int row);

// The folder of the numbered data files (configuration key DATABASE_FOLDER,
// default ".\DATABASE"), and the path of data file number n in it.
void SetDatabaseFolder(const std::string& folder);
const std::string& GetDatabaseFolder();
std::string DataFilePath(int fileNumber);
