// The life of the process: options, configuration and command line, the data
// files, the main window, the global objects, the frame loop and the orderly
// shutdown. The global objects of the higher layers come from the factories
// installed in their slots (core/global_objects.h).
#pragma once

// Exit status of the process.
enum : int { EXIT_NORMAL = 0, EXIT_STARTUP_FAILED = 1 };

// Runs the program. 0 after a normal end (also when the command line does not
// ask for server mode: nothing is opened then); non-zero when a start-up step
// failed.
int RunApplication();
// Timer resolution, the socket library, the global message queue, the device
// set, the input manager, CMainMgr and every global manager in their fixed
// order. False when a required step failed.
bool InitApplication();
// Deletes every global object that exists, in the fixed order. True.
bool ShutdownApplication();
