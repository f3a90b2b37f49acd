// The readable form of a stage file (".Z5F", ".VSE"), as `qmmap stage` reads it
// and `qmmap dump` writes it:
//
//   group properties              # kind 0: one value an entry
//     text "0010"                 # type 0 (the header length is the text's; "text 6 \"ab\"" pads)
//     @16 sized 2 300             # '@N': entry N (the entries skipped read "byte 0")
//     table [ word byte ] { rows 2  12 1  13 0 }   # type 3: columns, then rows x columns values
//     aniref 1427 0 2             # type 11; aniref2 B F is type 12
//   end
//   group lists                   # kind 1: TYPE : values (their count is the entry's)
//     point : 1 2  3 4
//     sized 5 : - -               # '-' stands for a value that reads nothing
//   end
//   group areas                   # kind 2: each line one entry of (id x1 y1 x2 y2) areas
//     areas 1 0 0 3 3  2 5 5 6 6
//   end
//   group kind 7 entries 3        # any other kind: entries without contents
//   end
//
// Types: text [L], sized W, word, table [ columns ], point, byte, word6,
// sized7 W, dword, word9, aniref, aniref2, and "type N" for a code the client
// refuses (it has neither header nor value).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "world/map/text_lines.h"

class CStageData;

namespace maptext {

// Stage groups from lines[index] on, up to a line "end" of their own level
// (untilEnd) or the last line; index is left after what was read.
bool BuildStage(const std::vector<Line>& lines, size_t& index, bool untilEnd, std::vector<uint8_t>& out,
                std::string* error);
bool BuildStageText(std::string_view text, std::vector<uint8_t>& out, std::string* error);
// The stage as the client holds it, in the form above.
std::string DumpStage(const CStageData& stage);

}  // namespace maptext
