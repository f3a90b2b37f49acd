// The factory's rows: each family of effect classes fills its own.
#include "effects/base/effect_player_mgr.h"
#include "effects/classes/caster_motion_effects.h"
#include "effects/classes/char_attached_effects.h"

void RegisterEffectFamilies(CEffectFactory& factory) {
    RegisterCasterMotionEffects(factory);
    RegisterCharAttachedEffects(factory);
}
