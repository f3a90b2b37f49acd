// Sound and movie decoding (FFmpeg behind our own types). Every file is
// recognised by its content, not its name, and read through a MediaInput, so
// the movie player can put its deciphering reader underneath. All audio comes
// out as 44,100 Hz 16-bit stereo (mono is doubled to both sides); video frames
// come out as 16-bit pixels of the display's kind.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/raster/surface.h"

namespace plat {

// The output rate of every decoder (and of the mixer).
inline constexpr int kMixFrequency = 44100;

// The bytes of one media file.
class MediaInput {
public:
    virtual ~MediaInput() = default;
    // Reads up to count bytes at the position, which advances: the bytes
    // read, 0 at the end, -1 on an error.
    virtual int64_t Read(void* buffer, size_t count) = 0;
    // Moves to an absolute position within the file; false outside it.
    virtual bool Seek(uint64_t position) = 0;
    virtual uint64_t Size() = 0;
};

// A disk file (through MapPath); null when it does not open.
std::unique_ptr<MediaInput> OpenFileInput(std::string_view path);
// The caller's bytes, which must outlive the input.
std::unique_ptr<MediaInput> OpenMemoryInput(const uint8_t* data, size_t size);

enum class SoundFileKind : uint8_t { kNone, kPcmWav, kAdpcmWav, kMp3 };

// A whole decoded sound: interleaved stereo frames at kMixFrequency.
struct DecodedSound {
    SoundFileKind kind = SoundFileKind::kNone;
    int sourceFrequency = 0;
    int sourceChannels = 0;
    std::vector<int16_t> samples;
    size_t FrameCount() const { return samples.size() / 2; }
};

// Decoded sounds are cut off at this length.
inline constexpr size_t kMaxDecodedFrames = size_t(kMixFrequency) * 300;

// Decodes a sound file held in memory. Taken: PCM WAV of 8 or 16 bits, IMA
// ADPCM WAV and MPEG layer 3 (whatever the name says); anything else is
// refused with false.
bool DecodeSoundFile(const uint8_t* data, size_t size, DecodedSound& out);
// The same from an input, read only as far as the decoded length allows.
bool DecodeSoundFile(std::unique_ptr<MediaInput> input, DecodedSound& out);

// A sound file decoded piece by piece (the music streams): the same kinds as
// DecodeSoundFile.
class AudioStreamDecoder {
public:
    AudioStreamDecoder();
    ~AudioStreamDecoder();
    AudioStreamDecoder(const AudioStreamDecoder&) = delete;
    AudioStreamDecoder& operator=(const AudioStreamDecoder&) = delete;

    // False when the input is not a sound file of a kind taken.
    bool Open(std::unique_ptr<MediaInput> input);
    SoundFileKind Kind() const;
    // The length in milliseconds: from the file's header where it gives one
    // (the WAV data size, an MP3's frame-count header), else from a scan of
    // every packet.
    uint32_t LengthMs() const;
    // Moves so that the next frame read is the one at ms (exact to the frame
    // where the file's timestamps are). False when the file cannot seek.
    bool Seek(uint32_t ms);
    // Reads up to frames stereo frames; fewer only at the end (0 there).
    int Read(int16_t* out, int frames);
    bool AtEnd() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// True when FFmpeg has a decoder of that name ("binkvideo", "mp3", ...).
bool HasDecoder(const char* name);

// Largest movie side taken.
inline constexpr int kMaxMovieSide = 4096;

// A movie file: AVI or Bink, with a video stream whose codec decodes; the
// first audio stream plays along when its codec decodes (else silent).
class MovieSource {
public:
    MovieSource();
    ~MovieSource();
    MovieSource(const MovieSource&) = delete;
    MovieSource& operator=(const MovieSource&) = delete;

    // False for an input that is no movie of a kind taken. Frames come out
    // at the movie's size in the pixel format given.
    bool Open(std::unique_ptr<MediaInput> input, raster::PixelFormat format);
    int Width() const;
    int Height() const;
    // Frames per second (0 when the file does not say).
    double FrameRate() const;
    // Frames the file says it holds (0 when it does not say).
    int64_t FrameCount() const;
    bool HasAudio() const;
    // Scales the frames to this size from now on.
    void SetOutputSize(int width, int height);

    // Decodes on to the next video frame and writes it into frame (resized to
    // the output size), its time in ms into timeMs, and appends the audio
    // decoded on the way (stereo frames at kMixFrequency) to audio. False at
    // the end of the movie or on an error.
    bool NextFrame(raster::Surface& frame, int64_t& timeMs, std::vector<int16_t>& audio);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace plat
