#include "graphics/direct_draw.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/error_box.h"
#include "core/resource_cache.h"
#include "data/text_tables.h"
#include "graphics/direct3d.h"
#include "graphics/display_settings.h"
#include "graphics/surface_resource.h"
#include "platform/display.h"
#include "platform/keyboard.h"
#include "platform/message_box.h"

using plat::HResult;
using plat::raster::Rect;

CDirectDraw* g_pDirectDraw = nullptr;
CResourceCache* g_pSurfaceCache = nullptr;

bool LockWaiting(plat::DrawDevice* device, plat::DrawSurface* surface, plat::LockInfo* out) {
    if (!device || !surface) return false;
    HResult hr;
    int attempts = 0;
    do {
        hr = device->Lock(surface, out);
    } while (hr == plat::dderr::kWasStillDrawing && ++attempts < CDirectDraw::kPresentAttempts);
    return hr == plat::kOk;
}

HResult BlitWaiting(plat::DrawDevice* device, plat::DrawSurface* dest, const Rect& dr,
                    plat::DrawSurface* source, const Rect& sr, uint32_t flags) {
    HResult hr = plat::kOk;
    for (int attempt = 0; attempt < CDirectDraw::kPresentAttempts; ++attempt) {
        hr = device->Blt(dest, &dr, source, &sr, flags | plat::kBltWait);
        if (hr != plat::dderr::kWasStillDrawing) break;
    }
    if (hr == plat::dderr::kSurfaceLost) return device->Restore(source);
    return hr;
}

bool ClipToScreen(int32_t x, int32_t y, int32_t w, int32_t h, int32_t surfW, int32_t surfH, Rect* dr,
                  Rect* sr) {
    const CDisplaySettings& settings = GetDisplaySettings();
    const int W = settings.screenWidth, H = settings.screenHeight;
    if (x >= W || y >= H || x + w < 1 || y + h < 1) return false;
    *sr = {x < 0 ? -x : 0, y < 0 ? -y : 0, 0, 0};
    *dr = {std::max(x, 0), std::max(y, 0), std::min(x + w, W), std::min(y + h, H)};
    sr->right = std::min(sr->left + dr->Width(), surfW);
    sr->bottom = std::min(sr->top + dr->Height(), surfH);
    dr->right = dr->left + sr->Width();
    dr->bottom = dr->top + sr->Height();
    return !sr->Empty();
}

void DropAllUses(CResourceCache* cache, CCachedResource* entry) {
    if (!cache || !entry) return;
    while (cache->ReleaseEntry(entry->GetId()) > 0) {
    }
}

CDisplaySettings& GetDisplaySettings() {
    static CDisplaySettings settings;
    return settings;
}

namespace {

void Box(const char* text, const char* caption = "") {
    plat::MessageBox(text ? text : "", caption ? caption : "");
}

}  // namespace

const char* DirectXErrorName(HResult code) {
    struct Entry {
        HResult code;
        const char* name;
    };
    static const Entry kTable[] = {
        {plat::kErrInvalidArg, "DDERR_INVALIDPARAMS"},
        {plat::kErrOutOfMemory, "DDERR_OUTOFMEMORY"},
        {plat::dderr::kIncompatiblePrimary, "DDERR_INCOMPATIBLEPRIMARY"},
        {plat::dderr::kInvalidCaps, "DDERR_INVALIDCAPS"},
        {plat::dderr::kInvalidObject, "DDERR_INVALIDOBJECT"},
        {plat::dderr::kInvalidPixelFormat, "DDERR_INVALIDPIXELFORMAT"},
        {plat::dderr::kNoAlphaHw, "DDERR_NOALPHAHW"},
        {plat::dderr::kNoCooperativeLevelSet, "DDERR_NOCOOPERATIVELEVELSET"},
        {plat::dderr::kNoExclusiveMode, "DDERR_NOEXCLUSIVEMODE"},
        {plat::dderr::kNoFlipHw, "DDERR_NOFLIPHW"},
        {plat::dderr::kNoZBufferHw, "DDERR_NOZBUFFERHW"},
        {plat::dderr::kNoOverlayHw, "DDERR_NOOVERLAYHW"},
        {plat::dderr::kOutOfVideoMemory, "DDERR_OUTOFVIDEOMEMORY"},
        {plat::dderr::kNoDirectDrawHw, "DDERR_NODIRECTDRAWHW"},
        {plat::dderr::kPrimarySurfaceAlreadyExists, "DDERR_PRIMARYSURFACEALREADYEXISTS"},
        {plat::dderr::kNoMipmapHw, "DDERR_NOMIPMAPHW"},
        {plat::dderr::kUnsupportedMode, "DDERR_UNSUPPORTEDMODE"},
        {plat::dderr::kNoEmulation, "DDERR_NOEMULATION"},
    };
    for (const Entry& e : kTable)
        if (e.code == code) return e.name;
    return nullptr;
}

std::string SurfaceErrorText(HResult code, const char* prefix) {
    const char* name = DirectXErrorName(code);
    if (!name) return {};
    char text[512];
    std::snprintf(text, sizeof text, "%s [%s]", prefix ? prefix : "", name);
    return text;
}

int32_t CDirectDraw::PixelKindOf(const plat::PixelFormatDesc& format) {
    switch (format.redMask) {
        case 0x7C00:
            return kPixel555;
        case 0x001F:
            return kPixel565RedLow;
        default:
            // 0xF800, and any layout we do not know, draw as 5-6-5.
            return kPixel565;
    }
}

CDirectDraw::CDirectDraw() = default;

CDirectDraw::~CDirectDraw() {
    Release();
    if (g_pDirectDraw == this) g_pDirectDraw = nullptr;
}

uint8_t CDirectDraw::ScanCodeToVirtualKey(uint8_t scanCode, uint8_t fallback) {
    return plat::ScanCodeToVirtualKey(scanCode, fallback);
}

CSurfaceResource* CDirectDraw::MakeSurface(const plat::SurfaceDesc& desc) {
    auto* surface = new CSurfaceResource(this);
    if (!surface->CreateFromDesc(desc) || !g_pSurfaceCache || !g_pSurfaceCache->AddEntry(surface)) {
        if (g_pSurfaceCache) g_pSurfaceCache->RemoveEntryObject(surface);
        delete surface;
        return nullptr;
    }
    return surface;
}

HResult CDirectDraw::CreateDirectDraw(void* mainWindow, int32_t, bool fullScreen, int32_t width,
                                      int32_t height, int32_t bits, int32_t backSurfaces, int32_t) {
    m_mainWindow = mainWindow;
    m_fullScreen = fullScreen;
    m_drivers = plat::DrawDevice::EnumerateDrivers();
    if (m_drivers.empty()) Box(GetTableText(3, 1));
    if (m_drivers.empty()) {
        Box(GetTableText(3, 2));
        return plat::kErrFail;
    }
    m_device = plat::DrawDevice::Create(m_drivers.front().guid);
    const CDisplaySettings& settings = GetDisplaySettings();
    auto bitTest = [&]() -> HResult {
        int reported = 0;
        m_device->GetDisplayMode(nullptr, nullptr, &reported);
        if (reported == bits) return plat::kOk;
        char text[600];
        std::snprintf(text, sizeof text, "%s [%d] %s", GetTableText(3, 4), bits, GetTableText(3, 5));
        Box(text, GetTableText(5, 0));
        return plat::kErrFail;
    };

    plat::SurfaceDesc margin;
    margin.flags = plat::kDescCaps | plat::kDescWidth | plat::kDescHeight;
    margin.caps = plat::kCapsOffscreenPlain | plat::kCapsVideoMemory;
    margin.width = width + 100;
    margin.height = height + 100;

    if (fullScreen) {
        if (!m_device) return plat::kErrFail;
        HResult hr = m_device->SetCooperativeLevel(mainWindow, plat::kCoopExclusive | plat::kCoopFullScreen);
        if (hr != plat::kOk) return hr;
        hr = m_device->SetDisplayMode(width, height, bits, settings.refreshRate);
        if (hr != plat::kOk) hr = m_device->SetDisplayMode(width, height, bits, 0);
        if (hr != plat::kOk) {
            Box(GetTableText(3, 3), GetTableText(5, 0));
            return hr;
        }
        hr = bitTest();
        if (hr != plat::kOk) return hr;
        m_windowRect = {0, 0, width, height};
        plat::SurfaceDesc primary;
        primary.flags = plat::kDescCaps | plat::kDescBackBufferCount;
        primary.caps =
            plat::kCapsPrimarySurface | plat::kCapsFlip | plat::kCapsComplex | plat::kCapsVideoMemory;
        primary.backBufferCount = backSurfaces;
        m_pPrimary = MakeSurface(primary);
        if (!m_pPrimary) return plat::kErrFail;
        g_pSurfaceCache->AcquireEntry(m_pPrimary->GetId());
        m_pPrimary->SetBrightness(100.0f);
        plat::SurfacePtr back;
        if (m_device->GetAttachedSurface(m_pPrimary->SurfacePtr(),
                                         plat::kCapsBackBuffer | plat::kCapsVideoMemory,
                                         &back) != plat::kOk) {
            return plat::kErrFail;
        }
        m_pBack = new CSurfaceResource(this);
        m_pBack->Wrap(back, uint32_t(m_pPrimary->GetSize()));
        if (!g_pSurfaceCache || !g_pSurfaceCache->AddEntry(m_pBack)) {
            if (g_pSurfaceCache) g_pSurfaceCache->RemoveEntryObject(m_pBack);
            delete m_pBack;
            m_pBack = nullptr;
            return plat::kErrFail;
        }
        g_pSurfaceCache->AcquireEntry(m_pBack->GetId());
        m_pMargin = MakeSurface(margin);
        if (m_pMargin) g_pSurfaceCache->AcquireEntry(m_pMargin->GetId());
    } else {
        if (!m_device) {
            Box(GetTableText(3, 6));
            return plat::kErrFail;
        }
        UpdateWindowRect(mainWindow);
        m_device->SetClientSize(width, height);
        m_windowRect = m_clientRect = {0, 0, width, height};
        HResult hr = m_device->SetCooperativeLevel(mainWindow, plat::kCoopNormal);
        if (hr != plat::kOk) {
            Box(GetTableText(3, 7));
            return hr;
        }
        hr = bitTest();
        if (hr != plat::kOk) return hr;
        plat::SurfaceDesc primary;
        primary.flags = plat::kDescCaps;
        primary.caps = plat::kCapsPrimarySurface;
        m_pPrimary = MakeSurface(primary);
        if (!m_pPrimary) {
            Box(GetTableText(3, 8));
            return plat::kErrFail;
        }
        g_pSurfaceCache->AcquireEntry(m_pPrimary->GetId());
        m_pPrimary->SetBrightness(100.0f);
        m_pMargin = MakeSurface(margin);
        if (m_pMargin) g_pSurfaceCache->AcquireEntry(m_pMargin->GetId());
        hr = m_device->SetClipWindow(m_pPrimary->SurfacePtr(), mainWindow);
        if (hr != plat::kOk) {
            Box(GetTableText(3, 10));
            return hr;
        }
    }
    m_pixelKind = m_texturePixelKind = PixelKindOf(m_pPrimary->GetPixelFormat());
    return plat::kOk;
}

bool CDirectDraw::Release() {
    if (m_device && m_pPrimary) {
        m_pPrimary->SetBrightness(100.0f);
        if (m_fullScreen && GetDisplaySettings().windowAlive)
            m_device->SetCooperativeLevel(m_mainWindow, plat::kCoopNormal);
    }
    auto destroy = [&](CSurfaceResource*& s) {
        if (!s) return;
        if (g_pSurfaceCache) {
            DropAllUses(g_pSurfaceCache, s);
            g_pSurfaceCache->RemoveEntryObject(s);
        }
        delete s;
        s = nullptr;
    };
    destroy(m_pPrimary);
    if (m_pBack) {
        // The primary owned the back surface's pixels.
        m_pBack->DropSurface();
        destroy(m_pBack);
    }
    destroy(m_pMargin);
    m_drivers.clear();
    DestroyAllSurfaces();
    m_device.reset();
    return true;
}

CSurfaceResource* CDirectDraw::GetRenderSurface() {
    if (GetDisplaySettings().use3D && g_pDirect3D && g_pDirect3D->GetRenderTarget())
        return g_pDirect3D->GetRenderTarget();
    return m_pBack;
}

HResult CDirectDraw::ClearRenderSurface(uint32_t colour) {
    CSurfaceResource* target = GetRenderSurface();
    if (!target || !m_device || !target->Surface()) return plat::kOk;
    for (int attempt = 0; attempt < kPresentAttempts; ++attempt) {
        HResult hr = m_device->Blt(target->Surface(), nullptr, nullptr, nullptr,
                                   plat::kBltColorFill | plat::kBltWait, uint16_t(colour));
        if (hr == plat::dderr::kWasStillDrawing) continue;
        if (hr == plat::dderr::kSurfaceLost) m_device->Restore(target->Surface());
        break;
    }
    return plat::kOk;
}

bool CDirectDraw::IsSurfaceLost() {
    return m_device && m_pPrimary && m_device->IsLost(m_pPrimary->Surface()) == plat::dderr::kSurfaceLost;
}

HResult CDirectDraw::RestoreSurface() {
    if (!m_device || !m_pPrimary) return plat::kErrFail;
    return m_device->Restore(m_pPrimary->Surface());
}

void CDirectDraw::UpdateWindowRect(void*) {
    // The primary surface is the main window's client area, so the window
    // rectangle in its coordinates starts at the origin.
    if (m_pPrimary) {
        m_clientRect = {0, 0, m_pPrimary->GetWidth(), m_pPrimary->GetHeight()};
        m_windowRect = m_clientRect;
    }
}

void CDirectDraw::SetChildWindow(void* window, uint8_t option) {
    if (window) {
        m_childWindowShown = true;
        m_childWindow = window;
        m_childOption = option;
    } else {
        m_childWindowShown = false;
        m_childWindow = nullptr;
    }
}

Rect CDirectDraw::ChildHole() const {
    const bool narrow = GetDisplaySettings().screenWidth == 800;
    if (m_childOption == 0) return narrow ? Rect{95, 43, 705, 463} : Rect{205, 120, 815, 540};
    return narrow ? Rect{0, 0, 800, 600} : Rect{100, 45, 900, 645};
}

HResult CDirectDraw::HoleCopy(CSurfaceResource* source) {
    const Rect hole = ChildHole();
    const int w = source->GetWidth(), h = source->GetHeight();
    const Rect bands[4] = {{0, 0, w, hole.top},
                           {0, hole.top, hole.left, hole.bottom},
                           {hole.right, hole.top, w, hole.bottom},
                           {0, hole.bottom, w, h}};
    HResult result = plat::kOk;
    for (const Rect& band : bands) {
        Rect src = plat::raster::Intersect(band, Rect{0, 0, w, h});
        if (src.Empty()) continue;
        Rect dst{src.left + m_windowRect.left, src.top + m_windowRect.top, src.right + m_windowRect.left,
                 src.bottom + m_windowRect.top};
        HResult hr = m_device->Blt(m_pPrimary->Surface(), &dst, source->Surface(), &src, plat::kBltWait);
        if (hr != plat::kOk) result = hr;
    }
    return result;
}

HResult CDirectDraw::BlitToPrimary(CSurfaceResource* source, bool childHole, bool crop800) {
    if (childHole) return HoleCopy(source);
    Rect src{0, 0, source->GetWidth(), source->GetHeight()};
    if (crop800) src = {0, 0, 800, 600};
    Rect dst = m_fullScreen ? Rect{0, 0, m_pPrimary->GetWidth(), m_pPrimary->GetHeight()} : m_windowRect;
    return m_device->Blt(m_pPrimary->Surface(), &dst, source->Surface(), &src, plat::kBltWait);
}

void CDirectDraw::StretchThroughMargin(CSurfaceResource* surface) {
    m_device->Blt(m_pMargin->Surface(), nullptr, surface->Surface(), nullptr, plat::kBltWait);
    m_device->Blt(surface->Surface(), nullptr, m_pMargin->Surface(), nullptr, plat::kBltWait);
}

HResult CDirectDraw::PresentFullScreen(bool useBackSurface) {
    const CDisplaySettings& settings = GetDisplaySettings();
    CSurfaceResource* target = settings.use3D && g_pDirect3D ? g_pDirect3D->GetRenderTarget() : nullptr;
    const bool stretch = settings.frameStretch && m_pMargin;
    HResult hr = plat::kOk;
    for (int attempt = 0; attempt < kPresentAttempts; ++attempt) {
        const bool backPath =
            useBackSurface && m_pBack && !(m_window800x600 && target && target->GetWidth() != 800);
        if (backPath) {
            if (target) {
                hr = m_device->BltFast(m_pBack->Surface(), 0, 0, target->Surface(), nullptr,
                                       plat::kBltFastWait);
                if (hr == plat::dderr::kSurfaceLost) return m_device->Restore(m_pBack->Surface());
            }
            if (stretch) {
                if (m_device->IsLost(m_pMargin->Surface()) == plat::dderr::kSurfaceLost)
                    return m_device->Restore(m_pMargin->Surface());
                StretchThroughMargin(m_pBack);
            }
            hr = BlitToPrimary(m_pBack, m_childWindowShown, false);
        } else {
            CSurfaceResource* source = target ? target : m_pBack;
            if (!source) return plat::kErrFail;
            if (stretch && !m_window800x600) StretchThroughMargin(source);
            const bool crop = m_window800x600 && (source->GetWidth() != 800 || source->GetHeight() != 600);
            hr = BlitToPrimary(source, false, crop);
        }
        if (hr == plat::kOk) return plat::kOk;
        if (hr == plat::dderr::kSurfaceLost) {
            m_device->Restore(m_pPrimary->Surface());
            return hr;
        }
        if (backPath && hr != plat::dderr::kWasStillDrawing) return hr;
    }
    // The blit kept failing: this frame is skipped.
    return hr;
}

HResult CDirectDraw::Present(bool useBackSurface) {
    if (!m_device || !m_pPrimary) return plat::kErrFail;
    const CDisplaySettings& settings = GetDisplaySettings();
    if (m_childWindowShown) {
        if (settings.frameStretch || m_window800x600) return plat::kOk;
        useBackSurface = true;
    }
    if (m_fullScreen) return PresentFullScreen(useBackSurface);

    CSurfaceResource* target = g_pDirect3D ? g_pDirect3D->GetRenderTarget() : nullptr;
    if (!target) target = m_pBack;
    if (!target) return plat::kErrFail;
    const bool crop = m_window800x600 && (target->GetWidth() != 800 || target->GetHeight() != 600);
    HResult hr = plat::kOk;
    for (int attempt = 0; attempt < kPresentAttempts; ++attempt) {
        hr = BlitToPrimary(target, m_childWindowShown && !crop, crop);
        if (hr == plat::kOk) return plat::kOk;
        if (hr == plat::dderr::kSurfaceLost) {
            m_device->Restore(m_pPrimary->Surface());
            return hr;
        }
    }
    return hr;
}

uint32_t CDirectDraw::CreateSurface(int32_t width, int32_t height, uint32_t caps) {
    auto* surface = new CSurfaceResource(this);
    if (!surface->CreateOffscreen(width, height, caps) || !g_pSurfaceCache) {
        // Nothing was made: no entry, no id.
        delete surface;
        return 0;
    }
    g_pSurfaceCache->AddEntry(surface);
    m_surfaceBytes += uint32_t(surface->GetSize());
    return surface->GetId();
}

CSurfaceResource* CDirectDraw::GetSurface(uint32_t id) {
    if (!g_pSurfaceCache) return nullptr;
    return static_cast<CSurfaceResource*>(g_pSurfaceCache->GetEntry(id));
}

bool CDirectDraw::ReleaseSurface(uint32_t id) {
    if (!g_pSurfaceCache) return false;
    auto* surface = static_cast<CSurfaceResource*>(g_pSurfaceCache->FindChild(id));
    if (!surface) return false;
    if (g_pSurfaceCache->ReleaseEntry(id) > 0) return false;
    g_pSurfaceCache->RemoveEntry(id);
    delete surface;
    return true;
}

bool CDirectDraw::DestroySurface(uint32_t id) {
    if (!g_pSurfaceCache) return false;
    auto* surface = static_cast<CSurfaceResource*>(g_pSurfaceCache->FindChild(id));
    if (!surface) return false;
    const uint32_t size = uint32_t(surface->GetSize());
    DropAllUses(g_pSurfaceCache, surface);
    g_pSurfaceCache->RemoveEntry(id);
    delete surface;
    m_surfaceBytes = m_surfaceBytes > size ? m_surfaceBytes - size : 0;
    return true;
}

void CDirectDraw::DestroyAllSurfaces() {
    if (!g_pSurfaceCache) return;
    std::vector<CSurfaceResource*> all;
    auto& children = g_pSurfaceCache->Children();
    for (auto* n = children.First(); n != children.End(); n = n->m_pNext)
        all.push_back(static_cast<CSurfaceResource*>(n->m_pData));
    for (CSurfaceResource* surface : all) {
        DropAllUses(g_pSurfaceCache, surface);
        g_pSurfaceCache->RemoveEntryObject(surface);
        delete surface;
    }
    m_surfaceBytes = 0;
}
