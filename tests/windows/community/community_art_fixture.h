// The demo data's art for the community windows' pictures: the demo's
// animations and texture sheets, the animation names of table 2 and the
// demo's text tables, over the headless display with the real fonts.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "data/text_tables.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/golden_image.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/demo_art_build.h"
#include "tests/ui/ui_picture_fixture.h"

namespace communityart {

inline constexpr uint16_t kBackground = 0x8410;

class CommunityArtTest : public UiPictureFixture {
protected:
    void SetUp() override {
        UiPictureFixture::SetUp();
        BringUpAnimations(m_freetype);
        demoart::LinkDemoArt(m_dir.Path());
        StartPlay(demoart::DemoTable("0002.Z5D.txt"));
    }

    qmtest::RgbImage Picture() { return qmtest::ToRgb(Frame()->Surface()->Pixels(), 800, 600); }
    void Clear() { Frame()->FillSurface(kBackground, nullptr); }

    plat::FreeTypeFontBackend m_freetype;
    qmtest::TempDir m_work;
    qmtest::ScopedWorkingFolder m_folder{m_work.Path()};
    qmtest::ScopedTextTables m_texts{demoart::DemoTexts()};
};

}  // namespace communityart
