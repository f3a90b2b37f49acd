// The name memo's lists: the names picked up in the world (newest first, at
// most 40, kept in "NAMEMEMO_LISTDATA.DAT") and the web addresses found in
// chat lines (oldest first, at most 5, not kept).
//
// The file, little endian: u32 version 3, u32 count n, then n entries newest
// first, each u32 length L, L name bytes, u8 kind.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr char NAME_MEMO_FILE[] = "NAMEMEMO_LISTDATA.DAT";
inline constexpr uint32_t NAME_MEMO_VERSION = 3;
inline constexpr size_t NAME_MEMO_LIMIT = 40;
inline constexpr size_t NAME_MEMO_NAME_MAX = 63;  // an entry holds 64 bytes with the terminator
inline constexpr size_t NAME_MEMO_URL_LIMIT = 5;
inline constexpr size_t NAME_MEMO_URL_MAX = 1024;

struct NameMemoEntry {
    uint8_t kind = 0;
    std::string name;
    bool operator==(const NameMemoEntry&) const = default;
};

std::vector<uint8_t> BuildNameMemoList(const std::vector<NameMemoEntry>& names);
// The entries of a list file: none for a version below 3; at most 40, and
// an entry whose name is longer than 63 bytes is skipped. False when the
// bytes end inside the header or an entry (the entries read so far are
// kept).
bool ParseNameMemoList(const uint8_t* data, size_t size, std::vector<NameMemoEntry>* names);

// The addresses in a line, in the order the memo takes them: at each byte a
// "http://", "https://", "ftp://", "www." or "ftp." starts one, up to the
// first space, CR, LF or the end, at most 1024 bytes.
std::vector<std::string> FindUrls(std::string_view text);

class CNameMemoList {
public:
    const std::vector<NameMemoEntry>& Names() const { return m_names; }
    const std::vector<std::string>& Urls() const { return m_urls; }

    // The name goes to the front; the same name of the same kind leaves its
    // old place, and past 40 the oldest goes. Names longer than 63 bytes are
    // cut between characters.
    void AddName(const char* name, uint8_t kind);
    // The address goes to the end; an equal one leaves its place, and past
    // five the oldest goes.
    void AddUrl(std::string_view url);
    bool RemoveNameAt(int32_t index);
    bool RemoveUrlAt(int32_t index);

    bool Save(const char* path) const;
    // A missing or unreadable file leaves the list empty.
    void Load(const char* path);

private:
    std::vector<NameMemoEntry> m_names;
    std::vector<std::string> m_urls;
};
