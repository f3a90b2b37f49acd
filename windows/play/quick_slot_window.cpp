#include "windows/play/quick_slot_window.h"

#include <cstdio>
#include <string>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/config.h"
#include "core/input_mgr.h"
#include "data/skill_table_mgr.h"
#include "data/slot_object_mgr.h"
#include "graphics/direct3d.h"
#include "graphics/display_settings.h"
#include "net/game_session.h"
#include "net/handlers/char_records.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "ui/items/item_icon.h"
#include "ui/ui_services.h"
#include "ui/window_layout.h"
#include "ui/window_messages.h"
#include "ui/window_mgr.h"
#include "windows/play/item_window_parts.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"

namespace {

constexpr uint16_t kSkillIconType = 7;
constexpr uint16_t kPageOneSound = 8, kPageZeroSound = 9;
constexpr uint32_t kUseDelayMs = 1000;
constexpr int8_t kImmediateSkillType = 6;
constexpr int32_t kSlotsLeft = 10, kSlotsRight = 125, kSlotsTop = 28, kSlotsBottom = 94, kLowerRow = 69;
constexpr int32_t kPlaceX = 23, kPlaceStep = 30, kUpperY = 41, kLowerY = 82;
constexpr int32_t kPageTabsTop = 0, kPageTabsBottom = 12;
constexpr int32_t kPageTabs[2][2] = {{50, 89}, {91, 130}};
constexpr uint32_t kBacking = 0x80000000;  // black at half transparency

CBaseWindow* MainWindow() {
    return g_pWindowMgr ? g_pWindowMgr->FindWindowByName("Z5MAINWIN") : nullptr;
}

void PlayPageSound(uint16_t effect) {
    if (IUiSound* sound = GetUiSound()) sound->PlaySoundEffect(effect, -1, -1, 1);
}

}  // namespace

int32_t QuickSlotPlaceAt(int32_t x, int32_t y, int32_t mx, int32_t my) {
    if (mx < x + kSlotsLeft || mx > x + kSlotsRight || my < y + kSlotsTop || my > y + kSlotsBottom) return -1;
    // The factor is a float; the product is taken wider (39 pixels in is place 1).
    return int32_t(double(mx - x - 9) * double(0.033333335f)) + (my > y + kLowerRow ? 4 : 0);
}

CQuickSlotWindow::CQuickSlotWindow() {
    CQuickSlotWindow::Create();
}

CQuickSlotWindow::~CQuickSlotWindow() {
    CQuickSlotWindow::Release();
}

bool CQuickSlotWindow::Create() {
    CBaseWindow::Create();
    CreatePanelWindow(this, QUICK_SLOT_WINDOW_NAME, QUICK_SLOT_PICTURE_NAME);
    m_keepOnScreen = 1;
    for (Slot& slot : m_slots) slot = Slot{};
    m_hovered = -1;
    SetPosition(0, GetDisplaySettings().screenHeight - ImageHeight());
    LoadSettings();
    SetPage(0);
    return true;
}

bool CQuickSlotWindow::Release() {
    for (Slot& slot : m_slots) slot = Slot{};
    return CBaseWindow::Release();
}

void CQuickSlotWindow::SetOwnerId(uint32_t charId) {
    SetKindId(charId);
}

bool CQuickSlotWindow::UpdateRect() {
    if (m_pAniObject) return CBaseWindow::UpdateRect();
    m_rect = WindowRect{m_x, m_y, m_x + QUICK_SLOT_WIDTH, m_y + QUICK_SLOT_HEIGHT};
    return true;
}

void CQuickSlotWindow::SetPage(int32_t page) {
    m_page = page;
    if (CAniObject* picture = GetAniObject()) {
        picture->SetMotion(uint8_t(page));
        picture->SetDirection(2);
    }
}

void CQuickSlotWindow::TogglePage() {
    SetPage(m_page == 0 ? 1 : 0);
    PlayPageSound(m_page == 1 ? kPageOneSound : kPageZeroSound);
}

int32_t CQuickSlotWindow::SlotAt(int32_t mx, int32_t my) const {
    const int32_t place = QuickSlotPlaceAt(m_x, m_y, mx, my);
    if (place < 0) return -1;
    const int32_t slot = place + m_page * QUICK_SLOTS_A_PAGE;
    return slot < QUICK_SLOTS ? slot : -1;
}

int32_t CQuickSlotWindow::ComputeHovered() {
    m_hovered = -1;
    UpdateRect();
    int32_t mx = WindowMouseX(), my = WindowMouseY();
    if (g_pInputMgr && (g_pInputMgr->IsButtonHeld(0) || g_pInputMgr->IsButtonHeld(1))) {
        mx = m_x + m_pressOffsetX;
        my = m_y + m_pressOffsetY;
    } else if (!HitTest(mx, my)) {
        return -1;
    }
    const int32_t slot = SlotAt(mx, my);
    if (slot >= 0 && m_slots[slot].type != QUICK_SLOT_EMPTY) m_hovered = slot;
    return m_hovered;
}

CItemIcon* CQuickSlotWindow::FindItem(uint32_t itemId) const {
    CSlotObjectMgr* container = m_pItems ? m_pItems->Container() : nullptr;
    return container ? dynamic_cast<CItemIcon*>(container->FindByItemId(itemId)) : nullptr;
}

void CQuickSlotWindow::ClearSlot(int32_t slot) {
    if (slot >= 0 && slot < QUICK_SLOTS) m_slots[slot] = Slot{};
}

std::unique_ptr<CSkillAction> CQuickSlotWindow::MakeSkillIcon(int32_t row) {
    if (!g_pSkillTableMgr || row < 0 || g_pSkillTableMgr->GetSkillId(row) == 0) return nullptr;
    auto icon = std::make_unique<CSkillAction>();
    uint16_t animation = 0, motion = 0;
    uint8_t direction = 0;
    g_pSkillTableMgr->GetResourceRef12(row, &animation, &motion, &direction);
    const char* name = g_pSkillTableMgr->GetName(row);
    icon->CreateNamedWithAni(kSkillIconType, name ? name : "", animation, animation == 0);
    if (CAniObject* picture = icon->GetAniObject()) {
        picture->SetMotion(uint8_t(motion));
        picture->SetDirection(direction);
    }
    icon->SetSkillRow(row);
    return icon;
}

void CQuickSlotWindow::ApplyRecord(uint8_t count, const uint8_t* slots, const uint32_t* values) {
    CChar* player = PlayerChar();
    for (uint8_t n = 0; n < count; ++n) {
        const uint8_t slot = slots[n];
        const uint32_t value = values[n];
        if (slot == QUICK_SLOT_CURRENT_SKILL) {
            if (auto* main = dynamic_cast<IMainInterfaceWindow*>(MainWindow()))
                main->SetSkillIcon(int32_t(value));
            if (CCharData* data = player ? player->GetData() : nullptr) data->SelectSkill(1, int32_t(value));
            continue;
        }
        if (slot >= QUICK_SLOTS) continue;  // no such slot
        ClearSlot(slot);
        if (value < SKILL_ID_BASE) {
            m_slots[slot].type = QUICK_SLOT_ITEM;
            m_slots[slot].itemId = value;
        } else if (std::unique_ptr<CSkillAction> icon = MakeSkillIcon(int32_t(value - SKILL_ID_BASE))) {
            m_slots[slot].type = QUICK_SLOT_SKILL;
            m_slots[slot].skill = std::move(icon);
        }
    }
}

bool CQuickSlotWindow::ProcessMessages() {
    if (!MainWindow()) return true;
    uint32_t sender = 0, eventId = 0;
    MsgDataPtr payload, parameter;
    while (GetPort()->PopFields(&sender, &eventId, &payload, &parameter)) {
        auto* record = ReadRecord<CValueListMsg>(payload.get());
        if (eventId != MSG_VALUE_LIST || !record) continue;
        ApplyRecord(std::min(record->m_count, CValueListMsg::MAX_ENTRIES), record->m_kinds, record->m_values);
    }
    return true;
}

void CQuickSlotWindow::UseSlot(int32_t slot) {
    if (slot < 0 || slot >= QUICK_SLOTS) return;
    CChar* player = PlayerChar();
    CCharData* data = player ? player->GetData() : nullptr;
    Slot& s = m_slots[slot];
    // The slot's use holds the next for a second (set after it, so that the
    // pause does not refuse the use itself).
    struct Pause {
        CCharData* data;
        ~Pause() {
            if (!data) return;
            data->m_actionStart[CCharData::DELAY_SKILL_AFTER] = plat::timeGetTime();
            data->m_actionDelay[CCharData::DELAY_SKILL_AFTER] = kUseDelayMs;
        }
    } pause{data};
    if (s.type == QUICK_SLOT_ITEM) {
        if (CItemIcon* item = FindItem(s.itemId)) item->UseItem();
        return;
    }
    if (s.type != QUICK_SLOT_SKILL || !s.skill || !data) return;
    const int32_t row = s.skill->SkillRow();
    if (!data->HasSkill(row)) return;
    if (g_pSkillTableMgr && g_pSkillTableMgr->GetByte15(row) == kImmediateSkillType &&
        data->GetSelectedSkillId() == SKILL_ID_BASE + uint32_t(row))
        if (IGameSceneActions* scene = FindGameSceneActions()) scene->TryUseSkill(player, row);
    if (auto* main = dynamic_cast<IMainInterfaceWindow*>(MainWindow())) {
        main->SetSkillIcon(row);
        data->SelectSkill(1, row);
    }
}

void CQuickSlotWindow::DropIcon(CItemIcon* icon, int32_t mouseX, int32_t mouseY) {
    const int32_t slot = SlotAt(mouseX, mouseY);
    if (!icon) {
        ClearSlot(slot);
        return;
    }
    if (slot < 0) return;
    ClearSlot(slot);
    m_slots[slot].type = QUICK_SLOT_ITEM;
    m_slots[slot].itemId = icon->GetItemId();
    GameSession().SendQuickSlot(1, uint8_t(slot), icon->GetItemId());
}

void CQuickSlotWindow::DropSkillIcon(CSkillAction* icon, int32_t mouseX, int32_t mouseY) {
    std::unique_ptr<CSkillAction> owned(icon);  // the slot keeps it, or it goes
    const int32_t slot = SlotAt(mouseX, mouseY);
    if (slot < 0 || !owned) return;
    const uint32_t id = g_pSkillTableMgr ? g_pSkillTableMgr->GetSkillId(owned->SkillRow()) : 0;
    ClearSlot(slot);
    m_slots[slot].type = QUICK_SLOT_SKILL;
    m_slots[slot].skill = std::move(owned);
    GameSession().SendQuickSlot(1, uint8_t(slot), id);
}

// ---- The frame ----

bool CQuickSlotWindow::Update() {
    CWeakRef self(this);
    CBaseWindow::Update();
    if (!self) return true;
    const int32_t slot = ComputeHovered();
    ICursorObject* cursor = WindowCursor();
    if (slot < 0 || !cursor) return true;
    const char* name = nullptr;
    if (m_slots[slot].type == QUICK_SLOT_ITEM) {
        if (CItemIcon* item = FindItem(m_slots[slot].itemId)) name = item->GetName();
    } else if (m_slots[slot].skill && g_pSkillTableMgr) {
        name = g_pSkillTableMgr->GetName(m_slots[slot].skill->SkillRow());
    }
    if (name) cursor->SetText(name, ITEM_TEXT_WHITE);
    return true;
}

void CQuickSlotWindow::PlaceIcon(CDrawObject* icon, int32_t place) {
    const int32_t column = place % 4;
    const int32_t y = m_y + (place < 4 ? kUpperY : kLowerY);
    if (auto* item = dynamic_cast<CItemIcon*>(icon)) {
        item->SetPosition(m_x + kPlaceX + kPlaceStep * column, y);
    } else if (CAniObject* picture = icon->GetAniObject()) {
        picture->SetScreenPosition(m_x + kPlaceX + kPlaceStep * column, y, 0);
    }
}

bool CQuickSlotWindow::Draw() {
    UpdateRect();
    if (g_pDirect3D) g_pDirect3D->FillRect(m_rect.left, m_rect.top, m_rect.right, m_rect.bottom, kBacking);
    CWeakRef self(this);
    CBaseWindow::Draw();
    if (!self) return true;
    CCharData* data = PlayerData();
    char text[16];
    for (int32_t place = 0; place < QUICK_SLOTS_A_PAGE; ++place) {
        const int32_t slot = m_page * QUICK_SLOTS_A_PAGE + place;
        Slot& s = m_slots[slot];
        const int32_t column = place % 4;
        const int32_t x = m_x + kPlaceX + kPlaceStep * column, y = m_y + (place < 4 ? kUpperY : kLowerY);
        if (s.type == QUICK_SLOT_ITEM) {
            CItemIcon* item = FindItem(s.itemId);
            if (!item) continue;
            const uint32_t state = item->GetState();
            item->SetState(ITEM_IN_INVENTORY);
            PlaceIcon(item, place);
            item->SetHighlighted(slot == m_hovered);
            item->Draw();
            item->SetHighlighted(false);
            item->SetState(state);
            std::snprintf(text, sizeof text, "%u", item->GetCount());
            DrawItemText(x + 2, y - 2, text, ITEM_TEXT_WHITE);
        } else if (s.type == QUICK_SLOT_SKILL && s.skill) {
            const int32_t row = s.skill->SkillRow();
            const bool learned = data && data->HasSkill(row);
            if (CAniObject* picture = s.skill->GetAniObject()) {
                PlaceIcon(s.skill.get(), place);
                // Greyed while the skill is not learned.
                if (!learned) picture->SetColor(1, 0);  // half blended
                picture->Draw();
                if (!learned) picture->SetColor(0, 0);
            }
            std::snprintf(text, sizeof text, "%u", data ? data->GetSkillValue(row) : 0u);
            DrawItemText(x + 2, y - 2, text, ITEM_TEXT_WHITE);
        }
    }
    return true;
}

// ---- Input ----

bool CQuickSlotWindow::OnKeyDown(uint32_t key, CBaseWindow* control) {
    if (control) return control->OnKeyDown(key, nullptr);
    if (key < plat::VK_F1 || key >= plat::VK_F1 + QUICK_SLOTS_A_PAGE) return true;
    UseSlot(m_page * QUICK_SLOTS_A_PAGE + int32_t(key - plat::VK_F1));
    return false;
}

bool CQuickSlotWindow::OnControlEvent(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) return control->OnControlEvent(button, x, y, nullptr);
    UpdateRect();
    if (!HitTest(x, y)) return true;
    if (button == 1) {
        const int32_t slot = ComputeHovered();
        if (slot < 0) return true;
        ClearSlot(slot);
        GameSession().SendQuickSlot(0, uint8_t(slot), 0);
        return false;
    }
    if (button != 0 || y < m_y + kPageTabsTop || y > m_y + kPageTabsBottom) return true;
    for (int32_t page = 0; page < 2; ++page)
        if (x >= m_x + kPageTabs[page][0] && x <= m_x + kPageTabs[page][1]) {
            if (m_page != page) SetPage(page);
            return false;
        }
    return true;
}

bool CQuickSlotWindow::OnMouseDown(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (!IsDrawOn()) return true;
    if (!control) return CBaseWindow::OnMouseDown(button, x, y, nullptr);
    m_pressOffsetX = x - m_x;
    m_pressOffsetY = y - m_y;
    return control->OnMouseDown(button, x, y, nullptr);
}

bool CQuickSlotWindow::OnMouseMove(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    if (control) return control->OnMouseMove(button, x, y, nullptr);
    UpdateRect();
    if (!HitTest(x, y)) return true;
    const int32_t slot = ComputeHovered();
    CItemIcon* item =
        slot >= 0 && m_slots[slot].type == QUICK_SLOT_ITEM ? FindItem(m_slots[slot].itemId) : nullptr;
    if (item && m_pressedButton == 0) {
        OnMouseUp(0, x, y, nullptr);
        item->BeginDrag(ITEM_DRAG_FROM_QUICK_SLOT);
        return false;
    }
    return CBaseWindow::OnMouseMove(button, x, y, nullptr);
}

bool CQuickSlotWindow::OnDoubleClick(int32_t button, int32_t x, int32_t y, CBaseWindow* control) {
    UpdateRect();
    if (!IsDrawOn() || !HitTest(WindowMouseX(), WindowMouseY())) return true;
    if (button >= 0 && button < 2) m_doubleClicked[button] = 1;
    if (control) return control->OnDoubleClick(button, x, y, nullptr);
    const int32_t slot = ComputeHovered();
    if (slot < 0) return true;
    UseSlot(slot);
    return false;
}

// ---- Settings ----

bool CQuickSlotWindow::SaveSettings(CLayoutWriter* writer) {
    const CDisplaySettings& screen = GetDisplaySettings();
    char key[64];
    std::snprintf(key, sizeof key, "WindowPositionX[%dx%d]", screen.screenWidth, screen.screenHeight);
    WriteLayoutFloat(key, float(m_x), writer);
    std::snprintf(key, sizeof key, "WindowPositionY[%dx%d]", screen.screenWidth, screen.screenHeight);
    WriteLayoutFloat(key, float(m_y), writer);
    for (int32_t slot = 0; slot < QUICK_SLOTS; ++slot) {
        const Slot& s = m_slots[slot];
        std::snprintf(key, sizeof key, "SlotType_%d", slot);
        WriteLayoutFloat(key, float(s.type), writer);
        if (s.type == QUICK_SLOT_ITEM && FindItem(s.itemId)) {
            std::snprintf(key, sizeof key, "DBID_%d", slot);
            WriteLayoutFloat(key, float(s.itemId), writer);
        } else if (s.type == QUICK_SLOT_SKILL && s.skill) {
            std::snprintf(key, sizeof key, "DBRowID_%d", slot);
            WriteLayoutFloat(key, float(uint32_t(s.skill->SkillRow())), writer);
        }
    }
    return true;
}

bool CQuickSlotWindow::LoadSettings() {
    const CDisplaySettings& screen = GetDisplaySettings();
    CLayoutReader reader(LAYOUT_FILE_NAME);
    char key[64];
    std::snprintf(key, sizeof key, "WindowPositionX[%dx%d]", screen.screenWidth, screen.screenHeight);
    const float x = ReadLayoutFloat(key, &reader, 0.0f);
    std::snprintf(key, sizeof key, "WindowPositionY[%dx%d]", screen.screenWidth, screen.screenHeight);
    const float y = ReadLayoutFloat(key, &reader, float(screen.screenHeight - ImageHeight()));
    SetPosition(int32_t(x), int32_t(y));
    if (g_options.GetByte(OPTION_QUICK_SLOTS_SHOWN))
        Show();
    else
        Hide();
    return true;
}
