// The field's trials: what a player meets in the field beyond walking. A
// monster walker strikes a player who stands next to it now and then
// (message 120 with the damage, seen by everyone in the field), and four
// chat lines of the player ask the server for one thing each:
//
//   +hit     the first monster walker strikes the speaker at once
//   +leave   the first NPC walker leaves everyone's view (message 14) and
//            comes back after RETURN_MS (message 7)
//   +ask     a server question (message 10 kind 21, box QUESTION_BOX_ID)
//            whose answer (request 25/21) is logged "25/21 ID ANSWER"
//   +drop    the server hangs up on the speaker
//
// Each is logged as the chat line it came as ("14/0 +hit"), and lines that
// are not one of them go on to the chat. The world file has no lines of its own.
#pragma once
#include <memory>

#include "tools/qmserver/hall_feature.h"

std::unique_ptr<CHallFeature> MakeFieldFeature();
