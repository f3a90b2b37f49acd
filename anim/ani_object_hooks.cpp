#include "anim/ani_object_hooks.h"

#include "anim/ani_object.h"
#include "core/draw_object.h"

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

}  // namespace

IAniObjectHooks* GetAniObjectHooks() {
    static CAniObjectHooks hooks;
    return &hooks;
}
