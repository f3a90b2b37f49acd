// The warp window: the point names of table 34, the server's masks, and the
// player's choice through the input queue (a row and OK, a double click)
// giving one warp request [60][group + 1][index] or none.
#include "windows/features/warp_window.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/table_builder.h"
#include "tests/windows/features/feature_fixture.h"
#include "ui/scroll_bar.h"

namespace {

using featuretest::Bytes;

class WarpWindowTest : public featuretest::FeatureFixture {
protected:
    void SetUp() override {
        FeatureFixture::SetUp();
        // 40 rows: group 0 and the first eight of group 1; row 3's name is long.
        qmtest::TableBuilder points(40, 3);
        points.Text(2, 200);
        for (int r = 0; r < 40; ++r) points.Set(2, r, "Point" + std::to_string(r));
        points.Set(2, 3, std::string(180, 'x'));
        m_db.Write(WARP_TABLE, points);
        m_warp = m_driver.Add(new CWarpWindow);
    }
    // A left click on list row k (0-7).
    void ClickRow(int32_t k, bool twice = false) {
        const int32_t x = m_warp->GetX() + 60, y = m_warp->GetY() + 50 + 18 * k + 9;
        // As the player does it: the mouse comes to the row, then the button
        // goes down and up (the list must not take the move for a drag).
        m_driver.MoveTo(x, y);
        if (twice) {
            m_driver.DoubleClick(0, x, y);
        } else {
            m_driver.Press(0, x, y);
            m_driver.Frame();
            m_driver.MoveTo(x, y + 1);
            m_driver.Release(0, x, y + 1);
        }
        m_driver.Frame();
    }
    void ClickOk() { ClickControl(m_warp->GetControl("WARP_WIN_OK_BUTTON")); }

    qmtest::ScopedDatabase m_db;
    CWarpWindow* m_warp = nullptr;
};

TEST_F(WarpWindowTest, NamesComeFromTheTableCutAndEmptyBeyondIt) {
    EXPECT_STREQ(m_warp->GetSlotName(0), "Point0");
    EXPECT_STREQ(m_warp->GetSlotName(33), "Point33");
    EXPECT_EQ(std::string(m_warp->GetSlotName(3)), std::string(WARP_NAME_MAX, 'x'));
    EXPECT_STREQ(m_warp->GetSlotName(40), "");
    EXPECT_STREQ(m_warp->GetSlotName(191), "");
    EXPECT_FALSE(m_warp->IsDrawOn());  // hidden until the server opens it
}

TEST_F(WarpWindowTest, OpeningLocksTheClearBitsAndShowsGroupZero) {
    const uint32_t masks[6] = {0x80000005u, 0, 0, 0, 0, 1};
    m_warp->Open(masks);
    EXPECT_TRUE(m_warp->IsDrawOn());
    EXPECT_EQ(m_warp->GetX(), 100);
    EXPECT_EQ(m_warp->GetY(), 100);
    EXPECT_EQ(m_warp->GetGroup(), 0);
    ASSERT_NE(m_warp->GetScrollBar(), nullptr);
    EXPECT_EQ(m_warp->GetScrollBar()->GetMaximum(), 24);
    EXPECT_FALSE(m_warp->IsLocked(0));
    EXPECT_TRUE(m_warp->IsLocked(1));
    EXPECT_FALSE(m_warp->IsLocked(2));
    EXPECT_FALSE(m_warp->IsLocked(31));
    EXPECT_TRUE(m_warp->IsLocked(32));
    EXPECT_FALSE(m_warp->IsLocked(160));
}

TEST_F(WarpWindowTest, ARowAndOkWarpOnceAndClose) {
    const uint32_t masks[6] = {0xFFFFFFFFu, 0, 0, 0, 0, 0};
    m_warp->Open(masks);
    m_driver.Frame();
    Sent();
    ClickRow(2);
    EXPECT_EQ(m_warp->GetSelected(), 2);
    EXPECT_TRUE(Sent().empty());
    ClickOk();
    EXPECT_EQ(Sent(), (std::vector<Bytes>{{60, 1, 2}}));
    EXPECT_FALSE(m_warp->IsDrawOn());
}

TEST_F(WarpWindowTest, TheLastRowOfTheGroupIsReachedAtTheListEnd) {
    const uint32_t masks[6] = {0x80000000u, 0, 0, 0, 0, 0};
    m_warp->Open(masks);
    m_driver.Frame();
    Sent();
    m_warp->GetScrollBar()->SetScrollPos(24);
    ClickRow(7);
    EXPECT_EQ(m_warp->GetSelected(), 31);
    ClickOk();
    EXPECT_EQ(Sent(), (std::vector<Bytes>{{60, 1, 31}}));
}

TEST_F(WarpWindowTest, OkSendsNothingWithoutAnOpenSelection) {
    struct Case {
        const char* name;
        uint32_t mask0;
        int32_t row;  // -1: nothing selected
    } cases[] = {{"nothing selected", 0xFFFFFFFFu, -1}, {"all locked", 0, 0}, {"locked row", ~0x8u, 3}};
    for (const Case& c : cases) {
        const uint32_t masks[6] = {c.mask0, 0, 0, 0, 0, 0};
        m_warp->Open(masks);
        m_driver.Frame();
        Sent();
        if (c.row >= 0) ClickRow(c.row);
        ClickOk();
        EXPECT_TRUE(Sent().empty()) << c.name;
        EXPECT_TRUE(m_warp->IsDrawOn()) << c.name;
        // A locked row's double click does not warp either.
        if (c.row >= 0) ClickRow(c.row, true);
        EXPECT_TRUE(Sent().empty()) << c.name;
        m_warp->Hide();
    }
}

TEST_F(WarpWindowTest, ADoubleClickOnAnOpenRowWarpsAtOnce) {
    const uint32_t masks[6] = {0x10u, 0, 0, 0, 0, 0};
    m_warp->Open(masks);
    m_driver.Frame();
    Sent();
    ClickRow(4, true);
    EXPECT_EQ(Sent(), (std::vector<Bytes>{{60, 1, 4}}));
    EXPECT_FALSE(m_warp->IsDrawOn());
}

}  // namespace
