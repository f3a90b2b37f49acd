#include "anim/field_sound.h"

namespace {
IFieldSound* g_fieldSound = nullptr;
}  // namespace

void SetFieldSound(IFieldSound* sound) {
    g_fieldSound = sound;
}

IFieldSound* GetFieldSound() {
    return g_fieldSound;
}
