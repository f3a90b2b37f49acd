#include "windows/community/community_startup.h"

#include "ui/window_mgr.h"

void InstallCommunityWindowClasses() {
    // Each community window adds its RegisterWindowClass line here.
}
