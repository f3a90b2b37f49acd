#include <cstdio>

#include "tools/qmtable/table_tool.h"

int main(int argc, char** argv) {
    return RunTableTool(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr);
}
