#include "windows/community/fortress_board_win.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/message.h"
#include "data/char_resource_mgr.h"
#include "data/text_format.h"
#include "data/text_tables.h"
#include "net/game_session.h"
#include "net/handlers/window_records.h"
#include "ui/button.h"
#include "ui/message_box.h"
#include "ui/window_mgr.h"
#include "windows/community/club_base_window.h"
#include "windows/community/club_rules.h"
#include "windows/community/community_images.h"

namespace {

constexpr int kTexts = 14;
constexpr int kRowFigure1 = 582, kRowFigure2 = 583, kRowFigure3 = 584, kRowFigures = 585, kRowItem = 586;
constexpr int kRowWar = 589, kRowNothing = 591, kRowTwoClubs[2] = {592, 593}, kRowNoClub = 597;
constexpr int kRowAskProclaim = 646, kRowSecondFortress = 648;
constexpr uint32_t kGold = 0x60D0F0;
constexpr uint32_t kPortraitIds[FORTRESS_PORTRAITS] = {2100347, 2100348, 2100477, 2100478};
constexpr int32_t kWidth = 352, kHeight = 450;
constexpr int32_t kCloseX = 326, kCloseY = 11;
constexpr int32_t kProclaimX = 40, kCancelWarX = 140, kInProgressX = 240, kButtonsY = 420;
constexpr int32_t kItemX[2] = {94, 207}, kItemY = 107, kClubItemX = 259, kClubItemY = 97;
constexpr int32_t kListX = 20, kListY = 299, kListStep = 15;
constexpr int32_t kSecondClubTop = 110;
constexpr uint32_t kFrameAnimation = 3399;
constexpr uint8_t kFrameMotion = 5;
// A window message asking the window to close.
constexpr uint32_t kCloseRequest = 85;
// The fortress table: its name, then the two item choices.
constexpr int kColName = 0, kColItems[2] = {1, 2};

FortressClub ClubOf(const CFortressClub& record, bool hasPresence) {
    FortressClub club;
    club.name.assign(record.m_name, strnlen(record.m_name, sizeof record.m_name));
    club.present = hasPresence ? record.m_flag : uint8_t(club.name.empty() ? 0 : 1);
    club.figure1 = record.m_b1;
    club.figure2 = record.m_b2;
    club.emblem = record.m_value;
    club.figure3 = record.m_b3;
    club.item = record.m_b4;
    club.figure4 = record.m_word;
    club.figure5 = record.m_b5;
    club.figure6 = record.m_b6;
    return club;
}

std::unique_ptr<CAniObject> MarkImage(uint32_t emblem) {
    if (emblem == 0) return nullptr;
    const ClubMarkCell cell = ClubMarkCellOf(emblem);
    return MakeCommunityImage(ClubMarkName(emblem).c_str(), cell.motion, cell.direction);
}

void ShowIf(CButton* button, bool on) {
    if (!button) return;
    if (on)
        button->Show();
    else
        button->Hide();
}

}  // namespace

CFortressBoardWin::CFortressBoardWin() {
    CFortressBoardWin::Create();
}

CFortressBoardWin::~CFortressBoardWin() {
    CFortressBoardWin::Release();
}

bool CFortressBoardWin::Create() {
    CBaseWindow::Create();
    MakeCommunityWindowPicture(this, FORTRESS_BOARD_WINDOW_NAME, "FORTRESS_BOARD_WIN", 0);
    SetKindId(0);
    m_draggable = 1;
    m_fortresses.LoadDataTable(FORTRESS_TABLE);
    const uint32_t icons = FindAniByName("CommonIcons"), buttons = FindAniByName("ClubInter_BUTTONS");
    m_close.Assign(MakeChildButton("FORTRESS_BOARD_WIN_CLOSE_BUTTON", this, icons, 1));
    m_proclaim.Assign(MakeChildButton("FORTRESS_BOARD_WIN_PROCLAMATION_BUTTON", this, buttons, 0));
    m_cancelWar.Assign(MakeChildButton("FORTRESS_BOARD_WIN_CANCEL_WAR_BUTTON", this, buttons, 1));
    m_inProgress.Assign(MakeChildButton("FORTRESS_BOARD_WIN_ING_BUTTON", this, buttons, 0));
    for (CButton* b :
         {m_proclaim.GetAs<CButton>(), m_cancelWar.GetAs<CButton>(), m_inProgress.GetAs<CButton>()})
        if (b) b->Hide();
    // The item frames: motion 5 of animation 3399, directions 2 and 0.
    for (int i = 0; i < 2; ++i) {
        auto frame = std::make_unique<CAniObject>();
        const uint8_t direction = i == 0 ? 2 : 0;
        if (!frame->SetAnimation(kFrameAnimation) || frame->IsMotionMissing(kFrameMotion, direction))
            continue;
        frame->SetMotion(kFrameMotion);
        frame->SetDirection(direction);
        m_frames[i] = std::move(frame);
    }
    for (uint32_t i = 0; i < FORTRESS_PORTRAITS; ++i) m_portraitIds[i] = kPortraitIds[i];
    CreatePortraits();
    CBaseWindow::Hide();
    CFortressBoardWin::SetPosition(0, 0);
    return true;
}

bool CFortressBoardWin::Release() {
    for (auto& p : m_portraits) p.reset();
    for (auto& m : m_marks) m.reset();
    for (auto& f : m_frames) f.reset();
    return CBaseWindow::Release();
}

void CFortressBoardWin::CreatePortraits() {
    for (uint32_t i = 0; i < FORTRESS_PORTRAITS; ++i) {
        uint16_t animation = 0, motion = 0;
        uint8_t direction = 0;
        if (g_pCharResourceMgr)
            g_pCharResourceMgr->GetMonsterAniRef(m_portraitIds[i], &animation, &motion, &direction);
        auto portrait = std::make_unique<CAniObject>();
        portrait->SetAnimation(animation);
        portrait->SetMotion(uint8_t(motion));
        portrait->SetDirection(direction);
        m_portraits[i] = std::move(portrait);
    }
}

CAniObject* CFortressBoardWin::GetPortrait(uint32_t i) const {
    return i < FORTRESS_PORTRAITS ? m_portraits[i].get() : nullptr;
}

CButton* CFortressBoardWin::GetButton(const char* name) const {
    for (const CWeakRef* ref : {&m_close, &m_proclaim, &m_cancelWar, &m_inProgress}) {
        CButton* button = ref->GetAs<CButton>();
        if (button && name && std::strcmp(button->GetName(), name) == 0) return button;
    }
    return nullptr;
}

bool CFortressBoardWin::UpdateRect() {
    if (GetAniObject()) return CBaseWindow::UpdateRect();
    m_rect = WindowRect{m_x, m_y, m_x + kWidth - 1, m_y + kHeight - 1};
    return true;
}

int32_t CFortressBoardWin::GetWidth() {
    return kWidth;
}

int32_t CFortressBoardWin::GetHeight() {
    return kHeight;
}

bool CFortressBoardWin::SetPosition(int32_t x, int32_t y) {
    CBaseWindow::SetPosition(x, y);
    if (CButton* b = m_close.GetAs<CButton>()) b->SetPosition(x + kCloseX, y + kCloseY);
    if (CButton* b = m_proclaim.GetAs<CButton>()) b->SetPosition(x + kProclaimX, y + kButtonsY);
    if (CButton* b = m_cancelWar.GetAs<CButton>()) b->SetPosition(x + kCancelWarX, y + kButtonsY);
    if (CButton* b = m_inProgress.GetAs<CButton>()) b->SetPosition(x + kInProgressX, y + kButtonsY);
    return true;
}

void CFortressBoardWin::SetFace(uint8_t direction) {
    if (CAniObject* picture = GetAniObject()) picture->SetDirection(direction);
}

bool CFortressBoardWin::Show() {
    m_state = FORTRESS_STATE_NONE;
    m_name.clear();
    m_clubs[0] = m_clubs[1] = FortressClub{};
    m_warValue = 0;
    SetFace(2);
    CBaseWindow::Show();
    GameSession().SendFortressBoardRequest0();
    GameSession().SendFortressBoardRequest2();
    return true;
}

void CFortressBoardWin::SetBoard(const CFortressBoardMsg& record) {
    m_name.assign(record.m_text, strnlen(record.m_text, sizeof record.m_text));
    switch (record.m_id) {
        case MSG_FORTRESS_TEXT:
            m_state = FORTRESS_STATE_NAME;
            SetFace(2);
            break;
        case MSG_FORTRESS_ONE_CLUB:
            m_state = FORTRESS_STATE_ONE_CLUB;
            m_clubs[0] = ClubOf(record.m_first, true);
            m_marks[0] = MarkImage(m_clubs[0].emblem);
            SetFace(2);
            break;
        case MSG_FORTRESS_TWO_CLUBS:
        case MSG_FORTRESS_CLUB_VALUE:
            m_state = record.m_id == MSG_FORTRESS_TWO_CLUBS ? FORTRESS_STATE_TWO_CLUBS : FORTRESS_STATE_WAR;
            m_clubs[0] = ClubOf(record.m_first, true);
            m_clubs[1] = ClubOf(record.m_second, false);
            m_warValue = record.m_value;
            for (int i = 0; i < 2; ++i) m_marks[i] = MarkImage(m_clubs[i].emblem);
            SetFace(0);
            break;
        default:
            return;
    }
    if (m_state != FORTRESS_STATE_WAR) UpdateButtons();
}

void CFortressBoardWin::SetProclaimed(const std::vector<std::string>& names) {
    m_proclaimed.clear();
    for (const std::string& name : names)
        if (m_proclaimed.size() < FORTRESS_PROCLAIMED_MAX) m_proclaimed.push_back(name);
    UpdateButtons();
}

void CFortressBoardWin::UpdateButtons() {
    CClubBaseWindow* club = FindClubBaseWindow();
    const std::string own = club && club->GetClubNumber() != 0 ? club->GetClubName() : "";
    const bool master = m_proclaimed.size() < FORTRESS_PROCLAIMED_MAX && !own.empty() && club->IsMaster();
    bool listed = false;
    for (const std::string& name : m_proclaimed) listed = listed || name == own;
    CButton* proclaim = m_proclaim.GetAs<CButton>();
    CButton* cancel = m_cancelWar.GetAs<CButton>();
    // The proclamation and cancel-war buttons as for a board with a name only.
    auto asNameOnly = [&](bool proclamation, bool cancelWar) {
        if (proclamation && master) ShowIf(proclaim, !listed);
        if (cancelWar) ShowIf(cancel, listed);
    };
    const bool first = own == m_clubs[0].name, second = own == m_clubs[1].name;
    switch (m_state) {
        case FORTRESS_STATE_NAME:
            asNameOnly(true, true);
            break;
        case FORTRESS_STATE_ONE_CLUB:
            asNameOnly(!first, !first);
            break;
        case FORTRESS_STATE_TWO_CLUBS:
            asNameOnly(!first && master && !second, !first && !second);
            if (!first && second) ShowIf(cancel, true);
            break;
        case FORTRESS_STATE_WAR:
            ShowIf(proclaim, false);
            ShowIf(cancel, false);
            ShowIf(m_inProgress.GetAs<CButton>(), true);
            return;
        default:
            return;
    }
    ShowIf(m_inProgress.GetAs<CButton>(), false);
}

void CFortressBoardWin::SendCancelWar() {
    GameSession().SendFortressCancelWar();
    GameSession().SendFortressBoardRequest0();
    GameSession().SendFortressBoardRequest2();
}

void CFortressBoardWin::Proclaim() {
    if (m_proclaimed.empty() && (m_state == FORTRESS_STATE_NAME || m_state == FORTRESS_STATE_ONE_CLUB)) {
        SendCancelWar();
        return;
    }
    AskCommunityQuestion(GetTableText(kTexts, kRowAskProclaim), GetPort(), FORTRESS_BOX_PROCLAIM);
}

bool CFortressBoardWin::ProcessMessages() {
    while (CMsg* msg = GetPort()->Pop()) {
        const std::unique_ptr<CMsg> owned(msg);
        CMsgData* payload = msg->m_pPayload.get();
        switch (msg->m_eventId) {
            case MESSAGE_BOX_ANSWER:
                if (msg->m_senderId == FORTRESS_BOX_PROCLAIM && msg->m_extra != 0) SendCancelWar();
                break;
            case kCloseRequest:
                Hide();
                break;
            case MSG_FORTRESS_TEXT:
            case MSG_FORTRESS_ONE_CLUB:
            case MSG_FORTRESS_TWO_CLUBS:
            case MSG_FORTRESS_CLUB_VALUE:
                if (auto* board = dynamic_cast<CFortressBoardMsg*>(payload)) SetBoard(*board);
                break;
            case MSG_FORTRESS_NAMES:
                if (auto* list = dynamic_cast<CFortressNamesMsg*>(payload)) {
                    std::vector<std::string> names;
                    for (const std::vector<char>& name : list->m_names)
                        names.emplace_back(name.data(), strnlen(name.data(), name.size()));
                    SetProclaimed(names);
                }
                break;
            default:
                break;
        }
    }
    return true;
}

bool CFortressBoardWin::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    return DispatchDialogClick(button, x, y, control,
                               {{m_close.GetAs<CBaseWindow>(), [this] { Hide(); }},
                                {m_proclaim.GetAs<CBaseWindow>(), [this] { Proclaim(); }},
                                {m_cancelWar.GetAs<CBaseWindow>(), [this] { SendCancelWar(); }}});
}

// ---- Drawing ----

void CFortressBoardWin::Text(int32_t x, int32_t y, const char* text, uint32_t colour) {
    DrawCommunityText(m_x + x, m_y + y, text, colour);
}

int32_t CFortressBoardWin::FortressRow() const {
    return m_name == GetTableText(kTexts, kRowSecondFortress) ? 1 : 0;
}

void CFortressBoardWin::DrawItem(uint8_t choice, int32_t x, int32_t y) {
    if (choice < FORTRESS_PORTRAITS) DrawCommunityImage(m_portraits[choice].get(), m_x + x, m_y + y);
}

void CFortressBoardWin::DrawFortressItems(int32_t row) {
    const char* text = m_fortresses.GetText(kColName, row);
    if (text) Text(172 - 3 * int32_t(std::strlen(text)), 85, text, kGold);
    for (int i = 0; i < 2; ++i) {
        DrawCommunityImage(m_frames[0].get(), m_x + kItemX[i] - 1, m_y + kItemY - 1);
        DrawItem(uint8_t(m_fortresses.GetInt(kColItems[i], row)), kItemX[i], kItemY);
    }
}

void CFortressBoardWin::DrawClub(const FortressClub& club, int32_t top) {
    const int which = &club == &m_clubs[0] ? 0 : 1;
    Text(38, top + 83, club.name.c_str(), kGold);
    DrawCommunityImage(m_frames[1].get(), m_x + 36, m_y + top + 100);
    DrawCommunityImage(m_marks[which].get(), m_x + 38, m_y + top + 102);
    // An item choice above 3 names no item.
    if (club.item >= 1 && club.item <= 3) {
        DrawItem(uint8_t(club.item - 1), kClubItemX, top + kClubItemY);
        const char* itemName =
            g_pCharResourceMgr ? g_pCharResourceMgr->GetMonsterName(m_portraitIds[club.item - 1]) : nullptr;
        const std::string line = FormatTableText(GetTableText(kTexts, kRowItem), {itemName ? itemName : ""});
        Text(284 - 3 * int32_t(line.size()), top + 182, line.c_str());
    }
    const std::string lines[4] = {
        FormatTableText(GetTableText(kTexts, kRowFigure1), {club.figure1}),
        FormatTableText(GetTableText(kTexts, kRowFigure2), {club.figure2}),
        FormatTableText(GetTableText(kTexts, kRowFigure3), {club.figure3}),
        FormatTableText(GetTableText(kTexts, kRowFigures), {club.figure4, club.figure5, club.figure6})};
    for (int i = 0; i < 4; ++i) Text(82, top + 100 + 16 * i, lines[i].c_str());
}

bool CFortressBoardWin::Draw() {
    if (!IsDrawOn()) return true;
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self) return true;
    if (!m_name.empty()) Text(26, 47, m_name.c_str(), kGold);
    switch (m_state) {
        case FORTRESS_STATE_NONE: {
            const char* text = GetTableText(kTexts, kRowNothing);
            Text(180 - 3 * int32_t(std::strlen(text)), 135, text);
            break;
        }
        case FORTRESS_STATE_NAME:
            DrawFortressItems(FortressRow());
            break;
        case FORTRESS_STATE_ONE_CLUB:
            if (!m_clubs[0].present) {
                Text(38, 83, GetTableText(kTexts, kRowNoClub));
                DrawFortressItems(FortressRow());
            } else {
                DrawClub(m_clubs[0], 0);
            }
            break;
        case FORTRESS_STATE_TWO_CLUBS:
        case FORTRESS_STATE_WAR:
            for (int i = 0; i < 2; ++i)
                if (m_clubs[i].present) DrawClub(m_clubs[i], i * kSecondClubTop);
            if (m_state == FORTRESS_STATE_TWO_CLUBS) {
                // Each club's line above its item, clear of the first club's item name.
                Text(200, 70, GetTableText(kTexts, kRowTwoClubs[0]));
                Text(200, 70 + kSecondClubTop + 16, GetTableText(kTexts, kRowTwoClubs[1]));
            } else {
                Text(200, 70, FormatTableText(GetTableText(kTexts, kRowWar), {m_warValue}).c_str());
            }
            break;
        default:
            break;
    }
    for (size_t i = 0; i < m_proclaimed.size(); ++i) {
        char line[300];
        std::snprintf(line, sizeof line, "%1d : %s", int(i + 1), m_proclaimed[i].c_str());
        Text(kListX, kListY + kListStep * int32_t(i), line);
    }
    return true;
}
