// The character list, the server list, option switches, positioned sounds
// and premium notices.
#include <string>
#include <vector>

#include "net/handlers/account_handlers.h"
#include "tests/net/message_harness.h"
#include "tests/net/wire_bytes.h"

namespace {

using nettest::Bytes;
using nettest::Cat;
using nettest::Text;
using nettest::U32;

// A character entry: id, value, kind, mask and the values its bits name,
// the byte, the group, two values and the name.
Bytes CharEntry(uint32_t id, uint16_t mask, const std::vector<uint32_t>& optional, const std::string& name) {
    Bytes out = Cat({U32(id), U32(100 + id), {2, uint8_t(mask >> 8), uint8_t(mask)}});
    for (uint32_t v : optional) out = Cat({out, U32(v)});
    return Cat({out, {9, 1, 2, 3, 4, 5}, U32(7), U32(8), Text(name)});
}

using AccountMessages = nettest::MessageHarness;

TEST_F(AccountMessages, CharacterListReadsTheValuesItsMaskNames) {
    Dispatch(107,
             Cat({Text("account"),
                  {3},
                  CharEntry(1, 0, {}, "Plain"),
                  CharEntry(2, 0x0081, {11, 12}, "Bits 0 and 7"),
                  CharEntry(3, 0x1FFF, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, std::string(120, 'n'))}));
    std::vector<uint32_t> waiting = m_windows.Waiting("CharSelectWindow");
    ASSERT_EQ(waiting, std::vector<uint32_t>{MSG_CHAR_LIST});
    CMsg* msg = m_windows.FindWindowByName("CharSelectWindow")->GetPort()->Peek();
    auto* list = dynamic_cast<CCharListMsg*>(msg->m_pPayload.get());
    ASSERT_NE(list, nullptr);
    EXPECT_STREQ(list->Account(), "account");
    ASSERT_EQ(list->Count(), 3u);
    for (int v : list->Entry(0).m_optional) EXPECT_EQ(v, -1);
    const CCharListEntry& second = list->Entry(1);
    EXPECT_EQ(second.m_optional[0], 11);
    EXPECT_EQ(second.m_optional[7], 12);
    EXPECT_EQ(second.m_optional[1], -1);
    EXPECT_STREQ(second.m_name, "Bits 0 and 7");
    EXPECT_EQ(second.m_value3, 8u);
    EXPECT_EQ(list->Entry(2).m_optional[12], 12);
    EXPECT_EQ(std::string(list->Entry(2).m_name), std::string(99, 'n')) << "cut to its field";
    EXPECT_EQ(m_session->m_charList, nullptr);
    EXPECT_EQ(m_session->m_loginPhase, CGameSession::PHASE_NOTICE);
    EXPECT_EQ(m_session->m_noticeValue, 1u);
}

TEST_F(AccountMessages, CharacterListWaitsInTheSessionWithoutTheWindow) {
    m_windows.m_windows.erase("CharSelectWindow");
    Dispatch(107, Cat({Text("a"), {1}, CharEntry(1, 0, {}, "First")}));
    ASSERT_NE(m_session->m_charList, nullptr);
    EXPECT_STREQ(m_session->m_charList->Entry(0).m_name, "First");
    Dispatch(107, Cat({Text("a"), {2}, CharEntry(1, 0, {}, "One"), CharEntry(2, 0, {}, "Two")}));
    ASSERT_NE(m_session->m_charList, nullptr);
    EXPECT_EQ(m_session->m_charList->Count(), 2u) << "replaced by the whole new list";
    // A list cut short replaces nothing.
    Dispatch(107, Cat({Text("a"), {2}, CharEntry(1, 0, {}, "Only one")}));
    EXPECT_EQ(m_session->m_charList->Count(), 2u);
    m_session->Reset();
    EXPECT_EQ(m_session->m_charList, nullptr);
}

TEST_F(AccountMessages, ServerListIsReplacedWholeAndTheTitleWindowTold) {
    Dispatch(86, Cat({{2, 1, 1, 0, 0, 10, 0x9C, 0x40},
                      Text("First"),
                      {1, 2, 2, 0, 0, 10, 0x9C, 0x41},
                      Text(std::string(150, 'w')),
                      {0}}));
    ASSERT_EQ(m_session->m_serverList.size(), 2u);
    const CServerListEntry& first = m_session->m_serverList[0];
    EXPECT_EQ(first.worldId, 1);
    EXPECT_EQ(first.address, plat::MakeIPv4(10, 0, 0, 1)) << "a big-endian number of the network-order value";
    EXPECT_EQ(first.port, 40000);
    EXPECT_STREQ(first.name, "First");
    EXPECT_EQ(first.state, 1);
    EXPECT_EQ(std::string(m_session->m_serverList[1].name), std::string(99, 'w'));
    EXPECT_EQ(m_windows.Waiting("Z5_TITLE_WINDOW"), std::vector<uint32_t>{MSG_SERVER_LIST});
    // A second list cut short leaves the first.
    Dispatch(86, Cat({{2, 5, 10, 0, 0, 5, 0x9C, 0x40}, Text("Cut"), {1}}));
    EXPECT_EQ(m_session->m_serverList.size(), 2u);
}

TEST_F(AccountMessages, OptionSwitches) {
    struct Case {
        uint8_t key, value;
        size_t offset;
        uint8_t before, after;
    } cases[] = {
        {1, 1, OPTION_THREE_STATE, 0, 2}, {1, 0, OPTION_THREE_STATE, 1, 1}, {2, 1, OPTION_THREE_STATE, 1, 0},
        {3, 9, OPTION_THREE_STATE, 0, 1}, {4, 0, OPTION_SWITCH_4, 1, 0},    {4, 7, OPTION_SWITCH_4, 0, 1},
        {5, 1, OPTION_SWITCH_5, 0, 1},    {6, 1, OPTION_SWITCH_5, 0, 0},
    };
    for (const Case& c : cases) {
        Fresh(true);
        g_options.SetByte(c.offset, c.before);
        Dispatch(93, {1, c.key, c.value});
        EXPECT_EQ(g_options.GetByte(c.offset), c.after) << int(c.key) << "=" << int(c.value);
    }
}

TEST_F(AccountMessages, SoundFarFromTheMiddleIsPulledOntoTheCircle) {
    struct Case {
        int32_t x, y;
        int32_t playX, playY;
    } cases[] = {
        {800, 300, 800, 300},  // 400 pixels: its own point
        {801, 300, 800, 300},  // 401: pulled in
        {400, 900, 400, 700}, {400, 300, 400, 300}, {0, 0, 80, 60},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SoundPoint(c.x, c.y, 800, 600), std::make_pair(c.playX, c.playY)) << c.x << "," << c.y;
    }
    const int32_t width = g_config.m_screenWidth, height = g_config.m_screenHeight;
    g_config.m_screenWidth = 800;
    g_config.m_screenHeight = 600;
    Dispatch(25, {0, 0, 5, 0x03, 0x21, 0x01, 0x2C});  // tile (801, 300)
    Dispatch(25, {0, 0, 6, 0, 0, 0, 0});              // tile (0, 0): no position
    Dispatch(25, {1, 0, 7, 0, 1, 0, 1});              // another form
    EXPECT_EQ(m_world.m_sounds, (std::vector<std::string>{"5@800,300", "6@-1,-1"}));
    m_world.m_hasMap = false;
    Dispatch(25, {0, 0, 8, 0, 0, 0, 0});
    EXPECT_EQ(m_world.m_sounds.size(), 2u) << "no map, no sound";
    g_config.m_screenWidth = width;
    g_config.m_screenHeight = height;
}

TEST_F(AccountMessages, PremiumNotices) {
    Dispatch(38, {1});
    EXPECT_TRUE(m_premium->IsRefreshPending());
    EXPECT_FALSE(m_premium->IsShowPending());
    Dispatch(38, {2});
    EXPECT_TRUE(m_premium->IsShowPending());
    Dispatch(38, Cat({{0, 2},
                      U32(1),
                      U32(2),
                      Text("99999999999"),
                      {0, 1, 0, 2, 0},
                      U32(3),
                      U32(4),
                      Text("-5"),
                      {0, 1, 0, 0, 1},
                      Text("a"),
                      Text("b")}));
    EXPECT_EQ(m_premium->GetEntryCount(0), 1);
    EXPECT_EQ(m_premium->GetEntryCount(1), 1);
    EXPECT_EQ(m_premium->GetEntry(0, 0)->m_itemId, 2147483647u) << "too large: saturated, no overflow";
    EXPECT_EQ(m_premium->GetEntry(1, 0)->m_itemId, uint32_t(-5));
    EXPECT_STREQ(m_premium->GetEntry(1, 0)->m_text2, "b");
}

}  // namespace
