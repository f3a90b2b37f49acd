// Low-level file access: numbered file handles with explicit positioning (for
// the file jobs spread over frames), and stdio streams that replace a file
// atomically when they are committed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace plat {

using FileHandle = int;
inline constexpr FileHandle kInvalidFileHandle = -1;

enum class FileAccess {
    kRead,       // an existing file
    kWrite,      // created or truncated
    kReadWrite,  // created when missing, kept otherwise
};

// Opens path (through MapPath); kInvalidFileHandle on failure.
FileHandle CreateFile(std::string_view path, FileAccess access);
// Moves the position to offset bytes from the start.
bool SetFilePointer(FileHandle file, uint64_t offset);
// Bytes transferred at the position (which advances), or -1 on failure.
int64_t ReadFile(FileHandle file, void* buffer, size_t count);
int64_t WriteFile(FileHandle file, const void* buffer, size_t count);
bool CloseHandle(FileHandle file);

// Reads count bytes at offset of an open stdio stream without moving its
// position (one system call, no seek); false on a short read or failure.
bool ReadStreamAt(FILE* stream, uint64_t offset, void* buffer, size_t count);

// A stream (opened with stdio mode, which should write) on a new temporary
// file beside path; tempPath receives its name. Null on failure.
FILE* OpenReplacement(std::string_view path, const char* mode, std::string* tempPath);
// Flushes and syncs the stream, closes it and renames it over path. On
// failure the temporary file is removed and path is left as it was.
bool CommitReplacement(FILE* stream, const std::string& tempPath, std::string_view path);
// Closes the stream and removes the temporary file.
void AbandonReplacement(FILE* stream, const std::string& tempPath);

}  // namespace plat
