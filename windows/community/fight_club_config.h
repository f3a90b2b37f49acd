// The member picker of a club entry to the fight club ("FightClub_Config"):
// the club's members with a check box each, two filters, four sort orders
// and OK, which sends the chosen names with the manager's NPC id.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/base_window.h"
#include "windows/community/fight_club_windows.h"

class CAniObject;

// Message-box id of the picker's notices.
inline constexpr uint32_t FIGHT_CONFIG_BOX = 23;

class CFightClubConfig : public CBaseWindow, public IFightClubPicker {
public:
    static constexpr int32_t kVisibleRows = 5;
    static constexpr int32_t kTypes = 14;
    static constexpr uint32_t kBusyFlag = 0x200;

    struct Member {
        int32_t orderKey = 0;
        int32_t charType = 0;
        std::string name;
        int32_t level = 0;
        int32_t score = 0;
        int32_t grade = 0;  // 1 the club's master, 4 an applicant
        uint8_t available = 0;
        uint8_t online = 0;
        uint16_t mapNumber = 0;
        uint32_t stateFlags = 0;
        uint8_t selected = 0;
        bool IsMaster() const { return grade == 1; }
    };

    CFightClubConfig();
    ~CFightClubConfig() override;

    bool Create() override;
    bool Release() override;
    bool Draw() override;
    bool Update() override;
    bool ProcessMessages() override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool SetPosition(int32_t x, int32_t y) override;
    int32_t GetWidth() override { return ImageWidth(); }
    int32_t GetHeight() override { return ImageHeight(); }

    // Centred and shown for the manager's NPC, with only the master chosen.
    void OpenFor(uint32_t npcId) override;

    void SetLimit(int32_t limit) { m_limit = limit; }
    // Grade 4 is ignored; a known name is updated, a new one appended.
    void UpdateMember(const char* name, int32_t grade, uint32_t charId, int32_t level, int32_t orderKey,
                      int32_t score, uint16_t mapNumber, bool online, uint32_t stateFlags);
    void SetSortMode(int32_t mode);
    void SetAvailableOnly(bool on);
    // Toggles the choice of the shown row; false when it was refused.
    bool ToggleShown(size_t shownIndex);
    void SelectAll();
    void DeselectAll();
    // Sends the chosen members; false (and the notice) when the request
    // would not fit in one message.
    bool SendRequest();

    uint32_t GetNpcId() const { return m_npcId; }
    int32_t GetLimit() const { return m_limit; }
    int32_t GetSortMode() const { return m_sortMode; }
    bool IsAvailableOnly() const { return m_availableOnly != 0; }
    const std::vector<Member>& Members() const { return m_members; }
    // The members shown, in order, as indexes into Members().
    const std::vector<size_t>& Shown() const { return m_shown; }
    int32_t SelectedCount() const;
    // The shown row under (x, y) of the screen, or -1.
    int32_t ShownRowAt(int32_t x, int32_t y) const;

private:
    void Resort();
    void ShowLimitNotice();
    void ShowFilterButtons();
    void ShowSortButtons();
    int32_t ScrollTop() const;

    uint32_t m_npcId = 0;
    int32_t m_sortMode = 3;
    int32_t m_availableOnly = 1;
    int32_t m_limit = 4;
    std::vector<Member> m_members;
    std::vector<size_t> m_shown;
    std::unique_ptr<CAniObject> m_check;
    std::unique_ptr<CAniObject> m_icons[kTypes];
    CWeakRef m_close, m_ok, m_cancel, m_selectAll, m_deselectAll, m_showAll, m_showAvailable;
    CWeakRef m_sort[8];  // per order: the normal button, then the pressed look
    CWeakRef m_scrollBar;
};

// True when a club request with these names fits in one message.
bool FightClubRequestFits(const std::vector<const char*>& names);
