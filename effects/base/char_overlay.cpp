#include "effects/base/char_overlay.h"

#include <cmath>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "anim/render_queue.h"
#include "core/util.h"
#include "data/skill_table_mgr.h"
#include "effects/base/effect_player.h"
#include "platform/clock.h"
#include "world/chars/char.h"
#include "world/chars/char_mgr.h"

namespace {

constexpr double kPi = 3.141592;
constexpr int32_t kGroundLayer = 4;
constexpr int32_t kBodyLayer = 6;
constexpr int32_t kRingRadius = 50;
constexpr int32_t kRingHeight = 20;
constexpr float kMarkStep = 10.0f;
constexpr float kMarkArrival = 10.0f;

double Radians(double degrees) {
    return degrees * kPi / 180.0;
}

bool Finished(const CAniObject* object) {
    return !object || object->m_stopped != 0;
}

// The first angle of the ring now: one degree every 5 ms.
int32_t RingAngle() {
    return int32_t(plat::timeGetTime() / 5 % 360);
}

}  // namespace

// ---- The base ----

CCharOverlay::~CCharOverlay() = default;

bool CCharOverlay::Create() {
    m_hidden = 0;
    m_value = 0;
    m_statusId = 0;
    m_pAni1.reset();
    m_pAni2.reset();
    m_lightId = -1;
    m_pOwner = nullptr;
    m_visible = 0;
    return true;
}

bool CCharOverlay::Release() {
    for (std::unique_ptr<CAniObject>* ani : {&m_pAni1, &m_pAni2}) {
        if (*ani && m_pOwner) m_pOwner->RemoveDrawObject(ani->get());
        ani->reset();
    }
    return true;
}

void CCharOverlay::ShowOverlay() {
    m_hidden = 0;
    m_visible = 1;
}

void CCharOverlay::HideOverlay() {
    m_hidden = 1;
    m_visible = 0;
}

void CCharOverlay::Setup(uint32_t skillId, uint32_t value, CChar* owner) {
    m_statusId = skillId;
    m_value = value;
    m_pOwner = owner;
}

std::unique_ptr<CAniObject> CCharOverlay::MakeFromSkill(bool second, bool loop, int32_t layer) const {
    const int32_t row = g_pSkillTableMgr ? g_pSkillTableMgr->FindRowById(m_statusId) : -1;
    if (row < 0) return nullptr;
    uint16_t index = 0, motion = 0;
    uint8_t direction = 0;
    if (second)
        g_pSkillTableMgr->GetResourceRef57(row, &index, &motion, &direction);
    else
        g_pSkillTableMgr->GetResourceRef56(row, &index, &motion, &direction);
    if (index == 0) return nullptr;
    auto object = std::make_unique<CAniObject>();
    object->SetAnimation(index);
    object->SetMotion(uint8_t(motion));
    object->SetDirection(direction);
    object->m_layer = layer;
    object->Play(loop);
    return object;
}

int32_t CCharOverlay::OwnerTop() const {
    CAniObject* body = m_pOwner ? m_pOwner->GetAniObject() : nullptr;
    return body ? body->GetAniTopExtent() : 0;
}

void CCharOverlay::PlaceAt(CAniObject* object, int32_t height) const {
    if (object && m_pOwner) object->SetMapPosition(m_pOwner->m_x, m_pOwner->m_y, height);
}

// ---- Kinds 1 and 2 ----

void CGroundOverlay::Setup(uint32_t skillId, uint32_t value, CChar* owner) {
    CCharOverlay::Setup(skillId, value, owner);
    m_pAni1 = MakeFromSkill(false, false, kGroundLayer);
    PlaceAt(m_pAni1.get(), 0);
}

void CGroundOverlay::FollowOwner() {
    if (m_visible) PlaceAt(m_pAni1.get(), Height());
}

bool CGroundOverlay::Update() {
    if (!m_pAni1 || !m_pOwner) return false;
    if (!m_visible) return true;
    if (Finished(m_pAni1.get())) m_pAni1->Play(false);
    m_pAni1->Update();
    if (Finished(m_pAni1.get())) {
        m_visible = 0;
        return false;
    }
    return true;
}

bool CGroundOverlay::Draw() {
    if (!m_pAni1 || !m_visible || !m_pOwner || !g_pRenderQueue) return true;
    CCharController* controller = m_pOwner->GetController();
    CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
    if (controller && !controller->IsCharVisible(player)) return true;
    g_pRenderQueue->AddObject(m_pAni1.get());
    return true;
}

void CHeadOverlay::Setup(uint32_t skillId, uint32_t value, CChar* owner) {
    CCharOverlay::Setup(skillId, value, owner);
    m_pAni1 = MakeFromSkill(false, false, kBodyLayer);
    if (!m_pAni1) return;
    PlaceAt(m_pAni1.get(), Height());
    if (m_pOwner) m_pOwner->AddDrawObject(m_pAni1.get());
    m_pAni1->m_hidden = 1;
}

void CHeadOverlay::ShowOverlay() {
    CCharOverlay::ShowOverlay();
    if (!m_pAni1) return;
    m_pAni1->m_hidden = 0;
    PlaceAt(m_pAni1.get(), Height());
}

void CHeadOverlay::HideOverlay() {
    CCharOverlay::HideOverlay();
    if (m_pAni1) m_pAni1->m_hidden = 1;
}

// ---- Kinds 3 and 5 ----

void CBodyOverlay::Setup(uint32_t skillId, uint32_t value, CChar* owner) {
    CCharOverlay::Setup(skillId, value, owner);
    m_pAni1 = MakeFromSkill(false, LoopReplay(), kBodyLayer);
    m_pAni2 = MakeFromSkill(true, LoopReplay(), kGroundLayer);
    for (CAniObject* ani : {m_pAni1.get(), m_pAni2.get()}) {
        if (!ani) continue;
        PlaceAt(ani, OwnerTop() / 2);
        if (m_pOwner) m_pOwner->AddDrawObject(ani);
        ani->m_hidden = 1;
    }
}

void CBodyOverlay::ShowOverlay() {
    CCharOverlay::ShowOverlay();
    // Both at half height; the feet's kind moves back down with the next Follow.
    for (CAniObject* ani : {m_pAni1.get(), m_pAni2.get()}) {
        if (!ani) continue;
        ani->m_hidden = 0;
        PlaceAt(ani, OwnerTop() / 2);
    }
}

void CBodyOverlay::HideOverlay() {
    CCharOverlay::HideOverlay();
    for (CAniObject* ani : {m_pAni1.get(), m_pAni2.get()})
        if (ani) ani->m_hidden = 1;
}

void CBodyOverlay::FollowOwner() {
    for (CAniObject* ani : {m_pAni1.get(), m_pAni2.get()}) PlaceAt(ani, Height());
}

bool CBodyOverlay::Update() {
    if ((!m_pAni1 && !m_pAni2) || !m_pOwner) return false;
    if (!m_visible) return true;
    CAniObject* both[2] = {m_pAni1.get(), m_pAni2.get()};
    for (CAniObject* ani : both)
        if (ani) ani->m_hidden = 0;
    if (Finished(both[0]) && Finished(both[1]))
        for (CAniObject* ani : both)
            if (ani) {
                ani->Play(LoopReplay());
                m_pOwner->AddDrawObject(ani);
            }
    for (CAniObject* ani : both)
        if (ani) ani->Update();
    if (Finished(both[0]) && Finished(both[1])) {
        for (CAniObject* ani : both) m_pOwner->RemoveDrawObject(ani);
        return false;
    }
    return true;
}

// ---- Kind 4 ----

void CTintOverlay::Setup(uint32_t skillId, uint32_t value, CChar* owner) {
    CCharOverlay::Setup(skillId, value, owner);
    const int32_t row = g_pSkillTableMgr ? g_pSkillTableMgr->FindRowById(skillId) : -1;
    m_colourKind = row >= 0 ? uint8_t(g_pSkillTableMgr->GetByte55(row)) : 0;
    static const uint8_t kColours[6][3] = {{30, 30, 30},  {255, 80, 80},  {80, 80, 255},
                                           {80, 255, 80}, {255, 255, 80}, {128, 80, 128}};
    if (m_colourKind >= 1 && m_colourKind <= 6)
        for (int c = 0; c < 3; ++c) m_colour[c] = kColours[m_colourKind - 1][c];
    m_duration = TINT_OVERLAY_MS;
}

void CTintOverlay::ShowOverlay() {
    CCharOverlay::ShowOverlay();
    m_startTime = plat::timeGetTime();
    CAniObject* image = m_pOwner ? m_pOwner->GetAniObject() : nullptr;
    if (!image) return;
    if (m_colourKind == 7) {
        image->SetFlag149(1);
        return;
    }
    image->m_colorSwitch = 1;
    std::copy(m_colour, m_colour + 3, image->m_drawColor);
}

void CTintOverlay::HideOverlay() {
    CCharOverlay::HideOverlay();
    CAniObject* image = m_pOwner ? m_pOwner->GetAniObject() : nullptr;
    if (!image) return;
    image->m_colorSwitch = 0;
    image->SetFlag149(0);
}

bool CTintOverlay::Update() {
    if (!m_visible) return true;
    return plat::timeGetTime() - m_startTime <= m_duration;
}

// ---- Kinds 6 and 7 ----

CRingOverlay::~CRingOverlay() {
    for (auto& ani : m_ring)
        if (ani && g_pAniPlayMgr) g_pAniPlayMgr->RemoveByObject(ani.get());
}

void CRingOverlay::Setup(uint32_t skillId, uint32_t value, CChar* owner) {
    CCharOverlay::Setup(skillId, value, owner);
    m_count = 0;
    SetRingCount(0, false);
}

void CRingOverlay::ShowOverlay() {
    CCharOverlay::ShowOverlay();
    SetRingCount(m_count, false);
}

void CRingOverlay::HideOverlay() {
    CCharOverlay::HideOverlay();
    SetRingCount(0, false);
}

void CRingOverlay::SetRingCount(int32_t count, bool withCast) {
    if (count == m_count) return;
    for (auto& ani : m_ring) {
        if (ani && g_pAniPlayMgr) g_pAniPlayMgr->RemoveByObject(ani.get());
        ani.reset();
    }
    if (count >= RING_SLOTS) count = RING_MOST;
    m_count = count;
    if (count < 1) return;
    if (withCast && m_pOwner && g_pAniPlayMgr)
        if (std::unique_ptr<CAniObject> cast = MakeFromSkill(true, false, kBodyLayer))
            g_pAniPlayMgr->AddOnChar(cast.release(), m_pOwner, 0, 0, 1, 1, 1, 0);
    for (int32_t i = 0; i < m_count; ++i) m_ring[size_t(i)] = MakeFromSkill(false, true, kBodyLayer);
    PlaceRing(true);
}

void CRingOverlay::PlaceRing(bool built) {
    if (!m_pOwner || m_count < 1) return;
    const int32_t first = RingAngle();
    const int32_t spacing = 360 / m_count;
    for (int32_t i = 0; i < m_count; ++i) {
        CAniObject* ani = m_ring[size_t(i)].get();
        if (!ani) continue;
        const double a = Radians(first + i * spacing);
        const int32_t x = int32_t(2.0 * (kRingRadius * std::cos(a) + double(m_pOwner->m_x / 2)));
        const int32_t y = int32_t(double(m_pOwner->m_y) + kRingRadius * std::sin(a));
        int32_t height = 0;
        if (!built)
            height = m_kind == OVERLAY_STRIKE_RING
                         ? kRingHeight
                         : int32_t(kRingHeight * std::sin(Radians(first + i * spacing + 50 * i)));
        ani->SetMapPosition(x, y, height);
    }
}

void CRingOverlay::FollowOwner() {
    PlaceRing(false);
}

bool CRingOverlay::Update() {
    // The ring turns with time, whether or not the owner moved.
    FollowOwner();
    for (int32_t i = 0; i < m_count; ++i)
        if (CAniObject* ani = m_ring[size_t(i)].get()) ani->Update();
    return true;
}

bool CRingOverlay::Draw() {
    if (!g_pRenderQueue) return true;
    for (int32_t i = 0; i < m_count; ++i)
        if (CAniObject* ani = m_ring[size_t(i)].get()) g_pRenderQueue->AddObject(ani);
    return true;
}

void CStrikeRingOverlay::HideOverlay() {
    CRingOverlay::HideOverlay();
    m_hidden = 0;
}

void CStrikeRingOverlay::AddHitMark(uint32_t targetId, uint16_t value) {
    CChar* target = g_pCharMgr ? g_pCharMgr->GetChar(targetId) : nullptr;
    if (!target) return;
    HitMark mark;
    mark.m_pAni = std::make_unique<CAniObject>();
    mark.m_pAni->SetAnimation(HIT_MARK_ANI);
    mark.m_pAni->SetMotion(1);
    mark.m_pAni->SetDirection(2);
    mark.m_pAni->Play(false);
    mark.m_targetId = targetId;
    mark.m_value = value;
    mark.m_startTime = plat::timeGetTime();
    if (CAniObject* first = m_ring[0].get()) {
        mark.m_x = first->m_mapX;
        mark.m_y = first->m_mapY;
        mark.m_height = first->m_mapZ;
    } else if (m_pOwner) {
        mark.m_x = m_pOwner->m_x;
        mark.m_y = m_pOwner->m_y;
        mark.m_height = kRingHeight;
    }
    mark.m_pAni->SetMapPosition(mark.m_x, mark.m_y, mark.m_height);
    m_marks.push_back(std::move(mark));
}

bool CStrikeRingOverlay::Update() {
    CRingOverlay::Update();
    for (size_t i = 0; i < m_marks.size();) {
        HitMark& mark = m_marks[i];
        CChar* target = g_pCharMgr ? g_pCharMgr->GetChar(mark.m_targetId) : nullptr;
        if (!target) {
            m_marks.erase(m_marks.begin() + std::ptrdiff_t(i));
            continue;
        }
        const float mx = float(mark.m_x), my = float(mark.m_y);
        const float tx = float(target->m_x), ty = float(target->m_y);
        if (GetDistance(mx, my, tx, ty) < kMarkArrival) {
            if (CCharAction* action = target->GetAction())
                action->ShowDamageNumber(mark.m_value, false, nullptr);
            ShowHitSpark(target, 0);
            m_marks.erase(m_marks.begin() + std::ptrdiff_t(i));
            continue;
        }
        const double a = Radians(GetAngle(mx, my, tx, ty));
        const float sx = mx + kMarkStep * float(std::cos(a)), sy = my + kMarkStep * float(std::sin(a));
        if (GetDistance(mx, my, sx, sy) <= GetDistance(mx, my, tx, ty)) {
            mark.m_x = int32_t(sx);
            mark.m_y = int32_t(sy);
            mark.m_pAni->SetMapPosition(mark.m_x, mark.m_y, mark.m_height);
            mark.m_pAni->Update();
        }
        ++i;
    }
    return true;
}

bool CStrikeRingOverlay::Draw() {
    CRingOverlay::Draw();
    for (HitMark& mark : m_marks) mark.m_pAni->Draw();
    return true;
}

// ---- The maker ----

std::unique_ptr<CCharOverlay> MakeCharOverlay(int32_t kind, uint32_t skillId, uint32_t value, CChar* owner) {
    std::unique_ptr<CCharOverlay> overlay;
    switch (kind) {
        case OVERLAY_GROUND:
            overlay = std::make_unique<CGroundOverlay>();
            break;
        case OVERLAY_HEAD:
            overlay = std::make_unique<CHeadOverlay>();
            break;
        case OVERLAY_BODY:
            overlay = std::make_unique<CBodyOverlay>();
            break;
        case OVERLAY_TINT:
            overlay = std::make_unique<CTintOverlay>();
            break;
        case OVERLAY_FOOT:
            overlay = std::make_unique<CFootOverlay>();
            break;
        case OVERLAY_RING:
            overlay = std::make_unique<CRingOverlay>();
            break;
        case OVERLAY_STRIKE_RING:
            overlay = std::make_unique<CStrikeRingOverlay>();
            break;
        default:
            return nullptr;
    }
    overlay->Create();
    overlay->Setup(skillId, value, owner);
    return overlay;
}
