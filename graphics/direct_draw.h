// The display device: takes the screen (full screen at a fixed mode) or shares
// the desktop (windowed), owns the primary, back and margin surfaces, tells the
// graphics code the screen's 16-bit pixel kind and presents each frame.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "core/base_object.h"
#include "platform/draw_device.h"

class CSurfaceResource;
class CResourceCache;

// Pixel kinds: 1 = 5-5-5, 2 = 5-6-5, 3 = 5-6-5 with red in the low bits,
// 4 = A4R4G4B4 (textures only).
enum PixelKind : int32_t { kPixel555 = 1, kPixel565 = 2, kPixel565RedLow = 3, kPixel4444 = 4 };

class CDirectDraw : public CMsgObject {
public:
    // A failing present blit is tried this many times before the frame is skipped.
    static constexpr int kPresentAttempts = 4;

    CDirectDraw();
    ~CDirectDraw() override;

    plat::HResult CreateDirectDraw(void* mainWindow, int32_t unused1, bool fullScreen, int32_t width,
                                   int32_t height, int32_t bits, int32_t backSurfaces, int32_t unused2);
    bool Release() override;

    plat::HResult Present(bool useBackSurface);
    CSurfaceResource* GetRenderSurface();
    plat::HResult ClearRenderSurface(uint32_t colour);
    bool IsSurfaceLost();
    plat::HResult RestoreSurface();
    void UpdateWindowRect(void* window);
    void SetChildWindow(void* window, uint8_t option);

    uint32_t CreateSurface(int32_t width, int32_t height, uint32_t caps);
    CSurfaceResource* GetSurface(uint32_t id);
    bool ReleaseSurface(uint32_t id);
    bool DestroySurface(uint32_t id);
    void DestroyAllSurfaces();

    static uint8_t ScanCodeToVirtualKey(uint8_t scanCode, uint8_t fallback);

    // Plain rectangles drawn in software on the Direct3D render target, which
    // they lock themselves; colour 0xRRGGBB (graphics/software_rect.cpp).
    void FillRectSoftware(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
    void DrawRectOutline(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
    // A one-pixel line, clipped to the render target.
    void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);

    plat::DrawDevice* Device() const { return m_device.get(); }
    int32_t GetPixelKind() const { return m_pixelKind; }
    int32_t GetTexturePixelKind() const { return m_texturePixelKind; }
    void SetTexturePixelKind(int32_t kind) { m_texturePixelKind = kind; }
    bool IsFullScreen() const { return m_fullScreen; }
    CSurfaceResource* GetPrimarySurface() const { return m_pPrimary; }
    CSurfaceResource* GetBackSurface() const { return m_pBack; }
    CSurfaceResource* GetMarginSurface() const { return m_pMargin; }
    const plat::raster::Rect& GetWindowRect() const { return m_windowRect; }

    // The pixel kind of a primary surface's format (2 for an unknown layout).
    static int32_t PixelKindOf(const plat::PixelFormatDesc& format);

    bool m_childWindowShown = false;
    void* m_childWindow = nullptr;
    uint8_t m_childOption = 0;
    void* m_mainWindow = nullptr;
    uint32_t m_surfaceBytes = 0;
    // Set by the scenes: present only the frame's (0, 0)-(800, 600) part.
    bool m_window800x600 = false;

private:
    CSurfaceResource* MakeSurface(const plat::SurfaceDesc& desc);
    plat::HResult BlitToPrimary(CSurfaceResource* source, bool childHole, bool crop800);
    plat::HResult HoleCopy(CSurfaceResource* source);
    plat::raster::Rect ChildHole() const;
    void StretchThroughMargin(CSurfaceResource* surface);
    plat::HResult PresentFullScreen(bool useBackSurface);

    std::unique_ptr<plat::DrawDevice> m_device;
    CSurfaceResource* m_pPrimary = nullptr;
    CSurfaceResource* m_pBack = nullptr;
    CSurfaceResource* m_pMargin = nullptr;
    bool m_fullScreen = false;
    plat::raster::Rect m_windowRect, m_clientRect;
    std::vector<plat::DriverInfo> m_drivers;
    int32_t m_pixelKind = kPixel565;
    int32_t m_texturePixelKind = kPixel565;
};

extern CDirectDraw* g_pDirectDraw;
// The surface cache (made by the device set at start-up).
extern CResourceCache* g_pSurfaceCache;

// Locks a surface, repeating a bounded number of times while it is still drawing.
bool LockWaiting(plat::DrawDevice* device, plat::DrawSurface* surface, plat::LockInfo* out);
// Blits, repeating while still drawing; a lost source is restored and the
// result of that is returned instead.
plat::HResult BlitWaiting(plat::DrawDevice* device, plat::DrawSurface* dest, const plat::raster::Rect& dr,
                          plat::DrawSurface* source, const plat::raster::Rect& sr, uint32_t flags);
// Where the top-left w x h of a surfW x surfH picture lands when drawn at
// (x, y) on the screen (the device set's screen size); false when nothing shows.
bool ClipToScreen(int32_t x, int32_t y, int32_t w, int32_t h, int32_t surfW, int32_t surfH,
                  plat::raster::Rect* dr, plat::raster::Rect* sr);

class CCachedResource;
// Takes every use off a cache entry (before it is removed whatever its uses).
void DropAllUses(CResourceCache* cache, CCachedResource* entry);

// The error text of a failed surface creation, or empty for codes that report nothing.
std::string SurfaceErrorText(plat::HResult code, const char* prefix);
// The name of a display or device result code ("DDERR_INVALIDPARAMS"), or null
// for a code without one.
const char* DirectXErrorName(plat::HResult code);
