// The sound and movie readers on hostile bytes. The first byte chooses the
// reader: 0 a music list (what is read is written back and read again), 1 a
// sound file as the sound system loads it and as a stream (read, sought and
// read again), 2 and 3 a movie, in clear or through the deciphering reader
// with the key "fuzz", decoded frame by frame with its sound, then played
// through the players' pacing on a clock moved by hand.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "fuzz/fuzz_file.h"
#include "platform/clock.h"
#include "platform/media.h"
#include "sound/movie_playback.h"
#include "sound/movie_reader.h"
#include "sound/music_list.h"
#include "sound/sound_system.h"

namespace {

void MusicList(const uint8_t* data, size_t size) {
    std::vector<MusicTrack> tracks;
    if (!ParseMusicList(data, size, tracks)) return;
    if (tracks.empty() || tracks.size() > size_t(MAX_MUSIC_TRACKS)) std::abort();
    std::vector<uint8_t> bytes;
    std::vector<MusicTrack> again;
    if (!WriteMusicList(tracks, bytes) || !ParseMusicList(bytes.data(), bytes.size(), again) ||
        again.size() != tracks.size())
        std::abort();
}

void Sound(const uint8_t* data, size_t size) {
    const std::string& path = fuzz::InputPath("sound_files");
    if (!fuzz::WriteInput(path, data, size)) return;
    std::shared_ptr<const PcmFrames> frames = CSoundSystem::LoadSoundFile(path);
    if (frames && frames->size() % 2) std::abort();

    plat::AudioStreamDecoder stream;
    if (!stream.Open(plat::OpenMemoryInput(data, size))) return;
    std::vector<int16_t> out(2 * 4096);
    for (int i = 0; i < 8 && stream.Read(out.data(), 4096) > 0; ++i) {
    }
    stream.Seek(stream.LengthMs() / 2);
    stream.Read(out.data(), 4096);
    stream.Seek(0);
    stream.Read(out.data(), 4096);
}

void Movie(const uint8_t* data, size_t size, bool enciphered) {
    const std::vector<uint8_t> key = enciphered ? MovieKey("fuzz") : std::vector<uint8_t>{};
    plat::MovieSource movie;
    if (!movie.Open(std::make_unique<CMovieReader>(plat::OpenMemoryInput(data, size), key),
                    plat::raster::PixelFormat::kRgb565))
        return;
    movie.SetOutputSize(40, 30);
    plat::raster::Surface frame;
    int64_t time = 0;
    std::vector<int16_t> sound;
    for (int i = 0; i < 30 && movie.NextFrame(frame, time, sound); ++i)
        if (frame.Width() != 40 || frame.Height() != 30) std::abort();
    if (sound.size() % 2) std::abort();
}

// The same bytes played on a clock moved a second at a time: whatever the
// file's timestamps say, a new frame shows or the movie ends within a few
// seconds.
void PlayMovie(const uint8_t* data, size_t size, bool enciphered) {
    const std::vector<uint8_t> key = enciphered ? MovieKey("fuzz") : std::vector<uint8_t>{};
    plat::FakeClock clock(1000);
    plat::ScopedClock scoped(clock);
    CMoviePlayback playback;
    if (!playback.Open(std::make_unique<CMovieReader>(plat::OpenMemoryInput(data, size), key),
                       plat::raster::PixelFormat::kRgb565, 64, 48))
        return;
    constexpr int kStillSeconds = int(CMoviePlayback::kMaxFrameMs / 1000) + 2;
    int still = 0;
    for (int step = 0; step < 200 && !playback.IsFinished(); ++step) {
        clock.Advance(1000);
        still = playback.Advance() ? 0 : still + 1;
        if (still > kStillSeconds) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InstallSilentBoxes();
    if (size < 1) return 0;
    const uint8_t kind = data[0] % 4;
    ++data;
    --size;
    switch (kind) {
        case 0:
            MusicList(data, size);
            break;
        case 1:
            Sound(data, size);
            break;
        default:
            Movie(data, size, kind == 3);
            PlayMovie(data, size, kind == 3);
            break;
    }
    return 0;
}
