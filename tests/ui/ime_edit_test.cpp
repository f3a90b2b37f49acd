// The hidden edit control and the text input manager over the platform's
// edit control, driven by scripted window messages.
#include "ui/ime_edit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/font.h"
#include "platform/keyboard.h"
#include "tests/ui/text_entry_fixture.h"
#include "ui/edit_mgr.h"

namespace {

constexpr uint8_t kScanEnter = 0x1C, kScanA = 0x1E, kScanUp = 0x48, kScanDown = 0x50;

TEST(ImeEditTextTest, NumberOnlyAndAlphanumericReadings) {
    struct Case {
        const char* text;
        const char* number;
    } numbers[] = {
        {"007", "7"}, {"0", ""},     {"000", ""}, {"12abc", "12"},
        {"abc", ""},  {"-05", "-5"}, {"", ""},    {"99999999999999999999", "99999999999999999999"}};
    for (const Case& c : numbers) EXPECT_EQ(NumberOnlyText(c.text), c.number) << c.text;
    plat::ScopedCodePage korean(plat::CP_KOREAN);
    // "ab", the syllable "한", "cd!".
    EXPECT_EQ(AlphanumericOnly("ab\xC7\xD1"
                               "cd!"),
              "abcd");
    EXPECT_EQ(AlphanumericOnly("A-z_9 "), "Az9");
}

TEST(ImeEditTextTest, InputLanguageComesFromTheCodePage) {
    EXPECT_EQ(InputLanguageOfCodePage(932), IME_LANG_JAPANESE);
    EXPECT_EQ(InputLanguageOfCodePage(949), IME_LANG_KOREAN);
    EXPECT_EQ(InputLanguageOfCodePage(1252), IME_LANG_OTHER);
}

TEST_F(TextEntryTest, NumberOnlyTextReadsWithoutLeadingZeros) {
    Ime().SetNumbersOnly(true, true);
    Ime().SetText("007");
    EXPECT_EQ(Ime().GetText(), "7");
    Ime().SetText("0");  // a zero does not even reach the control
    EXPECT_EQ(plat::GetWindowText(Ime().GetWindow()), "");
    // Typed, it does; reading it empties the control.
    m_edit.SetInputFocus(true);
    m_driver.Chars("0");
    m_driver.Frame();
    EXPECT_EQ(plat::GetWindowText(Ime().GetWindow()), "0");
    EXPECT_EQ(Ime().GetText(), "");
    EXPECT_EQ(plat::GetWindowText(Ime().GetWindow()), "");
    Ime().SetNumbersOnly(false, true);
    Ime().SetText("007");
    EXPECT_EQ(Ime().GetText(), "007");
}

TEST_F(TextEntryTest, AlphanumericFilterOnlyOutsideJapanese) {
    {
        plat::ScopedCodePage korean(plat::CP_KOREAN);
        CImeEdit ime;
        ASSERT_TRUE(ime.Create(plat::GetMainWindow(), nullptr));
        EXPECT_EQ(ime.GetInputLanguage(), IME_LANG_KOREAN);
        ime.SetImeOpen(1);
        EXPECT_TRUE(ime.HasAlphanumericFilter());
        EXPECT_FALSE(plat::ImeIsOn(ime.GetWindow()));
        ime.SetText(
            "ab\xC7\xD1"
            "cd!");
        EXPECT_EQ(ime.GetText(), "abcd");
        ime.ClearFilter();
        EXPECT_EQ(ime.GetText(),
                  "ab\xC7\xD1"
                  "cd!");
        ime.SetNativeMode();
        EXPECT_TRUE(plat::ImeIsOn(ime.GetWindow()));
    }
    // Japanese: neither changes the conversion, nor is the filter set.
    Ime().SetImeOpen(1);
    EXPECT_FALSE(Ime().HasAlphanumericFilter());
    EXPECT_TRUE(plat::ImeIsOn(Ime().GetWindow()));
}

TEST_F(TextEntryTest, MultiLineLimitAndLineCheck) {
    Ime().SetMultiLine(true, 10, 3, true);
    EXPECT_EQ(Ime().GetLimit(), 34u);  // 10 + CR LF + 10 + CR LF + 10
    EXPECT_EQ(plat::EditGetLimit(Ime().GetWindow()), 34u);
    m_edit.SetInputFocus(true);
    System().m_clipboard = std::string(40, 'x');
    m_driver.Chars("\x16");  // Ctrl+V
    m_driver.Frame();
    EXPECT_EQ(Ime().GetText(), std::string(34, 'x'));

    Ime().SetText("");
    // Each line counts 1 + its length / 10: Enter on the second line would make a fourth.
    m_driver.Chars("aaaaaaaaa\rbbbbbbbbb\r");
    m_driver.Frame();
    EXPECT_EQ(Ime().GetText(), "aaaaaaaaa\r\nbbbbbbbbb");
    m_driver.Chars("bc");  // the tenth byte fills the line, the eleventh is one too many
    m_driver.Frame();
    EXPECT_EQ(Ime().GetText(), "aaaaaaaaa\r\nbbbbbbbbbb");
    m_driver.Chars("\b\x01");  // Backspace and Ctrl+A still work at the limit
    m_driver.Frame();
    EXPECT_EQ(Ime().GetText(), "aaaaaaaaa\r\nbbbbbbbbb");
    int32_t start = 0, end = 0;
    Ime().GetSelection(nullptr, &start, &end, nullptr);
    EXPECT_EQ(end - start, 20);

    Ime().SetMultiLine(true, 10, 0, true);  // no lines: nothing, not four billion bytes
    EXPECT_EQ(Ime().GetLimit(), 0u);
    m_driver.Chars("a");
    m_driver.Frame();
    EXPECT_EQ(Ime().GetText(), "");
}

TEST_F(TextEntryTest, ACompositionShowsWhileComposingAndItsCommitArrivesInTheCodePage) {
    m_edit.SetInputFocus(true);
    m_driver.Compose(kUtf8Ka, 1);
    m_driver.Frame();
    EXPECT_TRUE(m_edit.IsComposing());
    EXPECT_EQ(std::string(m_edit.GetCompositionString()), kHiraganaKa);
    EXPECT_EQ(m_edit.GetCompositionCursor(), 2);
    m_driver.Compose("", 0);
    m_driver.Type(kUtf8A);
    m_driver.Frame();
    EXPECT_FALSE(m_edit.IsComposing());
    EXPECT_EQ(std::string(m_edit.GetCompositionString()), "");
    EXPECT_EQ(std::string(m_edit.GetText()), "\x82\xA0");
    EXPECT_EQ(m_edit.GetCaret(), 2);
}

std::vector<int> g_phases;
int RecordPhase(int phase) {
    g_phases.push_back(phase);
    return 5;
}

TEST_F(TextEntryTest, KeyCallbacksRunOnKeyDownAndUp) {
    g_phases.clear();
    Ime().RegisterKey('A', RecordPhase);
    EXPECT_EQ(Ime().RunKey('B', 1), 0);
    m_edit.SetInputFocus(true);
    m_driver.Key(kScanA, 'A');
    m_driver.KeyUp(kScanA, 'A');
    m_driver.Frame();
    EXPECT_EQ(g_phases, (std::vector<int>{1, 2}));
    EXPECT_EQ(Ime().RunKey('A', 1), 5);
}

// The registered keys reach the game while the control has the keyboard;
// Up and Down only while it is single-line and not composing.
TEST_F(TextEntryTest, ForwardedKeysReachTheGame) {
    m_edit.SetInputFocus(true);
    auto press = [&](uint8_t scan, uint8_t vk) {
        m_driver.Key(scan, vk, vk == plat::VK_UP || vk == plat::VK_DOWN);
        m_driver.Frame();
        return GameKeys();
    };
    EXPECT_EQ(press(kScanEnter, plat::VK_RETURN), std::vector<uint32_t>{plat::VK_RETURN});
    EXPECT_EQ(press(kScanA, 'A'), std::vector<uint32_t>{});  // typing stays with the control
    EXPECT_EQ(press(kScanUp, plat::VK_UP), std::vector<uint32_t>{plat::VK_UP});
    m_driver.Compose(kUtf8Ka, 1);
    m_driver.Frame();
    EXPECT_EQ(press(kScanDown, plat::VK_DOWN), std::vector<uint32_t>{});
    m_driver.Compose("", 0);
    m_driver.Frame();
    m_edit.SetMultiLine(20, 2);
    EXPECT_EQ(press(kScanDown, plat::VK_DOWN), std::vector<uint32_t>{});
    m_edit.SetMultiLine(0, 0);
    EXPECT_EQ(press(kScanDown, plat::VK_DOWN), std::vector<uint32_t>{plat::VK_DOWN});
}

TEST_F(TextEntryTest, CandidatesOfThePageNumberedFromOne) {
    m_edit.SetInputFocus(true);
    std::vector<std::string> twelve;
    for (int i = 0; i < 12; ++i) twelve.push_back(std::string(1, char('a' + i)));
    struct Case {
        uint32_t selection, pageSize;
        std::vector<std::string> page;
    } cases[] = {
        {7, 5, {"f", "g", "h", "i", "j"}},
        {7, 0, {"f", "g", "h", "i", "j"}},  // no page size: pages of five, no division by zero
        {11, 4, {"i", "j", "k", "l"}},
        {10, 5, {"k", "l"}},  // the last page holds what is left
    };
    for (const Case& c : cases) {
        System().CandidatesAtFrame(m_driver.FrameNumber(), twelve, c.selection, c.pageSize);
        m_driver.Frame();
        ASSERT_NE(m_edit.GetCandidateList(), nullptr);
        std::vector<std::string> page;
        int32_t number = 1;
        for (const CImeEdit::Candidate& entry : Ime().Candidates()) {
            EXPECT_EQ(entry.number, number++);
            page.push_back(entry.text);
        }
        EXPECT_EQ(page, c.page) << c.selection << " " << c.pageSize;
    }
    System().CandidatesAtFrame(m_driver.FrameNumber(), {}, 0, 0);
    m_driver.Frame();
    EXPECT_EQ(m_edit.GetCandidateList(), nullptr);
    EXPECT_TRUE(Ime().Candidates().empty());
}

TEST_F(TextEntryTest, InputFocusSwitchesTheSystemsTextInput) {
    EXPECT_FALSE(System().m_textInput);
    m_edit.SetInputFocus(true);
    EXPECT_TRUE(System().m_textInput);
    EXPECT_EQ(plat::GetFocus(), Ime().GetWindow());
    m_edit.SetInputFocus(false);
    EXPECT_FALSE(System().m_textInput);
    EXPECT_EQ(plat::GetFocus(), plat::GetMainWindow());
}

TEST_F(TextEntryTest, TextWidthInTheGivenOrDefaultFont) {
    plat::FakeFontBackend backend;
    plat::ScopedFontBackend use(backend);
    plat::HFONT small = plat::CreateFontA(12, 400, false);  // 6 pixels a byte
    plat::HFONT large = plat::CreateFontA(20, 400, false);  // 10
    m_edit.SetDefaultFont(small);
    EXPECT_EQ(m_edit.GetTextWidth("", 5), 0);
    EXPECT_EQ(m_edit.GetTextWidth("abc", 2), 12);
    EXPECT_EQ(m_edit.GetTextWidth("abc", 99), 18);  // no further than the text
    EXPECT_EQ(m_edit.GetTextWidth("abc", 3, large), 30);
    EXPECT_EQ(m_edit.GetTextWidth(nullptr, 3), 0);
    plat::DeleteObject(small);
    plat::DeleteObject(large);
}

TEST(EditMgrTest, IsTrailByte) {
    // "a", "あ", half-width "ｱ" (one byte), "b".
    const std::string text =
        "a\x82\xA0\xB1"
        "b";
    struct Case {
        int32_t index;
        bool trail;
    } cases[] = {{-1, false}, {0, false}, {1, false}, {2, true},
                 {3, false},  {4, false}, {5, false}, {99, false}};
    for (const Case& c : cases) EXPECT_EQ(CEditMgr::IsTrailByte(text.c_str(), c.index), c.trail) << c.index;
    EXPECT_FALSE(CEditMgr::IsTrailByte("\x82", 1));  // a lead byte at the end stands alone
    EXPECT_FALSE(CEditMgr::IsTrailByte(nullptr, 1));
}

}  // namespace
