// The program's own lines on its console (standard error): short notices in
// its own words for whoever started it from a terminal, such as running
// without sound or dropping what a server sent past a limit. The game has no
// log file; these lines are all it writes there.
#pragma once
#include <string_view>

namespace plat {

// Writes "quillmarrow: <text>" and a line feed.
void WriteConsoleLine(std::string_view text);

}  // namespace plat
