// The intro movie player ("Quill.AVI"): decodes the movie into a surface of
// the screen's size and copies the frame due to the back buffer each frame,
// the whole width of the screen with the movie's aspect, centred down it. It
// closes itself at the end of the movie.
#pragma once
#include <cstdint>
#include <string>

#include "platform/raster/surface.h"
#include "sound/movie_playback.h"

class CSurfaceResource;

class CDShowMovie {
public:
    CDShowMovie(int32_t screenWidth, int32_t screenHeight);
    ~CDShowMovie();
    CDShowMovie(const CDShowMovie&) = delete;
    CDShowMovie& operator=(const CDShowMovie&) = delete;

    // False (without a message) for a missing file, a file that is no movie
    // of a kind taken, or no display.
    bool OpenMovieStream(const char* path);
    // Shows the frame due; false, after closing, at the end of the movie or
    // on an error.
    bool RenderFrame();
    void Close();

    bool IsOpen() const { return m_playback.IsOpen(); }
    const plat::raster::Rect& GetDestRect() const { return m_dest; }
    const plat::raster::Rect& GetSourceRect() const { return m_source; }

private:
    int32_t m_width, m_height;
    std::string m_path;
    uint32_t m_surfaceId = 0;
    plat::raster::Rect m_dest, m_source;
    CMoviePlayback m_playback;
};
