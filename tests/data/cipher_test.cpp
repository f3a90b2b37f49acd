#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "data/rc4.h"
#include "data/sha256.h"

namespace {

std::vector<uint8_t> Rc4(const std::string& key, const std::string& text, uint32_t drop = 0) {
    CRC4Cipher cipher = RC4SetKey(reinterpret_cast<const uint8_t*>(key.data()), key.size(), drop);
    std::vector<uint8_t> out(text.size());
    cipher.Crypt(out.data(), reinterpret_cast<const uint8_t*>(text.data()), text.size());
    return out;
}

TEST(Rc4Test, PublishedKeystreams) {
    struct Case {
        const char* key;
        const char* text;
        std::vector<uint8_t> expected;
    };
    const Case cases[] = {
        {"Key", "Plaintext", {0xBB, 0xF3, 0x16, 0xE8, 0xD9, 0x40, 0xAF, 0x0A, 0xD3}},
        {"Wiki", "pedia", {0x10, 0x21, 0xBF, 0x04, 0x20}},
        {"Secret",
         "Attack at dawn",
         {0x45, 0xA0, 0x1F, 0x64, 0x5F, 0xC3, 0x5B, 0x38, 0x35, 0x52, 0x54, 0x4B, 0x9B, 0xF5}},
    };
    for (const Case& c : cases) EXPECT_EQ(Rc4(c.key, c.text), c.expected) << c.key;
}

TEST(Rc4Test, CallsContinueOneStream) {
    const std::string key = "0123456789abcdef";
    const std::string text = "twelve bytes";
    std::vector<uint8_t> whole = Rc4(key, text);

    CRC4Cipher cipher = RC4SetKey(reinterpret_cast<const uint8_t*>(key.data()), key.size(), 0);
    std::vector<uint8_t> parts(text.begin(), text.end());
    cipher.RC4Crypt(parts.data(), 5);
    cipher.Crypt(parts.data() + 5, parts.data() + 5, 0);  // nothing
    cipher.RC4Crypt(parts.data() + 5, 7);
    EXPECT_EQ(parts, whole);
}

TEST(Rc4Test, DropCountSkipsThatManyKeystreamBytes) {
    const std::string key(16, '\x5a');
    std::string zeros(300, '\0');
    std::vector<uint8_t> stream = Rc4(key, zeros);
    std::vector<uint8_t> dropped = Rc4(key, std::string(44, '\0'), 256);
    EXPECT_EQ(dropped, std::vector<uint8_t>(stream.begin() + 256, stream.end()));
}

TEST(Rc4Test, ResetKeepsThePermutation) {
    const std::string key = "Key";
    CRC4Cipher cipher = RC4SetKey(reinterpret_cast<const uint8_t*>(key.data()), key.size(), 0);
    uint8_t first[8] = {}, again[8] = {};
    cipher.RC4Crypt(first, sizeof first);
    EXPECT_FALSE(cipher.Reset());
    EXPECT_EQ(cipher.I(), 0);
    EXPECT_EQ(cipher.J(), 0);
    cipher.RC4Crypt(again, sizeof again);
    EXPECT_NE(std::memcmp(first, again, sizeof first), 0);  // the stream did not start over
}

// The standard digest of a message, computed through the transform by handing
// it blocks whose 4-byte groups are reversed.
std::vector<uint32_t> StandardDigest(const std::string& message) {
    std::vector<uint8_t> bytes(message.begin(), message.end());
    uint64_t bits = uint64_t(bytes.size()) * 8;
    bytes.push_back(0x80);
    while (bytes.size() % 64 != 56) bytes.push_back(0);
    for (int n = 7; n >= 0; --n) bytes.push_back(uint8_t(bits >> (8 * n)));
    for (size_t n = 0; n < bytes.size(); n += 4)
        std::swap(bytes[n], bytes[n + 3]), std::swap(bytes[n + 1], bytes[n + 2]);
    uint32_t state[SHA256_STATE_WORDS];
    Sha256Init(state);
    for (size_t n = 0; n < bytes.size(); n += 64) Sha256Transform(state, &bytes[n]);
    return std::vector<uint32_t>(state, state + SHA256_STATE_WORDS);
}

TEST(Sha256Test, ReversedGroupsGiveTheStandardDigest) {
    EXPECT_EQ(StandardDigest(""), (std::vector<uint32_t>{0xe3b0c442, 0x98fc1c14, 0x9afbf4c8, 0x996fb924,
                                                         0x27ae41e4, 0x649b934c, 0xa495991b, 0x7852b855}));
    EXPECT_EQ(StandardDigest("abc"), (std::vector<uint32_t>{0xba7816bf, 0x8f01cfea, 0x414140de, 0x5dae2223,
                                                            0xb00361a3, 0x96177a9c, 0xb410ff61, 0xf20015ad}));
    // Two blocks: the state carries from one transform to the next.
    EXPECT_EQ(StandardDigest("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              (std::vector<uint32_t>{0x248d6a61, 0xd20638b8, 0xe5c02693, 0x0c3e6039, 0xa33ce459, 0x64ff2167,
                                     0xf6ecedd4, 0x19db06c1}));
}

TEST(Sha256Test, MessageWordsAreLittleEndian) {
    // "abc" padded, in the order the transform reads: each word's first byte
    // is its lowest. The same bytes in standard order give another state.
    uint8_t block[64] = {};
    const uint8_t word0[4] = {0x80, 'c', 'b', 'a'};  // the standard word 0x61626380
    std::memcpy(block, word0, 4);
    block[60] = 24;  // standard word 15 = 0x00000018
    uint32_t state[SHA256_STATE_WORDS];
    Sha256Init(state);
    Sha256Transform(state, block);
    EXPECT_EQ(state[0], 0xba7816bfu);
    EXPECT_EQ(state[7], 0xf20015adu);

    std::swap(block[0], block[3]);
    std::swap(block[1], block[2]);
    Sha256Init(state);
    Sha256Transform(state, block);
    EXPECT_NE(state[0], 0xba7816bfu);
}

}  // namespace
