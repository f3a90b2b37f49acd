// The skills of the sample field, used so that their effects show: every
// character entering the field learns them (message 98 a skill), and each
// skill use it asks for (request 19) is answered to every player in the
// field with the use (message 63) and its hit (message 19), the skill taken
// in turn from the list. The world file's line:
//
//   skills SKILL_ID...     the skills learned on entering (at most 16)
#pragma once
#include <memory>

#include "tools/qmserver/hall_feature.h"

std::unique_ptr<CHallFeature> MakeEffectsFeature();
