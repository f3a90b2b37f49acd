#include "world/map/stage_data.h"

#include <cstdio>
#include <cstring>

#include "anim/model_support.h"
#include "core/byte_source.h"
#include "core/config.h"
#include "core/error_box.h"
#include "core/util.h"
#include "data/file_resource.h"
#include "data/pack_archive.h"
#include "data/text_format.h"
#include "data/text_tables.h"

namespace {

// Reads one stage file; the first fault (data ended, impossible count) stops
// it and is reported once; an unknown type code is reported once as well.
//
// Some items take no bytes (values of a width that reads nothing) or fewer
// bytes than the memory they make (columns, one-byte values), so a count
// checked against the bytes left alone could still make a few bytes stand
// for a great deal. Every group, entry, column, value, area, table and text
// the file makes is therefore charged against the file's memory budget.
class StageReader {
public:
    StageReader(const uint8_t* data, size_t size, const char* name)
        : m_src(data, size),
          m_name(name ? name : ""),
          m_memoryLeft(uint64_t(size) * STAGE_MEMORY_PER_BYTE + STAGE_MEMORY_BASE) {}

    bool ReadGroups(std::vector<StageGroup>& groups);
    bool Failed() const { return m_failed; }

private:
    bool Fail(const char* part) {
        if (!m_failed) ShowFileReadError(m_name.c_str(), part);
        m_failed = true;
        return false;
    }
    void BadType() {
        if (m_typeReported) return;
        m_typeReported = true;
        ReportError("%s", GetTableText(17, 0));
    }
    uint64_t Left() const { return m_src.Remaining(); }
    bool U8(uint8_t& v, const char* part) { return m_src.ReadU8(v) || Fail(part); }
    bool U16(uint16_t& v, const char* part) { return m_src.ReadU16(v) || Fail(part); }
    bool U32(uint32_t& v, const char* part) { return m_src.ReadU32(v) || Fail(part); }
    // A count of items of at least itemSize bytes each must fit the bytes left.
    bool Count(uint32_t& v, uint64_t itemSize, const char* part) {
        if (!U32(v, part)) return false;
        return uint64_t(v) * itemSize <= Left() || Fail(part);
    }
    // Items about to be made must fit what is left of the budget.
    bool Make(uint64_t items, uint64_t bytesEach, const char* part) {
        if (bytesEach && items > m_memoryLeft / bytesEach) return Fail(part);
        m_memoryLeft -= items * bytesEach;
        return true;
    }

    bool ReadGroup(StageGroup& group);
    bool ReadHeader(StageEntry& entry, int depth);
    bool ReadColumns(StageEntry& entry, int depth);
    bool ReadValue(const StageEntry& entry, StageValue& value, int depth);

    CMemorySource m_src;
    std::string m_name;
    uint64_t m_memoryLeft;
    bool m_failed = false;
    bool m_typeReported = false;
};

bool StageReader::ReadGroups(std::vector<StageGroup>& groups) {
    uint32_t count = 0;
    if (!Count(count, 5, "header") || !Make(count, sizeof(StageGroup), "header")) return false;
    groups.reserve(groups.size() + count);
    for (uint32_t g = 0; g < count; ++g) {
        groups.emplace_back();
        if (!ReadGroup(groups.back())) return false;
    }
    return true;
}

bool StageReader::ReadGroup(StageGroup& group) {
    uint32_t count = 0;
    if (!U8(group.kind, "group")) return false;
    const bool known = group.kind <= STAGE_GROUP_AREAS;
    const uint64_t entrySize = group.kind == STAGE_GROUP_LISTS ? 5 : group.kind == STAGE_GROUP_AREAS ? 4 : 1;
    if (!Count(count, entrySize, "group")) return false;
    group.entryCount = int32_t(count);
    if (!known) return true;  // nothing is read or kept for them
    if (!Make(count, sizeof(StageEntry), "group")) return false;
    // Every entry exists before any is read: values point at their entries.
    group.entries.resize(count);
    for (StageEntry& entry : group.entries) {
        switch (group.kind) {
            case STAGE_GROUP_PROPERTIES:
                if (!U8(entry.type, "entry") || !ReadHeader(entry, 0)) return false;
                entry.valueCount = 1;
                if (!Make(1, sizeof(StageValue), "entry")) return false;
                entry.values.resize(1);
                if (!ReadValue(entry, entry.values[0], 0)) return false;
                break;
            case STAGE_GROUP_LISTS: {
                uint32_t n = 0;
                if (!U8(entry.type, "entry") || !U32(n, "entry") || !ReadHeader(entry, 0)) return false;
                if (n > Left() || !Make(n, sizeof(StageValue), "entry")) return Fail("entry");
                entry.valueCount = int32_t(n);
                entry.values.resize(n);
                for (StageValue& value : entry.values)
                    if (!ReadValue(entry, value, 0)) return false;
                break;
            }
            case STAGE_GROUP_AREAS: {
                uint32_t n = 0;
                if (!Count(n, 10, "area") || !Make(n, sizeof(StageArea), "area")) return false;
                entry.valueCount = int32_t(n);
                entry.areas.resize(n);
                for (StageArea& a : entry.areas)
                    if (!U16(a.id, "area") || !U16(a.x1, "area") || !U16(a.y1, "area") ||
                        !U16(a.x2, "area") || !U16(a.y2, "area"))
                        return false;
                break;
            }
            default:
                break;
        }
    }
    return true;
}

bool StageReader::ReadHeader(StageEntry& entry, int depth) {
    if (!IsStageValueType(entry.type)) {
        BadType();
        return true;
    }
    switch (entry.type) {
        case STAGE_TYPE_TEXT:
            return U32(entry.textLength, "entry");
        case STAGE_TYPE_SIZED:
            return U8(entry.width, "entry");
        case STAGE_TYPE_SIZED7:
            return U8(entry.width7, "entry");
        case STAGE_TYPE_TABLE:
            return ReadColumns(entry, depth + 1);
        default:
            return true;
    }
}

bool StageReader::ReadColumns(StageEntry& entry, int depth) {
    if (depth > STAGE_MAX_NESTING) return Fail("columns");
    uint32_t count = 0;
    if (!Count(count, 1, "columns") || !Make(count, sizeof(StageEntry), "columns")) return false;
    entry.columns.resize(count);
    for (StageEntry& column : entry.columns) {
        column.valueCount = 1;
        if (!U8(column.type, "columns") || !ReadHeader(column, depth)) return false;
    }
    return true;
}

bool StageReader::ReadValue(const StageEntry& entry, StageValue& value, int depth) {
    value.entry = &entry;
    switch (entry.type) {
        case STAGE_TYPE_TEXT: {
            if (entry.textLength > Left()) return Fail("value");
            const size_t keep = std::min<size_t>(entry.textLength, STAGE_TEXT_MAX);
            char text[STAGE_TEXT_MAX + 1] = {};
            m_src.ReadExact(text, keep);
            m_src.Skip(entry.textLength - keep);
            // A text stops at its first NUL, as a C string would.
            const size_t length = std::strlen(text);
            if (length == 0) return true;
            if (!Make(1, length + 1, "value")) return false;
            value.text = std::make_unique<char[]>(length + 1);
            std::memcpy(value.text.get(), text, length + 1);
            return true;
        }
        case STAGE_TYPE_SIZED:
            if (entry.width <= 1) return U8(value.byteValue, "value");
            if (entry.width <= 3) return U16(value.wordValue, "value");
            if (entry.width == 4) return U32(value.dwordValue, "value");
            return true;
        case STAGE_TYPE_SIZED7:
            if (entry.width7 == 1) return U8(value.byteValue, "value");
            if (entry.width7 == 2) return U16(value.wordValue, "value");
            if (entry.width7 == 4) return U32(value.dwordValue, "value");
            return true;
        case STAGE_TYPE_WORD:
        case STAGE_TYPE_WORD6:
        case STAGE_TYPE_WORD9:
            return U16(value.wordValue, "value");
        case STAGE_TYPE_BYTE:
            return U8(value.byteValue, "value");
        case STAGE_TYPE_DWORD:
            return U32(value.dwordValue, "value");
        case STAGE_TYPE_POINT:
            return U16(value.pointX, "value") && U16(value.pointY, "value");
        case STAGE_TYPE_ANIREF:
            return U16(value.aniFirst, "value") && U16(value.aniSecond, "value") &&
                   U8(value.aniFlag, "value");
        case STAGE_TYPE_ANIREF2:
            value.aniFirst = 0;
            return U16(value.aniSecond, "value") && U8(value.aniFlag, "value");
        case STAGE_TYPE_TABLE: {
            if (depth >= STAGE_MAX_NESTING) return Fail("value");
            uint32_t rows = 0;
            if (!Count(rows, 1, "value")) return false;
            const uint64_t cells = uint64_t(rows) * entry.columns.size();
            if (cells > Left() || !Make(1, sizeof(CStageTable), "value") ||
                !Make(cells, sizeof(StageValue), "value"))
                return Fail("value");
            auto table = std::make_unique<CStageTable>();
            table->m_columns = &entry.columns;
            table->m_rowCount = int32_t(rows);
            table->m_values.resize(size_t(cells));
            CStageTable* raw = table.get();
            value.table = std::move(table);
            size_t i = 0;
            for (uint32_t r = 0; r < rows; ++r)
                for (const StageEntry& column : entry.columns)
                    if (!ReadValue(column, raw->m_values[i++], depth + 1)) return false;
            return true;
        }
        default:
            return true;  // a bad type reads nothing (reported with its header)
    }
}

}  // namespace

bool IsStageValueType(uint8_t type) {
    return type <= STAGE_TYPE_LAST && type != 10;
}

int32_t StageValueSize(uint8_t type, uint8_t width) {
    switch (type) {
        case STAGE_TYPE_SIZED:
            return width <= 1 ? 1 : width <= 3 ? 2 : width == 4 ? 4 : 0;
        case STAGE_TYPE_SIZED7:
            return width == 1 ? 1 : width == 2 ? 2 : width == 4 ? 4 : 0;
        case STAGE_TYPE_WORD:
        case STAGE_TYPE_WORD6:
        case STAGE_TYPE_WORD9:
            return 2;
        case STAGE_TYPE_BYTE:
            return 1;
        case STAGE_TYPE_DWORD:
        case STAGE_TYPE_POINT:
            return 4;
        case STAGE_TYPE_ANIREF:
            return 5;
        case STAGE_TYPE_ANIREF2:
            return 3;
        default:
            return 0;
    }
}

uint8_t StageByteOf(const StageValue* value) {
    if (!value || !value->entry) return 0;
    const StageEntry& e = *value->entry;
    if ((e.type == STAGE_TYPE_SIZED && e.width <= 1) || e.type == STAGE_TYPE_BYTE ||
        (e.type == STAGE_TYPE_SIZED7 && e.width7 == 1))
        return value->byteValue;
    return 0;
}

uint16_t StageWordOf(const StageValue* value) {
    if (!value || !value->entry) return 0;
    const StageEntry& e = *value->entry;
    if ((e.type == STAGE_TYPE_SIZED && (e.width == 2 || e.width == 3)) || e.type == STAGE_TYPE_WORD ||
        e.type == STAGE_TYPE_WORD6 || (e.type == STAGE_TYPE_SIZED7 && e.width7 == 2))
        return value->wordValue;
    return 0;
}

uint32_t StageDwordOf(const StageValue* value) {
    if (!value || !value->entry) return 0;
    const StageEntry& e = *value->entry;
    if ((e.type == STAGE_TYPE_SIZED && e.width == 4) || (e.type == STAGE_TYPE_SIZED7 && e.width7 == 4) ||
        e.type == STAGE_TYPE_DWORD)
        return value->dwordValue;
    return 0;
}

uint32_t StageNumberOf(const StageValue* value) {
    if (!value || !value->entry) return 0;
    const StageEntry& e = *value->entry;
    if (e.type == STAGE_TYPE_SIZED)
        return e.width <= 1 ? value->byteValue : e.width <= 3 ? value->wordValue : value->dwordValue;
    if (e.type == STAGE_TYPE_SIZED7)
        return e.width7 == 1 ? value->byteValue : e.width7 == 2 ? value->wordValue : value->dwordValue;
    if (e.type == STAGE_TYPE_BYTE) return value->byteValue;
    if (e.type == STAGE_TYPE_WORD || e.type == STAGE_TYPE_WORD6) return value->wordValue;
    if (e.type == STAGE_TYPE_DWORD) return value->dwordValue;
    return 0;
}

const StageValue* CStageTable::GetValue(int32_t column, int32_t row) const {
    const int32_t columns = GetColumnCount();
    if (column < 0 || column >= columns || row < 0 || row >= m_rowCount) return nullptr;
    const size_t index = size_t(row) * size_t(columns) + size_t(column);
    return index < m_values.size() ? &m_values[index] : nullptr;
}

uint16_t CStageTable::GetWord(int32_t column, int32_t row) const {
    return StageWordOf(GetValue(column, row));
}

CStageData::~CStageData() {
    CStageData::Release();
}

bool CStageData::Create() {
    m_groups.clear();
    return true;
}

bool CStageData::Release() {
    m_groups.clear();
    return true;
}

bool CStageData::Load(const uint8_t* data, size_t size, const char* name) {
    StageReader reader(data, size, name);
    return reader.ReadGroups(m_groups);
}

const StageGroup* CStageData::GetGroup(int32_t group) const {
    return group >= 0 && group < GetGroupCount() ? &m_groups[size_t(group)] : nullptr;
}

const StageEntry* CStageData::GetEntry(int32_t group, int32_t entry) const {
    const StageGroup* g = GetGroup(group);
    if (!g || entry < 0 || size_t(entry) >= g->entries.size()) return nullptr;
    return &g->entries[size_t(entry)];
}

const StageValue* CStageData::GetValue(int32_t group, int32_t entry, int32_t value) const {
    const StageEntry* e = GetEntry(group, entry);
    if (!e || value < 0 || size_t(value) >= e->values.size()) return nullptr;
    return &e->values[size_t(value)];
}

uint8_t CStageData::GetByte(int32_t group, int32_t entry, int32_t value) const {
    return StageByteOf(GetValue(group, entry, value));
}

uint16_t CStageData::GetWord(int32_t group, int32_t entry, int32_t value) const {
    return StageWordOf(GetValue(group, entry, value));
}

uint32_t CStageData::GetDword(int32_t group, int32_t entry, int32_t value) const {
    return StageDwordOf(GetValue(group, entry, value));
}

uint32_t CStageData::GetNumber(int32_t group, int32_t entry, int32_t value) const {
    return StageNumberOf(GetValue(group, entry, value));
}

const char* CStageData::GetText(int32_t group, int32_t entry, int32_t value) const {
    const StageValue* v = GetValue(group, entry, value);
    return v && v->entry && v->entry->type == STAGE_TYPE_TEXT ? v->Text() : nullptr;
}

const CStageTable* CStageData::GetTable(int32_t group, int32_t entry, int32_t value) const {
    const StageValue* v = GetValue(group, entry, value);
    return v && v->entry && v->entry->type == STAGE_TYPE_TABLE ? v->table.get() : nullptr;
}

void CStageData::GetPoint(int32_t group, int32_t entry, int32_t value, int32_t* x, int32_t* y) const {
    const StageValue* v = GetValue(group, entry, value);
    const bool point = v && v->entry && v->entry->type == STAGE_TYPE_POINT;
    if (x) *x = point ? v->pointX : 0;
    if (y) *y = point ? v->pointY : 0;
}

void CStageData::GetAniRef(uint16_t* first, uint16_t* second, uint8_t* flag, int32_t group, int32_t entry,
                           int32_t value) const {
    const StageValue* v = GetValue(group, entry, value);
    if (!v) {
        if (first) *first = STAGE_NONE;
        return;
    }
    if (first) *first = v->aniFirst;
    if (second) *second = v->aniSecond;
    if (flag) *flag = v->aniFlag;
}

int32_t CStageData::GetRecordCount(int32_t group) const {
    const StageEntry* e = GetEntry(group, 0);
    return e ? e->valueCount : 0;
}

const StageArea* CStageData::FindArea(uint16_t id) const {
    const StageGroup* last = nullptr;
    for (const StageGroup& g : m_groups)
        if (g.kind == STAGE_GROUP_AREAS) last = &g;
    if (!last || last->entries.empty()) return nullptr;
    const StageEntry& e = last->entries[0];
    if (id >= e.areas.size()) return nullptr;
    for (const StageArea& a : e.areas)
        if (a.id == id) return &a;
    return nullptr;
}

std::string StageFilePath(int32_t stageNumber, bool eventStage) {
    char number[16];
    std::snprintf(number, sizeof number, "%4d", stageNumber);
    SpacesToZeros(number);
    const std::string& folder = g_config.m_folders[eventStage ? FOLDER_VISUALEVENT : FOLDER_FIELDSCRIPT];
    return folder + "\\" + number + (eventStage ? ".VSE" : ".Z5F");
}

MapDataRead ReadMapDataFile(const std::string& path, std::vector<uint8_t>& out, uint32_t maxBytes) {
    out.clear();
    if (!DataFileExists(path.c_str())) return MapDataRead::Missing;
    if (ReadWholeDataFile(path.c_str(), out, nullptr, maxBytes)) return MapDataRead::Read;
    out.clear();
    return MapDataRead::Refused;
}

bool LoadStageFile(CStageData& stage, int32_t stageNumber, bool eventStage) {
    const std::string path = StageFilePath(stageNumber, eventStage);
    std::vector<uint8_t> bytes;
    switch (ReadMapDataFile(path, bytes, STAGE_MAX_FILE_BYTES)) {
        case MapDataRead::Missing:
            ReportError("%s", FormatTableText(GetTableText(17, 1), {path}).c_str());
            return false;
        case MapDataRead::Refused:
            return true;  // opened, and its box shown: the stage stays empty
        case MapDataRead::Read:
            break;
    }
    stage.Load(bytes.data(), bytes.size(), path.c_str());
    return true;
}
