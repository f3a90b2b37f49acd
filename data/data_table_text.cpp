#include "data/data_table_text.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

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

    bool ParseFile(TablePlan& layout) {
        if (!ParseTable(layout, 0)) return false;
        if (m_tok.kind != Token::kEnd) return Fail("text after the table");
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
        if (!NumberToken(rows)) return false;
        if (rows < 0 || rows > 1000000) return Fail("bad row count");
        layout.rows = uint32_t(rows);
        while (IsWord("column")) {
            Next();
            ColumnPlan c;
            if (!ParseColumn(c, layout.rows, depth)) return false;
            layout.columns.push_back(std::move(c));
        }
        if (!IsWord("end")) return Fail("expected 'column' or 'end', found '" + m_tok.text + "'");
        Next();
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
        for (;;) {
            std::vector<int64_t> cell;
            if (m_tok.kind == Token::kOpen) {
                Next();
                while (m_tok.kind == Token::kWord) {
                    int64_t v = 0;
                    if (!NumberToken(v)) return false;
                    cell.push_back(v);
                }
                if (m_tok.kind != Token::kClose) return Fail("expected ')'");
                Next();
            } else if (m_tok.kind == Token::kWord && !IsWord("column") && !IsWord("end") && arity == 1) {
                int64_t v = 0;
                if (!NumberToken(v)) return false;
                cell.push_back(v);
            } else {
                break;
            }
            c.values.push_back(std::move(cell));
        }
        (void)rows;
        return true;
    }

    std::string_view m_src;
    std::string* m_error;
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
    if (error) error->clear();
    layout = TablePlan{};
    Parser p(text, error);
    return p.ParseFile(layout);
}

std::string DumpTableText(const CDataTable& table) {
    std::string out;
    DumpTable(table, 0, out);
    return out;
}
