// qmscript: a script's readable form builds the file the client reads, the
// dump shows it back in the same form (or why the client refuses it), and
// the fuzz target's seeds are scripts it builds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/byte_source.h"
#include "platform/paths.h"
#include "script/script_file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"
#include "tools/qmscript/qmscript_tool.h"
#include "tools/qmscript/script_text.h"

namespace {

using qmtest::RunTool;

// Every statement, item and call kind of the file.
constexpr char kEverything[] = R"(# every construct once
script variables 8 word 513 remove 1 reentrant 1
block
  set v0 = native 0 ( 4900 )
  set v1 [ v0 - 1 ] = ( 2 + 3 ) * -4.5 % 7
  if v0 >= 1 && v1 != 0 || v2 == 3 block 1
  while v3 < 10 block 1
  do native 8 ( 1 , v0 , 1 , 0 ) + call 1 ( 2 , v4 [ 1 ] ) + callkind 7 3 ( ) - "a \"text\"\x01"
  wait
  op 5
  op 42
  do tag 99 + 1.25e-3
  return v2 / 2 <= 8 > 1
end
block
  set v3 = v3 + 1
  yield
  extra 1 2 3
end
function body 0 entry 1
function body 1 spare 9 params v5 v6
)";

std::vector<uint8_t> Build(const std::string& text) {
    ScriptFileData data;
    std::string error;
    EXPECT_TRUE(ParseScriptText(text, data, &error)) << error;
    CByteWriter out;
    WriteScriptFile(data, out);
    return out.Take();
}

TEST(QmscriptTest, BuildAndDumpShowTheSameScript) {
    qmtest::TempDir dir;
    const std::string text = dir.WriteFile("all.txt", std::string(kEverything));
    const std::string file = dir.Path() + "/all";
    const qmtest::ToolRun built = RunTool(RunScriptTool, {"build", text, file});
    ASSERT_EQ(built.status, 0) << built.err;
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(plat::ReadWholeFile(file, bytes));
    EXPECT_EQ(bytes, Build(kEverything));

    const qmtest::ToolRun dumped = RunTool(RunScriptTool, {"dump", file});
    ASSERT_EQ(dumped.status, 0) << dumped.err;
    EXPECT_NE(dumped.out.find("set v1 [ v0 - 1 ] = ( 2 + 3 ) * -4.5 % 7"), std::string::npos) << dumped.out;
    EXPECT_NE(dumped.out.find("callkind 7 3 ( )"), std::string::npos);
    EXPECT_NE(dumped.out.find("\"a \\\"text\\\"\\x01\""), std::string::npos);
    EXPECT_NE(dumped.out.find("# a runner starts at function 0"), std::string::npos);
    // What the dump shows builds the same file again.
    EXPECT_EQ(Build(dumped.out), bytes);

    ScriptFileData read;
    CMemorySource source(bytes);
    ASSERT_TRUE(ReadScriptFile(source, read, nullptr));
    EXPECT_EQ(read.word, 513);
    EXPECT_EQ(read.blocks[1].extra, (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_EQ(read.functions[1].params, (std::vector<uint32_t>{5, 6}));
    EXPECT_EQ(read.functions[1].spare, 9);
}

TEST(QmscriptTest, ABadTextIsRefusedWithItsLine) {
    const struct {
        const char* text;
        const char* reason;
    } cases[] = {
        {"script variables 1\nblock\n  jump 3\nend\n", "line 3: unknown statement 'jump'"},
        {"block\n  do 1 + ?\nend\n", "line 2: unknown item '?'"},
        {"block\n  do \"open\nend\n", "line 2: a text without its closing quote"},
        {"block\n  do \"\\q\"\nend\n", "line 2: unknown escape"},
        {"block\n  yield\n", "a block without its 'end'"},
        {"block\n  if 1 block 4\nend\n", "no block 4"},
        {"block\n  do call 2 ( )\nend\n", "no function 2"},
        {"script variables 2\nblock\n  set v2 = 1\nend\n", "line 3: no variable 2"},
        {"block\n  do native 100 ( )\nend\n", "native ids are 0 to 99"},
        {"block\n  do native 1 ( 1 , )\nend\n", "line 2: an empty argument"},
        {"block\n  do ( 1\nend\n", "expected ')'"},
        {"block\n  op 7\nend\n", "op 7 has its own statement"},
        {"block\n  yield 1\nend\n", "more after the statement"},
        {"block\n  do tag 15\nend\n", "tag 15 carries data"},
        {"function entry 1\n", "a function needs its body"},
        {"function body 0 color 3\n", "unknown function key"},
        {"script variables 70000\n", "bad script key or value"},
        {"blocks\n", "line 1: expected 'script', 'block' or 'function'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ScriptFileData data;
        std::string error;
        EXPECT_FALSE(ParseScriptText(c.text, data, &error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
    // Nesting deeper than the client reads is refused when the text is read.
    std::string deep = "block\n  do";
    for (int i = 0; i < SCRIPT_MAX_NESTING; ++i) deep += " (";
    deep += " 1";
    for (int i = 0; i < SCRIPT_MAX_NESTING; ++i) deep += " )";
    ScriptFileData data;
    std::string error;
    EXPECT_FALSE(ParseScriptText(deep + "\nend\n", data, &error));
    EXPECT_NE(error.find("nested too deeply"), std::string::npos) << error;
}

TEST(QmscriptTest, TheDumpSaysWhyTheClientRefusesAFile) {
    qmtest::TempDir dir;
    std::vector<uint8_t> bytes = Build(kEverything);
    const std::string cut = dir.WriteFile("cut", std::vector<unsigned char>(bytes.begin(), bytes.end() - 3));
    qmtest::ToolRun run = RunTool(RunScriptTool, {"dump", cut});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("refused: function body"), std::string::npos) << run.err;
    StoreU32Le(bytes.data() + 4, SCRIPT_MAX_VARIABLES + 1);
    const std::string wide = dir.WriteFile("wide", std::vector<unsigned char>(bytes.begin(), bytes.end()));
    run = RunTool(RunScriptTool, {"dump", wide});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("refused: too many variables"), std::string::npos) << run.err;
    EXPECT_EQ(RunTool(RunScriptTool, {"dump", dir.Path() + "/missing"}).status, 1);
    EXPECT_EQ(RunTool(RunScriptTool, {"build", dir.Path() + "/missing", dir.Path() + "/out"}).status, 1);
    EXPECT_EQ(RunTool(RunScriptTool, {"dump"}).status, 2);
    EXPECT_EQ(RunTool(RunScriptTool, {"make", "a", "b"}).status, 2);
}

// The fuzz target's seeds: the sample world's script and scripts that loop,
// recurse, wait and call every native, as qmscript builds them.
TEST(QmscriptTest, TheFuzzSeedsAreScriptsItBuilds) {
    std::vector<uint8_t> sparkleText;
    ASSERT_TRUE(plat::ReadWholeFile(qmtest::SourceDir() + "/demo/pack/SCRIPT/Sparkle.txt", sparkleText));
    std::string natives = "script variables 4\nblock\n";
    for (int id = 0; id < 100; ++id)
        natives += "  set v" + std::to_string(id % 4) + " = native " + std::to_string(id) +
                   " ( v0 , 1 , 0.5 , -1 , 2 , 3 )\n";
    natives += "end\nfunction body 0 entry 1\n";
    const std::pair<std::string, std::string> seeds[] = {
        {"sparkle", std::string(sparkleText.begin(), sparkleText.end())},
        {"everything", kEverything},
        {"natives", natives},
        {"endless_loop",
         "script variables 1\nblock\n  while 1 block 1\nend\nblock\n  set v0 = v0 + 1\nend\n"
         "function body 0 entry 1\n"},
        {"recursion",
         "script variables 1\nblock\n  set v0 = v0 + 1\n  return call 0 ( v0 )\nend\n"
         "function body 0 entry 1 params v0\n"},
        {"waiting",
         "script variables 2\nblock\n  set v0 = native 0 ( 1 )\n  do native 8 ( 1 , v0 , 1 , 0 )\n"
         "  do native 39 ( 5 )\n  do native 24 ( 10 , 10 , 0 , v0 , 5 , 1 )\n  wait\n  yield\n"
         "  set v1 [ v0 ] = 1 / 0\nend\nfunction body 0 entry 1\n"},
    };
    const std::string corpus = qmtest::SourceDir() + "/fuzz/corpus/script_file/";
    const char* refresh = std::getenv("QM_REFRESH_GOLDEN");
    for (const auto& [name, text] : seeds) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> seed = Build(text);
        if (refresh && std::string(refresh) == "1") {
            plat::CreateDirectories(corpus);
            ASSERT_TRUE(plat::WriteFileAtomic(corpus + name, seed.data(), seed.size()));
        }
        std::vector<uint8_t> stored;
        ASSERT_TRUE(plat::ReadWholeFile(corpus + name, stored));
        EXPECT_EQ(stored, seed);
    }
}

}  // namespace
