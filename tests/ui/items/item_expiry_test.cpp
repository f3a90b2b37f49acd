// An item's expiry text and the record of an item dropped on the ground.
#include "ui/items/item_expiry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/data_fixtures.h"
#include "ui/items/item_drop_msg.h"

namespace {

// Text table 19 with the expiry rows.
std::vector<std::string> ItemTexts() {
    std::vector<std::string> rows(103);
    rows[85] = "%u-%u-%u %s %u:%02u";
    rows[86] = "%u/%u/%u %s%u";
    rows[87] = "AM";
    rows[88] = "PM";
    rows[102] = "%u uses left";
    return rows;
}

CItemExpiry Date(uint8_t year, uint8_t month, uint8_t day, uint8_t hour, uint8_t minute, uint16_t count = 0) {
    CItemExpiry e;
    const uint8_t date[5] = {year, month, day, hour, minute};
    e.SetDate(date);
    e.m_count = count;
    return e;
}

TEST(ItemExpiryTest, DatesCountsAndNothing) {
    qmtest::ScopedTextTables tables({{19, ItemTexts()}});
    struct Case {
        CItemExpiry expiry;
        bool longForm;
        const char* text;
    } cases[] = {
        {Date(26, 3, 9, 0, 5), true, "2026-3-9 AM 12:05"},
        {Date(26, 3, 9, 12, 0), true, "2026-3-9 PM 12:00"},
        {Date(26, 3, 9, 23, 59), true, "2026-3-9 PM 11:59"},
        {Date(26, 3, 9, 23, 59), false, "2026/3/9 PM11"},
        {Date(255, 0, 0, 0, 0), true, ""},                // no date, no count
        {Date(255, 0, 0, 0, 0, 4), true, "4 uses left"},  // the count without a date
        {Date(26, 3, 9, 8, 0, 2), true, "2 uses left"},   // a count wins over a date
        // Bytes no clock has: shown as they come, never read past.
        {Date(254, 200, 255, 255, 255), true, "2254-200-255 PM 3:255"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expiry.Format(c.longForm), c.text);
        char buffer[8];
        EXPECT_EQ(c.expiry.Format(buffer, sizeof buffer, c.longForm), *c.text != '\0') << c.text;
        EXPECT_EQ(std::string(buffer), std::string(c.text).substr(0, 7));
    }
    // A table whose date row asks for more than there is prints it literally.
    std::vector<std::string> hostile = ItemTexts();
    hostile[85] = "%s%s%s%s%s%s%s%n";
    qmtest::ScopedTextTables other({{19, hostile}});
    EXPECT_FALSE(Date(26, 1, 1, 1, 1).Format(true).empty());
    EXPECT_FALSE(Date(26, 1, 1, 1, 1).Format(nullptr, 0, true));
}

TEST(ItemDropMsgTest, OnePieceOfTheItemWithItsSockets) {
    CItemObject item;
    item.Init(-1, 1004540);
    item.SetFlags(1);
    item.SetCount(7);
    item.Record() = CItemRecord{2, 3, 11, 12, 13};
    CItemDropMsg msg;
    EXPECT_EQ(msg.m_id, ITEM_DROP_MSG);
    EXPECT_EQ(msg.m_objectId, UINT32_MAX);
    FillItemDropMessage(msg, item, Date(26, 1, 2, 3, 4), 40, 50, 2000001, 77);
    EXPECT_EQ(msg.m_kind, 0);
    EXPECT_EQ(msg.m_tileX, 40u);
    EXPECT_EQ(msg.m_tileY, 50u);
    EXPECT_EQ(msg.m_charId, 2000001u);
    EXPECT_EQ(msg.m_objectId, 77u);
    EXPECT_EQ(msg.m_itemId, 1004540u);
    EXPECT_EQ(msg.m_count, 1);
    EXPECT_EQ(msg.m_flags, 1u);
    EXPECT_STREQ(msg.m_name, "");
    EXPECT_EQ(msg.m_expiry, Date(26, 1, 2, 3, 4));
    EXPECT_EQ(msg.m_socketGrade, 2);
    EXPECT_EQ(msg.m_socketCount, 3);
    EXPECT_EQ(msg.m_socketIds[2], 13u);
}

}  // namespace
