// The autopilot in the running program: the script of QM_INPUT_SCRIPT, read
// when the start objects are made, played by a pump hook of the message queue
// against the main manager's scene, the window manager, the character manager
// and the display.
#include <cstdlib>
#include <memory>
#include <string>

#include "app/autopilot.h"
#include "core/frame_hooks.h"
#include "core/global_objects.h"
#include "core/main_mgr.h"
#include "platform/display.h"
#include "platform/file_io.h"
#include "platform/window.h"
#include "scenes/game_scene.h"
#include "scenes/scene.h"
#include "script/script_mgr.h"
#include "script/script_runner.h"
#include "ui/base_window.h"
#include "ui/button.h"
#include "ui/items/item_icon.h"
#include "ui/message_box.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"
#include "world/map/map.h"
#include "world/map/map_data.h"

namespace {

// The window or one of its children, shown, has the identifier.
bool ShownInTree(CBaseWindow* window, const std::string& name) {
    if (!window) return false;
    if (name == window->GetName() && window->IsVisibleInTree()) return true;
    if (const CBaseWindow::ChildList* children = window->Children())
        for (CBaseWindow* child : *children)
            if (ShownInTree(child, name)) return true;
    return false;
}

// The shown message box with the identifier in the window's tree (the last one found).
CMessageBox* ShownBox(CBaseWindow* window, const std::string& name) {
    if (!window) return nullptr;
    CMessageBox* found = nullptr;
    if (auto* box = dynamic_cast<CMessageBox*>(window);
        box && name == box->GetName() && box->IsVisibleInTree())
        found = box;
    if (const CBaseWindow::ChildList* children = window->Children())
        for (CBaseWindow* child : *children)
            if (CMessageBox* inner = ShownBox(child, name)) found = inner;
    return found;
}

class CProgramAutopilotWorld : public IAutopilotWorld {
public:
    bool CurrentScene(uint32_t* kind) override {
        if (!g_pMainMgr) return false;
        for (CMsgObject* child : g_pMainMgr->Children()) {
            auto* object = dynamic_cast<CBaseObject*>(child);
            if (object && object->GetKindId() != SCENE_CURSOR) {
                *kind = object->GetKindId();
                return true;
            }
        }
        return false;
    }
    bool IsWindowShown(const std::string& name) override {
        if (!g_pWindowMgr) return false;
        for (CMsgObject* child : g_pWindowMgr->Children())
            if (ShownInTree(dynamic_cast<CBaseWindow*>(child), name)) return true;
        return false;
    }
    bool IsScriptRunning(const std::string& name) override {
        if (!g_pScriptMgr) return false;
        for (const auto& runner : g_pScriptMgr->Runners())
            if (runner->IsRunning() && runner->GetScript()->GetName() == name) return true;
        return false;
    }
    bool PlayerPosition(int32_t* x, int32_t* y) override {
        CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
        if (!player) return false;
        *x = player->GetX();
        *y = player->GetY();
        return true;
    }
    bool IsScreenFading() override {
        if (!g_pMainMgr) return false;
        for (CMsgObject* child : g_pMainMgr->Children())
            if (auto* scene = dynamic_cast<CScene*>(child)) {
                // A map change keeps the screen black between its fade-out and
                // the new map's fade-in: that is part of the fade too.
                auto* game = dynamic_cast<CGameScene*>(scene);
                if (game && game->GetTransitionState() != GAME_PLAYING) return true;
                return !scene->Fade().IsFinished();
            }
        return false;
    }
    bool DumpFrame(const std::string& path) override {
        const plat::raster::Surface* frame = plat::GetDisplay().LastFrame();
        return frame && plat::SaveFrameBmp(*frame, path);
    }
    bool HasBagItem(int32_t slot) override { return BagItem(slot) != nullptr; }
    int32_t GroundItems() override {
        CMapData* map = g_pMap ? g_pMap->GetMapData() : nullptr;
        return map ? map->ObjectLayer().ChildCount() : -1;
    }
    bool TakeBagItem(int32_t slot) override {
        CItemIcon* icon = BagItem(slot);
        return icon && icon->BeginDrag(ITEM_DRAG_FROM_INVENTORY);
    }
    void LetGo() override {
        if (ICursorObject* cursor = WindowCursor()) cursor->SetPointedObject(nullptr);
    }
    uint32_t PlayerHitReactions() override {
        CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
        return player && player->GetAction() ? player->GetAction()->m_hitReactions : 0;
    }
    bool HasChar(uint32_t id) override { return g_pCharMgr && g_pCharMgr->GetChar(id); }
    bool OkButtonPoint(const std::string& name, int32_t* x, int32_t* y) override {
        CMessageBox* box = nullptr;
        if (g_pWindowMgr)
            for (CMsgObject* child : g_pWindowMgr->Children())
                if (CMessageBox* found = ShownBox(dynamic_cast<CBaseWindow*>(child), name)) box = found;
        if (!box)
            if (auto* notice = dynamic_cast<CDisconnectNotice*>(GetDisconnectNotice()))
                if (CMessageBox* lost = notice->GetBox(); lost && lost->GetName() == name && lost->IsDrawOn())
                    box = lost;
        CBaseWindow* ok = box ? box->GetOkButton() : nullptr;
        if (!ok || !ok->IsDrawOn()) return false;
        ok->UpdateRect();
        *x = (ok->GetRect().left + ok->GetRect().right) / 2;
        *y = (ok->GetRect().top + ok->GetRect().bottom) / 2;
        return true;
    }

private:
    static CItemIcon* BagItem(int32_t slot) {
        CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
        CCharData* data = player ? player->GetData() : nullptr;
        CSlotObjectMgr* bag = data ? data->Container() : nullptr;
        return bag ? dynamic_cast<CItemIcon*>(bag->GetSlot(slot)) : nullptr;
    }
};

CProgramAutopilotWorld g_autopilotWorld;
std::unique_ptr<CAutopilot> g_autopilot;
int g_autopilotHook = -1;
bool g_autopilotFailed = false;

bool ReadScriptFile(const char* path, std::string* text) {
    plat::FileHandle file = plat::CreateFile(path, plat::FileAccess::kRead);
    if (file == plat::kInvalidFileHandle) return false;
    char buffer[4096];
    int64_t got = 0;
    // A script is a few lines; a huge file is not one.
    while ((got = plat::ReadFile(file, buffer, sizeof buffer)) > 0 && text->size() < (1u << 20))
        text->append(buffer, size_t(got));
    plat::CloseHandle(file);
    return got == 0;
}

bool StartAutopilot() {
    g_autopilotFailed = false;
    const char* path = std::getenv("QM_INPUT_SCRIPT");
    if (!path || !*path) return true;
    std::string text, error;
    std::vector<AutopilotStep> steps;
    if (!ReadScriptFile(path, &text)) {
        error = "cannot read it";
    } else if (!ReadAutopilotScript(text, &steps, &error)) {
        // error names the line
    } else {
        g_autopilot = std::make_unique<CAutopilot>(std::move(steps), g_autopilotWorld, stdout, stderr);
        g_autopilotHook = plat::AddPumpHook([] {
            g_autopilot->Tick();
            if (g_autopilot->HasFailed()) g_autopilotFailed = true;
        });
        return true;
    }
    std::fprintf(stderr, "autopilot script %s refused (%s)\n", path, error.c_str());
    g_autopilotFailed = true;
    plat::PostQuitMessage(kAutopilotFailedStatus);
    return true;
}

void StopAutopilot() {
    if (g_autopilotHook >= 0) plat::RemovePumpHook(g_autopilotHook);
    g_autopilotHook = -1;
    g_autopilot.reset();
}

}  // namespace

void InstallAutopilot() {
    AddGlobalFactory(GlobalSlot::StartObjects, StartAutopilot, {});
    // The start objects are not deleted by shutdown; the hook goes with the
    // connection, whose end shutdown always runs.
    AddGlobalFactory(GlobalSlot::Connection, {}, StopAutopilot);
}

int AutopilotExitStatus(int runStatus) {
    return g_autopilotFailed ? kAutopilotFailedStatus : runStatus;
}

CAutopilot* GetRunningAutopilot() {
    return g_autopilot.get();
}
