#include "sound/music_list.h"

#include <sstream>

namespace {

bool Error(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

uint16_t Read16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
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
        t.m_streamId = Read16(data + at);
        t.m_start = uint32_t(Read16(data + at + 2)) * 10;
        t.m_end = uint32_t(Read16(data + at + 4)) * 10;
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
            out.push_back(uint8_t(v));
            out.push_back(uint8_t(v >> 8));
        }
        out.push_back(t.m_mode);
        if (t.m_mode != MUSIC_MODE_ONCE) out.push_back(t.m_modeValue);
    }
    return true;
}

std::string MusicListToText(const std::vector<MusicTrack>& tracks) {
    std::ostringstream out;
    for (const MusicTrack& t : tracks) {
        out << "track " << t.m_streamId << " start " << t.m_start << " end " << t.m_end << " mode "
            << int(t.m_mode);
        if (t.m_mode != MUSIC_MODE_ONCE) out << " value " << int(t.m_modeValue);
        out << "\n";
    }
    return out.str();
}

bool ParseMusicListText(const std::string& text, std::vector<MusicTrack>& tracks, std::string* error) {
    tracks.clear();
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (const size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::string word;
        if (!(words >> word)) continue;
        const std::string where = "line " + std::to_string(number) + ": ";
        if (word != "track") return Error(error, where + "expected 'track'");
        MusicTrack t;
        long long stream = -1, start = 0, end = 0, mode = 0, value = 0;
        if (!(words >> stream)) return Error(error, where + "expected a stream id");
        bool hasValue = false;
        while (words >> word) {
            long long v = 0;
            if (!(words >> v)) return Error(error, where + "'" + word + "' needs a number");
            if (word == "start") {
                start = v;
            } else if (word == "end") {
                end = v;
            } else if (word == "mode") {
                mode = v;
            } else if (word == "value") {
                value = v;
                hasValue = true;
            } else {
                return Error(error, where + "unknown field '" + word + "'");
            }
        }
        if (stream < 0 || stream > 0xFFFF) return Error(error, where + "stream id outside 0-65535");
        if (start < 0 || end < 0 || start > 655350 || end > 655350 || start % 10 || end % 10)
            return Error(error, where + "times are multiples of 10 ms up to 655350");
        if (mode < 0 || mode > 255 || value < 0 || value > 255)
            return Error(error, where + "mode and value are bytes");
        if (mode == MUSIC_MODE_ONCE && hasValue) return Error(error, where + "mode 0 has no value");
        t.m_streamId = uint32_t(stream);
        t.m_start = uint32_t(start);
        t.m_end = uint32_t(end);
        t.m_mode = uint8_t(mode);
        t.m_modeValue = uint8_t(value);
        tracks.push_back(t);
    }
    if (tracks.size() > size_t(MAX_MUSIC_TRACKS)) return Error(error, "more than 100 tracks");
    return true;
}
