// The program's command line as one text, the way the game reads it.
#pragma once
#include <string_view>

namespace plat {

// Keeps the program's arguments (argv[1..]) joined by single spaces; the
// program's own path (argv[0]) is left out, so it is never read as an option.
void SetCommandLineArgs(int argc, const char* const* argv);
// Replaces the whole line (tests).
void SetCommandLine(std::string_view line);
// The line as kept; empty until one is set.
const char* GetCommandLineA();

}  // namespace plat
