#include "windows/features/features_startup.h"

#include "ui/window_mgr.h"

void InstallFeatureWindowClasses() {
    // Each feature window adds its RegisterWindowClass line here.
}
