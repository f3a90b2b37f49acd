#include "data/pack_writer.h"

#include <zlib.h>

#include <algorithm>
#include <filesystem>

#include "core/byte_source.h"
#include "data/pack_format.h"
#include "platform/paths.h"

namespace {

void SetU32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    StoreU32Le(out.data() + at, v);
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    out.resize(out.size() + 4);
    SetU32(out, out.size() - 4, v);
}

bool Compress(const std::vector<uint8_t>& data, std::vector<uint8_t>& out) {
    uLongf len = compressBound(uLong(data.size()));
    out.resize(len);
    if (compress2(out.data(), &len, data.data(), uLong(data.size()), Z_BEST_COMPRESSION) != Z_OK)
        return false;
    out.resize(len);
    return true;
}

class PackBuilder {
public:
    PackBuilder(uint8_t key, std::string* error) : m_key(key), m_error(error) {}
    std::vector<uint8_t> out;

    bool Name(const std::string& name) {
        if (name.size() > pack::kMaxNameLength) return Fail("name longer than 255 bytes: " + name);
        PutU32(out, uint32_t(name.size()));
        for (char c : name) out.push_back(uint8_t(c) ^ m_key);
        return true;
    }

    bool Node(const PackDirPlan& dir) {
        if (!Name(dir.name)) return false;
        PutU32(out, uint32_t(dir.dirs.size()));
        PutU32(out, uint32_t(dir.files.size()));
        for (const PackDirPlan& sub : dir.dirs) {
            if (!Name(sub.name)) return false;
            size_t sizeAt = out.size();
            PutU32(out, 0);
            size_t start = out.size();
            if (!Node(sub)) return false;
            if (out.size() - start > UINT32_MAX) return Fail("folder too large: " + sub.name);
            SetU32(out, sizeAt, uint32_t(out.size() - start));
        }
        for (const PackFilePlan& f : dir.files) {
            std::vector<uint8_t> stored;
            if (f.storedOverride) {
                stored = *f.storedOverride;
            } else if (!Compress(f.data, stored)) {
                return Fail("cannot compress " + f.name);
            }
            if (!Name(f.name)) return false;
            PutU32(out, f.sizeOverride ? *f.sizeOverride : uint32_t(f.data.size()));
            PutU32(out, uint32_t(stored.size()));
            PutU32(out, 0);
            out.insert(out.end(), stored.begin(), stored.end());
        }
        return true;
    }

private:
    bool Fail(const std::string& message) {
        if (m_error) *m_error = message;
        return false;
    }
    uint8_t m_key;
    std::string* m_error;
};

}  // namespace

PackDirPlan& PackDirPlan::Folder(const std::string& path) {
    PackDirPlan* dir = this;
    size_t start = 0;
    while (start < path.size()) {
        size_t sep = path.find('/', start);
        if (sep == std::string::npos) sep = path.size();
        std::string part = path.substr(start, sep - start);
        start = sep + 1;
        if (part.empty()) continue;
        auto it = std::find_if(dir->dirs.begin(), dir->dirs.end(),
                               [&](const PackDirPlan& d) { return d.name == part; });
        if (it == dir->dirs.end()) {
            dir->dirs.push_back(PackDirPlan{part, {}, {}});
            dir = &dir->dirs.back();
        } else {
            dir = &*it;
        }
    }
    return *dir;
}

PackFilePlan& PackDirPlan::AddFile(const std::string& path, std::vector<uint8_t> data) {
    size_t slash = path.rfind('/');
    PackDirPlan& dir = slash == std::string::npos ? *this : Folder(path.substr(0, slash));
    PackFilePlan f;
    f.name = slash == std::string::npos ? path : path.substr(slash + 1);
    f.data = std::move(data);
    dir.files.push_back(std::move(f));
    return dir.files.back();
}

PackFilePlan& PackDirPlan::AddFile(const std::string& path, const std::string& text) {
    return AddFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> BuildPack(const PackDirPlan& root, uint8_t key, std::string* error) {
    PackBuilder b(key, error);
    b.out.assign(pack::kMagic, pack::kMagic + pack::kMagicSize);
    PutU32(b.out, 0);
    b.out.push_back(key);
    if (!b.Node(root)) return {};
    return std::move(b.out);
}

namespace {

bool LoadFolder(const std::filesystem::path& folder, PackDirPlan& dir, std::string* error) {
    std::error_code ec;
    std::vector<std::filesystem::directory_entry> entries;
    for (auto it = std::filesystem::directory_iterator(folder, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
        entries.push_back(*it);
    if (ec) {
        if (error) *error = "cannot read folder " + folder.string();
        return false;
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
    for (const auto& e : entries) {
        std::string name = e.path().filename().string();
        if (e.is_directory(ec)) {
            dir.dirs.push_back(PackDirPlan{name, {}, {}});
            if (!LoadFolder(e.path(), dir.dirs.back(), error)) return false;
        } else if (e.is_regular_file(ec)) {
            PackFilePlan f;
            f.name = name;
            if (!plat::ReadWholeFile(e.path().string(), f.data)) {
                if (error) *error = "cannot read " + e.path().string();
                return false;
            }
            dir.files.push_back(std::move(f));
        }
    }
    return true;
}

}  // namespace

bool LoadPackTree(const std::string& folder, PackDirPlan& root, std::string* error) {
    std::filesystem::path p(folder);
    while (p.has_relative_path() && p.filename().empty()) p = p.parent_path();  // "dir/" names dir
    std::error_code ec;
    std::filesystem::path name = std::filesystem::weakly_canonical(p, ec).filename();
    root = PackDirPlan{name.string(), {}, {}};
    if (!std::filesystem::is_directory(p, ec)) {
        if (error) *error = "not a folder: " + folder;
        return false;
    }
    return LoadFolder(p, root, error);
}

std::vector<uint8_t> BuildCompressedFile(const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out(4);
    SetU32(out, 0, uint32_t(data.size()));
    std::vector<uint8_t> z;
    if (!Compress(data, z)) return {};
    out.insert(out.end(), z.begin(), z.end());
    return out;
}
