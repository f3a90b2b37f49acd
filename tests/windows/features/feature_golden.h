// The feature windows drawn on the demo data: the animations and texture
// sheets of demo/pack built with our tools, the animation names of table 2
// and text table 14 as the demo holds them, over the headless display with
// the real fonts.
#pragma once
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/config.h"
#include "data/data_table_text.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/golden_image.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"
#include "tests/ui/ui_picture_fixture.h"
#include "tools/qmani/ani_tool.h"
#include "tools/qmimage/image_tool.h"

namespace featuregolden {

inline constexpr uint16_t kBackground = 0x8410;

inline std::string Pack() {
    return qmtest::SourceDir() + "/demo/pack/";
}

inline TablePlan DemoTable(const std::string& file) {
    TablePlan plan;
    std::string error;
    const std::string path = Pack() + "DATABASE/" + file;
    std::vector<TableRowsText> parts;
    EXPECT_TRUE(ReadTableSource(path, parts, &error) &&
                ParseTableText(qmtest::ReadTextFile(path), parts, plan, &error))
        << file << ": " << error;
    return plan;
}

inline std::map<int, std::vector<std::string>> DemoTexts() {
    const TablePlan plan = DemoTable("0092.Z5D.txt");
    return {{14, plan.columns.empty() ? std::vector<std::string>{} : plan.columns[0].texts}};
}

class FeatureGoldenFixture : public UiPictureFixture {
protected:
    void SetUp() override {
        UiPictureFixture::SetUp();
        BringUpAnimations(m_freetype);
        for (const char* ani : {"2123", "5600", "5601", "5602"}) {
            const auto run = qmtest::RunTool(
                RunAniTool, {"write", Pack() + "DAC/" + ani + ".z5a.txt", m_dir.Path() + "/" + ani + ".z5a"});
            ASSERT_EQ(run.status, 0) << ani << ": " << run.err;
        }
        for (const char* sheet : {"1510", "1923", "1560", "1561", "1562", "1563"}) {
            const std::string bmp = m_work.Path() + "/drawn.bmp";
            auto run =
                qmtest::RunTool(RunImageTool, {"draw", bmp, Pack() + "TEX/" + sheet + ".DTX.ZIP.draw.txt"});
            ASSERT_EQ(run.status, 0) << sheet << ": " << run.err;
            run = qmtest::RunTool(RunImageTool, {"dtx", m_dir.Path() + "/" + sheet + ".DTX", bmp,
                                                 Pack() + "TEX/" + sheet + ".DTX.ZIP.units.txt"});
            ASSERT_EQ(run.status, 0) << sheet << ": " << run.err;
        }
        StartPlay(DemoTable("0002.Z5D.txt"));
        Frame()->FillSurface(kBackground, nullptr);
    }
    qmtest::RgbImage Picture() { return qmtest::ToRgb(Frame()->Surface()->Pixels(), 800, 600); }

    plat::FreeTypeFontBackend m_freetype;
    qmtest::TempDir m_work;
    qmtest::ScopedWorkingFolder m_folder{m_work.Path()};
    qmtest::ScopedTextTables m_texts{DemoTexts()};
};

}  // namespace featuregolden
