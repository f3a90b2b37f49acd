// CFortressBoardWin ("FORTRESS_BOARD_WIN"): the notice board of a fortress
// that clubs fight over. It shows the fortress's name and state, one or two
// clubs with their names, emblems and figures, the clubs that proclaimed war
// (at most 8), and lets a club master proclaim war or withdraw. Opening it
// asks the server (72/0, 72/2); the board's records and its list of names
// arrive in its port.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/base_object.h"
#include "data/data_table.h"
#include "ui/base_window.h"

class CAniObject;
class CButton;
class CFortressBoardMsg;
struct CFortressClub;

inline constexpr char FORTRESS_BOARD_WINDOW_NAME[] = "FORTRESS_BOARD_WIN";
inline constexpr size_t FORTRESS_PROCLAIMED_MAX = 8;
inline constexpr uint32_t FORTRESS_PORTRAITS = 4;
// The proclamation question's answer parameter.
inline constexpr uint32_t FORTRESS_BOX_PROCLAIM = 29;
// Data table 117: the fortresses (a name, then the two item choices).
inline constexpr int FORTRESS_TABLE = 117;

// Board states.
enum : uint32_t {
    FORTRESS_STATE_NONE = 0,
    FORTRESS_STATE_NAME = 1,
    FORTRESS_STATE_TWO_CLUBS = 2,
    FORTRESS_STATE_WAR = 3,
    FORTRESS_STATE_ONE_CLUB = 4,
};

// A club as the board keeps it.
struct FortressClub {
    std::string name;
    uint8_t present = 0;
    uint8_t figure1 = 0, figure2 = 0, figure3 = 0;
    uint32_t emblem = 0;
    uint16_t figure4 = 0;
    uint32_t figure5 = 0, figure6 = 0;
    uint8_t item = 0;  // 0 none, 1-3 one of the first three portraits
};

class CFortressBoardWin : public CBaseWindow {
public:
    CFortressBoardWin();
    ~CFortressBoardWin() override;

    bool Create() override;
    bool Release() override;
    bool Show() override;
    bool Draw() override;
    bool ProcessMessages() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;
    bool UpdateRect() override;
    // The board's size: centring on the screen reads it.
    int32_t GetWidth() override;
    int32_t GetHeight() override;

    // Builds the four portraits from the monster table's rows of their ids.
    void CreatePortraits();
    // A board record: 1 name only, 4 one club, 2 two clubs, 3 war (by its id).
    void SetBoard(const CFortressBoardMsg& record);
    // The proclaimed clubs, the first 8 kept; then the buttons.
    void SetProclaimed(const std::vector<std::string>& names);
    // Brings the three buttons up to date by the state held.
    void UpdateButtons();
    // The proclamation button: at once, or after the question.
    void Proclaim();

    uint32_t GetState() const { return m_state; }
    const std::string& GetFortressName() const { return m_name; }
    const FortressClub& GetClub(int which) const { return m_clubs[which & 1]; }
    const std::vector<std::string>& GetProclaimed() const { return m_proclaimed; }
    uint32_t GetPortraitId(uint32_t i) const { return i < FORTRESS_PORTRAITS ? m_portraitIds[i] : 0; }
    CAniObject* GetPortrait(uint32_t i) const;
    CButton* GetButton(const char* name) const;

private:
    void SendCancelWar();
    void SetFace(uint8_t direction);
    int32_t FortressRow() const;
    void DrawFortressItems(int32_t row);
    void DrawClub(const FortressClub& club, int32_t top);
    void DrawItem(uint8_t choice, int32_t x, int32_t y);
    void Text(int32_t x, int32_t y, const char* text, uint32_t colour = 0xFFFFFF);

    uint32_t m_state = FORTRESS_STATE_NONE;
    std::string m_name;
    FortressClub m_clubs[2];
    uint32_t m_warValue = 0;
    std::vector<std::string> m_proclaimed;
    CDataTable m_fortresses;
    uint32_t m_portraitIds[FORTRESS_PORTRAITS] = {};
    std::unique_ptr<CAniObject> m_portraits[FORTRESS_PORTRAITS];
    std::unique_ptr<CAniObject> m_marks[2];
    std::unique_ptr<CAniObject> m_frames[2];
    CWeakRef m_close, m_proclaim, m_cancelWar, m_inProgress;
};
