// The animation file ("%s\%4d.z5a"), read and written.
//
// A file is a plain sequence of little-endian fields without magic or padding:
//   u8 version;
//   version >= 11: u32 pool count P, P x (u32 node kind, u32 node count);
//   i16 motion count M, then M motions:
//     u32 motion id (low byte kept), u8 direction count D, then D directions:
//       u8 direction (0-15); version >= 6: u16 height (0xFFFF = none), u16 spare;
//       u32 layer count L (at most 255), then L layers:
//         u32 element count E, then E elements: u32 node kind and its payload.
// The payload of each kind is listed with AniFileElement. Every payload except
// the hold's ends with the u16 start frame (one frame is 33 ms). Kinds above 17
// have no payload.
//
// The reader checks everything the file could get wrong and refuses the whole
// file on the first fault: a short read, a direction above 15, more than 255
// layers, a target layer outside its direction (layer switch and ramps), more
// nodes of a kind than the pools declare, and counts larger than the data left.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Node kinds.
enum AniNodeKind : uint32_t {
    ANI_NODE_IMAGE = 0,
    ANI_NODE_HOLD = 1,
    ANI_NODE_TARGET_COUNT = 2,
    ANI_NODE_LAYER_SWITCH = 3,
    ANI_NODE_CHILD = 4,
    ANI_NODE_MAP_EFFECT = 5,
    ANI_NODE_ORDER = 6,
    ANI_NODE_SOUND = 7,
    ANI_NODE_MESH = 8,
    ANI_NODE_ALPHA_RAMP = 9,
    ANI_NODE_LAYER_BLEND = 10,
    ANI_NODE_VALUE_RAMP = 11,
    ANI_NODE_BREAK = 12,
    ANI_NODE_OWNER_COUNT = 13,
    ANI_NODE_OWNER_PERCENT = 14,
    ANI_NODE_MARK = 15,
    ANI_NODE_PARTICLE = 16,
    ANI_NODE_TOON = 17,
    ANI_NODE_END = 18,  // appended by the loader, never in a file
};
inline constexpr uint32_t ANI_NODE_KIND_COUNT = 19;
inline constexpr uint32_t ANI_LAST_FILE_KIND = ANI_NODE_TOON;

inline constexpr int ANI_DIRECTION_COUNT = 16;
inline constexpr uint32_t ANI_MAX_LAYERS = 255;
inline constexpr uint16_t ANI_HEIGHT_NONE = 0xFFFF;
inline constexpr uint16_t ANI_DEFAULT_HEIGHT = 100;  // files before version 6
inline constexpr uint8_t ANI_LATEST_VERSION = 14;
inline constexpr uint32_t ANI_FRAME_MS = 33;

// Image node flag bits.
enum : uint8_t {
    ANI_IMAGE_OFFSET = 0x01,
    ANI_IMAGE_OFFSET2 = 0x02,
    ANI_IMAGE_SKIPPED_WORD = 0x04,
    ANI_IMAGE_MIRROR = 0x08,
    ANI_IMAGE_SHADOW = 0x10,
    ANI_IMAGE_COLOR = 0x20,
    ANI_IMAGE_SWITCH6 = 0x40,
    ANI_IMAGE_SWITCH7 = 0x80,
};

// One element as the file holds it. Fields a kind does not have stay at their
// defaults. Payloads in file order:
//   0 image:        u16 texture, u16 unit, u16 start, u8 flags; bit 0: i16 x, y;
//                   bit 1: i16 x2, y2; bit 2: i16 (skipped); bit 5: u16 colour
//                   (4-bit alpha, red, green, blue from the high nibble down)
//   1 hold:         u16 hold (no start)
//   2 target count: u16 number, start
//   3 layer switch: u8 target, u8 mode, start
//   4 child:        u16 number (animation), u16 motion, u16 direction, i16 x, i16 y,
//                   start, u16, u16 (skipped)
//   5 map effect:   u8 mode, u8 arg (two nibbles), start
//   6 order:        version < 9: u8 (skipped); u8 mode (order code), start
//   7 sound:        u16 number (sound id), u16 word2, u8 byte, u32 positional,
//                   positional != 0: u16 extra; start
//   8 mesh:         u16 number (model), u32 flag, i16 x, i16 y, version >= 8: u16
//                   (skipped), version >= 14: u32 (low byte kept as extra), start
//   9, 11 ramps:    u32 rising, u8 step, u8 limit, u8 target, start
//   10 blend:       u8 target, u8 mode (blend mode), start
//   12, 13, 15:     start
//   14 percent:     u8 mode (value), start
//   16 particle:    u16 number (effect id), i16 x, i16 y, start
//   17 toon:        u16 number (model), u16 motionSet, u16 material, u32 flag,
//                   u32 flag2, u8 toonFlags, i16 x, i16 y, version >= 13: u8
//                   facing; start
struct AniFileElement {
    uint32_t kind = ANI_NODE_BREAK;
    uint16_t start = 0;
    uint16_t number = 0;
    uint16_t texture = 0, unit = 0;
    uint8_t flags = 0;
    int16_t x = 0, y = 0;
    int16_t x2 = 0, y2 = 0;
    uint16_t color = 0xFFFF;
    uint16_t hold = 0;
    uint8_t target = 0;
    uint8_t mode = 0;
    uint8_t arg = 0;
    uint16_t motion = 0, direction = 0;
    uint16_t word2 = 0;
    uint8_t byte = 0;
    uint32_t positional = 0;
    uint16_t extra = 0;
    uint32_t flag = 0, flag2 = 0;
    uint32_t rising = 0;
    uint8_t step = 0, limit = 0;
    uint16_t motionSet = 0, material = 0;
    uint8_t toonFlags = 0;
    uint8_t facing = 0;

    bool operator==(const AniFileElement&) const = default;
};

struct AniFileLayer {
    std::vector<AniFileElement> elements;
    bool operator==(const AniFileLayer&) const = default;
};

struct AniFileDirection {
    uint8_t direction = 0;
    uint16_t height = ANI_DEFAULT_HEIGHT;
    uint16_t spare = 0;
    std::vector<AniFileLayer> layers;
    bool operator==(const AniFileDirection&) const = default;
};

struct AniFileMotion {
    uint32_t id = 0;
    std::vector<AniFileDirection> directions;
    bool operator==(const AniFileMotion&) const = default;
};

struct AniPoolDecl {
    uint32_t kind = 0;
    uint32_t count = 0;
    bool operator==(const AniPoolDecl&) const = default;
};

struct AniFile {
    uint8_t version = ANI_LATEST_VERSION;
    std::vector<AniPoolDecl> pools;  // version >= 11
    std::vector<AniFileMotion> motions;
    size_t bytesRead = 0;  // bytes the reader consumed

    bool operator==(const AniFile& o) const {
        return version == o.version && pools == o.pools && motions == o.motions;
    }
};

// Reads a file from memory. On a fault the output is cleared, error (when
// given) names the fault, and the result is false.
bool ReadAniFile(const uint8_t* data, size_t size, AniFile& out, std::string* error = nullptr);
inline bool ReadAniFile(const std::vector<uint8_t>& bytes, AniFile& out, std::string* error = nullptr) {
    return ReadAniFile(bytes.data(), bytes.size(), out, error);
}

// Writes the file by the layout of its version; the pool declarations are
// written as they stand (see DeclarePools).
std::vector<uint8_t> WriteAniFile(const AniFile& file);

// Replaces the pool declarations with the node count of every kind the file
// holds (the hold and the kinds without nodes are left out).
void DeclarePools(AniFile& file);

// Whether a kind is one of the file's node kinds that makes a node.
inline bool IsNodeKind(uint32_t kind) {
    return kind <= ANI_LAST_FILE_KIND && kind != ANI_NODE_HOLD;
}
