#include "windows/community/name_memo_list.h"

#include <algorithm>
#include <cstring>

#include "core/message.h"
#include "platform/paths.h"

namespace {

uint32_t ReadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> BuildNameMemoList(const std::vector<NameMemoEntry>& names) {
    std::vector<uint8_t> out;
    PutU32(out, NAME_MEMO_VERSION);
    PutU32(out, uint32_t(names.size()));
    for (const NameMemoEntry& entry : names) {
        PutU32(out, uint32_t(entry.name.size()));
        out.insert(out.end(), entry.name.begin(), entry.name.end());
        out.push_back(entry.kind);
    }
    return out;
}

bool ParseNameMemoList(const uint8_t* data, size_t size, std::vector<NameMemoEntry>* names) {
    names->clear();
    if (!data || size < 8) return false;
    if (ReadU32(data) < NAME_MEMO_VERSION) return true;
    const uint32_t count = ReadU32(data + 4);
    size_t at = 8;
    for (uint32_t i = 0; i < count && names->size() < NAME_MEMO_LIMIT; ++i) {
        if (size - at < 4) return false;
        const uint32_t length = ReadU32(data + at);
        at += 4;
        if (size - at < size_t(length) + 1) return false;
        if (length <= NAME_MEMO_NAME_MAX) {
            NameMemoEntry entry;
            entry.name.assign(reinterpret_cast<const char*>(data + at), length);
            entry.name.resize(std::strlen(entry.name.c_str()));  // a name ends at its first NUL
            entry.kind = data[at + length];
            names->push_back(std::move(entry));
        }
        at += size_t(length) + 1;
    }
    return true;
}

std::vector<std::string> FindUrls(std::string_view text) {
    static constexpr std::string_view kStarts[] = {"http://", "https://", "ftp://", "www.", "ftp."};
    std::vector<std::string> urls;
    for (size_t at = 0; at < text.size(); ++at) {
        const std::string_view rest = text.substr(at);
        for (std::string_view start : kStarts) {
            if (rest.substr(0, start.size()) != start) continue;
            const size_t end =
                std::min(rest.find_first_of(std::string_view(" \r\n\0", 4)), NAME_MEMO_URL_MAX);
            urls.emplace_back(rest.substr(0, end));
            break;
        }
    }
    return urls;
}

void CNameMemoList::AddName(const char* name, uint8_t kind) {
    char cut[NAME_MEMO_NAME_MAX + 1];
    CopyRecordText(cut, name);
    NameMemoEntry entry{kind, cut};
    // The same entry leaves its place first, so that moving it up in a full
    // list drops no other name.
    const auto same = std::find(m_names.begin(), m_names.end(), entry);
    if (same != m_names.end()) m_names.erase(same);
    if (m_names.size() >= NAME_MEMO_LIMIT) m_names.pop_back();
    m_names.insert(m_names.begin(), std::move(entry));
}

void CNameMemoList::AddUrl(std::string_view url) {
    const auto same = std::find(m_urls.begin(), m_urls.end(), url);
    if (same != m_urls.end()) m_urls.erase(same);
    if (m_urls.size() >= NAME_MEMO_URL_LIMIT) m_urls.erase(m_urls.begin());
    m_urls.emplace_back(url);
}

bool CNameMemoList::RemoveNameAt(int32_t index) {
    if (index < 0 || size_t(index) >= m_names.size()) return false;
    m_names.erase(m_names.begin() + index);
    return true;
}

bool CNameMemoList::RemoveUrlAt(int32_t index) {
    if (index < 0 || size_t(index) >= m_urls.size()) return false;
    m_urls.erase(m_urls.begin() + index);
    return true;
}

bool CNameMemoList::Save(const char* path) const {
    const std::vector<uint8_t> bytes = BuildNameMemoList(m_names);
    return plat::WriteFileAtomic(path, bytes.data(), bytes.size());
}

void CNameMemoList::Load(const char* path) {
    m_names.clear();
    std::vector<uint8_t> bytes;
    if (!plat::ReadWholeFile(path, bytes)) return;
    ParseNameMemoList(bytes.data(), bytes.size(), &m_names);
}
