// The event file reader and the command base's parameter getters.
#include "script/event_file.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/byte_source.h"
#include "script/event_command.h"
#include "tests/support/event_writer.h"

namespace {

using qmtest::EventWriter;
using qmtest::PByte;
using qmtest::PName;
using qmtest::PShort;
using qmtest::PText;

bool Read(const std::vector<uint8_t>& bytes, bool visual, EventFileData& out, EventFileError& error) {
    CMemorySource source(bytes);
    return ReadEventFile(source, visual, out, &error);
}

std::vector<uint8_t> Sample() {
    EventWriter w;
    w.Function("StartEvent").Command(2, {PText("30")}).Command(0, {PName("Next")});
    w.Function("Next").Command(4);
    return w.Bytes();
}

TEST(EventFileTest, ReadsWhatTheWriterWrites) {
    EventWriter w;
    w.Data().flag = 7;
    w.Function("StartEvent")
        .Command(900, {PByte(1), PShort(8, 5), PByte(0), PShort(7, 3), qmtest::PTriple(1, 2, 3), PText("9"),
                       PByte(255), PShort(2, 0)})
        .Command(300, {PByte(0), PShort(8, 1), qmtest::PTriple(0, 4, 0), qmtest::PPoint(-3, 12), PByte(0),
                       PText("0.5"), PByte(1)})
        .Command(906, {qmtest::PLong(0x12345678)});
    EventFileData data;
    EventFileError error;
    ASSERT_TRUE(Read(w.Bytes(), false, data, error)) << error.reason;
    EXPECT_EQ(data.flag, 7);
    ASSERT_EQ(data.functions.size(), 1u);
    const auto& commands = data.functions[0].commands;
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].params[4].tripleSecond, 2);
    EXPECT_EQ(commands[1].params[3].x, -3);
    EXPECT_EQ(commands[1].params[3].y, 12);
    EXPECT_EQ(commands[2].params[0].longValue, 0x12345678u);
}

// Damaged files are refused with the row of text table 16 that says so and
// where it happened.
TEST(EventFileTest, DamagedFilesAreRefusedWithTheirRow) {
    const std::vector<uint8_t> good = Sample();
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool visual;
        int row;
        int32_t index;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", {}, false, 21, -1});
    cases.push_back({"header cut", {0, 1, 0}, true, 20, -1});
    // A function count the bytes cannot hold.
    std::vector<uint8_t> manyFunctions = good;
    StoreU32Le(&manyFunctions[1], 1000);
    cases.push_back({"function count", manyFunctions, false, 21, -1});
    // A command count the bytes cannot hold (after the first name).
    std::vector<uint8_t> manyCommands = good;
    StoreU32Le(&manyCommands[5 + 64], 0x40000000);
    cases.push_back({"command count", manyCommands, false, 21, -1});
    const std::vector<uint8_t> one = EventWriter().Command(2, {PText("1")}).Bytes();
    cases.push_back(
        {"cut in a parameter", std::vector<uint8_t>(one.begin(), one.begin() + 100), false, 15, 0});
    // Code 7 names no class in field scripts; code 700 is a field-script
    // code only.
    cases.push_back({"field code without a class", EventWriter().Command(7).Bytes(), false, 14, 0});
    cases.push_back({"unknown code", EventWriter().Command(4).Command(700).Bytes(), true, 14, 1});
    EventWriter unknownType;
    unknownType.Command(2, {PText("1")});
    std::vector<uint8_t> badType = unknownType.Bytes();
    badType[5 + 64 + 4 + 2 + 1] = 13;  // the first parameter's type
    cases.push_back({"parameter type 13", badType, false, 15, 0});
    for (const Case& c : cases) {
        EventFileData data;
        EventFileError error;
        EXPECT_FALSE(Read(c.bytes, c.visual, data, error)) << c.what;
        EXPECT_EQ(error.row, c.row) << c.what;
        EXPECT_EQ(error.index, c.index) << c.what;
    }
}

TEST(EventFileTest, NamesAndTextsAreTerminatedAfterTheirField) {
    EventWriter w;
    w.Function(std::string(64, 'F'))
        .Command(2, {PText(std::string(64, 'x'))})
        .Command(0, {PName(std::string(30, 'n'))});
    EventFileData data;
    EventFileError error;
    ASSERT_TRUE(Read(w.Bytes(), false, data, error));
    EXPECT_EQ(data.functions[0].name, std::string(64, 'F'));
    EXPECT_EQ(std::string(data.functions[0].commands[0].params[0].text), std::string(64, 'x'));
    EXPECT_EQ(std::string(data.functions[0].commands[1].params[0].text), std::string(30, 'n'));
}

TEST(EventFileTest, CodeTablesOfTheTwoKinds) {
    struct Case {
        uint16_t code;
        bool visual;
        int kind;
    };
    const Case cases[] = {{300, false, 38}, {500, true, 38}, {300, true, 31},  {919, false, 22},
                          {914, false, 22}, {914, true, -1}, {1100, true, 76}, {1100, false, -1},
                          {100, false, -1}, {6, true, 7},    {6, false, 6},    {8, false, 7}};
    for (const Case& c : cases) EXPECT_EQ(EventCommandKind(c.code, c.visual), c.kind) << c.code;
}

// A command that shows its getters.
class Probe : public CEventCommand {
public:
    Probe() : CEventCommand(3) {}
    using CEventCommand::OptionalByte;
};

TEST(EventFileTest, GettersTakeDefaultsAndEmptyRecordsPastTheCount) {
    EventCommandData data;
    data.params = {PByte(255), PByte(0), PShort(8, 5)};
    Probe probe;
    ASSERT_TRUE(probe.Load(data, nullptr));
    EXPECT_EQ(probe.GetByteParam(0, 9), 9);  // 255: the caller's default
    EXPECT_EQ(probe.GetByteParam(1, 9), 0);
    EXPECT_EQ(probe.GetByteParam(7, 9), 9);  // past the count: the default
    EXPECT_EQ(probe.OptionalByte(3, 9), 0);  // the optional form: 0
    EXPECT_STREQ(probe.GetTextParam(5), "");
    EXPECT_EQ(probe.GetType2Param(5), 0);
    const uint32_t bases[] = {2000005, 2200005, 2000005, 2100005};
    for (uint8_t mode = 0; mode < 4; ++mode) EXPECT_EQ(probe.GetType8Param(2, mode), bases[mode]);
}

}  // namespace
