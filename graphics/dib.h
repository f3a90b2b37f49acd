// Picture files: BMP, TGA (32-bit, read as 4-4-4-4) and the raw 16-bit form
// (also the form of every picture stored in the pack). Everything read is
// checked against the data; a picture that does not fit is refused.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class CDib {
public:
    enum Status : int32_t { kNoMemory = 0, kLoaded = 1, kNotBmp = 2, kCorrupt = 3 };

    CDib() = default;

    // Tries name + "2" (a raw 16-bit copy) first, then the TGA or BMP file.
    bool Load(const char* name, bool tga);
    // Reads a picture from bytes. fromPack: the pack's 16-bit form.
    bool LoadFromMemory(const uint8_t* data, size_t size, bool tga, bool fromPack = false);
    bool LoadBmpFile(const char* name);
    bool LoadTgaFile(const char* name);
    bool LoadRawFile(const char* name);

    // Converts an unconverted 24-bit BMP in place to 16 bits of the pixel kind
    // (1 and 5: 5-5-5, 2: 5-6-5, 3: 5-6-5 red low, 4: 4-4-4-4 opaque); other
    // pictures are left as they are. True when the picture is 16-bit afterwards.
    bool ConvertTo16(int32_t kind);

    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    // 16-bit pixels, rows GetWidth() apart (null before a 16-bit form exists).
    uint16_t* GetPixels();
    const uint16_t* GetPixels() const { return const_cast<CDib*>(this)->GetPixels(); }
    // Row r of the picture as it is shown (top row first).
    const uint16_t* GetVisualRow(int32_t r) const;
    uint32_t GetImageSize() const;
    void SetSize(int32_t width, int32_t height);
    void Free();

    bool Is16Bit() const { return m_bitCount == 16; }
    bool IsTga() const { return m_tga; }
    bool IsBottomUp() const { return m_bottomUp; }
    bool HasAlpha() const { return m_alpha; }
    bool IsConverted() const { return m_converted; }
    int32_t GetBitCount() const { return m_bitCount; }
    int32_t GetStatus() const { return m_status; }

private:
    bool ReadFile(const char* name, std::vector<uint8_t>& out);
    bool ParseRaw(const uint8_t* data, size_t size, bool alphaByte);
    bool ParseBmp(const uint8_t* data, size_t size);
    bool ParseTga(const uint8_t* data, size_t size);

    // BMP: the rows as stored (padded to 4 bytes; 16-bit rows are widened to
    // 24 bits when read); after conversion and
    // for the other forms: packed 16-bit pixels.
    std::vector<uint8_t> m_bits;
    int32_t m_width = 0, m_height = 0, m_bitCount = 0;
    bool m_tga = false, m_bottomUp = false, m_converted = false, m_alpha = false;
    int32_t m_status = kNoMemory;
};
