#include "net/packet_cipher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/frame_assembler.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(PacketCipher, WorkedVector) {
    CPacketCipher cipher;
    ASSERT_TRUE(cipher.SetCipherKey("AB"));
    ASSERT_TRUE(cipher.BuildMaskTable(0));
    cipher.SetSendSequence(1);
    const Bytes message = {0x0E, 0, 0, 0, 0, 0};
    Bytes frame(message.size() + 4);
    frame.resize(EncodeFrame(cipher, message.data(), message.size(), false, frame.data()));
    EXPECT_EQ(frame, (Bytes{0xAA, 0x00, 0x07, 0x0E, 0x01, 0x40, 0x43, 0x40, 0x43, 0x42}));
    EXPECT_EQ(cipher.SendSequence(), 2);
}

TEST(PacketCipher, ByteFunctionValues) {
    struct Case {
        int index;
        int v;
        int expected;
    };
    const Case cases[] = {
        {0, 77, 77},    {1, 64, 192},  {1, 65, 191},   {1, 255, 255},  {2, 128, 254},  {2, 0, 0},
        {3, 0, 255},    {3, 191, 1},   {3, 192, 0},    {3, 255, 252},  {4, 191, 254},  {4, 192, 255},
        {4, 255, 3},    {5, 255, 1},   {5, 254, 255},  {6, 0, 128},    {6, 63, 2},     {6, 64, 0},
        {6, 191, 254},  {6, 192, 255}, {6, 255, 129},  {7, 127, 254},  {7, 128, 255},  {8, 0, 255},
        {8, 128, 255},  {8, 129, 253}, {9, 255, 225},  {10, 3, 252},   {11, 0, 128},   {11, 1, 127},
        {11, 254, 255}, {11, 255, 0},  {12, 0, 255},   {12, 1, 1},     {13, 200, 144}, {14, 0, 255},
        {14, 128, 0},   {15, 0, 255},  {15, 120, 254}, {15, 255, 30},  {16, 0, 128},   {16, 255, 254},
        {17, 63, 252},  {17, 64, 255}, {17, 255, 0},   {18, 0, 255},   {18, 64, 0},    {18, 255, 255},
        {19, 0, 255},   {19, 1, 252},  {19, 128, 0},   {19, 255, 252}, {20, 191, 63},  {20, 192, 65},
        {20, 255, 254},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CPacketCipher::ByteFunction(c.index, uint8_t(c.v)), c.expected)
            << "function " << c.index << " at " << c.v;
    for (int v = 128; v <= 135; ++v) EXPECT_EQ(CPacketCipher::ByteFunction(15, uint8_t(v)), 255);
}

TEST(PacketCipher, FunctionZeroMasksAreBlockNumbers) {
    CPacketCipher cipher;
    ASSERT_TRUE(cipher.BuildMaskTable(0));
    for (int k = 0; k < 256; ++k) EXPECT_EQ(cipher.Mask(uint8_t(k)), k);
}

TEST(PacketCipher, RoundTripsOverFunctionsKeysAndSequences) {
    const size_t keyLengths[] = {1, 2, 3, 4, 5, 9, 12, 13, 64, 255};
    const int sequences[] = {0, 1, 3, 200, 255};
    const size_t messageLengths[] = {1, 2, 3, 4, 5, 8, 17, 255, 1000};
    for (int function = 0; function <= CPacketCipher::MAX_MASK_FUNCTION; ++function) {
        for (size_t keyLength : keyLengths) {
            std::string key;
            for (size_t i = 0; i < keyLength; ++i) key.push_back(char(33 + (i * 7 + function) % 90));
            CPacketCipher cipher;
            ASSERT_TRUE(cipher.BuildMaskTable(function));
            ASSERT_TRUE(cipher.SetCipherKey(key));
            for (int sequence : sequences) {
                for (size_t length : messageLengths) {
                    Bytes message(length);
                    for (size_t i = 0; i < length; ++i) message[i] = uint8_t(i * 31 + length);
                    // Guard bytes behind the output catch a write past the payload.
                    Bytes cipherText(length + 1 + 8, 0xEE);
                    cipher.SetSendSequence(uint8_t(sequence));
                    ASSERT_EQ(cipher.EncryptFrame(message.data(), length, cipherText.data()), length + 1);
                    EXPECT_EQ(cipherText[1], sequence);
                    EXPECT_EQ(cipher.SendSequence(), uint8_t(sequence + 1));
                    for (size_t g = length + 1; g < cipherText.size(); ++g) ASSERT_EQ(cipherText[g], 0xEE);
                    Bytes plain(length + 8, 0xEE);
                    ASSERT_EQ(cipher.DecryptFrame(cipherText.data(), length + 1, plain.data()), length);
                    plain.resize(length);
                    ASSERT_EQ(plain, message) << "function " << function << " key " << keyLength
                                              << " sequence " << sequence << " length " << length;
                }
            }
        }
    }
}

TEST(PacketCipher, BlockOfTheSequenceNumberCarriesOnlyKeyAndSequenceMask) {
    CPacketCipher cipher;
    cipher.SetCipherKey("k");
    cipher.BuildMaskTable(10);  // m[v] = 255 - v
    const Bytes message = {5, 0, 0, 0, 0};
    Bytes out(6);
    cipher.SetSendSequence(2);
    cipher.EncryptFrame(message.data(), message.size(), out.data());
    const uint8_t k = 'k', ms = 255 - 2;
    EXPECT_EQ(out, (Bytes{5, 2, uint8_t(k ^ ms ^ 255), uint8_t(k ^ ms ^ 254), uint8_t(k ^ ms),
                          uint8_t(k ^ ms ^ 252)}));
}

TEST(PacketCipher, ShortMessagesAndFrames) {
    CPacketCipher cipher;
    uint8_t out[4] = {};
    cipher.SetSendSequence(255);
    const uint8_t opcode = 42;
    EXPECT_EQ(cipher.EncryptFrame(&opcode, 1, out), 2u);
    EXPECT_EQ(out[0], 42);
    EXPECT_EQ(out[1], 255);
    EXPECT_EQ(cipher.SendSequence(), 0) << "255 wraps to 0";

    const uint8_t twoBytes[2] = {42, 9};
    EXPECT_EQ(cipher.DecryptFrame(twoBytes, 2, out), 1u);
    EXPECT_EQ(out[0], 42);
    EXPECT_EQ(cipher.DecryptFrame(twoBytes, 1, out), 1u);
    EXPECT_EQ(cipher.DecryptFrame(twoBytes, 0, out), 0u);
}

TEST(PacketCipher, RefusesEmptyAndOverlongKeysAndUnknownFunctions) {
    CPacketCipher cipher;
    ASSERT_TRUE(cipher.SetCipherKey("XY"));
    ASSERT_TRUE(cipher.BuildMaskTable(10));
    EXPECT_FALSE(cipher.SetCipherKey(""));
    EXPECT_FALSE(cipher.SetCipherKey(std::string(256, 'a')));
    EXPECT_FALSE(cipher.BuildMaskTable(21));
    EXPECT_FALSE(cipher.BuildMaskTable(-1));
    EXPECT_EQ(cipher.KeyLength(), 2u);
    EXPECT_EQ(cipher.Mask(0), 255) << "the table of function 10 stays";
    EXPECT_TRUE(cipher.SetCipherKey(std::string(255, 'a')));
}

}  // namespace
