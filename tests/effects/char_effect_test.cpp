// The animations a character carries: keyed, layered behind or in front,
// placed with the character on the field or in a window.
#include "effects/base/char_effect.h"

#include "anim/ani_object.h"
#include "tests/effects/effects_fixture.h"

using namespace fxtest;

namespace {

class CharEffectTest : public EffectsFixture {
protected:
    // The character's own list, made by the installed effect lists.
    CCharEffectMgr* ListOf(CChar* c) { return dynamic_cast<CCharEffectMgr*>(c->GetEffects()); }
};

TEST_F(CharEffectTest, CharactersCarryKeyedEffectsBehindAndInFront) {
    CChar* c = Target(5);
    CCharEffectMgr* list = ListOf(c);
    ASSERT_TRUE(list);
    EXPECT_TRUE(c->GetEffects()->AddEffect(100, 0, 1, 133, 0, 2));
    EXPECT_TRUE(c->GetEffects()->AddEffect(100, 1, 2, 133, 1, 2));  // same first key, other second
    EXPECT_FALSE(c->GetEffects()->AddEffect(100, 1, 4, 133, 0, 2));
    EXPECT_EQ(m_ani.LastBoxText(), "CCharEffectMgr::AddEffect() Error, Effect ID[100] already exist");
    ASSERT_EQ(list->GetCount(), 2u);
    EXPECT_EQ(list->FindEffect(100, 0)->m_layer, CHAR_EFFECT_IN_FRONT);
    EXPECT_EQ(list->FindEffect(100, 1)->m_layer, CHAR_EFFECT_BEHIND);
    // They move with the character.
    c->SetPosition(240, 120, 0);
    EXPECT_EQ(list->FindEffect(100, 1)->m_pAnimation->m_mapX, 240);
    EXPECT_EQ(list->FindEffect(100, 1)->m_pAnimation->m_mapY, 120);
    // The character's translucency reaches them.
    list->SetTranslucent(true);
    EXPECT_EQ(list->FindEffect(100, 0)->m_pAnimation->m_flag148, 1);
    c->GetEffects()->RemoveEffect(100, 0);
    c->GetEffects()->RemoveEffect(100, 9);  // absent: nothing
    EXPECT_EQ(list->GetCount(), 1u);
    EXPECT_FALSE(list->FindEffect(100, 0));
}

TEST_F(CharEffectTest, PlacementFollowsTheKind) {
    CChar* c = Target(5);
    CCharEffectMgr list(c);
    list.AddEffect(c, 1, 0, CHAR_EFFECT_TURNS_LAYER, 133, 0, 2);
    list.AddEffect(c, 2, 0, CHAR_EFFECT_OVER_HEAD, 133, 0, 2);
    CCharEffect* turning = list.FindEffect(1, 0);
    CCharEffect* overHead = list.FindEffect(2, 0);
    // A kind-3 effect comes in front as its owner turns from 4 to 6.
    struct Step {
        uint8_t direction;
        uint32_t layer;
    };
    for (const Step& s : {Step{4, CHAR_EFFECT_BEHIND}, Step{6, CHAR_EFFECT_IN_FRONT},
                          Step{5, CHAR_EFFECT_IN_FRONT}, Step{0, CHAR_EFFECT_BEHIND}}) {
        c->m_direction = s.direction;
        list.UpdateAll();
        EXPECT_EQ(turning->m_layer, s.layer) << int(s.direction);
    }
    // Over the head: the top of the owner's image and the margin.
    list.SetAllPositions(100.0f, 50.0f);
    const int32_t top = c->GetAniObject()->GetAniTopExtent();
    EXPECT_EQ(overHead->m_height, float(top + CHAR_EFFECT_HEAD_MARGIN));
    EXPECT_EQ(turning->m_height, 0.0f);
    list.UpdateAllWith(300, 200, 1);
    EXPECT_EQ(overHead->m_pAnimation->m_screenZ, 1 + top + CHAR_EFFECT_HEAD_MARGIN);
    EXPECT_EQ(turning->m_pAnimation->m_screenX, 300);
    // An owner without an image keeps an over-head effect at the ground.
    CCharEffect loose;
    loose.Init(nullptr, 3, 0, CHAR_EFFECT_OVER_HEAD, 133, 0, 2);
    loose.SetPosition(10.0f, 10.0f);
    EXPECT_EQ(loose.m_height, 0.0f);
}

}  // namespace
