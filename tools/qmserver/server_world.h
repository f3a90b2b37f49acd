// The local server's world: the worlds it lists, the map and start tile of
// every character, the terms text, the sample accounts with their characters
// and the walkers that go round their loops. It is read from a text file:
//
//   # a comment
//   world 1 Quill                      world number and name (rest of line)
//   map 1 12 12                        map number, start tile x y
//   terms Play fair.                   a line of the terms text (repeatable)
//   character demo Ardent 2000001      account, character name, resource id
//   walker npc 2200001 Keeper 14 10 18 10 18 14
//                                      npc or monster, resource id, name,
//                                      then the tiles of its loop (x y ...)
//
// Names are single words of at most 20 bytes; numbers are decimal. The
// features of the hall (hall_feature.h) read lines of their own keywords,
// kept in `lines` in file order.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tools/qmserver/hall_feature.h"

// A decimal number of at most limit; false for anything else.
bool ReadServerNumber(const std::string& word, uint32_t limit, uint32_t* value);
// The rest of a world line after its first `words` words (a name of several words).
std::string RestAfter(const std::string& rest, int words);

struct CStatusBlockFields;
// The values of a "status" line: the key and how many numbers it takes.
const std::map<std::string, size_t>& StatusLineKeys();
// The status block's values the line's key names take the numbers (as many
// as the key takes); an unknown key changes nothing.
void ApplyStatusLine(CStatusBlockFields& block, const std::string& key, const std::vector<uint32_t>& values);

struct CServerCharacter {
    std::string name;
    uint32_t resourceId = 0;
};

struct CServerWalker {
    bool monster = false;
    uint32_t resourceId = 0;
    std::string name;
    std::vector<std::pair<uint16_t, uint16_t>> loop;  // tiles, at least one
};

struct CServerWorld {
    static constexpr size_t MAX_NAME = 20;

    std::vector<std::pair<uint8_t, std::string>> worlds;
    uint16_t stage = 1;
    uint16_t startX = 10, startY = 10;
    std::string terms;
    std::map<std::string, std::vector<CServerCharacter>> accounts;
    std::vector<CServerWalker> walkers;
    std::vector<CWorldLine> lines;  // the features' lines

    // The features' lines of one keyword, in file order.
    std::vector<const CWorldLine*> LinesOf(const std::string& keyword) const;

    // The world of a file's text; nullopt with the line and reason in *error.
    static std::optional<CServerWorld> Parse(const std::string& text, std::string* error);
    // What the server serves without a file: one world, the "demo" account
    // with one character, no walkers.
    static CServerWorld Default();
};
