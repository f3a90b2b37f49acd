// The window layer's start-up slots that app/globals.cpp installs: the text
// input manager (made on the main window, its hidden control subclassed with
// the main window's edit procedure, the hotkeys registered, the first font as
// its default, the main window's input method detached, and the control
// reached by the main window's procedure through g_pEditControl), and its
// part of the step after the managers (the keyboard back to the main window).
#pragma once

void InstallUiGlobals();
