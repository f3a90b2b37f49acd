// Bodies of the character appearance messages (5, 51, 29), built from named
// fields so that a test changes only what it is about.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tests/net/wire_bytes.h"

namespace nettest {

// The status words, word 0 first; on the wire the highest word goes first.
struct StatusWords {
    uint32_t words[4] = {};
    // Status 49 is bit 16 of word 1.
    static StatusWords With49() { return StatusWords{{0, 1u << 16, 0, 0}}; }
    Bytes Wire() const { return Cat({U32(words[3]), U32(words[2]), U32(words[1]), U32(words[0])}); }
};

// The optional-value block: a mask and the values of its set bits.
struct OptionalValues {
    uint16_t mask = 0;
    std::vector<uint32_t> values;
    Bytes Wire() const {
        Bytes out = U16(mask);
        for (uint32_t v : values) out = Cat({out, U32(v)});
        return out;
    }
};

// The optional title, a signed value and the status-49 byte (sent only when
// the status set has 49).
struct TitleTail {
    bool title = false;
    std::string titleText;
    uint8_t titleValue = 0;
    uint8_t signedValue = 0;
    uint8_t extra = 0;
    Bytes Wire(const StatusWords& status) const {
        Bytes out = title ? Cat({{1}, Text(titleText), {titleValue}}) : Bytes{0};
        out.push_back(signedValue);
        if (status.words[1] & (1u << 16)) out.push_back(extra);
        return out;
    }
};

// 5: the player's own character.
struct OwnCharBody {
    uint32_t id = 7, resource = 2000001;
    OptionalValues optional;
    Bytes small = {1, 2, 3, 4, 5, 6, 7};
    StatusWords status;
    TitleTail tail;
    uint16_t x = 10, y = 20;
    uint8_t direction = 3;
    std::string name = "Own", second = "Shown";
    Bytes Wire() const {
        return Cat({U32(id),
                    U32(resource),
                    optional.Wire(),
                    small,
                    status.Wire(),
                    tail.Wire(status),
                    {0xEE},
                    U16(x),
                    U16(y),
                    {direction},
                    Text(name),
                    Text(second)});
    }
};

struct CharEntryBody {
    uint8_t kind = 1;
    std::string text = "club";
    uint8_t value = 2;
    uint32_t number = 3;
    std::string second = "title";
    Bytes Wire() const { return Cat({{kind}, Text(text), {value}, U32(number), Text(second)}); }
};

// 51: another player character.
struct CharAppearsBody {
    uint32_t id = 8;
    uint16_t x = 30, y = 40;
    uint8_t direction = 7;
    uint8_t flagA = 5;
    std::string name = "Name", second = "Second";
    uint8_t flagB = 0;
    uint8_t ringChoice = 4;
    std::vector<CharEntryBody> entries;
    uint32_t resource = 2000002;
    OptionalValues optional;
    Bytes small = {1, 2, 3, 4, 5, 6, 7};
    StatusWords status;
    TitleTail tail;
    Bytes Wire() const {
        Bytes out = Cat({U32(id),
                         U16(x),
                         U16(y),
                         {direction, flagA},
                         Text(name),
                         Text(second),
                         {flagB, ringChoice, uint8_t(entries.size())}});
        for (const CharEntryBody& e : entries) out = Cat({out, e.Wire()});
        return Cat({out, U32(resource), optional.Wire(), small, status.Wire(), tail.Wire(status), {0xEE}});
    }
};

// 29: a non-player object.
struct ObjectAppearsBody {
    uint32_t id = 9;
    std::string name = "unused";
    OptionalValues optional;
    Bytes small = {21, 22, 23, 24, 25, 26, 27};
    StatusWords status;
    bool flag = false;
    std::string flagText = "unused";
    uint8_t flagValue = 0;
    uint8_t last = 0;
    uint8_t extra = 0;  // sent only with status 49
    Bytes Wire() const {
        Bytes out = Cat({U32(id), Text(name), U32(0xDEAD), optional.Wire(), small, status.Wire()});
        out = Cat({out, flag ? Cat({{1}, Text(flagText), {flagValue}}) : Bytes{0}, {last}});
        if (status.words[1] & (1u << 16)) out.push_back(extra);
        return out;
    }
};

// 68 form 0: a value, two texts, two values, a byte, then the lists
// [(1, 2)] and [(3, 4), (5, 6)].
inline Bytes EventInputBody(const std::string& text1) {
    return Cat(
        {{0, 4}, Text(text1), Text("second"), U32(1), U32(2), {0}, U16(1), {1, 2}, U16(2), {3, 4, 5, 6}});
}

}  // namespace nettest
