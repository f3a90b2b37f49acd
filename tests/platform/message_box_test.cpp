#include "platform/message_box.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/codepage.h"

namespace {

std::string ReadAll(FILE* f) {
    std::string out;
    std::rewind(f);
    char buf[256];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    return out;
}

TEST(MessageBoxTest, ConsoleBoxWritesOneUtf8LineAndGivesTheDefault) {
    struct Case {
        std::string caption, text;
        unsigned type;
        std::string line;
        int answer;
    };
    const Case cases[] = {
        {"Z5MessageBox", "Cannot open file", plat::MB_OK, "Z5MessageBox: Cannot open file\n", plat::IDOK},
        {"Error", "Retry?", plat::MB_RETRYCANCEL, "Error: Retry?\n", plat::IDCANCEL},
        // Shift-JIS text is written as UTF-8.
        {"Z5MessageBox", "\x93\xFA\x96\x7B", plat::MB_OK, "Z5MessageBox: 日本\n", plat::IDOK},
        // Line breaks fold so that the box stays one line.
        {"A", "first\r\nsecond\nthird", plat::MB_OK, "A: first second third\n", plat::IDOK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        FILE* f = std::tmpfile();
        ASSERT_NE(f, nullptr);
        plat::ConsoleMessageBox box(f);
        EXPECT_EQ(box.Show(c.caption, c.text, c.type), c.answer);
        EXPECT_EQ(ReadAll(f), c.line);
        std::fclose(f);
    }
}

// Runs fn with standard error sent to a temporary file; returns what was written.
template <typename Fn>
std::string CaptureStderr(Fn fn) {
    std::fflush(stderr);
    FILE* f = std::tmpfile();
    int saved = dup(STDERR_FILENO);
    dup2(fileno(f), STDERR_FILENO);
    fn();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    std::string out = ReadAll(f);
    std::fclose(f);
    return out;
}

TEST(MessageBoxTest, WithoutADisplayTheSystemBoxWritesToStandardError) {
    // The tests run with SDL's dummy video driver, as CI does.
    ASSERT_EQ(setenv("SDL_VIDEODRIVER", "dummy", 1), 0);
    EXPECT_FALSE(plat::HasDisplay());
    int answer = 0;
    std::string err = CaptureStderr(
        [&] { answer = plat::MessageBox("Retry the download?", "Update", plat::MB_RETRYCANCEL); });
    EXPECT_EQ(err, "Update: Retry the download?\n");
    EXPECT_EQ(answer, plat::IDCANCEL);
    err = CaptureStderr([&] { answer = plat::MessageBox("Done", "Update"); });
    EXPECT_EQ(err, "Update: Done\n");
    EXPECT_EQ(answer, plat::IDOK);
}

TEST(MessageBoxTest, RecorderKeepsBoxesAndGivesScriptedAnswers) {
    {
        plat::ScopedMessageBoxRecorder recorder;
        recorder.QueueAnswer(plat::IDRETRY);
        std::string err = CaptureStderr([] {
            EXPECT_EQ(plat::MessageBox("net down", "Connect", plat::MB_RETRYCANCEL), plat::IDRETRY);
            // Out of scripted answers: the default one.
            EXPECT_EQ(plat::MessageBox("net down", "Connect", plat::MB_RETRYCANCEL), plat::IDCANCEL);
            EXPECT_EQ(plat::MessageBox("bye", "Z5MessageBox"), plat::IDOK);
        });
        EXPECT_EQ(err, "");  // nothing reaches the console while recording
        ASSERT_EQ(recorder.Boxes().size(), 3u);
        EXPECT_EQ(recorder.Boxes()[0].caption, "Connect");
        EXPECT_EQ(recorder.Boxes()[0].text, "net down");
        EXPECT_EQ(recorder.Boxes()[0].type, plat::MB_RETRYCANCEL);
        EXPECT_EQ(recorder.Boxes()[2].caption, "Z5MessageBox");
        EXPECT_EQ(recorder.Boxes()[2].type, plat::MB_OK);

        // A nested recorder takes over and hands back on leaving.
        {
            plat::ScopedMessageBoxRecorder inner;
            plat::MessageBox("inner", "c");
            EXPECT_EQ(inner.Boxes().size(), 1u);
        }
        plat::MessageBox("outer", "c");
        EXPECT_EQ(recorder.Boxes().size(), 4u);

        // Null strings from C callers are safe.
        plat::MessageBox(static_cast<const char*>(nullptr), nullptr);
        EXPECT_EQ(recorder.Boxes().back().caption, "Error");
        EXPECT_EQ(recorder.Boxes().back().text, "");
    }
    // The system box is back.
    std::string err = CaptureStderr([] { plat::MessageBox("after", "c"); });
    EXPECT_EQ(err, "c: after\n");
}

}  // namespace
