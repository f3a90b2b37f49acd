#include "platform/command_line.h"

#include <string>

namespace plat {
namespace {
std::string g_commandLine;
}

void SetCommandLineArgs(int argc, const char* const* argv) {
    g_commandLine.clear();
    for (int i = 1; i < argc; ++i) {
        if (!argv[i]) continue;
        if (!g_commandLine.empty()) g_commandLine += ' ';
        g_commandLine += argv[i];
    }
}

void SetCommandLine(std::string_view line) {
    g_commandLine.assign(line);
}

const char* GetCommandLineA() {
    return g_commandLine.c_str();
}

}  // namespace plat
