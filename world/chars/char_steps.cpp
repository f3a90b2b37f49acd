#include "world/chars/char_steps.h"

#include <algorithm>
#include <cmath>

#include "data/item_object.h"
#include "platform/clock.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"
#include "world/chars/char_services.h"
#include "world/map/map.h"

namespace {

constexpr int32_t MIN_APPROACH_TILES = 4;
constexpr float FOLLOW_NEAR_TILES = 5.0f;

// The distance two characters keep when one walks up to the other: their
// body sizes added, whole tiles, at least 4.
int32_t ApproachDistance(const CChar* a, const CChar* b) {
    return std::max(MIN_APPROACH_TILES, int32_t(a->m_bodySize + b->m_bodySize));
}

}  // namespace

float TileDistance(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const double dx = double(x2 - x1), dy = double(y2 - y1);
    return float(std::sqrt(dx * dx + dy * dy));
}

// ---- Base ----

void CCharStep::Begin() {
    m_started = 1;
    m_done = 0;
    m_period = STEP_PERIOD_MS;
    m_lastRetarget = plat::timeGetTime();
}

CChar* CCharStep::Self() const {
    return m_pHolder && m_pHolder->m_pController ? m_pHolder->m_pController->Owner() : nullptr;
}

// ---- Walk ----

CWalkStep::CWalkStep(CCharActionHolder* holder, int32_t tileX, int32_t tileY, int32_t distance)
    : CCharStep(holder), m_mode(MODE_TILE), m_distance(distance), m_tileX(tileX), m_tileY(tileY) {}

CWalkStep::CWalkStep(CCharActionHolder* holder, uint32_t targetId, uint8_t targetKind, int32_t distance,
                     uint8_t run, bool away)
    : CCharStep(holder),
      m_mode(away ? MODE_AWAY : MODE_TARGET),
      m_distance(distance),
      m_targetId(targetId),
      m_targetKind(targetKind),
      m_run(run) {}

bool CWalkStep::RefreshGoal() {
    CChar* self = Self();
    if (!self) return false;
    if (m_mode == MODE_TILE) return true;
    if (m_mode == MODE_AWAY) {
        CChar* target = g_pCharMgr ? g_pCharMgr->GetChar(m_targetId) : nullptr;
        if (!target) return false;
        const IsoPoint p = self->FindFleePoint(target);
        m_tileX = p.x;
        m_tileY = p.y;
        return true;
    }
    if (m_targetKind <= STEP_TARGET_CHAR_MAX) {
        CChar* target = g_pCharMgr ? g_pCharMgr->GetChar(m_targetId) : nullptr;
        if (!target) return false;
        const IsoPoint p =
            target->FindApproachPoint(ApproachDistance(self, target), self->m_cellX, self->m_cellY, self);
        m_tileX = p.x;
        m_tileY = p.y;
        return true;
    }
    if (m_targetKind == STEP_TARGET_FIELD_OBJECT) {
        CItemObject* object = g_pMap ? g_pMap->FindFieldObject(m_targetId) : nullptr;
        if (!object) return false;
        const auto [x, y] = object->GetMapPoint();
        if (x < 0 || y < 0) return false;
        m_tileX = x;
        m_tileY = y;
        return true;
    }
    return false;
}

void CWalkStep::Go() {
    CChar* self = Self();
    CCharAction* action = self ? self->GetAction() : nullptr;
    if (!action) return;
    if (m_explicit)
        action->MoveTo(int32_t(m_point.x), int32_t(m_point.y));
    else if (self->m_reportFlag && g_pCharMgr && g_pCharMgr->GetPlayer() != self)
        action->HoldCell(m_tileX, m_tileY);  // the server moves it
    else
        action->MoveTo(m_tileX, m_tileY);
}

bool CWalkStep::Update() {
    if (m_done) return true;
    if (m_started) return true;
    Begin();
    if (!RefreshGoal()) {
        Finish();
        return true;
    }
    Go();
    return true;
}

void CWalkStep::Retarget(int which) {
    CChar* self = Self();
    CCharController* controller = self ? self->GetController() : nullptr;
    CCharAction* action = self ? self->GetAction() : nullptr;
    if (!controller || !action) return;
    const uint32_t now = plat::timeGetTime();
    if (now - m_lastRetarget < m_period) return;
    m_lastRetarget = now;
    if (which == 1) {
        CChar* followed = g_pCharMgr ? g_pCharMgr->GetChar(controller->m_followSource) : nullptr;
        if (!followed || TileDistance(self->m_cellX, self->m_cellY, followed->m_cellX, followed->m_cellY) <
                             FOLLOW_NEAR_TILES) {
            action->ReportTile(self->m_cellX, self->m_cellY);
            return;
        }
        const IsoPoint p =
            followed->FindApproachPoint(ApproachDistance(self, followed), self->m_cellX, self->m_cellY, self);
        m_tileX = p.x;
        m_tileY = p.y;
    } else {
        CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
        const IsoPoint p = self->FindFleePoint(player);
        m_tileX = p.x;
        m_tileY = p.y;
    }
    action->HoldCell(m_tileX, m_tileY);
}

bool CWalkStep::IsArrived() {
    CChar* self = Self();
    CCharData* data = self ? self->GetData() : nullptr;
    if (!data) {
        Finish();
        return true;
    }
    if (data->m_followFlags[0]) {
        Retarget(1);
        return false;
    }
    if (data->m_followFlags[1]) {
        Retarget(2);
        return false;
    }
    if (m_mode == MODE_TILE) {
        if (data->m_motion != MOTION_WALK && data->m_motion != MOTION_RUN) Finish();
        return m_done != 0;
    }
    const int32_t oldX = m_tileX, oldY = m_tileY;
    if (!RefreshGoal()) {
        Finish();
        return true;
    }
    if (TileDistance(m_tileX, m_tileY, self->m_cellX, self->m_cellY) <= float(m_distance)) {
        Finish();
        return true;
    }
    // A target that moved is walked after once a period.
    const uint32_t now = plat::timeGetTime();
    if ((m_tileX != oldX || m_tileY != oldY) && now - m_lastRetarget >= m_period) {
        m_lastRetarget = now;
        Go();
    }
    return m_done != 0;
}

// ---- Pick-up ----

bool CPickUpStep::GoTo(int32_t tileX, int32_t tileY) {
    CChar* self = Self();
    if (!self || TileDistance(self->m_cellX, self->m_cellY, tileX, tileY) > PICK_UP_NEAR_TILES) return false;
    CItemObject* object = g_pMap ? g_pMap->FindFieldObject(m_objectId) : nullptr;
    if (object && object->GetMapPoint() == std::make_pair(tileX, tileY))
        CharRequests().SendPickUp(m_objectId);
    return true;
}

bool CPickUpStep::Update() {
    if (m_done) return true;
    CChar* self = Self();
    CItemObject* object = g_pMap ? g_pMap->FindFieldObject(m_objectId) : nullptr;
    const auto [x, y] = object ? object->GetMapPoint() : std::make_pair(-1, -1);
    CCharAction* action = self ? self->GetAction() : nullptr;
    CCharData* data = self ? self->GetData() : nullptr;
    if (!action || !data || x < 0 || y < 0) {
        Finish();  // taken by someone else, or never there
        return true;
    }
    const bool moving = data->m_motion == MOTION_WALK || data->m_motion == MOTION_RUN;
    if (m_walking && moving) return true;  // far: asked on arrival
    if (GoTo(x, y)) {
        Finish();
        return true;
    }
    // Far: walk there; a walk that ends short of it gives up.
    if (m_walking || !action->MoveTo(x, y)) Finish();
    m_walking = 1;
    return true;
}
