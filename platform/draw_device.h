// DirectDraw-like display device over the software renderer: surfaces with
// capability bits, blits and fills with result codes, lost surfaces, display
// modes and the 3D device. A blit onto the primary surface presents it through
// plat::GetDisplay(). Faults that never happen on this renderer (lost surfaces,
// "still drawing", failing creation) can be scripted for tests.
#pragma once
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/raster/device3d.h"
#include "platform/raster/surface.h"

namespace plat {

using HResult = int32_t;

constexpr HResult kOk = 0;
constexpr HResult kErrFail = int32_t(0x80004005u);
constexpr HResult kErrInvalidArg = int32_t(0x80070057u);
constexpr HResult kErrOutOfMemory = int32_t(0x8007000Eu);

// Display device result codes (facility 0x876).
namespace dderr {
constexpr HResult Make(uint32_t code) {
    return int32_t(0x88760000u | code);
}
constexpr HResult kIncompatiblePrimary = Make(95);
constexpr HResult kInvalidCaps = Make(100);
constexpr HResult kInvalidMode = Make(120);
constexpr HResult kInvalidObject = Make(130);
constexpr HResult kInvalidPixelFormat = Make(145);
constexpr HResult kNoAlphaHw = Make(180);
constexpr HResult kNoCooperativeLevelSet = Make(212);
constexpr HResult kNoExclusiveMode = Make(225);
constexpr HResult kNoFlipHw = Make(230);
constexpr HResult kNoDirectDrawHw = Make(255);
constexpr HResult kNoEmulation = Make(260);
constexpr HResult kNoOverlayHw = Make(280);
constexpr HResult kNoZBufferHw = Make(291);
constexpr HResult kOutOfVideoMemory = Make(380);
constexpr HResult kSurfaceBusy = Make(430);
constexpr HResult kSurfaceLost = Make(450);
constexpr HResult kWasStillDrawing = Make(540);
constexpr HResult kPrimarySurfaceAlreadyExists = Make(564);
constexpr HResult kUnsupportedMode = Make(590);
constexpr HResult kNoMipmapHw = Make(603);
}  // namespace dderr

// Surface capability bits.
enum : uint32_t {
    kCapsBackBuffer = 0x4,
    kCapsComplex = 0x8,
    kCapsFlip = 0x10,
    kCapsOffscreenPlain = 0x40,
    kCapsPrimarySurface = 0x200,
    kCapsSystemMemory = 0x800,
    kCapsTexture = 0x1000,
    kCaps3DDevice = 0x2000,
    kCapsVideoMemory = 0x4000,
    kCapsZBuffer = 0x20000,
};
enum : uint32_t { kCaps2TextureManage = 0x10 };

// Which fields of a SurfaceDesc are given.
enum : uint32_t {
    kDescCaps = 0x1,
    kDescHeight = 0x2,
    kDescWidth = 0x4,
    kDescBackBufferCount = 0x20,
    kDescPixelFormat = 0x1000,
    kDescTextureStage = 0x100000,
};

// Pixel format flags.
enum : uint32_t {
    kPfAlphaPixels = 0x1,
    kPfFourCC = 0x4,
    kPfPalette8 = 0x20,
    kPfRgb = 0x40,
    kPfZBuffer = 0x400,
    kPfLuminance = 0x20000,
    kPfBumpLuminance = 0x40000,
    kPfBumpDuDv = 0x80000,
};

struct PixelFormatDesc {
    uint32_t size = 32;
    uint32_t flags = 0;
    uint32_t fourCC = 0;
    uint32_t bitCount = 0;
    uint32_t redMask = 0, greenMask = 0, blueMask = 0, alphaMask = 0;
};

PixelFormatDesc DescribeFormat(raster::PixelFormat format);
// The renderer layout for a 16-bit format; false for one it cannot draw.
bool LayoutOf(const PixelFormatDesc& desc, raster::PixelFormat* out);

struct SurfaceDesc {
    uint32_t flags = 0;
    int width = 0, height = 0;
    uint32_t caps = 0, caps2 = 0;
    int backBufferCount = 0;
    PixelFormatDesc pixelFormat;
};

// Blit flags.
enum : uint32_t {
    kBltColorFill = 0x400,
    kBltKeySrc = 0x8000,
    kBltWait = 0x1000000,
};
enum : uint32_t { kBltFastWait = 0x10 };
enum : uint32_t { kColorKeySrcBlt = 0x8 };
enum : uint32_t { kCoopNormal = 0x8, kCoopExclusive = 0x10, kCoopFullScreen = 0x1 };

class DrawSurface {
public:
    raster::Surface& Pixels() { return m_pixels; }
    const raster::Surface& Pixels() const { return m_pixels; }
    uint32_t Caps() const { return m_caps; }
    bool IsPrimary() const { return (m_caps & kCapsPrimarySurface) != 0; }
    bool IsLocked() const { return m_locked; }
    bool Lost() const { return m_lost; }
    const PixelFormatDesc& Format() const { return m_format; }

private:
    friend class DrawDevice;
    raster::Surface m_pixels;
    uint32_t m_caps = 0;
    PixelFormatDesc m_format;
    bool m_lost = false, m_locked = false;
    std::shared_ptr<DrawSurface> m_attached;  // a primary's back surface
    std::shared_ptr<DrawSurface> m_zbuffer;   // attached depth surface
};

using SurfacePtr = std::shared_ptr<DrawSurface>;

struct LockInfo {
    uint8_t* bits = nullptr;
    int pitch = 0, width = 0, height = 0;
};

enum class Device3DKind : uint8_t { kHal, kTnlHal, kRgb };

// Texture operation capability bit for the dot-product stage operation.
enum : uint32_t { kTexOpCapsDotProduct3 = 0x800000 };
enum : uint32_t { kTextureCapsPow2 = 0x2, kTextureCapsSquareOnly = 0x20 };

struct Device3DCaps {
    uint32_t textureCaps = 0;
    uint32_t textureOpCaps = kTexOpCapsDotProduct3;
};

struct DriverInfo {
    uint8_t guid[16] = {};
    std::string description, name;
};

// Where a scripted fault strikes.
enum class FaultPoint : uint8_t {
    kBlt,           // Blt or BltFast whose destination is not the primary
    kBltToPrimary,  // Blt onto the primary surface
    kLock,
    kCreateSurface,
    kSetDisplayMode,
    kCreateDevice3D,
    kEnumZBuffer,
};

// What the machine offers; tests change it before bring-up.
struct DrawMachine {
    std::vector<DriverInfo> drivers{DriverInfo{{}, "Primary display driver", "display"}};
    PixelFormatDesc desktopFormat = DescribeFormat(raster::PixelFormat::kRgb565);
    int desktopWidth = 1024, desktopHeight = 768;
    bool refreshRatesSupported = true;  // false: modes with a non-zero refresh rate fail
    int reportedBits = 0;               // bits GetDisplayMode reports after a mode set; 0 = as set
    std::vector<PixelFormatDesc> textureFormats{DescribeFormat(raster::PixelFormat::kArgb4444),
                                                DescribeFormat(raster::PixelFormat::kRgb565),
                                                DescribeFormat(raster::PixelFormat::kRgb555)};
    bool zBufferFormat = true;
    Device3DCaps caps3D;
};

DrawMachine& Machine();
void ResetMachine();

class DrawDevice {
public:
    static std::vector<DriverInfo> EnumerateDrivers() { return Machine().drivers; }
    // Makes a device on the driver with this guid; null when no such driver.
    static std::unique_ptr<DrawDevice> Create(const uint8_t guid[16]);

    HResult SetCooperativeLevel(void* window, uint32_t flags);
    HResult SetDisplayMode(int width, int height, int bits, int refreshRate);
    HResult GetDisplayMode(int* width, int* height, int* bits, PixelFormatDesc* format = nullptr) const;
    // Windowed presentation: the size of the main window's client area.
    void SetClientSize(int width, int height);
    bool FullScreen() const { return m_fullScreen; }

    HResult CreateSurface(const SurfaceDesc& desc, SurfacePtr* out);
    HResult GetAttachedSurface(const SurfacePtr& surface, uint32_t caps, SurfacePtr* out);
    HResult AddAttachedSurface(const SurfacePtr& surface, const SurfacePtr& zbuffer);
    HResult SetClipWindow(const SurfacePtr& primary, void* window);

    // Copies (or stretches) srcRect of src to dstRect of dst (null: whole
    // surfaces); with kBltColorFill fills dstRect with fill instead.
    HResult Blt(DrawSurface* dst, const raster::Rect* dstRect, DrawSurface* src, const raster::Rect* srcRect,
                uint32_t flags, uint16_t fill = 0);
    HResult BltFast(DrawSurface* dst, int x, int y, DrawSurface* src, const raster::Rect* srcRect,
                    uint32_t flags);
    HResult Lock(DrawSurface* surface, LockInfo* out);
    HResult Unlock(DrawSurface* surface);
    HResult IsLost(const DrawSurface* surface) const;
    HResult Restore(DrawSurface* surface);
    HResult SetColorKey(DrawSurface* surface, uint32_t flags, const uint32_t* key);

    std::vector<PixelFormatDesc> EnumZBufferFormats(Device3DKind kind, HResult* result);
    std::vector<PixelFormatDesc> EnumTextureFormats() const { return Machine().textureFormats; }
    HResult CreateDevice3D(Device3DKind kind, const SurfacePtr& target,
                           std::unique_ptr<raster::Device3D>* out);
    Device3DCaps Caps3D() const { return Machine().caps3D; }

    // Scripting: the next `count` operations at `point` answer `code`.
    void InjectFault(FaultPoint point, HResult code, int count = 1);
    // A lost surface answers kSurfaceLost to blits, locks and IsLost until restored.
    void MarkLost(DrawSurface* surface) { surface->m_lost = true; }
    int RestoreCount() const { return m_restores; }
    int PrimaryBlitCount() const { return m_primaryBlits; }
    SurfacePtr Primary() const { return m_primary.lock(); }

private:
    bool TakeFault(FaultPoint point, HResult* code);
    void PresentPrimary(DrawSurface* primary);

    bool m_fullScreen = false;
    void* m_window = nullptr;
    int m_modeWidth = 0, m_modeHeight = 0, m_modeBits = 16;
    int m_clientWidth = 0, m_clientHeight = 0;
    std::map<FaultPoint, std::deque<HResult>> m_faults;
    std::weak_ptr<DrawSurface> m_primary;
    int m_restores = 0, m_primaryBlits = 0;
};

}  // namespace plat
