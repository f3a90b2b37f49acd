// The recording audio device, the dump device paced by the clock, and the WAV
// files they write.
#include "platform/audio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "platform/clock.h"
#include "platform/media.h"
#include "platform/paths.h"
#include "tests/support/temp_dir.h"

namespace {

// Renders a rising count on both sides, one step a frame.
plat::AudioRender Counter(int* next) {
    return [next](void* out, int frames) {
        auto* samples = static_cast<int16_t*>(out);
        for (int i = 0; i < frames; ++i) samples[2 * i] = samples[2 * i + 1] = int16_t((*next)++ % 30000);
    };
}

TEST(RecordingAudio, RendersWhenAskedOnceStarted) {
    plat::RecordingAudio audio;
    int next = 0;
    EXPECT_TRUE(audio.RendersOnCallerThread());
    EXPECT_TRUE(audio.Render(10).empty());  // closed
    ASSERT_TRUE(audio.Open(44100, 16, 2, Counter(&next)));
    EXPECT_FALSE(audio.Open(44100, 16, 2, Counter(&next)));  // one at a time
    EXPECT_EQ(audio.Render(4), std::vector<int16_t>(8, 0));  // a new device starts paused
    audio.Pause(false);
    EXPECT_EQ(audio.Render(3), (std::vector<int16_t>{0, 0, 1, 1, 2, 2}));
    EXPECT_EQ(audio.Recording().size(), 14u);
    audio.Close();
    EXPECT_FALSE(audio.IsOpen());
    audio.FailOpen(true);
    EXPECT_FALSE(audio.Open(44100, 16, 2, Counter(&next)));
    audio.FailOpen(false);
    EXPECT_FALSE(audio.Open(44100, 12, 2, Counter(&next)));  // no such format
    EXPECT_FALSE(audio.Open(0, 16, 2, Counter(&next)));
    EXPECT_EQ(audio.OpenCount(), 1);
}

TEST(RecordingAudio, EightBitOutputIsWidened) {
    plat::RecordingAudio audio;
    ASSERT_TRUE(audio.Open(22050, 8, 1, [](void* out, int frames) {
        auto* bytes = static_cast<uint8_t*>(out);
        for (int i = 0; i < frames; ++i) bytes[i] = uint8_t(i == 0 ? 0 : i == 1 ? 128 : 255);
    }));
    audio.Pause(false);
    EXPECT_EQ(audio.Render(3), (std::vector<int16_t>{-32768, 0, 127 * 256}));
}

TEST(DumpAudio, RendersAsTheClockGoesAndWritesTheMixWhenClosed) {
    qmtest::TempDir dir;
    plat::FakeClock clock(5000);
    plat::ScopedClock scoped(clock);
    const std::string path = dir.Path() + "/mix.wav";
    int next = 0;
    {
        plat::DumpAudio audio(path);
        ASSERT_TRUE(audio.Open(44100, 16, 2, Counter(&next)));
        audio.Pause(false);
        clock.Advance(250);
        // The device's thread catches up with the clock.
        for (int i = 0; i < 500; ++i) {
            audio.Lock();
            const size_t have = audio.Recording().size();
            audio.Unlock();
            if (have >= 44100 / 4 * 2) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        audio.Close();
        EXPECT_FALSE(plat::FileExists(path + ".tmp"));
    }
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(plat::ReadWholeFile(path, bytes));
    plat::DecodedSound sound;
    ASSERT_TRUE(plat::DecodeSoundFile(bytes.data(), bytes.size(), sound));
    EXPECT_EQ(sound.kind, plat::SoundFileKind::kPcmWav);
    EXPECT_EQ(sound.FrameCount(), size_t(44100 / 4));  // as far as the clock went, no farther
    EXPECT_EQ(next, 44100 / 4);
    EXPECT_EQ(sound.samples[2 * 1000], 1000);
    EXPECT_EQ(sound.samples[2 * 1000 + 1], 1000);
}

TEST(AudioDevice, InstalledForTheScope) {
    auto recording = std::make_unique<plat::RecordingAudio>();
    plat::Audio* installed = recording.get();
    {
        plat::ScopedAudio scoped(std::move(recording));
        EXPECT_EQ(&plat::GetAudio(), installed);
    }
    EXPECT_NE(&plat::GetAudio(), installed);
}

// Without a sound device the audio libraries' own complaints stay off the
// console; the program says once, in one line of its own, that it runs
// without sound, however often it tries.
TEST(AudioDevice, WithoutADeviceTheProgramSaysSoOnceInItsOwnWords) {
    const char* before = std::getenv("SDL_AUDIODRIVER");
    const std::string old = before ? before : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    testing::internal::CaptureStderr();
    int next = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::unique_ptr<plat::Audio> audio = plat::CreateSdlAudio();
        EXPECT_FALSE(audio->Open(44100, 16, 2, Counter(&next)));
        EXPECT_FALSE(audio->IsOpen());
    }
    const std::string console = testing::internal::GetCapturedStderr();
    if (before)
        setenv("SDL_AUDIODRIVER", old.c_str(), 1);
    else
        unsetenv("SDL_AUDIODRIVER");
    const std::string said = "quillmarrow: no sound device could be opened; running without sound";
    EXPECT_EQ(console.rfind(said, 0), 0u) << console;
    EXPECT_EQ(std::count(console.begin(), console.end(), '\n'), 1) << console;
}

}  // namespace
