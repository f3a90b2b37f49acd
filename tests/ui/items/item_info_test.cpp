// An item's description: its lines, colours and rows, and the grid of a box.
#include "ui/items/item_info.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/item_table_mgr.h"
#include "graphics/rich_text.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/table_builder.h"
#include "tests/support/window_driver.h"
#include "tests/ui/items/item_fixture.h"
#include "ui/items/item_icon.h"
#include "ui/message_box.h"

namespace {

enum : int32_t { kBlade = 0, kHerb = 1, kOdd = 2, kGem = 3 };
constexpr int kDescription = ITEM_COL_TEXT_37;

qmtest::TableBuilder InfoTable() {
    qmtest::TableBuilder t(4, ITEM_COL_FIRST_REQUIREMENT + 9);
    t.Text(ITEM_COL_NAME).U32(ITEM_COL_ITEM_ID).Text(kDescription).U16(ITEM_COL_CLASS_MASK);
    const char* names[] = {"Blade", "Herb", "Odd", "Gem"};
    for (int row = 0; row < 4; ++row)
        t.Set(ITEM_COL_NAME, row, names[row]).Set(ITEM_COL_ITEM_ID, row, 500 + row);
    t.Set(ITEM_COL_EQUIP_KIND, kBlade, 2)
        .Set(ITEM_COL_SUB_KIND, kBlade, 1)
        .Set(ITEM_COL_CLASS_MASK, kBlade, 0b101);
    t.Set(ITEM_COL_REQUIREMENTS, kBlade, 2).Set(ITEM_COL_FIRST_REQUIREMENT, kBlade, 1);
    t.Set(ITEM_COL_FIRST_REQUIREMENT + 1, kBlade, 30).Set(ITEM_COL_FIRST_REQUIREMENT + 2, kBlade, 20);
    t.Set(kDescription, kBlade, "Sharp.").Set(ITEM_COL_WARNING_FLAG, kBlade, 1);
    t.Set(ITEM_COL_PLAIN_VALUE, kHerb, 7);
    // Bytes beyond every label table.
    t.Set(ITEM_COL_EQUIP_KIND, kOdd, 200).Set(ITEM_COL_SUB_KIND, kOdd, 9).Set(ITEM_COL_REQUIREMENTS, kOdd, 9);
    for (int k = 0; k < 4; ++k) t.Set(ITEM_COL_FIRST_REQUIREMENT + 2 * k, kOdd, 13 + k);
    t.Set(ITEM_COL_COLOR_CLASS, kGem, 4);
    t.Set(ITEM_COL_REQUIREMENTS, kGem, 1).Set(ITEM_COL_FIRST_REQUIREMENT, kGem, 1);  // level 5
    t.Set(ITEM_COL_FIRST_REQUIREMENT + 1, kGem, 5);
    return t;
}

std::vector<std::string> Texts() {
    std::vector<std::string> rows(103);
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = "L" + std::to_string(i);
    rows[54] = "level %d";
    rows[102] = "%u left";
    return rows;
}

class ItemInfoTest : public ::testing::Test {
protected:
    ItemInfoTest() : m_useFactory(m_factory) {
        m_db.Write(CItemTableMgr::ITEM_TABLE_FILE, InfoTable());
        m_previous = std::exchange(g_pItemTableMgr, new CItemTableMgr);
    }
    ~ItemInfoTest() override {
        delete g_pItemTableMgr;
        g_pItemTableMgr = m_previous;
    }
    // A new icon of the row.
    CItemIcon& Icon(int32_t row) {
        m_icons.push_back(std::make_unique<CItemIcon>());
        m_icons.back()->Init(row, uint32_t(500 + row));
        return *m_icons.back();
    }
    static std::vector<std::string> Lines(const CItemIcon& icon) {
        std::vector<std::string> out;
        for (const ItemInfoLine& l : CollectItemInfo(icon))
            out.push_back(std::to_string(l.row) + ":" + std::to_string(l.column) + " " + l.text);
        return out;
    }
    static uint32_t ColourOf(const CItemIcon& icon, const std::string& prefix) {
        for (const ItemInfoLine& l : CollectItemInfo(icon))
            if (l.text.rfind(prefix, 0) == 0) return l.colour;
        return 1;
    }

    qmtest::ScopedDatabase m_db;
    qmtest::ScopedTextTables m_texts{{{19, Texts()}, {0, std::vector<std::string>(28, "")}}};
    CItemIconFactory m_factory;
    ScopedItemObjectFactory m_useFactory;
    CItemTableMgr* m_previous = nullptr;
    std::vector<std::unique_ptr<CItemIcon>> m_icons;
};

TEST_F(ItemInfoTest, EquipmentLinesInOrder) {
    CItemIcon& blade = Icon(kBlade);
    blade.SetValues(50, 80);
    blade.SetBonus(0, 5);
    blade.SetBonus(4, 9);  // zero bonuses leave no row and no gap
    blade.SetRow82Value(-3);
    blade.SetGrade(3);
    EXPECT_EQ(Lines(blade), (std::vector<std::string>{
                                "0:0 Blade - L2(L98)",
                                "2:0 L42 50/80",
                                "3:0 L43 5",
                                "4:0 L47 9",
                                "5:0 L52 62%",
                                "6:0 L82-3",
                                "7:0 L55 3",
                                "10:0 L56",
                                "12:0 L57",
                                "13:0 L58",
                                "14:0 L59",
                                "15:0 L61 [30]",
                                "16:0 Sharp.",
                            }));
    EXPECT_EQ(ColourOf(blade, "L61"), ITEM_INFO_REQUIREMENT_COLOUR);
    EXPECT_EQ(ColourOf(blade, "L58"), ColourOfTag("c5"));
    blade.SetGrade(4);
    EXPECT_EQ(ColourOf(blade, "level 4"), ColourOfTag("c0"));
}

TEST_F(ItemInfoTest, DurabilityColourByHowWornItIs) {
    struct Case {
        uint32_t current, maximum;
        const char* colour;
    } cases[] = {{1, 100, "c0"}, {9, 100, "c0"}, {10, 100, "c2"}, {1, 1, "c0"}, {2, 0, "c2"}};
    for (const Case& c : cases) {
        CItemIcon& blade = Icon(kBlade);
        blade.SetValues(c.current, c.maximum);
        EXPECT_EQ(ColourOf(blade, "L42"), ColourOfTag(c.colour)) << c.current << "/" << c.maximum;
    }
    EXPECT_EQ(ColourOf(Icon(kBlade), "L52 0%"), kRichWhite);  // a maximum of 0 gives 0 percent
}

TEST_F(ItemInfoTest, PlainItemsOddBytesAndTheExpiry) {
    CItemIcon& herb = Icon(kHerb);
    EXPECT_EQ(Lines(herb), (std::vector<std::string>{"0:0 Herb", "2:0 L53 7"}));  // no expiry line
    herb.Expiry().m_count = 4;
    EXPECT_EQ(Lines(herb).back(), "4:0 4 left");
    // Labels outside their tables are empty; four requirements at most, kinds past 13 skipped.
    EXPECT_EQ(Lines(Icon(kOdd)), (std::vector<std::string>{
                                     "0:0 Odd - ()",
                                     "2:0 L42 0/0",
                                     "3:0 L820",
                                     "4:0 L55 0",
                                     "7:0 L57",
                                     "8:0 L59",
                                     "9:0 L73 [0]",
                                 }));
}

TEST_F(ItemInfoTest, SocketsLinkTheirOwnDescriptionAndABuildClosesTheOldOnes) {
    qmtest::WindowDriver driver;
    CItemIcon& blade = Icon(kBlade);
    blade.SetFlags(1);
    blade.Record() = CItemRecord{2, 2, 503, 999, 0};  // one known socket item, one unknown
    CMessageBox box;
    box.SetTextRows(BuildItemInfoText(blade, &box.EditText()));
    std::vector<CBaseWindow*> boxes;
    ASSERT_EQ(driver.Mgr().FindAllWindowsByName(MESSAGE_BOX_NAME, &boxes), 1);
    auto* gemBox = dynamic_cast<CMessageBox*>(boxes.front());
    EXPECT_FALSE(gemBox->IsDrawOn());
    EXPECT_STREQ(gemBox->Text().Row(0).front().text, "Gem");
    const CRichTextRun* gemRun = nullptr;
    for (int row = 0; row < CRichText::ROWS; ++row)
        for (const CRichTextRun& run : box.Text().Row(row))
            if (std::string(run.text) == "Gem") gemRun = &run;
    ASSERT_NE(gemRun, nullptr);
    EXPECT_EQ(gemRun->linked.Get(), gemBox);
    EXPECT_EQ(gemRun->colour, 0x00FF00u);  // the gem's own name colour
    BuildItemInfoText(blade, &box.EditText());
    driver.Frame();
    EXPECT_EQ(driver.Mgr().FindAllWindowsByName(MESSAGE_BOX_NAME, &boxes), 1) << "no pile of boxes";
}

// The colours that depend on the player: a socket item above the player's
// level shows in colour 0, and the player's own class among those that may
// wear the item in colour 5. Without a player neither stands out.
TEST_F(ItemInfoTest, ColoursMeasuredAgainstThePlayer) {
    std::vector<std::string> classes(28, "");
    classes[14] = "Knight";
    classes[15] = "Mage";
    qmtest::ScopedTextTables texts{{{19, Texts()}, {0, classes}}};
    CItemIcon& blade = Icon(kBlade);  // worn by all classes and by mages
    blade.SetFlags(1);
    blade.Record() = CItemRecord{2, 1, 503, 0, 0};  // the gem, which asks for level 5
    const uint32_t gemColour = ItemNameColour(Icon(kGem));
    struct Case {
        const char* name;
        bool player;
        uint32_t level;
        const char* className;
        uint32_t gem, mage;
    } cases[] = {
        {"no player", false, 0, "", gemColour, ColourOfTag("c2")},
        {"a knight below the gem's level", true, 4, "Knight", ColourOfTag("c0"), ColourOfTag("c2")},
        {"a mage at the gem's level", true, 5, "Mage", gemColour, ColourOfTag("c5")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        itemtest::FakeWorld world;
        world.m_hasPlayer = c.player;
        world.m_level = c.level;
        world.m_className = c.className;
        ScopedItemWorld useWorld{world};
        EXPECT_EQ(ColourOf(blade, "Gem"), c.gem);
        EXPECT_EQ(ColourOf(blade, "Mage"), c.mage);
        EXPECT_EQ(ColourOf(blade, "L58"), ColourOfTag("c5")) << "all classes";
    }
}

}  // namespace
