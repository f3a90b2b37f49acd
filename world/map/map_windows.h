// What the map asks of the windows: the window manager's calls and the
// windows it looks up by identifier ("SYSTEM_WINDOW", "ComboTimer",
// "World_Map_Interface", "Z5MAINWIN") or makes through the window manager's
// table of window classes ("MINIMAP_WINDOW"). Each window class implements
// the small interface of what the map asks of it. Without the window manager,
// or a window, the call does nothing.
#pragma once
#include <cstdint>

// "SYSTEM_WINDOW": leaves game-over mode when a map is entered.
class IMapSystemWindow {
public:
    virtual ~IMapSystemWindow() = default;
    virtual void SetGameOverMode(bool on) = 0;
};

// "Z5MAINWIN": refreshed when an item of the field's slots has finished.
class IMapMainInterface {
public:
    virtual ~IMapMainInterface() = default;
    virtual void RefreshFieldItems() = 0;
};

// "MINIMAP_WINDOW": the minimap the map makes, and the minimap file it shows.
class IMinimapWindow {
public:
    virtual ~IMinimapWindow() = default;
    virtual void LoadMinimapData(uint16_t number) = 0;
};

namespace mapwin {

inline constexpr char kMinimapWindow[] = "MINIMAP_WINDOW";
inline constexpr char kSystemWindow[] = "SYSTEM_WINDOW";
inline constexpr char kComboTimer[] = "ComboTimer";
inline constexpr char kWorldMapWindow[] = "World_Map_Interface";
inline constexpr char kMainInterface[] = "Z5MAINWIN";
// The message every window gets when the map is released, and the one the
// window manager keeps for the world map until it exists.
inline constexpr uint32_t kMapReleasedEvent = 85;
inline constexpr uint32_t kWorldMapLocationEvent = 127;

void HideAllWindows();
void CloseMessageBoxes();
void PostToEveryWindow(uint32_t eventId);
// The system window leaves game-over mode and hides.
void ResetSystemWindow();
void ShowComboTimer(bool show);
// The world map's current location, or message 127 for it when it does not exist yet.
void SetWorldMapLocation(int32_t stageNumber);
void RefreshMainInterface();
// The minimap window made by the map (added to the window manager) and closed with it.
void CreateMinimapWindow();
void CloseMinimapWindow();
void LoadMinimapData(uint16_t number);

}  // namespace mapwin
