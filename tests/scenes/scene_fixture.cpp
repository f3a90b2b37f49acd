#include "tests/scenes/scene_fixture.h"

#include "core/app_state.h"
#include "core/config.h"

namespace scenetest {

void TestFade::Start(int32_t direction, uint32_t, uint32_t durationMs) {
    m_direction = direction;
    m_start = plat::timeGetTime();
    m_duration = durationMs;
    m_finished = durationMs == 0;
}

void TestFade::Update() {
    if (!m_finished && plat::timeGetTime() - m_start >= m_duration) m_finished = true;
}

SceneFixture::SceneFixture()
    : m_oldMain(g_pMainMgr),
      m_oldWindows(g_pWindowMgr),
      m_oldInput(g_pInputMgr),
      m_oldFullScreen(g_config.m_fullScreen) {
    g_pMainMgr = &m_main;
    g_pWindowMgr = &m_windows;
    g_pInputMgr = &m_input;
    g_config.m_fullScreen = false;
    g_quit = false;
    m_pCursor = new StandInCursor;
    m_main.AddChild(m_pCursor);
}

SceneFixture::~SceneFixture() {
    m_main.Release();
    m_windows.Release();
    g_pMainMgr = m_oldMain;
    g_pWindowMgr = m_oldWindows;
    g_pInputMgr = m_oldInput;
    g_config.m_fullScreen = m_oldFullScreen;
    g_quit = false;
}

void SceneFixture::UseFades() {
    m_scopedFades = std::make_unique<ScopedScreenFadeMaker>(m_fadeMaker);
}

void SceneFixture::RecordKinds(std::initializer_list<uint32_t> kinds) {
    for (uint32_t kind : kinds) {
        auto made = m_made;
        m_factories.push_back(std::make_unique<ScopedSceneFactory>(kind, [kind, made]() -> CBaseObject* {
            made->push_back(kind);
            return new RecordedScene(kind);
        }));
    }
}

void SceneFixture::Frame(uint32_t ms) {
    m_clock.Advance(ms);
    m_main.UpdateChildren();
    m_main.ApplyPendingChildren();
    m_main.DrawChildren();
}

void SceneFixture::RunFor(uint32_t totalMs, uint32_t ms) {
    for (uint32_t t = 0; t < totalMs; t += ms) Frame(ms);
}

void SceneFixture::PressKey(uint32_t key) {
    m_input.PostKeyDown(key, false);
}

CBaseObject* SceneFixture::Scene() {
    for (CMsgObject* object : m_main.Children()) {
        auto* child = dynamic_cast<CBaseObject*>(object);
        if (child && child != m_pCursor) return child;
    }
    return nullptr;
}

uint32_t SceneFixture::SceneKind() {
    CBaseObject* scene = Scene();
    return scene ? scene->GetKindId() : uint32_t(-1);
}

}  // namespace scenetest
