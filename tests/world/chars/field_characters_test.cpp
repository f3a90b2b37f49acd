// The golden field as a stage that shows selection rings, with the user's
// own character (its three gauges), a monster using a skill (caption, energy
// gauge, statuses 55 and 101, the skill's name) and an NPC queued by the
// character manager and drawn by the draw queue.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "anim/ani_play_mgr.h"
#include "core/config.h"
#include "data/char_resource_mgr.h"
#include "data/data_table_writer.h"
#include "data/skill_table_mgr.h"
#include "net/handlers/char_records.h"
#include "platform/font.h"
#include "platform/message_box.h"
#include "tests/graphics/text_fixture.h"
#include "tests/support/golden_image.h"
#include "tests/support/table_builder.h"
#include "tests/support/tool_run.h"
#include "tests/world/golden_field.h"
#include "tools/qmmap/map_render.h"
#include "tools/qmmap/qmmap_tool.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"
#include "world/chars/skill_action.h"

namespace {

constexpr uint32_t kPlayerAni = 100, kMonsterAni = 101, kNpcAni = 102, kEnergyBarAni = 103;

// Texture 2: the bodies, the rings, the marks and the gauge's frame.
struct Unit {
    int32_t x, y, w, h, anchorX, anchorY;
    uint16_t colour;
};
// Colours are 4-4-4-4 (alpha first), as the sheet's version keeps them.
const Unit kUnits[] = {
    {0, 0, 16, 36, -8, -36, 0xF22F},    // 0 the user's body, blue
    {20, 0, 22, 26, -11, -26, 0xFE22},  // 1 the monster, red
    {46, 0, 16, 34, -8, -34, 0xFFE2},   // 2 the NPC, yellow
    {0, 40, 36, 14, -18, -7, 0xF0FF},   // 3 ring A, cyan
    {40, 40, 36, 14, -18, -7, 0xF2C2},  // 4 ring B, green
    {80, 40, 30, 6, -15, -3, 0xFF80},   // 5 the status-55 mark, orange
    {0, 60, 8, 8, -4, -8, 0xFFFF},      // 6 the status-54 and 101 marks, white
    {20, 60, 52, 6, 0, 0, 0xF333},      // 7 the gauge's frame, dark grey
    {80, 60, 50, 4, 0, 0, 0xF111},      // 8 its inside, near black
};

// One motion a unit; height: the pixels above the anchor.
std::vector<uint8_t> Animation(std::vector<uint16_t> unitOfMotion, uint16_t height = 14) {
    AniFileElement hold;
    hold.kind = ANI_NODE_HOLD;
    hold.hold = 30;
    AniFile file;
    file.version = ANI_LATEST_VERSION;
    for (uint32_t m = 0; m < unitOfMotion.size(); ++m) {
        AniFileElement image;
        image.kind = ANI_NODE_IMAGE;
        image.texture = 2;
        image.unit = unitOfMotion[m];
        file.motions.push_back(
            AniFileMotion{m, {AniFileDirection{0, height, 0, {AniFileLayer{{image, hold}}}}}});
    }
    DeclarePools(file);
    return WriteAniFile(file);
}

void WriteCharacterFiles(qmtest::TempDir& dir) {
    std::vector<uint16_t> sheet(256 * 256, 0);
    std::vector<DtxUnit> units;
    for (const Unit& u : kUnits) {
        for (int y = 0; y < u.h; ++y)
            for (int x = 0; x < u.w; ++x) sheet[size_t((u.y + y) * 256 + u.x + x)] = u.colour;
        DtxUnit unit;
        unit.x = u.x;
        unit.y = u.y;
        unit.width = u.w;
        unit.height = u.h;
        unit.anchorX = int16_t(u.anchorX);
        unit.anchorY = int16_t(u.anchorY);
        SetUnitTexCoords(unit);
        units.push_back(unit);
    }
    dir.WriteFile("0002.DTX.ZIP", BuildCompressedFile(WriteDtxSheet(4, units, 256, 256,
                                                                    SheetToTiles(sheet.data(), 256, 256))));
    dir.WriteFile("0100.z5a", Animation({0}, 36));
    dir.WriteFile("0101.z5a", Animation({1}, 26));
    dir.WriteFile("0102.z5a", Animation({2}, 34));
    dir.WriteFile("1867.z5a", Animation({4, 3}));  // motion 0 ring B, 1 ring A
    dir.WriteFile("1419.z5a", Animation({6, 5}));  // motion 0 status 54, 1 status 55
    dir.WriteFile("3843.z5a", Animation({6}));
    dir.WriteFile("0103.z5a", Animation({7, 8, 8, 8, 8, 8}));
    dir.WriteFile("0665.z5a", Animation({}));  // the walk marker, not shown here
    auto table = [&dir](int number, const qmtest::TableBuilder& builder) {
        char name[16];
        std::snprintf(name, sizeof name, "%04d.Z5D", number);
        dir.WriteFile(name, WriteDataTable(builder.Layout()));
    };
    qmtest::TableBuilder names(1, 2);
    names.Text(0).U32(1).Set(0, 0, "Char_Energy_Bar").Set(1, 0, kEnergyBarAni);
    table(PLAY_NAME_TABLE_FILE, names);
    qmtest::TableBuilder players(1, 15);
    players.Text(2).Text(3).Text(4).Ref(5).Set(3, 0, "Me").Set(5, 0, {kPlayerAni, 0, 0});
    table(CCharResourceMgr::PLAYER_FILE, players);
    qmtest::TableBuilder monsters(1, 16);
    monsters.Text(2).Ref(3).Set(2, 0, "Slime").Set(3, 0, {kMonsterAni, 0, 0}).Set(15, 0, 2);
    table(CCharResourceMgr::MONSTER_FILE, monsters);
    qmtest::TableBuilder npcs(1, 11);
    npcs.Text(0).Text(2).Text(3).Text(4).Ref(5).Set(0, 0, "guard").Set(5, 0, {kNpcAni, 0, 0});
    table(CCharResourceMgr::NPC_FILE, npcs);
    qmtest::TableBuilder skills(1, SKILL_COL_SCRIPT + 1);
    skills.Text(SKILL_COL_NAME)
        .Text(SKILL_COL_SCRIPT)
        .Set(SKILL_COL_NAME, 0, "Bite")
        .Set(SKILL_COL_SCRIPT, 0, "bite");
    table(SKILL_TABLE_FILE, skills);
    table(13, qmtest::TableBuilder(0, 1));  // the skill manager's further tables
    table(31, qmtest::TableBuilder(0, 1));
    qmtest::TableBuilder factors(4, 2);
    for (int n = 0; n < 4; ++n) factors.Set(1, n, 5);
    table(24, factors);
    for (int file : {int(CCharResourceMgr::CLASS_ANI_FILE), int(CCharResourceMgr::ID_ANI_FILE),
                     int(CCharResourceMgr::LEVEL_COLOR_FILE), int(CCharResourceMgr::GROUP_FILE),
                     EMOTICON_TABLE_FILE, CHAR_SOUND_TABLE_FILE})
        table(file, qmtest::TableBuilder(0, 1));
}

// A skill script that runs until it is stopped.
struct Scripts : ISkillScripts {
    ISkillScriptRunner runner;
    ISkillScriptRunner* StartScript(const char*, CSkillAction*) override { return &runner; }
    bool IsEnded(ISkillScriptRunner*) override { return false; }
    void StopScript(ISkillScriptRunner*) override {}
};

// The characters' managers while the frame is drawn.
struct Characters {
    explicit Characters(plat::IFontBackend& backend) : fonts(backend) {
        g_pTextRenderer = &text;
        g_pCharResourceMgr = &resources;
        SetCharResourceHooks(&resources);
        g_pAniPlayMgr = &play;
        play.Init();
        skills = std::make_unique<CSkillTableMgr>();
        g_pSkillTableMgr = skills.get();
        mgr = std::make_unique<CCharMgr>();
        g_pCharMgr = mgr.get();
        g_options.SetByte(OPT_SKILL_NAMES, 1);
    }
    ~Characters() {
        g_options.SetByte(OPT_SKILL_NAMES, 0);
        mgr.reset();
        g_pCharMgr = nullptr;
        g_pSkillTableMgr = nullptr;
        skills.reset();
        g_pAniPlayMgr = nullptr;
        SetCharResourceHooks(nullptr);
        g_pCharResourceMgr = nullptr;
        g_pTextRenderer = nullptr;
    }
    CChar* Place(uint32_t resourceId, uint32_t id, uint8_t kind, uint32_t tileX, uint32_t tileY,
                 uint32_t animation) {
        CChar* c = mgr->CreateCharAt(resourceId, id, -1, tileX, tileY, kind, int32_t(animation));
        if (c) c->SetRow(0);
        return c;
    }

    FontsOn fonts;
    CTextRenderer text;
    CCharResourceMgr resources;
    CAniPlayMgr play;
    Scripts scripts;
    ScopedSkillScripts scopedScripts{scripts};
    std::unique_ptr<CSkillTableMgr> skills;
    std::unique_ptr<CCharMgr> mgr;
};

TEST(FieldCharactersTest, ThePlayerAMonsterAndAnNpcOnTheField) {
    qmtest::TempDir dir;
    goldenfield::WriteField(dir, "  @15 byte 4\n");  // a stage that shows selection rings
    ASSERT_EQ(qmtest::RunTool(RunMapTool, {"build", dir.Path() + "/field.txt", dir.Path()}).status, 0);
    WriteCharacterFiles(dir);
    plat::FreeTypeFontBackend freetype;
    plat::ScopedMessageBoxRecorder boxes;
    qmmap::RenderOptions options;
    options.folder = dir.Path();
    options.stage = 9;
    options.width = 480;
    options.height = 320;
    bool placed = false;
    options.addToField = [&] {
        auto world = std::make_shared<Characters>(freetype);
        CChar* me = world->Place(CHAR_PLAYER_BASE, 1, CHAR_KIND_PLAYER, 12, 11, kPlayerAni);
        CChar* monster = world->Place(CHAR_MONSTER_BASE, 2, CHAR_KIND_MONSTER, 18, 12, kMonsterAni);
        CChar* npc = world->Place(CHAR_NPC_BASE, 3, CHAR_KIND_NPC, 26, 17, kNpcAni);
        placed = me && monster && npc;
        if (!placed) return std::shared_ptr<void>(world);
        world->mgr->SetPlayerChar(me);
        uint32_t* mine = me->GetData()->m_values;
        mine[VALUE_ENERGY] = 40, mine[VALUE_ENERGY_MAX] = 80;
        mine[2] = 15, mine[3] = 20;   // the second gauge
        mine[12] = 5, mine[13] = 20;  // the third
        CSkillActionMsg bite;
        bite.Set(SKILL_ID_BASE, 1, 2, 0, 0, 1, 0, 1, 60000);
        monster->GetAction()->BeginSkillUse(bite, true);
        placed = monster->GetAction()->m_pSkillAction != nullptr;
        CCharData* data = monster->GetData();
        data->m_values[VALUE_ENERGY] = 30;
        data->m_values[VALUE_ENERGY_MAX] = 60;
        data->m_status[1] = 1u << (55 - 33);
        data->m_status[3] = 1u << (101 - 97);
        world->mgr->RefreshCharDisplay();
        return std::shared_ptr<void>(world);
    };
    plat::raster::Surface frame;
    std::string error;
    ASSERT_TRUE(qmmap::RenderMap(options, frame, &error)) << error;
    ASSERT_TRUE(placed);
    EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Boxes().front().text;
    EXPECT_TRUE(
        qmtest::MatchesGolden(qmtest::ToRgb(frame, 480, 320), "tests/world/golden/field_characters.png"));
}

}  // namespace
