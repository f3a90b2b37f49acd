// The demo data's own art for window tests: the animation names, the
// windows' animations and texture sheets of demo/pack built with our tools
// as scripts/make_demo_data builds them, the create window's tables, and
// text tables 0, 10 and 14 as the demo holds them, over the headless display
// with the real fonts.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/config.h"
#include "data/data_table_text.h"
#include "data/text_tables.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/golden_image.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"
#include "tests/ui/ui_picture_fixture.h"
#include "tools/qmani/ani_tool.h"
#include "tools/qmimage/image_tool.h"
#include "ui/base_window.h"
#include "windows/play/char_create_window.h"

namespace demoart {

inline constexpr uint16_t kBackground = 0x8410;

inline std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

inline bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() > tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

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

// Text tables 0, 10 and 14 as the demo holds them.
inline std::map<int, std::vector<std::string>> DemoTexts() {
    std::map<int, std::vector<std::string>> texts;
    for (const auto& [table, file] :
         {std::pair{0, "0037.Z5D.txt"}, {10, "0088.Z5D.txt"}, {14, "0092.Z5D.txt"}}) {
        const TablePlan plan = DemoTable(file);
        texts[table] = plan.columns.empty() ? std::vector<std::string>{} : plan.columns[0].texts;
    }
    return texts;
}

class DemoArtTest : public UiPictureFixture {
protected:
    void SetUp() override {
        UiPictureFixture::SetUp();
        BringUpAnimations(m_freetype);
        BuildDemoArt();
        StartPlay(DemoTable("0002.Z5D.txt"));
        // The create window's types and value hints, and the type names as
        // start-up copies them.
        WriteTable(CCharCreateWindow::kTypeTable, DemoTable("0105.Z5D.txt"));
        WriteTable(CCharCreateWindow::kHintTable, DemoTable("0018.Z5D.txt"));
        const std::vector<std::string> typeNames = DemoTexts()[0];
        for (size_t i = 0; i < std::size(g_textBuffers); ++i)
            CopyRecordText(g_textBuffers[i], 14 + i < typeNames.size() ? typeNames[14 + i].c_str() : "");
        g_options = COptions{};
        g_config.m_accountName.clear();
    }

    void TearDown() override {
        for (auto& name : g_textBuffers) name[0] = '\0';
        UiPictureFixture::TearDown();
    }

    // Every animation and texture sheet of the demo, into the folders the
    // program reads them from.
    void BuildDemoArt() {
        const std::string pack = qmtest::SourceDir() + "/demo/pack/";
        for (const std::string& name : FilesIn(pack + "DAC")) {
            if (!EndsWith(name, ".z5a.txt")) continue;
            const auto run = qmtest::RunTool(
                RunAniTool,
                {"write", pack + "DAC/" + name, m_dir.Path() + "/" + name.substr(0, name.size() - 4)});
            ASSERT_EQ(run.status, 0) << name << ": " << run.err;
        }
        for (const std::string& name : FilesIn(pack + "TEX")) {
            if (!EndsWith(name, ".DTX.ZIP.draw.txt")) continue;
            const std::string stem = name.substr(0, name.size() - std::string(".DTX.ZIP.draw.txt").size());
            const std::string bmp = m_work.Path() + "/drawn.bmp";
            auto run = qmtest::RunTool(RunImageTool, {"draw", bmp, pack + "TEX/" + name});
            ASSERT_EQ(run.status, 0) << name << ": " << run.err;
            run = qmtest::RunTool(RunImageTool, {"dtx", m_dir.Path() + "/" + stem + ".DTX", bmp,
                                                 pack + "TEX/" + stem + ".DTX.ZIP.units.txt"});
            ASSERT_EQ(run.status, 0) << name << ": " << run.err;
        }
    }

    qmtest::RgbImage Picture() { return qmtest::ToRgb(Frame()->Surface()->Pixels(), 800, 600); }
    // Pixels of the window's picture rectangle that differ from the background.
    double ShareDrawn(CBaseWindow& window) {
        const int32_t w = window.ImageWidth(), h = window.ImageHeight();
        if (w <= 0 || h <= 0) return 0;
        int drawn = 0, all = 0;
        const plat::raster::Surface& frame = Frame()->Surface()->Pixels();
        for (int32_t y = window.GetY(); y < window.GetY() + h; ++y)
            for (int32_t x = window.GetX(); x < window.GetX() + w; ++x) {
                if (x < 0 || y < 0 || x >= 800 || y >= 600) continue;
                ++all;
                drawn += frame.At(x, y) != kBackground;
            }
        return all ? double(drawn) / all : 0;
    }

    plat::FreeTypeFontBackend m_freetype;
    qmtest::TempDir m_work;
    qmtest::ScopedWorkingFolder m_folder{m_work.Path()};
    qmtest::ScopedTextTables m_texts{DemoTexts()};
};

}  // namespace demoart
