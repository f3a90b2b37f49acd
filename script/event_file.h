// The event files: field scripts ("%4d.EVT", numbered by map) and visual
// events ("%4d.VET"). Both hold named functions, each a list of commands; a
// command is a 16-bit code, chosen from the code table of the file's kind,
// and a parameter block.
//
// Layout, little-endian without padding: u8 flag, u32 function count, then
// per function a 64-byte zero-padded name, u32 command count and the
// commands. A command is u16 code, u8 parameter count and per parameter a
// type byte and its payload: type 0 64 bytes of text, 1 a byte, 2 3 5 7 8 9
// a u16, 4 two i32 (x, y), 6 u16 u16 u8, 10 30 bytes of text, 11 a u16, 12 a
// u32. Any other type refuses the file, as does a code the kind's table does
// not hold.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class CByteSource;
class CByteWriter;

inline constexpr size_t EVENT_NAME_SIZE = 64;
inline constexpr size_t EVENT_TEXT_SIZE = 64;   // type 0
inline constexpr size_t EVENT_SHORT_TEXT = 30;  // type 10
inline constexpr uint8_t EVENT_PARAM_TYPES = 13;
inline constexpr uint8_t EVENT_NO_BYTE = 255;

// One parameter record as the commands read it; fields the type does not
// store stay zero.
struct EventParam {
    uint8_t type = 0;
    char text[EVENT_TEXT_SIZE + 1] = {};
    uint8_t byteValue = 0;
    uint16_t shortValue = 0;
    uint32_t longValue = 0;
    int32_t x = 0, y = 0;
    uint16_t tripleFirst = 0, tripleSecond = 0;
    uint8_t tripleFlag = 0;
};

struct EventCommandData {
    uint16_t code = 0;
    std::vector<EventParam> params;
};

struct EventFunctionData {
    std::string name;
    std::vector<EventCommandData> commands;
};

struct EventFileData {
    uint8_t flag = 0;
    std::vector<EventFunctionData> functions;
};

// Why a file was refused: the row of text table 16 that says so (14 an
// unknown command code, 15 a command that does not read, 21/20 the file
// itself), the code, the command's number and its function's name where
// they are known, and a plain reason for the tools.
struct EventFileError {
    int row = 0;
    uint32_t code = 0;
    int32_t index = -1;
    std::string function;
    std::string reason;
};

// The command kind (0-76) of a code in the table of the file's kind, -1 for
// a code without a class. Kind 22 has two classes: field-script code 919 is
// its second form.
int EventCommandKind(uint16_t code, bool visual);

// Reads a whole event file. False, with the error, for a file that ends
// early, holds a count larger than the bytes left, an unknown code or an
// unknown parameter type.
bool ReadEventFile(CByteSource& source, bool visual, EventFileData& out, EventFileError* error);

// The bytes of the file (names and texts cut to their fields).
void WriteEventFile(const EventFileData& file, CByteWriter& out);
