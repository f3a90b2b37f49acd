// CObjectMgr: the manager base. It owns a list of child objects (deleting the
// manager deletes them), registers each child under a handle from its own
// CIdAllocator, and keeps a message queue whose handle lookups go through the
// manager. A new child goes to the FRONT of the list; the front is processed
// first. Lookups are linear walks from the front comparing full handles.
#pragma once
#include <cstdint>

#include "core/base_object.h"
#include "core/id_allocator.h"
#include "core/linked_list.h"
#include "core/message.h"

class CObjectMgr : public CMsgObject {
public:
    // The manager deletes its children itself (handle first, then the object).
    using ChildList = CLinkedList<CMsgObject, ListDeleteNone>;
    using ChildNode = ChildList::Node;

    CObjectMgr();
    ~CObjectMgr() override;

    // Starts with no children and an empty queue resolved by this manager.
    bool Create() override;
    // Deletes every child and empties the queue. Safe to call again.
    bool Release() override;
    // Link the object (front, back, or before the child with the handle) and
    // issue its handle. A null object is refused (false). InsertChildBefore
    // with a handle no child has links nothing and issues nothing (true).
    virtual bool AddChild(CMsgObject* object);
    virtual bool AddChildBack(CMsgObject* object);
    virtual bool InsertChildBefore(CMsgObject* object, uint32_t beforeId);
    // Unlink the child without deleting it; its handle is freed and reads 0.
    // True also when absent.
    virtual bool DetachChild(CMsgObject* object);
    virtual bool DetachChildById(uint32_t id);
    // Empties the list without deleting the objects or freeing their handles.
    virtual bool DetachAllChildren();
    virtual CMsgObject* FindChild(uint32_t id);
    // The child after the one with the handle; null when that one is last or absent.
    virtual CMsgObject* FindNextChild(uint32_t id);
    virtual ChildNode* FindChildNode(uint32_t id);
    // Factory hook for subclasses; the base makes nothing.
    virtual CMsgObject* CreateObject(uint32_t type);
    // Unlinks the child, frees its handle and deletes it. True also when absent.
    virtual bool DeleteChild(uint32_t id);
    virtual bool DeleteAllChildren();

    // The first child from the front that is a CBaseObject of the kind.
    CBaseObject* FindChildByKind(uint32_t kind);
    // Returns the handle to the allocator and clears it.
    void ReleaseHandle(uint32_t* id);

    CLockedMsgObject* GetMsgQueue() { return &m_msgQueue; }
    ChildList& Children() { return m_children; }
    int32_t ChildCount() const { return m_children.Count(); }
    CIdAllocator& IdAllocator() { return m_idAllocator; }

private:
    bool Register(CMsgObject* object, ChildNode* node);
    // Unlinks the node and frees its child's handle; returns the child.
    CMsgObject* TakeNode(ChildNode* node);

    ChildList m_children;
    CIdAllocator m_idAllocator;
    CLockedMsgObject m_msgQueue;
};
