#include "world/map/field_object.h"

#include "anim/render_queue.h"
#include "core/config.h"
#include "data/cooking_recipe_mgr.h"
#include "data/item_table_mgr.h"
#include "graphics/image_mgr.h"
#include "world/map/map.h"
#include "world/map/map_services.h"

CFieldObject::~CFieldObject() {
    CFieldObject::Release();
    delete m_pSubObject;
}

bool CFieldObject::Create() {
    delete m_pSubObject;
    m_pSubObject = nullptr;
    m_holdsImage = 0;
    return true;
}

bool CFieldObject::Release() {
    if (m_holdsImage) {
        ReleaseImage(m_imageId);
        m_holdsImage = 0;
        m_imageId = 0;
    }
    return CAniObject::Release();
}

void CFieldObject::HoldImage(uint32_t imageId) {
    if (!g_pImageCache || !g_pImageCache->AcquireEntry(imageId)) return;
    m_holdsImage = 1;
    m_imageId = imageId;
}

bool CFieldObject::Draw() {
    // The hiding switch leaves the field's own objects alone.
    const uint8_t hide = g_options.GetByte(ANI_OPT_HIDE_HIDEABLE);
    g_options.SetByte(ANI_OPT_HIDE_HIDEABLE, 0);
    CAniObject::Draw();
    g_options.SetByte(ANI_OPT_HIDE_HIDEABLE, hide);
    return true;
}

bool CFieldObject::Update() {
    if (m_kind != ANI_KIND_IMAGE) {
        const AniRect r = GetBounds(false, false);
        IMapCharacters* chars = GetMapCharacters();
        const CAniObject* player = chars ? chars->GetPlayerAniObject() : nullptr;
        m_coveringPlayer = player && m_screenY > player->m_screenY && player->m_screenX > r.left &&
                                   player->m_screenX < r.right && player->m_screenY > r.top &&
                                   player->m_screenY < r.bottom
                               ? 1
                               : 0;
        SetFadeFlags(m_coveringPlayer, 255);
    }
    return CAniObject::Update();
}

// ---- The list ----

bool CFieldObjectList::Release() {
    m_active.DeleteAll();
    m_spare.DeleteAll();
    return true;
}

CFieldObject* CFieldObjectList::Find(CNodeList& list, uint32_t definition, int32_t x, int32_t y) {
    for (CListNode* node = list.First(); node != list.End(); node = node->Next()) {
        auto* object = static_cast<CFieldObject*>(node);
        if (object->GetDefinition() == definition && object->m_fieldX == x && object->m_fieldY == y)
            return object;
    }
    return nullptr;
}

CFieldObject* CFieldObjectList::FindOrReuse(uint32_t definition, int32_t x, int32_t y) {
    if (CFieldObject* active = Find(m_active, definition, x, y)) return active;
    CFieldObject* spare = Find(m_spare, definition, x, y);
    if (spare) {
        m_spare.Unlink(spare);
        m_active.PushBack(spare);
    }
    return spare;
}

void CFieldObjectList::AddActive(CFieldObject* object) {
    if (object) m_active.PushBack(object);
}

bool CFieldObjectList::Deactivate(uint32_t definition, int32_t x, int32_t y) {
    CFieldObject* object = Find(m_active, definition, x, y);
    if (!object) return false;
    m_active.Unlink(object);
    m_spare.PushBack(object);
    return true;
}

void CFieldObjectList::UpdateAll() {
    const CIsoView* view = g_pMap ? &g_pMap->View() : GetFieldView();
    for (CListNode* node = m_active.First(); node != m_active.End(); node = node->Next()) {
        auto* object = static_cast<CFieldObject*>(node);
        const IsoPoint p = view ? view->MapToScreen(object->m_fieldX, object->m_fieldY) : IsoPoint{};
        object->m_screenX = p.x;
        object->m_screenY = p.y;
        object->m_screenZ = 0;
        object->Update();
    }
}

void CFieldObjectList::QueueAll() {
    if (!g_pRenderQueue) return;
    for (CListNode* node = m_active.First(); node != m_active.End(); node = node->Next()) {
        auto* object = static_cast<CFieldObject*>(node);
        if (!object->m_hidden) g_pRenderQueue->AddObject(object);
    }
}

CFieldObject* CreateFieldObject(uint32_t definition, int32_t x, int32_t y) {
    CMapData* data = g_pMap ? g_pMap->GetMapData() : nullptr;
    return data ? data->CreateFieldObject(definition, x, y) : nullptr;
}

// ---- Recipe entries ----

bool CRecipeEntry::Create() {
    m_row = -1;
    return CDrawObject::Create();
}

namespace {
int32_t RecipeCell(int column, int32_t row) {
    return g_pCookRecipeMgr ? g_pCookRecipeMgr->GetCellInt(column, row) : 0;
}
CItemObject* ItemTemplate(uint32_t itemId) {
    return g_pCookRecipeMgr && g_pItemTableMgr ? g_pItemTableMgr->FindTemplateById(itemId) : nullptr;
}
}  // namespace

uint32_t CRecipeEntry::GetResultItemId() {
    return uint32_t(RecipeCell(38, m_row));
}
CItemObject* CRecipeEntry::GetResultItem() {
    return ItemTemplate(GetResultItemId());
}
int32_t CRecipeEntry::GetColumn36() {
    return RecipeCell(36, m_row);
}
int32_t CRecipeEntry::GetColumn37() {
    return RecipeCell(37, m_row);
}
int32_t CRecipeEntry::GetColumn2() {
    return RecipeCell(2, m_row);
}
CItemObject* CRecipeEntry::GetColumn2Item() {
    return ItemTemplate(uint32_t(GetColumn2()));
}
int32_t CRecipeEntry::GetColumn3() {
    return RecipeCell(3, m_row);
}
