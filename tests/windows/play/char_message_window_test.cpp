// The speech bubble: four lines of 30 bytes, five seconds, the name apart.
#include "windows/play/char_message_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/clock.h"
#include "tests/support/window_driver.h"

namespace {

std::vector<std::string> Lines(const CCharMessageWindow& bubble) {
    std::vector<std::string> out;
    for (size_t i = 0; i < bubble.LineCount(); ++i) out.push_back(bubble.LineText(i));
    return out;
}

TEST(CharMessageWindowTest, TextFillsAtMostFourLinesOfThirtyBytes) {
    qmtest::WindowDriver driver;
    CCharMessageWindow bubble;
    EXPECT_FALSE(bubble.IsDrawOn());
    EXPECT_FALSE(bubble.IsUpdateOn());
    struct Case {
        const char* what;
        std::string name, text;
        std::vector<std::string> lines;
    };
    const std::string a30(30, 'a'), b30(30, 'b'), c30(30, 'c');
    const Case cases[] = {
        {"119 bytes", "", a30 + b30 + c30 + std::string(29, 'd'), {a30, b30, c30, std::string(29, 'd')}},
        {"longer is cut", "", a30 + b30 + c30 + std::string(40, 'd'), {a30, b30, c30, std::string(29, 'd')}},
        {"with a name", "Mira", "hi", {"Mira : hi"}},
        {"an empty name shows the text alone", "", "hi", {"hi"}},
        // A name is kept at 19 bytes, cut between characters.
        {"a long name", std::string(18, 'n') + "\x88\x9f", "x", {std::string(18, 'n') + " : x"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bubble.ShowSpeech(c.name.c_str(), c.text.c_str());
        EXPECT_EQ(Lines(bubble), c.lines);
        EXPECT_TRUE(bubble.IsDrawOn());
    }
}

TEST(CharMessageWindowTest, TheBubbleGoesAfterFiveSecondsAndANewLineStartsThemAgain) {
    qmtest::WindowDriver driver;
    auto* bubble = driver.Add(new CCharMessageWindow);
    bubble->SetText("Mira", "first");
    driver.SetFrameTime(1000);
    driver.Frame(3);
    bubble->SetText("Mira", "second");
    driver.Frame(4);
    EXPECT_TRUE(bubble->IsDrawOn());
    EXPECT_EQ(Lines(*bubble), (std::vector<std::string>{"Mira : second"}));
    driver.Frame();
    EXPECT_FALSE(bubble->IsDrawOn());
    EXPECT_FALSE(bubble->IsUpdateOn());
    // It stands over the point it is given.
    bubble->SetPosition(200, 300);
    EXPECT_EQ(bubble->GetX(), 137);
    EXPECT_EQ(bubble->GetY(), 260);
}

}  // namespace
