// The journal, the warp points and the game's web pages. With the world
// file's line `journal`, each character, once its map is first ready, gets
// the sample journal: the key/value table
// of every category (message 33 form 1) and the log but its last line (33
// form 3, one line without a time); request 64 sub-code 1 is answered with
// the category's table, sub-code 3 with the whole log. The world file's
// lines:
//
//   web-page ADDRESS     the page address every character gets once its map
//                        is first ready (message 97, the older form before client 219, the
//                        two-text form from 219 on)
//   warp-talk WALKER     request 20 (talk) on the walker sends the warp list
//                        (message 116: points 0-5 of the first group open)
//   warp-point INDEX X Y the tile of point INDEX (0-31) of the first group:
//                        request 60 to an open point answers with a map
//                        change (21) and the character on that tile
//
// Request 114 (the web page window was made) is logged.
#pragma once
#include <memory>

#include "tools/qmserver/hall_feature.h"

std::unique_ptr<CHallFeature> MakeJournalFeature();
