#include "world/cursor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/input_mgr.h"
#include "core/key_bindings.h"
#include "data/game_hooks.h"
#include "data/item_object.h"
#include "data/item_table_mgr.h"
#include "net/handlers/map_records.h"
#include "platform/keyboard.h"
#include "tests/support/data_fixtures.h"
#include "tests/ui/test_windows.h"
#include "tests/world/chars/char_fixture.h"
#include "ui/items/item_icon.h"
#include "ui/tooltip_window.h"
#include "ui/window_mgr.h"
#include "world/map/map.h"
#include "world/map/map_data.h"
#include "world/map/map_text.h"

using namespace chartest;

namespace {

constexpr uint32_t kCursorAni = 700;
constexpr uint32_t kClubSheet2 = 701;

// The user may attack monsters.
struct MonstersAreEnemies : IGameWorldHooks {
    bool CanAttack(CChar*, CChar* target) override {
        return target && target->GetKind() == CHAR_KIND_MONSTER;
    }
};

// Records its drag ends; may call back into the cursor from EndDrag.
struct Dragged : CDragObject {
    int ends = 0;
    bool callBack = false;
    bool EndDrag() override {
        ++ends;
        if (callBack && g_pCursor) g_pCursor->SetPointedObject(nullptr);
        return true;
    }
};

class CursorTest : public CharFixture {
protected:
    // Level colours: a difference of -4 to 4 is green, 5 and more red.
    void WriteTables() override {
        CharFixture::WriteTables();
        qmtest::TableBuilder colours(2, 3);
        colours.Pair16(1).Set(1, 0, {-4, 4}).Set(1, 1, {5, 100});
        colours.Bytes3(2).Set(2, 0, {0, 255, 0}).Set(2, 1, {255, 0, 0});
        m_db.Write(CCharResourceMgr::LEVEL_COLOR_FILE, colours);
    }
    void SetUp() override {
        CharFixture::SetUp();
        using namespace anitest;
        std::vector<AniFileMotion> shapes;
        for (uint32_t m = 0; m <= 14; ++m)
            shapes.push_back(
                Motion(m, {Direction(14, {Layer({Image(0)})}), Direction(2, {Layer({Image(0)})}),
                           Direction(12, {Layer({Image(0)})}), Direction(0, {Layer({Image(0)})})}));
        m_ani.Write(kCursorAni, File(14, shapes));
        std::vector<AniFileMotion> marks;
        for (uint32_t m = 0; m < 5; ++m) {
            std::vector<AniFileDirection> directions;
            for (uint8_t d : {uint8_t(2), uint8_t(0), uint8_t(14), uint8_t(12), uint8_t(10)})
                directions.push_back(Direction(d, {Layer({Image(0)})}));
            marks.push_back(Motion(m, directions));
        }
        m_ani.Write(kClubSheet2, File(14, marks));
        qmtest::TableBuilder names(2, 2);
        names.Text(0).U32(1);
        names.Set(0, 0, "Cursor").Set(1, 0, kCursorAni).Set(0, 1, "Club_Mark#2").Set(1, 1, kClubSheet2);
        m_db.Write(PLAY_NAME_TABLE_FILE, names);
        ASSERT_TRUE(m_play.Init());
        m_input.Init(800, 600);
        g_pInputMgr = &m_input;
        LoadMap();
        g_pMap = &m_map;
        m_cursor = new CCursor;
        m_cursor->Create();
        g_pCursor = m_cursor;
    }
    void TearDown() override {
        delete m_cursor;
        g_pMap = nullptr;
        m_map.Release();
        g_pInputMgr = nullptr;
        CharFixture::TearDown();
    }

    // An 8 x 8 map whose cell (5, 2) is blocked.
    void LoadMap() {
        maptext::MapFiles files;
        std::string error;
        const std::string text =
            "map 3\nsize 8 8\n"
            "def 1 kind 0 animation 100 motion 0 facing 0\n"
            "legend . ground 1\nlegend # ground 1 blocked\n"
            "cells\n........\n........\n.....#..\n........\n........\n........\n........\n........\nend\n";
        ASSERT_TRUE(maptext::BuildMapFiles(text, m_ani.Folder(), files, &error)) << error;
        m_map.Create();
        ASSERT_TRUE(m_map.LoadMapBytes(files.map, "cursor"));
        m_map.LoadWholeMap();
        m_map.PlaceCamera(4 * 96, 4 * 48);
    }
    // Moves the mouse over the first tile of a cell and runs a frame.
    void MouseOverCell(int32_t cellX, int32_t cellY) {
        const IsoPoint p = m_map.TileToScreen(cellX * 4 + 1, cellY * 4 + 1);
        m_input.SetMousePos(p.x, p.y);
        m_cursor->Update();
        m_cursor->Update();  // the sprite follows the mouse, then the shape follows the sprite
    }

    CMap m_map;
    CInputMgr m_input;
    CCursor* m_cursor = nullptr;
    MonstersAreEnemies m_hooks;
    ScopedGameWorldHooks m_scopedHooks{m_hooks};
    plat::FakeKeyState m_keys;
    plat::ScopedKeyState m_scopedKeys{m_keys};
};

TEST_F(CursorTest, ShapesFollowWhatLiesUnderTheMouse) {
    MouseOverCell(1, 1);
    EXPECT_EQ(m_cursor->GetShape(), CURSOR_NORMAL) << "no user character";
    CChar* me = MakePlayer(1);
    ASSERT_TRUE(me);
    CChar* monster = Make(CHAR_KIND_MONSTER, 50);
    CChar* guard = Make(CHAR_KIND_NPC, 60);
    ASSERT_TRUE(monster && guard);
    struct Case {
        const char* what;
        int32_t cellX, cellY;
        uint32_t pointedId;
        uint8_t kind;
        bool alt;
        int32_t shape;
    };
    const Case cases[] = {
        {"open ground", 1, 1, 0, 0, false, CURSOR_NORMAL},
        {"blocked ground", 5, 2, 0, 0, false, CURSOR_BLOCKED},
        {"off the map", -3, -3, 0, 0, false, CURSOR_BLOCKED},
        {"Alt over empty ground", 1, 1, 0, 0, true, CURSOR_NORMAL},
        {"a monster", 1, 1, 50, POINTED_KIND_MONSTER, false, CURSOR_ATTACK},
        {"Alt over a monster", 1, 1, 50, POINTED_KIND_MONSTER, true, CURSOR_ALT},
        {"an NPC", 1, 1, 60, POINTED_KIND_NPC, false, CURSOR_TALK},
        {"the user's own character on blocked ground", 5, 2, 1, POINTED_KIND_PLAYER, false, CURSOR_BLOCKED},
        {"a character that is gone", 1, 1, 77, POINTED_KIND_MONSTER, false, CURSOR_NORMAL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_keys.SetKeyDown(ALT_KEY, c.alt);
        m_cursor->SetPointed(c.pointedId, c.kind);
        MouseOverCell(c.cellX, c.cellY);
        EXPECT_EQ(m_cursor->GetShape(), c.shape);
        ASSERT_TRUE(m_cursor->GetSprite());
        if (c.shape != CURSOR_NORMAL) {
            EXPECT_EQ(m_cursor->GetSprite()->m_currentMotion, uint32_t(c.shape));
        }
    }
    m_keys.SetKeyDown(ALT_KEY, false);
    // A user who may not act now (status 7) sees so, unless a skill is in use.
    m_cursor->SetPointed(0, 0);
    me->GetData()->m_status[0] = 1u << 6;
    MouseOverCell(1, 1);
    EXPECT_EQ(m_cursor->GetShape(), CURSOR_CANNOT_ACT);
    me->GetData()->m_motion = MOTION_SKILL;
    MouseOverCell(1, 1);
    EXPECT_EQ(m_cursor->GetShape(), CURSOR_NORMAL);
    me->GetData()->m_status[0] = 0;
    me->GetData()->m_motion = MOTION_STAND;
    // A window asks for its own shape; the mode of animation 1 or 2 overrides it.
    m_cursor->SetPointed(50, POINTED_KIND_MONSTER);
    m_cursor->SetShapeIndex(CURSOR_NORMAL);
    MouseOverCell(1, 1);
    EXPECT_EQ(m_cursor->GetShape(), CURSOR_NORMAL);
    m_cursor->ResetWindowState(0, 0);
    m_cursor->LoadCursorAnimation(CURSOR_ANIMATION_NAME, 1);
    MouseOverCell(1, 1);
    EXPECT_EQ(m_cursor->GetShape(), CURSOR_MODE);
}

// A placed object of the map (kind 10) is pointed with its name and
// picture: the walk-onto kind is talked to, the rod's kind takes a rod
// skill; another kind is not pointed.
TEST_F(CursorTest, PlacedObjectsArePointedByTheirKind) {
    CChar* me = MakePlayer(1);
    ASSERT_TRUE(me);
    CCharData* data = me->GetData();
    data->m_skillRows[0] = ROD_PLACED_SKILL_FIRST - SKILL_ID_BASE;
    data->m_skillCount = 1;
    struct Case {
        const char* what;
        uint8_t placedKind;
        int32_t selectedSkill;
        uint8_t present;
        int32_t shape;
    };
    const Case cases[] = {
        {"the walk-onto kind", PLACED_OBJECT_WALK_ONTO, -1, 1, CURSOR_TALK},
        {"the rod's kind with a rod skill", PLACED_OBJECT_ROD, 0, 1, CURSOR_PICK_UP},
        {"the rod's kind without", PLACED_OBJECT_ROD, -1, 1, CURSOR_NORMAL},
        {"another kind", 3, -1, 0, CURSOR_NORMAL},
    };
    uint16_t key = 40;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CFieldObjectMsg object;
        object.Set(900 + key, 0, 0, 6, 6, 6, 6, key, 0, uint16_t(kCharAni), 0, 0, 0, 0, c.placedKind,
                   "Old well");
        m_map.HandleMessage(object);
        data->m_selectedSkill = c.selectedSkill;
        m_cursor->SetPointed(900 + key, POINTED_KIND_EVENT_OBJECT);
        EXPECT_EQ(m_cursor->Pointed().m_present, c.present);
        MouseOverCell(1, 1);
        EXPECT_EQ(m_cursor->GetShape(), c.shape);
        if (c.present) {
            EXPECT_EQ(m_cursor->BuildLabel().m_text, "Old well");
            CAniObject* picture = m_map.GetMapData()->FindObjectById(900 + key)->m_pAniObject.get();
            EXPECT_EQ((std::pair{m_cursor->Pointed().m_x, m_cursor->Pointed().m_y}),
                      (std::pair{picture->GetX(), picture->GetY()}));
        }
        ++key;
    }
}

TEST_F(CursorTest, TheSpriteIsDrawnAtTheMouseAndPressesPlayOnce) {
    m_input.SetMousePos(123, 45);
    m_cursor->Update();
    ASSERT_TRUE(m_cursor->GetSprite());
    EXPECT_EQ(m_cursor->GetSprite()->m_screenX, 123);
    EXPECT_EQ(m_cursor->GetSprite()->m_screenY, 45);
    EXPECT_EQ(m_cursor->GetSprite()->m_direction, 14);
    EXPECT_TRUE(m_cursor->GetSprite()->m_loop);
    m_input.MouseDown(0, 123, 45);
    m_cursor->Update();
    EXPECT_EQ(m_cursor->GetSprite()->m_direction, 2);
    EXPECT_FALSE(m_cursor->GetSprite()->m_loop);
    // A name the animation table does not know leaves no sprite; the cursor goes on.
    m_cursor->LoadCursorAnimation("NoSuchCursor", 0);
    EXPECT_FALSE(m_cursor->GetSprite());
    m_cursor->Update();
    m_cursor->Draw();
}

TEST_F(CursorTest, ClubMarksBySheetGroupAndDirection) {
    struct Case {
        uint32_t id;
        uint32_t sheet;
        uint32_t group;
        uint8_t direction;
    };
    for (const Case& c : {Case{26, 2, 0, 2}, Case{27, 2, 0, 0}, Case{32, 2, 1, 0}, Case{50, 2, 4, 10}}) {
        SCOPED_TRACE(c.id);
        m_cursor->SetClubMark(c.id);
        EXPECT_EQ(m_cursor->GetClubMarkSheet(), c.sheet);
        CAniObject* mark = m_cursor->GetClubMarkSprite();
        ASSERT_TRUE(mark);
        EXPECT_EQ(mark->m_currentMotion, c.group);
        EXPECT_EQ(mark->m_direction, c.direction);
    }
    CAniObject* before = m_cursor->GetClubMarkSprite();
    m_cursor->SetClubMark(0);
    m_cursor->SetClubMark(50);
    EXPECT_EQ(m_cursor->GetClubMarkSprite(), before) << "id 0 and the shown mark change nothing";
    // A sheet the animation table does not name leaves an empty mark.
    m_cursor->SetClubMark(1);
    EXPECT_EQ(m_cursor->GetClubMarkSheet(), 1u);
    ASSERT_TRUE(m_cursor->GetClubMarkSprite());
    EXPECT_FALSE(m_cursor->GetClubMarkSprite()->HasMotion());
}

TEST_F(CursorTest, LabelsByKind) {
    qmtest::ScopedTextTables texts({{CURSOR_TEXT_TABLE, {"%s (%u)", "Shop: %s", "%s's %s"}}});
    auto field = [](const char* name, uint32_t count, uint8_t flag) {
        CursorPointed p;
        p.m_present = 1;
        p.m_kind = POINTED_KIND_FIELD_OBJECT;
        CopyRecordText(p.m_name, name);
        p.m_fieldCount = count;
        p.m_fieldFlag = flag;
        return p;
    };
    auto person = [](uint8_t kind, const char* text1, const char* text2, const char* club,
                     const char* clubText) {
        CursorPointed p;
        p.m_present = 1;
        p.m_kind = kind;
        CopyRecordText(p.m_name, text1);
        CopyRecordText(p.m_text1, text1);
        CopyRecordText(p.m_text2, text2);
        CopyRecordText(p.m_clubName, club);
        CopyRecordText(p.m_clubText, clubText);
        return p;
    };
    CursorPointed merchant = person(POINTED_KIND_NPC, "Shopkeeper", "", "", "");
    merchant.m_merchant = 1;
    CopyRecordText(merchant.m_shopTitle, "Cheap Pots");
    struct Case {
        const char* what;
        CursorPointed pointed;
        uint8_t shopNames;
        std::string text, title;
    };
    const Case cases[] = {
        {"a seed counts even one", field("SEED", 1, 0), 0, "1 SEED", ""},
        {"a seed stack", field("SEED", 12, 0), 0, "12 SEED", ""},
        {"one stone: the name alone", field("Stone", 1, 0), 0, "Stone", ""},
        {"a stack: table 8 row 0", field("Stone", 3, 0), 0, "Stone (3)", ""},
        {"a flagged object: the name", field("Stone", 3, 1), 0, "Stone", ""},
        {"a player without club", person(POINTED_KIND_PLAYER, "Aya", "", "", ""), 0, "Aya", ""},
        {"a player's club", person(POINTED_KIND_PLAYER, "Aya", "", "Owls", ""), 0, "Aya", "Owls"},
        {"a club's second text", person(POINTED_KIND_PLAYER, "Aya", "", "Owls", "Night"), 0, "Aya",
         "Owls(Night)"},
        {"a pet: table 8 row 2", person(POINTED_KIND_PET, "Rex", "Aya", "", ""), 0, "Aya's Rex", ""},
        {"a monster", person(POINTED_KIND_MONSTER, "Slime", "", "", ""), 0, "Slime", ""},
        {"a merchant without shop names", merchant, 0, "", ""},
        {"a merchant with shop names", merchant, 1, "Shop: Cheap Pots", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_options.SetByte(OPT_SHOP_NAMES, c.shopNames);
        m_cursor->MutablePointed() = c.pointed;
        const CursorLabel label = m_cursor->BuildLabel();
        EXPECT_EQ(label.m_text, c.text);
        EXPECT_EQ(label.m_title, c.title);
    }
    g_options.SetByte(OPT_SHOP_NAMES, 0);
    // A hostile format reads no argument that is not there.
    qmtest::ScopedTextTables hostile({{CURSOR_TEXT_TABLE, {"%n%s%s%s%d", "", ""}}});
    m_cursor->MutablePointed() = field("Stone", 3, 0);
    EXPECT_EQ(m_cursor->BuildLabel().m_text, "%nStone3%s%d");
}

TEST_F(CursorTest, AMonstersLabelTakesItsLevelColourAndItsGauge) {
    CChar* me = MakePlayer(1);
    CChar* monster = Make(CHAR_KIND_MONSTER, 50);
    ASSERT_TRUE(me && monster);
    me->GetData()->m_values[VALUE_LEVEL] = 10;
    monster->GetData()->m_values[VALUE_ENERGY] = 30;
    monster->GetData()->m_values[VALUE_ENERGY_MAX] = 60;
    m_map.m_serverAttrFlag = 1;
    m_map.m_attrByte = 1;  // battle allowed
    struct Case {
        uint32_t level;
        uint32_t colour;
    };
    for (const Case& c : {Case{12, 0x00FF00}, Case{15, 0xFF0000}, Case{2, 0xFFFFFF}}) {
        SCOPED_TRACE(c.level);
        monster->GetData()->m_values[VALUE_LEVEL] = c.level;
        m_cursor->SetPointed(50, POINTED_KIND_MONSTER);
        EXPECT_EQ(m_cursor->BuildLabel().m_colour, c.colour);
    }
    // Its energy bar is drawn with the label, which sits lower, while the
    // monster bars are on.
    m_cursor->Draw();
    EXPECT_EQ(monster->GaugeLength(0), -1.0f);
    g_options.SetByte(OPT_MONSTER_BARS, 1);
    EXPECT_EQ(m_cursor->BuildLabel().m_below, 30);
    m_cursor->Draw();
    EXPECT_FLOAT_EQ(monster->GaugeLength(0), 25.0f);
    g_options.SetByte(OPT_MONSTER_BARS, 0);
    m_map.m_serverAttrFlag = 0;
}

TEST_F(CursorTest, TheLabelSwitchesAreNotTheHotKeysNames) {
    // The options window keeps a name in every entry of the hot-key table.
    COptions saved = g_options;
    for (int32_t k = 0; k < KEY_BINDING_COUNT; ++k)
        std::memset(g_options.m_block + OPT_KEY_BINDINGS + size_t(k) * KEY_BINDING_SIZE, 'K',
                    KEY_BINDING_NAME_SIZE - 1);
    MakePlayer(1);
    CChar* shop = Make(CHAR_KIND_NPC, 60, kNpcRes + 1);
    CChar* monster = Make(CHAR_KIND_MONSTER, 50);
    CChar* pet = m_mgr->CreateChar(CHAR_MONSTER_BASE + 653, 70, CHAR_KIND_PET, -1, int32_t(kCharAni));
    ASSERT_TRUE(shop && monster && pet);
    shop->SetSignText("Cheap Pots");
    m_map.m_serverAttrFlag = 1;
    m_map.m_attrByte = 1;
    m_cursor->SetPointed(60, POINTED_KIND_NPC);
    ASSERT_EQ(m_cursor->Pointed().m_merchant, 1);
    EXPECT_EQ(m_cursor->BuildLabel().m_text, "") << "shop names are off";
    m_cursor->SetPointed(50, POINTED_KIND_MONSTER);
    EXPECT_EQ(m_cursor->BuildLabel().m_below, 20) << "monster bars are off";
    m_cursor->SetPointed(70, POINTED_KIND_PET);
    EXPECT_EQ(m_cursor->Pointed().m_present, 0) << "pet names are off";
    m_map.m_serverAttrFlag = 0;
    g_options = saved;
}

TEST_F(CursorTest, PointedCharactersAreCopiedBounded) {
    MakePlayer(1);
    CChar* monster = Make(CHAR_KIND_MONSTER, 50);
    ASSERT_TRUE(monster);
    std::string club(CHAR_TEXT_SIZE - 1, 'c');
    CChar::CopyText(monster->m_clubName, club.c_str());
    monster->m_clubValue = 26;
    m_cursor->SetPointed(50, POINTED_KIND_MONSTER);
    const CursorPointed& p = m_cursor->Pointed();
    EXPECT_EQ(p.m_present, 1);
    EXPECT_EQ(p.m_id, 50u);
    EXPECT_EQ(p.m_attackable, 1);
    EXPECT_EQ(p.m_own, 0);
    EXPECT_EQ(std::string(p.m_clubName), club);
    EXPECT_EQ(p.m_clubMark, 26u);
    // Id 0, an absent character, and a hidden cursor (no update phase) point at nothing.
    m_cursor->SetPointed(0, POINTED_KIND_MONSTER);
    EXPECT_EQ(m_cursor->Pointed().m_present, 0);
    m_cursor->SetPointed(999, POINTED_KIND_MONSTER);
    EXPECT_EQ(m_cursor->Pointed().m_present, 0);
    m_cursor->Hide();
    m_cursor->SetPointed(50, POINTED_KIND_MONSTER);
    EXPECT_EQ(m_cursor->Pointed().m_present, 0);
    m_cursor->Show();
    // Pets only while their names are on.
    CChar* pet = m_mgr->CreateChar(CHAR_MONSTER_BASE + 653, 70, CHAR_KIND_PET, -1, int32_t(kCharAni));
    ASSERT_TRUE(pet);
    m_cursor->SetPointed(70, POINTED_KIND_PET);
    EXPECT_EQ(m_cursor->Pointed().m_present, 0);
    g_options.SetByte(OPT_PET_NAMES, 1);
    m_cursor->SetPointed(70, POINTED_KIND_PET);
    EXPECT_EQ(m_cursor->Pointed().m_present, 1);
    EXPECT_EQ(m_cursor->Pointed().m_attackable, 0);
    g_options.SetByte(OPT_PET_NAMES, 0);
}

TEST_F(CursorTest, ItemsOnTheGroundAreFoundByTheServersObjectId) {
    CItemIconFactory icons;
    ScopedItemObjectFactory useIcons{icons};
    DropOnGround(4242, 5001, "SEED", 9, 5);
    m_cursor->SetPointed(4242, POINTED_KIND_FIELD_OBJECT);
    ASSERT_EQ(m_cursor->Pointed().m_present, 1);
    EXPECT_EQ(m_cursor->BuildLabel().m_text, "1 SEED");
    // The label stands by the item's picture on the field.
    const IsoPoint at = m_map.TileToScreen(9, 5);
    EXPECT_EQ((std::pair{m_cursor->Pointed().m_x, m_cursor->Pointed().m_y}), (std::pair{at.x, at.y}));
    // Not by its item id, nor by an id that lies nowhere.
    m_cursor->SetPointed(5001, POINTED_KIND_FIELD_OBJECT);
    EXPECT_EQ(m_cursor->Pointed().m_present, 0);
    m_cursor->SetPointed(4243, POINTED_KIND_FIELD_OBJECT);
    EXPECT_EQ(m_cursor->Pointed().m_present, 0);
    MakePlayer(1);
    m_cursor->SetPointed(4242, POINTED_KIND_FIELD_OBJECT);
    MouseOverCell(1, 1);
    EXPECT_EQ(m_cursor->GetShape(), CURSOR_PICK_UP);
}

TEST_F(CursorTest, MessagesPointAndChangeTheAnimation) {
    MakePlayer(1);
    Make(CHAR_KIND_MONSTER, 50);
    CMsgPort* port = m_cursor->GetPort();
    ASSERT_TRUE(port);
    port->PostToPort(0, port, 0, MSG_CURSOR_POINT,
                     std::make_unique<CCursorPointMsg>(50, POINTED_KIND_MONSTER), nullptr);
    port->PostToPort(0, port, 0, 99, std::make_unique<CMsgWord>(5), nullptr);
    m_cursor->ProcessMessages();
    EXPECT_EQ(m_cursor->Pointed().m_id, 50u);
    EXPECT_EQ(port->Count(), 0) << "every message is taken";
    port->PostToPort(0, port, 0, MSG_CURSOR_ANIMATION, std::make_unique<CCursorAniMsg>("NoSuchCursor"),
                     nullptr);
    m_cursor->ProcessMessages();
    EXPECT_FALSE(m_cursor->GetSprite());
    port->PostToPort(0, port, 0, MSG_CURSOR_ANIMATION, std::make_unique<CCursorAniMsg>("Cursor"), nullptr);
    port->PostToPort(0, port, 0, MSG_CURSOR_POINT, std::make_unique<CCursorPointMsg>(0, 0), nullptr);
    m_cursor->ProcessMessages();
    EXPECT_TRUE(m_cursor->GetSprite());
    EXPECT_EQ(m_cursor->Pointed().m_present, 0);
}

TEST_F(CursorTest, TheTextKeeps255Bytes) {
    const std::string longText(400, 'a');
    m_cursor->SetText(longText.c_str(), 0x0000FF);
    EXPECT_EQ(std::string(m_cursor->GetText()), std::string(CURSOR_TEXT_MAX, 'a'));
    m_cursor->SetText(nullptr, 0);
    EXPECT_STREQ(m_cursor->GetText(), "");
    // Without a pointed object the label shows the text above the sprite.
    m_cursor->SetText("Drop here", 0x00FF00);
    m_input.SetMousePos(200, 300);
    m_cursor->Update();
    m_cursor->Draw();
    ASSERT_TRUE(m_cursor->GetLabel());
    EXPECT_STREQ(m_cursor->GetLabel()->GetFirstLine(), "Drop here");
    EXPECT_EQ(m_cursor->GetLabel()->GetTextColor(), 0x00FF00u);
}

TEST_F(CursorTest, TheWindowUnderTheCursorIsForgottenWhenItGoes) {
    CWindowMgr windows;
    windows.Create();
    g_pWindowMgr = &windows;
    auto* window = new uitest::TestWindow("UNDER", 100, 100, 50, 50);
    window->m_pickable = 1;
    ASSERT_TRUE(windows.AddChild(window));
    m_cursor->UpdateWindowUnderCursor(120, 120);
    EXPECT_EQ(m_cursor->GetWindowUnderCursor(), window);
    m_cursor->UpdateWindowUnderCursor(10, 10);
    EXPECT_EQ(m_cursor->GetWindowUnderCursor(), nullptr);
    m_cursor->UpdateWindowUnderCursor(120, 120);
    windows.CloseWindow(window);
    windows.ProcessMessages();
    EXPECT_EQ(m_cursor->GetWindowUnderCursor(), nullptr) << "a closed window is not read";
    // Without a sprite there is no window under the cursor.
    auto* again = new uitest::TestWindow("UNDER", 100, 100, 50, 50);
    again->m_pickable = 1;
    ASSERT_TRUE(windows.AddChild(again));
    m_cursor->LoadCursorAnimation("NoSuchCursor", 0);
    m_cursor->UpdateWindowUnderCursor(120, 120);
    EXPECT_EQ(m_cursor->GetWindowUnderCursor(), nullptr);
    g_pWindowMgr = nullptr;
    windows.Release();
}

TEST_F(CursorTest, HeldObjectsEndTheirDragOnceAndGoneOnesAreForgotten) {
    m_cursor->SetPointedObject(nullptr);  // nothing held: nothing happens
    Dragged first, second;
    m_cursor->SetPointedObject(&first);
    m_cursor->SetPointedObject(&second);
    EXPECT_EQ(m_cursor->GetHeldObject(), &first) << "one held at a time";
    first.callBack = true;  // an EndDrag that drops itself again
    m_cursor->SetPointedObject(nullptr);
    EXPECT_EQ(first.ends, 1);
    EXPECT_EQ(m_cursor->GetHeldObject(), nullptr);
    EXPECT_EQ(second.ends, 0);
    // An object deleted while held is forgotten without being read.
    auto* gone = new Dragged;
    m_cursor->SetPointedObject(gone);
    delete gone;
    EXPECT_EQ(m_cursor->GetHeldObject(), nullptr);
    m_cursor->Update();
    m_cursor->Draw();
    m_cursor->SetPointedObject(nullptr);
    m_cursor->SetPointedObject(&second);
    EXPECT_EQ(m_cursor->GetHeldObject(), &second);
    // A drawable object going away drops itself through the hook.
    CDrawObject drawn;
    m_cursor->SetPointedObject(nullptr);
    m_cursor->SetPointedObject(&drawn);
    m_cursor->DropIfHeld(&drawn);
    EXPECT_EQ(m_cursor->GetHeldObject(), nullptr);
    EXPECT_EQ(second.ends, 1);
}

}  // namespace
