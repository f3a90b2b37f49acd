// Drawing of image nodes: sprites of texture images, or the texture unit's
// frame blitted in software, and their shadows.
#include "anim/ani_node.h"
#include "anim/ani_object.h"

AniImageMetrics CAniImageNode::GetMetrics() {
    return {};
}

void CAniImageNode::AttachSprite(CObjSprite*) {}

AniRect CAniImageNode::GetBounds(CAniObject* owner) {
    const AniImageMetrics m = GetMetrics();
    AniRect r;
    r.left = owner->m_screenX + owner->m_drawOffsetX + m.offsetX + m_x;
    r.top = owner->m_screenY + owner->m_drawOffsetY + m.offsetY + m_y;
    r.right = r.left + m.width * (owner->m_underlayOn ? 2 : 1);
    r.bottom = r.top + m.height;
    return r;
}

void CAniImageNode::PrepareSprite(int32_t, int32_t) {}

bool CAniImageNode::Execute(bool) {
    if (CAniObject* owner = GetOwner()) PrepareSprite(owner->m_screenX, owner->m_screenY);
    return false;
}

bool CAniImageNode::Draw() {
    return true;
}

void CAniImageNode::DrawShadow() {}

void CAniImageNode::DrawUnit(int32_t, int32_t, const uint8_t*) {}
