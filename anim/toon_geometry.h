// What the toon object's posing and drawing share: the vector arithmetic on
// its vertices and which nodes are drawn.
#pragma once
#include <cmath>

#include "anim/toon_object.h"

namespace toon {

// Bounds that nothing extended yet.
constexpr float kEmptyMin = 10000.0f, kEmptyMax = -10000.0f;

inline Vec3 Add(const Vec3& a, const Vec3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 Sub(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 Scaled(const Vec3& a, float k) {
    return {a.x * k, a.y * k, a.z * k};
}
inline Vec3 PositionOf(const ToonVertex& v) {
    return {v.x, v.y, v.z};
}

// Normalised, a zero length counting as 0.000001.
inline Vec3 NormalOrTiny(const Vec3& v) {
    float len = std::sqrt(Vec3LengthSq(v));
    if (len == 0.0f) len = 0.000001f;
    return Scaled(v, 1.0f / len);
}

// Drawn: a bound animation node, not hidden, with vertices.
inline bool IsDrawn(const ToonNode& node, const ToonNodeState& state) {
    return state.anim && !node.hidden && !node.vertices.empty();
}

}  // namespace toon
