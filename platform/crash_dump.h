// Crash dumps: a handler for fatal signals that writes a small report (signal,
// faulting address, backtrace) into a file of the working folder and then lets
// the process die as it would have.
#pragma once
#include <string_view>

namespace plat {

// Installs the handler once per process with the dump file's name; later calls
// change nothing and return false. The handler is removed at process exit.
bool InstallCrashDumpHandler(std::string_view dumpName);
// Puts back the handlers that were there before (also done at exit).
void RemoveCrashDumpHandler();
bool IsCrashDumpHandlerInstalled();
// The name given at installation; empty before.
const char* CrashDumpName();

}  // namespace plat
