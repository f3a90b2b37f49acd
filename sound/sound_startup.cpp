#include "sound/sound_startup.h"

#include <cstdint>

#include "anim/ani_services.h"
#include "core/frame_hooks.h"
#include "core/global_objects.h"
#include "graphics/device_set.h"
#include "sound/sound_mgr.h"

namespace {

// The sound manager's tick, first in every frame.
class SoundFrameClient : public IFrameClient {
public:
    void OnFrame() override {
        if (g_pSoundMgr) g_pSoundMgr->Update();
    }
};

// Sound nodes of the animations.
class AniSound : public IAniSound {
public:
    void PlaySoundEffect(uint32_t soundId, int32_t x, int32_t y) override {
        if (g_pSoundMgr && soundId < MAX_EFFECT_ID) g_pSoundMgr->PlaySoundEffect(uint16_t(soundId), x, y, 1);
    }
};

// The sound system's tables as start-up sets them.
constexpr uint32_t kSampleCacheSize = 1000;
constexpr uint32_t kSoundSlotCount = 100;

// The screenshot's sound.
class ScreenshotSound : public IScreenshotSavedHook {
public:
    void OnScreenshotSaved() override {
        if (g_pSoundMgr) g_pSoundMgr->PlaySoundEffect(SCREENSHOT_EFFECT, -1, -1, 1);
    }
};

SoundFrameClient g_soundFrame;
AniSound g_aniSound;
ScreenshotSound g_screenshotSound;

void PlugIn() {
    SetSoundFrameClient(&g_soundFrame);
    SetAniSound(&g_aniSound);
    SetScreenshotSavedHook(&g_screenshotSound);
}

void Unplug() {
    if (GetSoundFrameClient() == &g_soundFrame) SetSoundFrameClient(nullptr);
    if (GetAniSound() == &g_aniSound) SetAniSound(nullptr);
    if (GetScreenshotSavedHook() == &g_screenshotSound) SetScreenshotSavedHook(nullptr);
}

bool CreateSoundMgr() {
    if (!g_pSoundMgr) g_pSoundMgr = new CSoundMgr;
    if (!g_pSoundMgr->GetSoundSystem()) {
        // No audio device: the program runs silent.
        delete g_pSoundMgr;
        g_pSoundMgr = nullptr;
        return false;
    }
    PlugIn();
    return true;
}

void DestroySoundMgr() {
    Unplug();
    delete g_pSoundMgr;
    g_pSoundMgr = nullptr;
}

// The sound system's set-up after start-up: the distance provider, the
// sample cache for effect ids 0-999 and 100 sound slots.
bool ConfigureSound() {
    if (!g_pSoundMgr) return true;
    CSoundSystem* system = g_pSoundMgr->GetSoundSystem();
    if (!system) return true;
    system->Select3DProvider(PROVIDER_DISTANCE);
    system->SetSampleCacheSize(kSampleCacheSize);
    system->SetSoundSlotCount(kSoundSlotCount);
    return true;
}

}  // namespace

void InstallSoundGlobals() {
    SetGlobalFactory(GlobalSlot::SoundMgr, CreateSoundMgr, DestroySoundMgr);
    SetGlobalFactory(GlobalSlot::SoundConfig, ConfigureSound, [] {});
}
