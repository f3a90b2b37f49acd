// The room lobbies (37) and the small games: gambambo, fishing, cookbook (36).
//
// 37: sub 0 the room list of a lobby ("TJS_ROOMLIST" for kind 0, else
// "CTF_ROOMLIST", made hidden when missing, shown when hidden, emptied and
// refilled; the lobby's number and flag kept in the session), 1 the new-room
// answer, 2 the join answer, 3 the waiting room (operation 4 makes it). A
// lobby number that is not the TJS lobby's means the CTF windows.
// 36: group 1 "GAMBAMBO_WIN" (made hidden when missing; an invitation is
// refused at once when the user's option says so), group 2 "Fishing_Window",
// group 3 "COOKING_COOKBOOK_WINDOW".
// Both do nothing while the connection is closed.
#pragma once
#include <cstddef>
#include <cstdint>

class CGameSession;
class CPacketReader;

enum : uint8_t {
    SERVER_MINI_GAME = 36,
    SERVER_ROOM = 37,
};

// The option byte that refuses gambambo invitations.
inline constexpr size_t OPTION_REFUSE_GAMBAMBO = 24;
// The refusal notice's format: row 634 of text table 14.
inline constexpr int GAMBAMBO_TEXT_TABLE = 14;
inline constexpr int GAMBAMBO_TEXT_REFUSED_ROW = 634;
inline constexpr char UNKNOWN_USER[] = "Unknown User";

void HandleRoomMessage(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleMiniGameMessage(CGameSession& session, uint8_t code, CPacketReader& body);
