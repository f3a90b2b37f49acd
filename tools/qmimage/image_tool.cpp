#include "tools/qmimage/image_tool.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/blitters.h"
#include "graphics/dtx_format.h"
#include "graphics/pixel_ops.h"
#include "graphics/span_image_format.h"
#include "graphics/sprite_grid.h"
#include "platform/bmp_file.h"
#include "platform/codepage.h"
#include "platform/font.h"
#include "platform/paths.h"
#include "tools/tool_batch.h"

namespace {

using plat::ReadBmp;
using plat::RgbPicture;
using plat::WriteBmp;

// Where the running command writes.
FILE* g_out = stdout;
FILE* g_err = stderr;

constexpr uint32_t kMagenta = 0xFF00FF;
constexpr uint16_t kKey565 = 0xF81F;

int Usage() {
    std::fprintf(g_err,
                 "usage: qmimage span OUT IN.bmp [--indexed] [--header N]\n"
                 "       qmimage frames OUT IN.bmp... [--indexed]\n"
                 "       qmimage dtx OUT SHEET.bmp UNITS.txt [--version N]\n"
                 "       qmimage dtx-text OUT SHEET.txt [--version N]\n"
                 "       qmimage dtx-picture OUT IN.bmp... [--indexed] [--version N]\n"
                 "       qmimage draw OUT.bmp LIST.txt\n"
                 "       qmimage dump FILE [--as span|span8|frames|frames8|dtx] [--bmp OUT.bmp] [--frame N]\n"
                 "       qmimage batch FILE                  (its commands, one a line)\n");
    return 2;
}

int Fail(const std::string& message) {
    std::fprintf(g_err, "qmimage: %s\n", message.c_str());
    return 1;
}

struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
    bool Has(const std::string& k) const { return options.count(k) != 0; }
    long Number(const std::string& k, long fallback) const {
        auto it = options.find(k);
        return it == options.end() ? fallback : std::strtol(it->second.c_str(), nullptr, 0);
    }
};

Args Parse(const std::vector<std::string>& args) {
    Args a;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& s = args[i];
        if (s == "--indexed")
            a.options.insert_or_assign(s, std::string());
        else if (s.starts_with("--") && i + 1 < args.size())
            a.options.insert_or_assign(s, args[++i]);
        else
            a.positional.push_back(s);
    }
    return a;
}

bool Save(const std::string& path, const std::vector<uint8_t>& bytes) {
    return plat::WriteFileAtomic(path, bytes.data(), bytes.size());
}

// 16-bit pixels of a picture, magenta becoming the program's transparent colour.
std::vector<uint16_t> To565(const RgbPicture& p) {
    std::vector<uint16_t> out(p.pixels.size());
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = p.pixels[i] == kMagenta ? kKey565 : ColorToPixel(p.pixels[i], PIXEL_KIND_565);
    return out;
}

// Palette indices of pictures sharing one palette, with index 255 standing for
// transparent pixels. False when more than 255 colours are used.
constexpr int kClearIndex = 255;
bool ToIndexed(const std::vector<RgbPicture>& pics, std::vector<uint16_t>& palette,
               std::vector<std::vector<uint8_t>>& grids) {
    std::map<uint16_t, int> seen;
    palette.assign(256, 0);
    for (const RgbPicture& p : pics) {
        std::vector<uint8_t> grid(p.pixels.size(), kClearIndex);
        for (size_t i = 0; i < grid.size(); ++i) {
            if (p.pixels[i] == kMagenta) continue;
            const uint16_t c = ColorToPixel(p.pixels[i], PIXEL_KIND_565);
            auto it = seen.find(c);
            if (it == seen.end()) {
                if (int(seen.size()) == kClearIndex) return false;
                it = seen.emplace(c, int(seen.size())).first;
                palette[size_t(it->second)] = c;
            }
            grid[i] = uint8_t(it->second);
        }
        grids.push_back(std::move(grid));
    }
    return true;
}

bool LoadAll(const std::vector<std::string>& paths, std::vector<RgbPicture>& pics, std::string& error) {
    for (const std::string& path : paths) {
        RgbPicture p;
        if (!ReadBmp(path, p, error)) return false;
        pics.push_back(std::move(p));
    }
    return true;
}

bool BuildFrames(const std::vector<RgbPicture>& pics, bool indexed, FramePicture& out, std::string& error) {
    if (!indexed) {
        for (const RgbPicture& p : pics) {
            auto px = To565(p);
            AddFrame(out, px.data(), p.width, p.height, kKey565);
        }
        return true;
    }
    std::vector<std::vector<uint8_t>> grids;
    if (!ToIndexed(pics, out.palette, grids)) {
        error = "more than 255 colours for a palette";
        return false;
    }
    for (size_t i = 0; i < pics.size(); ++i)
        AddIndexedFrame(out, grids[i].data(), pics[i].width, pics[i].height, kClearIndex);
    return true;
}

int CmdSpan(const Args& a) {
    if (a.positional.size() != 2) return Usage();
    RgbPicture pic;
    std::string error;
    if (!ReadBmp(a.positional[1], pic, error)) return Fail(error);
    SpanPicture out;
    const bool indexed = a.Has("--indexed");
    if (indexed) {
        FramePicture frames;
        if (!BuildFrames({pic}, true, frames, error)) return Fail(error);
        out.width = pic.width;
        out.height = pic.height;
        out.palette = frames.palette;
        out.spans = frames.frames[0].spans;
        out.pixels = frames.pixels;
        out.dataSize = frames.dataSize;
    } else {
        auto px = To565(pic);
        out = MakeSpanPicture(px.data(), pic.width, pic.height, kKey565);
    }
    out.header = uint16_t(a.Number("--header", 0));
    if (!Save(a.positional[0], WriteSpanPicture(out, indexed)))
        return Fail("cannot write " + a.positional[0]);
    return 0;
}

int CmdFrames(const Args& a, bool dtx) {
    if (a.positional.size() < 2) return Usage();
    std::vector<RgbPicture> pics;
    std::string error;
    if (!LoadAll({a.positional.begin() + 1, a.positional.end()}, pics, error)) return Fail(error);
    FramePicture frames;
    const bool indexed = a.Has("--indexed");
    if (!BuildFrames(pics, indexed, frames, error)) return Fail(error);
    std::vector<uint8_t> bytes =
        dtx ? WriteDtxPicture(uint8_t(a.Number("--version", 4)), indexed ? 2 : 1, frames)
            : WriteFramePicture(frames);
    if (!Save(a.positional[0], bytes)) return Fail("cannot write " + a.positional[0]);
    return 0;
}

// One unit of numbers read from a line: x y width height anchorX anchorY
// [shadowAnchorX shadowAnchorY shadowAngle shadowLength]; an empty line adds
// nothing. False for another count of numbers or words that are not numbers.
bool ParseUnit(std::istringstream& s, std::vector<DtxUnit>& units) {
    std::vector<long> v;
    long n;
    while (s >> n) v.push_back(n);
    if (!s.eof()) return false;
    if (v.empty()) return true;
    if (v.size() != 6 && v.size() != 10) return false;
    v.resize(10, 0);
    DtxUnit u;
    u.x = int32_t(v[0]);
    u.y = int32_t(v[1]);
    u.width = int32_t(v[2]);
    u.height = int32_t(v[3]);
    u.anchorX = int16_t(v[4]);
    u.anchorY = int16_t(v[5]);
    u.shadowAnchorX = int16_t(v[6]);
    u.shadowAnchorY = int16_t(v[7]);
    u.shadowAngle = int16_t(v[8]);
    u.shadowLength = int16_t(v[9]);
    SetUnitTexCoords(u);
    units.push_back(u);
    return true;
}

bool ReadUnits(const std::string& path, std::vector<DtxUnit>& units, std::string& error) {
    std::ifstream in(plat::MapPath(path));
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (auto hash = line.find('#'); hash != std::string::npos) line.resize(hash);
        std::istringstream s(line);
        if (!ParseUnit(s, units)) {
            error = path + ":" + std::to_string(number) + ": expected 6 or 10 numbers";
            return false;
        }
    }
    return true;
}

// A sheet drawn in text: "size W H" (whole tiles of 256), "colour K RRGGBB"
// for a one-character key, blocks of pixel rows "pixels X Y" ... "end" in
// which '.' and ' ' stay transparent, and "unit ..." lines as in UNITS.txt;
// a line starting with '#' outside the blocks is a comment.
bool ReadTextSheet(const std::string& path, RgbPicture& sheet, std::vector<DtxUnit>& units,
                   std::string& error) {
    std::ifstream in(plat::MapPath(path));
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::map<char, uint32_t> colours;
    std::string line;
    int number = 0;
    int32_t blockX = 0, blockY = 0, row = -1;  // row >= 0 inside a pixel block
    auto fail = [&](const std::string& what) {
        error = path + ":" + std::to_string(number) + ": " + what;
        return false;
    };
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (row >= 0) {
            if (line == "end") {
                row = -1;
                continue;
            }
            for (size_t x = 0; x < line.size(); ++x) {
                const char key = line[x];
                if (key == '.' || key == ' ') continue;
                auto it = colours.find(key);
                if (it == colours.end()) return fail(std::string("no colour for '") + key + "'");
                const int64_t px = int64_t(blockX) + int64_t(x), py = int64_t(blockY) + row;
                if (px >= sheet.width || py >= sheet.height) return fail("the pixels leave the sheet");
                sheet.pixels[size_t(py) * size_t(sheet.width) + size_t(px)] = it->second;
            }
            ++row;
            continue;
        }
        std::istringstream s(line);
        std::string word;
        if (!(s >> word) || word[0] == '#') continue;  // a comment line
        if (word == "size") {
            long w = 0, h = 0;
            if (!(s >> w >> h) || w <= 0 || h <= 0 || w % 256 || h % 256 || w * h > 255L * 256 * 256)
                return fail("the size must be whole tiles of 256, at most 255 of them");
            sheet.width = int32_t(w);
            sheet.height = int32_t(h);
            sheet.pixels.assign(size_t(w) * size_t(h), kMagenta);
        } else if (word == "colour") {
            std::string key, rgb;
            if (!(s >> key >> rgb) || key.size() != 1 || rgb.size() != 6 || key == "." ||
                rgb.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                return fail("expected: colour KEY RRGGBB");
            colours[key[0]] = uint32_t(std::strtoul(rgb.c_str(), nullptr, 16));
        } else if (word == "pixels") {
            if (sheet.pixels.empty()) return fail("pixels before the size");
            if (!(s >> blockX >> blockY) || blockX < 0 || blockY < 0) return fail("expected: pixels X Y");
            row = 0;
        } else if (word == "unit") {
            if (!ParseUnit(s, units)) return fail("expected 6 or 10 numbers");
        } else {
            return fail("unknown line '" + word + "'");
        }
    }
    if (row >= 0) return fail("the pixels have no 'end'");
    if (sheet.pixels.empty()) return fail("no size");
    return true;
}

// Writes the sheet (magenta transparent) and its units.
int WriteSheet(const std::string& out, const RgbPicture& sheet, const std::vector<DtxUnit>& units,
               uint8_t version) {
    const uint32_t columns = uint32_t(sheet.width) >> 8, rows = uint32_t(sheet.height) >> 8;
    if (uint64_t(columns) * rows > DTX_MAX_TILES) return Fail("a sheet holds at most 255 tiles of 256 x 256");
    for (size_t i = 0; i < units.size(); ++i) {
        SpriteGrid grid;
        if (!BuildSpriteGrid(units[i], columns, rows, grid))
            return Fail("unit " + std::to_string(i) + " does not lie inside the sheet's whole tiles");
    }
    std::vector<uint16_t> px(sheet.pixels.size());
    for (size_t i = 0; i < px.size(); ++i) {
        uint32_t c = sheet.pixels[i];
        if (c == kMagenta)  // older versions keep magenta and the program keys it out
            px[i] = version >= 4 ? 0x0000 : 0xFF0F;
        else
            px[i] = uint16_t(0xF000 | ((c >> 12) & 0x0F00) | ((c >> 8) & 0x00F0) | ((c >> 4) & 0x000F));
    }
    auto tiles = SheetToTiles(px.data(), uint32_t(sheet.width), uint32_t(sheet.height));
    if (!Save(out, WriteDtxSheet(version, units, uint32_t(sheet.width), uint32_t(sheet.height), tiles)))
        return Fail("cannot write " + out);
    return 0;
}

int CmdDtx(const Args& a) {
    if (a.positional.size() != 3) return Usage();
    RgbPicture sheet;
    std::vector<DtxUnit> units;
    std::string error;
    if (!ReadBmp(a.positional[1], sheet, error) || !ReadUnits(a.positional[2], units, error))
        return Fail(error);
    return WriteSheet(a.positional[0], sheet, units, uint8_t(a.Number("--version", 4)));
}

int CmdDtxText(const Args& a) {
    if (a.positional.size() != 2) return Usage();
    RgbPicture sheet;
    std::vector<DtxUnit> units;
    std::string error;
    if (!ReadTextSheet(a.positional[1], sheet, units, error)) return Fail(error);
    return WriteSheet(a.positional[0], sheet, units, uint8_t(a.Number("--version", 4)));
}

// A picture drawn from a list, one command a line ('#' starts a comment):
// "size W H" first, then "fill RRGGBB", "rect X Y W H RRGGBB",
// "frame X Y W H RRGGBB [THICK]" and "gradient X Y W H RRGGBB RRGGBB [h|v]"
// (left to right, or top to bottom with "v") and
// "text X Y RRGGBB SIZE [bold] [centre|right] [shadow RRGGBB] \"WORDS\"": the
// words (UTF-8 in the list, drawn as code page 932) in the game's Gothic face
// with a cell SIZE pixels high whose top is at Y, starting at X (centred on X,
// or ending at X), without smoothing, as the game draws its text; a shadow
// lies one pixel right and down. Shapes are clipped to the picture.
constexpr long kDrawMaxSide = 4096;
constexpr long kTextMinSize = 8;
constexpr long kTextMaxSize = 64;

class DrawList {
public:
    explicit DrawList(RgbPicture& pic) : m_pic(pic) {}
    ~DrawList() {
        for (auto& [key, font] : m_fonts) plat::DeleteObject(font);
    }
    DrawList(const DrawList&) = delete;
    DrawList& operator=(const DrawList&) = delete;

    // One line; false with the reason in error.
    bool Line(const std::string& line, std::string& error) {
        std::istringstream s(line);
        std::string word;
        if (!(s >> word) || word[0] == '#') return true;
        if (word == "size") {
            long w = 0, h = 0;
            if (!m_pic.pixels.empty()) return Error(error, "a second size");
            if (!(s >> w >> h) || w <= 0 || h <= 0 || w > kDrawMaxSide || h > kDrawMaxSide)
                return Error(error, "expected: size W H, each 1 to 4096");
            m_pic.width = int32_t(w);
            m_pic.height = int32_t(h);
            m_pic.pixels.assign(size_t(w) * size_t(h), 0);
            return End(s, error);
        }
        if (m_pic.pixels.empty()) return Error(error, "'" + word + "' before the size");
        long x = 0, y = 0, w = m_pic.width, h = m_pic.height;
        uint32_t colour = 0, to = 0;
        if (word == "fill") {
            if (!Colour(s, colour)) return Error(error, "expected: fill RRGGBB");
            Rect(x, y, w, h, colour);
        } else if (word == "rect") {
            if (!Box(s, x, y, w, h) || !Colour(s, colour))
                return Error(error, "expected: rect X Y W H RRGGBB");
            Rect(x, y, w, h, colour);
        } else if (word == "frame") {
            long thick = 1;
            if (!Box(s, x, y, w, h) || !Colour(s, colour))
                return Error(error, "expected: frame X Y W H RRGGBB [THICK]");
            if (!s.eof() && (!(s >> thick) || thick <= 0 || thick > kDrawMaxSide))
                return Error(error, "the frame's thickness must be 1 to 4096");
            thick = std::min({thick, (w + 1) / 2, (h + 1) / 2});
            Rect(x, y, w, thick, colour);
            Rect(x, y + h - thick, w, thick, colour);
            Rect(x, y, thick, h, colour);
            Rect(x + w - thick, y, thick, h, colour);
        } else if (word == "gradient") {
            std::string way = "h";
            if (!Box(s, x, y, w, h) || !Colour(s, colour) || !Colour(s, to))
                return Error(error, "expected: gradient X Y W H RRGGBB RRGGBB [h|v]");
            if (!s.eof() && (!(s >> way) || (way != "h" && way != "v")))
                return Error(error, "the gradient's way must be h or v");
            Gradient(x, y, w, h, colour, to, way == "v");
        } else if (word == "text") {
            return TextLine(s, error);
        } else {
            return Error(error, "unknown command '" + word + "'");
        }
        return End(s, error);
    }

private:
    // The rest of a "text" line after its word.
    bool TextLine(std::istringstream& s, std::string& error) {
        static const char* const kUsage =
            "expected: text X Y RRGGBB SIZE [bold] [centre|right] [shadow RRGGBB] \"WORDS\"";
        long x = 0, y = 0, size = 0;
        uint32_t colour = 0, shadowColour = 0;
        if (!(s >> x >> y) || x < -kDrawMaxSide || x > kDrawMaxSide || y < -kDrawMaxSide ||
            y > kDrawMaxSide || !Colour(s, colour) || !(s >> size))
            return Error(error, kUsage);
        if (size < kTextMinSize || size > kTextMaxSize)
            return Error(error, "the text's size must be 8 to 64");
        bool bold = false, shadow = false;
        char align = 'l';
        std::string option;
        while (s >> std::ws && s.peek() != '"' && s >> option) {
            if (option == "bold") {
                bold = true;
            } else if (option == "centre" || option == "right") {
                align = option[0];
            } else if (option == "shadow") {
                if (!Colour(s, shadowColour)) return Error(error, kUsage);
                shadow = true;
            } else {
                return Error(error, "unknown text option '" + option + "'");
            }
        }
        std::string rest;
        std::getline(s, rest);
        const size_t close = rest.find('"', 1);
        if (rest.empty() || rest[0] != '"' || close == std::string::npos)
            return Error(error, "the words go between double quotes");
        const std::string words = rest.substr(1, close - 1);
        std::istringstream after(rest.substr(close + 1));
        if (!End(after, error)) return false;
        if (words.empty()) return Error(error, "no words between the quotes");
        const std::string text = plat::FromUtf8(plat::CP_SHIFT_JIS, words);
        if (plat::ToUtf8(plat::CP_SHIFT_JIS, text) != words)
            return Error(error, "the words are not UTF-8 of characters code page 932 has");
        plat::HFONT font = Font(int(size), bold);
        if (!font) return Error(error, "no Gothic font to draw text with");
        const long width = plat::GetTextExtent(font, text.data(), text.size());
        if (align == 'c') x -= width / 2;
        if (align == 'r') x -= width;
        if (shadow) Words(font, x + 1, y + 1, text, shadowColour);
        Words(font, x, y, text, colour);
        return true;
    }
    plat::HFONT Font(int size, bool bold) {
        auto [it, added] = m_fonts.try_emplace({size, bold}, nullptr);
        if (added) it->second = plat::CreateFontA(size, bold ? 700 : 400, false);
        return it->second;
    }
    // Draws the text's ink into a mask the picture's size, then colours it in.
    void Words(plat::HFONT font, long x, long y, const std::string& text, uint32_t colour) {
        std::vector<uint16_t> mask(m_pic.pixels.size(), 0);
        const plat::PixelBuffer target{mask.data(), int(m_pic.width * 2), int(m_pic.width),
                                       int(m_pic.height)};
        plat::TextOutA(font, target, int(x), int(y), text.data(), text.size(), 1);
        for (size_t i = 0; i < mask.size(); ++i)
            if (mask[i]) m_pic.pixels[i] = colour;
    }
    static bool Error(std::string& error, const std::string& what) {
        error = what;
        return false;
    }
    static bool End(std::istringstream& s, std::string& error) {
        std::string rest;
        if (s >> rest && rest[0] != '#') return Error(error, "unexpected '" + rest + "'");
        return true;
    }
    // X Y W H with the sides 1 to 4096 and the corner within 4096 of the picture.
    static bool Box(std::istringstream& s, long& x, long& y, long& w, long& h) {
        return bool(s >> x >> y >> w >> h) && w > 0 && h > 0 && w <= kDrawMaxSide && h <= kDrawMaxSide &&
               x >= -kDrawMaxSide && x <= kDrawMaxSide && y >= -kDrawMaxSide && y <= kDrawMaxSide;
    }
    static bool Colour(std::istringstream& s, uint32_t& colour) {
        std::string rgb;
        if (!(s >> rgb) || rgb.size() != 6 ||
            rgb.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            return false;
        colour = uint32_t(std::strtoul(rgb.c_str(), nullptr, 16));
        return true;
    }
    void Put(long x, long y, uint32_t colour) {
        if (x >= 0 && y >= 0 && x < m_pic.width && y < m_pic.height)
            m_pic.pixels[size_t(y) * size_t(m_pic.width) + size_t(x)] = colour;
    }
    void Rect(long x, long y, long w, long h, uint32_t colour) {
        for (long j = std::max(y, 0L); j < std::min(y + h, long(m_pic.height)); ++j)
            for (long i = std::max(x, 0L); i < std::min(x + w, long(m_pic.width)); ++i) Put(i, j, colour);
    }
    // Each channel runs evenly from the first colour at one end to the second at the other.
    void Gradient(long x, long y, long w, long h, uint32_t from, uint32_t to, bool vertical) {
        const long steps = (vertical ? h : w) - 1;
        for (long j = 0; j < h; ++j)
            for (long i = 0; i < w; ++i) {
                const long at = vertical ? j : i;
                uint32_t c = 0;
                for (int shift = 0; shift <= 16; shift += 8) {
                    const long a = long((from >> shift) & 0xFF), b = long((to >> shift) & 0xFF);
                    const long v =
                        steps == 0 ? a : a + ((b - a) * at * 2 + (b >= a ? steps : -steps)) / (2 * steps);
                    c |= uint32_t(v) << shift;
                }
                Put(x + i, y + j, c);
            }
    }

    RgbPicture& m_pic;
    std::map<std::pair<int, bool>, plat::HFONT> m_fonts;
};

int CmdDraw(const Args& a) {
    if (a.positional.size() != 2) return Usage();
    const std::string& list = a.positional[1];
    std::ifstream in(plat::MapPath(list));
    if (!in) return Fail("cannot read " + list);
    // The words are the game's text: code page 932, whatever the game was last set to.
    const plat::ScopedCodePage codePage(plat::CP_SHIFT_JIS);
    RgbPicture pic;
    DrawList draw(pic);
    std::string line, error;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!draw.Line(line, error)) return Fail(list + ":" + std::to_string(number) + ": " + error);
    }
    if (pic.pixels.empty()) return Fail(list + ": no size");
    if (!WriteBmp(a.positional[0], pic)) return Fail("cannot write " + a.positional[0]);
    return 0;
}

uint32_t Pixel565ToRgb(uint16_t p) {
    return (uint32_t((p >> 11) << 3) << 16) | (uint32_t(((p >> 5) & 63) << 2) << 8) | uint32_t((p & 31) << 3);
}

bool Render(const SpanImageView& view, const std::vector<uint16_t>& palette, const std::string& path) {
    if (view.width <= 0 || view.height <= 0) return false;
    std::vector<uint16_t> canvas(size_t(view.width) * view.height, kKey565);
    PixelTarget t{reinterpret_cast<uint8_t*>(canvas.data()), view.width * 2, view.width, view.height};
    ClipRect clip = MakeClipRect(nullptr, t, view.width, view.height);
    if (view.indexed)
        BlitSpansIndexed(t, clip, view, 0, 0, palette.data(), IndexedStyle{});
    else
        BlitSpans(t, clip, view, 0, 0, SpanStyle{});
    RgbPicture out;
    out.width = view.width;
    out.height = view.height;
    for (uint16_t p : canvas) out.pixels.push_back(p == kKey565 ? kMagenta : Pixel565ToRgb(p));
    return WriteBmp(path, out);
}

void PrintRuns(const std::vector<SpanRun>& runs, const char* indent) {
    for (size_t i = 0; i < runs.size(); ++i)
        std::fprintf(g_out, "%srun %zu: x %d y %d length %d\n", indent, i, runs[i].x, runs[i].y,
                     runs[i].length);
}

int DumpFrames(CByteSource& src, bool palettised, const Args& a) {
    FramePicture p;
    std::string error;
    if (!ReadFramePicture(src, PIXEL_KIND_565, palettised, PIXEL_KIND_565, p, &error))
        return Fail("not a readable multi-frame picture: " + error);
    std::fprintf(g_out, "frames: %zu%s, pixel data %u bytes\n", p.frames.size(),
                 palettised ? " (palettised)" : "", p.dataSize);
    for (size_t i = 0; i < p.frames.size(); ++i) {
        const FrameRecord& f = p.frames[i];
        std::fprintf(g_out, "frame %zu: %d x %d, offsets %d %d %d %d, data at %u, %zu runs\n", i, f.width,
                     f.height, f.HeadValue(0), f.HeadValue(1), f.HeadValue(2), f.HeadValue(3), f.dataOffset,
                     f.spans.size());
        PrintRuns(f.spans, "  ");
    }
    if (a.Has("--bmp")) {
        size_t frame = size_t(a.Number("--frame", 0));
        if (frame >= p.frames.size() || !Render(ViewOf(p, frame), p.palette, a.options.at("--bmp")))
            return Fail("cannot draw frame " + std::to_string(frame));
    }
    return 0;
}

int CmdDump(const Args& a) {
    if (a.positional.size() != 1) return Usage();
    const std::string& path = a.positional[0];
    std::vector<uint8_t> bytes;
    if (!plat::ReadWholeFile(path, bytes)) return Fail("cannot read " + path);
    std::string as = a.options.count("--as") ? a.options.at("--as") : "";
    if (as.empty()) {
        std::string upper = path;
        for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
        as = upper.size() > 4 && upper.compare(upper.size() - 4, 4, ".DTX") == 0 ? "dtx" : "span";
    }
    CMemorySource src(bytes, path);
    std::string error;
    if (as == "span" || as == "span8") {
        SpanPicture p;
        const bool indexed = as == "span8";
        if (!ReadSpanPicture(src, indexed ? PIXEL_KIND_INDEXED : PIXEL_KIND_565, 128, PIXEL_KIND_565, p,
                             &error))
            return Fail("not a readable span picture: " + error);
        std::fprintf(
            g_out, "span picture: header 0x%04X, %d x %d, %s, %zu runs, pixel data %u bytes, %u bytes read\n",
            p.header, p.width, p.height, indexed ? "8-bit with palette" : "16-bit", p.spans.size(),
            p.dataSize, p.bytesRead);
        PrintRuns(p.spans, "");
        if (a.Has("--bmp") && !Render(ViewOf(p), p.palette, a.options.at("--bmp")))
            return Fail("cannot draw the picture");
        return 0;
    }
    if (as == "frames" || as == "frames8") return DumpFrames(src, as == "frames8", a);
    if (as != "dtx") return Usage();
    DtxHeader h;
    if (!ReadDtxHeader(src, h, &error)) return Fail("not a readable texture image: " + error);
    std::fprintf(g_out, "texture image: version %d, kind %d (%s)\n", h.version, h.kind,
                 h.sheet ? "sheet" : (h.kind == 2 ? "palettised picture" : "picture"));
    if (!h.sheet) return DumpFrames(src, h.kind == 2, a);
    std::fprintf(g_out, "sheet: %u x %u, %u x %u tiles, %zu units\n", h.width, h.height, h.columns, h.rows,
                 h.units.size());
    for (size_t i = 0; i < h.units.size(); ++i) {
        const DtxUnit& u = h.units[i];
        std::fprintf(
            g_out,
            "unit %zu: at %d,%d size %d x %d uv %.5f %.5f anchor %d,%d shadow anchor %d,%d angle %d length "
            "%d\n",
            i, u.x, u.y, u.width, u.height, u.u, u.v, u.anchorX, u.anchorY, u.shadowAnchorX, u.shadowAnchorY,
            u.shadowAngle, u.shadowLength);
    }
    if (a.Has("--bmp") && h.TileCount() > 0) {
        RgbPicture out;
        out.width = int32_t(h.columns * 256);
        out.height = int32_t(h.rows * 256);
        out.pixels.assign(size_t(out.width) * out.height, 0);
        for (uint32_t r = 0; r < h.rows; ++r)
            for (uint32_t c = 0; c < h.columns; ++c)
                for (uint32_t y = 0; y < 256; ++y)
                    for (uint32_t x = 0; x < 256; ++x) {
                        uint16_t p = 0;
                        src.ReadU16(p);
                        const bool clear = (p >> 12) == 0 || (h.version < 4 && (p & 0x0FFF) == 0x0F0F);
                        uint32_t rgb =
                            ((p >> 8) & 15) * 0x110000u + ((p >> 4) & 15) * 0x1100u + (p & 15) * 0x11u;
                        out.pixels[size_t(r * 256 + y) * out.width + c * 256 + x] = clear ? kMagenta : rgb;
                    }
        if (!WriteBmp(a.options.at("--bmp"), out)) return Fail("cannot write " + a.options.at("--bmp"));
    }
    return 0;
}

}  // namespace

int RunImageTool(const std::vector<std::string>& args, FILE* out, FILE* err) {
    if (!args.empty() && args[0] == "batch") return toolbatch::Run("qmimage", args, RunImageTool, out, err);
    g_out = out;
    g_err = err;
    if (args.empty()) return Usage();
    const std::string& cmd = args[0];
    const Args a = Parse(args);
    if (cmd == "span") return CmdSpan(a);
    if (cmd == "frames") return CmdFrames(a, false);
    if (cmd == "dtx-picture") return CmdFrames(a, true);
    if (cmd == "dtx") return CmdDtx(a);
    if (cmd == "dtx-text") return CmdDtxText(a);
    if (cmd == "dump") return CmdDump(a);
    if (cmd == "draw") return CmdDraw(a);
    return Usage();
}
