#include "app/scene_hooks.h"

#include "core/global_objects.h"
#include "effects/base/effect_player_mgr.h"
#include "effects/screen/gamma_fade_effect.h"
#include "scenes/scene_services.h"
#include "scenes/scenes_startup.h"
#include "script/event_mgr.h"
#include "script/event_selection_window.h"
#include "script/script_mgr.h"
#include "sound/dshow_movie.h"
#include "sound/sound_mgr.h"
#include "sound/sound_services.h"

namespace {

class SceneMusic : public ISceneMusic {
public:
    bool PlayMusicList(const char* name) override {
        const uint32_t list = g_pSoundMgr && name ? g_pSoundMgr->FindMusicIdByName(name) : 0;
        if (list == 0 || list > uint32_t(INT32_MAX)) return false;
        return g_pSoundMgr->PlayMusicList(int32_t(list), 1);
    }
    void FadeOutMusic() override {
        if (g_pSoundMgr) g_pSoundMgr->FadeOutMusic();
    }
};
SceneMusic g_sceneMusic;

class SceneMovie : public ISceneMovie {
public:
    SceneMovie(int32_t width, int32_t height) : m_movie(width, height) {}
    bool Open(const char* path) { return m_movie.OpenMovieStream(path); }
    bool RenderFrame() override { return m_movie.RenderFrame(); }

private:
    CDShowMovie m_movie;
};

class SceneMovies : public ISceneMovies {
public:
    std::unique_ptr<ISceneMovie> OpenMovie(const char* path, int32_t width, int32_t height) override {
        auto movie = std::make_unique<SceneMovie>(width, height);
        if (!path || !movie->Open(path)) return nullptr;
        return movie;
    }
};
SceneMovies g_sceneMovies;

// The scenes run the script manager each frame and release it when the
// field is left.
class SceneScripts : public ISceneScripts {
public:
    void UpdateScripts() override {
        if (g_pScriptMgr) g_pScriptMgr->Update();
    }
    void DrawScripts() override {
        if (g_pScriptMgr) g_pScriptMgr->Draw();
    }
    void ResetScripts() override {
        if (!g_pScriptMgr) return;
        g_pScriptMgr->Release();
        g_pScriptMgr->Init();
    }
};
SceneScripts g_sceneScripts;

// The scenes drive the event manager; the sound manager reads its music volume.
class SceneEvents : public ISceneEvents, public ISoundEvents {
public:
    bool IsVisualEventRunning() override { return g_pEventMgr && g_pEventMgr->IsVisualEventRunning(); }
    bool HasCurrentEvent() override { return g_pEventMgr && g_pEventMgr->GetEvent(); }
    void EndCurrentEvent() override {
        if (g_pEventMgr) g_pEventMgr->StopEvent(false);
    }
    bool IsCurrentEventDrawn() override { return HasCurrentEvent(); }
    bool IsScreenBusy() override { return g_pEventMgr && g_pEventMgr->IsScreenBusy(); }
    bool StartVisualEvent(uint32_t number) override { return LoadVetFile(number, ""); }
    void ProcessQueuedMessages() override {
        if (g_pEventMgr) g_pEventMgr->ProcessQueuedMessages();
    }
    void Update() override {
        if (g_pEventMgr) g_pEventMgr->Update();
    }
    void Draw() override {
        if (g_pEventMgr) g_pEventMgr->Draw();
    }
    void QueueEventObjects() override {
        if (g_pEventMgr) g_pEventMgr->QueueEventObjects();
    }
    void SetEventActive(bool active) override {
        if (g_pEventMgr) g_pEventMgr->SetEventActive(active);
    }
    void SetControlLock(bool locked) override {
        if (g_pEventMgr) g_pEventMgr->SetControlLock(locked);
    }
    CBaseWindow* MakeEventSelectionWindow() override { return new CEventSelectionWindow; }
    void HandleSkipKey() override {
        if (g_pEventMgr) g_pEventMgr->HandleSkipKey();
    }
    int32_t GetEventMusicVolume() override { return g_pEventMgr ? g_pEventMgr->GetMusicVolume() : 127; }
};
SceneEvents g_sceneEvents;
// The field's running effects: a frame of each, queued for drawing, cleared
// with the map or the field.
class SceneFieldEffects : public ISceneFieldEffects {
public:
    void Step() override {
        if (g_pEffectPlayerMgr) g_pEffectPlayerMgr->ProcessAll();
    }
    void Queue() override {
        if (g_pEffectPlayerMgr) g_pEffectPlayerMgr->DrawAll();
    }
    void Clear() override {
        if (g_pEffectPlayerMgr) g_pEffectPlayerMgr->ClearAll();
    }
};
SceneFieldEffects g_sceneFieldEffects;

// A scene's fade: the effects' gamma fade on the program's display.
class SceneFade : public IScreenFade {
public:
    SceneFade() { m_fade.Create(); }
    void Start(int32_t direction, uint32_t colour, uint32_t durationMs) override {
        // 0x00BBGGRR: red is byte 0.
        const uint8_t bytes[4] = {uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16),
                                  uint8_t(colour >> 24)};
        m_fade.Start(direction == FADE_IN ? 1 : 0, bytes, durationMs);
    }
    void Update() override { m_fade.Update(); }
    bool IsFinished() override { return m_fade.IsFinished(); }
    int32_t GetDirection() override { return m_fade.Direction() == 1 ? FADE_IN : FADE_OUT; }

private:
    CGammaFadeEffect m_fade;
};

class SceneFadeMaker : public IScreenFadeMaker {
public:
    std::unique_ptr<IScreenFade> MakeScreenFade() override { return std::make_unique<SceneFade>(); }
};
SceneFadeMaker g_sceneFadeMaker;

}  // namespace

void InstallSceneHooks() {
    InstallSceneGlobals();
    SetSceneMovies(&g_sceneMovies);
    SetScreenFadeMaker(&g_sceneFadeMaker);
    AddGlobalFactory(
        GlobalSlot::SoundMgr,
        [] {
            SetSceneMusic(&g_sceneMusic);
            return true;
        },
        [] { SetSceneMusic(nullptr); });
    // Added to the script manager's slot (made by the script layer's
    // factory, which must be installed before).
    AddGlobalFactory(
        GlobalSlot::ScriptMgr,
        [] {
            if (g_pScriptMgr) SetSceneScripts(&g_sceneScripts);
            return true;
        },
        [] { SetSceneScripts(nullptr); });
    // Added to the event manager's slot (made by the script layer's factory).
    AddGlobalFactory(
        GlobalSlot::EventMgr,
        [] {
            if (!g_pEventMgr) return true;
            SetSceneEvents(&g_sceneEvents);
            SetSoundEvents(&g_sceneEvents);
            return true;
        },
        [] {
            SetSceneEvents(nullptr);
            SetSoundEvents(nullptr);
        });
    // Added to the effect manager's slot (made by the effects' factory,
    // which must be installed before).
    AddGlobalFactory(
        GlobalSlot::EffectPlayerMgr,
        [] {
            if (g_pEffectPlayerMgr) SetSceneFieldEffects(&g_sceneFieldEffects);
            return true;
        },
        [] { SetSceneFieldEffects(nullptr); });
}
