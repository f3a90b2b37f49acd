// The program's global objects and the fixed orders in which start-up makes
// them and shutdown deletes them. The core makes its own (the message queue,
// the input manager, the main manager); every other layer gives start-up a
// factory for its objects (app/ installs them all), and a slot without one is
// skipped.
#pragma once
#include <functional>

// The start-up slots in the order start-up makes their objects; the enum and
// GlobalSlotName come from this one list.
#define QM_GLOBAL_SLOTS(X)                                                          \
    /* Made by RunApplication before the main window. */                            \
    X(FileJobMgr)                                                                   \
    X(PackArchive) /* made and opened */                                            \
    X(TextTables)                                                                   \
    /* After the main window. */                                                    \
    X(Firewall)                                                                     \
    /* InitApplication, in order. */                                                \
    X(TextBuffers) /* copies rows 14-27 of text table 0 into g_textBuffers */       \
    X(Network)     /* the socket library (only in server mode) */                   \
    X(ResourceCaches)                                                               \
    X(GlobalMsgQueue) /* core */                                                    \
    X(DirectX)        /* required */                                                \
    X(InputMgr)       /* core, unless the device set made it */                     \
    X(MapModel3DMgr)                                                                \
    X(MainMgr) /* core */                                                           \
    X(Fonts)   /* required */                                                       \
    X(WindowMgr)                                                                    \
    X(EditMgr)                                                                      \
    X(AniPlayMgr)                                                                   \
    X(ItemTableMgr)                                                                 \
    X(SkillTableMgr)                                                                \
    X(TexImageMgr)                                                                  \
    X(RenderQueue)                                                                  \
    X(TextRenderer)                                                                 \
    X(AniMgr)                                                                       \
    X(ObjSpriteMgr)                                                                 \
    X(ImageMgr)                                                                     \
    X(CharResourceMgr)                                                              \
    X(Map)                                                                          \
    X(CharMgr)                                                                      \
    X(DarknessOverlay)                                                              \
    X(SoundMgr) /* unless music and effects are both off; false: no audio device */ \
    X(ScriptMgr)                                                                    \
    X(EventMgr)                                                                     \
    X(ParticleMgr)                                                                  \
    X(EffectObjMgr)                                                                 \
    X(AmbientEffectMgr)                                                             \
    X(ToonObjMgr)                                                                   \
    X(AfterManagers) /* login-state bytes, input focus back to the main window */   \
    X(EffectPlayerMgr)                                                              \
    X(MetaCache)                                                                    \
    X(CookRecipeMgr)                                                                \
    X(RowTableMgr)                                                                  \
    X(PremiumItemNotifyMgr)                                                         \
    /* After InitApplication. */                                                    \
    X(SoundConfig)                                                                  \
    X(StartObjects) /* the cursor and the start scene, added to the main manager */ \
    /* Deleted only. */                                                             \
    X(Connection)                                                                   \
    X(GdiFonts)

// clang-format off
enum class GlobalSlot : int {
#define QM_SLOT_ENUM(name) name,
    QM_GLOBAL_SLOTS(QM_SLOT_ENUM)
#undef QM_SLOT_ENUM
    Count
};
// clang-format on

const char* GlobalSlotName(GlobalSlot slot);

// Installs what makes and deletes the objects of a slot. create returns false
// when it failed (a required slot then fails start-up); destroy must tolerate
// an object that was never made.
void SetGlobalFactory(GlobalSlot slot, std::function<bool()> create, std::function<void()> destroy);
// Adds a part to the slot's factory, for a slot that several layers fill:
// create runs the parts in the order added (the first that fails ends it with
// false), destroy runs them in the reverse order.
void AddGlobalFactory(GlobalSlot slot, std::function<bool()> create, std::function<void()> destroy);
void ClearGlobalFactories();
bool HasGlobalFactory(GlobalSlot slot);

// Told of every slot whose objects start-up made (after they exist) and of
// every slot whose objects shutdown deletes (before they go): the slots with
// a factory and the core's own. Null removes it.
using GlobalSlotObserver = std::function<void(GlobalSlot slot, bool created)>;
void SetGlobalSlotObserver(GlobalSlotObserver observer);
void NotifyGlobalSlot(GlobalSlot slot, bool created);
// The slots whose objects the core makes itself.
bool IsCoreGlobalSlot(GlobalSlot slot);

// Runs the slot's factory; true when there is none.
bool CreateGlobal(GlobalSlot slot);
void DestroyGlobal(GlobalSlot slot);

// The slots ShutdownApplication deletes, in its order.
extern const GlobalSlot kShutdownOrder[];
extern const int kShutdownOrderCount;
