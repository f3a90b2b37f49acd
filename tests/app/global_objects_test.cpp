// Start-up and shutdown with the program's own global objects: the orders in
// which they are made and deleted, no global left behind, and every hook,
// sink and service the program has installed while it runs.
#include "core/global_objects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "anim/ani_mgr.h"
#include "anim/ani_play_mgr.h"
#include "anim/ani_services.h"
#include "anim/darkness_overlay.h"
#include "anim/render_queue.h"
#include "app/globals.h"
#include "core/app_state.h"
#include "core/application.h"
#include "core/config.h"
#include "core/draw_object.h"
#include "core/error_box.h"
#include "core/frame_hooks.h"
#include "core/input_mgr.h"
#include "core/main_mgr.h"
#include "core/main_window.h"
#include "core/resource_cache.h"
#include "data/char_resource_mgr.h"
#include "data/cooking_recipe_mgr.h"
#include "data/data_startup.h"
#include "data/game_hooks.h"
#include "data/item_table_mgr.h"
#include "data/meta_cache.h"
#include "data/pack_archive.h"
#include "data/premium_item_mgr.h"
#include "data/row_table_mgr.h"
#include "data/skill_table_mgr.h"
#include "data/text_tables.h"
#include "effects/base/effect_player_mgr.h"
#include "graphics/device_set.h"
#include "graphics/direct3d.h"
#include "graphics/direct_draw.h"
#include "graphics/image_mgr.h"
#include "graphics/sprite.h"
#include "graphics/tex_image.h"
#include "graphics/text_renderer.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "net/handlers/event_records.h"
#include "net/handlers/server_windows.h"
#include "net/net_startup.h"
#include "net/packet_fields.h"
#include "platform/command_line.h"
#include "platform/message_box.h"
#include "platform/socket.h"
#include "platform/window.h"
#include "platform/window_scripted.h"
#include "scenes/scene_services.h"
#include "script/event_mgr.h"
#include "script/event_services.h"
#include "script/script_effects.h"
#include "script/script_mgr.h"
#include "sound/sound_mgr.h"
#include "sound/sound_services.h"
#include "tests/core/program_fixture.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/temp_dir.h"
#include "ui/edit_mgr.h"
#include "ui/items/item_world.h"
#include "ui/ui_requests.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"
#include "world/chars/char_mgr.h"
#include "world/chars/char_services.h"
#include "world/chars/skill_action.h"
#include "world/cursor.h"
#include "world/map/map.h"
#include "world/map/map_services.h"

namespace {

// Whether the program makes a slot's objects yet.
enum SlotState { kMade, kNotYet };
struct SlotRow {
    const char* name;
    SlotState state;
};

// Every start-up slot in the order in which start-up runs it: the file-job
// manager, the pack and the text tables before the main window; the firewall
// step after it; then the steps of InitApplication and the start objects.
// A slot marked made must have what makes its objects (its factory, or the
// core's own code), so a step that would run and do nothing fails the test;
// a slot not made yet has nothing. The issue that builds a slot's objects
// marks its row made.
const SlotRow kSlots[] = {
    {"FileJobMgr", kMade},
    {"PackArchive", kMade},
    {"TextTables", kMade},
    {"Firewall", kMade},
    {"TextBuffers", kMade},
    {"Network", kMade},
    {"ResourceCaches", kMade},
    {"GlobalMsgQueue", kMade},
    {"DirectX", kMade},
    {"InputMgr", kMade},
    {"MapModel3DMgr", kMade},
    {"MainMgr", kMade},
    {"Fonts", kMade},
    {"WindowMgr", kMade},
    {"EditMgr", kMade},
    {"AniPlayMgr", kMade},
    {"ItemTableMgr", kMade},
    {"SkillTableMgr", kMade},
    {"TexImageMgr", kMade},
    {"RenderQueue", kMade},
    {"TextRenderer", kMade},
    {"AniMgr", kMade},
    {"ObjSpriteMgr", kMade},
    {"ImageMgr", kMade},
    {"CharResourceMgr", kMade},
    {"Map", kMade},
    {"CharMgr", kMade},
    {"DarknessOverlay", kMade},
    {"SoundMgr", kMade},
    {"ScriptMgr", kMade},
    {"EventMgr", kMade},
    {"ParticleMgr", kNotYet},
    {"EffectObjMgr", kNotYet},
    {"AmbientEffectMgr", kNotYet},
    {"ToonObjMgr", kMade},
    {"AfterManagers", kMade},
    {"EffectPlayerMgr", kMade},
    {"MetaCache", kMade},
    {"CookRecipeMgr", kMade},
    {"RowTableMgr", kMade},
    {"PremiumItemNotifyMgr", kMade},
    {"SoundConfig", kMade},
    {"StartObjects", kMade},
    // Deleted only, at shutdown.
    {"Connection", kMade},
    {"GdiFonts", kMade},
};
const std::vector<std::string> kDeletedOnly = {"Connection", "GdiFonts"};

// The order in which shutdown deletes them; the text tables go last, after
// the main window.
const std::vector<std::string> kDeletionOrder = {
    "PremiumItemNotifyMgr",
    "RowTableMgr",
    "CookRecipeMgr",
    "MetaCache",
    "EffectPlayerMgr",
    "ToonObjMgr",
    "EventMgr",
    "SoundMgr",
    "AmbientEffectMgr",
    "EffectObjMgr",
    "ParticleMgr",
    "ScriptMgr",
    "TextRenderer",
    "Fonts",
    "WindowMgr",
    "ItemTableMgr",
    "SkillTableMgr",
    "CharMgr",
    "CharResourceMgr",
    "Map",
    "ImageMgr",
    "AniPlayMgr",
    "RenderQueue",
    "TexImageMgr",
    "ObjSpriteMgr",
    "DirectX",
    "InputMgr",
    "MainMgr",
    "AniMgr",
    "DarknessOverlay",
    "EditMgr",
    "GlobalMsgQueue",
    "MapModel3DMgr",
    "ResourceCaches",
    "Connection",
    "GdiFonts",
    "PackArchive",
    "FileJobMgr",
    "Network",
    "TextTables",
};

bool IsMade(const std::string& name) {
    for (const SlotRow& row : kSlots)
        if (name == row.name) return row.state == kMade;
    ADD_FAILURE() << "no row for slot " << name;
    return false;
}

// The slots of an order that the program makes, in that order.
std::vector<std::string> Made(const std::vector<std::string>& order) {
    std::vector<std::string> out;
    for (const std::string& name : order)
        if (IsMade(name)) out.push_back(name);
    return out;
}

std::vector<std::string> MadeAtStartUp() {
    std::vector<std::string> out;
    for (const SlotRow& row : kSlots)
        if (row.state == kMade &&
            std::find(kDeletedOnly.begin(), kDeletedOnly.end(), row.name) == kDeletedOnly.end())
            out.push_back(row.name);
    return out;
}

// Whether a hook is installed while the program runs.
enum HookState {
    kInstalled,  // by start-up, and removed again by shutdown
    kKept,       // with the factories, before start-up, and kept (it holds no object)
    kAbsent,     // its far side does not exist yet: the caller takes its "missing" path
};
struct HookRow {
    const char* name;
    std::function<bool()> installed;
    HookState state;
};

// Every hook, sink and service interface the program has. The issue that
// builds a far side installs it and changes its row; a new seam gets a row.
std::vector<HookRow> HookTable() {
    return {
        // The error box and the message window.
        {"error box: display and main window", [] { return GetErrorBoxHost() != nullptr; }, kInstalled},
        {"one-to-one chat maker", [] { return GetOneToOneChatMaker() != nullptr; }, kKept},
        {"message window sink", [] { return GetMessageWinSink() != nullptr; }, kKept},
        // The frame loop and the main window procedure.
        {"frame: sound tick", [] { return GetSoundFrameClient() != nullptr; }, kInstalled},
        {"frame: network pump", [] { return GetNetworkFrameClient() != nullptr; }, kKept},
        {"frame: file jobs", [] { return GetFileJobFrameClient() != nullptr; }, kInstalled},
        {"frame: display", [] { return GetFrameDisplay() != nullptr; }, kInstalled},
        {"frame: socket events", [] { return GetSocketEvents() != nullptr; }, kKept},
        {"frame: disconnect notice", [] { return GetDisconnectNotice() != nullptr; }, kInstalled},
        {"frame: child window", [] { return GetChildWindowHost() != nullptr; }, kKept},
        {"frame: activation", [] { return GetActivationListener() != nullptr; }, kInstalled},
        {"frame: surface cache queue", [] { return GetSurfaceCacheFrameClient() != nullptr; }, kInstalled},
        {"frame: sound cache queue", [] { return GetSoundCacheFrameClient() != nullptr; }, kInstalled},
        // The network.
        {"socket notifications to the main window", [] { return plat::GetSocketNotifyPoster() != nullptr; },
         kInstalled},
        {"socket notifications polled with the window messages", [] { return HasSocketPumpHook(); },
         kInstalled},
        {"session: disconnect notice", [] { return GameSession().HasDisconnectNotice(); }, kInstalled},
        {"item number limits", [] { return GetItemNumberLimitLookup() != nullptr; }, kInstalled},
        // The animation layer's services.
        {"animation: characters", [] { return GetAniCharacters() != nullptr; }, kInstalled},
        {"animation: field", [] { return GetAniField() != nullptr; }, kInstalled},
        {"animation: sound", [] { return GetAniSound() != nullptr; }, kInstalled},
        {"animation: events", [] { return GetAniEvents() != nullptr; }, kInstalled},
        {"animation: windows", [] { return GetAniWindows() != nullptr; }, kInstalled},
        {"animation: particles", [] { return GetAniParticles() != nullptr; }, kAbsent},
        {"animation: toon objects", [] { return GetAniToonObjects() != nullptr; }, kInstalled},
        {"animation: map-object models", [] { return GetAniMeshModels() != nullptr; }, kInstalled},
        {"animation: names", [] { return GetAniNameLookup() != nullptr; }, kKept},
        // What the core and the data layer reach through hooks.
        {"drawing objects: animated objects", [] { return GetAniObjectHooks() != nullptr; }, kInstalled},
        {"drawing objects: character resources", [] { return GetCharResourceHooks() != nullptr; },
         kInstalled},
        {"drawing objects: cursor", [] { return GetCursorHooks() != nullptr; }, kInstalled},
        {"resource caches: file entries", [] { return GetResourceEntryFactory() != nullptr; }, kKept},
        {"character resources: shadow", [] { return GetShadowSpriteFactory() != nullptr; }, kInstalled},
        {"item tables: item icons", [] { return GetItemObjectFactory() != nullptr; }, kKept},
        {"premium items: requests", [] { return GetPremiumRequests() != nullptr; }, kInstalled},
        {"premium items: notice", [] { return GetPremiumNotice() != nullptr; }, kAbsent},
        {"game world", [] { return GetGameWorldHooks() != nullptr; }, kKept},
        {"game world: sound manager", [] { return GameWorld().HasSoundMgr(); }, kInstalled},
        {"game world: map", [] { return GameWorld().HasMap(); }, kInstalled},
        {"game world: party lists", [] { return GameWorld().MakePartyList() != nullptr; }, kInstalled},
        {"game world: event records",
         [] { return GameWorld().PostEventRecord(std::make_unique<CEventBlockMsg>(), 0); }, kInstalled},
        // What the map reaches through seams.
        {"map: sound", [] { return GetFieldSound() != nullptr; }, kInstalled},
        {"map: effects", [] { return GetFieldEffects() != nullptr; }, kAbsent},
        {"map: characters", [] { return GetMapCharacters() != nullptr; }, kInstalled},
        {"characters: effect lists", [] { return GetCharEffects() != nullptr; }, kInstalled},
        {"characters: recipe and cookbook use rule", [] { return GetItemClassUseRule() != nullptr; },
         kAbsent},
        {"characters: skill effects", [] { return GetSkillEffects() != nullptr; }, kInstalled},
        {"characters: skill scripts", [] { return GetSkillScripts() != nullptr; }, kInstalled},
        // What the script natives reach through seams.
        {"scripts: effects", [] { return GetScriptEffects() != nullptr; }, kAbsent},
        // What the sound manager reads of the layers above it.
        {"sound: event music volume", [] { return GetSoundEvents() != nullptr; }, kInstalled},
        {"sound: characters of an impact", [] { return GetSoundCharacters() != nullptr; }, kKept},
        // What the windows reach through seams.
        {"windows: cursor object", [] { return g_pWindowMgr && g_pWindowMgr->GetCursorObject(); },
         kInstalled},
        {"windows: event state", [] { return GetUiEventState() != nullptr; }, kInstalled},
        {"windows: message box state", [] { return GetMessageBoxState() != nullptr; }, kInstalled},
        {"windows: sound effects", [] { return GetUiSound() != nullptr; }, kInstalled},
        {"main window: text-input control", [] { return g_pEditControl != nullptr; }, kInstalled},
        {"screenshot saved", [] { return GetScreenshotSavedHook() != nullptr; }, kInstalled},
        // What the server-message handlers reach through seams.
        {"server messages: windows", [] { return GetServerWindows() != nullptr; }, kInstalled},
        {"server messages: message boxes", [] { return GetServerMessageBoxes() != nullptr; }, kInstalled},
        {"windows: requests", [] { return GetUiRequests() != nullptr; }, kInstalled},
        {"item icons: world", [] { return GetItemWorld() != nullptr; }, kKept},
        // The scenes' services.
        {"scenes: fades", [] { return GetScreenFadeMaker() != nullptr; }, kKept},
        {"scenes: events", [] { return GetSceneEvents() != nullptr; }, kInstalled},
        {"scenes: scripts", [] { return GetSceneScripts() != nullptr; }, kInstalled},
        {"scenes: field effects", [] { return GetSceneFieldEffects() != nullptr; }, kInstalled},
        {"scenes: music", [] { return GetSceneMusic() != nullptr; }, kInstalled},
        {"scenes: intro movie", [] { return GetSceneMovies() != nullptr; }, kKept},
        // What the events reach through seams.
        {"events: sounds", [] { return GetEventSounds() != nullptr; }, kInstalled},
        {"events: movies", [] { return GetEventMovies() != nullptr; }, kKept},
        {"events: effects", [] { return GetEventEffects() != nullptr; }, kAbsent},
    };
}

// Every program-wide pointer of the objects that start-up makes so far, by name.
std::vector<std::pair<std::string, const void*>> GlobalPointers() {
    return {
        {"file jobs", g_pAsyncFileMgr},
        {"pack", g_pPackFile},
        {"text tables", g_pTextTables},
        {"surface cache", g_pSurfaceCache},
        {"sound-entry cache", g_pSoundCache},
        {"texture cache", g_pTextureCache},
        {"image cache", g_pImageCache},
        {"message queue", g_pGlobalMsgQueue},
        {"device set", g_pDirectX},
        {"display", g_pDirectDraw},
        {"Direct3D", g_pDirect3D},
        {"input", g_pInputMgr},
        {"main manager", g_pMainMgr},
        {"texture images", g_pTexImageMgr},
        {"text renderer", g_pTextRenderer},
        {"sprite objects", g_pObjSpriteMgr},
        {"images", g_pImageMgr},
        {"animations", g_pAniMgr},
        {"placed animations", g_pAniPlayMgr},
        {"draw queue", g_pRenderQueue},
        {"darkness", g_pDarknessOverlay},
        {"script manager", g_pScriptMgr},
        {"event manager", g_pEventMgr},
        {"effect manager", g_pEffectPlayerMgr},
        {"item tables", g_pItemTableMgr},
        {"skill tables", g_pSkillTableMgr},
        {"character resources", g_pCharResourceMgr},
        {"table cache", g_pMetaCache},
        {"recipes", g_pCookRecipeMgr},
        {"row tables", g_pRowTableMgr},
        {"premium items", g_pPremiumItemNotifyMgr},
        {"main window", g_hMainWnd},
        {"window manager", g_pWindowMgr},
        {"map", g_pMap},
        {"characters", g_pCharMgr},
        {"cursor", g_pCursor},
        {"text input", g_pEditMgr},
        {"sound manager", g_pSoundMgr},
    };
}

class GlobalObjectsTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        InstallGlobalFactories();
        SetGlobalSlotObserver([this](GlobalSlot slot, bool created) {
            (created ? m_created : m_deleted).push_back(GlobalSlotName(slot));
            // Just before shutdown starts, every object is there.
            if (!created && m_deleted.size() == 1) WhileRunning();
        });
    }
    void TearDown() override {
        SetGlobalSlotObserver(nullptr);
        ProgramFixture::TearDown();
    }

    // Runs the program for a few frames in its window.
    int RunProgram() {
        plat::SetCommandLine("/USE_SERVER 1 /WINDOW");
        plat::CloseAfterFrames(2);
        return RunApplication();
    }

    // Notes what the running program has, as shutdown is about to begin.
    void WhileRunning() {
        for (const auto& [name, pointer] : GlobalPointers())
            if (!pointer) m_missingWhileRunning.push_back(name);
        for (const HookRow& row : HookTable()) m_hooksWhileRunning.push_back(row.installed());
        for (const char* name : kServerMadeWindows)
            if (!IsWindowClassRegistered(name)) m_unregisteredWhileRunning.push_back(name);
        for (const char* name : kPlayerMadeWindows)
            if (!IsWindowClassRegistered(name)) m_unregisteredWhileRunning.push_back(name);
        for (const char* text : g_textBuffers) m_textBuffers.emplace_back(text);
    }

    std::vector<std::string> m_created, m_deleted, m_missingWhileRunning, m_textBuffers;
    std::vector<bool> m_hooksWhileRunning;
    std::vector<std::string> m_unregisteredWhileRunning;
    // Windows the server's messages and the scene make by their identifiers.
    static constexpr const char* kServerMadeWindows[] = {
        "FightClub_Manager",  "FightClub_Config",    "FightClub_WaitWin", "FightClubCVCWaitWin",
        "FightClubNoticeWin", "CLUB_DEPOSIT_WINDOW", "FORTRESS_BOARD_WIN"};
    // Windows the player's character makes with it by their identifiers (the
    // bag makes its item-shop panel itself).
    static constexpr const char* kPlayerMadeWindows[] = {"ItemInventoryWindow", "ItemEquipWindow",
                                                         "QuickSlotWindow", "CharInfoWindow", "SKILL_WINDOW"};
};

TEST_F(GlobalObjectsTest, MadeAndDeletedInTheirOrdersAndNoneLeftBehind) {
    // What the table says is made has what makes it, and nothing else has.
    for (int i = 0; i < int(GlobalSlot::Count); ++i) {
        const GlobalSlot slot = GlobalSlot(i);
        const bool hasMaker = IsCoreGlobalSlot(slot) || HasGlobalFactory(slot);
        EXPECT_EQ(hasMaker, IsMade(GlobalSlotName(slot)))
            << GlobalSlotName(slot) << (hasMaker ? " is made: mark its row" : " has nothing that makes it");
    }
    EXPECT_EQ(RunProgram(), EXIT_NORMAL);

    EXPECT_EQ(m_created, MadeAtStartUp());
    EXPECT_EQ(m_deleted, Made(kDeletionOrder));
    EXPECT_TRUE(m_missingWhileRunning.empty()) << m_missingWhileRunning.front();
    for (const auto& [name, pointer] : GlobalPointers()) EXPECT_EQ(pointer, nullptr) << name;
    EXPECT_EQ(g_connection, nullptr);    // made when connecting, deleted at shutdown
    EXPECT_EQ(g_pSoundDevice, nullptr);  // never asked for
}

TEST_F(GlobalObjectsTest, TheRunningProgramHasEveryHookInstalled) {
    EXPECT_EQ(RunProgram(), EXIT_NORMAL);
    const std::vector<HookRow> table = HookTable();
    ASSERT_EQ(m_hooksWhileRunning.size(), table.size());
    for (size_t i = 0; i < table.size(); ++i) {
        const HookRow& row = table[i];
        const bool expected = row.state != kAbsent;
        EXPECT_EQ(m_hooksWhileRunning[i], expected)
            << row.name
            << (expected ? " is not installed while the program runs" : " is installed: change its row");
        // A hook into the objects of start-up goes with them.
        if (row.state == kInstalled) {
            EXPECT_FALSE(row.installed()) << row.name << " is left after shutdown";
        }
    }
    EXPECT_TRUE(m_unregisteredWhileRunning.empty())
        << m_unregisteredWhileRunning.front() << " has no window class";
    // Nothing polls with the window messages once the program has ended.
    EXPECT_EQ(plat::PumpHookCount(), 0u) << "a hook of the window-message pump is left after shutdown";
}

TEST_F(GlobalObjectsTest, TextBuffersHoldTheClassNames) {
    // Text table 0 with its rows 14-27; the last is longer than a buffer and
    // is cut before its double-byte character.
    std::vector<std::string> rows(28, "");
    const char* const names[] = {"Squire",       "Knight",   "Paladin", "Scout",  "Ranger",
                                 "Sharpshooter", "Acolyte",  "Priest",  "Oracle", "Apprentice",
                                 "Mage",         "Sorcerer", "Tinker"};
    for (size_t i = 0; i < std::size(names); ++i) rows[14 + i] = names[i];
    const std::string longName = std::string(62, 'a') + "\x93\xFA";
    rows[27] = longName;
    qmtest::WriteDataFile(m_dir.Path() + "/DATABASE", 37, qmtest::TextTablePlan(rows, 128));
    EXPECT_EQ(RunProgram(), EXIT_NORMAL);

    std::vector<std::string> expected(std::begin(names), std::end(names));
    expected.push_back(std::string(62, 'a'));
    EXPECT_EQ(m_textBuffers, expected);
}

}  // namespace
