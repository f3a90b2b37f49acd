// What the windows of the way in share: the OK box and the new link to the
// login server.
#pragma once

// An OK box with the text, added to the window manager and activated
// (nothing without a window manager).
void ShowOkMessageBox(const char* text);
// Closes the connection there is, resets the session and connects to the
// configured login server (the connection is made when there is none).
void ReconnectToLoginServer();
