// The title screen and the log-in window drawn headless with the real font
// (plain button faces, texts from a small text table) and compared with the
// stored pictures; QM_REFRESH_GOLDEN=1 rewrites them.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/config.h"
#include "tests/graphics/text_fixture.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/golden_image.h"
#include "tests/support/temp_dir.h"
#include "ui/button.h"
#include "ui/edit_box.h"
#include "windows/play/login_window.h"
#include "windows/play/title_screen.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;

std::map<int, std::vector<std::string>> LoginTexts() {
    std::vector<std::string> rows(730);
    rows[277] = "Enter your account and password.";
    rows[280] = "Log in";
    return {{14, rows}};
}

class PlayGoldenTest : public TextFixture {
protected:
    void SetUp() override {
        TextFixture::SetUp();
        BringUpText(m_freetype);
        Frame()->FillSurface(0x8410, nullptr);
        g_options = COptions{};
        g_config.m_accountName.clear();
    }
    CSurfaceResource* Frame() { return m_d3d->GetRenderTarget(); }
    qmtest::RgbImage Picture() { return qmtest::ToRgb(Pixels(Frame()), kWidth, kHeight); }

    plat::FreeTypeFontBackend m_freetype;
    qmtest::TempDir m_dir;  // the options file the log-in window saves
    qmtest::ScopedWorkingFolder m_folder{m_dir.Path()};
    qmtest::ScopedTextTables m_texts{LoginTexts()};
};

TEST_F(PlayGoldenTest, TitleScreen) {
    CTitleScreen title;
    const char* captions[4] = {"Offline", "Exit", "Intro", "Start"};
    for (int i = 0; i < 4; ++i) title.GetButton(i)->SetImage(110, 20, captions[i]);
    ASSERT_TRUE(title.Draw());
    EXPECT_TRUE(qmtest::MatchesGolden(Picture(), "tests/windows/golden/title_screen.png"));
}

TEST_F(PlayGoldenTest, LogInWindow) {
    CInsertAccountWindow login;
    const char* captions[CInsertAccountWindow::kButtonCount] = {"Connect", "Cancel", "New account",
                                                                "Password", "Keys"};
    for (int i = 0; i < CInsertAccountWindow::kButtonCount; ++i)
        login.GetButton(CInsertAccountWindow::Button(i))->SetImage(i == 4 ? 40 : 90, 20, captions[i]);
    login.SetPosition(260, 200);
    login.SetServerName("Lindow");
    login.GetAccountBox()->SetText("alice");
    login.GetPasswordBox()->SetText("secret");
    ASSERT_TRUE(login.Draw());
    EXPECT_TRUE(qmtest::MatchesGolden(Picture(), "tests/windows/golden/login_window.png"));
}

}  // namespace
