#include "windows/play/play_startup.h"

#include "ui/scene_windows.h"
#include "ui/window_mgr.h"
#include "windows/play/char_create_window.h"
#include "windows/play/char_select_window.h"
#include "windows/play/title_screen.h"

void InstallPlayWindowClasses() {
    RegisterWindowClass(TITLE_SCREEN_WINDOW_NAME, [] { return static_cast<CBaseWindow*>(new CTitleScreen); });
    RegisterWindowClass(CHAR_SELECT_WINDOW_NAME,
                        [] { return static_cast<CBaseWindow*>(new CCharSelectWindow); });
    RegisterWindowClass(CHAR_CREATE_WINDOW_NAME,
                        [] { return static_cast<CBaseWindow*>(new CCharCreateWindow); });
}
