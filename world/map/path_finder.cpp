#include "world/map/path_finder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <unordered_set>

#include "graphics/math3d.h"
#include "world/map/map.h"

namespace {

constexpr double kRadiansPerDegree = 0.01745328888888889;
constexpr double kCornerEpsilon = 1e-9;
constexpr float kCurveWeight = 0.25f;
constexpr int kCurvePoints = 10;

int64_t FloorDiv(double value, int32_t size) {
    return int64_t(std::floor(value / size));
}

bool CellPassable(CMap& map, int64_t cellX, int64_t cellY) {
    if (cellX < 0 || cellY < 0 || cellX > MAP_MAX_CELLS || cellY > MAP_MAX_CELLS) return false;
    return map.IsPassable(int32_t(cellX) * MAP_TILES_PER_CELL, int32_t(cellY) * MAP_TILES_PER_CELL);
}

bool PointPassable(CMap& map, float x, float y) {
    return x >= 0.0f && y >= 0.0f && map.IsPassable(int32_t(x) / MAP_TILE_W, int32_t(y) / MAP_TILE_H);
}

// Distance with both x values halved (the field's isometric measure).
float HalvedDistance(float x0, float y0, float x1, float y1) {
    return GetDistance(x0 * 0.5f, y0, x1 * 0.5f, y1);
}

uint8_t DirectionBetween(float x0, float y0, float x1, float y1) {
    return uint8_t(GetDirection(x0 * 0.5f, y0, x1 * 0.5f, y1));
}

PathWaypoint Point(int32_t cellX, int32_t cellY) {
    PathWaypoint w;
    w.x = float(cellX * MAP_CELL_W);
    w.y = float(cellY * MAP_CELL_H);
    return w;
}

uint64_t PointKey(float x, float y) {
    return uint64_t(std::bit_cast<uint32_t>(x)) << 32 | std::bit_cast<uint32_t>(y);
}

const PathLink* FindPortal(const PathNode* node, int32_t cellX, int32_t cellY) {
    if (!node) return nullptr;
    for (const PathLink& link : node->m_portals)
        if (link.m_cellX == cellX && link.m_cellY == cellY) return &link;
    return nullptr;
}

}  // namespace

bool IsStraightWalkClear(CMap& map, float x0, float y0, float x1, float y1) {
    if (x0 == x1 && y0 == y1) return true;
    if (!PointPassable(map, x0, y0) || !PointPassable(map, x1, y1)) return false;
    int64_t cx = FloorDiv(x0, MAP_CELL_W), cy = FloorDiv(y0, MAP_CELL_H);
    const int64_t ex = FloorDiv(x1, MAP_CELL_W), ey = FloorDiv(y1, MAP_CELL_H);
    const double dx = double(x1) - x0, dy = double(y1) - y0;
    const int sx = dx > 0 ? 1 : dx < 0 ? -1 : 0, sy = dy > 0 ? 1 : dy < 0 ? -1 : 0;
    constexpr double kNever = std::numeric_limits<double>::infinity();
    // Parameter of the next vertical and horizontal border along the segment.
    double tx = sx ? (double((sx > 0 ? cx + 1 : cx) * MAP_CELL_W) - x0) / dx : kNever;
    double ty = sy ? (double((sy > 0 ? cy + 1 : cy) * MAP_CELL_H) - y0) / dy : kNever;
    const double stepX = sx ? MAP_CELL_W / std::fabs(dx) : kNever;
    const double stepY = sy ? MAP_CELL_H / std::fabs(dy) : kNever;
    int32_t crossings = 0;
    while (cx != ex || cy != ey) {
        if (std::min(tx, ty) > 1.0 + kCornerEpsilon) break;  // rounding at the far end
        if (std::fabs(tx - ty) <= kCornerEpsilon * std::max(1.0, std::fabs(tx))) {
            // Through a corner: the cells on both sides count too.
            crossings += 2;
            if (crossings > PATH_MAX_CROSSINGS) return false;
            if (!CellPassable(map, cx + sx, cy) || !CellPassable(map, cx, cy + sy)) return false;
            cx += sx;
            cy += sy;
            tx += stepX;
            ty += stepY;
        } else if (tx < ty) {
            if (++crossings > PATH_MAX_CROSSINGS) return false;
            cx += sx;
            tx += stepX;
        } else {
            if (++crossings > PATH_MAX_CROSSINGS) return false;
            cy += sy;
            ty += stepY;
        }
        if (!CellPassable(map, cx, cy)) return false;
    }
    return true;
}

bool IsStraightWalkClear(float x0, float y0, float x1, float y1) {
    return g_pMap && IsStraightWalkClear(*g_pMap, x0, y0, x1, y1);
}

void CPathFinder::Reset() {
    m_startX = m_startY = m_currentX = m_currentY = -1.0f;
    m_goalX = m_goalY = -1;
    m_prevX = m_prevY = m_nextX = m_nextY = -1.0f;
    m_path.clear();
    m_closed.clear();
    m_listed.clear();
    m_steps = 0;
    m_current = 0;
    m_finderFlag = 0;
    m_userFlag = 0;
}

void CPathFinder::Clear() {
    m_path.clear();
    m_closed.clear();
    m_listed.clear();
    m_current = 0;
}

// A portal stays listed for the rest of the search once it was on the path:
// taken off, it is closed.
bool CPathFinder::IsListed(float x, float y) const {
    return m_listed.count(PointKey(x == 0.0f ? 0.0f : x, y == 0.0f ? 0.0f : y)) != 0;
}

void CPathFinder::List(const PathWaypoint& w) {
    m_listed.insert(PointKey(w.x == 0.0f ? 0.0f : w.x, w.y == 0.0f ? 0.0f : w.y));
}

bool CPathFinder::HasWaypoint(float x, float y) const {
    for (const PathWaypoint& w : m_path)
        if (w.x == x && w.y == y) return true;
    return false;
}

bool CPathFinder::IsListedCell(int32_t cellX, int32_t cellY) const {
    for (const auto* list : {&m_path, &m_closed})
        for (const PathWaypoint& w : *list)
            if (int32_t(w.x) / MAP_CELL_W == cellX && int32_t(w.y) / MAP_CELL_H == cellY) return true;
    return false;
}

bool CPathFinder::FindPath(float startX, float startY, int32_t goalX, int32_t goalY, int32_t /*extra*/) {
    const uint8_t flag = m_finderFlag;
    CMap* map = m_pMap ? m_pMap : g_pMap;
    Reset();
    m_finderFlag = flag;
    m_startX = m_currentX = startX;
    m_startY = m_currentY = startY;
    m_goalX = goalX;
    m_goalY = goalY;
    const bool found = map && Search(*map);
    m_listed.clear();
    if (!found) {
        m_path.clear();
        m_closed.clear();
        return false;
    }
    m_closed.clear();
    m_current = 0;
    m_nextX = m_path.front().x;
    m_nextY = m_path.front().y;
    return !m_path.empty();
}

bool CPathFinder::FindFirstPortal(CMap& map, float startX, float startY) {
    const CPathData* paths = map.GetPathData();
    if (!paths) return false;
    // A start on a blocked tile begins from a free tile beside it.
    int32_t tx = int32_t(startX) / MAP_TILE_W, ty = int32_t(startY) / MAP_TILE_H;
    if (!map.IsPassable(tx, ty)) {
        static const int32_t kTries[4][2] = {{4, 0}, {-4, 0}, {0, -4}, {0, 4}};
        for (const auto& t : kTries)
            if (map.IsPassable(tx + t[0], ty + t[1])) {
                tx += t[0];
                ty += t[1];
                startX = float(tx * MAP_TILE_W);
                startY = float(ty * MAP_TILE_H);
                break;
            }
    }
    const int32_t bx = int32_t(startX) / MAP_BLOCK_W, by = int32_t(startY) / MAP_BLOCK_H;
    const PathLink* best = nullptr;
    float bestScore = 0.0f;
    for (int32_t y = by - 1; y <= by + 1; ++y)
        for (int32_t x = bx - 1; x <= bx + 1; ++x) {
            const PathNode* node = paths->GetNode(x, y);  // blocks outside the grid are skipped
            if (!node) continue;
            for (const PathLink& portal : node->m_portals) {
                const PathWaypoint p = Point(portal.m_cellX, portal.m_cellY);
                if (IsListed(p.x, p.y) || (p.x == startX && p.y == startY)) continue;
                if (!IsStraightWalkClear(map, startX, startY, p.x, p.y)) continue;
                const float score = GetDistance(p.x, p.y, float(m_goalX), float(m_goalY)) +
                                    GetDistance(startX, startY, p.x, p.y);
                if (!best || score < bestScore) {
                    best = &portal;
                    bestScore = score;
                }
            }
        }
    if (!best) return false;
    m_path.push_back(Point(best->m_cellX, best->m_cellY));
    List(m_path.back());
    ++m_steps;
    return true;
}

bool CPathFinder::Search(CMap& map) {
    const float gx = float(m_goalX), gy = float(m_goalY);
    PathWaypoint goal;
    goal.x = gx;
    goal.y = gy;
    if (IsStraightWalkClear(map, m_startX, m_startY, gx, gy)) {
        m_path.push_back(goal);
        SetDirections();
        return true;
    }
    if (!FindFirstPortal(map, m_startX, m_startY)) return false;
    const CPathData* paths = map.GetPathData();
    const int32_t goalCellX = m_goalX / MAP_CELL_W, goalCellY = m_goalY / MAP_CELL_H;
    for (;;) {
        if (m_path.empty() || m_path.size() > PATH_MAX_WAYPOINTS || m_steps >= PATH_MAX_STEPS) return false;
        const PathWaypoint at = m_path.back();
        const int32_t cellX = int32_t(at.x) / MAP_CELL_W, cellY = int32_t(at.y) / MAP_CELL_H;
        if (std::abs(goalCellX - cellX) <= 1 && std::abs(goalCellY - cellY) <= 1 &&
            IsStraightWalkClear(map, at.x, at.y, gx, gy)) {
            m_path.push_back(goal);
            break;
        }
        const PathLink* portal =
            FindPortal(paths->GetNode(cellX / MAP_BLOCK_CELLS, cellY / MAP_BLOCK_CELLS), cellX, cellY);
        const std::pair<uint16_t, uint16_t>* best = nullptr;
        float bestScore = 0.0f;
        if (portal)
            for (const auto& n : portal->m_neighbours) {
                const PathWaypoint p = Point(n.first, n.second);
                if (IsListed(p.x, p.y) ||
                    !paths->GetNode(n.first / MAP_BLOCK_CELLS, n.second / MAP_BLOCK_CELLS))
                    continue;
                const float score = GetDistance(p.x, p.y, gx, gy) + GetDistance(at.x, at.y, p.x, p.y);
                if (!best || score < bestScore) {
                    best = &n;
                    bestScore = score;
                }
            }
        const PathLink* next =
            best ? FindPortal(paths->GetNode(best->first / MAP_BLOCK_CELLS, best->second / MAP_BLOCK_CELLS),
                              best->first, best->second)
                 : nullptr;
        ++m_steps;
        if (next) {
            m_path.push_back(Point(next->m_cellX, next->m_cellY));
            List(m_path.back());
        } else {
            // A dead end: closed for the rest of the search.
            m_closed.push_back(m_path.back());
            m_path.pop_back();
        }
    }
    if (m_path.size() > PATH_MAX_WAYPOINTS) return false;
    Shortcut(map);
    SetDirections();
    if (m_finderFlag == 1) {
        Curve(map);
        SetDirections();
    }
    return true;
}

void CPathFinder::Shortcut(CMap& map) {
    // From the goal back: the earlier waypoint a clear walk reaches that makes
    // the shortest way from the start stays, the waypoints between go.
    for (size_t w = m_path.size() - 1; w > 0;) {
        const PathWaypoint& to = m_path[w];
        size_t best = w;
        float bestScore = 0.0f;
        for (size_t i = 0; i < w; ++i) {
            if (!IsStraightWalkClear(map, m_path[i].x, m_path[i].y, to.x, to.y)) continue;
            const float score = HalvedDistance(m_startX, m_startY, m_path[i].x, m_path[i].y) +
                                HalvedDistance(m_path[i].x, m_path[i].y, to.x, to.y);
            if (best == w || score < bestScore) {
                best = i;
                bestScore = score;
            }
        }
        if (best == w) {
            --w;
            continue;
        }
        m_path.erase(m_path.begin() + std::ptrdiff_t(best) + 1, m_path.begin() + std::ptrdiff_t(w));
        w = best;
    }
}

bool CPathFinder::SubPath(CMap& map, int32_t fromX, int32_t fromY, int32_t toX, int32_t toY,
                          std::vector<PathWaypoint>& out) {
    // Cells entered once are never entered again. The search may cover every
    // cell within a hundred steps (some forty thousand), so the lookup is hashed.
    std::unordered_set<uint64_t> visited;
    const auto key = [](int32_t x, int32_t y) { return uint64_t(uint32_t(x)) << 32 | uint32_t(y); };
    const auto seen = [&](int32_t x, int32_t y) { return visited.count(key(x, y)) != 0; };
    const float targetX = float(toX * MAP_CELL_W), targetY = float(toY * MAP_CELL_H);
    // Depth-first: the neighbour nearest the target (a straighter step breaks ties) first.
    const auto dfs = [&](auto&& self, int32_t x, int32_t y, int32_t depth) -> bool {
        if (depth > PATH_MAX_DEPTH) return false;
        visited.insert(key(x, y));
        out.push_back(Point(x, y));
        if (x == toX && y == toY) return true;
        struct Candidate {
            int32_t x, y;
            float score;
        };
        std::vector<Candidate> candidates;
        const PathWaypoint here = Point(x, y);
        for (int32_t dy = -1; dy <= 1; ++dy)
            for (int32_t dx = -1; dx <= 1; ++dx) {
                if (!dx && !dy) continue;
                const int32_t nx = x + dx, ny = y + dy;
                if (seen(nx, ny) || !CellPassable(map, nx, ny)) continue;
                const PathWaypoint p = Point(nx, ny);
                const int d = GetDirection(here.x, here.y, p.x, p.y);
                const int turn = d > 4 ? std::abs(d - 8) : d;
                candidates.push_back(
                    {nx, ny, GetDistance(p.x, p.y, targetX, targetY) + kCurveWeight * float(turn)});
            }
        std::stable_sort(candidates.begin(), candidates.end(),
                         [](const Candidate& a, const Candidate& b) { return a.score < b.score; });
        for (const Candidate& c : candidates)
            if (self(self, c.x, c.y, depth + 1)) return true;
        out.pop_back();
        return false;
    };
    out.clear();
    return dfs(dfs, fromX, fromY, 0);
}

void CPathFinder::Curve(CMap& map) {
    // (a) Where the path turns, a cell-by-cell way between the two waypoints.
    std::vector<PathWaypoint> detailed;
    for (size_t i = 0; i < m_path.size(); ++i) {
        detailed.push_back(m_path[i]);
        if (i + 1 >= m_path.size() || m_path[i].direction == m_path[i + 1].direction) continue;
        std::vector<PathWaypoint> cells;
        const PathWaypoint &a = m_path[i], &b = m_path[i + 1];
        if (SubPath(map, int32_t(a.x) / MAP_CELL_W, int32_t(a.y) / MAP_CELL_H, int32_t(b.x) / MAP_CELL_W,
                    int32_t(b.y) / MAP_CELL_H, cells) &&
            cells.size() > 2)
            detailed.insert(detailed.end(), cells.begin() + 1, cells.end() - 1);
    }
    // (b) Groups of three, two waypoints apart, become ten points of their curve.
    std::vector<PathWaypoint> curved;
    const size_t n = detailed.size();
    for (size_t i = 0; i + 1 < n; i += 2) {
        const PathWaypoint& p0 = detailed[i];
        const PathWaypoint& p1 = detailed[std::min(i + 1, n - 1)];
        const PathWaypoint& p2 = detailed[std::min(i + 2, n - 1)];
        const Vec3 a{p0.x, p0.y, 0.0f}, b{p1.x, p1.y, 0.0f}, c{p2.x, p2.y, 0.0f};
        for (int k = 0; k < kCurvePoints; ++k) {
            Vec3 p{};
            GetBezierPoint(&p, a, b, c, double(k) / kCurvePoints);
            PathWaypoint w;
            w.x = p.x;
            w.y = p.y;
            curved.push_back(w);
        }
    }
    curved.push_back(detailed.back());  // the walk still ends at the goal
    m_path.swap(curved);
}

void CPathFinder::SetDirections() {
    float x = m_startX, y = m_startY;
    for (PathWaypoint& w : m_path) {
        w.direction = DirectionBetween(x, y, w.x, w.y);
        x = w.x;
        y = w.y;
    }
}

bool CPathFinder::Advance(float speed, float* x, float* y, uint8_t* direction) {
    if (direction) *direction = PATH_NO_DIRECTION;
    if (m_current >= m_path.size()) return false;
    float step = speed * 10.0f;
    float cx = m_currentX, cy = m_currentY;
    for (;;) {
        const PathWaypoint& w = m_path[m_current];
        const float remaining = HalvedDistance(cx, cy, w.x, w.y);
        if (remaining <= step) {
            // Past the waypoint: the rest of the step goes on toward the next one.
            cx = w.x;
            cy = w.y;
            step -= remaining;
            m_prevX = w.x;
            m_prevY = w.y;
            ++m_current;
            if (m_current < m_path.size()) continue;
            m_prevX = m_prevY = -1.0f;
            m_currentX = cx;
            m_currentY = cy;
            if (x) *x = cx;
            if (y) *y = cy;
            if (direction) *direction = w.direction;
            return false;
        }
        const double angle = double(GetAngle(cx * 0.5f, cy, w.x * 0.5f, w.y)) * kRadiansPerDegree;
        cx += float(2.0 * step * std::cos(angle));
        cy += float(step * std::sin(angle));
        m_currentX = cx;
        m_currentY = cy;
        m_nextX = w.x;
        m_nextY = w.y;
        if (x) *x = cx;
        if (y) *y = cy;
        if (direction) *direction = w.direction;
        return true;
    }
}

FPoint CPathFinder::GetPointAtDistance(float distance) const {
    if (m_path.empty() || distance < 0.0f) return {-1.0f, -1.0f};
    // From the end point back along the segments, the start last.
    std::vector<FPoint> points;
    for (auto it = m_path.rbegin(); it != m_path.rend(); ++it) points.push_back({it->x, it->y});
    points.push_back({m_startX, m_startY});
    float walked = 0.0f;
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        const FPoint a = points[i], b = points[i + 1];
        const float length = GetDistance(a.x, a.y, b.x, b.y);
        if (walked + length >= distance && length > 0.0f) {
            const float t = (distance - walked) / length;
            return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
        }
        walked += length;
    }
    return {-1.0f, -1.0f};
}
