// The messenger and the one-to-one chat as they look on the demo data.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "core/config.h"
#include "net/handlers/scene_records.h"
#include "tests/support/window_driver.h"
#include "tests/windows/community/community_art_fixture.h"
#include "windows/community/chat_log_list.h"
#include "windows/community/messenger_edit_window.h"
#include "windows/community/messenger_window.h"
#include "windows/community/name_memo_window.h"
#include "windows/community/one_to_one_chat_window.h"
#include "windows/community/one_to_one_option_window.h"

namespace {

class CommunityGoldenTest : public communityart::CommunityArtTest {
protected:
    void SetUp() override {
        CommunityArtTest::SetUp();
        m_driver = std::make_unique<qmtest::WindowDriver>();
        g_options.SetByte(14, 1);
    }
    void TearDown() override {
        m_driver->Mgr().DeleteAllChildren();
        m_driver.reset();
        g_options = COptions{};
        CommunityArtTest::TearDown();
    }

    ::testing::AssertionResult Golden(const std::string& name) {
        return qmtest::MatchesGolden(Picture(), "tests/windows/golden/community_" + name + ".png");
    }

    CQMMessengerWindow* Messenger() {
        auto* messenger = m_driver->Add(new CQMMessengerWindow);
        CSceneTextListMsg groups;
        groups.m_count = 2;
        groups.m_bytes[0] = 0;
        std::strcpy(groups.m_texts[0], "Buddies");
        groups.m_bytes[1] = 1;
        std::strcpy(groups.m_texts[1], "Friends");
        messenger->SetGroupList(groups);
        CSceneListMsg buddies;
        buddies.m_count = 3;
        const char* names[] = {"Mira", "Tester", "Quill"};
        for (int i = 0; i < 3; ++i) {
            std::strcpy(buddies.m_names[i], names[i]);
            std::strcpy(buddies.m_seconds[i], names[i]);
            buddies.m_values[i] = 2000000 + uint32_t(i);
            buddies.m_types[i] = i == 1 ? 0 : 1;
            buddies.m_bytes1[i] = i == 0 ? 1 : 0;
        }
        messenger->SetBuddyList(buddies);
        messenger->Show();
        return messenger;
    }

    std::unique_ptr<qmtest::WindowDriver> m_driver;
};

TEST_F(CommunityGoldenTest, TheMessengerWithItsGroupsAndItsMenu) {
    CQMMessengerWindow* messenger = Messenger();
    Clear();
    ASSERT_TRUE(messenger->Draw());
    EXPECT_TRUE(Golden("messenger"));
    // The buddy menu of Mira (row 1), opened beside the list.
    messenger->OpenMenu(1, 200, 260);
    Clear();
    messenger->Draw();
    EXPECT_TRUE(Golden("messenger_menu"));
}

TEST_F(CommunityGoldenTest, TheEditDialogAsksForANameAndForAGroup) {
    CQMMessengerWindow* messenger = Messenger();
    auto* edit = m_driver->Add(new CQMMEditWin);
    auto* box = m_driver->Add(new CQMMEditBox);
    edit->SetMode(1, 0);
    box->SetText("Guild");
    box->SetActive(false, false);
    Clear();
    edit->Draw();
    box->Draw();
    EXPECT_TRUE(Golden("edit_name"));
    messenger->SelectRow(1);
    edit->SetMode(5, 0);
    edit->ToggleChoiceList();
    Clear();
    edit->Draw();
    EXPECT_TRUE(Golden("edit_choice"));
}

TEST_F(CommunityGoldenTest, AChatOpenAndAsABar) {
    CChatLogList list;
    auto* chat = m_driver->Add(new C1V1ChatWin);
    auto* name = m_driver->Add(new C1V1ChatEditBox(0));
    auto* talk = m_driver->Add(new C1V1ChatEditBox(1));
    name->LinkWindow(chat);
    talk->LinkWindow(chat);
    list.LinkWindow(chat);
    chat->Open(0, 2, "Mira");
    chat->OnChatReply("Mira", 3, "Hello there! This line is long enough to wrap onto a second line.");
    chat->OnChatReply("Mira", 0, "");
    talk->SetActive(false, false);
    Clear();
    chat->Draw();
    name->Draw();
    talk->Draw();
    EXPECT_TRUE(Golden("chat_open"));
    chat->Hide();
    chat->Open(0, 1, "Mira");
    for (int i = 0; i < 30 && chat->GetDisplayState() != CHAT_BAR; ++i) chat->Update();
    ASSERT_EQ(chat->GetDisplayState(), CHAT_BAR);
    EXPECT_EQ(chat->GetY(), 0);
    Clear();
    chat->Draw();
    EXPECT_TRUE(Golden("chat_bar"));
}

TEST_F(CommunityGoldenTest, BothTabsOfTheOptions) {
    CChatLogList list;
    auto* options = m_driver->Add(new C1V1OptionWin);
    auto* box = m_driver->Add(new C1V1ChatEditBox(2));
    box->LinkWindow(options);
    list.LinkWindow(options);
    options->Open();
    CNameListMsg refusals;
    refusals.m_count = 2;
    std::strcpy(refusals.m_names[0], "Pest");
    std::strcpy(refusals.m_seconds[0], "PestChar");
    std::strcpy(refusals.m_names[1], "Gone");
    options->SetList(refusals);
    options->SelectRow(0);
    options->Update();
    box->SetActive(false, false);
    Clear();
    options->Draw();
    box->Draw();
    EXPECT_TRUE(Golden("options_refusals"));
    list.AddLoggedName("Mira");
    options->SelectMode(1);
    options->Update();
    Clear();
    options->Draw();
    box->Draw();
    EXPECT_TRUE(Golden("options_logged"));
    list.ClearLoggedNames();
}

TEST_F(CommunityGoldenTest, TheNameMemoWithNamesAnAddressAndASelection) {
    auto* memo = m_driver->Add(new CNameMemoWin);
    memo->AddName("Slime", 2);
    memo->AddName("Keeper", 1);
    memo->AddName("Mira", 0);
    memo->ScanUrls("the map: http://www.quill.example/maps/the-sample-field.html");
    memo->Show();
    memo->ClickRow(1);
    Clear();
    memo->Draw();
    EXPECT_TRUE(Golden("name_memo"));
}

}  // namespace
