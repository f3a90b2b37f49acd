#include "data/item_table_mgr.h"

#include <algorithm>

#include "data/item_object.h"
#include "data/slot_object_mgr.h"

CItemTableMgr* g_pItemTableMgr = nullptr;

namespace {
IItemObjectFactory* g_itemFactory = nullptr;
}

void SetItemObjectFactory(IItemObjectFactory* factory) {
    g_itemFactory = factory;
}

IItemObjectFactory* GetItemObjectFactory() {
    return g_itemFactory;
}

CItemObject* CItemTableMgr::NewItemObject() {
    return g_itemFactory ? g_itemFactory->NewItemObject() : new CItemObject;
}

CItemTableMgr::CItemTableMgr() {
    CItemTableMgr::Create();
}

CItemTableMgr::~CItemTableMgr() {
    CItemTableMgr::Release();
}

bool CItemTableMgr::Create() {
    CObjectMgr::Create();
    m_pool.clear();
    for (auto& c : m_containers) c.reset();
    for (CItemObject*& item : m_currentItems) item = nullptr;
    LoadItemTable();
    return true;
}

bool CItemTableMgr::LoadItemTable() {
    m_pool.clear();
    m_table = std::make_unique<CDataTable>();
    if (!m_table->LoadDataTable(ITEM_TABLE_FILE)) return false;
    const int rows = m_table->GetRowCount();
    m_pool.reserve(size_t(rows));
    for (int row = 0; row < rows; ++row) {
        std::unique_ptr<CItemObject> item(NewItemObject());
        item->Init(row, m_table->GetInt(ITEM_COL_ITEM_ID, row));
        item->SetName(m_table->GetText(ITEM_COL_NAME, row));  // the global may not point here yet
        m_pool.push_back(std::move(item));
    }
    return true;
}

bool CItemTableMgr::Release() {
    // Items going away ask the manager to forget them; it forgets all first.
    for (CItemObject*& item : m_currentItems) item = nullptr;
    for (auto& c : m_containers) c.reset();
    m_pool.clear();
    m_table.reset();
    m_setTable.reset();
    return CObjectMgr::Release();
}

CItemObject* CItemTableMgr::GetTemplate(int index) const {
    return index >= 0 && index < int(m_pool.size()) ? m_pool[size_t(index)].get() : nullptr;
}

CItemObject* CItemTableMgr::FindTemplateByKind(uint32_t kind) const {
    for (const auto& item : m_pool)
        if (item && item->GetKindId() == kind) return item.get();
    return nullptr;
}

CItemObject* CItemTableMgr::FindTemplateById(uint32_t itemId) const {
    for (const auto& item : m_pool)
        if (item && item->GetItemId() == itemId) return item.get();
    return nullptr;
}

int CItemTableMgr::FindFreeEntry() const {
    const int count = std::min(int(m_pool.size()), MAX_POOL_SEARCH);
    for (int n = 0; n < count; ++n)
        if (!m_pool[size_t(n)] || m_pool[size_t(n)]->GetItemId() == 0) return n;
    return -1;
}

uint32_t CItemTableMgr::ValueOf(const CItemObject* found, uint32_t (CItemObject::*read)() const) {
    return found ? (found->*read)() : 0;
}

uint32_t CItemTableMgr::GetCurrentByKind(uint32_t kind) const {
    return ValueOf(FindTemplateByKind(kind), &CItemObject::GetCurrent);
}

uint32_t CItemTableMgr::GetMaximumByKind(uint32_t kind) const {
    return ValueOf(FindTemplateByKind(kind), &CItemObject::GetMaximum);
}

uint32_t CItemTableMgr::GetCurrentById(uint32_t itemId) const {
    return ValueOf(FindTemplateById(itemId), &CItemObject::GetCurrent);
}

uint32_t CItemTableMgr::GetMaximumById(uint32_t itemId) const {
    return ValueOf(FindTemplateById(itemId), &CItemObject::GetMaximum);
}

bool CItemTableMgr::DeleteLookedUp(uint32_t itemId) {
    for (auto& item : m_pool)
        if (item && item->GetItemId() == itemId) {
            item.reset();
            return true;
        }
    return false;
}

CItemObject* CItemTableMgr::MakeItem(uint32_t itemId) const {
    const CItemObject* found = FindTemplateById(itemId);
    if (!found) return nullptr;
    CItemObject* item = NewItemObject();
    item->Init(found->GetItemRow(), itemId);
    return item;
}

void CItemTableMgr::UpdateContainers() {
    for (auto& c : m_containers)
        if (c) c->Update();
}

CSlotObjectMgr* CItemTableMgr::GetContainer(int index) const {
    return index >= 0 && index < CONTAINER_COUNT ? m_containers[index].get() : nullptr;
}

void CItemTableMgr::SetContainer(int index, CSlotObjectMgr* container) {
    if (index >= 0 && index < CONTAINER_COUNT) m_containers[index].reset(container);
}

CItemObject* CItemTableMgr::GetCurrentItem(int index) const {
    return index >= 0 && index < CURRENT_ITEM_COUNT ? m_currentItems[index] : nullptr;
}

void CItemTableMgr::SetCurrentItem(int index, CItemObject* item) {
    if (index >= 0 && index < CURRENT_ITEM_COUNT) m_currentItems[index] = item;
}

void CItemTableMgr::ForgetItem(const CItemObject* item) {
    for (CItemObject*& current : m_currentItems)
        if (current == item) current = nullptr;
}
