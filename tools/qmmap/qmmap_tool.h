// qmmap: writes the map, path, stage and speech files from their readable
// forms and reads them back with the client's own code.
//   qmmap build MAP.txt DIR [--raw]   NNNN.Z5M.ZIP (--raw: unpacked), NNNN.PPD and the stage
//   qmmap stage TEXT OUT              a stage file (".Z5F" or ".VSE")
//   qmmap speech TEXT OUT             a speech file (".SPC")
//   qmmap dump FILE [--raw]           the file as the client reads it, or why it refuses it
//   qmmap render DIR STAGE OUT.bmp [--focus X Y] [--size W H]
//                                     the frame the game screen draws of the stage's map
// The text forms are described in map_text.h, stage_text.h and speech_text.h.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

int RunMapTool(const std::vector<std::string>& args, FILE* out, FILE* err);
