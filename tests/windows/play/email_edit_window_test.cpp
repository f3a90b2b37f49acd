// The confirmation-text dialog: reopening empties it, Escape cancels, and
// what was confirmed stays readable after the window hides.
#include "windows/play/email_edit_window.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/keyboard.h"
#include "tests/windows/play/play_fixture.h"

using playtest::PlayWindowTest;

namespace {

class EMailEditTest : public PlayWindowTest {
protected:
    EMailEditTest() { m_window = m_driver.Add(new CEMailEditWindow); }
    CEMailEditWindow* m_window = nullptr;
};

TEST_F(EMailEditTest, ConfirmKeepsTheTextAndReopeningEmptiesIt) {
    m_window->ResetAndShow();
    ASSERT_TRUE(m_window->GetBox()->IsFocused());
    m_window->GetBox()->SetText("me@example.org");
    m_window->Confirm();
    EXPECT_FALSE(m_window->IsDrawOn());
    EXPECT_FALSE(m_window->GetBox()->IsFocused());
    EXPECT_TRUE(m_window->IsConfirmed());
    EXPECT_STREQ(m_window->GetText(), "me@example.org");
    m_window->ResetAndShow();
    EXPECT_FALSE(m_window->IsConfirmed());
    EXPECT_STREQ(m_window->GetText(), "");
    EXPECT_STREQ(m_window->GetBox()->GetCurrentText(), "");
}

TEST_F(EMailEditTest, EscapeCancels) {
    m_window->ResetAndShow();
    m_window->GetBox()->SetText("typed");
    Key(playtest::kScanEscape, plat::VK_ESCAPE);
    EXPECT_FALSE(m_window->IsDrawOn());
    EXPECT_FALSE(m_window->IsConfirmed());
    EXPECT_STREQ(m_window->GetText(), "");
}

TEST_F(EMailEditTest, TheBoxHoldsFortyFiveBytes) {
    m_window->ResetAndShow();
    const std::string longest(EMAIL_EDIT_TEXT_LIMIT, 'a');
    m_window->GetBox()->SetText(longest.c_str());
    m_window->GetBox()->SetText((longest + "b").c_str());
    m_window->Confirm();
    EXPECT_EQ(std::string(m_window->GetText()), longest);
}

}  // namespace
