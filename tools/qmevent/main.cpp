#include <cstdio>

#include "tools/qmevent/qmevent_tool.h"

int main(int argc, char** argv) {
    return RunEventTool(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr);
}
