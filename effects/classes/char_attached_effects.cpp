#include "effects/classes/char_attached_effects.h"

#include <algorithm>
#include <cstdlib>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "anim/render_queue.h"
#include "core/util.h"
#include "effects/base/effect_player_mgr.h"
#include "graphics/display_settings.h"
#include "net/handlers/char_records.h"
#include "platform/clock.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"

namespace {

constexpr uint32_t LAYER_FRONT = 6;
constexpr uint32_t LAYER_BACK = 4;
constexpr uint32_t LAYER_BANNER = 7;
constexpr uint32_t STEP_MS = 33;
constexpr int32_t BANNER_ARRIVAL = 5;
constexpr uint8_t HIT_FRAME_AURA_MOTION = 11;
constexpr uint8_t SHAKE_MOTION = 5;
constexpr uint32_t SHAKE_ANI_MOTION = 12;
constexpr uint8_t BAND_MOTIONS[4] = {4, 20, 21, 22};

CChar* FindChar(uint32_t id) {
    return g_pCharMgr ? g_pCharMgr->GetChar(id) : nullptr;
}

bool Finished(const CAniObject* object) {
    return !object || object->m_stopped != 0;
}

// The caster turns toward the use's target cell.
void FaceCell(CChar* caster, const CSkillHitMsg* record) {
    if (CCharAction* action = caster ? caster->GetAction() : nullptr; action && record)
        action->FaceTo(int32_t(record->m_x), int32_t(record->m_y));
}

// A pulse on the character, handed to the play manager and kept in its draw list.
void PulseOnChar(std::unique_ptr<CAniObject> object, CChar* character) {
    if (!object || !character || !g_pAniPlayMgr) return;
    AttachPlayEntryToChar(character, g_pAniPlayMgr->AddOnChar(object.release(), character, 0, 0, 1, 1, 1, 0));
}

}  // namespace

CChar* CCharUseEffect::UseCaster() {
    CChar* caster = CasterById();
    if (m_pSkillAction && TargetCount() > 0 && caster) return caster;
    End();
    return nullptr;
}

// ---- Animations in a character's draw list ----

CAttachedAni::CAttachedAni(std::unique_ptr<CAniObject> object, CChar* character)
    : m_pObject(std::move(object)), m_charId(character ? character->GetCharId() : 0) {
    if (m_pObject && character) character->AddDrawObject(m_pObject.get());
}

CAttachedAni::CAttachedAni(CAttachedAni&& other) noexcept
    : m_pObject(std::move(other.m_pObject)), m_charId(other.m_charId) {}

CAttachedAni& CAttachedAni::operator=(CAttachedAni&& other) noexcept {
    if (this != &other) {
        Reset();
        m_pObject = std::move(other.m_pObject);
        m_charId = other.m_charId;
    }
    return *this;
}

CAttachedAni::~CAttachedAni() {
    Reset();
}

void CAttachedAni::Reset() {
    if (m_pObject && m_charId)
        if (CChar* character = FindChar(m_charId)) character->RemoveDrawObject(m_pObject.get());
    m_pObject.reset();
    m_charId = 0;
}

// ---- Ids 7, 23 and 38 ----

CCastingAuraEffect::CCastingAuraEffect() {
    Start();
}

void CCastingAuraEffect::CreateAura(CChar* caster) {
    m_aura = CAttachedAni(CreateAniObject(CASTING_AURA_ANI, 0, 2, 1, 1, LAYER_BACK), caster);
}

bool CCastingAuraEffect::Process() {
    if (IsFinished()) return true;
    CChar* caster = CasterById();
    if (!m_aura) CreateAura(caster);
    if (!caster) {
        End();
        return true;
    }
    switch (m_phase) {
        case PHASE_FADE_IN:
            CheckFadeIn();
            break;
        case PHASE_FADE_OUT:
            CheckFadeOut();
            break;
        default:
            SteadyStep();
            break;
    }
    if (!IsFinished()) FollowCaster(caster);
    return true;
}

void CCastingAuraEffect::CheckFadeIn() {
    if (plat::timeGetTime() - m_fadeInStart > AURA_FADE_MS) m_phase = PHASE_STEADY;
}

void CCastingAuraEffect::CheckFadeOut() {
    if (plat::timeGetTime() - m_fadeOutStart > AURA_FADE_MS) End();
}

void CCastingAuraEffect::FollowCaster(CChar* caster) {
    PlaceOnChar(m_aura.Get(), caster);
}

void CCastingAuraEffect::ResetPhase() {
    m_fadeInStart = plat::timeGetTime();
    m_phase = PHASE_FADE_IN;
}

void CCastingAuraEffect::NextPhase() {
    m_fadeOutStart = plat::timeGetTime();
    m_phase = PHASE_FADE_OUT;
}

uint32_t CCastingAuraEffect::AuraAlpha() const {
    const uint32_t now = plat::timeGetTime();
    double f = 1.0;
    if (m_phase == PHASE_FADE_IN) f = double(now - m_fadeInStart) * 0.001;
    if (m_phase == PHASE_FADE_OUT) f = 1.0 - double(now - m_fadeOutStart) * 0.001;
    return uint32_t(std::clamp(f, 0.0, 1.0) * 255.0);
}

bool CCastingAuraEffect::Draw() {
    if (m_aura) m_aura->m_alpha = uint16_t(AuraAlpha());
    return true;
}

bool CCastingAuraEffect::End() {
    CEffectPlayer::End();
    if (g_pEffectPlayerMgr) g_pEffectPlayerMgr->QueueRemoval(this);
    return true;
}

void CCastingAuraPulseEffect::ResetPhase() {
    CCastingAuraEffect::ResetPhase();
    PulseOnChar(CreateAniObject(CASTING_PULSE_ANI, 0, 2, 1, 0, LAYER_FRONT), CasterById());
}

CCastingBannerEffect::CCastingBannerEffect() : m_stepTime(plat::timeGetTime()) {}

void CCastingBannerEffect::CreateAura(CChar* caster) {
    CCastingAuraEffect::CreateAura(caster);
    m_pBanner = CreateAniObject(BANNER_ANI, 1, 2, 1, 1, LAYER_BANNER);
    // Just above the top edge of the screen.
    m_bannerY = -m_pBanner->GetAniTopExtent();
}

int32_t CCastingBannerEffect::BannerAlpha() const {
    if (!m_arrived) return 255;
    return std::max(0, int32_t(m_arrivalStep - m_steps) * 10 + 255);
}

void CCastingBannerEffect::CheckFadeOut() {
    if (plat::timeGetTime() - m_fadeOutStart > AURA_FADE_MS && BannerAlpha() == 0) End();
}

void CCastingBannerEffect::FollowCaster(CChar* caster) {
    CCastingAuraEffect::FollowCaster(caster);
    const CDisplaySettings& screen = GetDisplaySettings();
    const int32_t middle = screen.screenHeight / 2;
    const uint32_t now = plat::timeGetTime();
    const uint32_t steps = (now - m_stepTime) / STEP_MS;
    m_stepTime = now - (now - m_stepTime) % STEP_MS;
    for (uint32_t i = 0; i < steps; ++i) {
        ++m_steps;
        if (m_steps % 2 == 0) m_bannerY += (middle - m_bannerY) / 2;
        if (!m_arrived && std::abs(middle - m_bannerY) < BANNER_ARRIVAL) {
            m_arrived = 1;
            m_arrivalStep = m_steps;
        }
    }
    if (!m_pBanner) return;
    m_pBanner->SetScreenPosition(screen.screenWidth / 2, m_bannerY, 0);
    m_pBanner->Update();
    m_pBanner->m_alpha = uint16_t(BannerAlpha());
}

bool CCastingBannerEffect::Draw() {
    CCastingAuraEffect::Draw();
    // Only the casting player sees the banner.
    CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
    if (m_pBanner && player && player->GetCharId() == m_casterId && g_pRenderQueue)
        g_pRenderQueue->AddObject(m_pBanner.get());
    return true;
}

// ---- Id 8 ----

CDoubleAuraEffect::CDoubleAuraEffect() {
    Start();
}

void CDoubleAuraEffect::CreateAuras(CChar* caster) {
    m_first = CAttachedAni(CreateAniObject(DOUBLE_AURA_FRONT_ANI, 0, 2, 1, 0, LAYER_FRONT), caster);
    m_second = CAttachedAni(CreateAniObject(DOUBLE_AURA_BACK_ANI, 0, 2, 1, 0, LAYER_BACK), caster);
}

bool CDoubleAuraEffect::Process() {
    if (IsFinished()) return true;
    CChar* caster = CasterById();
    if (!caster) {
        End();
        return true;
    }
    if (!m_first) CreateAuras(caster);
    PlaceOnChar(m_first.Get(), caster);
    PlaceOnChar(m_second.Get(), caster);
    if (Finished(m_first.Get()) && Finished(m_second.Get())) End();
    return true;
}

// ---- Ids 11 and 36 ----

void CHitFrameAuraEffect::CreateAura(CChar* caster) {
    std::unique_ptr<CAniObject> aura = CreateAniObject(AuraAnimation(), 0, 2, 1, 0, LAYER_FRONT);
    aura->SetDrawOn(false);
    m_aura = CAttachedAni(std::move(aura), caster);
}

bool CHitFrameAuraEffect::Process() {
    if (IsFinished()) return true;
    CChar* caster = UseCaster();
    if (!caster) return true;
    if (!IsStarted()) {
        CreateAura(caster);
        m_shown = 0;
        PlayCasterMotion(caster, HIT_FRAME_AURA_MOTION);
        Start();
        return true;
    }
    if (!m_shown && ConsumeHitFlag2(caster)) {
        m_shown = 1;
        if (m_aura) m_aura->SetDrawOn(true);
    }
    if (m_aura && Finished(m_aura.Get())) {
        m_aura.Reset();
        End();
        return true;
    }
    PlaceOnChar(m_aura.Get(), caster);
    return true;
}

// ---- Ids 12 and 17 ----

void CLevelAuraEffect::BuildHitLists() {
    const CSkillHitMsg* record = Record();
    m_distinctCount = 0;
    for (size_t n = 0; n < TargetCount(); ++n) {
        const uint32_t id = record->m_targetIds[n];
        int32_t i = 0;
        while (i < m_distinctCount && m_distinctIds[i] != id) ++i;
        if (i == m_distinctCount) m_distinctIds[m_distinctCount++] = id;
        // Past ten values a target keeps its hits (each lands its own entry
        // of the record), never reaching another target's values.
        if (m_hitCounts[i] < MAX_HITS_PER_TARGET)
            m_hitValues[i][m_hitCounts[i]] = int32_t(record->m_targetValues[n]);
        ++m_hitCounts[i];
    }
}

void CLevelAuraEffect::SelectBand() {
    const int32_t level = Record() ? int32_t(Record()->m_level) + 1 : 1;
    m_band = level < 4 ? 0 : level <= 6 ? 1 : level <= 9 ? 2 : 3;
    m_motionId = BAND_MOTIONS[m_band];
}

void CLevelBurstEffect::SelectBand() {
    const int32_t level = Record() ? int32_t(Record()->m_level) + 1 : 1;
    m_band = level < 6 ? 0 : level <= 10 ? 1 : level <= 15 ? 2 : 3;
    m_motionId = BAND_MOTIONS[m_band];
}

void CLevelAuraEffect::Begin(CChar* caster) {
    BuildHitLists();
    SelectBand();
    FaceCell(caster, Record());
    PlayCasterMotion(caster, m_motionId);
    CAniObject* body = caster->GetAniObject();
    m_aura = CAttachedAni(
        CreateAniObject(LEVEL_AURA_ANI, m_band, body ? body->m_direction : 2, 1, 0, LAYER_FRONT), caster);
}

void CLevelBurstEffect::Begin(CChar* caster) {
    BuildHitLists();
    SelectBand();
    FaceCell(caster, Record());
    PlayCasterMotion(caster, m_motionId);
    PulseOnChar(CreateAniObject(CASTING_PULSE_ANI, 1, 2, 1, 0, LAYER_FRONT), caster);
}

void CLevelAuraEffect::HitStep(CChar* caster) {
    if (!ConsumeHitFlag(caster)) return;
    for (int32_t i = 0; i < m_distinctCount; ++i)
        if (m_hitStep < m_hitCounts[i])
            ApplyHit(caster, FindChar(m_distinctIds[i]), 0,
                     uint32_t(m_hitValues[i][m_hitStep < MAX_HITS_PER_TARGET ? m_hitStep : 0]));
    ++m_hitStep;
}

bool CLevelAuraEffect::Process() {
    if (IsFinished()) return true;
    CChar* caster = CasterById();
    if (!m_pSkillAction || !m_pSkillAction->IsCasterValid() || TargetCount() == 0 || !caster) {
        End();
        return true;
    }
    if (!IsStarted()) {
        Begin(caster);
        m_hitStep = 0;
        Start();
        return true;
    }
    HitStep(caster);
    if (CasterMotionEnded(caster, m_motionId)) {
        End();
        return true;
    }
    PlaceOnChar(m_aura.Get(), caster);
    return true;
}

// ---- Ids 10, 13 and 19 ----

void CTargetMarkEffect::CreateMarks(CChar*) {
    std::vector<std::unique_ptr<CAniObject>> marks =
        CreateAniObjects(m_markCount, MarkAnimation(), 0, 2, 1, 0, LAYER_FRONT);
    m_marks.clear();
    for (size_t i = 0; i < marks.size(); ++i)
        m_marks.emplace_back(std::move(marks[i]), FindChar(m_targetIds[i]));
}

void CTargetMarkHitEffect::CreateMarks(CChar* caster) {
    CTargetMarkEffect::CreateMarks(caster);
    const float casterX = float(caster->m_x / 24), casterY = float(caster->m_y / 12);
    for (size_t i = 0; i < m_marks.size(); ++i) {
        CChar* target = FindChar(m_targetIds[i]);
        if (!target) continue;
        const int direction =
            GetDirection(casterX, casterY, float(target->m_x / 24), float(target->m_y / 12));
        m_marks[i]->SetDirection(uint8_t(direction));
        ApplyHit(caster, target, NO_DEFAULT_SPARK, TargetValueAt(i));
    }
}

void CTargetMarkEffect::OnHitSignal(CChar* caster) {
    if (m_shown || !SignalDue(caster)) return;
    m_shown = 1;
    m_markCount = int32_t(TargetCount());
    for (int32_t i = 0; i < m_markCount; ++i) m_targetIds[i] = Record()->m_targetIds[i];
    CreateMarks(caster);
}

bool CTargetMarkEffect::Process() {
    if (IsFinished()) return true;
    CChar* caster = UseCaster();
    if (!caster) return true;
    if (!IsStarted()) {
        SetMotionId();
        FaceCell(caster, Record());
        PlayCasterMotion(caster, m_motionId);
        m_shown = 0;
        Start();
        return true;
    }
    OnHitSignal(caster);
    bool playing = false;
    for (size_t i = 0; i < m_marks.size(); ++i) {
        CChar* target = FindChar(m_targetIds[i]);
        if (!target) continue;
        PlaceOnChar(m_marks[i].Get(), target);
        if (!Finished(m_marks[i].Get())) playing = true;
    }
    if (m_shown && !playing) End();
    return true;
}

// ---- Id 44 ----

bool CTargetShakeEffect::Process() {
    if (IsFinished()) return true;
    CChar* caster = UseCaster();
    if (!caster) return true;
    if (!IsStarted()) {
        FaceCell(caster, Record());
        PlayCasterMotion(caster, SHAKE_MOTION);
        m_shown = 0;
        Start();
        return true;
    }
    if (!m_shown && ConsumeHitFlag2(caster)) {
        std::vector<std::unique_ptr<CAniObject>> marks = CreateAniObjects(
            int32_t(TargetCount()), TARGET_SHAKE_ANI, SHAKE_ANI_MOTION, 2, 1, 0, LAYER_FRONT);
        for (size_t i = 0; i < marks.size(); ++i) {
            CChar* target = TargetAt(i);
            if (!target) marks[i]->m_hidden = 1;
            m_marks.emplace_back(std::move(marks[i]), target);
        }
        m_shown = 1;
        m_shownTime = plat::timeGetTime();
    }
    if (!m_shown) return true;
    static const uint8_t kDirections[4] = {2, 0, 14, 12};
    for (size_t i = 0; i < m_marks.size(); ++i) {
        m_marks[i]->SetDirection(kDirections[std::rand() & 3]);
        m_marks[i]->Play(true);
        if (CChar* target = TargetAt(i)) {
            m_marks[i]->SetMapPosition(target->m_x, target->m_y, 0);
            m_marks[i]->Update();
        }
    }
    if (plat::timeGetTime() - m_shownTime > SHAKE_MS) {
        for (size_t n = 0; n < TargetCount(); ++n)
            if (CChar* target = TargetAt(n)) ApplyHit(caster, target, 0, TargetValueAt(n));
        End();
    }
    return true;
}

// ---- The rows ----

void RegisterCharAttachedEffects(CEffectFactory& factory) {
    factory.Set(7, CEffectFactory::MakeOf<CCastingAuraEffect>);
    factory.Set(8, CEffectFactory::MakeOf<CDoubleAuraEffect>);
    factory.Set(10, CEffectFactory::MakeOf<CTargetMarkEffect>);
    factory.Set(11, CEffectFactory::MakeOf<CHitFrameAuraEffect>);
    factory.Set(12, CEffectFactory::MakeOf<CLevelAuraEffect>);
    factory.Set(13, CEffectFactory::MakeOf<CTargetMarkHitEffect>);
    factory.Set(17, CEffectFactory::MakeOf<CLevelBurstEffect>);
    factory.Set(19, CEffectFactory::MakeOf<CTargetMark2Effect>);
    factory.Set(23, CEffectFactory::MakeOf<CCastingAuraPulseEffect>);
    factory.Set(36, CEffectFactory::MakeOf<CHitFrameAura2Effect>);
    factory.Set(38, CEffectFactory::MakeOf<CCastingBannerEffect>);
    factory.Set(44, CEffectFactory::MakeOf<CTargetShakeEffect>);
}
