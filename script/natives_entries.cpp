// Natives on the play entries a runner made: making and removing them, their
// object's motion, layer, playing and place, their emitters, lights and
// sounds, and the ambient groups.
#include <cmath>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "anim/field_sound.h"
#include "platform/clock.h"
#include "script/native_call.h"
#include "script/script_effects.h"
#include "script/script_runner.h"
#include "world/chars/char.h"

namespace {

IScriptEffects* g_scriptEffects = nullptr;

// Natives on an entry: the body runs on the runner's own entry; a missing
// one gives 0.
template <bool (*Body)(NativeCall&, CAniPlayEntry*)>
void OnEntry(NativeCall& c, uint32_t arg) {
    CAniPlayEntry* e = OwnEntry(c, arg);
    c.Set(e && Body(c, e) ? 1.0 : 0.0);
}

void NativeNewEntry(NativeCall& c) {  // 0
    c.Set(0.0);
    if (!g_pAniPlayMgr) return;
    auto* object = new CAniObject();
    object->SetAnimation(c.Id(0));
    object->SetMotion(0);
    object->SetDirection(2);
    object->Stop();
    object->SetHideable(1);
    CAniPlayEntry* e = g_pAniPlayMgr->AddAtMapPosition(object, 0, 0, 0, 1, 0, 1, c.runner->GetSerial());
    // It lives until the script removes it or its runner is stopped.
    e->m_removeWhenDone = 0;
    if (CChar* owner = c.runner->GetOwnerChar()) object->SetOwner(owner);
    c.runner->ForgetFlight(e->m_handle);
    c.Set(e->m_handle);
}

bool RemoveEntry(NativeCall&, CAniPlayEntry* e) {  // 1
    return g_pAniPlayMgr->RemoveByObject(e->m_pObject);
}
bool SetMotion(NativeCall& c, CAniPlayEntry* e) {  // 2
    e->m_pObject->SetMotion(uint8_t(c.Int(0)));
    return true;
}
bool SetDirection(NativeCall& c, CAniPlayEntry* e) {  // 3
    e->m_pObject->SetDirection(uint8_t(c.Int(0)));
    return true;
}
bool SetLayer(NativeCall& c, CAniPlayEntry* e) {  // 4
    e->m_pObject->m_layer = c.Int(0);
    return true;
}
bool Hold(NativeCall&, CAniPlayEntry* e) {  // 6
    e->m_pObject->m_stopped = 1;
    return true;
}
bool Release(NativeCall&, CAniPlayEntry* e) {  // 7
    e->m_pObject->m_stopped = 0;
    return true;
}

void NativeRemove(NativeCall& c) {
    OnEntry<RemoveEntry>(c, 0);
}
void NativeMotion(NativeCall& c) {
    OnEntry<SetMotion>(c, 1);
}
void NativeDirection(NativeCall& c) {
    OnEntry<SetDirection>(c, 1);
}
void NativeLayer(NativeCall& c) {
    OnEntry<SetLayer>(c, 1);
}
void NativeHold(NativeCall& c) {
    OnEntry<Hold>(c, 0);
}
void NativeRelease(NativeCall& c) {
    OnEntry<Release>(c, 0);
}

void NativeLayerOnChar(NativeCall& c) {  // 5
    CAniPlayEntry* e = OwnEntry(c, 2);
    CChar* character = CharArg(c, 0);
    if (!e || !character) return c.Set(0.0);
    e->m_pObject->m_layer = c.Int(1);
    c.Set(AttachPlayEntryToChar(character, e) ? 1.0 : 0.0);
}

// The object has played its plays out (and stands stopped).
bool PlayedOut(const CAniPlayEntry* e) {
    return e->m_pObject->m_stopped && e->m_repeat == 0;
}

void NativePlay(NativeCall& c) {  // 8
    CAniPlayEntry* e = OwnEntry(c, 1);
    if (!c.first) {
        if (e && !PlayedOut(e)) c.Wait();
        return;
    }
    if (!e) return c.Set(0.0);
    CAniObject* object = e->m_pObject;
    CChar* owner = c.runner->GetOwnerChar();
    CAniObject* ownerObject = owner ? owner->GetAniObject() : nullptr;
    object->SetScale(ownerObject ? ownerObject->m_timeScale : 1.0f);
    object->ResetLayers();
    object->m_stopped = 0;
    object->Play(false);
    const int32_t repeat = c.Int(0);
    e->m_repeat = repeat < 1 ? PLAY_FOREVER : repeat;
    e->m_autoRemove = c.Arg(3) != 0.0 ? 1 : 0;
    c.Set(1.0);
    if (repeat >= 1 && c.Arg(2) != 0.0) c.Wait();
}

void NativeAtChar(NativeCall& c) {  // 9
    CAniPlayEntry* e = OwnEntry(c, 1);
    CChar* character = CharArg(c, 0);
    const double mode = c.Arg(2);
    if (!e || !character || (mode != 0.0 && mode != 1.0)) return c.Set(0.0);
    UnfollowEntry(e);
    if (mode == 1.0) {
        e->m_pObject->SetMapPosition(character->m_x, character->m_y, character->m_z);
    } else {
        e->m_pObject->SetMapPosition(character->m_x, character->m_y, 0);
        e->m_kind = PLAY_ON_CHAR;
        e->m_charId = character->GetCharId();
        e->m_offsetX = e->m_offsetY = e->m_offsetZ = 0;
        e->m_startTime = plat::timeGetTime();
    }
    c.Set(1.0);
}

void NativeAtPoint(NativeCall& c) {  // 10
    CAniPlayEntry* e = OwnEntry(c, 3);
    if (!e) return c.Set(0.0);
    UnfollowEntry(e);
    e->m_pObject->SetMapPosition(c.Int(0), c.Int(1), c.Int(2));
    c.Set(1.0);
}

void NativeOffset(NativeCall& c) {  // 11
    CAniPlayEntry* e = OwnEntry(c, 3);
    if (!e) return c.Set(0.0);
    e->m_offsetX = c.Int(0);
    e->m_offsetY = c.Int(1);
    e->m_offsetZ = c.Int(2);
    CChar* followed = e->m_kind == PLAY_ON_CHAR ? CharById(e->m_charId) : nullptr;
    if (!followed) return c.Set(0.0);
    e->m_pObject->SetMapPosition(followed->m_x + e->m_offsetX, followed->m_y + e->m_offsetY,
                                 followed->m_z + e->m_offsetZ);
    c.Set(1.0);
}

// ---- The emitters (12-16) ----

void WithEmitter(NativeCall& c, bool (*body)(IScriptEffects&, const NativeCall&, CAniObject*)) {
    CAniPlayEntry* e = OwnEntry(c, 0);
    IScriptEffects* effects = GetScriptEffects();
    c.Set(e && effects && body(*effects, c, e->m_pObject) ? 1.0 : 0.0);
}

void NativeNewEmitter(NativeCall& c) {  // 12
    WithEmitter(c, [](IScriptEffects& fx, const NativeCall& call, CAniObject* o) {
        double values[8];
        for (uint32_t i = 0; i < 8; ++i) values[i] = call.Arg(i + 1);
        return fx.ReplaceEmitter(o, values);
    });
}
void NativeRemoveEmitter(NativeCall& c) {  // 13
    WithEmitter(c, [](IScriptEffects& fx, const NativeCall&, CAniObject* o) { return fx.RemoveEmitter(o); });
}
void NativeTrail(NativeCall& c) {  // 14
    WithEmitter(c, [](IScriptEffects& fx, const NativeCall& call, CAniObject* o) {
        return fx.ReplaceWithTrail(o, call.Arg(1), call.Arg(2));
    });
}
void NativeEmitterValues(NativeCall& c, size_t count) {
    CAniPlayEntry* e = OwnEntry(c, 0);
    IScriptEffects* effects = GetScriptEffects();
    const double values[3] = {c.Arg(1), c.Arg(2), c.Arg(3)};
    c.Set(e && effects && effects->SetEmitterValues(e->m_pObject, values, count) ? 1.0 : 0.0);
}
void NativeEmitterTwo(NativeCall& c) {  // 15
    NativeEmitterValues(c, 2);
}
void NativeEmitterThree(NativeCall& c) {  // 16
    NativeEmitterValues(c, 3);
}

// ---- Readings (17-20) ----

void NativeMapX(NativeCall& c) {  // 17
    CAniPlayEntry* e = OwnEntry(c, 0);
    c.Set(e ? e->m_pObject->m_mapX : 0);
}
void NativeMapY(NativeCall& c) {  // 18
    CAniPlayEntry* e = OwnEntry(c, 0);
    c.Set(e ? e->m_pObject->m_mapY : 0);
}
void NativeMapZ(NativeCall& c) {  // 19
    CAniPlayEntry* e = OwnEntry(c, 0);
    c.Set(e ? e->m_pObject->m_mapZ : 0);
}
void NativePlayedOut(NativeCall& c) {  // 20
    CAniPlayEntry* e = OwnEntry(c, 0);
    c.Set(!e || PlayedOut(e) ? 1.0 : 0.0);
}

// ---- Lights and sound (45, 46, 48) ----

void NativeLight(NativeCall& c) {  // 45
    CAniPlayEntry* e = OwnEntry(c, 0);
    const int32_t id = e ? e->AttachLight(c.Int(1)) : -1;
    c.Set(id >= 0 ? id : 0);
}
void NativeLightOff(NativeCall& c) {  // 46
    CAniPlayEntry* e = OwnEntry(c, 0);
    if (e) e->DetachLight();
    c.Set(e ? 1.0 : 0.0);
}
void NativeSound(NativeCall& c) {  // 48
    CAniPlayEntry* e = OwnEntry(c, 1);
    if (!e) return c.Set(0.0);
    if (IFieldSound* sound = GetFieldSound())
        sound->PlaySoundEffect(c.Id(0), e->m_pObject->m_screenX, e->m_pObject->m_screenY, 1);
    c.Set(1.0);
}

// ---- Ambient groups (49-53) ----

void NativeNewGroup(NativeCall& c) {  // 49
    IScriptEffects* effects = GetScriptEffects();
    c.Set(effects ? effects->CreateAmbientGroup() : 0);
}
void NativeNewAmbientEntry(NativeCall& c) {  // 50
    IScriptEffects* effects = GetScriptEffects();
    double values[10];
    for (uint32_t i = 0; i < 10; ++i) values[i] = c.Arg(i + 1);
    c.Set(effects ? effects->CreateAmbientEntry(c.Id(0), values) : 0);
}
void NativeAmbientObject(NativeCall& c) {  // 51
    IScriptEffects* effects = GetScriptEffects();
    if (!effects) return c.Set(0.0);
    auto* object = new CAniObject();
    object->SetAnimation(c.Id(2));
    object->SetMotion(uint8_t(c.Int(3)));
    object->SetDirection(uint8_t(c.Int(4)));
    c.Set(effects->AddAmbientObject(c.Id(0), c.Id(1), object) ? 1.0 : 0.0);
}
void NativeGroupLive(NativeCall& c) {  // 52
    IScriptEffects* effects = GetScriptEffects();
    c.Set(effects && effects->IsAmbientGroupLive(c.Id(0)) ? 1.0 : 0.0);
}
void NativeRemoveAmbientEntry(NativeCall& c) {  // 53
    IScriptEffects* effects = GetScriptEffects();
    c.Set(effects && effects->RemoveAmbientEntry(c.Id(0), c.Id(1)) ? 1.0 : 0.0);
}

}  // namespace

void SetScriptEffects(IScriptEffects* effects) {
    g_scriptEffects = effects;
}
IScriptEffects* GetScriptEffects() {
    return g_scriptEffects;
}

void RegisterEntryNatives(CScript* script) {
    static const NativeEntry kNatives[] = {
        {0, NativeNewEntry},
        {1, NativeRemove},
        {2, NativeMotion},
        {3, NativeDirection},
        {4, NativeLayer},
        {5, NativeLayerOnChar},
        {6, NativeHold},
        {7, NativeRelease},
        {8, NativePlay},
        {9, NativeAtChar},
        {10, NativeAtPoint},
        {11, NativeOffset},
        {12, NativeNewEmitter},
        {13, NativeRemoveEmitter},
        {14, NativeTrail},
        {15, NativeEmitterTwo},
        {16, NativeEmitterThree},
        {17, NativeMapX},
        {18, NativeMapY},
        {19, NativeMapZ},
        {20, NativePlayedOut},
        {45, NativeLight},
        {46, NativeLightOff},
        {48, NativeSound},
        {49, NativeNewGroup},
        {50, NativeNewAmbientEntry},
        {51, NativeAmbientObject},
        {52, NativeGroupLive},
        {53, NativeRemoveAmbientEntry},
    };
    RegisterNativeTable(script, kNatives);
}
