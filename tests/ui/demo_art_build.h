// The demo data's art and tables for window pictures: every animation and
// texture sheet of demo/pack built with our tools as scripts/make_demo_data
// builds them, once a test program, and the demo's table texts.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/data_table_text.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"
#include "tools/qmani/ani_tool.h"
#include "tools/qmimage/image_tool.h"

namespace demoart {

inline std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

inline bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() > tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

inline TablePlan DemoTable(const std::string& file) {
    TablePlan plan;
    std::string error;
    const std::string path = qmtest::SourceDir() + "/demo/pack/DATABASE/" + file;
    std::vector<TableRowsText> parts;
    EXPECT_TRUE(ReadTableSource(path, parts, &error) &&
                ParseTableText(qmtest::ReadTextFile(path), parts, plan, &error))
        << file << ": " << error;
    return plan;
}

// Text tables 0, 10 and 14 as the demo holds them.
inline std::map<int, std::vector<std::string>> DemoTexts() {
    std::map<int, std::vector<std::string>> texts;
    for (const auto& [table, file] :
         {std::pair{0, "0037.Z5D.txt"}, {10, "0088.Z5D.txt"}, {14, "0092.Z5D.txt"}}) {
        const TablePlan plan = DemoTable(file);
        texts[table] = plan.columns.empty() ? std::vector<std::string>{} : plan.columns[0].texts;
    }
    return texts;
}

// Builds every animation and texture sheet of the demo into a folder of its
// own; false (with the failure reported) when a tool fails.
inline bool BuildDemoArtFiles(const std::string& out) {
    const std::string pack = qmtest::SourceDir() + "/demo/pack/";
    qmtest::TempDir scratch;
    for (const std::string& name : FilesIn(pack + "DAC")) {
        if (!EndsWith(name, ".z5a.txt")) continue;
        const auto run = qmtest::RunTool(
            RunAniTool, {"write", pack + "DAC/" + name, out + "/" + name.substr(0, name.size() - 4)});
        EXPECT_EQ(run.status, 0) << name << ": " << run.err;
        if (run.status != 0) return false;
    }
    const std::string tail = ".DTX.ZIP.draw.txt";
    for (const std::string& name : FilesIn(pack + "TEX")) {
        if (!EndsWith(name, tail)) continue;
        const std::string stem = name.substr(0, name.size() - tail.size());
        const std::string bmp = scratch.Path() + "/drawn.bmp";
        auto run = qmtest::RunTool(RunImageTool, {"draw", bmp, pack + "TEX/" + name});
        EXPECT_EQ(run.status, 0) << name << ": " << run.err;
        if (run.status != 0) return false;
        run = qmtest::RunTool(RunImageTool, {"dtx", out + "/" + stem + ".DTX", bmp,
                                             pack + "TEX/" + stem + ".DTX.ZIP.units.txt"});
        EXPECT_EQ(run.status, 0) << name << ": " << run.err;
        if (run.status != 0) return false;
    }
    return true;
}

// The demo's art, built on the first call of a test program and linked (or
// copied) into the folder the windows read it from on every call.
inline void LinkDemoArt(const std::string& into) {
    static std::unique_ptr<qmtest::TempDir> built;
    static bool ok = false;
    if (!built) {
        built = std::make_unique<qmtest::TempDir>();
        ok = BuildDemoArtFiles(built->Path());
    }
    ASSERT_TRUE(ok) << "the demo's art could not be built";
    for (const std::string& name : FilesIn(built->Path())) {
        const std::filesystem::path from = built->Path() + "/" + name, to = into + "/" + name;
        std::error_code error;
        std::filesystem::create_hard_link(from, to, error);
        if (error) std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
    }
}

}  // namespace demoart
