// The windows of the way in, up to the character select and create windows,
// drawn on the demo data's own sources: the animation names, the windows'
// animations and texture sheets of demo/pack, built with our tools as
// scripts/make_demo_data builds them, the create window's tables, a message box, and text
// tables 0, 10 and 14 as the demo holds them. Each window's picture must show (a window that gives
// its image no motion draws nothing), and each screen is kept as a golden
// picture (QM_REFRESH_GOLDEN=1 rewrites them after a deliberate change).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/config.h"
#include "data/data_table_text.h"
#include "data/text_tables.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "net/handlers/login_records.h"
#include "platform/socket.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/golden_image.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"
#include "tests/ui/ui_picture_fixture.h"
#include "tests/windows/play/demo_art_fixture.h"
#include "tools/qmani/ani_tool.h"
#include "tools/qmimage/image_tool.h"
#include "ui/base_window.h"
#include "ui/message_box.h"
#include "windows/play/change_password_window.h"
#include "windows/play/char_create_window.h"
#include "windows/play/char_select_window.h"
#include "windows/play/email_edit_window.h"
#include "windows/play/login_window.h"
#include "windows/play/new_account_window.h"
#include "windows/play/server_select_window.h"
#include "windows/play/terms_window.h"
#include "windows/play/title_screen.h"
#include "windows/play/visual_password_window.h"

namespace {

using demoart::DemoArtTest;
using demoart::DemoTable;
using demoart::kBackground;

TEST_F(DemoArtTest, EveryWindowOfTheWayInShowsItsPicture) {
    struct Case {
        const char* golden;
        std::function<std::unique_ptr<CBaseWindow>()> make;
        bool centred;
    };
    const Case cases[] = {
        {"demo_title_screen", [] { return std::make_unique<CTitleScreen>(); }, false},
        {"demo_world_list", [] { return std::make_unique<CMultiServerWindow>(); }, true},
        {"demo_terms",
         [] {
             GameSession().m_termsText =
                 "Welcome to the sample world.\nBe kind to the other players, and have fun.";
             GameSession().m_termsReady = 1;
             return std::make_unique<CStipulationWindow>();
         },
         true},
        {"demo_terms_waiting",  // no terms yet: both buttons greyed, without input
         [] {
             GameSession().Reset();
             GameSession().m_termsText.clear();
             GameSession().m_termsReady = 0;
             auto terms = std::make_unique<CStipulationWindow>();
             terms->Update();
             return terms;
         },
         true},
        {"demo_login",
         [] {
             auto login = std::make_unique<CInsertAccountWindow>();
             login->SetServerName("Lindow");
             return login;
         },
         true},
        {"demo_login_keypad",  // the keypad over the log-in window, none of its texts over the keypad
         [] {
             auto login = std::make_unique<CInsertAccountWindow>();
             login->SetServerName("Lindow");
             login->OpenKeypad();
             return login;
         },
         true},
        {"demo_keypad", [] { return std::make_unique<CVisualPasswordWindow>(); }, true},
        {"demo_new_account", [] { return std::make_unique<CNewAccountWindow>(); }, true},
        {"demo_change_password", [] { return std::make_unique<CChangePasswordWindow>(); }, true},
        {"demo_char_select",
         [] {
             auto select = std::make_unique<CCharSelectWindow>();
             CCharListMsg list;
             list.SetAccount("demo");
             for (const char* name : {"Ardent", "Briar", "Cobble", "Dusk"}) {
                 CCharListEntry entry;
                 CopyRecordText(entry.m_name, name);
                 entry.m_charId = uint32_t(name[0]);
                 entry.m_value = 2000001;
                 entry.m_byte = 7;
                 for (int32_t& item : entry.m_optional) item = -1;
                 list.AddChar(entry);
             }
             select->LoadCharacterList(list);
             select->ShowButtons(true);
             select->SetMessageText(GetTableText(10, 1));
             return select;
         },
         false},
        {"demo_char_create", [] { return std::make_unique<CCharCreateWindow>(); }, false},
        {"demo_message_box",
         [] {
             auto box = std::make_unique<CMessageBox>(
                 "The connection to the world was lost.</n>Log in again?", true, true, false, 0);
             box->Update();
             return box;
         },
         true},
        {"demo_email_edit",
         [] {
             auto confirm = std::make_unique<CEMailEditWindow>();
             confirm->ResetAndShow();
             return confirm;
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.golden);
        Frame()->FillSurface(kBackground, nullptr);
        std::unique_ptr<CBaseWindow> window = c.make();
        window->Show();
        ASSERT_TRUE(window->Draw());
        // A dialog is centred by its picture, which needs the picture's motion.
        if (c.centred) {
            EXPECT_EQ(window->GetX(), 400 - window->ImageWidth() / 2);
            EXPECT_GT(window->ImageWidth(), 100);
        }
        EXPECT_GT(ShareDrawn(*window), 0.95);
        EXPECT_TRUE(
            qmtest::MatchesGolden(Picture(), std::string("tests/windows/golden/") + c.golden + ".png"));
    }
    GameSession().Reset();
}

TEST_F(DemoArtTest, TheWorldListShowsItsWorldsWithTheirLoad) {
    plat::ScriptedSockets sockets;
    plat::ScopedSockets socketScope(sockets);
    plat::WSAStartup(plat::MakeWord(2, 2), nullptr);
    g_config.m_serverAddress = plat::MakeIPv4(127, 0, 0, 1);
    {
        Frame()->FillSurface(kBackground, nullptr);
        CMultiServerWindow list;
        list.ConnectToServer();
        const char* const names[] = {"Lindow", "Marrowdeep", "Quillhold", "Fenwatch", "Ashgrove", "Odd"};
        std::vector<CServerListEntry> worlds(6);
        for (uint8_t i = 0; i < 6; ++i) {
            worlds[i].worldId = uint8_t(i + 1);
            std::snprintf(worlds[i].name, sizeof worlds[i].name, "%s", names[i]);
            worlds[i].state = uint8_t(i == 5 ? 9 : i);  // the last with a load the list has no label for
        }
        GameSession().m_serverList = worlds;
        list.ListArrived();
        list.Update();
        list.Show();
        ASSERT_TRUE(list.Draw());
        EXPECT_TRUE(qmtest::MatchesGolden(Picture(), "tests/windows/golden/demo_world_list_rows.png"));
    }
    delete g_connection;
    g_connection = nullptr;
    GameSession().Reset();
    GameSession().m_serverList.clear();
    plat::WSACleanup();
}

}  // namespace
