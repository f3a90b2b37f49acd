#include "windows/features/list_scroll.h"

#include "ui/button.h"
#include "ui/scroll_bar.h"

bool ScrollBarTakesMove(CBaseWindow* control) {
    auto* bar = dynamic_cast<CScrollBar*>(control);
    if (!bar) return true;
    if (bar->GetPressedButton() >= 0) return true;
    for (CButton* part : {bar->GetThumb(), bar->GetFirstArrow(), bar->GetSecondArrow()})
        if (part && part->GetPressedButton() >= 0) return true;
    return false;
}
