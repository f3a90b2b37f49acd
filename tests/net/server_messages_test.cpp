// Every server message against the handler rules: a table of valid samples
// (later handlers add their rows), each of which changes something; every
// strict prefix of a sample, and the empty body of every code, changes
// nothing; random bodies run clean. All with the receivers and windows
// present and absent.
#include <zlib.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "tests/net/char_bodies.h"
#include "tests/net/message_harness.h"
#include "tests/net/wire_bytes.h"

namespace {

using nettest::Bytes;
using nettest::Cat;
using nettest::LongText;
using nettest::ObjectAppearsBody;
using nettest::OwnCharBody;
using nettest::Text;
using nettest::U16;
using nettest::U32;

// A valid message: the client version it is read with, the code and the body.
struct Sample {
    const char* name;
    uint16_t clientVersion;
    uint8_t code;
    Bytes body;
};

Bytes Deflated(const std::string& text) {
    uLongf size = compressBound(uLong(text.size()));
    Bytes out(size);
    compress(out.data(), &size, reinterpret_cast<const Bytef*>(text.data()), uLong(text.size()));
    out.resize(size);
    return out;
}

nettest::OwnCharBody OwnChar49() {
    nettest::OwnCharBody body;
    body.status = nettest::StatusWords::With49();
    body.tail.extra = 49;
    return body;
}

nettest::CharAppearsBody CharAppearsWithAnEntry() {
    nettest::CharAppearsBody body;
    body.entries.resize(1);
    return body;
}

// Club sub-code 16 with mode and flags.
Bytes ClubInfoBody(uint8_t mode, uint32_t flags) {
    Bytes body = Cat({{16, 1, mode}, Text("a"), Text("b"), U32(1), U16(2),  U16(3),    U16(4),
                      Text("c"),     {0},       U32(5),    U16(6), U16(7),  U16(8),    Text("d"),
                      Text("e"),     U32(9),    U32(10),   {11},   U32(12), U32(flags)});
    if (flags & 1) body = Cat({body, U32(13), U16(14)});
    return body;
}

// A fortress club block: name, flag, the values.
Bytes FortressClub() {
    return Cat({Text("c"), {0, 1, 2}, U32(3), {4, 5}, U16(6), {7, 8}});
}

// The exchange item record (as gambambo's item).
Bytes ExchangeItem(bool options) {
    Bytes head = Cat({{1, 2}, U32(3), {4}, Text("item"), U32(0)});
    return options ? Cat({head, {1}, Bytes(13, 1), {1}, Text("12")}) : Cat({head, {0}, U16(5)});
}

// Message 7 with one object of each kind (client version 231 on).
Bytes ObjectsOfEveryKind() {
    return Cat(
        {U16(7),
         Cat({{1},
              U32(11),
              U32(2200001),
              U16(3),
              U16(4),
              {2},
              Bytes(24, 0),
              {1},
              Text("npc"),
              Text("t"),
              {5}}),
         Cat({{2},
              U32(12),
              U32(2100001),
              U16(3),
              U16(4),
              {2},
              U32(1),
              U32(2),
              {1},
              Bytes(16, 0),
              U16(3),
              U32(7),
              U32(8)}),
         Cat({{7}, U32(17), U32(2100002), U16(3), U16(4), {2}, U32(1), U32(2), {1}, Bytes(16, 0), Text("s")}),
         Cat({{3}, U32(1), U32(13), {1}, Text("item"), U32(0), U16(5), U16(6), U32(7), U16(2)}),
         Cat({{4}, U32(14), U16(1), U16(2), U16(3), U16(4)}),
         Cat({{5}, U32(15), Bytes(18, 1), Bytes(5, 2), Text("obj")}),
         Cat({{6},
              U32(16),
              U32(2),
              U16(3),
              U16(4),
              {5},
              Bytes(16, 0),
              {6, 7, 0, 0, 8, 1},
              Text("pet"),
              {0}})});
}

std::vector<Sample> Samples() {
    const Bytes terms = Deflated("The terms of use.");
    return {
        {"0/0 key set-up", 189, 0, Cat({{0, 7}, Text("Key42")})},
        {"0/1 refusal", 189, 0, Cat({{1}, Text("why"), {2}, Text("a"), Text("b"), {1}, Text("c")})},
        {"0/2 version refusal", 189, 0, {2, 0, 190, 2, 9, 9}},
        {"0/3 unknown sub-code", 189, 0, {3}},
        {"1", 189, 1, {}},
        {"2 accepted", 189, 2, Cat({{0}, Text("ok")})},
        {"2 refused", 189, 2, Cat({{5}, Text("no")})},
        {"3 server change", 189, 3,
         Cat({{2, 0, 0, 127, 0x9C, 0x41}, Cat({{7, 7}, Text("Key42")}), Text("go")})},
        {"4 player position", 189, 4, {0, 10, 0, 20}},
        {"11 name", 189, 11, {1, 2, 3}},
        {"17 name", 189, 17, {4}},
        {"25 sound", 189, 25, {0, 0, 5, 0, 10, 0, 10}},
        {"38 list", 189, 38,
         Cat({{0, 2, 0, 0, 0, 1, 0, 0, 0, 2},
              Text("123"),
              {0, 1, 0, 2, 1},
              Text("a"),
              Text("b"),
              {0, 0, 0, 3, 0, 0, 0, 4},
              Text("9"),
              {0, 1, 0, 0, 0}})},
        {"38 refresh", 189, 38, {1}},
        {"38 show", 189, 38, {2}},
        {"69 name", 189, 69, {}},
        {"86 server list", 189, 86, Cat({{1, 3, 1, 0, 0, 127, 0x9C, 0x40}, Text("Word"), {1}})},
        {"93 option switches", 189, 93, {2, 1, 1, 4, 1}},
        {"96 terms checksum", 189, 96, {0, 0, 0, 0, 1}},
        {"96 terms text", 189, 96, Cat({{1}, LongText(std::string(terms.begin(), terms.end()))})},
        {"100 name", 189, 100, {0, 0}},
        {"102 time echo", 189, 102, {0, 0, 0, 42}},
        {"103 request 118", 189, 103, {}},
        {"104/1 page box", 189, 104, Cat({{1}, LongText("https://example.com/a"), LongText("box")})},
        {"104/2 new-account page", 189, 104, Cat({{2}, Text("https://example.com/new")})},
        {"104/3 web page", 189, 104, Cat({{3}, LongText("https://example.com/w")})},
        {"107 character list", 189, 107,
         Cat({Text("acct"),
              {1, 0, 0, 0, 9, 0, 0, 0, 1, 2, 0x00, 0x81, 0, 0, 0, 5, 0,
               0, 0, 6, 3, 1, 2, 3, 4, 5, 0, 0,    0,    7, 0, 0, 0, 8},
              Text("Hero")})},
        {"108 field value", 189, 108, {0, 7}},
        {"109 game over", 189, 109, {1}},
        {"121 player flag", 189, 121, {2}},
        // Characters, skills and the event manager.
        {"5 own character", 189, 5, OwnCharBody().Wire()},
        {"5 own character with status 49", 189, 5, OwnChar49().Wire()},
        {"8 status block, no group", 189, 8, {0}},
        {"8 status block, every group", 189, 8, Cat({{0xFF}, Bytes(106, 1)})},
        {"19 skill hit", 189, 19,
         Cat({U32(3000001),
              U32(7),
              U32(0x000A0014),
              {2},
              U16(5),
              {6},
              U16(7),
              U16(8),
              {9},
              {100},
              {2},
              U32(11),
              U16(1),
              {1, 2},
              U32(12),
              U16(2),
              {3, 4}})},
        {"22 value list", 189, 22, Cat({{2, 16}, U32(3000005), {1}, U32(9)})},
        {"23 player signal", 189, 23, {}},
        {"26 action 3", 189, 26, Cat({U32(7), {3}})},
        {"26 action 1", 189, 26, Cat({U32(7), {1}})},
        {"29 object appears", 189, 29, ObjectAppearsBody().Wire()},
        {"40 ids with values", 189, 40, Cat({{0, 2}, U32(1), U16(2), U32(3), U16(4)})},
        {"40 ids", 189, 40, Cat({{1, 2}, U32(1), U32(3)})},
        {"43 character timer", 189, 43, Cat({{0}, U32(7), U32(30)})},
        {"44 target text", 189, 44, Cat({U32(1), U32(2), {3}, U32(4), Text("over"), U32(5), U32(6)})},
        {"45 three values", 189, 45, Cat({U32(1), U32(2), U32(3)})},
        {"51 character appears", 189, 51, CharAppearsWithAnEntry().Wire()},
        {"63 skill action", 189, 63,
         Cat({U32(3000002), {1}, U32(7), U32(0x00050006), U16(1), U16(2), U32(8), U16(30)})},
        {"68 event input", 189, 68, nettest::EventInputBody("first")},
        {"68 event input kind 1", 189, 68, {1}},
        {"68 raw block", 189, 68, Cat({{2}, U32(1), U32(2), U16(3), {7, 8, 9}})},
        {"71 state 75", 189, 71, Cat({{0}, U32(7), U16(1), U16(2), {3}})},
        {"71 state 74", 189, 71, Cat({{1}, U32(7), U32(9)})},
        {"71 state 73", 189, 71, Cat({{2}, U32(7)})},
        {"72 cancel skill", 189, 72, U32(7)},
        {"83 state event", 189, 83, Cat({U32(7), {5}, U32(6)})},
        {"83 state event with extra", 189, 83, Cat({U32(7), {96}, U32(6), U16(4)})},
        {"87 character text", 189, 87, Cat({{2}, U32(7), Text("said")})},
        {"95 timed pair", 189, 95, Cat({U32(1), U32(2)})},
        {"98 skill update", 189, 98, Cat({{1, 2}, U32(3), {4, 5}})},
        {"99 skill removal", 189, 99, {1, 2}},
        {"105 emoticon", 189, 105, Cat({U32(7), {1, 2}})},
        {"110 status groups", 189, 110,
         Cat({{0, 1, 3}, U32(3000009), U32(10), {1, 0}, U32(11), {2, 2, 1}, U32(1), {2}, U32(2), U32(12)})},
        {"112 value reaction", 189, 112, Cat({{0}, U32(7), U32(300)})},
        {"112 value reaction with text", 189, 112, Cat({{1}, U32(7), U32(0), Text("well done")})},
        {"120 hit result", 189, 120, Cat({U32(7), U32(2), {3, 4}, U32(8)})},
        // Chat, pets, clubs, rooms, pastimes, exchange, NPC services, party,
        // store, timers, combos, the event log, the game scene and items.
        {"10/0 chat", 189, 10, Cat({{0, 0}, Text("hi")})},
        {"10/22 reply window", 189, 10, Cat({{22, 0}, U32(5), Text("a"), Text("b")})},
        {"10/21 server box", 189, 10, Cat({{21, 0}, U32(9), Text("q"), Text("y"), Text("n")})},
        {"10/8 kept box", 189, 10, Cat({{8, 0}, Text("k")})},
        {"10/17 hiding box", 189, 10, Cat({{17, 0}, Text("h")})},
        {"10/24 ticker", 189, 10, Cat({{24, 3}, Text("t")})},
        {"10/20 event talk", 189, 10, Cat({{20, 0}, Text("e")})},
        {"13 chat line", 189, 13, Cat({{1}, U32(7), Text("line")})},
        {"113 fixed line", 189, 113, {1, 0, 0, 0}},
        {"113 to the scene", 189, 113, Cat({{19, 2}, Text("n"), Text("t")})},
        {"113 line", 189, 113, Cat({{2, 3}, Text("n"), Text("t")})},
        {"34 pet", 189, 34,
         Cat({{1, 0},
              Text("Rex"),
              Text("s"),
              U32(1),
              U32(2),
              U32(3),
              U16(4),
              U16(5),
              U16(6),
              {0, 0, 7},
              {1},
              U32(8),
              {0},
              {2},
              U32(9),
              U32(10)})},
        {"34 no pet", 189, 34, {1, 0, 0}},
        {"34 pet values", 189, 34, Cat({{1, 1}, U32(1), U32(2), U32(3), U16(4), U16(5), U16(6)})},
        {"34 pet list", 189, 34, Cat({{1, 2, 2}, U32(1), U32(2)})},
        {"34 pet name", 189, 34, Cat({{1, 3}, Text("Rex")})},
        {"34 pet warning", 189, 34, Cat({{1, 4}, Text("w")})},
        {"34 egg", 189, 34, Cat({{0, 0}, Text("Egg"), U32(1), U16(2), U16(3), U16(4), {1}, U32(5), {0}})},
        {"34 egg cleared", 189, 34, {0, 1}},
        {"34 egg progress", 189, 34, Cat({{0, 2}, U16(1), U16(2), U16(3)})},
        {"34 egg time", 189, 34, Cat({{0, 3}, U32(60)})},
        {"34 egg warning", 189, 34, Cat({{0, 4}, Text("w")})},
        {"67/1 club make", 189, 67, {1, 1}},
        {"67/1 club make with b", 191, 67, {1, 1, 2}},
        {"67/2 club removed", 189, 67, Cat({{2, 1}, Text("Club")})},
        {"67/5 fight member", 189, 67,
         Cat({{5, 0},
              Text("c"),
              Text("n"),
              Text("s"),
              {1},
              U32(1),
              U16(2),
              U32(3),
              U16(4),
              U32(5),
              U32(0x40),
              U32(6),
              {1},
              U16(7),
              U16(8),
              U16(9)})},
        {"67/6 member left", 189, 67, Cat({{6, 0}, Text("c"), Text("n")})},
        {"67/16 club information", 189, 67, ClubInfoBody(1, 1)},
        {"67/16 join information", 189, 67, ClubInfoBody(0, 0)},
        {"67/17 team list", 189, 67,
         Cat({{17, 0},
              Text("Club"),
              {0},
              U16(1),
              Text("f"),
              Text("s"),
              {1},
              U32(2),
              U16(3),
              U32(4),
              U16(5),
              U32(6),
              U32(0x40),
              U32(7),
              {1},
              U16(8),
              U16(9),
              U16(10)})},
        {"67/20 notices", 189, 67, Cat({{20, 0}, Text("c"), {0, 1}, U32(20240101), Text("n")})},
        {"67/20 notice text", 189, 67, Cat({{20, 0}, Text("c"), {2}, LongText("abc")})},
        {"67/20 deposit log", 189, 67, Cat({{20, 0}, Text("c"), {4, 1}, U32(1), Text("d")})},
        {"67/21 member values", 189, 67, Cat({{21, 0}, Text("c"), Text("n"), U32(1), U32(2), U16(3), {0}})},
        {"67/23 club marks", 189, 67, Cat({{23, 0, 1, 0}, Text("m"), {1, 0}, U16(2), U16(3)})},
        {"35/0 board text", 189, 35, Cat({{0, 0}, Text("board")})},
        {"35/0 one club", 189, 35, Cat({{0, 1}, Text("b"), FortressClub()})},
        {"35/0 two clubs", 189, 35,
         Cat({{0, 2}, Text("b"), FortressClub(), Text("d"), {1, 2}, U32(3), {4, 5}, U16(6), {7}})},
        {"35/0 club and value", 189, 35,
         Cat({{0, 3}, Text("b"), FortressClub(), Text("d"), {1, 2}, U32(3), {4}, U32(5)})},
        {"35/1 notice", 189, 35, Cat({{1, 1}, Text("a"), Text("b")})},
        {"35/2 names", 189, 35, Cat({{2, 0, 2}, Text("x"), Text("y")})},
        {"35/3 phase", 189, 35, Cat({{3, 1}, U16(1), U16(2)})},
        {"35/3 end", 189, 35, {3, 0}},
        {"35/3 value", 189, 35, Cat({{3, 4}, U16(1)})},
        {"37/0 TJS rooms", 189, 37,
         Cat({{0, 5, 0, 1, 1, 3}, Text("room"), {1, 2}, U32(3), {4, 5, 6, 7}, U32(8), {9}})},
        {"37/0 CTF rooms", 189, 37, Cat({{0, 6, 1, 0, 1, 3}, Text("room"), {1, 2}, U32(3), {4, 5, 6, 7, 8}})},
        {"37/1 new room", 189, 37, {1, 5, 0}},
        {"37/2 join", 189, 37, {2, 5, 1}},
        {"37/3/0 waiting room answer", 189, 37, {3, 0, 5, 0}},
        {"37/3/1 member flag", 189, 37, Cat({{3, 1, 5}, Text("n"), {1}})},
        {"37/3/3 member gone", 189, 37, Cat({{3, 3, 5}, Text("n")})},
        {"37/3/4 entering", 189, 37, Cat({{3, 4, 5, 1}, Text("n"), {1, 2, 3, 4, 5}})},
        {"37/3/5 chat", 189, 37, Cat({{3, 5, 5}, Text("a"), Text("b")})},
        {"37/3/6 member value", 189, 37, Cat({{3, 6, 5}, Text("n"), {7}})},
        {"36/1/0 invitation", 189, 36, Cat({{1, 0}, U32(7)})},
        {"36/1/1 refusal notice", 189, 36, Cat({{1, 1}, U32(7), {0}})},
        {"36/1/1 start", 189, 36, Cat({{1, 1}, U32(7), {1}})},
        {"36/1/2 item", 189, 36, Cat({{1, 2}, ExchangeItem(false)})},
        {"36/1/2 item with options", 189, 36, Cat({{1, 2}, ExchangeItem(true)})},
        {"36/1/3", 189, 36, {1, 3, 1, 2}},
        {"36/1/4", 189, 36, Cat({{1, 4, 1}, U32(2)})},
        {"36/1/7", 189, 36, {1, 7}},
        {"36/2/0 fishing", 189, 36, {2, 0, 1}},
        {"36/2/1 catch", 189, 36, Cat({{2, 1, 1, 2}, U16(3), U16(4)})},
        {"36/2/3 result", 189, 36, Cat({{2, 3, 0}, U32(5)})},
        {"36/3 cookbook", 189, 36, Cat({{3, 1, 2}, U32(1), U32(2)})},
        {"66/0 exchange pair", 189, 66, Cat({{0}, U32(1), U32(2)})},
        {"66/2 exchange item", 189, 66, Cat({{2}, ExchangeItem(true)})},
        {"66/3", 189, 66, Cat({{3, 1}, U32(2)})},
        {"66/4", 189, 66, Cat({{4, 1}, Text("t")})},
        {"66/5", 189, 66, {5, 1}},
        {"66/6", 189, 66, Cat({{6, 1}, Text("t")})},
        {"66/7 nothing but the re-arm", 189, 66, {7}},
        {"66/128 notice", 189, 66, Cat({{128}, Text("done")})},
        {"106/0 NPC menu", 189, 106, Cat({{0}, Text("NPC"), {0}, U32(0xF), U32(2)})},
        {"106/1 first list", 189, 106,
         Cat({{1, 0, 1},
              U16(1),
              U16(1),
              U32(2),
              {3},
              Text("i"),
              U32(0),
              {4, 5},
              U32(6),
              U16(7),
              U16(8),
              Bytes(12, 1),
              {0}})},
        {"106/2 second list", 189, 106,
         Cat({{2, 0, 1},
              U16(1),
              U16(1),
              U32(2),
              U32(3),
              {4},
              Text("i"),
              U32(0),
              {0, 5},
              U16(6),
              U16(7),
              U32(8),
              {9},
              {1},
              Text("12")})},
        {"106/3/0 third list", 189, 106,
         Cat({{3, 0, 1},
              U16(1),
              U16(1),
              U32(2),
              U32(3),
              {4},
              Text("i"),
              U32(0),
              {1},
              {5, 6},
              U32(8),
              {9},
              {0}})},
        {"106/3/1 notice", 189, 106, {3, 1}},
        {"106/4/0 deposit list", 189, 106,
         Cat({{4, 0, 1}, U32(2), U16(1), {1}, U32(2), U32(3), {4}, Text("i"), U32(0), U16(5), {6}, {0}})},
        {"106/4/3 notice", 189, 106, Cat({{4, 3, 1}, U32(2), {3}})},
        {"106/4/128 notice", 189, 106, {4, 128}},
        {"106/5/0 healer", 189, 106,
         Cat({{5, 0}, {1}, U32(1), {2}, U32(2), {3}, U32(3), {4}, U32(4), {5}, U32(5)})},
        {"106/5/1 heal result", 189, 106, Cat({{5, 1, 1, 1}, Text("ok")})},
        {"106/6/0 fee", 189, 106, Cat({{6, 0}, U32(100)})},
        {"106/6/1 deposit shown", 189, 106, {6, 1}},
        {"106/7/0 club deposit", 189, 106, {7, 0, 0}},
        {"106/11/0 club deposit", 189, 106, {11, 0}},
        {"106/7/2 notice", 189, 106, Cat({{7, 0, 2}, Text("t")})},
        {"106/11/3 value", 189, 106, Cat({{11, 3}, U32(5)})},
        {"106/9/1 fight manager", 189, 106, Cat({{9, 1}, U32(1), U32(2), U16(3), Bytes(32, 0)})},
        {"106/9/3 fight windows hidden", 189, 106, {9, 3}},
        {"106/9/4 fight waiting", 189, 106, Cat({{9, 4}, U32(1), {0}, U32(2), U32(3)})},
        {"106/128/0 notice", 189, 106, Cat({{128, 0}, U32(1)})},
        {"106/128/3 notice", 189, 106, {128, 3}},
        {"58/1 party text", 189, 58, Cat({{1}, Text("t")})},
        {"58/2 party opened", 189, 58, Cat({{2}, Text("t")})},
        {"58/3 party opened", 189, 58, {3}},
        {"58/4 leader", 189, 58, Cat({{4}, Text("lead"), {1}})},
        {"58/5 member", 189, 58, Cat({{5}, Text("m"), {2, 0}, U32(0), {10}, U32(5)})},
        {"58/6 member gone", 189, 58, Cat({{6}, Text("m")})},
        {"58/7 member update", 189, 58,
         Cat({{7}, Text("m"), {1, 3}, U32(1), {2}, {3}, U16(4), U16(5), U16(6)})},
        {"58/8", 189, 58, {8}},
        {"58/9 promoted", 189, 58, Cat({{9}, Text("m")})},
        {"58/10 sound", 189, 58, Cat({{10}, Text("snd"), {1}})},
        {"42/0 store opened", 189, 42, Cat({{0}, Text("o"), U16(1), {1, 2}, U32(1), U32(2)})},
        {"42/1 store notice", 189, 42, Cat({{1, 1}, Text("n")})},
        {"42/2 trade windows hidden", 189, 42, {2}},
        {"42/3 notice box", 189, 42, Cat({{3}, Text("x")})},
        {"42/5 store items", 189, 42, Cat({{5, 1}, U16(1), U16(2), U32(3)})},
        {"42/6 store closed", 189, 42, {6}},
        {"78/0 timer", 189, 78, Cat({{0}, Text("t"), U32(30)})},
        {"78/1 timer end", 189, 78, Cat({{1}, Text("t"), {0}})},
        {"114/0 combo options", 189, 114, {0, 0x1E}},
        {"114/1/2 combo", 189, 114, Cat({{1, 2}, U32(1), U32(2), U16(3), U16(4)})},
        {"114/1/4 combo list", 189, 114, Cat({{1, 4}, U32(1), {1}, U32(2), U32(3)})},
        {"114/2 player values", 189, 114, {2, 1, 2, 3}},
        {"33/1 event log table", 189, 33, {1, 1, 1, 2, 3}},
        {"33/2 event log value", 189, 33, {2, 1, 1, 2, 3}},
        {"33/3 event log lines", 189, 33, Cat({{3, 1, 2}, U32(1), Text("a"), U32(2), Text("b")})},
        {"48/2 id list", 189, 48, Cat({{2}, U32(1), {1}, U32(2), {1, 3}})},
        {"48/3", 189, 48, {3}},
        {"48/4", 189, 48, Cat({{4}, U32(1), {2}})},
        {"48/5", 189, 48, {5, 1}},
        {"48/6", 189, 48, {6}},
        {"111 name list", 189, 111, Cat({{1, 2, 0}, Text("a"), {1}, Text("b"), Text("c")})},
        {"97 old notice", 189, 97, Cat({{0}, Text("old")})},
        {"97 notice", 219, 97, Cat({{1}, Text("a"), Text("b")})},
        {"116 six values", 189, 116, Cat({U32(1), U32(2), U32(3), U32(4), U32(5), U32(6)})},
        {"47/0 scene list", 189, 47,
         Cat({{0, 2, 1}, Text("n"), Text("s"), U32(1), {2, 3}, {0}, Text("m"), {4, 5}})},
        {"47/1", 189, 47, Cat({{1, 1, 2}, Text("t")})},
        {"47/2", 189, 47, Cat({{2}, Text("a"), Text("b"), U32(1), {2}})},
        {"47/3", 189, 47, Cat({{3}, Text("a"), Text("b"), U32(1), {2}})},
        {"47/4", 189, 47, Cat({{4}, Text("a")})},
        {"47/5", 189, 47, Cat({{5, 1}, Text("a")})},
        {"47/6", 189, 47, {6, 1}},
        {"47/7", 189, 47, Cat({{7}, Text("a"), {1}})},
        {"47/8", 189, 47, Cat({{8}, Text("a"), Text("b"), {1}})},
        {"15 item, count", 189, 15, Cat({{1}, U32(2), U32(3), {4}, Text("i"), U32(0), {5}, {0}, U16(6)})},
        {"15 item, options", 189, 15,
         Cat({{1}, U32(2), U32(3), {4}, Text("i"), U32(0), {5}, {1}, Bytes(13, 1), {1}, Text("12")})},
        {"15 item, single", 189, 15, Cat({{1}, U32(2), U32(3), {4}, Text("i"), U32(0), {5}, {2}})},
        {"16 item value", 189, 16, {1}},
        {"18 item pair", 189, 18, Cat({U32(1), U32(2)})},
        {"27/0 stored item", 189, 27,
         Cat({{0, 1}, U32(2), {3}, Text("i"), U32(0), {0}, U16(4), U32(5), U32(6)})},
        {"27/1 club deposit item", 189, 27,
         Cat({{1, 1},
              U32(2),
              {3},
              Text("i"),
              U32(0),
              {1},
              Bytes(13, 1),
              {0},
              {1},
              Text("dep"),
              {0},
              U16(0xFFFF),
              U32(5),
              U32(6)})},
        {"27/2 club deposit item", 189, 27,
         Cat({{2, 1}, U32(2), {3}, Text("i"), U32(0), {0}, U16(4), {0}, {0}, U16(1), U32(5), U32(6)})},
        {"28/0 storage value", 189, 28, {0, 1}},
        {"28/1 club deposit slot", 189, 28, {1, 3}},
        {"28/2 club deposit cleared", 189, 28, {2, 0}},
        {"55 character item", 189, 55, Cat({U32(1), U32(2), {3}, Text("i"), U32(0), Bytes(13, 1), {0}})},
        {"56 item value", 189, 56, {1}},
        {"7 no objects", 189, 7, U16(0)},
        {"7 every kind", 231, 7, ObjectsOfEveryKind()},
        {"31 weather", 189, 31, {1, 2}},
        {"32 time of day", 189, 32, {1, 2, 3}},
        {"48/0 zone marker", 189, 48, Cat({{0}, U32(5), U16(1), U16(2), U16(3), U16(4)})},
        {"48/0 zone marker with its style", 251, 48, Cat({{0}, U32(5), {7}, U16(1), U16(2), U16(3), U16(4)})},
        {"48/1 zone marker gone", 189, 48, Cat({{1}, U32(5)})},
        // The map's messages.
        {"14 object leaves", 189, 14, U32(7)},
        {"21 map change", 189, 21, Cat({U16(0), U16(1427), {4, 1}})},
        {"90 map object moves", 189, 90, Cat({U32(7), U16(3), U16(4)})},
    };
}

// Codes handed whole to a receiver that reads them itself: a prefix reaches it as it is.
const std::set<uint8_t> kHandedRaw = {11, 17, 69, 100};

class ServerMessages : public nettest::MessageHarness {
protected:
    // Runs the sample's body cut to length on a fresh state; returns whether
    // the state changed.
    bool Changes(const Sample& sample, size_t length, bool present) {
        Fresh(present);
        g_config.m_clientVersion = sample.clientVersion;
        const std::string before = Describe();
        Dispatch(sample.code, Bytes(sample.body.begin(), sample.body.begin() + std::ptrdiff_t(length)));
        const std::string after = Describe();
        if (before != after && !kHandedRaw.count(sample.code) && length < sample.body.size()) {
            ADD_FAILURE() << sample.name << ": the prefix of " << length << " bytes, present " << present
                          << ", changed\n"
                          << before << "\n--- to ---\n"
                          << after;
        }
        return before != after;
    }
};

TEST_F(ServerMessages, EverySampleChangesSomethingAndNoStrictPrefixDoes) {
    for (const Sample& sample : Samples()) {
        for (bool present : {true, false}) {
            for (size_t length = 0; length < sample.body.size(); ++length) Changes(sample, length, present);
            const bool changed = Changes(sample, sample.body.size(), present);
            if (present) {
                EXPECT_TRUE(changed) << sample.name << " changed nothing";
            }
        }
    }
}

TEST_F(ServerMessages, TheInstalledCodesAreTheTable) {
    const std::set<int> table = {
        0,  1,  2,  3,   4,   5,   7,   8,   10,  11,  13,  14,  15,  16,  17,  18,  19,  21,  22,  23,
        24, 25, 26, 27,  28,  29,  31,  32,  33,  34,  35,  36,  37,  38,  40,  42,  43,  44,  45,  47,
        48, 51, 55, 56,  58,  63,  66,  67,  68,  69,  71,  72,  78,  83,  86,  87,  90,  93,  95,  96,
        97, 98, 99, 100, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 116, 120, 121};
    ASSERT_EQ(table.size(), 80u);
    std::set<int> installed;
    for (int code = 0; code <= MAX_SERVER_CODE + 2; ++code)
        if (m_session->HasPacketHandler(uint8_t(code))) installed.insert(code);
    EXPECT_EQ(installed, table);
}

TEST_F(ServerMessages, HandedRawMessagesReachTheirReaderAsTheyCame) {
    for (const Sample& sample : Samples()) {
        if (!kHandedRaw.count(sample.code)) continue;
        for (size_t length = 0; length <= sample.body.size(); ++length) {
            Fresh(true);
            const Bytes body(sample.body.begin(), sample.body.begin() + std::ptrdiff_t(length));
            Dispatch(sample.code, body);
            ASSERT_EQ(m_world.m_parsed.size(), 1u) << sample.name;
            EXPECT_EQ(m_world.m_parsed[0], Cat({{sample.code}, body})) << sample.name;
        }
    }
}

TEST_F(ServerMessages, EmptyBodyChangesNothingUnlessItIsTheWholeMessage) {
    std::set<uint8_t> emptyIsWhole = kHandedRaw;
    for (const Sample& sample : Samples())
        if (sample.body.empty()) emptyIsWhole.insert(sample.code);
    for (int code = 0; code <= MAX_SERVER_CODE + 2; ++code) {
        if (emptyIsWhole.count(uint8_t(code))) continue;
        for (bool present : {true, false}) {
            Fresh(present);
            const std::string before = Describe();
            Dispatch(uint8_t(code), {});
            EXPECT_EQ(Describe(), before) << "code " << code << " present " << present;
        }
    }
}

TEST_F(ServerMessages, RandomBodiesRunClean) {
    std::mt19937 random(21);
    const std::vector<Sample> samples = Samples();
    for (bool present : {true, false}) {
        Fresh(present);
        for (int code = 0; code <= MAX_SERVER_CODE; ++code) {
            // Some start from a sample of the code and go astray; most are noise.
            std::vector<const Sample*> own;
            for (const Sample& s : samples)
                if (s.code == code) own.push_back(&s);
            for (int n = 0; n < 500; ++n) {
                if (!g_connection->IsConnected()) Connect();
                Bytes body;
                if (!own.empty() && n % 2 == 0) {
                    body = own[size_t(n / 2) % own.size()]->body;
                    for (int flips = 1 + int(random() % 3); flips > 0 && !body.empty(); --flips)
                        body[random() % body.size()] = uint8_t(random());
                    body.resize(random() % (body.size() + 8));
                } else {
                    body.resize(random() % 80);
                    for (uint8_t& b : body) b = uint8_t(random());
                }
                Dispatch(uint8_t(code), body);
            }
        }
    }
    Describe();  // everything still reads
}

// The fuzz target's seeds are the samples: flags 1 (receivers present), then
// [length][code and body]. With QM_REFRESH_GOLDEN=1 this rewrites them.
TEST(ServerMessageSeeds, FuzzSeedsAreTheSamples) {
    const std::string corpus = qmtest::SourceDir() + "/fuzz/corpus/server_messages/";
    const char* refresh = std::getenv("QM_REFRESH_GOLDEN");
    int n = 0;
    for (const Sample& sample : Samples()) {
        if (sample.body.size() + 1 > 255) continue;
        Bytes seed = Cat({{1, uint8_t(sample.body.size() + 1), sample.code}, sample.body});
        std::string name = "sample_" + std::to_string(n++);
        if (refresh && std::string(refresh) == "1") {
            plat::CreateDirectories(corpus);
            ASSERT_TRUE(plat::WriteFileAtomic(corpus + name, seed.data(), seed.size()));
        }
        std::vector<uint8_t> stored;
        ASSERT_TRUE(plat::ReadWholeFile(corpus + name, stored)) << name;
        EXPECT_EQ(stored, seed) << sample.name;
    }
}

}  // namespace
