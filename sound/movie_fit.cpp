#include "sound/movie_fit.h"

#include <algorithm>

plat::raster::Rect FitMovie(int32_t movieWidth, int32_t movieHeight, int32_t targetWidth,
                            int32_t targetHeight) {
    plat::raster::Rect r;
    if (movieWidth <= 0 || movieHeight <= 0 || targetWidth <= 0 || targetHeight <= 0) return r;
    const int64_t mw = movieWidth, mh = movieHeight, tw = targetWidth, th = targetHeight;
    if (mw * th < mh * tw) {
        const int32_t w = int32_t(mw * th / mh);
        r.left = (targetWidth - w) / 2;
        r.right = r.left + w;
        r.bottom = targetHeight;
    } else {
        const int32_t h = int32_t(mh * tw / mw);
        r.top = (targetHeight - h) / 2;
        r.bottom = r.top + h;
        r.right = targetWidth;
    }
    return r;
}

bool FitMovieToWidth(int32_t movieWidth, int32_t movieHeight, int32_t screenWidth, int32_t screenHeight,
                     plat::raster::Rect& dest, plat::raster::Rect& source) {
    dest = source = {};
    if (movieWidth <= 0 || movieHeight <= 0 || screenWidth <= 0 || screenHeight <= 0) return false;
    const int64_t h = int64_t(screenWidth) * movieHeight / movieWidth;
    if (h <= 0) return false;
    const int64_t top = screenHeight / 2 - h / 2, bottom = screenHeight / 2 + h / 2;
    const int64_t shownTop = std::max<int64_t>(top, 0), shownBottom = std::min<int64_t>(bottom, screenHeight);
    if (shownBottom <= shownTop) return false;
    const int64_t span = bottom - top;
    dest = {0, int(shownTop), screenWidth, int(shownBottom)};
    source = {0, int((shownTop - top) * movieHeight / span), movieWidth,
              int(movieHeight - (bottom - shownBottom) * movieHeight / span)};
    return true;
}
