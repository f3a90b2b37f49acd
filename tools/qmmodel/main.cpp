#include <cstdio>

#include "tools/qmmodel/model_tool.h"

int main(int argc, char** argv) {
    return RunModelTool(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr);
}
