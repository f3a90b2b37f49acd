// Geometry helpers and the table-driven square root.
#include <array>
#include <bit>
#include <cmath>
#include <cstdlib>

#include "core/util.h"

namespace {

using SqrtTable = std::array<uint32_t, 256>;

// Square root in double precision by Newton's method, for the table built at
// compile time; rounded to float it gives the correctly rounded root.
constexpr double ConstSqrt(double x) {
    double r = x > 1.0 ? x : 1.0;
    for (int i = 0; i < 100; ++i) {
        double next = 0.5 * (r + x / r);
        if (next >= r) break;  // from above the iteration only falls until it settles
        r = next;
    }
    return r;
}

// Entry i holds the root of a number whose exponent parity and top seven
// mantissa bits are i, already shifted so that adding half the exponent gives
// the root's bits.
constexpr SqrtTable BuildSqrtTable() {
    SqrtTable table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t exponent = i < 128 ? 0x40000000u : 0x3F800000u;
        float value = std::bit_cast<float>((i << 16) | exponent | 0x8000u);
        uint32_t root = std::bit_cast<uint32_t>(float(ConstSqrt(double(value))));
        table[i] = (root & 0x7FFFFFu) + (i < 128 ? 0x1F800000u : 0x20000000u);
    }
    return table;
}

constexpr SqrtTable kSqrtTable = BuildSqrtTable();

}  // namespace

// The table is made by the compiler; nothing is left to do at start-up.
void InitSqrtTable() {}

float FastSqrt(float value) {
    if (!(value > 0.0f)) return 0.0f;  // 0, negatives and NaN
    uint32_t bits = std::bit_cast<uint32_t>(value);
    return std::bit_cast<float>(((bits >> 1) & 0x3F800000u) + kSqrtTable[(bits >> 16) & 0xFFu]);
}

float GetDistance(float x1, float y1, float x2, float y2) {
    float dx = x2 - x1, dy = y2 - y1;
    return FastSqrt(dx * dx + dy * dy);
}

float GetDistance3D(float x1, float y1, float z1, float x2, float y2, float z2) {
    float dx = x2 - x1, dy = y2 - y1, dz = z2 - z1;
    return FastSqrt(dx * dx + dy * dy + dz * dz);
}

float GetWeightedDistance(float x1, float y1, float x2, float y2, float w) {
    float dx = x2 - x1, dy = y2 - y1;
    return FastSqrt(dx * dx + w * dy * dy);
}

float GetAngle(float x1, float y1, float x2, float y2) {
    double dx = double(x2) - x1, dy = double(y2) - y1;
    if (dx == 0.0) {
        if (dy > 0.0) return 90.0f;
        if (dy < 0.0) return 270.0f;
        return 0.0f;
    }
    double angle = std::atan(dy / dx) * (180.0 / 3.14159265358979323846);
    if (dx < 0.0) angle += 180.0;
    if (angle < 0.0) angle += 360.0;
    return float(angle);
}

int GetDirection(float x1, float y1, float x2, float y2) {
    float dx = x2 - x1, dy = y2 - y1;
    if (dx == 0.0f) return dy > 0.0f ? 8 : 0;
    float slope = dy / dx;
    int direction;
    if (slope < -3.73f)
        direction = 0;
    else if (slope < -0.268f)
        direction = 2;
    else if (slope < 0.577f)
        direction = 4;
    else if (slope < 1.73f)
        direction = 6;
    else
        direction = 8;
    // Pointing left: the opposite of the same slope pointing right.
    if (dx < 0.0f) direction = (direction + 8) & 15;
    return direction;
}

int RandomSign() {
    return (std::rand() & 1) ? 1 : -1;
}

bool IsFarOffScreen(int left, int top, int right, int bottom) {
    return right < -1000 || left >= 1800 || bottom < -1000 || top >= 1600;
}

void LineThroughPoints(float x1, float y1, float x2, float y2, float& slope, float& offset) {
    slope = x1 == x2 ? 0.0f : (y1 - y2) / (x1 - x2);
    offset = y1 - x1 * slope;
}

FPoint MidPoint(float x1, float y1, float x2, float y2) {
    return FPoint{(x1 + x2) * 0.5f, (y1 + y2) * 0.5f};
}

bool RectsOverlap(float ax1, float ay1, float ax2, float ay2, float bx1, float by1, float bx2, float by2) {
    auto lo = [](float a, float b) { return a < b ? a : b; };
    auto hi = [](float a, float b) { return a < b ? b : a; };
    return lo(ax1, ax2) <= hi(bx1, bx2) && lo(bx1, bx2) <= hi(ax1, ax2) && lo(ay1, ay2) <= hi(by1, by2) &&
           lo(by1, by2) <= hi(ay1, ay2);
}
