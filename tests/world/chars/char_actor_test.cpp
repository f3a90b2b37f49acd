#include <gtest/gtest.h>

#include "tests/world/chars/char_fixture.h"

using namespace chartest;

namespace {

class CharActorTest : public CharFixture {};

TEST_F(CharActorTest, FixedDirectionsOfTheCodes) {
    const int32_t expected[10] = {-1, 2, 0, 14, 12, 10, 8, 6, 4, -1};
    for (uint32_t code = 0; code < 10; ++code) {
        SCOPED_TRACE(code);
        EXPECT_EQ(FixedDirectionOfCode(code), expected[code]);
        auto* monster =
            static_cast<CMonsterChar*>(Make(CHAR_KIND_MONSTER, 100 + code, CHAR_MONSTER_BASE + code));
        ASSERT_TRUE(monster);
        EXPECT_EQ(monster->GetFixedDirection(), expected[code]);
        if (expected[code] >= 0) {
            EXPECT_EQ(monster->m_direction, expected[code]);
        }
    }
    EXPECT_EQ(FixedDirectionOfCode(200), -1);
}

TEST_F(CharActorTest, AccessorDefaults) {
    auto* monster = static_cast<CMonsterChar*>(Make(CHAR_KIND_MONSTER, 1));
    ASSERT_TRUE(monster);
    EXPECT_EQ(monster->GetValue11(), 7);
    EXPECT_EQ(monster->GetValue8(), 300);
    EXPECT_EQ(monster->GetValue7(), -3);
    EXPECT_TRUE(monster->ReactsToHit());
    // A bad row: the row defaults.
    monster->SetRow(5000);
    EXPECT_EQ(monster->GetValue11(), 0);
    EXPECT_EQ(monster->GetValue8(), 0);
    EXPECT_FALSE(monster->GetFlag6());
    EXPECT_EQ(monster->GetFixedDirection(), -1);
    EXPECT_TRUE(monster->ReactsToHit());
    // A manager without its tables answers as for a bad row.
    monster->SetRow(1);
    m_resources->Release();
    EXPECT_EQ(monster->GetValue11(), 0);
    EXPECT_EQ(monster->GetValue8(), 0);
    EXPECT_FALSE(monster->GetFlag6());
    m_resources->LoadTables();
    // No resource manager: the manager defaults.
    g_pCharResourceMgr = nullptr;
    EXPECT_EQ(monster->GetValue11(), 1);
    EXPECT_EQ(monster->GetValue8(), 1);
    EXPECT_TRUE(monster->GetFlag6());
    g_pCharResourceMgr = m_resources.get();

    auto* npc = static_cast<CNpcChar*>(Make(CHAR_KIND_NPC, 2));
    auto* merchant = static_cast<CNpcChar*>(Make(CHAR_KIND_NPC, 3, kNpcRes + 1));
    ASSERT_TRUE(npc && merchant);
    EXPECT_EQ(npc->GetFaceAniId(), 4321);
    EXPECT_FALSE(npc->IsUserShopMerchant());
    EXPECT_TRUE(merchant->IsUserShopMerchant());
    EXPECT_TRUE(npc->TurnsToTalker());
    EXPECT_FALSE(merchant->TurnsToTalker());
    npc->SetRow(-1);
    EXPECT_EQ(npc->GetFaceAniId(), 0);
    EXPECT_FALSE(npc->IsUserShopMerchant());
    std::vector<int32_t> lines;
    for (int i = 0; i < 7; ++i) lines.push_back(npc->NextLineIndex());
    EXPECT_EQ(lines, (std::vector<int32_t>{0, 1, 2, 3, 4, 0, 1}));
}

TEST_F(CharActorTest, PetsFrom654CarryTheExtraEffect) {
    CChar* below = Make(CHAR_KIND_PET, 1, CHAR_MONSTER_BASE + 653);
    CChar* from = Make(CHAR_KIND_PET, 2, CHAR_MONSTER_BASE + 654);
    ASSERT_TRUE(below && from);
    EXPECT_TRUE(Effects(below)->effects.empty());
    ASSERT_EQ(Effects(from)->effects.size(), 1u);
    EXPECT_EQ(Effects(from)->effects.begin()->second[1], int32_t(PET_EFFECT_ANI));
}

TEST_F(CharActorTest, DrawOffsetDecaysAndTheEmoteEnds) {
    CChar* c = Make(CHAR_KIND_MONSTER, 1);
    ASSERT_TRUE(c);
    c->m_drawOffset[0] = 3.0f;
    c->m_drawOffset[1] = -3.0f;
    std::vector<float> seen;
    for (int i = 0; i < 4; ++i) {
        c->UpdateFrame(10, false);
        seen.push_back(c->m_drawOffset[0]);
        EXPECT_EQ(c->m_drawOffset[1], -c->m_drawOffset[0]);
    }
    EXPECT_EQ(seen, (std::vector<float>{1.5f, 0.75f, 0.0f, 0.0f}));

    c->ShowEmote(596, 2, 500);
    ASSERT_TRUE(c->m_pEmote);
    c->UpdateFrame(499, false);
    EXPECT_TRUE(c->m_pEmote);
    EXPECT_EQ(c->m_emoteTimeLeft, 1u);
    c->UpdateFrame(1, false);
    EXPECT_FALSE(c->m_pEmote);
}

TEST_F(CharActorTest, FadeOpacityAndSeconds) {
    CChar* c = Make(CHAR_KIND_MONSTER, 1);
    ASSERT_TRUE(c);
    c->StartFade(30);  // half of the minute is left
    EXPECT_FLOAT_EQ(c->GetFadeOpacity(), 0.5f);
    EXPECT_EQ(c->GetFadeSeconds(), 30);
    Clock().Advance(10500);
    EXPECT_EQ(c->GetFadeSeconds(), 19);
    c->StartFade(60);  // a running fade is not restarted
    EXPECT_EQ(c->GetFadeSeconds(), 19);
    c->StepFade();
    EXPECT_EQ(c->m_lastSeconds, 19);
    EXPECT_LT(c->GetAniObject()->m_alpha, 255);
    Clock().Advance(60000);
    EXPECT_EQ(c->GetFadeSeconds(), 0);
    EXPECT_FLOAT_EQ(c->GetFadeOpacity(), 0.0f);
    c->StopFade();
    EXPECT_EQ(c->GetAniObject()->m_alpha, 255);
    EXPECT_EQ(c->GetFadeSeconds(), -1);
}

TEST_F(CharActorTest, ServerTextsAreCutBounded) {
    CChar* c = Make(CHAR_KIND_MONSTER, 1);
    ASSERT_TRUE(c);
    const std::string longSign(150, 's');
    c->SetSignText(longSign.c_str());
    EXPECT_EQ(std::string(c->m_signText), std::string(99, 's'));
    const std::string longName(90, 'n');
    CChar::CopyText(c->m_clubName, longName.c_str());
    EXPECT_EQ(std::string(c->m_clubName), std::string(63, 'n'));
    c->SetSignText("");
    EXPECT_EQ(c->m_signText[0], 0);
}

}  // namespace
