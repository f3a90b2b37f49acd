// Server tables: named blobs (names end in ".meta") that the server delivers
// and the client keeps between runs in the local cache file "QM_MCache.DAT",
// enciphered with RC4. The server announces each table with a CRC-32; the
// client asks only for wanted tables it lacks or whose copy differs.
//
// Cache file: records of [u32 name length 1-255][name][u32 data length at
// most 0x20000][data], then a u32 0. Lengths are little-endian and in clear;
// one RC4 stream (16-byte key, 256 bytes dropped) runs through the name and
// data bytes of every record in file order.
//
// A table's data is read in one of two forms: binary rows (ParseMetaRows)
// or double-quoted text tokens (CMetaRecord::ReadToken).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

inline constexpr char META_CACHE_FILE_NAME[] = "QM_MCache.DAT";
inline constexpr size_t META_NAME_SIZE = 256;              // name bytes with the terminator
inline constexpr uint32_t META_MAX_CACHED_SIZE = 0x20000;  // largest table the cache file holds
inline constexpr uint32_t META_MAX_TABLE_SIZE = 65535;     // largest table the server sends, inflated
inline constexpr uint32_t META_CACHE_DROP = 256;           // keystream bytes dropped after the key
// The cache file's RC4 key: four 32-bit words, each stored low byte first. A
// file written with another key deciphers to names no one wants.
inline constexpr uint32_t META_CACHE_KEY_WORDS[4] = {0x5163A7E1, 0x9D2B40C6, 0x3E8F1275, 0xC04BD96A};

// The tables the client asks the server for, in the order of its list.
inline constexpr const char* META_WANTED_TABLES[] = {
    "Speech_Substitution.meta",
    "TeamWarp.meta",
    "Manufactures_Cook.meta",
    "EquipmentAbility.meta",
};

class CMetaRecord {
public:
    const char* GetName() const { return m_name; }
    uint32_t GetCrc() const { return m_crc; }
    uint32_t GetSize() const { return uint32_t(m_data.size()); }
    const uint8_t* GetData() const { return m_data.data(); }
    // Recomputes the CRC-32 of the data (zlib, initial value 0), stores and returns it.
    uint32_t UpdateCrc();

    // The next token: the bytes between a double quote and the next one
    // (there is no escape). Out gets at most capacity - 1 bytes (cut between
    // characters) and a terminator; length the bytes written. False when no
    // unread byte or no further opening quote is left. A token without its
    // closing quote shows "Meta File [%s] Syntax Error" and runs to the byte
    // before the data's last byte. An empty token gives true and length 0.
    bool ReadToken(char* out, size_t capacity, uint16_t* length);
    template <size_t N>
    bool ReadToken(char (&out)[N], uint16_t* length) {
        return ReadToken(out, N, length);
    }
    // Offset of the next byte ReadToken looks at; 0 for a new record.
    uint32_t GetReadPosition() const { return m_readPosition; }
    void SetReadPosition(uint32_t position) { m_readPosition = position; }

private:
    friend class CMetaCache;
    void SetName(std::string_view name);
    void SetData(const uint8_t* data, size_t size);

    char m_name[META_NAME_SIZE] = {};
    uint32_t m_crc = 0;
    std::vector<uint8_t> m_data;
    uint32_t m_readPosition = 0;
};

// Binary rows: u16 row count; per row a u8 length and that many bytes (the
// first cell), a u16 cell count N and N cells of a u16 length and the bytes
// (16-bit values big-endian). A row holds the first cell and the first N - 1
// cells: the last cell of every row is dropped. Rows are appended to rows;
// false for data that ends early (what was read, a partial last row
// included, stays appended).
using MetaRow = std::vector<std::string>;
bool ParseMetaRows(const CMetaRecord& record, std::vector<MetaRow>& rows);

class CMetaCache {
public:
    // Builds the wanted list and reads the cache file at path (LoadMetaTables).
    explicit CMetaCache(std::string path = META_CACHE_FILE_NAME);
    // SaveAndClear.
    ~CMetaCache();
    CMetaCache(const CMetaCache&) = delete;
    CMetaCache& operator=(const CMetaCache&) = delete;

    void LoadMetaTables();
    // Reads the cache file. Reading stops at the first record whose lengths
    // are out of range or cut short; the records before it stay. Only wanted
    // tables are taken. False when the file is missing.
    bool ReadMetaCache();
    // Writes every wanted table the cache holds, replacing the file
    // atomically; false when it could not be written.
    bool WriteMetaCache();
    // Writes the file when a table arrived since it was read, then frees
    // every record and the wanted list. True.
    bool SaveAndClear();
    void ClearRecords();

    // The table of that name (ASCII letters in any case), or null.
    CMetaRecord* FindTableByName(std::string_view name) const;
    bool IsWantedTable(std::string_view name) const;
    // Inflates a table the server sent (at most META_MAX_TABLE_SIZE bytes
    // once inflated) and stores it under the name, in place of an older copy
    // of the same name (which keeps its place in the list); the cache is then
    // written at shutdown. Bytes that do not inflate leave the cache as it
    // was and give false.
    bool StoreTable(std::string_view name, uint16_t length, const uint8_t* bytes);

    bool IsDirty() const { return m_dirty; }
    size_t GetRecordCount() const { return m_records.size(); }
    CMetaRecord* GetRecord(size_t index) const {
        return index < m_records.size() ? m_records[index].get() : nullptr;
    }
    const std::vector<std::string>& GetWantedNames() const { return m_wanted; }
    const std::string& GetPath() const { return m_path; }

private:
    CMetaRecord* FindOrAppend(std::string_view name);

    std::string m_path;
    std::vector<std::unique_ptr<CMetaRecord>> m_records;  // in order of first arrival
    std::vector<std::string> m_wanted;
    uint8_t m_key[16] = {};
    bool m_dirty = false;
};

// The program's table cache (null while there is none).
extern CMetaCache* g_pMetaCache;
