#include "data/data_table_text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

#include "platform/paths.h"

namespace {

const char* const kTypeNames[] = {"int", "text", "byte", "table",  "intw",   "dword",
                                  "ref", "pair", "skip", "bytes3", "triple", "list"};

struct Token {
    enum Kind { kWord, kText, kOpen, kClose, kEnd } kind = kEnd;
    std::string text;
    int line = 0;
};

class Parser {
public:
    Parser(std::string_view src, std::string* error) : m_src(src), m_error(error) { Next(); }

    // Goes on reading another text, keeping what the tables were given.
    void Restart(std::string_view src, std::string* error) {
        m_src = src;
        m_error = error;
        m_pos = 0;
        m_line = 1;
        m_badText = false;
        Next();
    }

    bool ParseFile(TablePlan& layout) {
        if (!ParseTable(layout, 0)) return false;
        if (m_tok.kind != Token::kEnd) return Fail("text after the table");
        return true;
    }

    // A part of the top table's rows kept in a file of its own: "row N ..." lines.
    bool ParseRows(TablePlan& layout) {
        if (!m_given.count(&layout)) return Fail("the table takes no rows from other files");
        while (IsWord("row"))
            if (!ParseRow(layout)) return false;
        if (m_tok.kind != Token::kEnd) return Fail("expected 'row', found '" + m_tok.text + "'");
        return Settle(layout);
    }

    // Fills the rows no column list or row line gave with empty cells and
    // sets the row count of an "auto" table.
    bool Settle(TablePlan& layout) {
        auto it = m_given.find(&layout);
        if (it == m_given.end() || !(it->second.autoCount || it->second.rowLines)) return true;
        std::vector<bool>& given = it->second.rows;
        if (it->second.autoCount) layout.rows = uint32_t(given.size());
        if (given.size() > layout.rows)
            return Fail("row " + std::to_string(given.size() - 1) + " past the row count");
        for (ColumnPlan& c : layout.columns) {
            if (c.type == kColTable) {
                c.tables.resize(layout.rows);
            } else if (c.type == kColText || c.type == kColSkip) {
                c.texts.resize(layout.rows);
            } else if (c.ElementWidth() > 0 && c.CellArity() > 0) {
                for (auto& cell : c.values)
                    if (cell.empty()) cell.assign(size_t(c.CellArity()), 0);
                c.values.resize(layout.rows, std::vector<int64_t>(size_t(c.CellArity()), 0));
            }
        }
        return true;
    }

private:
    bool Fail(const std::string& message) {
        if (m_error && m_error->empty()) *m_error = "line " + std::to_string(m_tok.line) + ": " + message;
        return false;
    }

    void Next() {
        for (;;) {
            while (m_pos < m_src.size() && std::strchr(" \t\r\n", m_src[m_pos])) {
                if (m_src[m_pos] == '\n') ++m_line;
                ++m_pos;
            }
            if (m_pos < m_src.size() && m_src[m_pos] == '#') {
                while (m_pos < m_src.size() && m_src[m_pos] != '\n') ++m_pos;
                continue;
            }
            break;
        }
        m_tok = Token{};
        m_tok.line = m_line;
        if (m_pos >= m_src.size()) return;
        char c = m_src[m_pos];
        if (c == '(' || c == ')') {
            m_tok.kind = c == '(' ? Token::kOpen : Token::kClose;
            ++m_pos;
            return;
        }
        if (c == '"') {
            m_tok.kind = Token::kText;
            ++m_pos;
            while (m_pos < m_src.size() && m_src[m_pos] != '"') {
                char ch = m_src[m_pos++];
                if (ch == '\n') ++m_line;
                if (ch != '\\' || m_pos >= m_src.size()) {
                    m_tok.text += ch;
                    continue;
                }
                char e = m_src[m_pos++];
                switch (e) {
                    case 'n':
                        m_tok.text += '\n';
                        break;
                    case 't':
                        m_tok.text += '\t';
                        break;
                    case 'r':
                        m_tok.text += '\r';
                        break;
                    case '0':
                        m_tok.text += '\0';
                        break;
                    case 'x': {
                        int v = 0, n = 0;
                        while (n < 2 && m_pos < m_src.size() && std::isxdigit(uint8_t(m_src[m_pos]))) {
                            char h = m_src[m_pos++];
                            v = v * 16 + (h <= '9' ? h - '0' : (h | 0x20) - 'a' + 10);
                            ++n;
                        }
                        if (n == 0) m_badText = true;
                        m_tok.text += char(v);
                        break;
                    }
                    default:
                        m_tok.text += e;
                        break;
                }
            }
            if (m_pos >= m_src.size()) m_badText = true;
            ++m_pos;
            return;
        }
        m_tok.kind = Token::kWord;
        while (m_pos < m_src.size() && !std::strchr(" \t\r\n()\"#", m_src[m_pos]))
            m_tok.text += m_src[m_pos++];
    }

    bool IsWord(const char* w) const { return m_tok.kind == Token::kWord && m_tok.text == w; }

    bool Number(const std::string& s, int64_t& v) {
        if (s.empty()) return false;
        const char* p = s.c_str();
        bool neg = *p == '-';
        if (neg || *p == '+') ++p;
        int base = p[0] == '0' && (p[1] == 'x' || p[1] == 'X') ? 16 : 10;
        if (base == 16) p += 2;
        if (!*p) return false;
        char* end = nullptr;
        errno = 0;
        unsigned long long u = std::strtoull(p, &end, base);
        if (*end || errno || u > (1ull << 40)) return false;
        v = neg ? -int64_t(u) : int64_t(u);
        return true;
    }

    bool NumberToken(int64_t& v) {
        if (m_tok.kind != Token::kWord || !Number(m_tok.text, v))
            return Fail("expected a number, found '" + m_tok.text + "'");
        Next();
        return true;
    }

    bool ParseTable(TablePlan& layout, int depth) {
        if (depth > CDataTable::kMaxDepth) return Fail("tables nested too deep");
        if (!IsWord("table")) return Fail("expected 'table'");
        Next();
        int64_t rows = 0;
        bool autoCount = depth == 0 && IsWord("auto");
        if (autoCount)
            Next();
        else if (!NumberToken(rows))
            return false;
        if (rows < 0 || rows > kMaxRows) return Fail("bad row count");
        layout.rows = uint32_t(rows);
        while (IsWord("column")) {
            Next();
            ColumnPlan c;
            if (!ParseColumn(c, layout.rows, depth)) return false;
            layout.columns.push_back(std::move(c));
        }
        if (depth == 0) {
            // The rows the column lists gave, then "row N ..." lines.
            Given& g = m_given[&layout];
            g.autoCount = autoCount;
            size_t listed = 0;
            for (const ColumnPlan& c : layout.columns)
                listed = std::max(listed, c.type == kColTable                        ? c.tables.size()
                                          : c.type == kColText || c.type == kColSkip ? c.texts.size()
                                                                                     : c.values.size());
            g.rows.assign(std::max<size_t>(listed, autoCount ? 0 : layout.rows), false);
            std::fill(g.rows.begin(), g.rows.begin() + std::ptrdiff_t(listed), true);
            while (IsWord("row"))
                if (!ParseRow(layout)) return false;
        }
        if (!IsWord("end")) return Fail("expected 'column', 'row' or 'end', found '" + m_tok.text + "'");
        Next();
        return depth != 0 || Settle(layout);
    }

    // "row N" and one cell for each column, in column order.
    bool ParseRow(TablePlan& layout) {
        Next();
        int64_t index = 0;
        if (!NumberToken(index)) return false;
        if (index < 0 || index >= kMaxRows) return Fail("bad row number");
        Given& g = m_given[&layout];
        if (!g.autoCount && uint64_t(index) >= layout.rows)
            return Fail("row " + std::to_string(index) + " past the row count");
        const size_t r = size_t(index);
        if (r < g.rows.size() && g.rows[r]) return Fail("row " + std::to_string(index) + " given twice");
        if (r >= g.rows.size()) g.rows.resize(r + 1, false);
        g.rows[r] = true;
        g.rowLines = true;
        for (ColumnPlan& c : layout.columns) {
            if (c.type == kColTable) {
                if (c.tables.size() <= r) c.tables.resize(r + 1);
                c.tables[r] = TablePlan{};
                if (!ParseTable(c.tables[r], 1)) return false;
            } else if (c.type == kColText || c.type == kColSkip) {
                if (m_tok.kind != Token::kText || m_badText)
                    return Fail("expected a text for row " + std::to_string(index));
                if (c.texts.size() <= r) c.texts.resize(r + 1);
                c.texts[r] = m_tok.text;
                Next();
            } else if (c.ElementWidth() > 0 && c.CellArity() > 0) {
                std::vector<int64_t> cell;
                if (!ParseCell(c.CellArity(), cell)) return false;
                if (c.values.size() <= r) c.values.resize(r + 1);
                c.values[r] = std::move(cell);
            }
        }
        return true;
    }

    // One number, or "(a b ...)" for a cell of several.
    bool ParseCell(int arity, std::vector<int64_t>& cell) {
        if (m_tok.kind == Token::kOpen) {
            Next();
            while (m_tok.kind == Token::kWord) {
                int64_t v = 0;
                if (!NumberToken(v)) return false;
                cell.push_back(v);
            }
            if (m_tok.kind != Token::kClose) return Fail("expected ')'");
            Next();
            return true;
        }
        if (arity != 1) return Fail("expected '('");
        int64_t v = 0;
        if (!NumberToken(v)) return false;
        cell.push_back(v);
        return true;
    }

    bool ParseColumn(ColumnPlan& c, uint32_t rows, int depth) {
        if (m_tok.kind != Token::kWord) return Fail("expected a column type");
        int64_t type = -1;
        for (int i = 0; i <= kMaxColumnType; ++i)
            if (m_tok.text == kTypeNames[i]) type = i;
        if (type < 0 && (!Number(m_tok.text, type) || type < 0 || type > 255))
            return Fail("unknown column type '" + m_tok.text + "'");
        c.type = uint8_t(type);
        c.param = c.type == kColRef ? 1 : 4;
        Next();
        while (m_tok.kind == Token::kWord && m_tok.text.find('=') != std::string::npos) {
            std::string key = m_tok.text.substr(0, m_tok.text.find('='));
            int64_t v = 0;
            if (!Number(m_tok.text.substr(key.size() + 1), v) || v < 0)
                return Fail("bad value in '" + m_tok.text + "'");
            if ((key == "code" || key == "flag" || key == "k" || (key == "width" && c.type == kColIntW)) &&
                v <= 255)
                c.param = uint8_t(v);
            else if (key == "kind" && v <= 255)
                c.kind = uint8_t(v);
            else if (key == "width" && v <= 65535)
                c.width = uint16_t(v);
            else
                return Fail("unknown or out-of-range setting '" + m_tok.text + "'");
            Next();
        }
        if (c.type == kColTable) {
            while (IsWord("table")) {
                c.tables.emplace_back();
                if (!ParseTable(c.tables.back(), depth + 1)) return false;
            }
            return true;
        }
        if (c.type == kColText || c.type == kColSkip) {
            while (m_tok.kind == Token::kText) {
                if (m_badText) return Fail("bad text");
                c.texts.push_back(m_tok.text);
                Next();
            }
            return true;
        }
        int arity = c.CellArity();
        while (m_tok.kind == Token::kOpen || (m_tok.kind == Token::kWord && !IsWord("column") &&
                                              !IsWord("end") && !IsWord("row") && arity == 1)) {
            std::vector<int64_t> cell;
            if (!ParseCell(arity, cell)) return false;
            c.values.push_back(std::move(cell));
        }
        (void)rows;
        return true;
    }

    static constexpr int64_t kMaxRows = 1000000;
    struct Given {
        bool autoCount = false;
        bool rowLines = false;   // any "row" line: rows nothing gives are empty
        std::vector<bool> rows;  // the rows given so far
    };

    std::string_view m_src;
    std::string* m_error;
    std::map<const TablePlan*, Given> m_given;
    size_t m_pos = 0;
    int m_line = 1;
    bool m_badText = false;
    Token m_tok;
};

std::string Quote(const char* s, size_t n) {
    std::string out = "\"";
    for (size_t i = 0; i < n; ++i) {
        uint8_t c = uint8_t(s[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c >= 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

// "(a b c)"
std::string Tuple(const std::vector<uint32_t>& values) {
    std::string out(1, '(');
    for (size_t i = 0; i < values.size(); ++i) {
        if (i) out += ' ';
        out += std::to_string(values[i]);
    }
    out += ')';
    return out;
}

void DumpTable(const CDataTable& t, int indent, std::string& out) {
    std::string pad(size_t(indent), ' ');
    out += pad + "table " + std::to_string(t.GetRowCount()) + "\n";
    for (int col = 0; col < t.GetColumnCount(); ++col) {
        const CDataColumn* c = t.GetColumn(col);
        out += pad + "  column ";
        out += c->m_type <= kMaxColumnType ? kTypeNames[c->m_type] : std::to_string(c->m_type);
        switch (c->m_type) {
            case kColInt:
            case kColPair:
            case kColTriple:
                out += " code=" + std::to_string(c->m_sizeCode);
                break;
            case kColText:
            case kColSkip:
                out += " width=" + std::to_string(c->m_textWidth);
                break;
            case kColIntW:
                out += " width=" + std::to_string(c->m_elementWidth);
                break;
            case kColRef:
                out += " flag=" + std::to_string(c->m_refFlag);
                if (c->m_refFlag == 0) out += " kind=" + std::to_string(c->m_refKind);
                break;
            case kColList:
                out += " k=" + std::to_string(c->m_listLength);
                break;
            default:
                break;
        }
        out += "\n";
        // A column without data (a size code or width that stores nothing, a
        // skipped column) has nothing to show however many rows it claims.
        bool hasCells =
            c->m_type == kColTable || c->m_type == kColRef || c->m_type == kColBytes3 ||
            (c->m_type == kColText && c->m_textWidth > 0) ||
            (c->m_type == kColList ? c->m_listLength > 0 : c->m_type != kColText && c->IntWidth() > 0);
        if (!hasCells) continue;
        std::string line;
        auto flush = [&] {
            if (!line.empty()) out += pad + "   " + line + "\n";
            line.clear();
        };
        for (int r = 0; r < t.GetRowCount(); ++r) {
            std::string cell;
            switch (c->m_type) {
                case kColInt:
                case kColByte:
                case kColIntW:
                case kColDword:
                    if (c->IntWidth()) cell = std::to_string(t.GetInt(col, r));
                    break;
                case kColText:
                    if (c->m_textWidth) {
                        const char* s = t.GetCell(col, r);
                        cell = Quote(s, std::strlen(s));
                    }
                    break;
                case kColTable:
                    flush();
                    DumpTable(*t.GetNested(col, r), indent + 4, out);
                    break;
                case kColRef: {
                    uint16_t a = 0, b = 0;
                    uint8_t d = 0;
                    t.GetRef(col, r, &a, &b, &d);
                    std::vector<uint32_t> values = {a};
                    if (!c->m_refSecond.empty()) values.push_back(b);
                    if (!c->m_refThird.empty()) values.push_back(d);
                    cell = Tuple(values);
                    break;
                }
                case kColBytes3: {
                    const uint8_t* b = t.GetBytes3(col, r);
                    cell = Tuple({b[0], b[1], b[2]});
                    break;
                }
                case kColPair:
                case kColTriple:
                case kColList: {
                    int n = c->m_type == kColList ? c->m_listLength : c->TupleSize();
                    if (c->IntWidth() == 0 || n == 0) break;
                    std::vector<uint32_t> values;
                    for (int i = 0; i < n; ++i) values.push_back(t.GetTupleInt(col, r, i));
                    cell = Tuple(values);
                    break;
                }
                default:
                    break;
            }
            if (cell.empty()) continue;
            if (!line.empty() && line.size() + cell.size() > 100) flush();
            line += ' ';
            line += cell;
        }
        flush();
    }
    out += pad + "end\n";
}

}  // namespace

bool ParseTableText(std::string_view text, TablePlan& layout, std::string* error) {
    return ParseTableText(text, {}, layout, error);
}

bool ParseTableText(std::string_view text, const std::vector<TableRowsText>& parts, TablePlan& layout,
                    std::string* error) {
    if (error) error->clear();
    layout = TablePlan{};
    std::string partError;
    Parser p(text, error);
    if (!p.ParseFile(layout)) return false;
    for (const TableRowsText& part : parts) {
        p.Restart(part.text, &partError);
        if (!p.ParseRows(layout)) {
            if (error) *error = part.name + ": " + partError;
            return false;
        }
    }
    return true;
}

bool ReadTableSource(const std::string& path, std::vector<TableRowsText>& parts, std::string* error) {
    parts.clear();
    std::string folder = path;
    if (folder.size() > 4 && folder.compare(folder.size() - 4, 4, ".txt") == 0)
        folder.resize(folder.size() - 4);
    folder += ".d";
    if (!plat::DirectoryExists(folder)) return true;
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 5 && name.compare(name.size() - 5, 5, ".rows") == 0) names.push_back(name);
    }
    if (ec) {
        if (error) *error = "cannot list " + folder;
        return false;
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        std::vector<uint8_t> bytes;
        if (!plat::ReadWholeFile(folder + "/" + name, bytes)) {
            if (error) *error = "cannot read " + folder + "/" + name;
            return false;
        }
        parts.push_back({folder + "/" + name, std::string(bytes.begin(), bytes.end())});
    }
    return true;
}

std::string DumpTableText(const CDataTable& table) {
    std::string out;
    DumpTable(table, 0, out);
    return out;
}
