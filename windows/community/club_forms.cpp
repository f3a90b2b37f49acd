#include "windows/community/club_forms.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/message.h"
#include "core/util.h"
#include "core/window_port_records.h"
#include "data/text_tables.h"
#include "graphics/text_renderer.h"
#include "net/game_session.h"
#include "net/handlers/window_records.h"
#include "ui/button.h"
#include "ui/edit_box.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"
#include "windows/community/club_rules.h"
#include "windows/community/community_images.h"

namespace {

constexpr int kTexts = 14;
constexpr uint32_t kWhite = 0xFFFFFF, kGold = 0x60D0F0;
constexpr int32_t kStartX = 100, kStartY = 100;
constexpr uint8_t kOkMotion = 0, kCloseMotion = 1;
// The join window: its frame and where its values stand.
constexpr int32_t kJoinWidth = 340, kJoinHeight = 330;
constexpr int32_t kJoinRequestX = 250, kJoinRequestY = 300, kJoinCloseX = 318, kJoinCloseY = 4;
constexpr int32_t kJoinMarkX = 300, kJoinMarkY = 30;
constexpr int32_t kJoinIntroColumns = 50, kJoinIntroLines = 5;
// The make window: its frame, fields and buttons.
constexpr int32_t kMakeWidth = 330, kMakeHeight = 336;
constexpr int32_t kMakeOkX = 240, kMakeOkY = 310, kMakeCloseX = 308, kMakeCloseY = 4;
constexpr int kMakeHintRows[CLUB_MAKE_FIELDS] = {408, 409, 409, 410, 411};
constexpr int kRowNameMissing = 414;
constexpr uint8_t kMakeFieldDirection[CLUB_MAKE_FIELDS] = {2, 0, 0, 2, 14};
// The fields' areas (right and bottom included), relative to the window.
constexpr WindowRect kMakeFields[CLUB_MAKE_FIELDS] = {
    {74, 34, 322, 49}, {74, 71, 168, 86}, {228, 71, 322, 86}, {74, 91, 322, 106}, {6, 118, 322, 301}};
struct MakeEdit {
    const char* name;
    uint32_t limit;
    const char* start;
};
constexpr MakeEdit kMakeEdits[CLUB_MAKE_FIELDS] = {{"CLUBMAKE_NAME_EDITBOX", 30, ""},
                                                   {"CLUBMAKE_MIN_LEVEL_EDITBOX", 3, "1"},
                                                   {"CLUBMAKE_MAX_LEVEL_EDITBOX", 3, "255"},
                                                   {"CLUBMAKE_HOMEPAGE_EDITBOX", 40, ""},
                                                   {"CLUBMAKE_INTRO_EDITBOX", 200, ""}};

void HideAndLetGo(CBaseWindow* window) {
    window->Hide();
    window->SetActive(false, false);
}

template <size_t N>
std::string Field(const char (&text)[N]) {
    return std::string(text, strnlen(text, N));
}

}  // namespace

// ---- CClubJoinWindow ----

CClubJoinWindow::CClubJoinWindow() {
    CClubJoinWindow::Create();
}

CClubJoinWindow::~CClubJoinWindow() {
    CClubJoinWindow::Release();
}

bool CClubJoinWindow::Create() {
    CBaseWindow::Create();
    MakeCommunityWindowPicture(this, CLUB_JOIN_WINDOW_NAME, CLUB_JOIN_WINDOW_NAME, 0);
    SetKindId(0);
    m_draggable = 1;
    m_close.Assign(
        MakeChildButton("CLUBJOIN_CLOSE_BUTTON", this, FindAniByName("CommonIcons"), kCloseMotion));
    m_request.Assign(
        MakeChildButton("CLUBJOIN_REQUEST_BUTTON", this, FindAniByName("ClubInter_BUTTONS"), kOkMotion));
    CBaseWindow::Hide();
    CClubJoinWindow::SetPosition(kStartX, kStartY);
    return true;
}

bool CClubJoinWindow::Release() {
    m_mark.reset();
    return CBaseWindow::Release();
}

bool CClubJoinWindow::UpdateRect() {
    if (GetAniObject()) return CBaseWindow::UpdateRect();
    m_rect = WindowRect{m_x, m_y, m_x + kJoinWidth - 1, m_y + kJoinHeight - 1};
    return true;
}

bool CClubJoinWindow::SetPosition(int32_t x, int32_t y) {
    CBaseWindow::SetPosition(x, y);
    if (CButton* request = GetRequestButton()) request->SetPosition(x + kJoinRequestX, y + kJoinRequestY);
    if (CButton* close = GetCloseButton()) close->SetPosition(x + kJoinCloseX, y + kJoinCloseY);
    return true;
}

void CClubJoinWindow::SetClubInfo(const CClubInfoMsg& info) {
    m_clubNumber = info.m_a;
    m_clubName = Field(info.m_text1);
    m_secondName = Field(info.m_text2);
    m_counts[0] = info.m_value2;
    m_counts[1] = info.m_value3;
    m_counts[2] = info.m_value4;
    m_texts[0] = Field(info.m_text3);
    m_texts[1] = Field(info.m_text4);
    m_texts[2] = Field(info.m_text5);
    m_levels[0] = info.m_value6;
    m_levels[1] = info.m_value7;
    m_levels[2] = info.m_value8;
    m_emblem = info.m_value12;
    m_mark.reset();
    if (m_emblem != 0) {
        const ClubMarkCell cell = ClubMarkCellOf(m_emblem);
        m_mark = MakeCommunityImage(ClubMarkName(m_emblem).c_str(), cell.motion, cell.direction);
    }
    Show();
}

bool CClubJoinWindow::ProcessMessages() {
    while (CMsg* msg = GetPort()->Pop()) {
        const std::unique_ptr<CMsg> owned(msg);
        if (msg->m_eventId != MSG_CLUB_JOIN_INFO) continue;
        if (auto* info = dynamic_cast<CClubInfoMsg*>(msg->m_pPayload.get())) SetClubInfo(*info);
    }
    return true;
}

bool CClubJoinWindow::Draw() {
    if (!IsDrawOn()) return true;
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self) return true;
    if (m_emblem != 0) DrawCommunityImage(m_mark.get(), m_x + kJoinMarkX, m_y + kJoinMarkY);
    char number[32];
    std::snprintf(number, sizeof number, "%d", m_levels[0]);
    DrawCommunityText(m_x + 303, m_y + 62, number, kWhite);
    DrawCommunityText(m_x + 171, m_y + 38, m_clubName.c_str(), kGold);
    DrawCommunityText(m_x + 171, m_y + 75, m_secondName.c_str(), kWhite);
    std::snprintf(number, sizeof number, "%d/%d", m_counts[2] + 1, m_counts[1]);
    DrawCommunityText(m_x + 171, m_y + 105, number, kWhite);
    std::snprintf(number, sizeof number, "%d", m_levels[1]);
    DrawCommunityText(m_x + 108, m_y + 134, number, kWhite);
    std::snprintf(number, sizeof number, "%d", m_levels[2]);
    DrawCommunityText(m_x + 226, m_y + 134, number, kWhite);
    DrawCommunityText(m_x + 200, m_y + 166, m_texts[0].c_str(), kWhite);
    DrawCommunityText(m_x + 200, m_y + 191, m_texts[1].c_str(), kWhite);
    if (g_pTextRenderer && !m_texts[2].empty())
        g_pTextRenderer->DrawWrappedString(0, m_x + 13, m_y + 244, kJoinIntroColumns, kJoinIntroLines,
                                           m_texts[2].c_str(), 0, kWhite, 0, true);
    return true;
}

void CClubJoinWindow::Close() {
    HideAndLetGo(this);
}

bool CClubJoinWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    return DispatchDialogClick(button, x, y, control,
                               {{GetRequestButton(),
                                 [this] {
                                     const char* player = PlayerCharacterName();
                                     if (player[0])
                                         GameSession().SendClubJoin(1, m_clubName.c_str(), player, 4);
                                     Close();
                                 }},
                                {GetCloseButton(), [this] { Close(); }}});
}

// ---- CClubMakeWindow ----

CClubMakeWindow::CClubMakeWindow() {
    CClubMakeWindow::Create();
}

CClubMakeWindow::~CClubMakeWindow() {
    CClubMakeWindow::Release();
}

bool CClubMakeWindow::Create() {
    CBaseWindow::Create();
    MakeCommunityWindowPicture(this, CLUB_MAKE_WINDOW_NAME, CLUB_MAKE_WINDOW_NAME, 0);
    SetKindId(0);
    m_draggable = 1;
    m_kind = 1;
    m_option = 0;
    for (int32_t i = 0; i < CLUB_MAKE_FIELDS; ++i) {
        auto* box = static_cast<CEditBox*>(MakeWindowControl(kMakeEdits[i].name, CONTROL_EDIT_BOX));
        if (!box) continue;
        box->SetMaxLength(kMakeEdits[i].limit);
        box->SetTextColor(kWhite);
        box->SetNumeric(i == CLUB_MAKE_MIN_LEVEL || i == CLUB_MAKE_MAX_LEVEL);
        box->SetText(kMakeEdits[i].start);
        AddChild(box);
        box->SetActive(false, true);
        m_edits[i].Assign(box);
    }
    m_ok.Assign(MakeChildButton("CLUBMAKE_OK_BTN", this, FindAniByName("ClubInter_BUTTONS"), kOkMotion));
    m_close.Assign(
        MakeChildButton("CLUBMAKE_CLOSE_BUTTON", this, FindAniByName("CommonIcons"), kCloseMotion));
    CBaseWindow::Hide();
    CClubMakeWindow::SetPosition(kStartX, kStartY);
    return true;
}

bool CClubMakeWindow::Release() {
    return CBaseWindow::Release();
}

CEditBox* CClubMakeWindow::GetEditBox(int32_t field) const {
    return field >= 0 && field < CLUB_MAKE_FIELDS ? m_edits[field].GetAs<CEditBox>() : nullptr;
}

bool CClubMakeWindow::UpdateRect() {
    if (GetAniObject()) return CBaseWindow::UpdateRect();
    m_rect = WindowRect{m_x, m_y, m_x + kMakeWidth - 1, m_y + kMakeHeight - 1};
    return true;
}

bool CClubMakeWindow::SetPosition(int32_t x, int32_t y) {
    CBaseWindow::SetPosition(x, y);
    for (int32_t i = 0; i < CLUB_MAKE_FIELDS; ++i) {
        CEditBox* box = GetEditBox(i);
        if (!box) continue;
        const WindowRect& f = kMakeFields[i];
        box->SetPosition(x + f.left + 2, y + f.top + 1);
        box->SetInputRect(true, x + f.left, y + f.top, x + f.right, y + f.bottom);
    }
    if (CButton* ok = GetOkButton()) ok->SetPosition(x + kMakeOkX, y + kMakeOkY);
    if (CButton* close = GetCloseButton()) close->SetPosition(x + kMakeCloseX, y + kMakeCloseY);
    return true;
}

void CClubMakeWindow::SetValues(uint8_t kind, uint8_t option) {
    m_kind = kind;
    m_option = option;
}

bool CClubMakeWindow::ProcessMessages() {
    while (CMsg* msg = GetPort()->Pop()) {
        const std::unique_ptr<CMsg> owned(msg);
        if (msg->m_eventId != MSG_CLUB_MAKE_VALUES) continue;
        if (auto* values = dynamic_cast<CClubMakeValuesMsg*>(msg->m_pPayload.get()))
            SetValues(uint8_t(values->m_a), values->m_b);
    }
    return true;
}

int32_t CClubMakeWindow::FieldAt(int32_t x, int32_t y) {
    for (int32_t i = 0; i < CLUB_MAKE_FIELDS; ++i)
        if (kMakeFields[i].Contains(x, y)) return i;
    return -1;
}

bool CClubMakeWindow::Update() {
    if (!CBaseWindow::Update()) return false;
    if (!IsDrawOn()) return true;
    const int32_t field = FieldAt(WindowMouseX() - m_x, WindowMouseY() - m_y);
    if (field >= 0 && HitTest(WindowMouseX(), WindowMouseY()))
        if (ICursorObject* cursor = WindowCursor())
            cursor->SetText(GetTableText(kTexts, kMakeHintRows[field]), kWhite);
    return true;
}

bool CClubMakeWindow::Draw() {
    return CBaseWindow::Draw();
}

void CClubMakeWindow::Close() {
    for (int32_t i = 0; i < CLUB_MAKE_FIELDS; ++i)
        if (CEditBox* box = GetEditBox(i)) box->SetActive(false, true);
    HideAndLetGo(this);
}

void CClubMakeWindow::Submit() {
    CEditBox* fields[CLUB_MAKE_FIELDS];
    for (int32_t i = 0; i < CLUB_MAKE_FIELDS; ++i) {
        fields[i] = GetEditBox(i);
        if (!fields[i]) return;
    }
    const char* name = fields[CLUB_MAKE_NAME]->GetCurrentText();
    if (!name || !name[0]) {
        ShowCommunityNotice(GetTableText(kTexts, kRowNameMissing));
        return;
    }
    GameSession().SendClubCreate(m_kind, m_option, name, uint16_t(fields[CLUB_MAKE_MIN_LEVEL]->GetNumber()),
                                 uint16_t(fields[CLUB_MAKE_MAX_LEVEL]->GetNumber()),
                                 fields[CLUB_MAKE_HOMEPAGE]->GetCurrentText(),
                                 fields[CLUB_MAKE_INTRO]->GetCurrentText());
    for (CEditBox* box : fields) box->SetText("");
    Close();
}

bool CClubMakeWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!control) {
        const int32_t field = FieldAt(x - m_x, y - m_y);
        if (button == 0 && field >= 0) {
            if (CAniObject* picture = GetAniObject()) picture->SetDirection(kMakeFieldDirection[field]);
            if (CEditBox* box = GetEditBox(field)) box->SetActive(true, false);
            return false;
        }
        return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    }
    return DispatchDialogClick(
        button, x, y, control,
        {{GetOkButton(), [this] { Submit(); }}, {GetCloseButton(), [this] { Close(); }}});
}
