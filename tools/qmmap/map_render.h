// One frame of a map as the game screen draws it: the display, picture and
// animation managers and the draw queue brought up headless, the stage and
// its map loaded from a folder, the camera on a focus, then CMap::Draw and
// the draw queue.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/raster/surface.h"

namespace qmmap {

struct RenderOptions {
    std::string folder;  // the stage, map, animation, texture and table files
    int32_t stage = 0;
    int32_t width = 800, height = 600;
    bool focusGiven = false;
    float focusX = 0.0f, focusY = 0.0f;  // map units; the middle of the map when not given
    uint32_t clockMs = 100000;           // the animations' time
    // Called once the map is drawn, before the draw queue: it may queue more
    // (characters); what it returns lives until the frame is drawn.
    std::function<std::shared_ptr<void>()> addToField;
};

// The frame; false with a message when the display or the map does not come up.
bool RenderMap(const RenderOptions& options, plat::raster::Surface& frame, std::string* error);

}  // namespace qmmap
