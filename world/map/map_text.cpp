#include "world/map/map_text.h"

#include <algorithm>
#include <map>
#include <set>

#include "core/byte_source.h"
#include "graphics/image_resource.h"
#include "graphics/pixel_ops.h"
#include "graphics/span_image_format.h"
#include "platform/paths.h"
#include "world/map/map.h"
#include "world/map/path_finder.h"
#include "world/map/stage_text.h"
#include "world/map/text_lines.h"

namespace maptext {

namespace {

struct DefPlan {
    int32_t index = 0;
    int32_t kind = MAP_OBJ_NONE;
    std::vector<uint8_t> picture;  // kinds 1, 3
    int32_t base = -1;             // kinds 2, 4
    int32_t animation = 0, motion = 0, facing = 0;
    bool blockOnly = false;
};

struct Legend {
    uint16_t ground = 0;
    uint16_t attributes = 0;
};

struct Placed {
    int32_t def = 0, x = 0, y = 0;
};

struct GroundPlan {
    int32_t cellX = 0, cellY = 0, def = 0;
};

struct PortalPlan {
    int32_t cellX = 0, cellY = 0;
    std::vector<std::pair<int32_t, int32_t>> neighbours;
};

struct MapPlan {
    int32_t number = 1;
    int32_t header = 0;
    int32_t width = 0, height = 0;
    int32_t definitions = -1;
    std::map<int32_t, DefPlan> defs;
    std::map<char, Legend> legend;
    std::vector<std::string> rows;
    std::vector<Placed> objects;
    std::vector<GroundPlan> grounds;
    bool portalsAuto = false;
    std::vector<PortalPlan> portals;
};

class MapParser {
public:
    MapParser(const std::string& folder, std::string* error) : m_folder(folder), m_error(error) {}
    bool Parse(const std::vector<Line>& lines, MapPlan& plan, MapFiles& files);

private:
    bool Fail(const Line& line, const std::string& message) {
        if (m_error) *m_error = LineError(line, message);
        return false;
    }
    bool Def(WordCursor& c, MapPlan& plan);
    bool ReadPicture(const Line& line, const std::string& name, int32_t kind, std::vector<uint8_t>& out);

    std::string m_folder;
    std::string* m_error;
};

bool MapParser::ReadPicture(const Line& line, const std::string& name, int32_t kind,
                            std::vector<uint8_t>& out) {
    const std::string path = name.empty() || name[0] == '/' ? name : m_folder + "/" + name;
    if (!plat::ReadWholeFile(path, out)) return Fail(line, "cannot read the picture " + path);
    CMemorySource src(out);
    SpanPicture picture;
    std::string why;
    const int pixelKind = kind == MAP_OBJ_IMAGE8 ? PIXEL_KIND_INDEXED : PIXEL_KIND_565;
    if (!ReadSpanPicture(src, pixelKind, 128, PIXEL_KIND_565, picture, &why) ||
        picture.bytesRead != out.size())
        return Fail(line, path + " is not a single " + (kind == MAP_OBJ_IMAGE8 ? "palettised " : "16-bit ") +
                              "picture" + (why.empty() ? "" : ": " + why));
    return true;
}

bool MapParser::Def(WordCursor& c, MapPlan& plan) {
    const Line& line = c.GetLine();
    int64_t index = 0, kind = 0, v = 0;
    if (!c.Number(0, 65535, index, m_error, "the definition") || !c.Accept("kind") ||
        !c.Number(0, 255, kind, m_error, "the kind"))
        return false;
    if (plan.defs.count(int32_t(index))) return Fail(line, "definition " + std::to_string(index) + " twice");
    DefPlan d;
    d.index = int32_t(index);
    d.kind = int32_t(kind);
    while (!c.AtEnd()) {
        const Word* w = c.Next();
        if (w->text == "picture" && IsMapImageKind(d.kind)) {
            const Word* file = c.Next();
            if (!file) return Fail(line, "picture needs a file");
            if (!ReadPicture(line, file->text, d.kind, d.picture)) return false;
        } else if (w->text == "base" && IsMapVariantKind(d.kind)) {
            if (!c.Number(0, 65535, v, m_error, "the base")) return false;
            d.base = int32_t(v);
        } else if (w->text == "animation" && d.kind == MAP_OBJ_ANIMATION) {
            if (!c.Number(0, 65535, v, m_error, "the animation")) return false;
            d.animation = int32_t(v);
        } else if (w->text == "motion" && d.kind == MAP_OBJ_ANIMATION) {
            if (!c.Number(0, 65535, v, m_error, "the motion")) return false;
            d.motion = int32_t(v);
        } else if (w->text == "facing" && d.kind == MAP_OBJ_ANIMATION) {
            if (!c.Number(0, 65535, v, m_error, "the facing")) return false;
            d.facing = int32_t(v);
        } else if (w->text == "block") {
            d.blockOnly = true;
        } else {
            return Fail(line,
                        "'" + w->text + "' does not belong to a definition of kind " + std::to_string(kind));
        }
    }
    if (IsMapImageKind(d.kind) && d.picture.empty())
        return Fail(line, "a picture definition needs its picture");
    if (IsMapVariantKind(d.kind) && d.base < 0) return Fail(line, "a variant needs its base");
    plan.defs[d.index] = std::move(d);
    return true;
}

bool MapParser::Parse(const std::vector<Line>& lines, MapPlan& plan, MapFiles& files) {
    for (size_t i = 0; i < lines.size();) {
        const Line& line = lines[i++];
        if (line.words.empty()) continue;
        WordCursor c(line);
        const std::string& key = c.Next()->text;
        int64_t a = 0, b = 0, d = 0;
        if (key == "map") {
            if (!c.Number(0, 9999, a, m_error, "the map number")) return false;
            plan.number = int32_t(a);
        } else if (key == "header") {
            if (!c.Number(0, 255, a, m_error, "the header byte")) return false;
            plan.header = int32_t(a);
        } else if (key == "size") {
            if (!c.Number(1, MAP_MAX_CELLS, a, m_error, "the width") ||
                !c.Number(1, MAP_MAX_CELLS, b, m_error, "the height"))
                return false;
            plan.width = int32_t(a);
            plan.height = int32_t(b);
        } else if (key == "definitions") {
            if (!c.Number(0, 65535, a, m_error, "the definition count")) return false;
            plan.definitions = int32_t(a);
        } else if (key == "def") {
            if (!Def(c, plan)) return false;
        } else if (key == "legend") {
            // The character is taken as written: '#' is a legend character here.
            const size_t at = line.raw.find("legend") + 6;
            const size_t chAt = line.raw.find_first_not_of(" \t", at);
            if (chAt == std::string::npos ||
                (chAt + 1 < line.raw.size() && line.raw[chAt + 1] != ' ' && line.raw[chAt + 1] != '\t'))
                return Fail(line, "a legend names one character");
            Line rest = line;
            if (!SplitWords(line.raw.substr(chAt + 1), rest, m_error)) return false;
            WordCursor r(rest);
            const char ch = line.raw[chAt];
            Legend legend;
            while (!r.AtEnd()) {
                if (r.Accept("ground")) {
                    if (!r.Number(0, 65535, a, m_error, "the ground")) return false;
                    legend.ground = uint16_t(a);
                } else if (r.Accept("blocked")) {
                    legend.attributes |= CELL_BLOCKED;
                } else if (r.Accept("nodrop")) {
                    legend.attributes |= CELL_NO_DROP;
                } else if (r.Accept("attr")) {
                    if (!r.Number(0, 65535, a, m_error, "the attributes")) return false;
                    legend.attributes |= uint16_t(a);
                } else {
                    return Fail(line, "a legend takes ground N, blocked, nodrop and attr N");
                }
            }
            plan.legend[ch] = legend;
        } else if (key == "cells") {
            // Rows are read as written: '#' is a cell character here.
            for (;;) {
                if (i >= lines.size()) return Fail(line, "the cells have no 'end'");
                const Line& row = lines[i++];
                const size_t first = row.raw.find_first_not_of(" \t");
                if (first == std::string::npos) continue;
                const size_t last = row.raw.find_last_not_of(" \t");
                const std::string cells = row.raw.substr(first, last - first + 1);
                if (cells == "end") break;
                if (cells.find_first_of(" \t") != std::string::npos)
                    return Fail(row, "a row of cells is one word");
                plan.rows.push_back(cells);
            }
        } else if (key == "object") {
            if (!c.Number(0, 65535, a, m_error, "the definition") || !c.Accept("at") ||
                !c.Number(INT32_MIN, INT32_MAX, b, m_error, "x") ||
                !c.Number(INT32_MIN, INT32_MAX, d, m_error, "y"))
                return false;
            plan.objects.push_back({int32_t(a), int32_t(b), int32_t(d)});
        } else if (key == "ground") {
            if (!c.Number(0, UINT32_MAX, a, m_error, "the definition") || !c.Accept("at") ||
                !c.Number(0, 65535, b, m_error, "the cell x") ||
                !c.Number(0, 65535, d, m_error, "the cell y"))
                return false;
            plan.grounds.push_back({int32_t(b), int32_t(d), int32_t(a)});
        } else if (key == "portals") {
            if (!c.Accept("auto")) return Fail(line, "portals auto, or portal lines");
            plan.portalsAuto = true;
        } else if (key == "portal") {
            PortalPlan p;
            if (!c.Number(0, 65535, a, m_error, "the cell x") ||
                !c.Number(0, 65535, b, m_error, "the cell y"))
                return false;
            p.cellX = int32_t(a);
            p.cellY = int32_t(b);
            if (!c.Accept(":")) return Fail(line, "portal X Y : neighbours");
            while (!c.AtEnd()) {
                if (!c.Number(0, 65535, a, m_error, "a neighbour x") ||
                    !c.Number(0, 65535, b, m_error, "a neighbour y"))
                    return false;
                p.neighbours.emplace_back(int32_t(a), int32_t(b));
            }
            plan.portals.push_back(std::move(p));
        } else if (key == "stage") {
            if (!c.Number(0, 65535, a, m_error, "the stage number")) return false;
            files.stageNumber = int32_t(a);
            if (!BuildStage(lines, i, true, files.stage, m_error)) return false;
        } else {
            return Fail(line, "unknown line '" + key + "'");
        }
        if (key != "def" && key != "legend" && key != "portal" && !c.AtEnd())
            return Fail(line, "more words than the line takes");
    }
    if (plan.width <= 0) {
        if (m_error) *m_error = "the map has no size";
        return false;
    }
    if (int32_t(plan.rows.size()) != plan.height) {
        if (m_error)
            *m_error = "the cells have " + std::to_string(plan.rows.size()) + " rows, not " +
                       std::to_string(plan.height);
        return false;
    }
    for (size_t r = 0; r < plan.rows.size(); ++r) {
        if (int32_t(plan.rows[r].size()) != plan.width) {
            if (m_error)
                *m_error =
                    "cell row " + std::to_string(r) + " is not " + std::to_string(plan.width) + " wide";
            return false;
        }
        for (char ch : plan.rows[r])
            if (!plan.legend.count(ch)) {
                if (m_error) *m_error = std::string("no legend for '") + ch + "'";
                return false;
            }
    }
    for (const auto& [index, def] : plan.defs)
        if (IsMapVariantKind(def.kind)) {
            auto base = plan.defs.find(def.base);
            const int32_t want = def.kind == MAP_OBJ_VARIANT ? MAP_OBJ_IMAGE : MAP_OBJ_IMAGE8;
            if (base == plan.defs.end() || base->second.kind != want) {
                if (m_error)
                    *m_error = "definition " + std::to_string(index) +
                               ": its base must be a picture of kind " + std::to_string(want);
                return false;
            }
        }
    return true;
}

// ---- Writing ----

void WriteRecord(const MapPlan& plan, const DefPlan& def, CByteWriter& w) {
    w.U8(uint8_t(def.kind));
    auto picture = [&](const DefPlan& owner) {
        std::vector<uint8_t> bytes = owner.picture;
        bytes[0] = uint8_t(owner.index);
        bytes[1] = uint8_t(owner.index >> 8);
        w.Bytes(bytes.data(), bytes.size());
    };
    switch (def.kind) {
        case MAP_OBJ_ANIMATION:
            w.U16(uint16_t(def.index));
            w.U16(uint16_t(def.animation));
            w.U16(uint16_t(def.motion));
            w.U16(uint16_t(def.facing));
            break;
        case MAP_OBJ_IMAGE:
        case MAP_OBJ_IMAGE8:
            picture(def);
            break;
        case MAP_OBJ_VARIANT:
        case MAP_OBJ_VARIANT8:
            w.U16(uint16_t(def.index));
            w.U16(uint16_t(def.base));
            picture(plan.defs.at(def.base));
            break;
        default:
            w.U16(uint16_t(def.index));  // a kind the client refuses
            break;
    }
}

std::vector<uint8_t> WriteMap(const MapPlan& plan, std::vector<uint32_t>& offsets) {
    CByteWriter w;
    int32_t count = plan.definitions;
    if (count < 0) count = plan.defs.empty() ? 1 : plan.defs.rbegin()->first + 1;
    std::vector<const DefPlan*> header;
    for (const auto& [index, def] : plan.defs)
        if (!def.blockOnly) header.push_back(&def);
    w.U8(uint8_t(plan.header));
    w.U32(uint32_t(plan.width));
    w.U32(uint32_t(plan.height));
    w.U16(uint16_t(count));
    w.U16(uint16_t(header.size()));
    for (const DefPlan* def : header) {
        WriteRecord(plan, *def, w);
        w.I32(0);
        w.I32(24);
    }
    const int32_t across = (plan.width + MAP_BLOCK_CELLS - 1) / MAP_BLOCK_CELLS;
    const int32_t down = (plan.height + MAP_BLOCK_CELLS - 1) / MAP_BLOCK_CELLS;
    offsets.clear();
    for (int32_t by = 0; by < down; ++by)
        for (int32_t bx = 0; bx < across; ++bx) {
            offsets.push_back(uint32_t(w.Data().size()));
            const int32_t x0 = bx * MAP_BLOCK_CELLS, y0 = by * MAP_BLOCK_CELLS;
            const int32_t bw = std::min(MAP_BLOCK_CELLS, plan.width - x0);
            const int32_t bh = std::min(MAP_BLOCK_CELLS, plan.height - y0);
            const auto inBlock = [&](int32_t cx, int32_t cy) {
                return cx >= x0 && cx < x0 + bw && cy >= y0 && cy < y0 + bh;
            };
            w.U16(uint16_t(bw));
            w.U16(uint16_t(bh));
            // The picture covers the cells' diamonds and one cell of height above them.
            w.U16(uint16_t((bw + bh) * MAP_CELL_W / 2));
            w.U16(uint16_t((bw + bh) * MAP_CELL_H / 2 + MAP_CELL_H * 2));
            w.I32(0);
            w.I32(bw * MAP_CELL_H / 2 + MAP_CELL_H * 2);
            std::vector<const GroundPlan*> grounds;
            for (const GroundPlan& g : plan.grounds)
                if (inBlock(g.cellX, g.cellY)) grounds.push_back(&g);
            w.U16(uint16_t(grounds.size()));
            for (const GroundPlan* g : grounds) {
                w.U16(uint16_t(g->cellX));
                w.U16(uint16_t(g->cellY));
                w.U32(uint32_t(g->def));
            }
            std::vector<const Placed*> objects;
            for (const Placed& o : plan.objects)
                if (inBlock(o.x / MAP_CELL_W, o.y / MAP_CELL_H)) objects.push_back(&o);
            w.U16(uint16_t(objects.size()));
            for (const Placed* o : objects) {
                auto def = plan.defs.find(o->def);
                if (def != plan.defs.end()) {
                    WriteRecord(plan, def->second, w);
                } else {
                    // A definition the text does not describe: a record for it without an animation.
                    w.U8(MAP_OBJ_ANIMATION);
                    w.U16(uint16_t(o->def));
                    w.U16(0);
                    w.U16(0);
                    w.U16(0);
                }
                w.I32(o->x);
                w.I32(o->y);
            }
            for (int32_t cy = y0; cy < y0 + bh; ++cy)
                for (int32_t cx = x0; cx < x0 + bw; ++cx) {
                    const Legend& l = plan.legend.at(plan.rows[size_t(cy)][size_t(cx)]);
                    w.U16(l.ground);
                    w.U16(0);
                    w.U16(l.attributes);
                    w.U16(0);
                }
        }
    for (uint32_t offset : offsets) w.U32(offset);
    return w.Take();
}

std::vector<uint8_t> WritePaths(int32_t across, int32_t down, const std::vector<PortalPlan>& portals) {
    CByteWriter w;
    w.U16(0);
    w.U32(uint32_t(across));
    w.U32(uint32_t(down));
    for (int32_t by = 0; by < down; ++by)
        for (int32_t bx = 0; bx < across; ++bx) {
            std::vector<const PortalPlan*> here;
            for (const PortalPlan& p : portals)
                if (p.cellX / MAP_BLOCK_CELLS == bx && p.cellY / MAP_BLOCK_CELLS == by) here.push_back(&p);
            w.U32(uint32_t(here.size()));
            for (const PortalPlan* p : here) {
                w.U16(uint16_t(p->cellX));
                w.U16(uint16_t(p->cellY));
                w.U32(uint32_t(p->neighbours.size()));
                for (const auto& [x, y] : p->neighbours) {
                    w.U16(uint16_t(x));
                    w.U16(uint16_t(y));
                }
            }
        }
    return w.Take();
}

}  // namespace

std::vector<uint8_t> AutoPortals(CMap& map) {
    std::vector<PortalPlan> portals;
    const int32_t across = (map.GetWidth() + MAP_BLOCK_CELLS - 1) / MAP_BLOCK_CELLS;
    const int32_t down = (map.GetHeight() + MAP_BLOCK_CELLS - 1) / MAP_BLOCK_CELLS;
    const auto open = [&](int32_t cx, int32_t cy) {
        return map.IsPassableAt(cx * MAP_TILES_PER_CELL, cy * MAP_TILES_PER_CELL);
    };
    // Along each side of each block: the middle of every run of cells that
    // are open on both sides of the border.
    for (int32_t by = 0; by < down; ++by)
        for (int32_t bx = 0; bx < across; ++bx) {
            const int32_t x0 = bx * MAP_BLOCK_CELLS, y0 = by * MAP_BLOCK_CELLS;
            const int32_t x1 = std::min(x0 + MAP_BLOCK_CELLS, map.GetWidth()) - 1;
            const int32_t y1 = std::min(y0 + MAP_BLOCK_CELLS, map.GetHeight()) - 1;
            struct Side {
                int32_t fx, fy, dx, dy, length, ox, oy;
            };
            const Side sides[4] = {{x0, y0, 1, 0, x1 - x0 + 1, 0, -1},
                                   {x0, y1, 1, 0, x1 - x0 + 1, 0, 1},
                                   {x0, y0, 0, 1, y1 - y0 + 1, -1, 0},
                                   {x1, y0, 0, 1, y1 - y0 + 1, 1, 0}};
            std::set<std::pair<int32_t, int32_t>> made;
            for (const Side& s : sides) {
                int32_t run = -1;
                for (int32_t k = 0; k <= s.length; ++k) {
                    const int32_t cx = s.fx + s.dx * k, cy = s.fy + s.dy * k;
                    const bool ok = k < s.length && open(cx, cy) && open(cx + s.ox, cy + s.oy);
                    if (ok && run < 0) run = k;
                    if (!ok && run >= 0) {
                        const int32_t mid = (run + k - 1) / 2;
                        const std::pair<int32_t, int32_t> cell{s.fx + s.dx * mid, s.fy + s.dy * mid};
                        if (made.insert(cell).second) portals.push_back({cell.first, cell.second, {}});
                        run = -1;
                    }
                }
            }
        }
    for (PortalPlan& a : portals)
        for (const PortalPlan& b : portals) {
            if (&a == &b || std::abs(a.cellX / MAP_BLOCK_CELLS - b.cellX / MAP_BLOCK_CELLS) > 1 ||
                std::abs(a.cellY / MAP_BLOCK_CELLS - b.cellY / MAP_BLOCK_CELLS) > 1)
                continue;
            if (IsStraightWalkClear(map, float(a.cellX * MAP_CELL_W), float(a.cellY * MAP_CELL_H),
                                    float(b.cellX * MAP_CELL_W), float(b.cellY * MAP_CELL_H)))
                a.neighbours.emplace_back(b.cellX, b.cellY);
        }
    return WritePaths(across, down, portals);
}

bool BuildMapFiles(std::string_view text, const std::string& folder, MapFiles& out, std::string* error) {
    std::vector<Line> lines;
    if (!SplitLines(text, lines, error, true)) return false;
    MapPlan plan;
    out = MapFiles();
    MapParser parser(folder, error);
    if (!parser.Parse(lines, plan, out)) return false;
    out.number = plan.number;
    out.map = WriteMap(plan, out.blockOffsets);
    const int32_t across = (plan.width + MAP_BLOCK_CELLS - 1) / MAP_BLOCK_CELLS;
    const int32_t down = (plan.height + MAP_BLOCK_CELLS - 1) / MAP_BLOCK_CELLS;
    if (!plan.portalsAuto) {
        out.paths = WritePaths(across, down, plan.portals);
        return true;
    }
    // The client's own map decides which straight walks are clear.
    CMap map;
    if (!map.LoadMapBytes(out.map, "map")) {
        if (error) *error = "the map just written does not load";
        return false;
    }
    map.LoadWholeMap();
    out.paths = AutoPortals(map);
    return true;
}

std::string DumpPaths(const CPathData& paths) {
    std::string out;
    for (int32_t by = 0; by < paths.GetHeight(); ++by)
        for (int32_t bx = 0; bx < paths.GetWidth(); ++bx)
            for (const PathLink& link : paths.GetNode(bx, by)->m_portals) {
                out += "portal " + std::to_string(link.m_cellX) + " " + std::to_string(link.m_cellY) + " :";
                for (const auto& [x, y] : link.m_neighbours)
                    out += " " + std::to_string(x) + " " + std::to_string(y);
                out += "\n";
            }
    return out;
}

std::string DumpMap(CMap& map) {
    CMapData* data = map.GetMapData();
    std::string out;
    if (!data) return out;
    out += "header " + std::to_string(map.GetHeaderByte()) + "\n";
    out += "size " + std::to_string(map.GetWidth()) + " " + std::to_string(map.GetHeight()) + "\n";
    const CMapObjectDefs& defs = data->Definitions();
    out += "definitions " + std::to_string(defs.GetCount()) + "\n";
    std::set<int32_t> inHeader;
    for (const auto& [def, x, y] : data->m_headerPlaced) inHeader.insert(def);
    for (int32_t i = 0; i < defs.GetCount(); ++i) {
        const MapObjectDef& d = *defs.Get(i);
        if (!d.m_loaded) continue;
        out += "def " + std::to_string(i) + " kind " + std::to_string(d.m_kind);
        if (d.m_kind == MAP_OBJ_ANIMATION)
            out += " animation " + std::to_string(d.m_animation) + " motion " + std::to_string(d.m_motion) +
                   " facing " + std::to_string(d.m_facing);
        if (IsMapImageKind(d.m_kind) && d.m_pImage)
            out += " picture " + std::to_string(d.m_pImage->GetWidth()) + "x" +
                   std::to_string(d.m_pImage->GetHeight());
        if (IsMapVariantKind(d.m_kind)) out += " base " + std::to_string(d.m_base);
        if (!inHeader.count(i)) out += " block";
        out += "\n";
    }
    // One legend character for each (ground, attributes) pair, in order of appearance.
    const std::string kChars = ".abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::map<std::pair<uint16_t, uint16_t>, char> legend;
    std::vector<std::pair<uint16_t, uint16_t>> order;
    std::string rows;
    for (int32_t cy = 0; cy < map.GetHeight(); ++cy) {
        for (int32_t cx = 0; cx < map.GetWidth(); ++cx) {
            const MapCell* cell = data->GetLoadedCell(cx, cy);
            if (!cell) {
                rows += '?';
                continue;
            }
            const std::pair<uint16_t, uint16_t> key{cell->m_ground, cell->m_attributes};
            auto it = legend.find(key);
            if (it == legend.end()) {
                const char ch = order.size() < kChars.size() ? kChars[order.size()] : '!';
                it = legend.emplace(key, ch).first;
                order.push_back(key);
            }
            rows += it->second;
        }
        rows += "\n";
    }
    for (const auto& key : order) {
        out += std::string("legend ") + legend[key] + " ground " + std::to_string(key.first);
        uint16_t attributes = key.second;
        if (attributes & CELL_BLOCKED) out += " blocked";
        if (attributes & CELL_NO_DROP) out += " nodrop";
        attributes &= uint16_t(~(CELL_BLOCKED | CELL_NO_DROP));
        if (attributes) out += " attr " + std::to_string(attributes);
        out += "\n";
    }
    out += "cells\n" + rows + "end\n";
    for (int32_t b = 0; b < data->GetBlocksAcross() * data->GetBlocksDown(); ++b) {
        const MapBlock& block = *data->GetBlock(b);
        for (size_t k = 0; k < block.m_placed.size(); ++k)
            out += "object " + std::to_string(block.m_placed[k]) + " at " +
                   std::to_string(block.m_placedAt[k].first) + " " +
                   std::to_string(block.m_placedAt[k].second) + "\n";
    }
    for (int32_t b = 0; b < data->GetBlocksAcross() * data->GetBlocksDown(); ++b)
        for (const MapGroundObject& g : data->GetBlock(b)->m_groundObjects)
            out += "ground " + std::to_string(g.m_definition) + " at " + std::to_string(g.m_cellX) + " " +
                   std::to_string(g.m_cellY) + "\n";
    return out;
}

}  // namespace maptext
