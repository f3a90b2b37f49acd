// The readable form of an event file, read by `qmevent build` and written by
// `qmevent dump`. One line an entry; '#' starts a comment:
//
//   flag 0                       # the file's flag byte (optional)
//   function ElderTalk           # the commands below belong to it
//     902 b1 h8:1 b0 h7:1 b255 b0   # a command: its code, then its parameters
//
// Parameters, by type: t"text" (0, at most 64 bytes), bN (1), hT:N for the
// 16-bit types T = 2, 3, 5, 7, 8, 9, 11, pX,Y (4), rA,B,F (6), n"Name" (10, at
// most 30 bytes; n"" is empty), lN (12). Texts take the escapes \" and \\.
// A code must be one of the table of the file's kind.
#pragma once
#include <string>
#include <string_view>

#include "script/event_file.h"

bool ParseEventText(std::string_view text, bool visual, EventFileData& out, std::string* error);
std::string DumpEventText(const EventFileData& file);
