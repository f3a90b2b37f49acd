#include "data/meta_cache.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "core/byte_source.h"
#include "data/data_boxes.h"
#include "data/rc4.h"
#include "platform/codepage.h"
#include "platform/paths.h"

CMetaCache* g_pMetaCache = nullptr;

// ---------------------------------------------------------------------------
// Records

uint32_t CMetaRecord::UpdateCrc() {
    m_crc = uint32_t(crc32(0, m_data.data(), uInt(m_data.size())));
    return m_crc;
}

void CMetaRecord::SetName(std::string_view name) {
    name = name.substr(0, std::min(name.find('\0'), META_NAME_SIZE - 1));
    std::memcpy(m_name, name.data(), name.size());
    m_name[name.size()] = '\0';
}

void CMetaRecord::SetData(const uint8_t* data, size_t size) {
    m_data.assign(data, data + size);
    UpdateCrc();
}

bool CMetaRecord::ReadToken(char* out, size_t capacity, uint16_t* length) {
    if (out && capacity) out[0] = '\0';
    if (length) *length = 0;
    const size_t size = m_data.size();
    if (m_readPosition >= size) return false;

    size_t pos = m_readPosition;
    while (pos < size && m_data[pos] != '"') ++pos;
    if (pos >= size) {
        m_readPosition = uint32_t(size);
        return false;
    }
    const size_t begin = pos + 1;
    size_t end = begin;
    while (end < size && m_data[end] != '"') ++end;
    if (end < size) {
        m_readPosition = uint32_t(end + 1);
    } else {
        char text[META_NAME_SIZE + 32];
        std::snprintf(text, sizeof text, "Meta File [%s] Syntax Error", m_name);
        databox::Error(text);
        m_readPosition = uint32_t(size);
        // The rest of the data, without its last byte; never a negative length.
        end = std::max(begin, size - 1);
    }

    size_t count = end - begin;
    if (!out || capacity == 0) return true;
    std::string_view token(reinterpret_cast<const char*>(m_data.data()) + begin, count);
    size_t room = std::min<size_t>(capacity - 1, UINT16_MAX);
    if (count > room) count = plat::DbcsPrefixLength(token, room);
    std::memcpy(out, token.data(), count);
    out[count] = '\0';
    if (length) *length = uint16_t(count);
    return true;
}

bool ParseMetaRows(const CMetaRecord& record, std::vector<MetaRow>& rows) {
    CMemorySource in(record.GetData(), record.GetSize());
    uint16_t rowCount = 0;
    if (!in.ReadU16Be(rowCount)) return false;
    for (uint32_t r = 0; r < rowCount; ++r) {
        MetaRow& row = rows.emplace_back();
        uint8_t firstLength = 0;
        const uint8_t* first = nullptr;
        if (!in.ReadU8(firstLength) || !(first = in.Take(firstLength))) return false;
        row.emplace_back(reinterpret_cast<const char*>(first), firstLength);
        uint16_t cellCount = 0;
        if (!in.ReadU16Be(cellCount)) return false;
        for (uint32_t c = 0; c < cellCount; ++c) {
            uint16_t cellLength = 0;
            const uint8_t* cell = nullptr;
            if (!in.ReadU16Be(cellLength) || !(cell = in.Take(cellLength))) return false;
            if (c + 1 < cellCount) row.emplace_back(reinterpret_cast<const char*>(cell), cellLength);
        }
    }
    return true;
}

// ---------------------------------------------------------------------------
// The cache

CMetaCache::CMetaCache(std::string path) : m_path(std::move(path)) {
    LoadMetaTables();
}

CMetaCache::~CMetaCache() {
    SaveAndClear();
}

void CMetaCache::LoadMetaTables() {
    m_wanted.assign(std::begin(META_WANTED_TABLES), std::end(META_WANTED_TABLES));
    for (int w = 0; w < 4; ++w)
        for (int b = 0; b < 4; ++b) m_key[4 * w + b] = uint8_t(META_CACHE_KEY_WORDS[w] >> (8 * b));
    m_dirty = false;
    ReadMetaCache();
}

bool CMetaCache::ReadMetaCache() {
    std::vector<uint8_t> file;
    if (!plat::ReadWholeFile(m_path, file)) return false;
    CRC4Cipher cipher = RC4SetKey(m_key, sizeof m_key, META_CACHE_DROP);
    CMemorySource in(file);
    for (;;) {
        uint32_t nameLength = 0, dataLength = 0;
        const uint8_t* nameBytes = nullptr;
        const uint8_t* dataBytes = nullptr;
        if (!in.ReadU32(nameLength) || nameLength < 1 || nameLength >= META_NAME_SIZE) break;
        if (!(nameBytes = in.Take(nameLength))) break;
        char name[META_NAME_SIZE];
        cipher.Crypt(reinterpret_cast<uint8_t*>(name), nameBytes, nameLength);
        name[nameLength] = '\0';
        if (!in.ReadU32(dataLength) || dataLength > META_MAX_CACHED_SIZE) break;
        if (!(dataBytes = in.Take(dataLength))) break;
        std::vector<uint8_t> data(dataLength);
        cipher.Crypt(data.data(), dataBytes, dataLength);
        if (!IsWantedTable(name)) continue;
        CMetaRecord* record = FindOrAppend(name);
        record->SetData(data.data(), data.size());
        record->SetName(name);
    }
    cipher.Reset();
    return true;
}

bool CMetaCache::WriteMetaCache() {
    CRC4Cipher cipher = RC4SetKey(m_key, sizeof m_key, META_CACHE_DROP);
    CByteWriter writer;
    std::vector<uint8_t>& out = writer.Data();
    for (const std::string& wanted : m_wanted) {
        const CMetaRecord* record = FindTableByName(wanted);
        if (!record) continue;
        size_t nameLength = std::strlen(record->GetName());
        if (nameLength < 1 || nameLength >= META_NAME_SIZE || record->GetSize() > META_MAX_CACHED_SIZE)
            continue;
        writer.U32(uint32_t(nameLength));
        size_t at = out.size();
        out.resize(at + nameLength);
        cipher.Crypt(&out[at], reinterpret_cast<const uint8_t*>(record->GetName()), nameLength);
        writer.U32(record->GetSize());
        at = out.size();
        out.resize(at + record->GetSize());
        cipher.Crypt(out.data() + at, record->GetData(), record->GetSize());
    }
    writer.U32(0);
    cipher.Reset();
    return plat::WriteFileAtomic(m_path, out.data(), out.size());
}

bool CMetaCache::SaveAndClear() {
    if (m_dirty) WriteMetaCache();
    m_dirty = false;
    ClearRecords();
    m_wanted.clear();
    return true;
}

void CMetaCache::ClearRecords() {
    m_records.clear();
}

CMetaRecord* CMetaCache::FindTableByName(std::string_view name) const {
    name = name.substr(0, name.find('\0'));
    for (const auto& record : m_records)
        if (plat::EqualsNoCase(record->GetName(), name)) return record.get();
    return nullptr;
}

bool CMetaCache::IsWantedTable(std::string_view name) const {
    name = name.substr(0, name.find('\0'));
    return std::any_of(m_wanted.begin(), m_wanted.end(),
                       [name](const std::string& w) { return plat::EqualsNoCase(w, name); });
}

CMetaRecord* CMetaCache::FindOrAppend(std::string_view name) {
    if (CMetaRecord* record = FindTableByName(name)) return record;
    m_records.push_back(std::make_unique<CMetaRecord>());
    return m_records.back().get();
}

bool CMetaCache::StoreTable(std::string_view name, uint16_t length, const uint8_t* bytes) {
    if (name.empty() || name[0] == '\0' || (!bytes && length)) return false;
    std::vector<uint8_t> scratch(META_MAX_TABLE_SIZE);
    uLongf inflated = uLongf(scratch.size());
    static const uint8_t kNothing = 0;
    if (uncompress(scratch.data(), &inflated, bytes ? bytes : &kNothing, length) != Z_OK) return false;
    CMetaRecord* record = FindOrAppend(name);
    record->SetData(scratch.data(), inflated);
    record->SetName(name);
    m_dirty = true;
    return true;
}
