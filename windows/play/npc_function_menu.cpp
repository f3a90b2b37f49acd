#include "windows/play/npc_function_menu.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/message.h"
#include "data/text_tables.h"
#include "net/game_session.h"
#include "net/handlers/window_records.h"
#include "platform/clock.h"
#include "ui/button.h"
#include "ui/window_mgr.h"
#include "windows/play/trade_window.h"
#include "world/chars/char.h"
#include "world/chars/char_mgr.h"

namespace {

constexpr int kTipTable = 14;
constexpr int kTalkTip = 97, kChatTalkTip = 98;
constexpr double kDegrees = 0.01745328888888889;

struct IconSpec {
    const char* name;
    uint8_t motion;
    int tipRow;
};
constexpr IconSpec kIcons[NPC_MENU_ICONS] = {
    {"NPC_FUNC_ICON_TALK", 0, kTalkTip},     {"NPC_FUNC_ICON_STORE", 3, 99},
    {"NPC_FUNC_ICON_HEAL", 4, 100},          {"NPC_FUNC_ICON_CLUB_DEPOSIT", 5, 446},
    {"NPC_FUNC_ICON_MAGICROULLETE", 6, 457}, {"NPC_FUNC_ICON_FIGHTCLUB", 7, 472},
    {"NPC_FUNC_ICON_ATS", 8, 581},           {"NPC_FUNC_ICON_CLUB_DEPOSIT", 5, 595},
    {"NPC_FUNC_ICON_PREMIUM_SHOP", 9, 721},  {"NPC_FUNC_ICON_EQUIP_EQUIPMENT_ABILITY", 6, 732},
};

template <class Payload>
Payload* As(CMsg* msg) {
    return dynamic_cast<Payload*>(msg->m_pPayload.get());
}

const char* OwnName() {
    CChar* player = g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
    return player ? player->GetInfo(nullptr) : nullptr;
}

CChar* CharById(uint32_t id) {
    return g_pCharMgr && id ? g_pCharMgr->GetChar(id) : nullptr;
}

CBaseWindow* FindTopWindow(const char* name) {
    return g_pWindowMgr ? g_pWindowMgr->FindWindowByName(name) : nullptr;
}

}  // namespace

uint32_t NpcMenuMaskFor(uint32_t flags, bool hideTalk) {
    auto bit = [flags](int n) { return (flags >> n) & 1u; };
    uint32_t mask = hideTalk ? 0 : 1u << NPC_ICON_TALK;
    if (flags & 0xFu) mask |= 1u << NPC_ICON_STORE;
    if (bit(7) || bit(8)) mask |= 1u << NPC_ICON_HEAL;
    if (bit(17)) mask |= 1u << NPC_ICON_CLUB_DEPOSIT;
    if (bit(26)) mask |= 1u << NPC_ICON_ROULETTE;
    if (bit(27)) mask |= 1u << NPC_ICON_FIGHT_CLUB;
    if (bit(10)) mask |= 1u << NPC_ICON_ATS;
    if (bit(18)) mask |= 1u << NPC_ICON_CLUB_DEPOSIT_OWN;
    if (bit(4)) mask |= 1u << NPC_ICON_EQUIPMENT_ABILITY;
    return mask;
}

CNPCFunctionSelectWin::CNPCFunctionSelectWin() {
    CNPCFunctionSelectWin::Create();
}

CNPCFunctionSelectWin::~CNPCFunctionSelectWin() = default;

bool CNPCFunctionSelectWin::Create() {
    CBaseWindow::Create();
    CreateNamedWithAni(WINDOW_DRAG_TYPE, NPC_MENU_WINDOW_NAME, 0, true);
    SetKindId(0);
    const uint32_t image = FindAniByName(NPC_MENU_IMAGE_NAME);
    for (int i = 0; i < NPC_MENU_ICONS; ++i) {
        m_icons[i] = MakeChildButton(kIcons[i].name, this, image, kIcons[i].motion);
        if (!m_icons[i]) continue;
        m_icons[i]->SetToolTip(true, GetTableText(kTipTable, kIcons[i].tipRow), WINDOW_TOOLTIP_PARAM);
        m_icons[i]->Hide();
    }
    m_selected = -1;
    m_functionMask = 0;
    m_npcId = 0;
    m_openTime = 0;
    m_hasChatName = 0;
    m_chatName[0] = '\0';
    Hide();
    return true;
}

void CNPCFunctionSelectWin::SetTargetNpc(uint32_t npcId) {
    m_npcId = npcId;
    m_openTime = 0;
    m_hasChatName = 0;
    if (m_icons[NPC_ICON_TALK])
        m_icons[NPC_ICON_TALK]->SetToolTip(true, GetTableText(kTipTable, kTalkTip), WINDOW_TOOLTIP_PARAM);
}

void CNPCFunctionSelectWin::SetTarget(uint32_t charId, const char* name) {
    SetTargetNpc(charId);
    if (name) SetChatName(name);
}

bool CNPCFunctionSelectWin::SetChatName(const char* name) {
    m_chatName[0] = '\0';
    if (!name) return false;
    if (!name[0]) {
        m_hasChatName = 0;
        return true;
    }
    const size_t n = std::min(std::strlen(name), NPC_CHAT_NAME_CHARS);
    std::memcpy(m_chatName, name, n);
    m_chatName[n] = '\0';
    m_hasChatName = 1;
    if (m_icons[NPC_ICON_TALK])
        m_icons[NPC_ICON_TALK]->SetToolTip(true, GetTableText(kTipTable, kChatTalkTip), WINDOW_TOOLTIP_PARAM);
    return true;
}

bool CNPCFunctionSelectWin::ApplyFunctions(uint32_t flags) {
    const char* own = OwnName();
    if (!own) return false;
    const bool hideTalk = m_hasChatName && std::strcmp(m_chatName, own) == 0;
    SetFunctions(NpcMenuMaskFor(flags, hideTalk));
    Show();
    SetActive(true, false);
    if (auto* trade = dynamic_cast<CTradeWindow*>(FindTopWindow(TRADE_WINDOW_NAME)))
        trade->SetAvailableModes(flags & 1, (flags >> 1) & 1, (flags >> 2) & 1, (flags >> 3) & 1);
    return true;
}

void CNPCFunctionSelectWin::SetFunctions(uint32_t mask) {
    m_functionMask = mask;
    // Showing the menu shows every child: the icons follow the mask after it.
    for (int i = 0; i < NPC_MENU_ICONS; ++i)
        if (m_icons[i]) {
            if ((mask >> i) & 1u)
                m_icons[i]->Show();
            else
                m_icons[i]->Hide();
        }
    SetPosition(m_x, m_y);
}

bool CNPCFunctionSelectWin::Show() {
    CBaseWindow::Show();
    SetFunctions(m_functionMask);
    return true;
}

bool CNPCFunctionSelectWin::Hide() {
    m_hasChatName = 0;
    m_npcId = 0;
    m_openTime = 0;
    return CBaseWindow::Hide();
}

bool CNPCFunctionSelectWin::SetPosition(int32_t x, int32_t y) {
    if (m_npcId == 0) return CBaseWindow::SetPosition(x, y);
    CChar* npc = CharById(m_npcId);
    if (!npc) return true;
    int32_t cx = npc->GetX(), cy = npc->GetY();
    if (CAniObject* ani = npc->GetAniObject()) {
        cx = ani->GetX();
        cy = ani->GetY() - ani->GetAniTopExtent() / 2;
    }
    CBaseWindow::SetPosition(cx, cy);
    const uint32_t now = plat::timeGetTime();
    if (m_openTime == 0) m_openTime = now;
    const uint32_t t = std::min(now - m_openTime, NPC_MENU_OPEN_MS);
    const float p = float(t) * (1.0f / float(NPC_MENU_OPEN_MS));
    const float r = NPC_MENU_RADIUS * p;
    double angle = double(p) * 360.0;
    for (int i = 0; i < NPC_MENU_ICONS; ++i) {
        if (!((m_functionMask >> i) & 1u) || !m_icons[i]) continue;
        m_icons[i]->SetPosition(cx + int32_t(std::cos(angle * kDegrees) * r),
                                cy + int32_t(std::sin(angle * kDegrees) * r));
        angle += 45.0;
    }
    return true;
}

bool CNPCFunctionSelectWin::Update() {
    if (m_npcId) SetPosition(m_x, m_y);
    return CBaseWindow::Update();
}

bool CNPCFunctionSelectWin::Draw() {
    if (m_npcId && !CharById(m_npcId)) {
        Hide();
        return true;
    }
    return CBaseWindow::Draw();
}

bool CNPCFunctionSelectWin::ProcessMessages() {
    while (CMsg* msg = GetPort()->Pop()) {
        const std::unique_ptr<CMsg> owned(msg);
        if (msg->m_eventId != MSG_NPC_MENU) continue;
        if (auto* menu = As<CNpcMenuMsg>(msg)) {
            menu->m_name[sizeof menu->m_name - 1] = '\0';
            SetChatName(menu->m_name);
            ApplyFunctions(menu->m_flags);
        }
    }
    return true;
}

bool CNPCFunctionSelectWin::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (button != 0 || !control) return CBaseWindow::OnControlEvent(button, x, y, nullptr);
    if (!IsClickOn(control, x, y) || !control->IsInputOn()) return true;
    if (!CharById(m_npcId)) {
        Hide();
        return true;
    }
    for (int i = 0; i < NPC_MENU_ICONS; ++i)
        if (control == m_icons[i]) {
            RunIcon(i);
            break;
        }
    return false;
}

void CNPCFunctionSelectWin::RunIcon(int icon) {
    const uint32_t npc = m_npcId;
    if (npc == 0) return;
    CGameSession& session = GameSession();
    switch (icon) {
        case NPC_ICON_TALK:
            // With a chat name the talk is the one-to-one chat, which is
            // not made here: nothing goes to the NPC.
            if (!m_hasChatName) session.SendNpcTalk(npc);
            break;
        case NPC_ICON_STORE:
            if (auto* trade = dynamic_cast<CTradeWindow*>(FindTopWindow(TRADE_WINDOW_NAME));
                trade && !trade->IsDrawOn())
                trade->Open(npc);
            break;
        case NPC_ICON_HEAL:
            session.SendNpcHealOpen(npc);
            if (CBaseWindow* healer = FindTopWindow("NPCHEALWIN")) {
                healer->Show();
                healer->SetActive(true, false);
            }
            break;
        case NPC_ICON_CLUB_DEPOSIT:
            session.SendClubDepositOpen(npc, 1, false);
            break;
        case NPC_ICON_CLUB_DEPOSIT_OWN:
            session.SendClubDepositOpen(npc, 0, true);
            break;
        case NPC_ICON_ROULETTE:
            if (CBaseWindow* roulette = FindTopWindow("MAGIC_ROULLETE_WIN")) roulette->Show();
            session.SendMagicRouletteOpen(npc);
            break;
        case NPC_ICON_FIGHT_CLUB: {
            CBaseWindow* fight = FindTopWindow("FightClub_Manager");
            if (!fight || !fight->IsDrawOn()) session.SendFightClubOpen(npc);
            break;
        }
        case NPC_ICON_ATS:
            if (CBaseWindow* account = FindTopWindow("ATS_ACCOUNT_WIN")) {
                account->SetPosition(400 - account->ImageWidth() / 2, 300 - account->ImageHeight() / 2);
                account->Show();
            }
            break;
        case NPC_ICON_PREMIUM_SHOP:
            session.SendPremiumShopOpen();
            break;
        case NPC_ICON_EQUIPMENT_ABILITY:
            break;
        default:
            break;
    }
    Hide();
}
