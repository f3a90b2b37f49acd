#include "scenes/offline_scene.h"

#include "anim/ani_play_mgr.h"
#include "anim/darkness_overlay.h"
#include "anim/render_queue.h"
#include "core/config.h"
#include "data/char_resource_mgr.h"
#include "data/item_table_mgr.h"
#include "net/handlers/char_records.h"
#include "platform/clock.h"
#include "scenes/intro_movie_scene.h"
#include "ui/base_window.h"
#include "ui/window_mgr.h"
#include "world/chars/char.h"
#include "world/chars/char_mgr.h"
#include "world/map/map.h"

namespace {

// The characters of the character manager.
template <class F>
void ForEachChar(F f) {
    if (!g_pCharMgr) return;
    for (CMsgObject* object : g_pCharMgr->Children())
        if (auto* character = dynamic_cast<CChar*>(object)) f(character);
}

}  // namespace

uint32_t LocalCharResourceId() {
    const int32_t number = g_config.m_charNum;
    if (number < 0 || !g_pCharResourceMgr) return PLAYER_ID_BASE;
    const uint32_t id = PLAYER_ID_BASE + uint32_t(number);
    return g_pCharResourceMgr->FindRow(id, 0) >= 0 ? id : PLAYER_ID_BASE;
}

COfflineScene::COfflineScene() {
    COfflineScene::Create();
}

COfflineScene::~COfflineScene() {
    COfflineScene::Release();
}

bool COfflineScene::Create() {
    CBaseObject::Create();
    SetKindId(SCENE_OFFLINE);
    m_started = false;
    m_lastFrame = 0;
    m_savedByte = g_options.GetByte(OPT_SCENE_FORCED);
    g_options.SetByte(OPT_SCENE_FORCED, 1);
    m_forced = true;
    AddLocalCharacter();
    m_selection.Assign(nullptr);
    if (ISceneEvents* events = GetSceneEvents()) {
        if (CBaseWindow* window = events->MakeEventSelectionWindow()) {
            window->Hide();
            if (g_pWindowMgr) {
                g_pWindowMgr->AddChild(window);
                m_selection.Assign(window);
            } else {
                delete window;
            }
        }
    }
    m_savedServerMode = g_config.m_useServer;
    g_config.m_useServer = false;
    return true;
}

void COfflineScene::AddLocalCharacter() {
    if (!g_pCharMgr) return;
    g_pCharMgr->RemoveAllChars(false);
    CCharCreateMsg msg;
    msg.m_ownFlag = 1;
    CopyRecordText(msg.m_name, OFFLINE_CHAR_NAME);
    CopyRecordText(msg.m_secondName, OFFLINE_CHAR_NAME);
    msg.m_resourceId = LocalCharResourceId();
    msg.m_tileX = uint32_t(g_config.m_startPointX) * 4;
    msg.m_tileY = uint32_t(g_config.m_startPointY) * 4;
    g_pCharMgr->AddOrUpdateChar(msg);
}

bool COfflineScene::Release() {
    if (!m_forced) return CBaseObject::Release();
    m_forced = false;
    g_config.m_useServer = m_savedServerMode;
    g_options.SetByte(OPT_SCENE_FORCED, m_savedByte);
    if (CBaseWindow* window = GetEventSelectionWindow(); window && g_pWindowMgr)
        g_pWindowMgr->CloseWindow(window);
    m_selection.Assign(nullptr);
    ResetFieldManagers();
    if (ISceneScripts* scripts = GetSceneScripts()) scripts->ResetScripts();
    if (g_pAniPlayMgr) g_pAniPlayMgr->Release();
    ISceneEvents* events = GetSceneEvents();
    ClearCursorPointedObject();
    if (g_pWindowMgr) g_pWindowMgr->CloseMessageBoxes();
    if (events) {
        events->EndCurrentEvent();
        events->SetEventActive(false);
        events->SetControlLock(false);
    }
    return CBaseObject::Release();
}

bool COfflineScene::Update() {
    if (g_pWindowMgr) g_pWindowMgr->Update();
    if (HasLeft()) return true;
    ISceneEvents* events = GetSceneEvents();
    if (!m_started) {
        m_started = true;
        ShowCursorObject(false);
        PrepareSceneScreen(false);
        if (events) events->StartVisualEvent(OFFLINE_EVENT_FILE);
    }
    // Without an event running (none started, or it ended) the scene is over.
    if (!events || !events->IsVisualEventRunning()) {
        LeaveTo(SCENE_TITLE);
        return true;
    }
    RunWorldFrame();
    return true;
}

void COfflineScene::RunWorldFrame() {
    ISceneEvents* events = GetSceneEvents();
    if (g_pCharMgr) g_pCharMgr->Update();
    if (!g_pMap || !g_pMap->IsLoaded()) {
        if (g_pMap) g_pMap->Update();
        if (events) events->Update();
        return;
    }
    if (ISceneScripts* scripts = GetSceneScripts()) scripts->UpdateScripts();
    if (g_pItemTableMgr) g_pItemTableMgr->UpdateContainers();
    const uint32_t now = plat::timeGetTime();
    const uint32_t elapsed = m_lastFrame == 0 ? FIRST_FRAME_MS : now - m_lastFrame;
    m_lastFrame = now ? now : 1;
    ForEachChar([elapsed](CChar* character) { character->UpdateFrame(elapsed, false); });
    g_pMap->Update();
    if (g_pAniPlayMgr) g_pAniPlayMgr->UpdateAll();
    if (events) events->Update();
    if (g_pDarknessOverlay) g_pDarknessOverlay->Update();
}

bool COfflineScene::Draw() {
    ISceneEvents* events = GetSceneEvents();
    if (!events || !events->HasCurrentEvent() || !events->IsVisualEventRunning() ||
        !events->IsCurrentEventDrawn())
        return true;
    if (!g_pMap || !g_pMap->IsReady() || !g_pMap->IsLoaded()) return true;
    if (events->IsScreenBusy()) {
        events->Draw();
        return true;
    }
    if (ISceneScripts* scripts = GetSceneScripts()) scripts->DrawScripts();
    g_pMap->Draw();
    if (g_pCharMgr) g_pCharMgr->RefreshCharDisplay();
    events->QueueEventObjects();
    if (g_pRenderQueue) g_pRenderQueue->Draw();
    if (g_pDarknessOverlay) g_pDarknessOverlay->Draw();
    events->Draw();
    if (g_pWindowMgr) g_pWindowMgr->Draw();
    g_pMap->DrawFieldObjects();
    return true;
}

bool COfflineScene::ProcessInput() {
    if (g_pWindowMgr) g_pWindowMgr->ProcessInput();
    if (TakeEscapeKeys()) LeaveTo(SCENE_TITLE);
    return true;
}

CBaseWindow* COfflineScene::GetEventSelectionWindow() const {
    return m_selection.GetAs<CBaseWindow>();
}
