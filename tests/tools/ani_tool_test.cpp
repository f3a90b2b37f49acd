#include "tools/qmani/ani_tool.h"

#include <gtest/gtest.h>

#include "anim/ani_text.h"
#include "platform/paths.h"
#include "tests/anim/ani_test_util.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"

using namespace anitest;
using qmtest::ToolRun;

namespace {
ToolRun Ani(std::vector<std::string> args) {
    return qmtest::RunTool(RunAniTool, std::move(args));
}
}  // namespace

TEST(AniToolTest, WriteThenDumpGivesTheTextBack) {
    qmtest::TempDir dir;
    const AniFile file = OneLayer({Image(0, 3, 1, ANI_IMAGE_MIRROR), Hold(4), Sound(6, 21, true)}, 14);
    const std::string text = AniFileToText(file);
    const std::string txt = dir.WriteFile("a.txt", text);
    const std::string z5a = dir.Path() + "/0001.z5a";
    ToolRun r = Ani({"write", txt, z5a});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(plat::ReadWholeFile(z5a, bytes));
    EXPECT_EQ(bytes, WriteAniFile(file));
    r = Ani({"dump", z5a});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, text);
}

TEST(AniToolTest, RefusesWhatTheClientWouldRefuse) {
    qmtest::TempDir dir;
    const std::string txt = dir.WriteFile("bad.txt", "version 14\nmotion 0\ndirection 16\nlayer\nimage\n");
    ToolRun r = Ani({"write", txt, dir.Path() + "/x.z5a"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("direction 16"), std::string::npos);
    EXPECT_FALSE(plat::FileExists(dir.Path() + "/x.z5a"));
    const std::string broken = dir.WriteFile("broken.z5a", std::string("\x0e\x01\x00", 3));
    r = Ani({"dump", broken});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("short read"), std::string::npos);
    EXPECT_EQ(Ani({}).status, 2);
}
