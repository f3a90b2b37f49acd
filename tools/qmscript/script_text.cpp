#include "tools/qmscript/script_text.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// ---- Reading ----

struct Token {
    std::string text;
    bool quoted = false;
};

bool IsPunct(char c) {
    return c == '(' || c == ')' || c == '[' || c == ']' || c == ',';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The tokens of one line; false with the reason for a text left open or a
// bad escape.
bool Tokenise(std::string_view line, std::vector<Token>& out, std::string* why) {
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (IsPunct(c)) {
            out.push_back({std::string(1, c), false});
            ++i;
        } else if (c == '"') {
            Token t{"", true};
            for (++i;; ++i) {
                if (i >= line.size()) {
                    *why = "a text without its closing quote";
                    return false;
                }
                if (line[i] == '"') break;
                if (line[i] != '\\') {
                    t.text += line[i];
                    continue;
                }
                if (++i >= line.size()) continue;  // reported as unclosed
                switch (line[i]) {
                    case 'n':
                        t.text += '\n';
                        break;
                    case 't':
                        t.text += '\t';
                        break;
                    case '"':
                        t.text += '"';
                        break;
                    case '\\':
                        t.text += '\\';
                        break;
                    case 'x': {
                        const int hi = i + 1 < line.size() ? HexDigit(line[i + 1]) : -1;
                        const int lo = i + 2 < line.size() ? HexDigit(line[i + 2]) : -1;
                        if (hi < 0 || lo < 0) {
                            *why = "\\x needs two hex digits";
                            return false;
                        }
                        t.text += char(hi * 16 + lo);
                        i += 2;
                        break;
                    }
                    default:
                        *why = std::string("unknown escape \\") + line[i];
                        return false;
                }
            }
            ++i;
            out.push_back(std::move(t));
        } else {
            const size_t start = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' &&
                   line[i] != '#' && line[i] != '"' && !IsPunct(line[i]))
                ++i;
            out.push_back({std::string(line.substr(start, i - start)), false});
        }
    }
    return true;
}

bool ParseU32(const std::string& s, uint32_t& v) {
    if (s.empty() || s[0] < '0' || s[0] > '9') return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long n = std::strtoull(s.c_str(), &end, 10);
    if (errno || *end || n > UINT32_MAX) return false;
    v = uint32_t(n);
    return true;
}

bool ParseNumber(const std::string& s, double& v) {
    if (s.empty() || s == "-" || s == "+") return false;
    const char c = s[0];
    if (!((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'n' || c == 'i')) return false;
    char* end = nullptr;
    v = std::strtod(s.c_str(), &end);
    return *end == 0;
}

// "vN": the variable N.
bool ParseVariable(const std::string& s, uint32_t& v) {
    return s.size() > 1 && s[0] == 'v' && ParseU32(s.substr(1), v);
}

uint32_t OperatorTag(const std::string& s) {
    for (uint32_t tag = SCRIPT_ITEM_EQ; tag <= SCRIPT_ITEM_MOD; ++tag)
        if (s == ScriptOperatorText(tag)) return tag;
    return UINT32_MAX;
}

// The references a text makes, checked once every block and function is known.
struct References {
    std::vector<std::pair<uint32_t, size_t>> blocks, functions, variables;  // (index, line)
};

class LineParser {
public:
    LineParser(const std::vector<Token>& tokens, size_t line, References& refs)
        : m_tokens(tokens), m_line(line), m_refs(refs) {}

    bool Fail(const std::string& why) {
        if (m_error.empty()) m_error = why;
        return false;
    }
    const std::string& Error() const { return m_error; }
    bool AtEnd() const { return m_pos >= m_tokens.size(); }
    const Token* Peek() const { return AtEnd() ? nullptr : &m_tokens[m_pos]; }
    bool PeekIs(const char* word) const { return Peek() && !Peek()->quoted && Peek()->text == word; }
    bool Expect(const char* word) {
        if (PeekIs(word)) {
            ++m_pos;
            return true;
        }
        return Fail(std::string("expected '") + word + "'" +
                    (Peek() ? ", found '" + Peek()->text + "'" : ""));
    }
    bool Number32(uint32_t& v, const char* what) {
        if (!Peek() || Peek()->quoted || !ParseU32(Peek()->text, v))
            return Fail(std::string("expected ") + what);
        ++m_pos;
        return true;
    }
    bool Variable(uint32_t& v) {
        if (!Peek() || Peek()->quoted || !ParseVariable(Peek()->text, v))
            return Fail("expected a variable vN");
        ++m_pos;
        m_refs.variables.push_back({v, m_line});
        return true;
    }
    bool Block(uint32_t& b) {
        if (!Number32(b, "a block number")) return false;
        m_refs.blocks.push_back({b, m_line});
        return true;
    }

    // An expression up to one of the stop words (not taken) or the line's end.
    bool Expression(CScriptExpr& expr, const std::vector<std::string>& stops, int depth) {
        if (depth > SCRIPT_MAX_NESTING) return Fail("expressions nested too deeply");
        while (!AtEnd()) {
            const Token& t = *Peek();
            if (!t.quoted)
                for (const std::string& s : stops)
                    if (t.text == s) return true;
            ScriptItem item;
            if (!Item(item, depth)) return false;
            expr.m_items.push_back(std::move(item));
        }
        return true;
    }

    bool Arguments(ScriptCall& call, int depth) {
        if (!Expect("(")) return false;
        if (PeekIs(")")) {
            ++m_pos;
            return true;
        }
        for (;;) {
            call.args.emplace_back();
            if (!Expression(call.args.back(), {",", ")"}, depth + 1)) return false;
            if (call.args.back().m_items.empty()) return Fail("an empty argument");
            if (PeekIs(")")) {
                ++m_pos;
                return true;
            }
            if (!Expect(",")) return false;
        }
    }

    bool Item(ScriptItem& item, int depth) {
        const Token t = m_tokens[m_pos++];
        double number = 0;
        uint32_t v = 0;
        if (t.quoted) {
            item.tag = SCRIPT_ITEM_TEXT;
            item.text = t.text;
        } else if (const uint32_t op = OperatorTag(t.text); op != UINT32_MAX) {
            item.tag = op;
        } else if (ParseNumber(t.text, number)) {
            item.tag = SCRIPT_ITEM_NUMBER;
            item.number = number;
        } else if (ParseVariable(t.text, v)) {
            item.tag = SCRIPT_ITEM_VARIABLE;
            item.variable = v;
            m_refs.variables.push_back({v, m_line});
            if (PeekIs("[")) {
                ++m_pos;
                item.indexed = true;
                item.inner = std::make_unique<CScriptExpr>();
                if (!Expression(*item.inner, {"]"}, depth + 1) || !Expect("]")) return false;
            }
        } else if (t.text == "(") {
            item.tag = SCRIPT_ITEM_GROUP;
            item.inner = std::make_unique<CScriptExpr>();
            if (!Expression(*item.inner, {")"}, depth + 1) || !Expect(")")) return false;
        } else if (t.text == "native" || t.text == "call" || t.text == "callkind") {
            item.tag = SCRIPT_ITEM_CALL;
            item.call = std::make_unique<ScriptCall>();
            ScriptCall& call = *item.call;
            call.kind = t.text == "native" ? SCRIPT_CALL_NATIVE : SCRIPT_CALL_FUNCTION;
            if (t.text == "callkind" && !Number32(call.kind, "a call kind")) return false;
            if (!Number32(call.index, "a native or function number")) return false;
            if (t.text == "native" && call.index >= SCRIPT_NATIVE_SLOTS)
                return Fail("native ids are 0 to 99");
            if (t.text == "call") m_refs.functions.push_back({call.index, m_line});
            return Arguments(call, depth);
        } else if (t.text == "tag") {
            if (!Number32(item.tag, "a tag")) return false;
            if (item.tag >= SCRIPT_ITEM_VARIABLE && item.tag <= SCRIPT_ITEM_GROUP)
                return Fail("tag " + std::to_string(item.tag) + " carries data: write the item itself");
        } else {
            return Fail("unknown item '" + t.text + "'");
        }
        return true;
    }

    bool Statement(ScriptStatement& st) {
        const std::string word = m_tokens[m_pos++].text;
        if (word == "if" || word == "while") {
            st.op = word == "if" ? SCRIPT_OP_IF : SCRIPT_OP_WHILE;
            return Expression(st.expr, {"block"}, 1) && Expect("block") && Block(st.block);
        }
        if (word == "return" || word == "do") {
            st.op = word == "return" ? SCRIPT_OP_RETURN : SCRIPT_OP_EXPR;
            return Expression(st.expr, {}, 1);
        }
        if (word == "yield" || word == "wait") {
            st.op = word == "yield" ? SCRIPT_OP_YIELD : SCRIPT_OP_WAIT;
            return true;
        }
        if (word == "set") {
            st.op = SCRIPT_OP_ASSIGN;
            if (!Variable(st.variable)) return false;
            if (PeekIs("[")) {
                ++m_pos;
                st.indexed = true;
                if (!Expression(st.index, {"]"}, 1) || !Expect("]")) return false;
            }
            return Expect("=") && Expression(st.expr, {}, 1);
        }
        if (word == "op") {
            if (!Number32(st.op, "an op code")) return false;
            if (st.op <= SCRIPT_OP_WHILE || st.op == SCRIPT_OP_EXPR || st.op == SCRIPT_OP_ASSIGN)
                return Fail("op " + std::to_string(st.op) + " has its own statement");
            return true;
        }
        return Fail("unknown statement '" + word + "'");
    }

    bool Function(ScriptFunction& f) {
        ++m_pos;
        bool body = false;
        while (!AtEnd()) {
            uint32_t v = 0;
            const std::string key = m_tokens[m_pos++].text;
            if (key == "body") {
                if (!Number32(f.body, "a block number")) return false;
                m_refs.blocks.push_back({f.body, m_line});
                body = true;
            } else if (key == "entry" || key == "spare") {
                if (!Number32(v, "a byte") || v > 255) return Fail(key + " takes 0 to 255");
                (key == "entry" ? f.entry : f.spare) = uint8_t(v);
            } else if (key == "params") {
                while (!AtEnd())
                    if (!Variable(f.params.emplace_back())) return false;
            } else {
                return Fail("unknown function key '" + key + "'");
            }
        }
        return body || Fail("a function needs its body");
    }

    bool Header(ScriptFileData& s) {
        ++m_pos;
        while (!AtEnd()) {
            uint32_t v = 0;
            const std::string key = m_tokens[m_pos++].text;
            if (!Number32(v, "a number")) return false;
            if (key == "variables" && v <= SCRIPT_MAX_VARIABLES)
                s.variableCount = v;
            else if (key == "word" && v <= UINT16_MAX)
                s.word = uint16_t(v);
            else if ((key == "remove" || key == "reentrant") && v <= 255)
                (key == "remove" ? s.removeWhenFinished : s.reentrant) = uint8_t(v);
            else
                return Fail("bad script key or value '" + key + " " + std::to_string(v) + "'");
        }
        return true;
    }

    bool Extra(ScriptBlock& b) {
        ++m_pos;
        while (!AtEnd())
            if (!Number32(b.extra.emplace_back(), "a value")) return false;
        return true;
    }

private:
    const std::vector<Token>& m_tokens;
    size_t m_pos = 0;
    size_t m_line;
    References& m_refs;
    std::string m_error;
};

bool Check(const std::vector<std::pair<uint32_t, size_t>>& refs, size_t count, const char* what,
           std::string* error) {
    for (const auto& [index, line] : refs)
        if (index >= count) {
            if (error) *error = "line " + std::to_string(line) + ": no " + what + " " + std::to_string(index);
            return false;
        }
    return true;
}

// ---- Writing ----

std::string NumberText(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

std::string Quoted(const std::string& s) {
    std::string out = "\"";
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20 || u >= 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", unsigned(u));
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

void AppendExpression(std::string& out, const CScriptExpr& expr);

void AppendCall(std::string& out, const ScriptCall& call) {
    if (call.kind == SCRIPT_CALL_NATIVE)
        out += "native " + std::to_string(call.index);
    else if (call.kind == SCRIPT_CALL_FUNCTION)
        out += "call " + std::to_string(call.index);
    else
        out += "callkind " + std::to_string(call.kind) + " " + std::to_string(call.index);
    out += " (";
    for (size_t i = 0; i < call.args.size(); ++i) {
        out += i ? " ," : "";
        AppendExpression(out, call.args[i]);
    }
    out += " )";
}

void AppendExpression(std::string& out, const CScriptExpr& expr) {
    for (const ScriptItem& item : expr.m_items) {
        out += ' ';
        if (const char* op = ScriptOperatorText(item.tag)) {
            out += op;
            continue;
        }
        switch (item.tag) {
            case SCRIPT_ITEM_NUMBER:
                out += NumberText(item.number);
                break;
            case SCRIPT_ITEM_VARIABLE:
                out += "v" + std::to_string(item.variable);
                if (item.indexed) {
                    out += " [";
                    if (item.inner) AppendExpression(out, *item.inner);
                    out += " ]";
                }
                break;
            case SCRIPT_ITEM_TEXT:
                out += Quoted(item.text);
                break;
            case SCRIPT_ITEM_GROUP:
                out += "(";
                if (item.inner) AppendExpression(out, *item.inner);
                out += " )";
                break;
            case SCRIPT_ITEM_CALL:
                if (item.call) AppendCall(out, *item.call);
                break;
            default:
                out += "tag " + std::to_string(item.tag);
                break;
        }
    }
}

std::string StatementText(const ScriptStatement& st) {
    std::string out;
    switch (st.op) {
        case SCRIPT_OP_IF:
        case SCRIPT_OP_WHILE:
            out = st.op == SCRIPT_OP_IF ? "if" : "while";
            AppendExpression(out, st.expr);
            return out + " block " + std::to_string(st.block);
        case SCRIPT_OP_RETURN:
        case SCRIPT_OP_EXPR:
            out = st.op == SCRIPT_OP_RETURN ? "return" : "do";
            AppendExpression(out, st.expr);
            return out;
        case SCRIPT_OP_YIELD:
            return "yield";
        case SCRIPT_OP_WAIT:
            return "wait";
        case SCRIPT_OP_ASSIGN:
            out = "set v" + std::to_string(st.variable);
            if (st.indexed) {
                out += " [";
                AppendExpression(out, st.index);
                out += " ]";
            }
            out += " =";
            AppendExpression(out, st.expr);
            return out;
        default:
            return "op " + std::to_string(st.op);
    }
}

}  // namespace

bool ParseScriptText(std::string_view text, ScriptFileData& out, std::string* error) {
    out = ScriptFileData{};
    References refs;
    bool inBlock = false;
    size_t number = 0;
    auto fail = [&](const std::string& why) {
        if (error) *error = "line " + std::to_string(number) + ": " + why;
        return false;
    };
    while (!text.empty()) {
        ++number;
        const size_t eol = text.find('\n');
        const std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        std::vector<Token> tokens;
        std::string why;
        if (!Tokenise(line, tokens, &why)) return fail(why);
        if (tokens.empty()) continue;
        LineParser p(tokens, number, refs);
        const std::string word = tokens[0].quoted ? std::string() : tokens[0].text;
        bool ok = true;
        if (word == "block" && tokens.size() == 1 && !inBlock) {
            out.blocks.emplace_back();
            inBlock = true;
        } else if (word == "end" && tokens.size() == 1 && inBlock) {
            inBlock = false;
        } else if (inBlock && word == "extra") {
            ok = p.Extra(out.blocks.back());
        } else if (inBlock) {
            ok = p.Statement(out.blocks.back().statements.emplace_back()) &&
                 (p.AtEnd() || p.Fail("more after the statement"));
        } else if (word == "function") {
            ok = p.Function(out.functions.emplace_back());
        } else if (word == "script") {
            ok = p.Header(out);
        } else {
            return fail("expected 'script', 'block' or 'function', found '" + tokens[0].text + "'");
        }
        if (!ok) return fail(p.Error());
    }
    if (inBlock) return fail("a block without its 'end'");
    return Check(refs.blocks, out.blocks.size(), "block", error) &&
           Check(refs.functions, out.functions.size(), "function", error) &&
           Check(refs.variables, out.variableCount, "variable", error);
}

std::string DumpScriptText(const ScriptFileData& s) {
    std::string out = "script variables " + std::to_string(s.variableCount) + " word " +
                      std::to_string(s.word) + " remove " + std::to_string(s.removeWhenFinished) +
                      " reentrant " + std::to_string(s.reentrant) + "\n";
    for (size_t b = 0; b < s.blocks.size(); ++b) {
        out += "block  # " + std::to_string(b) + "\n";
        for (const ScriptStatement& st : s.blocks[b].statements) out += "  " + StatementText(st) + "\n";
        if (!s.blocks[b].extra.empty()) {
            out += "  extra";
            for (uint32_t v : s.blocks[b].extra) out += " " + std::to_string(v);
            out += "\n";
        }
        out += "end\n";
    }
    for (size_t f = 0; f < s.functions.size(); ++f) {
        const ScriptFunction& fn = s.functions[f];
        out += "function body " + std::to_string(fn.body) + " entry " + std::to_string(fn.entry) + " spare " +
               std::to_string(fn.spare);
        if (!fn.params.empty()) {
            out += " params";
            for (uint32_t p : fn.params) out += " v" + std::to_string(p);
        }
        out += "  # " + std::to_string(f) + "\n";
    }
    size_t entry = 0;
    while (entry < s.functions.size() && !s.functions[entry].entry) ++entry;
    out += entry < s.functions.size() ? "# a runner starts at function " + std::to_string(entry) + "\n"
                                      : "# no entry function: a runner never runs\n";
    return out;
}
