#include "net/handlers/char_handlers.h"

#include "data/game_hooks.h"
#include "net/connection.h"
#include "net/handlers/handler_rules.h"
#include "net/packet_reader.h"
#include "net/packet_writer.h"
#include "platform/clock.h"

namespace {

// Kind 16 values arrive offset by the skill id base.
constexpr uint8_t KIND_SKILL_OFFSET = 16;
constexpr int STATUS_GROUPS = 3;

template <class Record>
std::unique_ptr<Record> ParsedRecord(const CPacketReader& body, std::unique_ptr<Record> record) {
    if (body.Failed()) return nullptr;
    return record;
}

void Post(std::unique_ptr<CMsgPayload> record, int32_t delay = 0) {
    GameWorld().PostCharRecord(std::move(record), delay);
}

// u16 count, then count (byte, byte) pairs; nothing is kept unless the
// message holds them all.
bool ReadBytePairs(CPacketReader& body, std::vector<uint8_t>& first, std::vector<uint8_t>& second) {
    const uint16_t count = body.GetWord();
    const uint8_t* pairs = body.Current();
    if (!body.Skip(size_t(count) * 2)) return false;
    first.resize(count);
    second.resize(count);
    for (uint16_t n = 0; n < count; ++n) {
        first[n] = pairs[2 * n];
        second[n] = pairs[2 * n + 1];
    }
    return true;
}

}  // namespace

std::unique_ptr<CStatusBlockMsg> ParseStatusBlock(CPacketReader& body) {
    CStatusBlockFields block;
    block.m_flags = body.GetByte();
    if (block.m_flags & 0x02) {
        for (uint32_t& v : block.m_group02) v = body.GetDword();
        block.m_group02Word = body.GetWord();
    }
    if (block.m_flags & 0x04)
        for (uint32_t& v : block.m_group04) v = body.GetDword();
    if (block.m_flags & 0x08) {
        block.m_group08Byte = body.GetByte();
        for (uint32_t& v : block.m_group08) v = body.GetDword();
    }
    if (block.m_flags & 0x10) {
        for (uint16_t& v : block.m_group10Words) v = body.GetWord();
        block.m_group10Byte = body.GetByte();
        block.m_group10Value = body.GetDword();
    }
    if (block.m_flags & 0x20)
        for (uint16_t& v : block.m_group20Words) v = body.GetWord();
    if (block.m_flags & 0x40) {
        for (uint32_t& v : block.m_group40) v = body.GetDword();
        for (uint16_t& v : block.m_group40Words) v = body.GetWord();
    }
    auto record = std::make_unique<CStatusBlockMsg>();
    record->Set(block);
    return ParsedRecord(body, std::move(record));
}

std::vector<uint8_t> WriteStatusBlock(const CStatusBlockFields& block) {
    CMessageWriter out(SERVER_STATUS_BLOCK);
    out.PutByte(block.m_flags);
    if (block.m_flags & 0x02) {
        for (uint32_t v : block.m_group02) out.PutDword(v);
        out.PutWord(block.m_group02Word);
    }
    if (block.m_flags & 0x04)
        for (uint32_t v : block.m_group04) out.PutDword(v);
    if (block.m_flags & 0x08) {
        out.PutByte(block.m_group08Byte);
        for (uint32_t v : block.m_group08) out.PutDword(v);
    }
    if (block.m_flags & 0x10) {
        for (uint16_t v : block.m_group10Words) out.PutWord(v);
        out.PutByte(block.m_group10Byte);
        out.PutDword(block.m_group10Value);
    }
    if (block.m_flags & 0x20)
        for (uint16_t v : block.m_group20Words) out.PutWord(v);
    if (block.m_flags & 0x40) {
        for (uint32_t v : block.m_group40) out.PutDword(v);
        for (uint16_t v : block.m_group40Words) out.PutWord(v);
    }
    return out.Take();
}

std::vector<uint8_t> WriteValueList(const std::vector<std::pair<uint8_t, uint32_t>>& entries) {
    CMessageWriter out(SERVER_VALUE_LIST);
    out.PutByte(uint8_t(std::min<size_t>(entries.size(), 255)));
    for (size_t n = 0; n < entries.size() && n < 255; ++n)
        out.PutByte(entries[n].first).PutDword(entries[n].second);
    return out.Take();
}

std::optional<CMapChangeMsg> ParseMapChange(CPacketReader& body) {
    body.GetWord();  // not used
    const uint16_t stage = body.GetWord();
    const uint8_t attributes = body.GetByte();
    const uint8_t event = body.GetByte();
    CMapChangeMsg record;
    record.Set(stage, 1, attributes, event);
    return Parsed(body, std::move(record));
}

std::unique_ptr<CValueListMsg> ParseValueList(CPacketReader& body) {
    uint8_t kinds[CValueListMsg::MAX_ENTRIES] = {};
    uint32_t values[CValueListMsg::MAX_ENTRIES] = {};
    const uint8_t count = body.GetByte();
    for (uint8_t n = 0; n < count && !body.Failed(); ++n) {
        const uint8_t kind = body.GetByte();
        uint32_t value = body.GetDword();
        if (kind == KIND_SKILL_OFFSET) value -= SKILL_ID_BASE;
        if (n >= CValueListMsg::MAX_ENTRIES) continue;
        kinds[n] = kind;
        values[n] = value;
    }
    auto record = std::make_unique<CValueListMsg>();
    record->Set(count, kinds, values);
    return ParsedRecord(body, std::move(record));
}

std::vector<std::unique_ptr<CStatusGroupMsg>> ParseStatusGroups(CPacketReader& body) {
    std::vector<std::unique_ptr<CStatusGroupMsg>> groups;
    for (int group = 0; group < STATUS_GROUPS; ++group) {
        uint32_t values[CStatusGroupMsg::MAX_ENTRIES] = {};
        uint8_t kinds[CStatusGroupMsg::MAX_ENTRIES] = {};
        const uint8_t number = body.GetByte();
        const uint8_t count = body.GetByte();
        for (uint8_t n = 0; n < count && !body.Failed(); ++n) {
            const uint8_t kind = body.GetByte();
            const uint32_t value = body.GetDword();
            if (n >= CStatusGroupMsg::MAX_ENTRIES) continue;
            kinds[n] = kind;
            values[n] = value;
        }
        const uint32_t trailing = body.GetDword();
        if (body.Failed()) return {};
        auto record = std::make_unique<CStatusGroupMsg>();
        record->Set(number, count, values, kinds, trailing);
        groups.push_back(std::move(record));
    }
    return groups;
}

std::unique_ptr<CCharActionMsg> ParseCharAction(CPacketReader& body) {
    auto record = std::make_unique<CCharActionMsg>();
    const uint32_t charId = body.GetDword();
    record->Set(charId, body.GetByte());
    return ParsedRecord(body, std::move(record));
}

std::unique_ptr<CCharTimerMsg> ParseCharTimer(CPacketReader& body) {
    auto record = std::make_unique<CCharTimerMsg>();
    const uint8_t form = body.GetByte();
    const uint32_t a = body.GetDword();
    record->Set(form, a, body.GetDword());
    return ParsedRecord(body, std::move(record));
}

std::unique_ptr<CValueReactionMsg> ParseValueReaction(CPacketReader& body) {
    auto record = std::make_unique<CValueReactionMsg>();
    record->m_form = body.GetByte();
    record->m_a = body.GetDword();
    record->m_b = body.GetDword();
    if (record->m_form == 1) body.GetString(record->m_text);
    return ParsedRecord(body, std::move(record));
}

std::unique_ptr<CTimedPairMsg> ParseTimedPair(CPacketReader& body) {
    auto record = std::make_unique<CTimedPairMsg>();
    record->m_a = body.GetDword();
    record->m_b = body.GetDword();
    return ParsedRecord(body, std::move(record));
}

std::unique_ptr<CEmoticonMsg> ParseEmoticon(CPacketReader& body) {
    auto record = std::make_unique<CEmoticonMsg>();
    const uint32_t charId = body.GetDword();
    const uint8_t kind = body.GetByte();
    record->Set(charId, kind, body.GetByte());
    return ParsedRecord(body, std::move(record));
}

std::optional<std::unique_ptr<CCharStateMsg>> ParseCharState(CPacketReader& body) {
    const uint8_t form = body.GetByte();
    const uint32_t charId = body.GetDword();
    std::unique_ptr<CCharStateMsg> record;
    switch (form) {
        case 0: {
            const uint16_t a = body.GetWord();
            const uint16_t b = body.GetWord();
            record = std::make_unique<CCharStateMsg>(MSG_CHAR_STATE_75);
            record->Set(charId, 0, a, b, body.GetByte());
            break;
        }
        case 1:
            record = std::make_unique<CCharStateMsg>(MSG_CHAR_STATE_74);
            record->Set(charId, body.GetDword());
            break;
        case 2:
            record = std::make_unique<CCharStateMsg>(MSG_CHAR_STATE_73);
            record->Set(charId, 0);
            break;
        case 3:
            body.GetByte();  // not used
            break;
        default:
            break;
    }
    if (body.Failed()) return std::nullopt;
    return record;
}

std::optional<std::unique_ptr<CCharTextMsg>> ParseCharText(CPacketReader& body) {
    const uint8_t form = body.GetByte();
    std::unique_ptr<CCharTextMsg> record;
    if (form == 2) {
        record = std::make_unique<CCharTextMsg>();
        record->m_charId = body.GetDword();
        body.GetString(record->m_text);
    }
    if (body.Failed()) return std::nullopt;
    return record;
}

std::optional<std::unique_ptr<CMsgPayload>> ParseEventInput(CPacketReader& body) {
    const uint8_t form = body.GetByte();
    std::unique_ptr<CMsgPayload> result;
    switch (form) {
        case 0: {
            auto record = std::make_unique<CEventInputMsg>();
            record->m_kind = 0;
            record->m_value = body.GetByte();
            body.GetString(record->m_text1);
            body.GetString(record->m_text2);
            record->m_a = body.GetDword();
            record->m_b = body.GetDword();
            body.GetByte();  // not used
            if (!ReadBytePairs(body, record->m_list1.m_first, record->m_list1.m_second)) break;
            if (!ReadBytePairs(body, record->m_list2.m_first, record->m_list2.m_second)) break;
            result = std::move(record);
            break;
        }
        case 1: {
            auto record = std::make_unique<CEventInputMsg>();
            record->m_kind = 1;
            result = std::move(record);
            break;
        }
        case 2: {
            const uint32_t a = body.GetDword();
            const uint32_t b = body.GetDword();
            const uint16_t length = body.GetWord();
            const uint8_t* bytes = body.Current();
            if (!body.Skip(length)) break;
            auto record = std::make_unique<CEventBlockMsg>();
            record->Set(a, b, length, bytes);
            result = std::move(record);
            break;
        }
        default:
            break;
    }
    if (body.Failed()) return std::nullopt;
    return result;
}

void HandleStatusBlock(CGameSession&, uint8_t, CPacketReader& body) {
    if (!IsServerConnected()) return;
    if (std::unique_ptr<CStatusBlockMsg> record = ParseStatusBlock(body)) Post(std::move(record));
}

void HandleMapChange(CGameSession&, uint8_t, CPacketReader& body) {
    std::optional<CMapChangeMsg> record = ParseMapChange(body);
    if (!record) return;
    GameWorld().HandleMapMessage(*record);
    RearmConnection();
}

void HandleValueList(CGameSession&, uint8_t, CPacketReader& body) {
    if (!IsServerConnected()) return;
    if (std::unique_ptr<CValueListMsg> record = ParseValueList(body)) Post(std::move(record));
}

void HandleStatusGroups(CGameSession&, uint8_t, CPacketReader& body) {
    if (!IsServerConnected()) return;
    for (std::unique_ptr<CStatusGroupMsg>& record : ParseStatusGroups(body)) Post(std::move(record));
}

void HandleCharAction(CGameSession&, uint8_t, CPacketReader& body) {
    std::unique_ptr<CCharActionMsg> record = ParseCharAction(body);
    if (!record) return;
    // Action 3 waits in the queue (for the map); any other is shown at once.
    if (record->m_action == 3)
        Post(std::move(record));
    else
        GameWorld().HandleCharRecord(*record);
    RearmConnection();
}

void HandleCharTimer(CGameSession&, uint8_t, CPacketReader& body) {
    if (!IsServerConnected()) return;
    std::unique_ptr<CCharTimerMsg> record = ParseCharTimer(body);
    if (record && record->m_form == 0) GameWorld().PostCharPortRecord(std::move(record));
}

void HandleValueReaction(CGameSession&, uint8_t, CPacketReader& body) {
    if (!IsServerConnected()) return;
    std::unique_ptr<CValueReactionMsg> record = ParseValueReaction(body);
    if (!record) return;
    if (record->m_form <= 1) Post(std::move(record));
    RearmConnection();
}

void HandleTimedPair(CGameSession&, uint8_t, CPacketReader& body) {
    if (!IsServerConnected()) return;
    std::unique_ptr<CTimedPairMsg> record = ParseTimedPair(body);
    if (!record) return;
    record->m_arrival = plat::timeGetTime();
    Post(std::move(record), TIMED_PAIR_DELAY);
    RearmConnection();
}

void HandleEmoticon(CGameSession&, uint8_t, CPacketReader& body) {
    if (!IsServerConnected()) return;
    if (std::unique_ptr<CEmoticonMsg> record = ParseEmoticon(body)) Post(std::move(record));
}

void HandleCharState(CGameSession&, uint8_t, CPacketReader& body) {
    std::optional<std::unique_ptr<CCharStateMsg>> record = ParseCharState(body);
    if (!record) return;
    if (*record) Post(std::move(*record));
    RearmConnection();
}

void HandleCharText(CGameSession&, uint8_t, CPacketReader& body) {
    if (!IsServerConnected()) return;
    std::optional<std::unique_ptr<CCharTextMsg>> record = ParseCharText(body);
    if (record && *record) Post(std::move(*record));
}

void HandleEventInput(CGameSession&, uint8_t, CPacketReader& body) {
    if (!IsServerConnected()) return;
    std::optional<std::unique_ptr<CMsgPayload>> record = ParseEventInput(body);
    if (!record || !*record) return;
    const int32_t delay = (*record)->m_id == MSG_EVENT_BLOCK ? EVENT_BLOCK_DELAY : EVENT_INPUT_DELAY;
    GameWorld().PostEventRecord(std::move(*record), delay);
}

std::vector<uint8_t> WriteEventOrder(uint8_t kind, const std::string& number, const std::string& function,
                                     uint32_t value, uint32_t index) {
    return CMessageWriter(SERVER_EVENT_INPUT)
        .PutByte(0)
        .PutByte(kind)
        .PutText(number)
        .PutText(function)
        .PutDword(value)
        .PutDword(index)
        .PutByte(0)
        .PutWord(0)
        .PutWord(0)
        .Take();
}

std::vector<uint8_t> WriteEventStop() {
    return CMessageWriter(SERVER_EVENT_INPUT).PutByte(1).Take();
}

std::vector<uint8_t> WriteEventBlock(uint32_t a, uint32_t b, const std::vector<uint8_t>& bytes) {
    return CMessageWriter(SERVER_EVENT_INPUT)
        .PutByte(2)
        .PutDword(a)
        .PutDword(b)
        .PutWord(uint16_t(bytes.size()))
        .PutBytes(bytes.data(), bytes.size())
        .Take();
}

std::vector<uint8_t> WriteMapChange(uint16_t stage, uint8_t attributes, uint8_t event) {
    return CMessageWriter(SERVER_MAP_CHANGE)
        .PutWord(0)
        .PutWord(stage)
        .PutByte(attributes)
        .PutByte(event)
        .Take();
}
