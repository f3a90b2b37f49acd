#include "tests/scenes/scene_windows.h"

#include "ui/window_mgr.h"

namespace scenetest {

namespace {

CWeakRef g_title, g_select, g_create;

template <class W>
CBaseWindow* MakeRecorded(CWeakRef& last) {
    auto* window = new W;
    last.Assign(window);
    return window;
}

}  // namespace

void RegisterTestWindows() {
    RegisterWindowClass(TITLE_SCREEN_WINDOW_NAME, [] { return MakeRecorded<TestTitleWindow>(g_title); });
    RegisterWindowClass(CHAR_SELECT_WINDOW_NAME, [] { return MakeRecorded<TestSelectWindow>(g_select); });
    RegisterWindowClass(CHAR_CREATE_WINDOW_NAME, [] { return MakeRecorded<TestCreateWindow>(g_create); });
}

TestTitleWindow* LastTitleWindow() {
    return g_title.GetAs<TestTitleWindow>();
}
TestSelectWindow* LastSelectWindow() {
    return g_select.GetAs<TestSelectWindow>();
}
TestCreateWindow* LastCreateWindow() {
    return g_create.GetAs<TestCreateWindow>();
}

}  // namespace scenetest
