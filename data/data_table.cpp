#include "data/data_table.h"

#include <bit>
#include <cstring>
#include <new>

#include "core/util.h"
#include "data/data_boxes.h"
#include "data/file_resource.h"
#include "data/file_source.h"
#include "data/pack_archive.h"
#include "data/text_format.h"
#include "data/text_tables.h"
#include "platform/codepage.h"

static_assert(std::endian::native == std::endian::little, "table arrays are read in place");

namespace {

std::string& DatabaseFolder() {
    static std::string folder = ".\\DATABASE";
    return folder;
}

// A text cell that fills its whole width is cut so that it ends inside it,
// between characters.
void TerminateCell(char* cell, size_t width) {
    if (std::memchr(cell, 0, width)) return;
    cell[plat::DbcsPrefixLength(std::string_view(cell, width), width - 1)] = '\0';
}

}  // namespace

void SetDatabaseFolder(const std::string& folder) {
    DatabaseFolder() = folder;
}
const std::string& GetDatabaseFolder() {
    return DatabaseFolder();
}

std::string DataFilePath(int fileNumber) {
    char number[16];
    std::snprintf(number, sizeof number, "%4d", fileNumber);
    SpacesToZeros(number);
    return DatabaseFolder() + "\\" + number + ".Z5D";
}

int CDataColumn::IntWidth() const {
    switch (m_type) {
        case kColInt:
        case kColPair:
        case kColTriple:
            return SizeCodeWidth(m_sizeCode);
        case kColByte:
            return 1;
        case kColIntW:
            return m_elementWidth == 1 || m_elementWidth == 2 || m_elementWidth == 4 ? m_elementWidth : 0;
        case kColDword:
        case kColList:
            return 4;
        default:
            return 0;
    }
}

// Reads tables front to back, checking every count against the bytes left.
class DataTableReader {
public:
    enum Result { kOk, kEmpty, kError };

    // Reads go to the file as asked, so a short stream read shows its box.
    explicit DataTableReader(CFileResource& file) : m_src(file, true) {}

    Result Read(CDataTable& table, int depth) {
        table.Clear();
        uint8_t counts[8];
        if (depth > CDataTable::kMaxDepth || !m_src.ReadExact(counts, sizeof counts)) return kError;
        const int32_t columns = int32_t(LoadU32Le(counts)), rows = int32_t(LoadU32Le(counts + 4));
        if (columns < 1 || rows < 1) return kEmpty;
        if (!m_src.FitsCount(uint64_t(columns), 1)) return kError;  // a type byte each at least
        std::unique_ptr<CDataColumn[]> records(new (std::nothrow) CDataColumn[size_t(columns)]);
        if (!records) {
            databox::Ok(GetTableText(15, 0), "");
            return kError;
        }
        for (int32_t c = 0; c < columns; ++c)
            if (!ReadColumn(records[size_t(c)], uint32_t(rows), depth)) return kError;
        table.m_columns = std::move(records);
        table.m_columnCount = columns;
        table.m_rowCount = rows;
        int64_t cells = int64_t(columns) * rows;
        table.m_cellCount = cells > INT32_MAX ? INT32_MAX : int32_t(cells);
        return kOk;
    }

private:
    template <class T>
    bool Array(std::vector<T>& out, uint64_t count) {
        if (count == 0) return true;
        if (!m_src.FitsCount(count, sizeof(T))) return false;
        out.resize(size_t(count));
        return m_src.ReadExact(out.data(), size_t(count) * sizeof(T));
    }

    bool Integers(CDataColumn& c, int width, uint64_t count) {
        switch (width) {
            case 1:
                return Array(c.m_values8, count);
            case 2:
                return Array(c.m_values16, count);
            case 4:
                return Array(c.m_values32, count);
            default:
                return true;  // no data
        }
    }

    bool ReadColumn(CDataColumn& c, uint32_t rows, int depth) {
        uint8_t type = 0;
        if (!m_src.ReadU8(type) || type > kMaxColumnType) return false;
        c.m_type = type;
        c.m_rowCount = rows;
        uint8_t b = 0;
        uint16_t w = 0;
        switch (type) {
            case kColInt:
            case kColPair:
            case kColTriple:
                if (!m_src.ReadU8(b)) return false;
                c.m_sizeCode = b;
                return Integers(c, SizeCodeWidth(b), uint64_t(rows) * c.TupleSize());
            case kColText: {
                if (!m_src.ReadU16(w)) return false;
                c.m_textWidth = w;
                if (!Array(c.m_texts, uint64_t(rows) * w)) return false;
                for (uint64_t r = 0; w && r < rows; ++r) TerminateCell(&c.m_texts[size_t(r * w)], w);
                return true;
            }
            case kColByte:
                return Array(c.m_values8, rows);
            case kColTable: {
                if (!m_src.FitsCount(rows, 8)) return false;  // two counts each at least
                c.m_tables.reset(new (std::nothrow) CDataTable[rows]);
                if (!c.m_tables) return false;
                for (uint32_t r = 0; r < rows; ++r)
                    if (Read(c.m_tables[r], depth + 1) == kError) return false;
                return true;
            }
            case kColIntW:
                if (!m_src.ReadU8(b)) return false;
                c.m_elementWidth = b;
                return Integers(c, c.IntWidth(), rows);
            case kColDword:
                return Array(c.m_values32, rows);
            case kColRef:
                return ReadRefs(c, rows);
            case kColSkip:
                if (!m_src.ReadU16(w)) return false;
                c.m_textWidth = w;  // kept for dumps only: the bytes are not
                return m_src.Skip(uint64_t(rows) * w);
            case kColBytes3:
                return Array(c.m_bytes3, uint64_t(rows) * 3);
            case kColList:
                if (!m_src.ReadU8(b)) return false;
                c.m_listLength = b;
                return Array(c.m_list, uint64_t(rows) * b);
        }
        return false;
    }

    bool ReadRefs(CDataColumn& c, uint32_t rows) {
        if (!m_src.ReadU8(c.m_refFlag)) return false;
        if (c.m_refFlag == 0 && !m_src.ReadU8(c.m_refKind)) return false;
        bool second = c.m_refFlag == 0 && (c.m_refKind == 1 || c.m_refKind == 3);
        bool third = c.m_refFlag == 0 && (c.m_refKind == 2 || c.m_refKind == 3);
        size_t rowBytes = 2 + (second ? 2 : 0) + (third ? 1 : 0);
        std::vector<uint8_t> block;
        if (!Array(block, uint64_t(rows) * rowBytes)) return false;
        c.m_refFirst.resize(rows);
        if (second) c.m_refSecond.resize(rows);
        if (third) c.m_refThird.resize(rows);
        const uint8_t* p = block.data();
        for (uint32_t r = 0; r < rows; ++r) {
            c.m_refFirst[r] = LoadU16Le(p);
            p += 2;
            if (second) {
                c.m_refSecond[r] = LoadU16Le(p);
                p += 2;
            }
            if (third) c.m_refThird[r] = *p++;
        }
        return true;
    }

    CFileSource m_src;
};

CDataTable::CDataTable() {
    CDataTable::Create();
}

CDataTable::~CDataTable() {
    CDataTable::Release();
}

bool CDataTable::Create() {
    m_cellCount = m_columnCount = m_rowCount = 0;
    m_columns.reset();
    return true;
}

bool CDataTable::Release() {
    Clear();
    return true;
}

void CDataTable::Clear() {
    m_columns.reset();
    m_cellCount = m_columnCount = m_rowCount = 0;
}

bool CDataTable::ReadTableBinary(CFileResource& file) {
    DataTableReader reader(file);
    if (reader.Read(*this, 0) == DataTableReader::kOk) return true;
    Clear();
    return false;
}

bool CDataTable::LoadDataTable(int fileNumber) {
    std::string path = DataFilePath(fileNumber);
    CFileResource file;
    if (!file.OpenFile(path.c_str(), kFileStream, "rb", g_bUsePackFile, g_pPackFile)) {
        databox::Error(FormatTableText(GetTableText(15, 1), {path}));
        return false;
    }
    ReadTableBinary(file);
    file.CloseFile();
    return true;
}

CDataColumn* CDataTable::GetColumn(int column) const {
    if (!m_columns || column < 0 || column >= m_columnCount) return nullptr;
    return &m_columns[size_t(column)];
}

namespace {

const CDataColumn* ColumnAt(const CDataTable& t, int column, int row) {
    const CDataColumn* c = t.GetColumn(column);
    if (!c || row < 0 || row >= t.GetRowCount() || uint32_t(row) >= c->m_rowCount) return nullptr;
    return c;
}

uint32_t IntegerAt(const CDataColumn& c, size_t index, int width) {
    switch (width) {
        case 1:
            return index < c.m_values8.size() ? c.m_values8[index] : 0;
        case 2:
            return index < c.m_values16.size() ? c.m_values16[index] : 0;
        case 4:
            return index < c.m_values32.size() ? c.m_values32[index] : 0;
        default:
            return 0;
    }
}

int32_t SignExtend(uint32_t v, int width) {
    if (width == 1) return int8_t(v);
    if (width == 2) return int16_t(v);
    return int32_t(v);
}

}  // namespace

const char* CDataTable::GetCell(int column, int row) const {
    const CDataColumn* c = ColumnAt(*this, column, row);
    if (!c || c->m_type != kColText || c->m_textWidth == 0) return nullptr;
    size_t at = size_t(row) * c->m_textWidth;
    return at + c->m_textWidth <= c->m_texts.size() ? &c->m_texts[at] : nullptr;
}

uint32_t CDataTable::GetInt(int column, int row) const {
    const CDataColumn* c = ColumnAt(*this, column, row);
    if (!c) return 0;
    switch (c->m_type) {
        case kColInt:
        case kColByte:
        case kColIntW:
        case kColDword:
            return IntegerAt(*c, size_t(row), c->IntWidth());
        default:
            return 0;
    }
}

int32_t CDataTable::GetSignedInt(int column, int row) const {
    const CDataColumn* c = ColumnAt(*this, column, row);
    return c ? SignExtend(GetInt(column, row), c->IntWidth()) : 0;
}

uint32_t CDataTable::GetTupleInt(int column, int row, int index) const {
    const CDataColumn* c = ColumnAt(*this, column, row);
    if (!c || index < 0) return 0;
    if (c->m_type == kColList) {
        size_t k = c->m_listLength;
        size_t at = size_t(row) * k + size_t(index);
        return size_t(index) < k && at < c->m_list.size() ? c->m_list[at] : 0;
    }
    if (c->m_type != kColPair && c->m_type != kColTriple) return 0;
    int n = c->TupleSize();
    if (index >= n) return 0;
    return IntegerAt(*c, size_t(row) * n + size_t(index), c->IntWidth());
}

int32_t CDataTable::GetSignedTupleInt(int column, int row, int index) const {
    const CDataColumn* c = ColumnAt(*this, column, row);
    return c ? SignExtend(GetTupleInt(column, row, index), c->IntWidth()) : 0;
}

CDataTable* CDataTable::GetNested(int column, int row) const {
    const CDataColumn* c = ColumnAt(*this, column, row);
    return c && c->m_type == kColTable && c->m_tables ? &c->m_tables[size_t(row)] : nullptr;
}

uint16_t GetTableBlockWord(const CDataTable* table, int column, int row) {
    return table ? uint16_t(table->GetInt(column, row)) : 0;
}

uint8_t GetTableByte(const CDataTable* table, int column, int row) {
    return table ? uint8_t(table->GetInt(column, row)) : 0;
}

const CDataTable* GetTableRecord(const CDataTable* table, int column, int row) {
    return table ? table->GetNested(column, row) : nullptr;
}

bool CDataTable::GetRef(int column, int row, uint16_t* first, uint16_t* second, uint8_t* third) const {
    const CDataColumn* c = ColumnAt(*this, column, row);
    bool ok = c && c->m_type == kColRef && size_t(row) < c->m_refFirst.size();
    size_t r = size_t(row);
    if (first) *first = ok ? c->m_refFirst[r] : 0;
    if (second) *second = ok && r < c->m_refSecond.size() ? c->m_refSecond[r] : 0;
    if (third) *third = ok && r < c->m_refThird.size() ? c->m_refThird[r] : 0;
    return ok;
}

const uint8_t* CDataTable::GetBytes3(int column, int row) const {
    const CDataColumn* c = ColumnAt(*this, column, row);
    if (!c || c->m_type != kColBytes3) return nullptr;
    size_t at = size_t(row) * 3;
    return at + 3 <= c->m_bytes3.size() ? &c->m_bytes3[at] : nullptr;
}
