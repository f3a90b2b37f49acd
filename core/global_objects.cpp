#include "core/global_objects.h"

#include <array>
#include <utility>

namespace {

struct Factory {
    std::function<bool()> create;
    std::function<void()> destroy;
};
std::array<Factory, size_t(GlobalSlot::Count)> g_factories;
GlobalSlotObserver g_observer;

}  // namespace

const char* GlobalSlotName(GlobalSlot slot) {
    static const char* const kNames[] = {
#define QM_SLOT_NAME(name) #name,
        QM_GLOBAL_SLOTS(QM_SLOT_NAME)
#undef QM_SLOT_NAME
    };
    static_assert(sizeof(kNames) / sizeof(kNames[0]) == size_t(GlobalSlot::Count));
    int i = int(slot);
    return i >= 0 && i < int(GlobalSlot::Count) ? kNames[i] : "?";
}

void SetGlobalFactory(GlobalSlot slot, std::function<bool()> create, std::function<void()> destroy) {
    if (slot >= GlobalSlot::Count) return;
    g_factories[size_t(slot)] = Factory{std::move(create), std::move(destroy)};
}

void AddGlobalFactory(GlobalSlot slot, std::function<bool()> create, std::function<void()> destroy) {
    if (slot >= GlobalSlot::Count) return;
    Factory& f = g_factories[size_t(slot)];
    if (create)
        f.create = [first = std::move(f.create), second = std::move(create)] {
            return (!first || first()) && second();
        };
    if (destroy)
        f.destroy = [first = std::move(f.destroy), second = std::move(destroy)] {
            second();
            if (first) first();
        };
}

void ClearGlobalFactories() {
    for (Factory& f : g_factories) f = Factory{};
}

bool HasGlobalFactory(GlobalSlot slot) {
    return slot < GlobalSlot::Count &&
           (g_factories[size_t(slot)].create || g_factories[size_t(slot)].destroy);
}

void SetGlobalSlotObserver(GlobalSlotObserver observer) {
    g_observer = std::move(observer);
}

void NotifyGlobalSlot(GlobalSlot slot, bool created) {
    if (g_observer && (IsCoreGlobalSlot(slot) || HasGlobalFactory(slot))) g_observer(slot, created);
}

bool IsCoreGlobalSlot(GlobalSlot slot) {
    return slot == GlobalSlot::GlobalMsgQueue || slot == GlobalSlot::InputMgr || slot == GlobalSlot::MainMgr;
}

bool CreateGlobal(GlobalSlot slot) {
    if (slot >= GlobalSlot::Count || !g_factories[size_t(slot)].create) return true;
    return g_factories[size_t(slot)].create();
}

void DestroyGlobal(GlobalSlot slot) {
    if (slot >= GlobalSlot::Count || !g_factories[size_t(slot)].destroy) return;
    g_factories[size_t(slot)].destroy();
}

const GlobalSlot kShutdownOrder[] = {
    GlobalSlot::PremiumItemNotifyMgr,
    GlobalSlot::RowTableMgr,
    GlobalSlot::CookRecipeMgr,
    GlobalSlot::MetaCache,
    GlobalSlot::EffectPlayerMgr,
    GlobalSlot::ToonObjMgr,
    GlobalSlot::EventMgr,
    GlobalSlot::SoundMgr,
    GlobalSlot::AmbientEffectMgr,
    GlobalSlot::EffectObjMgr,
    GlobalSlot::ParticleMgr,
    GlobalSlot::ScriptMgr,
    GlobalSlot::TextRenderer,
    GlobalSlot::Fonts,  // the text fonts; the font handles go with GdiFonts
    GlobalSlot::WindowMgr,
    GlobalSlot::ItemTableMgr,
    GlobalSlot::SkillTableMgr,
    GlobalSlot::CharMgr,
    GlobalSlot::CharResourceMgr,
    GlobalSlot::Map,
    GlobalSlot::ImageMgr,
    GlobalSlot::AniPlayMgr,
    GlobalSlot::RenderQueue,
    GlobalSlot::TexImageMgr,
    GlobalSlot::ObjSpriteMgr,
    GlobalSlot::DirectX,
    GlobalSlot::InputMgr,  // a part of the device set
    GlobalSlot::MainMgr,
    GlobalSlot::AniMgr,
    GlobalSlot::DarknessOverlay,
    GlobalSlot::EditMgr,
    GlobalSlot::GlobalMsgQueue,
    GlobalSlot::MapModel3DMgr,
    GlobalSlot::ResourceCaches,
    GlobalSlot::Connection,
    GlobalSlot::GdiFonts,
    GlobalSlot::PackArchive,
    GlobalSlot::FileJobMgr,
    GlobalSlot::Network,
};
const int kShutdownOrderCount = int(sizeof(kShutdownOrder) / sizeof(kShutdownOrder[0]));
