// The program's game-world hooks (data/game_hooks.h): what the layers below
// the world reach of the world and of its neighbours, one object installed
// with the factories. Each member forwards to the layer that has the answer;
// a member whose layer is not built keeps the interface's "absent" answer.
// The sound manager's view of the characters (sound/sound_services.h) is
// installed with them.
#pragma once

void InstallGameWorldHooks();
