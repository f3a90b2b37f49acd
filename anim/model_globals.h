// The 3D object layer's global objects, given to start-up in their slots:
// the map-object model manager (made with the display devices) and the
// toon-shaded object cache, each installed as the animations' service while
// it exists.
#pragma once

void InstallModelGlobals();
