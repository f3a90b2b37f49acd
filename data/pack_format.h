// Layout of the pack archive "QuillMarrow.DAT", shared by the reader and the
// writer. All integers are 32-bit little-endian.
//
//   header: "Z5PACKFILE" (10 bytes), reserved u32, name key (1 byte)
//   node:   u32 name length, name (XOR key), u32 subdirectory count S,
//           u32 file count F, S subdirectory records, F file records
//   subdirectory record: u32 name length, name, u32 byte size B, then the
//           B bytes of the subdirectory's own node
//   file record: u32 name length, name, u32 size, u32 stored size,
//           reserved u32, then the stored bytes (one zlib stream)
#pragma once
#include <cstddef>
#include <cstdint>

namespace pack {

inline constexpr char kMagic[] = "Z5PACKFILE";
inline constexpr size_t kMagicSize = 10;
inline constexpr uint32_t kRootOffset = 15;
// A stored name is read into a 256-byte buffer and terminated.
inline constexpr uint32_t kMaxNameLength = 255;
// Directory components one lookup may match.
inline constexpr int kMaxDirectoryMatches = 100;

// The most an entry may inflate to: deflate cannot do better than about
// 1032:1, so a larger stated size is damage, refused before allocating.
inline uint64_t MaxInflatedSize(uint64_t storedSize) {
    return storedSize * 1040 + 1024;
}

}  // namespace pack
