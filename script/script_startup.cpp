#include "script/script_startup.h"

#include <new>

#include "core/global_objects.h"
#include "script/script_mgr.h"
#include "script/script_natives.h"
#include "script/script_runner.h"
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

}  // namespace

void InstallScriptGlobals() {
    SetGlobalFactory(GlobalSlot::ScriptMgr, CreateScriptMgr, DestroyScriptMgr);
}
