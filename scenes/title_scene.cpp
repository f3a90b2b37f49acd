#include "scenes/title_scene.h"

#include <algorithm>
#include <vector>

#include "core/app_state.h"
#include "core/config.h"
#include "data/text_tables.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "platform/paths.h"
#include "ui/base_window.h"
#include "ui/message_box.h"
#include "ui/scene_windows.h"
#include "ui/window_mgr.h"

CTitleScene::CTitleScene() {
    CTitleScene::Create();
}

CTitleScene::~CTitleScene() {
    CTitleScene::Release();
}

bool CTitleScene::Create() {
    CBaseObject::Create();
    SetKindId(SCENE_TITLE);
    PrepareSceneScreen(true);
    m_fade.Reset();
    m_fade.Start(FADE_IN);
    if (CBaseWindow* window = CreateRegisteredWindow(TITLE_SCREEN_WINDOW_NAME)) {
        window->SetActive(true, false);
        if (g_pWindowMgr) {
            g_pWindowMgr->AddChild(window);
            m_window.Assign(window);
        } else {
            delete window;
        }
    }
    ShowCursorObject(true);
    if (g_config.m_sound) {
        if (ISceneMusic* music = GetSceneMusic()) music->PlayMusicList(TITLE_MUSIC);
    }
    m_waiting = false;
    GameSession().SetInGame(0);
    m_action = ACTION_NONE;
    // A return to the title always drops the server connection.
    if (g_connection) g_connection->Close();
    return true;
}

bool CTitleScene::Release() {
    m_fade.Reset();
    if (CBaseWindow* window = GetTitleWindow(); window && g_pWindowMgr) g_pWindowMgr->CloseWindow(window);
    m_window.Assign(nullptr);
    return CBaseObject::Release();
}

ITitleScreenWindow* CTitleScene::TitleScreen() const {
    return dynamic_cast<ITitleScreenWindow*>(GetTitleWindow());
}

void CTitleScene::StartFadeOut() {
    m_fade.Start(FADE_OUT);
    if (ISceneMusic* music = GetSceneMusic()) music->FadeOutMusic();
}

bool CTitleScene::Update() {
    if (g_pWindowMgr) g_pWindowMgr->Update();
    m_fade.Update();
    if (HasLeft()) return true;
    if (m_fade.IsFadeOutDone()) {
        switch (m_action) {
            case ACTION_OFFLINE:
                LeaveTo(SCENE_OFFLINE);
                break;
            case ACTION_CONNECT:
                LeaveTo(SCENE_CONNECT);
                break;
            case ACTION_QUIT:
                ShowCursorObject(false);
                g_quit = true;
                break;
            case ACTION_INTRO:
                LeaveTo(SCENE_INTRO_MOVIE);
                break;
            default:
                break;
        }
        return true;
    }
    ITitleScreenWindow* title = TitleScreen();
    if (!title) return true;
    // A window closed meanwhile (the last scene's, one frame late) leaves no
    // window with the keyboard: the title takes it back.
    if (CBaseWindow* window = GetTitleWindow(); window && g_pWindowMgr && window->IsVisibleInTree()) {
        const std::vector<CBaseWindow*> windows = g_pWindowMgr->TopLevelWindows();
        if (std::none_of(windows.begin(), windows.end(), [](CBaseWindow* w) { return w->IsActiveFlag(); }))
            window->SetActive(true, false);
    }
    if (!m_waiting) {
        ActOnChoice(title);
        return true;
    }
    if (title->IsLoginFlowClosed()) {
        m_waiting = false;
        title->SetChoice(TITLE_CHOICE_NONE);
        GameSession().m_loginFlow = 0;
        m_action = ACTION_NONE;
    }
    if (m_waiting && title->GetLoginResult() == 1) {
        title->SetLoginResult(-1);
        StartFadeOut();
    }
    return true;
}

void CTitleScene::ActOnChoice(ITitleScreenWindow* title) {
    // Only a choice made while the fade is the fade-in counts: one made
    // during the fade-out is ignored.
    const bool fadingIn = m_fade.IsFadeIn();
    switch (title->GetChoice()) {
        case TITLE_CHOICE_START:
            if (!fadingIn) {
                title->SetChoice(TITLE_CHOICE_NONE);
                break;
            }
            m_action = ACTION_CONNECT;
            if (g_config.m_useServer) {
                title->OpenLoginFlow();
                m_waiting = true;
            } else {
                title->SetChoice(TITLE_CHOICE_NONE);
                StartFadeOut();
            }
            break;
        case TITLE_CHOICE_INTRO:
            if (!plat::FileExists(INTRO_MOVIE_FILE)) {
                if (g_pWindowMgr) {
                    auto* box = new CMessageBox(GetTableText(10, 3), true, false, false, 0);
                    g_pWindowMgr->AddChild(box);
                    box->SetActive(true, false);
                }
                title->SetChoice(TITLE_CHOICE_NONE);
            } else if (fadingIn) {
                m_action = ACTION_INTRO;
                StartFadeOut();
            }
            break;
        case TITLE_CHOICE_OFFLINE:
            if (fadingIn) {
                m_action = ACTION_OFFLINE;
                StartFadeOut();
            }
            break;
        case TITLE_CHOICE_EXIT:
            if (fadingIn) {
                m_action = ACTION_QUIT;
                StartFadeOut();
            }
            break;
        default:
            break;
    }
}

bool CTitleScene::Draw() {
    if (g_pWindowMgr) g_pWindowMgr->Draw();
    return true;
}

bool CTitleScene::ProcessInput() {
    if (g_pWindowMgr) g_pWindowMgr->ProcessInput();
    return true;
}

CBaseWindow* CTitleScene::GetTitleWindow() const {
    return m_window.GetAs<CBaseWindow>();
}
