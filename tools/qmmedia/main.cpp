#include <cstdio>

#include "tools/qmmedia/media_tool.h"

int main(int argc, char** argv) {
    return RunMediaTool(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr);
}
