#include "effects/base/char_effect.h"

#include "anim/ani_object.h"
#include "core/error_box.h"
#include "effects/base/char_overlay.h"
#include "world/chars/char.h"

CCharEffect::~CCharEffect() = default;

int32_t CCharEffect::HeadHeight() const {
    CAniObject* body = m_pOwner ? m_pOwner->GetAniObject() : nullptr;
    return m_kind == CHAR_EFFECT_OVER_HEAD && body ? body->GetAniTopExtent() + CHAR_EFFECT_HEAD_MARGIN : 0;
}

void CCharEffect::Init(CChar* owner, uint32_t key1, uint32_t key2, int32_t kind, uint16_t animation,
                       uint16_t motion, int32_t direction) {
    m_key1 = key1;
    m_key2 = key2;
    m_pOwner = owner;
    m_pAnimation = std::make_unique<CAniObject>();
    m_pAnimation->SetAnimation(animation);
    m_pAnimation->SetMotion(uint8_t(motion));
    m_pAnimation->SetDirection(uint8_t(direction));
    m_pAnimation->Play(true);
    m_pAnimation->SetScreenPosition(-1000, -1000, 0);
    m_kind = kind;
    m_layer = kind == 0 || kind == 1 || kind == CHAR_EFFECT_TURNS ? CHAR_EFFECT_IN_FRONT : CHAR_EFFECT_BEHIND;
}

void CCharEffect::Update() {
    if (!m_pAnimation) return;
    if ((m_kind == CHAR_EFFECT_TURNS || m_kind == CHAR_EFFECT_TURNS_LAYER) && m_pOwner)
        m_pAnimation->SetDirection(m_pOwner->m_direction);
    if (m_kind == CHAR_EFFECT_TURNS_LAYER) {
        const uint8_t direction = m_pAnimation->m_direction;
        if (direction <= 4 && direction % 2 == 0)
            m_layer = CHAR_EFFECT_BEHIND;
        else if (direction >= 6 && direction % 2 == 0)
            m_layer = CHAR_EFFECT_IN_FRONT;
    }
    m_pAnimation->Update();
}

void CCharEffect::Draw() {
    if (m_pAnimation) m_pAnimation->Draw();
}

void CCharEffect::SetPosition(float x, float y) {
    m_x = x;
    m_y = y;
    m_height = float(HeadHeight());
    if (m_pAnimation) m_pAnimation->SetMapPosition(int32_t(x), int32_t(y), int32_t(m_height));
}

void CCharEffect::UpdateWith(int32_t x, int32_t y, int32_t z) {
    if (m_pAnimation) m_pAnimation->SetScreenPosition(x, y, z + HeadHeight());
}

void CCharEffect::SetFlag(int32_t value) {
    if (m_pAnimation) m_pAnimation->SetFlag148(uint8_t(value));
}

void CCharEffectMgr::AddEffect(CChar* owner, uint32_t key1, uint32_t key2, int32_t kind, uint16_t animation,
                               uint16_t motion, int32_t direction) {
    if (FindEffect(key1, key2)) {
        ReportError("CCharEffectMgr::AddEffect() Error, Effect ID[%u] already exist", key1);
        return;
    }
    auto effect = std::make_unique<CCharEffect>();
    effect->Init(owner, key1, key2, kind, animation, motion, direction);
    m_effects.push_back(std::move(effect));
}

bool CCharEffectMgr::AddEffect(uint32_t key1, uint32_t key2, int32_t kind, int32_t animation, int32_t motion,
                               int32_t direction) {
    const size_t before = m_effects.size();
    AddEffect(m_pOwner, key1, key2, kind, uint16_t(animation), uint16_t(motion), direction);
    return m_effects.size() > before;
}

CCharEffect* CCharEffectMgr::FindEffect(uint32_t key1, uint32_t key2) const {
    for (const auto& effect : m_effects)
        if (effect->m_key1 == key1 && effect->m_key2 == key2) return effect.get();
    return nullptr;
}

void CCharEffectMgr::RemoveAll() {
    m_effects.clear();
}

void CCharEffectMgr::RemoveEffect(uint32_t key1, uint32_t key2) {
    for (auto it = m_effects.begin(); it != m_effects.end(); ++it)
        if ((*it)->m_key1 == key1 && (*it)->m_key2 == key2) {
            m_effects.erase(it);
            return;
        }
}

void CCharEffectMgr::UpdateAll() {
    for (const auto& effect : m_effects) effect->Update();
}

void CCharEffectMgr::SetAllPositions(float x, float y) {
    for (const auto& effect : m_effects) effect->SetPosition(x, y);
}

void CCharEffectMgr::UpdateAllWith(int32_t x, int32_t y, int32_t z) {
    for (const auto& effect : m_effects) effect->UpdateWith(x, y, z);
}

void CCharEffectMgr::SetAllFlags(int32_t value) {
    for (const auto& effect : m_effects) effect->SetFlag(value);
}

void CCharEffectMgr::DrawBehindAll() {
    for (const auto& effect : m_effects)
        if (effect->m_layer == CHAR_EFFECT_BEHIND) effect->Draw();
}

void CCharEffectMgr::DrawInFrontAll() {
    for (const auto& effect : m_effects)
        if (effect->m_layer == CHAR_EFFECT_IN_FRONT) effect->Draw();
}

std::unique_ptr<ICharEffectList> CCharEffectLists::MakeEffectList(CChar* owner) {
    return std::make_unique<CCharEffectMgr>(owner);
}

std::unique_ptr<CCharStatusObject> CCharEffectLists::MakeOverlay(int32_t kind, uint32_t skillId,
                                                                 uint32_t value, CChar* owner) {
    return MakeCharOverlay(kind, skillId, value, owner);
}
