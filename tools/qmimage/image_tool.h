// qmimage: writes and dumps the program's picture files.
//
//   qmimage span OUT IN.bmp [--indexed] [--header N]
//       a single span picture (16-bit, or 8-bit with a palette)
//   qmimage frames OUT IN.bmp... [--indexed]
//       a multi-frame picture, one frame per input
//   qmimage dtx OUT SHEET.bmp UNITS.txt [--version N]
//       a texture sheet; UNITS.txt has one unit a line:
//       x y width height anchorX anchorY [shadowAnchorX shadowAnchorY shadowAngle shadowLength]
//   qmimage dtx-picture OUT IN.bmp... [--indexed] [--version N]
//       a texture image holding a multi-frame picture
//   qmimage draw OUT.bmp LIST.txt
//       a 24-bit picture drawn from a list of shapes (size, fill, rect, frame, gradient,
//       text in the game's font)
//   qmimage dump FILE [--as span|span8|frames|frames8|dtx] [--bmp OUT.bmp] [--frame N]
//       prints the structure the program reads; --bmp draws it into a picture
//
// Input pictures are uncompressed 24- or 32-bit BMP files; magenta (255, 0, 255)
// is transparent. Files are read back with the program's own readers.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

int RunImageTool(const std::vector<std::string>& args, FILE* out, FILE* err);
