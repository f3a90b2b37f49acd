// The readable form of a speech file (".SPC"):
//
//   scrambled 1                 # the file's flag: 1 stores every byte XOR 0x80
//   text 5 "Good morning, <[NAME]>."
//   text 6 ""                   # an empty text (the client keeps none for it)
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CSpeechData;

namespace maptext {

bool BuildSpeechText(std::string_view text, std::vector<uint8_t>& out, std::string* error);
// The texts as the file holds them (markers not yet replaced).
std::string DumpSpeech(const CSpeechData& speech);

}  // namespace maptext
