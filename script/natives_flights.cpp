// The flight natives (21-28): an entry's object moves from where it stood
// toward a character or a map point, straight at a speed (map units per
// second, with an arc of the given height) or along a quadratic curve over a
// duration, by the time gone since the flight started; its tile range
// follows so that the field draws it at the right depth.
#include <algorithm>
#include <cmath>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "graphics/math3d.h"
#include "platform/clock.h"
#include "script/native_call.h"
#include "script/script_runner.h"
#include "world/chars/char.h"

namespace {

constexpr float kMapLimit = 1.0e9f;

int32_t ToMap(double v) {
    if (!(v > -kMapLimit)) return v < 0 ? -int32_t(kMapLimit) : 0;
    return int32_t(std::lround(std::min<double>(v, kMapLimit)));
}

void StartAt(ScriptFlight& f, const CAniObject* object) {
    f.startX = float(object->m_mapX);
    f.startY = float(object->m_mapY);
    f.startZ = float(object->m_mapZ);
}

void Stamp(ScriptFlight& f) {
    f.startTime = plat::timeGetTime();
    f.started = true;
}

// The object's depth on the field: the tile under its screen point.
void SetDepthAt(CAniObject* object, int32_t screenX, int32_t screenY) {
    object->SetTileRange(IsoPoint{screenX, screenY}, IsoPoint{ANI_TILE_UNSET, ANI_TILE_UNSET});
}

void Place(CAniObject* object, double x, double y, double z, bool tiles) {
    object->SetMapPosition(ToMap(x), ToMap(y), ToMap(z));
    if (tiles) SetDepthAt(object, object->m_screenX, object->m_screenY);
}

double Elapsed(const ScriptFlight& f) {
    return double(plat::timeGetTime() - f.startTime);
}

// A straight flight's step toward the point; true once there.
bool StepStraight(const ScriptFlight& f, CAniObject* object, double tx, double ty, double tz, bool tiles) {
    const double dx = tx - f.startX, dy = ty - f.startY;
    const double distance = std::sqrt(dx * dx + dy * dy);
    const double travelled = f.speed * Elapsed(f) / 1000.0;
    if (!(f.speed > 0) || travelled >= distance) {
        Place(object, tx, ty, tz, tiles);
        return true;
    }
    const double t = travelled / distance;
    Place(object, f.startX + dx * t, f.startY + dy * t,
          f.startZ + (tz - f.startZ) * t + f.height * 4 * t * (1 - t), tiles);
    return false;
}

// A curve's step; the control point lies halfway, at the flight's height,
// moved by (dx, dy, dz). True once the duration is over.
bool StepCurve(const ScriptFlight& f, CAniObject* object, double dx, double dy, double dz) {
    const double t = f.duration ? Elapsed(f) / f.duration : 1.0;
    if (t >= 1.0) {
        Place(object, f.endX, f.endY, f.endZ, true);
        return true;
    }
    const Vec3 from{f.startX, f.startY, f.startZ}, to{f.endX, f.endY, f.endZ};
    const Vec3 control{float((f.startX + f.endX) / 2 + dx), float((f.startY + f.endY) / 2 + dy),
                       float(f.height + dz)};
    Vec3 p;
    GetBezierPoint(&p, from, control, to, t);
    Place(object, p.x, p.y, p.z, true);
    return false;
}

// Ends a call of a waiting flight native: the first call answers 1, and
// every call waits until the flight is over.
void AnswerFlight(NativeCall& c, bool over) {
    if (c.first) c.Set(1.0);
    if (!over) c.Wait();
}

void NativeAimAtChar(NativeCall& c) {  // 21
    CAniPlayEntry* e = OwnEntry(c, 1);
    CChar* target = CharArg(c, 0);
    if (!e || !target) return c.Set(0.0);
    UnfollowEntry(e);
    ScriptFlight& f = c.runner->Flight(e->m_handle);
    f = ScriptFlight{};
    StartAt(f, e->m_pObject);
    f.speed = float(c.Arg(2));
    f.height = float(c.Arg(3));
    f.targetChar = target->GetCharId();
    CAniObject* body = target->GetAniObject();
    if (c.Arg(4) != 0.0 && body) SetDepthAt(e->m_pObject, body->m_screenX, body->m_screenY);
    c.Set(1.0);
}

void NativeFlyAtChar(NativeCall& c) {  // 22
    CAniPlayEntry* e = OwnEntry(c, 1);
    CChar* target = CharArg(c, 0);
    if (!e || !target || !c.runner->HasFlight(e->m_handle)) {
        if (c.first) c.Set(0.0);
        return;
    }
    ScriptFlight& f = c.runner->Flight(e->m_handle);
    if (!f.started) Stamp(f);
    const bool there = StepStraight(f, e->m_pObject, target->m_x, target->m_y, target->m_z, c.Arg(2) != 0.0);
    AnswerFlight(c, there || c.Arg(3) == 0.0);
}

void NativeFlyToPoint(NativeCall& c) {  // 24
    CAniPlayEntry* e = OwnEntry(c, 3);
    if (!e) {
        if (c.first) c.Set(0.0);
        return;
    }
    ScriptFlight& f = c.runner->Flight(e->m_handle);
    if (c.first) {
        UnfollowEntry(e);
        f = ScriptFlight{};
        StartAt(f, e->m_pObject);
        f.endX = float(c.Arg(0));
        f.endY = float(c.Arg(1));
        f.endZ = float(c.Arg(2));
        f.speed = float(c.Arg(4));
        f.height = float(c.Arg(5));
        Stamp(f);
    }
    AnswerFlight(c, StepStraight(f, e->m_pObject, f.endX, f.endY, f.endZ, true));
}

// Natives 25 and 27: a curve from where the object stands to the end.
void StartCurve(NativeCall& c, CAniPlayEntry* e, double endX, double endY, double endZ, uint32_t target,
                uint32_t durationArg) {
    UnfollowEntry(e);
    ScriptFlight& f = c.runner->Flight(e->m_handle);
    f = ScriptFlight{};
    StartAt(f, e->m_pObject);
    f.endX = float(endX);
    f.endY = float(endY);
    f.endZ = float(endZ);
    f.targetChar = target;
    f.duration = uint32_t(std::max(0, c.Int(durationArg)));
    f.height = float(c.Arg(durationArg + 1));
    Stamp(f);
    c.Set(1.0);
}

void NativeCurveAtChar(NativeCall& c) {  // 25
    CAniPlayEntry* e = OwnEntry(c, 1);
    CChar* target = CharArg(c, 0);
    if (!e || !target) return c.Set(0.0);
    StartCurve(c, e, target->m_x, target->m_y, target->m_z, target->GetCharId(), 2);
}

void NativeCurveToPoint(NativeCall& c) {  // 27
    CAniPlayEntry* e = OwnEntry(c, 3);
    if (!e) return c.Set(0.0);
    StartCurve(c, e, c.Arg(0), c.Arg(1), c.Arg(2), 0, 4);
}

void FlyCurve(NativeCall& c, uint32_t entryArg, double dx, double dy, double dz) {
    CAniPlayEntry* e = OwnEntry(c, entryArg);
    if (!e || !c.runner->HasFlight(e->m_handle)) {
        if (c.first) c.Set(0.0);
        return;
    }
    ScriptFlight& f = c.runner->Flight(e->m_handle);
    // A character flown at is followed while it stays.
    if (CChar* target = f.targetChar ? CharById(f.targetChar) : nullptr) {
        f.endX = float(target->m_x);
        f.endY = float(target->m_y);
        f.endZ = float(target->m_z);
    }
    AnswerFlight(c, StepCurve(f, e->m_pObject, dx, dy, dz));
}

void NativeFlyCurve(NativeCall& c) {  // 26
    FlyCurve(c, 2, c.Arg(0), c.Arg(1), 0.0);
}

void NativeFlyPointCurve(NativeCall& c) {  // 28
    FlyCurve(c, 3, 0.0, 0.0, c.Arg(1));
}

}  // namespace

void RegisterFlightNatives(CScript* script) {
    static const NativeEntry kNatives[] = {
        {21, NativeAimAtChar}, {22, NativeFlyAtChar},    {24, NativeFlyToPoint},    {25, NativeCurveAtChar},
        {26, NativeFlyCurve},  {27, NativeCurveToPoint}, {28, NativeFlyPointCurve},
    };
    RegisterNativeTable(script, kNatives);
}
