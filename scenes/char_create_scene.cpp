#include "scenes/char_create_scene.h"

#include "net/game_session.h"
#include "ui/base_window.h"
#include "ui/scene_windows.h"
#include "ui/window_mgr.h"

CCharCreateScene::CCharCreateScene() {
    CCharCreateScene::Create();
}

CCharCreateScene::~CCharCreateScene() {
    CCharCreateScene::Release();
}

bool CCharCreateScene::Create() {
    CBaseObject::Create();
    SetKindId(SCENE_CHAR_CREATE);
    m_window.Assign(nullptr);
    if (g_pWindowMgr) {
        if (CBaseWindow* window = CreateRegisteredWindow(CHAR_CREATE_WINDOW_NAME)) {
            g_pWindowMgr->AddChild(window);
            m_window.Assign(window);
        }
    }
    PrepareSceneScreen(true);
    m_fade.Reset();
    m_fade.Start(FADE_IN);
    ShowCursorObject(true);
    GameSession().SetInGame(0);
    return true;
}

bool CCharCreateScene::Release() {
    if (CBaseWindow* window = GetCreateWindow(); window && g_pWindowMgr) g_pWindowMgr->CloseWindow(window);
    m_window.Assign(nullptr);
    m_fade.Reset();
    return CBaseObject::Release();
}

bool CCharCreateScene::ProcessInput() {
    if (g_pWindowMgr) g_pWindowMgr->ProcessInput();
    auto* window = dynamic_cast<ICharCreateWindow*>(GetCreateWindow());
    if (window && !HasLeft() && m_fade.IsFadeIn()) {
        const int32_t result = window->GetResult();
        if (result == 0 || result == 1) m_fade.Start(FADE_OUT);
    }
    return true;
}

bool CCharCreateScene::Update() {
    if (g_pWindowMgr) g_pWindowMgr->Update();
    m_fade.Update();
    if (m_fade.IsFadeOutDone()) LeaveTo(SCENE_CONNECT);
    return true;
}

bool CCharCreateScene::Draw() {
    if (g_pWindowMgr) g_pWindowMgr->Draw();
    return true;
}

CBaseWindow* CCharCreateScene::GetCreateWindow() const {
    return m_window.GetAs<CBaseWindow>();
}
