// CMap: the one map of the game field. It knows the current stage and map
// file, loads the map file block by block around the camera's focus and the
// path file, keeps the camera and screen origin (its CIsoView), answers the
// cell and stage questions of characters, skills and windows, shows what a
// map carries besides its ground (day and night, darkness and lights, weather,
// sound spots, music, the entry banner, zone markers, server objects) and
// takes the map messages. A map change reloads it in place.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "anim/ani_services.h"
#include "anim/iso_view.h"
#include "core/base_object.h"
#include "core/frame_hooks.h"
#include "data/data_table.h"
#include "data/file_resource.h"
#include "world/map/map_data.h"
#include "world/map/stage_data.h"

class CAniObject;
class CItemObject;
class CMsgPayload;
class CMapChangeMsg;
class CFieldObjectMsg;
class CGroundItemMsg;
class CZoneMarkerMsg;
class IFieldEffect;

// Load windows: the edge of the square of blocks kept around the focus.
inline constexpr int32_t MAP_LOAD_WINDOW = 5;
inline constexpr int32_t MAP_EVENT_LOAD_WINDOW = 10;
inline constexpr int32_t MAP_FIELD_SLOTS = 100;
inline constexpr int32_t MAP_ZONE_MARKERS = 100;
inline constexpr int32_t MAP_MAX_LIGHTS = 50;
inline constexpr int32_t MAP_FIREFLIES = 100;
inline constexpr int32_t MAP_DARK_LEVEL = 220;
inline constexpr uint32_t MAP_FADE_MS = 3000;
inline constexpr uint32_t MAP_BANNER_ANIMATION = 1427;
inline constexpr uint32_t MAP_AREA_MARKER_ANIMATION = 168;
// The placed objects' kinds: one the player walks onto before its request
// (a left click), one a rod skill takes (a right click).
inline constexpr uint8_t PLACED_OBJECT_WALK_ONTO = 2;
inline constexpr uint8_t PLACED_OBJECT_ROD = 1;
// The rod skills that take a placed object.
inline constexpr uint32_t ROD_PLACED_SKILL_FIRST = 3001741;
inline constexpr uint32_t ROD_PLACED_SKILL_LAST = 3001745;
inline constexpr uint32_t MAP_ZONE_ANIMATION = 1106;    // zone markers of style above 0
inline constexpr uint32_t MAP_ZONE_ANIMATION_0 = 3536;  // style 0
inline constexpr int MAP_KIND_TABLE = 73;               // the stage kind table
inline constexpr uint16_t MAP_NO_MAP = 10000;

// Stage kinds of table 73.
enum MapStageKind : int32_t {
    STAGE_KIND_NONE = -1,
    STAGE_KIND_TEAM = 0,
    STAGE_KIND_SINGLE = 1,
    STAGE_KIND_PAIR = 2,
    STAGE_KIND_TUTORIAL = 3,
    STAGE_KIND_CLUB = 4,
    STAGE_KIND_CLUB2 = 5,
};

// Map-stage properties (group 0) and groups the map reads.
enum : int32_t {
    STAGE_PROP_MAP_TABLE = 1,
    STAGE_PROP_EVENT_MAP = 2,
    STAGE_PROP_NO_BATTLE = 4,
    STAGE_PROP_BANNER_MODE = 6,
    STAGE_PROP_FOOTSTEP_0 = 7,
    STAGE_PROP_FOOTSTEP_1 = 8,
    STAGE_PROP_DAY_MUSIC = 9,
    STAGE_PROP_NIGHT_MUSIC = 10,
    STAGE_PROP_BATTLE_ATTR = 16,
    STAGE_PROP_KIND = 15,
    STAGE_PROP_DARKNESS = 22,
    STAGE_PROP_LIGHT_BLUE = 23,
    STAGE_PROP_LIGHT_GREEN = 24,
    STAGE_PROP_LIGHT_RED = 25,
    STAGE_PROP_EIGHT_FIRST = 27,
    STAGE_PROP_AMBIENT = 41,
    STAGE_PROP_MINIMAP = 45,
    STAGE_PROP_MINIMAP_DATA = 46,
    STAGE_PROP_BANNER = 47,
    STAGE_PROP_NUMBER_TEXT = 48,
    STAGE_GROUP_AREA_IDS = 2,
    STAGE_GROUP_SOUND_SPOTS = 9,
    STAGE_GROUP_LIGHTS = 11,
    // The event stage's properties.
    EVENT_PROP_DAY_MUSIC = 5,
    EVENT_PROP_NIGHT_MUSIC = 6,
    EVENT_PROP_WEATHER = 7,
    EVENT_PROP_WEATHER_STRENGTH = 8,
    EVENT_PROP_TIME = 9,
    EVENT_GROUP_LIGHTS = 7,
};

// Told on the main manager's game scene when the map changes.
class IMapChangeListener {
public:
    virtual ~IMapChangeListener() = default;
    // Whether the old or the new map is of map kind 3.
    virtual void OnMapChange(bool kind3) = 0;
};

struct MapZoneMarker {
    uint32_t m_id = UINT32_MAX;               // all bits set while free
    int32_t m_x = -1, m_y = -1;               // map units
    int32_t m_width = -1, m_height = -1;      // cells
    std::unique_ptr<CAniObject> m_pieces[5];  // inner, first column, first row, last column, last row
};

class CMap : public CBaseObject, public IAniField, public IActivationListener {
public:
    CMap();
    ~CMap() override;

    // An empty map: camera, masks, no stage (-1), load window 5.
    bool Create() override;
    // Frees everything of the current map.
    bool Release() override;
    bool Draw() override;
    bool Update() override;
    // Hands every queued message to HandleMessage.
    bool ProcessMessages() override;
    // The walkability of a tile.
    virtual bool IsPassable(int32_t tileX, int32_t tileY);

    // ---- Loading ----
    // Loads the stage ".Z5F" of the number and then its map.
    void LoadStage(uint16_t stageNumber);
    // Loads the map of a stage loaded by its caller (visual events, tests);
    // the map takes the stage over. False for map number 10000.
    bool LoadMapFiles(std::unique_ptr<CStageData> eventStage);
    // Reads the ".Z5M" header; false (and no map file) when it is damaged.
    bool LoadMapFile(const std::string& path);
    // The same over the unpacked bytes of a map file (name for the messages).
    bool LoadMapBytes(std::vector<uint8_t> bytes, const std::string& name);
    // Loads every block at once and counts the map as ready (tools, tests).
    void LoadWholeMap();
    // Takes a stage or path data loaded by the caller as the map's own (tools, fuzzing).
    void AdoptStage(std::unique_ptr<CStageData> stage) { m_pStage = std::move(stage); }
    void AdoptPathData(std::unique_ptr<CPathData> paths) { m_pPathData = std::move(paths); }
    // The map becomes ready once the focus is placed and every block of the
    // load window whose picture is on the screen is loaded.
    bool CheckReady();
    std::string MapFilePath() const;
    // The read-error box for the map file, shown once per map file.
    void ReportFileDamage(const char* part);
    std::string PathFilePath() const;

    bool IsLoaded() const { return m_loaded != 0; }
    bool IsReady() const { return m_ready != 0; }
    CMapData* GetMapData() const { return m_pMapData.get(); }
    const CPathData* GetPathData() const { return m_pPathData.get(); }
    CStageData* GetStage() const { return m_pStage.get(); }
    CStageData* GetEventStage() const { return m_pEventStage.get(); }
    int32_t GetStageNumber() const { return m_stageNumber; }
    int32_t GetMapFileNumber() const { return m_mapFileNumber; }
    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    int32_t GetLoadWindow() const { return m_loadWindow; }
    void SetLoadWindow(int32_t edge) { m_loadWindow = edge; }
    uint8_t GetHeaderByte() const { return m_headerByte; }
    const std::vector<uint32_t>& BlockOffsets() const { return m_blockOffsets; }
    CFileResource& MapFile() { return m_mapFile; }
    const std::string& GetMapFilePath() const { return m_mapFilePath; }

    // ---- Coordinates ----
    CIsoView& View() { return m_view; }
    const CIsoView& View() const { return m_view; }
    IsoPoint TileToScreen(int32_t tileX, int32_t tileY) const { return m_view.TileToScreen(tileX, tileY); }
    IsoPoint ScreenToTile(int32_t x, int32_t y) const { return m_view.ScreenToTile(x, y); }
    IsoPoint ScreenToBlock(int32_t x, int32_t y) const { return m_view.ScreenToBlock(x, y); }
    IsoPoint MapToScreen(int32_t x, int32_t y) const { return m_view.MapToScreen(x, y); }
    int32_t GetScreenWidth() const { return m_screenRight - m_screenLeft; }
    int32_t GetScreenHeight() const { return m_screenBottom - m_screenTop; }
    // Places the camera for a focus (map units) and the screen origin with it.
    void PlaceCamera(float focusX, float focusY);

    // ---- Stage and cell queries (Part of the map's queries) ----
    bool IsNoBattleZone();
    bool IsBattleAllowed();
    bool IsPlayerBattleAllowed();
    bool SkillAllowedHere(uint32_t skillId);
    bool IsMapKind3();
    bool IsMapKind4();
    bool IsMapKind5();
    int32_t GetFootstepKind(int32_t which);
    uint16_t GetMinimapNumber();
    int32_t GetStageNumberText();
    bool GetEightStageBytes(uint8_t out[8]);
    bool IsPassableAt(int32_t tileX, int32_t tileY);
    bool CanDropItemAt(int32_t cellX, int32_t cellY);
    bool IsInAreaMarker(int32_t x, int32_t y);
    float GetFadeFactor();
    // The object of the object layer nearest to the character that a path reaches.
    CItemObject* FindNearestReachableObject(CChar* character);

    // ---- Decorations ----
    void FindStageKind(int32_t* kind, int32_t* number);
    void SetTimeOfDay(uint8_t value1, uint8_t value2, uint8_t night);
    void SetDark(bool dark, bool atOnce);
    void RestartSoundSpots();
    void PlaceLights();
    void SetWeather(int32_t kind, int32_t strength);
    void ApplyWeather();
    void StepWeather();
    void ShowEntryBanner();
    void DrawStageNumber();
    void DrawSmallStageNumber();
    void DrawStageGrid();
    void SetZoneMarker(const CZoneMarkerMsg& msg);
    void RemoveZoneMarker(uint32_t id);
    void AddFieldObject(CItemObject* object);
    // The item lying on the field under the server's object id (the object
    // layer; the slots above hold only items leaving it), or null.
    CItemObject* FindFieldObject(uint32_t objectId) const;
    void DrawFieldObjects();
    void DeleteFieldObjects();

    // ---- Messages ----
    void HandleMessage(const CMsgPayload& msg);
    void ChangeMap(const CMapChangeMsg& msg);

    // ---- Services of the field ----
    const CIsoView* GetIsoView() override { return &m_view; }
    bool TriggerEffectSlot(uint32_t slot, uint32_t level, bool skipZero) override;
    IsoPoint GetScrollPosition() override { return {m_view.m_cameraX, m_view.m_cameraY}; }
    bool HasMapState() override;
    void ResetMapState() override;

    // ---- State read by the other parts ----
    uint8_t m_serverAttrFlag = 0;
    uint8_t m_attrByte = 0;
    uint8_t m_eventByte = 0;
    uint32_t m_fieldValue = 0;  // message 108
    uint8_t m_mapChanged = 0;
    uint8_t m_timeSet = 0;
    uint8_t m_timeValues[2] = {0, 0};
    uint8_t m_night = 0;
    uint8_t m_dark = 0;
    int32_t m_weatherRequest = -1, m_weatherRequestStrength = 0;
    int32_t m_weatherKind = -1, m_weatherStrength = 0;
    uint8_t m_weatherFadedOut = 1;
    int32_t m_stageKind = STAGE_KIND_NONE;
    int32_t m_stageShown = -1;
    uint32_t m_fadeStart = 0;
    int32_t m_lightCount = 0;
    int32_t m_lightIds[MAP_MAX_LIGHTS] = {};
    IsoPoint m_lightTiles[MAP_MAX_LIGHTS];
    int32_t m_fireflyCount = 0, m_firefliesShown = 0;
    uint32_t m_fireflyStepTime = 0;
    uint8_t m_battleAttrReported = 0;
    uint8_t m_damageReported = 0;  // the short battle attribute text was reported for this stage

    // Banner shown once per stage number for the whole run (property 6 = 1).
    static bool WasBannerShown(int32_t stageNumber);
    static void MarkBannerShown(int32_t stageNumber);
    static void ForgetBanners();

    MapZoneMarker& ZoneMarker(int32_t index) { return m_zoneMarkers[index]; }
    CItemObject* GetFieldSlot(int32_t index) const { return m_fieldSlots[index]; }
    IFieldEffect* GetWeatherEffect(int32_t kind) const;
    IFieldEffect* GetCloudEffect() const { return m_pClouds.get(); }
    CAniObject* GetBannerObject() const { return m_pBanner.get(); }
    const CDataTable& KindTable() const { return m_kindTable; }
    CMapBackdrop* GetBackdrop() const;

    // Chooses the day or night music list of the stage.
    void ChooseMusic();

private:
    void ApplyStage();
    void UpdateLights();
    void UpdateZoneMarkers();
    void DrawZoneMarkers();
    void FreeMapFile();
    const CStageData* AnyStage() const { return m_pStage ? m_pStage.get() : m_pEventStage.get(); }
    void HandleServerObject(const CFieldObjectMsg& msg);
    // Message 49: the item lying on the ground (see map_messages.cpp).
    void PlaceGroundItem(const CGroundItemMsg& msg);

    CIsoView m_view;
    int32_t m_stageNumber = -1;
    int32_t m_mapFileNumber = -1;
    std::unique_ptr<CMapData> m_pMapData;
    uint8_t m_headerByte = 0;
    int32_t m_width = 0, m_height = 0;
    int32_t m_blockCount = 0, m_blocksAcross = 0, m_blocksDown = 0;
    uint16_t m_definitionCount = 0, m_placedCount = 0;
    std::vector<uint32_t> m_blockOffsets;
    std::string m_mapFilePath;
    CFileResource m_mapFile;
    std::vector<uint8_t> m_mapBytes;  // the unpacked file when it was read as a stream
    std::unique_ptr<CPathData> m_pPathData;
    int32_t m_screenLeft = 0, m_screenTop = 0, m_screenRight = 800, m_screenBottom = 600;
    uint8_t m_loaded = 0;
    int32_t m_loadWindow = MAP_LOAD_WINDOW;
    uint8_t m_ready = 0;

    CItemObject* m_fieldSlots[MAP_FIELD_SLOTS] = {};
    MapZoneMarker m_zoneMarkers[MAP_ZONE_MARKERS];
    std::vector<std::unique_ptr<IFieldEffect>> m_fireflies;
    std::unique_ptr<IFieldEffect> m_pAmbientA, m_pAmbientB, m_pAmbientC, m_pClouds;
    std::unique_ptr<CAniObject> m_pBanner;
    CDataTable m_kindTable;
    std::unique_ptr<CStageData> m_pStage;
    std::unique_ptr<CStageData> m_pEventStage;
};

// The program's map (null while there is none).
extern CMap* g_pMap;
// The camera-follow switch the events and options set (on: the focus glides).
extern uint8_t g_cameraFollow;
// The weather switch: messages 83 change the weather only while it is on.
extern uint8_t g_weatherOn;
// The target-snapping option: picking widens small hit boxes and takes the nearest.
extern uint8_t g_targetSnapping;

// A field object of the global map's data (null without a map or map data).
CFieldObject* CreateFieldObject(uint32_t definition, int32_t x, int32_t y);
