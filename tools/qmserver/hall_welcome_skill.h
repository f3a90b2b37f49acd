// The welcome skill: a walker uses a skill on every character whose map has
// just become ready (request 57), one skill action (message 63). The world
// file's lines:
//
//   welcome WALKER SKILL_ID TIME_MS     the walker named WALKER uses the skill
//                                       for the time (at most 655,350 ms)
//
// The sample world has its Keeper greet each character with the sparkle.
#pragma once
#include <memory>

#include "tools/qmserver/hall_feature.h"

std::unique_ptr<CHallFeature> MakeWelcomeSkillFeature();
