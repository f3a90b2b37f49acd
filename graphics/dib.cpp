#include "graphics/dib.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/byte_source.h"
#include "data/file_resource.h"
#include "data/pack_archive.h"
#include "data/text_tables.h"
#include "platform/message_box.h"
#include "platform/paths.h"

namespace {

// Larger pictures than this are refused as corrupt.
constexpr int32_t kMaxSide = 16384;

// The channel that mask selects from pixel, scaled to 8 bits.
uint8_t MaskedChannel(uint32_t pixel, uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const uint64_t max = mask >> shift;
    return uint8_t(((pixel & mask) >> shift) * 255u / max);
}

enum class Form { kRaw, kTga, kBmp };

void ShowLoadBox(Form form, const char* name) {
    char text[600];
    switch (form) {
        case Form::kRaw:
            std::snprintf(text, sizeof text, "Cannot open file  [%s]", name);
            plat::MessageBox(text, GetTableText(4, 0));
            break;
        case Form::kTga:
            std::snprintf(text, sizeof text, "%s  [%s]", GetTableText(4, 1), name);
            plat::MessageBox(text, GetTableText(4, 2));
            break;
        case Form::kBmp:
            std::snprintf(text, sizeof text, "%s [%s]", GetTableText(4, 1), name);
            plat::MessageBox(text, GetTableText(4, 3));
            break;
    }
}

}  // namespace

void CDib::Free() {
    m_bits.clear();
    m_bits.shrink_to_fit();
    m_width = m_height = m_bitCount = 0;
    m_tga = m_bottomUp = m_converted = m_alpha = false;
    m_status = kNoMemory;
}

void CDib::SetSize(int32_t width, int32_t height) {
    m_width = width;
    m_height = height;
}

uint16_t* CDib::GetPixels() {
    if (m_bitCount != 16 || m_bits.empty()) return nullptr;
    return reinterpret_cast<uint16_t*>(m_bits.data());
}

const uint16_t* CDib::GetVisualRow(int32_t r) const {
    const uint16_t* pixels = GetPixels();
    if (!pixels || r < 0 || r >= m_height) return nullptr;
    const int32_t stored = m_bottomUp ? m_height - 1 - r : r;
    return pixels + size_t(stored) * m_width;
}

uint32_t CDib::GetImageSize() const {
    if (m_bitCount == 16) return uint32_t(m_width) * uint32_t(m_height) * 2;
    return uint32_t(m_bits.size());
}

bool CDib::ParseRaw(const uint8_t* data, size_t size, bool alphaByte) {
    const size_t header = alphaByte ? 9 : 8;
    if (size < header) return false;
    const uint32_t w = LoadU32Le(data), h = LoadU32Le(data + 4);
    if (w == 0 || h == 0 || w > uint32_t(kMaxSide) || h > uint32_t(kMaxSide)) return false;
    const size_t bytes = size_t(w) * h * 2;
    if (size - header < bytes) return false;
    m_bits.assign(data + header, data + header + bytes);
    m_width = int32_t(w);
    m_height = int32_t(h);
    m_bitCount = 16;
    m_alpha = alphaByte && data[8] != 0;
    m_converted = true;
    m_bottomUp = false;
    return true;
}

bool CDib::ParseTga(const uint8_t* data, size_t size) {
    if (size < 18) return false;
    const uint8_t idLength = data[0], mapType = data[1], imageType = data[2];
    if (mapType != 0 || (imageType != 2 && imageType != 10)) return false;
    const uint32_t w = LoadU16Le(data + 12), h = LoadU16Le(data + 14);
    const uint8_t depth = data[16];
    // Only 32-bit pixels are read (a run-length picture is read as if it were not).
    if (depth != 32 || w == 0 || h == 0) return false;
    const size_t start = 18 + size_t(idLength);
    const size_t count = size_t(w) * h;
    if (size < start || size - start < count * 4) return false;
    m_bits.resize(count * 2);
    uint16_t* out = reinterpret_cast<uint16_t*>(m_bits.data());
    bool alpha = false;
    const uint8_t* p = data + start;
    for (size_t i = 0; i < count; ++i, p += 4) {
        const uint8_t b = p[0], g = p[1], r = p[2], a = p[3];
        if (a < 255) alpha = true;
        out[i] = uint16_t((a >> 4) << 12 | (r >> 4) << 8 | (g >> 4) << 4 | (b >> 4));
    }
    m_width = int32_t(w);
    m_height = int32_t(h);
    m_bitCount = 16;
    m_alpha = alpha;
    m_tga = true;
    m_converted = true;
    m_bottomUp = false;
    return true;
}

bool CDib::ParseBmp(const uint8_t* data, size_t size) {
    if (size < 14 || LoadU16Le(data) != 19778) {
        m_status = kNotBmp;
        return false;
    }
    const uint8_t* info = data + 14;
    const size_t rest = size - 14;
    if (rest < 40) return false;
    const uint32_t headerSize = LoadU32Le(info);
    if (headerSize < 40 || headerSize > rest) return false;
    const int32_t w = int32_t(LoadU32Le(info + 4));
    const int32_t hRaw = int32_t(LoadU32Le(info + 8));
    const uint32_t planes = LoadU16Le(info + 12), compression = LoadU32Le(info + 16);
    uint32_t bitCount = LoadU16Le(info + 14);
    const uint32_t clrUsed = LoadU32Le(info + 32);
    if (planes != 1 || w <= 0 || w > kMaxSide || hRaw == 0 || hRaw < -kMaxSide || hRaw > kMaxSide)
        return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return false;
    // Uncompressed rows only (bit-field masks are allowed for 16 and 32 bits).
    if (compression != 0 && !(compression == 3 && (bitCount == 16 || bitCount == 32))) return false;
    uint32_t colours = clrUsed;
    if (colours == 0 && bitCount < 9) colours = 1u << bitCount;
    if (bitCount < 9 && colours > (1u << bitCount)) return false;
    if (colours > 256) return false;
    // Bit-field masks follow a 40-byte header; the larger headers hold them.
    const size_t masks = compression == 3 && headerSize < 52 ? 12 : 0;
    const size_t pixelStart = size_t(headerSize) + masks + size_t(colours) * 4;
    const int32_t h = hRaw < 0 ? -hRaw : hRaw;
    const size_t stride = ((size_t(w) * bitCount + 31) / 32) * 4;
    if (pixelStart > rest || (rest - pixelStart) / stride < size_t(h)) return false;
    if (bitCount == 16) {
        // 16-bit rows (5-5-5, or the masks given) become 24-bit ones, to be
        // converted to the display's layout like any other BMP.
        uint32_t channel[3] = {0x7C00, 0x03E0, 0x001F};  // red, green, blue
        if (compression == 3)
            for (int i = 0; i < 3; ++i) channel[i] = LoadU32Le(info + 40 + 4 * i);
        const size_t stride24 = ((size_t(w) * 24 + 31) / 32) * 4;
        m_bits.assign(stride24 * h, 0);
        for (int32_t y = 0; y < h; ++y) {
            const uint8_t* row = info + pixelStart + size_t(y) * stride;
            uint8_t* out = m_bits.data() + size_t(y) * stride24;
            for (int32_t x = 0; x < w; ++x) {
                const uint32_t p = LoadU16Le(row + 2 * x);
                for (int i = 0; i < 3; ++i) out[3 * x + 2 - i] = MaskedChannel(p, channel[i]);
            }
        }
        bitCount = 24;
    } else {
        m_bits.assign(info + pixelStart, info + pixelStart + stride * h);
    }
    m_width = w;
    m_height = h;
    m_bitCount = int32_t(bitCount);
    m_bottomUp = hRaw > 0;
    m_converted = false;
    m_tga = false;
    m_alpha = false;
    return true;
}

bool CDib::LoadFromMemory(const uint8_t* data, size_t size, bool tga, bool fromPack) {
    Free();
    bool ok;
    if (!data) {
        ok = false;
    } else if (fromPack) {
        ok = ParseRaw(data, size, tga);
        m_tga = tga && ok;
    } else {
        ok = tga ? ParseTga(data, size) : ParseBmp(data, size);
    }
    if (!ok) {
        const int32_t status = m_status == kNotBmp ? kNotBmp : kCorrupt;
        Free();
        m_status = status;
        return false;
    }
    m_status = kLoaded;
    return true;
}

bool CDib::ReadFile(const char* name, std::vector<uint8_t>& out) {
    bool fromPack = false;
    return ReadWholeDataFile(name, out, &fromPack);
}

bool CDib::LoadRawFile(const char* name) {
    std::vector<uint8_t> bytes;
    Free();
    if (!name || !ReadFile(name, bytes) || !ParseRaw(bytes.data(), bytes.size(), true)) {
        Free();
        m_status = kCorrupt;
        ShowLoadBox(Form::kRaw, name ? name : "");
        return false;
    }
    m_status = kLoaded;
    return true;
}

bool CDib::LoadTgaFile(const char* name) {
    std::vector<uint8_t> bytes;
    bool fromPack = false;
    if (!name || !ReadWholeDataFile(name, bytes, &fromPack) ||
        !LoadFromMemory(bytes.data(), bytes.size(), true, fromPack)) {
        ShowLoadBox(Form::kTga, name ? name : "");
        return false;
    }
    return true;
}

bool CDib::LoadBmpFile(const char* name) {
    std::vector<uint8_t> bytes;
    bool fromPack = false;
    if (!name || !ReadWholeDataFile(name, bytes, &fromPack) ||
        !LoadFromMemory(bytes.data(), bytes.size(), false, fromPack)) {
        ShowLoadBox(Form::kBmp, name ? name : "");
        return false;
    }
    return true;
}

bool CDib::Load(const char* name, bool tga) {
    if (!name) return false;
    const std::string raw = std::string(name) + "2";
    uint32_t size = 0, stored = 0;
    const bool inPack =
        g_bUsePackFile && g_pPackFile && g_pPackFile->FindPackEntry(raw.c_str(), &size, &stored);
    if (inPack || plat::FileExists(raw)) return LoadRawFile(raw.c_str());
    return tga ? LoadTgaFile(name) : LoadBmpFile(name);
}

bool CDib::ConvertTo16(int32_t kind) {
    if (m_bitCount == 16) return true;
    if (m_converted || m_bitCount != 24 || m_bits.empty()) return false;
    if (kind < 1 || kind > 5) return false;
    const size_t stride = ((size_t(m_width) * 24 + 31) / 32) * 4;
    std::vector<uint8_t> out(size_t(m_width) * m_height * 2);
    uint16_t* dst = reinterpret_cast<uint16_t*>(out.data());
    for (int32_t y = 0; y < m_height; ++y) {
        const uint8_t* row = m_bits.data() + size_t(y) * stride;
        for (int32_t x = 0; x < m_width; ++x) {
            uint32_t b = row[x * 3], g = row[x * 3 + 1], r = row[x * 3 + 2];
            uint16_t p = 0;
            switch (kind) {
                case 1:
                case 5:
                    p = uint16_t(((r & 0xF8) << 7) | ((g & 0xF8) << 2) | (b >> 3));
                    break;
                case 2:
                    p = uint16_t(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3));
                    break;
                case 3:
                    std::swap(r, b);
                    p = uint16_t(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3));
                    break;
                case 4:
                    p = uint16_t(0xF000 | ((r & 0xF0) << 4) | (g & 0xF0) | (b >> 4));
                    break;
            }
            dst[size_t(y) * m_width + x] = p;
        }
    }
    m_bits.swap(out);
    m_bitCount = 16;
    m_converted = true;
    return true;
}
