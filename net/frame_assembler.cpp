#include "net/frame_assembler.h"

#include <cstring>

#include "net/packet_cipher.h"

bool IsClearOpcodeSent(uint8_t opcode) {
    return opcode == 0 || opcode == 1 || opcode == 16 || opcode == 40;
}
bool IsClearOpcodeReceived(uint8_t opcode) {
    return opcode == 0 || opcode == 3 || opcode == 64;
}

size_t EncodeFrame(CPacketCipher& cipher, const uint8_t* message, size_t length, bool clear,
                   uint8_t* output) {
    if (!message || length < 1 || length >= MAX_FRAME_LENGTH) return 0;
    size_t body;
    if (clear) {
        std::memcpy(output + FRAME_HEADER_SIZE, message, length);
        body = length;
    } else {
        body = cipher.EncryptFrame(message, length, output + FRAME_HEADER_SIZE);
    }
    output[0] = FRAME_START;
    output[1] = uint8_t(body >> 8);
    output[2] = uint8_t(body);
    return body + FRAME_HEADER_SIZE;
}

CFrameAssembler::CFrameAssembler() {
    m_frame[0] = 0;
}

void CFrameAssembler::Reset() {
    m_inFrame = false;
    m_headerBytes = 0;
    m_frameLength = 0;
    m_bodyBytes = 0;
}

size_t CFrameAssembler::Take(const uint8_t* data, size_t size, bool raw, bool* complete) {
    *complete = false;
    size_t pos = 0;
    while (pos < size) {
        if (!m_inFrame) {
            uint8_t byte = data[pos++];
            if (!raw && byte != FRAME_START) continue;
            m_inFrame = true;
            m_frameRaw = raw;
            m_headerBytes = 0;
            m_frameLength = 0;
            m_bodyBytes = 0;
            continue;
        }
        if (m_headerBytes < 2) {
            m_frameLength = (m_frameLength << 8) | data[pos++];
            if (++m_headerBytes < 2 || m_frameLength > 0) continue;
            // An empty frame ends with its header.
        } else {
            size_t want = m_frameLength - m_bodyBytes;
            size_t have = size - pos;
            size_t n = have < want ? have : want;
            std::memcpy(m_frame + m_bodyBytes, data + pos, n);
            m_bodyBytes += n;
            pos += n;
            if (m_bodyBytes < m_frameLength) continue;
        }
        m_frame[m_frameLength] = 0;
        m_inFrame = false;
        *complete = true;
        break;
    }
    return pos;
}
