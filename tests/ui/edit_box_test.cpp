// Edit boxes over the text input manager, driven by scripted input.
#include "ui/edit_box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/main_window.h"
#include "graphics/text_font.h"
#include "platform/codepage.h"
#include "platform/font.h"
#include "platform/keyboard.h"
#include "tests/ui/test_windows.h"
#include "tests/ui/text_entry_fixture.h"
#include "ui/window_messages.h"

using uitest::TestWindow;

namespace {

constexpr uint8_t kScanEnter = 0x1C, kScanEscape = 0x01, kScanLeft = 0x4B;

class EditBoxTest : public TextEntryTest {
protected:
    EditBoxTest() {
        m_panel = m_driver.Add(new TestWindow("PANEL", 0, 0, 800, 600));
        m_box = MakeBox("PANEL_EDIT", 100, 200);
    }
    CEditBox* MakeBox(const char* name, int32_t x, int32_t y) {
        auto* box = static_cast<CEditBox*>(m_driver.Mgr().CreateControl(name, CONTROL_EDIT_BOX, 0));
        box->SetInputOn(true);
        box->SetPosition(x, y);
        box->SetInputRect(true, x, y, x + 300, y + 14);
        m_panel->AddChild(box);
        return box;
    }
    // The text the box shows after a frame and a draw.
    std::string Shown(CEditBox* box) {
        m_driver.Frame();
        box->Draw();
        return box->GetShownText();
    }
    std::string Native() { return plat::GetWindowText(Ime().GetWindow()); }

    TestWindow* m_panel = nullptr;
    CEditBox* m_box = nullptr;
};

// The fixed-block font: 6 pixels a byte at size 0, lines 13 high.
class FontsOnFake {
public:
    FontsOnFake() : m_use(m_backend) { EXPECT_TRUE(CreateFonts()); }
    ~FontsOnFake() {
        ReleaseTextFonts();
        DeleteFonts();
    }

private:
    plat::FakeFontBackend m_backend;
    plat::ScopedFontBackend m_use;
};

TEST_F(EditBoxTest, NumbersAreHeldWithinTheRange) {
    m_box->SetNumeric(true);
    m_box->SetValueRange(99, 1);
    struct Case {
        const char* text;
        const char* shown;
    } cases[] = {{"0", "1"},    {"abc", "1"}, {"42", "42"},
                 {"150", "99"}, {"-7", "1"},  {"12345678901234", "99"}};
    for (const Case& c : cases) {
        EXPECT_TRUE(m_box->SetText(c.text));
        EXPECT_STREQ(m_box->GetText(), c.shown) << c.text;
        EXPECT_EQ(m_box->GetNumber(), std::stoi(c.shown));
    }
    CEditBox plain;
    plain.SetText("42");
    EXPECT_EQ(plain.GetNumber(), 0);  // not numeric
}

TEST_F(EditBoxTest, LengthLimits) {
    m_box->SetMaxLength(1000);
    EXPECT_EQ(m_box->GetMaxLength(), 256u);
    EXPECT_FALSE(m_box->SetText(std::string(256, 'x').c_str()));  // never 256 bytes
    EXPECT_STREQ(m_box->GetText(), "");
    EXPECT_TRUE(m_box->SetText(std::string(255, 'x').c_str()));
    m_box->SetMaxLength(5);
    EXPECT_FALSE(m_box->SetText("abcdef"));
    EXPECT_EQ(std::string(m_box->GetText()), std::string(255, 'x'));
    EXPECT_TRUE(m_box->SetText("abcde"));
}

TEST_F(EditBoxTest, ActivationHandsTheTextToTheControl) {
    m_box->SetText("hello");
    m_box->SetMaxLength(40);
    m_box->SetActive(true, false);
    EXPECT_TRUE(g_textFocus);
    EXPECT_TRUE(System().m_textInput);
    EXPECT_EQ(m_driver.Mgr().GetFocusedEditBox(), m_box);
    EXPECT_EQ(Native(), "hello");
    EXPECT_EQ(m_edit.GetSelectionStart(), 0);  // all of it selected: typing replaces it
    EXPECT_EQ(m_edit.GetSelectionEnd(), 5);
    EXPECT_EQ(plat::EditGetLimit(Ime().GetWindow()), 40u);
    m_driver.Type("bye");
    EXPECT_EQ(Shown(m_box), "bye");
    EXPECT_STREQ(m_box->GetText(), "bye");
    // Set while active, the text goes to the control too.
    m_box->SetText("again");
    EXPECT_EQ(Native(), "again");
}

TEST_F(EditBoxTest, EscapeDeactivatesTheBoxAndNoWindowBelowSeesIt) {
    uitest::Log log;
    auto* below = new TestWindow("BELOW", 0, 0, 800, 600, &log);
    m_driver.Mgr().AddChild(below);  // at the bottom
    m_box->SetNotifyPort(below->GetPort());
    m_box->SetActive(true, false);
    m_driver.Key(kScanEscape, plat::VK_ESCAPE);
    m_driver.Frame();
    EXPECT_FALSE(m_box->IsActiveFlag());
    EXPECT_FALSE(g_textFocus);
    EXPECT_FALSE(System().m_textInput);
    EXPECT_EQ(plat::GetFocus(), plat::GetMainWindow());
    EXPECT_TRUE(log.empty()) << log.front();
    ASSERT_EQ(below->GetPort()->Count(), 1);
    EXPECT_EQ(below->GetPort()->Peek()->m_eventId, EDIT_BOX_DEACTIVATED);
    EXPECT_EQ(below->GetPort()->Peek()->m_senderId, m_box->GetId());
    // Inactive, the box lets Escape pass.
    m_driver.Key(kScanEscape, plat::VK_ESCAPE);
    m_driver.Frame();
    EXPECT_EQ(log, uitest::Log{"BELOW:key 27"});
    // A port whose window is gone is not posted to.
    m_driver.Mgr().RemoveWindow(below);
    m_box->SetActive(true, false);
    m_box->SetActive(false, false);
}

TEST_F(EditBoxTest, EnterEmptiesASingleLineBoxOnly) {
    m_box->SetActive(true, false);
    m_driver.Type("hello");
    m_driver.Frame();
    m_driver.Key(kScanEnter, plat::VK_RETURN);
    m_driver.Frame();
    EXPECT_EQ(Native(), "");
    EXPECT_STREQ(m_box->GetText(), "");
    EXPECT_TRUE(m_box->IsActiveFlag());

    CEditBox* lines = MakeBox("PANEL_LINES", 100, 300);
    lines->SetEditLineWidth(20);
    lines->SetEditLineCount(3);
    lines->SetActive(true, false);
    EXPECT_TRUE(m_edit.IsMultiLine());
    m_driver.Type("hello");
    m_driver.Key(kScanEnter, plat::VK_RETURN);
    m_driver.Chars("\r");  // what the system sends after the key
    m_driver.Frame();
    EXPECT_TRUE(GameKeys().empty());  // consumed by the box
    EXPECT_EQ(Native(), "hello\r\n");
}

TEST_F(EditBoxTest, FocusPassesFromOneBoxToAnother) {
    CEditBox* other = MakeBox("PANEL_OTHER", 100, 300);
    m_box->SetNotifyPort(m_panel->GetPort());
    m_box->SetText("first");
    other->SetText("second");
    m_box->SetActive(true, false);
    m_driver.Type("!");
    m_driver.Frame();
    other->SetActive(true, false);
    EXPECT_FALSE(m_box->IsActiveFlag());
    EXPECT_TRUE(other->IsActiveFlag());
    EXPECT_EQ(m_driver.Mgr().GetFocusedEditBox(), other);
    EXPECT_EQ(m_panel->GetPort()->Count(), 1);  // event 11 from the first
    EXPECT_EQ(Native(), "second");
    EXPECT_TRUE(System().m_textInput);
    EXPECT_TRUE(g_textFocus);
    // Drawn inactive, the first box shows its own text.
    EXPECT_EQ(Shown(m_box), "!");
}

TEST_F(EditBoxTest, PasswordShowsStarsAndTakesNoComposition) {
    m_box->SetPassword(true);
    m_box->SetActive(true, false);
    m_driver.Type("abcde");
    m_driver.Compose(kUtf8Ka, 1);
    m_driver.Type(kUtf8A);  // a double-byte character is refused too
    EXPECT_EQ(Shown(m_box), "*****");
    EXPECT_FALSE(m_edit.IsComposing());
    EXPECT_STREQ(m_box->GetText(), "abcde");
    // The next box that is not a password gets the input method back.
    CEditBox* chat = MakeBox("PANEL_CHAT", 100, 300);
    chat->SetActive(true, false);
    m_driver.Compose(kUtf8Ka, 1);
    m_driver.Frame();
    EXPECT_TRUE(m_edit.IsComposing());
}

TEST_F(EditBoxTest, AlphanumericModeDetachesTheInputMethod) {
    m_box->SetImeMode(1);
    m_box->SetActive(true, false);
    EXPECT_FALSE(plat::ImmIsAttached(Ime().GetWindow()));
    m_driver.Compose(kUtf8Ka, 1);
    m_driver.Type("a" + kUtf8A);
    EXPECT_EQ(Shown(m_box), "a");
    CEditBox* chat = MakeBox("PANEL_CHAT", 100, 300);
    chat->SetActive(true, false);
    EXPECT_TRUE(plat::ImmIsAttached(Ime().GetWindow()));
}

TEST_F(EditBoxTest, WithoutAFocusedBoxTextInputIsOff) {
    m_box->SetActive(true, false);
    EXPECT_TRUE(System().m_textInput);
    m_box->SetActive(false, false);
    EXPECT_FALSE(System().m_textInput);
    // A box that goes while typed into gives the keyboard back too.
    m_box->SetActive(true, false);
    m_driver.Mgr().RemoveWindow(m_box);
    EXPECT_FALSE(System().m_textInput);
    EXPECT_FALSE(g_textFocus);
    EXPECT_EQ(m_driver.Mgr().GetFocusedEditBox(), nullptr);
}

TEST_F(EditBoxTest, TheViewScrollsToTheCaretOnACharacterBoundary) {
    // 54 pixels: 9 bytes show.
    m_box->SetInputRect(true, 100, 200, 154, 214);
    m_box->SetActive(true, false);
    const std::string five = kHiraganaA + kHiraganaA + kHiraganaA + kHiraganaA + kHiraganaA;
    m_edit.SetText(five.c_str());  // caret at the end, byte 10
    EXPECT_EQ(Shown(m_box), kHiraganaA + kHiraganaA + kHiraganaA + kHiraganaA);
    EXPECT_EQ(m_box->GetFirstVisible(), 2);  // 10 - 9 = 1 is inside a character
    Ime().MoveCaret(true);
    EXPECT_EQ(Shown(m_box), five.substr(0, 8));
    EXPECT_EQ(m_box->GetFirstVisible(), 0);
    // An input rectangle narrower than nothing shows nothing.
    m_box->SetInputRect(true, 100, 200, 90, 214);
    EXPECT_EQ(Shown(m_box), "");
}

TEST_F(EditBoxTest, TheMirrorCutEndsBetweenCharacters) {
    m_box->SetMaxLength(4);
    m_box->SetActive(true, false);
    plat::SetWindowText(Ime().GetWindow(), "aa" + kHiraganaA + "b");  // longer than the box takes
    Shown(m_box);
    EXPECT_STREQ(m_box->GetText(), "aa");  // 3 bytes would split the character
}

TEST_F(EditBoxTest, NumbersOutOfRangeBecomeTheirBoundWhileTyped) {
    m_box->SetNumeric(true);
    m_box->SetValueRange(20, 1);
    m_box->SetActive(true, false);
    m_driver.Chars("25");
    Shown(m_box);
    EXPECT_EQ(Native(), "20");
    m_edit.SetText("0");
    Shown(m_box);
    EXPECT_EQ(Native(), "1");
}

TEST_F(EditBoxTest, TheCompositionShowsAtTheCaretAndTheImeRectangleFollowsIt) {
    FontsOnFake fonts;
    m_box->SetActive(true, false);
    m_driver.Type("abc");
    EXPECT_EQ(Shown(m_box), "abc");
    using Rect = plat::ScriptedWindowSystem::Rect;
    EXPECT_EQ(System().m_imeRects.back(), (Rect{118, 200, 6, 13}));
    m_driver.Key(kScanLeft, plat::VK_LEFT, true);
    EXPECT_EQ(Shown(m_box), "abc");
    EXPECT_EQ(System().m_imeRects.back(), (Rect{112, 200, 6, 13}));
    const size_t moves = System().m_imeRects.size();
    EXPECT_EQ(Shown(m_box), "abc");
    EXPECT_EQ(System().m_imeRects.size(), moves);  // only when it moves
    m_driver.Compose(kUtf8Ka + kUtf8A, 1);
    EXPECT_EQ(Shown(m_box), "ab" + kHiraganaKa + kHiraganaA + "c");
    EXPECT_EQ(System().m_imeRects.back(), (Rect{124, 200, 12, 13}));  // after "ab" and "か"
    m_driver.Compose("", 0);
    m_driver.Type(kUtf8Ka);
    EXPECT_EQ(Shown(m_box), "ab" + kHiraganaKa + "c");
    EXPECT_STREQ(m_box->GetText(), ("ab" + kHiraganaKa + "c").c_str());
}

}  // namespace
