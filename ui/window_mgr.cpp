#include "ui/window_mgr.h"

#include <cstring>
#include <map>

#include "anim/ani_object.h"
#include "core/app_state.h"
#include "core/input_mgr.h"
#include "platform/url.h"
#include "ui/base_window.h"
#include "ui/button.h"
#include "ui/edit_box.h"
#include "ui/scroll_bar.h"
#include "ui/static_text.h"
#include "ui/ui_services.h"
#include "ui/window_layout.h"
#include "ui/window_messages.h"

CWindowMgr* g_pWindowMgr = nullptr;

int32_t WindowMouseX() {
    return g_pInputMgr ? g_pInputMgr->m_mouseX : 0;
}

int32_t WindowMouseY() {
    return g_pInputMgr ? g_pInputMgr->m_mouseY : 0;
}

ICursorObject* WindowCursor() {
    return g_pWindowMgr ? g_pWindowMgr->GetCursorObject() : nullptr;
}

namespace {

bool HasName(CBaseWindow* window, const char* name) {
    return window && name && std::strcmp(window->GetName(), name) == 0;
}

template <size_t N>
void Terminate(char (&text)[N]) {
    text[N - 1] = '\0';
}

}  // namespace

CWindowMgr::CWindowMgr() : m_pTopLevel(std::make_unique<TopLevelList>()) {
    CWindowMgr::Init();
}

CWindowMgr::~CWindowMgr() {
    CWindowMgr::Release();
    // Children of windows that are not the manager's go now, while the
    // manager can still be told of them.
    CObjectMgr::DeleteAllChildren();
}

bool CWindowMgr::Init() {
    CObjectMgr::Create();
    m_pCursor = nullptr;
    m_pTopLevel->ClearList();
    m_pFocusedEditBox = nullptr;
    m_mouseOverWindow = 0;
    return true;
}

bool CWindowMgr::Create() {
    return Init();
}

bool CWindowMgr::Release() {
    DeleteAllChildren();
    m_pTopLevel->ClearList();
    return true;
}

bool CWindowMgr::AddToTopLevel(CMsgObject* object, bool atTop) {
    if (!object || Children().Find(object)) return false;
    auto* window = dynamic_cast<CBaseWindow*>(object);
    if (window && window->GetControlType() == CONTROL_WINDOW) {
        if (atTop)
            m_pTopLevel->AddTail(window);
        else
            m_pTopLevel->AddHead(window);
    }
    return true;
}

bool CWindowMgr::AddChild(CMsgObject* object) {
    return AddToTopLevel(object, false) && CObjectMgr::AddChild(object);
}

bool CWindowMgr::AddChildBack(CMsgObject* object) {
    return AddToTopLevel(object, true) && CObjectMgr::AddChildBack(object);
}

bool CWindowMgr::DeleteAllChildren() {
    ProcessMessages();
    m_pTopLevel->ClearList();
    std::vector<CWeakRef> children;
    for (CMsgObject* child : Children()) children.emplace_back(child);
    for (const CWeakRef& ref : children) {
        auto* child = static_cast<CMsgObject*>(ref.Get());
        if (!child) continue;  // went with its parent
        auto* window = dynamic_cast<CBaseWindow*>(child);
        if (window && window->GetParent()) continue;
        DeleteChild(child->GetId());
    }
    return true;
}

std::vector<CWeakRef> CWindowMgr::Snapshot() const {
    std::vector<CWeakRef> out;
    out.reserve(size_t(m_pTopLevel->Count()));
    for (CBaseWindow* window : *m_pTopLevel) out.emplace_back(window);
    return out;
}

std::vector<CBaseWindow*> CWindowMgr::TopLevelWindows() const {
    return std::vector<CBaseWindow*>(m_pTopLevel->begin(), m_pTopLevel->end());
}

// ---- The frame phases ----

bool CWindowMgr::Draw() {
    const bool eventRunning = IsUiEventRunning();
    const std::vector<CWeakRef> windows = Snapshot();
    for (int pass = 0; pass < 2; ++pass) {
        for (const CWeakRef& ref : windows) {
            auto* window = ref.GetAs<CBaseWindow>();
            if (!window || (window->m_drawOnTop != 0) != (pass == 1)) continue;
            if (eventRunning && window->m_hideDuringEvents && !window->m_keepDuringEvents) continue;
            if (window->IsDrawOn()) window->Draw();
        }
    }
    if (m_pFocusedEditBox && m_pFocusedEditBox->IsActiveFlag())
        if (auto* ime = dynamic_cast<IImeOverlay*>(m_pFocusedEditBox)) ime->DrawImeOverlay();
    return true;
}

bool CWindowMgr::Update() {
    if (m_pCursor) m_pCursor->ResetWindowState(WindowMouseX(), WindowMouseY());
    if (CBaseWindow* pinned = GetPinnedWindow(m_pCursor)) pinned->SetActive(true, true);
    const bool eventRunning = IsUiEventRunning();
    for (const CWeakRef& ref : Snapshot()) {
        auto* window = ref.GetAs<CBaseWindow>();
        if (!window) continue;
        if (HasName(window, MESSAGE_BOX_NAME) && !window->IsUpdateOn() && IsMessageBoxAutoClose(window)) {
            CloseWindow(window);
            continue;
        }
        if (HasName(window, AUTOHIDE_MESSAGE_BOX_NAME) && !window->IsUpdateOn()) {
            CloseWindow(window);
            continue;
        }
        if (eventRunning && window->m_hideDuringEvents && !window->m_keepDuringEvents) continue;
        window->ProcessMessages();
        if (ref && window->IsUpdateOn()) window->Update();
    }
    ProcessMessages();
    return true;
}

bool CWindowMgr::ProcessInput() {
    HandleMouseButtons();
    const bool eventRunning = IsUiEventRunning();
    const std::vector<CWeakRef> windows = Snapshot();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        auto* window = it->GetAs<CBaseWindow>();
        if (!window || (eventRunning && window->m_hideDuringEvents)) continue;
        if (window->IsInputOn()) window->ProcessInput();
    }
    return true;
}

// Messages of the port:
// | 9   | -                     | sender 24 and a non-zero extra word: the address (parameter)
// |     |                       | goes to the browser when it is http(s) without control
// |     |                       | characters; the program is asked to quit either way |
// | 12  | -                     | the window with the payload's handle is removed |
// | 117 | "TimerWindow"         | action 0 starts the timer, k + 1 ends it with kind k |
// | 118 | "Club_BaseWindow"     | SetClubInfo |
// | 119 | "Club_BaseWindow"     | SetMemberList (at most 100 records) |
// | 121 | "Club_BaseWindow"     | UpdateMember |
// | 122 | "Z5MAINWIN"           | StartBlink when the flag is not 0 |
// | 124 | "EventLogWindow"      | AddLine (at most 100 lines) |
// | 125 | "EventLogWindow"      | SetKeyValueTable |
// | 126 | "EventLogWindow"      | SetKeyValue |
// | 127 | "World_Map_Interface" | SetCurrentLocation |
// | 128 | "MINI_TEAM_WINDOW"    | AddAllMembers |
// A message whose window does not exist waits for the next frame; every other
// one is deleted once handled (or when nobody handles its id).
bool CWindowMgr::ProcessMessages() {
    CNodeList& queue = GetPort()->Messages();
    int32_t count = queue.Count();
    CListNode* node = queue.First();
    while (count-- > 0 && node && node != queue.End()) {
        auto* msg = static_cast<CMsg*>(node);
        node = HandleMessage(msg) ? queue.Erase(msg) : node->Next();
    }
    while (queue.Count() > MAX_WAITING_WINDOW_MESSAGES) queue.Erase(queue.First());
    return true;
}

namespace {

// The payload as the record of the message's id; null for anything else.
template <class R>
R* Record(CMsg* msg) {
    return dynamic_cast<R*>(msg->m_pPayload.get());
}

}  // namespace

bool CWindowMgr::HandleMessage(CMsg* msg) {
    // Finds the message's window; false (wait) when it does not exist yet.
    auto deliver = [this](const char* name, auto&& action) {
        CBaseWindow* window = FindWindowByName(name, 0, true);
        if (!window) return false;
        action(window);
        return true;
    };
    switch (msg->m_eventId) {
        case WM_MSG_OPEN_URL:
            if (msg->m_senderId == OPEN_URL_SENDER && msg->m_extra != 0) {
                auto* text = dynamic_cast<CMsgText*>(msg->m_pParameter.get());
                if (text && IsOpenableUrl(text->m_text.c_str())) plat::OpenUrl(text->m_text);
                g_quit = true;
            }
            return true;
        case WM_MSG_CLOSE_WINDOW:
            if (auto* close = Record<CCloseWindowMsg>(msg)) RemoveWindowById(close->m_handle);
            return true;
        case WM_MSG_TIMER:
            return deliver("TimerWindow", [msg](CBaseWindow* window) {
                auto* timer = dynamic_cast<ITimerWindow*>(window);
                auto* record = Record<CTimerMsg>(msg);
                if (!timer || !record) return;
                Terminate(record->m_name);
                if (record->m_action == 0)
                    timer->StartTimer(record->m_name, record->m_value);
                else
                    timer->EndTimer(record->m_name, uint32_t(record->m_action) - 1);
            });
        case WM_MSG_CLUB_INFO:
            return deliver("Club_BaseWindow", [msg](CBaseWindow* window) {
                auto* club = dynamic_cast<IClubBaseWindow*>(window);
                auto* record = Record<CClubInfoMsg>(msg);
                if (!club || !record) return;
                for (auto* text : {&record->m_text1, &record->m_text2, &record->m_text3, &record->m_text4,
                                   &record->m_text5})
                    Terminate(*text);
                club->SetClubInfo(*record);
            });
        case WM_MSG_CLUB_MEMBER_LIST:
            return deliver("Club_BaseWindow", [msg](CBaseWindow* window) {
                auto* club = dynamic_cast<IClubBaseWindow*>(window);
                auto* record = Record<CClubMemberListMsg>(msg);
                if (!club || !record) return;
                const uint16_t count = std::min(record->m_count, CClubMemberListMsg::MAX_RECORDS);
                // The window gets its own copy of the records.
                std::vector<CClubMemberRecord> records(record->m_records, record->m_records + count);
                for (CClubMemberRecord& r : records) {
                    Terminate(r.m_firstName);
                    Terminate(r.m_secondName);
                }
                club->SetMemberList(count, record->m_clubValue, records.data());
            });
        case WM_MSG_CLUB_MEMBER:
            return deliver("Club_BaseWindow", [msg](CBaseWindow* window) {
                auto* club = dynamic_cast<IClubBaseWindow*>(window);
                auto* record = Record<CClubMemberMsg>(msg);
                if (!club || !record) return;
                Terminate(record->m_name);
                Terminate(record->m_secondName);
                club->UpdateMember(*record);
            });
        case WM_MSG_NOTICE_BLINK:
            return deliver("Z5MAINWIN", [msg](CBaseWindow* window) {
                auto* main = dynamic_cast<IMainInterfaceWindow*>(window);
                auto* record = Record<CNoticeBlinkMsg>(msg);
                if (main && record && record->m_flag != 0) main->StartBlink();
            });
        case WM_MSG_EVENT_LOG_LINES:
            return deliver("EventLogWindow", [msg](CBaseWindow* window) {
                auto* log = dynamic_cast<IEventLogWindow*>(window);
                auto* record = Record<CEventLogLinesMsg>(msg);
                if (!log || !record) return;
                const uint8_t count = std::min(record->m_count, CEventLogLinesMsg::MAX_LINES);
                for (uint8_t i = 0; i < count; ++i) Terminate(record->m_texts[i]);
                log->AddLine(record->m_a, count, record->m_texts, record->m_values);
            });
        case WM_MSG_EVENT_LOG_TABLE:
            return deliver("EventLogWindow", [msg](CBaseWindow* window) {
                auto* log = dynamic_cast<IEventLogWindow*>(window);
                auto* record = Record<CEventLogTableMsg>(msg);
                if (log && record)
                    log->SetKeyValueTable(record->m_group, record->m_count, record->m_keys, record->m_values);
            });
        case WM_MSG_EVENT_LOG_VALUE:
            return deliver("EventLogWindow", [msg](CBaseWindow* window) {
                auto* log = dynamic_cast<IEventLogWindow*>(window);
                auto* record = Record<CEventLogValueMsg>(msg);
                if (log && record) log->SetKeyValue(record->m_group, record->m_key, record->m_value);
            });
        case WM_MSG_WORLD_LOCATION:
            return deliver("World_Map_Interface", [msg](CBaseWindow* window) {
                auto* map = dynamic_cast<IWorldMapWindow*>(window);
                auto* record = Record<CWorldLocationMsg>(msg);
                if (map && record) map->SetCurrentLocation(record->m_stage);
            });
        case WM_MSG_MINI_TEAM_REFILL:
            return deliver("MINI_TEAM_WINDOW", [](CBaseWindow* window) {
                if (auto* team = dynamic_cast<IMiniTeamWindow*>(window)) team->AddAllMembers();
            });
        default:
            return true;
    }
}

// ---- Finding windows ----

CBaseWindow* CWindowMgr::FindWindowByName(const char* name, uint32_t kindId, bool topLevelOnly) {
    if (!name) return nullptr;
    if (topLevelOnly) {
        for (CBaseWindow* window : *m_pTopLevel)
            if (window->GetKindId() == kindId && HasName(window, name)) return window;
        return nullptr;
    }
    for (CMsgObject* child : Children()) {
        auto* window = dynamic_cast<CBaseWindow*>(child);
        if (window && window->GetKindId() == kindId && HasName(window, name)) return window;
    }
    return nullptr;
}

int32_t CWindowMgr::FindAllWindowsByName(const char* name, std::vector<CBaseWindow*>* out) {
    if (!out) return 0;
    out->clear();
    for (CMsgObject* child : Children()) {
        auto* window = dynamic_cast<CBaseWindow*>(child);
        if (HasName(window, name)) out->push_back(window);
    }
    return int32_t(out->size());
}

CBaseWindow* CWindowMgr::GetWindowAt(int32_t x, int32_t y) {
    for (auto* node = m_pTopLevel->Last(); node != m_pTopLevel->HeadSentinel(); node = node->m_pPrev) {
        CBaseWindow* window = node->m_pData;
        if (window->m_pickable && window->IsVisibleInTree() && window->IsUpdateOn() && window->HitTest(x, y))
            return window;
    }
    return nullptr;
}

CBaseWindow* CWindowMgr::HasWindow(CBaseWindow* window) {
    if (!window) return nullptr;
    for (CMsgObject* child : Children())
        if (child == window) return window;
    return nullptr;
}

CBaseWindow* CWindowMgr::FindWindowById(uint32_t handle) {
    return dynamic_cast<CBaseWindow*>(FindChild(handle));
}

// ---- Order and closing ----

bool CWindowMgr::RenumberZOrder() {
    int32_t number = 0;
    for (CBaseWindow* window : *m_pTopLevel) {
        if (window->m_fixedOrder) continue;
        window->SetStackNumber(number++);
        window->m_active = 0;
    }
    return true;
}

void CWindowMgr::PostToAllWindows(uint32_t eventId) {
    for (auto* node = m_pTopLevel->Last(); node != m_pTopLevel->HeadSentinel(); node = node->m_pPrev)
        PostMessageTo(GetId(), node->m_pData, 0, eventId, nullptr, nullptr);
}

bool CWindowMgr::CloseWindow(CBaseWindow* window) {
    if (!HasWindow(window)) return false;
    window->Hide();
    auto close = std::make_unique<CCloseWindowMsg>();
    close->m_typeCode = window->GetTypeCode();
    close->m_handle = window->GetId();
    PostMessageToPort(GetId(), GetPort(), 0, WM_MSG_CLOSE_WINDOW, std::move(close), nullptr);
    return true;
}

bool CWindowMgr::RemoveWindow(CBaseWindow* window) {
    if (!HasWindow(window)) return false;
    m_pTopLevel->RemoveValue(window);
    DeleteChild(window->GetId());
    RenumberZOrder();
    return true;
}

bool CWindowMgr::RemoveWindowById(uint32_t handle) {
    return RemoveWindow(FindWindowById(handle));
}

bool CWindowMgr::BringToFront(CBaseWindow* window) {
    if (!HasWindow(window)) return false;
    // The child moves to the end of the list and keeps its handle.
    Children().FreeNode(Children().Find(window));
    Children().AddTail(window);
    m_pTopLevel->RemoveValue(window);
    if (window->GetControlType() == CONTROL_WINDOW) m_pTopLevel->AddTail(window);
    RenumberZOrder();
    window->m_active = 1;
    return true;
}

void CWindowMgr::CloseMessageBoxes() {
    std::vector<CWeakRef> children;
    for (CMsgObject* child : Children()) children.emplace_back(child);
    for (const CWeakRef& ref : children) {
        auto* window = dynamic_cast<CBaseWindow*>(static_cast<CMsgObject*>(ref.Get()));
        if (!HasName(window, MESSAGE_BOX_NAME) || IsMessageBoxKept(window)) continue;
        m_pTopLevel->RemoveValue(window);
        DeleteChild(window->GetId());
    }
}

void CWindowMgr::ActivateTopmostShown() {
    for (auto* node = m_pTopLevel->Last(); node != m_pTopLevel->HeadSentinel(); node = node->m_pPrev) {
        CBaseWindow* window = node->m_pData;
        if (window->IsDrawOn() && window->IsUpdateOn()) {
            window->SetActive(true, false);
            return;
        }
    }
}

void CWindowMgr::HideAllWindows() {
    bool closedActive = false;
    const std::vector<CWeakRef> windows = Snapshot();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        auto* window = it->GetAs<CBaseWindow>();
        if (!window || !window->m_hideOnClick || !window->IsDrawOn()) continue;
        if (HasName(window, NPC_HEAL_WINDOW_NAME)) {
            CloseWindow(window);
            continue;
        }
        closedActive |= window->IsActiveFlag();
        window->Hide();
        window->SetActive(false, false);
    }
    if (closedActive) ActivateTopmostShown();
}

void CWindowMgr::ClosePopupsOutside() {
    bool closedActive = false;
    const std::vector<CWeakRef> windows = Snapshot();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        auto* window = it->GetAs<CBaseWindow>();
        if (!window || !window->m_closeOnOutsideClick || !window->IsDrawOn()) continue;
        window->UpdateRect();
        if (window->HitTest(WindowMouseX(), WindowMouseY())) continue;
        closedActive |= window->IsActiveFlag();
        window->Hide();
        window->SetActive(false, false);
        CloseWindow(window);
    }
    if (closedActive) ActivateTopmostShown();
}

void CWindowMgr::HandleMouseButtons() {
    m_mouseOverWindow = 0;
    CInputMgr* input = g_pInputMgr;
    if (!input) return;
    int32_t remaining = input->GetEventCount();
    for (CInputEvent* event = input->GetFirstEvent(); event && remaining-- > 0;
         event = input->GetNextEvent(event)) {
        if (event->m_kind != INPUT_MOUSE) continue;
        if (event->m_code == MOUSE_LUP || event->m_code == MOUSE_RUP) {
            if (m_pCursor) m_pCursor->SetPointedObject(nullptr);
        } else if (event->m_code == MOUSE_LDOWN || event->m_code == MOUSE_RDOWN) {
            if (!GetPinnedWindow(m_pCursor)) {
                HideAllWindows();
                return;
            }
            ClosePopupsOutside();
        }
    }
}

bool CWindowMgr::HideTopWindow() {
    for (auto* node = m_pTopLevel->Last(); node != m_pTopLevel->HeadSentinel(); node = node->m_pPrev) {
        CBaseWindow* window = node->m_pData;
        if (window->IsDrawOn() && window->IsUpdateOn() && !window->m_keepOpen &&
            window->GetStateValue() == WINDOW_STATE_FREE) {
            window->Hide();
            ActivateTopmostShown();
            return true;
        }
    }
    return false;
}

CBaseWindow* NewWindowControl(const char* name, uint32_t type, uint32_t kindId) {
    CBaseWindow* window = nullptr;
    switch (type) {
        case CONTROL_WINDOW:
            window = new CBaseWindow;
            break;
        case CONTROL_STATIC_TEXT:
            window = new CStaticText;
            break;
        case CONTROL_BUTTON:
            window = new CButton;
            break;
        case CONTROL_EDIT_BOX:
            window = new CEditBox;
            break;
        case CONTROL_SCROLL_BAR:
            window = new CScrollBar;
            break;
        default:
            return nullptr;
    }
    window->CreateNamed(WINDOW_DRAG_TYPE, name);
    window->SetKindId(kindId);
    window->SetPosition(0, 0);
    window->SetControlType(type);
    return window;
}

CBaseWindow* MakeWindowControl(const char* name, uint32_t type) {
    return g_pWindowMgr ? g_pWindowMgr->CreateControl(name, type, 0) : NewWindowControl(name, type, 0);
}

CBaseWindow* CWindowMgr::CreateControl(const char* name, uint32_t type, uint32_t kindId) {
    CBaseWindow* window = NewWindowControl(name, type, kindId);
    if (!window) return nullptr;
    AddChildBack(window);
    RenumberZOrder();
    return window;
}

bool CWindowMgr::SaveWindowLayout(const char* path) {
    CLayoutWriter writer;
    std::vector<CWeakRef> children;
    for (CMsgObject* child : Children()) children.emplace_back(child);
    for (const CWeakRef& ref : children) {
        auto* window = dynamic_cast<CBaseWindow*>(static_cast<CMsgObject*>(ref.Get()));
        if (window && !window->GetParent()) window->SaveSettings(&writer);
    }
    return writer.Commit(path ? path : LAYOUT_FILE_NAME);
}

void CWindowMgr::ForgetWindow(CBaseWindow* window) {
    if (!window) return;
    m_pTopLevel->RemoveValue(window);
    if (m_pFocusedEditBox == window) m_pFocusedEditBox = nullptr;
    DetachChild(window);
}

void CWindowMgr::DropAniObject(CAniObject* object) {
    if (!object || object->GetDragMode() != 0) return;
    for (auto* node = m_pTopLevel->Last(); node != m_pTopLevel->HeadSentinel(); node = node->m_pPrev) {
        CBaseWindow* window = node->m_pData;
        if (!window->IsVisibleInTree() || !window->IsUpdateOn() ||
            !window->HitTest(WindowMouseX(), WindowMouseY()))
            continue;
        if (HasName(window, COMBO_SETUP_WINDOW_NAME))
            if (auto* target = dynamic_cast<IAniDropTarget*>(window)) target->OnAniObjectDrop(object);
        return;
    }
}

// ---- Window classes by identifier ----

namespace {

std::map<std::string, WindowFactory>& WindowClasses() {
    static std::map<std::string, WindowFactory> classes;
    return classes;
}

}  // namespace

bool RegisterWindowClass(const char* identifier, WindowFactory factory) {
    if (!identifier || !*identifier || !factory) return false;
    auto [it, added] = WindowClasses().emplace(identifier, factory);
    return added || it->second == factory;
}

CBaseWindow* CreateRegisteredWindow(const char* identifier) {
    if (!identifier) return nullptr;
    auto it = WindowClasses().find(identifier);
    return it == WindowClasses().end() ? nullptr : it->second();
}

bool IsWindowClassRegistered(const char* identifier) {
    return identifier && WindowClasses().count(identifier) != 0;
}

std::vector<std::string> RegisteredWindowClasses() {
    std::vector<std::string> out;
    for (const auto& [name, factory] : WindowClasses()) out.push_back(name);
    return out;
}

void ClearWindowClasses() {
    WindowClasses().clear();
}
