// Path finding over the current map. A walk goes straight when nothing
// blocks it; otherwise it goes from portal to portal of the path file, the
// portals of each block being points joined to others by straight walks.
// The finder then hands the walker its waypoints one step at a time.
// Positions are map units (a cell is 96 x 48, a tile 24 x 12).
#pragma once
#include <cstdint>
#include <unordered_set>
#include <vector>

#include "core/util.h"

class CMap;

// Most waypoints a path may have, and most cell borders one straight walk may cross.
inline constexpr size_t PATH_MAX_WAYPOINTS = 20;
inline constexpr int32_t PATH_MAX_CROSSINGS = 499;
// Deepest cell-by-cell search of the curve pass.
inline constexpr int32_t PATH_MAX_DEPTH = 100;
// Most portals a search takes on or gives up before it fails: each step
// looks at one portal's neighbours (at most PATH_MAX_NEIGHBOURS), so a
// search costs at most this many times that, whatever the path file holds.
inline constexpr size_t PATH_MAX_STEPS = 4096;
inline constexpr uint8_t PATH_NO_DIRECTION = 100;

struct PathWaypoint {
    float x = 0.0f, y = 0.0f;
    uint8_t direction = 0;  // facing from the previous waypoint, an even value 0-14
    uint8_t valid = 1;
};

// Whether a straight walk between the points meets no blocked cell: both end
// tiles must be passable, then every cell the segment enters (at an exact
// corner also both cells beside it). More than 499 border crossings fail.
bool IsStraightWalkClear(CMap& map, float x0, float y0, float x1, float y1);
bool IsStraightWalkClear(float x0, float y0, float x1, float y1);

class CPathFinder {
public:
    CPathFinder() { Reset(); }

    // Every position -1, no lists, flags clear.
    void Reset();
    // Searches a path from the start to the goal over the map (the global map
    // unless one was given). False when none was found.
    bool FindPath(float startX, float startY, int32_t goalX, int32_t goalY, int32_t extra);
    // Moves along the path by speed x 10 map units; the direction is that of
    // the waypoint walked to (100 when none). False once the path is used up
    // (the position is then the last waypoint).
    bool Advance(float speed, float* x, float* y, uint8_t* direction);
    // The point at the distance from the end of the path, measured back along
    // its segments; (-1, -1) when there is no path or it is not that long.
    FPoint GetPointAtDistance(float distance) const;
    bool HasWaypoint(float x, float y) const;
    bool IsListedCell(int32_t cellX, int32_t cellY) const;
    void Clear();
    void SetUserFlag(uint8_t flag) { m_userFlag = flag; }
    void SetMap(CMap* map) { m_pMap = map; }

    const std::vector<PathWaypoint>& Path() const { return m_path; }
    const std::vector<PathWaypoint>& Closed() const { return m_closed; }
    bool HasPath() const { return m_current < m_path.size(); }
    // The portals the last search took on or gave up.
    size_t SearchSteps() const { return m_steps; }
    float GetCurrentX() const { return m_currentX; }
    float GetCurrentY() const { return m_currentY; }

    uint8_t m_finderFlag = 0;  // 1: smooth the path into curves

private:
    bool Search(CMap& map);
    bool FindFirstPortal(CMap& map, float startX, float startY);
    bool IsListed(float x, float y) const;
    void List(const PathWaypoint& w);
    void Shortcut(CMap& map);
    void Curve(CMap& map);
    bool SubPath(CMap& map, int32_t fromX, int32_t fromY, int32_t toX, int32_t toY,
                 std::vector<PathWaypoint>& out);
    void SetDirections();

    CMap* m_pMap = nullptr;
    float m_startX = -1.0f, m_startY = -1.0f;
    float m_currentX = -1.0f, m_currentY = -1.0f;
    int32_t m_goalX = -1, m_goalY = -1;
    float m_prevX = -1.0f, m_prevY = -1.0f;
    size_t m_current = 0;  // index of the waypoint walked to; past the end when used up
    float m_nextX = -1.0f, m_nextY = -1.0f;
    std::vector<PathWaypoint> m_path;
    std::vector<PathWaypoint> m_closed;
    // The points of both lists during a search, for a lookup that does not
    // grow with the lists.
    std::unordered_set<uint64_t> m_listed;
    size_t m_steps = 0;
    uint8_t m_userFlag = 0;
};
