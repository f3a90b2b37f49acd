#include "ui/items/item_icon.h"

#include <cstdio>
#include <vector>

#include "anim/ani_object.h"
#include "data/data_table.h"
#include "graphics/direct_draw.h"
#include "graphics/math3d.h"
#include "graphics/text_renderer.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "ui/items/item_targets.h"
#include "ui/items/item_world.h"
#include "ui/message_box.h"
#include "ui/number_input_window.h"
#include "ui/window_messages.h"
#include "ui/window_mgr.h"

namespace {

constexpr const char* kMainWindowName = "Z5MAINWIN";

// Colour modes of the sprite.
constexpr uint8_t kPlainColour = 0, kHalfBlend = 1, kWash = 3;

// The world's tiles: 24 x 12 map units.
constexpr int32_t kTileWidth = 24, kTileHeight = 12;

uint32_t ElapsedFrames(uint32_t start) {
    // Unsigned: a clock that wrapped since the start still counts forward.
    return uint32_t(double(plat::timeGetTime() - start) * ITEM_FRAMES_PER_MS);
}

Vec3 ToVec(const ItemPoint& p) {
    return Vec3{float(p.x), float(p.y), float(p.z)};
}

bool IsManagersWindow(CBaseWindow* window) {
    return window && g_pWindowMgr && g_pWindowMgr->HasWindow(window);
}

}  // namespace

CItemIcon::CItemIcon() {
    CItemIcon::Create();
}

CItemIcon::~CItemIcon() {
    CItemIcon::Release();
}

bool CItemIcon::Create() {
    CItemObject::Create();
    m_flightDuration = 0;
    m_flightFrame = 0;
    for (ItemPoint& p : m_flightPoints) p = ItemPoint{};
    m_flyToX = m_flyToY = 0;
    for (uint32_t& b : m_bonus) b = 0;
    m_grade = 0;
    m_row82Value = 0;
    m_position[0] = m_position[1] = m_position[2] = 0;
    m_flightPosition = ItemPoint{};
    for (int i = 0; i < 3; ++i) m_flightFrom[i] = m_flightTo[i] = 0;
    m_sequence = -1;
    m_dropPoint[0] = m_dropPoint[1] = 0;
    m_flightStart = 0;
    m_partHighlight = 0;
    m_wornEffect = 0;
    m_highlighted = 0;
    m_pickedCharId = 0;
    m_expiry = CItemExpiry{};
    return true;
}

void CItemIcon::ClosePopup(CRefTarget* popup) {
    auto* window = static_cast<CBaseWindow*>(popup);
    if (IsManagersWindow(window)) g_pWindowMgr->CloseWindow(window);
}

bool CItemIcon::Release() {
    // At shutdown the window manager may have gone first: its windows went
    // with it and the weak references read null.
    ClosePopup(m_numberInput.Get());
    ClosePopup(m_confirm[0].Get());
    ClosePopup(m_confirm[1].Get());
    m_numberInput.Assign(nullptr);
    m_confirm[0].Assign(nullptr);
    m_confirm[1].Assign(nullptr);
    delete m_sprite;
    m_sprite = nullptr;
    m_sequence = -1;
    return CItemObject::Release();
}

void CItemIcon::CopyFields(const CItemIcon& from) {
    m_itemRow = from.m_itemRow;
    m_itemId = from.m_itemId;
    m_typeCode = from.m_typeCode;
    SetName(from.GetName());
    m_slotIndex = from.m_slotIndex;
    m_secondIds[0] = from.m_secondIds[0];
    m_secondIds[1] = from.m_secondIds[1];
    m_state = from.m_state;
    m_disabled = from.m_disabled;
    m_current = from.m_current;
    m_maximum = from.m_maximum;
    m_count = from.m_count;
    m_auxValue = from.m_auxValue;
    m_flags = from.m_flags;
    CopyItemRecord(m_record, from.m_record);
    m_lastUseTime = from.m_lastUseTime;
    m_flightDuration = from.m_flightDuration;
    m_flightFrame = from.m_flightFrame;
    for (int i = 0; i < 3; ++i) m_flightPoints[i] = from.m_flightPoints[i];
    m_flyToX = from.m_flyToX;
    m_flyToY = from.m_flyToY;
    for (int i = 0; i < 9; ++i) m_bonus[i] = from.m_bonus[i];
    m_grade = from.m_grade;
    m_row82Value = from.m_row82Value;
    for (int i = 0; i < 3; ++i) {
        m_position[i] = from.m_position[i];
        m_flightFrom[i] = from.m_flightFrom[i];
        m_flightTo[i] = from.m_flightTo[i];
    }
    m_flightPosition = from.m_flightPosition;
    m_dropPoint[0] = from.m_dropPoint[0];
    m_dropPoint[1] = from.m_dropPoint[1];
    m_flightStart = from.m_flightStart;
    m_partHighlight = from.m_partHighlight;
    m_wornEffect = from.m_wornEffect;
    m_pickedCharId = from.m_pickedCharId;
    m_expiry.CopyFrom(from.m_expiry);
}

CItemIcon* CItemIcon::Clone() const {
    auto* copy = new CItemIcon;
    copy->CopyFields(*this);
    return copy;
}

CNumberInputWindow* CItemIcon::GetNumberInput() const {
    return m_numberInput.GetAs<CNumberInputWindow>();
}

void CItemIcon::SetNumberInput(CNumberInputWindow* input) {
    m_numberInput.Assign(input);
}

CMessageBox* CItemIcon::GetConfirmBox(int which) const {
    return which == 0 || which == 1 ? m_confirm[which].GetAs<CMessageBox>() : nullptr;
}

void CItemIcon::SetConfirmBox(int which, CMessageBox* box) {
    if (which == 0 || which == 1) m_confirm[which].Assign(box);
}

// ---- The sprite ----

bool CItemIcon::EnsureSprite() {
    if (m_sprite) return true;
    const CDataTable* table = Table();
    m_sprite = new CAniObject;
    m_sprite->SetAnimation(GetTableBlockWord(table, ITEM_COL_ICON_ANI, m_itemRow));
    m_sprite->SetMotion(uint8_t(GetTableBlockWord(table, ITEM_COL_ICON_SEQUENCE, m_itemRow)));
    m_sequence = 0;
    m_sprite->SetDirection(0);
    m_sprite->Play(true);
    return true;
}

CAniObject* CItemIcon::GetAniObject() {
    EnsureSprite();
    return m_sprite;
}

void CItemIcon::SetSequence(int32_t sequence) {
    EnsureSprite();
    if (m_sequence == sequence) return;
    m_sequence = sequence;
    m_sprite->SetDirection(uint8_t(sequence));
    m_sprite->Play(true);
}

void CItemIcon::DrawSprite(bool underlayPass) {
    if (underlayPass) m_sprite->DrawPass(true);
    m_sprite->DrawPass(false);
}

bool CItemIcon::Draw() {
    switch (m_state) {
        case ITEM_ON_GROUND:
            SetSequence(2);
            m_sprite->SetMapPosition(m_position[0] * kTileWidth, m_position[1] * kTileHeight, 0);
            DrawSprite(true);
            break;
        case ITEM_IN_INVENTORY:
        case ITEM_WAIT_GROUND_AMOUNT:
        case ITEM_WAIT_OFFER_AMOUNT:
        case ITEM_LIKE_INVENTORY_6:
        case ITEM_IN_DEPOSIT:
        case ITEM_IN_CLUB_DEPOSIT:
        case ITEM_LIKE_INVENTORY_10:
        case ITEM_WAIT_DEPOSIT_AMOUNT:
        case ITEM_WAIT_WITHDRAW_AMOUNT:
        case ITEM_WAIT_STORE_AMOUNT:
        case ITEM_WAIT_CLUB_DEPOSIT_AMOUNT:
        case ITEM_WAIT_CLUB_WITHDRAW_AMOUNT:
        case ITEM_IN_ACCOUNT:
        case ITEM_LIKE_INVENTORY_20:
        case ITEM_WAIT_CONFIRM_A:
            SetSequence(0);
            m_sprite->SetScreenPosition(m_position[0], m_position[1], 0);
            // Dimmed (half blended) while disabled or waiting for its confirmation.
            if (m_disabled || m_state == ITEM_WAIT_CONFIRM_A) m_sprite->SetColor(kHalfBlend, 0);
            DrawSprite(true);
            if (m_disabled || m_state == ITEM_WAIT_CONFIRM_A) m_sprite->SetColor(kPlainColour, 0);
            break;
        case ITEM_FLYING:
            SetSequence(2);
            m_sprite->SetMapPosition(int32_t(m_flightPosition.x), int32_t(m_flightPosition.y),
                                     int32_t(m_flightPosition.z));
            if (!(IsUiEventRunning() && GetUiEventState()->IsHideFlagSet())) DrawSprite(true);
            break;
        case ITEM_GROUND_FRAME:
            SetSequence(2);
            m_sprite->SetScreenPosition(m_position[0], m_position[1], 0);
            DrawSprite(false);
            break;
        case ITEM_WORN_WITH_EFFECT:
            SetSequence(0);
            m_sprite->SetScreenPosition(m_position[0], m_position[1], 0);
            if (m_wornEffect) m_sprite->SetColor(kWash, 1);
            DrawSprite(false);
            if (m_wornEffect) m_sprite->SetColor(kPlainColour, 0);
            break;
        default:
            break;  // worn, waiting in other windows, listed elsewhere, not listed
    }
    return true;
}

bool CItemIcon::Update() {
    switch (m_state) {
        case ITEM_ON_GROUND:
            SetSequence(2);
            m_sprite->Update();
            break;
        case ITEM_IN_INVENTORY:
        case ITEM_LIKE_INVENTORY_6:
        case ITEM_IN_DEPOSIT:
        case ITEM_LIKE_INVENTORY_10:
        case ITEM_WORN_WITH_EFFECT:
        case ITEM_IN_ACCOUNT:
        case ITEM_LIKE_INVENTORY_20:
            SetSequence(0);
            m_sprite->Update();
            break;
        case ITEM_FLYING:
            UpdateDropFlight();
            EnsureSprite();
            m_sprite->SetMapPosition(int32_t(m_flightPosition.x), int32_t(m_flightPosition.y),
                                     int32_t(m_flightPosition.z));
            SetSequence(2);
            m_sprite->Update();
            break;
        case ITEM_GROUND_FRAME:
            EnsureSprite();
            m_sprite->Update();
            break;
        case ITEM_WAIT_GROUND_AMOUNT:
        case ITEM_WAIT_OFFER_AMOUNT:
        case ITEM_WAIT_DEPOSIT_AMOUNT:
        case ITEM_WAIT_WITHDRAW_AMOUNT:
        case ITEM_WAIT_STORE_AMOUNT:
        case ITEM_WAIT_CLUB_DEPOSIT_AMOUNT:
        case ITEM_WAIT_CLUB_WITHDRAW_AMOUNT:
        case ITEM_WAIT_ACCOUNT_AMOUNT:
        case ITEM_WAIT_GAMBLE_AMOUNT:
            ResolveNumberInput();
            break;
        case ITEM_WAIT_CONFIRM_A:
        case ITEM_WAIT_CONFIRM_B:
            ResolveConfirmBox(m_state == ITEM_WAIT_CONFIRM_A ? 0 : 1);
            break;
        default:
            break;
    }
    return true;
}

// ---- Waiting pop-ups ----

namespace {

struct AmountCase {
    uint32_t location;
    const char* window;  // the window the amount goes to (null: the player's controller)
    uint32_t after;      // the location once answered or cancelled
};

constexpr AmountCase kAmountCases[] = {
    {ITEM_WAIT_GROUND_AMOUNT, nullptr, ITEM_IN_INVENTORY},
    {ITEM_WAIT_OFFER_AMOUNT, ITEM_EXCHANGE_WINDOW_NAME, ITEM_IN_INVENTORY},
    {ITEM_WAIT_DEPOSIT_AMOUNT, DEPOSIT_WINDOW_NAME, ITEM_IN_INVENTORY},
    {ITEM_WAIT_WITHDRAW_AMOUNT, DEPOSIT_WINDOW_NAME, ITEM_IN_DEPOSIT},
    {ITEM_WAIT_STORE_AMOUNT, USER_STORE_WINDOW_NAME, ITEM_IN_INVENTORY},
    {ITEM_WAIT_CLUB_DEPOSIT_AMOUNT, CLUB_DEPOSIT_WINDOW_NAME, ITEM_IN_INVENTORY},
    {ITEM_WAIT_CLUB_WITHDRAW_AMOUNT, CLUB_DEPOSIT_WINDOW_NAME, ITEM_IN_CLUB_DEPOSIT},
    {ITEM_WAIT_ACCOUNT_AMOUNT, ACCOUNT_WINDOW_NAME, ITEM_IN_ACCOUNT},
    {ITEM_WAIT_GAMBLE_AMOUNT, GAMBLE_WINDOW_NAME, ITEM_IN_INVENTORY},
};

const AmountCase* FindAmountCase(uint32_t location) {
    for (const AmountCase& c : kAmountCases)
        if (c.location == location) return &c;
    return nullptr;
}

}  // namespace

void CItemIcon::ResolveNumberInput() {
    const AmountCase* c = FindAmountCase(m_state);
    if (!c) return;
    CNumberInputWindow* input = GetNumberInput();
    auto forget = [this] {
        m_numberInput.Assign(nullptr);
        if (g_pItemTableMgr && g_pItemTableMgr->GetCurrentItem(ITEM_CURRENT_NUMBER_INPUT) == this)
            g_pItemTableMgr->SetCurrentItem(ITEM_CURRENT_NUMBER_INPUT, nullptr);
    };
    // Gone (deleted, or no longer the manager's): cancelled.
    if (!input || !IsManagersWindow(input)) {
        forget();
        m_state = c->after;
        return;
    }
    if (input->GetResult() != 1) {
        if (input->IsDrawOn()) return;  // still asking
        ClosePopup(input);
        forget();
        m_state = c->after;
        return;
    }
    const uint32_t amount = input->GetValue();
    ClosePopup(input);
    forget();
    if (m_state == ITEM_WAIT_ACCOUNT_AMOUNT) m_state = c->after;  // before the window takes it
    const uint32_t location = m_state;
    CBaseWindow* window = c->window ? FindItemTargetWindow(c->window) : nullptr;
    switch (location) {
        case ITEM_WAIT_GROUND_AMOUNT:
            if (IItemWorld* world = GetItemWorld())
                world->DropOnGround(m_dropPoint[0], m_dropPoint[1], m_slotIndex, amount);
            break;
        case ITEM_WAIT_OFFER_AMOUNT:
            if (auto* target = dynamic_cast<IItemOfferTarget*>(window))
                target->OfferItem(m_slotIndex, amount);
            break;
        case ITEM_WAIT_DEPOSIT_AMOUNT:
        case ITEM_WAIT_CLUB_DEPOSIT_AMOUNT:
            if (auto* target = dynamic_cast<IItemDepositTarget*>(window)) target->DepositItem(this, amount);
            break;
        case ITEM_WAIT_WITHDRAW_AMOUNT:
        case ITEM_WAIT_CLUB_WITHDRAW_AMOUNT:
            if (auto* target = dynamic_cast<IItemDepositTarget*>(window))
                target->WithdrawItem(m_slotIndex, amount);
            break;
        case ITEM_WAIT_STORE_AMOUNT:
            if (auto* target = dynamic_cast<IItemStoreTarget*>(window)) target->AddItem(this, amount);
            break;
        case ITEM_IN_ACCOUNT:
            if (auto* target = dynamic_cast<IItemGameTarget*>(window))
                target->OnItemDrop(m_dropPoint[0], m_dropPoint[1], this, amount);
            return;
        case ITEM_WAIT_GAMBLE_AMOUNT:
            // The game window takes the icon over; its location is the window's business.
            if (auto* target = dynamic_cast<IItemGameTarget*>(window))
                target->OnItemDrop(m_dropPoint[0], m_dropPoint[1], this, amount);
            return;
        default:
            break;
    }
    m_state = c->after;
}

void CItemIcon::ResolveConfirmBox(int which) {
    const int owner = which == 0 ? ITEM_CURRENT_CONFIRM_A : ITEM_CURRENT_CONFIRM_B;
    auto forget = [this, which, owner] {
        m_confirm[which].Assign(nullptr);
        if (g_pItemTableMgr && g_pItemTableMgr->GetCurrentItem(owner) == this)
            g_pItemTableMgr->SetCurrentItem(owner, nullptr);
    };
    CMessageBox* box = GetConfirmBox(which);
    if (!box || !IsManagersWindow(box)) {
        forget();
        m_state = ITEM_IN_INVENTORY;
        return;
    }
    const int32_t result = box->GetResult();
    if (result == MESSAGE_BOX_RESULT_NONE) {
        if (box->IsDrawOn()) return;  // still asking
        ClosePopup(box);
        forget();
        m_state = ITEM_IN_INVENTORY;
        return;
    }
    if (result == 1) {
        // The drop again, now confirmed; the box is still there for it to read.
        SetDragState(1);
        EndDrag();
    } else {
        m_state = ITEM_IN_INVENTORY;
    }
    ClosePopup(box);
    forget();
}

// ---- Dragging ----

bool CItemIcon::BeginDrag(uint32_t value) {
    if (m_disabled || m_state == ITEM_ON_GROUND) return false;
    SetDragState(1);
    if (ICursorObject* cursor = WindowCursor()) cursor->SetPointedObject(this);
    m_dragMode = value;
    return true;
}

bool CItemIcon::CancelDrag() {
    if (GetDragState() != 1) return false;
    SetDragState(0);
    return true;
}

void CItemIcon::StartFieldMotion() {
    m_state = ITEM_GROUND_FRAME;
    EnsureSprite();
    m_position[0] = m_sprite->GetX();
    m_position[1] = m_sprite->GetY();
    m_flightStart = plat::timeGetTime();
}

std::string CItemIcon::CountLabel() const {
    const bool ctrl = (plat::GetAsyncKeyState(plat::VK_CONTROL) & 0x8000) != 0;
    char label[16];
    std::snprintf(label, sizeof label, "(%u)", ctrl || m_state == ITEM_PREMIUM_ENTRY ? m_count : 1u);
    return label;
}

bool CItemIcon::DrawAtCursor() {
    if (!g_pItemTableMgr) return true;
    SetSequence(2);
    m_sprite->SetScreenPosition(WindowMouseX(), WindowMouseY(), 0);
    m_sprite->Draw();
    if (g_pTextRenderer && g_pDirectDraw)
        g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), m_sprite->GetX() + 15,
                                    m_sprite->GetY() - 4, CountLabel().c_str(), 0, 0xFFFFFF, 1, true);
    return true;
}

bool CItemIcon::UpdateAtCursor() {
    SetSequence(2);
    m_sprite->Update();
    return true;
}

std::pair<int32_t, int32_t> CItemIcon::GetMapPoint() {
    if (m_state != ITEM_ON_GROUND) return {-1, -1};
    return {m_position[0], m_position[1]};
}

// ---- Flights ----

void CItemIcon::StartDropFlight(int32_t fromX, int32_t fromY, int32_t fromHeight, int32_t toX, int32_t toY,
                                int32_t toHeight) {
    m_flightFrom[0] = fromX;
    m_flightFrom[1] = fromY;
    m_flightFrom[2] = fromHeight;
    m_flightTo[0] = toX;
    m_flightTo[1] = toY;
    m_flightTo[2] = toHeight;
    ItemPoint& start = m_flightPoints[0];
    ItemPoint& middle = m_flightPoints[1];
    ItemPoint& end = m_flightPoints[2];
    start = ItemPoint{double(fromX) * kTileWidth, double(fromY) * kTileHeight, 40.0};
    end = ItemPoint{double(toX) * kTileWidth, double(toY) * kTileHeight, 0.0};
    middle = ItemPoint{(start.x + end.x) / 2, (start.y + end.y) / 2, 150.0};
    m_flightPosition = start;
    m_flightDuration = ITEM_FLIGHT_FRAMES;
    m_flightFrame = 0;
    m_state = ITEM_FLYING;
    m_flightStart = plat::timeGetTime();
}

void CItemIcon::UpdateDropFlight() {
    m_flightFrame = int32_t(ElapsedFrames(m_flightStart));
    if (m_flightFrame >= m_flightDuration) {
        m_state = ITEM_ON_GROUND;
        SetPosition(m_flightTo[0], m_flightTo[1], m_flightTo[2]);
        return;
    }
    Vec3 point{};
    GetBezierPoint(&point, ToVec(m_flightPoints[0]), ToVec(m_flightPoints[1]), ToVec(m_flightPoints[2]),
                   double(m_flightFrame) / double(m_flightDuration));
    m_flightPosition = ItemPoint{point.x, point.y, point.z};
}

bool CItemIcon::FlyToMainWindow() {
    m_flightFrame = int32_t(ElapsedFrames(m_flightStart));
    if (m_flightDuration <= 0) m_flightDuration = ITEM_FLIGHT_FRAMES;
    if (m_flightFrame > m_flightDuration) return true;
    CBaseWindow* main = g_pWindowMgr ? g_pWindowMgr->FindWindowByName(kMainWindowName, 0, true) : nullptr;
    if (!main) return false;
    // The inventory's button when the window names it, else the window's corner.
    int32_t x = main->GetX(), y = main->GetY();
    if (auto* buttons = dynamic_cast<IMainInterfaceWindow*>(main)) {
        int32_t bx = 0, by = 0;
        if (buttons->GetInventoryButtonPosition(&bx, &by)) {
            x = bx;
            y = by;
        }
    }
    const Vec3 start{m_flyToX, m_flyToY, 0};
    const Vec3 target{float(x + 5), float(y + 10), 0};
    const Vec3 middle{(start.x + target.x) / 2, (start.y + target.y) / 2 - 300, 0};
    Vec3 point{};
    GetBezierPoint(&point, start, middle, target, double(m_flightFrame) / double(m_flightDuration));
    m_position[0] = int32_t(point.x);
    m_position[1] = int32_t(point.y);
    return false;
}

// ---- Wearing ----

bool CItemIcon::EquipOnChar(CChar* character) {
    IItemWorld* world = GetItemWorld();
    if (m_disabled || !character || !world) return false;
    const CDataTable* effects = GetTableRecord(Table(), ITEM_COL_EFFECTS, m_itemRow);
    const int count = effects ? effects->GetRowCount() : 0;
    for (int i = 0; i < count; ++i) {
        const uint16_t valueA = GetTableBlockWord(effects, 1, i);
        if (valueA == ITEM_NO_EFFECT) continue;
        world->AddItemEffect(character, uint32_t(m_itemRow) + ITEM_EFFECT_KEY_BASE, uint32_t(i),
                             GetTableByte(effects, 0, i), valueA, GetTableBlockWord(effects, 2, i),
                             GetTableByte(effects, 3, i));
    }
    std::vector<uint32_t> parts;
    if (world->HasSeparateParts(character) &&
        world->GetItemParts(world->GetPartKind(character), m_itemId, &parts))
        for (uint32_t animation : parts) world->AttachPart(character, animation);
    m_state = ITEM_WORN;
    return true;
}

bool CItemIcon::UnequipFromChar(CChar* character) {
    IItemWorld* world = GetItemWorld();
    m_state = ITEM_IN_INVENTORY;
    if (!character || !world) return true;
    const CDataTable* effects = GetTableRecord(Table(), ITEM_COL_EFFECTS, m_itemRow);
    const int count = effects ? effects->GetRowCount() : 0;
    for (int i = 0; i < count; ++i)
        world->RemoveItemEffect(character, uint32_t(m_itemRow) + ITEM_EFFECT_KEY_BASE, uint32_t(i));
    std::vector<uint32_t> parts;
    if (world->HasSeparateParts(character) &&
        world->GetItemParts(world->GetPartKind(character), m_itemId, &parts))
        for (uint32_t animation : parts) world->DetachPart(character, animation);
    return true;
}

bool CItemIcon::SetPartsHighlight(CChar* character, uint8_t value) {
    if (value == m_partHighlight) return true;
    if (!character) return false;
    m_partHighlight = value;
    IItemWorld* world = GetItemWorld();
    std::vector<uint32_t> parts;
    if (world && world->GetItemParts(world->GetPartKind(character), m_itemId, &parts))
        for (uint32_t animation : parts) world->HighlightPart(character, animation, value);
    return true;
}
