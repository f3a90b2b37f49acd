#include "sound/sound_startup.h"

#include <cstdint>

#include "anim/ani_services.h"
#include "anim/field_sound.h"
#include "core/config.h"
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

// What the map plays: its music lists, the "ChikenYell" of the morning and
// its stage's sound spots, each in a slot keyed by the spot's row.
class FieldSound : public IFieldSound {
public:
    uint16_t FindEffectIdByName(const char* name) override {
        return g_pSoundMgr && name ? g_pSoundMgr->FindEffectIdByName(name) : 0;
    }
    void PlaySoundEffect(uint32_t effectId, int32_t x, int32_t y, int32_t playArgument) override {
        // The argument is the manager's loop count; the map plays once.
        if (g_pSoundMgr && effectId < MAX_EFFECT_ID && playArgument >= 0)
            g_pSoundMgr->PlaySoundEffect(uint16_t(effectId), x, y, uint32_t(playArgument));
    }
    void ChangeMusicList(uint32_t list) override {
        if (g_pSoundMgr && list <= uint32_t(INT32_MAX)) g_pSoundMgr->ChangeMusicList(int32_t(list));
    }
    bool PlayMusicByName(const char* name) override {
        const uint32_t list = g_pSoundMgr && name ? g_pSoundMgr->FindMusicIdByName(name) : 0;
        if (list == 0 || list > uint32_t(INT32_MAX)) return false;
        return g_pSoundMgr->ChangeMusicList(int32_t(list));
    }
    bool AreSoundSpotsOn() override { return g_options.GetByte(OPT_AMBIENT_SOUNDS) != 0; }
    void FadeOutMusic() override {
        if (g_pSoundMgr) g_pSoundMgr->FadeOutMusic();
    }
    // A spot's flag places its sound on the map; slot sounds loop until stopped.
    void PlaySlotSound(uint32_t slot, uint32_t effectId, int32_t x, int32_t y, bool positional,
                       uint8_t volume) override {
        if (!g_pSoundMgr) return;
        const uint16_t id = effectId <= UINT16_MAX ? uint16_t(effectId) : uint16_t(NO_SOUND_ID);
        g_pSoundMgr->PlaySlotSound(slot, id, x, y, positional ? 1 : 0, volume);
    }
    void StopSlotSound(uint32_t slot) override {
        if (g_pSoundMgr) g_pSoundMgr->StopSlotSound(slot);
    }
    void PlayHitSound(CChar* attacker, CChar* target, bool forced) override {
        if (g_pSoundMgr) g_pSoundMgr->PlayHitSound(attacker, target, forced ? 1 : 0);
    }
};

SoundFrameClient g_soundFrame;
AniSound g_aniSound;
ScreenshotSound g_screenshotSound;
FieldSound g_fieldSound;

void PlugIn() {
    SetSoundFrameClient(&g_soundFrame);
    SetAniSound(&g_aniSound);
    SetScreenshotSavedHook(&g_screenshotSound);
    SetFieldSound(&g_fieldSound);
}

void Unplug() {
    if (GetSoundFrameClient() == &g_soundFrame) SetSoundFrameClient(nullptr);
    if (GetAniSound() == &g_aniSound) SetAniSound(nullptr);
    if (GetScreenshotSavedHook() == &g_screenshotSound) SetScreenshotSavedHook(nullptr);
    if (GetFieldSound() == &g_fieldSound) SetFieldSound(nullptr);
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
