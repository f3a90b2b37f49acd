// Music list files "<BGM_LIST_FOLDER>\NNNN.lst": which MP3 streams a piece of
// background music plays, in order, with repeats and cross-fades.
//
// Little-endian: a reserved byte, the track count N (u8), then N records of a
// stream id (u16), start and end (u16 each, in 10 ms), a mode (u8: 0 play once
// and go on, 1 cross-fade into the next track, 2 repeat) and, unless the mode
// is 0, a mode value (u8: the cross-fade in seconds, or the plays of a repeat,
// 0 for ever). The track after the last is the first again.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum : uint8_t { MUSIC_MODE_ONCE = 0, MUSIC_MODE_CROSSFADE = 1, MUSIC_MODE_REPEAT = 2 };
inline constexpr int MAX_MUSIC_TRACKS = 100;

struct MusicTrack {
    uint32_t m_streamId = 0;
    uint32_t m_start = 0;  // ms
    uint32_t m_end = 0;    // ms
    uint8_t m_mode = 0;
    uint8_t m_modeValue = 0;
};

// Reads a list: at most MAX_MUSIC_TRACKS records; a file cut short keeps the
// whole records before the cut. False when not one whole record is there.
bool ParseMusicList(const uint8_t* data, size_t size, std::vector<MusicTrack>& tracks);
// The file of a list (start and end are stored in 10 ms, so they are rounded
// down to that). False for more than MAX_MUSIC_TRACKS tracks or a value that
// does not fit its field.
bool WriteMusicList(const std::vector<MusicTrack>& tracks, std::vector<uint8_t>& out,
                    std::string* error = nullptr);
