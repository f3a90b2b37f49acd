// qmevent: an event file's readable form builds the file the client reads,
// the dump shows it back in the same form (or why the client refuses it),
// and the fuzz target's seeds are event files it builds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/byte_source.h"
#include "platform/paths.h"
#include "script/event_file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"
#include "tools/qmevent/event_text.h"
#include "tools/qmevent/qmevent_tool.h"

namespace {

using qmtest::RunTool;

// Every parameter type once, in a field script of two functions.
constexpr char kEveryParam[] = R"(# every parameter type
flag 7
function Start
  902 b1 h8:2 b0 h7:1 b255 b0
  300 b0 h8:0 p-3,12 r500,2,1 h11:65535 l4294967295 h2:9 h3:8 h5:7 h9:6
  0 n"Next"
  908 h7:3 t"a \"quoted\" \\ text" n""
function Next
  1
)";

std::vector<uint8_t> Build(const std::string& text, bool visual) {
    EventFileData data;
    std::string error;
    EXPECT_TRUE(ParseEventText(text, visual, data, &error)) << error;
    CByteWriter out;
    WriteEventFile(data, out);
    return out.Take();
}

TEST(QmeventTest, BuildAndDumpShowTheSameFile) {
    qmtest::TempDir dir;
    const std::string text = dir.WriteFile("all.txt", std::string(kEveryParam));
    const std::string file = dir.Path() + "/0001.EVT";
    const qmtest::ToolRun built = RunTool(RunEventTool, {"build", text, file});
    ASSERT_EQ(built.status, 0) << built.err;
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(plat::ReadWholeFile(file, bytes));
    EXPECT_EQ(bytes, Build(kEveryParam, false));
    // Flag, function count, then the first function's 64-byte name.
    ASSERT_GT(bytes.size(), 5u + EVENT_NAME_SIZE);
    EXPECT_EQ(bytes[0], 7);
    EXPECT_EQ(LoadU32Le(bytes.data() + 1), 2u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + 5)), "Start");

    const qmtest::ToolRun dumped = RunTool(RunEventTool, {"dump", file});
    ASSERT_EQ(dumped.status, 0) << dumped.err;
    EXPECT_NE(dumped.out.find("p-3,12 r500,2,1 h11:65535 l4294967295"), std::string::npos) << dumped.out;
    EXPECT_NE(dumped.out.find(R"(t"a \"quoted\" \\ text")"), std::string::npos) << dumped.out;
    // What the dump shows builds the same file again.
    EXPECT_EQ(Build(dumped.out, false), bytes);
}

TEST(QmeventTest, TheOutputNameGivesTheKind) {
    // 1100 (the movie) is a code of visual events only.
    qmtest::TempDir dir;
    const std::string visual =
        dir.WriteFile("v.txt", std::string("function StartEvent\n  1100 t\"a.avi\"\n"));
    EXPECT_EQ(RunTool(RunEventTool, {"build", visual, dir.Path() + "/0379.VET"}).status, 0);
    const qmtest::ToolRun refused = RunTool(RunEventTool, {"build", visual, dir.Path() + "/0001.EVT"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("line 2: code 1100 is not one of the field-script table"), std::string::npos)
        << refused.err;
    // The same bytes dumped as the other kind are refused for their code.
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(plat::ReadWholeFile(dir.Path() + "/0379.VET", bytes));
    const std::string asFieldPath =
        dir.WriteFile("0379.EVT", std::vector<unsigned char>(bytes.begin(), bytes.end()));
    const qmtest::ToolRun asField = RunTool(RunEventTool, {"dump", asFieldPath});
    EXPECT_EQ(asField.status, 1);
    EXPECT_NE(asField.err.find("refused (text 16, 14)"), std::string::npos) << asField.err;
    EXPECT_NE(asField.err.find("(command 0 of StartEvent, code 1100)"), std::string::npos) << asField.err;
}

TEST(QmeventTest, ABadTextIsRefusedWithItsLine) {
    const struct {
        const char* text;
        const char* reason;
    } cases[] = {
        {"1\n", "line 1: a command before the first function"},
        {"function A\n  go\n", "line 2: a line that is not a command: go"},
        {"function A\n  7\n", "line 2: code 7 is not one of the field-script table"},
        {"function A\n  0 n\"open\n", "line 2: a text without its closing quote"},
        {"function A\n  0 b256\n", "a parameter it does not read: b256"},
        {"function A\n  0 h4:1\n", "a parameter it does not read: h4:1"},
        {"function A\n  0 h7:65536\n", "a parameter it does not read"},
        {"function A\n  0 p1\n", "a parameter it does not read: p1"},
        {"function A\n  0 r1,2,256\n", "a parameter it does not read"},
        {"function A\n  0 x1\n", "a parameter it does not read: x1"},
        {"function A\n  0 n\"0123456789012345678901234567890\"\n", "a text longer than its field"},
        {"flag 300\n", "line 1: flag takes a byte"},
        {"function\n", "line 1: function takes a name"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EventFileData data;
        std::string error;
        EXPECT_FALSE(ParseEventText(c.text, false, data, &error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

TEST(QmeventTest, TheDumpSaysWhyTheClientRefusesAFile) {
    qmtest::TempDir dir;
    const std::vector<uint8_t> good = Build(kEveryParam, false);
    auto dump = [&](const std::vector<uint8_t>& bytes) {
        const std::string path =
            dir.WriteFile("f.EVT", std::vector<unsigned char>(bytes.begin(), bytes.end()));
        return RunTool(RunEventTool, {"dump", path});
    };
    // The first command of "Start": code, count, then the first parameter's type.
    const size_t command = 5 + EVENT_NAME_SIZE + 4;
    std::vector<uint8_t> unknownType = good;
    unknownType[command + 3] = 13;
    const std::vector<uint8_t> one = Build("function Start\n  902 b1 t\"text\"\n", false);
    std::vector<uint8_t> manyFunctions = good;
    StoreU32Le(manyFunctions.data() + 1, 1000);
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* says;
    } cases[] = {
        {"header cut", {0, 1, 0}, "refused (text 16, 21): the header ends early"},
        {"count past the end", manyFunctions, "refused (text 16, 21): more functions than the file holds"},
        {"text cut", std::vector<uint8_t>(one.begin(), one.end() - 1),
         "refused (text 16, 15): a parameter ends early (command 0 of Start, code 902)"},
        {"type 13", unknownType,
         "refused (text 16, 15): an unknown parameter type (command 0 of Start, code 902)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const qmtest::ToolRun run = dump(c.bytes);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    }
    // Bytes after the last function are read past, and said.
    std::vector<uint8_t> tail = good;
    tail.push_back(0);
    const qmtest::ToolRun run = dump(tail);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("1 bytes after the last function"), std::string::npos) << run.err;

    EXPECT_EQ(RunTool(RunEventTool, {"dump", dir.Path() + "/missing.EVT"}).status, 1);
    EXPECT_EQ(RunTool(RunEventTool, {"build", dir.Path() + "/missing", dir.Path() + "/out.EVT"}).status, 1);
    EXPECT_EQ(RunTool(RunEventTool, {"dump"}).status, 2);
    EXPECT_EQ(RunTool(RunEventTool, {"make", "a", "b"}).status, 2);
}

// The fuzz target's seeds: the sample world's two event files and a flow
// with a timed team selection, as qmevent builds them.
TEST(QmeventTest, TheFuzzSeedsAreEventFilesItBuilds) {
    auto demo = [](const char* path) {
        std::vector<uint8_t> text;
        EXPECT_TRUE(plat::ReadWholeFile(qmtest::SourceDir() + "/demo/pack/" + path, text)) << path;
        return std::string(text.begin(), text.end());
    };
    const struct {
        const char* name;
        std::string text;
        bool visual;
    } seeds[] = {
        {"elder_talk", demo("FIELDSCRIPT/0001.EVT.txt"), false},
        {"offline_379", demo("VISUALEVENT/0379.VET.txt"), true},
        {"flow_and_selection",
         "function StartEvent\n  911\n  2 t\"3\"\n  0 n\"Next\"\nfunction Next\n"
         "  906 b2 h7:0 t\"1\" t\"100\" t\"1\" t\"0\" l16384\n  908 h7:0 t\"50\" n\"Next\"\n"
         "  909 t\"0\" h7:0 t\"10\" n\"\"\n  907 n\"A\" n\"B\" n\"\" n\"\" n\"\"\n  910\n  3\n",
         false},
    };
    const std::string corpus = qmtest::SourceDir() + "/fuzz/corpus/event_file/";
    const char* refresh = std::getenv("QM_REFRESH_GOLDEN");
    for (const auto& s : seeds) {
        SCOPED_TRACE(s.name);
        const std::vector<uint8_t> seed = Build(s.text, s.visual);
        if (refresh && std::string(refresh) == "1") {
            plat::CreateDirectories(corpus);
            ASSERT_TRUE(plat::WriteFileAtomic(corpus + s.name, seed.data(), seed.size()));
        }
        std::vector<uint8_t> stored;
        ASSERT_TRUE(plat::ReadWholeFile(corpus + s.name, stored));
        EXPECT_EQ(stored, seed);
    }
}

}  // namespace
