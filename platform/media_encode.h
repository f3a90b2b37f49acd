// Writing sound and movie files with FFmpeg's encoders: what the media tool
// and the tests make their files with. The game itself only reads them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

enum class SoundEncoding : uint8_t {
    kPcm8Wav,    // 8-bit PCM WAV
    kPcm16Wav,   // 16-bit PCM WAV
    kAdpcmWav,   // IMA ADPCM WAV
    kMp3,        // MPEG layer 3 with its frame-count header
    kMp3Plain,   // MPEG layer 3 without it (the length then needs a scan)
    kOggVorbis,  // Ogg Vorbis (a kind the game refuses)
};

// Interleaved 16-bit samples of a sine tone: amplitude 0-1 of full scale.
// A frequency of 0 gives silence.
std::vector<int16_t> SineTone(double frequency, int ms, int sampleRate, int channels, double amplitude);

// Writes the samples (interleaved, channels 1 or 2, at frequency) as a sound
// file; the file is replaced as a whole. False, with the reason in error
// when given, when the encoder refuses.
bool EncodeSoundFile(const std::string& path, SoundEncoding encoding, const std::vector<int16_t>& samples,
                     int frequency, int channels, std::string* error = nullptr);

// A movie to write: frames of 24-bit RGB (width x height x 3 bytes, top row
// first) at frameRate, and optional sound (interleaved 16-bit, channels 1 or
// 2, at audioFrequency) stored as 16-bit PCM.
struct MoviePlan {
    int width = 0, height = 0;
    int frameRate = 10;
    std::vector<std::vector<uint8_t>> frames;
    std::vector<int16_t> audio;
    int audioFrequency = 44100;
    int audioChannels = 1;
};

// A frame of one colour (0xRRGGBB) for a MoviePlan.
std::vector<uint8_t> SolidFrame(int width, int height, uint32_t colour);

// Writes an AVI file of MPEG-4 video (and PCM sound when the plan has any).
bool EncodeMovieFile(const std::string& path, const MoviePlan& plan, std::string* error = nullptr);

}  // namespace plat
