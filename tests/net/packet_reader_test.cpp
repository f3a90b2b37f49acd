#include "net/packet_reader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "data/item_object.h"
#include "data/item_table_mgr.h"
#include "net/packet_fields.h"
#include "net/packet_writer.h"
#include "tests/support/table_builder.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(PacketReader, ReadsBigEndianFields) {
    const Bytes data = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 0x01, 0x02, 3, 'a', 'b', 'c', 0x7F};
    CPacketReader reader(data.data(), data.size());
    EXPECT_EQ(reader.GetByte(), 0x12);
    EXPECT_EQ(reader.GetWord(), 0x3456);
    EXPECT_EQ(reader.GetTriple(), 0x789ABCu);
    EXPECT_EQ(reader.GetDword(), 0xDEF00102u);
    EXPECT_EQ(reader.GetString(), "abc");
    EXPECT_EQ(reader.Remaining(), 1u);
    EXPECT_FALSE(reader.Failed());
}

TEST(PacketReader, ReadsPastTheEndGiveZeroAndFail) {
    struct Case {
        const char* name;
        Bytes data;
        uint32_t (*read)(CPacketReader&);
    };
    const Case cases[] = {
        {"byte of nothing", {}, [](CPacketReader& r) { return uint32_t(r.GetByte()); }},
        {"word of one byte", {0xFF}, [](CPacketReader& r) { return uint32_t(r.GetWord()); }},
        {"triple of two bytes", {0xFF, 0xFF}, [](CPacketReader& r) { return r.GetTriple(); }},
        {"dword of three bytes", {0xFF, 0xFF, 0xFF}, [](CPacketReader& r) { return r.GetDword(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CPacketReader reader(c.data.data(), c.data.size());
        EXPECT_EQ(c.read(reader), 0u);
        EXPECT_TRUE(reader.Failed());
        EXPECT_TRUE(reader.AtEnd());
        EXPECT_EQ(reader.GetByte(), 0) << "stays failed";
    }

    // A text announcing more than there is.
    const Bytes truncated = {5, 'a', 'b'};
    CPacketReader reader(truncated.data(), truncated.size());
    char text[16] = "unchanged";
    EXPECT_EQ(reader.GetString(text), 0u);
    EXPECT_STREQ(text, "");
    EXPECT_TRUE(reader.Failed());

    CPacketReader none(nullptr, 10);
    EXPECT_EQ(none.GetDword(), 0u);
    EXPECT_TRUE(none.Failed());
}

TEST(PacketReader, TextsAreCutOnACharacterBoundaryAndConsumedWhole) {
    // "ab", then a double-byte character (0x82 0xA0), then "c"; then a byte 9.
    const Bytes data = {5, 'a', 'b', 0x82, 0xA0, 'c', 9};
    struct Case {
        size_t capacity;
        std::string expected;
    };
    const Case cases[] = {{1, ""},
                          {3, "ab"},
                          {4, "ab"},
                          {5, "ab\x82\xA0"},
                          {6,
                           "ab\x82\xA0"
                           "c"},
                          {64,
                           "ab\x82\xA0"
                           "c"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.capacity);
        CPacketReader reader(data.data(), data.size());
        std::vector<char> text(c.capacity, 'x');
        EXPECT_EQ(reader.GetString(text.data(), text.size()), c.expected.size());
        EXPECT_EQ(std::string(text.data()), c.expected);
        EXPECT_EQ(reader.GetByte(), 9) << "the next field";
        EXPECT_FALSE(reader.Failed());
    }
}

TEST(PacketWriter, WritesFieldsAndRefusesOverflow) {
    CPacketWriter writer(14);
    writer.PutByte(1).PutWord(0x0203).PutDword(0x04050607).PutText("hi").PutBytes("xy", 2);
    EXPECT_EQ(Bytes(writer.Data(), writer.Data() + writer.Length()),
              (Bytes{14, 1, 2, 3, 4, 5, 6, 7, 2, 'h', 'i', 'x', 'y'}));
    EXPECT_FALSE(writer.Failed());

    // A text takes the room left whole or not at all.
    CPacketWriter full(1);
    full.PutByte(0);
    EXPECT_TRUE(full.PutText(std::string(253, 'a').c_str()).Failed());
    EXPECT_EQ(full.Length(), 2u) << "nothing of the text is written";
    CPacketWriter fits(1);
    fits.PutByte(0).PutText(std::string(252, 'a').c_str());
    EXPECT_EQ(fits.Length(), 255u);
    EXPECT_FALSE(fits.Failed());
    fits.PutByte(0);
    EXPECT_TRUE(fits.Failed());
}

class LocalTimeUtc : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        m_hadTz = tz != nullptr;
        if (tz) m_tz = tz;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override {
        if (m_hadTz)
            setenv("TZ", m_tz.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    bool m_hadTz = false;
    std::string m_tz;
};

TEST_F(LocalTimeUtc, PackDateTime) {
    struct Case {
        uint32_t seconds;
        Bytes expected;
    };
    const Case cases[] = {
        {1709634000u, {24, 3, 5, 10, 20}},  // 2024-03-05 10:20 UTC
        {946684800u, {0, 1, 1, 0, 0}},      // 2000-01-01 00:00
        {0u, {255, 0, 0, 0, 0}},            // none
        {946684799u, {255, 0, 0, 0, 0}},    // before 2000
    };
    for (const Case& c : cases) {
        const uint8_t wire[5] = {uint8_t(c.seconds >> 24), uint8_t(c.seconds >> 16), uint8_t(c.seconds >> 8),
                                 uint8_t(c.seconds), 0x77};
        CPacketReader reader(wire, sizeof(wire));
        uint8_t out[5];
        EXPECT_EQ(PackDateTime(out, reader), 4u);
        EXPECT_EQ(Bytes(out, out + 5), c.expected) << c.seconds;
        EXPECT_EQ(reader.GetByte(), 0x77);
    }
    const uint8_t shortWire[2] = {1, 2};
    CPacketReader reader(shortWire, 2);
    uint8_t out[5];
    PackDateTime(out, reader);
    EXPECT_EQ(out[0], 255);
    EXPECT_TRUE(reader.Failed());
}

TEST(ReadNumberList, KeepsWhatTheItemHoldsAndConsumesEveryText) {
    struct Limits : IItemNumberLimitLookup {
        int GetItemNumberLimit(uint32_t item) override { return item == 100 ? 2 : item == 200 ? 7 : -1; }
    } limits;
    ScopedItemNumberLimitLookup scopedLimits(limits);
    // Three texts, then a byte 9.
    const Bytes wire = {3, 2, '1', '2', 1, '7', 3, '4', '0', '5', 9};
    struct Case {
        uint32_t item;
        uint32_t flag;
        CNumberList expected;
        size_t read;
    };
    const Case cases[] = {
        {100, 1, {2, 2, {7, 12, 0}}, wire.size() - 1},    // the first text goes last
        {200, 3, {3, 3, {405, 7, 12}}, wire.size() - 1},  // at most three
        {999, 1, {0, 0, {0, 0, 0}}, wire.size() - 1},     // unknown item: limit 0
        {100, 2, {0, 0, {0, 0, 0}}, 0},                   // low bit clear: nothing read
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        CPacketReader reader(wire.data(), wire.size());
        CNumberList list;
        EXPECT_EQ(ReadNumberList(c.item, c.flag, &list, reader), c.read);
        EXPECT_EQ(list.limit, c.expected.limit);
        EXPECT_EQ(list.kept, c.expected.kept);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(list.numbers[i], c.expected.numbers[i]) << i;
        if (c.read) {
            EXPECT_EQ(reader.GetByte(), 9);
        }
    }

    // A count larger than the texts there are.
    const Bytes truncated = {4, 1, '5'};
    CPacketReader reader(truncated.data(), truncated.size());
    CNumberList list;
    EXPECT_EQ(ReadNumberList(200, 1, &list, reader), truncated.size());
    EXPECT_TRUE(reader.Failed());
}

TEST(ReadNumberList, TheItemTablesGiveColumn1157OfTheItem) {
    qmtest::ScopedDatabase db;
    qmtest::TableBuilder t(2, ITEM_COL_NUMBER_LIMIT + 1);
    t.U32(ITEM_COL_ITEM_ID).Set(ITEM_COL_ITEM_ID, 0, 500).Set(ITEM_COL_ITEM_ID, 1, 501);
    t.Set(ITEM_COL_NUMBER_LIMIT, 0, 2);
    db.Write(CItemTableMgr::ITEM_TABLE_FILE, t);
    CItemTableNumberLimits limits;
    EXPECT_EQ(limits.GetItemNumberLimit(500), -1);  // no item tables yet
    CItemTableMgr manager;
    CItemTableMgr* previous = std::exchange(g_pItemTableMgr, &manager);
    EXPECT_EQ(limits.GetItemNumberLimit(500), 2);
    EXPECT_EQ(limits.GetItemNumberLimit(501), 0);
    EXPECT_EQ(limits.GetItemNumberLimit(502), -1);
    g_pItemTableMgr = previous;
}

}  // namespace
