// The animation layer's start-up: the animation manager, the map-object model
// manager (made with the display devices) and the toon-shaded object cache
// given to start-up in their slots, and the services each installs while it
// exists: the drawable objects' and the character shadow's animated objects
// with the animation manager, the toon and mesh nodes' services with their
// managers, and the animation name table.
#pragma once

void InstallAnimGlobals();
