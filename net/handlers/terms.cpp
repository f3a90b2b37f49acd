#include "net/handlers/terms.h"

#include <zlib.h>

#include <cstring>
#include <memory>

#include "net/connection.h"
#include "net/game_session.h"
#include "net/handlers/login_records.h"
#include "net/handlers/server_windows.h"
#include "net/packet_reader.h"
#include "net/packet_writer.h"
#include "platform/paths.h"

namespace {

constexpr size_t FILE_HEADER_SIZE = 8;
constexpr char TITLE_WINDOW[] = "Z5_TITLE_WINDOW";

uint32_t ReadLittle32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutLittle32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

// The terms are confirmed or received: the title window shows them.
void TermsReady(CGameSession& session) {
    session.m_termsReady = 1;
    PostToWindow(TITLE_WINDOW, std::make_unique<CShowTermsMsg>());
}

}  // namespace

std::optional<CTermsMessage> ParseTermsMessage(CPacketReader& body) {
    CTermsMessage message;
    message.m_form = body.GetByte();
    if (message.m_form == 0) {
        message.m_checksum = body.GetDword();
    } else if (message.m_form == 1) {
        const uint16_t length = body.GetWord();
        if (!body.Failed() && body.Remaining() >= length) {
            message.m_compressed.assign(body.Current(), body.Current() + length);
            body.Skip(length);
        } else {
            body.Skip(length);  // fails the reader
        }
    } else {
        return std::nullopt;
    }
    if (body.Failed()) return std::nullopt;
    return message;
}

bool InflateTermsText(const uint8_t* data, size_t length, std::string* text) {
    std::string out(MAX_TERMS_TEXT, '\0');
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return false;
    stream.next_in = const_cast<Bytef*>(data);  // zlib does not write its input
    stream.avail_in = uInt(length);
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = inflate(&stream, Z_FINISH);
    const size_t produced = out.size() - stream.avail_out;
    inflateEnd(&stream);
    // Whole, or cut where the room ends; anything else is damaged or short.
    if (result != Z_STREAM_END && stream.avail_out != 0) return false;
    out.resize(produced);
    *text = std::move(out);
    return true;
}

std::vector<uint8_t> EncodeTermsFile(uint32_t checksum, const std::string& text) {
    std::vector<uint8_t> bytes;
    bytes.reserve(FILE_HEADER_SIZE + text.size());
    PutLittle32(bytes, checksum);
    PutLittle32(bytes, uint32_t(text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
    return bytes;
}

bool DecodeTermsFile(const std::vector<uint8_t>& bytes, uint32_t* checksum, std::string* text) {
    *checksum = 0;
    text->clear();
    if (bytes.size() < FILE_HEADER_SIZE) return false;
    const uint32_t stored = ReadLittle32(bytes.data());
    const int32_t length = int32_t(ReadLittle32(bytes.data() + 4));
    if (length > int32_t(MAX_TERMS_TEXT) || (length > 0 && size_t(length) > bytes.size() - FILE_HEADER_SIZE))
        return false;
    *checksum = stored;
    if (length > 0) text->assign(bytes.begin() + FILE_HEADER_SIZE, bytes.begin() + FILE_HEADER_SIZE + length);
    return true;
}

bool CGameSession::LoadStipulation() {
    m_termsChecksum = 0;
    m_termsText.clear();
    std::vector<uint8_t> bytes;
    if (!plat::ReadWholeFile(STIPULATION_FILE, bytes)) return false;
    DecodeTermsFile(bytes, &m_termsChecksum, &m_termsText);
    return true;
}

bool CGameSession::SaveStipulation() {
    const std::vector<uint8_t> bytes = EncodeTermsFile(m_termsChecksum, m_termsText);
    return plat::WriteFileAtomic(STIPULATION_FILE, bytes.data(), bytes.size());
}

void HandleTermsMessage(CGameSession& session, uint8_t, CPacketReader& body) {
    if (!IsServerConnected() || session.m_launcherLogin) return;
    std::optional<CTermsMessage> message = ParseTermsMessage(body);
    if (!message) return;
    if (message->m_form == 0) {
        if (message->m_checksum != session.m_termsChecksum) {
            session.SendTermsRequest();
            return;
        }
        TermsReady(session);
        return;
    }
    std::string text;
    if (!InflateTermsText(message->m_compressed.data(), message->m_compressed.size(), &text)) return;
    session.m_termsChecksum = TermsChecksum(text);
    session.m_termsText = std::move(text);
    // A file that cannot be written keeps the old one; the text received stays in use.
    session.SaveStipulation();
    TermsReady(session);
}

uint32_t TermsChecksum(const std::string& text) {
    return uint32_t(crc32(0, reinterpret_cast<const Bytef*>(text.data()), uInt(text.size())));
}

std::vector<uint8_t> WriteTermsChecksum(uint32_t checksum) {
    return CMessageWriter(SERVER_TERMS).PutByte(0).PutDword(checksum).Take();
}

std::vector<uint8_t> WriteTermsText(const std::string& text) {
    if (text.size() > MAX_TERMS_TEXT) return {};
    uLongf size = compressBound(uLong(text.size()));
    std::vector<uint8_t> packed(size);
    if (compress(packed.data(), &size, reinterpret_cast<const Bytef*>(text.data()), uLong(text.size())) !=
            Z_OK ||
        size > 0xFFFF - 8)
        return {};
    return CMessageWriter(SERVER_TERMS).PutByte(1).PutLongBytes(packed.data(), size).Take();
}
