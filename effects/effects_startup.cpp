#include "effects/effects_startup.h"

#include <new>

#include "core/global_objects.h"
#include "effects/base/char_effect.h"
#include "effects/base/effect_player_mgr.h"
#include "world/chars/skill_action.h"

namespace {

CCharEffectLists g_charEffectLists;

bool CreateEffectPlayerMgr() {
    if (!g_pEffectPlayerMgr) g_pEffectPlayerMgr = new (std::nothrow) CEffectPlayerMgr;
    if (!g_pEffectPlayerMgr) return true;  // start-up goes on without effects
    SetSkillEffects(g_pEffectPlayerMgr);
    return true;
}

bool InstallCharEffects() {
    SetCharEffects(&g_charEffectLists);
    return true;
}

void RemoveCharEffects() {
    if (GetCharEffects() == &g_charEffectLists) SetCharEffects(nullptr);
}

void DestroyEffectPlayerMgr() {
    if (GetSkillEffects() == g_pEffectPlayerMgr) SetSkillEffects(nullptr);
    delete g_pEffectPlayerMgr;
    g_pEffectPlayerMgr = nullptr;
}

}  // namespace

void InstallEffectsGlobals() {
    SetGlobalFactory(GlobalSlot::EffectPlayerMgr, CreateEffectPlayerMgr, DestroyEffectPlayerMgr);
    // Every character made from now on has an effect list.
    AddGlobalFactory(GlobalSlot::EffectPlayerMgr, InstallCharEffects, RemoveCharEffects);
}
