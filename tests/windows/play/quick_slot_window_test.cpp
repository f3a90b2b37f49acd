// The quick slots: the place under the mouse, the server's record, the
// function keys on the second page, drops and right clicks with the requests
// they send, and the position kept per screen size.
#include "windows/play/quick_slot_window.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/config.h"
#include "data/skill_table_mgr.h"
#include "graphics/display_settings.h"
#include "platform/keyboard.h"
#include "tests/windows/play/items_fixture.h"
#include "ui/window_layout.h"

namespace {

using namespace itemwin;

TEST(QuickSlotPlace, ThirtyPixelPlacesInTwoRows) {
    struct Case {
        int32_t mx, my, place;
    } cases[] = {
        {38, 30, 0},  {39, 30, 1}, {40, 30, 1},   {10, 69, 0},  {10, 70, 4},
        {125, 94, 7}, {9, 30, -1}, {126, 30, -1}, {50, 27, -1}, {50, 95, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(QuickSlotPlaceAt(0, 0, c.mx, c.my), c.place) << c.mx << "," << c.my;
    EXPECT_EQ(QuickSlotPlaceAt(100, 200, 140, 275), 5);
}

class QuickSlotTest : public ItemsFixture {
protected:
    void SetUp() override {
        // Skill rows 0-5 (ids 3,000,000 + row), named.
        qmtest::TableBuilder skills(6, 14);
        skills.U32(1).Text(2);
        for (int row = 0; row < 6; ++row)
            skills.Set(1, row, SKILL_ID_BASE + row).Set(2, row, "Skill" + std::to_string(row));
        m_db.Write(SKILL_TABLE_FILE, skills);
        for (int file : {13, 31}) m_db.Write(file, qmtest::TableBuilder(0, 1));
        m_skills = std::make_unique<CSkillTableMgr>();
        g_pSkillTableMgr = m_skills.get();
        ItemsFixture::SetUp();
        m_slots = dynamic_cast<CQuickSlotWindow*>(
            m_driver.Mgr().FindWindowByName(QUICK_SLOT_WINDOW_NAME, m_player->GetCharId()));
        ASSERT_TRUE(m_slots);
        m_slots->Show();
        m_slots->SetPosition(100, 200);
    }
    void TearDown() override {
        ItemsFixture::TearDown();
        g_pSkillTableMgr = nullptr;
        m_skills.reset();
    }
    void Record(std::vector<uint8_t> slots, std::vector<uint32_t> values) {
        m_slots->ApplyRecord(uint8_t(slots.size()), slots.data(), values.data());
    }

    std::unique_ptr<CSkillTableMgr> m_skills;
    CQuickSlotWindow* m_slots = nullptr;
};

TEST_F(QuickSlotTest, TheServersRecordFillsTheSlots) {
    Record({4, 6, 7, 17, 3}, {SKILL_ID_BASE + 5, SKILL_ID_BASE - 1, SKILL_ID_BASE + 99, kIds[kPotion], 0});
    // 3,000,005: a skill icon of row 5.
    EXPECT_EQ(m_slots->GetSlot(4).type, QUICK_SLOT_SKILL);
    ASSERT_TRUE(m_slots->GetSlot(4).skill);
    EXPECT_EQ(m_slots->GetSlot(4).skill->SkillRow(), 5);
    // One below: an item slot of that id.
    EXPECT_EQ(m_slots->GetSlot(6).type, QUICK_SLOT_ITEM);
    EXPECT_EQ(m_slots->GetSlot(6).itemId, SKILL_ID_BASE - 1);
    // A skill the table lacks makes no icon; slot 17 is no slot.
    EXPECT_EQ(m_slots->GetSlot(7).type, QUICK_SLOT_EMPTY);
    EXPECT_EQ(m_slots->GetSlot(3).type, QUICK_SLOT_ITEM);
    // A new record empties the slot first.
    Record({4}, {kIds[kHerb]});
    EXPECT_EQ(m_slots->GetSlot(4).type, QUICK_SLOT_ITEM);
    EXPECT_FALSE(m_slots->GetSlot(4).skill);
    // Index 16 is the current skill.
    Data()->AddOrUpdateSkill(SKILL_ID_BASE + 2, 1, 1, 0);
    Record({QUICK_SLOT_CURRENT_SKILL}, {2});
    EXPECT_EQ(Data()->GetSelectedSkillId(), SKILL_ID_BASE + 2);
}

TEST_F(QuickSlotTest, FunctionKeysUseThePageShown) {
    CItemIcon* potion = Put(kPotion, 2, 5);
    const uint32_t unused = potion->GetLastUseTime();
    Record({10}, {kIds[kPotion]});
    // Page 0: F3 is slot 2, empty.
    m_driver.Key(0x3D, plat::VK_F1 + 2);
    m_driver.Frame();
    EXPECT_EQ(potion->GetLastUseTime(), unused);
    // Page 1: F3 is slot 10.
    m_slots->TogglePage();
    EXPECT_EQ(m_slots->GetPage(), 1);
    m_driver.Key(0x3D, plat::VK_F1 + 2);
    m_driver.Frame();
    EXPECT_NE(potion->GetLastUseTime(), unused);
    // A click on the first page's tab turns back.
    m_driver.Click(0, 100 + 60, 200 + 5);
    m_driver.Frame();
    EXPECT_EQ(m_slots->GetPage(), 0);
}

TEST_F(QuickSlotTest, DropsAndRightClicksGoToTheServer) {
    CItemIcon* potion = Put(kPotion, 2, 5);
    Record({1}, {SKILL_ID_BASE + 3});
    ASSERT_TRUE(m_slots->GetSlot(1).skill);
    // The potion onto place 1 (which held a skill): the icon goes, the item comes.
    m_slots->DropIcon(potion, 100 + 45, 200 + 40);
    EXPECT_EQ(m_slots->GetSlot(1).type, QUICK_SLOT_ITEM);
    EXPECT_FALSE(m_slots->GetSlot(1).skill);
    EXPECT_EQ(Sent(), (std::vector<chattest::Bytes>{Bytes({6, 1, 1, 0, 0, 0x04, 0x4F})}));
    // A skill icon dropped on place 5: the slot keeps it.
    auto* icon = new CSkillAction;
    icon->SetSkillRow(4);
    m_slots->DropSkillIcon(icon, 100 + 45, 200 + 80);
    EXPECT_EQ(m_slots->GetSlot(5).skill.get(), icon);
    EXPECT_EQ(Sent(), (std::vector<chattest::Bytes>{Bytes({6, 1, 5, 0, 0x2D, 0xC6, 0xC4})}));
    // Outside the slots nothing changes.
    m_slots->DropIcon(potion, 100 + 200, 200 + 40);
    EXPECT_TRUE(Sent().empty());
    // A right click empties the slot.
    m_driver.Click(1, 100 + 45, 200 + 80);
    m_driver.Frame();
    EXPECT_EQ(m_slots->GetSlot(5).type, QUICK_SLOT_EMPTY);
    EXPECT_EQ(Sent(), (std::vector<chattest::Bytes>{Bytes({6, 0, 5, 0, 0, 0, 0})}));
}

TEST_F(QuickSlotTest, ThePositionIsKeptPerScreenSize) {
    m_slots->SetPosition(300, 250);
    CLayoutWriter writer;
    m_slots->SaveSettings(&writer);
    EXPECT_NE(writer.Text().find("WindowPositionX[800x600] 300"), std::string::npos);
    EXPECT_NE(writer.Text().find("SlotType_0 0"), std::string::npos);
    ASSERT_TRUE(writer.Commit(LAYOUT_FILE_NAME));
    g_options.SetByte(OPTION_QUICK_SLOTS_SHOWN, 1);
    m_slots->LoadSettings();
    EXPECT_EQ(m_slots->GetX(), 300);
    EXPECT_EQ(m_slots->GetY(), 250);
    EXPECT_TRUE(m_slots->IsDrawOn());
    // Saved at 800 x 600, loaded at 1024 x 768: the bottom-left corner; hidden by the option.
    CDisplaySettings& screen = GetDisplaySettings();
    const CDisplaySettings before = screen;
    screen.screenWidth = 1024;
    screen.screenHeight = 768;
    g_options.SetByte(OPTION_QUICK_SLOTS_SHOWN, 0);
    m_slots->LoadSettings();
    EXPECT_EQ(m_slots->GetX(), 0);
    EXPECT_EQ(m_slots->GetY(), 768 - QUICK_SLOT_HEIGHT);
    EXPECT_FALSE(m_slots->IsDrawOn());
    screen = before;
}

}  // namespace
