// Start-up and shutdown with the program's own global objects: the orders in
// which they are made and deleted, and no global left behind.
#include "core/global_objects.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <set>
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
#include "core/frame_hooks.h"
#include "core/input_mgr.h"
#include "core/main_mgr.h"
#include "data/char_resource_mgr.h"
#include "data/cooking_recipe_mgr.h"
#include "data/data_startup.h"
#include "data/item_table_mgr.h"
#include "data/meta_cache.h"
#include "data/pack_archive.h"
#include "data/premium_item_mgr.h"
#include "data/row_table_mgr.h"
#include "data/skill_table_mgr.h"
#include "data/text_tables.h"
#include "graphics/device_set.h"
#include "graphics/direct3d.h"
#include "graphics/direct_draw.h"
#include "graphics/image_mgr.h"
#include "graphics/sprite.h"
#include "graphics/tex_image.h"
#include "graphics/text_renderer.h"
#include "net/connection.h"
#include "platform/command_line.h"
#include "platform/message_box.h"
#include "platform/window_scripted.h"
#include "sound/sound_mgr.h"
#include "tests/support/temp_dir.h"

namespace {

// The order in which start-up makes the global objects: the file-job manager,
// the pack and the text tables before the main window; the firewall step
// after it; then the steps of InitApplication and the start objects.
const std::vector<std::string> kCreationOrder = {
    "FileJobMgr",
    "PackArchive",
    "TextTables",
    "Firewall",
    "TextBuffers",
    "Network",
    "ResourceCaches",
    "GlobalMsgQueue",
    "DirectX",
    "InputMgr",
    "MapModel3DMgr",
    "MainMgr",
    "Fonts",
    "WindowMgr",
    "EditMgr",
    "AniPlayMgr",
    "ItemTableMgr",
    "SkillTableMgr",
    "TexImageMgr",
    "RenderQueue",
    "TextRenderer",
    "AniMgr",
    "ObjSpriteMgr",
    "ImageMgr",
    "CharResourceMgr",
    "Map",
    "CharMgr",
    "DarknessOverlay",
    "SoundMgr",
    "ScriptMgr",
    "EventMgr",
    "ParticleMgr",
    "EffectObjMgr",
    "AmbientEffectMgr",
    "ToonObjMgr",
    "AfterManagers",
    "EffectPlayerMgr",
    "MetaCache",
    "CookRecipeMgr",
    "RowTableMgr",
    "PremiumItemNotifyMgr",
    "SoundConfig",
    "StartObjects",
};

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

// The table managers this program has so far; each must have its place.
const std::vector<std::string> kTableManagers = {"ItemTableMgr",        "SkillTableMgr", "CharResourceMgr",
                                                 "MetaCache",           "CookRecipeMgr", "RowTableMgr",
                                                 "PremiumItemNotifyMgr"};

bool SlotHasObjects(const std::string& name) {
    for (int i = 0; i < int(GlobalSlot::Count); ++i)
        if (name == GlobalSlotName(GlobalSlot(i)))
            return IsCoreGlobalSlot(GlobalSlot(i)) || HasGlobalFactory(GlobalSlot(i));
    ADD_FAILURE() << "no slot " << name;
    return false;
}

std::vector<std::string> Present(const std::vector<std::string>& order) {
    std::vector<std::string> out;
    for (const std::string& name : order)
        if (SlotHasObjects(name)) out.push_back(name);
    return out;
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
        {"item tables", g_pItemTableMgr},
        {"skill tables", g_pSkillTableMgr},
        {"character resources", g_pCharResourceMgr},
        {"table cache", g_pMetaCache},
        {"recipes", g_pCookRecipeMgr},
        {"row tables", g_pRowTableMgr},
        {"premium items", g_pPremiumItemNotifyMgr},
        {"main window", g_hMainWnd},
        {"sound manager", g_pSoundMgr},
        {"sound tick", g_frameHooks.m_sound},
        {"animation sound", GetAniServices().sound},
        {"screenshot sound", HasScreenshotSavedHook() ? "installed" : nullptr},
    };
}

class GlobalObjectsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(getcwd(m_oldCwd, sizeof(m_oldCwd)), nullptr);
        ASSERT_EQ(chdir(m_dir.Path().c_str()), 0);
        plat::ResetMessageQueue();
        g_options = COptions{};
        g_config = CConfig{};
        g_frameHooks = CFrameHooks{};
        InstallGlobalFactories();
        SetGlobalSlotObserver([this](GlobalSlot slot, bool created) {
            (created ? m_created : m_deleted).push_back(GlobalSlotName(slot));
            // Just before shutdown starts, every object is there.
            if (!created && m_deleted.size() == 1)
                for (const auto& [name, pointer] : GlobalPointers())
                    if (!pointer) m_missingWhileRunning.push_back(name);
        });
    }
    void TearDown() override {
        SetGlobalSlotObserver(nullptr);
        ClearGlobalFactories();
        plat::ResetMessageQueue();
        plat::SetCommandLine("");
        g_frameHooks = CFrameHooks{};
        EXPECT_EQ(chdir(m_oldCwd), 0);
    }

    qmtest::TempDir m_dir;
    char m_oldCwd[4096];
    plat::ScriptedWindowSystem m_system;
    plat::ScopedWindowSystem m_scoped{m_system};
    plat::ScopedMessageBoxRecorder m_boxes;
    std::vector<std::string> m_created, m_deleted, m_missingWhileRunning;
};

TEST_F(GlobalObjectsTest, MadeAndDeletedInTheirOrdersAndNoneLeftBehind) {
    for (const std::string& name : kTableManagers) EXPECT_TRUE(SlotHasObjects(name)) << name;
    plat::SetCommandLine("/USE_SERVER 1 /WINDOW");
    plat::CloseAfterFrames(2);
    EXPECT_EQ(RunApplication(), EXIT_NORMAL);

    EXPECT_EQ(m_created, Present(kCreationOrder));
    EXPECT_EQ(m_deleted, Present(kDeletionOrder));
    EXPECT_TRUE(m_missingWhileRunning.empty()) << m_missingWhileRunning.front();
    for (const auto& [name, pointer] : GlobalPointers()) EXPECT_EQ(pointer, nullptr) << name;
    EXPECT_EQ(g_connection, nullptr);    // made when connecting, deleted at shutdown
    EXPECT_EQ(g_pSoundDevice, nullptr);  // never asked for
}

}  // namespace
