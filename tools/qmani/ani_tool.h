// qmani: makes, reads and draws animation files with the client's own code.
//   qmani dump FILE.z5a               the file as text (anim/ani_text.h)
//   qmani write TEXT FILE.z5a         the text as a file
//   qmani render FOLDER NUMBER FRAME OUT.bmp [--motion M] [--direction D]
//                [--texture-folder DIR] [--width W] [--height H] [--at X Y]
//                                     frame FRAME of animation NUMBER of the
//                                     folder, drawn headless into a bitmap;
//                                     prints the frame's bounds
#pragma once
#include <cstdio>
#include <string>
#include <vector>

int RunAniTool(const std::vector<std::string>& args, FILE* out, FILE* err);
