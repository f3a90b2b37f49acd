#include "world/map/map_data.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "anim/ani_object.h"
#include "core/byte_source.h"
#include "core/util.h"
#include "data/data_boxes.h"
#include "data/file_resource.h"
#include "data/text_tables.h"
#include "graphics/image_mgr.h"
#include "graphics/image_resource.h"
#include "graphics/pixel_ops.h"
#include "graphics/span_image_format.h"
#include "platform/clock.h"
#include "world/map/map.h"
#include "world/map/map_backdrop.h"

namespace {

// Farther than this the focus jumps to its target instead of gliding.
constexpr float kFocusJump = 500.0f;
constexpr float kFocusStep = 0.125f;
// Blocks whose picture lies this far outside the screen are not read.
constexpr int32_t kScreenMargin = 96;

// Places an object on the field through the map's own view.
void PlaceOnField(CAniObject& object, const CIsoView& view, int32_t x, int32_t y, int32_t z) {
    const IsoPoint p = view.MapToScreen(x, y);
    object.m_screenX = p.x;
    object.m_screenY = p.y;
    object.m_screenZ = z;
    object.m_mapX = x;
    object.m_mapY = y;
    object.m_mapZ = z;
}

}  // namespace

// ---- The record reader ----

MapRecordReader::MapRecordReader(CFileResource& file)
    : m_file(file), m_data(file.GetData()), m_size(file.GetData() ? file.GetDataSize() : 0) {}

bool MapRecordReader::Seek(uint32_t offset) {
    if (offset > m_size) return false;
    m_pos = offset;
    return true;
}

bool MapRecordReader::U8(uint8_t& v) {
    if (Left() < 1) return false;
    v = m_data[m_pos++];
    return true;
}

bool MapRecordReader::U16(uint16_t& v) {
    if (!PeekU16(v)) return false;
    m_pos += 2;
    return true;
}

bool MapRecordReader::PeekU16(uint16_t& v) const {
    if (m_size - m_pos < 2) return false;
    v = uint16_t(m_data[m_pos] | (m_data[m_pos + 1] << 8));
    return true;
}

bool MapRecordReader::U32(uint32_t& v) {
    if (Left() < 4) return false;
    const uint8_t* p = m_data + m_pos;
    v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    m_pos += 4;
    return true;
}

bool MapRecordReader::I32(int32_t& v) {
    uint32_t u = 0;
    if (!U32(u)) return false;
    v = int32_t(u);
    return true;
}

bool MapRecordReader::Skip(uint32_t count) {
    if (count > Left()) return false;
    m_pos += count;
    return true;
}

uint32_t MapRecordReader::MeasurePicture(bool palettised) const {
    CMemorySource src(m_data + m_pos, Left());
    SpanPicture picture;
    const int kind = palettised ? PIXEL_KIND_INDEXED : PIXEL_KIND_565;
    if (!ReadSpanPicture(src, kind, 128, PIXEL_KIND_565, picture)) return 0;
    return picture.bytesRead;
}

// ---- Object definitions ----

void CMapObjectDefs::Init(int32_t count) {
    Free();
    m_count = std::max(count, 0);
}

void CMapObjectDefs::Free() {
    for (auto& [index, entry] : m_defs) FreeDefinition(index);
    m_defs.clear();
    m_count = 0;
    m_loadedCount = 0;
    m_totalSize = 0;
}

CMapObjectDefs::Entry* CMapObjectDefs::Find(int32_t index) {
    auto it = m_defs.find(index);
    return it == m_defs.end() ? nullptr : &it->second;
}

const CMapObjectDefs::Entry* CMapObjectDefs::Find(int32_t index) const {
    auto it = m_defs.find(index);
    return it == m_defs.end() ? nullptr : &it->second;
}

MapObjectDef* CMapObjectDefs::Get(int32_t index) {
    if (index < 0 || index >= m_count) return nullptr;
    Entry& entry = m_defs[index];
    entry.def.m_index = index;
    return &entry.def;
}

const MapObjectDef* CMapObjectDefs::Get(int32_t index) const {
    if (index < 0 || index >= m_count) return nullptr;
    static const MapObjectDef kUnnamed;
    const Entry* entry = Find(index);
    return entry ? &entry->def : &kUnnamed;
}

int32_t CMapObjectDefs::GetUseCount(int32_t index) const {
    const Entry* entry = Find(index);
    return entry ? entry->uses : 0;
}

CImageFileResource* CMapObjectDefs::GetPicture(int32_t index) const {
    const MapObjectDef* d = Get(index);
    if (!d || !d->m_loaded) return nullptr;
    if (IsMapImageKind(d->m_kind)) return d->m_pImage;
    if (IsMapVariantKind(d->m_kind)) {
        const MapObjectDef* base = Get(d->m_base);
        return base && base->m_loaded && IsMapImageKind(base->m_kind) ? base->m_pImage : nullptr;
    }
    return nullptr;
}

void CMapObjectDefs::AddUse(int32_t index) {
    if (index >= 0 && index < m_count && Get(index)) ++Find(index)->uses;
}

void CMapObjectDefs::DropUse(int32_t index) {
    Entry* entry = Find(index);
    if (!entry) return;
    if (entry->uses > 0) --entry->uses;
    if (entry->uses == 0 && entry->def.m_loaded) FreeDefinition(index);
}

void CMapObjectDefs::FreeDefinition(int32_t index) {
    Entry* entry = Find(index);
    if (!entry) return;
    MapObjectDef* d = &entry->def;
    const bool wasLoaded = d->m_loaded != 0;
    const int32_t base = IsMapVariantKind(d->m_kind) ? d->m_base : -1;
    delete d->m_pAniObject;
    if (d->m_imageId) ReleaseImage(d->m_imageId);
    const int32_t keepIndex = d->m_index;
    const int32_t pair[2] = {d->m_eventPair[0], d->m_eventPair[1]};
    if (wasLoaded) {
        --m_loadedCount;
        m_totalSize -= int32_t(d->m_imageSize);
    }
    *d = MapObjectDef();
    d->m_index = keepIndex;
    d->m_eventPair[0] = pair[0];
    d->m_eventPair[1] = pair[1];
    d->m_released = 1;
    // A variant held one use of its base.
    if (wasLoaded && base >= 0) DropUse(base);
}

void CMapObjectDefs::MarkLoaded(int32_t index, uint32_t size) {
    MapObjectDef* d = Get(index);
    if (!d) return;
    d->m_loaded = 1;
    d->m_released = 0;
    d->m_imageSize = size;
    d->m_loadTime = plat::timeGetTime();
    ++m_loadedCount;
    m_totalSize += int32_t(size);
}

// ---- The map data ----

CMapData::CMapData(CMap* map) : m_pMap(map), m_backdrop(std::make_unique<CMapBackdrop>(this)) {}

CMapData::~CMapData() {
    CMapData::Release();
}

bool CMapData::Create() {
    return true;
}

bool CMapData::Release() {
    // Field objects hold image uses of their own; the definitions give theirs back.
    m_groundLayer.Release();
    m_objectLayer.Release();
    m_areaMarkers.clear();
    m_serverObjects.clear();
    m_blocks.clear();
    m_damagedBlocks.clear();
    m_loadedList.clear();
    m_defs.Free();
    if (m_backdrop) m_backdrop->Release();
    return true;
}

void CMapData::Init(int32_t width, int32_t height, int32_t definitionCount) {
    m_width = width;
    m_height = height;
    m_blocksAcross = (width + MAP_BLOCK_CELLS - 1) / MAP_BLOCK_CELLS;
    m_blocksDown = (height + MAP_BLOCK_CELLS - 1) / MAP_BLOCK_CELLS;
    m_blocks.clear();
    m_damagedBlocks.clear();
    m_defs.Init(definitionCount);
}

MapBlock* CMapData::GetBlock(int32_t index) {
    if (index < 0 || int64_t(index) >= int64_t(m_blocksAcross) * m_blocksDown) return nullptr;
    std::unique_ptr<MapBlock>& block = m_blocks[index];
    if (!block) {
        block = std::make_unique<MapBlock>();
        block->m_index = index;
        block->m_firstCellX = (index % m_blocksAcross) * MAP_BLOCK_CELLS;
        block->m_firstCellY = (index / m_blocksAcross) * MAP_BLOCK_CELLS;
    }
    return block.get();
}

const MapBlock* CMapData::FindBlock(int32_t index) const {
    auto it = m_blocks.find(index);
    return it == m_blocks.end() ? nullptr : it->second.get();
}

void CMapData::SetFocus(float x, float y) {
    if (x == m_focusX && y == m_focusY) return;
    m_targetX = x;
    m_targetY = y;
    m_moveFocus = 1;
}

void CMapData::GetFocusBlock(int32_t* blockX, int32_t* blockY) const {
    int32_t bx = -1, by = -1;
    const int32_t cx = int32_t(m_focusX) / MAP_CELL_W, cy = int32_t(m_focusY) / MAP_CELL_H;
    if (m_focusX >= 0.0f && m_focusY >= 0.0f && cx < m_width && cy < m_height) {
        bx = int32_t(m_focusX) / MAP_BLOCK_W;
        by = int32_t(m_focusY) / MAP_BLOCK_H;
        if (bx >= m_blocksAcross || by >= m_blocksDown) bx = by = -1;
    }
    *blockX = bx;
    *blockY = by;
}

bool CMapData::Update() {
    // 1. Step the focus toward its target.
    const float dx = m_targetX - m_stepX, dy = m_targetY - m_stepY;
    const float distance = std::sqrt(dx * dx + dy * dy);
    if (!g_cameraFollow || distance > kFocusJump || distance < 1.0f) {
        if (distance > kFocusJump && m_backdrop) m_backdrop->RestartFullRedraws();
        m_stepX = m_targetX;
        m_stepY = m_targetY;
        m_moveFocus = 0;
    } else {
        m_stepX += dx * kFocusStep;
        m_stepY += dy * kFocusStep;
    }
    float fx = m_stepX + float(m_baseFocusX), fy = m_stepY + float(m_baseFocusY);
    for (const auto& offset : m_offsets) {
        fx += float(offset[0]);
        fy += float(offset[1]);
    }
    if (m_stepX != 0.0f || m_stepY != 0.0f) m_placed = 1;

    // 3. Nothing more unless the focus moved.
    if (fx != m_focusX || fy != m_focusY || m_focusCellX == INT32_MIN) {
        m_prevFocusX = m_focusX;
        m_prevFocusY = m_focusY;
        m_focusX = fx;
        m_focusY = fy;
        m_refresh = 1;
        m_pMap->PlaceCamera(fx, fy);
        // 4. Blocks follow the focus from cell to cell.
        const int32_t cellX = int32_t(fx) / MAP_CELL_W, cellY = int32_t(fy) / MAP_CELL_H;
        if (cellX != m_focusCellX || cellY != m_focusCellY) {
            m_focusCellX = cellX;
            m_focusCellY = cellY;
            int32_t bx = 0, by = 0;
            GetFocusBlock(&bx, &by);
            DropFarBlocks(bx, by);
            const int32_t n = m_pMap->GetLoadWindow();
            for (int32_t r = 0; r < n; ++r)
                for (int32_t c = 0; c < n; ++c) {
                    const int32_t x = bx - n / 2 + c, y = by - n / 2 + r;
                    if (x >= 0 && y >= 0 && x < m_blocksAcross && y < m_blocksDown)
                        RequestBlock(y * m_blocksAcross + x);
                }
        }
        // 5. The backdrop redraws from the new focus.
        if (m_backdrop) m_backdrop->SetFocus(fx, fy);
    }
    m_groundLayer.UpdateAll();
    m_objectLayer.Update();
    return true;
}

MapCell* CMapData::GetLoadedCell(int32_t cellX, int32_t cellY) {
    if (cellX < 0 || cellY < 0 || cellX >= m_width || cellY >= m_height) return nullptr;
    auto it = m_blocks.find((cellY / MAP_BLOCK_CELLS) * m_blocksAcross + cellX / MAP_BLOCK_CELLS);
    MapBlock* block = it == m_blocks.end() ? nullptr : it->second.get();
    if (!block || !block->m_loaded || block->m_unloading || block->m_cells.empty()) return nullptr;
    const int32_t x = cellX - block->m_firstCellX, y = cellY - block->m_firstCellY;
    if (x >= block->m_width || y >= block->m_height) return nullptr;
    return &block->m_cells[size_t(y) * block->m_width + size_t(x)];
}

MapCell* CMapData::GetCell(int32_t cellX, int32_t cellY) {
    return m_pMap->IsReady() ? GetLoadedCell(cellX, cellY) : nullptr;
}

// ---- Streaming ----

void CMapData::RequestBlock(int32_t index) {
    MapBlock* block = GetBlock(index);
    if (!block) return;
    if (block->m_listed) {
        if (!block->m_loaded && !block->m_loading) LoadBlock(index);
        return;
    }
    block->m_listed = 1;
    m_loadedList.push_back(index);
    LoadBlock(index);
}

void CMapData::DropFarBlocks(int32_t blockX, int32_t blockY) {
    const int32_t half = m_pMap->GetLoadWindow() / 2;
    std::vector<int32_t> kept;
    for (int32_t index : m_loadedList) {
        MapBlock& b = *GetBlock(index);
        const int32_t x = b.m_firstCellX / MAP_BLOCK_CELLS, y = b.m_firstCellY / MAP_BLOCK_CELLS;
        if (x >= blockX - half && x <= blockX + half && y >= blockY - half && y <= blockY + half) {
            kept.push_back(index);
            continue;
        }
        if (b.m_loaded && !b.m_loading) UnloadBlock(b);
        b.m_listed = 0;
        b.m_loadRequested = 0;
    }
    m_loadedList.swap(kept);
    ForgetUnlistedBlocks();
}

void CMapData::ForgetUnlistedBlocks() {
    for (auto it = m_blocks.begin(); it != m_blocks.end();) {
        const MapBlock& b = *it->second;
        if (b.m_listed || (b.m_loaded && !b.m_damaged)) {
            ++it;
            continue;
        }
        it = m_blocks.erase(it);
    }
}

void CMapData::LoadAllBlocks() {
    for (int32_t i = 0; int64_t(i) < int64_t(m_blocksAcross) * m_blocksDown; ++i) {
        MapBlock& b = *GetBlock(i);
        if (!b.m_listed) {
            b.m_listed = 1;
            m_loadedList.push_back(i);
        }
        if (b.m_loaded) continue;
        if (!b.m_headRead && !ReadBlockHead(i)) {
            DamageBlock(b);
            continue;
        }
        b.m_loading = 1;
        if (!ReadBlockBody(b)) DamageBlock(b);
    }
}

bool CMapData::IsBlockOnScreen(const MapBlock& block) const {
    const IsoPoint p = m_pMap->MapToScreen(block.m_firstCellX * MAP_CELL_W, block.m_firstCellY * MAP_CELL_H);
    const int64_t left = int64_t(p.x) + block.m_picLeft, right = int64_t(p.x) + block.m_picRight;
    const int64_t top = int64_t(p.y) + block.m_picTop, bottom = int64_t(p.y) + block.m_picBottom;
    return right > -kScreenMargin && left < m_pMap->GetScreenWidth() + kScreenMargin &&
           bottom > -kScreenMargin && top < m_pMap->GetScreenHeight() + kScreenMargin;
}

bool CMapData::IsWindowLoaded() {
    int32_t bx = 0, by = 0;
    GetFocusBlock(&bx, &by);
    const int32_t n = m_pMap->GetLoadWindow();
    for (int32_t r = 0; r < n; ++r)
        for (int32_t c = 0; c < n; ++c) {
            const int32_t x = bx - n / 2 + c, y = by - n / 2 + r;
            if (x < 0 || y < 0 || x >= m_blocksAcross || y >= m_blocksDown) continue;
            const int32_t index = y * m_blocksAcross + x;
            MapBlock& b = *GetBlock(index);
            if (b.m_loaded) continue;
            if (!b.m_headRead && !ReadBlockHead(index)) {
                DamageBlock(b);
                continue;
            }
            if (IsBlockOnScreen(b)) return false;
        }
    return true;
}

void CMapData::LoadBlock(int32_t index) {
    MapBlock& block = *GetBlock(index);
    if (m_damagedBlocks.count(index)) block.m_damaged = 1;
    if (block.m_damaged) {
        // A record that did not read is not read again: the block stays empty.
        block.m_loaded = 1;
        return;
    }
    if (!ReadBlockHead(index)) {
        DamageBlock(block);
        return;
    }
    if (!IsBlockOnScreen(block)) {
        block.m_loadRequested = 1;  // read when it comes into view
        return;
    }
    block.m_loading = 1;
    if (!ReadBlockBody(block)) DamageBlock(block);
}

bool CMapData::ReadBlockHead(int32_t index) {
    MapBlock& block = *GetBlock(index);
    const std::vector<uint32_t>& offsets = m_pMap->BlockOffsets();
    if (size_t(index) >= offsets.size()) return false;
    MapRecordReader reader(m_pMap->MapFile());
    uint16_t w = 0, h = 0, pw = 0, ph = 0;
    int32_t px = 0, py = 0;
    if (!reader.Seek(offsets[size_t(index)]) || !reader.U16(w) || !reader.U16(h) || !reader.U16(pw) ||
        !reader.U16(ph) || !reader.I32(px) || !reader.I32(py))
        return false;
    // The size must be the block's own: 13, or what is left at the edges.
    const int32_t expectW = std::min(MAP_BLOCK_CELLS, m_width - block.m_firstCellX);
    const int32_t expectH = std::min(MAP_BLOCK_CELLS, m_height - block.m_firstCellY);
    if (w != expectW || h != expectH) return false;
    // The picture's origin may lie anywhere, but its edges must still be numbers
    // we can hold: a hostile origin near the 32-bit limit is a damaged block.
    const int64_t right = int64_t(pw) - px, bottom = int64_t(ph) - py;
    if (px == INT32_MIN || py == INT32_MIN || right > INT32_MAX || bottom > INT32_MAX) return false;
    block.m_width = w;
    block.m_height = h;
    block.m_picLeft = -px;
    block.m_picTop = -py;
    block.m_picRight = int32_t(right);
    block.m_picBottom = int32_t(bottom);
    block.m_headRead = 1;
    return true;
}

bool CMapData::ReadBlockBody(MapBlock& block) {
    // What the block held before is let go only after the new contents are in,
    // so that a block read again keeps its definitions and field objects.
    const std::vector<MapGroundObject> oldGround = std::move(block.m_groundObjects);
    const std::vector<int32_t> oldPlaced = std::move(block.m_placed);
    block.m_groundObjects.clear();
    block.m_placed.clear();
    block.m_placedAt.clear();
    const bool read = ReadBlockRecord(block);
    if (read)
        for (const MapGroundObject& g : block.m_groundObjects)
            CreateFieldObject(g.m_definition, g.m_cellX * MAP_CELL_W, g.m_cellY * MAP_CELL_H);
    for (const MapGroundObject& g : oldGround) {
        const bool kept = read && std::any_of(block.m_groundObjects.begin(), block.m_groundObjects.end(),
                                              [&](const MapGroundObject& n) {
                                                  return n.m_cellX == g.m_cellX && n.m_cellY == g.m_cellY &&
                                                         n.m_definition == g.m_definition;
                                              });
        if (!kept) m_groundLayer.Deactivate(g.m_definition, g.m_cellX * MAP_CELL_W, g.m_cellY * MAP_CELL_H);
    }
    for (int32_t def : oldPlaced) m_defs.DropUse(def);
    if (!read) return false;
    block.m_loaded = 1;
    block.m_loading = 0;
    block.m_loadRequested = 0;
    block.m_unloadRequested = 0;
    return true;
}

bool CMapData::ReadBlockRecord(MapBlock& block) {
    ++m_blockReads;
    MapRecordReader reader(m_pMap->MapFile());
    if (!reader.Seek(m_pMap->BlockOffsets()[size_t(block.m_index)] + MAP_BLOCK_HEADER_SIZE)) return false;
    uint16_t count = 0;
    if (!reader.U16(count) || uint32_t(count) * 8 > reader.Left()) return false;
    block.m_groundObjects.resize(count);
    for (MapGroundObject& g : block.m_groundObjects)
        if (!reader.U16(g.m_cellX) || !reader.U16(g.m_cellY) || !reader.U32(g.m_definition)) return false;

    if (!reader.U16(count) || uint32_t(count) * 11 > reader.Left()) return false;
    for (uint16_t i = 0; i < count; ++i) {
        int32_t def = -1, x = 0, y = 0;
        if (!ReadPlacedObject(reader, &def, &x, &y)) return false;
        if (m_defs.Get(def)) {
            block.m_placed.push_back(def);
            block.m_placedAt.emplace_back(x, y);
        }
    }

    const uint32_t cellCount = uint32_t(block.m_width) * block.m_height;
    if (uint64_t(cellCount) * MAP_FILE_CELL_SIZE > reader.Left()) return false;
    block.m_cells.assign(cellCount, MapCell());
    for (MapCell& cell : block.m_cells) {
        uint16_t ignored = 0;
        reader.U16(cell.m_ground);
        reader.U16(ignored);
        reader.U16(cell.m_attributes);
        reader.U16(ignored);
    }
    return true;
}

void CMapData::DamageBlock(MapBlock& block) {
    m_pMap->ReportFileDamage("block");
    for (int32_t def : block.m_placed) m_defs.DropUse(def);
    block.m_placed.clear();
    block.m_placedAt.clear();
    block.m_groundObjects.clear();
    block.m_cells.clear();
    block.m_damaged = 1;
    m_damagedBlocks.insert(block.m_index);
    block.m_loaded = 1;
    block.m_loading = 0;
    block.m_loadRequested = 0;
}

void CMapData::UnloadBlock(MapBlock& block) {
    block.m_unloadRequested = 1;
    block.m_unloading = 1;
    for (const MapGroundObject& g : block.m_groundObjects)
        m_groundLayer.Deactivate(g.m_definition, g.m_cellX * MAP_CELL_W, g.m_cellY * MAP_CELL_H);
    for (int32_t def : block.m_placed) m_defs.DropUse(def);
    block.m_placed.clear();
    block.m_placedAt.clear();
    block.m_groundObjects.clear();
    block.m_cells.clear();
    block.m_cells.shrink_to_fit();
    block.m_loaded = block.m_loading = block.m_unloading = 0;
    block.m_loadRequested = block.m_unloadRequested = 0;
}

// ---- Object records ----

bool CMapData::LoadPicture(MapRecordReader& reader, int32_t definition, int32_t kind, bool load) {
    const bool palettised = kind == MAP_OBJ_IMAGE8;
    const uint32_t size = reader.MeasurePicture(palettised);
    if (size == 0) return false;
    if (load && g_pImageMgr && g_pImageCache) {
        CFileResource& file = reader.File();
        file.Seek(int32_t(reader.Position()), 0);
        CImageFileResource* image =
            palettised ? g_pImageMgr->CreateImage(&file) : g_pImageMgr->CreateImageEx(&file);
        if (image) {
            g_pImageCache->AcquireEntry(image->GetId());
            MapObjectDef* d = m_defs.Get(definition);
            d->m_kind = kind;
            d->m_pImage = image;
            d->m_imageId = image->GetId();
            m_defs.MarkLoaded(definition, size);
        }
    }
    return reader.Skip(size);
}

bool CMapData::ReadPlacedObject(MapRecordReader& reader, int32_t* definition, int32_t* x, int32_t* y) {
    if (!ReadObjectRecord(reader, definition) || !reader.I32(*x) || !reader.I32(*y)) return false;
    const auto offMap = [](int32_t v) { return v < -MAP_MAX_PLACED_COORD || v > MAP_MAX_PLACED_COORD; };
    if (offMap(*x) || offMap(*y)) return false;
    if (MapObjectDef* d = m_defs.Get(*definition)) {
        m_defs.AddUse(*definition);
        d->m_x = *x;
        d->m_y = *y - 24;
    }
    return true;
}

bool CMapData::ReadObjectRecord(MapRecordReader& reader, int32_t* definition) {
    *definition = -1;
    uint8_t kind = 0;
    if (!reader.U8(kind)) return false;
    const int32_t count = m_defs.GetCount();
    switch (kind) {
        case MAP_OBJ_ANIMATION: {
            uint16_t def = 0, animation = 0, motion = 0, facing = 0;
            if (!reader.U16(def) || !reader.U16(animation) || !reader.U16(motion) || !reader.U16(facing))
                return false;
            MapObjectDef* d = m_defs.Get(def);
            if (!d) return true;
            if (!d->m_loaded) {
                auto* object = new CAniObject;
                if (!object->SetAnimation(animation)) {
                    delete object;
                    return true;  // the definition stays empty
                }
                d->m_kind = MAP_OBJ_ANIMATION;
                d->m_pAniObject = object;
                d->m_animation = animation;
                d->m_motion = motion;
                d->m_facing = uint8_t(facing);
                m_defs.MarkLoaded(def, 0);
            }
            *definition = def;
            return true;
        }
        case MAP_OBJ_IMAGE:
        case MAP_OBJ_IMAGE8: {
            uint16_t def = 0;
            if (!reader.PeekU16(def)) return false;
            const bool load = def < count && !m_defs.Get(def)->m_loaded;
            if (!LoadPicture(reader, def, kind, load)) return false;
            if (def < count && m_defs.Get(def)->m_loaded) *definition = def;
            return true;
        }
        case MAP_OBJ_VARIANT:
        case MAP_OBJ_VARIANT8: {
            uint16_t def = 0, base = 0;
            if (!reader.U16(def) || !reader.U16(base)) return false;
            const int32_t baseKind = kind == MAP_OBJ_VARIANT ? MAP_OBJ_IMAGE : MAP_OBJ_IMAGE8;
            MapObjectDef* d = m_defs.Get(def);
            MapObjectDef* b = m_defs.Get(base);
            // The base must exist, be another definition and not be a variant itself.
            const bool usable = d && b && def != base && !(b->m_loaded && !IsMapImageKind(b->m_kind));
            if (!LoadPicture(reader, base, baseKind, usable && !b->m_loaded)) return false;
            if (!usable || !b->m_loaded) return true;
            b->m_isBase = 1;
            if (!d->m_loaded) {
                d->m_kind = kind;
                d->m_base = base;
                m_defs.AddUse(base);  // a variant holds its base
                m_defs.MarkLoaded(def, 0);
            }
            if (d->m_loaded) *definition = def;
            return true;
        }
        default:
            return false;  // an unknown kind leaves no way to the next record
    }
}

// ---- Field objects ----

CFieldObject* CMapData::CreateFieldObject(uint32_t definition, int32_t x, int32_t y) {
    const MapObjectDef* d = m_defs.Get(int32_t(std::min<uint32_t>(definition, INT32_MAX)));
    if (!d || !d->m_loaded) return nullptr;
    const CIsoView& view = m_pMap->View();
    if (d->m_kind == MAP_OBJ_ANIMATION) {
        if (CFieldObject* found = m_groundLayer.FindOrReuse(definition, x, y)) return found;
        auto* object = new CFieldObject;
        object->ClearOwner();
        if (!object->SetAnimation(d->m_animation)) {
            delete object;
            return nullptr;
        }
        object->SetMotion(uint8_t(d->m_motion));
        object->SetDirection(d->m_facing);
        object->SetUnderlay(true);
        object->ResetLayers();
        object->Play(true);
        object->m_fieldX = x;
        object->m_fieldY = y;
        object->m_hidden = 0;
        PlaceOnField(*object, view, x, y, 0);
        object->m_values[0] = d->m_eventPair[0];
        object->m_values[1] = d->m_eventPair[1];
        object->SetKindId(definition);
        m_groundLayer.AddActive(object);
        return object;
    }
    if (!IsMapImageKind(d->m_kind) && !IsMapVariantKind(d->m_kind)) return nullptr;
    CImageFileResource* picture = m_defs.GetPicture(int32_t(definition));
    if (!picture) return nullptr;
    CFieldObject* object = m_groundLayer.FindOrReuse(definition, x, y);
    if (!object) {
        object = new CFieldObject;
        object->SetKindId(definition);
        object->HoldImage(picture->GetId());
        object->ClearOwner();
        object->SetSpriteRef(picture);
        object->m_hidden = 0;
        object->m_fieldX = x;
        object->m_fieldY = y;
        object->m_linked = IsMapVariantKind(d->m_kind) ? 1 : 0;
        PlaceOnField(*object, view, x, y, 0);
        m_groundLayer.AddActive(object);
    }
    object->m_values[0] = d->m_eventPair[0];
    object->m_values[1] = d->m_eventPair[1];
    return object;
}

bool CMapData::TriggerEffectSlot(uint32_t slot, uint32_t level, bool skipZero) {
    if (slot >= uint32_t(MAP_EFFECT_SLOTS)) return false;
    if (skipZero && level == 0) return true;
    MapEffectSlot& s = m_effectSlots[slot];
    s.m_active = 1;
    s.m_timer = 0;
    s.m_level = level;
    m_settled = 0;
    return true;
}

// ---- The path file ----

void CPathData::Clear() {
    m_width = m_height = 0;
    m_nodes.clear();
}

const PathNode* CPathData::GetNode(int32_t blockX, int32_t blockY) const {
    if (blockX < 0 || blockY < 0 || blockX >= m_width || blockY >= m_height) return nullptr;
    return &m_nodes[size_t(blockY) * size_t(m_width) + size_t(blockX)];
}

size_t CPathData::GetPortalCount() const {
    size_t n = 0;
    for (const PathNode& node : m_nodes) n += node.m_portals.size();
    return n;
}

bool CPathData::LoadBytes(const uint8_t* data, size_t size, const char* name) {
    Clear();
    CMemorySource src(data, size);
    uint16_t header = 0;
    uint32_t width = 0, height = 0;
    const auto fail = [&](const char* part) {
        Clear();
        ShowFileReadError(name, part);
        return false;
    };
    if (!src.ReadU16(header) || !src.ReadU32(width) || !src.ReadU32(height)) return fail("header");
    // Every node takes at least its u32 count.
    const uint64_t nodesLeft = src.Remaining() / 4;
    if (width && height && (width > nodesLeft || height > nodesLeft / width)) return fail("header");
    std::vector<PathNode> nodes(size_t(width) * height);
    for (PathNode& node : nodes) {
        uint32_t portals = 0;
        if (!src.ReadU32(portals) || portals > PATH_MAX_PORTALS || uint64_t(portals) * 8 > src.Remaining())
            return fail("portals");
        node.m_portals.resize(portals);
        for (PathLink& link : node.m_portals) {
            uint32_t neighbours = 0;
            if (!src.ReadU16(link.m_cellX) || !src.ReadU16(link.m_cellY) || !src.ReadU32(neighbours) ||
                neighbours > PATH_MAX_NEIGHBOURS || uint64_t(neighbours) * 4 > src.Remaining())
                return fail("portals");
            link.m_neighbours.resize(neighbours);
            for (auto& [x, y] : link.m_neighbours)
                if (!src.ReadU16(x) || !src.ReadU16(y)) return fail("portals");
        }
    }
    if (width && height) {
        m_width = int32_t(width);
        m_height = int32_t(height);
        m_nodes = std::move(nodes);
    }
    return true;
}

bool CPathData::Load(const std::string& path) {
    Clear();
    std::vector<uint8_t> bytes;
    switch (ReadMapDataFile(path, bytes, PATH_MAX_FILE_BYTES)) {
        case MapDataRead::Missing:
            databox::Ok(path, GetTableText(0, 13));
            return true;
        case MapDataRead::Refused:
            return true;  // its box was shown; the path data stays empty
        case MapDataRead::Read:
            break;
    }
    LoadBytes(bytes.data(), bytes.size(), path.c_str());
    return true;
}
