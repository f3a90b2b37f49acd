#include "platform/command_line.h"

#include <gtest/gtest.h>

#include <string>

TEST(CommandLine, JoinsArgumentsWithoutTheProgramPath) {
    const char* argv[] = {"/usr/local/bin/quillmarrow", "/USE_SERVER", "1", "/WINDOW"};
    plat::SetCommandLineArgs(4, argv);
    EXPECT_EQ(std::string(plat::GetCommandLineA()), "/USE_SERVER 1 /WINDOW");
    plat::SetCommandLineArgs(1, argv);
    EXPECT_EQ(std::string(plat::GetCommandLineA()), "");
    plat::SetCommandLine("/ID x");
    EXPECT_EQ(std::string(plat::GetCommandLineA()), "/ID x");
}
