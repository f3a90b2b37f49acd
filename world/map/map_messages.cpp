// The map's messages, the objects the server places on it and the field slots.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/drop_log.h"
#include "core/input_mgr.h"
#include "core/main_mgr.h"
#include "core/util.h"
#include "data/item_object.h"
#include "data/item_table_mgr.h"
#include "net/handlers/map_records.h"
#include "platform/window.h"
#include "ui/items/item_icon.h"
#include "world/map/map.h"
#include "world/map/map_services.h"
#include "world/map/map_windows.h"

uint8_t g_targetSnapping = 0;

namespace {

constexpr int32_t kPickNarrow = 40;  // narrower or lower hit boxes are widened with the option
constexpr int32_t kPickWiden = 20;
constexpr float kBesideObject = 5.0f;
constexpr float kApproach = 4.0f;

// The map point in the middle of a rectangle of tiles.
void MiddleOf(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t* x, int32_t* y) {
    *x = ((x2 - x1) / 2 + x1) * MAP_TILE_W;
    *y = ((y2 - y1) / 2 + y1) * MAP_TILE_H;
}

void PlaceAt(CAniObject& object, const CIsoView& view, int32_t x, int32_t y) {
    const IsoPoint p = view.MapToScreen(x, y);
    object.m_screenX = p.x;
    object.m_screenY = p.y;
    object.m_mapX = x;
    object.m_mapY = y;
    object.m_mapZ = 0;
}

template <class T>
const T* As(const CMsgPayload& msg) {
    return dynamic_cast<const T*>(&msg);
}

}  // namespace

void CMap::HandleMessage(const CMsgPayload& msg) {
    IMapCharacters* chars = GetMapCharacters();
    switch (msg.m_id) {
        case MAP_MSG_OBJECT_GONE:
            if (const auto* m = As<CMapIdMsg>(msg)) {
                if (chars) chars->DropLinkedObject(m->m_objectId);
                if (m_pMapData)
                    if (CItemObject* item = m_pMapData->FindGroundItem(m->m_objectId))
                        m_pMapData->ObjectLayer().RemoveItem(item);
            }
            break;
        case MAP_MSG_OBJECT_TO_FIELD:
            if (const auto* m = As<CObjectToFieldMsg>(msg); m && m_pMapData)
                if (CItemObject* item = m_pMapData->FindGroundItem(m->m_objectId))
                    AddFieldObject(m_pMapData->ObjectLayer().TakeOutItem(item));
            break;
        case MAP_MSG_GROUND_ITEM:
            if (const auto* m = As<CGroundItemMsg>(msg)) PlaceGroundItem(*m);
            break;
        case MAP_MSG_CHANGE_MAP:
            if (const auto* m = As<CMapChangeMsg>(msg)) ChangeMap(*m);
            break;
        case MAP_MSG_AREA_MARKER:
            if (const auto* m = As<CAreaMarkerMsg>(msg); m && m_pMapData) {
                auto& markers = m_pMapData->AreaMarkers();
                auto it = std::find_if(markers.begin(), markers.end(),
                                       [&](const MapAreaMarker& a) { return a.m_id == m->m_id; });
                if (it == markers.end()) {
                    if (markers.size() >= MAP_MAX_AREA_MARKERS) {
                        NoteDropped("area markers", MAP_MAX_AREA_MARKERS);
                        break;
                    }
                    MapAreaMarker marker;
                    marker.m_id = m->m_id;
                    marker.m_pAniObject = std::make_unique<CAniObject>();
                    marker.m_pAniObject->SetAnimation(MAP_AREA_MARKER_ANIMATION);
                    marker.m_pAniObject->SetMotion(0);
                    marker.m_pAniObject->SetDirection(2);
                    marker.m_pAniObject->Play(true);
                    markers.push_back(std::move(marker));
                    it = markers.end() - 1;
                }
                it->m_x1 = m->m_x1;
                it->m_y1 = m->m_y1;
                it->m_x2 = m->m_x2;
                it->m_y2 = m->m_y2;
                int32_t x = 0, y = 0;
                MiddleOf(m->m_x1, m->m_y1, m->m_x2, m->m_y2, &x, &y);
                PlaceAt(*it->m_pAniObject, m_view, x, y);
            }
            break;
        case MAP_MSG_AREA_MARKER_GONE:
            if (const auto* m = As<CMapIdMsg>(msg); m && m_pMapData) {
                auto& markers = m_pMapData->AreaMarkers();
                std::erase_if(markers, [&](const MapAreaMarker& a) { return a.m_id == m->m_objectId; });
            }
            break;
        case MAP_MSG_SERVER_OBJECT:
            if (const auto* m = As<CFieldObjectMsg>(msg); m && m_pMapData) HandleServerObject(*m);
            break;
        case MAP_MSG_SERVER_OBJECT_GONE:
            if (const auto* m = As<CMapIdMsg>(msg); m && m_pMapData)
                std::erase_if(m_pMapData->ServerObjects(), [&](const std::unique_ptr<MapServerObject>& o) {
                    return o->m_id == m->m_objectId;
                });
            break;
        case MAP_MSG_WEATHER:
            if (const auto* m = As<CWeatherMsg>(msg); m && g_weatherOn) SetWeather(m->m_kind, m->m_strength);
            break;
        case MAP_MSG_TIME_OF_DAY:
            if (const auto* m = As<CTimeOfDayMsg>(msg)) SetTimeOfDay(m->m_value1, m->m_value2, m->m_night);
            break;
        case MAP_MSG_ZONE_MARKER:
            if (const auto* m = As<CZoneMarkerMsg>(msg)) SetZoneMarker(*m);
            break;
        case MAP_MSG_ZONE_MARKER_GONE:
            if (const auto* m = As<CMapIdMsg>(msg)) RemoveZoneMarker(m->m_objectId);
            break;
        default:
            break;
    }
}

void CMap::HandleServerObject(const CFieldObjectMsg& msg) {
    auto& objects = m_pMapData->ServerObjects();
    MapServerObject* object = m_pMapData->FindObjectByKey(msg.m_key);
    if (object && object->m_animation == msg.m_animation && object->m_pAniObject) {
        object->m_pAniObject->SetMotion(msg.m_motion);
        object->m_pAniObject->SetDirection(msg.m_direction);
    } else {
        std::erase_if(objects,
                      [&](const std::unique_ptr<MapServerObject>& o) { return o->m_key == msg.m_key; });
        auto made = std::make_unique<MapServerObject>();
        made->m_pAniObject = std::make_unique<CAniObject>();
        made->m_pAniObject->SetAnimation(msg.m_animation);
        made->m_pAniObject->SetMotion(msg.m_motion);
        made->m_pAniObject->SetDirection(msg.m_direction);
        made->m_pAniObject->ResetLayers();
        made->m_animation = msg.m_animation;
        object = made.get();
        objects.push_back(std::move(made));
    }
    object->m_id = msg.m_id;
    object->m_values[0] = msg.m_value1;
    object->m_values[1] = msg.m_value2;
    object->m_key = msg.m_key;
    object->m_secondWord = msg.m_secondWord;
    object->m_hidden = msg.m_hidden;
    object->m_aniByte = msg.m_byte1;
    object->m_byte = msg.m_byte2;
    object->m_x1 = msg.m_x1;
    object->m_y1 = msg.m_y1;
    object->m_x2 = msg.m_x2;
    object->m_y2 = msg.m_y2;
    CopyDbcsPrefix(msg.m_name, sizeof object->m_name - 1, object->m_name);
    int32_t x = 0, y = 0;
    MiddleOf(msg.m_x1, msg.m_y1, msg.m_x2, msg.m_y2, &x, &y);
    PlaceAt(*object->m_pAniObject, m_view, x, y);
    if (msg.m_hidden)
        object->m_pAniObject->Stop();
    else
        object->m_pAniObject->Play(true);
}

void CMap::ChangeMap(const CMapChangeMsg& msg) {
    IMapCharacters* chars = GetMapCharacters();
    if (chars) chars->RemoveAllButPlayer();
    const bool oldKind3 = IsMapKind3();
    Release();
    Create();
    if (chars) chars->ResetPlayerMapState();
    if (g_pAniPlayMgr) g_pAniPlayMgr->Release();
    if (IFieldEffects* effects = GetFieldEffects()) effects->DeleteAllParticles();
    m_serverAttrFlag = msg.m_serverAttrFlag;
    m_attrByte = msg.m_attrByte;
    m_eventByte = msg.m_eventByte;
    LoadStage(msg.m_stage);
    if (g_pMainMgr)
        if (auto* scene = dynamic_cast<IMapChangeListener*>(g_pMainMgr->FindChildByKind(0)))
            scene->OnMapChange(oldKind3 || IsMapKind3());
    m_mapChanged = 1;
    mapwin::CloseMessageBoxes();
}

// ---- Items on the ground ----

// The item is the entry the characters keep for the object id, else the one
// already lying here under it (the server repeats an item coming back into
// view), else a new item of the item id the message begins with. Its place
// comes in tiles.
void CMap::PlaceGroundItem(const CGroundItemMsg& msg) {
    IMapCharacters* chars = GetMapCharacters();
    CItemObject* entry = chars ? chars->FindObjectEntry(msg.m_objectId) : nullptr;
    if (!entry && m_pMapData) entry = m_pMapData->FindGroundItem(msg.m_objectId);
    std::unique_ptr<CItemObject> made;
    if (!entry) {
        if (!m_pMapData) return;  // nowhere to put a new one
        made.reset(g_pItemTableMgr ? g_pItemTableMgr->MakeItem(msg.m_value1) : nullptr);
        // An item the tables do not know still lies here under the server's name.
        if (!made) {
            made.reset(CItemTableMgr::NewItemObject());
            made->Init(-1, msg.m_value1);
        }
        entry = made.get();
    }
    entry->SetValues(msg.m_value1, msg.m_value2);
    entry->SetAuxValue(msg.m_value16);
    entry->SetCount(msg.m_value16);
    entry->SetName(msg.m_name);
    entry->SetSecondIds(msg.m_objectId, 0);
    CopyItemRecord(entry->Record(), msg.m_record);
    if (auto* icon = dynamic_cast<CItemIcon*>(entry)) icon->Expiry().SetDate(msg.m_expiry);
    if (m_pMapData && m_pMapData->PlaceObject(entry, msg.m_x * MAP_TILE_W, msg.m_y * MAP_TILE_H, msg.m_z))
        made.release();  // the layer owns it now
}

// ---- Field slots ----

void CMap::AddFieldObject(CItemObject* object) {
    if (!object) return;
    for (CItemObject*& slot : m_fieldSlots)
        if (!slot) {
            slot = object;
            // An item leaves its place on the ground for its motion in the slot.
            if (auto* icon = dynamic_cast<CItemIcon*>(object))
                icon->StartFieldMotion();
            else
                object->Show();
            return;
        }
    delete object;
}

CItemObject* CMap::FindFieldObject(uint32_t objectId) const {
    return m_pMapData ? m_pMapData->FindGroundItem(objectId) : nullptr;
}

void CMap::DrawFieldObjects() {
    for (CItemObject* slot : m_fieldSlots)
        if (slot) slot->Draw();
}

void CMap::DeleteFieldObjects() {
    for (CItemObject*& slot : m_fieldSlots) {
        delete slot;
        slot = nullptr;
    }
}

// ---- Server objects and the object layer ----

MapServerObject* CMapData::FindObjectByKey(uint16_t key) {
    for (auto& object : m_serverObjects)
        if (object->m_key == key) return object.get();
    return nullptr;
}

MapServerObject* CMapData::FindObjectById(uint32_t id) {
    for (auto& object : m_serverObjects)
        if (object->m_id == id) return object.get();
    return nullptr;
}

void CMapData::GetObjectPosition(int32_t* x, int32_t* y, int32_t charX, int32_t charY, uint32_t id) {
    const MapServerObject* object = FindObjectById(id);
    if (!object || !object->m_pAniObject) {
        *x = *y = -1;
        return;
    }
    const float ox = float(object->m_pAniObject->m_mapX), oy = float(object->m_pAniObject->m_mapY);
    const float d = GetDistance(ox, oy, float(charX), float(charY));
    if (d <= kBesideObject) {
        *x = charX;
        *y = charY;
        return;
    }
    *x = int32_t(ox + (float(charX) - ox) * kApproach / d + 0.5f);
    *y = int32_t(oy + (float(charY) - oy) * kApproach / d + 0.5f);
}

MapServerObject* CMapData::PickObjectAt(int32_t x, int32_t y, bool widen, float* distance) {
    IAniEvents* events = GetAniEvents();
    if (events && (events->IsVisualEventRunning() || events->IsFieldScriptRunning())) return nullptr;
    const bool widened = widen && g_targetSnapping;
    MapServerObject* best = nullptr;
    float bestDistance = distance ? *distance : 0.0f;
    int32_t centreX = 0, centreY = 0;
    for (auto& object : m_serverObjects) {
        CAniObject* ani = object->m_pAniObject.get();
        if (!ani || object->m_hidden || ani->m_hidden) continue;
        AniRect r = ani->GetBounds(false, false);
        if (widened) {
            if (r.right - r.left < kPickNarrow) r.left -= kPickWiden, r.right += kPickWiden;
            if (r.bottom - r.top < kPickNarrow) r.top -= kPickWiden, r.bottom += kPickWiden;
        }
        if (!(x > r.left && x < r.right && y > r.top && y < r.bottom)) continue;
        if (widened) {
            const int32_t cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
            const float d = GetDistance(float(x), float(y), float(cx), float(cy));
            if (best && d >= bestDistance) continue;
            if (!best && distance && d >= bestDistance) continue;
            best = object.get();
            bestDistance = d;
            centreX = cx;
            centreY = cy;
        } else if (!best || best->m_pAniObject->m_layer <= ani->m_layer) {
            best = object.get();
        }
    }
    if (best && widened) {
        if (distance) *distance = bestDistance;
        if (g_pInputMgr) g_pInputMgr->SetMousePos(centreX, centreY);
        plat::SetCursorPos(centreX, centreY);
    }
    return best;
}

CItemObject* CMapData::FindLayerObject(uint32_t a, uint32_t b) {
    return m_objectLayer.FindBySecondIds(a, b);
}

CItemObject* CMapData::DetachLayerObject(uint32_t a, uint32_t b) {
    CItemObject* item = m_objectLayer.FindBySecondIds(a, b);
    return item ? m_objectLayer.TakeOutItem(item) : nullptr;
}

CItemObject* CMapData::FindGroundItem(uint32_t objectId) {
    return m_objectLayer.FindByFirstSecondId(objectId);
}

bool CMapData::PlaceObject(CItemObject* item, int32_t x, int32_t y, int32_t z) {
    if (!item) return false;
    const bool onLayer = m_objectLayer.FindChild(item->GetId()) == item;
    if (!onLayer && size_t(m_objectLayer.ChildCount()) >= MAP_MAX_GROUND_ITEMS) {
        NoteDropped("items on the ground", MAP_MAX_GROUND_ITEMS);
        return false;
    }
    if (!onLayer && !m_objectLayer.AddChild(item)) return false;
    // An icon draws itself and answers its map point from its ground tile.
    if (auto* icon = dynamic_cast<CItemIcon*>(item)) {
        icon->SetState(ITEM_ON_GROUND);
        icon->SetPosition(x / MAP_TILE_W, y / MAP_TILE_H, z);
    }
    if (CAniObject* ani = item->GetAniObject()) {
        PlaceAt(*ani, m_pMap->View(), x, y);
        ani->m_mapZ = z;
    }
    return true;
}
