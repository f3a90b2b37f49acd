// The web page and warp windows drawn on the demo data (its animation and texture
// sheets built with our tools from demo/pack, the animation names of table
// 2, text table 14 as the demo holds it) with a page open, and compared with
// the stored picture; QM_REFRESH_GOLDEN=1 rewrites it.
#include "tests/windows/features/feature_golden.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "windows/features/warp_window.h"
#include "windows/features/web_window.h"

namespace {

class FeatureGoldenTest : public featuregolden::FeatureGoldenFixture {};

TEST_F(FeatureGoldenTest, WebPageWithItsAddress) {
    CWebWindow web;
    ASSERT_TRUE(web.OpenUrl("http://127.0.0.1:8080/page"));
    ASSERT_TRUE(web.Draw());
    EXPECT_TRUE(qmtest::MatchesGolden(Picture(), "tests/windows/golden/demo_web_page.png"));
}

TEST_F(FeatureGoldenTest, WarpListWithLocksAndASelection) {
    WriteTable(WARP_TABLE, featuregolden::DemoTable("0034.Z5D.txt"));
    CWarpWindow warp;
    const uint32_t masks[6] = {0x3Du, 0, 0, 0, 0, 0};  // points 1, 6 and 7 locked
    warp.Open(masks);
    warp.OnControlEvent(0, 160, 100 + 50 + 18 * 2 + 9, nullptr);  // row 2
    ASSERT_EQ(warp.GetSelected(), 2);
    ASSERT_TRUE(warp.Draw());
    EXPECT_TRUE(qmtest::MatchesGolden(Picture(), "tests/windows/golden/demo_warp_list.png"));
}

}  // namespace
