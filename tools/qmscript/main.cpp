#include <cstdio>

#include "tools/qmscript/qmscript_tool.h"

int main(int argc, char** argv) {
    return RunScriptTool(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr);
}
