// Placing and turning characters, walking and running along a path, the
// position reports of the characters this client moves, and the points a
// character walks to.
#include <algorithm>
#include <cmath>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "anim/ani_services.h"
#include "anim/darkness_overlay.h"
#include "core/config.h"
#include "core/util.h"
#include "platform/clock.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"
#include "world/chars/char_services.h"
#include "world/map/map.h"
#include "world/map/map_data.h"
#include "world/map/path_finder.h"

namespace {

constexpr float MAX_STEP = 8.0f;
constexpr float STAMINA_WALK_TO_RUN = 1000.0f;
constexpr int32_t OWN_REPORT_TILES = 4;
constexpr int32_t OTHER_REPORT_TILES = 8;
constexpr uint32_t FOOTSTEP_MS = 100;
constexpr uint32_t WARP_DUST_ANI = 595;
constexpr int32_t STATUS_FASTER = 16;
constexpr int32_t STATUS_SLOWER = 17;
constexpr float SPEED_CHANGE_WALK = 0.002f;
constexpr float SPEED_CHANGE_RUN = 0.001f;
constexpr int32_t FREE_SPOT_SQUARES = 100;
constexpr float FREE_SPOT_START = 900000.0f;
constexpr float FLEE_TILES = 16.0f;
constexpr double RADIANS_PER_DEGREE = 3.14159265358979 / 180.0;
const char* const FOOTSTEP_ANIS[3] = {"MoveEffect_Dust", "MoveEffect_Grass", "MoveEffect_Sand"};

// The map with a loaded cell grid, or null.
CMapData* Grid() {
    return g_pMap && g_pMap->IsLoaded() ? g_pMap->GetMapData() : nullptr;
}

bool IsOwn(const CChar* c) {
    return c && g_pCharMgr && g_pCharMgr->GetPlayer() == c;
}

float TilesBetween(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const double dx = double(x2 - x1), dy = double(y2 - y1);
    return float(std::sqrt(dx * dx + dy * dy));
}

// The point (tiles) the distance in tiles back from the end of the finder's
// path, whose start was (startX, startY) in map units; (-1, -1) when the path
// is not that long.
IsoPoint PointBackAlongPath(const CPathFinder& finder, float startX, float startY, float distance) {
    std::vector<FPoint> points;
    for (auto it = finder.Path().rbegin(); it != finder.Path().rend(); ++it)
        points.push_back({it->x / 24.0f, it->y / 12.0f});
    points.push_back({startX / 24.0f, startY / 12.0f});
    float walked = 0.0f;
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        const FPoint a = points[i], b = points[i + 1];
        const float length = std::hypot(b.x - a.x, b.y - a.y);
        if (length > 0.0f && walked + length >= distance) {
            const float t = (distance - walked) / length;
            return {int32_t(a.x + (b.x - a.x) * t), int32_t(a.y + (b.y - a.y) * t)};
        }
        walked += length;
    }
    return {-1, -1};
}

}  // namespace

// ---- Placing ----

void CChar::SetPosition(int32_t x, int32_t y, int32_t z) {
    CMapData* grid = Grid();
    if (!grid) return;
    if (m_pController) LeaveCell(grid);
    m_pMap = g_pMap;
    const bool own = IsOwn(this);
    if (own) grid->SetFocus(float(x), float(y));
    m_z = z;
    m_x = x;
    m_y = y;
    m_cellX = x / 24;
    m_cellY = y / 12;
    PlaceSprite();
    if (m_pEffects) m_pEffects->SetAllPositions(float(x), float(y));
    if (m_pController) {
        if (MapCell* cell = grid->GetCell(x / 96, y / 48)) cell->m_occupants[1] = m_kindId;
        if (CCharAction* action = GetAction()) action->RefreshAttachedObjects();
    }
}

void CChar::LeaveCell(CMapData* grid) {
    if (MapCell* cell = grid->GetCell(m_x / 96, m_y / 48); cell && cell->m_occupants[1] == m_kindId)
        cell->m_occupants[1] = 0;
}

void CChar::PlaceSprite() {
    const int32_t sx = m_x + int32_t(m_drawOffset[0]), sy = m_y + int32_t(m_drawOffset[1]);
    if (m_pAniObject) m_pAniObject->SetMapPosition(sx, sy, m_z + int32_t(m_drawOffset[2]));
    if (m_lightId != NO_LIGHT && g_pDarknessOverlay && m_pAniObject)
        g_pDarknessOverlay->SetLightPosition(m_lightId, m_pAniObject->m_screenX, m_pAniObject->m_screenY);
}

void CChar::SetDirection(uint8_t direction) {
    if (auto* monster = dynamic_cast<CMonsterChar*>(this); monster && monster->HasFixedDirection()) {
        const int32_t fixed = monster->GetFixedDirection();
        if (fixed >= 0) direction = uint8_t(fixed);
    }
    m_direction = direction;
    if (m_pAniObject) {
        m_pAniObject->SetDirection(direction);
        m_pAniObject->ResetLayers();
    }
}

// ---- Speed ----

float CCharData::GetMoveSpeed() const {
    if (IsVisualEventRunning() && m_eventSpeed != 0.0f) return m_eventSpeed;
    float speed = m_curSpeed;
    const bool running = m_motion == MOTION_RUN;
    const float change = running ? SPEED_CHANGE_RUN : SPEED_CHANGE_WALK;
    if (IsStatus(STATUS_FASTER)) speed += change;
    if (IsStatus(STATUS_SLOWER)) speed = std::max(0.0f, speed - change);
    return speed * m_speedFactor;
}

// ---- Walking ----

bool CCharAction::Reports() const {
    CChar* owner = Owner();
    return owner && (owner->m_reportFlag || IsOwn(owner));
}

void CCharAction::SetReportedTile(int32_t tileX, int32_t tileY) {
    m_lastReportX = tileX * 24;
    m_lastReportY = tileY * 12;
}

void CCharAction::SendPosition(int32_t tileX, int32_t tileY) {
    CChar* owner = Owner();
    if (!owner) return;
    const uint16_t x = uint16_t(std::max(0, tileX)), y = uint16_t(std::max(0, tileY));
    if (IsOwn(owner))
        CharRequests().SendPlayerPosition(x, y, owner->m_direction, m_reportSeq);
    else
        CharRequests().SendControlledCharPosition(owner->GetCharId(), x, y, owner->m_direction, m_reportSeq);
    m_reportSeq = m_reportSeq >= 127 ? 0 : uint8_t(m_reportSeq + 1);
    SetReportedTile(tileX, tileY);
}

bool CCharAction::MoveTo(int32_t tileX, int32_t tileY, float speed) {
    CCharData* data = Data();
    CChar* owner = Owner();
    if (!data || !owner || !m_pPath) return false;
    switch (data->m_motion) {
        case MOTION_DEAD:
        case MOTION_HELD_DOWN:
        case MOTION_LYING:
        case MOTION_SKILL:
        case MOTION_CAST:
            return false;
        default:
            break;
    }
    if (g_config.m_useServer && g_pMap && !g_pMap->IsNoBattleZone() && data->Stamina() < 1 &&
        data->m_motion == MOTION_RUN)
        SetRunning(false);
    m_lastStepTime = plat::timeGetTime();
    tileX = std::max(0, tileX);
    tileY = std::max(0, tileY);
    if (owner->m_x == tileX * 24 && owner->m_y == tileY * 12) return false;
    m_moving = 0;
    m_pPath->SetUserFlag(0);
    if (!m_pPath->FindPath(float(owner->m_x), float(owner->m_y), tileX * 24, tileY * 12, 0)) return false;

    uint32_t motion = MOTION_WALK;
    if (speed != 0.0f) {
        data->m_curSpeed = speed;
    } else if (data->m_runFlag &&
               !(data->m_motion == MOTION_WALK && float(data->Stamina()) < STAMINA_WALK_TO_RUN)) {
        motion = MOTION_RUN;
        data->m_curSpeed = data->m_runSpeed;
    } else {
        data->m_curSpeed = data->m_walkSpeed;
    }
    data->SetMotion(motion);
    if (auto* monster = dynamic_cast<CMonsterChar*>(owner)) {
        if (CAniObject* ani = owner->GetAniObject();
            ani && float(monster->GetValue11()) != data->m_curSpeed * 1000.0f)
            ani->SetScale(1.0f - data->m_curSpeed * 10.0f);
    }
    return true;
}

void CCharAction::StepMove(bool moving) {
    CCharData* data = Data();
    CChar* owner = Owner();
    CCharActionHolder* holder = Holder();
    if (!Grid() || !data || !owner || !m_pPath || !moving) return;
    switch (data->m_motion) {
        case MOTION_SKILL:
        case MOTION_DEAD:
        case MOTION_HELD_DOWN:
        case MOTION_LYING:
        case MOTION_CAST:
            return;
        default:
            break;
    }
    if (holder) holder->m_done = 1;
    if (m_pController) m_pController->m_stepGuardOn = 0;
    SetActiveFlag(&m_moving);
    const float speed = data->GetMoveSpeed();
    if (CAniObject* ani = owner->GetAniObject()) {
        const int32_t wanted = data->m_runFlag ? data->m_runAniMotion : data->m_walkAniMotion;
        if (ani->GetCurrentMotionId() != wanted || ani->m_stopped) {
            ani->SetMotion(uint8_t(wanted));
            ani->Play(true);
        }
    }
    const uint32_t now = plat::timeGetTime();
    const uint32_t elapsed = now - m_lastStepTime;
    m_lastStepTime = now;
    float step = float(elapsed) * speed;
    if (step == 0.0f) return;
    step = std::min(step, MAX_STEP);

    float x = 0, y = 0;
    uint8_t direction = PATH_NO_DIRECTION;
    const bool goesOn = m_pPath->Advance(step, &x, &y, &direction);
    if (!g_pMap->IsPassable(int32_t(x) / 24, int32_t(y) / 12)) {
        x = float(owner->m_x);
        y = float(owner->m_y);
    }
    if (!goesOn) {
        if (direction < 16) {
            if (direction != owner->m_direction) owner->SetDirection(direction);
            owner->SetPosition(int32_t(x), int32_t(y), owner->m_z);
        }
        Stop(true);
        data->SetMotion(data->m_restMotion);
        if (holder) holder->m_done = 1;
    } else {
        if (direction < 16 && direction != owner->m_direction) owner->SetDirection(direction);
        owner->m_x = int32_t(x);
        owner->m_y = int32_t(y);
        owner->m_cellX = owner->m_x / 24;
        owner->m_cellY = owner->m_y / 12;
        owner->PlaceSprite();
        if (IsOwn(owner)) Grid()->SetFocus(x, y);
    }
    if (data->m_motion == MOTION_RUN && now - m_lastFootstep > FOOTSTEP_MS) {
        m_lastFootstep = now;
        SpawnFootstep();
    }
    if (Reports() && !IsVisualEventRunning()) {
        const int32_t tx = int32_t(x) / 24, ty = int32_t(y) / 12;
        const int32_t limit = IsOwn(owner) ? OWN_REPORT_TILES : OTHER_REPORT_TILES;
        if (TilesBetween(ReportedTileX(), ReportedTileY(), tx, ty) > float(limit)) SendPosition(tx, ty);
    }
}

void CCharAction::Stop(bool report) {
    CChar* owner = Owner();
    CCharData* data = Data();
    if (!Grid() || !owner || !data) return;
    data->m_wasMoving = 0;
    const int32_t left = owner->m_cellX * 24, top = owner->m_cellY * 12;
    const int32_t corners[4][2] = {{left, top}, {left + 24, top}, {left, top + 12}, {left + 24, top + 12}};
    int best = 0;
    double bestDistance = 0;
    for (int i = 0; i < 4; ++i) {
        const double dx = double(corners[i][0] - owner->m_x), dy = double(corners[i][1] - owner->m_y);
        const double d = dx * dx + dy * dy;
        if (i == 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    owner->SetPosition(corners[best][0], corners[best][1], owner->m_z);
    if (report && Reports() && !IsVisualEventRunning() &&
        (owner->m_cellX != ReportedTileX() || owner->m_cellY != ReportedTileY()))
        SendPosition(owner->m_cellX, owner->m_cellY);
    ReleaseClaimedCell();
}

void CCharAction::ReleaseClaimedCell() {
    CChar* owner = Owner();
    if (m_cellX < 0 || m_cellY < 0) return;
    if (CMapData* grid = Grid(); grid && owner)
        if (MapCell* cell = grid->GetCell(m_cellX, m_cellY);
            cell && cell->m_occupants[0] == owner->GetCharId())
            cell->m_occupants[0] = 0;
    m_cellX = m_cellY = -1;
}

void CCharAction::ReportTile(int32_t tileX, int32_t tileY) {
    if (IsVisualEventRunning() || !Reports()) return;
    if (tileX == ReportedTileX() && tileY == ReportedTileY()) return;
    SendPosition(tileX, tileY);
}

void CCharAction::HoldCell(int32_t tileX, int32_t tileY) {
    CChar* owner = Owner();
    if (!owner) return;
    ReleaseClaimedCell();
    if (CMapData* grid = Grid())
        if (MapCell* cell = grid->GetCell(tileX / 4, tileY / 4)) {
            cell->m_occupants[0] = owner->GetCharId();
            m_cellX = tileX / 4;
            m_cellY = tileY / 4;
        }
    if (!Reports()) return;
    const uint16_t x = uint16_t(std::max(0, tileX)), y = uint16_t(std::max(0, tileY));
    if (IsOwn(owner)) {
        CCharData* data = Data();
        CharRequests().SendDestination(data ? uint8_t(data->m_moveMode) : 0, x, y);
    } else {
        CharRequests().SendControlledCharDestination(owner->GetCharId(), x, y);
    }
}

void CCharAction::WarpToCell(int32_t tileX, int32_t tileY) {
    CChar* owner = Owner();
    if (!owner) return;
    const int32_t oldX = owner->m_cellX, oldY = owner->m_cellY;
    PlayOnceAtTile(WARP_DUST_ANI, 2, oldX, oldY);
    owner->m_drawOffset[0] = float((oldX - tileX) * 24);
    owner->m_drawOffset[1] = float((oldY - tileY) * 12);
    owner->SetPosition(tileX * 24, tileY * 12, 0);
    ReportTile(tileX, tileY);
}

void CCharAction::SpawnFootstep() {
    CChar* owner = Owner();
    CMapData* grid = Grid();
    if (!owner || !grid || !g_options.GetByte(OPT_FOOTSTEPS) || !g_pAniPlayMgr) return;
    const MapCell* cell = grid->GetCell(owner->m_x / 96, owner->m_y / 48);
    if (!cell) return;
    int32_t kind = -1;
    if (cell->m_attributes & CELL_FOOTSTEP_0) kind = g_pMap->GetFootstepKind(0);
    if (cell->m_attributes & CELL_FOOTSTEP_1) kind = g_pMap->GetFootstepKind(1);
    if (kind < 0 || kind > 2) return;
    if (CharRandom() % 4 >= 2) return;
    PlayOnceAtTile(g_pAniPlayMgr->FindAniByName(FOOTSTEP_ANIS[kind]), 0, owner->m_cellX, owner->m_cellY);
}

void PlayOnceAtTile(uint32_t animation, uint8_t direction, int32_t tileX, int32_t tileY) {
    if (!g_pAniPlayMgr || !animation) return;
    auto* object = new CAniObject;
    if (!object->SetAnimation(animation)) {
        delete object;
        return;
    }
    object->SetMotion(0);
    object->SetDirection(direction);
    object->Play(false);
    g_pAniPlayMgr->AddAtMapPosition(object, tileX * 24, tileY * 12, 0, 1, 1, 0, 0);
}

void CCharAction::RefreshAttachedObjects() {
    CChar* owner = Owner();
    CCharData* data = Data();
    if (!owner || !data) return;
    for (int list = 0; list < ATTACHED_LISTS; ++list)
        if (CCharStatusObject* shown = data->ShownAttached(list)) shown->Follow(owner->m_x, owner->m_y);
}

void CCharAction::DrawAttachedObjects() {
    CCharData* data = Data();
    if (!data) return;
    for (int list = 0; list < ATTACHED_LISTS; ++list)
        if (CCharStatusObject* shown = data->ShownAttached(list)) shown->Draw();
}

// ---- Points to walk to ----

IsoPoint CChar::FindApproachPoint(int32_t distance, int32_t tileX, int32_t tileY, CChar* target) {
    CMapData* grid = Grid();
    if (!grid) return {m_cellX, m_cellY};
    if (target && target->GetAction()) {
        CPathFinder finder;
        if (finder.FindPath(float(tileX * 24), float(tileY * 12), m_x, m_y, 0)) {
            const IsoPoint p =
                PointBackAlongPath(finder, float(tileX * 24), float(tileY * 12), float(distance));
            if (p.x != -1 && p.y != -1) return p;
        }
    }
    const float base = GetAngle(float(m_cellX), float(m_cellY), float(tileX), float(tileY));
    IsoPoint best{m_cellX, m_cellY}, last = best;
    bool found = false;
    float bestDistance = 0;
    const uint32_t targetId = target ? target->GetCharId() : 0;
    for (int k = 0; k < 360; k += 10) {
        const double angle = double(base + float(k)) * RADIANS_PER_DEGREE;
        last = {m_cellX + int32_t(float(distance) * float(std::cos(angle))),
                m_cellY + int32_t(float(distance) * float(std::sin(angle)))};
        const MapCell* cell = grid->GetCell(last.x / 4, last.y / 4);
        if (!cell) continue;
        const bool free = (cell->m_occupants[0] == 0 && cell->m_occupants[1] == 0) ||
                          (target && (cell->m_occupants[0] == targetId || cell->m_occupants[1] == targetId));
        if (!free) continue;
        const float d = TilesBetween(last.x, last.y, tileX, tileY);
        if (!found || d < bestDistance) {
            best = last;
            bestDistance = d;
            found = true;
        }
    }
    return found ? best : last;
}

IsoPoint CChar::FindFleePoint(CChar* from) const {
    if (!from) return {m_cellX, m_cellY};
    const auto [fx, fy] = from->GetMapPoint();
    const double angle =
        double(GetAngle(float(m_cellX), float(m_cellY), float(fx), float(fy)) + 180.0f) * RADIANS_PER_DEGREE;
    return {m_cellX + int32_t(FLEE_TILES * float(std::cos(angle))),
            m_cellY + int32_t(FLEE_TILES * float(std::sin(angle)))};
}

IsoPoint CCharController::FindFreeSpot(int32_t tileX, int32_t tileY) {
    const int32_t cx = tileX / 4, cy = tileY / 4;
    if (!g_pMap) return {-4, -4};
    for (int32_t k = 1; k <= FREE_SPOT_SQUARES; ++k) {
        bool found = false;
        float bestDistance = FREE_SPOT_START;
        IsoPoint best{-1, -1};
        for (int32_t dy = -k; dy <= 2 * k; ++dy)
            for (int32_t dx = -k; dx <= 2 * k; ++dx) {
                const int32_t x = cx + dx, y = cy + dy;
                if (!g_pMap->IsPassableAt(x * 4, y * 4)) continue;
                const float d = TilesBetween(cx, cy, x, y);
                if (d < bestDistance) {
                    bestDistance = d;
                    best = {x, y};
                    found = true;
                }
            }
        if (found) return {best.x * 4, best.y * 4};
    }
    return {-4, -4};
}
