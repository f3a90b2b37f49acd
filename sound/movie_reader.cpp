#include "sound/movie_reader.h"

#include <algorithm>
#include <cstring>

std::vector<uint8_t> MovieKey(const char* keyText) {
    std::vector<uint8_t> key(MOVIE_KEY_BLOCK);
    for (size_t i = 0; i < MOVIE_KEY_BLOCK; ++i) key[i] = uint8_t((i * 73 + 41) % 256);
    if (keyText) key.insert(key.end(), keyText, keyText + std::strlen(keyText));
    return key;
}

CMovieReader::CMovieReader(std::unique_ptr<plat::MediaInput> file, const std::vector<uint8_t>& key)
    : m_file(std::move(file)), m_enciphered(!key.empty()) {
    if (m_enciphered) {
        m_cipher = RC4SetKey(key.data(), key.size(), 0);
        m_checkpoints.push_back(m_cipher);
    }
}

void CMovieReader::CryptAt(std::vector<uint8_t>& bytes, const std::vector<uint8_t>& key) {
    if (key.empty()) return;
    CRC4Cipher cipher = RC4SetKey(key.data(), key.size(), 0);
    cipher.RC4Crypt(bytes.data(), bytes.size());
}

void CMovieReader::Crypt(uint8_t* bytes, size_t count) {
    uint8_t scratch[4096];
    while (count > 0) {
        // Stop at the next checkpoint to keep the state there.
        const uint64_t boundary = (m_keystreamAt / MOVIE_CHECKPOINT_BYTES + 1) * MOVIE_CHECKPOINT_BYTES;
        size_t n = size_t(std::min<uint64_t>(count, boundary - m_keystreamAt));
        if (!bytes) n = std::min(n, sizeof scratch);
        m_cipher.RC4Crypt(bytes ? bytes : scratch, n);
        if (bytes) bytes += n;
        count -= n;
        m_keystreamAt += n;
        if (m_keystreamAt % MOVIE_CHECKPOINT_BYTES == 0 &&
            m_checkpoints.size() == size_t(m_keystreamAt / MOVIE_CHECKPOINT_BYTES))
            m_checkpoints.push_back(m_cipher);
    }
}

void CMovieReader::MoveKeystream(uint64_t position) {
    if (position < m_keystreamAt) {
        const size_t k = std::min(size_t(position / MOVIE_CHECKPOINT_BYTES), m_checkpoints.size() - 1);
        m_cipher = m_checkpoints[k];
        m_keystreamAt = uint64_t(k) * MOVIE_CHECKPOINT_BYTES;
    }
    if (position > m_keystreamAt) {
        // Forward from the furthest checkpoint not after the position.
        const size_t k = std::min(size_t(position / MOVIE_CHECKPOINT_BYTES), m_checkpoints.size() - 1);
        if (uint64_t(k) * MOVIE_CHECKPOINT_BYTES > m_keystreamAt) {
            m_cipher = m_checkpoints[k];
            m_keystreamAt = uint64_t(k) * MOVIE_CHECKPOINT_BYTES;
        }
        Crypt(nullptr, size_t(position - m_keystreamAt));
    }
}

int64_t CMovieReader::Read(void* buffer, size_t count) {
    if (!m_file) return -1;
    const int64_t got = m_file->Read(buffer, count);
    if (got <= 0) return got;
    if (m_enciphered) {
        MoveKeystream(m_position);
        Crypt(static_cast<uint8_t*>(buffer), size_t(got));
    }
    m_position += uint64_t(got);
    return got;
}

bool CMovieReader::Seek(uint64_t position) {
    if (!m_file || !m_file->Seek(position)) return false;
    m_position = position;
    return true;
}
