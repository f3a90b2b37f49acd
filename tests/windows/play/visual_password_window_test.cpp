// The on-screen keypad: the key table, the keys' effects, shuffling and the
// masked line, and the typed text reaching the log-in window's password box.
#include "windows/play/visual_password_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "tests/support/data_fixtures.h"
#include "tests/windows/play/play_fixture.h"
#include "ui/edit_box.h"
#include "windows/play/login_window.h"

using playtest::PlayWindowTest;

namespace {

// Text table 14 as the keypad reads it: digits, letters a-z, mask and caret.
std::map<int, std::vector<std::string>> KeypadTexts() {
    std::vector<std::string> rows(730);
    for (int i = 0; i < 10; ++i) rows[size_t(283 + i)] = std::string(1, char('0' + i));
    for (int i = 0; i < 26; ++i) rows[size_t(293 + i)] = std::string(1, char('a' + i));
    rows[319] = "*";
    rows[320] = "_";
    rows[321] = "OK";
    rows[322] = "BS";
    rows[323] = "Aa";
    rows[324] = "Mix";
    return {{14, rows}};
}

class KeypadTest : public PlayWindowTest {
protected:
    KeypadTest() {
        m_keypad = m_driver.Add(new CVisualPasswordWindow);
        m_keypad->SetPosition(100, 50);
        m_keypad->Open();
    }
    std::vector<int32_t> Codes() const {
        std::vector<int32_t> codes;
        for (int r = 0; r < KEYPAD_ROWS; ++r)
            for (int c = 0; c < KEYPAD_COLUMNS; ++c) codes.push_back(m_keypad->Cell(r, c).code);
        return codes;
    }

    qmtest::ScopedTextTables m_texts{KeypadTexts()};
    CVisualPasswordWindow* m_keypad = nullptr;
};

TEST_F(KeypadTest, TheKeysStandAsAKeyboardDoes) {
    EXPECT_EQ(m_keypad->Cell(0, 0).code, KEY_CONFIRM);
    EXPECT_EQ(m_keypad->Cell(0, 1).code, KEY_ERASE);
    EXPECT_EQ(m_keypad->Cell(1, 0).code, '0');
    EXPECT_EQ(m_keypad->Cell(2, 0).code, 'q');
    EXPECT_EQ(m_keypad->Cell(3, 0).code, 'a');
    EXPECT_EQ(m_keypad->Cell(3, 9).code, KEY_NONE);
    EXPECT_EQ(m_keypad->Cell(4, 1).code, 'z');
    EXPECT_EQ(m_keypad->Cell(4, 0).code, KEY_CASE);
    EXPECT_EQ(m_keypad->Cell(4, 8).code, KEY_SHUFFLE);
    EXPECT_EQ(m_keypad->Cell(0, 0).width, 55);
    EXPECT_EQ(m_keypad->Cell(2, 3).width, 24);
    EXPECT_EQ(m_keypad->Cell(2, 3).x, 23 + 27 * 3);
}

TEST_F(KeypadTest, ACharacterRowThatIsNoPrintableCharacterLeavesItsKeyEmpty) {
    // Control bytes would turn character keys into confirm, erase, case or
    // shuffle keys; a lead byte would type half a character.
    std::map<int, std::vector<std::string>> texts = KeypadTexts();
    std::vector<std::string>& rows = texts[14];
    const struct {
        int row;
        std::string text;
        int32_t code;
    } cases[] = {{283, "\x01", KEY_NONE},
                 {284, "\x02", KEY_NONE},
                 {285, "\x03x", KEY_NONE},
                 {286, "\x04", KEY_NONE},
                 {287, "\x82\xA0", KEY_NONE},
                 {288, " ", KEY_NONE},
                 {289, "", KEY_NONE},
                 {290, "~", '~'},
                 {291, "!", '!'}};
    for (const auto& c : cases) rows[size_t(c.row)] = c.text;
    qmtest::ScopedTextTables scoped(texts);
    m_keypad->Open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(m_keypad->Cell(1, c.row - 283).code, c.code);
    }
    // An empty key is never hit.
    const KeypadCell& empty = m_keypad->Cell(1, 0);
    EXPECT_EQ(m_keypad->KeyAt(100 + empty.x + 2, 50 + empty.y + 2), nullptr);
}

TEST_F(KeypadTest, KeyAtIncludesTheEdgesAndGapsHitNothing) {
    const KeypadCell& q = m_keypad->Cell(2, 0);  // (123, 138) to (147, 162) on the screen
    const struct {
        int32_t x, y;
        bool hit;
    } cases[] = {{123, 138, true}, {147, 162, true}, {122, 150, false}, {135, 163, false}, {148, 150, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        const KeypadCell* cell = m_keypad->KeyAt(c.x, c.y);
        EXPECT_EQ(cell == &q, c.hit);
        if (!c.hit) {
            EXPECT_EQ(cell, nullptr);
        }
    }
    EXPECT_EQ(m_keypad->KeyAt(100 + 300, 50 + 120), nullptr);  // the empty cell at the row's end
}

TEST_F(KeypadTest, TypingErasingAndTheNinthKey) {
    m_keypad->PressKey(KEY_ERASE);
    EXPECT_EQ(m_keypad->GetTypedText(), "");
    for (char c : std::string("abcdefghi")) m_keypad->PressKey(c);
    EXPECT_EQ(m_keypad->GetTypedText(), "abcdefgh");
    m_keypad->PressKey(KEY_ERASE);
    EXPECT_EQ(m_keypad->GetTypedText(), "abcdefg");
    EXPECT_EQ(m_keypad->MaskedLineX(), 100 + 125 - 3 * 7);
    EXPECT_EQ(m_keypad->MaskedLine().substr(0, 7), "*******");
}

TEST_F(KeypadTest, CaseSwitchTwiceRestoresAndLeavesDigits) {
    const std::vector<int32_t> before = Codes();
    m_keypad->ToggleCase();
    EXPECT_EQ(m_keypad->Cell(2, 0).code, 'Q');
    EXPECT_EQ(m_keypad->Cell(1, 5).code, '5');
    EXPECT_TRUE(m_keypad->IsUpperCase());
    m_keypad->ToggleCase();
    EXPECT_EQ(Codes(), before);
}

TEST_F(KeypadTest, ASeededShuffleMovesOnlyCharacterKeysAndReopeningRestores) {
    const std::vector<int32_t> before = Codes();
    m_keypad->SeedShuffle(7);
    m_keypad->PressKey(KEY_SHUFFLE);
    const std::vector<int32_t> after = Codes();
    EXPECT_NE(after, before);
    for (size_t i = 0; i < before.size(); ++i)
        if (before[i] <= KEY_SHUFFLE) {
            EXPECT_EQ(after[i], before[i]) << i;
        }
    std::vector<int32_t> a = before, b = after;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    EXPECT_EQ(a, b);
    m_keypad->SeedShuffle(7);
    m_keypad->ResetLayout();
    m_keypad->ShuffleKeys();
    EXPECT_EQ(Codes(), after);  // the same seed, the same keys

    m_keypad->PressKey('x');
    m_keypad->ToggleCase();
    m_keypad->Open();
    EXPECT_EQ(Codes(), before);
    EXPECT_EQ(m_keypad->GetTypedText(), "");
    EXPECT_FALSE(m_keypad->IsUpperCase());
    EXPECT_EQ(m_keypad->GetResult(), KEYPAD_RESULT_NONE);
}

TEST_F(KeypadTest, TheConfirmedTextReachesThePasswordBox) {
    m_keypad->Hide();
    auto* login = m_driver.Add(new CInsertAccountWindow);
    login->OpenKeypad();
    CVisualPasswordWindow* keypad = login->GetKeypad();
    ASSERT_TRUE(keypad->IsDrawOn());
    for (char c : std::string("pw12")) keypad->PressKey(c);
    keypad->PressKey(KEY_CONFIRM);
    EXPECT_FALSE(keypad->IsDrawOn());
    m_driver.Frame();
    EXPECT_STREQ(login->GetPasswordBox()->GetCurrentText(), "pw12");
    EXPECT_EQ(keypad->GetResult(), KEYPAD_RESULT_NONE);
}

}  // namespace
