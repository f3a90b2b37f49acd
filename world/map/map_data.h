// The loaded map: its object definitions, its blocks of cells (loaded and
// dropped around the point the camera follows), the field objects and the
// objects standing on the field, the camera's focus and the ground's backdrop.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/base_object.h"
#include "data/slot_object_mgr.h"
#include "world/map/field_object.h"
#include "world/map/map_format.h"

class CAniObject;
class CFileResource;
class CImageFileResource;
class CMap;
class CMapBackdrop;

struct MapCell {
    uint32_t m_reserved = 0;
    uint16_t m_ground = 0;  // the definition whose picture is the cell's ground (0 none)
    uint16_t m_reserved2[2] = {0, 0};
    uint16_t m_attributes = 0;  // CELL_* bits
    uint8_t m_one = 1;
    uint32_t m_occupants[2] = {0, 0};  // ids of characters standing on the cell
};

struct MapObjectDef {
    int32_t m_index = 0;
    int32_t m_kind = MAP_OBJ_NONE;
    int32_t m_x = 0, m_y = 0;                // where the last placed record put it
    CAniObject* m_pAniObject = nullptr;      // kind 0, owned
    uint32_t m_animation = 0;                // kind 0
    CImageFileResource* m_pImage = nullptr;  // kinds 1, 3: one use of the image-cache entry held
    uint32_t m_imageId = 0;
    uint32_t m_imageSize = 0;  // bytes of the embedded picture
    uint16_t m_motion = 0;     // kind 0
    uint8_t m_facing = 0;      // kind 0
    int32_t m_base = -1;       // kinds 2, 4: the definition whose picture it draws
    uint8_t m_loaded = 0;
    uint8_t m_isBase = 0;  // variants use its picture
    uint8_t m_released = 0;
    uint32_t m_loadTime = 0;
    int32_t m_eventPair[2] = {0, 0};  // set by the event commands, copied to field objects

    void SetEventPair(int32_t a, int32_t b) {
        m_eventPair[0] = a;
        m_eventPair[1] = b;
    }
};

class CMapObjectDefs {
public:
    CMapObjectDefs() = default;
    ~CMapObjectDefs() { Free(); }
    CMapObjectDefs(const CMapObjectDefs&) = delete;
    CMapObjectDefs& operator=(const CMapObjectDefs&) = delete;

    // count empty definitions with use count 0. A definition takes memory
    // only once a record or a cell of the file names it: the count is the
    // header's word and stands for nothing the file holds.
    void Init(int32_t count);
    // Frees every definition's resources.
    void Free();

    int32_t GetCount() const { return m_count; }
    int32_t GetLoadedCount() const { return m_loadedCount; }
    int32_t GetTotalSize() const { return m_totalSize; }
    // The definition of the number, made empty on first use; null outside.
    MapObjectDef* Get(int32_t index);
    // The same without making it: a number never named reads as an empty definition.
    const MapObjectDef* Get(int32_t index) const;
    int32_t GetUseCount(int32_t index) const;
    // Definitions named so far.
    size_t GetMadeCount() const { return m_defs.size(); }
    // The picture a loaded definition draws: its own (kinds 1, 3) or its base's (2, 4).
    CImageFileResource* GetPicture(int32_t index) const;

    void AddUse(int32_t index);
    // One use less; at 0 the definition is freed, and a variant gives back its base's use.
    void DropUse(int32_t index);
    // Makes a loaded definition empty again.
    void FreeDefinition(int32_t index);
    // Bookkeeping of a definition that became loaded.
    void MarkLoaded(int32_t index, uint32_t size);

private:
    struct Entry {
        MapObjectDef def;
        int32_t uses = 0;
    };
    Entry* Find(int32_t index);
    const Entry* Find(int32_t index) const;

    std::unordered_map<int32_t, Entry> m_defs;
    int32_t m_count = 0;
    int32_t m_loadedCount = 0;
    int32_t m_totalSize = 0;
};

struct MapGroundObject {
    uint16_t m_cellX = 0, m_cellY = 0;
    uint32_t m_definition = 0;
};

struct MapBlock {
    int32_t m_index = 0;  // in the block grid, row by row
    uint8_t m_loaded = 0;
    uint8_t m_loading = 0;
    uint8_t m_unloading = 0;
    uint8_t m_listed = 0;    // on the loaded-block list
    uint8_t m_headRead = 0;  // the picture rectangle is known
    uint8_t m_damaged = 0;   // the record did not read: loaded empty
    int32_t m_firstCellX = 0, m_firstCellY = 0;
    uint16_t m_width = MAP_BLOCK_CELLS, m_height = MAP_BLOCK_CELLS;
    std::vector<MapCell> m_cells;  // row by row
    // Picture rectangle relative to the block's map position.
    int32_t m_picLeft = 0, m_picTop = 0, m_picRight = 0, m_picBottom = 0;
    std::vector<MapGroundObject> m_groundObjects;
    std::vector<int32_t> m_placed;  // the definitions of the placed objects, one use each
    std::vector<std::pair<int32_t, int32_t>> m_placedAt;  // where each record put its object
    uint8_t m_loadRequested = 0;
    uint8_t m_unloadRequested = 0;
};

// Most area markers (message 79) and items on the ground the map keeps, as
// it keeps 100 zone markers and 100 field objects and a character manager
// holds 10,000 characters; what the server sends past them is dropped.
inline constexpr size_t MAP_MAX_AREA_MARKERS = 100;
inline constexpr size_t MAP_MAX_GROUND_ITEMS = 10000;

// A map area marker (message 79).
struct MapAreaMarker {
    uint32_t m_id = 0;
    int32_t m_x1 = 0, m_y1 = 0, m_x2 = 0, m_y2 = 0;  // tiles
    std::unique_ptr<CAniObject> m_pAniObject;
};

// An object the server placed (message 81).
struct MapServerObject {
    uint32_t m_id = 0;
    uint32_t m_values[2] = {0, 0};
    uint16_t m_key = 0;
    uint16_t m_secondWord = 0;
    uint16_t m_animation = 0;
    uint8_t m_hidden = 0;
    uint8_t m_aniByte = 0;
    int32_t m_x1 = 0, m_y1 = 0, m_x2 = 0, m_y2 = 0;  // tiles
    uint8_t m_byte = 0;
    char m_name[256] = {};
    std::unique_ptr<CAniObject> m_pAniObject;
};

// A map effect slot that characters and animations start (TriggerEffectSlot).
struct MapEffectSlot {
    uint8_t m_active = 0;
    uint32_t m_timer = 0;
    uint32_t m_level = 0;
};
inline constexpr int32_t MAP_EFFECT_SLOTS = 5;

class CMapData : public CBaseObject {
public:
    explicit CMapData(CMap* map);
    ~CMapData() override;

    bool Create() override;
    bool Release() override;
    // The focus step, the camera and the streaming of blocks, then the ground
    // and object layers.
    bool Update() override;

    // Sizes the block grid and the definition table. Neither takes memory for
    // its entries until they are used: a block is made when it is asked for
    // and let go when it leaves the load window (a block whose record did not
    // read is remembered as such).
    void Init(int32_t width, int32_t height, int32_t definitionCount);

    // The focus the camera follows (map units).
    void SetFocus(float x, float y);
    float GetFocusX() const { return m_focusX; }
    float GetFocusY() const { return m_focusY; }
    float GetTargetX() const { return m_targetX; }
    float GetTargetY() const { return m_targetY; }
    bool IsPlaced() const { return m_placed != 0; }
    // The offsets summed into the focus every frame (shake, scripted moves).
    int32_t m_baseFocusX = 0, m_baseFocusY = 0;
    int32_t m_offsets[4][2] = {};

    // The cell, or null outside the map, before the map is ready, or when its
    // block is not loaded or is being unloaded.
    MapCell* GetCell(int32_t cellX, int32_t cellY);
    // The same without the readiness test (the backdrop and the tools).
    MapCell* GetLoadedCell(int32_t cellX, int32_t cellY);

    // Streaming.
    void RequestBlock(int32_t block);
    void DropFarBlocks(int32_t blockX, int32_t blockY);
    // Loads every block now, whether on the screen or not (tools).
    void LoadAllBlocks();
    // Whether every block of the load window around the focus whose picture
    // is on the screen is loaded.
    bool IsWindowLoaded();
    // The focus's block, (-1, -1) outside the map.
    void GetFocusBlock(int32_t* blockX, int32_t* blockY) const;

    int32_t GetBlocksAcross() const { return m_blocksAcross; }
    int32_t GetBlocksDown() const { return m_blocksDown; }
    // The block of the grid, made (not loaded) on first use; null outside.
    MapBlock* GetBlock(int32_t index);
    // The block when it is made, else null.
    const MapBlock* FindBlock(int32_t index) const;
    size_t GetMadeBlockCount() const { return m_blocks.size(); }
    int32_t GetLoadedBlockCount() const { return int32_t(m_loadedList.size()); }
    // Block records read since the map was loaded.
    int32_t GetBlockReads() const { return m_blockReads; }
    const std::vector<int32_t>& LoadedList() const { return m_loadedList; }

    CMapObjectDefs& Definitions() { return m_defs; }
    CFieldObjectList& GroundLayer() { return m_groundLayer; }
    CSlotObjectMgr& ObjectLayer() { return m_objectLayer; }
    CMapBackdrop* GetBackdrop() const { return m_backdrop.get(); }
    CMap* GetMap() const { return m_pMap; }

    // Reads a placed object record at the reader's position (the definition is
    // loaded when it is not); false when the record is damaged.
    bool ReadObjectRecord(class MapRecordReader& reader, int32_t* definition);
    // Reads a placed object (its record and position) and moves its definition there; false on
    // a short record or a position off any map.
    bool ReadPlacedObject(class MapRecordReader& reader, int32_t* definition, int32_t* x, int32_t* y);

    // A field object of the definition at the map point (see field_object.h).
    CFieldObject* CreateFieldObject(uint32_t definition, int32_t x, int32_t y);

    // The placed objects of the file's header: definition and position, in file order.
    std::vector<std::tuple<int32_t, int32_t, int32_t>> m_headerPlaced;

    // Effect slots (0-4).
    bool TriggerEffectSlot(uint32_t slot, uint32_t level, bool skipZero);
    const MapEffectSlot& GetEffectSlot(int32_t slot) const { return m_effectSlots[slot]; }
    uint8_t m_settled = 1;

    // Server objects and area markers.
    std::vector<MapAreaMarker>& AreaMarkers() { return m_areaMarkers; }
    std::vector<std::unique_ptr<MapServerObject>>& ServerObjects() { return m_serverObjects; }
    MapServerObject* FindObjectByKey(uint16_t key);
    MapServerObject* FindObjectById(uint32_t id);
    // (-1, -1) for an unknown id; the character's own point within 5 map
    // units of the object; else the point 4 units from the object toward the
    // character.
    void GetObjectPosition(int32_t* x, int32_t* y, int32_t charX, int32_t charY, uint32_t id);
    // The shown server object under the screen point (see the map's Part on picking).
    MapServerObject* PickObjectAt(int32_t x, int32_t y, bool widen, float* distance);

    // The object layer.
    CItemObject* FindLayerObject(uint32_t a, uint32_t b);
    CItemObject* DetachLayerObject(uint32_t a, uint32_t b);
    // The item lying on the ground under the server's object id (its first
    // second id), or null.
    CItemObject* FindGroundItem(uint32_t objectId);
    // Puts an item on the object layer at a map point (an item already on
    // it only moves there); an item icon then lies on the ground at the
    // point's tile.
    bool PlaceObject(CItemObject* item, int32_t x, int32_t y, int32_t z);

private:
    friend class CMapBackdrop;
    void LoadBlock(int32_t index);
    bool ReadBlockHead(int32_t index);
    bool ReadBlockBody(MapBlock& block);
    bool ReadBlockRecord(MapBlock& block);
    void UnloadBlock(MapBlock& block);
    void DamageBlock(MapBlock& block);
    // Lets go of the blocks that are not on the loaded-block list.
    void ForgetUnlistedBlocks();
    bool IsBlockOnScreen(const MapBlock& block) const;
    bool LoadPicture(MapRecordReader& reader, int32_t definition, int32_t kind, bool load);

    CMap* m_pMap;
    CMapObjectDefs m_defs;
    std::unordered_map<int32_t, std::unique_ptr<MapBlock>> m_blocks;
    std::unordered_set<int32_t> m_damagedBlocks;
    int32_t m_blocksAcross = 0, m_blocksDown = 0;
    int32_t m_width = 0, m_height = 0;
    float m_prevFocusX = 0.0f, m_prevFocusY = 0.0f;
    float m_focusX = 0.0f, m_focusY = 0.0f;
    float m_stepX = 0.0f, m_stepY = 0.0f;  // the stepped focus before the offsets
    float m_targetX = 0.0f, m_targetY = 0.0f;
    uint8_t m_moveFocus = 0;
    uint8_t m_refresh = 0;
    uint8_t m_placed = 0;
    int32_t m_focusCellX = INT32_MIN, m_focusCellY = INT32_MIN;  // none yet
    std::vector<int32_t> m_loadedList;
    int32_t m_blockReads = 0;
    CFieldObjectList m_groundLayer;
    CSlotObjectMgr m_objectLayer;
    std::vector<MapAreaMarker> m_areaMarkers;
    std::vector<std::unique_ptr<MapServerObject>> m_serverObjects;
    std::unique_ptr<CMapBackdrop> m_backdrop;
    MapEffectSlot m_effectSlots[MAP_EFFECT_SLOTS];
};

// Reads records of the open map file (held in memory) with bounds checks; the
// image manager reads embedded pictures through the file itself.
class MapRecordReader {
public:
    explicit MapRecordReader(CFileResource& file);

    bool Seek(uint32_t offset);
    uint32_t Position() const { return m_pos; }
    uint32_t Left() const { return m_size - m_pos; }
    bool U8(uint8_t& v);
    bool U16(uint16_t& v);
    bool U32(uint32_t& v);
    bool I32(int32_t& v);
    bool PeekU16(uint16_t& v) const;
    bool Skip(uint32_t count);
    // Bytes of the embedded picture at the position (0 when it does not read).
    uint32_t MeasurePicture(bool palettised) const;
    CFileResource& File() { return m_file; }

private:
    CFileResource& m_file;
    const uint8_t* m_data;
    uint32_t m_size;
    uint32_t m_pos = 0;
};

// The path file's contents: one node of portals per block. A portal is a
// cell of its block, so a block has at most 169; a portal's neighbours are
// the portals it reaches in a straight walk, at most those of the 3 x 3
// blocks around it. A file beyond either, or larger than
// PATH_MAX_FILE_BYTES, is damaged. Memory stays within six times the file.
inline constexpr uint32_t PATH_MAX_PORTALS = MAP_BLOCK_CELLS * MAP_BLOCK_CELLS;
inline constexpr uint32_t PATH_MAX_NEIGHBOURS = 9 * PATH_MAX_PORTALS;
inline constexpr uint32_t PATH_MAX_FILE_BYTES = 64u << 20;
struct PathLink {
    uint16_t m_cellX = 0, m_cellY = 0;
    std::vector<std::pair<uint16_t, uint16_t>> m_neighbours;  // cells reachable in a straight walk
};
struct PathNode {
    std::vector<PathLink> m_portals;
};

class CPathData {
public:
    CPathData() = default;
    virtual ~CPathData() = default;

    // Frees the old contents and reads "NNNN.PPD". Always true: a file that
    // cannot be opened shows a box with its path and leaves the data empty;
    // a damaged one shows the read-error box and leaves it empty.
    bool Load(const std::string& path);
    // Reads the bytes of a path file; false (after the read-error box) when damaged.
    bool LoadBytes(const uint8_t* data, size_t size, const char* name);
    void Clear();

    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    // The node of block (x, y), or null outside.
    const PathNode* GetNode(int32_t blockX, int32_t blockY) const;
    size_t GetPortalCount() const;

private:
    int32_t m_width = 0, m_height = 0;
    std::vector<PathNode> m_nodes;
};
