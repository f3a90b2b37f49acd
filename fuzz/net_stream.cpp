// Arbitrary byte streams through the frame assembler, the cipher and the
// session's dispatch, with handlers that read every kind of field.
//
// Input: [options][key length][key bytes][stream...]
//   options bit 0: the first frame is raw; bits 1-5: mask function (above 20
//   is refused and the default table stays); bits 6-7: how the stream is cut
//   into reads (whole, 1 byte, 7 bytes, 4,096 bytes).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "net/frame_assembler.h"
#include "net/game_session.h"
#include "net/packet_cipher.h"
#include "net/packet_fields.h"
#include "net/packet_reader.h"

namespace {

void ReadFields(CGameSession& session, uint8_t code, CPacketReader& body) {
    char small[8];
    char large[256];
    uint8_t date[5];
    CNumberList numbers;
    switch (code % 8) {
        case 0:
            body.GetByte();
            body.GetWord();
            body.GetTriple();
            body.GetDword();
            break;
        case 1:
            body.GetString(small);
            body.GetString(large);
            body.GetDword();
            break;
        case 2:
            PackDateTime(date, body);
            body.GetString(small);
            break;
        case 3:
            ReadNumberList(body.GetDword(), body.GetByte(), &numbers, body);
            break;
        case 4: {
            uint8_t bytes[32];
            body.GetBytes(bytes, body.GetByte() % (sizeof(bytes) + 1));
            body.Skip(body.GetByte());
            break;
        }
        case 5:
            session.QueuePacket(body.Data(), body.Length());
            break;
        default:
            body.GetString();
            break;
    }
    if (!body.Failed() && body.Position() > body.Length()) std::abort();
}

struct State {
    CFrameAssembler assembler;
    CPacketCipher cipher;
    CGameSession session;
    // Items hold 0-3 numbers by their id, or are unknown.
    struct Limits : IItemNumberLimitLookup {
        int GetItemNumberLimit(uint32_t item) override { return int(item % 5) - 1; }
    } limits;
    std::vector<uint8_t> plain = std::vector<uint8_t>(MAX_FRAME_LENGTH + 2);
    std::vector<uint8_t> again = std::vector<uint8_t>(MAX_FRAME_LENGTH + 2);
    State() {
        for (int code = 0; code <= MAX_SERVER_CODE; ++code)
            session.SetPacketHandler(uint8_t(code), ReadFields);
        SetItemNumberLimitLookup(&limits);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static State* state = new State;
    if (size < 2) return 0;
    const uint8_t options = data[0];
    size_t keyLength = data[1];
    if (keyLength > size - 2) keyLength = size - 2;
    std::string_view key(reinterpret_cast<const char*>(data + 2), keyLength);
    const uint8_t* stream = data + 2 + keyLength;
    size_t streamSize = size - 2 - keyLength;

    CPacketCipher& cipher = state->cipher;
    cipher = CPacketCipher();
    bool keyTaken = cipher.SetCipherKey(key);
    if (keyTaken != (!key.empty() && key.size() <= CPacketCipher::MAX_KEY_LENGTH)) std::abort();
    int function = (options >> 1) & 31;
    if (cipher.BuildMaskTable(function) != (function <= CPacketCipher::MAX_MASK_FUNCTION)) std::abort();
    state->assembler.Reset();
    state->session.Reset();

    static const size_t kPieces[] = {0, 1, 7, 4096};
    size_t piece = kPieces[options >> 6];
    bool raw = options & 1;
    size_t pos = 0;
    while (pos < streamSize) {
        size_t end = piece == 0 || streamSize - pos < piece ? streamSize : pos + piece;
        while (pos < end) {
            bool complete = false;
            size_t taken = state->assembler.Take(stream + pos, end - pos, raw, &complete);
            if (taken == 0 || taken > end - pos) std::abort();
            pos += taken;
            if (!complete) continue;
            const bool wasRaw = state->assembler.FrameWasRaw();
            raw = false;
            size_t length = state->assembler.FrameLength();
            if (length == 0) continue;
            uint8_t* frame = state->assembler.Frame();
            if (frame[length] != 0) std::abort();
            if (wasRaw || IsClearOpcodeReceived(frame[0])) {
                state->session.DispatchPacket(frame, length);
                continue;
            }
            size_t plainLength = cipher.DecryptFrame(frame, length, state->plain.data());
            if (plainLength == 0 || plainLength > length) std::abort();
            // Enciphering the plain text with the frame's sequence gives the frame back.
            if (length >= 2) {
                cipher.SetSendSequence(frame[1]);
                if (cipher.EncryptFrame(state->plain.data(), plainLength, state->again.data()) != length ||
                    std::memcmp(state->again.data(), frame, length) != 0)
                    std::abort();
            }
            state->session.DispatchPacket(state->plain.data(), plainLength);
        }
    }
    return 0;
}
