// Labels in every font with each style switch and plain-face buttons in each
// state, drawn with the real font headless and compared with the stored
// picture. QM_REFRESH_GOLDEN=1 rewrites it.
#include <gtest/gtest.h>

#include <string>

#include "tests/graphics/text_fixture.h"
#include "tests/support/golden_image.h"
#include "ui/button.h"
#include "ui/static_text.h"

namespace {

constexpr int kWidth = 640, kHeight = 206;
constexpr uint16_t kGrey = 0x8410;  // so that black shadows and outlines show

class UiGoldenTest : public TextFixture {
protected:
    void SetUp() override {
        TextFixture::SetUp();
        BringUpText(m_freetype);
        Frame()->FillSurface(kGrey, nullptr);
    }
    CSurfaceResource* Frame() { return m_d3d->GetRenderTarget(); }

    plat::FreeTypeFontBackend m_freetype;
};

TEST_F(UiGoldenTest, LabelsAndPlainButtons) {
    // "Aa1" and "あ日本" in code page 932.
    const std::string sample = "Aa1 \x82\xA0\x93\xFA\x96\x7B";
    // Columns: plain, second font set, bold, shadow, outline.
    for (uint8_t font = 0; font < 6; ++font)
        for (int column = 0; column < 5; ++column) {
            CStaticText label;
            label.SetFontSize(font);
            label.SetText(sample.c_str());
            label.SetTextColor(column == 0 ? 0xFFFFFF : 0x40C0FF);
            if (column == 1) label.SetTextOption(1);
            if (column >= 2) label.SetStyleSwitch(column - 1, true);
            label.SetPosition(6 + column * 126, 4 + font * 24);
            ASSERT_TRUE(label.Draw());
        }
    const char* captions[] = {"Normal", "Hover", "Pressed", "Disabled"};
    const int32_t states[] = {BUTTON_NORMAL, BUTTON_HOVER, BUTTON_PRESSED, BUTTON_DISABLED};
    for (int i = 0; i < 4; ++i) {
        CButton button;
        button.SetImage(120, 24, captions[i]);
        button.SetPosition(6 + i * 126, 156);
        button.SetState(states[i]);
        ASSERT_TRUE(button.Draw());
    }
    CButton still;  // a button that does not update looks the same
    still.SetImage(120, 24, "Still");
    still.SetPosition(6, 182);
    still.SetUpdateOn(false);
    ASSERT_TRUE(still.Draw());
    EXPECT_TRUE(qmtest::MatchesGolden(qmtest::ToRgb(Pixels(Frame()), kWidth, kHeight),
                                      "tests/ui/golden/ui_controls.png"));
}

TEST_F(UiGoldenTest, AnEmptyLabelDrawsNothing) {
    CStaticText label;
    label.SetPosition(10, 10);
    label.SetStyleSwitch(TEXT_SWITCH_OUTLINE, true);
    ASSERT_TRUE(label.Draw());
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x) ASSERT_EQ(Pixels(Frame()).At(x, y), kGrey) << x << "," << y;
}

}  // namespace
