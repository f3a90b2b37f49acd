// Puts the network into the program: the socket library is started and
// released at its place in start-up and shutdown, the firewall step runs after
// the main window is made, the connection is deleted at shutdown, the game
// session's receive pump runs once per frame, and the main window passes the
// socket notifications on to the session.
#pragma once

// Installs the global-object factories and frame hooks of the network.
void InstallNetwork();

// Starts the socket library (version 2.2) and routes its notifications to the
// main window's queue; false after the error box when it cannot.
bool StartSocketLibrary();
void StopSocketLibrary();
// Whether the socket notifications are polled with the window messages (from
// the socket library's start to its release).
bool HasSocketPumpHook();
