#include "net/handlers/server_windows.h"

#include "core/main_mgr.h"

namespace {

IServerWindows* g_windows = nullptr;
IServerMessageBoxes* g_boxes = nullptr;

// The game scene is the main manager's child of this kind.
constexpr uint32_t GAME_SCENE_KIND = 0;

}  // namespace

IServerWindows* SetServerWindows(IServerWindows* windows) {
    IServerWindows* previous = g_windows;
    g_windows = windows;
    return previous;
}

IServerWindows* GetServerWindows() {
    return g_windows;
}

IServerMessageBoxes* SetServerMessageBoxes(IServerMessageBoxes* boxes) {
    IServerMessageBoxes* previous = g_boxes;
    g_boxes = boxes;
    return previous;
}

IServerMessageBoxes* GetServerMessageBoxes() {
    return g_boxes;
}

CMsgObject* FindServerWindow(const char* name) {
    return g_windows ? g_windows->FindWindowByName(name) : nullptr;
}

bool PostToWindow(const char* name, std::unique_ptr<CMsgPayload> record) {
    CMsgObject* window = FindServerWindow(name);
    if (!window || !record) return false;
    const uint32_t id = record->m_id;
    return PostMessageTo(0, window, 0, id, std::move(record), nullptr);
}

bool PostToWindowMgr(std::unique_ptr<CMsgPayload> record, MsgDataPtr parameter) {
    CMsgPort* port = g_windows ? g_windows->GetManagerPort() : nullptr;
    if (!port || !record) return false;
    const uint32_t id = record->m_id;
    return PostMessageToPort(0, port, 0, id, std::move(record), std::move(parameter));
}

bool PostToGameScene(std::unique_ptr<CMsgPayload> record) {
    if (!g_pMainMgr || !record) return false;
    CBaseObject* scene = g_pMainMgr->FindChildByKind(GAME_SCENE_KIND);
    if (!scene) return false;
    const uint32_t id = record->m_id;
    return g_pMainMgr->GetMsgQueue()->PostMessageById(0, scene->GetId(), 0, id, std::move(record), nullptr);
}

void PostToAllWindows(uint32_t eventId) {
    if (g_windows) g_windows->PostToAllWindows(eventId);
}

CMsgObject* FindAnyServerWindow(const char* name) {
    return g_windows ? g_windows->FindAnyWindowByName(name) : nullptr;
}

bool IsServerWindowVisible(const char* name) {
    return g_windows && g_windows->IsWindowVisible(name);
}

bool ShowServerWindow(const char* name) {
    return g_windows && g_windows->ShowWindow(name);
}

bool HideServerWindow(const char* name) {
    return g_windows && g_windows->HideWindow(name);
}

bool OpenServerWindow(const char* name) {
    return g_windows && g_windows->OpenWindow(name);
}

bool CenterServerWindow(const char* name) {
    return g_windows && g_windows->CenterWindow(name);
}

bool FindOrCreateServerWindow(const char* name, bool hidden) {
    if (!g_windows) return false;
    return g_windows->FindWindowByName(name) || g_windows->CreateWindow(name, hidden);
}

void ShowServerNotice(const char* text) {
    if (g_boxes) g_boxes->ShowNotice(text ? text : "");
}

void AskToOpenPage(const char* text, const char* address) {
    if (g_boxes) g_boxes->AskToOpenPage(text ? text : "", address ? address : "");
}

void ShowKeptServerNotice(const char* text) {
    if (g_boxes) g_boxes->ShowKeptNotice(text ? text : "");
}

void ShowAutoHideServerNotice(const char* text) {
    if (g_boxes) g_boxes->ShowAutoHideNotice(text ? text : "");
}

void AskServerQuestion(uint32_t serverBoxId, const char* text, const char* okReply, const char* cancelReply) {
    if (g_boxes)
        g_boxes->AskServer(serverBoxId, text ? text : "", okReply ? okReply : "",
                           cancelReply ? cancelReply : "");
}

void ShowNamedServerNotice(const char* name, const char* text) {
    if (g_boxes && name) g_boxes->ShowNamedNotice(name, text ? text : "");
}
