#include "core/key_bindings.h"

#include "core/byte_source.h"
#include "core/config.h"

namespace {

constexpr uint32_t kVkTab = 9, kVkInsert = 45, kVkF12 = 123;

struct DefaultEntry {
    uint8_t shift, ctrl, alt;
    uint32_t key;
};

// Command k: its modifiers and key.
constexpr DefaultEntry kDefaults[KEY_BINDING_COUNT] = {
    {0, 0, 1, 'B'}, {0, 0, 1, 'H'},       {0, 1, 0, 'W'},    {0, 0, 0, 'Q'}, {0, 0, 0, 'D'},
    {0, 0, 0, 'J'}, {0, 0, 0, 'H'},       {0, 0, 0, 'P'},    {0, 0, 0, 'Z'}, {0, 0, 0, 'A'},
    {0, 0, 0, 'E'}, {0, 0, 0, 'I'},       {0, 0, 0, 'V'},    {0, 0, 0, 'L'}, {0, 0, 0, 'O'},
    {0, 0, 0, 'S'}, {0, 0, 0, 'T'},       {0, 0, 0, 'N'},    {0, 1, 0, 'Q'}, {0, 0, 0, 'M'},
    {0, 0, 0, 'R'}, {0, 0, 0, kVkInsert}, {0, 0, 0, kVkTab}, {0, 0, 0, 'C'}, {0, 0, 0, kVkF12},
    {0, 0, 0, 'F'}, {0, 1, 0, 'S'},
};

size_t EntryOffset(size_t table, int32_t command) {
    return table + size_t(command) * KEY_BINDING_SIZE;
}

}  // namespace

KeyBinding DefaultKeyBinding(int32_t command) {
    if (command < 0 || command >= KEY_BINDING_COUNT) return {};
    const DefaultEntry& d = kDefaults[command];
    return {1, d.shift, d.ctrl, d.alt, d.key};
}

KeyBinding ReadKeyBinding(const COptions& options, size_t table, int32_t command) {
    if (command < 0 || command >= KEY_BINDING_COUNT) return {};
    const size_t at = EntryOffset(table, command) + KEY_BINDING_NAME_SIZE;
    return {options.GetByte(at), options.GetByte(at + 1), options.GetByte(at + 2), options.GetByte(at + 3),
            options.GetU32(at + 4)};
}

void WriteKeyBinding(COptions& options, size_t table, int32_t command, const KeyBinding& binding) {
    if (command < 0 || command >= KEY_BINDING_COUNT) return;
    const size_t at = EntryOffset(table, command) + KEY_BINDING_NAME_SIZE;
    options.SetByte(at, binding.enabled);
    options.SetByte(at + 1, binding.shift);
    options.SetByte(at + 2, binding.ctrl);
    options.SetByte(at + 3, binding.alt);
    options.SetU32(at + 4, binding.key);
}

bool KeyBindingsEmpty(const COptions& options) {
    const size_t end = EntryOffset(OPT_KEY_BINDINGS, KEY_BINDING_COUNT);
    for (size_t at = OPT_KEY_BINDINGS; at < end; ++at)
        if (options.GetByte(at) != 0) return false;
    return true;
}

void FillDefaultKeyBindings(COptions& options) {
    for (int32_t k = 0; k < KEY_BINDING_COUNT; ++k) {
        WriteKeyBinding(options, OPT_KEY_BINDINGS, k, DefaultKeyBinding(k));
        WriteKeyBinding(options, OPT_KEY_DEFAULTS, k, DefaultKeyBinding(k));
    }
}

int32_t FindKeyBinding(const COptions& options, bool ctrl, bool alt, bool shift, uint32_t key) {
    for (int32_t k = 0; k < KEY_BINDING_COUNT; ++k) {
        const KeyBinding b = ReadKeyBinding(options, OPT_KEY_BINDINGS, k);
        if (b.shift == uint8_t(shift) && b.ctrl == uint8_t(ctrl) && b.alt == uint8_t(alt) && b.key == key)
            return k;
    }
    return -1;
}
