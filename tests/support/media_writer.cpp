#include "tests/support/media_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "data/rc4.h"
#include "platform/paths.h"

namespace qmtest {

std::vector<int16_t> ToneSamples(const TonePlan& plan) {
    std::vector<int16_t> out;
    for (const auto& [frequency, ms] : plan.tones) {
        const std::vector<int16_t> piece =
            plat::SineTone(frequency, ms, plan.frequency, plan.channels, plan.amplitude);
        out.insert(out.end(), piece.begin(), piece.end());
    }
    return out;
}

void WriteSound(const std::string& path, plat::SoundEncoding encoding, const TonePlan& plan) {
    std::string error;
    ASSERT_TRUE(
        plat::EncodeSoundFile(path, encoding, ToneSamples(plan), plan.frequency, plan.channels, &error))
        << path << ": " << error;
}

plat::MoviePlan ColourMovie(int width, int height, int frameRate, const std::vector<uint32_t>& colours,
                            double toneFrequency) {
    plat::MoviePlan plan;
    plan.width = width;
    plan.height = height;
    plan.frameRate = frameRate;
    for (uint32_t colour : colours) plan.frames.push_back(plat::SolidFrame(width, height, colour));
    if (toneFrequency > 0) {
        const int ms = int(colours.size()) * 1000 / frameRate;
        plan.audio = plat::SineTone(toneFrequency, ms, 44100, 1, 0.5);
        plan.audioFrequency = 44100;
        plan.audioChannels = 1;
    }
    return plan;
}

void WriteMovie(const std::string& path, const plat::MoviePlan& plan) {
    std::string error;
    ASSERT_TRUE(plat::EncodeMovieFile(path, plan, &error)) << path << ": " << error;
}

void WriteEncipheredCopy(const std::string& from, const std::string& to, const std::vector<uint8_t>& key) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(plat::ReadWholeFile(from, bytes)) << from;
    CRC4Cipher cipher = RC4SetKey(key.data(), key.size(), 0);
    cipher.RC4Crypt(bytes.data(), bytes.size());
    ASSERT_TRUE(plat::WriteFileAtomic(to, bytes.data(), bytes.size())) << to;
}

double ToneLevel(const std::vector<int16_t>& samples, int channels, int channel, double frequency, int rate) {
    const size_t frames = samples.size() / size_t(channels);
    if (frames == 0) return 0.0;
    const double w = 2.0 * std::numbers::pi * frequency / rate;
    const double coefficient = 2.0 * std::cos(w);
    double s1 = 0.0, s2 = 0.0;
    for (size_t i = 0; i < frames; ++i) {
        const double s = samples[i * size_t(channels) + size_t(channel)] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return 2.0 * std::sqrt(std::max(power, 0.0)) / double(frames);
}

int PeakLevel(const std::vector<int16_t>& samples, int channels, int channel) {
    int peak = 0;
    for (size_t i = size_t(channel); i < samples.size(); i += size_t(channels))
        peak = std::max(peak, std::abs(int(samples[i])));
    return peak;
}

std::vector<int16_t> Frames(const std::vector<int16_t>& samples, int channels, size_t first, size_t count) {
    const size_t begin = std::min(samples.size(), first * size_t(channels));
    const size_t end = std::min(samples.size(), (first + count) * size_t(channels));
    return std::vector<int16_t>(samples.begin() + ptrdiff_t(begin), samples.begin() + ptrdiff_t(end));
}

}  // namespace qmtest
