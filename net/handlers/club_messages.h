// The club family (67) and the fortress board (35).
//
// | 67 sub | what                                                          |
// |--------|---------------------------------------------------------------|
// | 1      | "Club_MakeWindow" made when missing, given (a, b), opened     |
// | 2      | "Club_BaseWindow": a club is gone                             |
// | 5      | a fight club member: the waiting and configuration windows    |
// |        | (made hidden when missing) and "Club_BaseWindow" (121)        |
// | 6      | "Club_BaseWindow": a member left                              |
// | 16     | club information: "Club_JoinWindow" (mode 0) or               |
// |        | "Club_BaseWindow" (118), then "FightClub_Manager" refreshed   |
// | 17     | the fight club team list (119)                                |
// | 20     | dated notices, the notice text, the deposit log               |
// | 21     | "Club_BaseWindow": a member's values                          |
// | 23     | "MINIMAP_WINDOW": the club marks                              |
//
// 118, 119 and 121 go through the window manager, which hands them to the
// club window now or once it opens.
// 35: the board's texts and clubs (form 0), the game scene's fight-club
// notice (forms 1 and 3), the board's names (form 2). Both do nothing while
// the connection is closed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class CClubInfoMsg;
class CClubMemberMsg;
class CGameSession;
class CPacketReader;
struct CClubMemberRecord;
struct CDatedLine;

enum : uint8_t {
    SERVER_FORTRESS = 35,
    SERVER_CLUB = 67,
};

// Text table 14 rows the fortress notice compares its two names with.
inline constexpr int FORTRESS_TEXT_TABLE = 14;
inline constexpr int FORTRESS_TEXT_FIRST_ROW = 647;
inline constexpr int FORTRESS_TEXT_SECOND_ROW = 648;
// Club creation sends one more byte from this client version on.
inline constexpr uint16_t CLUB_MAKE_SECOND_BYTE_VERSION = 191;

void HandleClubMessage(CGameSession& session, uint8_t code, CPacketReader& body);
void HandleFortressMessage(CGameSession& session, uint8_t code, CPacketReader& body);

// The club messages as a server writes them, code first; each reads back
// through the handler above into the record it fills.
// 67/16: every field of the club information (mode 0: the join window).
std::vector<uint8_t> WriteClubInfo(const CClubInfoMsg& info);
// 67/17: the club's members, applicants among them (grade 4).
std::vector<uint8_t> WriteClubMemberList(const std::string& clubName,
                                         const std::vector<CClubMemberRecord>& members);
// 67/5: one member (its grade is the kind).
std::vector<uint8_t> WriteClubMember(const CClubMemberMsg& member);
// 67/2: the club is gone; 67/6: a member left.
std::vector<uint8_t> WriteClubRemoved(uint8_t value, const std::string& clubName);
std::vector<uint8_t> WriteClubMemberLeft(const std::string& name);
// 67/20: dated lines (kinds 0 log, 1 notices, 4 storage log) or a club text
// (kinds 2 and 3, at most 1,023 bytes).
std::vector<uint8_t> WriteClubDatedLines(uint8_t kind, const std::vector<CDatedLine>& lines);
std::vector<uint8_t> WriteClubText(uint8_t kind, const std::string& text);
