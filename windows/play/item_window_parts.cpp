#include "windows/play/item_window_parts.h"

#include <string>

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "core/util.h"
#include "data/text_tables.h"
#include "graphics/direct_draw.h"
#include "graphics/text_renderer.h"
#include "ui/button.h"
#include "ui/items/item_icon.h"
#include "ui/items/item_info.h"
#include "ui/message_box.h"
#include "ui/tooltip_window.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"
#include "world/chars/char.h"
#include "world/chars/char_controller.h"
#include "world/chars/char_mgr.h"

namespace {

constexpr int kTipTable = 14;

}  // namespace

uint32_t CreatePanelWindow(CBaseWindow* window, const char* name, const char* picture) {
    window->m_draggable = 1;
    window->m_pickable = 1;
    window->m_keepOnScreen = 0;
    window->m_doubleClickAsClick = 0;
    const uint32_t image = FindAniByName(picture);
    window->CreateNamedWithAni(WINDOW_DRAG_TYPE, name, image, image == 0);
    if (CAniObject* ani = window->GetAniObject()) {
        ani->SetMotion(0);
        ani->SetDirection(2);
    }
    window->SetName(name);
    window->SetKindId(0);
    return image;
}

bool DragItemOrWindow(CBaseWindow* window, CItemIcon* hovered, uint32_t dragFrom, CBaseWindow* scrollBar,
                      int32_t x, int32_t y) {
    if (hovered && window->GetPressedButton() == 0) {
        window->OnMouseUp(0, x, y, nullptr);
        hovered->BeginDrag(dragFrom);
        return true;
    }
    ICursorObject* cursor = WindowCursor();
    CDragObject* held = cursor ? cursor->GetHeldObject() : nullptr;
    if (held && held == scrollBar) return !window->CBaseWindow::OnMouseMove(0, x, y, nullptr);
    if (held && held != window) return false;
    if (window->GetPressedButton() == 0) window->SetStateValue(WINDOW_STATE_FREE);
    return !window->CBaseWindow::OnMouseMove(0, x, y, nullptr);
}

CButton* MakeTipButton(CBaseWindow* window, const char* name, uint32_t animation, uint8_t motion,
                       int tipRow) {
    CButton* button = MakeChildButton(name, window, animation, motion);
    if (button) button->SetToolTip(true, GetTableText(kTipTable, tipRow), WINDOW_TOOLTIP_PARAM);
    return button;
}

void ShowControl(CBaseWindow* control, bool shown) {
    if (!control) return;
    if (shown)
        control->Show();
    else
        control->Hide();
}

void CTitleButtons::Make(CBaseWindow* window, const char* prefix) {
    const uint32_t icons = FindAniByName("CommonIcons");
    const std::string p = prefix;
    detach =
        MakeTipButton(window, (p + "DETACH_BUTTON").c_str(), icons, TITLE_DETACH_MOTION, TITLE_TIP_DETACH);
    detached = MakeTipButton(window, (p + "DETACHED_BUTTON").c_str(), icons, TITLE_DETACHED_MOTION,
                             TITLE_TIP_DETACHED);
    close = MakeTipButton(window, (p + "CLOSE_BUTTON").c_str(), icons, TITLE_CLOSE_MOTION, TITLE_TIP_CLOSE);
    ShowControl(detached, false);
    ShowControl(close, false);
}

void CTitleButtons::Place(int32_t x, int32_t y) {
    for (CButton* button : {detach, detached, close})
        if (button) button->SetPosition(x, y);
}

void CTitleButtons::ShowForMode(CBaseWindow* window, int32_t mode) {
    if (mode != WINDOW_STATE_FREE && mode != WINDOW_STATE_DOCKED && mode != WINDOW_STATE_DETACHED) return;
    ShowControl(detach, mode == WINDOW_STATE_DOCKED);
    ShowControl(detached, mode == WINDOW_STATE_DETACHED);
    ShowControl(close, mode == WINDOW_STATE_FREE);
    window->m_keepOnScreen = mode != WINDOW_STATE_DOCKED;
}

bool CTitleButtons::Owns(CBaseWindow* control) const {
    return control && (control == detach || control == detached || control == close);
}

bool CTitleButtons::Click(CBaseWindow* window, CBaseWindow* control, int32_t x, int32_t y) {
    if (!Owns(control) || !IsClickOn(control, x, y)) return false;
    const int32_t mode = window->GetStateValue();
    if (control == detach && mode == WINDOW_STATE_DOCKED) {
        window->SetStateValue(WINDOW_STATE_DETACHED);
    } else if (control == detached && mode == WINDOW_STATE_DETACHED) {
        window->SetStateValue(WINDOW_STATE_DOCKED);
    } else if (control == close) {
        window->Hide();
        window->SetActive(false, false);
    }
    return true;
}

void DrawItemText(int32_t x, int32_t y, const std::string& text, uint32_t colour) {
    if (text.empty() || !g_pTextRenderer || !g_pDirectDraw) return;
    g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), x, y, text.c_str(), 0, colour, 1, true);
}

uint32_t BagValueColour(uint32_t current, uint32_t maximum) {
    const bool red = current <= 1 || double(maximum) * double(0.1f) > double(current);
    return red ? ITEM_TEXT_RED : ITEM_TEXT_WHITE;
}

uint32_t WornValueColour(uint32_t current, uint32_t maximum) {
    const bool red = current <= 1 || double(maximum) * 0.1 > double(current);
    return red ? ITEM_TEXT_RED : ITEM_TEXT_WHITE;
}

void DrawItemName(CItemIcon& icon, int32_t centreX, int32_t y, int limit, bool hovered, CToolTipWindow* tip,
                  int32_t tipY) {
    const char* name = icon.GetName();
    if (!name) return;
    const uint32_t colour = ItemNameColour(icon);
    const std::string whole = name;
    if (hovered && tip && int(whole.size()) > limit) {
        tip->SetText(whole.c_str(), colour);
        tip->SetPosition(centreX, tipY);
        tip->Draw();
        return;
    }
    char cut[256];
    TruncateWithEllipsis(name, limit, cut);
    const std::string shown = cut;
    DrawItemText(CentredX(centreX, shown), y, shown, colour);
}

CChar* PlayerChar() {
    return g_pCharMgr ? g_pCharMgr->GetPlayer() : nullptr;
}

CCharData* PlayerData() {
    CChar* player = PlayerChar();
    return player ? player->GetData() : nullptr;
}

CItemIcon* FindItemByHandle(CSlotObjectMgr* container, uint32_t handle) {
    if (!container || handle == 0) return nullptr;
    return dynamic_cast<CItemIcon*>(container->FindChild(handle));
}

void ShowRefusal(int row) {
    if (!g_pWindowMgr) return;
    auto* box = new CMessageBox(GetTableText(kTipTable, row), true, false, true, 0);
    g_pWindowMgr->AddChild(box);
    box->SetActive(true, false);
}
