// Chat lines, notices and the server's message boxes (10, 13, 113), and the
// pet messages (34).
//
// | code | what                                                        |
// |------|-------------------------------------------------------------|
// | 10   | by kind: reply window (22), server question box (21), kept  |
// |      | box (8), self-hiding box (17), ticker (24), else chat line  |
// |      | to "MSGWIN" (0 as 1), the game scene (4, 5, 18) and the     |
// |      | event talk window (20)                                      |
// | 13   | a chat line with a 32-bit kind                              |
// | 113  | channel lines: the fixed line (sub-kind 0), the game scene  |
// |      | (kind 19), "name : text" (sub-kind 3)                       |
// | 34   | "Pet_Interface" and "Pet_Incubator_Window"; a pet name that |
// |      | comes before its window waits for the next frame            |
//
// Each handler does nothing while the connection is closed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "net/handlers/char_records.h"

class CGameSession;
class CPacketReader;

enum : uint8_t {
    SERVER_CHAT = 10,
    SERVER_CHAT_LINE = 13,
    SERVER_PET = 34,
    SERVER_CHANNEL = 113,
};

// The chat table's row of the fixed channel line.
inline constexpr int CHAT_TEXT_TABLE = 13;
inline constexpr int CHAT_TEXT_CHANNEL_ROW = 10;
// The option byte that shows kind-0 channel lines.
inline constexpr size_t OPTION_CHANNEL_KIND0 = 18;

// The game scene's record of a named line (message 22).
using CChatNameMsg = CTwoTextsMsg;

// 10 as a server writes it for a plain chat line of a kind, code first.
std::vector<uint8_t> WriteChatLine(uint8_t kind, uint8_t extra, const std::string& text);
// 10 as a server writes it for a question box (kind 21): the box's text and
// the replies its OK and CANCEL send back with the box's id.
std::vector<uint8_t> WriteServerQuestion(uint32_t boxId, const std::string& text, const std::string& okReply,
                                         const std::string& cancelReply);
// 13 as a server writes it: a line said by the character with the id (the
// kind), shown without the name when noName is set.
std::vector<uint8_t> WriteChatSpeech(uint8_t noName, uint32_t kind, const std::string& text);

// 113 as a server writes it: a channel line of the kind and sub-kind from the name.
std::vector<uint8_t> WriteChannelLine(uint8_t kind, uint8_t subKind, const std::string& name,
                                      const std::string& text);

void HandleChatMessage(CGameSession& session, uint8_t code, CPacketReader& body);
void HandlePetMessage(CGameSession& session, uint8_t code, CPacketReader& body);
