// The event movie player: reads a movie (optionally enciphered, with the
// movie key made from a key text) and draws each frame as a texture fitted to
// the screen. While any of these movies is open the event manager holds back
// its own drawing (IsMovieOpen). A movie pauses while the program's window is
// inactive.
#pragma once
#include <cstdint>

#include "core/base_object.h"
#include "platform/raster/device3d.h"
#include "sound/movie_playback.h"

class CTextureResource;

// Textures are at most this wide and high; a larger movie is scaled to fit.
inline constexpr int32_t MAX_MOVIE_TEXTURE = 1024;

// The next of 2, 4, 8, ..., 1,024 not below n.
int32_t RoundUpPow2(int32_t n);

class CBinkMovie {
public:
    CBinkMovie(uint32_t targetWidth, uint32_t targetHeight);
    ~CBinkMovie();
    CBinkMovie(const CBinkMovie&) = delete;
    CBinkMovie& operator=(const CBinkMovie&) = delete;

    // False (and nothing counted) when already open, when the file is missing
    // or is no movie of a kind taken (a wrong key reads as that), or when the
    // display offers no texture format.
    bool Open(const char* path, const char* keyText);
    // Per frame, before drawing: pauses with the window, moves to the frame due.
    void Advance();
    // Draws the current frame when open.
    void DrawFrame();
    bool IsPlaying() const { return m_playing; }
    bool IsOpen() const { return m_open; }
    bool IsPaused() const { return m_paused; }
    void Close();

    int32_t GetTextureWidth() const { return m_textureWidth; }
    int32_t GetTextureHeight() const { return m_textureHeight; }
    const plat::raster::LitVertex* GetQuad() const { return m_quad; }
    const CMoviePlayback& Playback() const { return m_playback; }

private:
    uint32_t m_targetWidth, m_targetHeight;
    uint32_t m_textureId = 0;
    int32_t m_textureWidth = 0, m_textureHeight = 0;
    int32_t m_textureFormat = 0;
    plat::raster::LitVertex m_quad[4] = {};
    bool m_open = false, m_playing = false, m_paused = false;
    bool m_frameCopied = false;
    CMoviePlayback m_playback;
};

// True while any event movie is open.
bool IsMovieOpen();
int32_t GetOpenMovieCount();
