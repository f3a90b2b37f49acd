// The journal, the warp points and the game's web pages. The world file's
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
