#include "world/map/stage_text.h"

#include <cstring>

#include "core/byte_source.h"
#include "world/map/stage_data.h"

namespace maptext {

namespace {

struct TypePlan {
    uint8_t type = 0;
    int64_t header = -1;  // text length (-1: the value's), or width code
    std::vector<TypePlan> columns;
};

struct Named {
    const char* name;
    uint8_t type;
};
constexpr Named kTypes[] = {{"word", STAGE_TYPE_WORD},     {"point", STAGE_TYPE_POINT},
                            {"byte", STAGE_TYPE_BYTE},     {"word6", STAGE_TYPE_WORD6},
                            {"dword", STAGE_TYPE_DWORD},   {"word9", STAGE_TYPE_WORD9},
                            {"aniref", STAGE_TYPE_ANIREF}, {"aniref2", STAGE_TYPE_ANIREF2}};

const char* TypeName(uint8_t type) {
    for (const Named& n : kTypes)
        if (n.type == type) return n.name;
    return nullptr;
}

class StageBuilder {
public:
    explicit StageBuilder(std::string* error) : m_error(error) {}

    bool Groups(const std::vector<Line>& lines, size_t& index, bool untilEnd);
    std::vector<uint8_t> Take(uint32_t groupCount) {
        CByteWriter head;
        head.U32(groupCount);
        std::vector<uint8_t> out = head.Take();
        const std::vector<uint8_t>& body = m_w.Data();
        out.insert(out.end(), body.begin(), body.end());
        return out;
    }
    uint32_t GroupCount() const { return m_groups; }

private:
    bool Fail(const Line& line, const std::string& message) {
        if (m_error) *m_error = LineError(line, message);
        return false;
    }
    bool Plan(WordCursor& c, TypePlan& plan);
    void Header(const TypePlan& plan, CByteWriter& w, const std::string* text);
    bool Value(WordCursor& c, const TypePlan& plan, CByteWriter& w);
    bool Group(const std::vector<Line>& lines, size_t& index);

    CByteWriter m_w;
    uint32_t m_groups = 0;
    std::string* m_error;
};

bool StageBuilder::Plan(WordCursor& c, TypePlan& plan) {
    const Word* w = c.Next();
    if (!w || w->quoted) return Fail(c.GetLine(), "a type is missing");
    int64_t n = 0;
    if (w->text == "text") {
        plan.type = STAGE_TYPE_TEXT;
        const Word* p = c.Peek();
        if (p && !p->quoted && ParseNumber(p->text, 0, UINT32_MAX, n)) {
            c.Next();
            plan.header = n;
        }
        return true;
    }
    if (w->text == "sized" || w->text == "sized7") {
        plan.type = w->text == "sized" ? STAGE_TYPE_SIZED : STAGE_TYPE_SIZED7;
        return c.Number(0, 255, plan.header, m_error, "the width code");
    }
    if (w->text == "type") {
        if (!c.Number(0, 255, n, m_error, "the type code")) return false;
        if (IsStageValueType(uint8_t(n)))
            return Fail(c.GetLine(), "type " + std::to_string(n) + " has a name");
        plan.type = uint8_t(n);
        return true;
    }
    if (w->text == "table") {
        plan.type = STAGE_TYPE_TABLE;
        if (!c.Accept("[")) return Fail(c.GetLine(), "a table's columns begin with '['");
        while (!c.Accept("]")) {
            if (c.AtEnd()) return Fail(c.GetLine(), "the columns end with ']'");
            TypePlan column;
            if (!Plan(c, column)) return false;
            if (column.type == STAGE_TYPE_TEXT && column.header < 0)
                return Fail(c.GetLine(), "a text column needs its length");
            plan.columns.push_back(std::move(column));
        }
        return true;
    }
    for (const Named& t : kTypes)
        if (w->text == t.name) {
            plan.type = t.type;
            return true;
        }
    return Fail(c.GetLine(), "unknown type '" + w->text + "'");
}

void StageBuilder::Header(const TypePlan& plan, CByteWriter& w, const std::string* text) {
    switch (plan.type) {
        case STAGE_TYPE_TEXT:
            w.U32(uint32_t(plan.header >= 0 ? plan.header : int64_t(text ? text->size() : 0)));
            break;
        case STAGE_TYPE_SIZED:
        case STAGE_TYPE_SIZED7:
            w.U8(uint8_t(plan.header));
            break;
        case STAGE_TYPE_TABLE:
            w.U32(uint32_t(plan.columns.size()));
            for (const TypePlan& column : plan.columns) {
                w.U8(column.type);
                Header(column, w, nullptr);
            }
            break;
        default:
            break;
    }
}

bool StageBuilder::Value(WordCursor& c, const TypePlan& plan, CByteWriter& w) {
    const Line& line = c.GetLine();
    int64_t a = 0, b = 0, f = 0;
    switch (plan.type) {
        case STAGE_TYPE_TEXT: {
            const Word* t = c.Next();
            if (!t || !t->quoted) return Fail(line, "a text value is quoted");
            std::string bytes = t->text;
            if (plan.header >= 0) bytes.resize(size_t(plan.header), '\0');
            w.Bytes(bytes.data(), bytes.size());
            return true;
        }
        case STAGE_TYPE_SIZED:
        case STAGE_TYPE_SIZED7: {
            const int32_t size = StageValueSize(plan.type, uint8_t(plan.header));
            if (size == 0)
                return c.Accept("-") || Fail(line, "a value of this width reads nothing: write '-'");
            if (!c.Number(0, size == 1 ? 0xFF : size == 2 ? 0xFFFF : UINT32_MAX, a, m_error, "the value"))
                return false;
            if (size == 1) w.U8(uint8_t(a));
            if (size == 2) w.U16(uint16_t(a));
            if (size == 4) w.U32(uint32_t(a));
            return true;
        }
        case STAGE_TYPE_WORD:
        case STAGE_TYPE_WORD6:
        case STAGE_TYPE_WORD9:
            if (!c.Number(0, 0xFFFF, a, m_error, "the value")) return false;
            w.U16(uint16_t(a));
            return true;
        case STAGE_TYPE_BYTE:
            if (!c.Number(0, 0xFF, a, m_error, "the value")) return false;
            w.U8(uint8_t(a));
            return true;
        case STAGE_TYPE_DWORD:
            if (!c.Number(0, UINT32_MAX, a, m_error, "the value")) return false;
            w.U32(uint32_t(a));
            return true;
        case STAGE_TYPE_POINT:
            if (!c.Number(0, 0xFFFF, a, m_error, "x") || !c.Number(0, 0xFFFF, b, m_error, "y")) return false;
            w.U16(uint16_t(a));
            w.U16(uint16_t(b));
            return true;
        case STAGE_TYPE_ANIREF:
            if (!c.Number(0, 0xFFFF, a, m_error, "the first word") ||
                !c.Number(0, 0xFFFF, b, m_error, "the second word") ||
                !c.Number(0, 0xFF, f, m_error, "the flag"))
                return false;
            w.U16(uint16_t(a));
            w.U16(uint16_t(b));
            w.U8(uint8_t(f));
            return true;
        case STAGE_TYPE_ANIREF2:
            if (!c.Number(0, 0xFFFF, b, m_error, "the second word") ||
                !c.Number(0, 0xFF, f, m_error, "the flag"))
                return false;
            w.U16(uint16_t(b));
            w.U8(uint8_t(f));
            return true;
        case STAGE_TYPE_TABLE: {
            if (!c.Accept("{") || !c.Accept("rows")) return Fail(line, "a table value is { rows R values }");
            if (!c.Number(0, UINT32_MAX, a, m_error, "the row count")) return false;
            w.U32(uint32_t(a));
            for (int64_t r = 0; r < a; ++r)
                for (const TypePlan& column : plan.columns)
                    if (!Value(c, column, w)) return false;
            return c.Accept("}") || Fail(line, "a table value ends with '}'");
        }
        default:
            return c.Accept("-") || Fail(line, "a value of an unknown type reads nothing: write '-'");
    }
}

bool StageBuilder::Group(const std::vector<Line>& lines, size_t& index) {
    const Line& head = lines[index++];
    WordCursor c(head, 1);
    int64_t kind = 0, entries = 0;
    if (c.Accept("properties")) {
        kind = STAGE_GROUP_PROPERTIES;
    } else if (c.Accept("lists")) {
        kind = STAGE_GROUP_LISTS;
    } else if (c.Accept("areas")) {
        kind = STAGE_GROUP_AREAS;
    } else if (c.Accept("kind")) {
        if (!c.Number(3, 255, kind, m_error, "the group kind")) return false;
        if (!c.Accept("entries") || !c.Number(0, 1000000, entries, m_error, "the entry count")) return false;
    } else {
        return Fail(head, "a group is properties, lists, areas or kind N entries M");
    }
    CByteWriter body;
    uint32_t count = 0;
    for (;; ++index) {
        if (index >= lines.size()) return Fail(head, "the group has no 'end'");
        const Line& line = lines[index];
        if (line.words.empty()) continue;
        if (line.words[0].text == "end" && line.words.size() == 1) {
            ++index;
            break;
        }
        if (kind > STAGE_GROUP_AREAS) return Fail(line, "a group of another kind has no entries to write");
        WordCursor e(line);
        if (kind == STAGE_GROUP_AREAS) {
            if (!e.Accept("areas")) return Fail(line, "an area entry begins with 'areas'");
            std::vector<int64_t> numbers;
            int64_t v = 0;
            while (!e.AtEnd()) {
                if (!e.Number(0, 0xFFFF, v, m_error, "an area value")) return false;
                numbers.push_back(v);
            }
            if (numbers.size() % 5) return Fail(line, "each area is id x1 y1 x2 y2");
            body.U32(uint32_t(numbers.size() / 5));
            for (int64_t n : numbers) body.U16(uint16_t(n));
            ++count;
            continue;
        }
        const Word* first = e.Peek();
        if (first && !first->quoted && first->text.size() > 1 && first->text[0] == '@') {
            int64_t at = 0;
            if (kind != STAGE_GROUP_PROPERTIES || !ParseNumber(first->text.substr(1), count, 1000000, at))
                return Fail(line, "'@N' places a property at an index not below the entries before it");
            e.Next();
            for (; count < at; ++count) {
                body.U8(STAGE_TYPE_BYTE);
                body.U8(0);
            }
        }
        TypePlan plan;
        if (!Plan(e, plan)) return false;
        body.U8(plan.type);
        if (kind == STAGE_GROUP_PROPERTIES) {
            const Word* text = e.Peek();
            Header(plan, body, text && text->quoted ? &text->text : nullptr);
            if (!Value(e, plan, body)) return false;
        } else {
            if (!e.Accept(":")) return Fail(line, "a list entry is TYPE : values");
            if (plan.type == STAGE_TYPE_TEXT && plan.header < 0)
                return Fail(line, "a list of texts needs its length");
            CByteWriter values;
            uint32_t n = 0;
            while (!e.AtEnd()) {
                if (!Value(e, plan, values)) return false;
                ++n;
            }
            body.U32(n);
            Header(plan, body, nullptr);
            body.Bytes(values.Data().data(), values.Data().size());
        }
        if (!e.AtEnd()) return Fail(line, "more words than the entry takes");
        ++count;
    }
    m_w.U8(uint8_t(kind));
    m_w.U32(kind > STAGE_GROUP_AREAS ? uint32_t(entries) : count);
    m_w.Bytes(body.Data().data(), body.Data().size());
    ++m_groups;
    return true;
}

bool StageBuilder::Groups(const std::vector<Line>& lines, size_t& index, bool untilEnd) {
    while (index < lines.size()) {
        const Line& line = lines[index];
        if (line.words.empty()) {
            ++index;
            continue;
        }
        if (untilEnd && line.words[0].text == "end" && line.words.size() == 1) {
            ++index;
            return true;
        }
        if (line.words[0].text != "group") return Fail(line, "expected 'group'");
        if (!Group(lines, index)) return false;
    }
    if (untilEnd && m_error) *m_error = "the stage has no 'end'";
    return !untilEnd;
}

// ---- Dump ----

std::string EntryText(const StageEntry& e) {
    switch (e.type) {
        case STAGE_TYPE_TEXT:
            return "text " + std::to_string(e.textLength);
        case STAGE_TYPE_SIZED:
            return "sized " + std::to_string(e.width);
        case STAGE_TYPE_SIZED7:
            return "sized7 " + std::to_string(e.width7);
        case STAGE_TYPE_TABLE: {
            std::string s = "table [";
            for (const StageEntry& column : e.columns) s += " " + EntryText(column);
            return s + " ]";
        }
        default:
            if (const char* name = TypeName(e.type)) return name;
            return "type " + std::to_string(e.type);
    }
}

std::string ValueText(const StageValue& v) {
    const StageEntry& e = *v.entry;
    switch (e.type) {
        case STAGE_TYPE_TEXT:
            return Quote(v.Text());
        case STAGE_TYPE_SIZED:
        case STAGE_TYPE_SIZED7: {
            const int32_t size = StageValueSize(e.type, e.type == STAGE_TYPE_SIZED ? e.width : e.width7);
            return size == 0 ? "-" : std::to_string(StageNumberOf(&v));
        }
        case STAGE_TYPE_WORD:
        case STAGE_TYPE_WORD6:
        case STAGE_TYPE_WORD9:
            return std::to_string(v.wordValue);
        case STAGE_TYPE_BYTE:
            return std::to_string(v.byteValue);
        case STAGE_TYPE_DWORD:
            return std::to_string(v.dwordValue);
        case STAGE_TYPE_POINT:
            return std::to_string(v.pointX) + " " + std::to_string(v.pointY);
        case STAGE_TYPE_ANIREF:
            return std::to_string(v.aniFirst) + " " + std::to_string(v.aniSecond) + " " +
                   std::to_string(v.aniFlag);
        case STAGE_TYPE_ANIREF2:
            return std::to_string(v.aniSecond) + " " + std::to_string(v.aniFlag);
        case STAGE_TYPE_TABLE: {
            const CStageTable* t = v.table.get();
            std::string s = "{ rows " + std::to_string(t ? t->GetRowCount() : 0);
            if (t)
                for (const StageValue& cell : t->m_values) s += " " + (cell.entry ? ValueText(cell) : "?");
            return s + " }";
        }
        default:
            return "-";
    }
}

}  // namespace

bool BuildStage(const std::vector<Line>& lines, size_t& index, bool untilEnd, std::vector<uint8_t>& out,
                std::string* error) {
    StageBuilder builder(error);
    if (!builder.Groups(lines, index, untilEnd)) return false;
    out = builder.Take(builder.GroupCount());
    return true;
}

bool BuildStageText(std::string_view text, std::vector<uint8_t>& out, std::string* error) {
    std::vector<Line> lines;
    if (!SplitLines(text, lines, error)) return false;
    size_t index = 0;
    return BuildStage(lines, index, false, out, error);
}

std::string DumpStage(const CStageData& stage) {
    std::string out;
    for (int32_t g = 0; g < stage.GetGroupCount(); ++g) {
        const StageGroup& group = *stage.GetGroup(g);
        switch (group.kind) {
            case STAGE_GROUP_PROPERTIES:
                out += "group properties\n";
                break;
            case STAGE_GROUP_LISTS:
                out += "group lists\n";
                break;
            case STAGE_GROUP_AREAS:
                out += "group areas\n";
                break;
            default:
                out += "group kind " + std::to_string(group.kind) + " entries " +
                       std::to_string(group.entryCount) + "\nend\n";
                continue;
        }
        for (const StageEntry& e : group.entries) {
            if (group.kind == STAGE_GROUP_AREAS) {
                out += "  areas";
                for (const StageArea& a : e.areas)
                    out += " " + std::to_string(a.id) + " " + std::to_string(a.x1) + " " +
                           std::to_string(a.y1) + " " + std::to_string(a.x2) + " " + std::to_string(a.y2);
                out += "\n";
                continue;
            }
            std::string plan = EntryText(e);
            if (e.type == STAGE_TYPE_TEXT && group.kind == STAGE_GROUP_PROPERTIES && !e.values.empty() &&
                std::strlen(e.values[0].Text()) == e.textLength)
                plan = "text";
            out += "  " + plan;
            if (group.kind == STAGE_GROUP_LISTS) out += " :";
            // A value the file ended before has no entry: it reads nothing.
            for (const StageValue& v : e.values) out += " " + (v.entry ? ValueText(v) : std::string("?"));
            out += "\n";
        }
        out += "end\n";
    }
    return out;
}

}  // namespace maptext
