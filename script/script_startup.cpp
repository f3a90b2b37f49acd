#include "script/script_startup.h"

#include <new>

#include "anim/ani_services.h"
#include "core/global_objects.h"
#include "script/event_mgr.h"
#include "script/event_panel_window.h"
#include "script/event_selection_window.h"
#include "script/event_talk_window.h"
#include "script/script_mgr.h"
#include "script/script_natives.h"
#include "script/script_runner.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"
#include "world/chars/skill_action.h"

namespace {

// A skill action's script: started with every native, owned by the action
// and stopped with its objects when the action stops it.
class SkillScripts : public ISkillScripts {
public:
    ISkillScriptRunner* StartScript(const char* name, CSkillAction* owner) override {
        CScriptRunner* runner = g_pScriptMgr ? g_pScriptMgr->StartScript(name) : nullptr;
        if (!runner) return nullptr;
        RegisterScriptNatives(runner->GetScript());
        runner->SetOwner(owner);
        return runner;
    }
    bool IsEnded(ISkillScriptRunner* runner) override {
        return !g_pScriptMgr || g_pScriptMgr->IsEnded(runner);
    }
    void StopScript(ISkillScriptRunner* runner) override {
        if (CScriptRunner* own = g_pScriptMgr ? g_pScriptMgr->FindRunner(runner) : nullptr)
            g_pScriptMgr->StopScript(own, true);
    }
};
SkillScripts g_skillScripts;

bool CreateScriptMgr() {
    if (!g_pScriptMgr) g_pScriptMgr = new (std::nothrow) CScriptMgr;
    if (!g_pScriptMgr) return true;  // start-up goes on without scripts
    g_pScriptMgr->Create();
    g_pScriptMgr->Init();
    SetSkillScripts(&g_skillScripts);
    return true;
}

void DestroyScriptMgr() {
    if (GetSkillScripts() == &g_skillScripts) SetSkillScripts(nullptr);
    delete g_pScriptMgr;
    g_pScriptMgr = nullptr;
}

// The event manager's answers to the animation and window layers.
class EventState : public IAniEvents, public IUiEventState {
public:
    bool IsVisualEventRunning() override { return g_pEventMgr && g_pEventMgr->IsVisualEventRunning(); }
    bool IsFieldScriptRunning() override { return g_pEventMgr && g_pEventMgr->IsFieldScriptRunning(); }
    bool IsInputLocked() override { return g_pEventMgr && g_pEventMgr->IsControlLocked(); }
    bool IsPlayerHideSet() override { return g_pEventMgr && g_pEventMgr->IsHideSet(); }
    bool IsEventRunning() override { return g_pEventMgr && g_pEventMgr->IsEventActive(); }
    bool IsHideFlagSet() override { return IsPlayerHideSet(); }
    void SetControlLock(bool locked) override {
        if (g_pEventMgr) g_pEventMgr->SetControlLock(locked);
    }
};
EventState g_eventState;

bool CreateEventMgr() {
    if (!g_pEventMgr) g_pEventMgr = new (std::nothrow) CEventMgr;
    if (!g_pEventMgr) return false;
    g_pEventMgr->Create();
    SetAniEvents(&g_eventState);
    SetUiEventState(&g_eventState);
    return true;
}

void DestroyEventMgr() {
    if (GetAniEvents() == &g_eventState) SetAniEvents(nullptr);
    if (GetUiEventState() == &g_eventState) SetUiEventState(nullptr);
    delete g_pEventMgr;
    g_pEventMgr = nullptr;
}

template <class W>
CBaseWindow* Make() {
    return new W;
}

}  // namespace

void InstallScriptGlobals() {
    SetGlobalFactory(GlobalSlot::ScriptMgr, CreateScriptMgr, DestroyScriptMgr);
    SetGlobalFactory(GlobalSlot::EventMgr, CreateEventMgr, DestroyEventMgr);
}

void InstallScriptWindowClasses() {
    RegisterWindowClass(EVENT_TALK_WINDOW_NAME, Make<CEventTalkWindow>);
    RegisterWindowClass(EVENT_SELECTION_WINDOW_NAME, Make<CEventSelectionWindow>);
    RegisterWindowClass(EVENT_PANEL_WINDOW_NAME, Make<CEventPanelWindow>);
}
