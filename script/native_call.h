// One call of a native as its body sees it, and the look-ups every native
// shares (the natives' own files only).
#pragma once
#include <cstddef>
#include <cstdint>

#include "script/script.h"

class CAniPlayEntry;
class CChar;
class CScriptRunner;

struct NativeCall {
    CScriptRunner* runner;
    uint32_t count;
    const double* args;
    bool first;
    bool* done;
    double* result;

    // An argument; 0 past the count given.
    double Arg(uint32_t i) const { return i < count ? args[i] : 0.0; }
    // Truncated toward zero and held within 32 bits (0 for no number).
    int32_t Int(uint32_t i) const;
    // A handle or id: the unsigned 32-bit number (a negative one has 2^32
    // added); 0 for anything else.
    uint32_t Id(uint32_t i) const;
    void Set(double value) { *result = value; }
    void Wait() { *done = false; }
};

using NativeBody = void (*)(NativeCall& call);

// The native of the body.
ScriptNative MakeNative(NativeBody body);

// The runner's own listed entry of the handle argument, with an object; null
// for a missing entry or one that another runner (or no runner) keeps.
CAniPlayEntry* OwnEntry(const NativeCall& call, uint32_t arg);
// The character of the id argument, or of the id, or null.
CChar* CharArg(const NativeCall& call, uint32_t arg);
CChar* CharById(uint32_t id);
// The entry stops following a character and leaves its draw list.
void UnfollowEntry(CAniPlayEntry* entry);
// The runner's skill action no longer holds its caster.
bool OwnerLost(const NativeCall& call);

struct NativeEntry {
    uint32_t id;
    NativeBody body;
};

template <size_t N>
void RegisterNativeTable(CScript* script, const NativeEntry (&table)[N]) {
    for (const NativeEntry& e : table) RegisterNative(script, e.id, MakeNative(e.body));
}

void RegisterEntryNatives(CScript* script);
void RegisterFlightNatives(CScript* script);
void RegisterCharNatives(CScript* script);
void RegisterValueNatives(CScript* script);
