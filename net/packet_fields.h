// Compound fields of server messages read through CPacketReader.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

#include "net/packet_reader.h"
#include "platform/seam.h"

// Reads a u32 time (seconds since 1970) and writes its local date and time as
// [year - 2000][month 1-12][day][hour][minute]. A time of 0, one before 2000
// or one the conversion refuses gives 255 in the first byte (the rest 0).
// Returns 4, the bytes the field takes.
size_t PackDateTime(uint8_t output[5], CPacketReader& reader);

// Numbers attached to an item: at most three, newest last on the wire.
struct CNumberList {
    uint8_t limit = 0;  // how many the item can hold
    uint8_t kept = 0;   // how many were kept
    uint32_t numbers[3] = {};
};

// The item table's count of numbers an item can hold, installed by the layer
// that has the item tables (absent: every item is unknown).
class IItemNumberLimitLookup {
public:
    virtual ~IItemNumberLimitLookup() = default;
    // How many numbers the item can hold, or a negative value for an item the
    // table does not know.
    virtual int GetItemNumberLimit(uint32_t itemId) = 0;
};
void SetItemNumberLimitLookup(IItemNumberLimitLookup* lookup);
IItemNumberLimitLookup* GetItemNumberLimitLookup();
using ScopedItemNumberLimitLookup = plat::ScopedInstall<GetItemNumberLimitLookup, SetItemNumberLimitLookup>;

// The lookup over the program's item tables: column 1157 of the item's
// template; unknown without the manager or a template of that id.
class CItemTableNumberLimits : public IItemNumberLimitLookup {
public:
    int GetItemNumberLimit(uint32_t itemId) override;
};

// Reads a u8 count and that many length-prefixed decimal texts. Keeps the
// first min(count, limit) of them, the first text in the last kept slot,
// where limit = min(3, the item's limit; 0 for an unknown item). Every text is
// consumed. With the low bit of flag clear nothing is read and the list is
// empty. Returns the bytes read.
size_t ReadNumberList(uint32_t itemId, uint32_t flag, CNumberList* output, CPacketReader& reader);

// The optional-value block: a u16 presence mask, then one u32 for each set bit
// from 0x0001 to 0x1000, in that order. values[bit] is the value, or -1 where
// the bit is clear; bits 13 to 15 bring nothing. Returns the mask.
inline constexpr int OPTIONAL_VALUE_COUNT = 13;
uint16_t ReadOptionalValues(CPacketReader& reader, int32_t values[OPTIONAL_VALUE_COUNT]);

// The 128-bit status set: four u32, the highest word first; words[0] holds
// statuses 1 to 32.
void ReadStatusWords(CPacketReader& reader, uint32_t words[4]);

// The same two fields written: the mask has a bit for each value that is not -1.
class CMessageWriter;
void WriteOptionalValues(CMessageWriter& writer, const int32_t values[OPTIONAL_VALUE_COUNT]);
void WriteStatusWords(CMessageWriter& writer, const uint32_t words[4]);
