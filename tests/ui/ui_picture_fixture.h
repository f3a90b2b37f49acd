// The display brought up headless with pictures, the twelve fonts and the
// text renderer, and the animations the shared windows use, written with the
// animation writer over one texture sheet:
//   "ToolTip_Window" (animation 10): motion 0 and, for style 1, motion 4:
//     direction 0 the left cap (4 x 24), 14 the middle (6 x 24), 2 the right cap (4 x 24);
//   the two-line frame (animation 2161): motion 0: direction 2 the left piece
//     (8 x 36), 0 the middle (6 x 36), 14 the right piece (8 x 36); motion 1 the
//     same without a middle picture;
//   "Number_Input_Window" (11): motion 0 the frame (150 x 35), 1 the OK button
//     (20 x 14), 2 the inner field (90 x 16);
//   "CommonIcons" (12): motions 5 and 6 the arrows (12 x 12).
// Their names are found through the animation play manager's name table.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "anim/ani_file.h"
#include "anim/ani_mgr.h"
#include "anim/ani_object_hooks.h"
#include "anim/ani_play_mgr.h"
#include "anim/obj_ani.h"
#include "core/draw_object.h"
#include "graphics/dtx_format.h"
#include "graphics/sprite.h"
#include "tests/anim/ani_test_util.h"
#include "tests/graphics/picture_fixture.h"
#include "tests/graphics/picture_helpers.h"
#include "tests/graphics/text_fixture.h"
#include "tests/support/table_builder.h"

class UiPictureFixture : public PictureFixture {
protected:
    static constexpr uint32_t kToolTipAni = 10, kNumberAni = 11, kIconsAni = 12;
    // Texture colours (4-4-4-4).
    static constexpr uint16_t kFrameEdge = 0xF9BF, kFrameFill = 0xF236, kButton = 0xF6A4, kField = 0xFEEE,
                              kArrow = 0xFFC4;

    void BringUpUi(plat::IFontBackend& fonts) {
        BringUpAnimations(fonts);
        WriteFrames();
        qmtest::TableBuilder names(4, 2);
        names.Text(0).Define(1, kColInt, 4);
        const char* const rows[] = {"ToolTip_Window", "Number_Input_Window", "CommonIcons", "Unused"};
        const uint32_t indexes[] = {kToolTipAni, kNumberAni, kIconsAni, 99};
        for (int i = 0; i < 4; ++i) names.Set(0, i, rows[i]).Set(1, i, indexes[i]);
        StartPlay(names.Layout());
    }

    // The pictures, fonts, text renderer and animation managers, with the
    // animations read from the fixture's folder.
    void BringUpAnimations(plat::IFontBackend& fonts) {
        BringUpPictures();
        m_fonts = std::make_unique<FontsOn>(fonts);
        ASSERT_TRUE(m_fonts->Ok());
        m_renderer = std::make_unique<CTextRenderer>();
        g_pTextRenderer = m_renderer.get();
        g_pObjSpriteMgr = &m_sprites;
        m_oldAniFolder = g_config.m_folders[FOLDER_ANIMATION];
        g_config.m_folders[FOLDER_ANIMATION] = m_dir.Path();
        g_pAniMgr = &m_anis;
        m_aniHooks = std::make_unique<ScopedAniObjectHooks>(AniObjectHooks());
    }

    // The animation play manager over these animation names.
    // A data table the windows load, into the fixture's database folder.
    void WriteTable(int fileNumber, const TablePlan& table) { m_database.Write(fileNumber, table); }

    void StartPlay(const TablePlan& names) {
        m_database.Write(PLAY_NAME_TABLE_FILE, names);
        g_pAniPlayMgr = &m_play;
        ASSERT_TRUE(m_play.Init());
    }

    void TearDown() override {
        g_pAniPlayMgr = nullptr;
        m_aniHooks.reset();
        m_anis.ReleaseAll();
        g_pAniMgr = nullptr;
        g_config.m_folders[FOLDER_ANIMATION] = m_oldAniFolder;
        m_sprites.DeleteAllChildren();
        g_pObjSpriteMgr = nullptr;
        g_pTextRenderer = nullptr;
        m_renderer.reset();
        m_fonts.reset();
        PictureFixture::TearDown();
    }

    CSurfaceResource* Frame() { return m_d3d->GetRenderTarget(); }

    plat::FakeClock m_clock{50000};
    plat::ScopedClock m_scopedClock{m_clock};

private:
    static AniFileDirection Piece(uint8_t direction, uint16_t unit) {
        using namespace anitest;
        return Direction(direction, {Layer({Image(0, 1, unit), Hold(60)})});
    }
    static AniFileDirection Empty(uint8_t direction) {
        using namespace anitest;
        return Direction(direction, {Layer({Hold(60)})});
    }

    void WriteFrames() {
        using namespace anitest;
        struct Box {
            int32_t x, y, w, h;
            uint16_t fill;
        };
        // Units 0-9: tooltip caps and middle, two-line pieces, number window
        // frame, OK button, inner field, arrow.
        const std::vector<Box> boxes = {{0, 0, 4, 24, kFrameFill},    {8, 0, 6, 24, kFrameFill},
                                        {16, 0, 4, 24, kFrameFill},   {0, 32, 8, 36, kFrameFill},
                                        {16, 32, 6, 36, kFrameFill},  {24, 32, 8, 36, kFrameFill},
                                        {0, 80, 150, 35, kFrameFill}, {160, 80, 20, 14, kButton},
                                        {0, 120, 90, 16, kField},     {160, 100, 12, 12, kArrow}};
        std::vector<uint16_t> sheet(256 * 256, 0);
        std::vector<DtxUnit> units;
        for (const Box& b : boxes) {
            for (int y = 0; y < b.h; ++y)
                for (int x = 0; x < b.w; ++x) {
                    // The frame pieces get a light edge along their top and bottom.
                    const bool edge = b.fill == kFrameFill && (y == 0 || y == b.h - 1);
                    sheet[size_t(b.y + y) * 256 + size_t(b.x + x)] = edge ? kFrameEdge : b.fill;
                }
            units.push_back(qmtest::SheetUnit(b.x, b.y, b.w, b.h));
        }
        WriteTexture("0001", WriteDtxSheet(4, units, 256, 256, SheetToTiles(sheet.data(), 256, 256)));
        auto write = [this](uint32_t number, const AniFile& file) {
            char name[16];
            snprintf(name, sizeof name, "%04u.z5a", number);
            m_dir.WriteFile(name, WriteAniFile(file));
        };
        const std::vector<AniFileDirection> oneLine = {Piece(0, 0), Piece(14, 1), Piece(2, 2)};
        write(kToolTipAni, File(ANI_LATEST_VERSION, {Motion(0, oneLine), Motion(4, oneLine)}));
        write(TOOLTIP_TWO_LINE, File(ANI_LATEST_VERSION, {Motion(0, {Piece(2, 3), Piece(0, 4), Piece(14, 5)}),
                                                          Motion(1, {Piece(2, 3), Empty(0), Piece(14, 5)})}));
        const std::vector<AniFileDirection> button = {Piece(2, 7), Piece(0, 7), Piece(14, 7), Piece(12, 7)};
        write(kNumberAni, File(ANI_LATEST_VERSION, {Motion(0, {Piece(2, 6)}), Motion(1, button),
                                                    Motion(2, {Piece(0, 8), Piece(2, 8)})}));
        const std::vector<AniFileDirection> arrow = {Piece(2, 9), Piece(0, 9), Piece(14, 9)};
        write(kIconsAni, File(ANI_LATEST_VERSION, {Motion(5, arrow), Motion(6, arrow)}));
    }

    static constexpr uint32_t TOOLTIP_TWO_LINE = 2161;

    std::unique_ptr<FontsOn> m_fonts;
    std::unique_ptr<CTextRenderer> m_renderer;
    std::unique_ptr<ScopedAniObjectHooks> m_aniHooks;
    CObjSpriteMgr m_sprites;
    CAniMgr m_anis;
    CAniPlayMgr m_play;
    qmtest::ScopedDatabase m_database;
    std::string m_oldAniFolder;
};
