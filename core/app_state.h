// Process-wide state of the running program, kept by start-up, the main
// window procedure and the frame loop.
#pragma once
#include <cstdint>

#include "platform/window.h"

class CLockedMsgObject;

extern bool g_quit;                          // the program is to end
extern bool g_active;                        // the main window is the active window
extern plat::WindowHandle g_hMainWnd;        // null while there is none
extern CLockedMsgObject* g_pGlobalMsgQueue;  // the global message queue
extern uint8_t g_cipherMode;                 // 1 once start-up is done; read by the connection
// Switches of the game screen: the frame rate in its clock line ("/SHOWFPS"),
// the screen held dark by an event command, the stage grid drawn.
extern uint8_t g_showFrameRate;
extern uint8_t g_darkScreen;
extern uint8_t g_showStageGrid;
// Rows 14-27 of text table 0, copied at start-up for the world and effect code,
// and a zeroed work area of theirs.
extern char g_textBuffers[14][64];
extern uint8_t g_workArea[1000];
// The character the player entered the game with (set by the character select window).
extern char g_currentCharName[100];
