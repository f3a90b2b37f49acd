#include "script/script_natives.h"

#include <cmath>
#include <cstdlib>

#include "anim/ani_play_mgr.h"
#include "core/util.h"
#include "platform/clock.h"
#include "script/native_call.h"
#include "script/script_runner.h"
#include "ui/window_mgr.h"
#include "world/chars/char_mgr.h"
#include "world/map/map.h"

namespace {

constexpr double kTwoTo32 = 4294967296.0;

void One(NativeCall& c) {
    c.Set(1.0);
}
void Zero(NativeCall& c) {
    c.Set(0.0);
}

// ---- Clock, arithmetic and the mouse ----

void NativeDirection(NativeCall& c) {  // 38
    c.Set(GetDirection(float(c.Arg(0)), float(c.Arg(1)), float(c.Arg(2)), float(c.Arg(3))));
}
void NativeMouseTile(NativeCall& c, bool y) {
    if (!g_pMap) return c.Set(0.0);
    const IsoPoint tile = g_pMap->ScreenToTile(WindowMouseX(), WindowMouseY());
    c.Set(y ? tile.y * 12.0 : tile.x * 24.0);
}
void NativeMouseTileX(NativeCall& c) {  // 71
    NativeMouseTile(c, false);
}
void NativeMouseTileY(NativeCall& c) {  // 72
    NativeMouseTile(c, true);
}
void NativeTime(NativeCall& c) {  // 73
    c.Set(plat::timeGetTime());
}
void NativeRandom(NativeCall& c) {  // 74
    c.Set(std::rand());
}
void NativeCos(NativeCall& c) {  // 75
    c.Set(std::cos(c.Arg(0)));
}
void NativeSin(NativeCall& c) {  // 76
    c.Set(std::sin(c.Arg(0)));
}
void NativeSqrt(NativeCall& c) {  // 77: no root of a negative value (or of no number)
    const double v = c.Arg(0);
    c.Set(v > 0.0 ? std::sqrt(v) : 0.0);
}
void NativeAngle(NativeCall& c) {  // 78
    c.Set(GetAngle(float(c.Arg(0)), float(c.Arg(1)), float(c.Arg(2)), float(c.Arg(3))));
}

}  // namespace

int32_t NativeCall::Int(uint32_t i) const {
    const double v = Arg(i);
    if (!(v > -2147483648.0)) return v < 0 ? INT32_MIN : 0;  // NaN reads 0
    if (v >= 2147483647.0) return INT32_MAX;
    return int32_t(v);
}

uint32_t NativeCall::Id(uint32_t i) const {
    double v = std::trunc(Arg(i));
    if (!std::isfinite(v)) return 0;
    if (v < 0) v += kTwoTo32;
    return v >= 0 && v < kTwoTo32 ? uint32_t(v) : 0;
}

ScriptNative MakeNative(NativeBody body) {
    return [body](CScriptRunner* runner, uint32_t count, const double* args, bool first, bool* done,
                  double* result) {
        NativeCall call{runner, count, args, first, done, result};
        body(call);
        return true;
    };
}

CAniPlayEntry* OwnEntry(const NativeCall& call, uint32_t arg) {
    if (!g_pAniPlayMgr || !call.runner) return nullptr;
    CAniPlayEntry* e = g_pAniPlayMgr->FindEntryByHandle(call.Id(arg), true);
    return e && e->m_userValue == call.runner->GetSerial() && e->m_pObject ? e : nullptr;
}

CChar* CharById(uint32_t id) {
    return g_pCharMgr ? g_pCharMgr->GetChar(id) : nullptr;
}

CChar* CharArg(const NativeCall& call, uint32_t arg) {
    return CharById(call.Id(arg));
}

void UnfollowEntry(CAniPlayEntry* e) {
    e->DetachFromChar();
    e->m_kind = PLAY_AT_MAP_POINT;
    e->m_charId = 0;
}

bool OwnerLost(const NativeCall& call) {
    CSkillAction* owner = call.runner ? call.runner->GetOwner() : nullptr;
    return owner && !owner->IsCasterValid();
}

void RegisterValueNatives(CScript* script) {
    static const NativeEntry kNatives[] = {
        {23, Zero},  // the runner holds no target to aim at
        {38, NativeDirection},
        {44, One},
        {47, One},
        // Readings of character, owner and manager fields that have no
        // counterpart here: 0.
        {54, Zero},
        {55, Zero},
        {56, Zero},
        {57, Zero},
        {58, Zero},
        {59, Zero},
        {60, Zero},
        {61, Zero},
        {62, Zero},
        {63, Zero},  // the equipment-effect animation is not built
        {64, Zero},
        {65, Zero},
        {70, Zero},
        {71, NativeMouseTileX},
        {72, NativeMouseTileY},
        {73, NativeTime},
        {74, NativeRandom},
        {75, NativeCos},
        {76, NativeSin},
        {77, NativeSqrt},
        {78, NativeAngle},
    };
    RegisterNativeTable(script, kNatives);
}

void RegisterScriptNatives(CScript* script) {
    RegisterEntryNatives(script);
    RegisterFlightNatives(script);
    RegisterCharNatives(script);
    RegisterValueNatives(script);
}
