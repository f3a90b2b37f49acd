#include <cstdio>

#include "tools/qmmap/qmmap_tool.h"

int main(int argc, char** argv) {
    return RunMapTool(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr);
}
