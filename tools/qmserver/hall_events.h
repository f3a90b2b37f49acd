// Events: talking to a walker starts a field script on the client, and the
// client's reports of how an event went (request 108) are logged; a choice
// record (request 108 kind 2) comes back to the client as message 68 form 2,
// so that its selection settles. The world file's lines:
//
//   event-talk WALKER NUMBER FUNCTION   request 20 (talk) on the walker named
//                                       WALKER orders the field script NUMBER
//                                       (four digits) at its FUNCTION
//
// The sample world's Elder starts "ElderTalk" of field script 0001.
#pragma once
#include <memory>

#include "tools/qmserver/hall_feature.h"

std::unique_ptr<CHallFeature> MakeEventsFeature();
