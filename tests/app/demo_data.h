// The demo data set for a test run in process: a copy of the set the suite
// made once (QM_DEMO_DATA names it), or, for a test binary run on its own,
// the set made here by scripts/make_demo_data with the data tools.
#pragma once
#include <cstdlib>
#include <string>

#include "tests/support/temp_dir.h"

namespace qmtest {

inline bool MakeDemoData(const std::string& dir, const std::string& toolsDir) {
    const char* made = std::getenv("QM_DEMO_DATA");
    const std::string command = made && *made ? "cp -a '" + std::string(made) + "/.' '" + dir + "'"
                                              : "'" + SourceDir() + "/scripts/make_demo_data' '" + dir +
                                                    "' '" + toolsDir + "' >/dev/null";
    return std::system(command.c_str()) == 0;
}

}  // namespace qmtest
