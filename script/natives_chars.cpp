// Natives on characters: their motion, facing, weapon, hits and readings.
// Those that act on a character do nothing (failure result) once the
// runner's skill action has lost its caster.
#include "anim/ani_object.h"
#include "core/util.h"
#include "net/game_session.h"
#include "script/native_call.h"
#include "script/script_runner.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"

namespace {

// The character argument and its animated object, unless the owner has
// lost its caster.
struct Target {
    CChar* character = nullptr;
    CAniObject* object = nullptr;
};

Target ActingOn(const NativeCall& c, uint32_t arg) {
    if (OwnerLost(c)) return {};
    Target t;
    t.character = CharArg(c, arg);
    t.object = t.character ? t.character->GetAniObject() : nullptr;
    return t;
}

void NativePlayMotion(NativeCall& c) {  // 29
    const Target t = ActingOn(c, 0);
    const int32_t motion = c.Int(1);
    if (!c.first) {
        if (t.object && !t.object->m_stopped && t.object->GetCurrentMotionId() == motion) c.Wait();
        return;
    }
    if (!t.object) return c.Set(0.0);
    t.object->SetMotion(uint8_t(motion));
    t.object->ResetLayers();
    t.object->Play(false);
    c.Set(1.0);
    if (c.Arg(2) != 0.0) c.Wait();
}

void NativeRestMotion(NativeCall& c) {  // 30
    const Target t = ActingOn(c, 0);
    CCharData* data = t.character ? t.character->GetData() : nullptr;
    if (!data) return c.Set(0.0);
    data->SetMotion(data->m_restMotion);
    if (t.object) t.object->Play(true);
    c.Set(1.0);
}

void NativePlayedOut(NativeCall& c) {  // 31
    const Target t = ActingOn(c, 0);
    c.Set(!t.object || t.object->m_stopped ? 1.0 : 0.0);
}

// Turns the character; the user's own tells the server its new facing.
void Turn(CChar* character, int direction) {
    character->SetDirection(uint8_t(direction & 15));
    if (g_pCharMgr && g_pCharMgr->GetPlayer() == character)
        GameSession().SendDirection(character->m_direction);
}

void NativeTurn(NativeCall& c) {  // 32
    const Target t = ActingOn(c, 0);
    if (!t.character) return c.Set(0.0);
    Turn(t.character, c.Int(1));
    c.Set(1.0);
}

void NativeTurnToPoint(NativeCall& c) {  // 33
    const Target t = ActingOn(c, 0);
    if (!t.character) return c.Set(0.0);
    const float tileX = float(c.Int(1) / 24), tileY = float(c.Int(2) / 12);
    Turn(t.character, GetDirection(float(t.character->m_cellX), float(t.character->m_cellY), tileX, tileY));
    c.Set(1.0);
}

void NativeTurnToChar(NativeCall& c) {  // 34
    const Target t = ActingOn(c, 0);
    CChar* other = t.character ? CharArg(c, 1) : nullptr;
    if (!other) return c.Set(0.0);
    Turn(t.character, GetDirection(float(t.character->m_cellX), float(t.character->m_cellY),
                                   float(other->m_cellX), float(other->m_cellY)));
    c.Set(1.0);
}

void NativeStrike(NativeCall& c) {  // 36
    const Target t = ActingOn(c, 0);
    CCharData* data = t.character ? t.character->GetData() : nullptr;
    if (!data) return c.Set(0.0);
    data->NotifyEquippedItem(c.Arg(1) == 0.0 ? 1 : 0);
    c.Set(1.0);
}

void NativeHeight(NativeCall& c) {  // 37
    CChar* character = CharArg(c, 0);
    CAniObject* object = character ? character->GetAniObject() : nullptr;
    c.Set(object ? object->GetHeight() : 0);
}

// Natives 39 and 40: waits until the counter shows a hit (or the
// character's motion has played out), then counts it off.
void WaitForHit(NativeCall& c, int32_t CCharController::*counter) {
    const Target t = ActingOn(c, 0);
    CCharController* controller = t.character ? t.character->GetController() : nullptr;
    if (!controller) {
        if (c.first) c.Set(0.0);
        return;
    }
    if (c.first) {
        c.Set(1.0);
        return c.Wait();
    }
    if (controller->*counter >= 1 || !t.object || t.object->m_stopped) {
        controller->*counter = 0;
        return;
    }
    c.Wait();
}

void NativeFirstHit(NativeCall& c) {  // 39
    WaitForHit(c, &CCharController::m_firstHits);
}

void NativeSecondHit(NativeCall& c) {  // 40
    WaitForHit(c, &CCharController::m_secondHits);
}

void NativeWhileMotion(NativeCall& c) {  // 41
    const Target t = ActingOn(c, 0);
    if (c.first) {
        if (!t.object) return c.Set(0.0);
        c.Set(1.0);
        return c.Wait();
    }
    if (t.object && !t.object->m_stopped && t.object->GetCurrentMotionId() == c.Int(1)) c.Wait();
}

void NativeLookUp(NativeCall& c) {  // 66: the result register stays as it is
    (void)CharArg(c, 0);
}

void NativeTypeIndex(NativeCall& c) {  // 67
    CChar* character = CharArg(c, 0);
    c.Set(character ? GetCharTypeIndex(character->m_resourceId) : 0);
}

void NativeTileX(NativeCall& c) {  // 68
    CChar* character = CharArg(c, 0);
    c.Set(character ? character->m_cellX * 24.0 : 0.0);
}

void NativeTileY(NativeCall& c) {  // 69
    CChar* character = CharArg(c, 0);
    c.Set(character ? character->m_cellY * 12.0 : 0.0);
}

void NoSuchFlag(NativeCall& c) {  // 35, 42, 43: no character flag is named for them
    c.Set(0.0);
}

}  // namespace

void RegisterCharNatives(CScript* script) {
    static const NativeEntry kNatives[] = {
        {29, NativePlayMotion},  {30, NativeRestMotion}, {31, NativePlayedOut}, {32, NativeTurn},
        {33, NativeTurnToPoint}, {34, NativeTurnToChar}, {35, NoSuchFlag},      {36, NativeStrike},
        {37, NativeHeight},      {39, NativeFirstHit},   {40, NativeSecondHit}, {41, NativeWhileMotion},
        {42, NoSuchFlag},        {43, NoSuchFlag},       {66, NativeLookUp},    {67, NativeTypeIndex},
        {68, NativeTileX},       {69, NativeTileY},
    };
    RegisterNativeTable(script, kNatives);
}
