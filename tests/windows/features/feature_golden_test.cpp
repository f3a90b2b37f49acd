// The event log, web page and warp windows drawn on the demo data (its animation and texture
// sheets built with our tools from demo/pack, the animation names of table
// 2, text table 14 as the demo holds it) with a page open, and compared with
// the stored picture; QM_REFRESH_GOLDEN=1 rewrites it.
#include "tests/windows/features/feature_golden.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/config.h"
#include "data/data_table_writer.h"
#include "tests/support/temp_dir.h"
#include "windows/features/event_log_window.h"
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

TEST_F(FeatureGoldenTest, JournalWithEntriesAndLines) {
    // The demo's event tables in a folder of their own; times shown in UTC.
    qmtest::TempDir quests;
    for (const char* name : {"0002.QEL", "0001.QEL"}) {
        const std::vector<uint8_t> bytes =
            WriteDataTable(featuregolden::DemoTable(std::string(name) + ".txt"));
        std::ofstream(quests.Path() + "/" + name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    const std::string savedFolder = g_config.m_folders[FOLDER_QUESTLOG];
    g_config.m_folders[FOLDER_QUESTLOG] = quests.Path();
    const char* savedTz = std::getenv("TZ");
    const std::string tz = savedTz ? savedTz : "";
    setenv("TZ", "UTC", 1);
    tzset();
    {
        CEventLogWindow log;
        log.Show();
        log.SetPosition(200, 150);
        const uint8_t keys[5] = {1, 2, 3, 4, 5}, values[5] = {2, 1, 1, 3, 1};
        log.SetKeyValueTable(1, 5, keys, values);
        log.RebuildEntries();
        static char texts[3][RECORD_TEXT_SIZE] = {"You entered the sample world.",
                                                  "The Lantern Festival has begun.",
                                                  "The Elder asked you a question."};
        const uint32_t times[3] = {1765440000u, 1765443600u, 1765447200u};
        log.AddLine(3, 3, texts, times);
        log.OnListClick(50, 100);  // the second row
        ASSERT_EQ(log.GetSelectedRow(), 1);
        ASSERT_TRUE(log.Draw());
        EXPECT_TRUE(qmtest::MatchesGolden(Picture(), "tests/windows/golden/demo_event_log.png"));
    }
    if (savedTz)
        setenv("TZ", tz.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    g_config.m_folders[FOLDER_QUESTLOG] = savedFolder;
}

}  // namespace
