// The program on the demo data set draws its own mouse cursor where the
// scripted mouse goes, without a message box.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/globals.h"
#include "core/application.h"
#include "platform/display.h"
#include "tests/app/demo_data.h"
#include "tests/core/program_fixture.h"

namespace {

class DemoCursorTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        m_oldDisplay =
            plat::SetDisplay(std::unique_ptr<plat::Display>(m_display = new plat::RecordingDisplay));
    }
    void TearDown() override {
        plat::SetDisplay(std::move(m_oldDisplay));
        ProgramFixture::TearDown();
    }
    plat::RecordingDisplay* m_display = nullptr;
    std::unique_ptr<plat::Display> m_oldDisplay;
};

TEST_F(DemoCursorTest, TheCursorIsDrawnAtTheMouse) {
    ASSERT_TRUE(qmtest::MakeDemoData(m_dir.Path(), QM_TOOLS_DIR));
    InstallGlobalFactories();
    m_system.PostAtFrame(1, plat::WM_MOUSEMOVE, 0, plat::MakeLParam(300, 200));
    plat::SetCommandLine("/USE_SERVER 1 /WINDOW");
    plat::CloseAfterFrames(5);
    EXPECT_EQ(RunApplication(), EXIT_NORMAL);
    EXPECT_TRUE(m_boxes.Boxes().empty()) << m_boxes.Boxes().front().text;
    const plat::raster::Surface* frame = m_display->LastFrame();
    ASSERT_TRUE(frame);
    // The arrow's tip at the mouse: its black edge, white inside, and
    // nothing of it beside.
    auto at = [frame](int x, int y) { return frame->At(x, y); };
    EXPECT_NE(at(301, 203), at(320, 230)) << "the arrow's white inside";
    EXPECT_EQ(at(301, 203), at(302, 205));
    EXPECT_EQ(at(300, 199), at(320, 230)) << "nothing above the tip";
}

}  // namespace
