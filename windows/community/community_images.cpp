#include "windows/community/community_images.h"

#include "anim/ani_object.h"
#include "anim/ani_play_mgr.h"

std::unique_ptr<CAniObject> MakeCommunityImage(const char* animation, uint8_t motion, uint8_t direction) {
    const uint32_t id = FindAniByName(animation);
    if (id == 0) return nullptr;
    auto image = std::make_unique<CAniObject>();
    if (!image->SetAnimation(id)) return nullptr;
    image->SetMotion(motion);
    image->SetDirection(direction);
    image->SetUnderlay(false);
    return image;
}

void DrawCommunityImage(CAniObject* image, int32_t x, int32_t y) {
    if (!image) return;
    image->SetScreenPosition(x, y, 0);
    image->Draw();
}
