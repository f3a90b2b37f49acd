// CMainInterface ("Z5MAINWIN", image "MAIN_INTERFACE"): the fixed panel of
// the play screen. In the top-left corner the status block (pool bars, two
// rings, the state icon, the map number), three switchable number panels, the
// minimise button, walk and run and the chosen skill's icon; along the left
// edge the experience bar; on the right edge the bar of nine side buttons that
// open the panel windows (character info, equipment, combos, inventory,
// skills, team, options, club, event log). The bar slides out of sight and
// back, its buttons are reordered by dragging, and the order, the hidden bar
// and the panel shown are kept in "QM_Window.INF".
//
// The values it shows are the user's own character's (CCharData::m_values,
// as the status block fills them): the pools are the pairs (0, 1), (2, 3)
// and (5, 6); panel 0 shows those pairs, value 4 and the pair (7, 8); panel
// 1 the eight values 15-22; the experience bar the current, next and limit
// values 12, 13 and 14. Walk and run follow the character's run flag. The rings follow the attack (ring 1)
// and other (ring 2) skill uses: filling through the cast, draining through the pause after.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/base_object.h"
#include "ui/base_window.h"
#include "ui/button.h"
#include "ui/window_messages.h"
#include "world/chars/hud_windows.h"
#include "world/map/map_windows.h"

class CAniObject;
class CCharData;
class CToolTipWindow;

inline constexpr char MAIN_INTERFACE_NAME[] = "Z5MAINWIN";
inline constexpr char MAIN_INTERFACE_IMAGE[] = "MAIN_INTERFACE";
inline constexpr char SIDE_BUTTON_IMAGE[] = "SideButtons";
inline constexpr char CLUB_BAR_IMAGE[] = "ClubInter_BARS";
inline constexpr int32_t MAIN_INTERFACE_X = 3, MAIN_INTERFACE_Y = 2;
inline constexpr int SIDE_BUTTON_COUNT = 9;
// The window each side button id opens.
inline constexpr const char* SIDE_BUTTON_WINDOWS[SIDE_BUTTON_COUNT] = {
    "CharInfoWindow", "ItemEquipWindow",  "COMBO_WINDOW",    "ItemInventoryWindow", "SKILL_WINDOW",
    "TEAM_WINDOW",    "Z5_OPTION_WINDOW", "Club_BaseWindow", "EventLogWindow",
};
inline constexpr int SIDE_INVENTORY_ID = 3, SIDE_CLUB_ID = 7;
// The side bar slides this many pixels a frame.
inline constexpr int32_t SIDE_SLIDE_STEP = 45;
// Option bytes: the side buttons' layout (1: style 4), the panel shown.
inline constexpr size_t OPTION_SIDE_STYLE = OPTION_SIDE_BUTTON_STYLE;
inline constexpr size_t OPTION_PANEL_SHOWN = 12;

enum : int32_t {
    SIDE_BAR_SHOWN = 0,
    SIDE_BAR_SLIDING_IN = 1,
    SIDE_BAR_SLIDING_OUT = 2,
    SIDE_BAR_HIDDEN = 3,
};

// Gauges: pips of a pool bar (0-10), never a division by 0.
int32_t PoolPips(uint32_t current, uint32_t maximum);
// A ring's pips (0-5) from its three flags (filling, full, draining), two
// periods and two start times; clears the draining flag when it has run out.
struct RingGauge {
    uint8_t flags[3] = {};
    uint32_t periods[2] = {};
    uint32_t starts[2] = {};
};
int32_t RingPips(RingGauge& ring, uint32_t now);
// The ring of the data's attack (0) or other (1) skill uses.
RingGauge RingOfData(const CCharData& data, int ring);

class CMainInterface : public CBaseWindow,
                       public IHudMainWindow,
                       public IMainPanelHost,
                       public IMapMainInterface,
                       public IMainInterfaceWindow {
public:
    CMainInterface();
    ~CMainInterface() override;

    bool Create() override;
    // Deletes the images and the tooltip.
    bool Release() override;
    bool Draw() override;
    // To (3, 2); the layout once there is a character; the slide, the shake
    // and the blink.
    bool Update() override;
    // Minimised: only the buttons take points.
    bool UpdateRect() override;
    bool OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnMouseUp(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnKeyDown(uint32_t key, CBaseWindow* control) override;
    // Places every control and image; a dragged side button changes the order.
    bool SetPosition(int32_t x, int32_t y) override;
    bool SaveSettings(CLayoutWriter* writer) override;
    bool LoadSettings() override;

    void ShowNumberPanel(int panel);
    // The side buttons linked to the panel windows by id, in the saved order.
    void LoadLayout();
    // Attach: the first free side button takes the window (when no button
    // has it yet); detach: every button lets it go.
    void LinkSideButton(bool attach, CBaseWindow* window);

    // IMainInterfaceWindow.
    void StartBlink() override;
    void StopBlink() override;
    void ShakeItemButton() override;
    bool GetInventoryButtonPosition(int32_t* x, int32_t* y) override;
    void SetSkillIcon(int32_t skillRow) override;
    void SetStyle(uint8_t style) override;
    uint8_t GetStyle() override { return m_style; }
    void Minimize() override;
    void Restore() override;
    // IHudMainWindow.
    void ResetPanelState() override { m_orderRead = 0; }
    void UnlinkWindow(CBaseWindow* window) override { LinkSideButton(false, window); }
    // IMainPanelHost: a side button's window opens free.
    bool IsMainPanelWindow(CBaseWindow* window) override;
    // IMapMainInterface: an item of the field has come in.
    void RefreshFieldItems() override;

    // ---- Reading the state ----
    int32_t SlideState() const { return m_slideState; }
    int32_t SlideOffset() const { return m_slideOffset; }
    int32_t TotalHeight() const { return m_totalHeight; }
    bool IsMinimized() const { return m_minimized != 0; }
    bool IsOrderRead() const { return m_orderRead != 0; }
    int ShownPanel() const;
    float ShakeAmplitude() const { return m_shakeAmplitude; }
    float BlinkAmplitude() const { return m_blinkAmplitude; }
    int32_t BlinkPhase() const { return m_blinkPhase; }
    // Side button at display index i.
    CButton* SideButton(int i) const;
    CButton* HideButton() const;
    CButton* ShowButton() const;
    CButton* Control(const char* name) const;
    CAniObject* SkillIcon() const { return m_skillIcon.get(); }
    // The experience bar's fill bottom and marker y of the last draw.
    int32_t ExpFillBottom() const { return m_expFillBottom; }
    int32_t ExpMarkerY() const { return m_expMarkerY; }
    CToolTipWindow* ToolTip() const { return m_toolTip.get(); }

private:
    void CreateButtons();
    void CreateImages();
    void PlaceSideButtons();
    // The side button linked to the window (with that name), or null.
    CButton* SideButtonOf(const char* windowName) const;
    void SetSideButtonsInput(bool on);
    void StepSlide();
    void StepShake();
    void StepBlink();
    void DrawPoolBars(const CCharData& data);
    void DrawRoundGauges(CCharData& data);
    void DrawStateIcon(const CCharData& data);
    void DrawMapNumber();
    void DrawPanelNumbers(const CCharData* data);
    void DrawExpBar(const CCharData* data);

    uint8_t m_orderRead = 0;
    int32_t m_slideState = SIDE_BAR_SHOWN;
    int32_t m_slideOffset = 0;
    int32_t m_totalHeight = 0;
    uint8_t m_style = 2;
    std::unique_ptr<CAniObject> m_clubBar;
    std::unique_ptr<CAniObject> m_frames[3];
    std::unique_ptr<CAniObject> m_poolPips[3];
    std::unique_ptr<CAniObject> m_digit;
    std::unique_ptr<CAniObject> m_ringPips[2];
    std::unique_ptr<CAniObject> m_panelFrames[2];  // panel 1, panel 0
    std::unique_ptr<CAniObject> m_stateIcon;
    std::unique_ptr<CAniObject> m_topImage;
    std::unique_ptr<CAniObject> m_skillIcon;
    std::unique_ptr<CAniObject> m_expBack, m_expFill, m_expMarker, m_overlay;
    uint32_t m_overlaySuppress = 1;
    std::vector<CWeakRef> m_sideButtons;  // display order
    CWeakRef m_hideButton, m_showButton;
    uint8_t m_panels[3] = {};
    uint8_t m_minimized = 0;
    float m_shakeAmplitude = 0;
    int32_t m_shakePhase = 0;
    uint32_t m_shakeTime = 0;
    float m_blinkAmplitude = 0;
    int32_t m_blinkPhase = 1;
    uint32_t m_blinkTime = 0;
    std::unique_ptr<CToolTipWindow> m_toolTip;
    int32_t m_expFillBottom = 0, m_expMarkerY = 0;
};
