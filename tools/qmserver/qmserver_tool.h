// qmserver: the local server for the client and its tests.
//
//   qmserver [--port N] [--world FILE] [--log FILE] [--seed N]
//            [--hostile SECONDS [--from login|field]]
#pragma once
#include <cstdio>
#include <string>
#include <vector>

int RunQmserverTool(const std::vector<std::string>& args, FILE* out, FILE* err);
