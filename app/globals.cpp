#include "app/globals.h"

#include "anim/darkness_overlay.h"
#include "anim/render_queue.h"
#include "core/config.h"
#include "core/global_objects.h"
#include "data/data_startup.h"
#include "graphics/graphics_globals.h"
#include "graphics/text_font.h"
#include "graphics/text_renderer.h"
#include "net/network_setup.h"
#include "platform/font.h"

// Each layer adds its global objects here as it is built; a slot without a
// factory is skipped by start-up.
void InstallGlobalFactories() {
    SetGlobalFactory(GlobalSlot::FileJobMgr, CreateFileJobMgr, DestroyFileJobMgr);
    SetGlobalFactory(GlobalSlot::PackArchive, CreatePackArchive, DestroyPackArchive);
    SetGlobalFactory(GlobalSlot::TextTables, CreateTextTables, DestroyTextTables);
    InstallGraphicsGlobals();
    SetGlobalFactory(
        GlobalSlot::Fonts,
        [] {
            plat::SetFontFileOverride(g_config.m_fontFile);
            return CreateFonts();
        },
        ReleaseTextFonts);
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
    SetGlobalFactory(GlobalSlot::RenderQueue, CreateRenderQueue, DestroyRenderQueue);
    SetGlobalFactory(GlobalSlot::DarknessOverlay, CreateDarknessOverlay, DestroyDarknessOverlay);
    SetGlobalFactory(
        GlobalSlot::GdiFonts, [] { return true; }, DeleteFonts);
    InstallNetwork();
}
