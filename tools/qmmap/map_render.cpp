#include "tools/qmmap/map_render.h"

#include <iterator>
#include <memory>

#include "anim/ani_mgr.h"
#include "anim/ani_services.h"
#include "anim/anim_startup.h"
#include "anim/render_queue.h"
#include "core/config.h"
#include "core/global_objects.h"
#include "data/data_table.h"
#include "data/pack_archive.h"
#include "graphics/direct3d.h"
#include "graphics/graphics_startup.h"
#include "graphics/surface_resource.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "world/map/map.h"

namespace qmmap {

namespace {

// The display and the managers a frame of the field needs, made for one
// drawing and taken down again.
class HeadlessField {
public:
    explicit HeadlessField(const RenderOptions& o)
        : m_clock(o.clockMs),
          m_scopedClock(m_clock),
          m_oldConfig(g_config),
          m_oldDatabase(GetDatabaseFolder()),
          m_oldUsePack(g_bUsePackFile),
          m_oldCompressed(g_bUseCompressedFiles) {
        m_oldDisplay = plat::SetDisplay(std::make_unique<plat::RecordingDisplay>());
        g_config.m_screenWidth = o.width;
        g_config.m_screenHeight = o.height;
        g_config.m_fullScreen = false;
        for (DataFolder f : {FOLDER_ANIMATION, FOLDER_TEXTURE, FOLDER_MAP, FOLDER_FIELDSCRIPT, FOLDER_SPEECH})
            g_config.m_folders[f] = o.folder;
        SetDatabaseFolder(o.folder);
        g_bUsePackFile = false;
        g_bUseCompressedFiles = true;
        InstallGraphicsGlobals();
        InstallAnimGlobals();
        SetGlobalFactory(
            GlobalSlot::RenderQueue,
            [] {
                g_pRenderQueue = new CRenderQueue;
                return true;
            },
            [] {
                delete g_pRenderQueue;
                g_pRenderQueue = nullptr;
            });
        for (GlobalSlot slot : kSlots) m_up = m_up && CreateGlobal(slot);
    }
    ~HeadlessField() {
        for (auto it = std::rbegin(kSlots); it != std::rend(kSlots); ++it) DestroyGlobal(*it);
        ClearGlobalFactories();
        plat::SetDisplay(std::move(m_oldDisplay));
        g_config = m_oldConfig;
        SetDatabaseFolder(m_oldDatabase);
        g_bUsePackFile = m_oldUsePack;
        g_bUseCompressedFiles = m_oldCompressed;
    }
    HeadlessField(const HeadlessField&) = delete;
    HeadlessField& operator=(const HeadlessField&) = delete;

    bool Up() const { return m_up && g_pDirect3D && g_pDirect3D->GetRenderTarget(); }

private:
    static constexpr GlobalSlot kSlots[] = {GlobalSlot::ResourceCaches, GlobalSlot::DirectX,
                                            GlobalSlot::TexImageMgr,    GlobalSlot::RenderQueue,
                                            GlobalSlot::AniMgr,         GlobalSlot::ObjSpriteMgr,
                                            GlobalSlot::ImageMgr};
    plat::FakeClock m_clock;
    plat::ScopedClock m_scopedClock;
    std::unique_ptr<plat::Display> m_oldDisplay;
    CConfig m_oldConfig;
    std::string m_oldDatabase;
    bool m_oldUsePack, m_oldCompressed;
    bool m_up = true;
};

}  // namespace

bool RenderMap(const RenderOptions& options, plat::raster::Surface& frame, std::string* error) {
    HeadlessField field(options);
    if (!field.Up()) {
        if (error) *error = "the display did not come up";
        return false;
    }
    const uint8_t oldFollow = g_cameraFollow;
    CMap* const oldMap = g_pMap;
    IAniField* const oldField = GetAniField();
    bool ok = false;
    {
        CMap map;
        g_pMap = &map;
        SetAniField(&map);
        g_cameraFollow = 0;
        map.Create();
        map.LoadStage(uint16_t(options.stage));
        if (CMapData* data = map.GetMapData()) {
            data->SetFocus(options.focusGiven ? options.focusX : float(map.GetWidth() * MAP_CELL_W / 2),
                           options.focusGiven ? options.focusY : float(map.GetHeight() * MAP_CELL_H / 2));
            data->Update();
            map.CheckReady();
            data->Update();
            plat::raster::Surface& target = g_pDirect3D->GetRenderTarget()->Surface()->Pixels();
            plat::raster::Fill(target, target.Bounds(), 0);
            map.Draw();
            std::shared_ptr<void> added = options.addToField ? options.addToField() : nullptr;
            g_pRenderQueue->Draw();
            g_pRenderQueue->Clear();
            added.reset();
            frame = target;
            ok = true;
        } else if (error) {
            *error = "stage " + std::to_string(options.stage) + " has no map";
        }
    }
    g_pMap = oldMap;
    SetAniField(oldField);
    g_cameraFollow = oldFollow;
    return ok;
}

}  // namespace qmmap
