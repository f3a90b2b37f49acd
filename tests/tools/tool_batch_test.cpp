#include "tools/tool_batch.h"

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"
#include "tools/qmani/ani_tool.h"
#include "tools/qmimage/image_tool.h"
#include "tools/qmmap/qmmap_tool.h"
#include "tools/qmmedia/media_tool.h"
#include "tools/qmmodel/model_tool.h"
#include "tools/qmpack/pack_tool.h"
#include "tools/qmtable/table_tool.h"

using qmtest::ToolRun;

TEST(ToolBatchTest, SplitsALineIntoWords) {
    struct Case {
        const char* line;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"", {}},
        {"  \t ", {}},
        {"zip a b", {"zip", "a", "b"}},
        {"  zip\ta   b \r", {"zip", "a", "b"}},
        {R"(zip "a b" c)", {"zip", "a b", "c"}},
        {R"("" x)", {"", "x"}},
        {R"("say \"hi\" \\ there")", {R"(say "hi" \ there)"}},
        {R"(draw a"b c"d)", {"draw", "ab cd"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> words{"stale"};
        std::string error;
        EXPECT_TRUE(toolbatch::SplitLine(c.line, words, &error)) << c.line << ": " << error;
        EXPECT_EQ(words, c.words) << c.line;
    }
    for (const char* bad : {R"(zip "a b)", R"(zip "a\)", R"(")"}) {
        std::vector<std::string> words;
        std::string error;
        EXPECT_FALSE(toolbatch::SplitLine(bad, words, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(ToolBatchTest, RunsEveryLineInOrderInOneCall) {
    qmtest::TempDir dir;
    const std::string in = dir.WriteFile("in one.bin", "first");
    const std::string p = dir.Path();
    // Comments, blank lines and Windows line ends are skipped; the second line
    // reads what the first wrote.
    const std::string batch =
        dir.WriteFile("batch.txt", "# zip then unzip\r\n\r\nzip \"" + in + "\" " + p + "/a.zip\r\n   \n" +
                                       "zip " + p + "/a.zip " + p + "/b.zip\n#\nunzip " + p + "/a.zip");
    const ToolRun r = qmtest::RunTool(RunPackTool, {"batch", batch});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(plat::FileExists(p + "/a.zip"));
    EXPECT_TRUE(plat::FileExists(p + "/b.zip"));
    EXPECT_EQ(r.out, "first");  // unzip writes the plain bytes out
}

TEST(ToolBatchTest, TheFirstFailingLineStopsTheBatchAndIsNamed) {
    struct Case {
        const char* name;
        std::string lines;  // "IN" and "DIR" stand for the input file and the folder
        int status;
        const char* error;
        bool firstWritten;  // the line before the bad one ran
    };
    const Case cases[] = {
        {"a command fails", "zip IN DIR/1.zip\nzip DIR/missing DIR/2.zip\nzip IN DIR/3.zip\n", 1,
         "batch.txt:2: zip failed (status 1)", true},
        {"a usage error", "zip IN DIR/1.zip\n\nfrobnicate\nzip IN DIR/3.zip\n", 2,
         "batch.txt:3: frobnicate failed", true},
        {"an open quote", "zip IN DIR/1.zip\nzip \"IN DIR/2.zip\nzip IN DIR/3.zip\n", 2,
         "batch.txt:2: a quote is not closed", true},
        {"a batch in a batch", "batch DIR/batch.txt\nzip IN DIR/3.zip\n", 2,
         "batch.txt:1: a batch cannot start another", false},
    };
    for (const Case& c : cases) {
        qmtest::TempDir dir;
        const std::string in = dir.WriteFile("in.bin", "bytes");
        std::string text = c.lines;
        for (size_t at; (at = text.find("IN")) != std::string::npos;) text.replace(at, 2, in);
        for (size_t at; (at = text.find("DIR")) != std::string::npos;) text.replace(at, 3, dir.Path());
        const std::string batch = dir.WriteFile("batch.txt", text);
        const ToolRun r = qmtest::RunTool(RunPackTool, {"batch", batch});
        EXPECT_EQ(r.status, c.status) << c.name << ": " << r.err;
        EXPECT_NE(r.err.find(c.error), std::string::npos) << c.name << ": " << r.err;
        EXPECT_EQ(plat::FileExists(dir.Path() + "/1.zip"), c.firstWritten) << c.name;
        EXPECT_FALSE(plat::FileExists(dir.Path() + "/3.zip")) << c.name << ": a line after the failure ran";
    }
}

TEST(ToolBatchTest, EveryDataToolTakesABatch) {
    qmtest::TempDir dir;
    const std::string empty = dir.WriteFile("empty.txt", "# nothing to do\n");
    const std::string missing = dir.Path() + "/missing.txt";
    struct Tool {
        const char* name;
        toolbatch::Entry entry;
    };
    const Tool tools[] = {{"qmpack", RunPackTool},   {"qmtable", RunTableTool}, {"qmani", RunAniTool},
                          {"qmimage", RunImageTool}, {"qmmap", RunMapTool},     {"qmmedia", RunMediaTool},
                          {"qmmodel", RunModelTool}};
    for (const Tool& t : tools) {
        ToolRun r = qmtest::RunTool(t.entry, {"batch", empty});
        EXPECT_EQ(r.status, 0) << t.name << ": " << r.err;
        r = qmtest::RunTool(t.entry, {"batch", missing});
        EXPECT_EQ(r.status, 1) << t.name;
        EXPECT_NE(r.err.find(std::string(t.name) + ": cannot read"), std::string::npos) << t.name << r.err;
        r = qmtest::RunTool(t.entry, {"batch"});
        EXPECT_EQ(r.status, 2) << t.name;
        EXPECT_NE(r.err.find("batch FILE"), std::string::npos) << t.name << r.err;
    }
}
