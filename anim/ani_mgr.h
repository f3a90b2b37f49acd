// CAniMgr: the one cache of loaded animations. The first request for
// animation N loads its file into a CObjAni; later requests get the same
// object with its reference count raised; releases lower the count until the
// animation is freed (unless it is resident). Loaded animations are the
// manager's children.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "core/object_mgr.h"

class CAniObject;
class CObjAni;

inline constexpr uint32_t MAX_OBJANI = 9999;

class CAniMgr : public CObjectMgr {
public:
    CAniMgr();
    ~CAniMgr() override;

    // Clears the slots and accepts releases.
    bool Create() override { return Init(); }
    bool Init();
    // Deletes every animation.
    bool Release() override;
    bool DeleteChild(uint32_t id) override { return ReleaseObjAni(id); }
    bool DeleteAllChildren() override { return ReleaseAll(); }

    // The animation of the number with one more reference; loaded on the
    // first request. Null when the number is out of range (error box), the
    // file cannot be loaded, or loading it would lead back to an animation
    // that is being loaded.
    CObjAni* CreateNewObjAni(uint32_t number, CAniObject* requester);
    // Drops one reference of the animation with the handle; at 0 a
    // non-resident animation is freed. Ignored while ReleaseAll runs.
    bool ReleaseObjAni(uint32_t id);
    // Frees every animation, resident or not.
    bool ReleaseAll();

    // The loaded animation of the number, or null.
    CObjAni* GetSlot(uint32_t number) const { return number < MAX_OBJANI ? m_slots[number] : nullptr; }
    bool IsReady() const { return m_ready != 0; }
    // Whether the number is being loaded right now (its children are loading).
    bool IsLoading(uint32_t number) const;
    // Whether the load in progress met a child that leads back to an
    // animation being loaded (the whole chain is then refused).
    bool LoopFound() const { return m_loopFound; }

private:
    std::array<CObjAni*, MAX_OBJANI> m_slots{};
    uint8_t m_ready = 0;
    // Numbers being loaded, outermost first, and whether a child leads back to one.
    std::vector<uint32_t> m_loading;
    bool m_loopFound = false;
};

// The global animation manager (null while it does not exist).
extern CAniMgr* g_pAniMgr;

// Start-up and shutdown of the global manager; what the lower layers use of
// the animated objects (anim/ani_object_hooks.h) is installed with it.
bool CreateAniMgr();
void DestroyAniMgr();
