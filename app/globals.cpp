#include "app/globals.h"

#include <functional>
#include <memory>
#include <new>

#include "anim/ani_mgr.h"
#include "anim/ani_play_mgr.h"
#include "anim/ani_services.h"
#include "anim/anim_startup.h"
#include "anim/darkness_overlay.h"
#include "anim/render_queue.h"
#include "app/autopilot.h"
#include "app/event_hooks.h"
#include "app/item_world.h"
#include "app/scene_hooks.h"
#include "app/server_windows.h"
#include "app/web_page_child.h"
#include "app/world_hooks.h"
#include "core/config.h"
#include "core/draw_object.h"
#include "core/frame_hooks.h"
#include "core/global_objects.h"
#include "data/char_resource_mgr.h"
#include "data/cooking_recipe_mgr.h"
#include "data/data_startup.h"
#include "data/file_resource.h"
#include "data/item_table_mgr.h"
#include "data/meta_cache.h"
#include "data/premium_item_mgr.h"
#include "data/row_table_mgr.h"
#include "data/skill_table_mgr.h"
#include "effects/effects_startup.h"
#include "graphics/graphics_startup.h"
#include "graphics/text_font.h"
#include "graphics/text_renderer.h"
#include "net/game_session.h"
#include "net/handlers/meta_tables.h"
#include "net/net_startup.h"
#include "net/packet_fields.h"
#include "platform/font.h"
#include "scenes/scene_services.h"
#include "script/script_startup.h"
#include "sound/sound_mgr.h"
#include "sound/sound_startup.h"
#include "ui/message_box.h"
#include "ui/ui_requests.h"
#include "ui/ui_services.h"
#include "ui/ui_startup.h"
#include "ui/window_mgr.h"
#include "windows/community/community_startup.h"
#include "windows/features/features_startup.h"
#include "windows/play/chat_window.h"
#include "windows/play/play_startup.h"
#include "world/world_startup.h"

namespace {

std::unique_ptr<CWindowMgrForHandlers> g_handlerWindows;
CServerMessageBoxes g_handlerBoxes;
CDisconnectNotice g_disconnectBox;
CSessionUiRequests g_uiRequests;
CItemTableNumberLimits g_itemNumberLimits;
CChatWindowSink g_chatWindowSink;
CWebPageChildWindow g_webPageChild;

// A global manager in its slot: made with its constructor (a manager that
// cannot be allocated leaves its pointer null and start-up goes on), then
// plugged in; unplugged, deleted and its pointer cleared at shutdown.
template <class T>
void InstallManager(GlobalSlot slot, T*& pointer, std::function<void()> plugIn = {},
                    std::function<void()> unplug = {}) {
    SetGlobalFactory(
        slot,
        [&pointer, plugIn] {
            if (!pointer) pointer = new (std::nothrow) T;
            if (pointer && plugIn) plugIn();
            return true;
        },
        [&pointer, unplug] {
            if (unplug) unplug();
            delete pointer;
            pointer = nullptr;
        });
}

void InstallTableManagers() {
    InstallManager(
        GlobalSlot::ItemTableMgr, g_pItemTableMgr, [] { SetItemNumberLimitLookup(&g_itemNumberLimits); },
        [] { SetItemNumberLimitLookup(nullptr); });
    InstallManager(GlobalSlot::SkillTableMgr, g_pSkillTableMgr);
    InstallManager(
        GlobalSlot::CharResourceMgr, g_pCharResourceMgr, [] { SetCharResourceHooks(g_pCharResourceMgr); },
        [] { SetCharResourceHooks(nullptr); });
    InstallManager(GlobalSlot::MetaCache, g_pMetaCache);
    InstallManager(GlobalSlot::CookRecipeMgr, g_pCookRecipeMgr);
    InstallManager(GlobalSlot::RowTableMgr, g_pRowTableMgr);
    InstallManager(
        GlobalSlot::PremiumItemNotifyMgr, g_pPremiumItemNotifyMgr,
        [] { SetPremiumRequests(&SessionPremiumRequests()); }, [] { SetPremiumRequests(nullptr); });
}

// The windows' sound effects are the sound manager's: installed with it
// (after it is made; not when there is no audio device) and removed before it goes.
class WindowSound : public IUiSound {
public:
    uint16_t FindEffectIdByName(const char* name) override {
        return g_pSoundMgr ? g_pSoundMgr->FindEffectIdByName(name) : 0;
    }
    void PlaySoundEffect(uint16_t effectId, int32_t x, int32_t y, uint32_t loops) override {
        if (g_pSoundMgr) g_pSoundMgr->PlaySoundEffect(effectId, x, y, loops);
    }
};
WindowSound g_windowSound;

// The game window set's one-to-one chat object is the community windows' chat list.
class ChatLogListMaker : public IOneToOneChatMaker {
public:
    std::unique_ptr<IOneToOneChat> MakeOneToOneChat() override { return MakeChatLogList(); }
};
ChatLogListMaker g_chatLogListMaker;

void InstallWindowSound() {
    AddGlobalFactory(
        GlobalSlot::SoundMgr,
        [] {
            SetUiSound(&g_windowSound);
            return true;
        },
        [] { SetUiSound(nullptr); });
}

}  // namespace

// Each layer adds its global objects here as it is built; a slot without a
// factory is skipped by start-up.
void InstallGlobalFactories() {
    // Resource caches make files as their entries of the default kind.
    SetResourceEntryFactory(&FileResourceFactory());
    SetGlobalFactory(GlobalSlot::FileJobMgr, CreateFileJobMgr, DestroyFileJobMgr);
    SetGlobalFactory(GlobalSlot::PackArchive, CreatePackArchive, DestroyPackArchive);
    SetGlobalFactory(GlobalSlot::TextTables, CreateTextTables, DestroyTextTables);
    SetGlobalFactory(GlobalSlot::TextBuffers, FillTextBuffers, {});
    InstallGraphicsGlobals();
    InstallAnimGlobals();
    SetGlobalFactory(
        GlobalSlot::Fonts,
        [] {
            plat::SetFontFileOverride(g_config.m_fontFile);
            return CreateFonts();
        },
        ReleaseTextFonts);
    // The window manager takes animated objects dropped on windows.
    InstallManager(
        GlobalSlot::WindowMgr, g_pWindowMgr,
        [] {
            g_pWindowMgr->Init();
            SetAniWindows(g_pWindowMgr);
            // The server-message handlers find windows through it.
            g_handlerWindows = std::make_unique<CWindowMgrForHandlers>(*g_pWindowMgr);
            SetServerWindows(g_handlerWindows.get());
            // Message boxes: the handlers', the lost connection's, and the answers to the server.
            SetServerMessageBoxes(&g_handlerBoxes);
            SetDisconnectNotice(&g_disconnectBox);
            GameSession().SetDisconnectNotice([] { g_disconnectBox.Show(); });
            SetUiRequests(&g_uiRequests);
        },
        [] {
            SetUiRequests(nullptr);
            GameSession().SetDisconnectNotice({});
            SetDisconnectNotice(nullptr);
            SetServerMessageBoxes(nullptr);
            SetServerWindows(nullptr);
            g_handlerWindows.reset();
            SetAniWindows(nullptr);
        });
    InstallUiGlobals();
    SetGlobalFactory(
        GlobalSlot::TextRenderer,
        [] {
            g_pTextRenderer = new CTextRenderer();
            return true;
        },
        [] {
            delete g_pTextRenderer;
            g_pTextRenderer = nullptr;
        });
    InstallManager(GlobalSlot::AniPlayMgr, g_pAniPlayMgr, [] { g_pAniPlayMgr->Init(); });
    InstallManager(GlobalSlot::RenderQueue, g_pRenderQueue);
    InstallManager(GlobalSlot::DarknessOverlay, g_pDarknessOverlay, [] { g_pDarknessOverlay->Init(); });
    SetGlobalFactory(
        GlobalSlot::GdiFonts, [] { return true; }, DeleteFonts);
    InstallNetwork();
    InstallTableManagers();
    InstallWorldGlobals();
    InstallSoundGlobals();
    InstallWindowSound();
    // Before the scene hooks, which add to the script manager's and the
    // effect manager's slots.
    InstallScriptGlobals();
    InstallEffectsGlobals();
    // After the world's (the start scene follows the cursor among the start
    // objects) and the sound manager's.
    InstallSceneHooks();
    InstallEventHooks();
    InstallGameWorldHooks();
    InstallItemWorld();
    InstallPlayWindowClasses();
    InstallScriptWindowClasses();
    InstallCommunityWindowClasses();
    SetOneToOneChatMaker(&g_chatLogListMaker);
    InstallFeatureWindowClasses();
    // Lines for the chat ("MSGWIN") go into its port while it exists.
    SetMessageWinSink(&g_chatWindowSink);
    // Escape in the frame loop closes an open web page.
    SetChildWindowHost(&g_webPageChild);
    // After the start objects' other parts (the scene it watches) and the network's.
    InstallAutopilot();
}
