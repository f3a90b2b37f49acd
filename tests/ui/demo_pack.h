// The demo data's own art and tables for picture tests: the animations and
// texture sheets of demo/pack built with our tools as scripts/make_demo_data
// builds them, into the folder the program reads them from, and the demo's
// table texts.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "data/data_table_text.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"
#include "tools/qmani/ani_tool.h"
#include "tools/qmimage/image_tool.h"

namespace demoart {

inline constexpr uint16_t kBackground = 0x8410;

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

// Every animation and texture sheet of the demo (or those numbered in
// `only`, "5000" and the like) into the folder `into` (work: a folder for
// the drawn pictures).
inline void BuildDemoArt(const std::string& into, const std::string& work,
                         const std::vector<std::string>& only = {}) {
    const std::string pack = qmtest::SourceDir() + "/demo/pack/";
    auto wanted = [&only](const std::string& name) {
        return only.empty() ||
               std::find(only.begin(), only.end(), name.substr(0, name.find('.'))) != only.end();
    };
    for (const std::string& name : FilesIn(pack + "DAC")) {
        if (!EndsWith(name, ".z5a.txt") || !wanted(name)) continue;
        const auto run = qmtest::RunTool(
            RunAniTool, {"write", pack + "DAC/" + name, into + "/" + name.substr(0, name.size() - 4)});
        ASSERT_EQ(run.status, 0) << name << ": " << run.err;
    }
    for (const std::string& name : FilesIn(pack + "TEX")) {
        if (!EndsWith(name, ".DTX.ZIP.draw.txt") || !wanted(name)) continue;
        const std::string stem = name.substr(0, name.size() - std::string(".DTX.ZIP.draw.txt").size());
        const std::string bmp = work + "/drawn.bmp";
        auto run = qmtest::RunTool(RunImageTool, {"draw", bmp, pack + "TEX/" + name});
        ASSERT_EQ(run.status, 0) << name << ": " << run.err;
        run = qmtest::RunTool(RunImageTool, {"dtx", into + "/" + stem + ".DTX", bmp,
                                             pack + "TEX/" + stem + ".DTX.ZIP.units.txt"});
        ASSERT_EQ(run.status, 0) << name << ": " << run.err;
    }
}

}  // namespace demoart
