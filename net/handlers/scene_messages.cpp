#include "net/handlers/scene_messages.h"

#include <algorithm>
#include <memory>

#include "core/config.h"
#include "core/main_mgr.h"
#include "data/game_hooks.h"
#include "net/connection.h"
#include "net/handlers/handler_rules.h"
#include "net/handlers/list_fields.h"
#include "net/handlers/map_records.h"
#include "net/handlers/scene_records.h"
#include "net/handlers/server_windows.h"
#include "net/packet_reader.h"
#include "net/packet_writer.h"

namespace {

// Entries beyond a record's capacity are read past into this.
struct Spare {
    char name[CNameListMsg::NAME_SIZE];
    char second[CNameListMsg::SECOND_SIZE];
};

// Forms 0 and 1: a zone marker for the map, and its removal.
void ZoneMarker(uint8_t form, CPacketReader& body) {
    const uint32_t id = body.GetDword();
    if (form == 1) {
        CZoneMarkerGoneMsg gone;
        gone.Set(id);
        if (!body.Failed()) GameWorld().HandleMapMessage(gone);
        return;
    }
    const bool withStyle = g_config.m_clientVersion >= ZONE_BYTE_VERSION;
    const uint8_t style = withStyle ? body.GetByte() : ZONE_BYTE_DEFAULT;
    const int32_t x1 = body.GetWord();
    const int32_t y1 = body.GetWord();
    const int32_t x2 = body.GetWord();
    const int32_t y2 = body.GetWord();
    if (body.Failed()) return;
    CZoneMarkerMsg marker;
    marker.Set(id, x1, y1, x2, y2, style);
    GameWorld().HandleMapMessage(marker);
}

void Weather(CPacketReader& body) {
    const uint8_t kind = body.GetByte();
    const uint8_t strength = body.GetByte();
    if (body.Failed()) return;
    CWeatherMsg weather;
    weather.Set(kind, strength);
    GameWorld().HandleMapMessage(weather);
}

void TimeOfDay(CPacketReader& body) {
    const uint8_t a = body.GetByte();
    const uint8_t b = body.GetByte();
    const uint8_t c = body.GetByte();
    if (body.Failed()) return;
    CTimeOfDayMsg time;
    time.Set(a, b, c);
    GameWorld().HandleMapMessage(time);
    RearmConnection();
}

void SceneForms(CPacketReader& body) {
    const uint8_t form = body.GetByte();
    std::unique_ptr<CMsgPayload> record;
    switch (form) {
        case 0:
        case 1:
            ZoneMarker(form, body);
            return;
        case 2: {
            auto ids = std::make_unique<CIdListMsg>();
            ids->m_a = body.GetDword();
            const uint8_t count = body.GetByte();
            for (uint8_t n = 0; n < count; ++n) {
                const uint32_t id = body.GetDword();
                if (n < CIdListMsg::MAX_IDS) ids->m_ids[n] = id;
            }
            ids->m_count = std::min<uint32_t>(count, CIdListMsg::MAX_IDS);
            const uint8_t bytes = body.GetByte();
            for (uint8_t n = 0; n < bytes; ++n) {
                const uint8_t b = body.GetByte();
                if (n < CIdListMsg::MAX_BYTES) ids->m_bytes[n] = b;
            }
            ids->m_byteCount = std::min(bytes, CIdListMsg::MAX_BYTES);
            record = std::move(ids);
            break;
        }
        case 3:
            record = std::make_unique<CSceneByteMsg>(MSG_SCENE_SIGNAL_99);
            break;
        case 4: {
            auto pair = std::make_unique<CScenePairMsg>();
            const uint32_t a = body.GetDword();
            pair->Set(a, body.GetByte());
            record = std::move(pair);
            break;
        }
        case 5: {
            auto byte = std::make_unique<CSceneByteMsg>(MSG_SCENE_BYTE);
            byte->Set(body.GetByte());
            record = std::move(byte);
            break;
        }
        case 6:
            record = std::make_unique<CSceneByteMsg>(MSG_SCENE_SIGNAL_96);
            break;
        default:
            return;
    }
    if (!body.Failed()) PostToGameScene(std::move(record));
}

void NameList(CPacketReader& body) {
    auto record = std::make_unique<CNameListMsg>();
    record->m_a = body.GetByte();
    const uint8_t count = body.GetByte();
    record->m_count = std::min(count, CNameListMsg::MAX_NAMES);
    Spare spare;
    for (uint8_t n = 0; n < count && !body.Failed(); ++n) {
        const bool kept = n < CNameListMsg::MAX_NAMES;
        const uint8_t type = body.GetByte();
        if (kept) record->m_bytes[n] = type;
        if (type == 0 || type == 1) body.GetString(kept ? record->m_names[n] : spare.name);
        if (type == 1) body.GetString(kept ? record->m_seconds[n] : spare.second);
    }
    if (!body.Failed()) PostToGameScene(std::move(record));
}

void SceneNotice(CPacketReader& body) {
    std::unique_ptr<CMsgPayload> record;
    if (g_config.m_clientVersion >= NOTICE_TWO_TEXTS_VERSION) {
        auto notice = std::make_unique<CNoticeMsg>();
        notice->m_a = body.GetByte();
        notice->m_length1 = uint8_t(body.GetString(notice->m_text1));
        notice->m_length2 = uint8_t(body.GetString(notice->m_text2));
        record = std::move(notice);
    } else {
        auto notice = std::make_unique<COldNoticeMsg>();
        body.GetByte();
        notice->m_length = uint8_t(body.GetString(notice->m_text));
        record = std::move(notice);
    }
    if (!body.Failed()) PostToGameScene(std::move(record));
}

void SixValues(CPacketReader& body) {
    auto record = std::make_unique<CSixValuesMsg>();
    for (uint32_t& v : record->m_values) v = body.GetDword();
    if (!body.Failed()) PostToGameScene(std::move(record));
}

std::unique_ptr<CMsgPayload> ParseSceneList(CPacketReader& body) {
    auto record = std::make_unique<CSceneListMsg>();
    const uint8_t count = body.GetByte();
    record->m_count = std::min(count, CSceneListMsg::MAX_ENTRIES);
    Spare spare;
    for (uint8_t n = 0; n < count && !body.Failed(); ++n) {
        const bool kept = n < CSceneListMsg::MAX_ENTRIES;
        const size_t k = kept ? n : 0;
        const uint8_t type = body.GetByte();
        uint32_t value = 0;
        uint8_t b1 = 0, b2 = 0;
        if (type == 1) {
            body.GetString(kept ? record->m_names[k] : spare.name);
            body.GetString(kept ? record->m_seconds[k] : spare.second);
            value = body.GetDword();
        } else if (type == 0) {
            body.GetString(kept ? record->m_names[k] : spare.name);
        }
        if (type <= 1) {
            b1 = body.GetByte();
            b2 = body.GetByte();
        }
        if (!kept) continue;
        record->m_types[k] = type;
        record->m_values[k] = value;
        record->m_bytes1[k] = b1;
        record->m_bytes2[k] = b2;
    }
    return IfWhole(body, std::move(record));
}

std::unique_ptr<CMsgPayload> ParseSceneTextList(CPacketReader& body) {
    auto record = std::make_unique<CSceneTextListMsg>();
    const uint8_t count = body.GetByte();
    record->m_count = std::min(count, CSceneTextListMsg::MAX_ENTRIES);
    char spare[CSceneTextListMsg::TEXT_SIZE];
    for (uint8_t n = 0; n < count && !body.Failed(); ++n) {
        const bool kept = n < CSceneTextListMsg::MAX_ENTRIES;
        const uint8_t b = body.GetByte();
        body.GetString(kept ? record->m_texts[n] : spare);
        if (kept) record->m_bytes[n] = b;
    }
    return IfWhole(body, std::move(record));
}

void SceneLists(CPacketReader& body) {
    // Nothing is read without the scene.
    if (!g_pMainMgr || !g_pMainMgr->FindChildByKind(0)) return;
    const uint8_t form = body.GetByte();
    std::unique_ptr<CMsgPayload> record;
    switch (form) {
        case 0:
            record = ParseSceneList(body);
            break;
        case 1:
            record = ParseSceneTextList(body);
            break;
        case 2:
        case 3: {
            auto entry =
                std::make_unique<CSceneEntryMsg>(form == 2 ? MSG_SCENE_ENTRY_107 : MSG_SCENE_ENTRY_108);
            body.GetString(entry->m_text1);
            body.GetString(entry->m_text2);
            entry->m_value = body.GetDword();
            entry->m_byte = body.GetByte();
            record = IfWhole(body, std::move(entry));
            break;
        }
        case 4:
        case 5:
        case 7:
        case 8: {
            static constexpr uint32_t kIds[] = {MSG_SCENE_TEXT, MSG_SCENE_BYTE_TEXT, 0, MSG_SCENE_TEXT_BYTE,
                                                MSG_SCENE_TWO_TEXTS};
            auto text = std::make_unique<CSceneTextMsg>(kIds[form - 4]);
            if (form == 5) text->m_byte = body.GetByte();
            body.GetString(text->m_text1);
            if (form == 8) body.GetString(text->m_text2);
            if (form == 7 || form == 8) text->m_byte = body.GetByte();
            record = IfWhole(body, std::move(text));
            break;
        }
        case 6: {
            auto byte = std::make_unique<CSceneByteMsg>(MSG_SCENE_BYTE_111);
            byte->Set(body.GetByte());
            record = IfWhole(body, std::move(byte));
            break;
        }
        default:
            return;
    }
    if (record) PostToGameScene(std::move(record));
}

}  // namespace

void HandleSceneMessage(CGameSession&, uint8_t code, CPacketReader& body) {
    if (!IsServerConnected()) return;
    switch (code) {
        case SERVER_SCENE_FORMS:
            SceneForms(body);
            break;
        case SERVER_NAME_LIST:
            NameList(body);
            break;
        case SERVER_SCENE_NOTICE:
            SceneNotice(body);
            break;
        case SERVER_SIX_VALUES:
            SixValues(body);
            break;
        case SERVER_SCENE_LISTS:
            SceneLists(body);
            break;
        case SERVER_MAP_WEATHER:
            Weather(body);
            break;
        case SERVER_MAP_TIME:
            TimeOfDay(body);
            break;
        default:
            break;
    }
}

std::vector<uint8_t> WriteMessengerBuddies(const std::vector<MessengerListEntry>& entries) {
    CMessageWriter m(SERVER_SCENE_LISTS);
    m.PutByte(0).PutByte(uint8_t(entries.size()));
    for (const MessengerListEntry& e : entries) {
        m.PutByte(e.state).PutText(e.memberName);
        if (e.state == 1) m.PutText(e.charName).PutDword(e.resourceId);
        m.PutByte(e.group).PutByte(e.listFlag);
    }
    return m.Take();
}

std::vector<uint8_t> WriteMessengerGroups(const std::vector<std::pair<uint8_t, std::string>>& groups) {
    CMessageWriter m(SERVER_SCENE_LISTS);
    m.PutByte(1).PutByte(uint8_t(groups.size()));
    for (const auto& [id, name] : groups) m.PutByte(id).PutText(name);
    return m.Take();
}

std::vector<uint8_t> WriteMessengerEntry(uint8_t form, const std::string& charName,
                                         const std::string& memberName, uint32_t resourceId, uint8_t group) {
    CMessageWriter m(SERVER_SCENE_LISTS);
    m.PutByte(form).PutText(charName).PutText(memberName).PutDword(resourceId).PutByte(group);
    return m.Take();
}

std::vector<uint8_t> WriteMessengerChange(uint8_t form, uint8_t byte, const std::string& text1,
                                          const std::string& text2) {
    CMessageWriter m(SERVER_SCENE_LISTS);
    m.PutByte(form);
    if (form == 5 || form == 6) m.PutByte(byte);
    if (form != 6) m.PutText(text1);
    if (form == 8) m.PutText(text2);
    if (form == 7 || form == 8) m.PutByte(byte);
    return m.Take();
}

std::vector<uint8_t> WriteNameList(uint8_t a, const std::vector<std::pair<std::string, std::string>>& names) {
    CMessageWriter m(SERVER_NAME_LIST);
    m.PutByte(a).PutByte(uint8_t(names.size()));
    for (const auto& [name, second] : names) {
        m.PutByte(1).PutText(name).PutText(second);
    }
    return m.Take();
}
