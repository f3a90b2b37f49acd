#include <cstdio>

#include "tools/qmani/ani_tool.h"

int main(int argc, char** argv) {
    return RunAniTool(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr);
}
