// The program's global objects and the fixed orders in which start-up makes
// them and shutdown deletes them. The core makes its own (the message queue,
// the input manager, the main manager); every other layer gives start-up a
// factory for its objects (app/ installs them all), and a slot without one is
// skipped.
#pragma once
#include <functional>

enum class GlobalSlot : int {
    // Made by RunApplication before the main window.
    FileJobMgr,
    PackArchive,  // made and opened
    TextTables,
    // After the main window.
    Firewall,
    // InitApplication, in order.
    TextBuffers,  // copies rows 14-27 of text table 0 into g_textBuffers
    Network,      // the socket library (only in server mode)
    ResourceCaches,
    GlobalMsgQueue,  // core
    DirectX,         // required
    InputMgr,        // core, unless the device set made it
    MapModel3DMgr,
    MainMgr,  // core
    Fonts,    // required
    WindowMgr,
    EditMgr,
    AniPlayMgr,
    ItemTableMgr,
    SkillTableMgr,
    TexImageMgr,
    RenderQueue,
    TextRenderer,
    AniMgr,
    ObjSpriteMgr,
    ImageMgr,
    CharResourceMgr,
    Map,
    CharMgr,
    DarknessOverlay,
    SoundMgr,  // unless music and effects are both off; false: no audio device
    ScriptMgr,
    EventMgr,
    ParticleMgr,
    EffectObjMgr,
    AmbientEffectMgr,
    ToonObjMgr,
    AfterManagers,  // login-state bytes, input focus back to the main window
    EffectPlayerMgr,
    MetaCache,
    CookRecipeMgr,
    RowTableMgr,
    PremiumItemNotifyMgr,
    // After InitApplication.
    SoundConfig,
    StartObjects,  // the cursor and the start scene, added to the main manager
    // Deleted only.
    Connection,
    GdiFonts,
    Count
};

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
