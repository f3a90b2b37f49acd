// The rows of the server table "EquipmentAbility.meta": 13 text cells a row,
// each row reached through a row handle and indexed by the number in its
// column 0.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/object_mgr.h"
#include "data/meta_row_set.h"

class CItemObject;

inline constexpr char EQUIPMENT_ABILITY_TABLE[] = "EquipmentAbility.meta";

class CRowTableMgr;

// One row of a row-table manager, read through that manager. Without a
// manager a number is 0 and a text empty.
class CRowHandle {
public:
    CRowHandle(const CRowTableMgr* manager, int32_t row) : m_manager(manager), m_row(row) {}
    virtual ~CRowHandle() = default;

    virtual int32_t GetKey() const;        // column 0
    virtual std::string GetText1() const;  // column 1
    virtual std::string GetText2() const;  // column 2
    virtual int32_t GetNumber3() const;    // column 3
    virtual int32_t GetNumber4() const;    // column 4
    // Empties both vectors, then appends each of the three (item id, count)
    // pairs of columns 5-6, 7-8 and 9-10 whose id and count are non-zero and
    // whose item the item manager knows: its template and the count.
    virtual void GetMaterials(std::vector<CItemObject*>& items, std::vector<int32_t>& counts) const;
    virtual int32_t GetNumber11() const;  // column 11
    virtual int32_t GetNumber12() const;  // column 12

    int32_t GetRow() const { return m_row; }

private:
    int32_t Number(int column) const;
    std::string Text(int column) const;
    const CRowTableMgr* m_manager;
    int32_t m_row;
};

class CRowTableMgr : public CObjectMgr {
public:
    static constexpr size_t COLUMN_COUNT = 13;

    CRowTableMgr();
    ~CRowTableMgr() override;

    // Loads the rows unless the manager holds some already or the table
    // cache has no "EquipmentAbility.meta" (a later call tries again).
    virtual void LoadRows();
    // Back to no entries (the rows stay).
    void Reset() { m_count = 0; }
    // Frees the index, the entries and the rows. False.
    bool Release() override;

    // The entry of the index (0 to count - 1), or null.
    CRowHandle* GetEntry(int index) const;
    // The entry of the key (the number in column 0), or null; a later row
    // with the same key replaces an earlier one.
    CRowHandle* FindEntry(int32_t key) const;
    int GetCount() const { return m_count; }
    const char* GetCell(int column, int row) const { return m_rows.GetCell(column, row); }
    int32_t GetCellInt(int column, int row) const { return m_rows.GetCellInt(column, row); }

private:
    CMetaRowSet m_rows{COLUMN_COUNT};
    std::vector<std::unique_ptr<CRowHandle>> m_entries;
    std::map<int32_t, CRowHandle*> m_index;
    int m_count = 0;
};

// The program's row-table manager (null while there is none).
extern CRowTableMgr* g_pRowTableMgr;
