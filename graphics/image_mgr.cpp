#include "graphics/image_mgr.h"

#include <vector>

#include "core/resource_cache.h"
#include "data/text_tables.h"
#include "graphics/direct3d.h"
#include "graphics/image_resource.h"
#include "graphics/pixel_ops.h"
#include "graphics/texture_resource.h"
#include "platform/message_box.h"

CImageMgr* g_pImageMgr = nullptr;
CResourceCache* g_pImageCache = nullptr;

namespace {
// Creation switches and format of the work texture.
constexpr uint32_t kWorkTextureSwitches = 20;
}  // namespace

CImageMgr::CImageMgr() {
    for (auto& v : m_vertices) v = {0.0f, 0.0f, 0.0f, 0, 0x80000000u, 0, 0.0f, 0.0f};
}

CImageMgr::~CImageMgr() {
    CImageMgr::Release();
}

bool CImageMgr::Init() {
    m_transparent = TransparentColorForKind(GetDisplayPixelKind());
    m_workSide = kWorkTextureSide;
    if (g_pDirect3D && !m_workTextureId) {
        m_workTextureId =
            g_pDirect3D->CreateTexture(kWorkTextureSwitches, m_workSide, m_workSide, kTexA4R4G4B4);
        // Held for the whole run so that the cache never discards it.
        if (m_workTextureId && g_pTextureCache) g_pTextureCache->AcquireEntry(m_workTextureId);
    }
    for (auto& v : m_vertices) v = {0.0f, 0.0f, 0.0f, 0, 0x80000000u, 0, 0.0f, 0.0f};
    return true;
}

bool CImageMgr::Release() {
    if (m_workTextureId && g_pDirect3D) g_pDirect3D->ReleaseTexture(m_workTextureId);
    m_workTextureId = 0;
    ReleaseAllImages();
    return true;
}

CTextureResource* CImageMgr::GetWorkTexture() const {
    return m_workTextureId && g_pDirect3D ? g_pDirect3D->GetTexture(m_workTextureId) : nullptr;
}

CImageFileResource* CImageMgr::AddImage(CImageFileResource* image) {
    if (!image->IsLoaded()) {
        plat::MessageBox(GetTableText(9, 6), "");
        delete image;
        return nullptr;
    }
    // A plain child: its size is not counted and no eviction runs.
    if (!g_pImageCache || !g_pImageCache->AddChild(image)) {
        delete image;
        return nullptr;
    }
    return image;
}

CImageFileResource* CImageMgr::CreateImage(CFileResource* stream) {
    auto* image = new CImageFileResource(nullptr, 2);
    image->LoadImage(stream, PIXEL_KIND_INDEXED, 128);
    return AddImage(image);
}

CImageFileResource* CImageMgr::CreateImageEx(CFileResource* stream, int32_t /*unused*/) {
    auto* image = new CImageFileResource(nullptr, 2);
    image->LoadImage(stream, GetDisplayPixelKind(), 128);
    return AddImage(image);
}

bool ReleaseImage(uint32_t id) {
    if (!g_pImageCache) return true;
    CCachedResource* entry = g_pImageCache->GetEntry(id);
    if (!entry) return true;
    if (g_pImageCache->ReleaseEntry(id) <= 0) {
        g_pImageCache->RemoveEntry(id);
        delete entry;
    }
    return true;
}

bool ReleaseAllImages() {
    if (!g_pImageCache) return false;
    std::vector<CMsgObject*> all;
    for (CMsgObject* child : g_pImageCache->Children()) all.push_back(child);
    for (CMsgObject* child : all) {
        g_pImageCache->DetachChild(child);
        delete child;
    }
    return true;
}
