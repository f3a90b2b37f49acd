#include "windows/community/messenger_window.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/config.h"
#include "core/input_mgr.h"
#include "core/message.h"
#include "data/text_tables.h"
#include "net/game_session.h"
#include "net/handlers/scene_records.h"
#include "ui/button.h"
#include "ui/game_scene_windows.h"
#include "ui/message_box.h"
#include "ui/scroll_bar.h"
#include "ui/window_mgr.h"
#include "windows/community/community_draw.h"
#include "windows/community/messenger_edit_window.h"

namespace {

enum : uint8_t {
    FRAME_GROUP_ROW = 0,
    FRAME_BUDDY_ROW = 1,
    FRAME_MENU = 2,
    FRAME_HIGHLIGHT = 3,
    FRAME_WINDOW = 4,
    FRAME_ADD_MEMBER = 5,
    FRAME_ADD_GROUP = 6,
    FRAME_GROUP_TALK = 7,
};

constexpr uint32_t kGroupColour = 0x9A3D48;
constexpr uint32_t kDisabledColour = 0x100000;
constexpr int32_t kMenuItemHeight = 15, kMenuFirstItem = 34;
constexpr size_t kOptionMessenger = 14;

CQMMEditWin* EditWin() {
    return g_pWindowMgr
               ? dynamic_cast<CQMMEditWin*>(g_pWindowMgr->FindWindowByName(MESSENGER_EDIT_NAME, 0, true))
               : nullptr;
}

void OpenEdit(int32_t mode) {
    if (CQMMEditWin* edit = EditWin()) edit->SetMode(mode, 0);
}

}  // namespace

CQMMessengerWindow* FindMessenger() {
    return g_pWindowMgr
               ? dynamic_cast<CQMMessengerWindow*>(g_pWindowMgr->FindWindowByName(MESSENGER_NAME, 0, true))
               : nullptr;
}

CQMMessengerWindow::CQMMessengerWindow() {
    CQMMessengerWindow::Create();
}

CQMMessengerWindow::~CQMMessengerWindow() {
    CQMMessengerWindow::Release();
}

bool CQMMessengerWindow::Create() {
    CBaseWindow::Create();
    ResetState();
    const uint32_t image = FindAniByName(MESSENGER_IMAGE);
    CreateNamedWithAni(WINDOW_DRAG_TYPE, MESSENGER_NAME, image, image == 0);
    SetKindId(0);
    if (m_pAniObject) {
        m_pAniObject->SetMotion(FRAME_WINDOW);
        m_pAniObject->SetDirection(2);
    }
    m_draggable = 1;
    // A double-click on a buddy opens a chat; it is not two clicks.
    m_doubleClickAsClick = 0;
    m_lastQuestion.clear();
    MakeChildButton("QMMESSENGER_CLOSE_BUTTON", this, FindAniByName("CommonIcons"), 1);
    MakeChildButton("QMMESSENGER_ADD_MEMBER_BUTTON", this, image, FRAME_ADD_MEMBER);
    MakeChildButton("QMMESSENGER_ADD_GROUP_BUTTON", this, image, FRAME_ADD_GROUP);
    MakeChildButton("QMMESSENGER_GROUP_TALK_BUTTON", this, image, FRAME_GROUP_TALK);
    m_scrollBar.Assign(MakeChildScrollBar(
        this, "QMMESSENGER_SCROLLBAR",
        {"QMMESSENGER_SCROLL_BUTTON_UP", "QMMESSENGER_SCROLL_BUTTON_DN", "QMMESSENGER_SCROLL_BUTTON_DRAG"}));
    m_groupRow = MakeWindowImage(image, FRAME_GROUP_ROW, 2);
    m_buddyRow = MakeWindowImage(image, FRAME_BUDDY_ROW, 2);
    m_menu = MakeWindowImage(image, FRAME_MENU, 2);
    m_highlight = MakeWindowImage(image, FRAME_HIGHLIGHT, 2);
    const uint32_t portraits = FindAniByName("QMMessengerWindowSE");
    for (int i = 0; i < 14; ++i) m_portraits[i] = MakeWindowImage(portraits, uint8_t(i), 2);
    ClearTables();
    Rebuild();
    GameSession().SendMessengerListRequest();
    GameSession().SendMessengerStateRequest();
    CBaseWindow::Hide();
    SetPosition(100, 200);
    return true;
}

bool CQMMessengerWindow::Release() {
    m_groupRow.reset();
    m_buddyRow.reset();
    m_menu.reset();
    m_highlight.reset();
    for (auto& portrait : m_portraits) portrait.reset();
    return CBaseWindow::Release();
}

CButton* CQMMessengerWindow::Button(const char* name) const {
    return FindChildButton(this, name);
}

CScrollBar* CQMMessengerWindow::GetScrollBar() const {
    return m_scrollBar.GetAs<CScrollBar>();
}

int32_t CQMMessengerWindow::ScrollPos() const {
    CScrollBar* bar = GetScrollBar();
    return bar ? int32_t(bar->GetScrollPos()) : 0;
}

void CQMMessengerWindow::ResetState() {
    m_pressX = m_pressY = -1;
    m_dragRow = -1;
    m_dragging = 0;
    m_dropGroup = -1;
    for (MessengerRequest& r : m_buddyRequests) r = MessengerRequest{};
    for (MessengerRequest& r : m_confirmRequests) r = MessengerRequest{};
    m_menuShown = 0;
    m_menuKind = -1;
    m_menuLeft = m_menuTop = m_menuRight = m_menuBottom = 0;
    m_selected = -1;
    m_lastScroll = m_lastRefresh = CommunityNow();
}

void CQMMessengerWindow::ClearTables() {
    for (int32_t i = 0; i < MESSENGER_GROUPS; ++i) {
        m_groups[i] = MessengerGroup{};
        m_groups[i].id = uint8_t(i);
    }
    m_groups[0].inUse = 1;
    for (MessengerBuddy& b : m_buddies) b = MessengerBuddy{};
    for (MessengerRow& r : m_rows) r = MessengerRow{};
}

void CQMMessengerWindow::Rebuild() {
    for (MessengerRow& r : m_rows) r = MessengerRow{};
    int32_t n = 0, buddyRows = 0;
    for (int32_t g = 0; g < MESSENGER_GROUPS; ++g) {
        const MessengerGroup* group = nullptr;
        for (const MessengerGroup& candidate : m_groups)
            if (candidate.id == g) group = &candidate;
        if (!group || !group->inUse) continue;
        m_rows[n++] = MessengerRow{0, int32_t(group - m_groups)};
        for (int32_t b = 0; b < MESSENGER_BUDDIES && buddyRows < MESSENGER_BUDDIES; ++b)
            if (m_buddies[b].group == g) {
                m_rows[n++] = MessengerRow{1, b};
                ++buddyRows;
            }
    }
    for (MessengerGroup& group : m_groups) {
        int32_t members = 0;
        for (const MessengerBuddy& b : m_buddies) members += b.Used() && b.group == group.id;
        group.members = uint8_t(members);
    }
    if (CScrollBar* bar = GetScrollBar()) bar->SetMaximum(std::max(0, UsedRows() - MESSENGER_VISIBLE_ROWS));
}

int32_t CQMMessengerWindow::UsedRows() const {
    int32_t used = 0;
    for (const MessengerGroup& g : m_groups) used += g.inUse != 0;
    for (const MessengerBuddy& b : m_buddies) used += b.Used();
    return used;
}

int32_t CQMMessengerWindow::MemberTotal() const {
    int32_t total = 0;
    for (const MessengerGroup& g : m_groups)
        if (g.inUse) total += g.members;
    return total;
}

std::vector<std::pair<uint8_t, std::string>> CQMMessengerWindow::GroupsInUse() const {
    std::vector<std::pair<uint8_t, std::string>> out;
    for (const MessengerGroup& g : m_groups)
        if (g.inUse) out.emplace_back(g.id, g.name);
    return out;
}

// ---- The server's messages ----

void CQMMessengerWindow::SetBuddyList(const CSceneListMsg& list) {
    for (MessengerBuddy& b : m_buddies) b = MessengerBuddy{};
    const int32_t count = std::min<int32_t>(list.m_count, MESSENGER_BUDDIES);
    for (int32_t i = 0; i < count; ++i) {
        MessengerBuddy& b = m_buddies[i];
        const uint8_t group = list.m_bytes1[i];
        // A group id beyond the ten records is not stored.
        if (group >= MESSENGER_GROUPS) continue;
        b.group = group;
        b.state = list.m_types[i] == 1 ? 2 : 1;
        CopyRecordText(b.memberName, list.m_names[i]);
        if (b.Online()) {
            CopyRecordText(b.charName, list.m_seconds[i]);
            b.resourceId = list.m_values[i];
        }
        b.listFlag = list.m_bytes2[i];
    }
    Rebuild();
}

void CQMMessengerWindow::SetGroupList(const CSceneTextListMsg& list) {
    for (int32_t i = 0; i < MESSENGER_GROUPS; ++i) {
        m_groups[i] = MessengerGroup{};
        m_groups[i].id = uint8_t(i);
    }
    m_groups[0].inUse = 1;
    const int32_t count = std::min<int32_t>(list.m_count, MESSENGER_GROUPS);
    for (int32_t i = 0; i < count; ++i) {
        const uint8_t id = list.m_bytes[i];
        if (id >= MESSENGER_GROUPS) continue;
        m_groups[id].inUse = 1;
        CopyRecordText(m_groups[id].name, list.m_texts[i]);
        m_groups[id].members = 0;
    }
    Rebuild();
}

void CQMMessengerWindow::AddBuddy(const char* charName, const char* memberName, uint32_t resourceId,
                                  uint8_t group) {
    if (group >= MESSENGER_GROUPS) return;
    for (MessengerBuddy& b : m_buddies)
        if (!b.Used()) {
            CopyRecordText(b.memberName, memberName ? memberName : "");
            CopyRecordText(b.charName, charName ? charName : "");
            b.resourceId = resourceId;
            b.group = group;
            b.state = 2;
            break;
        }
    Rebuild();
}

void CQMMessengerWindow::OnBuddyRemoved(const char* memberName) {
    if (!memberName) return;
    for (MessengerBuddy& b : m_buddies)
        if (b.Used() && SameText(b.memberName, memberName)) {
            b = MessengerBuddy{};
            Rebuild();
            return;
        }
}

void CQMMessengerWindow::SetGroupName(uint8_t id, const char* name) {
    if (id >= MESSENGER_GROUPS) return;
    MessengerGroup& g = m_groups[id];
    if (!g.inUse) {
        g.inUse = 1;
        g.members = 0;
    }
    CopyRecordText(g.name, name ? name : "");
    Rebuild();
}

void CQMMessengerWindow::DeleteGroup(uint8_t id) {
    if (id >= MESSENGER_GROUPS || !m_groups[id].inUse) return;
    m_groups[id].inUse = 0;
    m_groups[id].members = 0;
    m_groups[id].name[0] = '\0';
    Rebuild();
}

void CQMMessengerWindow::MoveBuddy(const char* memberName, uint8_t group) {
    if (!memberName || group >= MESSENGER_GROUPS) return;
    for (MessengerBuddy& b : m_buddies)
        if (b.Used() && SameText(b.memberName, memberName)) {
            b.group = group;
            break;
        }
    Rebuild();
}

void CQMMessengerWindow::SetOneChatFlags(const std::vector<std::string>& names) {
    for (MessengerBuddy& b : m_buddies)
        b.listFlag = b.Used() && std::find(names.begin(), names.end(), b.memberName) != names.end();
}

void CQMMessengerWindow::ShowQuestion(const std::string& text, uint32_t kind, int32_t slot) {
    if (!g_pWindowMgr) return;
    auto* box = new CMessageBox(text.c_str(), true, true, false, 0);
    box->SetKindId(kind);
    box->SetOkNotify(true, GetPort(), uint32_t(slot));
    box->SetCancelNotify(true, GetPort(), uint32_t(slot));
    g_pWindowMgr->AddChild(box);
    box->SetPosition(5 * (slot + 10), 5 * (slot + 10));
    box->SetActive(true, false);
}

void CQMMessengerWindow::OnBuddyInvite(const char* charName, const char* memberName, uint32_t resourceId,
                                       uint8_t group) {
    for (int32_t slot = 0; slot < MESSENGER_REQUEST_SLOTS; ++slot) {
        MessengerRequest& r = m_buddyRequests[slot];
        if (r.memberName[0] || r.charName[0]) continue;
        CopyRecordText(r.memberName, memberName ? memberName : "");
        CopyRecordText(r.charName, charName ? charName : "");
        r.resourceId = resourceId;
        r.byte = group;
        const std::string question = std::string(r.charName) + GetTableText(14, 371);
        if (question != m_lastQuestion) ShowQuestion(question, MESSENGER_BUDDY_BOX, slot);
        m_lastQuestion = question;
        return;
    }
}

void CQMMessengerWindow::OnBuddyRequest(const char* memberName, const char* charName, uint8_t byte) {
    if (!memberName || !*memberName || !charName || !*charName) return;
    for (int32_t slot = 0; slot < MESSENGER_REQUEST_SLOTS; ++slot) {
        MessengerRequest& r = m_confirmRequests[slot];
        if (r.memberName[0] || r.byte != MESSENGER_FREE) continue;
        CopyRecordText(r.memberName, memberName);
        CopyRecordText(r.charName, charName);
        r.byte = byte;
        ShowQuestion(std::string(charName) + " " + GetTableText(14, 370), MESSENGER_CONFIRM_BOX, slot);
        return;
    }
}

void CQMMessengerWindow::Answer(uint32_t kind, uint32_t slot, bool ok) {
    if (slot >= uint32_t(MESSENGER_REQUEST_SLOTS)) return;
    if (kind == MESSENGER_BUDDY_BOX) {
        MessengerRequest& r = m_buddyRequests[slot];
        if (!r.memberName[0] && !r.charName[0]) return;
        if (ok)
            GameSession().SendMessengerAcceptBuddyRequest(r.memberName, r.charName, r.resourceId, r.byte);
        else
            GameSession().SendMessengerRefuseBuddyRequest(r.memberName, r.charName);
        // The slot is free again once answered.
        r = MessengerRequest{};
        m_lastQuestion.clear();
    } else if (kind == MESSENGER_CONFIRM_BOX) {
        MessengerRequest& r = m_confirmRequests[slot];
        if (!r.memberName[0]) return;
        if (ok)
            GameSession().SendMessengerConfirmRequest(r.memberName, r.byte);
        else
            GameSession().SendMessengerDeclineRequest(r.memberName);
        r = MessengerRequest{};
    }
}

bool CQMMessengerWindow::ProcessMessages() {
    CMsgPort* port = GetPort();
    while (CMsg* msg = port ? port->Pop() : nullptr) {
        CMsgData* payload = msg->m_pPayload.get();
        if (msg->m_eventId == MESSAGE_BOX_ANSWER) {
            auto* word = dynamic_cast<CMsgWord*>(msg->m_pParameter.get());
            if (word) Answer(msg->m_senderId, word->m_value, msg->m_extra != 0);
        } else if (auto* list = dynamic_cast<CSceneListMsg*>(payload)) {
            SetBuddyList(*list);
        } else if (auto* groups = dynamic_cast<CSceneTextListMsg*>(payload)) {
            SetGroupList(*groups);
        } else if (auto* entry = dynamic_cast<CSceneEntryMsg*>(payload)) {
            if (entry->m_id == MSG_SCENE_ENTRY_107)
                OnBuddyInvite(entry->m_text1, entry->m_text2, entry->m_value, entry->m_byte);
            else
                AddBuddy(entry->m_text1, entry->m_text2, entry->m_value, entry->m_byte);
        } else if (auto* text = dynamic_cast<CSceneTextMsg*>(payload)) {
            switch (text->m_id) {
                case MSG_SCENE_TEXT:
                    OnBuddyRemoved(text->m_text1);
                    break;
                case MSG_SCENE_BYTE_TEXT:
                    SetGroupName(text->m_byte, text->m_text1);
                    break;
                case MSG_SCENE_TEXT_BYTE:
                    MoveBuddy(text->m_text1, text->m_byte);
                    break;
                case MSG_SCENE_TWO_TEXTS:
                    OnBuddyRequest(text->m_text1, text->m_text2, text->m_byte);
                    break;
                default:
                    break;
            }
        } else if (auto* byte = dynamic_cast<CSceneByteMsg*>(payload)) {
            if (byte->m_id == MSG_SCENE_BYTE_111) DeleteGroup(byte->m_value);
        }
        delete msg;
    }
    return CBaseWindow::ProcessMessages();
}

// ---- Showing ----

bool CQMMessengerWindow::Show() {
    if (g_options.GetByte(kOptionMessenger) == 0) {
        ShowCommunityOkBox(GetTableText(14, 349));
        CBaseWindow::Hide();
        return false;
    }
    ResetState();
    m_lastRefresh = CommunityNow() + 1000 - MESSENGER_REFRESH_MS;
    CBaseWindow::Show();
    SetPosition(m_x, m_y);
    PlayCommunityEffect(uint16_t(77));
    return true;
}

bool CQMMessengerWindow::Hide() {
    m_pressX = m_pressY = -1;
    return CBaseWindow::Hide();
}

void CQMMessengerWindow::ToggleShow() {
    if (IsVisibleInTree()) {
        Hide();
        SetActive(false, false);
    } else if (Show()) {
        SetActive(true, false);
    }
}

bool CQMMessengerWindow::SetPosition(int32_t x, int32_t y) {
    if (CButton* b = Button("QMMESSENGER_CLOSE_BUTTON")) b->SetPosition(x + 247, y + 6);
    if (CButton* b = Button("QMMESSENGER_ADD_MEMBER_BUTTON")) b->SetPosition(x + 6, y + 326);
    if (CButton* b = Button("QMMESSENGER_ADD_GROUP_BUTTON")) b->SetPosition(x + 33, y + 326);
    if (CButton* b = Button("QMMESSENGER_GROUP_TALK_BUTTON")) b->SetPosition(x + 60, y + 326);
    if (CScrollBar* bar = GetScrollBar()) bar->SetBarRect(x + 255, y + 36, x + 266, y + 317);
    return CBaseWindow::SetPosition(x, y);
}

// ---- Rows ----

int32_t CQMMessengerWindow::RowAt(int32_t x, int32_t y) const {
    if (x < m_x + 10 || x > m_x + 252 || y < m_y + 36 || y > m_y + 315) return -1;
    const int32_t row = (y - (m_y + 36)) / MESSENGER_ROW_HEIGHT + ScrollPos();
    return row < MESSENGER_ROWS ? row : -1;
}

const MessengerGroup* CQMMessengerWindow::SelectedGroup() const {
    if (m_selected < 0 || m_selected >= MESSENGER_ROWS || m_rows[m_selected].kind != 0) return nullptr;
    return &m_groups[m_rows[m_selected].index];
}

MessengerBuddy* CQMMessengerWindow::SelectedBuddy() {
    if (m_selected < 0 || m_selected >= MESSENGER_ROWS || m_rows[m_selected].kind != 1) return nullptr;
    MessengerBuddy* b = &m_buddies[m_rows[m_selected].index];
    return b->Used() ? b : nullptr;
}

int32_t CQMMessengerWindow::FirstFreeGroup() const {
    for (int32_t i = 0; i < MESSENGER_GROUPS; ++i)
        if (!m_groups[i].inUse) return i;
    return -1;
}

bool CQMMessengerWindow::IsOwnName(const char* name, uint8_t kind) const {
    return SameText(name, kind == 0 ? PlayerCharName() : PlayerIdentityName());
}

// ---- Menu ----

void CQMMessengerWindow::OpenMenu(int32_t row, int32_t x, int32_t y) {
    m_selected = row;
    if (row < 0 || row >= MESSENGER_ROWS || m_rows[row].kind == 2) return;
    m_menuKind = m_rows[row].kind;
    m_menuShown = 1;
    const int32_t w = m_menu ? m_menu->GetWidth() : 100, h = m_menu ? m_menu->GetHeight() : 110;
    m_menuLeft = x;
    m_menuTop = y;
    m_menuRight = x + w;
    m_menuBottom = y + h;
    if (m_menu) m_menu->SetDirection(m_menuKind == 1 ? 0 : 2);
}

int32_t CQMMessengerWindow::MenuItemAt(int32_t x, int32_t y) const {
    if (!m_menuShown || x < m_menuLeft || x > m_menuRight) return -1;
    const int32_t item = (y - m_menuTop - kMenuFirstItem);
    if (item < 0) return -1;
    return item / kMenuItemHeight < 5 ? item / kMenuItemHeight : -1;
}

bool CQMMessengerWindow::IsMenuItemDisabled(int32_t item, int32_t kind) const {
    const bool full = MemberTotal() >= MESSENGER_BUDDIES;
    if (kind == 0) {
        const MessengerGroup* g = SelectedGroup();
        switch (item) {
            case 0:
                return !g || g->members == 0;
            case 1:
                return FirstFreeGroup() < 0;
            case 2:
            case 3:
                return !g || g->id == 0;
            case 4:
                return full;
            default:
                return true;
        }
    }
    if (kind == 1) {
        const MessengerBuddy* b =
            m_selected >= 0 && m_selected < MESSENGER_ROWS && m_rows[m_selected].kind == 1
                ? &m_buddies[m_rows[m_selected].index]
                : nullptr;
        if (item == 0) return full;
        if (item == 3) return !b || !b->Online();
        return item < 0 || item > 4;
    }
    return true;
}

void CQMMessengerWindow::RunMenuItem(int32_t item, int32_t kind) {
    m_menuShown = 0;
    if (item < 0 || kind < 0) return;
    using Action = void (CQMMessengerWindow::*)();
    static constexpr Action kGroup[] = {
        &CQMMessengerWindow::OpenGroupMessage, &CQMMessengerWindow::OpenNewGroup,
        &CQMMessengerWindow::OpenRenameGroup, &CQMMessengerWindow::OpenDeleteGroup,
        &CQMMessengerWindow::OpenAddBuddy};
    static constexpr Action kBuddy[] = {
        &CQMMessengerWindow::OpenAddBuddy, &CQMMessengerWindow::OpenDeleteBuddy,
        &CQMMessengerWindow::OpenMoveBuddy, &CQMMessengerWindow::ToggleBuddyRefusal,
        &CQMMessengerWindow::OpenAssignGroup};
    if (item > 4) return;
    (this->*(kind == 0 ? kGroup : kBuddy)[item])();
}

void CQMMessengerWindow::OpenGroupMessage() {
    const MessengerGroup* g = SelectedGroup();
    if (g && g->inUse)
        OpenEdit(0);
    else
        ShowCommunityOkBox(GetTableText(14, 364));
}

void CQMMessengerWindow::OpenNewGroup() {
    const int32_t free = FirstFreeGroup();
    if (free <= 0)
        ShowCommunityOkBox(GetTableText(14, 365));
    else
        OpenEdit(1);
}

void CQMMessengerWindow::OpenRenameGroup() {
    const MessengerGroup* g = SelectedGroup();
    if (!g) return ShowCommunityOkBox(GetTableText(14, 364));
    if (g->id == 0) return ShowCommunityOkBox(GetTableText(14, 366));
    OpenEdit(2);
}

void CQMMessengerWindow::OpenDeleteGroup() {
    const MessengerGroup* g = SelectedGroup();
    if (!g) return ShowCommunityOkBox(GetTableText(14, 364));
    if (g->id == 0) return ShowCommunityOkBox(GetTableText(14, 367));
    OpenEdit(6);
}

void CQMMessengerWindow::OpenAddBuddy() {
    if (MemberTotal() < MESSENGER_BUDDIES) OpenEdit(3);
}

void CQMMessengerWindow::OpenDeleteBuddy() {
    if (SelectedBuddy()) OpenEdit(7);
}

void CQMMessengerWindow::OpenMoveBuddy() {
    if (SelectedBuddy()) OpenEdit(5);
}

void CQMMessengerWindow::OpenAssignGroup() {
    if (SelectedBuddy()) OpenEdit(8);
}

void CQMMessengerWindow::ToggleBuddyRefusal() {
    MessengerBuddy* b = SelectedBuddy();
    if (!b || !b->Online()) return;
    if (!b->listFlag) {
        b->listFlag = 1;
        GameSession().SendOneChatCommand(0, b->memberName, 1);
    } else {
        b->listFlag = 0;
        GameSession().SendOneChatCommand(1, b->memberName, 0);
    }
}

void CQMMessengerWindow::SendGroupLine(const char* text) {
    const MessengerGroup* g = SelectedGroup();
    if (!g || !g->inUse || !text || !*text) return;
    for (const MessengerBuddy& b : m_buddies)
        if (b.Used() && b.group == g->id) GameSession().SendChatToName(b.charName, text, 19);
}

void CQMMessengerWindow::ApplyEdit(int32_t mode, const char* text, uint8_t flag) {
    if (!text) return;
    char copy[257];
    CopyRecordText(copy, text);
    switch (mode) {
        case 0:
            SendGroupLine(copy);
            break;
        case 1: {
            const int32_t free = FirstFreeGroup();
            if (free > 0 && *copy) GameSession().SendMessengerSetGroupName(m_groups[free].id, copy);
            break;
        }
        case 2:
            if (const MessengerGroup* g = SelectedGroup(); g && g->inUse && *copy)
                GameSession().SendMessengerSetGroupName(g->id, copy);
            break;
        case 3: {
            if (IsOwnName(copy, flag)) break;
            for (const MessengerBuddy& b : m_buddies)
                if (b.Used() && SameText(flag == 0 ? b.charName : b.memberName, copy)) return;
            GameSession().SendMessengerAddBuddy(copy, flag);
            break;
        }
        default:
            break;
    }
}

void CQMMessengerWindow::ApplyChoice(int32_t mode, int32_t value) {
    MessengerBuddy* b = SelectedBuddy();
    switch (mode) {
        case 5:
            if (b && value >= 0 && value < MESSENGER_GROUPS && value != b->group)
                GameSession().SendMessengerMoveBuddy(b->memberName, uint8_t(value));
            m_selected = -1;
            break;
        case 6: {
            const MessengerGroup* g = SelectedGroup();
            // A group action without a group row is refused.
            if (!g || !g->inUse) {
                ShowCommunityOkBox(GetTableText(14, 364));
                break;
            }
            for (const MessengerBuddy& buddy : m_buddies)
                if (buddy.Used() && buddy.group == g->id)
                    GameSession().SendMessengerDeleteBuddy(buddy.memberName, buddy.group);
            GameSession().SendMessengerDeleteGroup(g->id);
            break;
        }
        case 7:
            if (b) GameSession().SendMessengerDeleteBuddy(b->memberName, b->group);
            break;
        case 8:
            if (b && value >= 0) GameSession().SendMessengerAssignGroup(b->memberName, uint8_t(value));
            m_selected = -1;
            break;
        default:
            break;
    }
}

// ---- Frame ----

bool CQMMessengerWindow::Update() {
    CWeakRef self(this);
    if (!CBaseWindow::Update() || !self) return true;
    const uint32_t now = CommunityNow();
    if (now - m_lastRefresh >= MESSENGER_REFRESH_MS) {
        m_lastRefresh = now;
        GameSession().SendMessengerListRequest();
        GameSession().SendMessengerStateRequest();
    }
    auto enable = [](CButton* button, bool on) {
        if (!button) return;
        if (on && !button->IsDrawOn()) button->Show();
        if (!on && button->IsDrawOn()) button->Hide();
    };
    enable(Button("QMMESSENGER_ADD_MEMBER_BUTTON"), MemberTotal() < MESSENGER_BUDDIES);
    enable(Button("QMMESSENGER_ADD_GROUP_BUTTON"), FirstFreeGroup() >= 0);
    const MessengerGroup* g = SelectedGroup();
    enable(Button("QMMESSENGER_GROUP_TALK_BUTTON"), !(g && g->members == 0));
    if (m_dragging && g_pInputMgr) {
        const int32_t mx = g_pInputMgr->m_mouseX, my = g_pInputMgr->m_mouseY;
        const int32_t row = RowAt(mx, my);
        m_dropGroup = -1;
        if (row >= 0 && m_rows[row].kind != 2)
            m_dropGroup =
                m_rows[row].kind == 0 ? m_groups[m_rows[row].index].id : m_buddies[m_rows[row].index].group;
        if (now - m_lastScroll >= 200) {
            CScrollBar* bar = GetScrollBar();
            if (bar && my >= m_y + 27 && my <= m_y + 35)
                bar->SetScrollPos(bar->GetScrollPos() - 1), m_lastScroll = now;
            if (bar && my >= m_y + 316 && my <= m_y + 324)
                bar->SetScrollPos(bar->GetScrollPos() + 1), m_lastScroll = now;
        }
    }
    return true;
}

void CQMMessengerWindow::DrawRow(int32_t row, int32_t y) {
    const MessengerRow& r = m_rows[row];
    const bool dropTarget = m_dragging && m_dropGroup >= 0 && m_dragRow >= 0 &&
                            m_buddies[m_rows[m_dragRow].index].group != m_dropGroup &&
                            ((r.kind == 0 && m_groups[r.index].id == m_dropGroup) ||
                             (r.kind == 1 && m_buddies[r.index].group == m_dropGroup));
    const bool lit = row == m_selected || dropTarget;
    if (r.kind == 0) {
        if (m_groupRow) {
            m_groupRow->SetDirection(lit ? 0 : 2);
            m_groupRow->SetScreenPosition(m_x + 10, y, 0);
            m_groupRow->Draw();
        }
        DrawCommunityText(m_x + 16, y + 9, m_groups[r.index].name, kGroupColour);
        return;
    }
    const MessengerBuddy& b = m_buddies[r.index];
    if (m_buddyRow) {
        m_buddyRow->SetDirection(lit ? 0 : 2);
        m_buddyRow->SetScreenPosition(m_x + 10, y, 0);
        m_buddyRow->Draw();
    }
    char label[96];
    if (b.Online()) {
        const int32_t type = int32_t((b.resourceId - 2000000u) % 14u);
        if (auto& portrait = m_portraits[type]) {
            portrait->SetScreenPosition(m_x + 16, y + 2, 0);
            portrait->Draw();
        }
        std::snprintf(label, sizeof label, "*****(%s)", b.charName);
        DrawCommunityText(m_x + 48, y + 9, label, 0xFFFFFF);
    } else {
        std::snprintf(label, sizeof label, "*****(%s)", GetTableText(14, 353));
        DrawCommunityText(m_x + 48, y + 9, label, 0xBBBBBB);
    }
}

bool CQMMessengerWindow::Draw() {
    if (!IsDrawOn()) return true;
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self) return true;
    const int32_t first = ScrollPos();
    for (int32_t i = 0; i < MESSENGER_VISIBLE_ROWS && first + i < MESSENGER_ROWS; ++i) {
        if (m_rows[first + i].kind == 2) break;
        DrawRow(first + i, m_y + 36 + MESSENGER_ROW_HEIGHT * i);
    }
    if (m_dragging && m_dragRow >= 0 && g_pInputMgr && m_buddyRow) {
        const int32_t mx = g_pInputMgr->m_mouseX, my = g_pInputMgr->m_mouseY;
        m_buddyRow->SetDirection(2);
        m_buddyRow->SetScreenPosition(mx - 20, my - 10, 0);
        m_buddyRow->Draw();
        const MessengerBuddy& b = m_buddies[m_rows[m_dragRow].index];
        DrawCommunityText(mx + 20, my - 2, b.Online() ? b.charName : GetTableText(14, 353), 0xFFFFFF);
    }
    if (m_menuShown && m_menu) {
        m_menu->SetScreenPosition(m_menuLeft, m_menuTop, 0);
        m_menu->Draw();
        static constexpr int kGroupRows[] = {354, 355, 356, 357, 358, 359};
        const MessengerBuddy* b =
            m_selected >= 0 && m_rows[m_selected].kind == 1 ? &m_buddies[m_rows[m_selected].index] : nullptr;
        const int kBuddyRows[] = {360, 359, 361, 362, b && b->listFlag ? 368 : 369, 363};
        const int* rows = m_menuKind == 0 ? kGroupRows : kBuddyRows;
        DrawCommunityText(m_menuLeft + 8, m_menuTop + 10, GetTableText(14, rows[0]), 0xFFFFFF);
        const int32_t hovered = g_pInputMgr ? MenuItemAt(g_pInputMgr->m_mouseX, g_pInputMgr->m_mouseY) : -1;
        for (int32_t item = 0; item < 5; ++item) {
            const int32_t y = m_menuTop + kMenuFirstItem + kMenuItemHeight * item;
            if (item == hovered && m_highlight) {
                m_highlight->SetScreenPosition(m_menuLeft + 4, y, 0);
                m_highlight->Draw();
            }
            DrawCommunityText(m_menuLeft + 10, y + 1, GetTableText(14, rows[item + 1]),
                              IsMenuItemDisabled(item, m_menuKind) ? kDisabledColour : 0xFFFFFF);
        }
    }
    return true;
}

// ---- Mouse ----

bool CQMMessengerWindow::OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) return CBaseWindow::OnMouseDown(button, x, y, control);
    if (m_menuShown) {
        if (x >= m_menuLeft && x <= m_menuRight && y >= m_menuTop && y <= m_menuBottom) return false;
        m_menuShown = 0;
    }
    const int32_t row = RowAt(x, y);
    if (button == 0 && row >= 0 && m_rows[row].kind == 1) {
        m_dragRow = row;
        m_dragging = 1;
        m_pressX = x;
        m_pressY = y;
        m_selected = -1;
        return false;
    }
    m_dragging = 0;
    m_dragRow = -1;
    return CBaseWindow::OnMouseDown(button, x, y, control);
}

bool CQMMessengerWindow::OnMouseUp(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) return CBaseWindow::OnMouseUp(button, x, y, control);
    if (m_dragging) {
        m_dragging = 0;
        const int32_t row = RowAt(x, y);
        if (m_dragRow >= 0 && row >= 0 && m_rows[row].kind != 2) {
            const uint8_t group =
                m_rows[row].kind == 0 ? m_groups[m_rows[row].index].id : m_buddies[m_rows[row].index].group;
            const MessengerBuddy& b = m_buddies[m_rows[m_dragRow].index];
            if (b.Used() && group != b.group && group < MESSENGER_GROUPS)
                GameSession().SendMessengerMoveBuddy(b.memberName, group);
        }
        // A press and release on one row selects it.
        if (row == m_dragRow && std::abs(x - m_pressX) <= 10 && std::abs(y - m_pressY) <= 10)
            m_selected = row;
        m_dragRow = -1;
        m_dropGroup = -1;
        return false;
    }
    return CBaseWindow::OnMouseUp(button, x, y, control);
}

bool CQMMessengerWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) {
        if (control->IsInputOn() && IsClickOn(control, x, y)) {
            const char* name = control->GetName();
            if (SameText(name, "QMMESSENGER_CLOSE_BUTTON")) {
                Hide();
                SetActive(false, false);
                return true;
            }
            if (SameText(name, "QMMESSENGER_ADD_GROUP_BUTTON")) return OpenNewGroup(), false;
            if (SameText(name, "QMMESSENGER_ADD_MEMBER_BUTTON")) return OpenAddBuddy(), false;
            if (SameText(name, "QMMESSENGER_GROUP_TALK_BUTTON")) return OpenGroupMessage(), false;
        }
        return CBaseWindow::OnControlEvent(button, x, y, control);
    }
    if (m_menuShown) {
        const int32_t item = MenuItemAt(x, y);
        const bool inside = x >= m_menuLeft && x <= m_menuRight && y >= m_menuTop && y <= m_menuBottom;
        const int32_t kind = m_menuKind;
        m_menuShown = 0;
        if (inside) {
            if (item >= 0 && !IsMenuItemDisabled(item, kind)) RunMenuItem(item, kind);
            return false;
        }
    }
    const int32_t row = RowAt(x, y);
    if (row >= 0 && m_rows[row].kind != 2) {
        m_selected = row;
        if (button == 1) OpenMenu(row, x, y);
    }
    return CBaseWindow::OnControlEvent(button, x, y, control);
}

bool CQMMessengerWindow::OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    const int32_t row = control ? -1 : RowAt(x, y);
    if (row >= 0 && m_rows[row].kind == 1) {
        const MessengerBuddy& b = m_buddies[m_rows[row].index];
        if (b.Used() && b.Online()) {
            if (IOneToOneChat* chat = FindOneToOneChat()) chat->OnCommand(2, b.charName);
            return false;
        }
    }
    return CBaseWindow::OnDoubleClick(button, x, y, control);
}
