#include "ui/ui_startup.h"

#include <new>

#include "core/app_state.h"
#include "core/global_objects.h"
#include "core/main_window.h"
#include "graphics/text_font.h"
#include "ui/edit_mgr.h"
#include "ui/ime_edit.h"
#include "ui/items/item_icon.h"
#include "ui/message_box.h"
#include "ui/number_input_window.h"
#include "ui/tooltip_window.h"
#include "ui/ui_services.h"
#include "ui/window_mgr.h"

namespace {
CMessageBoxFlags g_messageBoxFlags;
CItemIconFactory g_itemIconFactory;
}  // namespace

void InstallUiGlobals() {
    // The item tables make item icons, their templates included: set before
    // the tables' slot runs.
    SetItemObjectFactory(&g_itemIconFactory);
    SetGlobalFactory(
        GlobalSlot::EditMgr,
        [] {
            if (!g_pEditMgr) g_pEditMgr = new (std::nothrow) CEditMgr;
            if (!g_pEditMgr) return true;  // start-up goes on without it
            g_pEditMgr->Init(g_hMainWnd, EditSubclassProc);
            g_pEditMgr->SetDefaultFont(GetFontHandle(0));
            DisableImeForWindow(false, g_hMainWnd);
            g_pEditControl = g_pEditMgr->GetImeEdit();
            return true;
        },
        [] {
            g_pEditControl = nullptr;
            delete g_pEditMgr;
            g_pEditMgr = nullptr;
        });
    // The window manager reads the message boxes' flags from its start on.
    AddGlobalFactory(
        GlobalSlot::WindowMgr,
        [] {
            SetMessageBoxState(&g_messageBoxFlags);
            return true;
        },
        [] { SetMessageBoxState(nullptr); });
    // The shared windows the game's window set makes by identifier.
    RegisterWindowClass("TOOLTIPSTACKWIN", [] { return static_cast<CBaseWindow*>(new CToolTipStackWindow); });
    RegisterWindowClass(MESSAGE_BOX_NAME, [] { return static_cast<CBaseWindow*>(new CMessageBox); });
    RegisterWindowClass("NUMBER_EDIT_CONTROL",
                        [] { return static_cast<CBaseWindow*>(new CNumberInputWindow); });
    AddGlobalFactory(GlobalSlot::AfterManagers,
                     [] {
                         if (g_pEditMgr) g_pEditMgr->SetInputFocus(false);
                         return true;
                     },
                     {});
}
