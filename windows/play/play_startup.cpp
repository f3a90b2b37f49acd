#include "windows/play/play_startup.h"

#include "ui/window_mgr.h"
#include "windows/play/title_screen.h"

void InstallPlayWindowClasses() {
    RegisterWindowClass(TITLE_SCREEN_WINDOW_NAME, [] { return static_cast<CBaseWindow*>(new CTitleScreen); });
}
