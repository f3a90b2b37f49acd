// An item container: a manager of item objects with 65 numbered slots
// (inventory, equipment and the like). Items are its children; a slot points
// at the child that holds it. However a child leaves the manager, its slot is
// emptied with it.
#pragma once
#include <cstdint>

#include "core/object_mgr.h"

class CItemObject;

class CSlotObjectMgr : public CObjectMgr {
public:
    static constexpr int SLOT_COUNT = 65;

    CSlotObjectMgr() = default;
    ~CSlotObjectMgr() override;

    // Deletes every item and empties every slot.
    bool Release() override;
    // Each frame: Update of every item. True.
    virtual bool Update();

    // The item in slot 0-64, or null.
    virtual CItemObject* GetSlot(int index);
    // Puts the item into slot index (below 65; false otherwise): an item that
    // held the slot is deleted first; an item of this manager that sits in
    // another slot leaves that slot; the item put into the slot it already
    // holds stays as it is.
    virtual bool PutInSlot(CItemObject* item, uint8_t index);

    // The first child in list order that matches, or null.
    virtual CItemObject* FindByItemId(uint32_t itemId);
    virtual CItemObject* FindBySecondIds(uint32_t first, uint32_t second);
    // The first child whose first second id is the value (the server's object id).
    CItemObject* FindByFirstSecondId(uint32_t first);
    virtual CItemObject* FindByName(const char* name);
    virtual CItemObject* FindByByte41(uint8_t value);
    virtual CItemObject* FindStateOneByByte41(uint8_t value);
    virtual CItemObject* FindStateOneByItemId(uint32_t itemId);

    // Take the first matching child out of the manager without deleting it:
    // its slot is emptied, its handle freed; the caller owns it. Null when
    // none matches.
    virtual CItemObject* TakeOutBySlotIndex(int32_t index);
    virtual CItemObject* TakeOutItem(CItemObject* item);
    virtual CItemObject* TakeOutByName(const char* name);
    virtual CItemObject* TakeOutByKind(uint32_t kind);

    // Deletes the item in slot 0-64; false for an empty slot or an index outside.
    virtual bool RemoveBySlot(int32_t index);
    // Deletes the item (by its slot, else as a child of this manager). True.
    virtual bool RemoveItem(CItemObject* item);
    // Deletes the first item of that name. True also when there is none.
    virtual bool RemoveByName(const char* name);
    // Deletes the first item of the kind; false when there is none.
    virtual bool RemoveByKind(uint32_t kind);

    // Items whose slot index is above 0.
    int CountItemsBeyondSlot0();
    // Items of colour class 9.
    int CountClass9();

    bool DetachChild(CMsgObject* object) override;
    bool DetachChildById(uint32_t id) override;
    bool DetachAllChildren() override;
    bool DeleteChild(uint32_t id) override;
    bool DeleteAllChildren() override;

private:
    template <class Match>
    CItemObject* FindItem(Match match);
    // The child with this object's handle, as an item, when it is one of ours.
    CItemObject* OwnItem(CMsgObject* object);
    CItemObject* TakeOut(CItemObject* item);
    void ForgetSlots(CMsgObject* object);

    CItemObject* m_slots[SLOT_COUNT] = {};
};
