// Labels in every font with each style switch and plain-face buttons in each
// state; edit boxes and a tooltip. Drawn with the real font headless and
// compared with the stored pictures; QM_REFRESH_GOLDEN=1 rewrites them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/main_window.h"
#include "tests/graphics/text_fixture.h"
#include "tests/support/golden_image.h"
#include "tests/support/window_driver.h"
#include "tests/ui/ui_picture_fixture.h"
#include "ui/button.h"
#include "ui/edit_box.h"
#include "ui/edit_mgr.h"
#include "ui/message_box.h"
#include "ui/static_text.h"
#include "ui/tooltip_window.h"

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

// ---- Text entry ----

namespace {

constexpr int kEntryWidth = 420, kEntryHeight = 120;

// Boxes drawn one after the other, each while it has the keyboard: one with
// a selection and the caret, one composing, a password box; and a one-line
// tooltip with its frame animation.
class TextEntryGoldenTest : public UiPictureFixture {
protected:
    void SetUp() override {
        UiPictureFixture::SetUp();
        BringUpUi(m_freetype);
        m_driver = std::make_unique<qmtest::WindowDriver>();
        ASSERT_TRUE(m_edit.Init(plat::GetMainWindow(), EditSubclassProc));
        m_edit.SetDefaultFont(GetFontHandle(0));
        g_pEditMgr = &m_edit;
        g_pEditControl = m_edit.GetImeEdit();
        m_panel = m_driver->Add(new CBaseWindow);
        Frame()->FillSurface(kGrey, nullptr);
    }
    void TearDown() override {
        m_driver.reset();
        g_pEditControl = nullptr;
        g_pEditMgr = nullptr;
        g_textFocus = false;
        UiPictureFixture::TearDown();
    }
    CEditBox* Box(int32_t x, int32_t y, const char* text) {
        auto* box = static_cast<CEditBox*>(m_driver->Mgr().CreateControl("ENTRY", CONTROL_EDIT_BOX, 0));
        m_panel->AddChild(box);
        box->SetPosition(x, y);
        box->SetInputRect(true, x, y, x + 180, y + 14);
        box->SetText(text);
        return box;
    }

    plat::FreeTypeFontBackend m_freetype;
    std::unique_ptr<qmtest::WindowDriver> m_driver;
    CEditMgr m_edit;
    CBaseWindow* m_panel = nullptr;
};

TEST_F(TextEntryGoldenTest, BoxesAndATooltip) {
    // "Quill あいう": "uil" selected, the caret after it.
    CEditBox* selected = Box(12, 12, "Quill \x82\xA0\x82\xA2\x82\xA4");
    selected->SetActive(true, false);
    m_edit.GetImeEdit()->SetSelection(1, 4);
    ASSERT_TRUE(selected->Draw());
    // "日本" and "かな" being composed, the cursor inside it.
    CEditBox* composing = Box(12, 44, "\x93\xFA\x96\x7B");
    composing->SetActive(true, false);
    m_edit.GetImeEdit()->MoveCaret(false);
    m_driver->Compose("\xE3\x81\x8B\xE3\x81\xAA", 1);
    m_driver->Frame();
    ASSERT_TRUE(m_edit.IsComposing());
    ASSERT_TRUE(composing->Draw());
    CEditBox* password = Box(12, 76, "secret");
    password->SetPassword(true);
    ASSERT_TRUE(password->Draw());
    CToolTipWindow tip;
    tip.SetText("Tooltip \x93\xB9\x8B\xEF", 0xFFFFFF);
    tip.SetPosition(310, 60);
    ASSERT_TRUE(tip.Draw());
    EXPECT_TRUE(qmtest::MatchesGolden(qmtest::ToRgb(Target(), kEntryWidth, kEntryHeight),
                                      "tests/ui/golden/ui_text_entry.png"));
}

}  // namespace

namespace {

// The input method's candidates over the focused box: for Japanese a list of
// the page's entries ending 30 pixels above the box, the entry the
// composition shows marked with a bar.
TEST_F(TextEntryGoldenTest, CandidatesShowAboveTheBox) {
    CEditBox* box = Box(40, 200, "");
    box->SetActive(true, false);
    m_driver->Compose("\xE3\x81\x8B", 1);  // "か"
    const std::vector<std::string> candidates = {"\xE8\x9A\x8A", "\xE3\x81\x8B", "\xE5\x8F\xAF"};
    m_driver->System().CandidatesAtFrame(m_driver->FrameNumber(), candidates, 0, 0);
    m_driver->Frame();
    ASSERT_TRUE(box->Draw());  // the caret after "か": x 40 + its width
    const int32_t left = 40 + m_edit.GetTextWidth("\x82\xA9", 2);
    auto inked = [&](int32_t top, int32_t bottom) {
        int n = 0;
        for (int32_t y = top; y < bottom; ++y)
            for (int32_t x = 0; x < 400; ++x) n += Target().At(x, y) != kGrey;
        return n;
    };
    Frame()->FillSurface(kGrey, nullptr);
    m_driver->Mgr().Draw();         // the manager draws the overlay after every window
    EXPECT_GT(inked(138, 162), 0);  // rows at 138, 154 and 170 (the popup line)
    EXPECT_EQ(inked(0, 138), 0);
    // The marked second row: its space before " 2" is lighter than the others'.
    EXPECT_NE(Target().At(left + 1, 154 + 6), Target().At(left + 1, 138 + 6));
    EXPECT_EQ(Target().At(left + 1, 170 + 6), Target().At(left + 1, 138 + 6));
    // Without candidates nothing shows above the box.
    m_driver->System().CandidatesAtFrame(m_driver->FrameNumber(), {}, 0, 0);
    m_driver->Frame();
    Frame()->FillSurface(kGrey, nullptr);
    box->DrawImeOverlay();
    EXPECT_EQ(inked(0, 195), 0);
}

}  // namespace

// ---- Message box ----

namespace {

// A box without pictures (plain-faced buttons, a 240 x 20 background):
// the shaded text area, coloured rows and the two buttons.
TEST_F(UiGoldenTest, AMessageBoxShadesItsTextAndShowsItsButtons) {
    CMessageBox box("First row <c3>red</c3> and <c5>green</c5></n><b>bold</b> second row</n>third", true,
                    true, false, 0);
    box.SetSize(240, 20);
    box.GetGrip()->SetImage(240, 6, "");
    box.GetOkButton()->SetImage(40, 14, "OK");
    box.GetCancelButton()->SetImage(40, 14, "No");
    box.SetPosition(10, 10);
    box.Update();
    ASSERT_TRUE(box.Draw());
    EXPECT_TRUE(
        qmtest::MatchesGolden(qmtest::ToRgb(Pixels(Frame()), 270, 120), "tests/ui/golden/message_box.png"));
}

}  // namespace

// ---- Message box picture ----

namespace {

// "MessageBox" as a small animation: motion 0, direction 2 the background
// (240 x 20), motion 1 the grip (240 x 8); both boxes must give it its motion.
class MessageBoxPictureTest : public UiPictureFixture {
protected:
    static constexpr uint32_t kBoxAni = 40;

    void SetUp() override {
        using namespace anitest;
        UiPictureFixture::SetUp();
        BringUpAnimations(m_freetype);
        std::vector<uint16_t> sheet(256 * 256, 0);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 240; ++x) sheet[size_t(y) * 256 + size_t(x)] = kFrameFill;
        const std::vector<DtxUnit> units = {qmtest::SheetUnit(0, 0, 240, 20),
                                            qmtest::SheetUnit(0, 24, 240, 8)};
        WriteTexture("0001", WriteDtxSheet(4, units, 256, 256, SheetToTiles(sheet.data(), 256, 256)));
        auto piece = [](uint16_t unit) { return Direction(2, {Layer({Image(0, 1, unit), Hold(60)})}); };
        char name[16];
        snprintf(name, sizeof name, "%04u.z5a", kBoxAni);
        m_dir.WriteFile(
            name, WriteAniFile(File(ANI_LATEST_VERSION, {Motion(0, {piece(0)}), Motion(1, {piece(1)})})));
        qmtest::TableBuilder names(1, 2);
        names.Text(0).Define(1, kColInt, 4);
        names.Set(0, 0, "MessageBox").Set(1, 0, kBoxAni);
        StartPlay(names.Layout());
        Frame()->FillSurface(kGrey, nullptr);
    }

    // Pixels of the box's top rows (above the shaded text area) that the
    // background changed.
    int DrawnInTopRows(CBaseWindow& box) {
        const plat::raster::Surface& frame = Frame()->Surface()->Pixels();
        int drawn = 0;
        for (int32_t y = box.GetY(); y < box.GetY() + 6; ++y)
            for (int32_t x = box.GetX(); x < box.GetX() + 240; ++x) drawn += frame.At(x, y) != kGrey;
        return drawn;
    }

    plat::FreeTypeFontBackend m_freetype;
};

TEST_F(MessageBoxPictureTest, BothBoxesDrawTheirBackground) {
    {
        CMessageBox box("row", true, false, false, 0);
        EXPECT_EQ(box.ImageWidth(), 240);
        EXPECT_EQ(box.GetX(), 400 - 120);  // centred by its picture
        box.Show();
        ASSERT_TRUE(box.Draw());
        EXPECT_EQ(DrawnInTopRows(box), 240 * 6);
    }
    Frame()->FillSurface(kGrey, nullptr);
    CAutoHideMessageBox notice("notice");
    notice.SetPosition(10, 10);
    notice.Show();
    ASSERT_TRUE(notice.Draw());
    EXPECT_EQ(notice.ImageWidth(), 240);
    EXPECT_EQ(DrawnInTopRows(notice), 240 * 6);
}

}  // namespace
