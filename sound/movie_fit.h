// Where a movie shows on the screen.
#pragma once
#include <cstdint>

#include "platform/raster/surface.h"

// The event movies: the movie keeps its aspect and fills the target's height
// (centred across) when it is relatively taller, else its width (centred
// down).
plat::raster::Rect FitMovie(int32_t movieWidth, int32_t movieHeight, int32_t targetWidth,
                            int32_t targetHeight);

// The intro movie: the whole screen width with the height of the movie's
// aspect, centred down the screen and clipped to it. source receives the part
// of the movie frame that shows. False when nothing shows.
bool FitMovieToWidth(int32_t movieWidth, int32_t movieHeight, int32_t screenWidth, int32_t screenHeight,
                     plat::raster::Rect& dest, plat::raster::Rect& source);
