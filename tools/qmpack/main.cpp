#include <cstdio>

#include "tools/qmpack/pack_tool.h"

int main(int argc, char** argv) {
    return RunPackTool(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr);
}
