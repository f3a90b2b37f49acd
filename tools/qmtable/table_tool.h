// qmtable: writes binary data tables from their text form and dumps them.
//   qmtable build TEXT OUT [TEXT OUT...]   write the table described in each TEXT
//   qmtable dump FILE        print the table as the client reads it
#pragma once
#include <cstdio>
#include <string>
#include <vector>

int RunTableTool(const std::vector<std::string>& args, FILE* out, FILE* err);
