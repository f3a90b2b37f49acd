// The game scene's input pass and its target mark and top lines, with the
// characters' test bed: hot keys, plain keys, the visual-event pass.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "anim/ani_object.h"
#include "core/app_state.h"
#include "core/config.h"
#include "core/input_mgr.h"
#include "core/key_bindings.h"
#include "core/main_mgr.h"
#include "core/main_window.h"
#include "data/item_object.h"
#include "data/item_table_mgr.h"
#include "data/premium_item_mgr.h"
#include "graphics/display_settings.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "net/handlers/map_records.h"
#include "platform/keyboard.h"
#include "platform/socket.h"
#include "scenes/game_scene.h"
#include "tests/scenes/scene_fixture.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_driver.h"
#include "tests/ui/test_windows.h"
#include "tests/world/chars/char_fixture.h"
#include "ui/edit_mgr.h"
#include "ui/game_scene_windows.h"
#include "ui/items/item_icon.h"
#include "ui/message_box.h"
#include "ui/window_messages.h"
#include "ui/window_mgr.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_events.h"
#include "world/chars/char_world.h"
#include "world/cursor.h"
#include "world/map/map_data.h"
#include "world/map/map_services.h"

namespace {

// A scene over a field of 20 x 20 tiles, one tile per 10 pixels, whose
// tile (5, 5) is blocked.
class WorldScene : public CGameScene {
public:
    using CGameScene::m_attack;
    using CGameScene::m_pointedId;
    using CGameScene::m_pointedKind;

protected:
    bool IsWorldReady() override { return true; }
    bool IsMapReady() override { return true; }
    bool TakeMapNotify() override { return false; }
    bool IsMapLoaded() override { return true; }
    IsoPoint ScreenToTile(int32_t x, int32_t y) override { return {x / 10, y / 10}; }
    bool IsPassableAt(int32_t x, int32_t y) override { return !(x == 5 && y == 5) && x >= 0 && y >= 0; }
    bool CanPlayerAttack(CChar* target) override { return target && target->m_attackable; }

public:
    // The placed objects on the field; a point picks the first whose tile
    // rectangle (ten pixels a tile) holds it.
    std::vector<MapServerObject*> placed;

protected:
    MapServerObject* FindPlacedObject(int32_t id) override {
        for (MapServerObject* o : placed)
            if (int32_t(o->m_id) == id) return o;
        return nullptr;
    }
    MapServerObject* PickPlacedObject(int32_t x, int32_t y) override {
        for (MapServerObject* o : placed)
            if (x / 10 >= o->m_x1 && x / 10 <= o->m_x2 && y / 10 >= o->m_y1 && y / 10 <= o->m_y2) return o;
        return nullptr;
    }
};

// A placed object of the kind over the tile rectangle.
std::unique_ptr<MapServerObject> Placed(uint32_t id, uint8_t kind, int32_t x1, int32_t y1, int32_t x2,
                                        int32_t y2) {
    auto o = std::make_unique<MapServerObject>();
    o->m_id = id;
    o->m_byte = kind;
    o->m_x1 = x1;
    o->m_y1 = y1;
    o->m_x2 = x2;
    o->m_y2 = y2;
    return o;
}

class GameInputTest : public chartest::CharFixture {
protected:
    void SetUp() override {
        CharFixture::SetUp();
        // Item 5001, shown by the characters' animation.
        qmtest::TableBuilder items(1, ITEM_COL_ICON_ANI + 1);
        items.Text(ITEM_COL_NAME).U32(ITEM_COL_ITEM_ID).U16(ITEM_COL_ICON_ANI);
        items.Set(ITEM_COL_NAME, 0, "Potion").Set(ITEM_COL_ITEM_ID, 0, 5001);
        items.Set(ITEM_COL_ICON_ANI, 0, chartest::kCharAni);
        m_db.Write(CItemTableMgr::ITEM_TABLE_FILE, items);
        m_items = std::make_unique<CItemTableMgr>();
        g_pItemTableMgr = m_items.get();
        plat::WSAStartup(plat::MakeWord(2, 2), nullptr);
        g_options = COptions{};
        FillDefaultKeyBindings(g_options);
        GameSession().Reset();
        g_pMainMgr = &m_main;
        ClearWindowClasses();
        g_connection = new CConnection(nullptr, WM_SOCKET_NOTIFY);
        g_connection->Connect(plat::MakeIPv4(127, 0, 0, 1), 40000);
    }
    void TearDown() override {
        m_main.DeleteAllChildren();
        m_driver.Mgr().DeleteAllChildren();
        g_pMainMgr = nullptr;
        delete g_connection;
        g_connection = nullptr;
        GameSession().Reset();
        g_darkScreen = 0;
        plat::WSACleanup();
        g_pItemTableMgr = nullptr;
        m_items.reset();
        CharFixture::TearDown();
    }

    // The program's frame over the scene: the scripted window system's input
    // reaches the input manager, then the scene's messages, input and update
    // run (the main manager's children's phases).
    void ProgramFrame() {
        const bool wasActive = std::exchange(g_active, true);
        m_driver.Deliver();
        m_main.UpdateChildren();
        g_active = wasActive;
    }
    WorldScene* MakeScene() {
        auto* scene = new WorldScene;
        m_main.AddChild(scene);
        return scene;
    }
    // A scene that has taken a standing player.
    WorldScene* SceneWithPlayer(CChar** player) {
        *player = MakePlayer();
        if (*player) (*player)->GetData()->m_motion = MOTION_STAND;
        WorldScene* scene = MakeScene();
        scene->ProcessInput();
        return scene;
    }
    void Key(uint32_t key) {
        m_driver.Input().PushInputEvent(INPUT_KEY, m_driver.Clock().Milliseconds(), key, 0, 0, 0);
    }
    std::vector<uint32_t> QueuedKeys() {
        std::vector<uint32_t> out;
        CInputEvent* e = m_driver.Input().GetFirstEvent();
        for (int32_t n = m_driver.Input().GetEventCount(); e && n > 0;
             --n, e = m_driver.Input().GetNextEvent(e))
            out.push_back(e->m_code);
        return out;
    }
    // The records of the event asked of the character manager.
    std::vector<CCharValueMsg*> Asked(uint32_t eventId) {
        std::vector<CCharValueMsg*> out;
        for (CListNode* n = m_mgr->GetMsgQueue()->Queue().Messages().First();
             n != m_mgr->GetMsgQueue()->Queue().Messages().End(); n = n->Next()) {
            auto* msg = static_cast<CMsg*>(n);
            if (msg->m_eventId != eventId) continue;
            if (auto* record = dynamic_cast<CCharValueMsg*>(msg->m_pPayload.get())) out.push_back(record);
        }
        return out;
    }
    // The walks: (x, y) tiles.
    std::vector<std::pair<uint32_t, uint32_t>> Walks() {
        std::vector<std::pair<uint32_t, uint32_t>> out;
        for (CCharValueMsg* walk : Asked(CHAR_EVENT_MOVE)) out.emplace_back(walk->m_x, walk->m_y);
        return out;
    }
    // The pick-ups: object ids.
    std::vector<uint32_t> PickUps() {
        std::vector<uint32_t> out;
        for (CCharValueMsg* pick : Asked(CHAR_EVENT_PICK_UP)) out.push_back(pick->m_value);
        return out;
    }
    // An item of the server's object id laid at a tile the way the server
    // lays it, its picture 20 x 20 pixels standing on its point.
    CItemObject* DropItem(uint32_t objectId, int32_t tileX, int32_t tileY, const char* name = "Potion") {
        chartest::DropOnGround(objectId, 5001, name, tileX, tileY);
        CItemObject* item = m_field.GetMapData() ? m_field.GetMapData()->FindGroundItem(objectId) : nullptr;
        if (item) item->GetAniObject()->SetDrawable(new chartest::Box(20, 20));
        return item;
    }
    // The server's word that the object has gone.
    void ItemGone(uint32_t objectId) {
        CObjectGoneMsg gone;
        gone.Set(objectId);
        m_field.HandleMessage(gone);
    }
    size_t Sent(uint8_t code) {
        size_t count = 0;
        for (size_t i = 0; i < GameSession().QueuedMessages(); ++i)
            if (GameSession().QueuedMessage(i).front() == code) ++count;
        return count;
    }

    qmtest::TempDir m_dir;
    qmtest::ScopedWorkingFolder m_folder{m_dir.Path()};
    plat::ScriptedSockets m_sockets;
    plat::ScopedSockets m_socketScope{m_sockets};
    qmtest::WindowDriver m_driver;
    CMainMgr m_main;
    scenetest::TestEvents m_sceneEvents;
    ScopedSceneEvents m_scopedEvents{m_sceneEvents};
    std::unique_ptr<CItemTableMgr> m_items;
    CItemIconFactory m_icons;
    ScopedItemObjectFactory m_useIcons{m_icons};
    ScopedMapCharacters m_mapChars{MapCharacters()};
};

TEST_F(GameInputTest, DrawStepKeyIsTakenOnceASecond) {
    CChar* player = MakePlayer();
    ASSERT_NE(player, nullptr);
    player->GetData()->m_motion = MOTION_STAND;
    WorldScene* scene = MakeScene();
    Key(plat::VK_INSERT);
    scene->ProcessInput();
    Key(plat::VK_INSERT);
    m_driver.Clock().Advance(999);
    scene->ProcessInput();
    EXPECT_EQ(Sent(50), 1u);
    EXPECT_TRUE(QueuedKeys().empty());  // both were taken
    m_driver.Clock().Advance(1);
    Key(plat::VK_INSERT);
    scene->ProcessInput();
    EXPECT_EQ(Sent(50), 2u);
    // State 14 asks for step 0; a player in another state asks for nothing.
    player->GetData()->m_motion = 14;
    m_driver.Clock().Advance(1000);
    Key(plat::VK_INSERT);
    scene->ProcessInput();
    EXPECT_EQ(GameSession().QueuedMessage(GameSession().QueuedMessages() - 1), (std::vector<uint8_t>{50, 0}));
    player->GetData()->m_motion = 7;
    m_driver.Clock().Advance(1000);
    Key(plat::VK_INSERT);
    scene->ProcessInput();
    EXPECT_EQ(Sent(50), 3u);
}

TEST_F(GameInputTest, UnboundKeysReachThePlainKeysAndOthersStayQueued) {
    MakePlayer();
    WorldScene* scene = MakeScene();
    scene->BeginSkillAiming(3);
    Key(plat::VK_ESCAPE);  // bound to nothing: a plain key, ends the aim
    Key('K');              // neither: stays
    Key(plat::VK_NUMPAD0 + 4);
    scene->ProcessInput();
    EXPECT_EQ(scene->GetActionMode(), 0);
    EXPECT_EQ(QueuedKeys(), std::vector<uint32_t>{'K'});
}

TEST_F(GameInputTest, HotKeysToggleTheirWindowsAndEscapeOpensTheSystemWindow) {
    MakePlayer();
    RegisterWindowClass("SYSTEM_WINDOW",
                        [] { return static_cast<CBaseWindow*>(new uitest::TestWindow("SYSTEM_WINDOW")); });
    WorldScene* scene = MakeScene();
    auto* inventory = m_driver.Add(new uitest::TestWindow("ItemInventoryWindow"));
    inventory->Hide();
    Key('I');
    scene->ProcessInput();
    EXPECT_TRUE(inventory->IsVisibleInTree());
    Key('I');
    scene->ProcessInput();
    EXPECT_FALSE(inventory->IsVisibleInTree());
    Key('T');  // the team window is not there: the key is taken all the same
    scene->ProcessInput();
    EXPECT_TRUE(QueuedKeys().empty());

    CBaseWindow* system = scene->Windows().Get("SYSTEM_WINDOW");
    ASSERT_NE(system, nullptr);
    EXPECT_FALSE(system->IsVisibleInTree());
    Key(plat::VK_ESCAPE);
    scene->ProcessInput();
    EXPECT_TRUE(system->IsVisibleInTree());
}

// The hot keys that show or hide a window keep whether it is shown in the
// option block: the quick slots (Ctrl+Q, byte 9), the chat ('C', byte 11),
// the pet window ('F', byte 20).
TEST_F(GameInputTest, HotKeysKeepWhetherTheirWindowsAreShownInTheOptions) {
    MakePlayer();
    RegisterWindowClass("MSGWIN", [] { return static_cast<CBaseWindow*>(new uitest::TestWindow("MSGWIN")); });
    WorldScene* scene = MakeScene();
    auto* quick = m_driver.Add(new uitest::TestWindow("QuickSlotWindow"));
    auto* pet = m_driver.Add(new uitest::TestWindow("Pet_Interface"));
    CBaseWindow* chat = scene->Windows().Get("MSGWIN");
    ASSERT_NE(chat, nullptr);
    plat::FakeKeyState keys;
    plat::ScopedKeyState scopedKeys(keys);
    struct Case {
        uint32_t key;
        bool ctrl;
        CBaseWindow* window;
        size_t option;
    };
    for (const Case& c : {Case{'Q', true, quick, 9}, Case{'C', false, chat, 11}, Case{'F', false, pet, 20}}) {
        keys.SetKeyDown(plat::VK_CONTROL, c.ctrl);
        for (int press = 0; press < 2; ++press) {
            const bool wasShown = c.window->IsVisibleInTree();
            g_options.SetByte(c.option, 7);
            Key(c.key);
            scene->ProcessInput();
            EXPECT_NE(c.window->IsVisibleInTree(), wasShown) << char(c.key);
            EXPECT_EQ(g_options.GetByte(c.option), wasShown ? 0 : 1) << char(c.key) << " press " << press;
        }
    }
    keys.SetKeyDown(plat::VK_CONTROL, false);
}

TEST_F(GameInputTest, ChatKeysOpenTheChatInputUnlessAnEventHoldsTheInput) {
    MakePlayer();
    RegisterWindowClass("CHATWIN",
                        [] { return static_cast<CBaseWindow*>(new uitest::TestWindow("CHATWIN")); });
    RegisterWindowClass("MSGWIN", [] { return static_cast<CBaseWindow*>(new uitest::TestWindow("MSGWIN")); });
    RegisterWindowClass("SYSTEM_WINDOW",
                        [] { return static_cast<CBaseWindow*>(new uitest::TestWindow("SYSTEM_WINDOW")); });
    CEditMgr edit;
    ASSERT_TRUE(edit.Init(plat::GetMainWindow(), EditSubclassProc));
    CEditMgr* oldEdit = g_pEditMgr;
    g_pEditMgr = &edit;
    WorldScene* scene = MakeScene();
    CBaseWindow* chat = scene->Windows().Get("MSGWIN");
    ASSERT_NE(chat, nullptr);
    chat->Hide();
    // The keypad's slash opens the chat with the command's slash typed.
    Key(plat::VK_DIVIDE);
    scene->ProcessInput();
    EXPECT_TRUE(QueuedKeys().empty());
    EXPECT_TRUE(chat->IsVisibleInTree());
    EXPECT_STREQ(edit.GetText(), "/");
    // While an event runs, Escape opens no system window.
    CBaseWindow* system = scene->Windows().Get("SYSTEM_WINDOW");
    ASSERT_NE(system, nullptr);
    m_sceneEvents.m_current = true;
    Key(plat::VK_ESCAPE);
    scene->ProcessInput();
    EXPECT_FALSE(system->IsVisibleInTree());
    m_sceneEvents.m_current = false;
    for (const char* name : {"CHATWIN", "MSGWIN"}) scene->Windows().Get(name)->Hide();
    Key(plat::VK_ESCAPE);
    scene->ProcessInput();
    EXPECT_TRUE(system->IsVisibleInTree());
    g_pEditMgr = oldEdit;
}

TEST_F(GameInputTest, HotKeysWhoseWindowsAreNotThereAreTakenAndDoNothing) {
    CChar* player = nullptr;
    WorldScene* scene = SceneWithPlayer(&player);
    ASSERT_NE(player, nullptr);
    const auto windows = m_driver.Mgr().Children().Count();
    plat::FakeKeyState keys;
    plat::ScopedKeyState scopedKeys(keys);
    // The web page, the world map, the quick slots, the 1:1 chat, the chat
    // macros, the minimap, the display switch and the side buttons.
    for (int32_t command : {0, 2, 3, 5, 17, 19, 20, 24}) {
        const KeyBinding binding = DefaultKeyBinding(command);
        keys.SetKeyDown(plat::VK_MENU, binding.alt != 0);
        keys.SetKeyDown(plat::VK_CONTROL, binding.ctrl != 0);
        Key(binding.key);
        scene->ProcessInput();
        EXPECT_TRUE(QueuedKeys().empty()) << command;
    }
    EXPECT_EQ(GameSession().QueuedMessages(), 0u);
    EXPECT_EQ(m_driver.Mgr().Children().Count(), windows);  // none made in their place
}

// The main interface as the side-button key sees it.
struct MainInterface : uitest::TestWindow, IMainInterfaceWindow {
    MainInterface() : TestWindow("Z5MAINWIN") {}
    uint8_t style = 2;
    void StartBlink() override {}
    void StopBlink() override {}
    void ShakeItemButton() override {}
    bool GetInventoryButtonPosition(int32_t*, int32_t*) override { return false; }
    void SetSkillIcon(int32_t) override {}
    void SetStyle(uint8_t s) override { style = s; }
    uint8_t GetStyle() override { return style; }
    void Minimize() override {}
    void Restore() override {}
};

TEST_F(GameInputTest, TheSideButtonKeySwitchesTheirLayoutAndTheOptionFollows) {
    MakePlayer();
    RegisterWindowClass("Z5MAINWIN", [] { return static_cast<CBaseWindow*>(new MainInterface); });
    WorldScene* scene = MakeScene();
    auto* main = dynamic_cast<MainInterface*>(scene->Windows().Get("Z5MAINWIN"));
    ASSERT_NE(main, nullptr);
    plat::FakeKeyState keys;
    plat::ScopedKeyState scopedKeys(keys);
    const KeyBinding binding = DefaultKeyBinding(24);
    keys.SetKeyDown(plat::VK_MENU, binding.alt != 0);
    keys.SetKeyDown(plat::VK_CONTROL, binding.ctrl != 0);
    std::vector<std::pair<uint8_t, uint8_t>> seen;
    for (int i = 0; i < 2; ++i) {
        Key(binding.key);
        scene->ProcessInput();
        seen.emplace_back(main->style, g_options.GetByte(OPTION_SIDE_BUTTON_STYLE));
    }
    EXPECT_EQ(seen, (std::vector<std::pair<uint8_t, uint8_t>>{{4, 1}, {2, 0}}));
}

TEST_F(GameInputTest, DuringAVisualEventOnlyCtrlSAndTheButtonsAreTaken) {
    MakePlayer();
    WorldScene* scene = MakeScene();
    m_sceneEvents.m_running = m_sceneEvents.m_current = true;
    plat::FakeKeyState keys;
    plat::ScopedKeyState scopedKeys(keys);
    keys.SetKeyDown(plat::VK_CONTROL, true);
    Key('S');
    Key(plat::VK_INSERT);
    Key(plat::VK_ESCAPE);
    m_driver.Input().PushInputEvent(INPUT_MOUSE, m_driver.Clock().Milliseconds(), MOUSE_LDOWN, 5, 5, 0);
    scene->ProcessInput();
    EXPECT_EQ(QueuedKeys(), (std::vector<uint32_t>{plat::VK_INSERT, plat::VK_ESCAPE}));
    EXPECT_EQ(Sent(50), 0u);
}

TEST_F(GameInputTest, ClicksWalkAttackOrStop) {
    CChar* player = nullptr;
    WorldScene* scene = SceneWithPlayer(&player);
    ASSERT_NE(player, nullptr);
    plat::FakeKeyState keys;
    plat::ScopedKeyState scopedKeys(keys);
    using Walk = std::pair<uint32_t, uint32_t>;

    // A plain click on the ground walks there.
    EXPECT_TRUE(scene->HandleGameInput(120, 70, true));
    EXPECT_EQ(Walks(), (std::vector<Walk>{{12, 7}}));
    // Shift never walks: the player turns to the point, unless it is dead.
    keys.SetKeyDown(plat::VK_SHIFT, true);
    scene->HandleGameInput(150, 150, true);
    EXPECT_EQ(Sent(17), 1u);
    player->GetData()->m_motion = MOTION_DEAD;
    scene->HandleGameInput(150, 150, true);
    EXPECT_EQ(Sent(17), 1u);
    player->GetData()->m_motion = MOTION_STAND;
    keys.SetKeyDown(plat::VK_SHIFT, false);
    EXPECT_EQ(Walks().size(), 1u);

    CChar* monster = Make(CHAR_KIND_MONSTER, 60);
    ASSERT_NE(monster, nullptr);
    scene->m_pointedId = 60;
    scene->m_pointedKind = CHAR_KIND_MONSTER;
    // A monster that cannot be attacked is walked to (the clicked tile).
    monster->m_attackable = 0;
    scene->HandleGameInput(30, 40, true);
    EXPECT_EQ(Walks().back(), (Walk{3, 4}));
    // A dead one is neither attacked nor walked to.
    monster->m_attackable = 1;
    monster->GetData()->m_motion = MOTION_DEAD;
    const size_t walks = Walks().size();
    scene->HandleGameInput(30, 40, true);
    EXPECT_EQ(Walks().size(), walks);

    // A running attack: the held-button repeat keeps it, a click by the user stops it.
    monster->GetData()->m_motion = MOTION_STAND;
    scene->QueueAttack(monster, true);
    scene->HandleGameInput(30, 40, false);
    EXPECT_TRUE(scene->m_attack[0]);
    scene->HandleGameInput(30, 40, true);
    EXPECT_FALSE(scene->m_attack[0]);
    // A repeat whose target died stops the attack and goes no further.
    scene->QueueAttack(monster, true);
    monster->GetData()->m_motion = MOTION_DEAD;
    const size_t before = Walks().size();
    scene->HandleGameInput(30, 40, false);
    EXPECT_FALSE(scene->m_attack[0]);
    EXPECT_EQ(Walks().size(), before);
}

// A click on a cell the player cannot stand on, through the input queue,
// walks to the nearest free cell the player's controller finds; with no
// field to search the click has nowhere to go.
TEST_F(GameInputTest, AClickOnABlockedCellWalksToTheNearestFreeCell) {
    std::string field = OpenField(16, 16);
    field[field.find("cells\n") + 6 + 17 + 1] = '#';  // cell (1, 1): tiles 4-7 (the scene's (5, 5))
    LoadField(field);
    CChar* player = nullptr;
    WorldScene* scene = SceneWithPlayer(&player);
    ASSERT_NE(player, nullptr);
    auto click = [&](int32_t x, int32_t y) {
        m_driver.MoveTo(x, y);
        m_driver.Click(0, x, y);
        const bool wasActive = std::exchange(g_active, true);
        m_driver.Deliver();
        scene->ProcessInput();
        g_active = wasActive;
    };
    using Walk = std::pair<uint32_t, uint32_t>;
    click(55, 55);
    EXPECT_EQ(Walks(), (std::vector<Walk>{{4, 0}})) << "cell (1, 0), the first of the nearest";
    g_pMap = nullptr;
    EXPECT_FALSE(scene->HandleGameInput(55, 55, true));
    g_pMap = &m_field;
    EXPECT_EQ(Walks().size(), 1u);
}

// On a map without battles a monster clicked by the user is asked about
// (request 67) instead of attacked; the held button's repeat does not ask.
TEST_F(GameInputTest, AMonsterClickedOnAMapWithoutBattlesIsAskedAbout) {
    CChar* player = nullptr;
    WorldScene* scene = SceneWithPlayer(&player);
    ASSERT_NE(player, nullptr);
    CChar* monster = Make(CHAR_KIND_MONSTER, 60);
    ASSERT_NE(monster, nullptr);
    scene->m_pointedId = 60;
    scene->m_pointedKind = CHAR_KIND_MONSTER;
    m_field.m_serverAttrFlag = 1;
    m_field.m_attrByte = 1 << 2;  // zone 1: no battles
    ASSERT_TRUE(m_field.IsNoBattleZone());
    const size_t walks = Walks().size();
    EXPECT_TRUE(scene->HandleGameInput(30, 40, true));
    ASSERT_EQ(Sent(67), 1u);
    const std::vector<uint8_t>& ask = GameSession().QueuedMessage(GameSession().QueuedMessages() - 1);
    EXPECT_EQ(ask, (std::vector<uint8_t>{67, 0, 0, 0, 60}));
    EXPECT_EQ(scene->GetAttacksStarted(), 0u);
    EXPECT_EQ(Walks().size(), walks);
    scene->HandleGameInput(30, 40, false);
    EXPECT_EQ(Sent(67), 1u);
}

// A shown box takes the clicks on it before the field: its OK answers the
// game request, and neither that press nor one on the box's body walks the
// player. Beside the box the field takes the click.
TEST_F(GameInputTest, WindowsOverTheFieldTakeTheirClicksFirst) {
    CChar* player = nullptr;
    WorldScene* scene = SceneWithPlayer(&player);
    ASSERT_NE(player, nullptr);
    CMessageBox* box = scene->Windows().GetRequestBox();
    ASSERT_NE(box, nullptr);
    uitest::GiveFaces(box);
    ASSERT_TRUE(scene->ShowGameRequest(77));
    box->SetPosition(100, 100);
    box->UpdateRect();
    auto frame = [&] { ProgramFrame(); };
    // The walk a click asks for waits in the player's controller once the
    // character manager has taken it.
    auto walked = [&] { return !Walks().empty() || player->GetController()->Holder()->PendingCount() > 0; };
    m_driver.Click(0, 150, 105);  // the box's body
    frame();
    EXPECT_FALSE(walked());
    EXPECT_TRUE(box->IsDrawOn());
    CBaseWindow* ok = box->GetOkButton();
    ok->UpdateRect();
    m_driver.MoveTo(ok->GetRect().left + 2, ok->GetRect().top + 2);
    m_driver.Click(0, ok->GetRect().left + 2, ok->GetRect().top + 2);
    frame();
    frame();  // the answer reaches the scene's port
    EXPECT_FALSE(walked());
    ASSERT_GE(GameSession().QueuedMessages(), 1u);
    const std::vector<uint8_t>& answer = GameSession().QueuedMessage(GameSession().QueuedMessages() - 1);
    EXPECT_EQ(answer.back(), 1) << "OK";
    m_driver.MoveTo(120, 70);
    m_driver.Click(0, 120, 70);
    frame();
    EXPECT_TRUE(walked());
}

// The box of a lost connection, answered by a click on its OK in the field,
// ends the program.
TEST_F(GameInputTest, TheLostConnectionBoxsOkEndsTheProgram) {
    CChar* player = nullptr;
    SceneWithPlayer(&player);
    CDisconnectNotice notice;
    notice.Show();
    CMessageBox* box = notice.GetBox();
    ASSERT_NE(box, nullptr);
    uitest::GiveFaces(box);
    box->SetPosition(100, 100);
    CBaseWindow* ok = box->GetOkButton();
    ok->UpdateRect();
    const int32_t x = ok->GetRect().left + 2, y = ok->GetRect().top + 2;
    m_driver.MoveTo(x, y);
    m_driver.Click(0, x, y);
    ProgramFrame();
    EXPECT_FALSE(g_quit);
    ProgramFrame();  // the answer reaches the scene
    EXPECT_TRUE(g_quit);
    g_quit = false;
}

TEST_F(GameInputTest, TheWalkAClickAsksForReachesThePlayersController) {
    CChar* player = nullptr;
    WorldScene* scene = SceneWithPlayer(&player);
    ASSERT_NE(player, nullptr);
    ASSERT_TRUE(scene->HandleGameInput(120, 70, true));
    m_mgr->ProcessQueue();
    m_driver.Clock().Advance(33);
    player->UpdateFrame(33, false);
    CCharController* controller = player->GetController();
    EXPECT_TRUE(controller->Holder()->PendingCount() > 0 || player->GetData()->m_motion == MOTION_WALK);
}

TEST_F(GameInputTest, PickUpKeyWalksToTheNearestItemOrPicksItUpWithinReach) {
    CChar* player = nullptr;
    WorldScene* scene = SceneWithPlayer(&player);
    ASSERT_NE(player, nullptr);
    using Walk = std::pair<uint32_t, uint32_t>;
    // No item: nothing.
    Key('Z');
    scene->ProcessInput();
    EXPECT_TRUE(Walks().empty());
    EXPECT_TRUE(PickUps().empty());
    EXPECT_TRUE(QueuedKeys().empty());

    // Far: the walk to its tile with the pick-up queued, and the pick-up.
    ASSERT_TRUE(DropItem(77, 30, 30));
    Key('Z');
    scene->ProcessInput();
    EXPECT_EQ(Walks(), (std::vector<Walk>{{30, 30}}));
    EXPECT_EQ(PickUps(), std::vector<uint32_t>{77});
    EXPECT_TRUE(scene->HasQueuedAction());
    // The item goes before the player gets there: the repeat ends the pick-up.
    ItemGone(77);
    EXPECT_TRUE(scene->HandleGameInput(0, 0, false));
    EXPECT_FALSE(scene->HasQueuedAction());
    EXPECT_EQ(Walks().size(), 1u);

    // Within reach: the pick-up alone, with a server only.
    ASSERT_TRUE(DropItem(78, player->m_cellX, player->m_cellY));
    EXPECT_TRUE(scene->PickUpNearestItem());
    EXPECT_EQ(PickUps().size(), 1u);
    g_config.m_useServer = true;
    EXPECT_TRUE(scene->PickUpNearestItem());
    g_config.m_useServer = false;
    EXPECT_EQ(PickUps(), (std::vector<uint32_t>{77, 78}));
    EXPECT_EQ(Walks().size(), 1u);
    EXPECT_FALSE(scene->HasQueuedAction());
}

// The pick-up key pressed while the player reels from a hit is not lost:
// the pick-up waits, and the repeat asks for the item within reach, or
// walks to one farther off, once the player may act.
TEST_F(GameInputTest, APickUpPressedDuringAHitGoesOnWhenTheHitIsOver) {
    CChar* player = nullptr;
    WorldScene* scene = SceneWithPlayer(&player);
    ASSERT_NE(player, nullptr);
    g_config.m_useServer = true;
    struct Offline {
        ~Offline() { g_config.m_useServer = false; }
    } offline;
    using Walk = std::pair<uint32_t, uint32_t>;
    auto reel = [&] {
        player->GetAction()->TakeHit();
        ASSERT_EQ(player->GetData()->m_motion, uint32_t(MOTION_HIT));
    };
    auto recover = [&] {
        for (int frame = 0; frame < 300 && player->GetData()->m_motion == MOTION_HIT; ++frame) {
            m_driver.Clock().Advance(33);
            player->UpdateFrame(33, false);
        }
        ASSERT_NE(player->GetData()->m_motion, uint32_t(MOTION_HIT));
    };

    // Within reach: nothing goes out while reeling; the repeat after it asks.
    ASSERT_TRUE(DropItem(78, player->m_cellX + 1, player->m_cellY));
    reel();
    Key('Z');
    scene->ProcessInput();
    EXPECT_TRUE(scene->HasQueuedAction());
    EXPECT_TRUE(scene->HandleGameInput(0, 0, false));
    EXPECT_TRUE(PickUps().empty());
    recover();
    EXPECT_TRUE(scene->HandleGameInput(0, 0, false));
    EXPECT_EQ(PickUps(), std::vector<uint32_t>{78});
    EXPECT_FALSE(scene->HasQueuedAction());
    EXPECT_TRUE(Walks().empty());

    // Farther off: no walk while reeling; the repeat after it walks there.
    ItemGone(78);
    ASSERT_TRUE(DropItem(79, 30, 30));
    reel();
    Key('Z');
    scene->ProcessInput();
    EXPECT_TRUE(Walks().empty());
    EXPECT_TRUE(scene->HasQueuedAction());
    recover();
    EXPECT_TRUE(scene->HandleGameInput(0, 0, false));
    EXPECT_EQ(Walks(), (std::vector<Walk>{{30, 30}}));
    EXPECT_TRUE(scene->HasQueuedAction());
}

TEST_F(GameInputTest, AnItemTheServerDropsIsNamedWhenPointedAndPickedUpByTheKey) {
    CCursor cursor;
    cursor.Create();
    g_pCursor = &cursor;
    struct ForgetCursor {
        ~ForgetCursor() { g_pCursor = nullptr; }
    } forgetCursor;
    CChar* player = nullptr;
    WorldScene* scene = SceneWithPlayer(&player);  // at tile (10, 10)
    ASSERT_NE(player, nullptr);
    scene->SetTransitionState(GAME_PLAYING);
    // Server object 4242 (item 5001), ten tiles east.
    CItemObject* item = DropItem(4242, 20, 10, "Healing potion");
    ASSERT_NE(item, nullptr);

    // Pointed at, the cursor names it.
    const AniRect box = item->GetAniObject()->GetBounds(false, false);
    m_driver.Input().m_mouseX = (box.left + box.right) / 2;
    m_driver.Input().m_mouseY = (box.top + box.bottom) / 2;
    scene->UpdatePointedTarget();
    EXPECT_EQ((std::pair{scene->GetPointedId(), scene->GetPointedKind()}),
              (std::pair{4242, POINTED_MAP_OBJECT}));
    scene->UpdateCursorTarget();
    EXPECT_EQ(cursor.BuildLabel().m_text, "Healing potion");

    // The pick-up key walks the player there, which then asks for it by its object id.
    Key('Z');
    scene->ProcessInput();
    EXPECT_EQ(Walks(), (std::vector<std::pair<uint32_t, uint32_t>>{{20, 10}}));
    EXPECT_EQ(PickUps(), std::vector<uint32_t>{4242});
    m_mgr->ProcessQueue();
    auto asked = [&] {
        std::vector<std::string> out;
        for (const std::string& request : m_requests.sent)
            if (request.rfind("7 ", 0) == 0) out.push_back(request);
        return out;
    };
    for (int frame = 0; frame < 1500 && asked().empty(); ++frame) {
        m_driver.Clock().Advance(33);
        player->UpdateFrame(33, false);
    }
    EXPECT_EQ(asked(), std::vector<std::string>{"7 4242"});
    EXPECT_LE(std::abs(player->m_cellX - 20), 4);
}

// With nothing else pointed, a named placed object under the mouse labels
// the cursor (kind 10); an unnamed one leaves it bare.
TEST_F(GameInputTest, ANamedPlacedObjectUnderTheMouseLabelsTheCursor) {
    CCursor cursor;
    cursor.Create();
    g_pCursor = &cursor;
    struct ForgetCursor {
        ~ForgetCursor() { g_pCursor = nullptr; }
    } forgetCursor;
    CChar* player = nullptr;
    WorldScene* scene = SceneWithPlayer(&player);
    ASSERT_NE(player, nullptr);
    scene->SetTransitionState(GAME_PLAYING);
    CFieldObjectMsg door;
    door.Set(900, 0, 0, 20, 20, 24, 22, 1, 0, uint16_t(chartest::kCharAni), 0, 0, 0, 0,
             PLACED_OBJECT_WALK_ONTO, "Cellar door");
    m_field.HandleMessage(door);
    MapServerObject* object = m_field.GetMapData()->FindObjectById(900);
    ASSERT_NE(object, nullptr);
    scene->placed = {object};
    m_driver.Input().m_mouseX = 215;
    m_driver.Input().m_mouseY = 205;
    scene->m_pointedId = -1;
    scene->UpdateCursorTarget();
    EXPECT_EQ(cursor.Pointed().m_kind, POINTED_KIND_EVENT_OBJECT);
    EXPECT_EQ(cursor.Pointed().m_id, 900u);
    EXPECT_EQ(cursor.BuildLabel().m_text, "Cellar door");
    object->m_name[0] = 0;
    scene->UpdateCursorTarget();
    EXPECT_FALSE(cursor.Pointed().m_present);
    scene->placed.clear();
}

// An item the server moves into the field's slots (message 90) leaves the
// ground and starts its motion there.
TEST_F(GameInputTest, AnItemMovedIntoTheFieldSlotsLeavesTheGround) {
    CItemObject* item = DropItem(4242, 20, 10);
    ASSERT_NE(item, nullptr);
    CObjectToFieldMsg moved;
    moved.Set(4242, 20, 10);
    m_field.HandleMessage(moved);
    EXPECT_EQ(m_field.FindFieldObject(4242), nullptr);
    EXPECT_EQ(item->GetState(), uint32_t(ITEM_GROUND_FRAME));
    EXPECT_EQ(item->GetMapPoint(), (std::pair<int32_t, int32_t>{-1, -1})) << "no longer on the ground";
}

TEST_F(GameInputTest, PlacedObjectsAreWalkedOntoBeforeTheirRequest) {
    CChar* player = nullptr;
    WorldScene* scene = SceneWithPlayer(&player);
    ASSERT_NE(player, nullptr);
    using Walk = std::pair<uint32_t, uint32_t>;
    auto door = Placed(900, PLACED_OBJECT_WALK_ONTO, 20, 20, 24, 22);  // stands on (22, 21)
    auto well = Placed(901, PLACED_OBJECT_ROD, 30, 30, 30, 30);
    scene->placed = {door.get(), well.get()};
    auto storeOpens = [&] {
        std::vector<uint32_t> ids;
        for (size_t i = 0; i < GameSession().QueuedMessages(); ++i) {
            const std::vector<uint8_t> m = GameSession().QueuedMessage(i);
            if (m.size() == 5 && m[0] == 67)
                ids.push_back(uint32_t(m[1]) << 24 | m[2] << 16 | m[3] << 8 | m[4]);  // network order
        }
        return ids;
    };

    // A click on the walk-onto object walks to its tile; the request waits
    // for the player to stand there.
    EXPECT_TRUE(scene->HandleGameInput(215, 205, true));
    EXPECT_EQ(Walks(), (std::vector<Walk>{{22, 21}}));
    EXPECT_TRUE(scene->HasQueuedAction());
    EXPECT_TRUE(scene->HandleGameInput(0, 0, false));
    EXPECT_TRUE(storeOpens().empty());
    EXPECT_EQ(Walks().size(), 1u);
    player->m_cellX = 22;
    player->m_cellY = 21;
    EXPECT_TRUE(scene->HandleGameInput(0, 0, false));
    EXPECT_EQ(storeOpens(), std::vector<uint32_t>{900});
    EXPECT_FALSE(scene->HasQueuedAction());

    // An object of the other kind is no destination: the click walks to its point.
    EXPECT_TRUE(scene->HandleGameInput(305, 305, true));
    EXPECT_EQ(Walks().back(), (Walk{30, 30}));
    EXPECT_FALSE(scene->HasQueuedAction());

    // On the way, a click by the user goes elsewhere; the repeat after the
    // object has gone ends the action without a request.
    player->m_cellX = player->m_cellY = 10;
    scene->HandleGameInput(215, 205, true);
    EXPECT_TRUE(scene->HasQueuedAction());
    scene->HandleGameInput(120, 70, true);
    EXPECT_EQ(Walks().back(), (Walk{12, 7}));
    EXPECT_FALSE(scene->HasQueuedAction());
    scene->HandleGameInput(215, 205, true);
    scene->placed = {well.get()};
    EXPECT_TRUE(scene->HandleGameInput(0, 0, false));
    EXPECT_FALSE(scene->HasQueuedAction());
    EXPECT_EQ(storeOpens(), std::vector<uint32_t>{900});

    // Flag B (the rod's object) goes out on a right click once the player is there.
    scene->QueueActionB(901);
    EXPECT_TRUE(scene->HandleRightClick(0, 0));
    EXPECT_TRUE(scene->HasQueuedAction());
    player->m_cellX = player->m_cellY = 30;
    EXPECT_TRUE(scene->HandleRightClick(0, 0));
    EXPECT_EQ(storeOpens(), (std::vector<uint32_t>{900, 901}));
    EXPECT_FALSE(scene->HasQueuedAction());
    scene->placed.clear();
}

TEST_F(GameInputTest, AnItemUnderTheMouseIsPointedKeptAndPickedUp) {
    CChar* player = nullptr;
    WorldScene* scene = SceneWithPlayer(&player);
    ASSERT_NE(player, nullptr);
    CItemObject* item = DropItem(77, 30, 30);
    ASSERT_NE(item, nullptr);
    // Its picture: 20 pixels wide, from 20 above its point down to it.
    const int32_t x = item->GetAniObject()->m_screenX, y = item->GetAniObject()->m_screenY;
    CInputMgr& input = m_driver.Input();
    auto hover = [&](int32_t dx, int32_t dy) {
        input.m_mouseX = x + dx;
        input.m_mouseY = y + dy;
        scene->UpdatePointedTarget();
        return std::pair<int32_t, int32_t>{scene->GetPointedId(), scene->GetPointedKind()};
    };
    using Pointed = std::pair<int32_t, int32_t>;
    EXPECT_EQ(hover(5, -5), (Pointed{77, POINTED_MAP_OBJECT}));
    // Kept within the widened box (20 pixels each side of a small one), lost beyond it.
    EXPECT_EQ(hover(28, 18), (Pointed{77, POINTED_MAP_OBJECT}));
    EXPECT_EQ(input.m_mouseX, x + 28);  // the mouse stays where it is while option 7 is off
    g_options.SetByte(7, 1);
    EXPECT_EQ(hover(5, -5), (Pointed{77, POINTED_MAP_OBJECT}));
    EXPECT_EQ((std::pair{input.m_mouseX, input.m_mouseY}), (std::pair{x, y - 10}));  // the box's centre
    g_options.SetByte(7, 0);
    EXPECT_EQ(hover(35, 0), (Pointed{-1, -1}));
    // A click on the pointed item walks to it and asks for the pick-up.
    hover(0, -10);
    EXPECT_TRUE(scene->HandleGameInput(0, 0, true));
    EXPECT_EQ(Walks(), (std::vector<std::pair<uint32_t, uint32_t>>{{30, 30}}));
    EXPECT_EQ(PickUps(), std::vector<uint32_t>{77});
    // The item going away ends the pointing.
    ItemGone(77);
    EXPECT_EQ(hover(0, -10), (Pointed{-1, -1}));
}

TEST_F(GameInputTest, AnNpcBeyondBothRadiiAndTwelvePixelsIsWalkedTo) {
    CChar* player = MakePlayer();
    ASSERT_NE(player, nullptr);
    WorldScene* scene = MakeScene();
    scene->ProcessInput();
    CChar* guard = Make(CHAR_KIND_NPC, 50, chartest::kNpcRes);
    ASSERT_NE(guard, nullptr);
    scene->m_pointedId = 50;
    scene->m_pointedKind = CHAR_KIND_NPC;
    guard->m_cellX = 14;
    guard->m_cellY = 10;
    guard->m_x = player->m_x + 13;
    guard->m_y = player->m_y;
    scene->HandleGameInput(0, 0, true);
    ASSERT_EQ(Walks().size(), 1u);
    EXPECT_EQ(Walks().back(), (std::pair<uint32_t, uint32_t>{14, 10}));
    EXPECT_EQ(Sent(67), 1u);
    EXPECT_EQ(Sent(20), 1u);  // an NPC without functions talks
    guard->m_x = player->m_x + 10;
    scene->HandleGameInput(0, 0, true);
    EXPECT_EQ(Walks().size(), 1u);  // close enough: no walk
    EXPECT_EQ(Sent(67), 2u);
    // The held button's repeat does not talk to the NPC again: it walks to the point.
    scene->HandleGameInput(0, 0, false);
    EXPECT_EQ(Sent(67), 2u);
    EXPECT_EQ(Walks().back(), (std::pair<uint32_t, uint32_t>{0, 0}));
}

class BoardWindow : public uitest::TestWindow {
public:
    BoardWindow() : TestWindow("FORTRESS_BOARD_WIN") {}
    int32_t GetWidth() override { return 120; }
    int32_t GetHeight() override { return 80; }
};

TEST_F(GameInputTest, AnNpcWithTheFortressFunctionOpensTheBoardCentred) {
    RegisterWindowClass("FORTRESS_BOARD_WIN", [] { return static_cast<CBaseWindow*>(new BoardWindow); });
    CChar* player = nullptr;
    WorldScene* scene = SceneWithPlayer(&player);
    ASSERT_NE(player, nullptr);
    auto* keeper = dynamic_cast<CNpcChar*>(Make(CHAR_KIND_NPC, 50, chartest::kNpcRes));
    ASSERT_NE(keeper, nullptr);
    keeper->m_functionFlags = 1u << NPC_FUNCTION_FORTRESS_BOARD;
    keeper->m_x = player->m_x + 60;
    keeper->m_y = player->m_y;
    scene->m_pointedId = 50;
    scene->m_pointedKind = CHAR_KIND_NPC;
    for (int click = 0; click < 2; ++click) {
        scene->HandleGameInput(0, 0, true);
        CBaseWindow* board = g_pWindowMgr->FindWindowByName("FORTRESS_BOARD_WIN", 0, true);
        ASSERT_NE(board, nullptr);
        EXPECT_TRUE(board->IsVisibleInTree());
        const CDisplaySettings& screen = GetDisplaySettings();
        EXPECT_EQ(board->GetX(), (screen.screenWidth - 120) / 2);
        EXPECT_EQ(board->GetY(), (screen.screenHeight - 80) / 2);
        board->Hide();
    }
    // One board, found the second time; no talk and no walk.
    EXPECT_EQ(Sent(67), 2u);
    EXPECT_EQ(Sent(20), 0u);
    EXPECT_TRUE(Walks().empty());
}

class MenuWindow : public uitest::TestWindow, public IFunctionMenu {
public:
    explicit MenuWindow(const char* name) : TestWindow(name) {}
    uint32_t GetTargetId() override { return target; }
    void SetTarget(uint32_t charId, const char*) override { target = charId; }
    uint32_t target = 0;
};

TEST_F(GameInputTest, FunctionMenusAreAimedAtTheCharacterTheyServe) {
    RegisterWindowClass("NPC_FUNCTION_SELECT_WIN",
                        [] { return static_cast<CBaseWindow*>(new MenuWindow("NPC_FUNCTION_SELECT_WIN")); });
    RegisterWindowClass("PC_FUNCTION_SELECT_WIN",
                        [] { return static_cast<CBaseWindow*>(new MenuWindow("PC_FUNCTION_SELECT_WIN")); });
    CChar* player = nullptr;
    WorldScene* scene = SceneWithPlayer(&player);
    ASSERT_NE(player, nullptr);
    auto* npcMenu = dynamic_cast<MenuWindow*>(scene->Windows().Get("NPC_FUNCTION_SELECT_WIN"));
    auto* pcMenu = dynamic_cast<MenuWindow*>(scene->Windows().Get("PC_FUNCTION_SELECT_WIN"));
    ASSERT_TRUE(npcMenu && pcMenu);
    CChar* guard = Make(CHAR_KIND_NPC, 50, chartest::kNpcRes);
    CChar* other = Make(CHAR_KIND_NPC, 51, chartest::kNpcRes);
    CChar* someone = Make(CHAR_KIND_PLAYER, 60);
    ASSERT_TRUE(guard && other && someone);

    // A right click on an NPC: its service opened once, the menu aimed at it.
    scene->m_pointedId = 50;
    scene->m_pointedKind = CHAR_KIND_NPC;
    EXPECT_TRUE(scene->HandleRightClick(0, 0));
    EXPECT_EQ(npcMenu->target, 50u);
    EXPECT_TRUE(npcMenu->IsVisibleInTree());
    scene->HandleRightClick(0, 0);
    EXPECT_EQ(Sent(5), 1u);
    scene->m_pointedId = 51;
    scene->HandleRightClick(0, 0);
    EXPECT_EQ(Sent(5), 2u);
    EXPECT_EQ(npcMenu->target, 51u);
    // A left click on an NPC that only talks puts the menu away.
    scene->HandleGameInput(0, 0, true);
    EXPECT_FALSE(npcMenu->IsVisibleInTree());

    // Alt-click on a player walked toward: the player menu on it.
    plat::FakeKeyState keys;
    plat::ScopedKeyState scopedKeys(keys);
    scene->QueueCharacterAction(someone);
    scene->m_pointedId = scene->m_pointedKind = -1;
    keys.SetKeyDown(plat::VK_MENU, true);
    EXPECT_TRUE(scene->HandleGameInput(0, 0, true));
    EXPECT_EQ(pcMenu->target, 60u);
    EXPECT_TRUE(pcMenu->IsVisibleInTree());

    // Shift over a player kept pointed: the player menu on it.
    CChar* rival = Make(CHAR_KIND_PLAYER, 61);
    ASSERT_NE(rival, nullptr);
    rival->m_attackable = 1;
    const AniRect box = rival->GetAniObject()->GetBounds(false, false);
    m_driver.Input().m_mouseX = (box.left + box.right) / 2;
    m_driver.Input().m_mouseY = (box.top + box.bottom) / 2;
    scene->m_pointedId = 61;
    scene->m_pointedKind = CHAR_KIND_PLAYER;
    keys.SetKeyDown(plat::VK_MENU, false);
    scene->UpdatePointedTarget();
    EXPECT_EQ(pcMenu->target, 60u);  // not without Shift
    keys.SetKeyDown(plat::VK_SHIFT, true);
    scene->UpdatePointedTarget();
    EXPECT_EQ(scene->GetPointedId(), 61);
    EXPECT_EQ(pcMenu->target, 61u);
}

class ChatWindow : public uitest::TestWindow, public IChatMemoButton {
public:
    ChatWindow() : TestWindow("MSGWIN") {}
    void GetMemoButtonPosition(float* x, float* y) override {
        *x = 100;
        *y = 0;
    }
    void StartMemoBlink() override { ++blinks; }
    int blinks = 0;
};

TEST_F(GameInputTest, AltClickSendsAMarkerToTheMemoButtonOrDropsItWithoutAChatWindow) {
    MakePlayer();
    plat::FakeKeyState keys;
    plat::ScopedKeyState scopedKeys(keys);
    keys.SetKeyDown(plat::VK_MENU, true);
    {
        WorldScene* scene = MakeScene();  // no chat window
        scene->m_pointedId = 1;
        scene->m_pointedKind = CHAR_KIND_PLAYER;
        EXPECT_TRUE(scene->HandleGameInput(0, 0, true));
        EXPECT_EQ(scene->GetMemoMarkerCount(), 1u);
        EXPECT_TRUE(Walks().empty());  // the Alt-click does nothing else
        scene->UpdateNameMemoMarks();
        EXPECT_EQ(scene->GetMemoMarkerCount(), 0u);
        m_main.DeleteAllChildren();
    }
    RegisterWindowClass("MSGWIN", [] { return static_cast<CBaseWindow*>(new ChatWindow); });
    WorldScene* scene = MakeScene();
    auto* chat = dynamic_cast<ChatWindow*>(scene->Windows().Get("MSGWIN"));
    ASSERT_NE(chat, nullptr);
    scene->m_pointedId = 1;
    scene->m_pointedKind = CHAR_KIND_PLAYER;
    m_driver.Input().m_mouseX = 0;
    m_driver.Input().m_mouseY = 0;
    scene->HandleGameInput(0, 0, true);
    // 100 pixels away: five steps of 20 bring it there, the sixth would not.
    for (int step = 0; step < 5; ++step) scene->UpdateNameMemoMarks();
    EXPECT_EQ(scene->GetMemoMarkerCount(), 1u);
    EXPECT_EQ(chat->blinks, 0);
    scene->UpdateNameMemoMarks();
    EXPECT_EQ(scene->GetMemoMarkerCount(), 0u);
    EXPECT_EQ(chat->blinks, 1);
}

TEST_F(GameInputTest, NoTargetMarkOverAStoreMerchantWhileItsOptionIsOff) {
    WorldScene* scene = MakeScene();
    CChar* merchant = Make(CHAR_KIND_NPC, 40, chartest::kNpcRes + 1);
    CChar* guard = Make(CHAR_KIND_NPC, 41, chartest::kNpcRes);
    ASSERT_NE(merchant, nullptr);
    ASSERT_NE(guard, nullptr);
    EXPECT_EQ(scene->TargetMarkChar(), nullptr);  // nothing pointed, nothing queued
    scene->m_pointedId = 40;
    scene->m_pointedKind = CHAR_KIND_NPC;
    g_options.SetByte(16, 0);
    EXPECT_EQ(scene->TargetMarkChar(), nullptr);
    g_options.SetByte(16, 1);
    EXPECT_EQ(scene->TargetMarkChar(), merchant);
    g_options.SetByte(16, 0);
    scene->m_pointedId = 41;
    EXPECT_EQ(scene->TargetMarkChar(), guard);
    scene->m_pointedId = 99;  // gone from the field
    EXPECT_EQ(scene->TargetMarkChar(), nullptr);
    scene->QueueAttack(merchant, true);  // a queued target is marked whatever it is
    EXPECT_EQ(scene->TargetMarkChar(), merchant);
    scene->ClearQueuedActions();
    EXPECT_EQ(scene->TargetMarkChar(), nullptr);
}

TEST_F(GameInputTest, AnAttackedTargetsEnergyBarFollowsItsOption) {
    CChar* player = nullptr;
    WorldScene* scene = SceneWithPlayer(&player);
    CChar* wolf = Make(CHAR_KIND_MONSTER, 60, chartest::kMonsterRes);
    ASSERT_NE(wolf, nullptr);
    wolf->GetData()->m_values[VALUE_ENERGY] = 50;
    wolf->GetData()->m_values[VALUE_ENERGY_MAX] = 100;
    // Pointed only: no bar, whatever the option.
    g_options.SetByte(35, 1);
    scene->m_pointedId = 60;
    scene->m_pointedKind = CHAR_KIND_MONSTER;
    scene->Draw();
    EXPECT_EQ(wolf->GaugeLength(0), -1.0f);
    // Attacked: the bar moves only while the option is 1.
    scene->QueueAttack(wolf, true);
    g_options.SetByte(35, 0);
    scene->Draw();
    EXPECT_EQ(wolf->GaugeLength(0), -1.0f);
    g_options.SetByte(35, 1);
    scene->Draw();
    EXPECT_NE(wolf->GaugeLength(0), -1.0f);
}

struct PremiumNotice : IPremiumNotice {
    bool AddNotice(bool, bool, bool show) override {
        if (show) ++shown;
        return true;
    }
    bool IsEventIdle() override { return true; }
    int shown = 0;
};

TEST_F(GameInputTest, ThePremiumNoticeIsSteppedWithTheWorldAndClearedOnLeaving) {
    PremiumNotice notice;
    ScopedPremiumNotice installNotice(notice);
    CPremiumItemNotifyMgr premium;
    g_pPremiumItemNotifyMgr = &premium;
    CChar* player = nullptr;
    WorldScene* scene = SceneWithPlayer(&player);
    premium.RequestShow();
    premium.RequestRefresh();
    scene->Update();
    EXPECT_EQ(notice.shown, 1);
    EXPECT_FALSE(premium.IsShowPending());
    premium.RequestRefresh();
    scene->Release();
    EXPECT_FALSE(premium.IsRefreshPending());
    g_pPremiumItemNotifyMgr = nullptr;
}

TEST_F(GameInputTest, VersionAndClockLinesAreLeftOutOnADarkScreenOrUnderTheWebPage) {
    RegisterWindowClass("WebWindow",
                        [] { return static_cast<CBaseWindow*>(new uitest::TestWindow("WebWindow")); });
    WorldScene* scene = MakeScene();
    CBaseWindow* web = scene->Windows().Get("WebWindow");
    ASSERT_NE(web, nullptr);
    EXPECT_TRUE(scene->DrawVersionAndClock());
    web->Show();
    EXPECT_FALSE(scene->DrawVersionAndClock());
    web->Hide();
    g_darkScreen = 1;
    EXPECT_FALSE(scene->DrawVersionAndClock());
}

}  // namespace
