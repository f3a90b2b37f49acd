#include "scenes/scene.h"

#include <map>

#include "core/main_mgr.h"
#include "graphics/device_set.h"
#include "graphics/direct_draw.h"
#include "graphics/surface_resource.h"
#include "scenes/char_create_scene.h"
#include "scenes/connect_scene.h"
#include "scenes/game_scene.h"
#include "scenes/intro_movie_scene.h"
#include "scenes/offline_scene.h"
#include "scenes/title_scene.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"
#include "world/chars/char_mgr.h"
#include "world/map/map.h"

namespace {

template <class T>
CBaseObject* Make() {
    return new T;
}

// The scenes by kind.
std::map<uint32_t, std::function<CBaseObject*()>>& SceneFactories() {
    static std::map<uint32_t, std::function<CBaseObject*()>> factories = {
        {SCENE_GAME, Make<CGameScene>},
        {SCENE_CHAR_CREATE, Make<CCharCreateScene>},
        {SCENE_CONNECT, Make<CConnectScene>},
        {SCENE_TITLE, Make<CTitleScene>},
        {SCENE_INTRO_MOVIE, Make<CIntroMovieScene>},
        {SCENE_OFFLINE, Make<COfflineScene>},
    };
    return factories;
}

}  // namespace

CBaseObject* MakeScene(uint32_t kind) {
    auto found = SceneFactories().find(kind);
    return found != SceneFactories().end() && found->second ? found->second() : nullptr;
}

ScopedSceneFactory::ScopedSceneFactory(uint32_t kind, std::function<CBaseObject*()> make) : m_kind(kind) {
    auto& factories = SceneFactories();
    if (auto found = factories.find(kind); found != factories.end()) m_previous = found->second;
    factories[kind] = std::move(make);
}

ScopedSceneFactory::~ScopedSceneFactory() {
    if (m_previous)
        SceneFactories()[m_kind] = std::move(m_previous);
    else
        SceneFactories().erase(m_kind);
}

void CSceneFade::Start(int32_t direction, uint32_t durationMs) {
    if (!m_pFade) {
        if (IScreenFadeMaker* maker = GetScreenFadeMaker()) m_pFade = maker->MakeScreenFade();
    }
    m_direction = direction;
    m_started = true;
    if (m_pFade) m_pFade->Start(direction, FADE_BLACK, durationMs);
}

void CSceneFade::Update() {
    if (m_pFade) m_pFade->Update();
}

void CSceneFade::Reset() {
    m_pFade.reset();
    m_direction = FADE_IN;
    m_started = false;
}

bool CSceneFade::IsFinished() const {
    return !m_pFade || m_pFade->IsFinished();
}

int32_t CSceneFade::GetDirection() const {
    return m_pFade ? m_pFade->GetDirection() : m_direction;
}

bool CScene::LeaveTo(uint32_t nextKind, bool hideCursor) {
    if (m_left || !g_pMainMgr) return false;
    if (!g_pMainMgr->ScheduleRemoveChild(this)) return false;
    m_left = true;
    if (hideCursor) ShowCursorObject(false);
    CBaseObject* next = MakeScene(nextKind);
    if (next && !g_pMainMgr->ScheduleAddChild(next)) delete next;
    return true;
}

void PrepareSceneScreen(bool redraw) {
    if (g_pDirectX) g_pDirectX->ClearScreens();
    if (g_pDirectDraw) {
        if (CSurfaceResource* primary = g_pDirectDraw->GetPrimarySurface()) primary->SetBrightness(100.0f);
    }
    SetSceneRedraw(redraw);
}

void SetSceneRedraw(bool redraw) {
    if (g_pDirectDraw) g_pDirectDraw->m_window800x600 = redraw;
}

void ShowCursorObject(bool show) {
    if (!g_pMainMgr) return;
    CBaseObject* cursor = g_pMainMgr->FindChildByKind(SCENE_CURSOR);
    if (!cursor) return;
    if (show)
        cursor->Show();
    else
        cursor->Hide();
}

void ClearCursorPointedObject() {
    if (ICursorObject* cursor = WindowCursor()) cursor->SetPointedObject(nullptr);
}

void ResetFieldManagers() {
    if (g_pCharMgr) {
        g_pCharMgr->Release();
        g_pCharMgr->Create();
    }
    if (g_pMap) {
        g_pMap->Release();
        g_pMap->Create();
    }
}
