// The world list: choosing a row by click and keys, the world remembered from
// last time, and the wait for the world entry's answer.
#include "windows/play/server_select_window.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "data/text_tables.h"
#include "platform/keyboard.h"
#include "tests/windows/play/play_fixture.h"
#include "ui/message_box.h"

using playtest::PlayWindowTest;

namespace {

class ServerSelectTest : public PlayWindowTest {
protected:
    ServerSelectTest() {
        m_list = m_driver.Add(new CMultiServerWindow);
        m_list->SetPosition(100, 100);
        m_list->ConnectToServer();
        m_list->SetActive(true, false);
    }
    // n worlds named "World 0", "World 1", ... with ids 10, 11, ...
    void Worlds(int n) {
        std::vector<CServerListEntry> list(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            list[size_t(i)].worldId = uint8_t(10 + i);
            std::snprintf(list[size_t(i)].name, sizeof(list[size_t(i)].name), "World %d", i);
            list[size_t(i)].state = uint8_t(i % 6);
        }
        GameSession().m_serverList = list;
        m_list->ListArrived();
        m_driver.Frame();
    }
    int32_t MessageBoxes() {
        std::vector<CBaseWindow*> boxes;
        return m_driver.Mgr().FindAllWindowsByName(MESSAGE_BOX_NAME, &boxes);
    }

    CMultiServerWindow* m_list = nullptr;
};

TEST_F(ServerSelectTest, AClickChoosesTheRowUnderItWithinTheList) {
    Worlds(5);
    EXPECT_EQ(m_list->GetScrollBar()->GetMaximum(), 0) << "fewer worlds than rows: nothing to scroll";
    const struct {
        int32_t x, y, row;
    } cases[] = {
        {100 + 22, 100 + 31, 0},  {100 + 349, 100 + 46, 1}, {100 + 200, 100 + 94, 4},
        {100 + 21, 100 + 50, 4},  // on the left border: outside
        {100 + 350, 100 + 50, 4}, {100 + 200, 100 + 30, 4}, {100 + 200, 100 + 110, 4},  // past the last world
        {100 + 200, 100 + 62, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        m_list->PickRow(c.x, c.y);
        EXPECT_EQ(m_list->GetSelectedRow(), c.row);
    }
}

TEST_F(ServerSelectTest, DownAndUpWrapAndTheListScrollsAlong) {
    Worlds(15);
    EXPECT_EQ(m_list->GetScrollBar()->GetMaximum(), 3);
    for (int i = 0; i < 12; ++i) Key(playtest::kScanDown, plat::VK_DOWN, true);
    EXPECT_EQ(m_list->GetSelectedRow(), 12);
    EXPECT_EQ(m_list->GetFirstRow(), 1);
    Key(playtest::kScanDown, plat::VK_DOWN, true);
    Key(playtest::kScanDown, plat::VK_DOWN, true);
    Key(playtest::kScanDown, plat::VK_DOWN, true);
    EXPECT_EQ(m_list->GetSelectedRow(), 0);
    EXPECT_EQ(m_list->GetFirstRow(), 0);
    Key(playtest::kScanUp, plat::VK_UP, true);
    EXPECT_EQ(m_list->GetSelectedRow(), 14);
    EXPECT_EQ(m_list->GetFirstRow(), 3);
}

TEST_F(ServerSelectTest, TheLastWorldOfTheRememberedNameIsChosen) {
    std::memcpy(g_options.m_block + OPT_TEXT_1, "World 1", 8);
    std::vector<CServerListEntry> list(4);
    for (size_t i = 0; i < list.size(); ++i)
        std::snprintf(list[i].name, sizeof(list[i].name), "World %d", int(i % 2));
    GameSession().m_serverList = list;
    m_driver.Frame();
    EXPECT_EQ(m_list->GetSelectedRow(), 3);
}

TEST_F(ServerSelectTest, NothingIsChosenBeforeTheListArrives) {
    GameSession().m_serverList.resize(2);
    m_driver.Frame();
    ASSERT_TRUE(m_list->IsWaitingForList());
    const size_t queued = GameSession().QueuedMessages();
    Key(playtest::kScanEnter, plat::VK_RETURN);
    m_driver.DoubleClick(0, 150, 140);
    m_driver.Frame(2);
    EXPECT_FALSE(m_list->IsWaiting());
    EXPECT_EQ(GameSession().QueuedMessages(), queued);
}

TEST_F(ServerSelectTest, EnterSendsTheWorldEntryAndWaitsSixtySeconds) {
    Worlds(3);
    Key(playtest::kScanDown, plat::VK_DOWN, true);
    const size_t queued = GameSession().QueuedMessages();
    m_driver.SetFrameTime(0);
    Key(playtest::kScanEnter, plat::VK_RETURN);
    ASSERT_TRUE(m_list->IsWaiting());
    ASSERT_EQ(GameSession().QueuedMessages(), queued + 1);
    const std::vector<uint8_t> request = GameSession().QueuedMessage(queued);
    EXPECT_EQ(request, (std::vector<uint8_t>{87, 0, 11}));
    EXPECT_FALSE(m_list->GetConfirmButton()->IsInputOn());

    Key(playtest::kScanEscape, plat::VK_ESCAPE);  // no cancelling while waiting
    EXPECT_FALSE(m_list->IsCancelled());
    const int32_t boxes = MessageBoxes();
    m_driver.Clock().Advance(SERVER_SELECT_WAIT_MS);
    m_driver.Frame();
    EXPECT_TRUE(m_list->IsWaiting());
    m_driver.Clock().Advance(1);
    m_driver.Frame();
    EXPECT_FALSE(m_list->IsWaiting());
    EXPECT_EQ(MessageBoxes(), boxes + 1);
    EXPECT_TRUE(m_list->GetConfirmButton()->IsInputOn());

    Key(playtest::kScanEscape, plat::VK_ESCAPE);  // answers the box in front
    m_driver.Frame();
    m_list->SetActive(true, false);
    Key(playtest::kScanEscape, plat::VK_ESCAPE);
    EXPECT_TRUE(m_list->IsCancelled());
    EXPECT_FALSE(m_list->IsDrawOn());
}

TEST_F(ServerSelectTest, ARefusalOrALostConnectionEndsTheWait) {
    Worlds(2);
    Key(playtest::kScanEnter, plat::VK_RETURN);
    ASSERT_TRUE(m_list->IsWaiting());
    GameSession().PostSessionNotice(1, 0, "full");
    m_driver.Frame();
    EXPECT_FALSE(m_list->IsWaiting());

    Key(playtest::kScanEnter, plat::VK_RETURN);
    ASSERT_TRUE(m_list->IsWaiting());
    const int32_t boxes = MessageBoxes();
    g_connection->Close();
    m_driver.Frame();
    EXPECT_FALSE(m_list->IsWaiting());
    EXPECT_STREQ(m_list->GetMessageLine(), GetTableText(14, 270));
    EXPECT_EQ(MessageBoxes(), boxes);
    EXPECT_EQ(m_list->GetServerCount(), 0);
}

TEST_F(ServerSelectTest, AFailedMoveToTheWorldsServerShowsTheLostLineAlone) {
    playtest::SessionPoster poster;
    plat::ScopedSocketNotifyPoster posterScope(poster);
    Worlds(2);
    Key(playtest::kScanEnter, plat::VK_RETURN);
    ASSERT_TRUE(m_list->IsWaiting());
    const int32_t boxes = MessageBoxes();

    // The world entry moved the client on; that connect is refused.
    GameSession().SetEstablished(1);
    m_sockets.HoldNextConnects(1);
    g_connection->Connect(plat::MakeIPv4(127, 0, 0, 1), 40001);
    m_driver.Frame();
    EXPECT_TRUE(m_list->IsWaiting()) << "still on the way";
    m_sockets.FailConnect(g_connection->Socket());
    plat::PumpSocketNotifications();
    m_driver.Frame();
    EXPECT_FALSE(m_list->IsWaiting());
    EXPECT_STREQ(m_list->GetMessageLine(), "14/270");
    EXPECT_STREQ(ConnectStatusText, "14/270");
    EXPECT_EQ(MessageBoxes(), boxes) << "no time-out box";
}

TEST_F(ServerSelectTest, LoadStatesAboveFourHaveNoLabel) {
    EXPECT_STREQ(CMultiServerWindow::LoadLabel(4), GetTableText(14, 729));
    EXPECT_STREQ(CMultiServerWindow::LoadLabel(5), "");
    EXPECT_STREQ(CMultiServerWindow::LoadLabel(255), "");
}

}  // namespace
