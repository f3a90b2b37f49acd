// The fight club's windows: the manager ("FightClub_Manager") with the
// arena's figures and the two entry requests, the two waiting windows
// ("FightClub_WaitWin" for a single entry, "FightClubCVCWaitWin" for a club
// entry) and the start notice ("FightClubNoticeWin") that holds the player's
// skills while the match is about to begin.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/base_window.h"
#include "world/chars/hud_windows.h"

class CAniObject;
class CButton;
class CScrollBar;

inline constexpr char FIGHT_MANAGER_WINDOW_NAME[] = "FightClub_Manager";
inline constexpr char FIGHT_CONFIG_WINDOW_NAME[] = "FightClub_Config";
inline constexpr char FIGHT_WAIT_WINDOW_NAME[] = "FightClub_WaitWin";
inline constexpr char FIGHT_CVC_WAIT_WINDOW_NAME[] = "FightClubCVCWaitWin";
inline constexpr char FIGHT_NOTICE_WINDOW_NAME[] = "FightClubNoticeWin";

// Animations of the arena's windows.
inline constexpr uint32_t FIGHT_SMALL_FRAME_ANI = 3011;  // the single waiting window, close/minimize
inline constexpr uint32_t FIGHT_CONFIG_ANI = 3013;
inline constexpr uint32_t FIGHT_MANAGER_ANI = 3014;
inline constexpr uint32_t FIGHT_CVC_WAIT_ANI = 3015;
inline constexpr uint32_t FIGHT_NOTICE_ANI = 3240;

// Message-box ids of the two leave confirmations.
inline constexpr uint32_t FIGHT_WAIT_BOX = 21, FIGHT_CVC_WAIT_BOX = 22;

// The member picker ("FightClub_Config") of a club entry: opened by the
// manager for its NPC.
class IFightClubPicker {
public:
    virtual ~IFightClubPicker() = default;
    virtual void OpenFor(uint32_t npcId) = 0;
};

class CFightClubManager : public CBaseWindow {
public:
    CFightClubManager();
    ~CFightClubManager() override;

    bool Create() override;
    bool Draw() override;
    bool Update() override;
    bool ProcessMessages() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;
    int32_t GetWidth() override { return ImageWidth(); }
    int32_t GetHeight() override { return ImageHeight(); }

    void SetFigures1(int32_t a, int32_t b, int32_t c, int32_t d);
    void SetFigures2(int32_t a, int32_t b, int32_t c, int32_t d);
    void SetAmounts(uint32_t a, uint32_t b);
    void SetClubMaster(const char* name);
    void SetCvcLocked(uint8_t flag) { m_cvcLocked = flag; }
    void SetNpcId(uint32_t npcId) { m_npcId = npcId; }

    uint32_t GetNpcId() const { return m_npcId; }
    // The club request is allowed: the player is the club's master and the
    // club entry is not locked.
    bool CvcAllowed() const;
    const std::string& GetClubMaster() const { return m_clubMaster; }

private:
    void Text(int32_t x, int32_t y, const char* text) const;
    void CentredText(int32_t x, int32_t y, const std::string& text) const;

    uint32_t m_npcId = 0;
    int32_t m_figures[2][4] = {};
    uint32_t m_amountA = 0, m_amountB = 0;
    std::string m_clubMaster;
    uint8_t m_cvcLocked = 0;
    CWeakRef m_buttons[3];  // close, single request, club request
};

// The single waiting window; the club waiting window is the same family with
// a list of the club members who wait.
class CFightClubWaitWin : public CBaseWindow {
public:
    CFightClubWaitWin();
    ~CFightClubWaitWin() override;

    bool Create() override;
    bool Show() override;
    bool Draw() override;
    bool ProcessMessages() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;
    int32_t GetWidth() override { return ImageWidth(); }
    int32_t GetHeight() override { return ImageHeight(); }

    void SetNumbers(int32_t p, int32_t q);
    // Back to full size.
    void Restore();
    void SetMinimized(bool on);

    bool IsMinimized() const { return m_minimized != 0; }
    uint32_t GetNpcId() const { return m_npcId; }
    int32_t GetP() const { return m_p; }
    int32_t GetQ() const { return m_q; }

    // What tells the two waiting windows apart.
    struct Family {
        const char* name;
        uint32_t animation;
        const char* close;
        const char* minimize;
        int closeTipRow, confirmRow;
        uint32_t boxId;
        uint8_t reply;  // the value of the leave reply; 1 for the club window
        int32_t closeAt[2], minimizeAt[2];
        int32_t nameAt[2], numbersAt[2][2];  // the player's name; P and Q (centred)
    };

protected:
    explicit CFightClubWaitWin(const Family& family);
    virtual void OnLeft() {}
    virtual void DrawBody();
    void Text(int32_t x, int32_t y, const char* text, uint32_t colour) const;
    void CentredText(int32_t x, int32_t y, const char* text) const;

    const Family& m_family;
    int32_t m_minimized = 0;
    int32_t m_p = 0, m_q = 0;
    uint32_t m_npcId = 0;
    CWeakRef m_close, m_minimize;
    CWeakRef m_scrollBar;
};

class CFightClubCVCWaitWin : public CFightClubWaitWin {
public:
    CFightClubCVCWaitWin();
    ~CFightClubCVCWaitWin() override;

    bool Create() override;
    bool Release() override;

    // With flag 0x400 the member waits (listed once); without it he leaves
    // the list.
    void UpdateEntry(const char* name, uint32_t flags, int32_t level);
    struct Entry {
        std::string name;
        int32_t level = 0;
    };
    const std::vector<Entry>& Entries() const { return m_entries; }

private:
    void OnLeft() override;
    void DrawBody() override;
    void SetListMaximum();

    int32_t m_visibleRows = 4;
    std::vector<Entry> m_entries;
};

// The segment of the start count after the one of this direction has played:
// motion -1 when none follows; last marks the closing segment.
struct FightNoticeSegment {
    int32_t motion = -1;
    uint8_t direction = 0;
    bool last = false;
};
FightNoticeSegment NextFightNoticeSegment(uint8_t finished);

class CFightClubNoticeWin : public CBaseWindow, public IFightClubNotice {
public:
    CFightClubNoticeWin();
    ~CFightClubNoticeWin() override;

    bool Create() override;
    bool Release() override;
    bool Draw() override;
    bool Update() override;

    // The still picture; holds the player's skills.
    void Reset() override;
    // The count to the start.
    void Start() override;

    int32_t GetState() const { return m_state; }
    CAniObject* Notice() const { return m_notice.get(); }

private:
    void Play(uint8_t motion, uint8_t direction, bool loop);

    int32_t m_state = 0;
    uint32_t m_startTime = 0;
    std::unique_ptr<CAniObject> m_notice;
};
