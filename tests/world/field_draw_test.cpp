// The field on a display brought up headless: field objects fading in front
// of the player, the ground's backdrop redrawn in steps as a whole redraw
// would draw it, the debug grid and picking server objects.
#include <gtest/gtest.h>

#include "anim/ani_mgr.h"
#include "anim/ani_object.h"
#include "graphics/sprite.h"
#include "net/handlers/map_records.h"
#include "platform/window_scripted.h"
#include "tests/anim/ani_test_util.h"
#include "tests/graphics/picture_fixture.h"
#include "tests/world/world_fixture.h"
#include "world/map/map_backdrop.h"

using namespace worldtest;

namespace {

constexpr uint16_t kBlack = 0x0000, kWhite = 0xFFFF;

class FieldDrawTest : public PictureFixture {
protected:
    void SetUp() override {
        PictureFixture::SetUp();
        BringUpPictures();
        m_oldConfig = g_config;
        for (DataFolder f : {FOLDER_MAP, FOLDER_FIELDSCRIPT, FOLDER_ANIMATION, FOLDER_TEXTURE})
            g_config.m_folders[f] = m_dir.Path();
        m_oldDatabase = GetDatabaseFolder();
        SetDatabaseFolder(m_dir.Path());
        g_pObjSpriteMgr = &m_sprites;
        g_pAniMgr = &m_anis;
        g_pMap = &m_map;
        SetAniField(&m_map);
        // Texture 1: unit 0 is 40 x 60, unit 1 is 10 x 10, both standing on the object's point.
        std::vector<uint16_t> sheet(256 * 256, 0x07E0);
        std::vector<DtxUnit> units(2);
        units[0].width = 40, units[0].height = 60, units[0].anchorX = -20, units[0].anchorY = -60;
        units[1].x = 64, units[1].width = 10, units[1].height = 10, units[1].anchorX = -5,
        units[1].anchorY = -10;
        for (DtxUnit& u : units) SetUnitTexCoords(u);
        WriteTexture("0001", WriteDtxSheet(4, units, 256, 256, SheetToTiles(sheet.data(), 256, 256)));
        WriteAnimation(40, 0);
        WriteAnimation(41, 1);
        TablePlan kinds;
        kinds.columns.resize(8);
        m_dir.WriteFile("0073.Z5D", WriteDataTable(kinds));
    }
    void TearDown() override {
        m_map.Release();
        g_pMap = nullptr;
        SetAniField(nullptr);
        m_anis.ReleaseAll();
        g_pAniMgr = nullptr;
        m_sprites.DeleteAllChildren();
        g_pObjSpriteMgr = nullptr;
        SetDatabaseFolder(m_oldDatabase);
        g_config = m_oldConfig;
        PictureFixture::TearDown();
    }
    void WriteAnimation(uint32_t number, uint16_t unit) {
        AniFileElement image = anitest::Image(0, 1, unit);
        char name[16];
        std::snprintf(name, sizeof name, "%04u.z5a", number);
        m_dir.WriteFile(
            name, WriteAniFile(anitest::OneLayer({image, anitest::Hold(30)}, ANI_LATEST_VERSION, 0, 2)));
    }
    void LoadMap(const std::string& text, uint16_t stage) {
        maptext::MapFiles files;
        std::string error;
        ASSERT_TRUE(maptext::BuildMapFiles(text, m_dir.Path(), files, &error)) << error;
        char name[32];
        std::snprintf(name, sizeof name, "%04d.Z5M.ZIP", files.number);
        m_dir.WriteFile(name, files.map);  // compressed files are off here: the raw bytes
        std::snprintf(name, sizeof name, "%04d.PPD", files.number);
        m_dir.WriteFile(name, files.paths);
        std::snprintf(name, sizeof name, "%04d.Z5F", files.stageNumber);
        m_dir.WriteFile(name, files.stage);
        m_map.Create();
        m_map.LoadStage(stage);
        ASSERT_NE(m_map.GetMapData(), nullptr);
    }
    std::vector<uint16_t> SurfacePixels(CSurfaceResource* surface) {
        const plat::raster::Surface& s = surface->Surface()->Pixels();
        std::vector<uint16_t> out;
        for (int y = 0; y < s.Height(); ++y)
            for (int x = 0; x < s.Width(); ++x) out.push_back(s.At(x, y));
        return out;
    }

    CObjSpriteMgr m_sprites;
    CAniMgr m_anis;
    CMap m_map;
    CConfig m_oldConfig;
    std::string m_oldDatabase;
};

}  // namespace

TEST_F(FieldDrawTest, AnAnimatedObjectFadesWhileThePlayerStandsBehindIt) {
    CFieldObject tree;
    ASSERT_TRUE(tree.SetAnimation(40));
    tree.SetMotion(0);
    tree.SetDirection(2);
    tree.Play(true);
    tree.m_screenX = 400;
    tree.m_screenY = 300;  // its picture covers 380-420 x 240-300

    CAniObject player;
    FakeCharacters chars;
    chars.player = &player;
    ScopedMapCharacters scoped(chars);
    struct Case {
        int32_t x, y;
        bool covering;
    };
    const Case cases[] = {
        {400, 280, true},   // behind: inside the picture, higher on the screen
        {400, 310, false},  // in front of it
        {430, 280, false},  // beside it
        {380, 280, false},  // on the edge: strictly inside only
        {401, 241, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        player.m_screenX = c.x;
        player.m_screenY = c.y;
        tree.Update();
        EXPECT_EQ(tree.IsCoveringPlayer(), c.covering);
        EXPECT_EQ((tree.m_fadeBits & 1) != 0, c.covering);
    }
    chars.player = nullptr;
    tree.Update();
    EXPECT_FALSE(tree.IsCoveringPlayer());
}

TEST_F(FieldDrawTest, TheBackdropRedrawsInStepsAsAWholeRedrawWould) {
    m_dir.WriteFile("a.pic", Picture(96, 48, 0xF800));
    m_dir.WriteFile("b.pic", Picture(96, 60, 0x001F));
    std::string rows;
    for (int y = 0; y < 26; ++y) {
        for (int x = 0; x < 26; ++x) rows += (x * 7 + y * 3) % 5 == 0 ? 'b' : 'a';
        rows += "\n";
    }
    LoadMap(
        "map 4\nsize 26 26\ndef 1 kind 1 picture a.pic\ndef 2 kind 1 picture b.pic\n"
        "legend a ground 1\nlegend b ground 2\ncells\n" +
            rows + "end\nstage 4\ngroup properties\n  @1 table [ word ] { rows 1 4 }\nend\nend\n",
        4);
    m_map.LoadWholeMap();
    CMapData& data = *m_map.GetMapData();
    const uint8_t follow = g_cameraFollow;
    g_cameraFollow = 0;
    CMapBackdrop& backdrop = *data.GetBackdrop();
    data.SetFocus(1200, 600);
    data.Update();
    backdrop.Draw();
    backdrop.Draw();
    EXPECT_EQ(backdrop.GetFullRedraws(), 2);
    // Moves of a few pixels and of more than a cell, each drawn in steps, then
    // the same camera drawn whole.
    for (auto [dx, dy] : {std::pair{7.0f, 3.0f}, {-150.0f, 40.0f}, {90.0f, -200.0f}}) {
        SCOPED_TRACE(testing::Message() << dx << ", " << dy);
        data.SetFocus(data.GetFocusX() + dx, data.GetFocusY() + dy);
        data.Update();
        EXPECT_TRUE(backdrop.IsRedrawPending());
        backdrop.Draw();
        const std::vector<uint16_t> stepped = SurfacePixels(backdrop.GetSurface());
        // The main window's activation restarts the whole redraws.
        EXPECT_TRUE(m_map.HasMapState());
        m_map.ResetMapState();
        EXPECT_EQ(backdrop.GetFullRedraws(), 0);
        backdrop.Draw();
        EXPECT_EQ(SurfacePixels(backdrop.GetSurface()), stepped);
        backdrop.Draw();
    }
    g_cameraFollow = follow;
}

TEST_F(FieldDrawTest, TheStageGridOutlinesItsAreas) {
    LoadMap("map 5\nsize 13 13\nlegend . ground 0\ncells\n" + Cells(13, 13) +
                "end\nstage 5\ngroup properties\n  @1 table [ word ] { rows 1 5 }\nend\n"
                "group lists\n  word :\nend\ngroup lists\n  word :\n  word :\n  word : 3\nend\n"
                "group areas\n  areas 0 0 0 0 0  0 0 0 0 0  0 0 0 0 0  3 2 2 2 3\nend\nend\n",
            5);
    m_map.PlaceCamera(400, 300);
    ClearTarget(0x1234);
    m_map.DrawStageGrid();
    const CIsoView& v = m_map.View();
    for (int cy : {2, 3}) {
        const int x = (2 + cy) * 48 - v.m_cameraX + v.m_viewX,
                  y = (cy - 2) * 24 - v.m_cameraY + v.m_viewY + v.m_baseY;
        SCOPED_TRACE(cy);
        EXPECT_EQ(TargetAt(x, y), kBlack);      // the outline
        EXPECT_EQ(TargetAt(x + 2, y), kWhite);  // one pixel inside
        EXPECT_EQ(TargetAt(x + 48, y), 0x1234);
    }
}

TEST_F(FieldDrawTest, PickingWidensSmallObjectsAndMovesThePointer) {
    plat::ScriptedWindowSystem windows;
    plat::ScopedWindowSystem scopedWindows(windows);
    LoadMap("map 6\nsize 13 13\nlegend . ground 0\ncells\n" + Cells(13, 13) +
                "end\nstage 6\ngroup properties\n  @1 table [ word ] { rows 1 6 }\nend\nend\n",
            6);
    m_map.PlaceCamera(600, 300);
    CFieldObjectMsg small;
    small.Set(7, 0, 0, 10, 10, 10, 10, 1, 0, 41, 0, 2, 0, 0, 0, "small");
    m_map.HandleMessage(small);
    CMapData& data = *m_map.GetMapData();
    MapServerObject* object = data.FindObjectById(7);
    ASSERT_NE(object, nullptr);
    const AniRect r = object->m_pAniObject->GetBounds(false, false);
    ASSERT_EQ(r.right - r.left, 10);
    EXPECT_EQ(data.PickObjectAt(r.left + 5, r.top + 5, false, nullptr), object);
    EXPECT_EQ(data.PickObjectAt(r.left - 5, r.top + 5, false, nullptr), nullptr);
    float distance = 1000.0f;
    EXPECT_EQ(data.PickObjectAt(r.left - 5, r.top + 5, true, &distance), nullptr);  // the option is off
    EXPECT_TRUE(windows.m_cursorWarps.empty());
    g_targetSnapping = 1;
    EXPECT_EQ(data.PickObjectAt(r.left - 5, r.top + 5, true, &distance), object);
    EXPECT_LT(distance, 20.0f);
    ASSERT_EQ(windows.m_cursorWarps.size(), 1u);
    EXPECT_EQ(windows.m_cursorWarps[0], std::make_pair((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    g_targetSnapping = 0;
}
