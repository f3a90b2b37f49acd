// Lists inside server messages: a count read before them, each entry read
// whole. Nothing is allocated for a count the bytes left cannot hold.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/message.h"
#include "net/packet_reader.h"

// count u32 values; false (the reader failed, the list empty) when the
// message does not hold them.
inline bool ReadDwordList(CPacketReader& body, size_t count, std::vector<uint32_t>& out) {
    out.clear();
    if (body.Failed() || body.Remaining() < count * 4) {
        body.Skip(count * 4);
        return false;
    }
    out.reserve(count);
    for (size_t n = 0; n < count; ++n) out.push_back(body.GetDword());
    return true;
}

// Whether count entries of at least minimum bytes each can be in the bytes
// left; when not, the reader fails (the message is short).
inline bool CountFits(CPacketReader& body, size_t count, size_t minimum) {
    if (!body.Failed() && body.Remaining() / (minimum ? minimum : 1) >= count) return true;
    body.Skip(body.Remaining() + 1);
    return false;
}

// A text passed over unread.
inline void SkipText(CPacketReader& body) {
    body.Skip(body.GetByte());
}

// The record when the message held every field read, otherwise null.
template <class Record>
std::unique_ptr<CMsgPayload> IfWhole(const CPacketReader& body, std::unique_ptr<Record> record) {
    if (body.Failed()) return nullptr;
    return record;
}
