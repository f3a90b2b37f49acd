// Requests of movement, combat, skills, items on the character and events.
#include "net/game_session.h"

namespace {

// Facings run 0-15; requests carry the eight ways (0-7).
uint8_t HalfFacing(uint8_t facing) {
    return uint8_t((facing & 15) >> 1);
}

// A coordinate as a u16 tile number: truncated, negative ones as 0.
uint16_t TileNumber(float value) {
    if (!(value > 0)) return 0;
    if (value >= 65535.0f) return 65535;
    return uint16_t(value);
}

// [u8 count] and count × (u16 x, u16 y).
void PutPoints(CPacketWriter& request, const CFieldPoint* points, size_t count) {
    if (count > 255 || (count > 0 && !points)) {
        request.Fail();
        return;
    }
    request.PutByte(uint8_t(count));
    for (size_t i = 0; i < count && !request.Failed(); ++i)
        request.PutWord(TileNumber(points[i].x)).PutWord(TileNumber(points[i].y));
}

}  // namespace

bool CGameSession::SendPickUp(uint32_t objectId) {
    return QueueMessage(CPacketWriter(7).PutDword(objectId));
}

bool CGameSession::SendPointRequest(uint8_t kind, uint16_t count, uint16_t x, uint16_t y) {
    return QueueMessage(CPacketWriter(8).PutByte(kind).PutWord(count).PutWord(x).PutWord(y));
}

bool CGameSession::SendStatPointUp(uint8_t stat) {
    // A point at a time.
    return QueueMessage(CPacketWriter(10).PutByte(stat).PutByte(1));
}

bool CGameSession::SendCharInfoRequest(uint32_t charId) {
    return QueueMessage(CPacketWriter(12).PutDword(charId));
}

bool CGameSession::SendComboSet(uint8_t combo, const uint32_t skillIds[5], const uint8_t flags[5]) {
    return QueueMessage(CPacketWriter(13).PutByte(combo).PutEntries(5, skillIds, flags));
}

bool CGameSession::SendDirection(uint8_t facing) {
    return QueueMessage(CPacketWriter(17).PutByte(HalfFacing(facing)));
}

bool CGameSession::SendSkillLevel(uint8_t skill, uint8_t value, uint8_t level, uint8_t raise) {
    return QueueMessage(CPacketWriter(18).PutByte(skill).PutByte(value).PutByte(level).PutByte(raise));
}

bool CGameSession::SendUseSkill(uint8_t skillFlag, uint8_t kind, const uint8_t* payload, size_t count) {
    return QueueMessage(CPacketWriter(19).PutByte(skillFlag).PutByte(kind).PutBytes(payload, count));
}

bool CGameSession::SendLearnSkill(uint32_t skillId) {
    return QueueMessage(CPacketWriter(23).PutDword(skillId));
}

bool CGameSession::SendUseItem(uint8_t slot, const uint8_t* payload, size_t count) {
    return QueueMessage(CPacketWriter(28).PutByte(slot).PutBytes(payload, count));
}

bool CGameSession::SendUseQuickSkill(uint8_t slot, const uint8_t* payload, size_t count) {
    return QueueMessage(CPacketWriter(28).PutByte(slot).PutByte(1).PutBytes(payload, count));
}

bool CGameSession::SendEquipShowFlags(uint8_t flags) {
    return QueueMessage(CPacketWriter(30).PutByte(flags));
}

bool CGameSession::SendItemKind(uint8_t kind) {
    return QueueMessage(CPacketWriter(31).PutByte(kind));
}

bool CGameSession::SendControlledCharPosition(uint32_t charId, uint16_t x, uint16_t y, uint8_t facing,
                                              uint8_t step) {
    CPacketWriter request(33);
    request.PutDword(charId).PutByte(0).PutWord(x).PutWord(y).PutByte(HalfFacing(facing)).PutByte(step);
    return QueueMessage(request);
}

bool CGameSession::SendControlledCharPoints(uint32_t charId, uint8_t value, const CFieldPoint* points,
                                            size_t count) {
    CPacketWriter request(33);
    request.PutDword(charId).PutByte(1).PutByte(value);
    PutPoints(request, points, count);
    return QueueMessage(request);
}

bool CGameSession::SendCharLookup(uint32_t charId) {
    return QueueMessage(CPacketWriter(33).PutDword(charId).PutByte(2));
}

bool CGameSession::SendControlledCharRequest3(uint32_t charId) {
    return QueueMessage(CPacketWriter(33).PutDword(charId).PutByte(3));
}

bool CGameSession::SendComboListRequest() {
    return QueueMessage(CPacketWriter(34, 0));
}

bool CGameSession::SendComboFinish(uint8_t combo, uint8_t finish) {
    return QueueMessage(CPacketWriter(34, 1).PutByte(combo).PutByte(finish));
}

bool CGameSession::SendMapRequest() {
    return QueueMessage(CPacketWriter(36));
}

bool CGameSession::SendEventPanelAccept() {
    return QueueMessage(CPacketWriter(39, 1));
}

bool CGameSession::SendEventPanelDecline() {
    return QueueMessage(CPacketWriter(39, 0));
}

bool CGameSession::SendItemDrop(uint8_t slot, uint16_t count, uint32_t value) {
    return QueueMessage(CPacketWriter(41).PutByte(slot).PutWord(count).PutDword(value));
}

bool CGameSession::SendComboSelect() {
    return QueueMessage(CPacketWriter(49));
}

bool CGameSession::SendDrawStep(uint8_t value) {
    return QueueMessage(CPacketWriter(50).PutByte(value));
}

bool CGameSession::SendPlayerPosition(uint16_t x, uint16_t y, uint8_t facing, uint8_t step) {
    return QueueMessage(CPacketWriter(51).PutWord(x).PutWord(y).PutByte(HalfFacing(facing)).PutByte(step));
}

bool CGameSession::SendLevelUp() {
    return QueueMessage(CPacketWriter(54));
}

bool CGameSession::SendMapReady() {
    return QueueMessage(CPacketWriter(57));
}

bool CGameSession::SendGameOverChoice() {
    return QueueMessage(CPacketWriter(76));
}

bool CGameSession::SendDestination(uint8_t value, const CFieldPoint* points, size_t count) {
    CPacketWriter request(84);
    request.PutByte(value);
    PutPoints(request, points, count);
    return QueueMessage(request);
}

bool CGameSession::SendEventState(uint8_t kind, uint32_t eventValue, uint32_t function, const uint8_t* pairs,
                                  size_t count) {
    if (count > UINT16_MAX) return false;
    CPacketWriter request(108);
    request.PutByte(kind)
        .PutDword(eventValue)
        .PutDword(function)
        .PutWord(uint16_t(count))
        .PutBytes(pairs, count * 2);
    return QueueMessage(request);
}

bool CGameSession::SendEventSelection(uint32_t value1, uint32_t value2, const uint8_t* record,
                                      size_t length) {
    if (length > UINT16_MAX) return false;
    CPacketWriter request(108);
    request.PutByte(2).PutDword(value1).PutDword(value2).PutWord(uint16_t(length)).PutBytes(record, length);
    return QueueMessage(request);
}
