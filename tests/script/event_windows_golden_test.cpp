// The event windows drawn on the demo data (their animations and texture
// sheets built with our tools from demo/pack, the animation names of table
// 2) and compared with the stored pictures; QM_REFRESH_GOLDEN=1 rewrites
// them.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/keyboard.h"
#include "script/event_panel_window.h"
#include "script/event_selection_window.h"
#include "script/event_talk_window.h"
#include "tests/support/golden_image.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/demo_pack.h"
#include "tests/ui/ui_picture_fixture.h"
#include "world/chars/char_controller.h"

namespace {

class EventWindowsGoldenTest : public UiPictureFixture {
protected:
    void SetUp() override {
        UiPictureFixture::SetUp();
        BringUpAnimations(m_freetype);
        // The three windows' art and the shared icons of their buttons.
        demoart::BuildDemoArt(m_dir.Path(), m_work.Path(),
                              {"5000", "5001", "5002", "2123", "1500", "1501", "1502", "1510", "1923"});
        StartPlay(demoart::DemoTable("0002.Z5D.txt"));
    }
    qmtest::RgbImage Picture() { return qmtest::ToRgb(Frame()->Surface()->Pixels(), 800, 600); }

    plat::FreeTypeFontBackend m_freetype;
    qmtest::TempDir m_work;
};

TEST_F(EventWindowsGoldenTest, TalkSelectionAndPanelOnTheDemoData) {
    CTeam team;
    struct Case {
        const char* golden;
        std::function<std::unique_ptr<CBaseWindow>()> make;
    };
    const Case cases[] = {
        {"event_talk",  // the dialogue box with a name, and a speech box
         [] {
             auto talk = std::make_unique<CEventTalkWindow>();
             talk->AddLine(0, 0, nullptr, "Elder",
                           "Welcome, traveller. The well has run dry since the last moon; will you help us?",
                           0, 0);
             talk->AddLine(0, 2, nullptr, nullptr, "Over here!", 0, 0);
             talk->OnKeyDown(plat::VK_RETURN, nullptr);  // every page shown whole
             return talk;
         }},
        {"event_selection",  // the title and two answers, settled
         [] {
             auto selection = std::make_unique<CEventSelectionWindow>();
             selection->BeginSelection(0, "Will you help the village?", 1, 0, nullptr, 0);
             selection->AddAnswer("Yes, gladly.");
             selection->AddAnswer("Not now.");
             selection->OpenSelection();
             for (uint32_t frame = 0; frame <= EVENT_APPEAR_FRAMES; ++frame) selection->Draw();
             return selection;
         }},
        {"event_panel",  // three members: the player ready, one waiting, one away
         [&team] {
             for (const auto& [name, state] :
                  {std::pair{"Me", uint8_t(1)}, {"Ann", uint8_t(1)}, {"Bob", uint8_t(3)}}) {
                 CTeamMember fields;
                 CopyRecordText(fields.m_name, name);
                 fields.m_state = state;
                 team.AddOrUpdateMember(fields, "Me");
             }
             auto panel = std::make_unique<CEventPanelWindow>();
             const uint32_t ready = 1;
             panel->OpenForTeam(team, "Me", 31, 1, &ready, 0, nullptr);
             panel->SetHighlight(1);
             return panel;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.golden);
        Frame()->FillSurface(demoart::kBackground, nullptr);
        std::unique_ptr<CBaseWindow> window = c.make();
        ASSERT_TRUE(window->Draw());
        EXPECT_TRUE(
            qmtest::MatchesGolden(Picture(), std::string("tests/script/golden/") + c.golden + ".png"));
    }
}

}  // namespace
