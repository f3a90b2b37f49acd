// The program on the demo data set against the local server, both in this
// process: five Enters (title, world, terms, log-in, character) take it from
// the title into the game scene, which receives map 1, the user's own
// character and the two walkers of the sample world and draws the field; on
// the way, the character select and create screens, and the title's offline
// choice.
#include "tests/app/sample_field.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "app/globals.h"
#include "core/application.h"
#include "core/config.h"
#include "core/frame_hooks.h"
#include "core/global_objects.h"
#include "core/main_mgr.h"
#include "net/connection.h"
#include "platform/clock.h"
#include "platform/command_line.h"
#include "platform/display.h"
#include "platform/keyboard.h"
#include "platform/local_time.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/window.h"
#include "platform/window_scripted.h"
#include "scenes/game_scene.h"
#include "scenes/scene.h"
#include "script/script_mgr.h"
#include "script/script_runner.h"
#include "tests/app/demo_data.h"
#include "tests/app/field_program.h"
#include "tests/core/program_fixture.h"
#include "tests/support/golden_image.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/test_windows.h"
#include "tools/qmserver/qm_server.h"
#include "tools/qmserver/server_world.h"
#include "ui/button.h"
#include "ui/edit_box.h"
#include "ui/message_box.h"
#include "ui/scene_windows.h"
#include "ui/window_mgr.h"
#include "windows/play/char_message_window.h"
#include "windows/play/char_select_window.h"
#include "windows/play/chat_window.h"
#include "windows/play/login_window.h"
#include "windows/play/main_interface.h"
#include "windows/play/server_select_window.h"
#include "windows/play/terms_window.h"
#include "windows/play/title_screen.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"
#include "world/map/map.h"

namespace {

using namespace samplefield;

// The panel windows of the character's set, stand-ins for the side buttons
// to link to.
template <size_t N>
CBaseWindow* MakePanelStandIn() {
    return new uitest::TestWindow(SIDE_BUTTON_WINDOWS[N], 0, 0, 80, 80);
}
template <size_t... N>
void RegisterPanelStandIns(std::index_sequence<N...>) {
    (RegisterWindowClass(SIDE_BUTTON_WINDOWS[N], MakePanelStandIn<N>), ...);
}

class SampleFieldTest : public FieldProgramTest {};

// With the walkers held on the first tiles of their loops, the field the
// program draws is always the same picture: the walls, path, trees and
// rocks around the start, the user's mystic on the start tile, the keeper
// to the north-east and the slime to the south.
TEST_F(SampleFieldTest, TheFieldIsDrawnWithThePlayerTheKeeperAndTheSlime) {
    for (CServerWalker& walker : m_world.walkers) walker.loop.resize(1);
    int settled = 0;
    qmtest::RgbImage field;
    EXPECT_EQ(Run([&] {
                  if (!InField()) return false;
                  // A few seconds of the program's time: the map's banner and
                  // the screen's fade have ended, the ground is drawn whole.
                  if (++settled < 100) return false;
                  if (settled > 100) return true;
                  field = Shown();
                  return true;
              }),
              EXIT_NORMAL);
    EXPECT_EQ(m_way.Enters(), 5);
    EXPECT_TRUE(m_boxes.Boxes().empty()) << BoxTexts(m_boxes);
    ASSERT_GE(settled, 100) << "the field was not reached";
    ASSERT_FALSE(field.rgb.empty());
    size_t lit = 0;
    for (size_t i = 0; i + 2 < field.rgb.size(); i += 3)
        if (field.rgb[i] || field.rgb[i + 1] || field.rgb[i + 2]) ++lit;
    // The start lies near the map's corner: beyond its walls the screen is black.
    EXPECT_GT(lit, field.rgb.size() / 3 / 4) << "the screen shows the field";
    EXPECT_TRUE(qmtest::MatchesGolden(field, "tests/app/golden/sample_field.png"));
}

// In the field the play screen's windows stand: the main interface, the chat
// with its two fields, the status icons, a bubble for each character; the
// character's arrival links the side buttons to its panel windows (made here
// from stand-ins, as their own classes are not all there yet), the server's
// status block fills the panel's values and its welcome line the chat.
TEST_F(SampleFieldTest, ThePlayScreensWindowsStandAndTheArrivalLinksTheSideButtons) {
    RegisterPanelStandIns(std::make_index_sequence<SIDE_BUTTON_COUNT>());
    int settled = 0;
    std::vector<std::string> missing, links;
    std::string welcome;
    uint32_t life = 0;
    bool bubble = false, orderRead = false;
    EXPECT_EQ(Run([&] {
                  if (!InField() || ++settled < 30) return false;
                  missing.clear();
                  links.clear();
                  for (const char* name :
                       {"Z5MAINWIN", "MSGWIN", "CHATWIN", "HEADWORDWIN", "ABNORMAL_STATUS_ICON_WIN"})
                      if (!g_pWindowMgr->FindWindowByName(name)) missing.push_back(name);
                  CChar* player = g_pCharMgr->GetPlayer();
                  bubble = dynamic_cast<CCharMessageWindow*>(player->GetAction()->SpeechWindow()) != nullptr;
                  life = player->GetData()->m_values[0];
                  if (auto* main = FindWindow<CMainInterface>(MAIN_INTERFACE_NAME)) {
                      orderRead = main->IsOrderRead();
                      for (int i = 0; i < SIDE_BUTTON_COUNT; ++i) {
                          CButton* button = main->SideButton(i);
                          CBaseWindow* linked = button ? button->GetLinkedWindow() : nullptr;
                          links.push_back(std::to_string(button ? button->GetKindId() : 99) + " " +
                                          (linked ? linked->GetName() : "-"));
                      }
                  }
                  if (auto* chat = FindWindow<CChatWindow>(CHAT_WINDOW_NAME); chat && chat->LineCount() > 0)
                      welcome = chat->Line(0).text;
                  return true;
              }),
              EXIT_NORMAL);
    ClearWindowClasses();  // the next run registers the program's own again
    EXPECT_TRUE(m_boxes.Boxes().empty()) << BoxTexts(m_boxes);
    EXPECT_TRUE(missing.empty()) << missing.front();
    EXPECT_TRUE(bubble) << "the player's speech bubble";
    EXPECT_TRUE(orderRead);
    std::vector<std::string> expected;
    for (int i = 0; i < SIDE_BUTTON_COUNT; ++i)
        expected.push_back(std::to_string(i) + " " + SIDE_BUTTON_WINDOWS[i]);
    EXPECT_EQ(links, expected);
    EXPECT_EQ(life, 120u) << "the status block's life";
    EXPECT_EQ(welcome.rfind("Welcome to the sample world!", 0), 0u) << welcome;
}

// The keeper and the slime go round their loops: the move orders the server
// sends about once a second walk them to other tiles, frame by frame.
TEST_F(SampleFieldTest, TheWalkersMoveOverFrames) {
    std::pair<int32_t, int32_t> keeperStart{-1, -1}, slimeStart{-1, -1};
    std::vector<std::pair<int32_t, int32_t>> keeperTiles;
    bool keeperMoved = false, slimeMoved = false;
    std::string blocked = "not looked at";
    EXPECT_EQ(Run([&] {
                  if (!InField()) return false;
                  if (keeperStart.first < 0) {
                      keeperStart = TileOf(kKeeperId);
                      slimeStart = TileOf(kSlimeId);
                      // The start and every tile of the loops are open ground on map 1.
                      blocked.clear();
                      std::vector<std::pair<uint16_t, uint16_t>> tiles = {{m_world.startX, m_world.startY}};
                      for (const CServerWalker& walker : m_world.walkers)
                          tiles.insert(tiles.end(), walker.loop.begin(), walker.loop.end());
                      for (const auto& [x, y] : tiles)
                          if (!g_pMap->IsPassableAt(x, y))
                              blocked += std::to_string(x) + "," + std::to_string(y) + " ";
                  }
                  const auto keeper = TileOf(kKeeperId);
                  if (keeperTiles.empty() || keeperTiles.back() != keeper) keeperTiles.push_back(keeper);
                  keeperMoved = keeperMoved || keeper != keeperStart;
                  slimeMoved = slimeMoved || TileOf(kSlimeId) != slimeStart;
                  // Two tiles on the way: a walk over frames, not a jump.
                  return keeperMoved && slimeMoved && keeperTiles.size() >= 3;
              }),
              EXIT_NORMAL);
    EXPECT_TRUE(m_boxes.Boxes().empty()) << BoxTexts(m_boxes);
    EXPECT_EQ(blocked, "");
    EXPECT_EQ(m_world.stage, 1);
    EXPECT_TRUE(keeperMoved);
    EXPECT_TRUE(slimeMoved);
    EXPECT_GE(keeperTiles.size(), 3u);
    // The keeper keeps to open ground near its loop (15-19, 10-12): its way
    // between two corners may pass through the middle of a cell.
    for (const auto& [x, y] : keeperTiles) {
        EXPECT_TRUE(x >= 13 && x <= 21 && y >= 8 && y <= 14) << x << "," << y;
    }
}

// The Keeper greets the player with its skill as the field opens: the skill
// has no effect, so its script "Sparkle" runs, owned by the Keeper's skill
// action; it places the sparkle on the start tile under the runner's serial,
// plays it once and removes it, and the action then stops the runner.
TEST_F(SampleFieldTest, TheKeepersSparkleRunsItsScriptAndGoes) {
    uint32_t serial = 0;
    bool ownedByKeeper = false, entrySeen = false, entryAtStart = false, allGone = false;
    int framesWithRunner = 0;
    EXPECT_EQ(Run(
                  [&] {
                      if (!InField() || !g_pScriptMgr || !g_pAniPlayMgr) return false;
                      const auto& runners = g_pScriptMgr->Runners();
                      if (!runners.empty()) {
                          const CScriptRunner* runner = runners.front().get();
                          if (runner->GetScript()->GetName() != "Sparkle") return true;
                          serial = runner->GetSerial();
                          ownedByKeeper = runner->GetOwnerChar() == g_pCharMgr->GetChar(kKeeperId);
                          ++framesWithRunner;
                          for (CAniPlayEntry* e : g_pAniPlayMgr->Entries())
                              if (e->m_userValue == serial && e->m_aniIndex == 4900) {
                                  entrySeen = true;
                                  entryAtStart = e->m_pObject->m_mapX == 300 && e->m_pObject->m_mapY == 150;
                              }
                          return false;
                      }
                      if (serial == 0) return false;
                      // The runner has gone: so has every entry it made.
                      allGone = true;
                      for (CAniPlayEntry* e : g_pAniPlayMgr->Entries())
                          if (e->m_userValue == serial || e->m_aniIndex == 4900) allGone = false;
                      return true;
                  },
                  3000),
              EXIT_NORMAL);
    EXPECT_NE(serial, 0u) << "the script never ran";
    EXPECT_TRUE(ownedByKeeper);
    EXPECT_TRUE(entrySeen);
    EXPECT_TRUE(entryAtStart);
    EXPECT_GT(framesWithRunner, 5);  // it played over frames
    EXPECT_TRUE(allGone);
    EXPECT_TRUE(m_boxes.Boxes().empty()) << BoxTexts(m_boxes);
}

// A left click at the screen point: the pointer moves there, presses and lets go.
void ClickAt(int x, int y) {
    const plat::LParam at = plat::MakeLParam(x, y);
    plat::PostMessage(plat::WM_MOUSEMOVE, 0, at);
    plat::PostMessage(plat::WM_LBUTTONDOWN, plat::MK_LBUTTON, at);
    plat::PostMessage(plat::WM_LBUTTONUP, 0, at);
}

// The character select screen shows the account's character, Ardent the
// mystic, on the first pedestal and large beside its name; Create leads to
// the create screen with the knight, the first of the two playable types.
TEST_F(SampleFieldTest, TheCharacterScreensShowTheAccountsCharacterAndTheTypes) {
    qmtest::RgbImage select, create;
    int settled = 0;
    EXPECT_EQ(Run([&] {
                  if (select.rgb.empty()) {
                      // Four Enters: the title, the world, the terms and the log-in.
                      if (m_way.Enters() < 4) {
                          m_way.Step();
                          return false;
                      }
                      auto* window = FindWindow<CCharSelectWindow>(CHAR_SELECT_WINDOW_NAME);
                      if (!window || !window->IsListReady() || ++settled < 60) return false;
                      select = Shown();
                      settled = 0;
                      ClickAt(563 + 60, 357 + 14);  // Create
                      return false;
                  }
                  if (SceneKind() != SCENE_CHAR_CREATE || ++settled < 60) return false;
                  create = Shown();
                  return true;
              }),
              EXIT_NORMAL);
    EXPECT_TRUE(m_boxes.Boxes().empty()) << BoxTexts(m_boxes);
    ASSERT_FALSE(select.rgb.empty()) << "the select screen was not reached";
    ASSERT_FALSE(create.rgb.empty()) << "the create screen was not reached";
    EXPECT_TRUE(qmtest::MatchesGolden(select, "tests/app/golden/char_select_screen.png"));
    EXPECT_TRUE(qmtest::MatchesGolden(create, "tests/app/golden/char_create_screen.png"));
}

// Offline on the title: the offline scene makes the local character from the
// demo's player table, plays the visual event 0379 on its stage (the player
// as its lead, the Keeper beside) to its end without a box and hands back to
// the title; server mode is back after it.
TEST_F(SampleFieldTest, TheOfflineChoiceMakesTheLocalCharacterAndComesBackToTheTitle) {
    std::vector<uint32_t> scenes;
    bool playerMade = false, serverOff = false;
    int settled = 0;
    EXPECT_EQ(Run([&] {
                  const uint32_t kind = SceneKind();
                  if (scenes.empty() || scenes.back() != kind) {
                      scenes.push_back(kind);
                      settled = 0;
                  }
                  if (kind == SCENE_OFFLINE) {
                      // The event's lead afterwards: the player only at first.
                      playerMade = playerMade || (g_pCharMgr && g_pCharMgr->GetPlayer());
                      serverOff = !g_config.m_useServer;
                  }
                  auto* title = FindWindow<CTitleScreen>(TITLE_SCREEN_WINDOW_NAME);
                  if (kind != SCENE_TITLE || !title || !title->IsActive()) return false;
                  ++settled;
                  const auto titles = std::count(scenes.begin(), scenes.end(), uint32_t(SCENE_TITLE));
                  if (titles == 1 && settled == 5) ClickAt(400, 450);  // Offline
                  return titles == 2 && settled >= 5;
              }),
              EXIT_NORMAL);
    EXPECT_TRUE(m_boxes.Boxes().empty()) << BoxTexts(m_boxes);
    const std::vector<uint32_t> expected{SCENE_TITLE, SCENE_OFFLINE, SCENE_TITLE};
    EXPECT_NE(std::search(scenes.begin(), scenes.end(), expected.begin(), expected.end()), scenes.end());
    EXPECT_TRUE(playerMade) << "the local character";
    EXPECT_TRUE(serverOff) << "no server while the offline scene runs";
    EXPECT_TRUE(g_config.m_useServer) << "server mode is back";
}

// In the field the program answers the server and the player: a click walks
// the player, who reports the new tile (request 51); a notice the server
// sends shows on the notice line; leaving for the title closes the
// connection and brings the title back.
TEST_F(SampleFieldTest, AClickWalksANoticeShowsAndTheWayOutLeadsToTheTitle) {
    enum { WALK, REPORTED, NOTICED, LEAVING } phase = WALK;
    std::pair<int32_t, int32_t> start{-1, -1}, walked{-1, -1};
    std::string notice;
    bool titleWithoutServer = false;
    int settled = 0, waited = 0;
    EXPECT_EQ(Run([&] {
                  switch (phase) {
                      case WALK:
                          // Once the field has settled, a click on open ground
                          // north-east of the player.
                          if (!InField() || ++settled < 60) return false;
                          start = TileOf(g_pCharMgr->GetPlayer()->GetCharId());
                          ClickAt(500, 250);
                          phase = REPORTED;
                          return false;
                      case REPORTED:
                          if (!m_server->Logged("<- 51")) {
                              // The keeper walks its loop there: when it stood
                              // under the click, the click was its; again once
                              // it has gone on.
                              if (++waited % 180 == 0) ClickAt(500, 250);
                              return false;
                          }
                          walked = TileOf(g_pCharMgr->GetPlayer()->GetCharId());
                          m_server->Announce("The keeper waits by the well.");
                          phase = NOTICED;
                          return false;
                      case NOTICED: {
                          CGameScene* scene = nullptr;
                          for (CMsgObject* object : g_pMainMgr->Children())
                              if (!scene) scene = dynamic_cast<CGameScene*>(object);
                          if (!scene || !*scene->Overlays().GetNoticeText()) return false;
                          notice = scene->Overlays().GetNoticeText();
                          scene->LeaveToTitleScene();
                          phase = LEAVING;
                          return false;
                      }
                      case LEAVING:
                          titleWithoutServer =
                              samplefield::SceneKind() == SCENE_TITLE && !IsServerConnected();
                          return titleWithoutServer;
                  }
                  return true;
              }),
              EXIT_NORMAL);
    EXPECT_TRUE(m_boxes.Boxes().empty()) << BoxTexts(m_boxes);
    EXPECT_EQ(phase, LEAVING);
    EXPECT_NE(start.first, -1);
    EXPECT_TRUE(m_server->Logged("<- 51")) << "the walk was reported";
    EXPECT_NE(walked, start) << "the player walked";
    EXPECT_EQ(notice, "The keeper waits by the well.");
    EXPECT_TRUE(titleWithoutServer) << "the title, the connection closed";
}

// A server that goes away in the field leaves a box that says so in words;
// a click on its OK ends the program, with the normal status.
TEST_F(SampleFieldTest, ALostConnectionInTheFieldShowsTheBoxWithItsWordsAndItsOkEndsTheProgram) {
    bool stopped = false, clicked = false;
    int framesAfterClick = 0;
    std::string words;
    EXPECT_EQ(Run([&] {
                  if (!stopped) {
                      if (!InField()) return false;
                      m_server->Stop();
                      stopped = true;
                      return false;
                  }
                  if (clicked) return ++framesAfterClick > 300;  // the program should have ended
                  auto* notice = dynamic_cast<CDisconnectNotice*>(GetDisconnectNotice());
                  CMessageBox* box = notice ? notice->GetBox() : nullptr;
                  if (!box || !box->IsDrawOn()) return false;
                  if (box->Text().Row(0).empty()) return true;
                  words = box->Text().Row(0).front().text;
                  CBaseWindow* ok = box->GetOkButton();
                  ok->UpdateRect();
                  ClickAt((ok->GetRect().left + ok->GetRect().right) / 2,
                          (ok->GetRect().top + ok->GetRect().bottom) / 2);
                  clicked = true;
                  return false;
              }),
              EXIT_NORMAL);
    EXPECT_TRUE(stopped) << "the field was reached";
    EXPECT_FALSE(words.empty()) << "the lost-connection box has its words on the demo data";
    EXPECT_TRUE(clicked);
    EXPECT_LE(framesAfterClick, 300) << "the OK ended the program";
}

}  // namespace
