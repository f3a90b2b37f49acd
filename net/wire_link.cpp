#include "net/wire_link.h"

#include <algorithm>
#include <cstring>

#include "net/game_session.h"

CWireLink::CWireLink(WireSide side) : m_side(side), m_assembler(std::make_unique<CFrameAssembler>()) {}

CWireLink::~CWireLink() = default;

void CWireLink::Reset() {
    m_assembler->Reset();
    m_pending.clear();
    m_read = 0;
    m_junkRun = 0;
}

bool CWireLink::SetCipher(int maskFunction, std::string_view key) {
    if (maskFunction < 0 || maskFunction > CPacketCipher::MAX_MASK_FUNCTION || key.empty() ||
        key.size() > CPacketCipher::MAX_KEY_LENGTH)
        return false;
    return m_cipher.BuildMaskTable(maskFunction) && m_cipher.SetCipherKey(key);
}

std::vector<uint8_t> CWireLink::Greeting() {
    std::vector<uint8_t> frame(FRAME_HEADER_SIZE + SERVER_GREETING_LENGTH);
    frame[0] = FRAME_START;
    frame[1] = 0;
    frame[2] = uint8_t(SERVER_GREETING_LENGTH);
    std::memcpy(frame.data() + FRAME_HEADER_SIZE, SERVER_GREETING, SERVER_GREETING_LENGTH);
    return frame;
}

std::vector<uint8_t> CWireLink::Frame(const uint8_t* message, size_t length) {
    if (!message || length == 0 || length >= MAX_FRAME_LENGTH) return {};
    const bool clear =
        m_side == WireSide::Server ? IsClearOpcodeReceived(message[0]) : IsClearOpcodeSent(message[0]);
    std::vector<uint8_t> frame(length + FRAME_HEADER_SIZE + 1);
    frame.resize(EncodeFrame(m_cipher, message, length, clear, frame.data()));
    return frame;
}

void CWireLink::Feed(const uint8_t* data, size_t size) {
    if (!data || size == 0) return;
    if (m_read > 0 && m_read >= m_pending.size() / 2) {
        m_pending.erase(m_pending.begin(), m_pending.begin() + std::ptrdiff_t(m_read));
        m_read = 0;
    }
    m_pending.insert(m_pending.end(), data, data + size);
}

bool CWireLink::Next(CWireFrame* frame, bool raw) {
    for (;;) {
        if (!raw && !m_assembler->InFrame()) {
            // Bytes before a frame's start are passed over, and counted.
            auto start = std::find(m_pending.begin() + std::ptrdiff_t(m_read), m_pending.end(), FRAME_START);
            const size_t skipped = size_t(start - m_pending.begin()) - m_read;
            m_junkRun += skipped;
            m_read += skipped;
            if (start == m_pending.end()) return false;
            m_junkRun = 0;
        }
        if (m_read >= m_pending.size()) return false;
        bool complete = false;
        m_read += m_assembler->Take(m_pending.data() + m_read, m_pending.size() - m_read, raw, &complete);
        if (!complete) return false;
        const uint8_t* bytes = m_assembler->Frame();
        const size_t length = m_assembler->FrameLength();
        frame->message.clear();
        frame->sequence = 0;
        frame->clear = true;
        if (length == 0) return true;
        const bool clear =
            m_assembler->FrameWasRaw() ||
            (m_side == WireSide::Server ? IsClearOpcodeSent(bytes[0]) : IsClearOpcodeReceived(bytes[0]));
        if (clear) {
            frame->message.assign(bytes, bytes + length);
            return true;
        }
        frame->clear = false;
        frame->sequence = length >= 2 ? bytes[1] : 0;
        frame->message.resize(length + 1);
        frame->message.resize(m_cipher.DecryptFrame(bytes, length, frame->message.data()));
        return true;
    }
}
