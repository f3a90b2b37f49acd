// The window manager ("UI kernel") is not part of the program yet: until it
// is, the map has no windows to talk to and every call here does nothing.
#include "world/map/map_windows.h"

namespace mapwin {

void HideAllWindows() {}
void CloseMessageBoxes() {}
void PostToEveryWindow(uint32_t) {}
void ResetSystemWindow() {}
void ShowComboTimer(bool) {}
void SetWorldMapLocation(int32_t) {}
void RefreshMainInterface() {}
void CreateMinimapWindow() {}
void CloseMinimapWindow() {}
void LoadMinimapData(uint16_t) {}

}  // namespace mapwin
