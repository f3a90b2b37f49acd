// Path mapping: the game names files with '\' separators and expects Windows'
// case-insensitive lookup. Every file the program opens goes through here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

// Maps a game path onto the Linux file system: '\' becomes '/', repeated
// separators fold, and each component is matched against what exists, the
// exact name first, then case-insensitively (ASCII letters only). Components
// from the first one that does not exist on are kept as given.
std::string MapPath(std::string_view path);

// Like MapPath, for a file about to be created: an existing file matching the
// last component (in any case) is reused, otherwise the last component keeps
// the case it was given.
inline std::string MapPathForCreate(std::string_view path) {
    return MapPath(path);
}

// fopen through MapPath.
FILE* OpenFile(std::string_view path, const char* mode);

bool FileExists(std::string_view path);       // a regular file
bool DirectoryExists(std::string_view path);  // a directory
// Creates the directory (and its parents); true when it exists afterwards.
bool CreateDirectories(std::string_view path);
bool RemoveFile(std::string_view path);
// Size of a regular file, or -1.
int64_t FileSize(std::string_view path);

// Reads the whole file; false when it cannot be opened or read.
bool ReadWholeFile(std::string_view path, std::vector<uint8_t>& out);

// Writes a file atomically: the bytes go to a temporary file beside the
// target, which is flushed and then renamed over it. On failure the old file
// is left untouched and false is returned.
bool WriteFileAtomic(std::string_view path, const void* data, size_t size);

// Case-insensitive (ASCII) equality of two names.
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace plat
