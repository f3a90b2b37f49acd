#include "windows/play/char_select_window.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "anim/field_sound.h"
#include "core/app_state.h"
#include "core/config.h"
#include "data/text_format.h"
#include "data/text_tables.h"
#include "graphics/direct_draw.h"
#include "graphics/rich_text.h"
#include "graphics/text_renderer.h"
#include "net/game_session.h"
#include "net/handlers/login_records.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "platform/paths.h"
#include "ui/message_box.h"
#include "ui/window_mgr.h"
#include "windows/play/email_edit_window.h"
#include "windows/play/play_windows.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_events.h"
#include "world/chars/char_services.h"

namespace {

constexpr char kImage[] = "Select_Char_Window";
constexpr int kTextTable = 14;
constexpr int kRowHintSelect = 30, kRowNoSelection = 35, kRowDeleting = 34, kRowDeleteQuestion = 36;
constexpr uint32_t kWhite = 0xFFFFFF;
// Characters whose byte lies in this range need the confirmation text to be deleted.
constexpr uint8_t kProtectedFirst = 11, kProtectedLast = 20;
constexpr uint8_t kPetColourCount = 8;

struct ButtonSpec {
    const char* name;
    uint8_t image;
    int32_t x, y;  // from the window's corner
};
constexpr ButtonSpec kButtons[CCharSelectWindow::kButtonCount] = {
    {"SEL_CHAR_WND_SELECT_BUTTON", 1, 563, 317},   {"SEL_CHAR_WND_BACK_BUTTON", 3, 563, 437},
    {"SEL_CHAR_WND_MAKE_BUTTON", 2, 563, 357},     {"SEL_CHAR_WND_Delete_BUTTON", 7, 563, 397},
    {"SEL_CHAR_WND_LEFTARROW_BUTTON", 4, 96, 157}, {"SEL_CHAR_WND_RIGHTARROW_BUTTON", 5, 674, 157},
};

void PlayMotion(CChar* character, uint8_t motion) {
    if (CAniObject* ani = character ? character->GetAniObject() : nullptr) {
        ani->SetMotion(motion);
        ani->Play(true);
    }
}

void FadeOutMusic() {
    if (IFieldSound* sound = GetFieldSound()) sound->FadeOutMusic();
}

}  // namespace

bool IsSafeCharFileName(const char* name) {
    if (!name || !*name) return false;
    const std::string_view text(name);
    return text.find_first_of("/\\:") == std::string_view::npos && text.find("..") == std::string_view::npos;
}

CCharSelectWindow::CCharSelectWindow() {
    CCharSelectWindow::Create();
}

CCharSelectWindow::~CCharSelectWindow() {
    CCharSelectWindow::Release();
}

bool CCharSelectWindow::Create() {
    CBaseWindow::Create();
    const uint32_t image = FindAniByName(kImage);
    CreateNamedWithAni(WINDOW_DRAG_TYPE, CHAR_SELECT_WINDOW_NAME, image, image == 0);
    if (m_pAniObject) {
        m_pAniObject->SetMotion(0);
        m_pAniObject->SetDirection(2);
    }
    m_listReady = 0;
    SetKindId(0);
    m_shownSlots = kShownSlots;
    // A double click is its own event here: it enters the game.
    m_doubleClickAsClick = 0;
    for (int i = 0; i < kButtonCount; ++i)
        m_buttons[i].Assign(MakeChildButton(kButtons[i].name, this, image, kButtons[i].image));
    for (Button arrow : {kLeftArrow, kRightArrow})
        if (CButton* button = GetButton(arrow)) button->Hide();
    for (auto& frame : m_slotFrames) frame = MakeWindowImage(image, 6, 2);
    m_marker = MakeWindowImage(image, 1, 12);
    if (m_marker) m_marker->Play(true);
    m_first = m_count = 0;
    m_selected = -1;
    m_result = CHAR_SELECT_NONE;
    m_deleting = m_confirming = m_entering = 0;

    auto* box = new CMessageBox(nullptr, true, true, false, 0);
    box->SetOkNotify(true, GetPort(), 0);
    box->SetCancelNotify(true, GetPort(), 0);
    AddChild(box);
    box->CentreOnScreen();
    box->Hide();
    m_deleteBox.Assign(box);

    auto* confirm = new CEMailEditWindow;
    AddChild(confirm);
    confirm->SetActive(true, false);
    confirm->Hide();
    m_confirmWindow.Assign(confirm);
    m_askedName[0] = m_confirmName[0] = '\0';

    m_message[0] = '\0';
    m_deletingName[0] = '\0';
    m_list.reset();
    SetPosition(0, 0);
    return true;
}

bool CCharSelectWindow::Release() {
    for (auto& frame : m_slotFrames) frame.reset();
    m_marker.reset();
    ClearCharacters();
    if (m_list) GameSession().m_charList = std::move(m_list);
    return CBaseWindow::Release();
}

bool CCharSelectWindow::SetPosition(int32_t x, int32_t y) {
    for (int i = 0; i < kButtonCount; ++i)
        if (CButton* button = GetButton(Button(i))) button->SetPosition(x + kButtons[i].x, y + kButtons[i].y);
    return CBaseWindow::SetPosition(x, y);
}

CPlayerChar* CCharSelectWindow::GetChar(int index) const {
    return index >= 0 && index < kMaxChars ? m_chars[index].get() : nullptr;
}

CPetChar* CCharSelectWindow::GetPet(int index) const {
    return index >= 0 && index < kMaxChars ? m_pets[index].get() : nullptr;
}

CAniObject* CCharSelectWindow::GetSlotFrame(int slot) const {
    return slot >= 0 && slot < kShownSlots ? m_slotFrames[slot].get() : nullptr;
}

CMessageBox* CCharSelectWindow::GetDeleteBox() const {
    return m_deleteBox.GetAs<CMessageBox>();
}

CEMailEditWindow* CCharSelectWindow::GetConfirmWindow() const {
    return m_confirmWindow.GetAs<CEMailEditWindow>();
}

// ---- The list ----

void CCharSelectWindow::LoadCharacterList(const CCharListMsg& list) {
    ClearCharacters();
    // Exchange sort by character id: each later entry with a smaller id
    // changes places with the current one at once.
    std::vector<const CCharListEntry*> entries;
    for (uint32_t i = 0; i < list.Count(); ++i) entries.push_back(&list.Entry(i));
    for (size_t i = 0; i < entries.size(); ++i)
        for (size_t j = i + 1; j < entries.size(); ++j)
            if (entries[j]->m_charId < entries[i]->m_charId) std::swap(entries[i], entries[j]);
    // The window has six places: the first six after sorting.
    const int count = int(std::min<size_t>(entries.size(), kMaxChars));
    for (int k = 0; k < count; ++k) {
        const CCharListEntry& entry = *entries[size_t(k)];
        auto player = std::make_unique<CPlayerChar>();
        player->Setup(entry.m_value, nullptr, 0, uint32_t(k), -1);
        if (CCharData* data = player->GetData()) data->m_appearanceKind = entry.m_kind;
        if (CCharController* controller = player->GetController()) {
            uint32_t itemIndex = 0;
            for (int32_t itemId : entry.m_optional) {
                if (itemId == -1) continue;
                auto item = std::make_unique<CCharItemMsg>();
                item->Set(uint32_t(itemId), itemIndex++, 0, "");
                PostMessageTo(0, player.get(), 0, CHAR_EVENT_ITEM, std::move(item), nullptr);
            }
            controller->ProcessMessages();
        }
        if (entry.m_value2 != 0) {
            auto pet = std::make_unique<CPetChar>();
            pet->SetupPreview(entry.m_value2);
            for (uint8_t c = 0; c < kPetColourCount; ++c)
                pet->m_colours[c] = uint8_t((entry.m_value3 >> (3 * c)) & 7);
            pet->SetDirection(8);
            m_pets[k] = std::move(pet);
        }
        player->SetDirection(8);
        m_chars[k] = std::move(player);
        CopyRecordText(m_names[k], entry.m_name);
        m_bytes[k] = entry.m_byte;
    }
    for (int k = 0; k < count; ++k) {
        PlayMotion(m_chars[k].get(), 0);
        PlayMotion(m_pets[k].get(), 0);
    }
    CopyRecordText(m_listText, list.Account());
    m_count = count;
    m_first = 0;
    if (count > 0) {
        m_selected = 0;
        PlayMotion(m_chars[0].get(), 2);
        PlayMotion(m_pets[0].get(), 0);
    }
    for (int k = 0; k < kShownSlots; ++k)
        if (m_slotFrames[k]) m_slotFrames[k]->SetDirection(k == 0 && count > 0 ? 0 : 2);
    if (CButton* left = GetButton(kLeftArrow)) left->Hide();
    if (CButton* right = GetButton(kRightArrow)) count > kShownSlots ? right->Show() : right->Hide();
    SetButtonsTakeInput({GetButton(kMake)}, count < kMaxChars);
    if (count > 0 && !IsBusy()) SetButtonsTakeInput({GetButton(kSelect)}, true);
}

void CCharSelectWindow::ClearCharacters() {
    for (int k = 0; k < kMaxChars; ++k) {
        m_pets[k].reset();
        m_chars[k].reset();
    }
    m_count = 0;
    m_first = 0;
    m_selected = -1;
}

std::unique_ptr<CMsgPayload> CCharSelectWindow::TakeCarriedList() {
    return std::unique_ptr<CMsgPayload>(m_list.release());
}

// ---- Selection and paging ----

void CCharSelectWindow::SelectCharacter(int32_t index) {
    if (IsBusy() || index < 0 || index >= m_count) return;
    for (auto& frame : m_slotFrames)
        if (frame) frame->SetDirection(2);
    for (int k = 0; k < kMaxChars; ++k) {
        PlayMotion(m_chars[k].get(), 0);
        PlayMotion(m_pets[k].get(), 0);
    }
    m_selected = index;
    PlayMotion(m_chars[index].get(), 2);
    PlayMotion(m_pets[index].get(), 0);
    if (index >= m_first && index < m_first + m_shownSlots)
        if (CAniObject* frame = GetSlotFrame(index - m_first)) {
            frame->SetDirection(0);
            frame->ResetLayers();
        }
    SetButtonsTakeInput({GetButton(kSelect)}, true);
}

void CCharSelectWindow::PageRight() {
    if (m_count <= 0) return;
    if (CButton* left = GetButton(kLeftArrow)) left->Show();
    ++m_first;
    if (m_first + m_shownSlots >= m_count) {
        m_first = std::max(m_count - m_shownSlots, 0);
        if (CButton* right = GetButton(kRightArrow)) right->Hide();
    }
    SelectCharacter(m_selected);
}

void CCharSelectWindow::PageLeft() {
    if (m_count <= 0) return;
    m_first = std::max(m_first - 1, 0);
    if (m_count > m_shownSlots)
        if (CButton* right = GetButton(kRightArrow)) right->Show();
    if (m_first == 0)
        if (CButton* left = GetButton(kLeftArrow)) left->Hide();
    SelectCharacter(m_selected);
}

int32_t CCharSelectWindow::SlotAt(int32_t x, int32_t y) const {
    if (x < 131 || x > 657 || y < 101 || y > 255) return -1;
    const int32_t slot = std::clamp((x - 131) / 183, 0, kMaxChars - 1);
    return slot < m_shownSlots && m_first + slot < m_count && m_chars[m_first + slot] ? slot : -1;
}

// ---- Choices ----

void CCharSelectWindow::ShowButtons(bool show) {
    if (!show) {
        SetButtonsTakeInput({GetButton(kSelect), GetButton(kBack), GetButton(kMake), GetButton(kDelete)},
                            false);
        return;
    }
    if (m_selected >= 0) SetButtonsTakeInput({GetButton(kSelect)}, true);
    SetButtonsTakeInput({GetButton(kBack), GetButton(kDelete)}, true);
    SetButtonsTakeInput({GetButton(kMake)}, m_count < kMaxChars);
}

void CCharSelectWindow::ShowBackButtonOnly() {
    for (Button hidden : {kSelect, kMake, kDelete, kLeftArrow, kRightArrow})
        if (CButton* button = GetButton(hidden)) button->Hide();
    SetButtonsTakeInput({GetButton(kBack)}, true);
}

void CCharSelectWindow::SetMessageText(const char* text) {
    CopyRecordText(m_message, text ? text : "");
}

void CCharSelectWindow::EnterGame() {
    if (m_selected < 0 || m_selected >= m_count) {
        ShowOkMessageBox(GetTableText(kTextTable, kRowNoSelection));
        return;
    }
    m_result = CHAR_SELECT_ENTER;
    ShowButtons(false);
    FadeOutMusic();
    CGameSession& session = GameSession();
    session.SendCharSelect(m_names[m_selected]);
    CopyRecordText(g_currentCharName, m_names[m_selected]);
    session.m_noticeFlag = 0;
    session.m_noticeValue = 0;
    m_entering = 1;
}

void CCharSelectWindow::SetAction(int32_t action) {
    m_result = action;
    if (action == CHAR_SELECT_NONE) m_entering = 0;
}

void CCharSelectWindow::GoBack() {
    m_result = CHAR_SELECT_BACK;
    GameSession().m_loginFlow = 0;
    FadeOutMusic();
    ShowButtons(false);
}

void CCharSelectWindow::MakeCharacter() {
    m_result = CHAR_SELECT_CREATE;
    ShowButtons(false);
}

void CCharSelectWindow::AskDelete() {
    CMessageBox* box = GetDeleteBox();
    // Nothing selected: there is no one to ask about.
    if (!box || m_selected < 0 || m_selected >= m_count) return;
    box->SetButtons(true, true, 0);
    box->CentreOnScreen();
    box->Show();
    box->SetActive(true, false);
    box->ClearText();
    box->AddText(FormatTableText(GetTableText(kTextTable, kRowDeleteQuestion), {m_names[m_selected]}).c_str(),
                 kRichWhite);
    box->SetKindId(CHAR_DELETE_BOX_KIND);
    CopyRecordText(m_askedName, m_names[m_selected]);
}

void CCharSelectWindow::DeleteCharacter(int32_t index) {
    if (index < 0 || index >= m_count) return;
    const uint8_t value = m_bytes[index];
    if (value < kProtectedFirst || value > kProtectedLast) {
        SendDelete(m_names[index], nullptr);
        return;
    }
    CEMailEditWindow* confirm = GetConfirmWindow();
    if (!confirm) return;
    confirm->ResetAndShow();
    m_confirming = 1;
    ShowButtons(false);
    CopyRecordText(m_confirmName, m_names[index]);
}

int32_t CCharSelectWindow::FindCharacter(const char* name) const {
    if (!name || !*name) return -1;
    for (int32_t k = 0; k < m_count; ++k)
        if (std::strcmp(m_names[k], name) == 0) return k;
    return -1;
}

void CCharSelectWindow::SendDelete(const char* name, const char* confirmation) {
    CopyRecordText(m_deletingName, name);
    SetMessageText(GetTableText(kTextTable, kRowDeleting));
    GameSession().RequestCharDelete(m_deletingName, confirmation);
    m_deleting = 1;
    m_deleteStart = plat::timeGetTime();
    ShowButtons(false);
}

void CCharSelectWindow::DeleteCharacterFiles(const char* name) {
    // The name is the server's: it may only name files in the working folder.
    if (!IsSafeCharFileName(name)) return;
    for (const char* extension : {".CMD", ".EMD"}) plat::RemoveFile(std::string(name) + extension);
}

// ---- Frame ----

bool CCharSelectWindow::ProcessMessages() {
    CGameSession& session = GameSession();
    if (session.m_charList) {
        m_list = std::move(session.m_charList);
        LoadCharacterList(*m_list);
        m_listReady = 1;
    }
    while (CMsg* msg = GetPort()->Pop()) {
        const std::unique_ptr<CMsg> owned(msg);
        if (msg->m_eventId == MESSAGE_BOX_ANSWER && msg->m_senderId == CHAR_DELETE_BOX_KIND) {
            if (msg->m_extra != 0 && m_selected >= 0) DeleteCharacter(FindCharacter(m_askedName));
            if (CMessageBox* box = GetDeleteBox()) box->Hide();
        } else if (msg->m_eventId == MSG_CHAR_LIST) {
            if (auto* list = dynamic_cast<CCharListMsg*>(msg->m_pPayload.get())) {
                msg->m_pPayload.release();
                m_list.reset(list);
                LoadCharacterList(*m_list);
                m_listReady = 1;
            }
        }
    }
    return true;
}

bool CCharSelectWindow::Update() {
    CWeakRef self(this);
    CBaseWindow::Update();
    if (!self) return true;
    CGameSession& session = GameSession();
    if (m_confirming) {
        CEMailEditWindow* confirm = GetConfirmWindow();
        if (!confirm || !confirm->IsDrawOn()) {
            m_confirming = 0;
            if (confirm && confirm->IsConfirmed() && FindCharacter(m_confirmName) >= 0)
                SendDelete(m_confirmName, confirm->GetText());
            else
                ShowButtons(true);
        }
    }
    if (m_deleting && !session.IsNoticePending() &&
        (!session.CanQueue() || plat::timeGetTime() - m_deleteStart > SESSION_ANSWER_WAIT_MS)) {
        // No answer will come (the connection is gone or the time is up): the
        // character and its files stay.
        m_deleting = 0;
        m_deletingName[0] = '\0';
        ShowButtons(true);
        ShowOkMessageBox(GetTableText(kTextTable, SESSION_ANSWER_TIMED_OUT_ROW));
    }
    if (m_deleting && session.IsNoticePending()) {
        m_deleting = 0;
        ShowButtons(true);
        // The files go only once the server has deleted the character.
        if (session.m_noticeValue != 0) DeleteCharacterFiles(m_deletingName);
        m_deletingName[0] = '\0';
        if (session.m_loginResult == 0) ClearCharacters();
        SetMessageText(session.m_noticeText);
        if (CMessageBox* box = GetDeleteBox()) box->Hide();
    }
    if (m_entering && session.IsNoticePending() && session.m_noticeValue == 0) {
        m_entering = 0;
        ShowButtons(true);
    }
    for (int k = 0; k < kMaxChars; ++k)
        for (CChar* character :
             {static_cast<CChar*>(m_chars[k].get()), static_cast<CChar*>(m_pets[k].get())}) {
            if (!character) continue;
            if (CAniObject* ani = character->GetAniObject()) ani->Update();
            if (ICharEffectList* effects = character->GetEffects()) effects->Update();
        }
    for (auto& frame : m_slotFrames)
        if (frame) frame->Update();
    if (m_marker) m_marker->Update();
    return true;
}

bool CCharSelectWindow::MouseOver(CButton* button) {
    return button && button->IsDrawOn() && button->IsInputOn() &&
           IsClickOn(button, WindowMouseX(), WindowMouseY());
}

void CCharSelectWindow::DrawCharacter(int index, int32_t x, int32_t y) {
    for (CChar* character :
         {static_cast<CChar*>(m_pets[index].get()), static_cast<CChar*>(m_chars[index].get())}) {
        CAniObject* ani = character ? character->GetAniObject() : nullptr;
        if (!ani) continue;
        ICharEffectList* effects = character->GetEffects();
        ani->SetScreenPosition(character == m_pets[index].get() ? x + 40 : x, y, 0);
        if (effects) {
            effects->UpdateAllWith(ani->m_screenX, ani->m_screenY, 0);
            effects->DrawBehind();
        }
        ani->Draw();
        if (effects) effects->DrawInFront();
    }
}

bool CCharSelectWindow::Draw() {
    const uint8_t option = g_options.GetByte(OPT_SCENE_FORCED);
    g_options.SetByte(OPT_SCENE_FORCED, 1);
    // The two dialogs are drawn last, over the characters.
    CBaseWindow* dialogs[2] = {GetDeleteBox(), GetConfirmWindow()};
    bool shown[2] = {};
    for (int i = 0; i < 2; ++i)
        if (dialogs[i]) {
            shown[i] = dialogs[i]->IsDrawOn();
            dialogs[i]->SetDrawOn(false);
        }
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self) {
        g_options.SetByte(OPT_SCENE_FORCED, option);
        return true;
    }
    for (int i = 0; i < 2; ++i)
        if (dialogs[i]) dialogs[i]->SetDrawOn(shown[i]);

    for (int k = 0; k < kShownSlots; ++k) {
        if (m_slotFrames[k]) {
            m_slotFrames[k]->SetScreenPosition(m_x + 133 + 183 * k, m_y + 103, 0);
            m_slotFrames[k]->Draw();
        }
        const int index = m_first + k;
        if (index < m_count && index < kMaxChars) DrawCharacter(index, 212 + 183 * k, 208);
    }
    CSurfaceResource* surface = g_pDirectDraw ? g_pDirectDraw->GetRenderSurface() : nullptr;
    if (m_selected >= 0 && m_selected < m_count) {
        DrawCharacter(m_selected, 211, 425);
        if (surface && g_pTextRenderer) {
            g_pTextRenderer->DrawString(surface, 352, 327, m_names[m_selected], 0, kWhite, 1, true);
            g_pTextRenderer->DrawString(surface, 352, 349, m_listText, 0, kWhite, 1, true);
            g_pTextRenderer->DrawUInt(surface, 352, 371, m_bytes[m_selected], 0, kWhite, 1, true);
        }
    }
    for (int i = 0; i < 4; ++i)
        if (MouseOver(GetButton(Button(i)))) SetMessageText(GetTableText(kTextTable, kRowHintSelect + i));
    if (g_pTextRenderer && m_message[0])
        g_pTextRenderer->DrawWrappedString(0, 352, 432, 23, 2, m_message, 0, kWhite, 1, true);
    if (m_marker) {
        m_marker->SetScreenPosition(529, 465, 0);
        m_marker->Draw();
    }
    for (int i = 0; i < 2; ++i)
        if (dialogs[i] && shown[i]) dialogs[i]->Draw();
    g_options.SetByte(OPT_SCENE_FORCED, option);
    return true;
}

// ---- Input ----

bool CCharSelectWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    CMessageBox* box = GetDeleteBox();
    const bool asking = box && box->IsDrawOn();
    if (!control) {
        if (button == 0 && !asking)
            if (const int32_t slot = SlotAt(x, y); slot >= 0) SelectCharacter(m_first + slot);
        return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    }
    if (button == 0 && !IsBusy() && !asking && IsClickOn(control, x, y)) {
        if (control == GetButton(kLeftArrow)) {
            PageLeft();
            return false;
        }
        if (control == GetButton(kRightArrow)) {
            PageRight();
            return false;
        }
        if (control == GetButton(kSelect)) {
            EnterGame();
            return false;
        }
        if (control == GetButton(kMake)) {
            MakeCharacter();
            return false;
        }
        if (control == GetButton(kBack)) {
            GoBack();
            return false;
        }
        if (control == GetButton(kDelete)) {
            AskDelete();
            return false;
        }
    }
    return control->OnControlEvent(button, x, y, nullptr);
}

bool CCharSelectWindow::OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    CMessageBox* box = GetDeleteBox();
    if (!control && button == 0 && IsActive() && !IsBusy() && !(box && box->IsDrawOn()))
        if (const int32_t slot = SlotAt(x, y); slot >= 0) {
            SelectCharacter(m_first + slot);
            EnterGame();
            return false;
        }
    return CBaseWindow::OnDoubleClick(button, x, y, control);
}

bool CCharSelectWindow::OnKeyDown(uint32_t key, CBaseWindow* control) {
    if (control) return CBaseWindow::OnKeyDown(key, control);
    // While the delete question is open the selection stays the one it names.
    CMessageBox* box = GetDeleteBox();
    const bool asking = box && box->IsDrawOn();
    switch (key) {
        case plat::VK_RIGHT: {
            if (IsBusy() || asking || m_count <= 0) return false;
            int32_t next = m_selected + 1;
            if (next >= m_count) {
                next = 0;
                m_first = 0;
                if (CButton* left = GetButton(kLeftArrow)) left->Hide();
                if (m_count > m_shownSlots)
                    if (CButton* right = GetButton(kRightArrow)) right->Show();
            }
            SelectCharacter(next);
            while (m_selected >= m_first + m_shownSlots) PageRight();
            return false;
        }
        case plat::VK_LEFT: {
            if (IsBusy() || asking || m_count <= 0) return false;
            int32_t next = m_selected - 1;
            if (next < 0) {
                next = m_count - 1;
                m_first = std::max(m_count - m_shownSlots, 0);
                if (CButton* right = GetButton(kRightArrow)) right->Hide();
                if (m_count > m_shownSlots)
                    if (CButton* left = GetButton(kLeftArrow)) left->Show();
            }
            SelectCharacter(next);
            while (m_selected < m_first) PageLeft();
            return false;
        }
        case plat::VK_RETURN:
            if (IsBusy() || asking) return false;
            if (m_selected >= 0)
                if (CButton* select = GetButton(kSelect)) select->Press();
            EnterGame();
            return false;
        case plat::VK_ESCAPE:
            if (m_entering || asking) return false;
            if (CButton* back = GetButton(kBack)) back->Press();
            GoBack();
            return false;
        default:
            return true;
    }
}
