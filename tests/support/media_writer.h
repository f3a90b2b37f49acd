// Sound and movie files for tests, written with FFmpeg's encoders, and the
// measures tests take of a mix: the level of one tone in a stretch of it.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/media_encode.h"

namespace qmtest {

// Tones one after the other: (frequency in Hz, 0 for silence; milliseconds).
struct TonePlan {
    std::vector<std::pair<double, int>> tones;
    int frequency = 44100;
    int channels = 1;
    double amplitude = 0.5;
};

std::vector<int16_t> ToneSamples(const TonePlan& plan);
// Writes the tones as a sound file; fails the test when the encoder refuses.
void WriteSound(const std::string& path, plat::SoundEncoding encoding, const TonePlan& plan);

// A movie of one colour a frame (0xRRGGBB) with a tone under it (frequency 0:
// no sound).
plat::MoviePlan ColourMovie(int width, int height, int frameRate, const std::vector<uint32_t>& colours,
                            double toneFrequency);
void WriteMovie(const std::string& path, const plat::MoviePlan& plan);
// A copy of a file enciphered with RC4 under the key bytes, from its first byte.
void WriteEncipheredCopy(const std::string& from, const std::string& to, const std::vector<uint8_t>& key);

// The amplitude (0-32768 scale) of the tone of this frequency in one channel
// of interleaved samples at the rate (Goertzel's filter over the frames).
double ToneLevel(const std::vector<int16_t>& samples, int channels, int channel, double frequency,
                 int rate = 44100);
// The largest magnitude in one channel.
int PeakLevel(const std::vector<int16_t>& samples, int channels, int channel);
// A stretch of frames of interleaved samples.
std::vector<int16_t> Frames(const std::vector<int16_t>& samples, int channels, size_t first, size_t count);

}  // namespace qmtest
