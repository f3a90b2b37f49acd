#include <cstdio>

#include "tools/qmimage/image_tool.h"

int main(int argc, char** argv) {
    return RunImageTool(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr);
}
