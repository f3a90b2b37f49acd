// qmpack: makes, lists and reads pack archives with the client's own code.
//   qmpack create PACK DIR [--key N]   pack a folder tree
//   qmpack list PACK                   every folder and file with its sizes
//   qmpack cat PACK PATH               the bytes the client's lookup finds for PATH
//   qmpack zip IN OUT                  write IN as a compressed loose file
//   qmpack unzip IN                    the inflated bytes of a compressed loose file
#pragma once
#include <cstdio>
#include <string>
#include <vector>

int RunPackTool(const std::vector<std::string>& args, FILE* out, FILE* err);
