// What an item icon reaches of the game (ui/items/item_world.h): the map under
// the mouse, the characters, the player's controller, the cursor and the game
// scene, one object installed with the factories. Each member reads the
// program's objects when it is asked and answers "none" while one is missing.
#pragma once

void InstallItemWorld();
