// The rules every server-message handler keeps.
//
// Parse, then apply. A handler first reads its whole message into a record
// (ParseXxx(CPacketReader&) -> std::optional<record>) without touching
// anything else, and acts only when the reader has not failed. A message that
// lacks any field the handler reads, fields it only passes over included, is
// dropped whole: no state changes, no request is queued, no record is posted,
// no box shows and the connection is not asked for write notification again.
// Bytes after the last field are ignored. Texts are cut to their destination
// by the reader, entries beyond a record's capacity are read past, lists are
// read whole and then applied in wire order, and nothing is allocated from a
// count on the wire before the bytes left are known to hold it.
//
// Receivers that live above the network layer are reached through
// IGameWorldHooks (data/game_hooks.h: the character manager, the map, the
// event manager, sound) and through the window services
// (net/handlers/server_windows.h); an absent receiver takes nothing.
#pragma once
#include <optional>
#include <utility>

#include "net/packet_reader.h"

// The record when every field was there, otherwise nothing.
template <class Record>
std::optional<Record> Parsed(const CPacketReader& body, Record&& record) {
    if (body.Failed()) return std::nullopt;
    return std::optional<Record>(std::forward<Record>(record));
}

// Asks the connection, when there is one, for write notification again (the
// last step of most handlers).
void RearmConnection();
