// The item data manager: owns the item table, one template item object per
// row of it, the three item containers and the manager's three current-item
// references (the items that own the open amount input and the two open
// drop confirmations).
#pragma once
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "core/object_mgr.h"
#include "data/data_table.h"
#include "platform/seam.h"

class CItemObject;
class CSlotObjectMgr;

// Makes the item objects the item tables hold (templates and new items); the
// window layer installs its item icon here (absent: plain item objects).
class IItemObjectFactory {
public:
    virtual ~IItemObjectFactory() = default;
    virtual CItemObject* NewItemObject() = 0;
};
void SetItemObjectFactory(IItemObjectFactory* factory);
IItemObjectFactory* GetItemObjectFactory();
using ScopedItemObjectFactory = plat::ScopedInstall<GetItemObjectFactory, SetItemObjectFactory>;

class CItemTableMgr : public CObjectMgr {
public:
    // The data file of the item table.
    static constexpr int ITEM_TABLE_FILE = 7;
    static constexpr int CONTAINER_COUNT = 3;
    static constexpr int CURRENT_ITEM_COUNT = 3;
    // FindFreeEntry looks at no more pool entries than this.
    static constexpr int MAX_POOL_SEARCH = 9999;

    // A new item object: the installed factory's, or a plain one.
    static CItemObject* NewItemObject();

    CItemTableMgr();
    ~CItemTableMgr() override;

    // Clears the pool, the containers and the current items, then loads.
    bool Create() override;
    // Loads the item table and makes one template per row: row i, the item
    // id of column 19, the row's name. False when the file cannot be opened.
    virtual bool LoadItemTable();
    // Frees the templates, the table and the containers.
    bool Release() override;

    const CDataTable* GetTable() const { return m_table.get(); }
    // The item sets: one row per set with its member items, the tiers they
    // make and the bonuses; null while the item tables hold none.
    const CDataTable* GetSetTable() const { return m_setTable.get(); }
    void SetSetTable(std::unique_ptr<CDataTable> table) { m_setTable = std::move(table); }
    // The template of the index (0 to count - 1), or null (also for an
    // emptied entry).
    CItemObject* GetTemplate(int index) const;
    int GetTemplateCount() const { return int(m_pool.size()); }
    // The first template of that kind, or of that item id; null when none.
    CItemObject* FindTemplateByKind(uint32_t kind) const;
    CItemObject* FindTemplateById(uint32_t itemId) const;
    // The index of the first free template (an emptied entry, or one whose
    // row has no item id), or -1.
    int FindFreeEntry() const;
    // The current and the maximum value of the template that FindTemplateByKind
    // or FindTemplateById finds; 0 when it finds none.
    uint32_t GetCurrentByKind(uint32_t kind) const;
    uint32_t GetMaximumByKind(uint32_t kind) const;
    uint32_t GetCurrentById(uint32_t itemId) const;
    uint32_t GetMaximumById(uint32_t itemId) const;
    // Deletes the template of the item id; its entry stays, empty, so that
    // the other templates keep their indexes. False when no template has the id.
    bool DeleteLookedUp(uint32_t itemId);
    // A new item object of the item id (its template's row), or null when no
    // template has the id. The caller owns it.
    CItemObject* MakeItem(uint32_t itemId) const;

    // Each frame: Update of each container there is.
    void UpdateContainers();
    CSlotObjectMgr* GetContainer(int index) const;
    // Gives the manager a container (deleting the one it replaces).
    void SetContainer(int index, CSlotObjectMgr* container);

    CItemObject* GetCurrentItem(int index) const;
    void SetCurrentItem(int index, CItemObject* item);
    // An item going away: every current-item reference to it is cleared.
    void ForgetItem(const CItemObject* item);

private:
    // One value of a template found, or 0.
    static uint32_t ValueOf(const CItemObject* found, uint32_t (CItemObject::*read)() const);

    std::unique_ptr<CDataTable> m_table;
    std::unique_ptr<CDataTable> m_setTable;
    std::vector<std::unique_ptr<CItemObject>> m_pool;
    std::unique_ptr<CSlotObjectMgr> m_containers[CONTAINER_COUNT];
    CItemObject* m_currentItems[CURRENT_ITEM_COUNT] = {};
};

// The program's item data manager (null while there is none).
extern CItemTableMgr* g_pItemTableMgr;
