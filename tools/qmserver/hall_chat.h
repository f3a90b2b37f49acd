// The chat on the local server: the status block and a greeting line for each
// character that enters, chat lines said to everyone in the field, and
// whispers between players.
//
// World-file lines:
//   greeting Welcome to the sample world.  the line each entering player reads (rest of line)
//   status life 120 200                     a value of the status block every character starts
//                                           with: life, mana and spirit (current, maximum),
//                                           stamina, load (current, maximum), state (0-4),
//                                           experience (current, next, limit), level,
//                                           numbers (eight values)
#pragma once
#include <memory>

#include "tools/qmserver/hall_feature.h"

std::unique_ptr<CHallFeature> MakeChatFeature();
