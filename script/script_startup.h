// The script layer's global object, the script manager, and the seam it
// serves while it exists: the skill actions' scripts.
#pragma once

// Installs the factory of the ScriptMgr start-up slot.
void InstallScriptGlobals();
