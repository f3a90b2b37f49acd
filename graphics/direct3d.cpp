#include "graphics/direct3d.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "core/error_box.h"
#include "core/resource_cache.h"
#include "data/data_table.h"
#include "data/text_tables.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/surface_resource.h"
#include "graphics/texture_resource.h"
#include "platform/message_box.h"

using plat::HResult;
namespace rs = plat::raster;

CDirect3D* g_pDirect3D = nullptr;
CResourceCache* g_pTextureCache = nullptr;

namespace {

rs::Matrix4 ToMatrix4(const Matrix& m) {
    rs::Matrix4 r;
    std::memcpy(r.m, m.m, sizeof r.m);
    return r;
}

// Texture address values: 1 wrap, 2 mirror, 3 clamp, 4 border.
rs::TextureAddress ToAddress(uint32_t mode) {
    switch (mode) {
        case 2:
            return rs::TextureAddress::kMirror;
        case 3:
            return rs::TextureAddress::kClamp;
        case 4:
            return rs::TextureAddress::kBorder;
        default:
            return rs::TextureAddress::kWrap;
    }
}

bool SameMasks(const plat::PixelFormatDesc& f, uint32_t r, uint32_t g, uint32_t b) {
    return f.redMask == r && f.greenMask == g && f.blueMask == b;
}

// The texture format search of the device: true with the format copied when one fits the code.
bool FindTextureFormat(const std::vector<plat::PixelFormatDesc>& formats, int32_t code,
                       plat::PixelFormatDesc* out) {
    for (const plat::PixelFormatDesc& f : formats) {
        if (f.flags & (plat::kPfLuminance | plat::kPfBumpLuminance | plat::kPfBumpDuDv)) continue;
        if (f.flags & plat::kPfFourCC) continue;
        bool ok = false;
        const bool plainRgb = (f.flags & plat::kPfRgb) && !(f.flags & (plat::kPfPalette8 | plat::kPfZBuffer));
        if (code == kTexX1R5G5B5) ok = plainRgb && SameMasks(f, 0x7C00, 0x03E0, 0x001F);
        if (code == kTexR5G6B5) ok = plainRgb && SameMasks(f, 0xF800, 0x07E0, 0x001F);
        if (code == kTexA4R4G4B4) ok = (f.flags & plat::kPfAlphaPixels) && f.alphaMask == 0xF000;
        if (ok && f.bitCount == 16) {
            *out = f;
            return true;
        }
    }
    return false;
}

}  // namespace

uint8_t GetTableEntryByte(CDataTable* table, uint8_t column, int32_t row) {
    if (!table || row < 0 || row >= table->GetRowCount()) return 0;
    return uint8_t(table->GetInt(column, row));
}

CDirect3D::CDirect3D() = default;

CDirect3D::~CDirect3D() {
    Release();
    m_addressModes.clear();
    if (g_pDirect3D == this) g_pDirect3D = nullptr;
}

const plat::PixelFormatDesc& CDirect3D::GetTextureFormat(int32_t code) const {
    if (code == kTexX1R5G5B5) return m_format555;
    if (code == kTexR5G6B5) return m_format565;
    return m_format4444;
}

HResult CDirect3D::CreateD3DDevice(plat::Device3DKind kind) {
    g_pDirect3D = this;
    CDirectDraw* display = g_pDirectDraw;
    if (!display || !display->Device()) return plat::kErrFail;
    plat::DrawDevice* dd = display->Device();
    const CDisplaySettings& settings = GetDisplaySettings();
    const int W = settings.screenWidth, H = settings.screenHeight;
    auto depthTest = [&]() {
        int bits = 0;
        dd->GetDisplayMode(nullptr, nullptr, &bits);
        return bits >= settings.colorDepth;
    };
    if (!depthTest()) return plat::dderr::kInvalidMode;

    m_renderTargetId = display->CreateSurface(
        W, H, plat::kCapsOffscreenPlain | plat::kCaps3DDevice | plat::kCapsVideoMemory);
    m_pRenderTarget = m_renderTargetId ? display->GetSurface(m_renderTargetId) : nullptr;
    if (!m_pRenderTarget) return plat::kErrFail;
    // Nothing would restore a discarded render target or z-buffer: the cache keeps them.
    if (g_pSurfaceCache) g_pSurfaceCache->AcquireEntry(m_renderTargetId);

    HResult hr;
    std::vector<plat::PixelFormatDesc> zFormats = dd->EnumZBufferFormats(kind, &hr);
    if (hr != plat::kOk) zFormats = dd->EnumZBufferFormats(plat::Device3DKind::kRgb, &hr);
    auto z = std::find_if(zFormats.begin(), zFormats.end(),
                          [](const plat::PixelFormatDesc& f) { return f.flags == plat::kPfZBuffer; });
    if (z == zFormats.end() || z->size != 32) return plat::kErrFail;
    const bool hal = kind == plat::Device3DKind::kHal || kind == plat::Device3DKind::kTnlHal;
    m_zBufferId = display->CreateSurface(
        W, H,
        hal ? (plat::kCapsZBuffer | plat::kCapsVideoMemory) : (plat::kCapsZBuffer | plat::kCapsSystemMemory));
    m_pZBuffer = m_zBufferId ? display->GetSurface(m_zBufferId) : nullptr;
    if (m_pZBuffer && g_pSurfaceCache) g_pSurfaceCache->AcquireEntry(m_zBufferId);
    if (!depthTest()) return plat::dderr::kInvalidMode;
    if (m_pZBuffer) {
        hr = dd->AddAttachedSurface(m_pRenderTarget->SurfacePtr(), m_pZBuffer->SurfacePtr());
        if (hr != plat::kOk) return hr;
    }
    hr = dd->CreateDevice3D(kind, m_pRenderTarget->SurfacePtr(), &m_device);
    if (hr != plat::kOk)
        hr = dd->CreateDevice3D(plat::Device3DKind::kRgb, m_pRenderTarget->SurfacePtr(), &m_device);
    if (hr != plat::kOk) return hr;
    m_device->SetViewport({0, 0, W, H, 0.0f, 1.0f});
    m_caps = dd->Caps3D();
    m_formatFlags = 0;

    const std::vector<plat::PixelFormatDesc> formats = dd->EnumTextureFormats();
    if (!FindTextureFormat(formats, kTexA4R4G4B4, &m_format4444)) {
        plat::MessageBox(GetTableText(2, 7), GetTableText(2, 8));
        return plat::kErrFail;
    }
    m_formatFlags |= kHasA4R4G4B4;
    if (FindTextureFormat(formats, kTexR5G6B5, &m_format565)) m_formatFlags |= kHasR5G6B5;
    if (FindTextureFormat(formats, kTexX1R5G5B5, &m_format555)) m_formatFlags |= kHasX1R5G5B5;
    display->SetTexturePixelKind(kPixel4444);

    m_secondSurfaceId = display->CreateSurface(W, H, plat::kCapsOffscreenPlain | plat::kCapsVideoMemory);
    m_pSecondSurface = m_secondSurfaceId ? display->GetSurface(m_secondSurfaceId) : nullptr;
    if (!m_pSecondSurface) return plat::kErrFail;
    if (g_pSurfaceCache) g_pSurfaceCache->AcquireEntry(m_secondSurfaceId);

    MakeWhiteTexture();
    SetupTransforms();
    InitRenderStates();
    return plat::kOk;
}

void CDirect3D::MakeWhiteTexture() {
    if (m_pWhiteTexture) return;
    auto* texture = new CTextureResource();
    if (!texture->CreateSurface(0, 64, 64, kTexA4R4G4B4)) {
        delete texture;
        return;
    }
    texture->Fill(0xFFFF);
    m_pWhiteTexture = texture;
}

void CDirect3D::ReleaseSurfaces() {
    EndRenderToTexture();
    CDirectDraw* display = g_pDirectDraw;
    if (display) {
        // Each was acquired once after it was made: that use and the creation's own.
        for (uint32_t id : {m_renderTargetId, m_secondSurfaceId, m_zBufferId}) {
            if (!id) continue;
            if (g_pSurfaceCache) g_pSurfaceCache->ReleaseEntry(id);
            display->ReleaseSurface(id);
        }
    }
    m_renderTargetId = m_secondSurfaceId = m_zBufferId = 0;
    m_pRenderTarget = m_pSecondSurface = m_pZBuffer = nullptr;
}

bool CDirect3D::ResetDevice() {
    ReleaseSurfaces();
    m_device.reset();
    for (plat::SurfacePtr& bound : m_boundTextures) bound.reset();
    delete m_pWhiteTexture;
    m_pWhiteTexture = nullptr;
    m_blendMode = 255;
    const HResult hr = CreateD3DDevice(plat::Device3DKind::kHal);
    if (hr != plat::kOk) {
        // Nothing half-made stays in use: the frame end draws nothing until a reset succeeds.
        ReleaseSurfaces();
        m_device.reset();
        return false;
    }
    return true;
}

bool CDirect3D::Release() {
    ReleaseAllTextures();
    ReleaseSurfaces();
    delete m_pWhiteTexture;
    m_pWhiteTexture = nullptr;
    m_device.reset();
    for (plat::SurfacePtr& bound : m_boundTextures) bound.reset();
    return true;
}

void CDirect3D::SetupTransforms() {
    const CDisplaySettings& settings = GetDisplaySettings();
    Matrix world, view, projection;
    SetIdentityMatrix(&world);
    SetViewMatrix(&view, Vec3{0.0f, 0.0f, -10.0f}, Vec3{0.0f, 0.0f, 0.0f}, Vec3{0.0f, 1.0f, 0.0f});
    const double halfW = settings.screenWidth * 0.00125 * 5.0, halfH = settings.screenHeight * 0.00125 * 5.0;
    m_viewWidth = float(2.0 * halfW);
    m_viewHeight = float(2.0 * halfH);
    MatrixOrthoOffCenter(&projection, float(-halfW), float(halfW), float(-halfH), float(halfH), 1.0f, -90.0f);
    if (!m_device) return;
    m_device->SetTransform(rs::TransformKind::kWorld, ToMatrix4(world));
    m_device->SetTransform(rs::TransformKind::kView, ToMatrix4(view));
    m_device->SetTransform(rs::TransformKind::kProjection, ToMatrix4(projection));
}

void CDirect3D::SetWorldTransform(const Matrix& m) {
    if (m_device) m_device->SetTransform(rs::TransformKind::kWorld, ToMatrix4(m));
}

void CDirect3D::InitRenderStates() {
    if (m_device) {
        rs::RenderState& st = m_device->State();
        st.colorKey = true;
        st.alphaBlend = true;
        st.srcBlend = rs::BlendFactor::kSrcAlpha;
        st.destBlend = rs::BlendFactor::kInvSrcAlpha;
        st.alphaTest = true;
        st.alphaFunc = rs::CompareFunc::kGreaterEqual;
        st.alphaRef = 8;
        st.specular = true;
        st.cull = rs::CullMode::kCounterClockwise;
        SetStageModulate(0);
        rs::StageState& s0 = m_device->Stage(0);
        rs::StageState& s1 = m_device->Stage(1);
        s0.texCoordIndex = 0;
        s1.texCoordIndex = 1;
        s0.addressU = s0.addressV = rs::TextureAddress::kWrap;
        s1.addressU = rs::TextureAddress::kWrap;
        s1.addressV = rs::TextureAddress::kClamp;
        s1.colorOp = rs::TextureOp::kDisable;
        st.zEnable = false;
        st.zWrite = true;
    }
    if (m_blendMode != 0) {
        m_blendMode = 0;
        if (m_device) {
            m_device->State().srcBlend = rs::BlendFactor::kSrcAlpha;
            m_device->State().destBlend = rs::BlendFactor::kInvSrcAlpha;
        }
    }
    if (m_device) {
        for (int i = 0; i < 2; ++i) {
            m_device->Stage(i).magFilter = rs::TextureFilter::kPoint;
            m_device->Stage(i).minFilter = rs::TextureFilter::kPoint;
        }
    }
    m_texelOffsetX = m_texelOffsetY = 0.5f;
}

void CDirect3D::SetBlendMode(uint8_t mode) {
    if (mode == m_blendMode) return;
    m_blendMode = mode;
    if (!m_device || mode > 4) return;
    struct Pair {
        rs::BlendFactor src, dst;
    };
    static const Pair kModes[5] = {
        {rs::BlendFactor::kSrcAlpha, rs::BlendFactor::kInvSrcAlpha},
        {rs::BlendFactor::kSrcAlpha, rs::BlendFactor::kOne},
        {rs::BlendFactor::kSrcAlpha, rs::BlendFactor::kDestColor},
        {rs::BlendFactor::kOne, rs::BlendFactor::kOne},
        {rs::BlendFactor::kBothSrcAlpha, rs::BlendFactor::kBothSrcAlpha},
    };
    m_device->State().srcBlend = kModes[mode].src;
    m_device->State().destBlend = kModes[mode].dst;
}

void CDirect3D::SetTextureFilter(bool on) {
    if (m_device) {
        const rs::TextureFilter f = on ? rs::TextureFilter::kLinear : rs::TextureFilter::kPoint;
        m_device->Stage(0).magFilter = m_device->Stage(0).minFilter = f;
        m_device->Stage(1).magFilter = m_device->Stage(1).minFilter = rs::TextureFilter::kPoint;
    }
    m_texelOffsetX = m_texelOffsetY = 0.5f;
}

void CDirect3D::SetStageModulate(int stage) {
    if (!m_device) return;
    rs::StageState& s = m_device->Stage(stage);
    const rs::TextureArg second = stage == 0 ? rs::TextureArg::kDiffuse : rs::TextureArg::kCurrent;
    s.colorOp = s.alphaOp = rs::TextureOp::kModulate;
    s.colorArg1 = s.alphaArg1 = rs::TextureArg::kTexture;
    s.colorArg2 = s.alphaArg2 = second;
}

void CDirect3D::DisableStage(int stage) {
    if (m_device) m_device->Stage(stage).colorOp = rs::TextureOp::kDisable;
}

void CDirect3D::SetGrayscaleStages() {
    if (!m_device || !(m_caps.textureOpCaps & plat::kTexOpCapsDotProduct3)) return;
    rs::StageState& s0 = m_device->Stage(0);
    rs::StageState& s1 = m_device->Stage(1);
    s0.colorOp = rs::TextureOp::kAddSigned;
    s0.colorArg1 = rs::TextureArg::kTexture;
    s0.colorArg2 = rs::TextureArg::kDiffuse;
    s0.alphaOp = rs::TextureOp::kModulate;
    s0.alphaArg1 = rs::TextureArg::kTexture;
    s0.alphaArg2 = rs::TextureArg::kDiffuse;
    s1.colorOp = rs::TextureOp::kDotProduct3;
    s1.colorArg1 = rs::TextureArg::kCurrent;
    s1.colorArg2 = rs::TextureArg::kTextureFactor;
    s1.alphaOp = rs::TextureOp::kSelectArg1;
    s1.alphaArg1 = rs::TextureArg::kCurrent;
    m_device->State().textureFactor = 0xFFA5CA8D;
}

double CDirect3D::ScreenToWorldX(int32_t x) const {
    const double W = GetDisplaySettings().screenWidth, vw = m_viewWidth;
    return (x - double(m_texelOffsetX)) / (W / vw) - vw * 0.5;
}

double CDirect3D::ScreenToWorldY(int32_t y) const {
    const double H = GetDisplaySettings().screenHeight, vh = m_viewHeight;
    return vh * 0.5 - (y - double(m_texelOffsetY)) / (H / vh);
}

// World positions are 32-bit floats, which may land a hair below the pixel
// they came from; a thousandth of a pixel is allowed for that before truncating.
constexpr double kWorldSnap = 1e-3;

int32_t CDirect3D::WorldToScreenX(float x) const {
    const double W = GetDisplaySettings().screenWidth, vw = m_viewWidth;
    const double v = W / vw * (vw * 0.5 + x) + m_texelOffsetX;
    return int32_t(v + (v >= 0 ? kWorldSnap : -kWorldSnap));
}

int32_t CDirect3D::WorldToScreenY(float y) const {
    const double H = GetDisplaySettings().screenHeight, vh = m_viewHeight;
    const double v = m_texelOffsetY - (y - vh * 0.5) * (H / vh);
    return int32_t(v + (v >= 0 ? kWorldSnap : -kWorldSnap));
}

void CDirect3D::SetTexture(int stage, CTextureResource* texture, bool addressModes) {
    if (!m_device) return;
    rs::StageState& s = m_device->Stage(stage);
    // The stage holds its texture's pixels until another is set, even when the
    // texture itself is released meanwhile.
    plat::SurfacePtr& bound = m_boundTextures[stage & 1];
    bound = texture ? texture->SurfacePtr() : nullptr;
    s.texture = bound ? &bound->Pixels() : nullptr;
    if (texture && addressModes) {
        s.addressU = ToAddress(texture->m_addressU);
        s.addressV = ToAddress(texture->m_addressV);
    }
}

bool CDirect3D::BindTargets() {
    if (!m_device || !m_pRenderTarget || !m_pRenderTarget->Surface()) return false;
    m_device->SetRenderTarget(&m_pRenderTarget->Surface()->Pixels());
    m_device->SetDepthBuffer(m_pZBuffer && m_pZBuffer->Surface() ? &m_pZBuffer->Surface()->Pixels()
                                                                 : nullptr);
    return true;
}

int CDirect3D::DrawIndexed(const rs::LitVertex* vertices, int count, const uint16_t* indices,
                           int indexCount) {
    return BindTargets() ? m_device->DrawIndexed(vertices, count, indices, indexCount) : 0;
}

plat::HResult CDirect3D::DrawIndexedPrimitive(const rs::LitVertex* vertices, int count,
                                              const uint16_t* indices, int indexCount) {
    if (!vertices || !indices || count <= 0 || indexCount <= 0) return plat::kErrInvalidArg;
    if (std::any_of(indices, indices + indexCount, [count](uint16_t i) { return i >= count; }))
        return plat::kErrInvalidArg;
    DrawIndexed(vertices, count, indices, indexCount);
    return plat::kOk;
}

int CDirect3D::DrawIndexed(const rs::LitVertex2* vertices, int count, const uint16_t* indices,
                           int indexCount) {
    return BindTargets() ? m_device->DrawIndexed(vertices, count, indices, indexCount) : 0;
}

void CDirect3D::ClearDepth() {
    if (BindTargets()) m_device->Clear(rs::kClearZBuffer, 0, 1.0f);
}

bool CDirect3D::BeginRenderToTexture(CTextureResource* texture) {
    if (IsRenderingToTexture() || !m_pRenderTarget || !texture || !texture->Surface() ||
        !texture->Surface()->Pixels().Valid())
        return false;
    m_textureTarget = std::make_unique<CSurfaceResource>(g_pDirectDraw);
    m_textureTarget->Wrap(texture->SurfacePtr(), 0);
    m_pScreenTarget = m_pRenderTarget;
    m_pRenderTarget = m_textureTarget.get();
    return true;
}

void CDirect3D::EndRenderToTexture() {
    if (!IsRenderingToTexture()) return;
    m_pRenderTarget = m_pScreenTarget;
    m_pScreenTarget = nullptr;
    m_textureTarget.reset();
}

plat::HResult CDirect3D::GetRenderTargetDC(CRenderTargetDC* dc) {
    if (!dc) return plat::kErrInvalidArg;
    *dc = CRenderTargetDC{};
    CSurfaceResource* target = m_pRenderTarget;
    if (!target || !target->Surface() || !g_pDirectDraw || !g_pDirectDraw->Device())
        return plat::dderr::kInvalidObject;
    if (g_pDirectDraw->Device()->IsLost(target->Surface()) != plat::kOk) return plat::dderr::kSurfaceLost;
    plat::LockInfo lock;
    if (!target->Lock(&lock)) return plat::dderr::kSurfaceBusy;
    dc->pixels =
        plat::PixelBuffer{reinterpret_cast<uint16_t*>(lock.bits), lock.pitch, lock.width, lock.height};
    dc->format = target->Surface()->Pixels().Format();
    return plat::kOk;
}

plat::HResult CDirect3D::ReleaseRenderTargetDC(const CRenderTargetDC& dc) {
    CSurfaceResource* target = m_pRenderTarget;
    if (!target || !target->IsLocked() || !dc.pixels.pixels ||
        reinterpret_cast<uint8_t*>(dc.pixels.pixels) != target->LockDesc().bits)
        return plat::kErrInvalidArg;
    target->Unlock();
    return plat::kOk;
}

void CDirect3D::FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    if (m_blendMode != 0) {
        m_blendMode = 0;
        if (m_device) {
            m_device->State().srcBlend = rs::BlendFactor::kSrcAlpha;
            m_device->State().destBlend = rs::BlendFactor::kInvSrcAlpha;
        }
    }
    if (!m_device) return;
    Matrix identity;
    SetIdentityMatrix(&identity);
    SetWorldTransform(identity);
    const CDisplaySettings& settings = GetDisplaySettings();
    const double W = settings.screenWidth, H = settings.screenHeight, vw = m_viewWidth, vh = m_viewHeight;
    auto wx = [&](int32_t x) { return float(x / (W / vw) - vw * 0.5); };
    auto wy = [&](int32_t y) { return float(vh * 0.5 - y / (H / vh)); };
    const rs::LitVertex v[4] = {{wx(x1), wy(y1), 0.0f, 0, colour, 0, 0.0f, 0.0f},
                                {wx(x2), wy(y1), 0.0f, 0, colour, 0, 0.0f, 0.0f},
                                {wx(x2), wy(y2), 0.0f, 0, colour, 0, 0.0f, 0.0f},
                                {wx(x1), wy(y2), 0.0f, 0, colour, 0, 0.0f, 0.0f}};
    static const uint16_t kIndices[6] = {0, 1, 2, 2, 3, 0};
    SetTexture(0, m_pWhiteTexture);
    DrawIndexed(v, 4, kIndices, 6);
}

// ---- Texture cache ----

namespace {

uint32_t EntryId(CTextureResource* texture) {
    return texture->GetId();
}

bool AddToCache(CTextureResource* texture) {
    if (!g_pTextureCache) return false;
    g_pTextureCache->AddEntry(texture);
    return EntryId(texture) != 0;
}

}  // namespace

uint32_t CDirect3D::CreateTexture(uint32_t switches, int32_t width, int32_t height, int32_t format) {
    auto* texture = new CTextureResource();
    if (!texture->CreateSurface(switches, width, height, format) || !AddToCache(texture)) {
        delete texture;
        return 0;
    }
    return EntryId(texture);
}

uint32_t CDirect3D::CreateTextureFromData(CFileResource* stream, uint32_t switches, int32_t width,
                                          int32_t height, const rs::Rect& rect) {
    auto* texture = new CTextureResource();
    if (!texture->LoadFromData(stream, switches, width, height, rect) || !AddToCache(texture)) {
        delete texture;
        return 0;
    }
    return EntryId(texture);
}

uint32_t CDirect3D::LoadTexture(const char* name, uint32_t switches, int32_t width, int32_t height,
                                int32_t firstRow, int32_t lastRow, uint16_t unused) {
    if (!name) return 0;
    if (CTextureResource* existing = FindTextureByName(name)) {
        g_pTextureCache->AcquireEntry(EntryId(existing));
        return EntryId(existing);
    }
    auto* texture = new CTextureResource();
    if (!texture->LoadFromImageFile(name, switches, width, height, firstRow, lastRow, unused)) {
        delete texture;
        return 0;
    }
    texture->m_addressU = GetAddressMode(name, 0);
    texture->m_addressV = GetAddressMode(name, 1);
    if (!AddToCache(texture)) {
        delete texture;
        return 0;
    }
    g_pTextureCache->AcquireEntry(EntryId(texture));
    return EntryId(texture);
}

CTextureResource* CDirect3D::GetTexture(uint32_t id) {
    if (!g_pTextureCache) return nullptr;
    return static_cast<CTextureResource*>(g_pTextureCache->GetEntry(id));
}

CTextureResource* CDirect3D::FindTextureByName(const char* name) {
    // Textures not made from a file have no name: an empty one names none.
    if (!g_pTextureCache || !name || !*name) return nullptr;
    CTextureResource* found = nullptr;
    auto& children = g_pTextureCache->Children();
    for (auto* n = children.First(); n != children.End() && !found; n = n->m_pNext) {
        auto* texture = static_cast<CTextureResource*>(n->m_pData);
        if (texture->GetFileName() == name) found = texture;
    }
    return found;
}

bool CDirect3D::ReleaseTexture(uint32_t id) {
    if (!g_pTextureCache || !g_pTextureCache->FindChild(id)) return false;
    auto* texture = static_cast<CTextureResource*>(g_pTextureCache->GetEntry(id));
    if (g_pTextureCache->ReleaseEntry(id) <= 0) {
        g_pTextureCache->RemoveEntry(id);
        delete texture;
    }
    return true;
}

bool CDirect3D::ReleaseAllTextures() {
    if (!g_pTextureCache) return true;
    std::vector<CTextureResource*> all;
    auto& children = g_pTextureCache->Children();
    for (auto* n = children.First(); n != children.End(); n = n->m_pNext)
        all.push_back(static_cast<CTextureResource*>(n->m_pData));
    for (CTextureResource* texture : all) {
        DropAllUses(g_pTextureCache, texture);
        g_pTextureCache->RemoveEntryObject(texture);
        delete texture;
    }
    return true;
}

namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

uint32_t TranslateAddress(uint8_t v) {
    return v <= 3 ? uint32_t(v) + 1 : 1;
}

}  // namespace

void CDirect3D::BuildAddressModeMap() {
    m_addressModesBuilt = true;
    CDataTable table;
    if (!table.LoadDataTable(127)) return;
    for (int32_t row = 0; row < table.GetRowCount(); ++row) {
        const char* name = table.GetText(0, row);
        if (!name || !*name) continue;
        m_addressModes[Lower(name)] = {TranslateAddress(GetTableEntryByte(&table, 1, row)),
                                       TranslateAddress(GetTableEntryByte(&table, 2, row))};
    }
}

uint32_t CDirect3D::GetAddressMode(const char* name, int which) {
    if (!m_addressModesBuilt) BuildAddressModeMap();
    if (!name) return 1;
    std::string key = name;
    const size_t slash = key.find_last_of("/\\");
    if (slash != std::string::npos) key = key.substr(slash + 1);
    auto it = m_addressModes.find(Lower(key));
    if (it == m_addressModes.end()) return 1;
    return which == 0 ? it->second.first : it->second.second;
}
