// The device set: brings up and owns the display, the 3D device, the input
// manager and (when asked) the sound device, clears the screens and saves
// screenshots. InitDirectX makes it at start-up with the resource caches.
#pragma once
#include <cstdint>
#include <functional>

#include "core/base_object.h"
#include "platform/draw_device.h"
#include "platform/seam.h"

class CDirectDraw;
class CDirect3D;
class CInputMgr;
class CResourceCache;

// The sound device of the device set. The program's start-up never asks for
// it; initialising it succeeds when an audio device can be opened (and is
// closed again at once: sound plays through the sound layer's mixer).
class CSoundDevice : public CMsgObject {
public:
    CSoundDevice();
    ~CSoundDevice() override;
    // Clears the fields.
    bool Create() override;
    // 0 when an audio device opens, else a negative result.
    int32_t Init(void* window);
    void ReleaseBuffers();
    bool Release() override;

    void* m_window = nullptr;
    int32_t m_volume = 99;
};

// Device types.
enum : int32_t { DEVICE_TYPE_RGB = 0, DEVICE_TYPE_HAL = 1, DEVICE_TYPE_TNL_HAL = 2 };

struct CDisplaySetup {
    void* window = nullptr;
    plat::Device3DKind device = plat::Device3DKind::kHal;  // filled by Init from the device type
    int32_t width = 800, height = 600;
    int32_t colorDepth = 16;
    int32_t backSurfaces = 1;
    uint8_t use3D = 1;
    uint8_t fullScreen = 0;
    int32_t deviceType = DEVICE_TYPE_HAL;
};

class CDirectX : public CMsgObject {
public:
    CDirectX();
    ~CDirectX() override;

    // Brings the parts up in order: display, 3D device, input, sound. The first
    // failure shows its message box, releases what was made and is returned
    // (negative); 0 on success.
    int32_t Init(bool createDisplay, bool createInput, bool createSound, CDisplaySetup& setup);
    int32_t InitDevices(void* window, plat::Device3DKind* deviceOut, int32_t width, int32_t height,
                        int32_t colorDepth, int32_t backSurfaces, bool use3D, bool fullScreen,
                        int32_t deviceType, bool createDisplay, bool createInput, bool createSound);
    // Deletes the 3D device, the display, the sound device and the input manager, in this order.
    bool Release() override;
    // Fills the front and back surfaces and the render target with colour 0.
    bool ClearScreens();
    // Saves the frame as "./<folder>/ZIDE_....jpg"; false when nothing was saved.
    bool SaveScreenshot();

    CDirectDraw* m_pDirectDraw = nullptr;
    CInputMgr* m_pInputMgr = nullptr;
    CSoundDevice* m_pSoundDevice = nullptr;
    CDirect3D* m_pDirect3D = nullptr;
    void* m_window = nullptr;
    plat::Device3DKind m_device = plat::Device3DKind::kHal;
    int32_t m_width = 0, m_height = 0, m_colorDepth = 0, m_backSurfaces = 0;
    bool m_use3D = false, m_fullScreen = false;
    int32_t m_deviceType = DEVICE_TYPE_HAL;

private:
    int32_t Fail(int32_t result, int textRow, int captionRow);
};

extern CDirectX* g_pDirectX;
extern CSoundDevice* g_pSoundDevice;
// The second cache: the sound device's entries.
extern CResourceCache* g_pSoundCache;

// Budgets of the sound-entry and image caches (the display's caches have their own).
constexpr uint32_t SOUND_CACHE_BUDGET = 26000000;
constexpr uint32_t IMAGE_CACHE_BUDGET = 335544320;

// Makes the surface, sound-entry, texture and image caches with their budgets.
bool CreateResourceCaches();
void DeleteResourceCaches();

// Start-up's bring-up of the device set on the main window with the configured
// screen: display and input, no sound. False (after the "Initializing DirectX
// Failed." box) when it fails; the parts are then published through their
// program-wide pointers.
bool InitDirectX();
void ReleaseDirectX();

// Told after a screenshot was saved (the sound layer plays its effect).
class IScreenshotSavedHook {
public:
    virtual ~IScreenshotSavedHook() = default;
    virtual void OnScreenshotSaved() = 0;
};
void SetScreenshotSavedHook(IScreenshotSavedHook* hook);
IScreenshotSavedHook* GetScreenshotSavedHook();
using ScopedScreenshotSavedHook = plat::ScopedInstall<GetScreenshotSavedHook, SetScreenshotSavedHook>;
