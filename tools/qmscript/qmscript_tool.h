// qmscript: writes compiled script files from their readable form
// (script_text.h) and dumps them.
//   qmscript build TEXT OUT   write the script described in TEXT
//   qmscript dump FILE        print the script as the client reads it, or
//                             why the client refuses it
//   qmscript batch FILE       the commands of FILE, one a line (tool_batch.h)
#pragma once
#include <cstdio>
#include <string>
#include <vector>

int RunScriptTool(const std::vector<std::string>& args, FILE* out, FILE* err);
