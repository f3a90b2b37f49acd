#include "core/draw_object.h"

#include <cstring>

#include "core/util.h"

namespace {
IAniObjectHooks* g_aniHooks = nullptr;
ICharResourceHooks* g_charHooks = nullptr;
ICursorHooks* g_cursorHooks = nullptr;

int32_t FindRowByName(const char* name, uint16_t type) {
    return (g_charHooks && name) ? g_charHooks->FindRowByName(name, type) : -1;
}
}  // namespace

void SetAniObjectHooks(IAniObjectHooks* hooks) {
    g_aniHooks = hooks;
}
void SetCharResourceHooks(ICharResourceHooks* hooks) {
    g_charHooks = hooks;
}
void SetCursorHooks(ICursorHooks* hooks) {
    g_cursorHooks = hooks;
}
IAniObjectHooks* GetAniObjectHooks() {
    return g_aniHooks;
}
ICharResourceHooks* GetCharResourceHooks() {
    return g_charHooks;
}
ICursorHooks* GetCursorHooks() {
    return g_cursorHooks;
}

CDrawObject::~CDrawObject() {
    CDrawObject::Release();
}

bool CDrawObject::Create() {
    m_typeCode = 0;
    m_name[0] = '\0';
    // Created again while holding an animated object: it goes, not leaks.
    if (m_pAniObject && g_aniHooks) g_aniHooks->DeleteAniObject(m_pAniObject);
    m_pAniObject = nullptr;
    m_pUserData = nullptr;
    m_created = 0;
    m_acceptsMouse = 1;
    m_active = 0;
    m_resourceRow = -1;
    m_parameter = 0;
    m_kindId = 0;
    return true;
}

bool CDrawObject::Release() {
    return ReleaseAniObject();
}

int32_t CDrawObject::GetX() {
    return (m_pAniObject && g_aniHooks) ? g_aniHooks->GetX(m_pAniObject) : 0;
}
int32_t CDrawObject::GetY() {
    return (m_pAniObject && g_aniHooks) ? g_aniHooks->GetY(m_pAniObject) : 0;
}
int32_t CDrawObject::GetLayer() {
    return (m_pAniObject && g_aniHooks) ? g_aniHooks->GetLayer(m_pAniObject) : 0;
}

bool CDrawObject::AttachAniObject(uint32_t animationId, uint16_t type) {
    if (m_pAniObject && g_aniHooks) g_aniHooks->DeleteAniObject(m_pAniObject);
    m_pAniObject = g_aniHooks ? g_aniHooks->CreateAniObject(animationId) : nullptr;
    if (!m_pAniObject) return false;
    if (type == DRAW_TYPE_NO_UNDERLAY) g_aniHooks->SetUnderlayOff(m_pAniObject);
    return true;
}

bool CDrawObject::CreateWithAni(uint16_t type, uint32_t parameter, uint32_t animationId, bool noAni) {
    m_parameter = parameter;
    if (!noAni && !AttachAniObject(animationId, type)) return false;
    SetName(g_charHooks ? g_charHooks->GetName(parameter, type) : nullptr);
    m_created = 1;
    m_typeCode = type;
    m_resourceRow = g_charHooks ? g_charHooks->FindRow(parameter, type) : -1;
    return true;
}

bool CDrawObject::CreateNamedWithAni(uint16_t type, const char* name, uint32_t animationId, bool noAni) {
    if (!noAni) AttachAniObject(animationId, type);
    SetName(name);
    m_created = 1;
    m_typeCode = type;
    m_resourceRow = FindRowByName(name, type);
    return true;
}

bool CDrawObject::CreateNamed(uint16_t type, const char* name) {
    SetName(name);
    m_created = 1;
    m_typeCode = type;
    m_resourceRow = FindRowByName(name, type);
    return true;
}

bool CDrawObject::ReleaseAniObject() {
    if (g_cursorHooks) g_cursorHooks->DropIfHeld(this);
    if (m_pAniObject && g_aniHooks) g_aniHooks->DeleteAniObject(m_pAniObject);
    m_pAniObject = nullptr;
    m_created = 0;
    return true;
}

void CDrawObject::SetName(const char* text) {
    CopyDbcsPrefix(text ? text : "", DRAW_NAME_SIZE - 1, m_name, sizeof m_name);
}
