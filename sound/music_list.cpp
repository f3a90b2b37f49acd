#include "sound/music_list.h"

#include <algorithm>

#include "core/byte_source.h"

namespace {

bool Error(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

}  // namespace

bool ParseMusicList(const uint8_t* data, size_t size, std::vector<MusicTrack>& tracks) {
    tracks.clear();
    if (!data || size < 2) return false;
    const int count = std::min<int>(data[1], MAX_MUSIC_TRACKS);
    size_t at = 2;
    for (int i = 0; i < count; ++i) {
        if (size - at < 7) break;
        MusicTrack t;
        t.m_streamId = LoadU16Le(data + at);
        t.m_start = uint32_t(LoadU16Le(data + at + 2)) * 10;
        t.m_end = uint32_t(LoadU16Le(data + at + 4)) * 10;
        t.m_mode = data[at + 6];
        if (t.m_mode != MUSIC_MODE_ONCE) {
            if (size - at < 8) break;
            t.m_modeValue = data[at + 7];
            at += 8;
        } else {
            at += 7;
        }
        tracks.push_back(t);
    }
    return !tracks.empty();
}

bool WriteMusicList(const std::vector<MusicTrack>& tracks, std::vector<uint8_t>& out, std::string* error) {
    out.clear();
    if (tracks.size() > size_t(MAX_MUSIC_TRACKS)) return Error(error, "more than 100 tracks");
    out.push_back(0);
    out.push_back(uint8_t(tracks.size()));
    for (const MusicTrack& t : tracks) {
        if (t.m_streamId > 0xFFFF) return Error(error, "a stream id above 65535");
        if (t.m_start / 10 > 0xFFFF || t.m_end / 10 > 0xFFFF) return Error(error, "a time above 655350 ms");
        for (uint32_t v : {t.m_streamId, t.m_start / 10, t.m_end / 10}) {
            out.resize(out.size() + 2);
            StoreU16Le(&out[out.size() - 2], uint16_t(v));
        }
        out.push_back(t.m_mode);
        if (t.m_mode != MUSIC_MODE_ONCE) out.push_back(t.m_modeValue);
    }
    return true;
}
