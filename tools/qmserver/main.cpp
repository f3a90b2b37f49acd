#include <cstdio>
#include <string>
#include <vector>

#include "tools/qmserver/qmserver_tool.h"

int main(int argc, char** argv) {
    return RunQmserverTool(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr);
}
