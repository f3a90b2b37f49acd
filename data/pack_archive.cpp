#include "data/pack_archive.h"

#include <algorithm>
#include <cstring>

#include "core/byte_source.h"
#include "core/util.h"
#include "data/data_boxes.h"
#include "data/pack_format.h"
#include "data/pack_path.h"
#include "platform/codepage.h"
#include "platform/file_io.h"
#include "platform/paths.h"

CPackFile* g_pPackFile = nullptr;
bool g_bUsePackFile = true;
bool g_bUseCompressedFiles = true;

CPackFile::CPackFile() = default;

CPackFile::~CPackFile() {
    Close();
}

void CPackFile::Close() {
    if (m_stream) std::fclose(m_stream);
    m_stream = nullptr;
    m_fileSize = 0;
    m_nodes.clear();
    m_scratch.clear();
    m_scratch.shrink_to_fit();
    m_window.clear();
    m_window.shrink_to_fit();
    m_windowStart = 0;
    m_windowSize = 0;
}

bool CPackFile::OpenPack(const char* path) {
    Close();
    m_path = path ? path : "";
    if (m_path.size() > 511) m_path.resize(511);
    FILE* f = plat::OpenFile(m_path, "rb");
    bool ok = f && CheckPackHeader(f);
    if (ok) {
        ok = std::fseek(f, 0, SEEK_END) == 0;
        long size = ok ? std::ftell(f) : -1;
        ok = size >= long(pack::kRootOffset);
        m_fileSize = ok ? uint64_t(size) : 0;
    }
    if (!ok) {
        if (f) std::fclose(f);
        databox::Error("OpenPack Faild.");
        return false;
    }
    m_stream = f;
    return true;
}

bool CPackFile::CheckPackHeader(FILE* stream) {
    uint8_t header[pack::kRootOffset];
    size_t got = stream ? std::fread(header, 1, sizeof header, stream) : 0;
    if (got < pack::kMagicSize || std::memcmp(header, pack::kMagic, pack::kMagicSize) != 0 ||
        got < sizeof header) {
        // The text is Korean: shown in the code page in use as far as it can say it.
        databox::Error(plat::FromUtf8("올바른 Pack 파일이 아닙니다."));
        return false;
    }
    m_nameKey = header[14];
    return true;
}

bool CPackFile::ReadAt(uint64_t offset, void* buffer, size_t count) {
    if (!m_stream || offset > m_fileSize || count > m_fileSize - offset) return false;
    return plat::ReadStreamAt(m_stream, offset, buffer, count);
}

bool CPackFile::ReadU32(uint64_t& offset, uint64_t end, uint32_t& value) {
    uint8_t b[4];
    if (offset + 4 > end || !ReadAt(offset, b, 4)) return false;
    value = LoadU32Le(b);
    offset += 4;
    return true;
}

bool CPackFile::ReadName(uint64_t& offset, uint64_t end, std::string& name) {
    uint32_t len = 0;
    if (!ReadU32(offset, end, len) || len > pack::kMaxNameLength || offset + len > end) return false;
    char buf[pack::kMaxNameLength + 1];
    if (!ReadAt(offset, buf, len)) return false;
    offset += len;
    XorBytes(buf, len, m_nameKey);
    buf[len] = '\0';
    name.assign(buf);  // a name ends at its first NUL, as the game compares them
    return true;
}

const CPackFile::Node* CPackFile::GetNode(uint64_t offset, uint64_t end) {
    auto it = m_nodes.find(offset);
    if (it != m_nodes.end()) return it->second.get();
    auto node = std::make_unique<Node>();
    Node& n = *node;
    uint64_t pos = offset;
    uint32_t dirCount = 0, fileCount = 0;
    auto fold = [](std::string_view s) {
        std::string k(s);
        UpperCaseAscii(k);
        return k;
    };
    if (ReadName(pos, end, n.name)) {
        n.nameOk = true;
        n.key = fold(LastComponent(n.name));
        if (ReadU32(pos, end, dirCount) && ReadU32(pos, end, fileCount)) {
            bool ok = true;
            for (uint32_t i = 0; ok && i < dirCount; ++i) {
                SubDir d;
                uint32_t bytes = 0;
                ok = ReadName(pos, end, d.name) && ReadU32(pos, end, bytes) && bytes <= end - pos;
                if (!ok) break;
                d.key = fold(LastComponent(d.name));
                d.offset = pos;
                d.end = pos + bytes;
                pos += bytes;
                n.dirIndex.emplace(d.key, uint32_t(n.dirs.size()));
                n.dirs.push_back(std::move(d));
            }
            for (uint32_t i = 0; ok && i < fileCount; ++i) {
                FileRec f;
                uint32_t reserved = 0;
                ok = ReadName(pos, end, f.name) && ReadU32(pos, end, f.size) &&
                     ReadU32(pos, end, f.storedSize) && ReadU32(pos, end, reserved) &&
                     f.storedSize <= end - pos;
                if (!ok) break;
                f.key = fold(f.name);
                f.dataOffset = pos;
                pos += f.storedSize;
                n.fileIndex.emplace(f.key, uint32_t(n.files.size()));
                n.files.push_back(std::move(f));
            }
            n.complete = ok;
        }
    }
    const Node* result = node.get();
    m_nodes.emplace(offset, std::move(node));
    return result;
}

FILE* CPackFile::FindPackEntry(const char* path, uint32_t* size, uint32_t* storedSize) {
    uint64_t offset = 0;
    if (!LocatePackEntry(path, size, storedSize, &offset)) return nullptr;
    if (std::fseek(m_stream, long(offset), SEEK_SET) != 0) {
        if (size) *size = 0;
        if (storedSize) *storedSize = 0;
        return nullptr;
    }
    return m_stream;
}

bool CPackFile::LocatePackEntry(const char* path, uint32_t* size, uint32_t* storedSize,
                                uint64_t* dataOffset) {
    if (size) *size = 0;
    if (storedSize) *storedSize = 0;
    if (dataOffset) *dataOffset = 0;
    if (!m_stream || !path) return false;
    std::string work(path);
    UpperCaseAscii(work);
    std::string component(work.size() + 1, '\0');
    uint64_t offset = pack::kRootOffset, end = m_fileSize;
    int matched = 0;
    for (;;) {
        bool last = SplitFirstComponent(work.data(), component.data(), component.size()) == 1;
        std::string_view name(component.c_str());
        const Node* node = GetNode(offset, end);
        if (last) {  // the file name
            auto hit = node->fileIndex.find(std::string(name));
            if (hit == node->fileIndex.end()) return false;
            const FileRec& f = node->files[hit->second];
            if (size) *size = f.size;
            if (storedSize) *storedSize = f.storedSize;
            if (dataOffset) *dataOffset = f.dataOffset;
            return true;
        }
        if (!node->nameOk) return false;
        if (node->key == name) {  // the node itself: a path may begin with the root's name
            if (++matched > pack::kMaxDirectoryMatches) return false;
            continue;
        }
        auto hit = node->dirIndex.find(std::string(name));
        if (hit != node->dirIndex.end()) {
            if (++matched > pack::kMaxDirectoryMatches) return false;
            offset = node->dirs[hit->second].offset;
            end = node->dirs[hit->second].end;
        } else if (!node->complete) {
            return false;  // the records after the damage cannot be searched
        }
        // Otherwise a directory the pack lacks: skip it and stay at this node.
    }
}

const uint8_t* CPackFile::ReadStored(uint32_t count) {
    if (!m_stream || count > m_fileSize) return nullptr;
    if (m_scratch.size() < count) m_scratch.resize(count);
    if (count && std::fread(m_scratch.data(), 1, count, m_stream) != count) return nullptr;
    return m_scratch.data();
}

const uint8_t* CPackFile::ReadStoredAt(uint64_t offset, uint32_t count) {
    // Checked before the buffer grows: a damaged size must not allocate gigabytes.
    if (!m_stream || offset > m_fileSize || count > m_fileSize - offset) return nullptr;
    if (count <= kReadWindow) {
        if (offset < m_windowStart || offset + count > m_windowStart + m_windowSize) {
            const uint32_t length = uint32_t(std::min<uint64_t>(kReadWindow, m_fileSize - offset));
            m_window.resize(kReadWindow);
            m_windowSize = 0;
            if (length && !ReadAt(offset, m_window.data(), length)) return nullptr;
            m_windowStart = offset;
            m_windowSize = length;
        }
        return m_window.data() + (offset - m_windowStart);
    }
    if (m_scratch.size() < count) m_scratch.resize(count);
    if (!ReadAt(offset, m_scratch.data(), count)) return nullptr;
    return m_scratch.data();
}

std::string CPackFile::GetRootName() {
    if (!m_stream) return {};
    return GetNode(pack::kRootOffset, m_fileSize)->name;
}

bool CPackFile::ForEachEntry(const std::function<void(const EntryInfo&)>& visit) {
    if (!m_stream) return false;
    struct Frame {
        const Node* node;
        std::string prefix;
        size_t nextDir;
    };
    bool intact = true;
    std::vector<Frame> stack;
    stack.push_back({GetNode(pack::kRootOffset, m_fileSize), "", 0});
    while (!stack.empty()) {
        Frame& top = stack.back();
        const Node* node = top.node;
        if (top.nextDir < node->dirs.size()) {
            const SubDir& d = node->dirs[top.nextDir++];
            EntryInfo info;
            info.path = top.prefix + d.name + "/";
            info.isDirectory = true;
            visit(info);
            std::string prefix = info.path;
            stack.push_back({GetNode(d.offset, d.end), std::move(prefix), 0});
            continue;
        }
        if (!node->complete) intact = false;
        for (const FileRec& f : node->files) {
            EntryInfo info;
            info.path = top.prefix + f.name;
            info.size = f.size;
            info.storedSize = f.storedSize;
            visit(info);
        }
        stack.pop_back();
    }
    return intact;
}
