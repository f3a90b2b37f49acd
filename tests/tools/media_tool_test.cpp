// qmmedia: files written from their text form read back with the client's own
// readers, and the refusals.
#include "tools/qmmedia/media_tool.h"

#include <gtest/gtest.h>

#include "platform/media.h"
#include "platform/paths.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"

namespace {

using qmtest::RunTool;

qmtest::ToolRun Media(std::vector<std::string> args) {
    return RunTool(RunMediaTool, std::move(args));
}

class MediaToolTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& text) {
        return m_dir.WriteFile(name, text);
    }
    std::string Path(const std::string& name) const { return m_dir.Path() + "/" + name; }
    qmtest::TempDir m_dir;
};

TEST_F(MediaToolTest, TonesInEveryFormat) {
    struct Case {
        const char* format;
        plat::SoundFileKind kind;
    };
    for (const Case& c :
         {Case{"pcm8", plat::SoundFileKind::kPcmWav}, Case{"pcm16", plat::SoundFileKind::kPcmWav},
          Case{"adpcm", plat::SoundFileKind::kAdpcmWav}, Case{"mp3", plat::SoundFileKind::kMp3},
          Case{"ogg", plat::SoundFileKind::kNone}}) {
        SCOPED_TRACE(c.format);
        const std::string plan = Write("tone.txt", std::string("format ") + c.format +
                                                       "\nrate 22050 # comment\namplitude 0.25\n"
                                                       "tone 440 300\nsilence 100\ntone 880 100\n");
        const auto run = Media({"tone", Path("out.wav"), plan});
        ASSERT_EQ(run.status, 0) << run.err;
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(plat::ReadWholeFile(Path("out.wav"), bytes));
        plat::DecodedSound sound;
        EXPECT_EQ(plat::DecodeSoundFile(bytes.data(), bytes.size(), sound),
                  c.kind != plat::SoundFileKind::kNone);
        EXPECT_EQ(sound.kind, c.kind);
        const auto info = Media({"info", Path("out.wav")});
        EXPECT_EQ(info.status, c.kind != plat::SoundFileKind::kNone ? 0 : 1);
        if (c.kind != plat::SoundFileKind::kNone) {
            EXPECT_GE(sound.FrameCount(), 22050u - 50);
            EXPECT_NE(info.out.find("source 22050 Hz, 1 channel\n"), std::string::npos) << info.out;
        } else {
            EXPECT_NE(info.err.find("refused"), std::string::npos);
        }
    }
}

TEST_F(MediaToolTest, BadDescriptionsAreRefusedWithTheLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"format flac\ntone 440 100\n", "line 1"},
        {"rate 22050\ntone 12000 100\n", "line 2"},  // above half the rate
        {"tone 440\n", "line 1"},
        {"# nothing\n", "no tone"},
        {"tone 440 100\nchannels 3\n", "line 2"},
    };
    for (const auto& [text, where] : cases) {
        const auto run = Media({"tone", Path("out.wav"), Write("bad.txt", text)});
        EXPECT_EQ(run.status, 1) << text;
        EXPECT_NE(run.err.find(where), std::string::npos) << run.err;
        EXPECT_FALSE(plat::FileExists(Path("out.wav")));
    }
    EXPECT_EQ(Media({"tone", Path("out.wav")}).status, 2);
    EXPECT_EQ(Media({}).status, 2);
    EXPECT_EQ(Media({"tone", Path("out.wav"), Path("missing.txt")}).status, 1);
}

TEST_F(MediaToolTest, MusicListsBuildAndDumpAsTheClientReadsThem) {
    const std::string text =
        "track 1 start 0 end 4000 mode 2 value 2\n"
        "track 17 start 120 end 9990 mode 1 value 3\n"
        "track 65535 start 0 end 655350 mode 0\n";
    ASSERT_EQ(Media({"list", "build", Write("a.txt", text), Path("0001.lst"), Write("b.txt", "track 2\n"),
                     Path("0002.lst")})
                  .status,
              0);
    const auto dump = Media({"list", "dump", Path("0001.lst")});
    EXPECT_EQ(dump.status, 0);
    EXPECT_EQ(dump.out, text);
    EXPECT_EQ(Media({"list", "dump", Path("0002.lst")}).out, "track 2 start 0 end 0 mode 0\n");

    for (const char* bad :
         {"track 1 start 5\n", "track 70000\n", "track 1 mode 0 value 2\n", "song 1\n", ""}) {
        const auto run = Media({"list", "build", Write("bad.txt", bad), Path("bad.lst")});
        EXPECT_EQ(run.status, 1) << bad;
        EXPECT_FALSE(run.err.empty());
    }
    // A file cut inside its second record: the client reads one track.
    m_dir.WriteFile("cut.lst", std::string("\0\2\1\0\0\0\x64\0\0\2\0", 11));
    const auto cut = Media({"list", "dump", Path("cut.lst")});
    EXPECT_EQ(cut.status, 0);
    EXPECT_EQ(cut.out, "track 1 start 0 end 1000 mode 0\n");
    EXPECT_NE(cut.err.find("says 2 tracks, 1 read"), std::string::npos);
    m_dir.WriteFile("none.lst", std::string("\0\0", 2));
    EXPECT_EQ(Media({"list", "dump", Path("none.lst")}).status, 1);
}

TEST_F(MediaToolTest, MoviesPlainAndEnciphered) {
    const std::string plan =
        Write("movie.txt", "size 32 24\nrate 5\ntone 440\nframe ff0000 3\nframe 0000ff\n");
    ASSERT_EQ(Media({"movie", Path("plain.avi"), plan}).status, 0);
    ASSERT_EQ(Media({"movie", Path("secret.avi"), plan, "--key", "abc"}).status, 0);
    const auto plain = Media({"info", Path("plain.avi")});
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out, "movie 32 x 24 at 5 frames a second\nframes 4 (4 said)\nsound yes, 800 ms\n");
    EXPECT_EQ(Media({"info", Path("secret.avi"), "--key", "abc"}).out, plain.out);
    EXPECT_EQ(Media({"info", Path("secret.avi")}).status, 1);
    EXPECT_EQ(Media({"info", Path("secret.avi"), "--key", "abd"}).status, 1);
    EXPECT_EQ(Media({"movie", Path("odd.avi"), Write("odd.txt", "size 31 24\nframe 000000\n")}).status, 1);
    EXPECT_EQ(Media({"movie", Path("none.avi"), Write("none.txt", "size 32 24\n")}).status, 1);
    EXPECT_EQ(Media({"info", Write("text.avi", "no movie")}).status, 1);
}

}  // namespace
