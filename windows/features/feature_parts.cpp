#include "windows/features/feature_parts.h"

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
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

std::unique_ptr<CAniObject> MakeFeatureImage(const char* animation, uint8_t motion, uint8_t direction) {
    const uint32_t id = FindAniByName(animation);
    if (id == 0) return nullptr;
    auto image = std::make_unique<CAniObject>();
    if (!image->SetAnimation(id)) return nullptr;
    image->SetMotion(motion);
    image->SetDirection(direction);
    image->SetUnderlay(false);
    return image;
}

void DrawFeatureImage(CAniObject* image, int32_t x, int32_t y) {
    if (!image) return;
    image->SetScreenPosition(x, y, 0);
    image->Draw();
}
