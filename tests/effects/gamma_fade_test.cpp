// The screen fade: the gamma-ramp path on a display that has ramps, the
// software-tint path on the program's own display, and the end fill.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "effects/screen/gamma_fade_effect.h"
#include "platform/clock.h"
#include "tests/graphics/graphics_fixture.h"

namespace {

// A display with a gamma control whose ramps start as the identity.
class RampDisplay : public IFadeDisplay {
public:
    RampDisplay() {
        for (int c = 0; c < 3; ++c)
            for (int i = 0; i < RAMP_ENTRIES; ++i) m_ramp[c * RAMP_ENTRIES + i] = uint16_t(i * 257);
    }
    bool HasPrimary() override { return m_primary; }
    bool HasGammaControl() override { return m_gamma; }
    bool IsSoftwareTint() override { return false; }
    void ReadGammaRamp(uint16_t ramp[RAMP_SIZE]) override { std::copy(m_ramp, m_ramp + RAMP_SIZE, ramp); }
    void SetGammaRamp(const uint16_t ramp[RAMP_SIZE]) override {
        std::copy(ramp, ramp + RAMP_SIZE, m_ramp);
        ++m_rampSets;
    }
    void ReadTint(uint8_t[4]) override {}
    void SetTint(const uint8_t[4]) override { ++m_tintSets; }
    void SetBrightnessLevel(float percent) override { m_level = percent; }
    void FillPrimary(uint32_t colour) override { m_fills.push_back(colour); }

    uint16_t Red(int i) const { return m_ramp[i]; }
    uint16_t Green(int i) const { return m_ramp[RAMP_ENTRIES + i]; }
    uint16_t Blue(int i) const { return m_ramp[2 * RAMP_ENTRIES + i]; }

    bool m_primary = true, m_gamma = true;
    uint16_t m_ramp[RAMP_SIZE];
    int m_rampSets = 0, m_tintSets = 0;
    float m_level = -1;
    std::vector<uint32_t> m_fills;
};

class GammaFadeTest : public ::testing::Test {
protected:
    void SetUp() override { plat::SetClock(&m_clock); }
    void TearDown() override { plat::SetClock(nullptr); }

    plat::FakeClock m_clock{5000};
    RampDisplay m_display;
};

constexpr uint8_t kBlack[4] = {0, 0, 0, 0};
constexpr uint8_t kWhite[4] = {255, 255, 255, 255};

TEST_F(GammaFadeTest, AFadeToBlackReachesZeroAtItsDurationThenFillsAndFinishes) {
    CGammaFadeEffect fade(&m_display);
    ASSERT_TRUE(fade.Create());
    EXPECT_TRUE(fade.IsFinished());
    EXPECT_TRUE(fade.Start(0, kBlack, 1000));
    EXPECT_FALSE(fade.IsFinished());
    EXPECT_EQ(m_display.m_rampSets, 0) << "a fade to the colour starts on the picture";
    struct Step {
        uint32_t at;
        uint16_t red255;  // red ramp entry 255
        float level;
        bool finished;
    };
    // Entry 255 starts at 65535: (1 - t) of it, rounded.
    const Step steps[] = {
        {0, 65535, 0, false}, {250, 49151, 25, false}, {999, 66, 99.9f, false}, {1000, 0, 100, true}};
    for (const Step& s : steps) {
        m_clock.Sleep(s.at - (m_clock.Milliseconds() - 5000));
        EXPECT_TRUE(fade.Update());
        EXPECT_EQ(m_display.Red(255), s.red255) << s.at;
        EXPECT_EQ(m_display.Blue(255), s.red255) << s.at;
        EXPECT_NEAR(m_display.m_level, s.level, 0.01) << s.at;
        EXPECT_EQ(fade.IsFinished(), s.finished) << s.at;
    }
    EXPECT_EQ(m_display.Green(128), 0);
    EXPECT_EQ(m_display.m_fills, std::vector<uint32_t>{0});
    // Finished, it changes nothing more.
    const int sets = m_display.m_rampSets;
    m_clock.Sleep(100);
    fade.Update();
    EXPECT_EQ(m_display.m_rampSets, sets);
    EXPECT_TRUE(fade.IsRunning());
}

TEST_F(GammaFadeTest, AFadeFromAColourShowsItBeforeTheFirstUpdateAndReturnsToThePicture) {
    CGammaFadeEffect fade(&m_display);
    fade.Create();
    const uint8_t blue[4] = {0, 0, 255, 0};
    fade.Start(1, blue, 400);
    EXPECT_EQ(m_display.m_rampSets, 1);
    EXPECT_EQ(m_display.Red(200), 0);
    EXPECT_EQ(m_display.Blue(0), 255 * 255);
    m_clock.Sleep(200);
    fade.Update();
    // Half-way between the colour and the captured identity ramp.
    EXPECT_EQ(m_display.Red(200), 25700);  // 200 * 257 / 2
    EXPECT_EQ(m_display.Blue(0), 32513);   // 65025 / 2, rounded
    m_clock.Sleep(200);
    fade.Update();
    EXPECT_EQ(m_display.Red(200), 200 * 257);
    EXPECT_TRUE(fade.IsFinished());
    EXPECT_TRUE(m_display.m_fills.empty()) << "only a fade to the colour fills";
}

TEST_F(GammaFadeTest, ANewStartCapturesTheHalfFadedRamps) {
    CGammaFadeEffect fade(&m_display);
    fade.Create();
    fade.Start(0, kBlack, 1000);
    m_clock.Sleep(500);
    fade.Update();
    ASSERT_EQ(m_display.Red(255), 32768);
    fade.Start(0, kWhite, 1000);
    EXPECT_FALSE(fade.IsFinished());
    m_clock.Sleep(500);
    fade.Update();
    // Half-way from the half-faded picture to white.
    EXPECT_EQ(m_display.Red(255), (32768 + 65025 + 1) / 2);
    EXPECT_EQ(m_display.Red(0), 65025 / 2 + 1);
}

TEST_F(GammaFadeTest, NothingToFadeEndsAtOnceAndADurationOfZeroOnTheFirstUpdate) {
    struct Case {
        bool primary, gamma;
        uint32_t duration;
        bool finishedAfterStart;
    };
    const Case cases[] = {{false, true, 1000, true}, {true, false, 1000, true}, {true, true, 0, false}};
    for (const Case& c : cases) {
        RampDisplay display;
        display.m_primary = c.primary;
        display.m_gamma = c.gamma;
        CGammaFadeEffect fade(&display);
        fade.Create();
        EXPECT_TRUE(fade.Start(0, kWhite, c.duration));
        EXPECT_EQ(fade.IsFinished(), c.finishedAfterStart) << c.primary << c.gamma;
        fade.Update();
        EXPECT_TRUE(fade.IsFinished());
        EXPECT_EQ(display.m_fills.size(), c.finishedAfterStart ? 0u : 1u);
    }
}

// The program's display draws fades as the primary surface's tint.
class ProgramFadeTest : public GraphicsFixture {
protected:
    void SetUp() override {
        GraphicsFixture::SetUp();
        plat::SetClock(&m_clock);
        ASSERT_EQ(BringUp(800, 600, false, false), plat::kOk);
        m_primary = m_dd->GetPrimarySurface();
    }
    void TearDown() override {
        plat::SetClock(nullptr);
        GraphicsFixture::TearDown();
    }
    uint16_t PrimaryPixel() { return m_primary->Surface()->Pixels().At(10, 10); }

    plat::FakeClock m_clock{100};
    CSurfaceResource* m_primary = nullptr;
};

TEST_F(ProgramFadeTest, TheTintMovesToAFullyCoveringColourAndTheEndFillIsInTheSurfaceFormat) {
    ASSERT_TRUE(m_primary->HasSoftwareTint());
    m_primary->SetScreenTint(0, 0, 0, 0);
    CGammaFadeEffect fade;
    fade.Create();
    // Red, green 128, blue 0: the fill is 5-6-5 red and green, not the raw value.
    const uint8_t orange[4] = {255, 128, 0, 0};
    fade.Start(0, orange, 1000);
    EXPECT_EQ(fade.TargetTint()[3], 255);
    m_clock.Sleep(500);
    fade.Update();
    EXPECT_EQ(m_primary->TintRed(), 128);
    EXPECT_EQ(m_primary->TintGreen(), 64);
    EXPECT_EQ(m_primary->TintAlpha(), 128);
    EXPECT_NEAR(m_primary->GetBrightness(), 50, 0.01);
    m_clock.Sleep(500);
    fade.Update();
    EXPECT_TRUE(fade.IsFinished());
    EXPECT_EQ(m_primary->TintAlpha(), 255);
    EXPECT_EQ(m_primary->TintGreen(), 128);
    // Back from the colour: the first frame already covers the screen.
    fade.Start(1, orange, 1000);
    EXPECT_EQ(m_primary->TintAlpha(), 255);
    m_clock.Sleep(1000);
    fade.Update();
    EXPECT_EQ(m_primary->TintAlpha(), 255) << "the captured tint was the covering one";
}

TEST_F(ProgramFadeTest, TheEndFillOfTheDisplayIsConvertedToTheSurfaceFormat) {
    // Red 255, green 128, blue 0 (0x00BBGGRR = 0x000080FF) as 5-6-5.
    ProgramFadeDisplay().FillPrimary(0x000080FF);
    EXPECT_EQ(PrimaryPixel(), uint16_t(0xF800 | (128 >> 2) << 5));
}

}  // namespace
