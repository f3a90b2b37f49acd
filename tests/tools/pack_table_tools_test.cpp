#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "platform/message_box.h"
#include "platform/paths.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/tool_run.h"
#include "tools/qmpack/pack_tool.h"
#include "tools/qmtable/table_tool.h"

namespace {

using qmtest::RunTool;
using qmtest::ToolRun;

ToolRun Pack(std::vector<std::string> args) {
    return RunTool(RunPackTool, std::move(args));
}
ToolRun Table(std::vector<std::string> args) {
    return RunTool(RunTableTool, std::move(args));
}

TEST(PackTool, CreateThenCatGivesEveryFileBack) {
    qmtest::TempDir dir;
    std::mt19937 rng(7);
    std::map<std::string, std::string> files;
    for (const char* name : {"Data/DATABASE/0037.Z5D", "Data/Ani/0001.z5a", "Data/Ani/Deep/x.bin",
                             "Data/top.txt", "Data/empty.dat"}) {
        std::string content;
        size_t n = std::string(name).find("empty") != std::string::npos ? 0 : 1000 + rng() % 5000;
        for (size_t i = 0; i < n; ++i) content += char(rng() % (i % 3 ? 256 : 4));
        files[name] = content;
        dir.WriteFile(name, content);
    }
    std::string pack = dir.Path() + "/QuillMarrow.DAT";
    ToolRun created = Pack({"create", pack, dir.Path() + "/Data", "--key", "0xa7"});
    ASSERT_EQ(created.status, 0) << created.err;

    for (const auto& [name, content] : files) {
        std::string inPack = name.substr(5);  // below the root folder
        ToolRun cat = Pack({"cat", pack, inPack});
        EXPECT_EQ(cat.status, 0) << name << cat.err;
        EXPECT_EQ(cat.out, content) << name;
    }
    EXPECT_EQ(Pack({"cat", pack, "data\\ANI\\deep\\X.BIN"}).out, files["Data/Ani/Deep/x.bin"]);

    ToolRun list = Pack({"list", pack});
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find("root \"Data\", name key 0xa7"), std::string::npos) << list.out;
    for (const char* line : {"  Ani/\n", "  Ani/Deep/\n", "  Ani/Deep/x.bin\n", "  DATABASE/0037.Z5D\n",
                             "         0          8  empty.dat\n"})
        EXPECT_NE(list.out.find(line), std::string::npos) << line << "\n" << list.out;

    ToolRun missing = Pack({"cat", pack, "Ani/none.z5a"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.out.empty());
    EXPECT_NE(missing.err.find("no such entry"), std::string::npos);
}

TEST(PackTool, RefusesWhatItCannotDo) {
    qmtest::TempDir dir;
    plat::ScopedMessageBoxRecorder boxes;
    EXPECT_EQ(Pack({}).status, 2);
    EXPECT_EQ(Pack({"create", dir.Path() + "/p", dir.Path() + "/none"}).status, 1);
    EXPECT_EQ(Pack({"create", dir.Path() + "/p", dir.Path(), "--key", "300"}).status, 2);
    dir.WriteFile("notapack", "hello");
    EXPECT_EQ(Pack({"list", dir.Path() + "/notapack"}).status, 1);
    EXPECT_EQ(boxes.Boxes().size(), 2u);  // the header box and "OpenPack Faild."
}

TEST(PackTool, ZipAndUnzipLooseFiles) {
    qmtest::TempDir dir;
    std::string in = dir.WriteFile("0001.Z5M", std::string(10000, 'm') + "end");
    ASSERT_EQ(Pack({"zip", in, dir.Path() + "/0001.Z5M.ZIP"}).status, 0);
    ToolRun r = Pack({"unzip", dir.Path() + "/0001.Z5M.ZIP"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string(10000, 'm') + "end");
}

TEST(TableTool, BuildThenDumpShowsWhatTheClientReads) {
    qmtest::TempDir dir;
    std::string text =
        "table 2\n"
        "  column int code=2\n"
        "    1 65535\n"
        "  column text width=8\n"
        "    \"a \\\"b\\\"\" \"\\x82\\xa0\"\n"
        "  column table\n"
        "    table 1\n"
        "      column list k=2\n"
        "        (1 2)\n"
        "    end\n"
        "    table 0\n"
        "    end\n"
        "  column ref flag=0 kind=2\n"
        "    (1 2) (3 4)\n"
        "end\n";
    std::string desc = dir.WriteFile("t.txt", text);
    ASSERT_EQ(Table({"build", desc, dir.Path() + "/0006.Z5D"}).status, 0);
    ToolRun dump = Table({"dump", dir.Path() + "/0006.Z5D"});
    EXPECT_EQ(dump.status, 0) << dump.err;
    EXPECT_EQ(dump.out, text);

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(plat::ReadWholeFile(dir.Path() + "/0006.Z5D", bytes));
    bytes.resize(bytes.size() - 1);
    dir.WriteFile("cut.Z5D", bytes);
    ToolRun cut = Table({"dump", dir.Path() + "/cut.Z5D"});
    EXPECT_EQ(cut.status, 1);
    EXPECT_NE(cut.err.find("not a readable data table"), std::string::npos);
    EXPECT_EQ(
        Table({"build", dir.WriteFile("bad.txt", "table 1 column int code=0 300 end"), dir.Path() + "/x"})
            .status,
        1);
    // Several in one run; the first that fails stops it.
    const std::string one = dir.WriteFile("one.txt", "table 1 column byte 7 end");
    ASSERT_EQ(Table({"build", desc, dir.Path() + "/a.Z5D", one, dir.Path() + "/b.Z5D"}).status, 0);
    EXPECT_EQ(Table({"dump", dir.Path() + "/a.Z5D"}).out, text);
    EXPECT_EQ(Table({"dump", dir.Path() + "/b.Z5D"}).out, "table 1\n  column byte\n    7\nend\n");
    EXPECT_EQ(
        Table({"build", dir.Path() + "/bad.txt", dir.Path() + "/c.Z5D", one, dir.Path() + "/d.Z5D"}).status,
        1);
    EXPECT_FALSE(plat::FileExists(dir.Path() + "/d.Z5D"));
    EXPECT_EQ(Table({"build", one}).status, 2);
}

}  // namespace
