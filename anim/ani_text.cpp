#include "anim/ani_text.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <sstream>
#include <vector>

namespace {

// One field of an element line: its key and how to read and write it.
struct Field {
    const char* key;
    int64_t (*get)(const AniFileElement&);
    bool (*set)(AniFileElement&, int64_t);
    bool hex;
};

template <auto Member>
Field MakeField(const char* key, bool hex = false) {
    using T = std::remove_reference_t<decltype(std::declval<AniFileElement&>().*Member)>;
    return Field{
        key, [](const AniFileElement& e) { return int64_t(e.*Member); },
        [](AniFileElement& e, int64_t v) {
            if (v < int64_t(std::numeric_limits<T>::min()) || v > int64_t(std::numeric_limits<T>::max()))
                return false;
            e.*Member = T(v);
            return true;
        },
        hex};
}

using E = AniFileElement;

const std::vector<Field>& FieldsOf(uint32_t kind) {
    static const Field start = MakeField<&E::start>("start");
    static const Field x = MakeField<&E::x>("x"), y = MakeField<&E::y>("y");
    static const std::vector<Field> kFields[ANI_NODE_KIND_COUNT] = {
        /* image */ {start, MakeField<&E::texture>("texture"), MakeField<&E::unit>("unit"),
                     MakeField<&E::flags>("flags", true), x, y, MakeField<&E::x2>("x2"),
                     MakeField<&E::y2>("y2"), MakeField<&E::color>("colour", true)},
        /* hold */ {MakeField<&E::hold>("frames")},
        /* target-count */ {start, MakeField<&E::number>("value")},
        /* layer-switch */ {start, MakeField<&E::target>("target"), MakeField<&E::mode>("mode")},
        /* child */
        {start, MakeField<&E::number>("animation"), MakeField<&E::motion>("motion"),
         MakeField<&E::direction>("direction"), x, y},
        /* map-effect */ {start, MakeField<&E::mode>("mode"), MakeField<&E::arg>("arg", true)},
        /* order */ {start, MakeField<&E::mode>("code")},
        /* sound */
        {start, MakeField<&E::number>("sound"), MakeField<&E::word2>("word"), MakeField<&E::byte>("byte"),
         MakeField<&E::positional>("positional"), MakeField<&E::extra>("extra")},
        /* mesh */
        {start, MakeField<&E::number>("model"), MakeField<&E::flag>("flag"), x, y,
         MakeField<&E::extra>("extra")},
        /* alpha-ramp */
        {start, MakeField<&E::rising>("rising"), MakeField<&E::step>("step"), MakeField<&E::limit>("limit"),
         MakeField<&E::target>("target")},
        /* layer-blend */ {start, MakeField<&E::target>("target"), MakeField<&E::mode>("mode")},
        /* value-ramp */
        {start, MakeField<&E::rising>("rising"), MakeField<&E::step>("step"), MakeField<&E::limit>("limit"),
         MakeField<&E::target>("target")},
        /* break */ {start},
        /* owner-count */ {start},
        /* owner-percent */ {start, MakeField<&E::mode>("value")},
        /* mark */ {start},
        /* particle */ {start, MakeField<&E::number>("effect"), x, y},
        /* toon */
        {start, MakeField<&E::number>("model"), MakeField<&E::motionSet>("motion-set"),
         MakeField<&E::material>("material"), MakeField<&E::flag>("flag"), MakeField<&E::flag2>("flag2"),
         MakeField<&E::toonFlags>("toon-flags", true), x, y, MakeField<&E::facing>("facing")},
        /* end */ {},
    };
    static const std::vector<Field> kNone;
    return kind < ANI_NODE_KIND_COUNT ? kFields[kind] : kNone;
}

const char* const kKindNames[ANI_NODE_KIND_COUNT] = {
    "image",         "hold", "target-count", "layer-switch", "child",      "map-effect", "order",
    "sound",         "mesh", "alpha-ramp",   "layer-blend",  "value-ramp", "break",      "owner-count",
    "owner-percent", "mark", "particle",     "toon",         "end",
};

bool KindFromName(const std::string& name, uint32_t& kind) {
    for (uint32_t k = 0; k < ANI_NODE_KIND_COUNT; ++k)
        if (name == kKindNames[k]) {
            kind = k;
            return true;
        }
    if (name.rfind("kind", 0) == 0 && name.size() > 4) {
        char* end = nullptr;
        const unsigned long long v = std::strtoull(name.c_str() + 4, &end, 10);
        if (*end == '\0' && v <= std::numeric_limits<uint32_t>::max()) {
            kind = uint32_t(v);
            return true;
        }
    }
    return false;
}

bool ParseNumber(const std::string& text, int64_t& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), &end, 0);
    if (*end != '\0' || errno) return false;
    out = v;
    return true;
}

void Appendf(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Appendf(std::string& out, const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    out += text;
}

}  // namespace

std::string AniKindName(uint32_t kind) {
    return kind < ANI_NODE_KIND_COUNT ? kKindNames[kind] : "kind" + std::to_string(kind);
}

std::string AniFileToText(const AniFile& file) {
    std::string out;
    Appendf(out, "version %u\n", file.version);
    for (const AniPoolDecl& p : file.pools)
        Appendf(out, "pool %s %u\n", AniKindName(p.kind).c_str(), p.count);
    for (const AniFileMotion& motion : file.motions) {
        Appendf(out, "motion %u\n", motion.id);
        for (const AniFileDirection& dir : motion.directions) {
            Appendf(out, "  direction %u height %u spare %u\n", dir.direction, dir.height, dir.spare);
            for (const AniFileLayer& layer : dir.layers) {
                out += "    layer\n";
                for (const AniFileElement& e : layer.elements) {
                    out += "      " + AniKindName(e.kind);
                    for (const Field& f : FieldsOf(e.kind)) {
                        if (f.hex)
                            Appendf(out, " %s 0x%02llx", f.key, static_cast<unsigned long long>(f.get(e)));
                        else
                            Appendf(out, " %s %lld", f.key, static_cast<long long>(f.get(e)));
                    }
                    out += '\n';
                }
            }
        }
    }
    return out;
}

bool AniFileFromText(const std::string& text, AniFile& out, std::string* error) {
    out = AniFile();
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    bool hasVersion = false;
    auto fail = [&](const std::string& what) {
        if (error) *error = "line " + std::to_string(number) + ": " + what;
        out = AniFile();
        return false;
    };
    while (std::getline(lines, line)) {
        ++number;
        if (const size_t hash = line.find('#'); hash != std::string::npos) line.resize(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;) w.push_back(word);
        if (w.empty()) continue;
        int64_t a = 0, b = 0;
        if (w[0] == "version") {
            if (w.size() != 2 || !ParseNumber(w[1], a) || a < 0 || a > 255)
                return fail("version needs 0 to 255");
            out.version = uint8_t(a);
            hasVersion = true;
        } else if (w[0] == "pool") {
            uint32_t kind = 0;
            if (w.size() != 3 || !KindFromName(w[1], kind) || !ParseNumber(w[2], b) || b < 0 ||
                b > UINT32_MAX)
                return fail("pool needs a kind and a count");
            out.pools.push_back({kind, uint32_t(b)});
        } else if (w[0] == "motion") {
            if (w.size() != 2 || !ParseNumber(w[1], a) || a < 0 || a > UINT32_MAX)
                return fail("motion needs an id");
            out.motions.push_back({uint32_t(a), {}});
        } else if (w[0] == "direction") {
            if (out.motions.empty()) return fail("direction outside a motion");
            AniFileDirection dir;
            if (w.size() < 2 || w.size() % 2 != 0 || !ParseNumber(w[1], a) || a < 0 || a > 255)
                return fail("direction needs a number and key-value pairs");
            dir.direction = uint8_t(a);
            for (size_t i = 2; i < w.size(); i += 2) {
                if (!ParseNumber(w[i + 1], b) || b < 0 || b > 0xFFFF) return fail("bad value of " + w[i]);
                if (w[i] == "height")
                    dir.height = uint16_t(b);
                else if (w[i] == "spare")
                    dir.spare = uint16_t(b);
                else
                    return fail("unknown direction field " + w[i]);
            }
            out.motions.back().directions.push_back(dir);
        } else if (w[0] == "layer") {
            if (out.motions.empty() || out.motions.back().directions.empty())
                return fail("layer outside a direction");
            out.motions.back().directions.back().layers.emplace_back();
        } else {
            if (out.motions.empty() || out.motions.back().directions.empty() ||
                out.motions.back().directions.back().layers.empty())
                return fail("element outside a layer");
            AniFileElement e;
            if (!KindFromName(w[0], e.kind)) return fail("unknown line " + w[0]);
            if (w.size() % 2 != 1) return fail("fields come in key-value pairs");
            const std::vector<Field>& fields = FieldsOf(e.kind);
            for (size_t i = 1; i < w.size(); i += 2) {
                const Field* field = nullptr;
                for (const Field& f : fields)
                    if (w[i] == f.key) field = &f;
                if (!field) return fail("no field " + w[i] + " in " + w[0]);
                if (!ParseNumber(w[i + 1], a) || !field->set(e, a)) return fail("bad value of " + w[i]);
            }
            out.motions.back().directions.back().layers.back().elements.push_back(e);
        }
    }
    if (!hasVersion) {
        if (error) *error = "no version line";
        out = AniFile();
        return false;
    }
    if (out.version >= 11 && out.pools.empty()) DeclarePools(out);
    return true;
}
