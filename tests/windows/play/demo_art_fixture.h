// The demo data's own art for window tests: the animation names, the
// windows' animations and texture sheets of demo/pack built with our tools
// as scripts/make_demo_data builds them, the create window's tables, and
// text tables 0, 10 and 14 as the demo holds them, over the headless display
// with the real fonts.
#pragma once
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/config.h"
#include "data/text_tables.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/golden_image.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"
#include "tests/ui/demo_art_build.h"
#include "tests/ui/demo_pack.h"
#include "tests/ui/ui_picture_fixture.h"
#include "ui/base_window.h"
#include "windows/play/char_create_window.h"

namespace demoart {

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
    void BuildDemoArt() { LinkDemoArt(m_dir.Path()); }

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
