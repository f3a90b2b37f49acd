// Clubs on the local server: the clubs of the world file and their members.
// A member whose map is ready gets the club's information (67/16, with the
// member's grade) and the member list (67/17).
//
// World-file lines:
//   club NUMBER LEVEL POINTS EMBLEM NAME...    a club (number 1-255, emblem 0-75);
//                                              the club allows every action
//   member NUMBER GRADE RESOURCE LEVEL POINTS NAME
//                                              a member of club NUMBER: grade 1
//                                              master, 2 sub-leader, 3 member,
//                                              4 applicant; its character's
//                                              resource id, level and points
//
// Requests taken (61, the sub-code and the club's number first):
//   20 [u8 kind]: kinds 0 (the log) and 1 (the notices) as dated lines,
//     2 and 3 (the club's two texts) as text, all 67/20;
//   3 [u16 min][u16 max][text homepage][text introduction] and
//   4 [u8][u32 emblem]: the settings and the emblem change; every member in
//     the field gets 67/16 again;
//   7 [text member][text nickname]: the nickname; the members get 67/5;
//   8 [text member][u8 grade]: the grade (an applicant accepted, a member
//     promoted or demoted); the members get 67/5;
//   19 [u8][text]: a notice dated now; the members get the notices (67/20);
//   6 [text club][text name]: the player's own name leaves the club (67/2 to
//     the player), another's is expelled or refused (67/6 to the members);
//   any other club request is logged and left unanswered.
#pragma once
#include <memory>

#include "tools/qmserver/hall_feature.h"

std::unique_ptr<CHallFeature> MakeClubsFeature();
