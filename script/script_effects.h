// What the script natives use of the effects: the particle emitter an
// animated object carries (natives 12-16) and the ambient effect groups and
// their entries (natives 49-53). Absent until the effects install it; a
// native then finishes with its failure result.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/seam.h"

class CAniObject;

class IScriptEffects {
public:
    virtual ~IScriptEffects() = default;
    // Replaces the object's emitter by a new one of the eight values (colour,
    // counts, times, sizes, in the script's order).
    virtual bool ReplaceEmitter(CAniObject* owner, const double values[8]) = 0;
    virtual bool RemoveEmitter(CAniObject* owner) = 0;
    // Replaces the object's emitter by the trail emitter (white, 500 ms,
    // sizes 1.0 and 10.0) with the two values.
    virtual bool ReplaceWithTrail(CAniObject* owner, double first, double second) = 0;
    // Sets the first count values of the object's emitter, in order; false
    // when it has none.
    virtual bool SetEmitterValues(CAniObject* owner, const double* values, size_t count) = 0;

    // The key of a new ambient group (0: none made).
    virtual uint32_t CreateAmbientGroup() = 0;
    // The key of a new entry of the group from the ten values (0: none made).
    virtual uint32_t CreateAmbientEntry(uint32_t group, const double values[10]) = 0;
    // Adds the object (taken over either way) to the group's entry; false
    // when the entry is missing or holds it already.
    virtual bool AddAmbientObject(uint32_t group, uint32_t entry, CAniObject* object) = 0;
    // The group exists and is of the live kind.
    virtual bool IsAmbientGroupLive(uint32_t group) = 0;
    // Removes the entry unless it is of kind 2; false when it stays.
    virtual bool RemoveAmbientEntry(uint32_t group, uint32_t entry) = 0;
};

void SetScriptEffects(IScriptEffects* effects);
IScriptEffects* GetScriptEffects();
using ScopedScriptEffects = plat::ScopedInstall<GetScriptEffects, SetScriptEffects>;
