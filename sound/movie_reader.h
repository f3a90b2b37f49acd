// The movie players' file reader: the bytes of a movie file, deciphered when
// the file is enciphered. An enciphered movie is the plain file run through
// RC4 once from its first byte: file byte k takes keystream byte k, whatever
// order the player reads in. The key is MovieKey: a block of 128 bytes made
// from each byte's index, (i x 73 + 41) mod 256, followed by the key text.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/rc4.h"
#include "platform/media.h"

inline constexpr size_t MOVIE_KEY_BLOCK = 128;
// The reader keeps the cipher's state at every multiple of this, so a read
// behind the position starts again from the checkpoint before it.
inline constexpr uint64_t MOVIE_CHECKPOINT_BYTES = 1u << 20;

std::vector<uint8_t> MovieKey(const char* keyText);

class CMovieReader : public plat::MediaInput {
public:
    // Reads file through the key (no key: in clear). Null file: nothing to read.
    CMovieReader(std::unique_ptr<plat::MediaInput> file, const std::vector<uint8_t>& key);

    int64_t Read(void* buffer, size_t count) override;
    bool Seek(uint64_t position) override;
    uint64_t Size() override { return m_file ? m_file->Size() : 0; }

    // Enciphers or deciphers bytes lying at position of a file with this key
    // in place (the tool writes enciphered copies with it).
    static void CryptAt(std::vector<uint8_t>& bytes, const std::vector<uint8_t>& key);

private:
    // Brings the keystream to position, from the last checkpoint not after it.
    void MoveKeystream(uint64_t position);
    // Runs the keystream over count bytes (null: discards it), keeping checkpoints.
    void Crypt(uint8_t* bytes, size_t count);

    std::unique_ptr<plat::MediaInput> m_file;
    bool m_enciphered = false;
    CRC4Cipher m_cipher;
    uint64_t m_keystreamAt = 0;  // the file position the cipher's next byte belongs to
    uint64_t m_position = 0;
    std::vector<CRC4Cipher> m_checkpoints;  // the state at k x MOVIE_CHECKPOINT_BYTES
};
