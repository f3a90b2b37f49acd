// The skill window: sections in id order with their skills in table order,
// the rows' second lines, the description of a learned and an unlearned
// skill, the requests its buttons, arrows and wheel send through the input
// queue, a learned skill dragged onto a quick slot, and server lists longer
// than the window holds.
#include "windows/play/skill_window.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/game_hooks.h"
#include "data/skill_table_mgr.h"
#include "net/handlers/char_records.h"
#include "platform/keyboard.h"
#include "tests/windows/play/items_fixture.h"
#include "ui/button.h"
#include "windows/play/quick_slot_window.h"

namespace {

using namespace itemwin;

// Skill rows: Bolt (section 7), Guard (section 3), Spark (section 7, needs
// Guard), Far (section 9, which the player lacks), Lost (section 3, a key
// the server does not offer).
enum : int32_t { kBolt, kGuard, kSpark, kFar, kLost, kSkillRows };
constexpr const char* kSkillNames[] = {"Bolt", "Guard", "Spark", "Far", "Lost"};
constexpr uint32_t kSections[] = {7, 3, 7, 9, 3};
constexpr uint32_t kKeys[] = {100, 101, 102, 103, 999};

qmtest::TableBuilder Levels(int rows, int word19, int word20, int byte3, uint32_t dword5, int byte4) {
    qmtest::TableBuilder levels(uint32_t(rows), 25);
    levels.U8(3).U8(4).U32(5);
    for (int c = 19; c <= 24; ++c) levels.U16(c);
    for (int r = 0; r < rows; ++r)
        levels.Set(19, r, word19).Set(20, r, word20).Set(3, r, byte3).Set(5, r, dword5).Set(4, r, byte4);
    return levels;
}

qmtest::TableBuilder SkillTable(int32_t rows = kSkillRows) {
    qmtest::TableBuilder t(uint32_t(rows), 63);
    t.U32(SKILL_COL_ID)
        .Text(SKILL_COL_NAME)
        .U32(SKILL_COL_VALUE_9)
        .U8(SKILL_COL_MODE_9)
        .U32(SKILL_COL_DWORD_11);
    t.U8(SKILL_COL_BYTE_8).Set(SKILL_COL_BYTE_8, kBolt, 1);
    t.Ref(SKILL_COL_REF_12).Text(SKILL_COL_TEXT_44, 64).Nested(SKILL_COL_LEVELS);
    for (int c = 0; c < 6; c += 2) {
        t.U32(SKILL_COL_REQUIRED + c).U32(SKILL_COL_EXCLUDING + c);
        t.U8(SKILL_COL_REQUIRED + c + 1).U8(SKILL_COL_EXCLUDING + c + 1);
    }
    for (int32_t row = 0; row < rows; ++row) {
        const int32_t k = row < kSkillRows ? row : kBolt;
        t.Set(SKILL_COL_ID, row, SKILL_ID_BASE + uint32_t(row))
            .Set(SKILL_COL_NAME, row, kSkillNames[k])
            .Set(SKILL_COL_VALUE_9, row, kSections[k])
            .Set(SKILL_COL_MODE_9, row, 1)
            .Set(SKILL_COL_DWORD_11, row, kKeys[k])
            .Set(SKILL_COL_REF_12, row, {5, 0, 0})
            .Set(SKILL_COL_TEXT_44, row, std::string(kSkillNames[k]) + " text.");
    }
    t.Set(SKILL_COL_LEVELS, kBolt, Levels(3, 0, 0, 1, 50, 2).Layout());
    t.Set(SKILL_COL_LEVELS, kGuard, Levels(2, 10, 0, 1, 0, 0).Layout());
    t.Set(SKILL_COL_LEVELS, kSpark, Levels(1, 0, 4, 0, 0, 0).Layout());
    // Spark needs Guard at 1 (the bare base id is no skill) and excludes Far.
    t.Set(SKILL_COL_REQUIRED, kSpark, SKILL_ID_BASE + kGuard).Set(SKILL_COL_REQUIRED + 1, kSpark, 1);
    t.Set(SKILL_COL_REQUIRED + 2, kSpark, SKILL_ID_BASE).Set(SKILL_COL_REQUIRED + 3, kSpark, 2);
    t.Set(SKILL_COL_EXCLUDING, kSpark, SKILL_ID_BASE + kFar);
    return t;
}

std::map<int, std::vector<std::string>> SkillTexts() {
    std::map<int, std::vector<std::string>> texts = chattest::ChatTexts();
    std::vector<std::string>& t = texts[14];
    t[105] = "Skills";
    t[107] = "next %u %d %d";
    t[111] = "Attributes:";
    for (int n = 0; n < 6; ++n) t[size_t(112 + n)] = "\nW" + std::to_string(n + 1) + " %u";
    t[119] = "\nnone";
    t[120] = "\nneeds level %d";
    t[121] = "Needs";
    t[122] = "Excludes";
    return texts;
}

// The player's values the skill levels ask for: level 5, 100 and 10.
class PlayerWorld : public IGameWorldHooks {
public:
    explicit PlayerWorld(CCharData*& data) : m_data(data) {}
    bool HasSkill(CChar*, int32_t row) override { return m_data && m_data->HasSkill(row); }
    uint32_t GetSkillValue(CChar*, int32_t row) override { return m_data ? m_data->GetSkillValue(row) : 0; }
    uint32_t GetRequirementValue(CChar*, int which) override {
        return which == 0 ? 5 : which == 1 ? 100 : 10;
    }

private:
    CCharData*& m_data;
};

class SkillWindowTest : public ItemsFixture {
protected:
    void SetUp() override {
        m_db.Write(SKILL_TABLE_FILE, SkillTable());
        for (int file : {13, 31}) m_db.Write(file, qmtest::TableBuilder(0, 1));
        m_skills = std::make_unique<CSkillTableMgr>();
        g_pSkillTableMgr = m_skills.get();
        ItemsFixture::SetUp();
        m_data = Data();
        m_window = Hud<CSkillWindow>(HUD_SKILL);
        ASSERT_TRUE(m_window);
        // Guard learned at 2, used at 1.
        Data()->AddOrUpdateSkill(SKILL_ID_BASE + kGuard, 1, 2, 4);
        Data()->m_listB = {7, 3};
        Data()->m_listBValues = {5, 6};
        Data()->m_values[VALUE_REQUIRED_SECOND] = 40;
        Data()->m_listA = {100, 101, 102, 103};
        m_window->Rebuild();
        m_window->Open();
        m_window->SetPosition(300, 50);
        for (int i = 0; i < SKILL_WINDOW_ROWS; ++i) m_window->GetLevelUpButton(i)->SetImage(30, 20, "");
        for (bool side : {false, true}) m_window->GetLevelArrow(side)->SetImage(20, 20, "");
        Sent();
    }
    void TearDown() override {
        ItemsFixture::TearDown();
        g_pSkillTableMgr = nullptr;
        m_skills.reset();
    }
    std::vector<std::string> Names(int32_t section) {
        std::vector<std::string> names;
        for (int32_t e = 0; e < m_window->EntryCount(section); ++e)
            names.push_back(kSkillNames[m_window->EntryRow(section, e) % kSkillRows]);
        return names;
    }
    // The middle of the visible row's text.
    int32_t RowY(int32_t row) const { return 50 + 46 + 29 * row + 14; }
    void ClickControl(CBaseWindow* control) {
        m_driver.Click(0, control->GetX() + 5, control->GetY() + 5);
        m_driver.Frame();
    }

    qmtest::ScopedTextTables m_skillTexts{SkillTexts()};
    CCharData* m_data = nullptr;
    PlayerWorld m_world{m_data};
    ScopedGameWorldHooks m_worldScope{m_world};
    std::unique_ptr<CSkillTableMgr> m_skills;
    CSkillWindow* m_window = nullptr;
};

TEST_F(SkillWindowTest, SectionsInIdOrderAndTheirSkillsInTableOrder) {
    ASSERT_EQ(m_window->SectionCount(), 2);
    EXPECT_EQ(m_window->SectionId(0), 3u);
    EXPECT_EQ(m_window->SectionId(1), 7u);
    // Lost's key is not offered; Far's section is not the player's.
    EXPECT_EQ(Names(0), (std::vector<std::string>{"Guard"}));
    EXPECT_EQ(Names(1), (std::vector<std::string>{"Bolt", "Spark"}));
    EXPECT_EQ(m_window->EntryLevel(0, 0), 1);
    EXPECT_EQ(m_window->EntryLearned(0, 0), 2);
    // No section table: the untitled title.
    EXPECT_EQ(m_window->Title(), "Skills");
    // The levels the character data reports reach the entry.
    Data()->AddOrUpdateSkill(SKILL_ID_BASE + kBolt, 1, 1, 5);
    EXPECT_EQ(m_window->EntryLearned(1, 0), 1);
    // Second lines: the next level's needs, or "Mastered" at the last level.
    EXPECT_EQ(m_window->RowSecondLine(0, 0), "Mastered");
    EXPECT_EQ(m_window->RowSecondLine(1, 0), "next 50 1 2");
    // A new learnable list from the server builds the list anew: Spark is no longer offered.
    auto keys = std::make_unique<CIdArrayMsg>();
    const std::vector<uint32_t> offered{100, 101};
    keys->Set(offered.size(), offered.data());
    keys->m_count = 2;
    const uint32_t id = keys->m_id;
    PostMessageTo(0, m_player, 0, id, MsgDataPtr(keys.release()), nullptr);
    Controller()->m_ready = 1;
    Controller()->ProcessMessages();
    EXPECT_EQ(Names(1), (std::vector<std::string>{"Bolt"}));
}

TEST_F(SkillWindowTest, DescriptionsOfALearnedAndAnUnlearnedSkill) {
    EXPECT_EQ(
        m_window->Description(),
        "\\aC\\c200200255Guard\\n\\c255000255Attributes:\nW1 10\nneeds level 1\\n\\n\\c255255255Guard text.");
    // A click on the second section (it has no icon, yet is selectable), then on Spark.
    m_driver.Click(0, 300 + 20, 50 + 48 + 29 + 10);
    m_driver.Frame();
    ASSERT_EQ(m_window->CurrentSection(), 1);
    EXPECT_EQ(m_window->SelectedEntry(), 0);
    m_driver.Click(0, 300 + 150, RowY(1));
    m_driver.Frame();
    EXPECT_EQ(m_window->SelectedEntry(), 1);
    EXPECT_EQ(m_window->Description(),
              "\\aC\\c200200255Spark\\n\\c255000255Attributes:\nW2 4"
              "\\n\\n\\c200200255Needs\\n\\c255255000Guard(1)"
              "\\n\\n\\c200200255Excludes\\n\\c255255000Far(0)"
              "\\n\\n\\c255255255Spark text.");
}

TEST_F(SkillWindowTest, ButtonsArrowsAndTheWheelAskTheServer) {
    // Guard: used at 1 of 2. The left arrow does nothing at 1; the right one asks for 2.
    m_window->Draw();
    ClickControl(m_window->GetLevelArrow(false));
    EXPECT_TRUE(Sent().empty());
    ClickControl(m_window->GetLevelArrow(true));
    EXPECT_EQ(Sent(), (std::vector<chattest::Bytes>{Bytes({18, 0, 4, 2, 0})}));
    // Three notches over the level panel ask once.
    m_driver.Wheel(300 + 50, 50 + 250, 3);
    m_driver.Frame();
    EXPECT_EQ(Sent(), (std::vector<chattest::Bytes>{Bytes({18, 0, 4, 2, 0})}));
    // Used at 2 now: Ctrl with the left arrow asks for the lowest.
    Data()->AddOrUpdateSkill(SKILL_ID_BASE + kGuard, 2, 2, 4);
    m_driver.Keys().SetKeyDown(plat::VK_CONTROL, true);
    ClickControl(m_window->GetLevelArrow(false));
    m_driver.Keys().SetKeyDown(plat::VK_CONTROL, false);
    EXPECT_EQ(Sent(), (std::vector<chattest::Bytes>{Bytes({18, 0, 4, 1, 0})}));
    // Mastered: its level-up button takes no input.
    ClickControl(m_window->GetLevelUpButton(0));
    EXPECT_TRUE(Sent().empty());
    // Bolt, not learned: its button learns it (request 23 with its id).
    m_window->SelectSection(1, -1);
    m_window->Draw();
    ClickControl(m_window->GetLevelUpButton(0));
    EXPECT_EQ(Sent(), (std::vector<chattest::Bytes>{Bytes({23, 0, 0x2D, 0xC6, 0xC0})}));
    // Learned at 1 of 3: the same button asks for the next level.
    Data()->AddOrUpdateSkill(SKILL_ID_BASE + kBolt, 1, 1, 5);
    m_window->Draw();
    ClickControl(m_window->GetLevelUpButton(0));
    EXPECT_EQ(Sent(), (std::vector<chattest::Bytes>{Bytes({18, 0, 5, 2, 1})}));
}

TEST_F(SkillWindowTest, ALearnedSkillDraggedOntoAQuickSlot) {
    auto* slots = dynamic_cast<CQuickSlotWindow*>(
        m_driver.Mgr().FindWindowByName(QUICK_SLOT_WINDOW_NAME, m_player->GetCharId()));
    ASSERT_TRUE(slots);
    slots->Show();
    slots->SetPosition(100, 400);
    m_driver.Press(0, 300 + 150, RowY(0));
    m_driver.Frame();
    m_driver.MoveTo(300 + 160, RowY(0) + 5);
    m_driver.Frame();
    auto* held = dynamic_cast<CSkillAction*>(m_driver.Cursor().GetHeldObject());
    ASSERT_TRUE(held);
    EXPECT_EQ(held->SkillRow(), kGuard);
    m_driver.MoveTo(100 + 20, 400 + 40);
    m_driver.Frame();
    held->EndDrag();
    ASSERT_TRUE(slots->GetSlot(0).skill);
    EXPECT_EQ(slots->GetSlot(0).skill->SkillRow(), kGuard);
    EXPECT_EQ(Sent(), (std::vector<chattest::Bytes>{Bytes({6, 1, 0, 0, 0x2D, 0xC6, 0xC1})}));
}

// The server's lists may be longer than the window holds: twelve sections,
// two hundred skills in one; the rest is left out.
TEST_F(SkillWindowTest, ListsPastTheLimitsAreCut) {
    m_db.Write(SKILL_TABLE_FILE, SkillTable(230));
    CSkillTableMgr big;
    g_pSkillTableMgr = &big;
    Data()->m_listB.clear();
    for (uint32_t id = 100; id < 114; ++id) Data()->m_listB.push_back(id);
    Data()->m_listB.push_back(7);
    Data()->m_listBValues.assign(Data()->m_listB.size(), 1);
    m_window->Rebuild();
    EXPECT_EQ(m_window->SectionCount(), SKILL_WINDOW_SECTIONS);
    Data()->m_listB = {7};
    m_window->Rebuild();
    EXPECT_EQ(m_window->EntryCount(0), SKILL_WINDOW_SKILLS);
    g_pSkillTableMgr = m_skills.get();
}

}  // namespace
