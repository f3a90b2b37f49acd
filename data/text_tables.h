// The 24 text tables that hold every text the program shows, read by (table,
// row). Each is a data table whose column 0 is a fixed-width text column.
#pragma once
#include <memory>

#include "data/data_table.h"

class CTextTableSet {
public:
    static constexpr int kTableCount = 24;

    CTextTableSet() = default;
    virtual ~CTextTableSet() { Release(); }
    CTextTableSet(const CTextTableSet&) = delete;
    CTextTableSet& operator=(const CTextTableSet&) = delete;

    // Makes count empty tables (none when count is 0 or less).
    bool Create(int count);
    // Loads table (0-23) from data file fileNumber.
    bool LoadTable(int table, int fileNumber);
    // The text of row in table, or "" for a table or row outside, or a table
    // without texts. Valid until the set is released.
    const char* GetTableText(int table, int row) const;
    bool Release();

    CDataTable* GetTable(int table) const;
    int GetCount() const { return m_count; }

private:
    std::unique_ptr<CDataTable[]> m_tables;
    int m_count = 0;
};

// The program's text tables (null until LoadTextTables).
extern CTextTableSet* g_pTextTables;

// Creates the global set and loads tables 0-2 from files 37-39, 3-22 from
// 81-100 and 23 from 101; a missing file leaves its table empty. True.
bool LoadTextTables();
// Deletes the global set.
void ReleaseTextTables();
// The text of the global set; "" while there is none.
const char* GetTableText(int table, int row);
