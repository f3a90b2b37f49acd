#include "core/object_mgr.h"

CObjectMgr::CObjectMgr() {
    CObjectMgr::Create();
}

CObjectMgr::~CObjectMgr() {
    CObjectMgr::Release();
}

bool CObjectMgr::Create() {
    m_msgQueue.SetResolver(this);
    return true;
}

bool CObjectMgr::Release() {
    DeleteAllChildren();
    m_children.ClearList();
    m_idAllocator.Clear();
    m_msgQueue.Release();
    return true;
}

bool CObjectMgr::Register(CMsgObject* object, ChildNode* node) {
    if (!node) return false;
    m_idAllocator.AllocId(&object->m_id);
    return true;
}

bool CObjectMgr::AddChild(CMsgObject* object) {
    if (!object) return false;
    return Register(object, m_children.AddHead(object));
}

bool CObjectMgr::AddChildBack(CMsgObject* object) {
    if (!object) return false;
    return Register(object, m_children.AddTail(object));
}

bool CObjectMgr::InsertChildBefore(CMsgObject* object, uint32_t beforeId) {
    if (!object) return false;
    ChildNode* before = FindChildNode(beforeId);
    if (before) Register(object, m_children.InsertBefore(object, before));
    return true;
}

CMsgObject* CObjectMgr::TakeNode(ChildNode* node) {
    CMsgObject* object = node->m_pData;
    m_children.FreeNode(node);
    if (object) {
        m_idAllocator.FreeId(object->m_id);
        object->m_id = 0;
    }
    return object;
}

bool CObjectMgr::DetachChild(CMsgObject* object) {
    if (ChildNode* node = m_children.Find(object)) TakeNode(node);
    return true;
}

bool CObjectMgr::DetachChildById(uint32_t id) {
    if (ChildNode* node = FindChildNode(id)) TakeNode(node);
    return true;
}

bool CObjectMgr::DetachAllChildren() {
    m_children.ClearList();
    return true;
}

CMsgObject* CObjectMgr::FindChild(uint32_t id) {
    ChildNode* node = FindChildNode(id);
    return node ? node->m_pData : nullptr;
}

CMsgObject* CObjectMgr::FindNextChild(uint32_t id) {
    ChildNode* node = FindChildNode(id);
    if (!node || node->m_pNext == m_children.End()) return nullptr;
    return node->m_pNext->m_pData;
}

CObjectMgr::ChildNode* CObjectMgr::FindChildNode(uint32_t id) {
    if (id == 0) return nullptr;
    for (ChildNode* n = m_children.First(); n != m_children.End(); n = n->m_pNext)
        if (n->m_pData && n->m_pData->GetId() == id) return n;
    return nullptr;
}

CMsgObject* CObjectMgr::CreateObject(uint32_t) {
    return nullptr;
}

bool CObjectMgr::DeleteChild(uint32_t id) {
    // Unlinked before it is deleted, so its destructor may use the manager.
    if (ChildNode* node = FindChildNode(id)) delete TakeNode(node);
    return true;
}

bool CObjectMgr::DeleteAllChildren() {
    // One child at a time from the front: a destructor that removes other
    // children leaves the walk intact.
    while (!m_children.IsEmpty()) delete TakeNode(m_children.First());
    return true;
}

CBaseObject* CObjectMgr::FindChildByKind(uint32_t kind) {
    for (CMsgObject* child : m_children) {
        auto* object = dynamic_cast<CBaseObject*>(child);
        if (object && object->GetKindId() == kind) return object;
    }
    return nullptr;
}

void CObjectMgr::ReleaseHandle(uint32_t* id) {
    if (!id) return;
    m_idAllocator.FreeId(*id);
    *id = 0;
}
