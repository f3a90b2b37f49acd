#include "graphics/sprite.h"

#include <algorithm>
#include <cstdio>

#include "core/error_box.h"
#include "graphics/direct3d.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/image_resource.h"
#include "graphics/math3d.h"
#include "graphics/tex_image.h"
#include "platform/message_box.h"

CObjSpriteMgr* g_pObjSpriteMgr = nullptr;

namespace {
constexpr uint32_t kSpriteDiffuse = 0x80FFFFFFu;
constexpr uint32_t kShadowDiffuse = 0x80000000u;
const uint16_t kQuadIndices[6] = {0, 1, 2, 2, 3, 0};
}  // namespace

CSpriteBase::~CSpriteBase() = default;

// ---- CSprite ----

CSprite::CSprite(CObjSprite* owner) : m_pOwner(owner) {}

CSprite::~CSprite() {
    if (g_pTexImageMgr && m_pTexImage) g_pTexImageMgr->ReleaseTexImage(m_pTexImage->m_number);
    m_pTexImage = nullptr;
}

bool CSprite::Create(uint32_t number, uint32_t unit, bool mirror) {
    m_mirror = mirror;
    CTexImage* image = g_pTexImageMgr ? g_pTexImageMgr->CreateNewTexImage(number) : nullptr;
    if (!image) {
        plat::MessageBox("Can't Create TexImage", "CSprite::Create() Error");
        return false;
    }
    ++image->m_refCount;
    m_pTexImage = image;
    m_unit = unit;
    return Build(image);
}

bool CSprite::IsTexImageReady() const {
    return m_pTexImage && m_pTexImage->m_sheet3D;
}

const DtxUnit* CSprite::Unit() const {
    return m_pTexImage ? m_pTexImage->GetUnit(int32_t(m_unit)) : nullptr;
}

bool CSprite::Build(CTexImage* image) {
    const DtxUnit* unit = image ? image->GetUnit(int32_t(m_unit)) : nullptr;
    if (!unit || !BuildSpriteGrid(*unit, image->m_tileColumns, image->m_tileRows, m_grid)) {
        ReportError("CSprite::Build() Error, unit[%u] of Texture[%s] lies outside its sheet", m_unit,
                    image ? image->m_fileName : "");
        return false;
    }
    // Every unit's shadow base line follows the sheet's first unit.
    m_shadow = MakeShadowParams(*unit, image->GetUnit(0)->y);
    const size_t corners = m_grid.tiles.size() * 4;
    m_vertices.assign(corners, {0.0f, 0.0f, 0.0f, 0, kSpriteDiffuse, 0, 0.0f, 0.0f});
    m_shadowVertices.assign(corners, {0.0f, 0.0f, 0.0f, 0, kShadowDiffuse, 0, 0.0f, 0.0f});
    for (size_t t = 0; t < m_grid.tiles.size(); ++t) {
        const SpriteTile& tile = m_grid.tiles[t];
        const float us[4] = {tile.u, tile.u + tile.du, tile.u + tile.du, tile.u};
        const float vs[4] = {tile.v, tile.v, tile.v + tile.dv, tile.v + tile.dv};
        for (int i = 0; i < 4; ++i) {
            m_vertices[t * 4 + i].tu = m_shadowVertices[t * 4 + i].tu = us[i];
            m_vertices[t * 4 + i].tv = m_shadowVertices[t * 4 + i].tv = vs[i];
        }
    }
    SetPosition(-1000, -1000, 0, nullptr, 0xFFFFFFFFu, SPRITE_SHADOW_PROJECTED, 0, 0);
    return true;
}

int32_t CSprite::GetWidth() const {
    const DtxUnit* u = Unit();
    return u ? int32_t(float(u->width) + m_extraWidth) : 0;
}

int32_t CSprite::GetHeight() const {
    const DtxUnit* u = Unit();
    return u ? int32_t(float(u->height) + m_extraHeight) : 0;
}

int32_t CSprite::GetOffsetX() const {
    const DtxUnit* u = Unit();
    if (!u) return 0;
    return m_mirror ? -(int32_t(uint16_t(GetWidth())) + u->anchorX) : u->anchorX;
}

int32_t CSprite::GetOffsetY() const {
    const DtxUnit* u = Unit();
    return u ? u->anchorY : 0;
}

void CSprite::SetPosition(int32_t x, int32_t y, int32_t z, const int32_t* size, uint32_t colour, uint8_t mode,
                          uint8_t /*unused*/, uint32_t additive) {
    const int32_t sx = x + GetOffsetX(), sy = y + GetOffsetY() - z;
    m_screenX = sx;
    m_screenY = sy;
    m_z = z;
    m_hidden = false;
    if (size) {
        m_extraWidth = float(size[0]);
        m_extraHeight = float(size[1]);
    }
    const CDisplaySettings& screen = GetDisplaySettings();
    if (sx > screen.screenWidth || sx + 2 * int32_t(uint16_t(GetWidth())) < 0 || sy > screen.screenHeight ||
        sy + int32_t(uint16_t(GetHeight())) < 0) {
        m_hidden = true;  // keeps its old vertices
        return;
    }
    if (m_grid.tiles.empty()) return;
    m_quads.resize(m_grid.tiles.size());
    m_shadowQuads.resize(m_grid.tiles.size());
    LayoutSprite(m_grid, m_shadow, m_mirror, sx, sy, size ? size[0] : 0, size ? size[1] : 0, mode, m_quads,
                 m_shadowQuads);
    CDirect3D* d3d = g_pDirect3D;
    auto wx = [&](int32_t px) { return d3d ? float(d3d->ScreenToWorldX(px)) : float(px); };
    auto wy = [&](int32_t py) { return d3d ? float(d3d->ScreenToWorldY(py)) : float(py); };
    // Only tiles that have their four vertices in both sets are placed.
    const size_t placed = std::min({m_grid.tiles.size(), m_vertices.size() / 4, m_shadowVertices.size() / 4});
    for (size_t t = 0; t < placed; ++t) {
        const ScreenQuad& q = m_quads[t];
        const ScreenQuad& s = m_shadowQuads[t];
        for (int i = 0; i < 4; ++i) {
            plat::raster::LitVertex& v = m_vertices[t * 4 + i];
            plat::raster::LitVertex& sv = m_shadowVertices[t * 4 + i];
            if (mode != SPRITE_POSITION_ONLY) {
                if (mode == SPRITE_SHADOW_PROJECTED || mode == SPRITE_SHADOW_OFFSET) {
                    sv.x = wx(s.x[i]);
                    sv.y = wy(s.y[i]);
                }
                v.tu = sv.tu = q.u[i];
                v.tv = sv.tv = q.v[i];
            }
            v.x = wx(q.x[i]);
            v.y = wy(q.y[i]);
            v.diffuse = colour;
            v.specular = additive;
        }
    }
}

void CSprite::ReportOnce(const char* text) {
    if (m_errorReported) return;
    m_errorReported = true;
    ReportError("%s", text);
}

bool CSprite::DrawTiles(const std::vector<plat::raster::LitVertex>& vertices, bool report) {
    CDirect3D* d3d = g_pDirect3D;
    const DtxUnit* unit = Unit();
    if (!d3d || !unit) return false;
    Matrix identity;
    SetIdentityMatrix(&identity);
    d3d->SetWorldTransform(identity);
    const int columns = m_grid.columns;
    for (int r = 0; r < m_grid.rows; ++r)
        for (int c = 0; c < columns; ++c) {
            if (m_pTexImage->m_sheet3D) {
                const int32_t sheetTile =
                    m_pTexImage->m_tileColumns * (m_grid.firstRow + r) + m_grid.firstColumn + c;
                CTextureResource* tile = m_pTexImage->GetTile(sheetTile);
                if (!tile) {
                    if (report) ReportOnce("SetTexture Failed");
                    continue;
                }
                d3d->SetTexture(0, tile);
            }
            // The tile's four vertices, as many of them as there are.
            const size_t first = size_t(columns * r + c) * 4;
            const int count = first < vertices.size() ? int(std::min<size_t>(4, vertices.size() - first)) : 0;
            const plat::HResult hr =
                d3d->DrawIndexedPrimitive(count ? &vertices[first] : nullptr, count, kQuadIndices, 6);
            if (hr != plat::kOk && report) {
                char text[512];
                const char* name = DirectXErrorName(hr);
                std::snprintf(text, sizeof text, "DrawIndexedPrimitive Failed [Error : %s]",
                              name ? name : "?");
                ReportOnce(text);
            }
        }
    return true;
}

std::vector<plat::raster::LitVertex> CSprite::ClippedVertices(const plat::raster::Rect& clip) const {
    std::vector<plat::raster::LitVertex> out = m_vertices;
    CDirect3D* d3d = g_pDirect3D;
    auto wx = [&](float px) { return d3d ? float(d3d->ScreenToWorldX(int32_t(px))) : px; };
    auto wy = [&](float py) { return d3d ? float(d3d->ScreenToWorldY(int32_t(py))) : py; };
    const size_t quads = std::min(m_quads.size(), out.size() / 4);
    for (size_t t = 0; t < quads; ++t) {
        const ScreenQuad& q = m_quads[t];
        // The quads are upright rectangles: u follows x and v follows y.
        const plat::raster::LitVertex* corner = &m_vertices[t * 4];
        float dudx = 0, dvdy = 0;
        for (int j = 1; j < 4; ++j) {
            if (q.y[j] == q.y[0] && q.x[j] != q.x[0])
                dudx = (corner[j].tu - corner[0].tu) / float(q.x[j] - q.x[0]);
            if (q.x[j] == q.x[0] && q.y[j] != q.y[0])
                dvdy = (corner[j].tv - corner[0].tv) / float(q.y[j] - q.y[0]);
        }
        for (int i = 0; i < 4; ++i) {
            plat::raster::LitVertex& v = out[t * 4 + i];
            const float x =
                float(std::clamp(q.x[i], int32_t(clip.left), int32_t(std::max(clip.left, clip.right))));
            const float y =
                float(std::clamp(q.y[i], int32_t(clip.top), int32_t(std::max(clip.top, clip.bottom))));
            v.tu = corner[i].tu + (x - float(q.x[i])) * dudx;
            v.tv = corner[i].tv + (y - float(q.y[i])) * dvdy;
            v.x = wx(x);
            v.y = wy(y);
        }
    }
    return out;
}

bool CSprite::Draw(bool grey, const plat::raster::Rect* clip) {
    if (m_hidden || !g_pDirect3D) return true;
    if (grey) g_pDirect3D->SetGrayscaleStages();
    if (clip)
        DrawTiles(ClippedVertices(*clip), true);
    else
        DrawTiles(m_vertices, true);
    if (grey) {
        g_pDirect3D->SetStageModulate(0);
        g_pDirect3D->DisableStage(1);
    }
    return true;
}

bool CSprite::DrawShadow() {
    if (m_hidden || !g_pDirect3D) return true;
    g_pDirect3D->SetBlendMode(0);
    DrawTiles(m_shadowVertices, false);
    return true;
}

// ---- CObjSprite ----

CObjSprite::CObjSprite() {
    CObjSprite::Create();
}

CObjSprite::~CObjSprite() {
    CObjSprite::Release();
}

bool CObjSprite::Create() {
    m_sprites.clear();
    m_name[0] = 0;
    return true;
}

bool CObjSprite::Release() {
    m_sprites.clear();
    return true;
}

void CObjSprite::SetName(const char* name) {
    std::snprintf(m_name, sizeof m_name, "%s", name ? name : "");
}

CSprite* CObjSprite::AddSprite(uint32_t number, int32_t index, bool mirror) {
    CTexImage* image = g_pTexImageMgr ? g_pTexImageMgr->CreateNewTexImage(number) : nullptr;
    if (!image) return nullptr;
    const int32_t total = image->TotalUnits();
    if (index < 0 || index >= total) {
        ReportError("CObjSprite::AddSprite() Error, iIndex[%d]>=Texture[%s].TotalUnit[%d]", index,
                    image->m_fileName, total);
        return nullptr;
    }
    if (!image->m_sheet3D) return nullptr;  // an 8-bit picture is drawn by its nodes, not as sprites
    auto sprite = std::make_unique<CSprite>(this);
    if (!sprite->Create(number, uint32_t(index), mirror)) return nullptr;
    m_sprites.push_back(std::move(sprite));
    return m_sprites.back().get();
}

CObjSprite* CreateObjSprite(CObjSpriteMgr* manager, const char* name) {
    auto* set = new CObjSprite();
    set->SetName(name);
    if (manager && !manager->AddChild(set)) {
        delete set;
        return nullptr;
    }
    return set;
}

// ---- CObjSpriteMgr ----

CObjSpriteMgr::~CObjSpriteMgr() {
    DeleteAllChildren();
}

bool CObjSpriteMgr::DeleteChild(uint32_t id) {
    if (!FindChild(id)) return false;
    return CObjectMgr::DeleteChild(id);
}
