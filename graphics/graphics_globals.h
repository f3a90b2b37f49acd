// The graphics layer's global objects, given to start-up in their slots.
#pragma once

void InstallGraphicsGlobals();
