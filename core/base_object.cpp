#include "core/base_object.h"

#include "core/message.h"
#include "core/object_mgr.h"

namespace {
void DropLiveness(CLiveness*& record) {
    if (record && --record->m_refCount == 0) delete record;
    record = nullptr;
}
}  // namespace

CRefTarget::~CRefTarget() {
    if (m_pLiveness) {
        m_pLiveness->m_dead = 1;
        DropLiveness(m_pLiveness);
    }
}

CWeakRef::CWeakRef(const CWeakRef& other) : m_pLiveness(other.m_pLiveness), m_pObject(other.m_pObject) {
    if (m_pLiveness) ++m_pLiveness->m_refCount;
}

CWeakRef& CWeakRef::operator=(const CWeakRef& other) {
    if (this != &other) {
        if (other.m_pLiveness) ++other.m_pLiveness->m_refCount;
        Drop();
        m_pLiveness = other.m_pLiveness;
        m_pObject = other.m_pObject;
    }
    return *this;
}

CWeakRef& CWeakRef::operator=(CWeakRef&& other) noexcept {
    if (this != &other) {
        Drop();
        m_pLiveness = other.m_pLiveness;
        m_pObject = other.m_pObject;
        other.m_pLiveness = nullptr;
        other.m_pObject = nullptr;
    }
    return *this;
}

CWeakRef::~CWeakRef() {
    Drop();
}

void CWeakRef::Drop() {
    DropLiveness(m_pLiveness);
    m_pObject = nullptr;
}

void CWeakRef::Assign(CRefTarget* object) {
    if (!object) {
        Drop();
        return;
    }
    if (!object->m_pLiveness) {
        object->m_pLiveness = new CLiveness;
        object->m_pLiveness->m_refCount = 1;  // the object's own reference
    }
    CLiveness* record = object->m_pLiveness;
    ++record->m_refCount;  // taken before the old one is dropped: re-assigning is safe
    Drop();
    m_pLiveness = record;
    m_pObject = object;
}

CRefTarget* CWeakRef::Get() const {
    return (m_pLiveness && !m_pLiveness->m_dead) ? m_pObject : nullptr;
}

CMsgObject::CMsgObject(CLockedMsgObject* router) : m_pPort(std::make_unique<CMsgPort>(router, this)) {}

CMsgObject::~CMsgObject() = default;

void CMsgObject::SetRouter(CObjectMgr* manager) {
    m_pPort->SetRouter(manager ? manager->GetMsgQueue() : nullptr);
}

CBaseObject::CBaseObject() = default;

CBaseObject::~CBaseObject() {
    CBaseObject::Release();
    CBaseObject::Reset();
}

bool CBaseObject::Create() {
    m_kindId = KIND_NONE;
    return true;
}

bool CBaseObject::Release() {
    return true;
}

void CBaseObject::Reset() {
    SetAllFlags(true);
    m_kindId = KIND_NONE;
}

bool CBaseObject::Show() {
    SetAllFlags(true);
    return true;
}

bool CBaseObject::Hide() {
    SetAllFlags(false);
    return false;
}

bool CBaseObject::Execute() {
    if (m_inputFlag) ProcessInput();
    if (m_updateFlag) Update();
    if (m_drawFlag) Draw();
    return true;
}
