// A character's layers: its draw list, who sees it, the marks and numbers
// the play manager keeps over it, and its gauges.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "anim/field_sound.h"
#include "core/config.h"
#include "tests/world/chars/char_fixture.h"
#include "world/chars/char_skills.h"
#include "world/chars/char_world.h"
#include "world/map/map.h"

using namespace chartest;

namespace {

constexpr uint32_t kWordAni = 801, kScreenLightAni = 802;

// An attached object that writes its name into a log when drawn.
struct Recorder : CAniObject {
    Recorder(std::vector<std::string>* log, const char* name, int32_t layer) : m_log(log), m_name(name) {
        m_layer = layer;
    }
    bool Draw() override {
        m_log->push_back(m_name);
        return true;
    }
    std::vector<std::string>* m_log;
    std::string m_name;
};

struct NamedSound : FakeSound {
    uint16_t FindEffectIdByName(const char* name) override { return std::string(name) == "Miss" ? 77 : 0; }
};

class CharDrawTest : public CharFixture {
protected:
    void SetUp() override {
        CharFixture::SetUp();
        using namespace anitest;
        std::vector<AniFileMotion> groups;
        for (uint32_t m = 0; m <= 16; ++m) groups.push_back(Motion(m, {Direction(2, {Layer({Image(0)})})}));
        for (uint32_t animation : {9u, 91u, 265u, 343u, 500u, kWordAni, kScreenLightAni})
            m_ani.Write(animation, File(14, groups));
        qmtest::TableBuilder names(2, 2);
        names.Text(0).U32(1);
        names.Set(0, 0, "WORD01").Set(1, 0, kWordAni).Set(0, 1, "ScreenLight").Set(1, 1, kScreenLightAni);
        m_db.Write(PLAY_NAME_TABLE_FILE, names);
        ASSERT_TRUE(m_play.Init());
    }
    // A character whose sprite is a 30 x 40 box at (200, 300).
    CChar* Boxed(CChar* c) {
        c->GetAniObject()->SetDrawable(new Box(30, 40));
        c->GetAniObject()->SetScreenPosition(200, 300, 0);
        return c;
    }
    struct Shown {
        uint8_t kind;
        uint32_t animation;
        int32_t group, x, y;
        bool operator==(const Shown&) const = default;
    };
    // The play manager's entries, emptied.
    std::vector<Shown> TakeEntries() {
        std::vector<Shown> out;
        for (CAniPlayEntry* e : m_play.Entries())
            out.push_back({e->m_kind, e->m_aniIndex, e->m_motionId, e->m_offsetX, e->m_offsetY});
        m_play.Release();
        return out;
    }
};

TEST_F(CharDrawTest, TheDrawListKeepsLayerOrderAndSkipsDeletedObjects) {
    CChar* c = Make(CHAR_KIND_MONSTER, 1);
    ASSERT_TRUE(c);
    std::vector<std::string> log;
    Recorder one(&log, "1", 1), three(&log, "3", 3), five(&log, "5", 5), newThree(&log, "new 3", 3);
    for (CAniObject* o : {static_cast<CAniObject*>(&five), static_cast<CAniObject*>(&one),
                          static_cast<CAniObject*>(&three), static_cast<CAniObject*>(&newThree)})
        c->AddDrawObject(o);
    c->AddDrawObject(&three);  // listed already
    c->AddDrawObject(nullptr);
    EXPECT_EQ(c->DrawList(), (std::vector<CAniObject*>{&one, &newThree, &three, &five}))
        << "a tie goes in front of the listed one";
    c->RemoveDrawObject(&newThree);
    c->RemoveDrawObject(nullptr);
    EXPECT_EQ(c->DrawList(), (std::vector<CAniObject*>{&one, &three, &five}));

    // The body's layer parts the list: the objects at or below it are drawn
    // after the effects behind the character, the rest before those in front.
    FakeEffectList* effects = Effects(c);
    ASSERT_TRUE(effects);
    auto* gone = new Recorder(&effects->log, "gone", 2);
    Recorder low(&effects->log, "low", 4), high(&effects->log, "high", 9);
    c->AddDrawObject(gone);
    c->AddDrawObject(&low);
    c->AddDrawObject(&high);
    delete gone;  // deleted elsewhere: skipped, and the walk goes on
    c->RemoveDrawObject(&one);
    c->RemoveDrawObject(&three);
    c->RemoveDrawObject(&five);
    effects->log.clear();
    ASSERT_EQ(c->GetAniObject()->m_layer, 5);
    c->Draw();
    EXPECT_EQ(effects->log, (std::vector<std::string>{"behind", "low", "high", "front"}));
    EXPECT_TRUE(log.empty());
    // Adding after the deleted one still orders by layer.
    Recorder two(&effects->log, "two", 2);
    c->AddDrawObject(&two);
    EXPECT_EQ(c->DrawList(), (std::vector<CAniObject*>{&two, &low, &high}));
}

TEST_F(CharDrawTest, AnEmoteStandsInForTheSprite) {
    CChar* c = Make(CHAR_KIND_MONSTER, 1);
    ASSERT_TRUE(c);
    c->SetPosition(240, 120, 0);
    // A part attached to the sprite is placed at it whenever the sprite is drawn.
    CAniObject part;
    part.AttachToParent(c->GetAniObject(), 1);
    auto drawnWithSprite = [&] {
        part.m_screenX = -7;
        c->Draw();
        return part.m_screenX != -7;
    };
    EXPECT_TRUE(drawnWithSprite());
    c->ShowEmote(500, 2, 1000);
    ASSERT_TRUE(c->m_pEmote);
    EXPECT_FALSE(drawnWithSprite());
    EXPECT_EQ(c->m_pEmote->m_mapX, 240) << "the emote stands at the character's map position";
    part.DetachFromParent(c->GetAniObject());
}

TEST_F(CharDrawTest, StatusMarksUnderTheBodyAndOverTheHead) {
    CChar* c = Boxed(Make(CHAR_KIND_MONSTER, 1));
    c->SetPosition(240, 120, 0);
    c->GetAniObject()->SetScreenPosition(200, 300, 0);
    CAniObject* under = m_mgr->Mark(3);
    CAniObject* over = m_mgr->Mark(4);
    CAniObject* mark54 = m_mgr->Mark(2);
    ASSERT_TRUE(under && over && mark54);
    for (CAniObject* mark : {under, over, mark54}) mark->m_mapX = mark->m_screenX = -1;
    c->Draw();
    EXPECT_EQ(under->m_mapX, -1) << "no status, no mark";
    EXPECT_EQ(over->m_screenX, -1);
    c->GetData()->m_status[1] = 1u << (55 - 33);   // status 55
    c->GetData()->m_status[3] = 1u << (101 - 97);  // status 101
    c->Draw();
    EXPECT_EQ(under->m_mapX, 240);
    EXPECT_EQ(over->m_screenX, 200);
    EXPECT_EQ(over->m_screenY, 300 - c->GetAniObject()->GetAniTopExtent());
    EXPECT_EQ(mark54->m_screenX, -1);
}

TEST_F(CharDrawTest, OnlyWhatTheUserSeesIsDrawn) {
    CChar* me = MakePlayer(1);
    CChar* other = Make(CHAR_KIND_PLAYER, 2);
    ASSERT_TRUE(me && other);
    CMap map;
    map.Create();
    g_pMap = &map;
    // The animation side asks with the user's own character.
    EXPECT_TRUE(AniCharacters().IsCharVisible(other));
    other->GetData()->m_status[0] = 1u << 8;  // status 9
    EXPECT_FALSE(AniCharacters().IsCharVisible(other));
    EXPECT_TRUE(AniCharacters().IsCharVisible(me));
    // A character not seen draws nothing, not even its effects.
    Effects(other)->log.clear();
    other->Draw();
    EXPECT_TRUE(Effects(other)->log.empty());
    other->GetData()->m_status[0] = 0;
    other->Draw();
    EXPECT_FALSE(Effects(other)->log.empty());
    g_hideAllChars = 1;
    EXPECT_FALSE(AniCharacters().IsCharVisible(me));
    g_hideAllChars = 0;
    g_pMap = nullptr;
}

TEST_F(CharDrawTest, MarksAndNumbersFollowTheCharacter) {
    CChar* me = Boxed(MakePlayer(1));
    CChar* monster = Boxed(Make(CHAR_KIND_MONSTER, 2));
    ASSERT_TRUE(me && monster);
    NamedSound sound;
    ScopedFieldSound scopedSound(sound);
    anitest::FakeField field;
    ScopedAniField scopedField(field);
    constexpr uint8_t S = PLAY_ON_CHAR_SCREEN;
    struct Case {
        const char* what;
        void (*show)(CCharAction*, CChar* source);
        bool own;
        std::vector<Shown> shown;
    };
    // The boxes are 40 high: 30 above their top is -70.
    const Case cases[] = {
        {"flash", [](CCharAction* a, CChar*) { a->ShowFlashMark(); }, false, {{S, kWordAni, 12, 0, -70}}},
        {"the user's flash lights the screen",
         [](CCharAction* a, CChar*) { a->ShowFlashMark(); },
         true,
         {{S, kWordAni, 12, 0, -70}, {PLAY_UNPLACED, kScreenLightAni, 0, 0, 0}}},
        {"miss", [](CCharAction* a, CChar*) { a->ShowMiss(); }, false, {{S, 9, 10, 0, -70}}},
        {"the miss word only where battle is allowed",
         [](CCharAction* a, CChar*) { a->ShowMissWord(); },
         false,
         {}},
        {"status A", [](CCharAction* a, CChar*) { a->ShowStatusMarkA(); }, false, {{S, 343, 15, 0, -70}}},
        {"status B", [](CCharAction* a, CChar*) { a->ShowStatusMarkB(); }, false, {{S, 343, 16, 0, -70}}},
        {"a number mark, centred",
         [](CCharAction* a, CChar*) { a->ShowNumberMark(42); },
         false,
         {{S, kWordAni, 4, -13, 5}, {S, kWordAni, 2, 13, 5}, {S, 343, 13, 0, 0}}},
        {"a word number above 999",
         [](CCharAction* a, CChar*) { a->ShowWordNumber(1500); },
         false,
         {{S, kWordAni, 10, 0, -60},
          {S, kWordAni, 9, -15, -55},
          {S, kWordAni, 9, 0, -55},
          {S, kWordAni, 9, 15, -55}}},
        {"a damage of 0",
         [](CCharAction* a, CChar*) { a->ShowDamageNumber(0, false, nullptr); },
         false,
         {{S, 9, 0, -7, 30}}},
        {"the user's damage",
         [](CCharAction* a, CChar*) { a->ShowDamageNumber(5, false, nullptr); },
         true,
         {{S, 91, 5, -7, 30}}},
        {"a strong hit",
         [](CCharAction* a, CChar*) { a->ShowDamageNumber(12, true, nullptr); },
         false,
         {{S, 265, 1, -14, 30}, {S, 265, 2, 1, 30}}},
        {"a countdown",
         [](CCharAction* a, CChar*) { a->Countdown(12); },
         false,
         {{S, 91, 1, -20, 2}, {S, 91, 2, 0, 2}}},
        {"an overhead animation",
         [](CCharAction* a, CChar*) { a->ShowOverheadAnimation(500, 3, 6); },
         false,
         {{S, 500, 3, 25, -40}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sound.effects.clear();
        field.triggered.clear();
        c.show((c.own ? me : monster)->GetAction(), nullptr);
        EXPECT_EQ(TakeEntries(), c.shown);
    }
    // The user's own misses and flashes are heard and shake the map.
    me->GetAction()->ShowMiss();
    EXPECT_EQ(sound.effects, std::vector<uint32_t>{77});
    monster->GetAction()->ShowMiss();
    EXPECT_EQ(sound.effects.size(), 1u);
    me->GetAction()->ShowFlashMark();
    EXPECT_EQ(field.triggered, (std::vector<std::pair<uint32_t, uint32_t>>{{3, 5}}));
    TakeEntries();
    // Lying, the overhead animation sits 20 lower; it draws on layer 7.
    monster->GetData()->m_motion = MOTION_LYING;
    monster->GetAction()->ShowOverheadAnimation(500, 3, 6);
    ASSERT_EQ(m_play.GetCount(), 1u);
    EXPECT_EQ(m_play.Entries()[0]->m_offsetY, -20);
    EXPECT_EQ(m_play.Entries()[0]->m_pObject->m_layer, 7);
    TakeEntries();
    // Digits with a source fly away from it, 25 steps.
    monster->SetPosition(480, 240, 0);
    me->SetPosition(240, 240, 0);
    monster->GetAction()->ShowDamageNumber(7, false, me);
    ASSERT_EQ(m_play.GetCount(), 1u);
    const CAniPlayEntry* flight = m_play.Entries()[0];
    EXPECT_EQ(flight->m_kind, PLAY_ARC);
    EXPECT_EQ(flight->m_flightTime, 25u);
    EXPECT_EQ(flight->m_curve[0], 480.0f);
    EXPECT_GT(flight->m_curve[3], 480.0f) << "away from the source";
    EXPECT_EQ(flight->m_curve[4], 240.0f);
    // Without a play manager nothing is made.
    g_pAniPlayMgr = nullptr;
    monster->GetAction()->ShowMiss();
    g_pAniPlayMgr = &m_play;
}

TEST_F(CharDrawTest, GaugesMoveOnePixelAFrame) {
    CChar* c = Make(CHAR_KIND_MONSTER, 1);
    ASSERT_TRUE(c);
    uint32_t* v = c->GetData()->m_values;
    struct Case {
        const char* what;
        uint32_t energy, maximum;
        int32_t percent;
        float length;
    };
    const Case cases[] = {
        {"half", 30, 60, -1, 25.0f},
        {"maximum 0: the percent", 0, 0, 40, 20.0f},
        {"maximum 0 and no percent", 10, 0, -1, 0.0f},
        {"more energy than the maximum is a full gauge", 90, 60, -1, 50.0f},
        {"a percent above 100", 0, 0, 300, 50.0f},
        {"a negative percent", 0, 0, -50, 0.0f},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        c->m_values3[0] = -1.0f;  // the first update takes the target at once
        v[VALUE_ENERGY] = k.energy;
        v[VALUE_ENERGY_MAX] = k.maximum;
        c->UpdateEnergyBar(k.percent);
        EXPECT_FLOAT_EQ(c->GaugeLength(0), k.length);
    }
    // From 10 pixels to 30: one pixel a call, there after 20 calls.
    v[VALUE_ENERGY_MAX] = 50;
    v[VALUE_ENERGY] = 10;
    c->m_values3[0] = -1.0f;
    c->UpdateEnergyBar(-1);
    v[VALUE_ENERGY] = 30;
    for (int k = 0; k < 19; ++k) c->UpdateEnergyBar(-1);
    EXPECT_FLOAT_EQ(c->GaugeLength(0), 29.0f);
    c->UpdateEnergyBar(-1);
    c->UpdateEnergyBar(-1);
    EXPECT_FLOAT_EQ(c->GaugeLength(0), 30.0f);

    // The user's three gauges step the same way; an empty third stays 0.
    CChar* me = MakePlayer(5);
    ASSERT_TRUE(me);
    uint32_t* p = me->GetData()->m_values;
    p[VALUE_ENERGY] = 50, p[VALUE_ENERGY_MAX] = 100;
    p[2] = 20, p[3] = 20;
    me->UpdatePlayerBars();
    EXPECT_FLOAT_EQ(me->GaugeLength(0), 25.0f);
    EXPECT_FLOAT_EQ(me->GaugeLength(1), 50.0f);
    EXPECT_EQ(me->GaugeLength(2), 0.0f);
    p[VALUE_ENERGY] = 0;
    me->UpdatePlayerBars();
    EXPECT_FLOAT_EQ(me->GaugeLength(0), 24.0f);
}

TEST_F(CharDrawTest, TheCaptionCountsDownWhenTheSecondsChange) {
    CChar* c = Boxed(Make(CHAR_KIND_MONSTER, 1));
    ASSERT_TRUE(c);
    c->StartFade(12);
    c->Draw();
    EXPECT_EQ(TakeEntries(),
              (std::vector<Shown>{{PLAY_ON_CHAR_SCREEN, 91, 1, -20, 2}, {PLAY_ON_CHAR_SCREEN, 91, 2, 0, 2}}));
    EXPECT_LT(c->GetAniObject()->m_alpha, 255);
    c->Draw();
    EXPECT_EQ(m_play.GetCount(), 0u) << "the same second again";
    Clock().Advance(1000);
    c->Draw();
    EXPECT_EQ(TakeEntries(),
              (std::vector<Shown>{{PLAY_ON_CHAR_SCREEN, 91, 1, -20, 2}, {PLAY_ON_CHAR_SCREEN, 91, 1, 0, 2}}));
    // The user's own character has no caption.
    CChar* me = Boxed(MakePlayer(2));
    me->StartFade(12);
    me->Draw();
    EXPECT_EQ(m_play.GetCount(), 0u);
}

}  // namespace
