// The messenger on the local server: each player's buddy list with its groups
// (as the world file gives them, changed by the player's requests), the
// one-to-one chat between two connected players, and a buddy that is always
// online and answers every line.
//
// World-file lines:
//   group 1 Friends                      a group: its id (0-9) and name (rest of line)
//   buddy 1 Mira 2000002 bot              a buddy in the group: its name, the resource
//                                        id of its character and "bot" (always online,
//                                        answers one-to-one lines) or "player" (online
//                                        while a player of that name is in the field)
#pragma once
#include <memory>

#include "tools/qmserver/hall_feature.h"

std::unique_ptr<CHallFeature> MakeMessengerFeature();
