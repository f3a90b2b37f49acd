#include "windows/play/char_create_window.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/app_state.h"
#include "core/config.h"
#include "data/char_resource_mgr.h"
#include "data/text_tables.h"
#include "graphics/direct_draw.h"
#include "graphics/rich_text.h"
#include "graphics/text_renderer.h"
#include "net/game_session.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "ui/edit_mgr.h"
#include "ui/message_box.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"
#include "windows/play/play_windows.h"
#include "world/chars/char.h"

namespace {

constexpr char kImage[] = "Create_Char_Window";
constexpr char kButtonImage[] = "Select_Char_Window";
constexpr int kTextTable = 14;
constexpr int kRowEmptyName = 20, kRowCreating = 21;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int kHintColumn = 1;
// The player resource column of a type's portrait animation.
constexpr int kPortraitColumn = 6;

struct ButtonSpec {
    const char* name;
    uint8_t image;
    int32_t x, y;  // from the window's corner
};
constexpr ButtonSpec kButtons[CCharCreateWindow::kButtonCount] = {
    {"CREATE_CHAR_WND_OK_BUTTON", 2, 653, 397},
    {"CREATE_CHAR_WND_BACK_BUTTON", 3, 653, 437},
    {"CREATE_CHAR_WND_LEFTARROW_BUTTON", 4, 104, 163},
    {"CREATE_CHAR_WND_RIGHTARROW_BUTTON", 5, 333, 163},
};
constexpr int32_t kNameBoxX = 174, kNameBoxY = 445;

// Type table columns of variant v.
int DescriptionColumn(int v) {
    return 5 * v + 2;
}
int LabelColumn(int v) {
    return 5 * v + 4;
}
int ImageColumn(int v) {
    return 5 * v + 5;
}
int ResourceColumn(int v) {
    return 5 * v + 6;
}

const char* TypeName(int32_t type) {
    return type >= 0 && type < CCharCreateWindow::kMaxTypes ? g_textBuffers[type] : "";
}

void DrawText(int32_t x, int32_t y, const char* text) {
    if (g_pDirectDraw && g_pTextRenderer && text && *text)
        g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), x, y, text, 0, kWhite, 1, true);
}

void DrawImage(CAniObject* image, int32_t x, int32_t y) {
    if (!image) return;
    image->SetScreenPosition(x, y, 0);
    image->Draw();
}

}  // namespace

CCharCreateWindow::CCharCreateWindow() {
    CCharCreateWindow::Create();
}

CCharCreateWindow::~CCharCreateWindow() {
    CCharCreateWindow::Release();
}

bool CCharCreateWindow::Create() {
    CBaseWindow::Create();
    const uint32_t image = FindAniByName(kImage);
    CreateNamedWithAni(WINDOW_DRAG_TYPE, CHAR_CREATE_WINDOW_NAME, image, image == 0);
    if (m_pAniObject) {
        m_pAniObject->SetMotion(0);
        m_pAniObject->SetDirection(2);
    }
    SetKindId(0);
    const uint32_t buttonImage = FindAniByName(kButtonImage);
    for (int i = 0; i < kButtonCount; ++i)
        m_buttons[i].Assign(MakeChildButton(kButtons[i].name, this, buttonImage, kButtons[i].image));
    m_highlight = MakeWindowImage(image, 1, 0);
    m_frames[0] = MakeWindowImage(image, 4, 2);
    m_frames[1] = MakeWindowImage(image, 5, 2);
    m_marker = MakeWindowImage(image, 1, 12);
    if (m_marker) m_marker->Play(true);
    m_result = -1;
    m_chosenType = -1;
    m_variant = -1;
    m_type = -1;
    m_waiting = m_nameBoxOpen = m_busy = 0;

    auto* box = static_cast<CEditBox*>(MakeWindowControl("CREATE_CHAR_WND_NAME", CONTROL_EDIT_BOX));
    box->SetMaxLength(uint32_t(kNameLimit));
    box->SetTextColor(kWhite);
    box->m_forwardToParent = 1;
    AddChild(box);
    box->SetActive(false, true);
    // Drawn by this window; it takes input while hidden.
    box->Hide();
    box->SetInputOn(true);
    box->SetInputRect(true, 130, 434, 329, 468);
    m_nameBox.Assign(box);

    SetPosition(0, 0);
    m_types.LoadDataTable(kTypeTable);
    m_hints.LoadDataTable(kHintTable);
    // The window has places for fourteen types.
    m_typeCount = std::min(m_types.GetRowCount(), kMaxTypes);
    const CDataTable* players = g_pCharResourceMgr ? g_pCharResourceMgr->GetTable(CHAR_KIND_PLAYER) : nullptr;
    for (int t = 0; t < m_typeCount; ++t) {
        m_previews[t] = MakeWindowImage(FindAniByName(TypeName(t)), 2, 8);
        if (m_previews[t]) m_previews[t]->Play(true);
        const int32_t row =
            g_pCharResourceMgr ? g_pCharResourceMgr->FindRowByName(TypeName(t), CHAR_KIND_PLAYER) : -1;
        if (players && row >= 0)
            m_portraits[t] = MakeWindowImage(players->GetInt(kPortraitColumn, row), 0, 2);
    }
    SetType(0, 2);

    auto* messageBox = new CMessageBox(nullptr, true, true, false, 0);
    messageBox->SetOkNotify(true, GetPort(), 0);
    messageBox->SetCancelNotify(true, GetPort(), 0);
    AddChild(messageBox);
    messageBox->CentreOnScreen();
    messageBox->Hide();
    m_messageBox.Assign(messageBox);
    return true;
}

bool CCharCreateWindow::Release() {
    for (auto& image : m_previews) image.reset();
    for (auto& image : m_portraits) image.reset();
    for (auto& image : m_frames) image.reset();
    for (auto& image : m_variantImages) image.reset();
    m_marker.reset();
    m_highlight.reset();
    return CBaseWindow::Release();
}

bool CCharCreateWindow::SetPosition(int32_t x, int32_t y) {
    for (int i = 0; i < kButtonCount; ++i)
        if (CButton* button = GetButton(Button(i))) button->SetPosition(x + kButtons[i].x, y + kButtons[i].y);
    if (CEditBox* box = GetNameBox()) box->SetPosition(kNameBoxX, kNameBoxY);
    return CBaseWindow::SetPosition(x, y);
}

CMessageBox* CCharCreateWindow::GetMessageBox() const {
    return m_messageBox.GetAs<CMessageBox>();
}

// ---- Types and variants ----

bool CCharCreateWindow::SetType(int32_t type, uint8_t direction) {
    if (type < 0 || type >= m_typeCount || type == m_type) return false;
    m_type = type;
    for (int v = 0; v < kVariants; ++v) {
        const uint32_t animation = m_types.GetTupleInt(ImageColumn(v), type, 0);
        const uint32_t motion = m_types.GetTupleInt(ImageColumn(v), type, 1);
        m_variantImages[v] = MakeWindowImage(animation, uint8_t(motion), direction);
        const char* label = m_types.GetText(LabelColumn(v), type);
        CopyRecordText(m_labels[v], label ? label : "");
    }
    SelectVariant(0);
    return true;
}

void CCharCreateWindow::SelectVariant(int32_t variant) {
    if (variant < 0 || variant >= kVariants) return;
    m_variant = variant;
    m_resourceId =
        m_type >= 0 && m_type < m_types.GetRowCount() ? m_types.GetInt(ResourceColumn(variant), m_type) : 0;
    const CDataTable* players = g_pCharResourceMgr ? g_pCharResourceMgr->GetTable(CHAR_KIND_PLAYER) : nullptr;
    const int32_t row = g_pCharResourceMgr ? g_pCharResourceMgr->FindRow(m_resourceId, CHAR_KIND_PLAYER) : -1;
    for (int i = 0; i < kValueCount; ++i)
        m_values[i] = players && row >= 0 ? players->GetInt(kFirstValueColumn + i, row) : 0;
}

int32_t CCharCreateWindow::NextType(int32_t from, bool forward) const {
    if (m_typeCount <= 0) return -1;
    int32_t type =
        forward ? (from + 1 >= m_typeCount ? 0 : from + 1) : (from <= 0 ? m_typeCount - 1 : from - 1);
    // Types 4-6 and 11-13 are never offered.
    if (type >= 4 && type <= 6) type = forward ? 7 : 3;
    if (type >= 11 && type <= 13) type = forward ? 0 : 10;
    // A skip past the end of a short table goes round to the first type.
    return type < m_typeCount ? type : 0;
}

void CCharCreateWindow::StepType(bool forward) {
    CloseNameBox();
    SetType(NextType(m_type, forward), 2);
}

// ---- The name and the request ----

void CCharCreateWindow::OpenNameBox() {
    CEditBox* box = GetNameBox();
    if (!box) return;
    if (g_pEditMgr) g_pEditMgr->EnableIme(true);
    box->Show();
    box->SetActive(true, false);
    box->SetPosition(kNameBoxX, kNameBoxY);
    m_nameBoxOpen = 1;
}

void CCharCreateWindow::CloseNameBox() {
    m_nameBoxOpen = 0;
    if (CEditBox* box = GetNameBox()) box->SetActive(false, true);
}

void CCharCreateWindow::SetControlsTakeInput(bool on) {
    SetButtonsTakeInput({GetButton(kOk), GetButton(kBack), GetButton(kLeftArrow), GetButton(kRightArrow)},
                        on);
}

void CCharCreateWindow::EndWait() {
    m_waiting = 0;
    SetInputOn(true);
    if (CMessageBox* box = GetMessageBox()) box->Hide();
    SetControlsTakeInput(true);
}

void CCharCreateWindow::SubmitCreate() {
    if (g_pEditMgr) g_pEditMgr->EnableIme(false);
    CEditBox* box = GetNameBox();
    const char* name = box ? box->GetCurrentText() : "";
    if (!name || !*name) {
        ShowOkMessageBox(GetTableText(kTextTable, kRowEmptyName));
        return;
    }
    SetControlsTakeInput(false);
    if (CMessageBox* message = GetMessageBox()) {
        message->SetButtons(false, false, 0);
        message->ClearText();
        message->AddText(GetTableText(kTextTable, kRowCreating), kRichWhite);
        message->Show();
    }
    GameSession().RequestCharCreate(m_resourceId, name);
    m_waiting = 1;
    m_requestStart = plat::timeGetTime();
    SetInputOn(false);
}

// ---- Frame ----

bool CCharCreateWindow::ProcessMessages() {
    while (CMsg* msg = GetPort()->Pop()) {
        const std::unique_ptr<CMsg> owned(msg);
        if (msg->m_eventId != MESSAGE_BOX_ANSWER || msg->m_senderId != CHAR_CREATED_BOX_KIND) continue;
        if (CMessageBox* box = GetMessageBox()) box->Hide();
        if (GameSession().m_noticeValue != 0) {
            m_result = CHAR_CREATE_DONE;
            SetInputOn(false);
        }
    }
    return true;
}

int32_t CCharCreateWindow::HintRowAt(int32_t relativeY) {
    // Truncated toward zero: up to 14 pixels above the first line count as it.
    const int32_t line = (relativeY - 306) / 15;
    if (line >= 0 && line <= 2) return line + 7;
    if (line >= 5 && line <= 11) return line - 5;
    return -1;
}

bool CCharCreateWindow::Update() {
    CWeakRef self(this);
    CBaseWindow::Update();
    if (!self) return true;
    if (m_type >= 0 && m_type < kMaxTypes && m_previews[m_type]) m_previews[m_type]->Update();
    CGameSession& session = GameSession();
    if (m_waiting && !session.IsNoticePending() &&
        (!session.CanQueue() || plat::timeGetTime() - m_requestStart > SESSION_ANSWER_WAIT_MS)) {
        // No answer will come (the connection is gone or the time is up).
        EndWait();
        ShowOkMessageBox(GetTableText(kTextTable, SESSION_ANSWER_TIMED_OUT_ROW));
        return true;
    }
    if (m_waiting && session.IsNoticePending()) {
        if (session.m_noticeValue == 0) {
            EndWait();
            return true;
        }
        m_waiting = 0;
        SetInputOn(true);
        if (CMessageBox* box = GetMessageBox()) {
            box->SetButtons(true, false, 0);
            box->CentreOnScreen();
            box->Show();
            box->SetActive(true, false);
            box->ClearText();
            box->AddText(session.m_noticeText, kRichWhite);
            box->SetKindId(CHAR_CREATED_BOX_KIND);
        }
        return true;
    }
    if (m_waiting) return true;
    if (m_marker) m_marker->Update();
    const int32_t mx = WindowMouseX(), my = WindowMouseY();
    if (mx > m_x + 404 && mx < m_x + 612) {
        const int32_t row = HintRowAt(my - m_y);
        if (ICursorObject* cursor = WindowCursor(); cursor && row >= 0) {
            const char* hint = row < m_hints.GetRowCount() ? m_hints.GetText(kHintColumn, row) : nullptr;
            cursor->SetText(hint ? hint : "", kWhite);
        }
    }
    return true;
}

bool CCharCreateWindow::Draw() {
    const uint8_t option = g_options.GetByte(OPT_SCENE_FORCED);
    g_options.SetByte(OPT_SCENE_FORCED, 1);
    CEditBox* nameBox = GetNameBox();
    CBaseWindow* messageBox = GetMessageBox();
    // The name box and the message box are drawn last, over the rest.
    const bool boxShown = messageBox && messageBox->IsDrawOn();
    const bool nameShown = nameBox && nameBox->IsDrawOn();
    if (messageBox) messageBox->SetDrawOn(false);
    if (nameBox) nameBox->SetDrawOn(false);
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self) {
        g_options.SetByte(OPT_SCENE_FORCED, option);
        return true;
    }
    if (messageBox) messageBox->SetDrawOn(boxShown);
    if (nameBox) nameBox->SetDrawOn(nameShown);

    const char* typeName = TypeName(m_type);
    DrawText((76 - int32_t(std::strlen(typeName))) * 3, 269, typeName);
    if (m_type >= 0 && m_type < kMaxTypes) {
        DrawImage(m_previews[m_type].get(), m_x + 560, m_y + 215);
        if (m_portraits[m_type]) {
            m_portraits[m_type]->SetDirection(0);
            DrawImage(m_portraits[m_type].get(), 151, 105);
        }
    }
    char text[32];
    for (int i = 0; i < 3; ++i) {
        snprintf(text, sizeof text, "%u/%u", m_values[i], m_values[i]);
        DrawText(500 - 3 * int32_t(std::strlen(text)), 304 + 17 * i, text);
    }
    for (int i = 3; i < kValueCount; ++i) {
        snprintf(text, sizeof text, "%u", m_values[i]);
        DrawText(498, 382 + 15 * (i - 3), text);
    }
    if (m_variant >= 0 && m_variant < kVariants) DrawImage(m_highlight.get(), 169, 320 + 31 * m_variant);
    for (int v = 0; v < kVariants; ++v) {
        DrawImage(m_variantImages[v].get(), 151, 331 + 31 * v);
        DrawText((82 - int32_t(std::strlen(m_labels[v]))) * 3, 320 + 31 * v, m_labels[v]);
    }
    const uint8_t frameDirection = nameBox && nameBox->IsFocused() ? 0 : 2;
    for (auto& frame : m_frames)
        if (frame) frame->SetDirection(frameDirection);
    DrawImage(m_frames[0].get(), 169, 440);
    DrawImage(m_frames[1].get(), 142, 443);
    DrawImage(m_marker.get(), 578, 557);
    if (m_variant >= 0 && g_pTextRenderer)
        if (const char* description = m_types.GetText(DescriptionColumn(m_variant), m_type))
            g_pTextRenderer->DrawWrappedString(0, 234, 517, 50, 3, description, 0, kWhite, 1, true);
    if (nameBox && nameShown) nameBox->Draw();
    if (messageBox && boxShown) messageBox->Draw();
    g_options.SetByte(OPT_SCENE_FORCED, option);
    return true;
}

// ---- Input ----

bool CCharCreateWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (m_busy) return false;
    if (!control) {
        if (button == 0 && x > 136 && x < 325 && y > 318 && y < 412) {
            const int32_t variant = (y - 320) / 31;
            if (variant >= 0 && variant < kVariants) SelectVariant(variant);
        }
        return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    }
    if (button == 0 && IsClickOn(control, x, y)) {
        if (control == GetButton(kOk)) {
            m_chosenType = m_type;
            SubmitCreate();
            CloseNameBox();
            return false;
        }
        if (control == GetButton(kBack)) {
            m_result = CHAR_CREATE_DONE;
            SetInputOn(false);
            return false;
        }
        if (control == GetButton(kLeftArrow) || control == GetButton(kRightArrow)) {
            StepType(control == GetButton(kRightArrow));
            return false;
        }
        if (control == GetNameBox()) {
            OpenNameBox();
            return false;
        }
    }
    return control->OnControlEvent(button, x, y, nullptr);
}

bool CCharCreateWindow::OnKeyDown(uint32_t key, CBaseWindow* control) {
    CEditBox* box = GetNameBox();
    if (control && control == box && box->IsFocused() && key == plat::VK_RETURN) {
        if (CButton* ok = GetButton(kOk)) ok->Press();
        m_chosenType = m_type;
        SubmitCreate();
        CloseNameBox();
        return false;
    }
    return CBaseWindow::OnKeyDown(key, control);
}
