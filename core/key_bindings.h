// The hot-key bindings of the options block: 27 commands, each an entry of
// 108 bytes (a 100-byte name, an enabled byte, the Shift, Ctrl and Alt bytes
// and a u32 virtual key), the live table at offset 56 and the defaults at
// 2972. The names are the options window's texts; this file leaves them.
#pragma once
#include <cstddef>
#include <cstdint>

struct COptions;

inline constexpr int32_t KEY_BINDING_COUNT = 27;
inline constexpr size_t KEY_BINDING_SIZE = 108;
inline constexpr size_t KEY_BINDING_NAME_SIZE = 100;
inline constexpr size_t OPT_KEY_BINDINGS = 56;
inline constexpr size_t OPT_KEY_DEFAULTS = 2972;

struct KeyBinding {
    uint8_t enabled = 0;
    uint8_t shift = 0;
    uint8_t ctrl = 0;
    uint8_t alt = 0;
    uint32_t key = 0;
    bool operator==(const KeyBinding&) const = default;
};

// The program's bindings of command 0-26 (a zero binding outside).
KeyBinding DefaultKeyBinding(int32_t command);
// The binding of the table (OPT_KEY_BINDINGS or OPT_KEY_DEFAULTS); a zero
// binding for a command outside 0-26.
KeyBinding ReadKeyBinding(const COptions& options, size_t table, int32_t command);
void WriteKeyBinding(COptions& options, size_t table, int32_t command, const KeyBinding& binding);
// Every byte of the live table is 0 (an options file from before the bindings).
bool KeyBindingsEmpty(const COptions& options);
// Writes the program's bindings into both tables; the names stay.
void FillDefaultKeyBindings(COptions& options);
// The first command of the live table whose Shift, Ctrl and Alt bytes and key
// equal the arguments; -1 when none does.
int32_t FindKeyBinding(const COptions& options, bool ctrl, bool alt, bool shift, uint32_t key);
