// qmmedia: writes the sound, music list and movie files of the game from
// their text form with FFmpeg's encoders, and shows what the client's own
// readers make of such files.
//   qmmedia tone OUT PLAN [OUT PLAN...]   sound files from tone descriptions
//   qmmedia list build TEXT OUT [TEXT OUT...]  music list files
//   qmmedia list dump FILE                a music list as the client reads it
//   qmmedia movie OUT PLAN [--key TEXT]   an AVI movie (enciphered with the movie key of TEXT)
//   qmmedia info FILE [--key TEXT]        what the client's decoders find in a file
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "sound/music_list.h"

int RunMediaTool(const std::vector<std::string>& args, FILE* out, FILE* err);

// The text form of music lists, one track a line:
//   track STREAM start MS end MS mode M [value V]      (MS a multiple of 10)
std::string MusicListToText(const std::vector<MusicTrack>& tracks);
bool ParseMusicListText(const std::string& text, std::vector<MusicTrack>& tracks,
                        std::string* error = nullptr);
