#include "windows/community/community_images.h"

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"
#include "ui/base_window.h"

std::unique_ptr<CAniObject> MakeCommunityImage(const char* animation, uint8_t motion, uint8_t direction) {
    return MakeWindowImage(FindAniByName(animation), motion, direction);
}

void DrawCommunityImage(CAniObject* image, int32_t x, int32_t y) {
    if (!image) return;
    image->SetScreenPosition(x, y, 0);
    image->Draw();
}
