// The movie players on the recording display and audio device, with a movie
// written for the test: ten frames of 64 x 48, one colour each, at 10 frames
// a second over a 440 Hz tone, and an enciphered copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>

#include "core/app_state.h"
#include "core/config.h"
#include "data/rc4.h"
#include "platform/clock.h"
#include "platform/media.h"
#include "platform/paths.h"
#include "sound/bink_movie.h"
#include "sound/dshow_movie.h"
#include "sound/movie_fit.h"
#include "sound/movie_reader.h"
#include "sound/sound_mgr.h"
#include "tests/graphics/graphics_fixture.h"
#include "tests/sound/sound_fixture.h"
#include "tests/support/media_writer.h"
#include "tests/support/table_builder.h"
#include "tests/support/temp_dir.h"

namespace {

using plat::raster::Rect;

const std::vector<uint32_t> kColours = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF,
                                        0xFF00FF, 0xFFFFFF, 0x808080, 0xFF8000, 0x8000FF};

// The colour of kColours nearest to an RGB565 pixel.
size_t NearestColour(uint16_t pixel) {
    const int r = (pixel >> 11) * 255 / 31, g = ((pixel >> 5) & 63) * 255 / 63, b = (pixel & 31) * 255 / 31;
    size_t best = 0;
    int bestDistance = 1 << 30;
    for (size_t i = 0; i < kColours.size(); ++i) {
        const int dr = r - int(kColours[i] >> 16), dg = g - int((kColours[i] >> 8) & 255),
                  db = b - int(kColours[i] & 255);
        if (const int d = dr * dr + dg * dg + db * db; d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

class MovieTest : public GraphicsFixture {
protected:
    void SetUp() override {
        GraphicsFixture::SetUp();
        ASSERT_EQ(BringUp(800, 600, false), plat::kOk);
        auto audio = std::make_unique<plat::RecordingAudio>();
        m_audio = audio.get();
        m_oldAudio = plat::SetAudio(std::move(audio));
        ResetSoundSettings(m_dir.Path());
        g_active = true;
        m_plain = m_dir.Path() + "/Quill.AVI";
        m_enciphered = m_dir.Path() + "/event.bik";
        qmtest::WriteMovie(m_plain, qmtest::ColourMovie(64, 48, 10, kColours, 440.0));
        qmtest::WriteEncipheredCopy(m_plain, m_enciphered, MovieKey("secret"));
    }
    void TearDown() override {
        delete g_pSoundMgr;
        g_pSoundMgr = nullptr;
        plat::SetAudio(std::move(m_oldAudio));
        g_active = false;
        GraphicsFixture::TearDown();
    }
    // The sound manager the movies play their sound through (tables empty).
    void MakeSoundManager() {
        for (int table : {MUSIC_NAME_TABLE, HIT_SOUND_TABLE, EFFECT_NAME_TABLE})
            m_db.Write(table, qmtest::TableBuilder(0, 2));
        g_pSoundMgr = new CSoundMgr;
        ASSERT_NE(g_pSoundMgr->GetSoundSystem(), nullptr);
    }
    uint16_t ShownCentre() { return m_display->LastFrame()->At(400, 300); }
    uint16_t TargetCentre() { return Target().At(400, 300); }

    qmtest::TempDir m_dir;
    qmtest::ScopedDatabase m_db;
    plat::FakeClock m_clock{1000};
    plat::ScopedClock m_scopedClock{m_clock};
    plat::RecordingAudio* m_audio = nullptr;
    std::unique_ptr<plat::Audio> m_oldAudio;
    std::string m_plain, m_enciphered;
};

TEST_F(MovieTest, TheIntroPlayerShowsEachColourInTurnAndEnds) {
    CDShowMovie movie(800, 600);
    ASSERT_TRUE(movie.OpenMovieStream(m_plain.c_str()));
    EXPECT_EQ(movie.GetDestRect().Width(), 800);
    EXPECT_EQ(movie.GetDestRect().Height(), 600);
    for (size_t frame = 0; frame < kColours.size(); ++frame) {
        SCOPED_TRACE(frame);
        m_clock.Advance(frame == 0 ? 50 : 100);
        ASSERT_TRUE(movie.RenderFrame());
        ASSERT_EQ(m_dd->Present(false), plat::kOk);
        EXPECT_EQ(NearestColour(ShownCentre()), frame);
        EXPECT_EQ(NearestColour(m_display->LastFrame()->At(5, 5)), frame);  // the whole screen
    }
    m_clock.Advance(100);
    EXPECT_FALSE(movie.RenderFrame());
    EXPECT_FALSE(movie.IsOpen());
    EXPECT_FALSE(movie.RenderFrame());
}

// The time base of an AVI's video stream (its scale and rate words) set to a
// frame every million seconds.
void DamageTimeBase(const std::string& path) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(plat::ReadWholeFile(path, bytes));
    const std::string text(bytes.begin(), bytes.end());
    const size_t header = text.find("strh");
    ASSERT_NE(header, std::string::npos);
    ASSERT_EQ(text.substr(header + 8, 4), "vids");
    const uint8_t scaleAndRate[8] = {0x40, 0x42, 0x0F, 0, 1, 0, 0, 0};  // 1,000,000 and 1
    std::copy(std::begin(scaleAndRate), std::end(scaleAndRate), bytes.begin() + ptrdiff_t(header + 28));
    ASSERT_TRUE(plat::WriteFileAtomic(path, bytes.data(), bytes.size()));
}

TEST_F(MovieTest, AMovieWithADamagedTimeBaseStillPlaysThroughAndEnds) {
    const std::string damaged = m_dir.Path() + "/damaged.avi";
    qmtest::WriteMovie(damaged,
                       qmtest::ColourMovie(64, 48, 10, {kColours.begin(), kColours.begin() + 4}, 0.0));
    DamageTimeBase(damaged);
    CDShowMovie movie(800, 600);
    ASSERT_TRUE(movie.OpenMovieStream(damaged.c_str()));
    std::vector<size_t> shown;
    int seconds = 0;
    for (; seconds < 60 && movie.RenderFrame(); ++seconds) {
        ASSERT_EQ(m_dd->Present(false), plat::kOk);
        const size_t colour = NearestColour(ShownCentre());
        if (shown.empty() || shown.back() != colour) shown.push_back(colour);
        m_clock.Advance(1000);
    }
    EXPECT_EQ(shown, (std::vector<size_t>{0, 1, 2, 3}));
    EXPECT_LE(seconds, 4 * 5 + 1);  // at most five seconds a frame
    EXPECT_FALSE(movie.IsOpen());
}

TEST_F(MovieTest, AMovieFarBehindTheClockCatchesUpAFewFramesACall) {
    CDShowMovie movie(800, 600);
    ASSERT_TRUE(movie.OpenMovieStream(m_plain.c_str()));
    m_clock.Advance(5000);  // the program was held up: every frame is due
    ASSERT_TRUE(movie.RenderFrame());
    ASSERT_EQ(m_dd->Present(false), plat::kOk);
    EXPECT_EQ(NearestColour(ShownCentre()), 8u);  // eight frames decoded past the first, no more
    EXPECT_FALSE(movie.RenderFrame());            // then the last, and the end
}

TEST_F(MovieTest, TheEventPlayerPlaysTheEncipheredCopyWithItsKey) {
    CBinkMovie movie(800, 600);
    EXPECT_FALSE(movie.Open(m_enciphered.c_str(), "wrong"));
    EXPECT_FALSE(movie.Open(m_enciphered.c_str(), nullptr));
    EXPECT_EQ(GetOpenMovieCount(), 0);
    ASSERT_TRUE(movie.Open(m_enciphered.c_str(), "secret"));
    EXPECT_FALSE(movie.Open(m_enciphered.c_str(), "secret"));  // already open
    EXPECT_TRUE(IsMovieOpen());
    EXPECT_EQ(movie.GetTextureWidth(), 64);
    EXPECT_EQ(movie.GetTextureHeight(), 64);
    for (size_t frame = 0; frame < kColours.size(); ++frame) {
        SCOPED_TRACE(frame);
        EXPECT_TRUE(movie.IsPlaying());
        m_clock.Advance(frame == 0 ? 50 : 100);
        movie.Advance();
        movie.DrawFrame();
        EXPECT_EQ(NearestColour(TargetCentre()), frame);
        EXPECT_EQ(NearestColour(Target().At(2, 2)), frame);  // fitted to the whole screen
    }
    EXPECT_FALSE(movie.IsPlaying());  // the last frame shows
    movie.Close();
    EXPECT_FALSE(IsMovieOpen());
}

TEST_F(MovieTest, MissingAndNonMovieFilesDoNotOpen) {
    const std::string text = m_dir.WriteFile("notes.avi", "RIFF but not a movie, just some words");
    m_dir.WriteFile("tone.avi", "");
    qmtest::WriteSound(m_dir.Path() + "/tone.avi", plat::SoundEncoding::kPcm16Wav, {{{440.0, 200}}});
    for (const std::string& path : {m_dir.Path() + "/missing.avi", text, m_dir.Path() + "/tone.avi"}) {
        SCOPED_TRACE(path);
        CBinkMovie bink(800, 600);
        EXPECT_FALSE(bink.Open(path.c_str(), nullptr));
        CDShowMovie intro(800, 600);
        EXPECT_FALSE(intro.OpenMovieStream(path.c_str()));
        EXPECT_FALSE(intro.RenderFrame());
    }
    EXPECT_EQ(GetOpenMovieCount(), 0);
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_F(MovieTest, OpenMoviesAreCountedUntilEachCloses) {
    CBinkMovie first(800, 600), second(800, 600);
    ASSERT_TRUE(first.Open(m_plain.c_str(), nullptr));
    ASSERT_TRUE(second.Open(m_enciphered.c_str(), "secret"));
    EXPECT_EQ(GetOpenMovieCount(), 2);
    first.Close();
    EXPECT_TRUE(IsMovieOpen());
    first.Close();  // closing twice counts once
    EXPECT_EQ(GetOpenMovieCount(), 1);
    second.Close();
    EXPECT_FALSE(IsMovieOpen());
}

TEST_F(MovieTest, AnInactiveWindowPausesTheEventMovie) {
    CBinkMovie movie(800, 600);
    ASSERT_TRUE(movie.Open(m_plain.c_str(), nullptr));
    m_clock.Advance(250);
    movie.Advance();
    movie.DrawFrame();
    EXPECT_EQ(NearestColour(TargetCentre()), 2u);
    g_active = false;
    movie.Advance();
    EXPECT_TRUE(movie.IsPaused());
    m_clock.Advance(500);
    movie.Advance();
    movie.DrawFrame();
    EXPECT_EQ(NearestColour(TargetCentre()), 2u);  // held
    g_active = true;
    movie.Advance();
    EXPECT_FALSE(movie.IsPaused());
    m_clock.Advance(100);
    movie.Advance();
    movie.DrawFrame();
    EXPECT_EQ(NearestColour(TargetCentre()), 3u);  // on from where it stopped
}

TEST_F(MovieTest, MovieSoundPlaysThroughTheMixerWhileTheManagerExists) {
    {
        CBinkMovie silent(800, 600);
        ASSERT_TRUE(silent.Open(m_plain.c_str(), nullptr));
        EXPECT_EQ(silent.Playback().Voice(), 0u);  // no manager: no sound, the movie plays
    }
    MakeSoundManager();
    CBinkMovie movie(800, 600);
    ASSERT_TRUE(movie.Open(m_enciphered.c_str(), "secret"));
    ASSERT_NE(movie.Playback().Voice(), 0u);
    m_clock.Advance(50);
    movie.Advance();
    const std::vector<int16_t> mix = m_audio->Render(44100 / 4);
    EXPECT_GT(qmtest::ToneLevel(mix, 2, 0, 440.0), 12000.0);
    EXPECT_GT(qmtest::ToneLevel(mix, 2, 1, 440.0), 12000.0);
    EXPECT_LT(qmtest::ToneLevel(mix, 2, 0, 660.0), 1000.0);
    // Paused with the window, the sound stops too.
    g_active = false;
    movie.Advance();
    EXPECT_EQ(qmtest::PeakLevel(m_audio->Render(4410), 2, 0), 0);
    movie.Close();
    EXPECT_EQ(g_pSoundMgr->GetSoundSystem()->GetDriver()->VoiceCount(), 0u);
}

TEST_F(MovieTest, AMovieWiderThanATextureIsScaledToFit) {
    const std::string wide = m_dir.Path() + "/wide.avi";
    qmtest::WriteMovie(wide, qmtest::ColourMovie(1280, 96, 10, {0xFF0000, 0x00FF00}, 0.0));
    CBinkMovie movie(800, 600);
    ASSERT_TRUE(movie.Open(wide.c_str(), nullptr));
    EXPECT_EQ(movie.Playback().Width(), 1024);
    EXPECT_EQ(movie.Playback().Height(), 76);
    EXPECT_EQ(movie.GetTextureWidth(), 1024);
    EXPECT_EQ(movie.GetTextureHeight(), 128);
    m_clock.Advance(50);
    movie.Advance();
    movie.DrawFrame();
    EXPECT_EQ(NearestColour(TargetCentre()), 0u);
    EXPECT_EQ(Target().At(400, 100), 0);  // above the band: not drawn
}

// Frames of widths that are no multiple of eight, at their own size and
// scaled to odd sizes, come out whole: every row to its last pixel.
TEST(MovieSource, FramesOfAnyWidthComeOutWholeAtTheirSizeOrScaled) {
    qmtest::TempDir dir;
    struct Case {
        int width, height;  // of the movie
        int outWidth, outHeight;
    };
    const Case cases[] = {
        {58, 46, 58, 46}, {40, 30, 40, 30}, {58, 46, 37, 29}, {64, 48, 63, 47}, {62, 46, 124, 91}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.width << "x" << c.height << " to " << c.outWidth << "x" << c.outHeight);
        const std::string path = dir.Path() + "/odd.avi";
        qmtest::WriteMovie(path, qmtest::ColourMovie(c.width, c.height, 10, {0x00FF00, 0x0000FF}, 0.0));
        plat::MovieSource movie;
        ASSERT_TRUE(movie.Open(plat::OpenFileInput(path), plat::raster::PixelFormat::kRgb565));
        movie.SetOutputSize(c.outWidth, c.outHeight);
        plat::raster::Surface frame;
        int64_t time = 0;
        std::vector<int16_t> sound;
        for (size_t colour = 0; colour < 2; ++colour) {
            ASSERT_TRUE(movie.NextFrame(frame, time, sound));
            ASSERT_EQ(frame.Width(), c.outWidth);
            ASSERT_EQ(frame.Height(), c.outHeight);
            int wrong = 0;
            for (int y = 0; y < c.outHeight; ++y)
                for (int x = 0; x < c.outWidth; ++x) wrong += NearestColour(frame.Row(y)[x]) != colour + 1;
            EXPECT_EQ(wrong, 0);
        }
    }
}

TEST(MovieFit, EventMoviesFillTheHeightOrTheWidth) {
    struct Case {
        int32_t w, h, tw, th;
        Rect rect;
    };
    const Case cases[] = {
        {640, 480, 800, 600, {0, 0, 800, 600}},     // the same aspect: the whole screen
        {480, 640, 800, 600, {175, 0, 625, 600}},   // taller: the height, centred across
        {1280, 400, 800, 600, {0, 175, 800, 425}},  // wider: the width, centred down
        {64, 48, 1024, 768, {0, 0, 1024, 768}},    {0, 48, 800, 600, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        const Rect r = FitMovie(c.w, c.h, c.tw, c.th);
        EXPECT_EQ(r.left, c.rect.left);
        EXPECT_EQ(r.top, c.rect.top);
        EXPECT_EQ(r.right, c.rect.right);
        EXPECT_EQ(r.bottom, c.rect.bottom);
    }
    for (auto [n, side] : {std::pair{640, 1024}, {480, 512}, {1, 2}, {64, 64}, {1024, 1024}, {2000, 1024}})
        EXPECT_EQ(RoundUpPow2(n), side) << n;
}

TEST(MovieFit, TheIntroMovieSpansTheWidthClippedToTheScreen) {
    Rect dest, source;
    ASSERT_TRUE(FitMovieToWidth(64, 48, 800, 600, dest, source));
    EXPECT_EQ(dest.top, 0);
    EXPECT_EQ(dest.bottom, 600);
    EXPECT_EQ(source.bottom, 48);
    ASSERT_TRUE(FitMovieToWidth(1600, 400, 800, 600, dest, source));  // a band across the middle
    EXPECT_EQ(dest.top, 200);
    EXPECT_EQ(dest.bottom, 400);
    EXPECT_EQ(source.top, 0);
    EXPECT_EQ(source.bottom, 400);
    // Taller than the screen: only the middle rows show, on the whole screen.
    ASSERT_TRUE(FitMovieToWidth(300, 400, 800, 600, dest, source));
    EXPECT_EQ(dest.top, 0);
    EXPECT_EQ(dest.bottom, 600);
    EXPECT_EQ(dest.right, 800);
    EXPECT_EQ(source.top, 87);
    EXPECT_EQ(source.bottom, 313);
    EXPECT_FALSE(FitMovieToWidth(0, 400, 800, 600, dest, source));
}

TEST(MovieReader, ChunkedAndSeekingReadsDecipherAlike) {
    std::mt19937 random(7);
    std::vector<uint8_t> plain(3 * MOVIE_CHECKPOINT_BYTES + 12345);
    for (uint8_t& b : plain) b = uint8_t(random());
    const std::vector<uint8_t> key = MovieKey("secret");
    EXPECT_EQ(key.size(), 128u + 6u);
    EXPECT_EQ(key[0], 41);
    EXPECT_EQ(key[1], 114);
    EXPECT_EQ(key[127], uint8_t((127 * 73 + 41) % 256));
    EXPECT_EQ(key[128], 's');
    std::vector<uint8_t> enciphered = plain;
    CRC4Cipher cipher = RC4SetKey(key.data(), key.size(), 0);
    cipher.RC4Crypt(enciphered.data(), enciphered.size());

    CMovieReader reader(plat::OpenMemoryInput(enciphered.data(), enciphered.size()), key);
    EXPECT_EQ(reader.Size(), plain.size());
    // In chunks of every size, front to back.
    std::vector<uint8_t> read(plain.size());
    size_t at = 0;
    while (at < read.size()) {
        const size_t n = std::min<size_t>(1 + random() % 70000, read.size() - at);
        ASSERT_EQ(reader.Read(read.data() + at, n), int64_t(n));
        at += n;
    }
    EXPECT_EQ(read, plain);
    EXPECT_EQ(reader.Read(read.data(), 10), 0);
    // Then anywhere, backwards and forwards across the checkpoints.
    for (int i = 0; i < 30; ++i) {
        const uint64_t position = random() % plain.size();
        const size_t n = std::min<size_t>(1 + random() % 5000, plain.size() - position);
        ASSERT_TRUE(reader.Seek(position));
        std::vector<uint8_t> piece(n);
        ASSERT_EQ(reader.Read(piece.data(), n), int64_t(n));
        ASSERT_TRUE(std::equal(piece.begin(), piece.end(), plain.begin() + ptrdiff_t(position))) << position;
    }
    EXPECT_FALSE(reader.Seek(plain.size() + 1));
    // Without a key the bytes come as they are.
    CMovieReader clear(plat::OpenMemoryInput(plain.data(), plain.size()), {});
    std::vector<uint8_t> first(100);
    ASSERT_EQ(clear.Read(first.data(), 100), 100);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), plain.begin()));
}

TEST(MovieDecoders, BinkAndTheAviCodecsDecode) {
    for (const char* name : {"binkvideo", "binkaudio_rdft", "binkaudio_dct", "mpeg4", "msmpeg4", "cinepak",
                             "indeo5", "mjpeg", "h264", "wmv2", "mp3", "adpcm_ima_wav"})
        EXPECT_TRUE(plat::HasDecoder(name)) << name;
}

}  // namespace
