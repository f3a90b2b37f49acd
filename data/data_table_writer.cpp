#include "data/data_table_writer.h"

int ColumnPlan::CellArity() const {
    switch (type) {
        case kColInt:
        case kColByte:
        case kColIntW:
        case kColDword:
            return 1;
        case kColRef:
            return param != 0 ? 1 : 1 + (kind == 1 || kind == 3) + (kind == 2 || kind == 3);
        case kColPair:
            return 2;
        case kColBytes3:
        case kColTriple:
            return 3;
        case kColList:
            return param;
        default:
            return 0;
    }
}

int ColumnPlan::ElementWidth() const {
    switch (type) {
        case kColInt:
        case kColPair:
        case kColTriple:
            return SizeCodeWidth(param);
        case kColByte:
        case kColBytes3:
            return 1;
        case kColIntW:
            return param == 1 || param == 2 || param == 4 ? param : 0;
        case kColDword:
        case kColList:
            return 4;
        case kColRef:
            return 2;  // the third value of a reference is one byte
        default:
            return 0;
    }
}

namespace {

class TableWriter {
public:
    explicit TableWriter(std::string* error) : m_error(error) {}
    std::vector<uint8_t> out;

    void Put(uint64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(v >> (8 * i)));
    }

    bool Fail(const std::string& message) {
        if (m_error && m_error->empty()) *m_error = message;
        return false;
    }

    bool Value(int64_t v, int bytes, const std::string& where) {
        int64_t lo = -(int64_t(1) << (8 * bytes - 1)), hi = (int64_t(1) << (8 * bytes)) - 1;
        if (v < lo || v > hi)
            return Fail(where + ": value " + std::to_string(v) + " does not fit " +
                        std::to_string(8 * bytes) + " bits");
        Put(uint64_t(v), bytes);
        return true;
    }

    bool Table(const TablePlan& t) {
        Put(t.columns.size(), 4);
        Put(t.rows, 4);
        // A table without rows (or columns) is empty: readers stop after its counts.
        if (t.rows == 0 || t.columns.empty()) return true;
        for (size_t i = 0; i < t.columns.size(); ++i)
            if (!Column(t.columns[i], t.rows, "column " + std::to_string(i))) return false;
        return true;
    }

    bool Column(const ColumnPlan& c, uint32_t rows, const std::string& where) {
        Put(c.type, 1);
        switch (c.type) {
            case kColText:
            case kColSkip: {
                Put(c.width, 2);
                if (c.type == kColSkip && c.texts.empty()) {
                    out.insert(out.end(), size_t(rows) * c.width, 0);
                    return true;
                }
                if (c.texts.size() != rows)
                    return Fail(where + ": expected " + std::to_string(rows) + " texts");
                for (const std::string& s : c.texts) {
                    bool fits = c.type == kColText ? s.size() < c.width || (s.empty() && c.width == 0)
                                                   : s.size() <= c.width;
                    if (!fits)
                        return Fail(where + ": \"" + s + "\" does not fit width " + std::to_string(c.width));
                    out.insert(out.end(), s.begin(), s.end());
                    out.insert(out.end(), c.width - s.size(), 0);
                }
                return true;
            }
            case kColTable:
                if (c.tables.size() != rows)
                    return Fail(where + ": expected " + std::to_string(rows) + " tables");
                for (const TablePlan& t : c.tables)
                    if (!Table(t)) return false;
                return true;
            case kColRef:
                Put(c.param, 1);
                if (c.param == 0) Put(c.kind, 1);
                break;
            case kColInt:
            case kColIntW:
            case kColPair:
            case kColTriple:
            case kColList:
                Put(c.param, 1);
                break;
            case kColByte:
            case kColDword:
            case kColBytes3:
                break;
            default:
                return true;  // an unknown type: its byte alone
        }
        int width = c.ElementWidth(), arity = c.CellArity();
        if (width == 0 || arity == 0) {
            for (const auto& cell : c.values)
                if (!cell.empty()) return Fail(where + ": this column holds no data");
            return true;
        }
        if (c.values.size() != rows) return Fail(where + ": expected " + std::to_string(rows) + " values");
        for (size_t r = 0; r < rows; ++r) {
            const std::vector<int64_t>& cell = c.values[r];
            if (cell.size() != size_t(arity))
                return Fail(where + " row " + std::to_string(r) + ": expected " + std::to_string(arity) +
                            " numbers");
            for (int i = 0; i < arity; ++i) {
                int bytes =
                    c.type == kColRef && i == arity - 1 && (c.kind == 2 || c.kind == 3) && c.param == 0
                        ? 1
                        : width;
                if (!Value(cell[size_t(i)], bytes, where + " row " + std::to_string(r))) return false;
            }
        }
        return true;
    }

private:
    std::string* m_error;
};

}  // namespace

std::vector<uint8_t> WriteDataTable(const TablePlan& layout, std::string* error) {
    if (error) error->clear();
    TableWriter w(error);
    if (!w.Table(layout)) return {};
    return std::move(w.out);
}
