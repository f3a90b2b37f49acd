#include "world/map/map_windows.h"

#include <memory>

#include "core/message.h"
#include "ui/base_window.h"
#include "ui/window_messages.h"
#include "ui/window_mgr.h"

namespace mapwin {

namespace {

// The minimap window the map made, while it lives.
CWeakRef& Minimap() {
    static CWeakRef minimap;
    return minimap;
}

CBaseWindow* Find(const char* name) {
    return g_pWindowMgr ? g_pWindowMgr->FindWindowByName(name) : nullptr;
}

}  // namespace

void HideAllWindows() {
    if (g_pWindowMgr) g_pWindowMgr->HideAllWindows();
}

void CloseMessageBoxes() {
    if (g_pWindowMgr) g_pWindowMgr->CloseMessageBoxes();
}

void PostToEveryWindow(uint32_t eventId) {
    if (g_pWindowMgr) g_pWindowMgr->PostToAllWindows(eventId);
}

void ResetSystemWindow() {
    CBaseWindow* window = Find(kSystemWindow);
    if (!window) return;
    if (auto* system = dynamic_cast<IMapSystemWindow*>(window)) system->SetGameOverMode(false);
    window->Hide();
}

void ShowComboTimer(bool show) {
    if (CBaseWindow* window = Find(kComboTimer)) {
        if (show)
            window->Show();
        else
            window->Hide();
    }
}

void SetWorldMapLocation(int32_t stageNumber) {
    if (!g_pWindowMgr) return;
    if (auto* world = dynamic_cast<IWorldMapWindow*>(Find(kWorldMapWindow))) {
        world->SetCurrentLocation(uint16_t(stageNumber));
        return;
    }
    // The window manager keeps it for the world map until that exists.
    PostMessageToPort(0, g_pWindowMgr->GetPort(), 0, kWorldMapLocationEvent,
                      std::make_unique<CWorldLocationMsg>(uint16_t(stageNumber)), nullptr);
}

void RefreshMainInterface() {
    if (auto* main = dynamic_cast<IMapMainInterface*>(Find(kMainInterface))) main->RefreshFieldItems();
}

void CreateMinimapWindow() {
    if (!g_pWindowMgr || Minimap()) return;
    CBaseWindow* window = CreateRegisteredWindow(kMinimapWindow);
    if (!window) return;
    if (!g_pWindowMgr->AddChild(window)) {
        delete window;
        return;
    }
    Minimap().Assign(window);
}

void CloseMinimapWindow() {
    auto* window = Minimap().GetAs<CBaseWindow>();
    if (window && g_pWindowMgr) g_pWindowMgr->RemoveWindow(window);
    Minimap().Assign(nullptr);
}

void LoadMinimapData(uint16_t number) {
    if (auto* minimap = dynamic_cast<IMinimapWindow*>(Minimap().GetAs<CBaseWindow>()))
        minimap->LoadMinimapData(number);
}

}  // namespace mapwin
