// The terms of use: the server announces the CRC-32 of its current text
// (message 96 form 0) or sends the text itself, zlib-compressed (form 1). The
// client keeps the last text in STIPULATION_FILE, asks for the text when its
// copy is stale, and has the title window show the terms once they are there.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CGameSession;
class CPacketReader;

constexpr uint8_t SERVER_TERMS = 96;
// The largest terms text; a longer one is kept cut.
constexpr size_t MAX_TERMS_TEXT = 65535;

// Message 96 as read: the form with its checksum or its compressed text.
struct CTermsMessage {
    uint8_t m_form = 0;
    uint32_t m_checksum = 0;            // form 0
    std::vector<uint8_t> m_compressed;  // form 1
};
// The whole message, or nothing when a field is missing; other forms give nothing.
std::optional<CTermsMessage> ParseTermsMessage(CPacketReader& body);

// Inflates a terms text: at most MAX_TERMS_TEXT bytes (a longer text is cut
// there); false for a damaged or cut-short stream.
// 96 as a server writes it, code first: form 0 the checksum, form 1 the
// text deflated (empty when it does not fit the message).
std::vector<uint8_t> WriteTermsChecksum(uint32_t checksum);
std::vector<uint8_t> WriteTermsText(const std::string& text);
// The checksum the client keeps for a terms text.
uint32_t TermsChecksum(const std::string& text);

bool InflateTermsText(const uint8_t* data, size_t length, std::string* text);

// The stipulation file's bytes for a checksum and text, and the reverse
// (false with checksum 0 and no text for a damaged file).
std::vector<uint8_t> EncodeTermsFile(uint32_t checksum, const std::string& text);
bool DecodeTermsFile(const std::vector<uint8_t>& bytes, uint32_t* checksum, std::string* text);

// Message 96, only while connected and not for a launcher log-in.
void HandleTermsMessage(CGameSession& session, uint8_t code, CPacketReader& body);
