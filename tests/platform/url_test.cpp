#include "platform/url.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "tests/support/temp_dir.h"

namespace {

TEST(OpenUrl, ReachesTheInstalledOpenerUnlessUnsafe) {
    plat::ScopedUrlRecorder recorder;
    struct Case {
        std::string url;
        bool reaches;
    } cases[] = {
        {"https://example.org/a?b=1", true},
        {"", false},
        {"--help", false},
        {std::string("http://a\0b", 10), false},
    };
    for (const Case& c : cases) {
        recorder.m_urls.clear();
        EXPECT_EQ(plat::OpenUrl(c.url), c.reaches) << c.url;
        EXPECT_EQ(recorder.m_urls.size(), c.reaches ? 1u : 0u) << c.url;
    }
    recorder.m_result = false;
    EXPECT_FALSE(plat::OpenUrl("http://x"));
}

// The system opener runs the first "xdg-open" on the PATH with the address as
// its single argument: shell characters stay inside it.
TEST(OpenUrl, SystemOpenerPassesOneArgumentWithoutAShell) {
    qmtest::TempDir dir;
    const std::string out = dir.Path() + "/args";
    std::string script = dir.WriteFile("xdg-open", "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > \"" + out +
                                                       ".tmp\"\nmv \"" + out + ".tmp\" \"" + out + "\"\n");
    ASSERT_EQ(chmod(script.c_str(), 0755), 0);
    const char* oldPath = std::getenv("PATH");
    std::string saved = oldPath ? oldPath : "";
    setenv("PATH", (dir.Path() + ":/usr/bin:/bin").c_str(), 1);
    const std::string url = "http://x/a b;echo $(id)`id`";
    plat::SystemUrlOpener opener;
    EXPECT_TRUE(opener.Open(url));
    setenv("PATH", saved.c_str(), 1);

    std::string got;
    for (int i = 0; i < 500 && got.empty(); ++i) {
        std::ifstream in(out);
        std::stringstream text;
        text << in.rdbuf();
        got = text.str();
        if (got.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(got, "1|" + url + "|");
}

}  // namespace
