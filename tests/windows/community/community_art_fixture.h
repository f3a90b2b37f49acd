// The demo data's art for the community windows' pictures: every animation
// and texture sheet of demo/pack built with our tools into the fixture's
// folder, the animation names of table 2 and text tables 0 and 14 as the
// demo holds them, over the headless display with the real fonts.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "data/data_table_text.h"
#include "data/text_tables.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/golden_image.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"
#include "tests/ui/ui_picture_fixture.h"
#include "tools/qmani/ani_tool.h"
#include "tools/qmimage/image_tool.h"

namespace communityart {

inline constexpr uint16_t kBackground = 0x8410;

inline TablePlan DemoTable(const std::string& file) {
    TablePlan plan;
    std::string error;
    const std::string path = qmtest::SourceDir() + "/demo/pack/DATABASE/" + file;
    std::vector<TableRowsText> parts;
    EXPECT_TRUE(ReadTableSource(path, parts, &error) &&
                ParseTableText(qmtest::ReadTextFile(path), parts, plan, &error))
        << file << ": " << error;
    return plan;
}

inline std::map<int, std::vector<std::string>> DemoTexts() {
    std::map<int, std::vector<std::string>> texts;
    for (const auto& [table, file] : {std::pair{0, "0037.Z5D.txt"}, {14, "0092.Z5D.txt"}}) {
        const TablePlan plan = DemoTable(file);
        texts[table] = plan.columns.empty() ? std::vector<std::string>{} : plan.columns[0].texts;
    }
    return texts;
}

class CommunityArtTest : public UiPictureFixture {
protected:
    void SetUp() override {
        UiPictureFixture::SetUp();
        BringUpAnimations(m_freetype);
        BuildDemoArt();
        StartPlay(DemoTable("0002.Z5D.txt"));
    }

    void BuildDemoArt() {
        const std::string pack = qmtest::SourceDir() + "/demo/pack/";
        for (const auto& entry : std::filesystem::directory_iterator(pack + "DAC")) {
            const std::string name = entry.path().filename().string();
            if (name.size() < 8 || name.substr(name.size() - 8) != ".z5a.txt") continue;
            const auto run = qmtest::RunTool(
                RunAniTool,
                {"write", pack + "DAC/" + name, m_dir.Path() + "/" + name.substr(0, name.size() - 4)});
            ASSERT_EQ(run.status, 0) << name << ": " << run.err;
        }
        const std::string tail = ".DTX.ZIP.draw.txt";
        for (const auto& entry : std::filesystem::directory_iterator(pack + "TEX")) {
            const std::string name = entry.path().filename().string();
            if (name.size() <= tail.size() || name.substr(name.size() - tail.size()) != tail) continue;
            const std::string stem = name.substr(0, name.size() - tail.size());
            const std::string bmp = m_work.Path() + "/drawn.bmp";
            auto run = qmtest::RunTool(RunImageTool, {"draw", bmp, pack + "TEX/" + name});
            ASSERT_EQ(run.status, 0) << name << ": " << run.err;
            run = qmtest::RunTool(RunImageTool, {"dtx", m_dir.Path() + "/" + stem + ".DTX", bmp,
                                                 pack + "TEX/" + stem + ".DTX.ZIP.units.txt"});
            ASSERT_EQ(run.status, 0) << name << ": " << run.err;
        }
    }

    qmtest::RgbImage Picture() { return qmtest::ToRgb(Frame()->Surface()->Pixels(), 800, 600); }
    void Clear() { Frame()->FillSurface(kBackground, nullptr); }

    plat::FreeTypeFontBackend m_freetype;
    qmtest::TempDir m_work;
    qmtest::ScopedWorkingFolder m_folder{m_work.Path()};
    qmtest::ScopedTextTables m_texts{DemoTexts()};
};

}  // namespace communityart
