#include "scenes/connect_scene.h"

#include "core/app_state.h"
#include "core/config.h"
#include "core/frame_hooks.h"
#include "data/text_tables.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "net/handlers/login_records.h"
#include "platform/clock.h"
#include "ui/base_window.h"
#include "ui/scene_windows.h"
#include "ui/tooltip_window.h"
#include "ui/window_mgr.h"
#include "world/chars/char_mgr.h"
#include "world/map/map.h"

namespace {

constexpr uint32_t kStatusColour = 0xFFFFFF;
constexpr int kMessageTable = 10;
constexpr int kRowConnecting = 0, kRowChoose = 1, kRowEntering = 2;
// The text of an entry the world did not answer in time.
constexpr int kTimeoutTable = 14, kTimeoutRow = 278;

}  // namespace

CConnectScene::CConnectScene() {
    CConnectScene::Create();
}

CConnectScene::~CConnectScene() {
    CConnectScene::Release();
}

bool CConnectScene::Create() {
    CBaseObject::Create();
    SetKindId(SCENE_CONNECT);
    MakeSelectWindow();
    PrepareSceneScreen(true);
    ShowCursorObject(true);
    ClearCursorPointedObject();
    m_pStatus = std::make_unique<CToolTipWindow>();
    m_pStatus->SetPosition(g_config.m_screenWidth / 2, g_config.m_screenHeight / 2);
    m_pStatus->Show();
    m_fade.Reset();
    if (ISceneEvents* events = GetSceneEvents()) events->EndCurrentEvent();
    m_started = false;
    m_connectFailed = false;
    m_enterTime = 0;
    m_state = STATE_WAITING;
    if (ICharSelectWindow* select = SelectWindow()) select->ShowButtons(false);
    CGameSession& session = GameSession();
    session.SetInGame(0);
    session.m_loginFlow = 1;
    return true;
}

bool CConnectScene::Release() {
    if (CBaseWindow* select = GetSelectWindow(); select && g_pWindowMgr) g_pWindowMgr->CloseWindow(select);
    m_select.Assign(nullptr);
    m_fade.Reset();
    if (m_pStatus) ClearCursorPointedObject();
    m_pStatus.reset();
    return CBaseObject::Release();
}

CBaseWindow* CConnectScene::GetSelectWindow() const {
    auto* window = m_select.GetAs<CBaseWindow>();
    return window && g_pWindowMgr && g_pWindowMgr->HasWindow(window) ? window : nullptr;
}

ICharSelectWindow* CConnectScene::SelectWindow() const {
    return dynamic_cast<ICharSelectWindow*>(GetSelectWindow());
}

void CConnectScene::MakeSelectWindow() {
    m_select.Assign(nullptr);
    if (!g_pWindowMgr) return;
    CBaseWindow* window = CreateRegisteredWindow(CHAR_SELECT_WINDOW_NAME);
    if (!window) return;
    g_pWindowMgr->AddChild(window);
    window->SetPosition(0, 0);
    m_select.Assign(window);
}

void CConnectScene::StartSession() {
    if (g_config.m_sound) {
        if (ISceneMusic* music = GetSceneMusic()) music->PlayMusicList(CONNECT_MUSIC);
    }
    if (IsServerConnected()) return;
    CGameSession& session = GameSession();
    session.Reset();
    CopyRecordText(session.m_account, g_config.m_accountId.c_str());
    CopyRecordText(session.m_loginKey, g_config.m_password.c_str());
    session.m_launcherLogin = 1;
    session.SetEstablished(0);
    if (!g_connection) g_connection = new CConnection(g_hMainWnd, WM_SOCKET_NOTIFY);
    g_connection->Connect(g_config.m_serverAddress, g_config.m_serverPort);
    if (ICharSelectWindow* select = SelectWindow())
        select->SetMessageText(GetTableText(kMessageTable, kRowConnecting));
}

void CConnectScene::EmptyStatus() {
    SetConnectStatusText("");
    if (m_pStatus) m_pStatus->SetText("", kStatusColour);
}

void CConnectScene::BackToSelecting() {
    m_state = STATE_SELECTING;
    if (ICharSelectWindow* select = SelectWindow()) {
        select->SetAction(CHAR_SELECT_NONE);
        select->ShowButtons(true);
    }
    EmptyStatus();
}

bool CConnectScene::IsWorldReady() const {
    if (ISceneEvents* events = GetSceneEvents(); events && events->HasCurrentEvent()) return true;
    return g_pCharMgr && g_pCharMgr->GetPlayer() && g_pCharMgr->AreCharsReady() && g_pMap &&
           g_pMap->IsLoaded();
}

bool CConnectScene::Update() {
    if (g_pWindowMgr) g_pWindowMgr->Update();
    if (HasLeft()) return true;
    // A select window the window manager let go (closed by a message) is made anew.
    if (!GetSelectWindow()) {
        MakeSelectWindow();
        if (ICharSelectWindow* select = SelectWindow()) {
            if (m_connectFailed)
                select->ShowBackButtonOnly();
            else
                select->ShowButtons(m_state == STATE_SELECTING);
        }
    }
    if (!m_started) {
        m_started = true;
        StartSession();
    }
    // A connect that was refused (or a connection lost) before any list came
    // leaves the status line as the connection set it and the way back only;
    // one still under way is waited for.
    if (m_state == STATE_WAITING && !IsServerConnected() && !IsServerConnecting()) {
        m_connectFailed = true;
        m_state = STATE_SELECTING;
        if (ICharSelectWindow* select = SelectWindow()) select->ShowBackButtonOnly();
    }
    if ((m_state != STATE_SELECTING || m_connectFailed) && m_pStatus) {
        m_pStatus->SetText(ConnectStatusText, kStatusColour);
        m_pStatus->Update();
    }
    ICharSelectWindow* select = SelectWindow();
    CGameSession& session = GameSession();
    if (m_state == STATE_WAITING && select && select->IsListReady()) {
        m_state = STATE_SELECTING;
        select->ShowButtons(true);
        select->SetMessageText(GetTableText(kMessageTable, kRowChoose));
        EmptyStatus();
    } else if (m_state == STATE_ENTERING) {
        if (session.m_noticeFlag && session.m_noticeValue == 0) {
            BackToSelecting();
        } else if (plat::timeGetTime() - m_enterTime >= WORLD_WAIT_MS) {
            // The world never answered: choose again.
            BackToSelecting();
            if (select) select->SetMessageText(GetTableText(kTimeoutTable, kTimeoutRow));
        } else {
            if (ISceneEvents* events = GetSceneEvents()) events->ProcessQueuedMessages();
            if (m_fade.IsFadeIn() && m_fade.IsFinished() && IsWorldReady()) m_fade.Start(FADE_OUT);
        }
    }
    m_fade.Update();
    if (m_fade.IsFadeOutDone()) LeaveForChoice();
    return true;
}

void CConnectScene::LeaveForChoice() {
    ICharSelectWindow* select = SelectWindow();
    if (!select) return;
    select->SetListReady(false);
    CGameSession& session = GameSession();
    switch (select->GetAction()) {
        case CHAR_SELECT_ENTER:
            if (!LeaveTo(SCENE_GAME)) return;
            m_fade.Reset();
            SetDrawOn(false);
            select->TakeCarriedList();
            session.m_charList.reset();
            break;
        case CHAR_SELECT_CREATE: {
            if (!LeaveTo(SCENE_CHAR_CREATE)) return;
            // The character list goes on to the new select window.
            std::unique_ptr<CMsgPayload> list = select->TakeCarriedList();
            if (list && list->m_id == MSG_CHAR_LIST)
                session.m_charList.reset(static_cast<CCharListMsg*>(list.release()));
            break;
        }
        case CHAR_SELECT_BACK:
            LeaveTo(SCENE_TITLE);
            break;
        default:
            break;
    }
}

bool CConnectScene::ProcessInput() {
    const bool fadingOut = m_fade.IsStarted() && !m_fade.IsFadeIn() && !m_fade.IsFinished();
    if (!fadingOut && g_pWindowMgr) g_pWindowMgr->ProcessInput();
    ICharSelectWindow* select = SelectWindow();
    if (m_state != STATE_SELECTING || !select || HasLeft()) return true;
    if (!m_fade.IsStarted() || !m_fade.IsFadeIn()) return true;
    switch (select->GetAction()) {
        case CHAR_SELECT_CREATE:
        case CHAR_SELECT_BACK:
            m_fade.Start(FADE_OUT);
            break;
        case CHAR_SELECT_ENTER:
            if (m_connectFailed) break;
            select->ShowButtons(false);
            m_state = STATE_ENTERING;
            m_enterTime = plat::timeGetTime();
            select->SetMessageText(GetTableText(kMessageTable, kRowEntering));
            break;
        default:
            break;
    }
    return true;
}

bool CConnectScene::Draw() {
    if (!m_fade.IsStarted()) m_fade.Start(FADE_IN);
    if (g_pWindowMgr) g_pWindowMgr->Draw();
    if (m_pStatus && m_pStatus->IsDrawOn()) m_pStatus->Draw();
    return true;
}
