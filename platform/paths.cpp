#include "platform/paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace plat {
namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool Exists(const std::string& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0;
}

// Finds the entry of dir whose name equals name, ignoring ASCII case. The
// exact name wins; among several case-insensitive matches the first in sorted
// order is taken so the choice does not depend on directory order.
bool FindNoCase(const std::string& dir, const std::string& name, std::string& found) {
    if (Exists(dir.empty() ? name : dir + "/" + name)) {
        found = name;
        return true;
    }
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return false;
    bool any = false;
    while (dirent* e = ::readdir(d)) {
        std::string_view n(e->d_name);
        if (n == "." || n == "..") continue;
        if (EqualsNoCase(n, name) && (!any || std::string(n) < found)) {
            found.assign(n);
            any = true;
        }
    }
    ::closedir(d);
    return any;
}

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

std::string MapPath(std::string_view path) {
    const bool absolute = !path.empty() && (path[0] == '/' || path[0] == '\\');
    std::string result = absolute ? "/" : "";
    bool matching = true;  // false once a component is missing: the rest is kept as given
    size_t i = 0;
    while (i < path.size()) {
        size_t j = i;
        while (j < path.size() && path[j] != '/' && path[j] != '\\') ++j;
        std::string comp(path.substr(i, j - i));
        i = j + 1;
        if (comp.empty()) continue;
        if (matching && comp != "." && comp != "..") {
            std::string dir =
                result.size() > 1 && result.back() == '/' ? result.substr(0, result.size() - 1) : result;
            std::string found;
            if (FindNoCase(dir, comp, found))
                comp = found;
            else
                matching = false;
        }
        if (!result.empty() && result.back() != '/') result.push_back('/');
        result.append(comp);
    }
    if (result.empty()) result.push_back('.');
    return result;
}

FILE* OpenFile(std::string_view path, const char* mode) {
    return std::fopen(MapPath(path).c_str(), mode);
}

bool FileExists(std::string_view path) {
    struct stat st {};
    return ::stat(MapPath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(std::string_view path) {
    struct stat st {};
    return ::stat(MapPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDirectories(std::string_view path) {
    std::string p = MapPath(path);
    for (size_t k = 1; k <= p.size(); ++k) {
        if (k == p.size() || p[k] == '/') {
            std::string part = p.substr(0, k);
            if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
        }
    }
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool RemoveFile(std::string_view path) {
    return ::unlink(MapPath(path).c_str()) == 0;
}

int64_t FileSize(std::string_view path) {
    struct stat st {};
    if (::stat(MapPath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return int64_t(st.st_size);
}

bool ReadWholeFile(std::string_view path, std::vector<uint8_t>& out) {
    out.clear();
    FILE* f = OpenFile(path, "rb");
    if (!f) return false;
    uint8_t buf[65536];
    bool ok = true;
    for (;;) {
        size_t n = std::fread(buf, 1, sizeof buf, f);
        out.insert(out.end(), buf, buf + n);
        if (n < sizeof buf) {
            ok = !std::ferror(f);
            break;
        }
    }
    std::fclose(f);
    return ok;
}

bool WriteFileAtomic(std::string_view path, const void* data, size_t size) {
    std::string target = MapPath(path);
    std::string tmp = target + ".tmpXXXXXX";
    int fd = ::mkstemp(tmp.data());
    if (fd < 0) return false;
    const uint8_t* p = static_cast<const uint8_t*>(data);
    size_t left = size;
    bool ok = true;
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        p += n;
        left -= size_t(n);
    }
    if (ok && ::fsync(fd) != 0) ok = false;
    if (::fchmod(fd, 0644) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (ok && ::rename(tmp.c_str(), target.c_str()) != 0) ok = false;
    if (!ok) ::unlink(tmp.c_str());
    return ok;
}

}  // namespace plat
