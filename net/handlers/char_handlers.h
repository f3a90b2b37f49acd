// Handlers of the character messages and of the event manager's input:
//
// | code | record                          | delivery                         | connection test | re-arm |
// |------|---------------------------------|----------------------------------|-----------------|--------|
// | 8    | 18 status block                 | posted                           | yes             |        |
// | 21   | 76 map change (map's record)    | handed to the map                | no              | yes    |
// | 22   | 20 value list                   | posted                           | yes             |        |
// | 26   | 28 character action             | action 3 posted, others handed   | no              | yes    |
// | 43   | 25 character timer (form 0)     | into the manager's port          | yes             |        |
// | 68   | 101 event input, 102 raw block  | event manager's port, delay 2, 0 | yes             |        |
// | 71   | 73, 74, 75 character state      | posted                           | no              | yes    |
// | 87   | 114 character text (form 2)     | posted                           | yes             |        |
// | 95   | 61 timed pair                   | posted with delay 3              | yes             | yes    |
// | 105  | 29 emoticon                     | posted                           | yes             |        |
// | 110  | three 19 status groups          | posted in order                  | yes             |        |
// | 112  | 24 value reaction (forms 0, 1)  | posted                           | yes             | yes    |
//
// Counts beyond a record's arrays are read past; texts are cut to their fields.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "net/handlers/char_records.h"
#include "net/handlers/event_records.h"
#include "net/handlers/map_records.h"

class CGameSession;
class CPacketReader;

enum : uint8_t {
    SERVER_STATUS_BLOCK = 8,
    SERVER_MAP_CHANGE = 21,
    SERVER_VALUE_LIST = 22,
    SERVER_CHAR_ACTION = 26,
    SERVER_CHAR_TIMER = 43,
    SERVER_EVENT_INPUT = 68,
    SERVER_CHAR_STATE = 71,
    SERVER_CHAR_TEXT = 87,
    SERVER_TIMED_PAIR = 95,
    SERVER_EMOTICON = 105,
    SERVER_STATUS_GROUPS = 110,
    SERVER_VALUE_REACTION = 112,
};

// Delays of the event manager's records, in frames.
inline constexpr int32_t EVENT_INPUT_DELAY = 2;
inline constexpr int32_t EVENT_BLOCK_DELAY = 0;
// Delay of the timed pair, in frames.
inline constexpr int32_t TIMED_PAIR_DELAY = 3;

std::unique_ptr<CStatusBlockMsg> ParseStatusBlock(CPacketReader& body);
// 8 as a server writes it, code first: the groups the flags name.
std::vector<uint8_t> WriteStatusBlock(const CStatusBlockFields& block);
// 22 as a server writes it: (slot index, value) pairs; index 16's value is a
// skill id.
std::vector<uint8_t> WriteValueList(const std::vector<std::pair<uint8_t, uint32_t>>& entries);
// 21: the stage, the attribute byte (which the server decides, so its flag is
// 1) and the event byte.
std::optional<CMapChangeMsg> ParseMapChange(CPacketReader& body);
// 21 as a server writes it, code first.
std::vector<uint8_t> WriteMapChange(uint16_t stage, uint8_t attributes, uint8_t event);
// Message 68: form 0, an event order (start: action 0; kind 0 a visual event,
// 1 a field script; the event's number and start function; the event value
// and function index; no value tables); form 1, the stop order; form 2, a
// block of bytes (a choice record) with two values.
std::vector<uint8_t> WriteEventOrder(uint8_t kind, const std::string& number, const std::string& function,
                                     uint32_t value, uint32_t index);
std::vector<uint8_t> WriteEventStop();
std::vector<uint8_t> WriteEventBlock(uint32_t a, uint32_t b, const std::vector<uint8_t>& bytes);
std::unique_ptr<CValueListMsg> ParseValueList(CPacketReader& body);
// The three groups, or none.
std::vector<std::unique_ptr<CStatusGroupMsg>> ParseStatusGroups(CPacketReader& body);
std::unique_ptr<CCharActionMsg> ParseCharAction(CPacketReader& body);
std::unique_ptr<CCharTimerMsg> ParseCharTimer(CPacketReader& body);
std::unique_ptr<CValueReactionMsg> ParseValueReaction(CPacketReader& body);
std::unique_ptr<CTimedPairMsg> ParseTimedPair(CPacketReader& body);
std::unique_ptr<CEmoticonMsg> ParseEmoticon(CPacketReader& body);
// Nothing when the message is short; a null record for a form that brings none.
std::optional<std::unique_ptr<CCharStateMsg>> ParseCharState(CPacketReader& body);
std::optional<std::unique_ptr<CCharTextMsg>> ParseCharText(CPacketReader& body);
std::optional<std::unique_ptr<CMsgPayload>> ParseEventInput(CPacketReader& body);

void HandleStatusBlock(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleMapChange(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleValueList(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleStatusGroups(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleCharAction(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleCharTimer(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleValueReaction(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleTimedPair(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleEmoticon(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleCharState(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleCharText(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleEventInput(CGameSession& session, uint8_t code, CPacketReader& body);
