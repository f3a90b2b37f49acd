#include "script/script_file.h"

#include <algorithm>
#include <cstring>

#include "core/byte_source.h"

namespace {

// The fewest bytes each record can take, for the counts read before them.
constexpr uint64_t kMinBlock = 8;       // statement count and extra count
constexpr uint64_t kMinStatement = 4;   // op code
constexpr uint64_t kMinFunction = 10;   // entry, parameter count, spare, body
constexpr uint64_t kMinExpression = 4;  // item count
constexpr uint64_t kMinItem = 4;        // tag
// Records are made as they are read, room for this many at first: a record
// takes many times its smallest size in the file, and counts inside counts
// that each claim the rest of the file would otherwise multiply.
constexpr uint32_t kFirstRoom = 16;

// Reads n records into the list, one after another; false at the first
// that fails.
template <class T, class ReadOne>
bool ReadEach(std::vector<T>& list, uint32_t n, ReadOne readOne) {
    list.clear();
    list.reserve(std::min(n, kFirstRoom));
    for (uint32_t i = 0; i < n; ++i)
        if (!readOne(list.emplace_back())) return false;
    return true;
}

class Reader {
public:
    Reader(CByteSource& source, std::string* reason) : m_src(source), m_reason(reason) {}

    bool Fail(const char* why) {
        if (m_reason && m_reason->empty()) *m_reason = why;
        return false;
    }
    bool U32(uint32_t& v, const char* what) { return m_src.ReadU32(v) || Fail(what); }
    bool U8(uint8_t& v, const char* what) { return m_src.ReadU8(v) || Fail(what); }
    bool Count(uint32_t& n, uint64_t each, const char* what) {
        if (!m_src.ReadU32(n)) return Fail(what);
        return m_src.FitsCount(n, each) || Fail(what);
    }

    bool Expression(CScriptExpr& expr, int depth) {
        if (depth > SCRIPT_MAX_NESTING) return Fail("expressions nested too deeply");
        uint32_t n = 0;
        if (!Count(n, kMinItem, "expression item count")) return false;
        return ReadEach(expr.m_items, n, [&](ScriptItem& item) { return Item(item, depth); });
    }

    bool Item(ScriptItem& item, int depth) {
        if (!U32(item.tag, "expression item")) return false;
        switch (item.tag) {
            case SCRIPT_ITEM_VARIABLE: {
                uint8_t indexed = 0;
                if (!U32(item.variable, "variable item") || !U8(indexed, "variable item")) return false;
                item.indexed = indexed != 0;
                if (!item.indexed) return true;
                item.inner = std::make_unique<CScriptExpr>();
                return Expression(*item.inner, depth + 1);
            }
            case SCRIPT_ITEM_CALL:
                item.call = std::make_unique<ScriptCall>();
                return Call(*item.call, depth);
            case SCRIPT_ITEM_NUMBER: {
                uint8_t bytes[8];
                if (!m_src.ReadExact(bytes, sizeof bytes)) return Fail("number item");
                std::memcpy(&item.number, bytes, sizeof bytes);
                return true;
            }
            case SCRIPT_ITEM_TEXT: {
                uint32_t length = 0;
                if (!Count(length, 1, "text item")) return false;
                item.text.resize(length);
                return m_src.ReadExact(item.text.data(), length) || Fail("text item");
            }
            case SCRIPT_ITEM_GROUP:
                item.inner = std::make_unique<CScriptExpr>();
                return Expression(*item.inner, depth + 1);
            default:
                return true;  // operators and unknown tags carry nothing
        }
    }

    bool Call(ScriptCall& call, int depth) {
        uint32_t count = 0;
        if (!U32(call.kind, "call record") || !U32(call.index, "call record") ||
            !Count(count, kMinExpression, "argument count"))
            return false;
        return ReadEach(call.args, count, [&](CScriptExpr& arg) { return Expression(arg, depth + 1); });
    }

    bool Statement(ScriptStatement& st) {
        if (!U32(st.op, "statement")) return false;
        switch (st.op) {
            case SCRIPT_OP_IF:
            case SCRIPT_OP_WHILE:
                return Expression(st.expr, 1) && U32(st.block, "statement block");
            case SCRIPT_OP_RETURN:
            case SCRIPT_OP_EXPR:
                return Expression(st.expr, 1);
            case SCRIPT_OP_ASSIGN: {
                uint8_t indexed = 0;
                if (!U32(st.variable, "assignment") || !U8(indexed, "assignment")) return false;
                st.indexed = indexed != 0;
                if (st.indexed && !Expression(st.index, 1)) return false;
                return Expression(st.expr, 1);
            }
            default:
                return true;  // yield, wait and the op codes without operands
        }
    }

    bool Block(ScriptBlock& block) {
        uint32_t n = 0;
        if (!Count(n, kMinStatement, "statement count")) return false;
        if (!ReadEach(block.statements, n, [&](ScriptStatement& st) { return Statement(st); })) return false;
        if (!Count(n, 4, "extra count")) return false;
        block.extra.resize(n);
        for (uint32_t& v : block.extra)
            if (!U32(v, "extra values")) return false;
        return true;
    }

    bool Function(ScriptFunction& f) {
        uint32_t n = 0;
        if (!U8(f.entry, "function") || !Count(n, 4, "parameter count")) return false;
        f.params.resize(n);
        for (uint32_t& p : f.params)
            if (!U32(p, "parameters")) return false;
        return U8(f.spare, "function") && U32(f.body, "function body");
    }

    bool File(ScriptFileData& out) {
        uint32_t n = 0;
        if (!m_src.ReadU16(out.word) || !U8(out.removeWhenFinished, "header") ||
            !U8(out.reentrant, "header") || !U32(out.variableCount, "header"))
            return Fail("header");
        if (out.variableCount > SCRIPT_MAX_VARIABLES) return Fail("too many variables");
        if (!Count(n, kMinBlock, "block count")) return false;
        if (!ReadEach(out.blocks, n, [&](ScriptBlock& b) { return Block(b); })) return false;
        if (!Count(n, kMinFunction, "function count")) return false;
        return ReadEach(out.functions, n, [&](ScriptFunction& f) { return Function(f); });
    }

private:
    CByteSource& m_src;
    std::string* m_reason;
};

const CScriptExpr kNoExpression;
const ScriptCall kNoCall;

class Writer {
public:
    explicit Writer(CByteWriter& out) : m_out(out) {}

    void Expression(const CScriptExpr& expr) {
        m_out.U32(uint32_t(expr.m_items.size()));
        for (const ScriptItem& item : expr.m_items) Item(item);
    }

    void Item(const ScriptItem& item) {
        m_out.U32(item.tag);
        switch (item.tag) {
            case SCRIPT_ITEM_VARIABLE:
                m_out.U32(item.variable);
                m_out.U8(item.indexed ? 1 : 0);
                if (item.indexed) Expression(item.inner ? *item.inner : kNoExpression);
                break;
            case SCRIPT_ITEM_CALL:
                Call(item.call ? *item.call : kNoCall);
                break;
            case SCRIPT_ITEM_NUMBER:
                m_out.Bytes(&item.number, sizeof item.number);
                break;
            case SCRIPT_ITEM_TEXT:
                m_out.U32(uint32_t(item.text.size()));
                m_out.Bytes(item.text.data(), item.text.size());
                break;
            case SCRIPT_ITEM_GROUP:
                Expression(item.inner ? *item.inner : kNoExpression);
                break;
            default:
                break;
        }
    }

    void Call(const ScriptCall& call) {
        m_out.U32(call.kind);
        m_out.U32(call.index);
        m_out.U32(uint32_t(call.args.size()));
        for (const CScriptExpr& arg : call.args) Expression(arg);
    }

    void Statement(const ScriptStatement& st) {
        m_out.U32(st.op);
        switch (st.op) {
            case SCRIPT_OP_IF:
            case SCRIPT_OP_WHILE:
                Expression(st.expr);
                m_out.U32(st.block);
                break;
            case SCRIPT_OP_RETURN:
            case SCRIPT_OP_EXPR:
                Expression(st.expr);
                break;
            case SCRIPT_OP_ASSIGN:
                m_out.U32(st.variable);
                m_out.U8(st.indexed ? 1 : 0);
                if (st.indexed) Expression(st.index);
                Expression(st.expr);
                break;
            default:
                break;
        }
    }

    void File(const ScriptFileData& s) {
        m_out.U16(s.word);
        m_out.U8(s.removeWhenFinished);
        m_out.U8(s.reentrant);
        m_out.U32(s.variableCount);
        m_out.U32(uint32_t(s.blocks.size()));
        for (const ScriptBlock& b : s.blocks) {
            m_out.U32(uint32_t(b.statements.size()));
            for (const ScriptStatement& st : b.statements) Statement(st);
            m_out.U32(uint32_t(b.extra.size()));
            for (uint32_t v : b.extra) m_out.U32(v);
        }
        m_out.U32(uint32_t(s.functions.size()));
        for (const ScriptFunction& f : s.functions) {
            m_out.U8(f.entry);
            m_out.U32(uint32_t(f.params.size()));
            for (uint32_t p : f.params) m_out.U32(p);
            m_out.U8(f.spare);
            m_out.U32(f.body);
        }
    }

private:
    CByteWriter& m_out;
};

}  // namespace

ScriptItem::ScriptItem() = default;
ScriptItem::~ScriptItem() = default;
ScriptItem::ScriptItem(ScriptItem&&) noexcept = default;
ScriptItem& ScriptItem::operator=(ScriptItem&&) noexcept = default;

ScriptItem::ScriptItem(const ScriptItem& other)
    : tag(other.tag),
      variable(other.variable),
      indexed(other.indexed),
      number(other.number),
      text(other.text),
      inner(other.inner ? std::make_unique<CScriptExpr>(*other.inner) : nullptr),
      call(other.call ? std::make_unique<ScriptCall>(*other.call) : nullptr) {}

ScriptItem& ScriptItem::operator=(const ScriptItem& other) {
    if (this != &other) *this = ScriptItem(other);
    return *this;
}

const char* ScriptOperatorText(uint32_t tag) {
    static const char* const kText[] = {"==", "!=", "<", "<=", ">", ">=", "&&",
                                        "||", "+",  "-", "*",  "/", "%"};
    return tag <= SCRIPT_ITEM_MOD ? kText[tag] : nullptr;
}

bool ReadScriptFile(CByteSource& source, ScriptFileData& out, std::string* reason) {
    out = ScriptFileData{};
    if (reason) reason->clear();
    Reader reader(source, reason);
    if (reader.File(out)) return true;
    out = ScriptFileData{};
    return false;
}

void WriteScriptFile(const ScriptFileData& script, CByteWriter& out) {
    Writer(out).File(script);
}
