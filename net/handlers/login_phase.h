// The log-in phase: server messages 0 to 3 (key set-up and world entry, the
// refusals, the log-in reply, the change to another server) and the notices
// they leave for the log-in and character-selection windows.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CGameSession;
class CPacketReader;

// Text table and rows of the log-in texts.
constexpr int LOGIN_TEXT_TABLE = 13;
constexpr int LOGIN_TEXT_REFUSED = 0;         // message 0/1
constexpr int LOGIN_TEXT_VERSION = 11;        // message 0/2: a format with two versions
constexpr int LOGIN_TEXT_SERVER_CHANGED = 8;  // message 3 after a log-in
constexpr int LOGIN_TEXT_WORLD_ENTERED = 7;   // message 3 after a world entry
constexpr uint8_t LOGIN_RESULT_CLOSES = 27;   // message 2: the server ends the link

// A mask function and key a server hands out.
struct CCipherSetup {
    uint32_t m_maskFunction = 0;
    std::string m_key;  // up to its first 0 byte
    // The client takes it: a known mask function and a key of 1 to 255 bytes.
    bool IsUsable() const;
};

// Message 3: the next server, its ticket and what the ticket carries.
struct CServerChange {
    uint32_t m_addressNet = 0;  // network order, as the connection takes it
    uint16_t m_port = 0;
    std::vector<uint8_t> m_ticket;
    std::string m_text;  // the text after the key
    CCipherSetup m_cipher;
    bool m_ticketReadable = false;  // the key fits inside the ticket
};

std::optional<CCipherSetup> ParseKeySetup(CPacketReader& body);  // 0/0 after the sub-code
std::optional<CServerChange> ParseServerChange(CPacketReader& body);

// The messages as a server writes them, code first.
std::vector<uint8_t> WriteKeySetup(const CCipherSetup& setup);                  // 0/0
std::vector<uint8_t> WriteLoginReply(uint8_t result, const std::string& text);  // 2
// 3: the ticket is the mask function and the key, as the client reads it.
std::vector<uint8_t> WriteServerChange(uint32_t addressNet, uint16_t port, const CCipherSetup& ticket,
                                       const std::string& text);

// Messages 0-3, only while connected.
void HandleLoginMessage(CGameSession& session, uint8_t code, CPacketReader& body);
