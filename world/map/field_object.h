// Field objects: the animated and pictured decorations (trees, props, signs)
// the map places on the field when a block is loaded, each made from an
// object definition of the map file by its kind. The map data keeps them in
// an active list; an unloaded block parks its objects in a spare list, from
// which the next load of the same (definition, position) takes them back
// without building them again. A field object turns see-through while the
// player stands behind it.
#pragma once
#include <cstdint>

#include "anim/ani_object.h"
#include "core/draw_object.h"
#include "core/node_list.h"

class CItemObject;

class CFieldObject : public CAniObject, public CListNode {
public:
    CFieldObject() = default;
    ~CFieldObject() override;

    // Deletes the owned sub-object and forgets the image flag.
    bool Create() override;
    // Gives the picture's use back to the image cache.
    bool Release() override;
    // Drawn whatever the hiding switch says.
    bool Draw() override;
    // The covering test, then the animation.
    bool Update() override;

    // Holds one use of the image-cache entry with the id (released with the object).
    void HoldImage(uint32_t imageId);

    uint32_t GetDefinition() const { return GetKindId(); }
    int32_t GetFieldX() const { return m_fieldX; }
    int32_t GetFieldY() const { return m_fieldY; }
    bool IsCoveringPlayer() const { return m_coveringPlayer != 0; }
    bool HoldsImage() const { return m_holdsImage != 0; }
    uint32_t GetImageId() const { return m_imageId; }

    CBaseObject* m_pSubObject = nullptr;  // owned
    uint8_t m_coveringPlayer = 0;
    uint8_t m_holdsImage = 0;
    uint32_t m_imageId = 0;
    int32_t m_fieldX = 0, m_fieldY = 0;  // map units
    int32_t m_values[2] = {0, 0};        // copied from the definition
    uint8_t m_linked = 0;                // drawn with its linked definition's picture
};

class CFieldObjectList {
public:
    CFieldObjectList() = default;
    ~CFieldObjectList() { Release(); }
    CFieldObjectList(const CFieldObjectList&) = delete;
    CFieldObjectList& operator=(const CFieldObjectList&) = delete;

    bool Create() { return true; }
    // Deletes the objects of both lists.
    bool Release();

    // The active object of (definition, x, y); else the first such spare
    // object, moved back to the active list; else null.
    CFieldObject* FindOrReuse(uint32_t definition, int32_t x, int32_t y);
    // Appends a new object to the active list (taken over).
    void AddActive(CFieldObject* object);
    // Moves the first active object of (definition, x, y) to the spare list.
    bool Deactivate(uint32_t definition, int32_t x, int32_t y);
    // Every frame: re-place each active object at its field position, then update it.
    void UpdateAll();
    // Queues every active object that is not hidden for this frame's drawing.
    void QueueAll();

    int32_t ActiveCount() const { return m_active.Count(); }
    int32_t SpareCount() const { return m_spare.Count(); }
    CNodeList& Active() { return m_active; }

private:
    static CFieldObject* Find(CNodeList& list, uint32_t definition, int32_t x, int32_t y);

    CNodeList m_active;
    CNodeList m_spare;
};

// One row of the cooking recipe tables as a drawable object.
class CRecipeEntry : public CDrawObject {
public:
    CRecipeEntry() { CRecipeEntry::Create(); }
    bool Create() override;

    // Recipe cells as numbers and the item templates they name; 0 (null)
    // without the recipe manager or, for the templates, the item manager.
    virtual uint32_t GetResultItemId();  // column 38
    virtual CItemObject* GetResultItem();
    virtual int32_t GetColumn36();
    virtual int32_t GetColumn37();
    virtual int32_t GetColumn2();
    virtual CItemObject* GetColumn2Item();
    virtual int32_t GetColumn3();

    int32_t m_row = -1;
};
