#include "platform/edit_control.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/keyboard.h"
#include "platform/window_scripted.h"

namespace {

struct Seen {
    plat::WindowHandle window;
    uint32_t message;
    plat::WParam wParam;
    plat::LParam lParam;
};
std::vector<Seen> g_main, g_edit;
plat::WindowProc g_editing = nullptr;  // the control's own procedure

plat::LResult MainProc(plat::WindowHandle window, uint32_t message, plat::WParam wParam,
                       plat::LParam lParam) {
    g_main.push_back({window, message, wParam, lParam});
    return plat::DefWindowProc(window, message, wParam, lParam);
}

// Put in front of the control's editing: records, swallows '#', passes the rest on.
plat::LResult SubclassProc(plat::WindowHandle window, uint32_t message, plat::WParam wParam,
                           plat::LParam lParam) {
    g_edit.push_back({window, message, wParam, lParam});
    if (message == plat::WM_CHAR && wParam == '#') return 1;
    return plat::CallWindowProc(g_editing, window, message, wParam, lParam);
}

class EditControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::ResetMessageQueue();
        g_main.clear();
        g_edit.clear();
        ASSERT_TRUE(plat::RegisterClass({"Z5MainWindow", MainProc, true}));
        plat::WindowDesc desc;
        desc.className = "Z5MainWindow";
        desc.width = 800;
        desc.height = 600;
        m_main = plat::CreateWindow(desc);
        ASSERT_NE(m_main, nullptr);
        m_edit = plat::CreateEditControl(m_main);
        ASSERT_NE(m_edit, nullptr);
        g_editing = plat::SetWindowProc(m_edit, SubclassProc);
        ASSERT_NE(g_editing, nullptr);
        g_main.clear();
    }
    void TearDown() override {
        plat::DestroyWindow(plat::GetMainWindow());
        plat::ResetMessageQueue();
    }

    // Delivers what is scripted so far, as the game's loop does in a frame.
    void Pump() {
        plat::Msg msg;
        while (plat::PeekMessage(&msg))
            if (msg.message != plat::WM_QUIT) plat::DispatchMessage(msg);
    }
    void Chars(const std::string& bytes) {
        for (char c : bytes) m_system.PostAtFrame(plat::FrameCount(), plat::WM_CHAR, uint8_t(c), 1);
        Pump();
    }
    void Key(uint8_t vk, bool shift = false) {
        m_keys.SetKeyDown(plat::VK_SHIFT, shift);
        m_system.PostAtFrame(plat::FrameCount(), plat::WM_KEYDOWN, vk, 1);
        Pump();
        m_keys.SetKeyDown(plat::VK_SHIFT, false);
    }
    std::string Text() { return plat::GetWindowText(m_edit); }
    std::vector<int32_t> Selection() {
        int32_t start = 0, end = 0, caret = 0;
        plat::EditGetSelection(m_edit, &start, &end, &caret);
        return {start, end, caret};
    }
    std::vector<uint32_t> EditMessages(uint32_t first, uint32_t last) {
        std::vector<uint32_t> out;
        for (const Seen& s : g_edit)
            if (s.message >= first && s.message <= last) out.push_back(s.message);
        return out;
    }

    plat::ScriptedWindowSystem m_system;
    plat::ScopedWindowSystem m_scoped{m_system};
    plat::FakeKeyState m_keys;
    plat::ScopedKeyState m_scopedKeys{m_keys};
    plat::ScopedCodePage m_codePage{plat::CP_SHIFT_JIS};
    plat::WindowHandle m_main = nullptr;
    plat::WindowHandle m_edit = nullptr;
};

const std::string kA = "\x82\xA0";  // "あ" in code page 932
const std::string kI = "\x82\xA2";  // "い"

TEST_F(EditControlTest, KeysAndCharactersGoToTheFocusAndTextInputFollowsIt) {
    EXPECT_EQ(plat::GetFocus(), m_main);
    EXPECT_FALSE(m_system.m_textInput);
    Chars("a");
    EXPECT_EQ(Text(), "");
    ASSERT_EQ(g_main.size(), 1u);
    EXPECT_EQ(g_main[0].message, plat::WM_CHAR);

    EXPECT_EQ(plat::SetFocus(m_edit), m_main);
    EXPECT_TRUE(m_system.m_textInput);
    g_main.clear();
    m_system.PostAtFrame(plat::FrameCount(), plat::WM_MOUSEWHEEL, plat::WParam(120) << 16, 0);
    m_system.PostAtFrame(plat::FrameCount(), plat::WM_LBUTTONDOWN, 0, 0);
    Chars("ab");
    EXPECT_EQ(Text(), "ab");
    // Mouse buttons stay with the main window; the wheel follows the focus.
    ASSERT_EQ(g_main.size(), 1u);
    EXPECT_EQ(g_main[0].message, plat::WM_LBUTTONDOWN);
    EXPECT_EQ(g_edit.front().message, plat::WM_MOUSEWHEEL);
    EXPECT_EQ(g_edit.front().window, m_edit);

    // Refused: nothing changes.
    EXPECT_EQ(plat::SetFocus(reinterpret_cast<plat::WindowHandle>(0x7777)), nullptr);
    EXPECT_EQ(plat::GetFocus(), m_edit);
    EXPECT_EQ(plat::SetFocus(m_main), m_edit);
    EXPECT_FALSE(m_system.m_textInput);
    EXPECT_EQ(m_system.m_textInputStarts, 1);
    EXPECT_EQ(m_system.m_textInputStops, 1);
    plat::SetFocus(m_main);  // no change, nothing switched
    EXPECT_EQ(m_system.m_textInputStops, 1);
}

TEST_F(EditControlTest, ASubclassSeesMessagesFirstAndCanSwallowThem) {
    plat::SetFocus(m_edit);
    Chars("a#b");
    EXPECT_EQ(Text(), "ab");
    EXPECT_EQ(g_edit.size(), 3u);
    EXPECT_EQ(plat::SetWindowProc(m_edit, nullptr), nullptr);  // refused
    EXPECT_EQ(plat::SetWindowProc(m_edit, g_editing), SubclassProc);
    Chars("#");
    EXPECT_EQ(Text(), "ab#");
}

// Editing by whole characters.
TEST_F(EditControlTest, EditingStepsOverWholeCharacters) {
    struct Step {
        const char* what;
        uint8_t before;     // a key pressed first (0: none)
        std::string chars;  // then typed
        uint8_t after;      // then this key
        bool shift;         // held with the keys
        std::string text;
        std::vector<int32_t> selection;  // start, end, caret
    };
    const std::vector<Step> steps = {
        {"type", 0, "a" + kA + "b", 0, false, "a" + kA + "b", {4, 4, 4}},
        {"left over b", 0, "", plat::VK_LEFT, false, "a" + kA + "b", {3, 3, 3}},
        {"left over a double-byte character", 0, "", plat::VK_LEFT, false, "a" + kA + "b", {1, 1, 1}},
        {"shift+right selects it", 0, "", plat::VK_RIGHT, true, "a" + kA + "b", {1, 3, 3}},
        {"typing replaces the selection", 0, "x", 0, false, "axb", {2, 2, 2}},
        {"home", 0, "", plat::VK_HOME, false, "axb", {0, 0, 0}},
        {"shift+end", 0, "", plat::VK_END, true, "axb", {0, 3, 3}},
        {"left ends the selection at its start", 0, "", plat::VK_LEFT, false, "axb", {0, 0, 0}},
        {"delete", 0, "", plat::VK_DELETE, false, "xb", {0, 0, 0}},
        {"backspace at the start", 0, "\b", 0, false, "xb", {0, 0, 0}},
        {"end, then a double-byte character", plat::VK_END, kI, 0, false, "xb" + kI, {4, 4, 4}},
        {"backspace removes both bytes", 0, "\b", 0, false, "xb", {2, 2, 2}},
        {"escape and tab add nothing", 0, "\x1B\t", 0, false, "xb", {2, 2, 2}},
    };
    plat::SetFocus(m_edit);
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        if (s.before) Key(s.before, s.shift);
        Chars(s.chars);
        if (s.after) Key(s.after, s.shift);
        EXPECT_EQ(Text(), s.text);
        EXPECT_EQ(Selection(), s.selection);
    }
}

TEST_F(EditControlTest, LimitNumbersAndLines) {
    plat::SetFocus(m_edit);
    plat::EditSetLimit(m_edit, 3);
    Chars("ab" + kA + "c");  // the double-byte character does not fit whole
    EXPECT_EQ(Text(), "abc");
    plat::EditSetLimit(m_edit, 0);
    plat::SetWindowText(m_edit, "");
    Chars("a");
    EXPECT_EQ(Text(), "");

    plat::EditSetLimit(m_edit, 10);
    plat::EditSetStyle(m_edit, plat::ES_NUMBER);
    Chars("1a2" + kA + "3\r");
    EXPECT_EQ(Text(), "123");

    plat::SetWindowText(m_edit, "");
    Chars("ab\rcd");        // single-line: Enter adds nothing
    EXPECT_EQ(Text(), "");  // still numbers only
    plat::EditSetStyle(m_edit, plat::ES_MULTILINE);
    plat::EditSetLimit(m_edit, 11);
    Chars("ab\rcdef\rgh");  // h would be the twelfth byte
    EXPECT_EQ(Text(), "ab\r\ncdef\r\ng");
    // Up keeps the column, cut to the shorter line; Left steps over CR LF whole.
    Key(plat::VK_UP);
    EXPECT_EQ(Selection(), (std::vector<int32_t>{5, 5, 5}));
    Key(plat::VK_UP);
    EXPECT_EQ(Selection(), (std::vector<int32_t>{1, 1, 1}));
    Key(plat::VK_END);
    Key(plat::VK_RIGHT);
    EXPECT_EQ(Selection(), (std::vector<int32_t>{4, 4, 4}));
    Chars("\b");
    EXPECT_EQ(Text(), "abcdef\r\ng");
}

TEST_F(EditControlTest, SettingTextAndSelection) {
    EXPECT_TRUE(plat::SetWindowText(m_edit, "a" + kA + "b"));
    EXPECT_EQ(Selection(), (std::vector<int32_t>{0, 0, 0}));
    plat::EditSetSelection(m_edit, 0, -1);
    EXPECT_EQ(Selection(), (std::vector<int32_t>{0, 4, 4}));
    plat::EditSetSelection(m_edit, 2, 4);  // 2 is inside "あ": moved back to 1
    EXPECT_EQ(Selection(), (std::vector<int32_t>{1, 4, 4}));
    plat::EditSetSelection(m_edit, -1, 0);
    EXPECT_EQ(Selection(), (std::vector<int32_t>{4, 4, 4}));
    EXPECT_FALSE(plat::SetWindowText(m_main, "x"));
    EXPECT_EQ(plat::GetWindowText(m_main), "");
}

TEST_F(EditControlTest, ClipboardWithCtrlKeys) {
    plat::SetFocus(m_edit);
    Chars("abc");
    Chars("\x01\x03");  // Ctrl+A, Ctrl+C
    EXPECT_EQ(m_system.m_clipboard, "abc");
    Chars("\x18");  // Ctrl+X
    EXPECT_EQ(Text(), "");
    // Pasted: characters the code page lacks are left out, the rest cut to
    // the limit between characters; a single-line control stops at the break.
    m_system.m_clipboard = "x\xF0\x9F\x98\x80\xE3\x81\x82y\nz";  // x, an emoji, あ, y, a break
    plat::EditSetLimit(m_edit, 3);
    Chars("\x16");
    EXPECT_EQ(Text(), "x" + kA);
    plat::EditSetLimit(m_edit, 20);
    plat::SetWindowText(m_edit, "");
    plat::EditSetStyle(m_edit, plat::ES_MULTILINE);
    Chars("\x16");
    EXPECT_EQ(Text(), "x" + kA + "y\r\nz");
    // Cut to the limit, a line break stays whole: no CR without its LF.
    plat::SetWindowText(m_edit, "");
    plat::EditSetLimit(m_edit, 5);
    Chars("\x16");
    EXPECT_EQ(Text(), "x" + kA + "y");
    plat::EditSetLimit(m_edit, 20);
    plat::SetWindowText(m_edit, "");
    Chars("\x16");
    // Copied text goes out as UTF-8.
    Chars("\x01\x03");
    EXPECT_EQ(m_system.m_clipboard, "x\xE3\x81\x82y\r\nz");
}

TEST_F(EditControlTest, CompositionsReachTheFocusedControlInTheCodePage) {
    plat::SetFocus(m_edit);
    m_system.ComposeAtFrame(plat::FrameCount(), "\xE3\x81\x8B", 1);  // "か"
    m_system.ComposeAtFrame(plat::FrameCount(), "\xE3\x81\x8B\xF0\x9F\x98\x80\xE3\x81\x82",
                            2);  // "か", emoji, "あ"
    Pump();
    EXPECT_EQ(EditMessages(plat::WM_IME_STARTCOMPOSITION, plat::WM_IME_COMPOSITION),
              (std::vector<uint32_t>{plat::WM_IME_STARTCOMPOSITION, plat::WM_IME_COMPOSITION,
                                     plat::WM_IME_COMPOSITION}));
    plat::ImeComposition comp;
    ASSERT_TRUE(plat::ImeGetComposition(m_edit, &comp));
    EXPECT_EQ(comp.text, "\x82\xA9" + kA);  // the emoji dropped
    EXPECT_EQ(comp.cursor, 2);              // after "か" (the emoji counted no bytes)
    EXPECT_EQ(comp.deltaStart, 2);
    // The commit: the composition ends, the text arrives as characters.
    g_edit.clear();
    m_system.ComposeAtFrame(plat::FrameCount(), "", 0);
    m_system.TypeAtFrame(plat::FrameCount(), "\xE3\x81\x82");
    Pump();
    EXPECT_FALSE(plat::ImeGetComposition(m_edit, &comp));
    EXPECT_EQ(comp.text, "");
    EXPECT_EQ(EditMessages(plat::WM_IME_STARTCOMPOSITION, plat::WM_IME_COMPOSITION),
              (std::vector<uint32_t>{plat::WM_IME_COMPOSITION, plat::WM_IME_ENDCOMPOSITION}));
    EXPECT_EQ(Text(), kA);
}

TEST_F(EditControlTest, WithTheInputMethodOffCompositionsAreIgnoredAndDoubleByteRefused) {
    plat::SetFocus(m_edit);
    struct Case {
        const char* what;
        bool attached;
        uint32_t conversion;
    } cases[] = {{"detached", false, plat::IME_CMODE_NATIVE},
                 {"alphanumeric", true, plat::IME_CMODE_ALPHANUMERIC}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        plat::SetWindowText(m_edit, "");
        plat::ImmAssociateContext(m_edit, c.attached);
        plat::ImmSetConversionStatus(m_edit, c.conversion, plat::IME_SMODE_AUTOMATIC);
        EXPECT_FALSE(plat::ImeIsOn(m_edit));
        g_edit.clear();
        m_system.ComposeAtFrame(plat::FrameCount(), "\xE3\x81\x8B", 1);
        m_system.TypeAtFrame(plat::FrameCount(),
                             "a\xE3\x81\x82\xEF\xBD\xB1"
                             "b");  // a, あ, half-width ア, b
        Pump();
        EXPECT_TRUE(EditMessages(plat::WM_IME_STARTCOMPOSITION, plat::WM_IME_COMPOSITION).empty());
        EXPECT_EQ(Text(),
                  "a\xB1"
                  "b");  // the single-byte katakana stays
        plat::ImmAssociateContext(m_edit, true);
        plat::ImmSetConversionStatus(m_edit, plat::IME_CMODE_NATIVE, plat::IME_SMODE_AUTOMATIC);
    }
    EXPECT_TRUE(plat::ImeIsOn(m_edit));
}

TEST_F(EditControlTest, LosingFocusOrTheInputMethodEndsTheCompositionAtOnce) {
    plat::SetFocus(m_edit);
    m_system.ComposeAtFrame(plat::FrameCount(), "\xE3\x81\x8B", 1);
    m_system.CandidatesAtFrame(plat::FrameCount(), {"\xE8\x9A\x8A", "\xE5\x8F\xAF"}, 1, 0);
    Pump();
    ASSERT_TRUE(plat::ImeGetCandidateList(m_edit, nullptr));
    g_edit.clear();
    plat::SetFocus(m_main);  // sent, not queued: the control knows before SetFocus returns
    EXPECT_EQ(
        EditMessages(plat::WM_IME_STARTCOMPOSITION, plat::WM_IME_NOTIFY),
        (std::vector<uint32_t>{plat::WM_IME_NOTIFY, plat::WM_IME_COMPOSITION, plat::WM_IME_ENDCOMPOSITION}));
    EXPECT_FALSE(plat::ImeGetComposition(m_edit, nullptr));
    EXPECT_FALSE(plat::ImeGetCandidateList(m_edit, nullptr));
    // Nothing composes for a control without the focus.
    m_system.ComposeAtFrame(plat::FrameCount(), "\xE3\x81\x8B", 1);
    Pump();
    EXPECT_FALSE(plat::ImeGetComposition(m_edit, nullptr));

    plat::SetFocus(m_edit);
    m_system.ComposeAtFrame(plat::FrameCount(), "\xE3\x81\x8B", 1);
    Pump();
    g_edit.clear();
    plat::ImmAssociateContext(m_edit, false);
    EXPECT_EQ(EditMessages(plat::WM_IME_STARTCOMPOSITION, plat::WM_IME_COMPOSITION),
              (std::vector<uint32_t>{plat::WM_IME_COMPOSITION, plat::WM_IME_ENDCOMPOSITION}));
}

TEST_F(EditControlTest, CandidatesOpenChangeAndClose) {
    plat::SetFocus(m_edit);
    const std::vector<std::string> seven(7, "\xE3\x81\x8B");
    m_system.CandidatesAtFrame(plat::FrameCount(), seven, 6, 5);
    m_system.CandidatesAtFrame(plat::FrameCount(), seven, 2, 0);  // page size 0: one page of all
    Pump();
    plat::ImeCandidateList list;
    ASSERT_TRUE(plat::ImeGetCandidateList(m_edit, &list));
    EXPECT_EQ(list.candidates.size(), 7u);
    EXPECT_EQ(list.candidates[0], "\x82\xA9");
    EXPECT_EQ(list.pageStart, 0u);
    m_system.CandidatesAtFrame(plat::FrameCount(), {}, 0, 0);
    Pump();
    EXPECT_FALSE(plat::ImeGetCandidateList(m_edit, &list));
    std::vector<plat::WParam> notes;
    for (const Seen& s : g_edit)
        if (s.message == plat::WM_IME_NOTIFY) notes.push_back(s.wParam);
    EXPECT_EQ(notes, (std::vector<plat::WParam>{plat::IMN_OPENCANDIDATE, plat::IMN_CHANGECANDIDATE,
                                                plat::IMN_CLOSECANDIDATE}));
}

TEST_F(EditControlTest, ControlsEndWithTheirWindowOrTheMainWindow) {
    plat::SetFocus(m_edit);
    plat::DestroyWindow(m_edit);
    EXPECT_FALSE(plat::IsEditControl(m_edit));
    EXPECT_EQ(plat::GetFocus(), m_main);
    EXPECT_FALSE(m_system.m_textInput);
    Chars("a");
    EXPECT_EQ(g_main.size(), 1u);
    EXPECT_EQ(plat::SendMessage(m_edit, plat::WM_CHAR, 'a', 0), 0);

    plat::WindowHandle second = plat::CreateEditControl(m_main);
    plat::SetFocus(second);
    plat::DestroyWindow(m_main);
    EXPECT_FALSE(plat::IsEditControl(second));
    EXPECT_EQ(plat::GetFocus(), nullptr);
    EXPECT_FALSE(m_system.m_textInput);
    EXPECT_EQ(plat::CreateEditControl(nullptr), nullptr);
}

TEST_F(EditControlTest, ImeRectangleAndClipboardGoToTheSystem) {
    plat::SetImeRect(10, 20, 6, 13);
    EXPECT_EQ(m_system.m_imeRects, (std::vector<plat::ScriptedWindowSystem::Rect>{{10, 20, 6, 13}}));
    m_system.m_clipboard = "\xE3\x81\x82\xF0\x9F\x98\x80";
    EXPECT_EQ(plat::GetClipboardText(), kA);
    EXPECT_TRUE(plat::SetClipboardText(kI));
    EXPECT_EQ(m_system.m_clipboard, "\xE3\x81\x84");
}

TEST(CodePageTest, FromUtf8DroppingLeavesOutWhatTheCodePageLacks) {
    plat::ScopedCodePage korean(plat::CP_KOREAN);
    // "한" is in code page 949, the emoji is not; "あ" is in both.
    EXPECT_EQ(plat::FromUtf8Dropping("a\xED\x95\x9C\xF0\x9F\x98\x80"
                                     "b"),
              "a\xC7\xD1"
              "b");
    EXPECT_EQ(plat::FromUtf8("\xF0\x9F\x98\x80"), "?");
    EXPECT_EQ(plat::FromUtf8Dropping("\xF0\x9F\x98\x80\xFF"), "");
}

}  // namespace
