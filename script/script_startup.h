// The script layer's global objects, the script manager and the event
// manager, the seams they serve while they exist (the skill actions'
// scripts; the event state for the animation and window layers), and the
// event windows' classes.
#pragma once

// Installs the factory of the ScriptMgr start-up slot.
void InstallScriptGlobals();
// Registers the event talk and selection windows.
void InstallScriptWindowClasses();
