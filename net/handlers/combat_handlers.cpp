#include "net/handlers/combat_handlers.h"

#include <algorithm>

#include "data/game_hooks.h"
#include "net/connection.h"
#include "net/handlers/char_records.h"
#include "net/packet_reader.h"
#include "net/packet_writer.h"

namespace {

// The counts of these lists are bytes.
constexpr size_t MAX_LIST = UINT8_MAX;

// A position: x in the high 16 bits, y in the low.
struct Position {
    uint32_t x, y;
};
Position GetPosition(CPacketReader& body) {
    const uint32_t word = body.GetDword();
    return {word >> 16, word & 0xFFFF};
}

std::unique_ptr<CMsgPayload> ParseSkillHit(CPacketReader& body) {
    const uint32_t skillId = body.GetDword();
    const uint32_t actorId = body.GetDword();
    const Position at = GetPosition(body);
    const uint8_t level = body.GetByte();
    const uint16_t e = body.GetWord();
    const uint8_t f = body.GetByte();
    const uint16_t g = body.GetWord();
    const uint16_t h = body.GetWord();
    const uint8_t i = body.GetByte();
    const uint8_t total = body.GetByte();
    const uint8_t count = body.GetByte();
    CSkillTarget targets[MAX_LIST];
    for (uint8_t n = 0; n < count && !body.Failed(); ++n) {
        targets[n].m_id = body.GetDword();
        targets[n].m_value = body.GetWord();
        targets[n].m_byte1 = body.GetByte();
        targets[n].m_byte2 = body.GetByte();
    }
    if (body.Failed()) return nullptr;
    auto record = std::make_unique<CSkillHitMsg>();
    record->Set(skillId, level, actorId, count, targets, f, i, e, total, at.x, at.y, g, h);
    return record;
}

std::unique_ptr<CMsgPayload> ParseSkillAction(CPacketReader& body) {
    const uint32_t skillId = body.GetDword();
    const uint8_t level = body.GetByte();
    const uint32_t actorId = body.GetDword();
    const Position at = GetPosition(body);
    const uint16_t a = body.GetWord();
    const uint16_t b = body.GetWord();
    const uint32_t targetId = body.GetDword();
    const uint16_t time = body.GetWord();
    auto record = std::make_unique<CSkillActionMsg>();
    record->Set(skillId, level, actorId, at.x, at.y, a, b, targetId, uint32_t(time) * 10);
    return record;
}

// Form 0: ids with values (43); form 1: ids (42); other forms bring nothing.
std::unique_ptr<CMsgPayload> ParseIdLists(CPacketReader& body) {
    const uint8_t form = body.GetByte();
    if (form > 1) return nullptr;
    const uint8_t count = body.GetByte();
    uint32_t ids[MAX_LIST] = {};
    uint16_t values[MAX_LIST] = {};
    for (uint8_t n = 0; n < count && !body.Failed(); ++n) {
        ids[n] = body.GetDword();
        if (form == 0) values[n] = body.GetWord();
    }
    if (form == 0) {
        auto record = std::make_unique<CIdValueArrayMsg>();
        record->Set(count, ids, values);
        return record;
    }
    auto record = std::make_unique<CIdArrayMsg>();
    record->Set(count, ids);
    return record;
}

std::unique_ptr<CMsgPayload> ParseTargetText(CPacketReader& body) {
    auto record = std::make_unique<CTargetTextMsg>();
    record->m_a = body.GetDword();
    record->m_b = body.GetDword();
    record->m_c = body.GetByte();
    record->m_d = body.GetDword();
    body.GetString(record->m_text);
    record->m_e = body.GetDword();
    record->m_f = body.GetDword();
    return record;
}

}  // namespace

std::optional<CCombatMessage> ParseCombatMessage(uint8_t code, CPacketReader& body) {
    CCombatMessage message;
    message.m_delivery = CCombatMessage::POST;
    switch (code) {
        case SERVER_SKILL_HIT:
            message.m_record = ParseSkillHit(body);
            message.m_delivery = CCombatMessage::HAND;
            break;
        case SERVER_PLAYER_SIGNAL:
            message.m_record = std::make_unique<CEmptyRecord>(MSG_PLAYER_SIGNAL);
            break;
        case SERVER_ID_LISTS:
            message.m_record = ParseIdLists(body);
            break;
        case SERVER_TARGET_TEXT:
            message.m_record = ParseTargetText(body);
            break;
        case SERVER_THREE_VALUES: {
            auto record = std::make_unique<CThreeValuesMsg>();
            const uint32_t a = body.GetDword();
            const uint32_t b = body.GetDword();
            record->Set(a, b, body.GetDword());
            message.m_record = std::move(record);
            break;
        }
        case SERVER_SKILL_ACTION:
            message.m_record = ParseSkillAction(body);
            message.m_delivery = CCombatMessage::HAND;
            break;
        case SERVER_CANCEL_SKILL: {
            auto record = std::make_unique<CCancelSkillMsg>();
            record->Set(body.GetDword());
            message.m_record = std::move(record);
            message.m_delivery = CCombatMessage::HAND;
            break;
        }
        case SERVER_STATE_EVENT:
            message.m_delivery = CCombatMessage::STATE_EVENT;
            message.m_charId = body.GetDword();
            message.m_kind = body.GetByte();
            message.m_value = body.GetDword();
            if (message.m_kind == STATE_EVENT_WITH_EXTRA) message.m_extra = body.GetWord();
            break;
        case SERVER_SKILL_UPDATE: {
            const uint8_t b1 = body.GetByte();
            const uint8_t b2 = body.GetByte();
            const uint32_t value = body.GetDword();
            const uint8_t b3 = body.GetByte();
            const uint8_t b4 = body.GetByte();
            auto record = std::make_unique<CSkillUpdateMsg>();
            record->Set(value, b1, b2, b3, b4);
            message.m_record = std::move(record);
            break;
        }
        case SERVER_SKILL_REMOVE: {
            auto record = std::make_unique<CSkillRemoveMsg>();
            const uint8_t a = body.GetByte();
            record->Set(a, body.GetByte());
            message.m_record = std::move(record);
            break;
        }
        case SERVER_HIT_RESULT: {
            const uint32_t targetId = body.GetDword();
            const uint32_t b = body.GetDword();
            const uint8_t c = body.GetByte();
            const uint8_t d = body.GetByte();
            auto record = std::make_unique<CHitResultMsg>();
            record->Set(targetId, b, c, d, body.GetDword());
            message.m_record = std::move(record);
            break;
        }
        default:
            message.m_delivery = CCombatMessage::NONE;
            break;
    }
    if (body.Failed()) return std::nullopt;
    if (!message.m_record && message.m_delivery != CCombatMessage::STATE_EVENT)
        message.m_delivery = CCombatMessage::NONE;
    return message;
}

void HandleCombatMessage(CGameSession&, uint8_t code, CPacketReader& body) {
    if (!IsServerConnected()) return;
    std::optional<CCombatMessage> message = ParseCombatMessage(code, body);
    if (!message) return;
    IGameWorldHooks& world = GameWorld();
    switch (message->m_delivery) {
        case CCombatMessage::POST:
            world.PostCharRecord(std::move(message->m_record), 0);
            break;
        case CCombatMessage::HAND:
            world.HandleCharRecord(*message->m_record);
            break;
        case CCombatMessage::STATE_EVENT:
            world.CharStateEvent(message->m_charId, message->m_kind, message->m_value, message->m_extra);
            break;
        case CCombatMessage::NONE:
            break;
    }
}

std::vector<uint8_t> WriteSkillAction(uint32_t skillId, uint8_t level, uint32_t actorId, uint16_t tileX,
                                      uint16_t tileY, uint16_t hits, uint16_t combo, uint32_t targetId,
                                      uint16_t time) {
    return CMessageWriter(SERVER_SKILL_ACTION)
        .PutDword(skillId)
        .PutByte(level)
        .PutDword(actorId)
        .PutDword(uint32_t(tileX) << 16 | tileY)
        .PutWord(hits)
        .PutWord(combo)
        .PutDword(targetId)
        .PutWord(time)
        .Take();
}

std::vector<uint8_t> WriteSkillHit(uint32_t skillId, uint32_t actorId, uint16_t tileX, uint16_t tileY,
                                   uint8_t level, uint8_t hitKind,
                                   const std::vector<CSkillHitTarget>& targets) {
    const size_t count = std::min(targets.size(), MAX_LIST);
    CMessageWriter writer(SERVER_SKILL_HIT);
    writer.PutDword(skillId).PutDword(actorId).PutDword(uint32_t(tileX) << 16 | tileY).PutByte(level);
    // e (word), the hit kind f, g and h (words), i, the total (bytes) and the count.
    writer.PutWord(0).PutByte(hitKind).PutWord(0).PutWord(0).PutByte(0).PutByte(0).PutByte(uint8_t(count));
    for (size_t n = 0; n < count; ++n)
        writer.PutDword(targets[n].id)
            .PutWord(targets[n].value)
            .PutByte(targets[n].flags)
            .PutByte(targets[n].code);
    return writer.Take();
}

std::vector<uint8_t> WriteHitResult(uint32_t targetId, uint32_t amount, uint8_t withValue, uint8_t kind,
                                    uint32_t attackerId) {
    return CMessageWriter(SERVER_HIT_RESULT)
        .PutDword(targetId)
        .PutDword(amount)
        .PutByte(withValue)
        .PutByte(kind)
        .PutDword(attackerId)
        .Take();
}
