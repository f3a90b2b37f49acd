#include "data/slot_object_mgr.h"

#include <cstring>

#include "data/item_object.h"

CSlotObjectMgr::~CSlotObjectMgr() {
    CSlotObjectMgr::Release();
}

bool CSlotObjectMgr::Release() {
    CSlotObjectMgr::DeleteAllChildren();
    return CObjectMgr::Release();
}

bool CSlotObjectMgr::Update() {
    for (CMsgObject* child : Children())
        if (auto* item = dynamic_cast<CItemObject*>(child)) item->Update();
    return true;
}

CItemObject* CSlotObjectMgr::GetSlot(int index) {
    return index >= 0 && index < SLOT_COUNT ? m_slots[index] : nullptr;
}

CItemObject* CSlotObjectMgr::OwnItem(CMsgObject* object) {
    if (!object) return nullptr;
    CMsgObject* child = FindChild(object->GetId());
    return child == object ? dynamic_cast<CItemObject*>(child) : nullptr;
}

void CSlotObjectMgr::ForgetSlots(CMsgObject* object) {
    if (!object) return;
    for (CItemObject*& slot : m_slots)
        if (slot && static_cast<CMsgObject*>(slot) == object) slot = nullptr;
}

bool CSlotObjectMgr::PutInSlot(CItemObject* item, uint8_t index) {
    if (index >= SLOT_COUNT || !item) return false;
    if (m_slots[index] == item) return true;
    const bool child = OwnItem(item) != nullptr;
    ForgetSlots(item);
    RemoveBySlot(index);
    m_slots[index] = item;
    item->SetSlotIndex(index);
    if (!child) AddChild(item);
    return true;
}

template <class Match>
CItemObject* CSlotObjectMgr::FindItem(Match match) {
    for (CMsgObject* child : Children()) {
        auto* item = dynamic_cast<CItemObject*>(child);
        if (item && match(*item)) return item;
    }
    return nullptr;
}

namespace {
bool SameName(const CItemObject& item, const char* name) {
    return name && std::strcmp(item.GetName(), name) == 0;
}
}  // namespace

CItemObject* CSlotObjectMgr::FindByItemId(uint32_t itemId) {
    return FindItem([itemId](const CItemObject& i) { return i.GetItemId() == itemId; });
}
CItemObject* CSlotObjectMgr::FindBySecondIds(uint32_t first, uint32_t second) {
    return FindItem([first, second](const CItemObject& i) {
        return i.GetSecondId(0) == first && i.GetSecondId(1) == second;
    });
}
CItemObject* CSlotObjectMgr::FindByFirstSecondId(uint32_t first) {
    return FindItem([first](const CItemObject& i) { return i.GetSecondId(0) == first; });
}
CItemObject* CSlotObjectMgr::FindByName(const char* name) {
    return FindItem([name](const CItemObject& i) { return SameName(i, name); });
}
CItemObject* CSlotObjectMgr::FindByByte41(uint8_t value) {
    return FindItem([value](const CItemObject& i) { return i.GetByte41() == value; });
}
CItemObject* CSlotObjectMgr::FindStateOneByByte41(uint8_t value) {
    return FindItem([value](const CItemObject& i) { return i.IsStateOne() && i.GetByte41() == value; });
}
CItemObject* CSlotObjectMgr::FindStateOneByItemId(uint32_t itemId) {
    return FindItem([itemId](const CItemObject& i) { return i.IsStateOne() && i.GetItemId() == itemId; });
}

CItemObject* CSlotObjectMgr::TakeOut(CItemObject* item) {
    if (!item) return nullptr;
    CObjectMgr::DetachChildById(item->GetId());
    ForgetSlots(item);
    return item;
}

CItemObject* CSlotObjectMgr::TakeOutBySlotIndex(int32_t index) {
    return TakeOut(FindItem([index](const CItemObject& i) { return i.GetSlotIndex() == index; }));
}
CItemObject* CSlotObjectMgr::TakeOutItem(CItemObject* item) {
    return TakeOut(OwnItem(item));
}
CItemObject* CSlotObjectMgr::TakeOutByName(const char* name) {
    return TakeOut(FindItem([name](const CItemObject& i) { return SameName(i, name); }));
}
CItemObject* CSlotObjectMgr::TakeOutByKind(uint32_t kind) {
    return TakeOut(FindItem([kind](const CItemObject& i) { return i.GetKindId() == kind; }));
}

bool CSlotObjectMgr::RemoveBySlot(int32_t index) {
    if (index < 0 || index >= SLOT_COUNT || !m_slots[index]) return false;
    DeleteChild(m_slots[index]->GetId());
    m_slots[index] = nullptr;
    return true;
}

bool CSlotObjectMgr::RemoveItem(CItemObject* item) {
    if (!item) return true;
    if (GetSlot(item->GetSlotIndex()) == item && RemoveBySlot(item->GetSlotIndex())) return true;
    // Only a child of this manager is deleted: another manager's handle may
    // equal one of ours.
    if (OwnItem(item)) DeleteChild(item->GetId());
    return true;
}

bool CSlotObjectMgr::RemoveByName(const char* name) {
    if (CItemObject* item = FindByName(name)) DeleteChild(item->GetId());
    return true;
}

bool CSlotObjectMgr::RemoveByKind(uint32_t kind) {
    auto* item = dynamic_cast<CItemObject*>(FindChildByKind(kind));
    if (!item) return false;
    return RemoveItem(item);
}

int CSlotObjectMgr::CountItemsBeyondSlot0() {
    int count = 0;
    for (CMsgObject* child : Children()) {
        auto* item = dynamic_cast<CItemObject*>(child);
        if (item && item->GetSlotIndex() > 0) ++count;
    }
    return count;
}

int CSlotObjectMgr::CountClass9() {
    int count = 0;
    for (CMsgObject* child : Children()) {
        auto* item = dynamic_cast<CItemObject*>(child);
        if (item && item->GetColorClass() == 9) ++count;
    }
    return count;
}

bool CSlotObjectMgr::DetachChild(CMsgObject* object) {
    ForgetSlots(object);
    return CObjectMgr::DetachChild(object);
}

bool CSlotObjectMgr::DetachChildById(uint32_t id) {
    ForgetSlots(FindChild(id));
    return CObjectMgr::DetachChildById(id);
}

bool CSlotObjectMgr::DetachAllChildren() {
    for (CItemObject*& slot : m_slots) slot = nullptr;
    return CObjectMgr::DetachAllChildren();
}

bool CSlotObjectMgr::DeleteChild(uint32_t id) {
    ForgetSlots(FindChild(id));
    return CObjectMgr::DeleteChild(id);
}

bool CSlotObjectMgr::DeleteAllChildren() {
    for (CItemObject*& slot : m_slots) slot = nullptr;
    return CObjectMgr::DeleteAllChildren();
}
