#include "net/handlers/appearance_messages.h"

#include <algorithm>

#include "data/char_resource_mgr.h"
#include "data/game_hooks.h"
#include "net/game_session.h"
#include "net/handlers/handler_rules.h"
#include "net/packet_fields.h"
#include "net/packet_reader.h"
#include "net/packet_writer.h"

static_assert(EQUIPMENT_SLOTS == OPTIONAL_VALUE_COUNT);

namespace {

// Equipment slots 1 to 12 of an object's appearance come from these mask
// bits (bit 7 brings a value that is not used); slot 13 is its first small field.
constexpr int OBJECT_SLOT_BITS[12] = {0, 1, 2, 3, 4, 6, 5, 8, 9, 10, 11, 12};

// The tail both player-character records share: the optional title with its
// value, a signed value, and the byte status 49 brings.
void ReadTitleAndExtra(CPacketReader& body, CCharCreateFields& fields) {
    fields.m_titleFlag = body.GetByte();
    if (fields.m_titleFlag != 0) {
        body.GetString(fields.m_title);
        fields.m_titleValue = body.GetByte();
    }
    fields.m_signedValue = int8_t(body.GetByte());
    if (IsStatusSet(fields.m_status, STATUS_EXTRA_BYTE)) fields.m_extraValue = body.GetByte();
}

// What both player-character records bring in one run: the resource id,
// the equipment, the small fields, the status set, the title tail and a byte
// that is not used.
void ReadLook(CPacketReader& body, CCharCreateFields& fields) {
    fields.m_resourceId = body.GetDword();
    ReadOptionalValues(body, fields.m_equipment);
    body.GetBytes(fields.m_smallFields, sizeof fields.m_smallFields);
    ReadStatusWords(body, fields.m_status);
    ReadTitleAndExtra(body, fields);
    body.GetByte();
}

void WriteTitleAndExtra(CMessageWriter& message, const CCharCreateFields& fields) {
    message.PutByte(fields.m_titleFlag);
    if (fields.m_titleFlag != 0) message.PutText(fields.m_title).PutByte(fields.m_titleValue);
    message.PutByte(uint8_t(fields.m_signedValue));
    if (IsStatusSet(fields.m_status, STATUS_EXTRA_BYTE)) message.PutByte(fields.m_extraValue);
}

void WriteLook(CMessageWriter& message, const CCharCreateFields& fields) {
    message.PutDword(fields.m_resourceId);
    WriteOptionalValues(message, fields.m_equipment);
    message.PutBytes(fields.m_smallFields, sizeof fields.m_smallFields);
    WriteStatusWords(message, fields.m_status);
    WriteTitleAndExtra(message, fields);
    message.PutByte(0);
}

void SkipText(CPacketReader& body) {
    body.Skip(body.GetByte());
}

// The character is handed over (the record lives for the call) and its id
// entered in the register with kind 0.
void HandOver(const CCharCreateFields& fields) {
    CCharCreateMsg record;
    record.Set(fields);
    GameWorld().HandleCharRecord(record);
    if (g_pCharResourceMgr) g_pCharResourceMgr->SetIdFlag(fields.m_charId, ID_KIND_CHAR);
}

}  // namespace

std::optional<CCharCreateFields> ParseOwnChar(CPacketReader& body) {
    CCharCreateFields fields;
    fields.m_ownFlag = 1;
    fields.m_charId = body.GetDword();
    ReadLook(body, fields);
    fields.m_tileX = body.GetWord();
    fields.m_tileY = body.GetWord();
    fields.m_direction = uint8_t(body.GetByte() * 2);
    body.GetString(fields.m_name);
    body.GetString(fields.m_secondName);
    return Parsed(body, std::move(fields));
}

std::optional<CCharCreateFields> ParseCharAppears(CPacketReader& body) {
    CCharCreateFields fields;
    fields.m_charId = body.GetDword();
    fields.m_tileX = body.GetWord();
    fields.m_tileY = body.GetWord();
    fields.m_direction = uint8_t(body.GetByte() * 2);
    fields.m_ownFlag = body.GetByte() != 0;
    body.GetString(fields.m_name);
    body.GetString(fields.m_secondName);
    fields.m_ringFlag = body.GetByte() != 0;
    fields.m_ringChoice = body.GetByte();
    const uint8_t entries = body.GetByte();
    for (uint8_t n = 0; n < entries && !body.Failed(); ++n) {
        // Entries beyond the record's two are read past.
        char text[CCharCreateFields::NAME_SIZE], second[CCharCreateFields::NAME_SIZE];
        const uint8_t kind = body.GetByte();
        body.GetString(text);
        const uint8_t value = body.GetByte();
        const uint32_t number = body.GetDword();
        body.GetString(second);
        if (n >= CCharCreateFields::MAX_ENTRIES) continue;
        fields.m_entryKinds[n] = kind;
        fields.m_entryValues[n] = value;
        fields.m_entryNumbers[n] = number;
        std::copy_n(text, sizeof text, fields.m_entryTexts[n]);
        std::copy_n(second, sizeof second, fields.m_entrySecondTexts[n]);
        fields.m_entryCount = uint8_t(n + 1);
    }
    ReadLook(body, fields);
    return Parsed(body, std::move(fields));
}

std::unique_ptr<CCharAppearance> ParseObjectAppears(CPacketReader& body) {
    const uint32_t charId = body.GetDword();
    SkipText(body);   // a name, not used
    body.GetDword();  // not used
    int32_t optional[OPTIONAL_VALUE_COUNT];
    ReadOptionalValues(body, optional);
    uint8_t small[7];
    body.GetBytes(small, sizeof small);
    uint32_t status[4];
    ReadStatusWords(body, status);
    uint32_t flagValue = 0;
    if (body.GetByte() != 0) {
        SkipText(body);
        flagValue = body.GetByte();
    }
    const uint8_t lastValue = body.GetByte();
    const uint8_t extraValue = IsStatusSet(status, STATUS_EXTRA_BYTE) ? body.GetByte() : 0;
    if (body.Failed()) return nullptr;

    int32_t equipment[EQUIPMENT_SLOTS];
    for (int slot = 0; slot < 12; ++slot) equipment[slot] = optional[OBJECT_SLOT_BITS[slot]];
    equipment[12] = small[0];
    auto record = std::make_unique<CCharAppearance>();
    record->Set(charId, status, equipment, small + 1, lastValue, extraValue, flagValue);
    return record;
}

void HandleOwnChar(CGameSession& session, uint8_t, CPacketReader& body) {
    std::optional<CCharCreateFields> fields = ParseOwnChar(body);
    if (!fields) return;
    HandOver(*fields);
    session.SendOptionFlags(1, nullptr, nullptr, 0);
}

void HandleCharAppears(CGameSession&, uint8_t, CPacketReader& body) {
    std::optional<CCharCreateFields> fields = ParseCharAppears(body);
    if (fields) HandOver(*fields);
}

void HandleObjectAppears(CGameSession&, uint8_t, CPacketReader& body) {
    std::unique_ptr<CCharAppearance> record = ParseObjectAppears(body);
    if (record) GameWorld().PostCharRecord(std::move(record), 0);
}

std::vector<uint8_t> WriteOwnChar(const CCharCreateFields& fields) {
    CMessageWriter message(SERVER_OWN_CHAR);
    message.PutDword(fields.m_charId);
    WriteLook(message, fields);
    message.PutWord(uint16_t(fields.m_tileX))
        .PutWord(uint16_t(fields.m_tileY))
        .PutByte(fields.m_direction / 2);
    return message.PutText(fields.m_name).PutText(fields.m_secondName).Take();
}

std::vector<uint8_t> WriteCharAppears(const CCharCreateFields& fields) {
    CMessageWriter message(SERVER_CHAR_APPEARS);
    message.PutDword(fields.m_charId).PutWord(uint16_t(fields.m_tileX)).PutWord(uint16_t(fields.m_tileY));
    message.PutByte(fields.m_direction / 2).PutByte(fields.m_ownFlag);
    message.PutText(fields.m_name)
        .PutText(fields.m_secondName)
        .PutByte(fields.m_ringFlag)
        .PutByte(fields.m_ringChoice);
    const uint8_t entries = std::min<uint8_t>(fields.m_entryCount, CCharCreateFields::MAX_ENTRIES);
    message.PutByte(entries);
    for (uint8_t n = 0; n < entries; ++n) {
        message.PutByte(fields.m_entryKinds[n])
            .PutText(fields.m_entryTexts[n])
            .PutByte(fields.m_entryValues[n]);
        message.PutDword(fields.m_entryNumbers[n]).PutText(fields.m_entrySecondTexts[n]);
    }
    WriteLook(message, fields);
    return message.Take();
}
