// CClubBaseWindow ("Club_BaseWindow"): the player's own club. Without a club
// it shows its empty face; while the player's application waits, the
// withdraw button; as a member, four main tabs over nine pages: the general
// information and the introduction, the members and the applicants, the
// rights the master grants, the notices, the log, leaving and dissolving.
//
// The server fills it (club information 118, the member list 119, one member
// 121 through the window manager; a club removed, a member gone, the notices,
// the club texts and a member's values through its port) and every action
// goes out as a club request (61) naming the club's number; while the number
// is 0 nothing is sent. The chat asks it whether club chat is allowed and
// sends club lines through it; the club dialogs set the emblem, a nickname
// and the auto-rank through it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/base_object.h"
#include "data/data_table.h"
#include "ui/base_window.h"
#include "ui/game_scene_windows.h"
#include "ui/window_messages.h"
#include "windows/community/club_rules.h"

class CAniObject;
class CButton;
class CEditBox;
class CScrollBar;
struct CDatedLine;

inline constexpr char CLUB_BASE_WINDOW_NAME[] = "Club_BaseWindow";
inline constexpr char CLUB_BASE_IMAGE[] = "ClubInter_BASE";

// Window states.
enum : int32_t { CLUB_STATE_NONE = 0, CLUB_STATE_APPLICANT = 1, CLUB_STATE_MEMBER = 2 };
// The nine pages.
enum : int32_t {
    CLUB_PAGE_GENERAL = 0,
    CLUB_PAGE_INTRO,
    CLUB_PAGE_MEMBERS,
    CLUB_PAGE_APPLICANTS,
    CLUB_PAGE_POWER,
    CLUB_PAGE_NOTICE,
    CLUB_PAGE_LOG,
    CLUB_PAGE_SECESSION,
    CLUB_PAGE_DISSOLUTION,
    CLUB_PAGE_COUNT
};
inline constexpr int32_t CLUB_WINDOW_WIDTH = 380, CLUB_WINDOW_HEIGHT = 262;
inline constexpr int32_t CLUB_MEMBER_ROWS = 5;
inline constexpr int32_t CLUB_APPLICANT_ROWS = 8;
inline constexpr int32_t CLUB_MEMBER_POPUP_ENTRIES = 8;
inline constexpr int32_t CLUB_APPLICANT_POPUP_ENTRIES = 3;
// Message-box reply ids: leave the club, expel the selected member.
inline constexpr uint32_t CLUB_BOX_LEAVE = 19, CLUB_BOX_EXPEL = 20;

class CClubBaseWindow : public CBaseWindow, public IClubBaseWindow, public IClubChat {
public:
    CClubBaseWindow();
    ~CClubBaseWindow() override;

    bool Create() override;
    bool Release() override;
    bool Show() override;
    bool Hide() override;
    bool Draw() override;
    bool Update() override;
    bool ProcessMessages() override;
    bool OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    bool OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) override;
    // The presentation mode: 1 free (close button), 2 docked (detach
    // button), 4 detached (detached button).
    bool SetStateValue(int32_t value) override;
    bool SetPosition(int32_t x, int32_t y) override;
    // The picture's bounds, or the frame's size while the picture is missing.
    bool UpdateRect() override;

    // ---- IClubBaseWindow: the server's club messages ----
    void SetClubInfo(const CClubInfoMsg& info) override;
    void SetMemberList(uint16_t count, uint32_t clubValue, const CClubMemberRecord* records) override;
    void UpdateMember(const CClubMemberMsg& member) override;

    // ---- IClubChat ----
    bool IsActionAllowed(int32_t category, int32_t action) override;
    void SendClubChat(const char* text) override;

    // ---- The player's standing ----
    bool IsMaster() const;
    bool IsSubLeader() const { return m_myGrade == CLUB_GRADE_SUB_LEADER; }
    // Flag n of the player's flag word; none while the master is online.
    bool HasPermission(int32_t n) const;
    // The first member of grade 1, or null.
    const char* GetMasterName() const;
    uint32_t FindMemberKey(const char* name) const;

    // ---- What the dialogs and other windows call ----
    // Sets the emblem (0 or the one held: nothing, false).
    bool GetClubMarkName(uint32_t emblem);
    // Sends the emblem when it changed.
    void SendClubMark(bool changed);
    // The nickname of the selected member.
    void SetNickname(const char* nickname);
    // The auto-rank setting: 4 (choice 0) or 8 (choice 1), plus 2 when checked.
    void SetAutoRank(bool check, int32_t choice);
    void SendMemberFlag(int32_t row, uint8_t flag);
    void AcknowledgeNotice(int32_t a, int32_t b);
    void OpenAutoRankWindow();

    // ---- The server's other messages (through the port) ----
    void OnClubRemoved(const char* clubName);
    void RemoveMemberByName(const char* name);
    void UpdateMemberValue(const char* name, uint32_t value, uint32_t points, uint32_t level);
    void SetClubText(uint8_t kind, const char* text);
    void FormatNotice(uint8_t kind, const std::vector<CDatedLine>& lines);

    // ---- Pages ----
    void SetState(int32_t state);
    void SetPage(int32_t mainTab, int32_t subTab);
    void SetSubPage();
    void RestoreEditTexts(int32_t page);

    // ---- Read by tests and the dialogs ----
    uint8_t GetClubNumber() const { return m_clubNumber; }
    const char* GetClubName() const { return m_clubName; }
    uint32_t GetMyGrade() const { return m_myGrade; }
    int32_t GetState() const { return m_state; }
    int32_t GetMainTab() const { return m_mainTab; }
    int32_t GetSubTab() const { return m_subTab; }
    uint32_t GetFlagWord() const { return m_myFlags; }
    uint32_t GetEditedFlagWord() const { return m_editedFlags; }
    void SetEditedFlagWord(uint32_t flags) { m_editedFlags = flags; }
    bool IsFlagWordLocked() const { return m_flagLock != 0; }
    bool IsMasterOnline() const { return m_masterOnline != 0; }
    bool HasVoteMarker() const { return m_voteMarker != 0; }
    bool HasDissolutionMarker() const { return m_dissolutionMarker != 0; }
    bool HasSecessionMarker() const { return m_secessionMarker != 0; }
    uint32_t GetPermissionWord() const { return m_permissions; }
    uint32_t GetEmblem() const { return m_emblem; }
    uint32_t GetClubLevel() const { return m_clubLevel; }
    uint32_t GetProgressPercent() const { return m_progress; }
    const std::string& GetProgressText() const { return m_progressText; }
    const std::vector<ClubMember>& Members() const { return m_members; }
    const std::vector<ClubApplicant>& Applicants() const { return m_applicants; }
    int32_t GetSelected() const { return m_selected; }
    int32_t GetScrollMaximum() const { return m_scrollMax; }
    int32_t GetScrollTop() const { return m_scrollTop; }
    void SetScrollTop(int32_t top) { m_scrollTop = top; }
    bool IsPopupOpen() const { return m_popupOpen != 0; }
    int32_t GetPopupEntry() const { return m_popupEntry; }
    const std::string& GetNoticeText() const { return m_notice; }
    const std::string& GetLogText() const { return m_log; }
    const std::string& GetClubText(int32_t which) const { return m_texts[which & 1]; }
    const std::string& GetStatusLine() const { return m_statusLine; }
    CButton* GetButton(const char* name) const;
    CEditBox* GetEditBox(int32_t which) const;
    // Whether the popup entry acts on the selected row now.
    bool IsPopupEntryAllowed(int32_t entry) const;
    // Runs a popup entry on the selected row.
    void RunPopupEntry(int32_t entry);
    // The OK button's settings request.
    void SendSettings();

private:
    void ClearClub();
    void CreateControls();
    void HidePageControls();
    void PlaceControls();
    void SetFace();
    void OnOwnEntry(const ClubMember& own, uint32_t flags);
    void AfterMemberChange();
    void SetApplicantFrom(const ClubMember& member, uint32_t seconds, bool update);
    void RemoveApplicant(int32_t index);
    void RemoveMember(int32_t index);
    void RecomputeProgress();
    void SetScrollMaximum(int32_t maximum);
    void StoreEdits();
    void StartBlink();
    void StopBlink();
    void OpenPopup(int32_t x, int32_t y);
    int32_t PopupEntryAt(int32_t x, int32_t y) const;
    int32_t RowAt(int32_t x, int32_t y) const;
    void ClickPage(int32_t button, int32_t x, int32_t y);
    void OpenMemberChat(const char* name);
    void AskLeave();
    void DrawGeneral();
    void DrawMembers();
    void DrawApplicants();
    void DrawPower();
    void DrawTextPage(const std::string& text);
    void DrawPopup();
    void Text(int32_t x, int32_t y, const char* text, uint32_t colour = 0xFFFFFF);
    const ClubMember* Selected() const;
    const char* OwnName() const;

    // Club information.
    uint8_t m_clubNumber = 0;
    char m_clubName[64] = {};
    char m_secondName[64] = {};
    char m_thirdText[64] = {};
    uint32_t m_myGrade = 0;
    int32_t m_state = CLUB_STATE_NONE;
    int32_t m_mainTab = 0, m_subTab = 0;
    uint32_t m_myFlags = 0, m_editedFlags = 0;
    uint8_t m_flagLock = 0, m_masterOnline = 0;
    uint8_t m_dissolutionMarker = 0, m_voteMarker = 0, m_secessionMarker = 0;
    uint32_t m_permissions = 0;
    uint32_t m_emblem = 0;
    uint32_t m_clubLevel = 0, m_clubPoints = 0;
    uint32_t m_percentage = 0;
    uint32_t m_countFigure = 0;
    uint32_t m_figures[2] = {};
    uint32_t m_progress = 0;
    std::string m_progressText;
    std::string m_minLevel = "1", m_maxLevel = "255", m_homepage, m_introduction;
    std::string m_notice, m_log, m_texts[2];
    std::string m_statusLine;
    std::vector<ClubMember> m_members;
    std::vector<ClubApplicant> m_applicants;
    // View.
    int32_t m_selected = -1;
    int32_t m_scrollTop = 0, m_scrollMax = 0;
    uint8_t m_popupOpen = 0;
    int32_t m_popupEntry = -1;
    int32_t m_popupX = 0, m_popupY = 0;

    CDataTable m_levels;
    CWeakRef m_scrollBar;
    CWeakRef m_edits[5];  // min level, max level, homepage, introduction, notice
    std::unique_ptr<CAniObject> m_bars[2];
    std::unique_ptr<CAniObject> m_popups[3];
    std::unique_ptr<CAniObject> m_face;
    std::unique_ptr<CAniObject> m_mark;
    std::unique_ptr<CAniObject> m_checks[2];
};

// The one club window, or null.
CClubBaseWindow* FindClubBaseWindow();
