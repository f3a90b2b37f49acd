#include "world/map/map.h"

#include <cstdio>
#include <cstring>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "anim/darkness_overlay.h"
#include "anim/render_queue.h"
#include "core/app_state.h"
#include "core/config.h"
#include "core/error_box.h"
#include "core/message.h"
#include "core/util.h"
#include "data/item_object.h"
#include "data/pack_archive.h"
#include "data/text_format.h"
#include "data/text_tables.h"
#include "graphics/direct_draw.h"
#include "graphics/display_settings.h"
#include "world/map/map_backdrop.h"
#include "world/map/map_services.h"
#include "world/map/map_windows.h"

CMap* g_pMap = nullptr;
uint8_t g_cameraFollow = 1;
uint8_t g_weatherOn = 1;

namespace {

// Events the map takes out of the global queue on release.
constexpr uint32_t kMapQueuedEvents[] = {78, 77};
// Each placed object record takes at least its kind byte, definition and position.
constexpr uint32_t kMinPlacedRecord = 11;

std::vector<uint8_t>& BannerShown() {
    static std::vector<uint8_t> shown(65536, 0);
    return shown;
}

std::string NumberedPath(const std::string& folder, int32_t number, const char* extension) {
    char name[16];
    std::snprintf(name, sizeof name, "%4d", number);
    SpacesToZeros(name);
    return folder + "\\" + name + extension;
}

}  // namespace

CMap::CMap() {
    SetKindId(KIND_NONE);
}

CMap::~CMap() {
    CMap::Release();
}

bool CMap::WasBannerShown(int32_t stageNumber) {
    return stageNumber >= 0 && stageNumber < 65536 && BannerShown()[size_t(stageNumber)];
}

void CMap::MarkBannerShown(int32_t stageNumber) {
    if (stageNumber >= 0 && stageNumber < 65536) BannerShown()[size_t(stageNumber)] = 1;
}

void CMap::ForgetBanners() {
    std::fill(BannerShown().begin(), BannerShown().end(), 0);
}

bool CMap::Create() {
    m_lightCount = 0;
    m_view.m_cameraX = m_view.m_cameraY = 0;
    const CDisplaySettings& display = GetDisplaySettings();
    m_screenLeft = m_screenTop = 0;
    m_screenRight = display.screenWidth;
    m_screenBottom = display.screenHeight;
    m_view.m_viewX = m_screenLeft;
    m_view.m_viewY = m_screenTop;
    MakeDiamondMask(m_view.m_tileMask, ISO_TILE_W, ISO_TILE_H);
    MakeDiamondMask(m_view.m_blockMask, ISO_BLOCK_W, ISO_BLOCK_H);
    m_loaded = m_ready = 0;
    m_loadWindow = MAP_LOAD_WINDOW;
    mapwin::CreateMinimapWindow();
    m_weatherRequest = m_weatherKind = -1;
    m_weatherRequestStrength = m_weatherStrength = 0;
    m_weatherFadedOut = 1;
    for (MapZoneMarker& marker : m_zoneMarkers) marker = MapZoneMarker();
    for (CItemObject*& slot : m_fieldSlots) slot = nullptr;
    m_stageNumber = m_mapFileNumber = -1;
    m_pBanner = std::make_unique<CAniObject>();
    m_pBanner->SetAnimation(MAP_BANNER_ANIMATION);
    m_kindTable.Release();
    m_kindTable.LoadDataTable(MAP_KIND_TABLE);
    FindStageKind(&m_stageKind, &m_stageShown);
    return true;
}

bool CMap::Release() {
    m_pBanner.reset();
    m_kindTable.Release();
    m_pPathData.reset();
    DeleteFieldObjects();
    mapwin::PostToEveryWindow(mapwin::kMapReleasedEvent);
    mapwin::HideAllWindows();
    if (IFieldSound* sound = GetFieldSound()) {
        const int32_t spots = m_pStage ? m_pStage->GetRecordCount(STAGE_GROUP_SOUND_SPOTS) : 0;
        for (int32_t r = 0; r < spots; ++r) sound->StopSlotSound(uint32_t(r));
        sound->StopSlotSound(STAGE_NONE);
    }
    if (m_loaded) {
        FreeMapFile();
        m_pStage.reset();
    }
    m_loaded = m_ready = 0;
    if (g_pGlobalMsgQueue)
        for (uint32_t event : kMapQueuedEvents) g_pGlobalMsgQueue->RemoveEvents(event);
    m_fireflies.clear();
    m_pClouds.reset();
    if (g_pDarknessOverlay)
        for (int32_t i = 0; i < m_lightCount; ++i) g_pDarknessOverlay->RemoveLight(&m_lightIds[i]);
    m_lightCount = 0;
    m_pAmbientA.reset();
    m_pAmbientB.reset();
    m_pAmbientC.reset();
    mapwin::CloseMinimapWindow();
    for (MapZoneMarker& marker : m_zoneMarkers) marker = MapZoneMarker();
    return true;
}

void CMap::FreeMapFile() {
    m_pMapData.reset();
    m_blockOffsets.clear();
    m_mapFile.Release();
    m_mapBytes.clear();
    m_mapBytes.shrink_to_fit();
}

std::string CMap::MapFilePath() const {
    return NumberedPath(g_config.m_folders[FOLDER_MAP], m_mapFileNumber, ".Z5M.ZIP");
}

std::string CMap::PathFilePath() const {
    return NumberedPath(g_config.m_folders[FOLDER_MAP], m_mapFileNumber, ".PPD");
}

void CMap::ReportFileDamage(const char* part) {
    if (m_damageReported) return;
    m_damageReported = 1;
    ShowFileReadError(m_mapFilePath.c_str(), part);
}

bool CMap::LoadMapFile(const std::string& path) {
    FreeMapFile();
    m_loaded = m_ready = 0;
    m_mapFilePath = path;
    CFileResource file;
    file.SetMaxDataSize(MAP_MAX_FILE_BYTES);
    if (!file.OpenFile(path.c_str(), kFileCompressed, "rb", g_bUsePackFile, g_pPackFile)) return false;
    if (file.GetRemaining() > MAP_MAX_FILE_BYTES) {
        ShowFileReadError(path.c_str(), "size");
        return false;
    }
    std::vector<uint8_t> bytes(file.GetRemaining());
    const bool read = bytes.empty() || file.ReadExact(bytes.data(), bytes.size());
    file.CloseFile();
    if (!read) {
        ShowFileReadError(path.c_str(), "body");
        return false;
    }
    return LoadMapBytes(std::move(bytes), path);
}

void CMap::LoadWholeMap() {
    if (!m_pMapData) return;
    m_pMapData->LoadAllBlocks();
    m_ready = 1;
}

bool CMap::LoadMapBytes(std::vector<uint8_t> bytes, const std::string& name) {
    FreeMapFile();
    m_loaded = m_ready = 0;
    m_damageReported = 0;
    m_mapFilePath = name;
    // The whole file stays in memory while the map is current: blocks are read from it.
    m_mapBytes = std::move(bytes);
    m_mapFile.OpenBorrowedMemory(m_mapBytes.data(), uint32_t(m_mapBytes.size()));
    MapRecordReader reader(m_mapFile);
    const auto fail = [&](const char* part) {
        ReportFileDamage(part);
        FreeMapFile();
        return false;
    };
    uint32_t width = 0, height = 0;
    if (!reader.U8(m_headerByte) || !reader.U32(width) || !reader.U32(height) ||
        !reader.U16(m_definitionCount) || !reader.U16(m_placedCount))
        return fail("header");
    if (width < 1 || height < 1 || width > MAP_MAX_CELLS || height > MAP_MAX_CELLS) return fail("header");
    m_width = int32_t(width);
    m_height = int32_t(height);
    m_blocksAcross = (m_width + MAP_BLOCK_CELLS - 1) / MAP_BLOCK_CELLS;
    m_blocksDown = (m_height + MAP_BLOCK_CELLS - 1) / MAP_BLOCK_CELLS;
    m_blockCount = m_blocksAcross * m_blocksDown;
    const uint64_t tableSize = uint64_t(m_blockCount) * 4;
    if (tableSize > reader.Left() || uint64_t(m_placedCount) * kMinPlacedRecord > reader.Left() - tableSize)
        return fail("header");

    m_pMapData = std::make_unique<CMapData>(this);
    m_pMapData->Init(m_width, m_height, m_definitionCount);
    for (uint16_t i = 0; i < m_placedCount; ++i) {
        int32_t def = -1, x = 0, y = 0;
        if (!m_pMapData->ReadPlacedObject(reader, &def, &x, &y)) return fail("objects");
        m_pMapData->m_headerPlaced.emplace_back(def, x, y);
    }
    // The offset table closes the file.
    const uint32_t fileSize = m_mapFile.GetDataSize();
    if (tableSize > fileSize - reader.Position() || !reader.Seek(fileSize - uint32_t(tableSize)))
        return fail("offsets");
    m_blockOffsets.resize(size_t(m_blockCount));
    for (uint32_t& offset : m_blockOffsets) reader.U32(offset);

    m_view.m_baseY = (m_width - 1) * MAP_CELL_H / 2;
    if (IMapCharacters* chars = GetMapCharacters()) {
        int32_t tx = 0, ty = 0;
        if (chars->GetPlayerTile(&tx, &ty))
            m_pMapData->SetFocus(float(tx * MAP_TILE_W), float(ty * MAP_TILE_H));
    }
    m_loaded = 1;
    return true;
}

void CMap::LoadStage(uint16_t stageNumber) {
    m_pStage.reset();
    m_battleAttrReported = 0;
    m_stageNumber = stageNumber;
    auto stage = std::make_unique<CStageData>();
    if (!LoadStageFile(*stage, stageNumber, false)) {
        ReportError("%s", FormatTableText(GetTableText(21, 1), {int(stageNumber)}).c_str());
        return;
    }
    m_pStage = std::move(stage);
    const CStageTable* table = m_pStage->GetTable(0, STAGE_PROP_MAP_TABLE, 0);
    const uint16_t number = table ? table->GetWord(0, 0) : 0;
    if (!table || number == 0) {
        ReportError("%s", FormatTableText(GetTableText(21, 2), {table ? 0 : -1}).c_str());
    } else {
        m_mapFileNumber = number;
        LoadMapFile(MapFilePath());
        m_pPathData = std::make_unique<CPathData>();
        m_pPathData->Load(PathFilePath());
    }
    m_loadWindow = MAP_LOAD_WINDOW;
    ApplyStage();
    m_view.m_baseY = (m_width - 1) * MAP_CELL_H / 2;
}

bool CMap::LoadMapFiles(std::unique_ptr<CStageData> eventStage) {
    m_pEventStage = std::move(eventStage);
    m_loadWindow = MAP_EVENT_LOAD_WINDOW;
    if (!m_pEventStage) return false;
    const uint16_t number = m_pEventStage->GetWord(0, STAGE_PROP_EVENT_MAP, 0);
    if (number == MAP_NO_MAP) return false;
    m_mapFileNumber = number;
    LoadMapFile(MapFilePath());
    m_pPathData = std::make_unique<CPathData>();
    m_pPathData->Load(PathFilePath());
    mapwin::HideAllWindows();
    mapwin::ResetSystemWindow();
    m_view.m_baseY = (m_width - 1) * MAP_CELL_H / 2;
    const uint32_t time = m_pEventStage->GetNumber(0, EVENT_PROP_TIME, 0);
    if (time == 1 || time == 2) {
        const bool night = time == 1;
        SetTimeOfDay(0, 0, night ? 1 : 0);
        m_dark = night ? 1 : 0;
        if (g_pDarknessOverlay) g_pDarknessOverlay->SetLevel(night ? MAP_DARK_LEVEL : 0);
    }
    ChooseMusic();
    PlaceLights();
    const uint32_t weather = m_pEventStage->GetNumber(0, EVENT_PROP_WEATHER, 0);
    SetWeather(weather >= 1 && weather <= 5 ? int32_t(weather) : 0,
               int32_t(m_pEventStage->GetNumber(0, EVENT_PROP_WEATHER_STRENGTH, 0)));
    m_eventByte = 0;
    return true;
}

void CMap::PlaceCamera(float focusX, float focusY) {
    const int32_t halfW = GetScreenWidth() / 2, halfH = GetScreenHeight() / 2;
    m_view.m_cameraX = int32_t(focusX / 2.0f + focusY - float(halfW));
    m_view.m_cameraY = int32_t(focusY / 2.0f - focusX / 4.0f + float(m_view.m_baseY + 24) - float(halfH));
    m_view.m_viewX = m_screenLeft;
    m_view.m_viewY = m_screenTop;
}

bool CMap::IsPassable(int32_t tileX, int32_t tileY) {
    return IsPassableAt(tileX, tileY);
}

bool CMap::TriggerEffectSlot(uint32_t slot, uint32_t level, bool skipZero) {
    return m_pMapData && m_pMapData->TriggerEffectSlot(slot, level, skipZero);
}

bool CMap::HasMapState() {
    return m_pMapData != nullptr;
}

void CMap::ResetMapState() {
    if (CMapBackdrop* backdrop = GetBackdrop()) backdrop->RestartFullRedraws();
}

CMapBackdrop* CMap::GetBackdrop() const {
    return m_pMapData ? m_pMapData->GetBackdrop() : nullptr;
}

bool CMap::ProcessMessages() {
    CMsgPort* port = GetPort();
    if (!port) return true;
    MsgDataPtr payload;
    while (port->PopFields(nullptr, nullptr, &payload, nullptr)) {
        if (auto* record = dynamic_cast<CMsgPayload*>(payload.get())) HandleMessage(*record);
        payload.reset();
    }
    return true;
}

bool CMap::CheckReady() {
    if (!m_ready && m_pMapData && m_pMapData->IsPlaced() && m_pMapData->IsWindowLoaded()) m_ready = 1;
    return m_ready != 0;
}

bool CMap::Update() {
    IMapCharacters* chars = GetMapCharacters();
    if (!(chars && chars->AreCharsReady()) && !IsVisualEventRunning()) return true;
    if (m_pMapData) {
        CheckReady();
        m_pMapData->Update();
    }
    ProcessMessages();
    StepWeather();
    ApplyWeather();
    if (IFieldEffects* effects = GetFieldEffects()) effects->StepParticleEmitter();
    if (m_pClouds) m_pClouds->Step();
    UpdateZoneMarkers();
    UpdateLights();
    bool finished = false;
    for (CItemObject*& slot : m_fieldSlots) {
        if (slot && !slot->Update()) {
            delete slot;
            slot = nullptr;
            finished = true;
        }
    }
    if (finished) mapwin::RefreshMainInterface();
    return true;
}

bool CMap::Draw() {
    if (!m_pMapData || !m_pMapData->IsPlaced()) {
        if (g_pDirectDraw && g_pDirectDraw->IsSurfaceLost()) g_pDirectDraw->RestoreSurface();
        return true;
    }
    m_pMapData->GroundLayer().QueueAll();
    if (g_pRenderQueue)
        for (CMsgObject* child : m_pMapData->ObjectLayer().Children())
            if (auto* object = dynamic_cast<CBaseObject*>(child)) g_pRenderQueue->AddObject(object);
    if (CMapBackdrop* backdrop = GetBackdrop()) backdrop->Draw();
    if (g_pRenderQueue) {
        for (MapAreaMarker& marker : m_pMapData->AreaMarkers())
            if (marker.m_pAniObject) g_pRenderQueue->AddObject(marker.m_pAniObject.get());
        for (auto& object : m_pMapData->ServerObjects())
            if (object->m_pAniObject && !object->m_hidden && !object->m_pAniObject->m_hidden)
                g_pRenderQueue->AddObject(object->m_pAniObject.get());
    }
    if (IFieldEffects* effects = GetFieldEffects()) effects->DrawParticleEmitter();
    if (m_pClouds) m_pClouds->Draw();
    for (int32_t i = 0; i < m_firefliesShown && i < int32_t(m_fireflies.size()); ++i)
        m_fireflies[size_t(i)]->Draw();
    for (IFieldEffect* effect : {m_pAmbientA.get(), m_pAmbientB.get(), m_pAmbientC.get()})
        if (effect) effect->Draw();
    DrawZoneMarkers();
    return true;
}
