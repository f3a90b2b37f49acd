#include "script/event_file.h"

#include <algorithm>
#include <cstring>

#include "core/byte_source.h"

namespace {

struct CodeKind {
    uint16_t code;
    uint8_t kind;
};

// Visual events: 0-6 flow, 200-203 view, 300-306 screen, 400-414 talk,
// 500-510 characters, 600-604 event objects, 800-805 sound, 900-906 created
// objects, 1000-1002 map, 1100 movie.
constexpr CodeKind kVisualCodes[] = {
    {0, 0},     {1, 1},     {2, 2},     {3, 3},    {4, 4},    {5, 5},    {6, 7},    {200, 27}, {201, 28},
    {202, 29},  {203, 30},  {300, 31},  {301, 32}, {302, 33}, {303, 34}, {304, 35}, {305, 36}, {306, 37},
    {400, 8},   {401, 9},   {402, 10},  {403, 11}, {404, 12}, {405, 13}, {406, 14}, {407, 18}, {408, 16},
    {409, 17},  {410, 15},  {411, 19},  {412, 20}, {413, 21}, {414, 23}, {500, 38}, {501, 39}, {502, 41},
    {503, 42},  {504, 43},  {505, 44},  {506, 45}, {507, 47}, {508, 48}, {509, 49}, {510, 50}, {600, 52},
    {601, 53},  {602, 54},  {603, 55},  {604, 56}, {800, 60}, {801, 61}, {802, 62}, {803, 63}, {804, 64},
    {805, 65},  {900, 66},  {901, 68},  {902, 69}, {903, 70}, {904, 67}, {905, 72}, {906, 71}, {1000, 73},
    {1001, 74}, {1002, 75}, {1100, 76},
};

// Field scripts: 0-8 flow, 300-311 characters, 400-404 event objects,
// 500-506 created objects, 600-602 view, 700-706 screen, 800-805 sound,
// 900-919 talk, 1000-1002 game windows. Codes 7, 100, 302, 303, 1100 and
// 1101 have no class.
constexpr CodeKind kFieldCodes[] = {
    {0, 0},    {1, 1},    {2, 2},     {3, 3},     {4, 4},     {5, 5},    {6, 6},    {8, 7},    {300, 38},
    {301, 39}, {304, 41}, {305, 42},  {306, 43},  {307, 44},  {308, 45}, {309, 46}, {310, 50}, {311, 51},
    {400, 52}, {401, 53}, {402, 54},  {403, 55},  {404, 56},  {500, 66}, {501, 68}, {502, 69}, {503, 70},
    {504, 67}, {505, 72}, {506, 71},  {600, 27},  {601, 28},  {602, 29}, {700, 31}, {701, 32}, {702, 33},
    {703, 34}, {704, 35}, {705, 36},  {706, 37},  {800, 60},  {801, 61}, {802, 62}, {803, 63}, {804, 64},
    {805, 65}, {900, 8},  {901, 9},   {902, 10},  {903, 11},  {904, 12}, {905, 13}, {906, 14}, {907, 18},
    {908, 16}, {909, 17}, {910, 15},  {911, 19},  {912, 20},  {913, 21}, {914, 22}, {915, 23}, {916, 24},
    {917, 25}, {919, 22}, {1000, 57}, {1001, 58}, {1002, 59},
};

// The fewest bytes of a function (name and command count) and of a command
// (code and parameter count).
constexpr uint64_t kMinFunction = EVENT_NAME_SIZE + 4;
constexpr uint64_t kMinCommand = 3;

class Reader {
public:
    Reader(CByteSource& source, bool visual, EventFileError* error)
        : m_src(source), m_visual(visual), m_error(error) {}

    bool Fail(int row, const char* why) {
        if (m_error) {
            m_error->row = row;
            m_error->code = m_code;
            m_error->index = m_index;
            m_error->function = m_function;
            m_error->reason = why;
        }
        return false;
    }
    int FileRow() const { return m_visual ? 20 : 21; }

    bool File(EventFileData& out) {
        uint32_t count = 0;
        if (!m_src.ReadU8(out.flag) || !m_src.ReadU32(count)) return Fail(FileRow(), "the header ends early");
        if (!m_src.FitsCount(count, kMinFunction))
            return Fail(FileRow(), "more functions than the file holds");
        out.functions.resize(count);
        for (EventFunctionData& function : out.functions)
            if (!Function(function)) return false;
        return true;
    }

    bool Function(EventFunctionData& out) {
        char name[EVENT_NAME_SIZE + 1] = {};
        m_index = -1;
        m_code = 0;
        if (!m_src.ReadExact(name, EVENT_NAME_SIZE)) return Fail(FileRow(), "a function name ends early");
        out.name = name;  // cut at its zero, or after 64 bytes
        m_function = out.name;
        uint32_t count = 0;
        if (!m_src.ReadU32(count)) return Fail(FileRow(), "a command count ends early");
        if (!m_src.FitsCount(count, kMinCommand)) return Fail(FileRow(), "more commands than the file holds");
        out.commands.resize(count);
        for (uint32_t i = 0; i < count; ++i) {
            m_index = int32_t(i);
            if (!Command(out.commands[i])) return false;
        }
        return true;
    }

    bool Command(EventCommandData& out) {
        if (!m_src.ReadU16(out.code)) return Fail(15, "a command code ends early");
        m_code = out.code;
        if (EventCommandKind(out.code, m_visual) < 0) return Fail(14, "a command code without a class");
        uint8_t count = 0;
        if (!m_src.ReadU8(count)) return Fail(15, "a parameter count ends early");
        out.params.resize(count);
        for (EventParam& param : out.params)
            if (!Param(param)) return false;
        return true;
    }

    bool Param(EventParam& p) {
        if (!m_src.ReadU8(p.type)) return Fail(15, "a parameter ends early");
        bool ok = true;
        switch (p.type) {
            case 0:
                ok = m_src.ReadExact(p.text, EVENT_TEXT_SIZE);
                break;
            case 10:
                ok = m_src.ReadExact(p.text, EVENT_SHORT_TEXT);
                break;
            case 1:
                ok = m_src.ReadU8(p.byteValue);
                break;
            case 2:
            case 3:
            case 5:
            case 7:
            case 8:
            case 9:
                ok = m_src.ReadU16(p.shortValue);
                break;
            case 4:
                ok = m_src.ReadI32(p.x) && m_src.ReadI32(p.y);
                break;
            case 6:
                ok = m_src.ReadU16(p.tripleFirst) && m_src.ReadU16(p.tripleSecond) &&
                     m_src.ReadU8(p.tripleFlag);
                break;
            case 11:
                ok = m_src.ReadU16(p.tripleSecond);
                break;
            case 12:
                ok = m_src.ReadU32(p.longValue);
                break;
            default:
                return Fail(15, "an unknown parameter type");
        }
        return ok || Fail(15, "a parameter ends early");
    }

private:
    CByteSource& m_src;
    bool m_visual;
    EventFileError* m_error;
    uint32_t m_code = 0;
    int32_t m_index = -1;
    std::string m_function;
};

}  // namespace

int EventCommandKind(uint16_t code, bool visual) {
    const CodeKind* begin = visual ? std::begin(kVisualCodes) : std::begin(kFieldCodes);
    const CodeKind* end = visual ? std::end(kVisualCodes) : std::end(kFieldCodes);
    const CodeKind* hit = std::find_if(begin, end, [code](const CodeKind& c) { return c.code == code; });
    return hit == end ? -1 : hit->kind;
}

bool ReadEventFile(CByteSource& source, bool visual, EventFileData& out, EventFileError* error) {
    out = EventFileData{};
    Reader reader(source, visual, error);
    return reader.File(out);
}

namespace {

void PutText(CByteWriter& out, const char* text, size_t size) {
    char field[EVENT_TEXT_SIZE] = {};
    std::memcpy(field, text, std::min(std::strlen(text), size));
    out.Bytes(field, size);
}

}  // namespace

void WriteEventFile(const EventFileData& file, CByteWriter& out) {
    out.U8(file.flag);
    out.U32(uint32_t(file.functions.size()));
    for (const EventFunctionData& function : file.functions) {
        PutText(out, function.name.c_str(), EVENT_NAME_SIZE);
        out.U32(uint32_t(function.commands.size()));
        for (const EventCommandData& command : function.commands) {
            out.U16(command.code);
            out.U8(uint8_t(std::min<size_t>(command.params.size(), 255)));
            for (size_t i = 0; i < command.params.size() && i < 255; ++i) {
                const EventParam& p = command.params[i];
                out.U8(p.type);
                switch (p.type) {
                    case 0:
                        PutText(out, p.text, EVENT_TEXT_SIZE);
                        break;
                    case 10:
                        PutText(out, p.text, EVENT_SHORT_TEXT);
                        break;
                    case 1:
                        out.U8(p.byteValue);
                        break;
                    case 4:
                        out.I32(p.x);
                        out.I32(p.y);
                        break;
                    case 6:
                        out.U16(p.tripleFirst);
                        out.U16(p.tripleSecond);
                        out.U8(p.tripleFlag);
                        break;
                    case 11:
                        out.U16(p.tripleSecond);
                        break;
                    case 12:
                        out.U32(p.longValue);
                        break;
                    default:
                        out.U16(p.shortValue);
                        break;
                }
            }
        }
    }
}
