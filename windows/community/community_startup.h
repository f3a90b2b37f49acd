// The community windows' start-up: the window classes the scenes make by
// identifier, and the maker of the game window set's one-to-one chat object.
#pragma once
#include <memory>

#include "ui/game_scene_windows.h"

// Registers the classes with the window manager's class table.
void InstallCommunityWindowClasses();
// A new one-to-one chat object (the chat list), for the game window set.
std::unique_ptr<IOneToOneChat> MakeChatLogList();
