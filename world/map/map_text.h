// The readable form of a map, as `qmmap build` reads it:
//
//   map 12                        # the map file number: 0012.Z5M.ZIP, 0012.PPD
//   header 0                      # the header byte
//   size 14 13                    # width and height in cells
//   definitions 9                 # optional: the definition count (else the last + 1)
//   def 1 kind 1 picture grass.pic          # kinds 1, 3: a single picture written by qmimage
//                                            # (kind 3 palettised); its header word becomes N
//   def 2 kind 0 animation 7 motion 0 facing 2
//   def 3 kind 2 base 1                      # kinds 2, 4: the base's picture
//   def 4 kind 1 picture rock.pic block      # 'block': only the block records placing it carry it
//   legend . ground 1
//   legend # ground 3 blocked                # also: nodrop, attr N (the attribute word)
//   cells                                    # height rows of width legend characters
//   ..............
//   end
//   object 4 at 480 264           # a placed object (map units), in the block of its cell
//   ground 2 at 5 3               # a ground object: a field object at cell (5, 3)
//   portals auto                  # the path file's portals, found with the client's straight walks
//   portal 6 6 : 12 6  6 12       # or listed: the portal's cell, then its neighbours' cells
//   stage 7                       # the map's stage, 0007.Z5F: its groups (stage_text.h) up to 'end'
//   group properties
//     @1 table [ word ] { rows 1 12 }
//   end
//   end
//
// Every definition without 'block' is written once among the file's placed
// objects (at 0, 24), so that it is loaded for the whole map.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CMap;
class CPathData;

namespace maptext {

struct MapFiles {
    int32_t number = 1;
    std::vector<uint8_t> map;    // unpacked ".Z5M" bytes
    std::vector<uint8_t> paths;  // ".PPD"
    int32_t stageNumber = -1;    // -1: the text has no stage
    std::vector<uint8_t> stage;
    std::vector<uint32_t> blockOffsets;  // where each block record begins in map
};

// Builds the files of a map text; pictures are read relative to folder.
bool BuildMapFiles(std::string_view text, const std::string& folder, MapFiles& out, std::string* error);
// The map as the client read it (header, definitions, legend, cells, objects).
std::string DumpMap(CMap& map);
// The portals of a path file.
std::string DumpPaths(const CPathData& paths);
// The portals of a loaded map, each the middle of a run of passable cells
// along a block border; neighbours are the portals of the same and the eight
// blocks around that a straight walk reaches. Returns the ".PPD" bytes.
std::vector<uint8_t> AutoPortals(CMap& map);

}  // namespace maptext
