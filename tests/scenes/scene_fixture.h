// What the scene tests share: a fake clock, a main manager with a stand-in
// cursor (kind 1), a window manager and an input manager, a test fade that
// runs on the fake clock, a recording scene maker and a test event host.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/base_object.h"
#include "core/input_mgr.h"
#include "core/main_mgr.h"
#include "platform/clock.h"
#include "scenes/scene.h"
#include "scenes/scene_services.h"
#include "ui/window_mgr.h"

namespace scenetest {

// A fade that runs for its duration on the clock.
class TestFade : public IScreenFade {
public:
    void Start(int32_t direction, uint32_t colour, uint32_t durationMs) override;
    void Update() override;
    bool IsFinished() override { return m_finished; }
    int32_t GetDirection() override { return m_direction; }

    int32_t m_direction = FADE_IN;
    uint32_t m_start = 0, m_duration = 0;
    bool m_finished = true;
};

class TestFadeMaker : public IScreenFadeMaker {
public:
    std::unique_ptr<IScreenFade> MakeScreenFade() override { return std::make_unique<TestFade>(); }
};

// Stands in for a scene of a kind the test does not run.
class RecordedScene : public CBaseObject {
public:
    explicit RecordedScene(uint32_t kind) { SetKindId(kind); }
};

// The cursor object as the main manager holds it.
class StandInCursor : public CBaseObject {
public:
    StandInCursor() { SetKindId(SCENE_CURSOR); }
};

// An event manager the test drives.
class TestEvents : public ISceneEvents {
public:
    bool IsVisualEventRunning() override { return m_running; }
    bool HasCurrentEvent() override { return m_current; }
    void EndCurrentEvent() override {
        m_current = false;
        ++m_ended;
    }
    bool IsCurrentEventDrawn() override { return true; }
    bool IsScreenBusy() override { return false; }
    bool StartVisualEvent(uint32_t number) override {
        m_started.push_back(number);
        m_running = m_current = m_startRuns;
        return m_startRuns;
    }
    void ProcessQueuedMessages() override {}
    void Update() override { ++m_updates; }
    void Draw() override {}
    void QueueEventObjects() override {}
    void SetEventActive(bool active) override { m_active = active; }
    void SetControlLock(bool locked) override { m_locked = locked; }
    CBaseWindow* MakeEventSelectionWindow() override { return nullptr; }

    bool m_startRuns = true;
    bool m_running = false, m_current = false, m_active = true, m_locked = true;
    int m_ended = 0, m_updates = 0;
    std::vector<uint32_t> m_started;
};

// A script manager that counts what the scenes ask of it.
class TestScripts : public ISceneScripts {
public:
    void UpdateScripts() override { ++m_updates; }
    void DrawScripts() override { ++m_draws; }
    void ResetScripts() override { ++m_resets; }

    int m_updates = 0, m_draws = 0, m_resets = 0;
};

class SceneFixture {
public:
    SceneFixture();
    ~SceneFixture();
    SceneFixture(const SceneFixture&) = delete;
    SceneFixture& operator=(const SceneFixture&) = delete;

    // Fades run on the clock from now on (without, every fade is over at once).
    void UseFades();
    // Scenes of the kinds are recorded (made as RecordedScene) instead of built.
    void RecordKinds(std::initializer_list<uint32_t> kinds);
    // Adds a scene as the main manager's child (it owns it).
    template <class S>
    S* Add(S* scene) {
        m_main.AddChild(scene);
        return scene;
    }
    // One frame of the main manager after the clock moved on ms.
    void Frame(uint32_t ms = 33);
    // Frames of ms until the clock has moved total ms.
    void RunFor(uint32_t totalMs, uint32_t ms = 33);
    // A key press waiting in the input queue.
    void PressKey(uint32_t key);

    // The main manager's scene (the child that is not the cursor), or null.
    CBaseObject* Scene();
    uint32_t SceneKind();
    // Kinds the recording maker was asked for, in order.
    const std::vector<uint32_t>& Made() const { return *m_made; }
    CBaseObject* Cursor() { return m_pCursor; }

    plat::FakeClock m_clock{100000};
    CMainMgr m_main;
    CWindowMgr m_windows;
    CInputMgr m_input;
    TestFadeMaker m_fadeMaker;
    TestEvents m_events;
    TestScripts m_scripts;

private:
    plat::ScopedClock m_scopedClock{m_clock};
    std::unique_ptr<ScopedScreenFadeMaker> m_scopedFades;
    std::vector<std::unique_ptr<ScopedSceneFactory>> m_factories;
    std::shared_ptr<std::vector<uint32_t>> m_made = std::make_shared<std::vector<uint32_t>>();
    CBaseObject* m_pCursor = nullptr;
    CMainMgr* m_oldMain;
    CWindowMgr* m_oldWindows;
    CInputMgr* m_oldInput;
    bool m_oldFullScreen;
};

}  // namespace scenetest
