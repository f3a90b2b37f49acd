// What a character shows while a skill state lies on it: the overlays made
// when the state begins, shown one per kind, their timing, the ring and the
// flying hit marks.
#include "effects/base/char_overlay.h"

#include <algorithm>
#include <cmath>

#include "anim/ani_object.h"
#include "tests/effects/effects_fixture.h"

using namespace fxtest;

namespace {

// Skill rows of the states: (colour kind, overlay kind, first and second animation).
enum : int32_t {
    kGroundRow = 60,
    kHeadRow,
    kBodyRow,
    kBodyOneRow,  // no second animation
    kTintRow,
    kFootRow,
    kRingRow,
    kStrikeRow,
    kTintedRingRow,  // colour kind 2 and a ring
    kTintOnlyRow,    // colour kind 8, overlay kind 0
    kNothingRow,
    kSecondRingRow,
    kRowCount,
};
constexpr uint32_t kFirstAni = 3198, kSecondAni = 3200;

uint32_t IdOf(int32_t row) {
    return SKILL_ID_BASE + uint32_t(row);
}

class CharOverlayTest : public EffectsFixture {
protected:
    void SetUp() override {
        EffectsFixture::SetUp();
        using namespace anitest;
        std::vector<AniFileMotion> marks;
        for (uint32_t m = 0; m < 4; ++m)
            marks.push_back(Motion(m, {Direction(2, {Layer({Image(0), Hold(3)})})}));
        m_ani.Write(HIT_MARK_ANI, File(14, marks));
        qmtest::TableBuilder t = EffectSkillTable();
        t.U32(SKILL_COL_ID).Ref(SKILL_COL_REF_56).Ref(SKILL_COL_REF_57);
        for (int32_t row = 0; row < kSkillTableRows; ++row) t.Set(SKILL_COL_ID, row, int32_t(IdOf(row)));
        struct Row {
            int32_t row, colour, kind;
            bool second;
        };
        const Row rows[] = {
            {kGroundRow, 0, 1, false},   {kHeadRow, 0, 2, false},    {kBodyRow, 0, 3, true},
            {kBodyOneRow, 0, 3, false},  {kTintRow, 3, 4, false},    {kFootRow, 0, 5, true},
            {kRingRow, 0, 6, true},      {kStrikeRow, 0, 7, false},  {kTintedRingRow, 2, 6, false},
            {kTintOnlyRow, 8, 0, false}, {kNothingRow, 0, 0, false}, {kSecondRingRow, 0, 6, false}};
        for (const Row& r : rows) {
            t.Set(SKILL_COL_BYTE_55, r.row, r.colour).Set(SKILL_COL_OVERLAY_KIND, r.row, r.kind);
            t.Set(SKILL_COL_REF_56, r.row, {uint16_t(kFirstAni), 1, 2});
            if (r.second) t.Set(SKILL_COL_REF_57, r.row, {uint16_t(kSecondAni), 0, 2});
        }
        m_db.Write(SKILL_TABLE_FILE, t);
        m_skills = std::make_unique<CSkillTableMgr>();
        g_pSkillTableMgr = m_skills.get();
        ASSERT_TRUE(m_skills->GetTable());
        m_target = Target(5);
        ASSERT_TRUE(m_target);
    }

    CCharData* Data(CChar* c) { return c->GetData(); }
    CCharOverlay* Shown(CChar* c, uint32_t kind) {
        return dynamic_cast<CCharOverlay*>(Data(c)->ShownAttached(int(kind) - 1));
    }
    CCharOverlay* Begin(int32_t row, uint32_t value = 0) {
        Data(m_target)->BeginSkillState(IdOf(row), value);
        return dynamic_cast<CCharOverlay*>(Data(m_target)->FindAttachedById(IdOf(row)));
    }

    CChar* m_target = nullptr;
};

TEST_F(CharOverlayTest, AStateMakesItsTintAndItsKindsOverlayOnceAndEachKindShowsOne) {
    CCharData* data = Data(m_target);
    struct Case {
        int32_t row;
        std::vector<uint32_t> kinds;  // the kinds of the overlays made
    };
    // A colour kind makes a tint first, whatever the overlay kind (so a tint
    // of overlay kind 4 makes two).
    const Case cases[] = {{kGroundRow, {1}},   {kHeadRow, {2}},  {kBodyRow, {3}},   {kTintRow, {4, 4}},
                          {kFootRow, {5}},     {kRingRow, {6}},  {kStrikeRow, {7}}, {kTintedRingRow, {4, 6}},
                          {kTintOnlyRow, {4}}, {kNothingRow, {}}};
    for (const Case& c : cases) {
        size_t before[ATTACHED_LISTS];
        for (int l = 0; l < ATTACHED_LISTS; ++l) before[l] = data->AttachedCount(l);
        EXPECT_EQ(data->BeginSkillState(IdOf(c.row), 7), !c.kinds.empty()) << c.row;
        for (int l = 0; l < ATTACHED_LISTS; ++l) {
            const auto gains = size_t(std::count(c.kinds.begin(), c.kinds.end(), uint32_t(l + 1)));
            EXPECT_EQ(data->AttachedCount(l), before[l] + gains) << c.row << " list " << l;
        }
        // The same state again makes nothing.
        EXPECT_FALSE(data->BeginSkillState(IdOf(c.row), 7)) << c.row;
    }
    // The first of each kind shows; a later one of the kind waits.
    ASSERT_TRUE(Shown(m_target, OVERLAY_RING));
    EXPECT_EQ(Shown(m_target, OVERLAY_RING)->SkillId(), IdOf(kRingRow));
    EXPECT_TRUE(Shown(m_target, OVERLAY_RING)->IsVisible());
    auto* waiting = dynamic_cast<CCharOverlay*>(data->FindAttachedById(IdOf(kTintedRingRow)));
    ASSERT_TRUE(waiting);
    EXPECT_EQ(waiting->Kind(), OVERLAY_TINT) << "the tint is made first";
    EXPECT_FALSE(waiting->IsVisible());
    // The state's end shows the next of the list.
    data->EndSkillState(IdOf(kRingRow));
    EXPECT_EQ(data->FindAttachedById(IdOf(kRingRow)), nullptr);
    ASSERT_TRUE(Shown(m_target, OVERLAY_RING));
    EXPECT_EQ(Shown(m_target, OVERLAY_RING)->SkillId(), IdOf(kTintedRingRow));
    EXPECT_TRUE(Shown(m_target, OVERLAY_RING)->IsVisible());
    // A skill the table does not hold makes nothing.
    EXPECT_FALSE(data->BeginSkillState(SKILL_ID_BASE + 9999, 1));
}

TEST_F(CharOverlayTest, TheTintColoursTheImageForASecondWhileShown) {
    struct Case {
        int kind;
        uint8_t red, green, blue;
    };
    // Kind 0 and kinds above 7 leave the colour unset.
    const Case cases[] = {{1, 30, 30, 30},   {2, 255, 80, 80},  {3, 80, 80, 255}, {4, 80, 255, 80},
                          {5, 255, 255, 80}, {6, 128, 80, 128}, {0, 0, 0, 0},     {8, 0, 0, 0}};
    for (const Case& c : cases) {
        qmtest::TableBuilder t = EffectSkillTable();
        t.U32(SKILL_COL_ID).Set(SKILL_COL_ID, kTintRow, int32_t(IdOf(kTintRow)));
        t.Set(SKILL_COL_BYTE_55, kTintRow, c.kind);
        m_db.Write(SKILL_TABLE_FILE, t);
        CSkillTableMgr skills;
        g_pSkillTableMgr = &skills;
        ASSERT_TRUE(skills.GetTable());
        auto tint = MakeCharOverlay(OVERLAY_TINT, IdOf(kTintRow), 0, m_target);
        auto* t4 = dynamic_cast<CTintOverlay*>(tint.get());
        ASSERT_TRUE(t4);
        EXPECT_EQ(t4->Colour()[0], c.red) << c.kind;
        EXPECT_EQ(t4->Colour()[1], c.green) << c.kind;
        EXPECT_EQ(t4->Colour()[2], c.blue) << c.kind;
        // Hidden, it never ends.
        Clock().Advance(5000);
        EXPECT_TRUE(t4->Update());
        t4->ShowOverlay();
        EXPECT_EQ(m_target->GetAniObject()->m_colorSwitch, 1);
        Clock().Advance(1000);
        EXPECT_TRUE(t4->Update()) << "1,000 ms exactly still runs";
        Clock().Advance(1);
        EXPECT_FALSE(t4->Update());
        t4->HideOverlay();
        EXPECT_EQ(m_target->GetAniObject()->m_colorSwitch, 0);
        g_pSkillTableMgr = m_skills.get();
    }
}

TEST_F(CharOverlayTest, ARingTurnsAroundItsOwnerWithAtMost29Animations) {
    Clock().Advance(1000 -
                    Clock().Milliseconds() % 1800);  // the first angle is 0 degrees at a multiple of 1,800 ms
    auto* ring = dynamic_cast<CRingOverlay*>(Begin(kRingRow));
    ASSERT_TRUE(ring);
    EXPECT_EQ(ring->RingCount(), 0);
    ring->SetRingCount(40, false);
    EXPECT_EQ(ring->RingCount(), 29);
    EXPECT_TRUE(ring->RingAt(28));
    EXPECT_FALSE(ring->RingAt(29));
    // The same count again keeps the ring as it is.
    ring->SetRingCount(4, true);
    CAniObject* first = ring->RingAt(0);
    ring->SetRingCount(4, false);
    EXPECT_EQ(ring->RingAt(0), first);
    EXPECT_TRUE(Shows(std::to_string(kSecondAni) + ":0")) << "the cast animation on the owner";
    // At angle 0: 50 to the right (twice, the ellipse), then 90 degrees on.
    Clock().Advance(1800 - Clock().Milliseconds() % 1800);
    ring->FollowOwner();
    const int32_t x = m_target->m_x, y = m_target->m_y;
    EXPECT_EQ(ring->RingAt(0)->m_mapX, 2 * (50 + x / 2));
    EXPECT_EQ(ring->RingAt(0)->m_mapY, y);
    EXPECT_EQ(ring->RingAt(1)->m_mapX, 2 * (x / 2));
    EXPECT_EQ(ring->RingAt(1)->m_mapY, y + 50 - 1) << "50 * sin(90 degrees) with pi as 3.141592, truncated";
    EXPECT_EQ(ring->RingAt(0)->m_mapZ, 0);
    EXPECT_EQ(ring->RingAt(1)->m_mapZ, int32_t(20 * std::sin((90 + 50) * 3.141592 / 180)));
    // Hidden, the ring empties; shown again it stays empty until a new count.
    ring->HideOverlay();
    EXPECT_EQ(ring->RingCount(), 0);
    ring->ShowOverlay();
    EXPECT_FALSE(ring->RingAt(0));
    ring->SetRingCount(2, false);
    EXPECT_TRUE(ring->RingAt(1));
}

TEST_F(CharOverlayTest, BodyAnimationsJoinTheOwnersDrawListAndEndTogether) {
    struct Case {
        int32_t row;
        size_t animations;
    };
    for (const Case& c : {Case{kBodyRow, 2}, Case{kBodyOneRow, 1}}) {
        CCharOverlay* body = Begin(c.row);
        ASSERT_TRUE(body);
        EXPECT_EQ(m_target->DrawList().size(), c.animations) << c.row;
        EXPECT_EQ(body->Animation(1) != nullptr, c.animations == 2);
        EXPECT_EQ(body->Animation(0)->m_hidden, 0) << "shown as the first of its kind";
        int frames = 0;
        while (body->Update() && ++frames < 100) Clock().Advance(33);
        EXPECT_LT(frames, 100) << "played once, the overlay ends";
        EXPECT_TRUE(m_target->DrawList().empty());
        Data(m_target)->EndSkillState(IdOf(c.row));
    }
}

TEST_F(CharOverlayTest, HitMarksFlyFromTheRingToTheirTargetsAndShowTheValue) {
    CChar* far = Target(6, 20, 10);
    CChar* gone = Target(7, 5, 10);
    ASSERT_TRUE(far && gone);
    auto* ring = dynamic_cast<CStrikeRingOverlay*>(Begin(kStrikeRow));
    ASSERT_TRUE(ring);
    ring->AddHitMark(far->GetCharId(), 321);
    ring->AddHitMark(gone->GetCharId(), 5);
    ring->AddHitMark(999, 5);  // no such character: no mark
    ASSERT_EQ(ring->Marks().size(), 2u);
    EXPECT_EQ(ring->Marks()[0].m_height, 20);
    m_mgr->RemoveCharacter(gone->GetCharId());
    ring->Update();
    ASSERT_EQ(ring->Marks().size(), 1u) << "the mark of a character gone goes";
    const int32_t startX = ring->Marks()[0].m_x;
    ring->Update();
    EXPECT_EQ(ring->Marks()[0].m_x, startX + 10) << "10 a step toward the target";
    for (int i = 0; i < 40 && !ring->Marks().empty(); ++i) ring->Update();
    EXPECT_TRUE(ring->Marks().empty());
    EXPECT_TRUE(Shows(std::to_string(kSparkAni) + ":0")) << "the hit spark on the target";
}

}  // namespace
