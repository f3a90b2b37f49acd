// Stage files: what a map (".Z5F") or a visual event (".VSE") carries besides
// its ground - map file number, kind, music, lights, darkness, banner, battle
// attributes, zones, ambient objects and sound spots - kept as a tree of typed
// values and read back by (group, entry, value) index. The speech texts of a
// map (".SPC") are in speech_data.h.
//
// File (little-endian): u32 group count; per group u8 kind and u32 entry
// count, then the entries by kind:
//   kind 0 (properties): u8 type, the type's header, one value;
//   kind 1 (lists):      u8 type, u32 value count N, the type's header, N values;
//   kind 2 (areas):      u32 area count N, N x (u16 id, x1, y1, x2, y2);
//   other kinds:         nothing.
// The type headers and values are those of StageValueType. Every count is
// checked against the bytes left before anything is allocated, and all the
// file makes is charged against a memory budget of STAGE_MEMORY_PER_BYTE
// bytes for each byte of the file (and STAGE_MEMORY_BASE more): items that
// take no bytes (values of a width that reads nothing, columns) cannot make
// a small file stand for a great deal. A file that ends early, holds a count
// it cannot hold or needs more than its budget shows the read-error box once
// and keeps what was read before the fault.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/base_object.h"

// The "none" value of 16-bit ids in stage data.
inline constexpr uint16_t STAGE_NONE = 10000;
// Deepest nesting of sub-table columns a file may use.
inline constexpr int STAGE_MAX_NESTING = 16;
// Longest type-0 text kept, in bytes (longer texts are cut, the rest skipped).
inline constexpr size_t STAGE_TEXT_MAX = 255;
// The memory a stage file may make: this much for each of its bytes, and a
// base for the smallest files. The largest file read is STAGE_MAX_FILE_BYTES
// (a larger one shows the read-error box and leaves the stage empty).
inline constexpr size_t STAGE_MEMORY_PER_BYTE = 64;
inline constexpr size_t STAGE_MEMORY_BASE = 64 * 1024;
inline constexpr uint32_t STAGE_MAX_FILE_BYTES = 1u << 20;

enum StageGroupKind : uint8_t {
    STAGE_GROUP_PROPERTIES = 0,
    STAGE_GROUP_LISTS = 1,
    STAGE_GROUP_AREAS = 2,
};

// Type codes: the header an entry carries and the value it reads.
enum StageValueType : uint8_t {
    STAGE_TYPE_TEXT = 0,     // header u32 length L; value: L bytes
    STAGE_TYPE_SIZED = 1,    // header u8 width W; 0-1: 1 byte, 2-3: 2 bytes, 4: 4 bytes, more: nothing
    STAGE_TYPE_WORD = 2,     // 2 bytes
    STAGE_TYPE_TABLE = 3,    // header: column list; value: u32 rows, then rows x columns values
    STAGE_TYPE_POINT = 4,    // u16 x, u16 y
    STAGE_TYPE_BYTE = 5,     // 1 byte
    STAGE_TYPE_WORD6 = 6,    // 2 bytes
    STAGE_TYPE_SIZED7 = 7,   // header u8 width W; 1: 1 byte, 2: 2 bytes, 4: 4 bytes, other: nothing
    STAGE_TYPE_DWORD = 8,    // 4 bytes
    STAGE_TYPE_WORD9 = 9,    // 2 bytes, answered by no query
    STAGE_TYPE_ANIREF = 11,  // u16 first word, u16 second word, u8 flag
    STAGE_TYPE_ANIREF2 = 12  // u16 second word, u8 flag (the first word reads 0)
};
inline constexpr uint8_t STAGE_TYPE_LAST = STAGE_TYPE_ANIREF2;
// True for the type codes a file may use (10 and above 12 are refused).
bool IsStageValueType(uint8_t type);
// Bytes a value of the type (and width code) takes; tables and texts are not fixed.
int32_t StageValueSize(uint8_t type, uint8_t width);

struct StageEntry;
class CStageTable;

struct StageValue {
    const StageEntry* entry = nullptr;   // the entry or column giving the type; not owned
    std::unique_ptr<char[]> text;        // type 0: at most 255 bytes and a 0; null when empty
    std::unique_ptr<CStageTable> table;  // type 3
    uint32_t dwordValue = 0;
    uint16_t wordValue = 0;
    uint16_t pointX = 0, pointY = 0;
    uint16_t aniFirst = 0, aniSecond = 0;
    uint8_t byteValue = 0;
    uint8_t aniFlag = 0;

    // The text of a type-0 value ("" when empty).
    const char* Text() const { return text ? text.get() : ""; }
};

struct StageArea {
    uint16_t id = 0, x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // an inclusive rectangle of map cells
};

// An entry of a group, or a column definition of a sub-table.
struct StageEntry {
    int32_t valueCount = 0;  // kind 2: the area count
    std::vector<StageValue> values;
    std::vector<StageArea> areas;
    uint8_t type = 0;
    uint32_t textLength = 0;          // type 0
    uint8_t width = 0;                // type 1
    uint8_t width7 = 0;               // type 7
    std::vector<StageEntry> columns;  // type 3
};

struct StageGroup {
    uint8_t kind = 0;
    int32_t entryCount = 0;
    // The entries of groups of kinds 0 to 2; a group of another kind holds
    // entryCount empty entries, which take no memory (nothing is read for them).
    std::vector<StageEntry> entries;
};

class CStageTable {
public:
    int32_t GetColumnCount() const { return int32_t(m_columns ? m_columns->size() : 0); }
    int32_t GetRowCount() const { return m_rowCount; }
    // The word of the value at (column, row): as CStageData::GetWord; 0 outside.
    uint16_t GetWord(int32_t column, int32_t row) const;
    const StageValue* GetValue(int32_t column, int32_t row) const;

    const std::vector<StageEntry>* m_columns = nullptr;  // the entry's column list; not owned
    uint8_t m_owned = 1;
    int32_t m_rowCount = 0;
    std::vector<StageValue> m_values;  // row by row
};

// The typed answers, by the type of the value's entry; the "nothing" answer for
// other types and indexes outside.
uint8_t StageByteOf(const StageValue* value);
uint16_t StageWordOf(const StageValue* value);
uint32_t StageDwordOf(const StageValue* value);
// The number of a byte, word or dword value, whichever its type answers.
uint32_t StageNumberOf(const StageValue* value);

class CStageData : public CMsgObject {
public:
    CStageData() = default;
    ~CStageData() override;

    bool Create() override;
    bool Release() override;

    // Reads the bytes of a stage file (name is used in the read-error box),
    // adding to what the object holds. False when the data ended early or
    // held a count it cannot hold (after the box; what was read stays).
    bool Load(const uint8_t* data, size_t size, const char* name);

    int32_t GetGroupCount() const { return int32_t(m_groups.size()); }
    const StageGroup* GetGroup(int32_t group) const;
    const StageEntry* GetEntry(int32_t group, int32_t entry) const;
    const StageValue* GetValue(int32_t group, int32_t entry, int32_t value) const;

    uint8_t GetByte(int32_t group, int32_t entry, int32_t value) const;
    uint16_t GetWord(int32_t group, int32_t entry, int32_t value) const;
    uint32_t GetDword(int32_t group, int32_t entry, int32_t value) const;
    // StageNumberOf the value.
    uint32_t GetNumber(int32_t group, int32_t entry, int32_t value) const;
    // Null when the value is not a text.
    const char* GetText(int32_t group, int32_t entry, int32_t value) const;
    const CStageTable* GetTable(int32_t group, int32_t entry, int32_t value) const;
    // (0, 0) when the value is not a point.
    void GetPoint(int32_t group, int32_t entry, int32_t value, int32_t* x, int32_t* y) const;
    // Copies the value's animation reference whatever its type; an index
    // outside sets only the first word, to STAGE_NONE.
    void GetAniRef(uint16_t* first, uint16_t* second, uint8_t* flag, int32_t group, int32_t entry,
                   int32_t value) const;
    // The value count of the group's first entry; 0 for a group outside or without entries.
    int32_t GetRecordCount(int32_t group) const;
    // The area with the id in the first entry of the last area group; null when
    // there is none, or the id is not below that entry's area count.
    const StageArea* FindArea(uint16_t id) const;

private:
    std::vector<StageGroup> m_groups;
};

// Builds the path of a stage file ("%s\%4d.Z5F" in the field-script folder, or
// "%s\%4d.VSE" in the visual-event folder with the event flag).
std::string StageFilePath(int32_t stageNumber, bool eventStage);
// Opens the stage file of the number and reads it into the stage data. False,
// after the text-table message (17, 1) with the path, when the file cannot be
// opened.
bool LoadStageFile(CStageData& stage, int32_t stageNumber, bool eventStage);
// How reading a whole data file went.
enum class MapDataRead { Missing, Refused, Read };
// Reads a whole data file (pack first, then the disk) without the file
// layer's retry box. Missing when there is none; Refused (after the read-
// error box, out empty) when it does not read or holds more than maxBytes.
MapDataRead ReadMapDataFile(const std::string& path, std::vector<uint8_t>& out,
                            uint32_t maxBytes = UINT32_MAX);
