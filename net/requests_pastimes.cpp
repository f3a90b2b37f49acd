// Requests of the warp list, the event log, pets, the SINSU ring, GAMBAMBO,
// fishing, cooking and the web window.
#include "net/game_session.h"

namespace {

constexpr uint8_t REQUEST_PET = 69;
constexpr uint8_t REQUEST_PASTIME = 78;

// Features of request 78.
constexpr uint8_t PASTIME_GAMBAMBO = 1;
constexpr uint8_t PASTIME_FISHING = 2;
constexpr uint8_t PASTIME_COOKING = 3;

CPacketWriter Pet(uint8_t feature, uint8_t command) {
    return CPacketWriter(REQUEST_PET, feature, command);
}
CPacketWriter Gambambo(uint8_t command) {
    return CPacketWriter(REQUEST_PASTIME, PASTIME_GAMBAMBO, command);
}
CPacketWriter Fishing(uint8_t command) {
    return CPacketWriter(REQUEST_PASTIME, PASTIME_FISHING, command);
}
// Cooking commands name the cookbook kind first.
CPacketWriter Cooking(uint8_t command, uint8_t kind) {
    CPacketWriter request(REQUEST_PASTIME, PASTIME_COOKING, command);
    request.PutByte(kind);
    return request;
}

}  // namespace

bool CGameSession::SendWarpRequest(uint8_t group, uint8_t index) {
    return QueueMessage(CPacketWriter(60, group).PutByte(index));
}

bool CGameSession::SendEventLogCategoryRequest(uint8_t category) {
    return QueueMessage(CPacketWriter(64, 1).PutByte(category));
}

bool CGameSession::SendEventLogRequest3(uint32_t value) {
    return QueueMessage(CPacketWriter(64, 3).PutDword(value));
}

// ---- Pets ----

bool CGameSession::SendPetIncubatorOpen() {
    return QueueMessage(Pet(0, 0));
}

bool CGameSession::SendPetIncubatorItem(uint8_t slot, uint8_t action) {
    return QueueMessage(Pet(0, 1).PutByte(slot).PutByte(action));
}

bool CGameSession::SendPetInfoRequest() {
    return QueueMessage(Pet(1, 0));
}

bool CGameSession::SendPetFeed(uint8_t slot, uint8_t value) {
    return QueueMessage(Pet(1, 1).PutByte(slot).PutByte(value));
}

bool CGameSession::SendPetName(const char* name) {
    return QueueMessage(Pet(1, 2).PutText(name));
}

bool CGameSession::SendPetLearnSkill(uint32_t skillId, uint8_t value) {
    return QueueMessage(Pet(1, 3).PutDword(skillId).PutByte(value));
}

bool CGameSession::SendPetHatched() {
    return QueueMessage(Pet(1, 4));
}

bool CGameSession::SendPetSkillListRequest() {
    return QueueMessage(Pet(1, 5));
}

bool CGameSession::SendPetEvolve() {
    return QueueMessage(Pet(1, 6));
}

bool CGameSession::SendSinsuMove(uint8_t place) {
    return QueueMessage(CPacketWriter(77, 0).PutByte(place));
}

// ---- GAMBAMBO ----

bool CGameSession::SendGambamboInvite(uint32_t playerId) {
    return QueueMessage(Gambambo(0).PutDword(playerId));
}

bool CGameSession::SendGambamboInviteAnswer(uint32_t inviterId, uint8_t answer) {
    return QueueMessage(Gambambo(1).PutDword(inviterId).PutByte(answer));
}

bool CGameSession::SendGambamboPutItem(uint8_t slot, uint8_t stake, uint16_t count) {
    return QueueMessage(Gambambo(2).PutByte(slot).PutByte(stake).PutWord(count));
}

bool CGameSession::SendGambamboTakeItem(uint8_t stake) {
    return QueueMessage(Gambambo(3).PutByte(stake));
}

bool CGameSession::SendGambamboBet(uint32_t bet) {
    return QueueMessage(Gambambo(4).PutDword(bet));
}

bool CGameSession::SendGambamboReady() {
    return QueueMessage(Gambambo(5));
}

bool CGameSession::SendGambamboChoice(uint8_t choice) {
    return QueueMessage(Gambambo(6).PutByte(choice));
}

bool CGameSession::SendGambamboLeave() {
    return QueueMessage(Gambambo(7));
}

// ---- Fishing ----

bool CGameSession::SendFishingStart() {
    return QueueMessage(Fishing(0));
}

bool CGameSession::SendFishingCast(uint8_t slot) {
    return QueueMessage(Fishing(1).PutByte(slot));
}

bool CGameSession::SendFishingCommand(uint8_t value) {
    return QueueMessage(Fishing(2).PutByte(value));
}

bool CGameSession::SendFishingEnd() {
    return QueueMessage(Fishing(5));
}

// ---- Cooking ----

bool CGameSession::SendCookingMemorize(uint8_t kind, uint8_t slot) {
    return QueueMessage(Cooking(0, kind).PutByte(slot));
}

bool CGameSession::SendCookingForget(uint8_t kind, const char* dish) {
    return QueueMessage(Cooking(1, kind).PutTextWithZero(dish));
}

bool CGameSession::SendCookingRequest(uint8_t kind) {
    return QueueMessage(Cooking(2, kind));
}

bool CGameSession::SendCookingBegin(uint8_t kind) {
    return QueueMessage(Cooking(3, kind));
}

bool CGameSession::SendCookingCook(uint8_t kind, const char* dish, uint8_t count) {
    return QueueMessage(Cooking(4, kind).PutTextWithZero(dish).PutByte(count));
}

bool CGameSession::SendCookingEnd(uint8_t kind) {
    return QueueMessage(Cooking(5, kind));
}

bool CGameSession::SendRequest114(uint8_t value) {
    return QueueMessage(CPacketWriter(114).PutByte(value));
}
