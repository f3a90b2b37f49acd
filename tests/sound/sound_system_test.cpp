// The sound system and its objects on the recording device: which files are
// taken, the slot table, placing, volume and pan, loops, the 3D providers and
// streams.
#include "sound/sound_system.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "platform/media.h"
#include "platform/paths.h"
#include "sound/sound_object.h"
#include "tests/sound/sound_fixture.h"
#include "tests/support/alloc_meter.h"

namespace {

using plat::SoundEncoding;
using plat::SoundFileKind;
using qmtest::ToneLevel;
using qmtest::TonePlan;

class SoundSystemTest : public SoundSystemFixture {};

// The gain of one side (0 left, 1 right): volume / 127 times the distance
// gain, the left side lowered right of the centre pan (64), the right side
// left of it.
double Side(int32_t volume, int32_t pan, double distanceGain, int side) {
    const double gain = std::min(volume, 127) / 127.0 * distanceGain;
    const double left = pan <= 64 ? 1.0 : (127 - pan) / 63.0;
    const double right = pan <= 64 ? pan / 64.0 : 1.0;
    return gain * (side == 0 ? left : right);
}

TEST_F(SoundSystemTest, FilesAreTakenByTheirContent) {
    struct Case {
        const char* name;
        SoundEncoding encoding;
        int frequency, channels;
        SoundFileKind kind;  // kNone: refused
        int padding;         // frames the encoder may add at the end (whole blocks)
    };
    const Case cases[] = {
        {"8-bit PCM", SoundEncoding::kPcm8Wav, 22050, 1, SoundFileKind::kPcmWav, 0},
        {"16-bit PCM stereo", SoundEncoding::kPcm16Wav, 44100, 2, SoundFileKind::kPcmWav, 0},
        {"IMA ADPCM", SoundEncoding::kAdpcmWav, 22050, 1, SoundFileKind::kAdpcmWav, 4100},
        {"MP3 named .wav", SoundEncoding::kMp3, 44100, 1, SoundFileKind::kMp3, 1200},
        {"Ogg named .wav", SoundEncoding::kOggVorbis, 44100, 1, SoundFileKind::kNone, 0},
    };
    uint32_t id = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteEffect(id, {{{440.0, 500}}, c.frequency, c.channels, 0.5}, c.encoding);
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(plat::ReadWholeFile(EffectPath(id), bytes));
        plat::DecodedSound sound;
        const bool taken = plat::DecodeSoundFile(bytes.data(), bytes.size(), sound);
        EXPECT_EQ(taken, c.kind != SoundFileKind::kNone);
        EXPECT_EQ(m_system->CreateSound(id, SOUND_SAMPLE) != nullptr, taken);
        if (taken) {
            EXPECT_EQ(sound.kind, c.kind);
            // Length at the mix rate.
            EXPECT_GE(sound.FrameCount(), 22050u - 50);
            EXPECT_LE(sound.FrameCount(), 22050u + 50 + unsigned(c.padding));
            // Level: half of full scale on both sides, mono doubled.
            const auto middle = qmtest::Frames(sound.samples, 2, 4410, 8820);
            EXPECT_NEAR(ToneLevel(middle, 2, 0, 440.0), 16384.0, 900.0);
            EXPECT_NEAR(ToneLevel(middle, 2, 1, 440.0), 16384.0, 900.0);
        }
        ++id;
    }
}

TEST_F(SoundSystemTest, BytesThatAreNoSoundAreRefused) {
    const std::vector<std::string> files = {"", "RIFF", std::string(200, '\0'),
                                            std::string("RIFF\x24\0\0\0WAVEfmt ", 16)};
    for (const std::string& bytes : files) {
        plat::DecodedSound sound;
        EXPECT_FALSE(
            plat::DecodeSoundFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), sound));
    }
    m_dir.WriteFile("SOUND/0007.wav", "not a sound at all, just text");
    EXPECT_EQ(m_system->CreateSound(7, SOUND_SAMPLE), nullptr);
    EXPECT_EQ(m_system->CreateSound(8, SOUND_SAMPLE), nullptr);  // missing
    EXPECT_EQ(m_system->GetSlot(1), nullptr);                    // no slot taken
}

// Counts the bytes read through it.
class CountingInput : public plat::MediaInput {
public:
    explicit CountingInput(std::unique_ptr<plat::MediaInput> input) : m_input(std::move(input)) {}
    int64_t Read(void* buffer, size_t count) override {
        const int64_t n = m_input->Read(buffer, count);
        if (n > 0) *m_read += uint64_t(n);
        return n;
    }
    bool Seek(uint64_t position) override { return m_input->Seek(position); }
    uint64_t Size() override { return m_input->Size(); }
    std::shared_ptr<uint64_t> m_read = std::make_shared<uint64_t>(0);

private:
    std::unique_ptr<plat::MediaInput> m_input;
};

// A sound is cut at five minutes, and a longer file is read no further than
// that: the whole of a file, whatever its size, is never held.
TEST_F(SoundSystemTest, ALongSoundIsCutAtFiveMinutesAndReadNoFurther) {
    const std::vector<int16_t> tenMinutes(size_t(8000) * 600, 1000);
    ASSERT_TRUE(plat::EncodeSoundFile(EffectPath(3), SoundEncoding::kPcm8Wav, tenMinutes, 8000, 1));
    auto counting = std::make_unique<CountingInput>(plat::OpenFileInput(EffectPath(3)));
    const std::shared_ptr<uint64_t> read = counting->m_read;
    const uint64_t size = counting->Size();
    plat::DecodedSound sound;
    ASSERT_TRUE(plat::DecodeSoundFile(std::move(counting), sound));
    EXPECT_EQ(sound.FrameCount(), plat::kMaxDecodedFrames);
    EXPECT_LT(*read, size * 6 / 10);
}

// The cache keeps at most its byte budget of decoded samples: those used
// least recently make room, and are decoded again when asked for. A voice
// keeps playing the frames it took.
TEST_F(SoundSystemTest, TheSampleCacheIsBoundedByBytes) {
    constexpr size_t kBudget = 1 << 20;
    constexpr size_t kEach = 2000 * 441 / 10 * 2 * sizeof(int16_t);  // two seconds of stereo frames
    for (uint32_t id = 1; id <= 10; ++id) WriteLevelEffect(id, int16_t(100 * id), 2000);
    m_system->SetSampleCacheBytes(kBudget);
    CSoundObject* first = m_system->CreateSound(1, SOUND_SAMPLE);
    ASSERT_NE(first, nullptr);
    first->Play(1);
    size_t peak = 0;
    {
        qmtest::AllocMeter meter;
        for (uint32_t id = 2; id <= 10; ++id) {
            ASSERT_NE(m_system->GetSampleData(id), nullptr);
            EXPECT_LE(m_system->GetCachedBytes(), kBudget);
        }
        peak = meter.Peak();
    }
    // At most the budget and what decoding one sample takes (its frames, the
    // decoder's growing buffer and the resampled copy).
    EXPECT_LE(peak, kBudget + 4 * kEach + 64 * 1024);
    EXPECT_EQ(m_system->GetCachedBytes(), kBudget / kEach * kEach);
    EXPECT_EQ(m_system->GetSampleData(1)->m_useCount, 1u) << "let go, then decoded again";
    EXPECT_NE(m_system->GetSampleData(10)->m_data, nullptr);
    // The first voice still plays its own frames.
    EXPECT_EQ(Left(Render(10)).front(), 100);
}

TEST_F(SoundSystemTest, SlotsAreTakenFromOneUpAndTheFirstFreeIsReused) {
    WriteLevelEffect(1, 1000, 50);
    for (uint32_t slot = 1; slot <= 5; ++slot) {
        CSoundObject* object = m_system->CreateSound(1, SOUND_SAMPLE);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->m_slot, slot);
    }
    m_system->ReleaseSound(3);
    EXPECT_EQ(m_system->CreateSound(1, SOUND_SAMPLE)->m_slot, 3u);
    EXPECT_EQ(m_system->FindSound(1, SOUND_SAMPLE)->m_slot, 1u);
    EXPECT_EQ(m_system->FindSound(1, SOUND_STREAM), nullptr);
    // The cached sample was decoded once and attached six times.
    EXPECT_EQ(m_system->GetSampleData(1)->m_useCount, 6u);
}

TEST_F(SoundSystemTest, IdsBeyondTheCacheKindsAboveFourAndAFullTableGiveNothing) {
    WriteLevelEffect(999, 1000, 50);
    WriteLevelEffect(1000, 1000, 50);
    EXPECT_NE(m_system->CreateSound(999, SOUND_SAMPLE), nullptr);
    EXPECT_EQ(m_system->GetSampleData(1000), nullptr);
    EXPECT_EQ(m_system->CreateSound(1000, SOUND_SAMPLE), nullptr);
    EXPECT_EQ(m_system->CreateSound(999, 5), nullptr);
    // Kinds 2 and 3 are plain objects.
    CSoundObject* plain = m_system->CreateSound(4, SOUND_PLAIN_2);
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(plain->IsFinished());
    EXPECT_EQ(plain->GetLength(), 0u);

    m_system->SetSoundSlotCount(4);  // slots 1-3
    for (int i = 0; i < 3; ++i) EXPECT_NE(m_system->CreateSound(999, SOUND_SAMPLE), nullptr);
    EXPECT_EQ(m_system->CreateSound(999, SOUND_SAMPLE), nullptr);
    m_system->SetSoundSlotCount(1);
    EXPECT_EQ(m_system->CreateSound(3, SOUND_PLAIN_3), nullptr);
}

TEST_F(SoundSystemTest, PlacingSetsVolumeAndPanFromTheScreenCentre) {
    WriteLevelEffect(1, 1000, 50);
    struct Case {
        int32_t x, y;
        int32_t volume, pan;
    };
    const Case cases[] = {
        {-1, -1, 127, 64},                     // not placed
        {400, 300, 127, 63}, {0, 300, 42, 0},  // 400 pixels left: (600 - 400) x 127 / 600
        {800, 300, 42, 127},                   // the right edge
        {400, 900, 0, 63},                     // 600 pixels away
        {1200, 300, 0, 127},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << "," << c.y);
        auto* sample = static_cast<CSoundSample*>(m_system->CreateSound(1, SOUND_SAMPLE));
        ASSERT_TRUE(sample->SetPosition(c.x, c.y));
        EXPECT_EQ(sample->GetVolume(), c.volume);
        EXPECT_EQ(sample->GetLevel(), c.volume);
        EXPECT_EQ(Mixer().GetPan(sample->m_handle), c.pan);
        m_system->ReleaseSound(sample->m_slot);
    }
}

TEST_F(SoundSystemTest, VolumeAndPanScaleEachSide) {
    WriteLevelEffect(1, 16000, 200);
    struct Case {
        int32_t volume, pan;
    };
    const Case cases[] = {{127, 64}, {127, 0}, {127, 127}, {64, 32}, {100, 100}, {0, 64}, {128, 64}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "volume " << c.volume << " pan " << c.pan);
        auto* sample = static_cast<CSoundSample*>(m_system->CreateSound(1, SOUND_SAMPLE));
        sample->SetVolume(c.volume);
        sample->SetPan(c.pan);
        sample->Play(1);
        const std::vector<int16_t> mix = Render(100);
        EXPECT_NEAR(mix[4000], 16000 * Side(c.volume, c.pan, 1.0, 0), 1.5);
        EXPECT_NEAR(mix[4001], 16000 * Side(c.volume, c.pan, 1.0, 1), 1.5);
        m_system->ReleaseSound(sample->m_slot);
    }
}

TEST_F(SoundSystemTest, VoicesAddUpAndSaturate) {
    WriteLevelEffect(1, 20000, 200);
    WriteLevelEffect(2, -12000, 200);
    for (uint32_t id : {1u, 1u, 2u}) m_system->CreateSound(id, SOUND_SAMPLE)->Play(1);
    // 20000 + 20000 - 12000: the sum is taken before it is held to 16 bits.
    EXPECT_EQ(Render(50)[1000], 28000);
    EXPECT_EQ(m_system->GetSlot(3)->m_soundId, 2u);
    m_system->ReleaseSound(3);
    EXPECT_EQ(Render(50)[1000], 32767);
}

TEST_F(SoundSystemTest, LoopCounts) {
    WriteLevelEffect(1, 8000, 100);
    struct Case {
        uint32_t loops;
        int soundMs;  // how long it sounds in the first 600 ms
    };
    for (const Case& c : {Case{1, 100}, Case{3, 300}, Case{0, 600}}) {
        SCOPED_TRACE(c.loops);
        auto* sample = static_cast<CSoundSample*>(m_system->CreateSound(1, SOUND_SAMPLE));
        sample->Play(c.loops);
        EXPECT_FALSE(sample->IsFinished());
        const std::vector<int16_t> left = Left(Render(600));
        const auto sounding = std::count_if(left.begin(), left.end(), [](int16_t v) { return v != 0; });
        EXPECT_NEAR(double(sounding), c.soundMs * 44.1, 50.0);
        EXPECT_EQ(sample->IsFinished(), c.loops != 0);
        m_system->ReleaseSound(sample->m_slot);
    }
}

TEST_F(SoundSystemTest, StoppingASampleAndUnloadingEndIt) {
    WriteLevelEffect(1, 8000, 1000);
    auto* sample = static_cast<CSoundSample*>(m_system->CreateSound(1, SOUND_SAMPLE));
    sample->Play(0);
    Render(20);
    sample->Stop();
    EXPECT_TRUE(sample->IsFinished());
    EXPECT_EQ(qmtest::PeakLevel(Render(20), 2, 0), 0);
    sample->Play(0);
    EXPECT_EQ(Mixer().VoiceCount(), 1u);
    // A playing sample is ended once and its voice let go.
    EXPECT_TRUE(sample->Unload());
    EXPECT_EQ(sample->m_handle, 0u);
    EXPECT_EQ(Mixer().VoiceCount(), 0u);
    EXPECT_EQ(qmtest::PeakLevel(Render(20), 2, 0), 0);
}

TEST_F(SoundSystemTest, ThreeDGainFallsWithDistanceAndPanFollowsX) {
    WriteLevelEffect(1, 16000, 500);
    struct Case {
        float x, z;
        double gain;
        int32_t pan;
    };
    const Case cases[] = {
        {0, 50, 1.0, 63},    {0, 200, 0.5, 63},  {-400, 0, 0.25, 0},
        {400, 0, 0.25, 127}, {0, 1000, 0.1, 63}, {0, 1500, 0.0, 63},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << "," << c.z);
        auto* sample = static_cast<CSound3DSample*>(m_system->CreateSound(1, SOUND_3D_SAMPLE));
        ASSERT_NE(sample, nullptr);
        sample->SetVolume(127);
        sample->Set3DPosition(c.x, 0.0f, c.z);
        sample->Play(1);
        EXPECT_EQ(Mixer().GetPan(sample->m_handle), c.pan);
        const std::vector<int16_t> mix = Render(50);
        EXPECT_NEAR(mix[1000], 16000 * Side(127, c.pan, c.gain, 0), 1.5);
        EXPECT_NEAR(mix[1001], 16000 * Side(127, c.pan, c.gain, 1), 1.5);
        m_system->ReleaseSound(sample->m_slot);
    }
}

TEST_F(SoundSystemTest, ProvidersPlainAndDistance) {
    WriteLevelEffect(1, 16000, 500);
    EXPECT_EQ(m_system->GetProviderCount(), 2u);
    EXPECT_FALSE(m_system->Select3DProvider(2));
    EXPECT_EQ(m_system->GetCurrentProvider(), 1);
    ASSERT_TRUE(m_system->Select3DProvider(0));
    auto* sample = static_cast<CSound3DSample*>(m_system->CreateSound(1, SOUND_3D_SAMPLE));
    sample->SetVolume(127);
    sample->Set3DPosition(-400.0f, 0.0f, 1000.0f);  // no distance, no pan with the plain one
    sample->Play(1);
    const std::vector<int16_t> mix = Render(50);
    EXPECT_EQ(mix[1000], 16000);
    EXPECT_EQ(mix[1001], 16000);
}

TEST_F(SoundSystemTest, WithoutAProviderNoThreeDSampleLoads) {
    m_system.reset();
    WriteLevelEffect(1, 16000, 500);
    CSoundSystem system;
    ASSERT_TRUE(system.StartupSound("MILES", 44100, 16, 2, 1));
    system.SetSampleCacheSize(10);
    system.SetSoundSlotCount(10);
    EXPECT_EQ(system.GetCurrentProvider(), -1);
    EXPECT_EQ(system.CreateSound(1, SOUND_3D_SAMPLE), nullptr);
    EXPECT_NE(system.CreateSound(1, SOUND_SAMPLE), nullptr);
    EXPECT_TRUE(system.StartupSound(nullptr, 44100, 16, 2, 1));  // started: true at once
}

TEST_F(SoundSystemTest, NoDeviceNoStart) {
    m_system.reset();
    m_audio->FailOpen(true);
    CSoundSystem system;
    EXPECT_FALSE(system.StartupSound("MILES", 44100, 16, 2, 1));
    EXPECT_FALSE(system.IsStarted());
    CSoundSystem folderless;
    m_audio->FailOpen(false);
    EXPECT_FALSE(folderless.StartupSound(nullptr, 44100, 16, 2, 1));
}

// A stream whose seconds carry 300, 500, 700 and 900 Hz.
constexpr double kSeconds[] = {300.0, 500.0, 700.0, 900.0};

TonePlan FourSeconds() {
    TonePlan plan;
    for (double f : kSeconds) plan.tones.push_back({f, 1000});
    return plan;
}

// The tone of kSeconds loudest in the stretch.
double LoudestTone(const std::vector<int16_t>& mix) {
    double best = 0, level = -1;
    for (double f : kSeconds)
        if (double l = ToneLevel(mix, 2, 0, f); l > level) {
            level = l;
            best = f;
        }
    return best;
}

TEST_F(SoundSystemTest, StreamLengthPositionAndSeek) {
    for (SoundEncoding encoding : {SoundEncoding::kMp3, SoundEncoding::kMp3Plain, SoundEncoding::kPcm16Wav}) {
        SCOPED_TRACE(int(encoding));
        WriteStream(5, FourSeconds(), encoding);
        auto* stream = static_cast<CSoundStream*>(m_system->CreateSound(5, SOUND_STREAM));
        ASSERT_NE(stream, nullptr);
        ASSERT_NE(stream->m_handle, 0u);
        EXPECT_NEAR(double(stream->GetLength()), 4000.0, 60.0);
        EXPECT_TRUE(stream->IsFinished());  // not started
        stream->SetVolume(127);
        stream->Play(1);
        EXPECT_EQ(LoudestTone(Render(500)), 300.0);
        EXPECT_NEAR(double(stream->GetMsPosition()), 500.0, 1.0);

        stream->SetMsPosition(2500);
        EXPECT_EQ(stream->GetMsPosition(), 2500u);
        const std::vector<int16_t> after = Render(300);
        EXPECT_EQ(LoudestTone(after), 700.0);
        EXPECT_LT(ToneLevel(after, 2, 0, 500.0), 1000.0);
        // Back to the first second.
        stream->SetMsPosition(200);
        EXPECT_EQ(LoudestTone(Render(300)), 300.0);

        // Stop pauses; Play goes on where it stopped.
        stream->Stop();
        EXPECT_TRUE(stream->IsFinished());
        const uint32_t at = stream->GetMsPosition();
        EXPECT_EQ(qmtest::PeakLevel(Render(100), 2, 0), 0);
        EXPECT_EQ(stream->GetMsPosition(), at);
        stream->Play(1);
        Render(100);
        EXPECT_NEAR(double(stream->GetMsPosition()), at + 100.0, 1.0);

        // To the end, and again from the start.
        stream->SetMsPosition(3800);
        Render(400);
        EXPECT_TRUE(stream->IsFinished());
        stream->Play(1);
        EXPECT_EQ(LoudestTone(Render(300)), 300.0);
        m_system->ReleaseSound(stream->m_slot);
        ASSERT_TRUE(plat::RemoveFile(StreamPath(5)));
    }
}

TEST_F(SoundSystemTest, StreamLoopsAndAMissingFile) {
    WriteStream(6, {{{440.0, 300}}, 44100, 1, 0.5});
    auto* stream = static_cast<CSoundStream*>(m_system->CreateSound(6, SOUND_STREAM));
    stream->SetVolume(127);
    stream->Play(2);
    Render(400);
    EXPECT_FALSE(stream->IsFinished());  // in its second play
    EXPECT_EQ(stream->GetLoopCount(), 1u);
    Render(400);
    EXPECT_TRUE(stream->IsFinished());

    // A missing MP3: an object that plays nothing and reports itself finished.
    CSoundObject* missing = m_system->CreateSound(77, SOUND_STREAM);
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->m_handle, 0u);
    missing->Play(1);
    EXPECT_TRUE(missing->IsFinished());
    EXPECT_EQ(missing->GetMsPosition(), 0u);
    EXPECT_EQ(missing->GetLength(), 0u);
}

TEST_F(SoundSystemTest, ShutdownLetsEverythingGo) {
    WriteLevelEffect(1, 1000, 50);
    m_system->CreateSound(1, SOUND_SAMPLE)->Play(0);
    EXPECT_TRUE(m_audio->IsOpen());
    EXPECT_TRUE(m_system->Shutdown());
    EXPECT_FALSE(m_system->IsStarted());
    EXPECT_FALSE(m_audio->IsOpen());
    EXPECT_EQ(m_system->GetSlotCount(), 0u);
}

}  // namespace

namespace {

// A recording device that claims a thread of its own: the mixer then feeds
// its streams from its feeder thread, as it does on the sound card.
class ThreadedRecording : public plat::RecordingAudio {
public:
    bool RendersOnCallerThread() const override { return false; }
};

// Waits (a while at most) until the stream voice holds a second of sound.
bool WaitForFeed(CMixer& mixer, CMixer::VoiceId voice) {
    for (int i = 0; i < 400; ++i) {
        if (mixer.QueuedFrames(voice) >= CMixer::kStreamAhead) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

class StreamFeederTest : public SoundFixture {};

TEST_F(StreamFeederTest, ReadsStreamsAheadAndAfterASeek) {
    WriteStream(5, FourSeconds());
    auto threaded = std::make_unique<ThreadedRecording>();
    ThreadedRecording* device = threaded.get();
    plat::ScopedAudio audio(std::move(threaded));
    CSoundSystem system;
    ASSERT_TRUE(system.StartupSound("MILES", 44100, 16, 2, 1));
    system.SetSampleCacheSize(10);
    system.SetSoundSlotCount(10);
    auto* stream = static_cast<CSoundStream*>(system.CreateSound(5, SOUND_STREAM));
    ASSERT_NE(stream, nullptr);
    CMixer& mixer = *system.GetDriver();
    ASSERT_TRUE(WaitForFeed(mixer, stream->m_handle));  // ahead before it plays
    stream->SetVolume(127);
    stream->Play(1);
    EXPECT_EQ(LoudestTone(device->Render(44100 / 2)), 300.0);
    stream->SetMsPosition(2500);
    ASSERT_TRUE(WaitForFeed(mixer, stream->m_handle));
    EXPECT_EQ(LoudestTone(device->Render(44100 / 4)), 700.0);
    EXPECT_NEAR(double(stream->GetMsPosition()), 2750.0, 1.0);
    system.ReleaseSound(stream->m_slot);
    EXPECT_EQ(mixer.VoiceCount(), 0u);
}

}  // namespace

namespace {

// The sound card's thread mixes while the main thread plays, seeks, stops and
// lets go of streams and samples, and the feeder reads ahead: every voice
// operation meets the mixing and the feeding in the middle of their work.
TEST_F(StreamFeederTest, TheMainThreadTheMixAndTheFeederMeetSafely) {
    WriteStream(5, FourSeconds());
    WriteLevelEffect(1, 4000, 30);
    auto threaded = std::make_unique<ThreadedRecording>();
    ThreadedRecording* device = threaded.get();
    plat::ScopedAudio audio(std::move(threaded));
    CSoundSystem system;
    ASSERT_TRUE(system.StartupSound("MILES", 44100, 16, 2, 1));
    system.SetSampleCacheSize(10);
    system.SetSoundSlotCount(20);
    std::atomic<bool> mixing{true};
    std::atomic<size_t> rendered{0};
    std::thread card([&] {
        while (mixing) {
            device->Render(256);
            rendered += 256;
            device->Clear();
        }
    });
    for (int round = 0; round < 60; ++round) {
        auto* stream = static_cast<CSoundStream*>(system.CreateSound(5, SOUND_STREAM));
        ASSERT_NE(stream, nullptr);
        stream->SetVolume(100);
        stream->Play(round % 3);
        system.CreateSound(1, SOUND_SAMPLE)->Play(round % 2);
        for (uint32_t ms : {3900u, 100u, 2000u}) {
            stream->SetMsPosition(ms);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        stream->Stop();
        stream->Play(1);
        if (round % 4 == 0) system.ReleaseAllSounds();
        for (uint32_t slot = 1; slot < system.GetSlotCount(); ++slot)
            if (CSoundObject* object = system.GetSlot(slot); object && object->m_kind == SOUND_STREAM)
                system.ReleaseSound(slot);
    }
    mixing = false;
    card.join();
    EXPECT_GT(rendered.load(), 0u);
    system.ReleaseAllSounds();
    EXPECT_EQ(system.GetDriver()->VoiceCount(), 0u);
}

}  // namespace
