#include "net/handlers/object_messages.h"

#include <cstring>
#include <memory>
#include <vector>

#include "core/config.h"
#include "data/char_resource_mgr.h"
#include "data/game_hooks.h"
#include "net/handlers/char_records.h"
#include "net/handlers/handler_rules.h"
#include "net/handlers/list_fields.h"
#include "net/handlers/map_records.h"
#include "net/packet_fields.h"
#include "net/packet_reader.h"
#include "net/packet_writer.h"

namespace {

// Kind 1's name part: two texts in fields of 64 and 69 bytes.
constexpr size_t NAME_PART_FIRST = 64;
constexpr size_t NAME_PART_SECOND = 69;
static_assert(NAME_PART_FIRST + NAME_PART_SECOND == CObjectAppearFields::NAME_SIZE);
// The smallest sub-record: a kind byte and an id.
constexpr size_t SUB_RECORD_MIN = 5;

struct Entry {
    std::unique_ptr<CMsgPayload> record;
    bool toMap = false;
    uint32_t id = 0;
    uint8_t flag = 0;
};

std::unique_ptr<CMsgPayload> ParseNpc(CPacketReader& body) {
    CObjectAppearFields f;
    f.m_charId = body.GetDword();
    f.m_resourceId = body.GetDword();
    f.m_tileX = body.GetWord();
    f.m_tileY = body.GetWord();
    f.m_direction = body.GetByte();
    for (uint32_t& v : f.m_status) v = body.GetDword();
    f.m_value1 = body.GetDword();
    f.m_value2 = body.GetDword();
    f.m_value3 = body.GetByte();  // the name part follows when set
    char first[NAME_PART_FIRST] = {};
    char second[NAME_PART_SECOND] = {};
    if (f.m_value3 != 0) {
        body.GetString(first);
        body.GetString(second);
        f.m_nameByte = body.GetByte();
    }
    auto record = std::make_unique<CObjectAppearMsg>();
    record->Set(f);
    // The name part is two texts side by side.
    std::memcpy(record->m_name, first, NAME_PART_FIRST);
    std::memcpy(record->m_name + NAME_PART_FIRST, second, NAME_PART_SECOND);
    return record;
}

std::unique_ptr<CMsgPayload> ParseMonster(CPacketReader& body, bool withText) {
    CCharAppearFields f;
    f.m_charId = body.GetDword();
    f.m_resourceId = body.GetDword();
    f.m_tileX = body.GetWord();
    f.m_tileY = body.GetWord();
    f.m_direction = body.GetByte();
    if (g_config.m_clientVersion >= APPEAR_VALUES_VERSION) {
        f.m_value1 = body.GetDword();
        f.m_value2 = body.GetDword();
    }
    f.m_byte1 = body.GetByte();
    for (uint32_t& v : f.m_status) v = body.GetDword();
    if (withText)
        body.GetString(f.m_text);
    else
        ReadOptionalValues(body, f.m_equipment);
    auto record = std::make_unique<CCharAppearMsg>();
    record->Set(f);
    return record;
}

std::unique_ptr<CMsgPayload> ParsePet(CPacketReader& body) {
    CObjectInfoFields f;
    f.m_values1[0] = body.GetDword();
    f.m_values1[1] = body.GetDword();
    f.m_values1[2] = body.GetWord();
    f.m_values1[3] = body.GetWord();
    f.m_byte = body.GetByte();
    for (uint32_t& v : f.m_values2) v = body.GetDword();
    f.m_word1 = body.GetByte();
    f.m_word2 = body.GetByte();
    f.m_value = body.GetTriple();
    // Names are cut to 63 bytes.
    if (body.GetByte() != 0) body.GetString(f.m_text1);
    if (body.GetByte() != 0) body.GetString(f.m_text2);
    auto record = std::make_unique<CObjectInfoMsg>();
    record->Set(f);
    return record;
}

std::unique_ptr<CMsgPayload> ParseGroundItem(CPacketReader& body, uint32_t& id) {
    const uint32_t value1 = body.GetDword();
    id = body.GetDword();
    body.GetByte();  // not kept by the map's record
    char name[MAP_RECORD_TEXT_SIZE];
    body.GetString(name);
    uint8_t expiry[5];
    PackDateTime(expiry, body);
    const int32_t x = body.GetWord();
    const int32_t y = body.GetWord();
    const uint32_t value2 = body.GetDword();
    const uint16_t count = body.GetWord();
    auto record = std::make_unique<CGroundItemMsg>();
    record->Set(id, value1, count, value2, name, expiry, CItemRecord(), x, y, 0);
    return record;
}

std::unique_ptr<CMsgPayload> ParseAreaMarker(CPacketReader& body, uint32_t id) {
    const int32_t x1 = body.GetWord();
    const int32_t y1 = body.GetWord();
    const int32_t x2 = body.GetWord();
    const int32_t y2 = body.GetWord();
    auto record = std::make_unique<CAreaMarkerMsg>();
    record->Set(id, x1, y1, x2, y2);
    return record;
}

std::unique_ptr<CMsgPayload> ParseFieldObject(CPacketReader& body, uint32_t id) {
    uint16_t words[9];
    for (uint16_t& w : words) w = body.GetWord();
    uint8_t bytes[5];
    for (uint8_t& b : bytes) b = body.GetByte();
    char name[MAP_RECORD_TEXT_SIZE];
    body.GetString(name);
    auto record = std::make_unique<CFieldObjectMsg>();
    record->Set(id, words[0], words[1], words[2], words[3], words[4], words[5], words[6], words[7], words[8],
                bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], name);
    return record;
}

// One sub-record; false for an unknown kind.
bool ParseEntry(CPacketReader& body, Entry& entry) {
    const uint8_t kind = body.GetByte();
    switch (kind) {
        case 1:
            entry.record = ParseNpc(body);
            entry.flag = ID_FLAG_NPC;
            break;
        case 2:
        case 7:
            entry.record = ParseMonster(body, kind == 7);
            entry.flag = ID_FLAG_MONSTER;
            break;
        case 6:
            entry.record = ParsePet(body);
            entry.flag = ID_FLAG_PET;
            break;
        case 3:
            entry.record = ParseGroundItem(body, entry.id);
            entry.toMap = true;
            entry.flag = ID_FLAG_GROUND_ITEM;
            return true;
        case 4:
        case 5:
            entry.id = body.GetDword();
            entry.record = kind == 4 ? ParseAreaMarker(body, entry.id) : ParseFieldObject(body, entry.id);
            entry.toMap = true;
            entry.flag = kind == 4 ? ID_FLAG_AREA_MARKER : ID_FLAG_FIELD_OBJECT;
            return true;
        default:
            return false;
    }
    // The character records begin with their id.
    if (const auto* npc = dynamic_cast<const CObjectAppearMsg*>(entry.record.get())) entry.id = npc->m_charId;
    if (const auto* monster = dynamic_cast<const CCharAppearMsg*>(entry.record.get()))
        entry.id = monster->m_charId;
    if (const auto* pet = dynamic_cast<const CObjectInfoMsg*>(entry.record.get()))
        entry.id = pet->m_values1[0];
    return true;
}

}  // namespace

void HandleObjectsInView(CGameSession&, uint8_t, CPacketReader& body) {
    const uint16_t count = body.GetWord();
    if (!CountFits(body, count, SUB_RECORD_MIN)) return;
    std::vector<Entry> entries(count);
    for (Entry& entry : entries)
        if (!ParseEntry(body, entry) || body.Failed()) return;
    for (const Entry& entry : entries) {
        if (entry.toMap)
            GameWorld().HandleMapMessage(*entry.record);
        else
            GameWorld().HandleCharRecord(*entry.record);
        // Marked before the next object is delivered.
        if (g_pCharResourceMgr) g_pCharResourceMgr->SetIdFlag(entry.id, entry.flag);
    }
    RearmConnection();
}

std::vector<uint8_t> WriteObjectsInView(const std::vector<CViewCharacter>& objects, uint16_t clientVersion) {
    CMessageWriter message(SERVER_OBJECTS_IN_VIEW);
    message.PutWord(uint16_t(objects.size()));
    for (const CViewCharacter& object : objects) {
        const bool npc = object.kind == CViewCharacter::KIND_NPC;
        message.PutByte(npc ? CViewCharacter::KIND_NPC : CViewCharacter::KIND_MONSTER);
        message.PutDword(object.id).PutDword(object.resourceId).PutWord(object.tileX).PutWord(object.tileY);
        message.PutByte(object.direction);
        if (npc) {
            for (int word = 0; word < 4; ++word) message.PutDword(0);  // the status set
            message.PutDword(0).PutDword(0).PutByte(1);                // two values, then the name part
            message.PutText(object.name.substr(0, NAME_PART_FIRST - 1)).PutText("").PutByte(0);
        } else {
            if (clientVersion >= APPEAR_VALUES_VERSION) message.PutDword(0).PutDword(0);
            message.PutByte(0);
            for (int word = 0; word < 4; ++word) message.PutDword(0);  // the status set
            message.PutWord(0);                                        // no equipment
        }
    }
    return message.Take();
}

std::vector<uint8_t> WriteGroundItemsInView(const std::vector<CViewGroundItem>& items) {
    CMessageWriter message(SERVER_OBJECTS_IN_VIEW);
    message.PutWord(uint16_t(items.size()));
    for (const CViewGroundItem& item : items) {
        message.PutByte(3).PutDword(item.itemId).PutDword(item.objectId).PutByte(0).PutText(item.name);
        message.PutDword(0).PutWord(item.tileX).PutWord(item.tileY).PutDword(0).PutWord(item.count);
    }
    return message.Take();
}
