// The world layer's global objects and the seams it serves while they exist:
// the map gives the animations their field and the main window its
// activation listener.
#pragma once

// Installs the factory of the Map start-up slot.
void InstallWorldGlobals();

class CCursor;
// Takes back what the cursor's start-up installed (the drawable objects' and
// the window manager's cursor, g_pCursor) while they are this cursor's.
void UninstallCursor(CCursor* cursor);
