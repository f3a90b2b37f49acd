// The scenes' start-up: the start scene joins the main manager after the cursor.
#pragma once

void InstallSceneGlobals();
