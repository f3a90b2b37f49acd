#include "graphics/device_set.h"

#include <cstring>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/config.h"
#include "core/error_box.h"
#include "core/frame_hooks.h"
#include "core/input_mgr.h"
#include "core/resource_cache.h"
#include "data/text_tables.h"
#include "graphics/direct3d.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "graphics/frame_display.h"
#include "graphics/image_mgr.h"
#include "graphics/image_resource.h"
#include "graphics/screenshot.h"
#include "graphics/surface_resource.h"
#include "platform/audio.h"
#include "platform/local_time.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/window.h"

CDirectX* g_pDirectX = nullptr;
CSoundDevice* g_pSoundDevice = nullptr;
CResourceCache* g_pSoundCache = nullptr;

namespace {

// Byte of the user options that stretches the frame through the margin surface.
constexpr size_t kOptionFrameStretch = 34;
// The folder screenshots go to when text table 5 has none.
constexpr const char* kDefaultScreenshotFolder = "ScreenShot";

IScreenshotSavedHook* g_screenshotSaved = nullptr;

template <class T>
void DeletePart(T*& part) {
    delete part;
    part = nullptr;
}

plat::Device3DKind KindOfType(int32_t type) {
    switch (type) {
        case DEVICE_TYPE_RGB:
            return plat::Device3DKind::kRgb;
        case DEVICE_TYPE_TNL_HAL:
            return plat::Device3DKind::kTnlHal;
        default:
            return plat::Device3DKind::kHal;
    }
}

}  // namespace

// ---- CSoundDevice ----

CSoundDevice::CSoundDevice() {
    CSoundDevice::Create();
}

CSoundDevice::~CSoundDevice() {
    CSoundDevice::Release();
}

bool CSoundDevice::Create() {
    m_window = nullptr;
    m_volume = 99;
    return true;
}

int32_t CSoundDevice::Init(void* window) {
    m_window = window;
    // Sound plays through the sound layer's mixer; here only the device is tried.
    plat::Audio& audio = plat::GetAudio();
    if (audio.IsOpen()) return 0;
    if (!audio.Open(22050, 16, 2, [](void* out, int frames) { std::memset(out, 0, size_t(frames) * 4); }))
        return plat::kErrFail;
    audio.Close();
    return 0;
}

void CSoundDevice::ReleaseBuffers() {}

bool CSoundDevice::Release() {
    ReleaseBuffers();
    return true;
}

// ---- CDirectX ----

CDirectX::CDirectX() = default;

CDirectX::~CDirectX() {
    CDirectX::Release();
}

int32_t CDirectX::Init(bool createDisplay, bool createInput, bool createSound, CDisplaySetup& setup) {
    return InitDevices(setup.window, &setup.device, setup.width, setup.height, setup.colorDepth,
                       setup.backSurfaces, setup.use3D != 0, setup.fullScreen != 0, setup.deviceType,
                       createDisplay, createInput, createSound);
}

int32_t CDirectX::Fail(int32_t result, int textRow, int captionRow) {
    plat::MessageBox(GetTableText(5, textRow), GetTableText(5, captionRow));
    Release();
    return result < 0 ? result : plat::kErrFail;
}

int32_t CDirectX::InitDevices(void* window, plat::Device3DKind* deviceOut, int32_t width, int32_t height,
                              int32_t colorDepth, int32_t backSurfaces, bool use3D, bool fullScreen,
                              int32_t deviceType, bool createDisplay, bool createInput, bool createSound) {
    m_window = window;
    m_width = width;
    m_height = height;
    m_colorDepth = colorDepth;
    m_backSurfaces = backSurfaces;
    m_use3D = use3D;
    m_fullScreen = fullScreen;
    m_deviceType = deviceType;
    m_device = KindOfType(deviceType);
    if (deviceOut) *deviceOut = m_device;

    CDisplaySettings& settings = GetDisplaySettings();
    settings.screenWidth = width;
    settings.screenHeight = height;
    settings.colorDepth = colorDepth;
    settings.use3D = use3D;
    settings.frameStretch = g_options.GetByte(kOptionFrameStretch) != 0;
    settings.refreshRate = g_config.m_refreshRate;
    settings.windowAlive = true;

    if (createDisplay) {
        m_pDirectDraw = new CDirectDraw;
        g_pDirectDraw = m_pDirectDraw;
        const plat::HResult hr = m_pDirectDraw->CreateDirectDraw(window, 0, fullScreen, width, height,
                                                                 colorDepth, backSurfaces, use3D);
        if (hr < 0) return Fail(hr, 3, 4);
    }
    if (use3D) {
        m_pDirect3D = new CDirect3D;
        m_pDirect3D->m_hardware = deviceType == DEVICE_TYPE_HAL || deviceType == DEVICE_TYPE_TNL_HAL;
        const plat::HResult hr = m_pDirect3D->CreateD3DDevice(m_device);
        if (hr < 0) return Fail(hr, 5, 6);
    }
    if (createInput) {
        m_pInputMgr = new CInputMgr;
        m_pInputMgr->Init(width, height);
    }
    if (createSound) {
        m_pSoundDevice = new CSoundDevice;
        const int32_t r = m_pSoundDevice->Init(window);
        if (r < 0) return Fail(r, 9, 10);
    }
    ClearScreens();
    return 0;
}

bool CDirectX::Release() {
    if (m_pDirect3D && g_pDirect3D == m_pDirect3D) g_pDirect3D = nullptr;
    DeletePart(m_pDirect3D);
    if (m_pDirectDraw && g_pDirectDraw == m_pDirectDraw) g_pDirectDraw = nullptr;
    DeletePart(m_pDirectDraw);
    if (m_pSoundDevice && g_pSoundDevice == m_pSoundDevice) g_pSoundDevice = nullptr;
    DeletePart(m_pSoundDevice);
    if (m_pInputMgr && g_pInputMgr == m_pInputMgr) g_pInputMgr = nullptr;
    DeletePart(m_pInputMgr);
    return true;
}

bool CDirectX::ClearScreens() {
    if (m_pDirectDraw) {
        if (CSurfaceResource* front = m_pDirectDraw->GetPrimarySurface()) front->FillSurface(0, nullptr);
        if (CSurfaceResource* back = m_pDirectDraw->GetBackSurface()) back->FillSurface(0, nullptr);
    }
    if (m_pDirect3D)
        if (CSurfaceResource* target = m_pDirect3D->GetRenderTarget()) target->FillSurface(0, nullptr);
    return true;
}

bool CDirectX::SaveScreenshot() {
    if (!m_pDirectDraw) return false;
    const plat::LocalTime now = plat::GetLocalTime();
    std::string folder = GetTableText(5, 1);
    if (folder.empty()) folder = kDefaultScreenshotFolder;
    plat::CreateDirectories("./" + folder);
    const std::string path =
        ScreenshotPath(folder, now, [](const std::string& p) { return plat::FileExists(p); });

    CSurfaceResource* surface = m_pDirectDraw->GetRenderSurface();
    plat::LockInfo lock;
    if (!surface || !surface->Lock(&lock)) return false;
    std::vector<uint8_t> bgr;
    int pad = 0;
    const bool converted =
        lock.bits && ScreenToBgrBottomUp(TargetOf(lock), m_pDirectDraw->GetPixelKind(), bgr, pad);
    surface->Unlock();
    if (!converted) return false;
    if (!WriteJpegBgrBottomUp(path, bgr.data(), lock.width, lock.height, pad, g_config.m_screenshotQuality))
        return false;
    if (g_screenshotSaved) g_screenshotSaved->OnScreenshotSaved();
    ShowMessageWinF(3, "%s [%s]", GetTableText(5, 2), path.c_str());
    return true;
}

void SetScreenshotSavedHook(IScreenshotSavedHook* hook) {
    g_screenshotSaved = hook;
}

IScreenshotSavedHook* GetScreenshotSavedHook() {
    return g_screenshotSaved;
}

// ---- Start-up ----

namespace {

template <class T>
void MakeCache(T*& cache, uint32_t budget) {
    if (!cache) cache = new CResourceCache;
    cache->SetBudget(budget);
}

}  // namespace

bool CreateResourceCaches() {
    if (!g_pSurfaceCache) CreateGraphicsCaches();
    MakeCache(g_pSoundCache, SOUND_CACHE_BUDGET);
    MakeCache(g_pImageCache, IMAGE_CACHE_BUDGET);
    return true;
}

void DeleteResourceCaches() {
    DeletePart(g_pImageCache);
    DeletePart(g_pSoundCache);
    DestroyGraphicsCaches();
}

bool InitDirectX() {
    g_pDirectX = new CDirectX;
    CreateResourceCaches();
    CDisplaySetup setup;
    setup.window = g_hMainWnd;
    setup.width = g_config.m_screenWidth;
    setup.height = g_config.m_screenHeight;
    setup.colorDepth = g_config.m_bpp;
    setup.backSurfaces = g_config.m_backSurfaceCount;
    setup.use3D = 1;
    setup.fullScreen = g_config.m_fullScreen;
    setup.deviceType = DEVICE_TYPE_HAL;
    if (g_pDirectX->Init(true, true, false, setup) < 0) {
        plat::MessageBox("Initializing DirectX Failed.", "DX Initializing Error");
        DeletePart(g_pDirectX);
        return false;
    }
    g_pDirectDraw = g_pDirectX->m_pDirectDraw;
    g_pInputMgr = g_pDirectX->m_pInputMgr;
    g_pSoundDevice = g_pDirectX->m_pSoundDevice;
    g_pDirect3D = g_pDirectX->m_pDirect3D;
    return true;
}

void ReleaseDirectX() {
    GetDisplaySettings().windowAlive = g_hMainWnd != nullptr;
    DeletePart(g_pDirectX);
    g_pDirectDraw = nullptr;
    g_pInputMgr = nullptr;
    g_pSoundDevice = nullptr;
    g_pDirect3D = nullptr;
}
