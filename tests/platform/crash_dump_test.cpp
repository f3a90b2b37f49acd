#include "platform/crash_dump.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/paths.h"
#include "tests/support/temp_dir.h"

namespace {

// A child installs the handler and dies of a fatal signal: the dump is written
// into its working folder and the child still dies of that signal.
TEST(CrashDump, WritesTheDumpAndDies) {
    qmtest::TempDir dir;
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (chdir(dir.Path().c_str()) != 0) _exit(3);
        if (!plat::InstallCrashDumpHandler("QM_Dump_103")) _exit(4);
        if (plat::InstallCrashDumpHandler("QM_Dump_999")) _exit(5);  // once per process
        raise(SIGILL);  // a signal the sanitizers leave to the program
        _exit(6);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), SIGILL);

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(plat::ReadWholeFile(dir.Path() + "/QM_Dump_103", bytes));
    std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("signal: 4 (SIGILL)"), std::string::npos) << text;
    EXPECT_NE(text.find("address: 0x"), std::string::npos);
    EXPECT_NE(text.find("backtrace:"), std::string::npos);
    EXPECT_FALSE(plat::FileExists(dir.Path() + "/QM_Dump_999"));
}

}  // namespace
