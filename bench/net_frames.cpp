// Frames assembled from a received byte stream and deciphered, against a plain
// copy of the same bytes. The stream holds enciphered messages of 8 to 250
// bytes, read in pieces of the connection's receive buffer.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "net/connection.h"
#include "net/frame_assembler.h"
#include "net/packet_cipher.h"

namespace {

struct Stream {
    std::vector<uint8_t> bytes;
    size_t frames = 0;
};

const Stream& TestStream() {
    static const Stream stream = [] {
        Stream s;
        CPacketCipher cipher;
        cipher.SetCipherKey("Bench9Key");
        cipher.BuildMaskTable(7);
        std::vector<uint8_t> message(256), frame(260);
        uint32_t seed = 12345;
        while (s.bytes.size() < (1u << 20)) {
            seed = seed * 1103515245u + 12345u;
            size_t length = 8 + (seed >> 16) % 243;
            message[0] = uint8_t(10 + (seed >> 8) % 50);  // never a clear opcode
            for (size_t i = 1; i < length; ++i) message[i] = uint8_t(seed >> (i % 24));
            size_t size = EncodeFrame(cipher, message.data(), length, false, frame.data());
            s.bytes.insert(s.bytes.end(), frame.begin(), frame.begin() + std::ptrdiff_t(size));
            ++s.frames;
        }
        return s;
    }();
    return stream;
}

void BM_AssembleAndDecipher(benchmark::State& state) {
    const Stream& stream = TestStream();
    auto assembler = std::make_unique<CFrameAssembler>();
    CPacketCipher cipher;
    cipher.SetCipherKey("Bench9Key");
    cipher.BuildMaskTable(7);
    std::vector<uint8_t> plain(MAX_FRAME_LENGTH + 1);
    for (auto _ : state) {
        size_t frames = 0;
        for (size_t pos = 0; pos < stream.bytes.size();) {
            size_t piece = std::min(CConnection::RECEIVE_BUFFER_SIZE, stream.bytes.size() - pos);
            const uint8_t* data = stream.bytes.data() + pos;
            size_t used = 0;
            while (used < piece) {
                bool complete = false;
                used += assembler->Take(data + used, piece - used, false, &complete);
                if (!complete) continue;
                cipher.DecryptFrame(assembler->Frame(), assembler->FrameLength(), plain.data());
                benchmark::DoNotOptimize(plain.data());
                ++frames;
            }
            pos += piece;
        }
        if (frames != stream.frames) state.SkipWithError("lost frames");
    }
    state.SetBytesProcessed(int64_t(state.iterations() * stream.bytes.size()));
    state.SetItemsProcessed(int64_t(state.iterations() * stream.frames));
}
BENCHMARK(BM_AssembleAndDecipher);

void BM_MemcpySameBytes(benchmark::State& state) {
    const Stream& stream = TestStream();
    std::vector<uint8_t> destination(CConnection::RECEIVE_BUFFER_SIZE);
    for (auto _ : state) {
        for (size_t pos = 0; pos < stream.bytes.size();) {
            size_t piece = std::min(CConnection::RECEIVE_BUFFER_SIZE, stream.bytes.size() - pos);
            std::memcpy(destination.data(), stream.bytes.data() + pos, piece);
            benchmark::DoNotOptimize(destination.data());
            benchmark::ClobberMemory();
            pos += piece;
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations() * stream.bytes.size()));
    state.SetItemsProcessed(int64_t(state.iterations() * stream.frames));
}
BENCHMARK(BM_MemcpySameBytes);

}  // namespace
