// The status icon row: one icon a key, renewed statuses, the blink of the
// last ten seconds and the row's places.
#include "windows/play/status_icon_window.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "anim/ani_object.h"
#include "data/skill_table_mgr.h"
#include "tests/windows/play/chat_fixture.h"

namespace {

class StatusIconTest : public chattest::ChatFixture {
protected:
    void SetUp() override {
        ChatFixture::SetUp();
        // Skill rows 1-3 have icons (the characters' animation), row 4 none.
        qmtest::TableBuilder skills(5, 14);
        skills.Ref(13);
        for (int row = 1; row <= 3; ++row) skills.Set(13, row, {chartest::kCharAni, 0, 0});
        skills.Set(13, 4, {STATUS_NO_ICON, 0, 0});
        m_db.Write(SKILL_TABLE_FILE, skills);
        for (int file : {13, 31}) m_db.Write(file, qmtest::TableBuilder(0, 1));
        m_skills = std::make_unique<CSkillTableMgr>();
        g_pSkillTableMgr = m_skills.get();
        m_player = MakePlayer(1);
        m_icons = m_driver.Add(new CAbnormalStatusIconWin);
    }
    void TearDown() override {
        g_pSkillTableMgr = nullptr;
        m_skills.reset();
        ChatFixture::TearDown();
    }
    // The status is on the player (its data carries the object).
    void Carry(uint32_t statusId) {
        m_player->GetData()->AttachStatusObject(0, std::make_unique<CCharStatusObject>(statusId));
    }
    std::vector<uint32_t> Shown() const {
        std::vector<uint32_t> ids;
        for (const auto& r : m_icons->Records()) ids.push_back(r.statusId);
        return ids;
    }

    std::unique_ptr<CSkillTableMgr> m_skills;
    CChar* m_player = nullptr;
    CAbnormalStatusIconWin* m_icons = nullptr;
};

constexpr uint32_t kPoison = SKILL_ID_BASE + 1, kStun = SKILL_ID_BASE + 2, kSlow = SKILL_ID_BASE + 3,
                   kQuiet = SKILL_ID_BASE + 4;

TEST_F(StatusIconTest, OneIconAKeyRenewedNotDoubled) {
    for (uint32_t id : {kPoison, kStun, kSlow, kQuiet}) Carry(id);
    m_icons->AddStatusIcon(1, kPoison, 30000);
    m_icons->AddStatusIcon(1, kPoison, 40000);  // the same status again: renewed
    EXPECT_EQ(Shown(), (std::vector<uint32_t>{kPoison}));
    EXPECT_EQ(m_icons->Records()[0].duration, 40000u);
    m_icons->AddStatusIcon(1, kStun, 0);  // the key's other status replaces it
    EXPECT_EQ(Shown(), (std::vector<uint32_t>{kStun}));
    m_icons->AddStatusIcon(2, kSlow, 0);
    m_icons->AddStatusIcon(3, kQuiet, 0);  // no icon
    m_icons->AddStatusIcon(4, kPoison, 0);
    EXPECT_EQ(Shown(), (std::vector<uint32_t>{kStun, kSlow, kPoison}));
    // Three icons on an 800-pixel screen stand at 352, 384 and 416.
    std::vector<int32_t> xs;
    for (const auto& r : m_icons->Records()) {
        xs.push_back(r.icon->GetX());
        EXPECT_EQ(r.icon->GetY(), STATUS_ICON_TOP);
    }
    EXPECT_EQ(xs, (std::vector<int32_t>{352, 384, 416}));
    m_icons->RemoveStatusIcon(kSlow);
    EXPECT_EQ(Shown(), (std::vector<uint32_t>{kStun, kPoison}));
}

TEST_F(StatusIconTest, TheLastTenSecondsBlinkFasterAndANoEndStatusNever) {
    Carry(kPoison);
    Carry(kStun);
    m_icons->AddStatusIcon(1, kPoison, 12000);
    m_icons->AddStatusIcon(2, kStun, 0);
    m_driver.SetFrameTime(500);
    m_driver.Frame(4);  // 2,000 ms: 10,000 left
    EXPECT_FALSE(m_icons->Records()[0].blinking);
    m_driver.Frame();
    const auto& poison = m_icons->Records()[0];
    EXPECT_TRUE(poison.blinking);
    EXPECT_FLOAT_EQ(poison.blinkInterval, 95.0f);
    m_driver.Frame(20);  // past the end: the time left stays 0
    EXPECT_FLOAT_EQ(m_icons->Records()[0].blinkInterval, STATUS_BLINK_MIN_MS);
    EXPECT_FALSE(m_icons->Records()[1].blinking);
}

TEST_F(StatusIconTest, AStatusTheCharacterLostGoes) {
    Carry(kPoison);
    m_icons->AddStatusIcon(1, kPoison, 0);
    m_icons->AddStatusIcon(2, kStun, 0);  // not carried
    m_driver.Frame();
    EXPECT_EQ(Shown(), (std::vector<uint32_t>{kPoison}));
    EXPECT_EQ(m_icons->Records()[0].icon->GetX(), 400 - 16);
}

}  // namespace
