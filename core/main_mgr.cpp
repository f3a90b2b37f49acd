#include "core/main_mgr.h"

#include "core/app_state.h"
#include "core/config.h"
#include "core/frame_hooks.h"
#include "core/frame_timer.h"
#include "core/input_mgr.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "platform/window.h"

CMainMgr* g_pMainMgr = nullptr;
namespace {

IFrameClient* g_soundFrameClient = nullptr;
IFrameClient* g_networkFrameClient = nullptr;
IFrameClient* g_surfaceCacheFrameClient = nullptr;
IFrameClient* g_soundCacheFrameClient = nullptr;
IFrameClient* g_fileJobFrameClient = nullptr;
IFrameDisplay* g_frameDisplay = nullptr;
ISocketEvents* g_socketEvents = nullptr;
IDisconnectNotice* g_disconnectNoticeBox = nullptr;
IChildWindowHost* g_childWindowHost = nullptr;
IActivationListener* g_activationListener = nullptr;

void Step(IFrameClient* client) {
    if (client) client->OnFrame();
}

}  // namespace

void SetSoundFrameClient(IFrameClient* client) {
    g_soundFrameClient = client;
}
IFrameClient* GetSoundFrameClient() {
    return g_soundFrameClient;
}
void SetNetworkFrameClient(IFrameClient* client) {
    g_networkFrameClient = client;
}
IFrameClient* GetNetworkFrameClient() {
    return g_networkFrameClient;
}
void SetSurfaceCacheFrameClient(IFrameClient* client) {
    g_surfaceCacheFrameClient = client;
}
IFrameClient* GetSurfaceCacheFrameClient() {
    return g_surfaceCacheFrameClient;
}
void SetSoundCacheFrameClient(IFrameClient* client) {
    g_soundCacheFrameClient = client;
}
IFrameClient* GetSoundCacheFrameClient() {
    return g_soundCacheFrameClient;
}
void SetFileJobFrameClient(IFrameClient* client) {
    g_fileJobFrameClient = client;
}
IFrameClient* GetFileJobFrameClient() {
    return g_fileJobFrameClient;
}
void SetFrameDisplay(IFrameDisplay* display) {
    g_frameDisplay = display;
}
IFrameDisplay* GetFrameDisplay() {
    return g_frameDisplay;
}
void SetSocketEvents(ISocketEvents* events) {
    g_socketEvents = events;
}
ISocketEvents* GetSocketEvents() {
    return g_socketEvents;
}
void SetDisconnectNotice(IDisconnectNotice* notice) {
    g_disconnectNoticeBox = notice;
}
IDisconnectNotice* GetDisconnectNotice() {
    return g_disconnectNoticeBox;
}
void SetChildWindowHost(IChildWindowHost* host) {
    g_childWindowHost = host;
}
IChildWindowHost* GetChildWindowHost() {
    return g_childWindowHost;
}
void SetActivationListener(IActivationListener* listener) {
    g_activationListener = listener;
}
IActivationListener* GetActivationListener() {
    return g_activationListener;
}

void CQueueFrameClient::OnFrame() {
    if (m_manager) m_manager->GetMsgQueue()->DispatchMessages();
}

CMainMgr::CMainMgr() {
    Create();
}

CMainMgr::~CMainMgr() {
    Release();
}

bool CMainMgr::Create() {
    m_pFrameTimer = std::make_unique<CFrameTimer>();
    m_pFrameTimer->Init(DEFAULT_FRAME_RATE);
    m_targetFps = DEFAULT_FRAME_RATE;
    m_fps = 0.0f;
    g_quit = false;
    m_frameDone = 1;
    m_inFrame = 0;
    if (IFrameDisplay* display = GetFrameDisplay()) display->ClearPrimary();
    for (int i = 0; i < MAX_PENDING_CHILDREN; ++i) m_pendingRemove[i] = m_pendingAdd[i] = nullptr;
    m_frameCounter = 0;
    return true;
}

bool CMainMgr::Release() {
    DeleteAllChildren();
    // Objects still waiting to be added belong to nobody else.
    for (CBaseObject*& pending : m_pendingAdd) {
        delete pending;
        pending = nullptr;
    }
    return true;
}

CMsgObject* CMainMgr::CreateObject(uint32_t type) {
    return type == 0 ? new CBaseObject : nullptr;
}

bool CMainMgr::DeleteAllChildren() {
    CObjectMgr::DeleteAllChildren();
    for (CBaseObject*& pending : m_pendingRemove) pending = nullptr;
    m_pFrameTimer.reset();
    return true;
}

void CMainMgr::SetFrameRate(uint32_t fps) {
    m_targetFps = fps;
    if (!m_pFrameTimer) m_pFrameTimer = std::make_unique<CFrameTimer>();
    m_pFrameTimer->Init(fps);
}

bool CMainMgr::ScheduleAddChild(CBaseObject* object) {
    if (!object) return false;
    for (CBaseObject* pending : m_pendingAdd) {
        if (pending == object) return true;
        // One pending addition per kind: another object of the kind is refused.
        if (pending && pending->GetKindId() == object->GetKindId()) return false;
    }
    for (CBaseObject*& slot : m_pendingAdd) {
        if (!slot) {
            slot = object;
            return true;
        }
    }
    return false;
}

bool CMainMgr::ScheduleRemoveChild(CBaseObject* object) {
    if (!object) return false;
    for (CBaseObject* pending : m_pendingRemove)
        if (pending == object) return true;
    for (CBaseObject*& slot : m_pendingRemove) {
        if (!slot) {
            slot = object;
            return true;
        }
    }
    return false;
}

void CMainMgr::ApplyPendingChildren() {
    for (CBaseObject*& pending : m_pendingRemove) {
        if (!pending) continue;
        // Found by pointer among the children, so an object that is not (or no
        // longer) a child is never touched.
        if (ChildNode* node = Children().Find(pending)) DeleteChild(node->m_pData->GetId());
        pending = nullptr;
    }
    for (CBaseObject*& pending : m_pendingAdd) {
        if (!pending) continue;
        AddChild(pending);
        pending = nullptr;
    }
}

bool CMainMgr::RemoveFailedChild(CBaseObject* child, bool fromUpdate) {
    if (!fromUpdate && g_quit) {
        DeleteAllChildren();
        return false;
    }
    if (fromUpdate && child->GetKindId() == 0) {
        DeleteAllChildren();
        g_quit = true;
        return false;
    }
    for (CBaseObject*& pending : m_pendingRemove)
        if (pending == child) pending = nullptr;
    DeleteChild(child->GetId());
    if (ChildCount() == 0) {
        g_quit = true;
        return false;
    }
    return true;
}

void CMainMgr::UpdateChildren() {
    if (g_active && g_pInputMgr) g_pInputMgr->Update();

    GetMsgQueue()->DispatchMessages();
    Step(GetSurfaceCacheFrameClient());
    Step(GetSoundCacheFrameClient());
    if (g_pGlobalMsgQueue) g_pGlobalMsgQueue->DispatchMessages();

    ChildList& children = Children();
    for (ChildNode* node = children.First(); node != children.End();) {
        ChildNode* prev = node->m_pPrev;
        auto* child = dynamic_cast<CBaseObject*>(node->m_pData);
        if (!child) {
            node = node->m_pNext;
            continue;
        }
        child->ProcessMessages();
        bool failed = false, fromUpdate = false;
        if (child->IsInputOn() && !child->ProcessInput()) {
            failed = true;
        } else if (child->IsUpdateOn() && !child->Update()) {
            failed = fromUpdate = true;
        }
        if (failed) {
            if (!RemoveFailedChild(child, fromUpdate)) return;
            node = prev->m_pNext;  // the child that followed the removed one
            continue;
        }
        node = node->m_pNext;
    }
}

void CMainMgr::DrawChildren() {
    if (g_config.m_fullScreen && !g_active) return;
    if (!BeginFrame()) return;
    if (!g_quit) {
        for (CMsgObject* object : Children()) {
            auto* child = dynamic_cast<CBaseObject*>(object);
            if (child && child->IsDrawOn()) child->Draw();
            if (g_quit) break;
        }
    }
    EndFrame();
}

bool CMainMgr::BeginFrame() {
    m_inFrame = 1;
    m_frameDone = 0;
    IFrameDisplay* display = GetFrameDisplay();
    if (!display) return true;
    if (display->IsSurfaceLost()) {
        display->RestoreSurface();
        return false;
    }
    return display->BeginScene();
}

void CMainMgr::EndFrame() {
    m_frameDone = 1;
    m_inFrame = 0;
    if (IFrameDisplay* display = GetFrameDisplay()) display->EndScene(g_options.GetByte(OPT_PRESENT_FLAG));
}

void CMainMgr::RunFrame() {
    ++m_frameCounter;
    if (g_quit) return;
    Step(GetSoundFrameClient());
    Step(GetNetworkFrameClient());
    if (m_pFrameTimer) {
        m_pFrameTimer->Sample();
        m_fps = float(m_pFrameTimer->GetFps());
    }
    UpdateChildren();
    ApplyPendingChildren();
    DrawChildren();
    if (m_pFrameTimer) {
        m_pFrameTimer->CountFps();
        m_pFrameTimer->AdvanceDeadline();
    }
    Step(GetFileJobFrameClient());
    if (!g_active) plat::Sleep(INACTIVE_SLEEP_MS);
}

void CMainMgr::PumpMessages() {
    plat::Msg msg;
    bool got = plat::PeekMessage(&msg);
    while (!got || msg.message != plat::WM_QUIT) {
        if (!got) {
            RunFrame();
            if (g_quit) return;
        } else {
            IChildWindowHost* child = GetChildWindowHost();
            if (msg.message >= plat::WM_KEYFIRST && msg.message <= plat::WM_KEYLAST && child &&
                child->IsShown()) {
                if (msg.wParam == plat::VK_TAB || msg.wParam == plat::VK_DELETE)
                    child->ForwardKey(msg.message, msg.wParam, msg.lParam);
                else if (msg.wParam == plat::VK_ESCAPE)
                    child->Close();
            }
            plat::DispatchMessage(msg);
        }
        got = plat::PeekMessage(&msg);
    }
    g_quit = true;
}
