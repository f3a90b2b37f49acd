#include "anim/ani_mgr.h"

#include <algorithm>
#include <cstdio>

#include "anim/obj_ani.h"
#include "core/draw_object.h"
#include "core/error_box.h"
#include "core/util.h"
#include "data/char_resource_mgr.h"

CAniMgr* g_pAniMgr = nullptr;

bool CreateAniMgr() {
    if (!g_pAniMgr) g_pAniMgr = new CAniMgr();
    return true;
}

void DestroyAniMgr() {
    delete g_pAniMgr;
    g_pAniMgr = nullptr;
}

CAniMgr::CAniMgr() {
    Init();
}

CAniMgr::~CAniMgr() {
    CAniMgr::Release();
}

bool CAniMgr::Init() {
    m_slots.fill(nullptr);
    m_ready = 1;
    return true;
}

bool CAniMgr::Release() {
    ReleaseAll();
    return CObjectMgr::Release();
}

bool CAniMgr::IsLoading(uint32_t number) const {
    return std::find(m_loading.begin(), m_loading.end(), number) != m_loading.end();
}

CObjAni* CAniMgr::CreateNewObjAni(uint32_t number, CAniObject* requester) {
    if (number >= MAX_OBJANI) {
        ReportError("CAniMgr::CreateNewObjAni() Error, dwIndex[%d]>=MAX_OBJANI[%d]", int(number),
                    int(MAX_OBJANI));
        return nullptr;
    }
    char name[16];
    snprintf(name, sizeof name, "%4u", number);
    SpacesToZeros(name);
    if (CObjAni* ani = m_slots[number]) {
        ++ani->m_refCount;
        return ani;
    }
    if (IsLoading(number)) {
        // A child of an animation being loaded leads back to it: the chain is refused.
        if (!m_loopFound)
            ReportError("CAniMgr::CreateNewObjAni() Error, animation [%s] contains itself", name);
        m_loopFound = true;
        return nullptr;
    }
    auto* ani = new CObjAni();
    ani->m_number = number;
    ani->m_pOwner = requester;
    m_loading.push_back(number);
    const bool loaded = ani->LoadAniFile(number) && !m_loopFound;
    m_loading.pop_back();
    if (m_loading.empty()) m_loopFound = false;
    if (!loaded) {
        delete ani;
        return nullptr;
    }
    snprintf(ani->m_name, sizeof ani->m_name, "%s", name);
    AddChild(ani);
    m_slots[number] = ani;
    ani->m_refCount = 1;
    return ani;
}

bool CAniMgr::ReleaseObjAni(uint32_t id) {
    if (!m_ready) return true;
    auto* ani = dynamic_cast<CObjAni*>(FindChild(id));
    if (!ani) return true;
    if (ani->m_refCount > 0) --ani->m_refCount;
    if (ani->m_refCount == 0 && !ani->m_resident) {
        if (ani->m_number < MAX_OBJANI && m_slots[ani->m_number] == ani) m_slots[ani->m_number] = nullptr;
        DetachChild(ani);
        delete ani;
    }
    return true;
}

bool CAniMgr::ReleaseAll() {
    m_ready = 0;
    while (ChildCount() > 0) {
        CMsgObject* child = Children().First()->m_pData;
        if (auto* ani = dynamic_cast<CObjAni*>(child)) ani->m_resident = 0;
        DetachChild(child);
        delete child;
    }
    m_slots.fill(nullptr);
    m_ready = 1;
    return true;
}
