// The demo's art built once a test program: every animation and texture
// sheet of demo/pack, linked (or copied) into each test's folder.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "tests/support/temp_dir.h"
#include "tests/ui/demo_pack.h"

namespace demoart {

// The demo's art, built on the first call of a test program and linked (or
// copied) into the folder the windows read it from on every call.
inline void LinkDemoArt(const std::string& into) {
    static std::unique_ptr<qmtest::TempDir> built;
    static bool ok = false;
    if (!built) {
        built = std::make_unique<qmtest::TempDir>();
        qmtest::TempDir work;
        BuildDemoArt(built->Path(), work.Path());
        ok = !::testing::Test::HasFatalFailure();
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
