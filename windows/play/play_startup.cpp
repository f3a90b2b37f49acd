#include "windows/play/play_startup.h"

#include "ui/scene_windows.h"
#include "ui/window_mgr.h"
#include "windows/play/char_create_window.h"
#include "windows/play/char_select_window.h"

void InstallPlayWindowClasses() {
    RegisterWindowClass(CHAR_SELECT_WINDOW_NAME,
                        [] { return static_cast<CBaseWindow*>(new CCharSelectWindow); });
    RegisterWindowClass(CHAR_CREATE_WINDOW_NAME,
                        [] { return static_cast<CBaseWindow*>(new CCharCreateWindow); });
}
