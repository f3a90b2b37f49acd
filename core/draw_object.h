// CDrawObject: the named on-screen object that windows, characters, map
// objects and item icons derive from. It carries one animated object
// (CAniObject), a type code, a name and the row of its character resource.
//
// The animated object, the character resource tables and the cursor live in
// higher layers. They plug in here through three hook interfaces that those
// layers install at start-up (and in their tests). With no hooks installed an
// animation never loads, names and resource rows are not found, and no cursor
// holds anything.
#pragma once
#include <cstdint>
#include <utility>

#include "core/base_object.h"
#include "platform/seam.h"

class CAniObject;
class CDrawObject;

class IAniObjectHooks {
public:
    virtual ~IAniObjectHooks() = default;
    // A new animated object showing the animation, or null when it cannot be
    // loaded (nothing is left behind then).
    virtual CAniObject* CreateAniObject(uint32_t animationId) = 0;
    virtual void DeleteAniObject(CAniObject* object) = 0;
    // Switches the object's underlay pass off.
    virtual void SetUnderlayOff(CAniObject* object) = 0;
    virtual int32_t GetX(CAniObject* object) = 0;
    virtual int32_t GetY(CAniObject* object) = 0;
    virtual int32_t GetLayer(CAniObject* object) = 0;
};

class ICharResourceHooks {
public:
    virtual ~ICharResourceHooks() = default;
    // The name of the definition (id, kind), or null.
    virtual const char* GetName(uint32_t id, uint16_t kind) = 0;
    // The resource row of (id, kind) or of the first definition with the name; -1 when none.
    virtual int32_t FindRow(uint32_t id, uint16_t kind) = 0;
    virtual int32_t FindRowByName(const char* name, uint16_t kind) = 0;
};

class ICursorHooks {
public:
    virtual ~ICursorHooks() = default;
    // When the cursor holds the object, makes it drop it.
    virtual void DropIfHeld(CDrawObject* object) = 0;
};

// Install (or, with null, remove) a hook; not owned.
void SetAniObjectHooks(IAniObjectHooks* hooks);
void SetCharResourceHooks(ICharResourceHooks* hooks);
void SetCursorHooks(ICursorHooks* hooks);
// The installed hooks, or null.
IAniObjectHooks* GetAniObjectHooks();
ICharResourceHooks* GetCharResourceHooks();
ICursorHooks* GetCursorHooks();
using ScopedAniObjectHooks = plat::ScopedInstall<GetAniObjectHooks, SetAniObjectHooks>;
using ScopedCharResourceHooks = plat::ScopedInstall<GetCharResourceHooks, SetCharResourceHooks>;
using ScopedCursorHooks = plat::ScopedInstall<GetCursorHooks, SetCursorHooks>;

inline constexpr uint16_t DRAW_TYPE_NO_UNDERLAY = 4;  // type whose animation has no underlay pass
inline constexpr size_t DRAW_NAME_SIZE = 66;          // name bytes, terminator included

class CDrawObject : public CDragObject {
public:
    CDrawObject() = default;
    ~CDrawObject() override;

    bool Create() override;
    // Deletes the attached animated object.
    bool Release() override;
    // Those of the attached animated object; 0 without one.
    int32_t GetX() override;
    int32_t GetY() override;
    int32_t GetLayer() override;
    int32_t GetType() override { return m_typeCode; }

    // Registers as the definition (parameter, type): name and resource row
    // from the character resource tables. Unless noAni, attaches a new
    // animated object with the animation and fails when it cannot be loaded.
    virtual bool CreateWithAni(uint16_t type, uint32_t parameter, uint32_t animationId, bool noAni);
    // As CreateWithAni with an explicit name; an animation that cannot be
    // loaded leaves no attached object but still succeeds.
    virtual bool CreateNamedWithAni(uint16_t type, const char* name, uint32_t animationId, bool noAni);
    virtual bool CreateNamed(uint16_t type, const char* name);
    // Drops the object from the cursor if held, deletes the attached animated
    // object, clears the created flag. Safe to call again.
    virtual bool ReleaseAniObject();
    // Copies the text (cut to 65 bytes) as the name.
    virtual void SetName(const char* text);
    virtual CAniObject* GetAniObject() { return m_pAniObject; }
    // (x, y) on the map; (-1, -1) in the base.
    virtual std::pair<int32_t, int32_t> GetMapPoint() { return {-1, -1}; }

    const char* GetName() const { return m_name; }
    uint16_t GetTypeCode() const { return m_typeCode; }
    bool IsCreated() const { return m_created != 0; }
    int32_t GetResourceRow() const { return m_resourceRow; }
    uint32_t GetParameter() const { return m_parameter; }

protected:
    // Attaches a new animated object for the animation (deleting one held
    // before); false when it cannot be loaded.
    bool AttachAniObject(uint32_t animationId, uint16_t type);

    uint16_t m_typeCode = 0;
    char m_name[DRAW_NAME_SIZE] = {};
    CAniObject* m_pAniObject = nullptr;  // owned
    void* m_pUserData = nullptr;         // for subclasses; null at Create
    uint8_t m_created = 0;
    uint8_t m_acceptsMouse = 1;  // windows take presses only while set; 1 at Create
    uint8_t m_active = 0;        // the window is the active one; 0 at Create
    int32_t m_resourceRow = -1;
    uint32_t m_parameter = 0;
};
