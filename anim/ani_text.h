// The animation file as text, for people and for the tools: one line per
// header field, motion, direction, layer and element, read back exactly.
//
//   version 14
//   pool image 2            (optional; without pool lines they are counted)
//   motion 0
//     direction 1 height 100 spare 0
//       layer
//         image start 0 texture 12 unit 3 flags 0x09 x -5 y 6 x2 0 y2 0 colour 0xffff
//         hold frames 2
//         sound start 4 sound 77 word 0 byte 0 positional 1 extra 0
//
// Element lines name the kind and then give fields as key and value pairs in
// any order; a field left out keeps its default. Kinds the format does not
// know are written "kind<number>". Indentation is free; '#' starts a comment.
#pragma once
#include <string>

#include "anim/ani_file.h"

std::string AniFileToText(const AniFile& file);
// False, with the line and what is wrong in error, for text that is not a file.
bool AniFileFromText(const std::string& text, AniFile& out, std::string* error = nullptr);

// The text name of a node kind ("image", "sound", ...; "kind<number>" for others).
std::string AniKindName(uint32_t kind);
