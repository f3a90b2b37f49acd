#include "anim/ani_object_hooks.h"

#include "anim/ani_object.h"
#include "core/draw_object.h"
#include "data/char_resource_mgr.h"

namespace {

class CAniObjectHooks : public IAniObjectHooks {
public:
    CAniObject* CreateAniObject(uint32_t animationId) override {
        auto* object = new CAniObject();
        if (!object->SetAnimation(animationId)) {
            delete object;
            return nullptr;
        }
        return object;
    }
    void DeleteAniObject(CAniObject* object) override { delete object; }
    void SetUnderlayOff(CAniObject* object) override { object->SetUnderlay(false); }
    int32_t GetX(CAniObject* object) override { return object->GetX(); }
    int32_t GetY(CAniObject* object) override { return object->GetY(); }
    int32_t GetLayer(CAniObject* object) override { return object->GetLayer(); }
};

class CAniShadowSprite : public IShadowSprite {
public:
    void SetScreenPosition(int32_t x, int32_t y, int32_t z) override { m_object.SetScreenPosition(x, y, z); }
    void SetDirection(int32_t direction) override { m_object.SetDirection(uint8_t(direction)); }
    void SetMotion(int32_t motion) override { m_object.SetMotion(uint8_t(motion)); }
    void Draw() override { m_object.Draw(); }
    CAniObject m_object;
};

class CAniShadowSprites : public IShadowSpriteFactory {
public:
    std::unique_ptr<IShadowSprite> MakeShadowSprite(const char* animationName) override;
};

std::unique_ptr<IShadowSprite> CAniShadowSprites::MakeShadowSprite(const char* animationName) {
    IAniNameLookup* names = GetAniNameLookup();
    const uint32_t number = (names && animationName) ? names->FindAniByName(animationName) : 0;
    if (number == 0) return nullptr;
    auto sprite = std::make_unique<CAniShadowSprite>();
    if (!sprite->m_object.SetAnimation(number)) return nullptr;
    return sprite;
}

}  // namespace

IAniObjectHooks& AniObjectHooks() {
    static CAniObjectHooks hooks;
    return hooks;
}

IShadowSpriteFactory& AniShadowSprites() {
    static CAniShadowSprites sprites;
    return sprites;
}
