#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include "platform/paths.h"

namespace plat {

FileHandle CreateFile(std::string_view path, FileAccess access) {
    int flags = O_CLOEXEC;
    switch (access) {
        case FileAccess::kRead:
            flags |= O_RDONLY;
            break;
        case FileAccess::kWrite:
            flags |= O_WRONLY | O_CREAT | O_TRUNC;
            break;
        case FileAccess::kReadWrite:
            flags |= O_RDWR | O_CREAT;
            break;
    }
    std::string mapped = access == FileAccess::kRead ? MapPath(path) : MapPathForCreate(path);
    int fd = ::open(mapped.c_str(), flags, 0644);
    return fd < 0 ? kInvalidFileHandle : fd;
}

bool SetFilePointer(FileHandle file, uint64_t offset) {
    return file >= 0 && ::lseek(file, off_t(offset), SEEK_SET) == off_t(offset);
}

int64_t ReadFile(FileHandle file, void* buffer, size_t count) {
    if (file < 0) return -1;
    for (;;) {
        ssize_t n = ::read(file, buffer, count);
        if (n >= 0) return n;
        if (errno != EINTR) return -1;
    }
}

bool ReadStreamAt(FILE* stream, uint64_t offset, void* buffer, size_t count) {
    if (!stream) return false;
    const int fd = ::fileno(stream);
    auto* out = static_cast<unsigned char*>(buffer);
    while (count > 0) {
        if (offset > uint64_t(std::numeric_limits<off_t>::max())) return false;
        ssize_t n = ::pread(fd, out, count, off_t(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        out += n;
        offset += uint64_t(n);
        count -= size_t(n);
    }
    return true;
}

int64_t WriteFile(FileHandle file, const void* buffer, size_t count) {
    if (file < 0) return -1;
    for (;;) {
        ssize_t n = ::write(file, buffer, count);
        if (n >= 0) return n;
        if (errno != EINTR) return -1;
    }
}

bool CloseHandle(FileHandle file) {
    return file >= 0 && ::close(file) == 0;
}

FILE* OpenReplacement(std::string_view path, const char* mode, std::string* tempPath) {
    std::string tmp = MapPathForCreate(path) + ".tmpXXXXXX";
    int fd = ::mkstemp(tmp.data());
    if (fd < 0) return nullptr;
    ::fchmod(fd, 0644);
    FILE* f = ::fdopen(fd, mode);
    if (!f) {
        ::close(fd);
        ::unlink(tmp.c_str());
        return nullptr;
    }
    if (tempPath) *tempPath = tmp;
    return f;
}

bool CommitReplacement(FILE* stream, const std::string& tempPath, std::string_view path) {
    if (!stream) return false;
    bool ok = std::fflush(stream) == 0 && ::fsync(::fileno(stream)) == 0;
    if (std::fclose(stream) != 0) ok = false;
    if (ok && ::rename(tempPath.c_str(), MapPathForCreate(path).c_str()) != 0) ok = false;
    if (!ok) ::unlink(tempPath.c_str());
    return ok;
}

void AbandonReplacement(FILE* stream, const std::string& tempPath) {
    if (stream) std::fclose(stream);
    ::unlink(tempPath.c_str());
}

}  // namespace plat
