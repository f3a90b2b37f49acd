// The windows a character makes through the window manager's table of
// window classes: its speech and sign windows, and the fight-club notice.
#include <gtest/gtest.h>

#include "tests/ui/test_windows.h"
#include "tests/world/chars/char_fixture.h"
#include "ui/window_mgr.h"

using namespace chartest;

namespace {

class CharWindowsTest : public CharFixture {
protected:
    void SetUp() override {
        m_windows.Create();
        g_pWindowMgr = &m_windows;
        RegisterWindowClass("CHAR_MSGWIN",
                            [] { return static_cast<CBaseWindow*>(new uitest::TestWindow("CHAR_MSGWIN")); });
        RegisterWindowClass("CHAR_SIGNWIN",
                            [] { return static_cast<CBaseWindow*>(new uitest::TestWindow("CHAR_SIGNWIN")); });
        RegisterWindowClass("FightClubNoticeWin", [] {
            return static_cast<CBaseWindow*>(new uitest::TestWindow("FightClubNoticeWin"));
        });
        CharFixture::SetUp();
    }
    void TearDown() override {
        CharFixture::TearDown();
        m_windows.Release();
        g_pWindowMgr = nullptr;
        ClearWindowClasses();
    }
    int Count(const char* name) {
        std::vector<CBaseWindow*> found;
        return m_windows.FindAllWindowsByName(name, &found);
    }
    CWindowMgr m_windows;
};

TEST_F(CharWindowsTest, EachCharacterHasItsSpeechAndSignWindows) {
    CChar* a = Make(CHAR_KIND_MONSTER, 1);
    CChar* b = Make(CHAR_KIND_NPC, 2);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(Count("CHAR_MSGWIN"), 2);
    EXPECT_EQ(Count("CHAR_SIGNWIN"), 2);
    ASSERT_TRUE(a->GetAction()->SpeechWindow());
    // The speech window follows the character's sprite.
    a->GetAniObject()->SetScreenPosition(120, 200, 0);
    a->GetAniObject()->m_mapX = ANI_NO_POSITION;
    a->UpdateFrame(33, false);
    EXPECT_EQ(a->GetAction()->SpeechWindow()->GetX(), a->GetAniObject()->GetX());
    // Going away closes them (the manager deletes them with its next messages).
    EXPECT_TRUE(m_mgr->RemoveCharacter(1));
    m_windows.ProcessMessages();
    EXPECT_EQ(Count("CHAR_MSGWIN"), 1);
    // A window the manager no longer holds is left alone.
    CBaseWindow* speech = b->GetAction()->SpeechWindow();
    m_windows.RemoveWindow(speech);
    EXPECT_TRUE(m_mgr->RemoveCharacter(2));
    m_windows.ProcessMessages();
    EXPECT_EQ(Count("CHAR_MSGWIN"), 0);
    EXPECT_EQ(Count("CHAR_SIGNWIN"), 0);
}

TEST_F(CharWindowsTest, TheFightClubNoticeIsMadeOnce) {
    ASSERT_TRUE(Make(CHAR_KIND_PLAYER, 4));
    CCharActionMsg msg;
    msg.Set(4, 6);
    m_mgr->HandleMessage(msg);
    m_mgr->HandleMessage(msg);
    EXPECT_EQ(Count("FightClubNoticeWin"), 1);
    CBaseWindow* notice = m_windows.FindWindowByName("FightClubNoticeWin");
    ASSERT_TRUE(notice);
    EXPECT_TRUE(notice->IsDrawOn());
    msg.Set(99, 6);  // an absent character shows nothing
    notice->Hide();
    m_mgr->HandleMessage(msg);
    EXPECT_FALSE(notice->IsDrawOn());
}

}  // namespace
