#include "graphics/tex_image.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/config.h"
#include "core/util.h"
#include "data/file_resource.h"
#include "data/file_source.h"
#include "data/pack_archive.h"
#include "graphics/direct3d.h"
#include "graphics/image_resource.h"
#include "graphics/texture_resource.h"
#include "platform/message_box.h"

CTexImageMgr* g_pTexImageMgr = nullptr;

namespace {
// Creation switches of the tile textures.
constexpr uint32_t kTileSwitches = 16;
}  // namespace

// ---- CTexImage ----

CTexImage::CTexImage() = default;

CTexImage::~CTexImage() {
    Free();
}

void CTexImage::Free() {
    m_picture.reset();
    m_units.clear();
    for (uint32_t id : m_tileIds) {
        if (!id || !g_pDirect3D) continue;
        CTextureResource* tex = g_pDirect3D->GetTexture(id);
        if (!tex) continue;
        if (tex->m_tileUses > 0) --tex->m_tileUses;
        if (tex->m_tileUses == 0) g_pDirect3D->ReleaseTexture(id);
    }
    m_tileIds.clear();
    m_tiles.clear();
    m_tileCount = m_tileColumns = m_tileRows = 0;
    m_sheet3D = 0;
    m_kind = 0;
    m_sheetWidth = m_sheetHeight = 0;
}

bool CTexImage::Load(int32_t number) {
    char name[32];
    std::snprintf(name, sizeof name, "%4d", number);
    SpacesToZeros(name);
    if (!LoadDtxTexture(name)) return false;
    m_number = uint16_t(number);
    return true;
}

bool CTexImage::LoadDtxTexture(const char* name) {
    Free();
    m_number = 0;
    m_refCount = 0;
    std::snprintf(m_fileName, sizeof m_fileName, "%s", name ? name : "");
    const std::string& folder = g_config.m_folders[FOLDER_TEXTURE];
    const std::string path = (folder.empty() ? std::string(".\\TEX") : folder) + "/" + m_fileName +
                             (g_bUseCompressedFiles ? ".DTX.ZIP" : ".DTX");

    CFileResource file;
    if (!file.OpenFile(path.c_str(), kFileCompressed, "rb", g_bUsePackFile, g_pPackFile)) return false;
    CFileSource source(file);
    DtxHeader header;
    if (!ReadDtxHeader(source, header)) return false;
    m_version = header.version;
    m_kind = header.kind;
    if (!header.sheet) return CreateImage2D(&file);

    m_units = std::move(header.units);
    m_sheetWidth = int32_t(header.width);
    m_sheetHeight = int32_t(header.height);
    m_tileColumns = uint8_t(header.columns);
    m_tileRows = uint8_t(header.rows);
    m_tileCount = uint8_t(header.TileCount());
    m_tiles.assign(m_tileCount, nullptr);
    m_tileIds.assign(m_tileCount, 0);
    for (int r = 0; r < m_tileRows; ++r)
        for (int c = 0; c < m_tileColumns; ++c) {
            const plat::raster::Rect rect{256 * c, 256 * r, 256 * c + 256, 256 * r + 256};
            const uint32_t id =
                g_pDirect3D ? g_pDirect3D->CreateTextureFromData(&file, kTileSwitches, 256, 256, rect) : 0;
            CTextureResource* tex = id ? g_pDirect3D->GetTexture(id) : nullptr;
            if (!tex) {
                Free();
                return false;
            }
            // Older sheets mark their transparent pixels in magenta.
            if (m_version < 4) CTextureResource::ColorKeyToAlpha(tex->Surface(), 255, 0, 255, 0);
            ++tex->m_tileUses;
            const size_t t = size_t(m_tileColumns) * r + c;
            m_tileIds[t] = id;
            m_tiles[t] = tex;
        }
    m_sheet3D = 1;
    return true;
}

bool CTexImage::CreateImage2D(CFileResource* stream) {
    m_picture = std::make_unique<CImageResource>();
    if (!m_picture->Load(stream, GetDisplayPixelKind(), m_kind == 2)) {
        m_picture.reset();
        return false;
    }
    return true;
}

int32_t CTexImage::TotalUnits() const {
    if (m_sheet3D) return int32_t(m_units.size());
    return m_picture ? m_picture->GetFrameCount() : 0;
}

const DtxUnit* CTexImage::GetUnit(int32_t index) const {
    return index >= 0 && size_t(index) < m_units.size() ? &m_units[size_t(index)] : nullptr;
}

CTextureResource* CTexImage::GetTile(int32_t t) const {
    return t >= 0 && size_t(t) < m_tiles.size() ? m_tiles[size_t(t)] : nullptr;
}

int32_t CTexImage::GetFrameWidth(int32_t frame) const {
    return m_picture ? m_picture->GetFrameWidth(frame) : 0;
}

int32_t CTexImage::GetFrameHeight(int32_t frame) const {
    return m_picture ? m_picture->GetFrameHeight(frame) : 0;
}

int16_t CTexImage::GetFrameValue(int32_t frame, int32_t which) const {
    return m_picture ? m_picture->GetFrameValue(frame, which) : 0;
}

// ---- CTexImageMgr ----

CTexImageMgr::CTexImageMgr() {
    CTexImageMgr::Init();
}

CTexImageMgr::~CTexImageMgr() {
    CTexImageMgr::Release();
}

bool CTexImageMgr::Init() {
    m_slots.clear();
    m_slots.resize(MAX_TEXIMAGE);
    return true;
}

bool CTexImageMgr::Release() {
    for (auto& slot : m_slots) slot.reset();
    return true;
}

CTexImage* CTexImageMgr::CreateNewTexImage(uint32_t number) {
    if (number >= MAX_TEXIMAGE) {
        plat::MessageBox("TexImage Index Overflow.", "CTexImageMgr::CreateNewTexImage() error");
        return nullptr;
    }
    if (m_slots.size() < MAX_TEXIMAGE) m_slots.resize(MAX_TEXIMAGE);
    std::unique_ptr<CTexImage>& slot = m_slots[number];
    if (!slot) {
        slot = std::make_unique<CTexImage>();
        slot->Load(int32_t(number));
    }
    return slot.get();
}

bool CTexImageMgr::ReleaseTexImage(uint32_t number) {
    if (number >= MAX_TEXIMAGE) {
        plat::MessageBox("TexImage Index Overflow.", "CTexImageMgr::ReleaseTexImage() error");
        return false;
    }
    if (number >= m_slots.size() || !m_slots[number]) return true;
    CTexImage* image = m_slots[number].get();
    // The count never goes below 0; the last user's release deletes the image.
    if (image->m_refCount > 0 && --image->m_refCount == 0) m_slots[number].reset();
    return true;
}

CTexImage* CTexImageMgr::GetTexImage(uint32_t number) const {
    return number < m_slots.size() ? m_slots[number].get() : nullptr;
}
