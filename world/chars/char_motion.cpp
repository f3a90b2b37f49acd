// The action object's frame: each motion's step, the one-shot motions that
// return to rest when their animation has finished, the rest handling, and
// the status objects attached to the character.
#include <cmath>
#include <cstdlib>

#include "anim/ani_object.h"
#include "core/util.h"
#include "data/skill_table_mgr.h"
#include "platform/clock.h"
#include "ui/base_window.h"
#include "ui/window_mgr.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"
#include "world/chars/char_services.h"
#include "world/chars/hud_windows.h"

namespace {

constexpr float KNOCK_BACK = 50.0f;
constexpr int32_t IDLE_REPLAY_CHANCE = 100;

bool AnimationFinished(CChar* owner) {
    CAniObject* ani = owner ? owner->GetAniObject() : nullptr;
    return !ani || ani->m_stopped != 0;
}

}  // namespace

int32_t CharRandom() {
    return std::rand();
}

// ---- Attached status objects ----

bool CCharData::AttachStatusObject(int list, std::unique_ptr<CCharStatusObject> object) {
    if (list < 0 || list >= ATTACHED_LISTS || !object) return false;
    m_attached[list].push_back(std::move(object));
    if (!m_shownAttached[list]) {
        m_shownAttached[list] = m_attached[list].front().get();
        m_shownAttached[list]->Show();
    }
    return true;
}

CCharStatusObject* CCharData::FindAttachedById(uint32_t statusId) const {
    for (const auto& list : m_attached)
        for (const auto& object : list)
            if (object->m_statusId == statusId) return object.get();
    return nullptr;
}

namespace {

// The user's own character tells its status icon window (as the caller
// says) and its character info window's entry; windows that are not there
// are not told.
template <class TellIcons>
void TellStatusViews(CChar* owner, uint32_t statusId, TellIcons tellIcons) {
    if (!owner || !g_pCharMgr || g_pCharMgr->GetPlayer() != owner) return;
    if (g_pWindowMgr)
        if (auto* icons =
                dynamic_cast<IStatusIconView*>(g_pWindowMgr->FindWindowByName(STATUS_ICON_WINDOW_NAME)))
            tellIcons(*icons);
    if (CCharAction* action = owner->GetAction())
        if (auto* info = dynamic_cast<ISkillEntryView*>(action->HudWindow(HUD_CHAR_INFO)))
            info->RefreshSkillEntry(statusId);
}

}  // namespace

void CCharData::UpdateStatusIcon(uint32_t value, uint32_t statusId, uint32_t extra) {
    if (CCharStatusObject* object = FindAttachedById(statusId)) {
        object->m_value = value;
        object->m_statusId = statusId;
    }
    TellStatusViews(m_pController ? m_pController->Owner() : nullptr, statusId,
                    [&](IStatusIconView& icons) { icons.AddStatusIcon(value, statusId, extra); });
}

void CCharData::StatusRemoved(uint32_t statusId) {
    TellStatusViews(m_pController ? m_pController->Owner() : nullptr, statusId,
                    [&](IStatusIconView& icons) { icons.RemoveStatusIcon(statusId); });
}

bool CCharData::BeginSkillState(uint32_t skillId, uint32_t value) {
    if (FindAttachedById(skillId)) return false;
    CChar* owner = m_pController ? m_pController->Owner() : nullptr;
    ICharEffects* effects = GetCharEffects();
    const int32_t row = g_pSkillTableMgr ? g_pSkillTableMgr->FindRowById(skillId) : -1;
    if (!owner || !effects || row < 0) return false;
    bool made = false;
    auto add = [&](int32_t kind) {
        std::unique_ptr<CCharStatusObject> overlay = effects->MakeOverlay(kind, skillId, value, owner);
        if (!overlay) return;
        overlay->m_statusId = skillId;
        overlay->m_value = value;
        CCharStatusObject* added = overlay.get();
        const int list = kind - 1;
        const bool shows = m_shownAttached[list] == nullptr;
        if (!AttachStatusObject(list, std::move(overlay))) return;
        if (shows) added->ShowOverlay();
        made = true;
    };
    if (g_pSkillTableMgr->GetByte55(row) != 0) add(OVERLAY_KIND_TINT);
    const int32_t kind = g_pSkillTableMgr->GetOverlayKind(row);
    if (kind >= 1 && kind <= ATTACHED_LISTS) add(kind);
    if (made && g_pCharMgr && g_pCharMgr->GetPlayer() == owner && g_pWindowMgr)
        if (auto* icons =
                dynamic_cast<IStatusIconView*>(g_pWindowMgr->FindWindowByName(STATUS_ICON_WINDOW_NAME)))
            icons->AddStatusIcon(skillId, skillId, 0);
    return made;
}

void CCharData::EndSkillState(uint32_t skillId) {
    for (int list = 0; list < ATTACHED_LISTS; ++list) {
        auto& objects = m_attached[list];
        for (size_t at = 0; at < objects.size();) {
            if (objects[at]->m_statusId != skillId) {
                ++at;
                continue;
            }
            std::unique_ptr<CCharStatusObject> ended = std::move(objects[at]);
            objects.erase(objects.begin() + std::ptrdiff_t(at));
            if (m_shownAttached[list] == ended.get()) {
                m_shownAttached[list] = nullptr;
                if (!objects.empty()) {
                    m_shownAttached[list] = objects[at < objects.size() ? at : 0].get();
                    m_shownAttached[list]->Show();
                    m_shownAttached[list]->ShowOverlay();
                }
            }
            ended->Release();
        }
    }
}

void CCharData::UpdateAttached() {
    for (int list = 0; list < ATTACHED_LISTS; ++list) {
        CCharStatusObject* shown = m_shownAttached[list];
        if (!shown || shown->Update()) continue;
        auto& objects = m_attached[list];
        size_t at = 0;
        while (at < objects.size() && objects[at].get() != shown) ++at;
        // Out of the list and the slot first; deleted last.
        std::unique_ptr<CCharStatusObject> ended;
        if (at < objects.size()) {
            ended = std::move(objects[at]);
            objects.erase(objects.begin() + std::ptrdiff_t(at));
        }
        m_shownAttached[list] = nullptr;
        if (!objects.empty()) {
            m_shownAttached[list] = objects[at < objects.size() ? at : 0].get();
            m_shownAttached[list]->Show();
            m_shownAttached[list]->ShowOverlay();
        }
        ended.reset();
    }
}

// ---- The frame ----

void CCharAction::SetActiveFlag(uint8_t* flag) {
    if (m_pActiveFlag && m_pActiveFlag != flag) *m_pActiveFlag = 0;
    m_pActiveFlag = flag;
    if (flag) *flag = 1;
}

void CCharAction::ReturnToRest() {
    CCharData* data = Data();
    if (!data) return;
    data->SetMotion(data->m_restMotion);
    if (CCharActionHolder* holder = Holder()) holder->m_done = 1;
}

void CCharAction::UpdateMotion(bool moving) {
    CCharData* data = Data();
    if (!data) return;
    switch (data->m_motion) {
        case MOTION_WALK:
        case MOTION_RUN:
            StepMove(moving);
            break;
        case MOTION_HELD_DOWN:
            EnterHeldDown();
            break;
        case MOTION_HIT:
            TakeHit();
            break;
        case MOTION_DEAD:
            Die();
            break;
        case MOTION_ONCE_18:
            PlayMotion18(false);
            break;
        case MOTION_VANISH:
            Vanish();
            break;
        case MOTION_APPEAR:
            Appear();
            break;
        case MOTION_PUSHED:
            Push();
            break;
        case MOTION_TIMED:
            PlayTimedMotion(m_timedDuration);
            break;
        case MOTION_CHOSEN:
            if (AnimationFinished(Owner())) Idle();
            break;
        case MOTION_STAND:
            Idle();
            break;
        case MOTION_LYING:
            EnterLying();
            break;
        case MOTION_CAST:
            CastStep();
            break;
        default:
            // 102 is carried by the running skill action.
            break;
    }
    data->UpdateAttached();
}

void CCharAction::Push() {
    if (m_dashing) Dash(-1, -1);
}

void CCharAction::EnterHeldDown() {
    CCharData* data = Data();
    if (!data) return;
    data->m_restPoseFlag = 0;
    data->SetMotion(MOTION_HELD_DOWN);
}

void CCharAction::EnterLying() {
    CCharData* data = Data();
    if (!data) return;
    data->m_restPoseFlag = 0;
    data->SetMotion(MOTION_LYING);
}

void CCharAction::TakeHit() {
    CCharData* data = Data();
    CCharActionHolder* holder = Holder();
    if (!data) return;
    switch (data->m_motion) {
        case MOTION_SKILL:
        case 4:
        case MOTION_PUSHED:
        case MOTION_DEAD:
        case MOTION_HELD_DOWN:
        case MOTION_LYING:
            return;
        case MOTION_HIT:
            if (AnimationFinished(Owner())) ReturnToRest();
            return;
        default:
            m_hitWasMoving = data->m_motion == MOTION_WALK || data->m_motion == MOTION_RUN;
            if (holder) holder->m_done = 0;
            data->SetMotion(MOTION_HIT);
            m_secondHit = 0;
            ++m_hitReactions;
            return;
    }
}

void CCharAction::Vanish() {
    CCharData* data = Data();
    if (!data) return;
    if (data->m_motion != MOTION_VANISH) {
        if (data->m_hiddenMark) return;
        data->SetMotion(MOTION_VANISH);
        return;
    }
    if (AnimationFinished(Owner())) {
        data->m_hiddenMark = 1;
        ReturnToRest();
    }
}

void CCharAction::Appear() {
    CCharData* data = Data();
    if (!data) return;
    if (data->m_motion != MOTION_APPEAR) {
        if (!data->m_hiddenMark) return;
        data->SetMotion(MOTION_APPEAR);
        data->m_hiddenMark = 0;
        return;
    }
    if (AnimationFinished(Owner())) ReturnToRest();
}

void CCharAction::PlayMotion17(bool start) {
    CCharData* data = Data();
    if (data && start) data->SetMotion(MOTION_ONCE_17);
}

void CCharAction::PlayMotion18(bool start) {
    CCharData* data = Data();
    if (!data) return;
    if (start) {
        data->m_hiddenMark = 0;
        data->SetMotion(MOTION_ONCE_18);
    } else if (data->m_motion == MOTION_ONCE_18 && AnimationFinished(Owner())) {
        ReturnToRest();
    }
}

void CCharAction::PlayMotion107(uint8_t aniMotion) {
    CCharData* data = Data();
    CChar* owner = Owner();
    if (!data || !owner) return;
    data->SetMotion(MOTION_CHOSEN);
    if (CAniObject* ani = owner->GetAniObject()) {
        ani->SetMotion(aniMotion);
        ani->ResetLayers();
        ani->Play(false);
    }
}

void CCharAction::PlayTimedMotion(uint32_t durationMs) {
    CCharData* data = Data();
    CChar* owner = Owner();
    CCharActionHolder* holder = Holder();
    if (!data || !owner) return;
    const uint32_t now = plat::timeGetTime();
    if (data->m_motion != MOTION_TIMED) {
        if (CAniObject* ani = owner->GetAniObject()) ani->ResetLayers();
        data->SetMotion(MOTION_TIMED);
        SetActiveFlag(&m_timedFlag);
        m_timedDuration = durationMs;
        m_timedStart = now;
        if (holder) holder->m_done = 0;
        return;
    }
    // A motion of 0 ms ends on the frame after it started.
    if (now - m_timedStart > m_timedDuration || m_timedDuration == 0) {
        if (data->m_motion != MOTION_DEAD && data->m_motion != MOTION_HELD_DOWN &&
            data->m_motion != MOTION_LYING)
            data->SetMotion(data->m_restMotion);
        if (holder) holder->m_done = 1;
    }
}

void CCharAction::Idle() {
    CCharData* data = Data();
    CChar* owner = Owner();
    if (!data || !owner) return;
    switch (data->m_motion) {
        case MOTION_HELD_DOWN:
        case MOTION_LYING:
        case MOTION_SKILL:
        case MOTION_CAST:
        case MOTION_DEAD:
            return;
        default:
            break;
    }
    const bool first = m_pActiveFlag != &m_idleStarted;
    SetActiveFlag(&m_idleStarted);
    if (first) {
        data->SetMotion(data->m_restMotion);
        Stop(false);
    }
    if (data->m_motion != data->m_restMotion) {
        Stop(false);
        data->SetMotion(data->m_restMotion);
    }
    CAniObject* ani = owner->GetAniObject();
    if (!ani || !ani->m_stopped) return;
    auto* npc = dynamic_cast<CNpcChar*>(owner);
    if ((npc && npc->GetFlag10()) || CharRandom() % IDLE_REPLAY_CHANCE == 0) {
        ani->ResetLayers();
        ani->Play(false);
    }
}

void CCharAction::KnockBackTarget(CChar* target) {
    CChar* owner = Owner();
    if (!owner || !target) return;
    const double angle =
        double(GetAngle(float(owner->m_x), float(owner->m_y), float(target->m_x), float(target->m_y))) *
        3.14159265358979 / 180.0;
    target->m_drawOffset[0] = float(KNOCK_BACK * std::cos(angle));
    target->m_drawOffset[1] = float(KNOCK_BACK * std::sin(angle));
}

void CCharAction::FaceTo(int32_t tileX, int32_t tileY) {
    CChar* owner = Owner();
    if (!owner) return;
    const int direction =
        GetDirection(float(owner->m_cellX), float(owner->m_cellY), float(tileX), float(tileY)) & ~1;
    owner->SetDirection(uint8_t(direction));
}

void CCharAction::FaceToChar(CChar* other) {
    if (other) FaceTo(other->m_cellX, other->m_cellY);
}
