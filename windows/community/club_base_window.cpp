#include "windows/community/club_base_window.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/config.h"
#include "core/message.h"
#include "core/util.h"
#include "data/text_format.h"
#include "data/text_tables.h"
#include "graphics/direct_draw.h"
#include "graphics/rich_text.h"
#include "graphics/text_renderer.h"
#include "net/game_session.h"
#include "net/handlers/window_records.h"
#include "ui/button.h"
#include "ui/edit_box.h"
#include "ui/message_box.h"
#include "ui/scroll_bar.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"
#include "windows/community/community_images.h"
#include "windows/community/community_windows.h"
#include "world/chars/char.h"
#include "world/chars/char_mgr.h"

namespace {

constexpr int kTexts = 14;
constexpr int kRowNoClub = 416, kRowApplicant = 417, kRowLevelRange = 426, kRowNoEmblemBit = 432;
constexpr int kRowEmblemHeld = 429, kRowMaster = 433, kRowSubLeader = 490;
constexpr int kRowLeave = 439, kRowExpel = 663;
constexpr int kMemberPopupRows[CLUB_MEMBER_POPUP_ENTRIES] = {421, 422, 423, 424, 456, 425, 491, 492};
constexpr int kApplicantPopupRows[CLUB_APPLICANT_POPUP_ENTRIES] = {418, 419, 420};
constexpr int kTipRows[3] = {2, 0, 1};
constexpr int kFieldTipRows[5] = {409, 410, 412, 430, 431};

constexpr char kClose[] = "CLUBBASE_CLOSE_BUTTON";
constexpr char kDetach[] = "CLUBBASE_DETACH_BUTTON";
constexpr char kDetached[] = "CLUBBASE_DETACHED_BUTTON";
constexpr char kOk[] = "CLUBBASE_OK_BTN";
constexpr char kNickOk[] = "CLUBBASE_NICKOK_BTN";
constexpr char kNickCancel[] = "CLUBBASE_NICKCANCEL_BTN";
constexpr char kConfirm[] = "CLUBBASE_CONFIRM_BTN";
constexpr char kSend[] = "CLUBBASE_SEND_BTN";
constexpr char kRequestSecession[] = "CLUBBASE_REQUEST_SECESSION_BTN";
constexpr char kCancelSecession[] = "CLUBBASE_CANCEL_SECESSION_BTN";
constexpr char kSecession[] = "CLUBBASE_SECESSION_BTN";
constexpr char kRequestDissolution[] = "CLUBBASE_REQUEST_DISSOLUTION_BTN";
constexpr char kCancelDissolution[] = "CLUBBASE_CANCEL_DISSOLUTION_BTN";
constexpr char kDissolutionOk[] = "CLUBBASE_DISSOLUTION_OK_BTN";
constexpr char kClubDissolution[] = "CLUBBASE_CLUB_DISSOLUTION_BTN";
constexpr char kCancelJoin[] = "CLUBBASE_CANCEL_JOIN_BTN";
constexpr const char* kMainTabs[4] = {"CLUBBASE_INFOTAB_BTN", "CLUBBASE_MEMBERTAB_BTN",
                                      "CLUBBASE_SUBLEADERTAB_BTN", "CLUBBASE_ETCTAB_BTN"};
constexpr int32_t kMainTabFirstPage[4] = {CLUB_PAGE_GENERAL, CLUB_PAGE_MEMBERS, CLUB_PAGE_POWER,
                                          CLUB_PAGE_NOTICE};
constexpr const char* kSubTabs[CLUB_PAGE_COUNT] = {
    "CLUBBASE_GENERAL_SUBTAB_BTN", "CLUBBASE_INTRO_SUBTAB_BTN",     "CLUBBASE_MEMBER_SUBTAB_BTN",
    "CLUBBASE_JOIN_SUBTAB_BTN",    "CLUBBASE_POWER_SUBTAB_BTN",     "CLUBBASE_NOTICE_SUBTAB_BTN",
    "CLUBBASE_LOG_SUBTAB_BTN",     "CLUBBASE_SECESSION_SUBTAB_BTN", "CLUBBASE_DISSOLUTION_SUBTAB_BTN"};
// The main tab of each page.
constexpr int32_t kPageTab[CLUB_PAGE_COUNT] = {0, 0, 1, 1, 2, 3, 3, 3, 3};
// The page buttons and their motions of "ClubInter_BUTTONS".
struct PageButton {
    const char* name;
    uint8_t motion;
};
constexpr PageButton kPageButtons[] = {{kOk, 0},
                                       {kNickOk, 0},
                                       {kNickCancel, 1},
                                       {kConfirm, 2},
                                       {kSend, 3},
                                       {kRequestSecession, 4},
                                       {kCancelSecession, 5},
                                       {kSecession, 6},
                                       {kRequestDissolution, 7},
                                       {kCancelDissolution, 8},
                                       {kDissolutionOk, 9},
                                       {kClubDissolution, 12},
                                       {kCancelJoin, 13}};
// Motions of "CommonIcons": close, detach, detached.
constexpr uint8_t kFrameButtonMotions[3] = {1, 7, 0};
constexpr uint8_t kSubTabMotionBase = 8;
// Motions of "ClubInter_BUTTONS" the window keeps as images.
constexpr uint8_t kCheckOffMotion = 10, kCheckOnMotion = 11;

// Places, from the window's corner.
constexpr int32_t kFrameButtonX = 353, kFrameButtonY = 4;
constexpr int32_t kCancelJoinX = 280, kCancelJoinY = 211;
constexpr int32_t kTabY = 33, kTabX[4] = {5, 54, 103, 152};
constexpr int32_t kSubTabY = 54, kSubTabX[CLUB_PAGE_COUNT] = {10, 72, 10, 72, 10, 10, 72, 134, 196};
constexpr int32_t kPageButtonX = 300, kPageButtonY = 236, kPageButtonStep = 64;
constexpr int32_t kScrollX = 358, kScrollTop = 72, kScrollBottom = 232;
constexpr int32_t kRowLeft = 54, kRowRight = 356, kMemberTop = 74, kMemberStep = 31;
constexpr int32_t kApplicantLeft = 53, kApplicantTop = 74, kApplicantStep = 19;
constexpr WindowRect kMinField{112, 121, 190, 141}, kMaxField{233, 121, 311, 141};
constexpr WindowRect kHomepageField{112, 149, 372, 170}, kEmblemSquare{336, 86, 359, 109};
constexpr WindowRect kIntroArea{52, 73, 371, 226}, kNoticeArea{52, 183, 318, 228};
constexpr WindowRect kProgressBar{112, 71, 311, 74};
constexpr WindowRect kFieldTips[5] = {
    {112, 86, 311, 106}, kMinField, kMaxField, kHomepageField, {112, 178, 311, 198}};
constexpr int32_t kPopupRowTop = 30, kPopupRowHeight = 15, kPopupSide = 5, kPopupWidth = 110;
constexpr int32_t kCheckLeftX = 65, kCheckRightX = 164, kCheckY[4] = {84, 114, 144, 174}, kCheckSize = 14;
constexpr int32_t kTextX = 54, kTextY = 77, kTextLines = 10;
constexpr uint8_t kPageGeometry[5] = {50, 50, 50, 50, 50};
constexpr int32_t kNoticeLinesWriting = 6;
constexpr int kFont = 0;
constexpr uint32_t kWhite = 0xFFFFFF, kGrey = 0xA0A0A0, kGold = 0x60D0F0;
constexpr uint8_t kShadow = 2;

constexpr uint32_t kFlagNotice = 4, kFlagLog = 5, kFlagVote = 6, kFlagSecession = 7, kFlagApplicant = 8;
constexpr uint32_t kFlagLevels = 12, kFlagHomepage = 13, kFlagIntro = 14, kFlagWrite = 15;
constexpr uint32_t kFlagAutoRank = 17, kFlagApplicants = 19;
constexpr uint32_t kClubBitAccept = 0x1, kClubBitExpel = 0x2, kClubBitVote = 0x4, kClubBitSecession = 0x10;
constexpr uint32_t kClubBitNotice = 0x40, kClubBitFlags = 0x100, kClubBitEmblem = 0x1000,
                   kClubBitNick = 0x4000;
constexpr uint32_t kPowerBits[2][4] = {{0x800, 0x1000, 0x2000, 0x4000}, {0x8000, 0x10000, 0x20000, 0x40000}};

bool Flag(uint32_t word, uint32_t n) {
    return n >= 1 && n <= 32 && ((word >> (n - 1)) & 1u) != 0;
}

bool Online() {
    return g_config.m_useServer;
}

void ShowIf(CBaseWindow* control, bool on) {
    if (!control) return;
    if (on)
        control->Show();
    else
        control->Hide();
}

// Drawn, but takes no input.
void DrawOnly(CBaseWindow* control) {
    if (!control) return;
    control->Hide();
    control->SetDrawOn(true);
}

template <size_t N>
void Terminate(char (&text)[N]) {
    text[N - 1] = '\0';
}

bool In(const WindowRect& rect, int32_t x, int32_t y) {
    return rect.Contains(x, y);
}

ClubMember MemberOfRecord(const CClubMemberRecord& r) {
    ClubMember m;
    CopyRecordText(m.name, r.m_firstName);
    CopyRecordText(m.nickname, r.m_secondName);
    m.grade = r.m_a;
    m.order = r.m_e;
    m.online = r.m_f != 0 ? 1 : 0;
    m.status[0] = r.m_p;
    m.status[1] = r.m_q;
    m.status[2] = r.m_r;
    m.charType = GetCharTypeIndex(r.m_b);
    m.level = r.m_k;
    m.points = r.m_h;
    return m;
}

}  // namespace

CClubBaseWindow* FindClubBaseWindow() {
    return g_pWindowMgr
               ? dynamic_cast<CClubBaseWindow*>(g_pWindowMgr->FindWindowByName(CLUB_BASE_WINDOW_NAME))
               : nullptr;
}

CClubBaseWindow::CClubBaseWindow() {
    CClubBaseWindow::Create();
}

CClubBaseWindow::~CClubBaseWindow() {
    CClubBaseWindow::Release();
}

bool CClubBaseWindow::Create() {
    CBaseWindow::Create();
    const uint32_t image = FindAniByName(CLUB_BASE_IMAGE);
    CreateNamedWithAni(WINDOW_DRAG_TYPE, CLUB_BASE_WINDOW_NAME, image, image == 0);
    SetKindId(0);
    m_draggable = 1;
    m_levels.LoadDataTable(CLUB_LEVEL_TABLE);
    CreateControls();
    m_bars[0] = MakeCommunityImage("ClubInter_BARS", 0, 2);
    m_bars[1] = MakeCommunityImage("ClubInter_BARS", 1, 2);
    for (int i = 0; i < 3; ++i)
        m_popups[i] = MakeCommunityImage("ClubInter_POPUP", uint8_t(i == 2 ? 4 : i), 2);
    m_checks[0] = MakeCommunityImage("ClubInter_BUTTONS", kCheckOffMotion, 2);
    m_checks[1] = MakeCommunityImage("ClubInter_BUTTONS", kCheckOnMotion, 2);
    m_face = MakeCommunityImage("Club_Face", 0, 2);
    m_mark.reset();
    ClearClub();
    SetState(CLUB_STATE_NONE);
    CBaseWindow::Hide();
    CClubBaseWindow::SetPosition(0, 0);
    return true;
}

bool CClubBaseWindow::Release() {
    if (g_pWindowMgr)
        if (CBaseWindow* marks = g_pWindowMgr->FindWindowByName(CLUB_MARK_WINDOW_NAME)) marks->Hide();
    for (auto& bar : m_bars) bar.reset();
    for (auto& popup : m_popups) popup.reset();
    for (auto& check : m_checks) check.reset();
    m_face.reset();
    m_mark.reset();
    m_levels.Release();
    return CBaseWindow::Release();
}

void CClubBaseWindow::CreateControls() {
    const uint32_t common = FindAniByName("CommonIcons");
    const char* frame[3] = {kClose, kDetach, kDetached};
    for (int i = 0; i < 3; ++i) {
        CButton* button = MakeChildButton(frame[i], this, common, kFrameButtonMotions[i]);
        button->SetToolTip(true, GetTableText(kTexts, kTipRows[i]), WINDOW_TOOLTIP_PARAM);
    }
    const uint32_t buttons = FindAniByName("ClubInter_BUTTONS");
    for (const PageButton& b : kPageButtons) MakeChildButton(b.name, this, buttons, b.motion);
    const uint32_t tabs = FindAniByName("ClubInter_TABBTN");
    for (int i = 0; i < 4; ++i) MakeChildButton(kMainTabs[i], this, tabs, uint8_t(2 * i));
    for (int i = 0; i < CLUB_PAGE_COUNT; ++i)
        MakeChildButton(kSubTabs[i], this, tabs, uint8_t(kSubTabMotionBase + i));
    struct EditSpec {
        const char* name;
        uint32_t limit;
        const char* text;
    };
    const EditSpec edits[5] = {{"CLUBBASE_MIN_LEVEL_EDITBOX", 3, "1"},
                               {"CLUBBASE_MAX_LEVEL_EDITBOX", 3, "255"},
                               {"CLUBBASE_HOMEPAGE_EDITBOX", 40, ""},
                               {"", uint32_t(GameSession().CLUB_INTRODUCTION_LIMIT), ""},
                               {"", 200, ""}};
    for (int i = 0; i < 5; ++i) {
        auto* box = static_cast<CEditBox*>(MakeWindowControl(edits[i].name, CONTROL_EDIT_BOX));
        if (!box) continue;
        box->SetMaxLength(edits[i].limit);
        box->SetTextColor(kWhite);
        box->SetImeMode(i < 2 ? 1 : 0);
        box->SetText(edits[i].text);
        AddChild(box);
        box->SetActive(false, true);
        box->Hide();
        m_edits[i].Assign(box);
    }
    CScrollBar* bar = MakeChildScrollBar(
        this, "ITEM_INVEN_SCROLLBAR",
        {"ITEM_INVEN_SCROLL_BUTTON_UP", "ITEM_INVEN_SCROLL_BUTTON_DN", "ITEM_INVEN_SCROLL_BUTTON_DRAG"});
    m_scrollBar.Assign(bar);
    if (bar) bar->Hide();
}

CButton* CClubBaseWindow::GetButton(const char* name) const {
    if (!m_pChildren || !name) return nullptr;
    for (const CWeakRef& ref : ChildSnapshot()) {
        auto* child = ref.GetAs<CBaseWindow>();
        if (child && child->GetControlType() == CONTROL_BUTTON && std::strcmp(child->GetName(), name) == 0)
            return static_cast<CButton*>(child);
    }
    return nullptr;
}

CEditBox* CClubBaseWindow::GetEditBox(int32_t which) const {
    return which >= 0 && which < 5 ? m_edits[which].GetAs<CEditBox>() : nullptr;
}

void CClubBaseWindow::ClearClub() {
    m_clubNumber = 0;
    m_clubName[0] = m_secondName[0] = m_thirdText[0] = '\0';
    m_myGrade = 0;
    m_myFlags = m_editedFlags = 0;
    m_flagLock = m_masterOnline = 0;
    m_dissolutionMarker = m_voteMarker = m_secessionMarker = 0;
    m_permissions = 0;
    m_emblem = 0;
    m_mark.reset();
    m_clubLevel = Online() ? 0 : 10;
    m_clubPoints = 0;
    m_percentage = m_countFigure = 0;
    m_figures[0] = m_figures[1] = 0;
    m_progress = 0;
    m_progressText.clear();
    m_minLevel = "1";
    m_maxLevel = "255";
    m_homepage.clear();
    m_introduction.clear();
    m_notice.clear();
    m_log.clear();
    m_texts[0].clear();
    m_texts[1].clear();
    m_members.clear();
    m_applicants.clear();
    m_selected = -1;
    m_scrollTop = m_scrollMax = 0;
    m_popupOpen = 0;
    m_popupEntry = -1;
    m_mainTab = m_subTab = 0;
    m_statusLine = GetTableText(kTexts, kRowNoClub);
}

// ---- Standing ----

bool CClubBaseWindow::IsMaster() const {
    return !Online() || m_myGrade == CLUB_GRADE_MASTER;
}

bool CClubBaseWindow::HasPermission(int32_t n) const {
    return m_masterOnline == 0 && n >= 1 && Flag(m_myFlags, uint32_t(n));
}

bool CClubBaseWindow::IsActionAllowed(int32_t category, int32_t action) {
    return ClubActionAllowed(m_permissions, category, action);
}

const char* CClubBaseWindow::GetMasterName() const {
    for (const ClubMember& m : m_members)
        if (m.grade == CLUB_GRADE_MASTER) return m.name;
    return nullptr;
}

uint32_t CClubBaseWindow::FindMemberKey(const char* name) const {
    if (!name) return 0;
    for (const ClubMember& m : m_members)
        if (std::strcmp(m.name, name) == 0) return m.order;
    return 0;
}

const char* CClubBaseWindow::OwnName() const {
    return PlayerCharacterName();
}

const ClubMember* CClubBaseWindow::Selected() const {
    if (m_subTab != CLUB_PAGE_MEMBERS || m_selected < 0 || m_selected >= int32_t(m_members.size()))
        return nullptr;
    return &m_members[size_t(m_selected)];
}

// ---- Requests of other windows ----

void CClubBaseWindow::SendClubChat(const char* text) {
    if (text && m_clubNumber != 0) GameSession().SendChannelChat(m_clubNumber, text);
}

bool CClubBaseWindow::GetClubMarkName(uint32_t emblem) {
    if (emblem == 0 || emblem == m_emblem) return false;
    m_emblem = emblem;
    const ClubMarkCell cell = ClubMarkCellOf(emblem);
    m_mark = MakeCommunityImage(ClubMarkName(emblem).c_str(), cell.motion, cell.direction);
    return true;
}

void CClubBaseWindow::SendClubMark(bool changed) {
    if (changed && m_clubNumber != 0) GameSession().SendClubSetMark(m_clubNumber, 1, m_emblem);
}

void CClubBaseWindow::SetNickname(const char* nickname) {
    if (!nickname || m_clubNumber == 0) return;
    if (m_selected < 0 || m_selected >= int32_t(m_members.size())) return;
    GameSession().SendClubSetNick(m_clubNumber, m_members[size_t(m_selected)].name, nickname);
}

void CClubBaseWindow::SetAutoRank(bool check, int32_t choice) {
    uint8_t setting = uint8_t(choice == 0 ? 4 : choice == 1 ? 8 : choice);
    if (check) setting = uint8_t(setting + 2);
    const char* master = GetMasterName();
    if (m_clubNumber == 0 || !master) return;
    if (Online() && m_myGrade != CLUB_GRADE_MASTER && (m_masterOnline || !Flag(m_myFlags, kFlagAutoRank)))
        return;
    GameSession().SendClubCommand9(m_clubNumber, master, setting);
}

void CClubBaseWindow::SendMemberFlag(int32_t row, uint8_t flag) {
    if (row < 0 || row >= int32_t(m_members.size()) || m_clubNumber == 0) return;
    GameSession().SendClubCommand9(m_clubNumber, m_members[size_t(row)].name, flag ? 1 : 0);
}

void CClubBaseWindow::AcknowledgeNotice(int32_t a, int32_t b) {
    if (!IsVisibleInTree() || a != 1 || b != 3 || !HasPermission(int32_t(kFlagApplicant))) return;
    if (m_clubNumber != 0) GameSession().SendClubCommand14(m_clubNumber, 8);
    StopBlink();
}

void CClubBaseWindow::OpenAutoRankWindow() {
    CBaseWindow* window = g_pWindowMgr ? g_pWindowMgr->FindWindowByName(CLUB_AUTO_RANK_WINDOW_NAME) : nullptr;
    if (!window) return;
    window->SetPosition(m_x, m_y);
    window->Show();
    window->SetActive(true, false);
}

void CClubBaseWindow::StartBlink() {
    CBaseWindow* main = g_pWindowMgr ? g_pWindowMgr->FindWindowByName("Z5MAINWIN") : nullptr;
    if (auto* blink = dynamic_cast<IMainInterfaceWindow*>(main)) {
        blink->StartBlink();
    } else if (g_pWindowMgr) {
        PostMessageToPort(0, g_pWindowMgr->GetPort(), 0, WM_MSG_NOTICE_BLINK,
                          std::make_unique<CNoticeBlinkMsg>(1), nullptr);
    }
}

void CClubBaseWindow::StopBlink() {
    CBaseWindow* main = g_pWindowMgr ? g_pWindowMgr->FindWindowByName("Z5MAINWIN") : nullptr;
    if (auto* blink = dynamic_cast<IMainInterfaceWindow*>(main)) blink->StopBlink();
}

void CClubBaseWindow::OpenMemberChat(const char*) {
    // The one-to-one chat opens here once the program has one.
}

// ---- The server's club information and members ----

void CClubBaseWindow::SetClubInfo(const CClubInfoMsg& info) {
    m_clubNumber = info.m_a;
    m_myGrade = info.m_mode;
    CopyRecordText(m_clubName, info.m_text1);
    CopyRecordText(m_secondName, info.m_text2);
    if (m_myGrade == CLUB_GRADE_APPLICANT) {
        m_statusLine = FormatTableText(GetTableText(kTexts, kRowApplicant), {m_clubName});
        SetState(CLUB_STATE_APPLICANT);
        return;
    }
    if (m_myGrade == 0) {
        SetState(CLUB_STATE_NONE);
        return;
    }
    m_clubLevel = info.m_value6;
    m_clubPoints = info.m_value1;
    m_countFigure = info.m_value4;
    if (m_countFigure != 0) m_percentage = uint32_t(uint64_t(info.m_value5) * 100 / m_countFigure);
    m_permissions = info.m_value9;
    m_figures[0] = info.m_value2;
    m_figures[1] = info.m_value3;
    CopyRecordText(m_thirdText, info.m_text3);
    m_minLevel = std::to_string(info.m_value7);
    m_maxLevel = std::to_string(info.m_value8);
    m_homepage.assign(info.m_text4, strnlen(info.m_text4, 40));
    m_introduction.assign(info.m_text5, strnlen(info.m_text5, GameSession().CLUB_INTRODUCTION_LIMIT));
    if (!Online() || m_myGrade == CLUB_GRADE_MASTER) {
        const uint8_t dissolution = (info.m_value11 >> 2) & 1, vote = (info.m_value11 >> 1) & 1;
        const bool changed = dissolution != m_dissolutionMarker || vote != m_voteMarker;
        m_dissolutionMarker = dissolution;
        m_voteMarker = vote;
        if (changed && m_state == CLUB_STATE_MEMBER) SetSubPage();
    }
    if (m_state != CLUB_STATE_MEMBER) {
        for (int kind : {3, 2, 1, 0}) GameSession().SendClubTextRequest(m_clubNumber, uint8_t(kind));
        m_mainTab = 0;
        m_subTab = CLUB_PAGE_GENERAL;
        SetState(CLUB_STATE_MEMBER);
    }
    GetClubMarkName(info.m_value12);
    RestoreEditTexts(0);
    RestoreEditTexts(1);
    RecomputeProgress();
}

void CClubBaseWindow::RecomputeProgress() {
    const ClubProgress progress = ComputeClubProgress(m_clubLevel, m_clubPoints, &m_levels);
    if (m_clubLevel == 0) return;
    m_progress = progress.percent;
    if (progress.textSet) m_progressText = progress.text;
}

void CClubBaseWindow::SetApplicantFrom(const ClubMember& member, uint32_t seconds, bool update) {
    ClubApplicant applicant;
    applicant.charType = member.charType;
    CopyRecordText(applicant.name, member.name);
    applicant.level = member.level;
    CopyRecordText(applicant.date, ClubApplicationDate(seconds).c_str());
    if (update)
        for (ClubApplicant& a : m_applicants)
            if (std::strcmp(a.name, applicant.name) == 0) {
                a = applicant;
                return;
            }
    m_applicants.push_back(applicant);
}

void CClubBaseWindow::SetMemberList(uint16_t count, uint32_t, const CClubMemberRecord* records) {
    if (!Online()) {
        m_members.clear();
        for (int i = 0; i < 10; ++i) {
            ClubMember m;
            if (i == 0) {
                CopyRecordText(m.name, "master");
                CopyRecordText(m.nickname, "master");
                m.grade = CLUB_GRADE_MASTER;
            } else {
                std::snprintf(m.name, sizeof m.name, "huhu%d", i);
                std::snprintf(m.nickname, sizeof m.nickname, "nick%d", i);
                m.order = m.charType = uint32_t(i);
                m.grade = CLUB_GRADE_SUB_LEADER + uint32_t(std::rand() & 1);
            }
            m.level = 10;
            m.points = 100;
            m.online = 1;
            m_members.push_back(m);
        }
        SortClubMembers(m_members);
        SetScrollMaximum(int32_t(m_members.size()) - CLUB_MEMBER_ROWS);
        return;
    }
    if (!records) count = 0;
    m_members.clear();
    m_applicants.clear();
    m_masterOnline = 0;
    const char* own = OwnName();
    int32_t ownIndex = -1;
    for (uint16_t i = 0; i < count; ++i) {
        const ClubMember m = MemberOfRecord(records[i]);
        if (m.grade == CLUB_GRADE_APPLICANT) {
            SetApplicantFrom(m, records[i].m_d, false);
            continue;
        }
        if (m.grade == CLUB_GRADE_MASTER && m.online) m_masterOnline = 1;
        if (own[0] && std::strcmp(m.name, own) == 0) ownIndex = i;
        m_members.push_back(m);
    }
    if (ownIndex >= 0) OnOwnEntry(MemberOfRecord(records[ownIndex]), records[ownIndex].m_g);
    AfterMemberChange();
}

void CClubBaseWindow::UpdateMember(const CClubMemberMsg& msg) {
    ClubMember m;
    CopyRecordText(m.name, msg.m_name);
    CopyRecordText(m.nickname, msg.m_secondName);
    m.grade = msg.m_kind;
    m.charType = GetCharTypeIndex(msg.m_a);
    m.level = msg.m_b;
    m.order = msg.m_d;
    m.points = msg.m_e;
    m.online = msg.m_g != 0 ? 1 : 0;
    m.status[0] = msg.m_h;
    m.status[2] = msg.m_i;
    if (m.grade == CLUB_GRADE_APPLICANT) {
        SetApplicantFrom(m, msg.m_c, true);
        if (m_subTab == CLUB_PAGE_APPLICANTS)
            SetScrollMaximum(int32_t(m_applicants.size()) - CLUB_APPLICANT_ROWS);
        return;
    }
    auto it = std::find_if(m_members.begin(), m_members.end(),
                           [&](const ClubMember& x) { return std::strcmp(x.name, m.name) == 0; });
    if (it != m_members.end())
        *it = m;
    else
        m_members.push_back(m);
    if (m.grade == CLUB_GRADE_MASTER && m.online) m_masterOnline = 1;
    if (m.grade == CLUB_GRADE_MASTER && !m.online) m_masterOnline = 0;
    const char* own = OwnName();
    if (own[0] && std::strcmp(m.name, own) == 0) OnOwnEntry(m, msg.m_flags);
    AfterMemberChange();
}

void CClubBaseWindow::OnOwnEntry(const ClubMember& own, uint32_t flags) {
    if (!m_flagLock) m_myFlags = m_editedFlags = flags;
    if (Flag(flags, kFlagNotice)) StartBlink();
    if (Flag(flags, kFlagVote) && Online() && m_myGrade != CLUB_GRADE_MASTER) {
        m_voteMarker = 1;
        if (m_state == CLUB_STATE_MEMBER && m_subTab == CLUB_PAGE_DISSOLUTION) SetSubPage();
    }
    if (Flag(flags, kFlagApplicant) && Online() && m_myGrade != CLUB_GRADE_MASTER) {
        if (m_masterOnline || !Flag(flags, kFlagApplicants)) {
            if (m_clubNumber != 0) GameSession().SendClubCommand14(m_clubNumber, 8);
        } else {
            StartBlink();
        }
    }
    m_secessionMarker = Flag(flags, kFlagSecession) && (!Online() || m_myGrade == CLUB_GRADE_MASTER) ? 1 : 0;
    if (m_state == CLUB_STATE_MEMBER && m_subTab == CLUB_PAGE_SECESSION) SetSubPage();
    if (own.grade != m_myGrade) {
        m_myGrade = own.grade;
        Show();
        SetPosition(m_x, m_y);
    }
}

void CClubBaseWindow::AfterMemberChange() {
    SortClubMembers(m_members);
    if (m_subTab == CLUB_PAGE_APPLICANTS)
        SetScrollMaximum(int32_t(m_applicants.size()) - CLUB_APPLICANT_ROWS);
    else
        SetScrollMaximum(int32_t(m_members.size()) - CLUB_MEMBER_ROWS);
}

void CClubBaseWindow::SetScrollMaximum(int32_t maximum) {
    m_scrollMax = maximum;
    if (m_scrollTop > std::max(maximum, 0)) m_scrollTop = 0;
    if (CScrollBar* bar = m_scrollBar.GetAs<CScrollBar>()) {
        bar->SetMaximum(maximum);
        bar->SetScrollPos(float(m_scrollTop));
    }
}

void CClubBaseWindow::RemoveApplicant(int32_t index) {
    if (index < 0 || index >= int32_t(m_applicants.size())) return;
    m_applicants.erase(m_applicants.begin() + index);
    if (m_applicants.empty()) return;
    m_selected = -1;
    if (m_subTab == CLUB_PAGE_APPLICANTS)
        SetScrollMaximum(int32_t(m_applicants.size()) - CLUB_APPLICANT_ROWS);
}

void CClubBaseWindow::RemoveMember(int32_t index) {
    if (index < 0 || index >= int32_t(m_members.size())) return;
    m_members.erase(m_members.begin() + index);
    m_selected = -1;
    if (m_subTab == CLUB_PAGE_MEMBERS) SetScrollMaximum(int32_t(m_members.size()) - CLUB_MEMBER_ROWS);
}

void CClubBaseWindow::RemoveMemberByName(const char* name) {
    if (!name) return;
    const char* own = OwnName();
    if (own[0] && std::strcmp(name, own) == 0) {
        const int32_t top = 0;
        ClearClub();
        m_scrollTop = top;
        SetState(CLUB_STATE_NONE);
        return;
    }
    for (size_t i = 0; i < m_applicants.size(); ++i)
        if (std::strcmp(m_applicants[i].name, name) == 0) {
            RemoveApplicant(int32_t(i));
            return;
        }
    for (size_t i = 0; i < m_members.size(); ++i)
        if (std::strcmp(m_members[i].name, name) == 0) {
            RemoveMember(int32_t(i));
            return;
        }
}

void CClubBaseWindow::OnClubRemoved(const char* clubName) {
    if (!clubName || std::strcmp(clubName, m_clubName) != 0) return;
    ClearClub();
    SetState(CLUB_STATE_NONE);
    Hide();
}

void CClubBaseWindow::UpdateMemberValue(const char* name, uint32_t value, uint32_t points, uint32_t level) {
    if (name)
        for (ClubMember& m : m_members)
            if (std::strcmp(m.name, name) == 0) {
                m.points = value;
                break;
            }
    m_clubPoints = points;
    m_clubLevel = level;
    RecomputeProgress();
}

void CClubBaseWindow::SetClubText(uint8_t kind, const char* text) {
    if (kind != 2 && kind != 3) return;
    m_texts[kind - 2] = ClubTextMarkup(text, true, CLUB_PAGE_TEXT_SIZE);
}

void CClubBaseWindow::FormatNotice(uint8_t kind, const std::vector<CDatedLine>& lines) {
    if (kind == 0) {
        m_log = FormatClubNotices(lines);
        if (m_subTab == CLUB_PAGE_LOG) SetSubPage();
    } else if (kind == 1) {
        m_notice = FormatClubNotices(lines);
        if (m_subTab == CLUB_PAGE_NOTICE) SetSubPage();
    }
}

// ---- States and pages ----

void CClubBaseWindow::SetState(int32_t state) {
    m_state = state;
    if (IsVisibleInTree()) Show();
    SetFace();
    HidePageControls();
    if (state == CLUB_STATE_MEMBER)
        SetPage(m_mainTab, m_subTab);
    else
        ShowIf(GetButton(kCancelJoin), state == CLUB_STATE_APPLICANT);
    PlaceControls();
}

void CClubBaseWindow::SetPage(int32_t mainTab, int32_t subTab) {
    m_mainTab = std::clamp(mainTab, 0, 3);
    m_subTab = std::clamp(subTab, 0, CLUB_PAGE_COUNT - 1);
    SetSubPage();
}

void CClubBaseWindow::HidePageControls() {
    const bool keep =
        m_state == CLUB_STATE_MEMBER && (m_subTab == CLUB_PAGE_MEMBERS || m_subTab == CLUB_PAGE_APPLICANTS);
    for (const PageButton& b : kPageButtons)
        if (CButton* button = GetButton(b.name)) button->Hide();
    for (const char* tab : kMainTabs)
        if (CButton* button = GetButton(tab)) button->Hide();
    for (const char* tab : kSubTabs)
        if (CButton* button = GetButton(tab)) button->Hide();
    for (int i = 0; i < 5; ++i)
        if (CEditBox* box = GetEditBox(i)) {
            box->SetActive(false, true);
            box->Hide();
        }
    if (CScrollBar* bar = m_scrollBar.GetAs<CScrollBar>()) bar->Hide();
    m_popupOpen = 0;
    m_popupEntry = -1;
    if (!keep) {
        m_selected = -1;
        m_scrollTop = 0;
        m_scrollMax = 0;
    }
}

void CClubBaseWindow::SetSubPage() {
    HidePageControls();
    if (m_state != CLUB_STATE_MEMBER) {
        PlaceControls();
        return;
    }
    const bool master = IsMaster();
    ShowIf(GetButton(kMainTabs[0]), true);
    ShowIf(GetButton(kMainTabs[1]), true);
    ShowIf(GetButton(kMainTabs[2]), !Online() || master || IsSubLeader());
    ShowIf(GetButton(kMainTabs[3]), true);
    for (int i = 0; i < 4; ++i)
        if (CButton* tab = GetButton(kMainTabs[i]))
            tab->LoadImage(FindAniByName("ClubInter_TABBTN"), uint8_t(2 * i + (i == m_mainTab ? 1 : 0)));
    // The sisters of the page in its main tab.
    for (int page = 0; page < CLUB_PAGE_COUNT; ++page)
        if (kPageTab[page] == m_mainTab && page != m_subTab) ShowIf(GetButton(kSubTabs[page]), true);
    auto show = [this](const char* name) { ShowIf(GetButton(name), true); };
    auto only = [this](const char* name) { DrawOnly(GetButton(name)); };
    auto subTab = [this](int page, bool on) { ShowIf(GetButton(kSubTabs[page]), on && page != m_subTab); };
    switch (m_subTab) {
        case CLUB_PAGE_GENERAL:
            show(master || HasPermission(kFlagLevels) || HasPermission(kFlagHomepage) ? kOk : kSecession);
            for (int i = 0; i < 3; ++i) ShowIf(GetEditBox(i), true);
            break;
        case CLUB_PAGE_INTRO:
            if (master || HasPermission(kFlagIntro)) show(kOk);
            ShowIf(GetEditBox(3), true);
            break;
        case CLUB_PAGE_MEMBERS:
            subTab(CLUB_PAGE_APPLICANTS, master || HasPermission(kFlagApplicants));
            SetScrollMaximum(int32_t(m_members.size()) - CLUB_MEMBER_ROWS);
            break;
        case CLUB_PAGE_APPLICANTS:
            SetScrollMaximum(int32_t(m_applicants.size()) - CLUB_APPLICANT_ROWS);
            break;
        case CLUB_PAGE_POWER:
            if ((!Online() || m_myGrade == CLUB_GRADE_MASTER) && m_editedFlags != m_myFlags) {
                show(kConfirm);
                m_flagLock = 1;
            } else {
                only(kConfirm);
                m_flagLock = 0;
            }
            break;
        case CLUB_PAGE_NOTICE: {
            const bool writes = master || HasPermission(kFlagWrite);
            for (int page : {CLUB_PAGE_LOG, CLUB_PAGE_SECESSION}) subTab(page, master);
            if (writes) {
                show(kSend);
                if (m_permissions & kClubBitNotice) ShowIf(GetEditBox(4), true);
            }
            const int32_t visible = writes ? kNoticeLinesWriting : kTextLines;
            CTextLineBuffer lines;
            SetScrollMaximum(lines.CountLines(m_notice.c_str(), kPageGeometry[2], true) - visible);
            break;
        }
        case CLUB_PAGE_LOG: {
            CTextLineBuffer lines;
            SetScrollMaximum(lines.CountLines(m_log.c_str(), kPageGeometry[3], true) - kTextLines);
            break;
        }
        case CLUB_PAGE_SECESSION:
            if (master) {
                if (!(m_permissions & kClubBitSecession)) {
                    only(kRequestSecession);
                } else if (!m_secessionMarker) {
                    show(kRequestSecession);
                    only(kCancelSecession);
                } else {
                    show(kCancelSecession);
                    only(kRequestSecession);
                }
            }
            break;
        case CLUB_PAGE_DISSOLUTION:
            if (!master) {
                for (int page = CLUB_PAGE_LOG; page <= CLUB_PAGE_SECESSION; ++page) subTab(page, false);
                if (m_voteMarker)
                    show(kDissolutionOk);
                else
                    only(kDissolutionOk);
            } else if (!(m_permissions & kClubBitVote)) {
                if (m_countFigure != 0) {
                    only(kRequestDissolution);
                    only(kCancelDissolution);
                } else {
                    only(kClubDissolution);
                }
            } else if (m_countFigure == 0) {
                show(kClubDissolution);
            } else if (m_voteMarker) {
                show(kCancelDissolution);
                only(kRequestDissolution);
            } else if (!m_dissolutionMarker) {
                show(kRequestDissolution);
                only(kCancelDissolution);
            } else {
                show(kCancelDissolution);
                show(kClubDissolution);
            }
            break;
        default:
            break;
    }
    SetFace();
    PlaceControls();
}

void CClubBaseWindow::SetFace() {
    CAniObject* face = GetAniObject();
    if (!face) return;
    uint8_t motion = 0, direction = 2;
    if (m_state != CLUB_STATE_MEMBER) {
        motion = 1;
    } else {
        const bool master = IsMaster();
        switch (m_subTab) {
            case CLUB_PAGE_GENERAL:
                motion = 3;
                break;
            case CLUB_PAGE_INTRO:
                motion = 3, direction = 0;
                break;
            case CLUB_PAGE_MEMBERS:
                motion = master || HasPermission(kFlagApplicants) ? 4 : 5;
                break;
            case CLUB_PAGE_APPLICANTS:
                motion = 4, direction = 0;
                break;
            case CLUB_PAGE_POWER:
                motion = 7;
                break;
            case CLUB_PAGE_NOTICE:
                motion = master || HasPermission(kFlagWrite) ? 2 : 6;
                break;
            case CLUB_PAGE_LOG:
                motion = 2, direction = 0;
                break;
            case CLUB_PAGE_SECESSION:
                motion = 2, direction = 14;
                break;
            default:
                if (master)
                    motion = 2, direction = 12;
                else
                    motion = 6, direction = 0;
                break;
        }
    }
    face->SetMotion(motion);
    face->SetDirection(direction);
}

void CClubBaseWindow::PlaceControls() {
    auto place = [this](const char* name, int32_t x, int32_t y) {
        if (CButton* b = GetButton(name)) b->SetPosition(m_x + x, m_y + y);
    };
    place(kClose, kFrameButtonX, kFrameButtonY);
    place(kDetach, kFrameButtonX, kFrameButtonY);
    place(kDetached, kFrameButtonX, kFrameButtonY);
    place(kCancelJoin, kCancelJoinX, kCancelJoinY);
    const bool leaderTab = GetButton(kMainTabs[2]) && GetButton(kMainTabs[2])->IsDrawOn();
    for (int i = 0; i < 4; ++i) place(kMainTabs[i], i == 3 && !leaderTab ? kTabX[2] : kTabX[i], kTabY);
    for (int page = 0; page < CLUB_PAGE_COUNT; ++page) place(kSubTabs[page], kSubTabX[page], kSubTabY);
    // The page's buttons from the right, in the table's order.
    int32_t x = kPageButtonX;
    for (const PageButton& b : kPageButtons) {
        if (b.name == kCancelJoin) continue;
        CButton* button = GetButton(b.name);
        if (!button || !button->IsDrawOn()) continue;
        button->SetPosition(m_x + x, m_y + kPageButtonY);
        x -= kPageButtonStep;
    }
    // Each box takes the clicks of its field.
    const WindowRect fields[5] = {kMinField, kMaxField, kHomepageField, kIntroArea, kNoticeArea};
    for (int i = 0; i < 5; ++i)
        if (CEditBox* box = GetEditBox(i)) {
            const WindowRect& f = fields[i];
            box->SetPosition(m_x + f.left + 4, m_y + (i == 3 ? f.bottom - 16 : f.top + 3));
            box->SetInputRect(true, m_x + f.left, m_y + f.top, m_x + f.right, m_y + f.bottom);
        }
    if (CScrollBar* bar = m_scrollBar.GetAs<CScrollBar>())
        bar->SetBarRect(m_x + kScrollX, m_y + kScrollTop, m_x + kScrollX + 14, m_y + kScrollBottom);
}

bool CClubBaseWindow::UpdateRect() {
    if (GetAniObject()) return CBaseWindow::UpdateRect();
    m_rect = WindowRect{m_x, m_y, m_x + CLUB_WINDOW_WIDTH - 1, m_y + CLUB_WINDOW_HEIGHT - 1};
    return true;
}

bool CClubBaseWindow::SetPosition(int32_t x, int32_t y) {
    CBaseWindow::SetPosition(x, y);
    PlaceControls();
    return true;
}

void CClubBaseWindow::RestoreEditTexts(int32_t page) {
    if (page == 0) {
        if (CEditBox* box = GetEditBox(0)) box->SetText(m_minLevel.c_str());
        if (CEditBox* box = GetEditBox(1)) box->SetText(m_maxLevel.c_str());
        if (CEditBox* box = GetEditBox(2)) box->SetText(m_homepage.c_str());
    } else if (page == 1) {
        if (CEditBox* box = GetEditBox(3)) box->SetText(m_introduction.c_str());
    }
}

void CClubBaseWindow::StoreEdits() {
    auto stored = [](CEditBox* box, std::string& into, bool level) {
        if (!box) return;
        const char* text = box->GetCurrentText();
        std::string value = text ? text : "";
        if (level) value = std::to_string(ClubLevelOfText(value.c_str()));
        if (value != into) into = value;
    };
    const bool editor = !Online() || m_myGrade == CLUB_GRADE_MASTER;
    if (m_subTab == CLUB_PAGE_GENERAL) {
        if (editor || HasPermission(kFlagLevels)) {
            stored(GetEditBox(0), m_minLevel, true);
            stored(GetEditBox(1), m_maxLevel, true);
        }
        if (editor || HasPermission(kFlagHomepage)) stored(GetEditBox(2), m_homepage, false);
    } else if (m_subTab == CLUB_PAGE_INTRO && (editor || HasPermission(kFlagIntro))) {
        stored(GetEditBox(3), m_introduction, false);
    }
}

void CClubBaseWindow::SendSettings() {
    for (int i = 0; i < 4; ++i)
        if (CEditBox* box = GetEditBox(i)) box->SetActive(false, true);
    StoreEdits();
    uint16_t low = ClubLevelOfText(m_minLevel.c_str()), high = ClubLevelOfText(m_maxLevel.c_str());
    if (low > high) std::swap(low, high);
    m_minLevel = std::to_string(low);
    m_maxLevel = std::to_string(high);
    if (m_clubNumber != 0)
        GameSession().SendClubSettings(m_clubNumber, low, high, m_homepage.c_str(), m_introduction.c_str());
    RestoreEditTexts(0);
    RestoreEditTexts(1);
}

bool CClubBaseWindow::SetStateValue(int32_t value) {
    const bool free = value == WINDOW_STATE_FREE, docked = value == WINDOW_STATE_DOCKED,
               detached = value == WINDOW_STATE_DETACHED;
    if (free || docked || detached) {
        ShowIf(GetButton(kClose), free);
        ShowIf(GetButton(kDetach), docked);
        ShowIf(GetButton(kDetached), detached);
        m_keepOnScreen = docked ? 0 : 1;
    }
    return CBaseWindow::SetStateValue(value);
}

bool CClubBaseWindow::Show() {
    CBaseWindow::Show();
    SetFace();
    if (m_state == CLUB_STATE_MEMBER) {
        SetSubPage();
    } else {
        HidePageControls();
        ShowIf(GetButton(kCancelJoin), m_state == CLUB_STATE_APPLICANT);
    }
    SetStateValue(GetStateValue());
    return true;
}

bool CClubBaseWindow::Hide() {
    CBaseWindow::Hide();
    m_popupOpen = 0;
    SetStateValue(WINDOW_STATE_DOCKED);
    return true;
}

// ---- Input ----

int32_t CClubBaseWindow::RowAt(int32_t x, int32_t y) const {
    if (m_subTab == CLUB_PAGE_MEMBERS) {
        if (x < kRowLeft || x > kRowRight || y < kMemberTop) return -1;
        const int32_t row = (y - kMemberTop) / kMemberStep;
        if (row >= CLUB_MEMBER_ROWS || y > kMemberTop + kMemberStep * row + kMemberStep - 1) return -1;
        return row;
    }
    if (m_subTab == CLUB_PAGE_APPLICANTS) {
        if (x < kApplicantLeft || x > kRowRight || y < kApplicantTop) return -1;
        const int32_t row = (y - kApplicantTop) / kApplicantStep;
        return row < CLUB_APPLICANT_ROWS ? row : -1;
    }
    return -1;
}

int32_t CClubBaseWindow::PopupEntryAt(int32_t x, int32_t y) const {
    const int32_t entries =
        m_subTab == CLUB_PAGE_MEMBERS ? CLUB_MEMBER_POPUP_ENTRIES : CLUB_APPLICANT_POPUP_ENTRIES;
    const int32_t dx = x - m_popupX, dy = y - m_popupY - kPopupRowTop;
    if (dx < kPopupSide || dx >= kPopupWidth - kPopupSide || dy < 0) return -1;
    const int32_t entry = dy / kPopupRowHeight;
    return entry < entries ? entry : -1;
}

bool CClubBaseWindow::IsPopupEntryAllowed(int32_t entry) const {
    if (m_subTab == CLUB_PAGE_APPLICANTS) {
        if (m_selected < 0 || m_scrollTop + m_selected >= int32_t(m_applicants.size())) return false;
        if (entry == 1) return (m_permissions & kClubBitAccept) != 0;
        return entry == 0 || entry == 2;
    }
    const ClubMember* target = Selected();
    if (!target) return false;
    const bool targetMaster = target->grade == CLUB_GRADE_MASTER;
    const bool leader = !Online() || m_myGrade == CLUB_GRADE_MASTER;
    switch (entry) {
        case 0:
            return true;
        case 1:
            return (m_permissions & kClubBitNick) && (leader || (IsSubLeader() && !targetMaster));
        case 2:
        case 3:
        case 4:
            return (m_permissions & kClubBitFlags) && !targetMaster;
        case 5:
            return (m_permissions & kClubBitExpel) && !targetMaster;
        case 6:
            return leader && target->grade == CLUB_GRADE_MEMBER;
        case 7:
            return leader && target->grade == CLUB_GRADE_SUB_LEADER;
        default:
            return false;
    }
}

void CClubBaseWindow::RunPopupEntry(int32_t entry) {
    if (!IsPopupEntryAllowed(entry)) return;
    CGameSession& session = GameSession();
    if (m_subTab == CLUB_PAGE_APPLICANTS) {
        const ClubApplicant& a = m_applicants[size_t(m_scrollTop + m_selected)];
        if (entry == 0) OpenMemberChat(a.name);
        if (m_clubNumber == 0) return;
        if (entry == 1) session.SendClubCommand8(m_clubNumber, a.name, CLUB_GRADE_MEMBER);
        if (entry == 2) session.SendClubCommand6(m_clubNumber, m_clubName, a.name);
        return;
    }
    const ClubMember& m = m_members[size_t(m_selected)];
    switch (entry) {
        case 0:
            OpenMemberChat(m.name);
            break;
        case 1:
            if (CBaseWindow* nick = FindOrMakeCommunityWindow(CLUB_EDIT_NICK_WINDOW_NAME)) {
                nick->SetPosition(m_x, m_y);
                nick->Show();
                nick->SetActive(true, false);
            }
            break;
        case 2:
        case 3:
            SendMemberFlag(m_selected, entry == 2 ? 1 : 0);
            break;
        case 4:
            OpenAutoRankWindow();
            break;
        case 5:
            if (CMessageBox* box =
                    AskCommunityQuestion(GetTableText(kTexts, kRowExpel), GetPort(), CLUB_BOX_EXPEL))
                box->CentreOnScreen();
            break;
        case 6:
        case 7:
            if (m_clubNumber != 0)
                session.SendClubCommand8(m_clubNumber, m.name,
                                         uint8_t(entry == 6 ? CLUB_GRADE_SUB_LEADER : CLUB_GRADE_MEMBER));
            break;
        default:
            break;
    }
}

void CClubBaseWindow::OpenPopup(int32_t x, int32_t y) {
    m_popupOpen = 1;
    m_popupX = x - m_x;
    m_popupY = y - m_y;
    m_popupEntry = -1;
    SetStateValue(WINDOW_STATE_FREE);
}

void CClubBaseWindow::ClickPage(int32_t button, int32_t x, int32_t y) {
    const int32_t lx = x - m_x, ly = y - m_y;
    const bool master = IsMaster();
    if (m_popupOpen) {
        const int32_t entry = PopupEntryAt(lx, ly);
        m_popupOpen = 0;
        m_popupEntry = -1;
        if (entry >= 0) RunPopupEntry(entry);
        return;
    }
    switch (m_subTab) {
        case CLUB_PAGE_GENERAL: {
            auto focus = [this](int which) {
                StoreEdits();
                if (CEditBox* box = GetEditBox(which)) box->SetActive(true, false);
            };
            if (master || HasPermission(kFlagLevels)) {
                if (In(kMinField, lx, ly)) return focus(0);
                if (In(kMaxField, lx, ly)) return focus(1);
            }
            if ((master || HasPermission(kFlagHomepage)) && In(kHomepageField, lx, ly)) return focus(2);
            if (master && In(kEmblemSquare, lx, ly)) {
                if (!(m_permissions & kClubBitEmblem)) {
                    ShowCommunityNotice(FormatTableText(GetTableText(kTexts, kRowNoEmblemBit), {10}).c_str());
                    return;
                }
                CBaseWindow* marks = FindOrMakeCommunityWindow(CLUB_MARK_WINDOW_NAME);
                if (auto* picker = dynamic_cast<IClubMarkPicker*>(marks)) {
                    marks->SetPosition(400 - marks->ImageWidth() / 2, 300 - marks->ImageHeight() / 2);
                    marks->Show();
                    marks->SetActive(true, false);
                    picker->SetCurrentMark(m_emblem);
                }
                if (m_emblem != 0) ShowCommunityNotice(GetTableText(kTexts, kRowEmblemHeld));
            }
            return;
        }
        case CLUB_PAGE_INTRO:
            if ((master || HasPermission(kFlagIntro)) && In(kIntroArea, lx, ly))
                if (CEditBox* box = GetEditBox(3)) box->SetActive(true, false);
            return;
        case CLUB_PAGE_MEMBERS:
        case CLUB_PAGE_APPLICANTS: {
            const int32_t row = RowAt(lx, ly);
            if (row < 0) return;
            const int32_t size =
                int32_t(m_subTab == CLUB_PAGE_MEMBERS ? m_members.size() : m_applicants.size());
            const int32_t index = m_subTab == CLUB_PAGE_MEMBERS ? m_scrollTop + row : row;
            if (m_scrollTop + row >= size) {
                m_selected = -1;
                return;
            }
            m_selected = index;
            if (button == 1 && (master || IsSubLeader())) OpenPopup(x, y);
            return;
        }
        case CLUB_PAGE_POWER:
            if (!master) return;
            for (int column = 0; column < 2; ++column)
                for (int row = 0; row < 4; ++row) {
                    const int32_t left = column == 0 ? kCheckLeftX : kCheckRightX;
                    if (lx >= left && lx < left + kCheckSize && ly >= kCheckY[row] &&
                        ly < kCheckY[row] + kCheckSize) {
                        m_editedFlags ^= kPowerBits[column][row];
                        SetSubPage();
                        return;
                    }
                }
            return;
        case CLUB_PAGE_NOTICE:
            if ((master || HasPermission(kFlagWrite)) && (m_permissions & kClubBitNotice) &&
                In(kNoticeArea, lx, ly))
                if (CEditBox* box = GetEditBox(4)) box->SetActive(true, false);
            return;
        default:
            return;
    }
}

bool CClubBaseWindow::OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) return CBaseWindow::OnMouseDown(button, x, y, control);
    if (m_state == CLUB_STATE_MEMBER && m_popupOpen) m_popupEntry = PopupEntryAt(x - m_x, y - m_y);
    return CBaseWindow::OnMouseDown(button, x, y, nullptr);
}

bool CClubBaseWindow::OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control && m_popupOpen) m_popupEntry = PopupEntryAt(x - m_x, y - m_y);
    return CBaseWindow::OnMouseMove(button, x, y, control);
}

bool CClubBaseWindow::OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control || m_state != CLUB_STATE_MEMBER) return CBaseWindow::OnDoubleClick(button, x, y, control);
    const int32_t row = RowAt(x - m_x, y - m_y);
    if (row >= 0 && m_subTab == CLUB_PAGE_MEMBERS && m_scrollTop + row < int32_t(m_members.size())) {
        const ClubMember& m = m_members[size_t(m_scrollTop + row)];
        if (m.online) OpenMemberChat(m.name);
    } else if (row >= 0 && m_subTab == CLUB_PAGE_APPLICANTS &&
               m_scrollTop + row < int32_t(m_applicants.size())) {
        OpenMemberChat(m_applicants[size_t(m_scrollTop + row)].name);
    }
    return false;
}

void CClubBaseWindow::AskLeave() {
    if (CMessageBox* box = AskCommunityQuestion(GetTableText(kTexts, kRowLeave), GetPort(), CLUB_BOX_LEAVE)) {
        const int32_t height = g_config.m_screenHeight;
        box->SetPosition(400 - box->BackgroundWidth() / 2, height / 2 - 100);
    }
}

bool CClubBaseWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) {
        if (m_state == CLUB_STATE_MEMBER && IsInputOn()) ClickPage(button, x, y);
        return false;
    }
    if (button != 0 || !control->IsInputOn() || !IsClickOn(control, x, y))
        return control->OnControlEvent(button, x, y, nullptr);
    const char* name = control->GetName();
    auto is = [name](const char* other) { return std::strcmp(name, other) == 0; };
    CGameSession& session = GameSession();
    const uint8_t club = m_clubNumber;
    if (is(kClose)) {
        Hide();
        SetActive(false, false);
    } else if (is(kDetach)) {
        if (GetStateValue() == WINDOW_STATE_DOCKED) SetStateValue(WINDOW_STATE_DETACHED);
    } else if (is(kDetached)) {
        if (GetStateValue() == WINDOW_STATE_DETACHED) SetStateValue(WINDOW_STATE_DOCKED);
    } else if (is(kOk)) {
        SendSettings();
    } else if (is(kSend)) {
        if (!IsMaster() && !HasPermission(kFlagWrite)) return false;
        CEditBox* box = GetEditBox(4);
        if (box) {
            box->SetActive(false, true);
            box->Hide();
            const char* text = box->GetCurrentText();
            if (text && text[0] && club != 0) session.SendClubNotice(club, 1, text);
            box->SetText("");
        }
    } else if (is(kConfirm)) {
        if (!IsMaster()) return false;
        if (club != 0) session.SendClubPermissions(club, 1, m_editedFlags);
        m_myFlags = m_editedFlags;
        m_flagLock = 0;
        SetSubPage();
    } else if (is(kSecession)) {
        AskLeave();
    } else if (is(kCancelJoin)) {
        if (club != 0) session.SendClubCommand6(club, m_clubName, OwnName());
    } else if (is(kRequestSecession)) {
        if (club != 0) {
            if (m_countFigure == 0)
                session.SendClubCommand2(club);
            else
                session.SendClubCommand6(club, m_clubName, m_secondName);
        }
    } else if (is(kCancelSecession)) {
        if (club != 0) session.SendClubCommand13(club, 3);
    } else if (is(kRequestDissolution)) {
        if (club != 0) session.SendClubCommand11(club, 1);
    } else if (is(kCancelDissolution)) {
        if (club != 0 && (m_dissolutionMarker || m_voteMarker))
            session.SendClubCommand13(club, m_dissolutionMarker ? 2 : 1);
    } else if (is(kDissolutionOk)) {
        if (club != 0) session.SendClubCommand12(club, 1);
    } else if (is(kClubDissolution)) {
        if (club != 0) session.SendClubCommand2(club);
    } else {
        int32_t mainTab = -1, page = -1;
        for (int i = 0; i < 4; ++i)
            if (is(kMainTabs[i])) mainTab = i, page = kMainTabFirstPage[i];
        for (int i = 0; i < CLUB_PAGE_COUNT; ++i)
            if (is(kSubTabs[i])) mainTab = kPageTab[i], page = i;
        if (page < 0) return control->OnControlEvent(button, x, y, nullptr);
        const bool changed = page != m_subTab;
        if (changed) {
            m_selected = -1;
            m_popupOpen = 0;
            m_scrollTop = 0;
        }
        SetPage(mainTab, page);
        SetPosition(m_x, m_y);
        if (page == CLUB_PAGE_NOTICE && HasPermission(kFlagNotice)) {
            if (club != 0) session.SendClubCommand14(club, 4);
            StopBlink();
        } else if (page == CLUB_PAGE_LOG && HasPermission(kFlagLog)) {
            if (club != 0) session.SendClubCommand14(club, 5);
        } else if (page == CLUB_PAGE_APPLICANTS && HasPermission(kFlagApplicant)) {
            if (club != 0) session.SendClubCommand14(club, 8);
            StopBlink();
        }
    }
    return false;
}

bool CClubBaseWindow::ProcessMessages() {
    while (CMsg* msg = GetPort()->Pop()) {
        const std::unique_ptr<CMsg> owned(msg);
        CMsgData* payload = msg->m_pPayload.get();
        switch (msg->m_eventId) {
            case MESSAGE_BOX_ANSWER:
                if (msg->m_extra == 0 || m_clubNumber == 0) break;
                if (msg->m_senderId == CLUB_BOX_LEAVE) {
                    GameSession().SendClubCommand6(m_clubNumber, m_clubName, OwnName());
                } else if (msg->m_senderId == CLUB_BOX_EXPEL) {
                    const ClubMember* target = m_selected >= 0 && m_selected < int32_t(m_members.size())
                                                   ? &m_members[size_t(m_selected)]
                                                   : nullptr;
                    if (!target) break;
                    const std::string name = target->name;
                    GameSession().SendClubCommand6(m_clubNumber, m_clubName, name.c_str());
                    if (!Online()) RemoveMemberByName(name.c_str());
                }
                break;
            case MSG_CLUB_REMOVED:
                if (auto* removed = dynamic_cast<CClubRemovedMsg*>(payload)) {
                    Terminate(removed->m_name);
                    OnClubRemoved(removed->m_name);
                }
                break;
            case MSG_CLUB_REMOVE_MEMBER:
                if (auto* gone = dynamic_cast<CWindowNameMsg*>(payload)) {
                    Terminate(gone->m_name);
                    RemoveMemberByName(gone->m_name);
                }
                break;
            case MSG_CLUB_NOTICE_LIST:
                if (auto* list = dynamic_cast<CDatedLinesMsg*>(payload)) {
                    for (CDatedLine& line : list->m_lines) Terminate(line.m_text);
                    FormatNotice(list->m_kind, list->m_lines);
                }
                break;
            case MSG_CLUB_TEXT:
                if (auto* text = dynamic_cast<CClubTextMsg*>(payload)) {
                    Terminate(text->m_text);
                    SetClubText(text->m_kind, text->m_text);
                }
                break;
            case MSG_CLUB_MEMBER_VALUE:
                if (auto* value = dynamic_cast<CClubMemberValueMsg*>(payload)) {
                    Terminate(value->m_name);
                    UpdateMemberValue(value->m_name, value->m_a, value->m_b, value->m_c);
                }
                break;
            default:
                break;
        }
    }
    return true;
}

bool CClubBaseWindow::Update() {
    CWeakRef self(this);
    CBaseWindow::Update();
    if (!self || !IsUpdateOn()) return true;
    // The pointer resting on the window while nothing is carried frees it.
    ICursorObject* pointer = WindowCursor();
    CScrollBar* scroll = m_scrollBar.GetAs<CScrollBar>();
    if (GetStateValue() == WINDOW_STATE_DOCKED && pointer && !pointer->GetHeldObject() &&
        !(scroll && scroll->GetPressedButton() >= 0) && HitTest(WindowMouseX(), WindowMouseY())) {
        SetStateValue(WINDOW_STATE_FREE);
    }
    if (m_state != CLUB_STATE_MEMBER) return true;
    if (CScrollBar* bar = m_scrollBar.GetAs<CScrollBar>(); bar && bar->IsDrawOn())
        m_scrollTop = std::clamp(int32_t(bar->GetScrollPos() + 0.5f), 0, std::max(m_scrollMax, 0));
    const bool editor = !Online() || m_myGrade == CLUB_GRADE_MASTER;
    if (m_subTab == CLUB_PAGE_GENERAL &&
        (editor || (!m_masterOnline && (Flag(m_myFlags, kFlagLevels) || Flag(m_myFlags, kFlagHomepage)))))
        StoreEdits();
    if (m_subTab == CLUB_PAGE_INTRO && (editor || HasPermission(kFlagIntro))) StoreEdits();
    if ((m_subTab == CLUB_PAGE_NOTICE && (!Online() || (editor && Flag(m_myFlags, kFlagNotice)))) ||
        (m_subTab == CLUB_PAGE_APPLICANTS && (!Online() || (editor && Flag(m_myFlags, kFlagApplicant)))))
        StopBlink();
    if (m_popupOpen && m_popupEntry >= 0 && !IsPopupEntryAllowed(m_popupEntry)) m_popupEntry = -1;
    ICursorObject* cursor = WindowCursor();
    if (cursor && m_subTab == CLUB_PAGE_GENERAL && HitTest(WindowMouseX(), WindowMouseY())) {
        const int32_t lx = WindowMouseX() - m_x, ly = WindowMouseY() - m_y;
        if (In(kProgressBar, lx, ly)) {
            cursor->SetText(m_progressText.c_str(), kWhite);
        } else {
            for (int i = 0; i < 5; ++i)
                if (In(kFieldTips[i], lx, ly))
                    cursor->SetText(GetTableText(kTexts, kFieldTipRows[i]), kWhite);
        }
    }
    return true;
}

// ---- Drawing ----

void CClubBaseWindow::Text(int32_t x, int32_t y, const char* text, uint32_t colour) {
    if (g_pTextRenderer && g_pDirectDraw && text && text[0])
        g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), m_x + x, m_y + y, text, kFont, colour,
                                    kShadow, true);
}

bool CClubBaseWindow::Draw() {
    if (!IsDrawOn()) return true;
    CWeakRef self(this);
    // The frame under everything, then the page, then the controls.
    if (CAniObject* frame = GetAniObject()) DrawCommunityImage(frame, m_x, m_y);
    const bool noImage = m_noImageDraw;
    m_noImageDraw = 1;
    if (m_state != CLUB_STATE_MEMBER) {
        Text(kTextX, kTextY, m_statusLine.c_str());
        CBaseWindow::Draw();
        if (self) m_noImageDraw = noImage;
        return true;
    }
    switch (m_subTab) {
        case CLUB_PAGE_GENERAL:
            DrawGeneral();
            break;
        case CLUB_PAGE_INTRO:
            DrawTextPage(ClubTextMarkup(m_introduction.c_str(), true, CLUB_PAGE_TEXT_SIZE));
            break;
        case CLUB_PAGE_MEMBERS:
            DrawMembers();
            break;
        case CLUB_PAGE_APPLICANTS:
            DrawApplicants();
            break;
        case CLUB_PAGE_POWER:
            DrawPower();
            break;
        case CLUB_PAGE_NOTICE:
            DrawTextPage(m_notice);
            break;
        case CLUB_PAGE_LOG:
            DrawTextPage(m_log);
            break;
        default:
            DrawTextPage(m_texts[m_subTab == CLUB_PAGE_SECESSION ? 0 : 1]);
            break;
    }
    CBaseWindow::Draw();
    if (!self) return true;
    m_noImageDraw = noImage;
    if (m_popupOpen) DrawPopup();
    return true;
}

void CClubBaseWindow::DrawGeneral() {
    Text(kTextX, kProgressBar.top - 4, m_clubName, kGold);
    if (m_bars[0]) DrawCommunityImage(m_bars[0].get(), m_x + kProgressBar.left, m_y + kProgressBar.top);
    if (m_bars[1] && m_progress > 0) {
        // The fill, cut to the progress.
        const int32_t width =
            (kProgressBar.right - kProgressBar.left) * int32_t(std::min<uint32_t>(m_progress, 100)) / 100;
        for (int32_t x = 0; x < width; x += 2)
            DrawCommunityImage(m_bars[1].get(), m_x + kProgressBar.left + x, m_y + kProgressBar.top);
    }
    char line[64];
    std::snprintf(line, sizeof line, "%u", m_clubLevel);
    Text(kTextX, 88, line);
    Text(112, 88, m_progressText.c_str());
    std::snprintf(line, sizeof line, "%u", m_clubPoints);
    Text(200, 88, line);
    if (!GetEditBox(0) || !GetEditBox(0)->IsDrawOn()) {
        Text(kMinField.left + 30, kMinField.top + 3, m_minLevel.c_str());
        Text(kMaxField.left + 30, kMaxField.top + 3, m_maxLevel.c_str());
        Text(kHomepageField.left + 4, kHomepageField.top + 3, m_homepage.c_str());
    }
    Text(kTextX, 182,
         FormatTableText(GetTableText(kTexts, kRowLevelRange), {int(m_percentage), int(m_countFigure)})
             .c_str());
    Text(kTextX, 200, m_thirdText);
    if (m_emblem != 0 && m_mark)
        DrawCommunityImage(m_mark.get(), m_x + kEmblemSquare.left, m_y + kEmblemSquare.top);
}

void CClubBaseWindow::DrawMembers() {
    for (int32_t row = 0; row < CLUB_MEMBER_ROWS; ++row) {
        const int32_t index = m_scrollTop + row;
        if (index < 0 || index >= int32_t(m_members.size())) break;
        const ClubMember& m = m_members[size_t(index)];
        const int32_t top = kMemberTop + kMemberStep * row;
        if (index == m_selected && m_popups[2])
            DrawCommunityImage(m_popups[2].get(), m_x + kRowLeft, m_y + top);
        char order[16];
        const char* first = order;
        if (m.order == 0 || m.order > 999)
            first = GetTableText(kTexts, m.grade == CLUB_GRADE_MASTER ? kRowMaster : kRowSubLeader);
        else
            std::snprintf(order, sizeof order, "%u", m.order);
        if (m.order > 999 && m.grade != CLUB_GRADE_MASTER && m.grade != CLUB_GRADE_SUB_LEADER) first = "";
        Text(kRowLeft + 4, top + 8, first);
        if (m_face) {
            m_face->SetMotion(uint8_t(m.charType));
            m_face->SetDirection(m.online ? 2 : 0);
            DrawCommunityImage(m_face.get(), m_x + kRowLeft + 70, m_y + top + 2);
        }
        Text(kRowLeft + 100, top + 2, m.name, m.online ? kWhite : kGrey);
        if (m.nickname[0]) Text(kRowLeft + 100, top + 16, m.nickname, kGold);
        char figures[32];
        std::snprintf(figures, sizeof figures, "%d", int32_t(m.level));
        Text(kRowLeft + 210, top + 8, figures);
        std::snprintf(figures, sizeof figures, "%d", int32_t(m.points));
        Text(kRowLeft + 250, top + 8, figures);
    }
}

void CClubBaseWindow::DrawApplicants() {
    for (int32_t row = 0; row < CLUB_APPLICANT_ROWS; ++row) {
        const int32_t index = m_scrollTop + row;
        if (index >= int32_t(m_applicants.size())) break;
        const ClubApplicant& a = m_applicants[size_t(index)];
        const int32_t top = kApplicantTop + 1 + kApplicantStep * row;
        if (row == m_selected && m_popups[2])
            DrawCommunityImage(m_popups[2].get(), m_x + kApplicantLeft, m_y + top - 1);
        if (m_face) {
            m_face->SetMotion(uint8_t(a.charType));
            m_face->SetDirection(2);
            DrawCommunityImage(m_face.get(), m_x + kApplicantLeft + 4, m_y + top);
        }
        Text(kApplicantLeft + 34, top + 2, a.name);
        char level[16];
        std::snprintf(level, sizeof level, "%d", int32_t(a.level));
        Text(kApplicantLeft + 180, top + 2, level);
        Text(kApplicantLeft + 230, top + 2, a.date);
    }
}

void CClubBaseWindow::DrawPower() {
    for (int column = 0; column < 2; ++column)
        for (int row = 0; row < 4; ++row) {
            const bool on = (m_editedFlags & kPowerBits[column][row]) != 0;
            const int32_t left = column == 0 ? kCheckLeftX : kCheckRightX;
            if (m_checks[on ? 1 : 0])
                DrawCommunityImage(m_checks[on ? 1 : 0].get(), m_x + left, m_y + kCheckY[row]);
        }
}

void CClubBaseWindow::DrawTextPage(const std::string& text) {
    CTextLineBuffer lines;
    int32_t width = kPageGeometry[2];
    if (m_subTab == CLUB_PAGE_LOG) width = kPageGeometry[3];
    if (m_subTab >= CLUB_PAGE_SECESSION) width = kPageGeometry[4];
    const bool writes = m_subTab == CLUB_PAGE_NOTICE && (IsMaster() || HasPermission(kFlagWrite));
    const int32_t shown = writes ? kNoticeLinesWriting : kTextLines;
    lines.DrawLines(m_scrollTop, m_x + kTextX, m_y + kTextY, width, shown, text.c_str(), 0, true, kFont, 0);
    char count[16];
    std::snprintf(count, sizeof count, "%d", lines.CountLines(text.c_str(), width, true));
    Text(kRowRight - 20, kSubTabY + 2, count, kGrey);
}

void CClubBaseWindow::DrawPopup() {
    const bool members = m_subTab == CLUB_PAGE_MEMBERS;
    if (members && Online() && m_myGrade != CLUB_GRADE_MASTER &&
        !(!m_masterOnline && (Flag(m_myFlags, 16) || Flag(m_myFlags, 17) || Flag(m_myFlags, 18) ||
                              Flag(m_myFlags, kFlagApplicants))) &&
        !IsSubLeader())
        return;
    CAniObject* frame = m_popups[members ? 0 : 1].get();
    if (frame) DrawCommunityImage(frame, m_x + m_popupX, m_y + m_popupY);
    const int32_t entries = members ? CLUB_MEMBER_POPUP_ENTRIES : CLUB_APPLICANT_POPUP_ENTRIES;
    for (int32_t e = 0; e < entries; ++e) {
        const int32_t top = m_popupY + kPopupRowTop + kPopupRowHeight * e;
        const bool allowed = IsPopupEntryAllowed(e);
        if (e == m_popupEntry && allowed && m_popups[2])
            DrawCommunityImage(m_popups[2].get(), m_x + m_popupX + kPopupSide, m_y + top);
        Text(m_popupX + kPopupSide + 4, top + 1,
             GetTableText(kTexts, members ? kMemberPopupRows[e] : kApplicantPopupRows[e]),
             allowed ? kWhite : kGrey);
    }
}
