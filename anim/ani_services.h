// What the animations need of the layers above them: characters, the map,
// sound effects, the event manager, the windows, particle templates,
// toon-shaded objects and 3D map-object models, and the animation name table. Each is a
// small interface that its own layer implements and installs at start-up
// (tests install fakes with the Scoped installers). A service that is not installed counts as absent:
// no map, no characters, no sound manager, no visual event running, ...
#pragma once
#include <cstdint>

#include "anim/iso_view.h"
#include "core/base_object.h"
#include "platform/seam.h"

class CAniObject;
class CChar;

// Screen rectangle, right and bottom exclusive.
struct AniRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const AniRect&) const = default;
};
// The empty rectangle that bounds computations start from.
inline constexpr int32_t ANI_RECT_EMPTY_MIN = 90000;
inline constexpr int32_t ANI_RECT_EMPTY_MAX = -90000;
inline AniRect EmptyAniRect() {
    return {ANI_RECT_EMPTY_MIN, ANI_RECT_EMPTY_MIN, ANI_RECT_EMPTY_MAX, ANI_RECT_EMPTY_MAX};
}
inline bool IsEmptyAniRect(const AniRect& r) {
    return r.left == ANI_RECT_EMPTY_MIN;
}
// Widens r by the rectangle other (left and top take the minimum, right and bottom the maximum).
void UniteAniRect(AniRect& r, const AniRect& other);

// Characters (the game world).
class IAniCharacters {
public:
    virtual ~IAniCharacters() = default;
    virtual uint32_t GetCharId(CChar* character) = 0;
    // Whether the character is shown to the player.
    virtual bool IsCharVisible(CChar* character) = 0;
    // Status 9 of the player's character.
    virtual bool IsPlayerStatus9Set() = 0;
    // The character's 16-bit flag word.
    virtual uint16_t GetFlagWord(CChar* character) = 0;
    // Hit counters and ratio of the character's controllers.
    virtual void AddFirstHitCount(CChar* character) = 0;
    virtual void AddSecondHitCountById(uint32_t charId) = 0;
    virtual void SetRatio(CChar* character, float ratio) = 0;
    // The character's own animated object (null when none).
    virtual CAniObject* GetCharAniObject(CChar* character) = 0;
    // Size (0-4) of the character's circle shadow.
    virtual int32_t GetShadowSize(CChar* character) = 0;
    // The character with the id, or null once it is gone.
    virtual CChar* FindChar(uint32_t id) = 0;
    // Map position (map units and height) and screen position.
    virtual void GetCharMapPosition(CChar* character, int32_t* x, int32_t* y, int32_t* z) = 0;
    virtual void GetCharScreenPosition(CChar* character, int32_t* x, int32_t* y) = 0;
    // The character's own draw list, drawn in its depth order.
    virtual void AddDrawObject(CChar* character, CAniObject* object) = 0;
    virtual void RemoveDrawObject(CChar* character, CAniObject* object) = 0;
};

// The map (the game world); absent while no map exists.
class IAniField {
public:
    virtual ~IAniField() = default;
    // The map's camera, offsets and masks; null while there is no map.
    virtual const CIsoView* GetIsoView() = 0;
    // Starts a map effect slot (0-4) at a level; false while no map data is loaded.
    virtual bool TriggerEffectSlot(uint32_t slot, uint32_t level, bool skipZero) = 0;
    // The map's scroll position (the afterimage trail follows it).
    virtual IsoPoint GetScrollPosition() = 0;
};

class IAniSound {
public:
    virtual ~IAniSound() = default;
    // Plays sound effect id; x = -1 without position.
    virtual void PlaySoundEffect(uint32_t soundId, int32_t x, int32_t y) = 0;
};

class IAniEvents {
public:
    virtual ~IAniEvents() = default;
    virtual bool IsVisualEventRunning() = 0;
    virtual bool IsFieldScriptRunning() = 0;
    // The event manager's input-lock byte.
    virtual bool IsInputLocked() = 0;
    // The event manager's hide byte: while a field script runs with it set,
    // player characters are not shown.
    virtual bool IsPlayerHideSet() { return false; }
};

class IAniWindows {
public:
    virtual ~IAniWindows() = default;
    // An animated object was dropped: the window under the mouse takes it when
    // it is the combo set-up window and the drag carries no data.
    virtual void DropAniObject(CAniObject* object) = 0;
};

// One particle effect template, shared by reference.
class IAniParticleTemplate {
public:
    virtual ~IAniParticleTemplate() = default;
    // Last key time plus the tail time; 0 without keys.
    virtual uint32_t GetLengthMs() = 0;
    virtual void Draw(uint32_t timeMs, int32_t x, int32_t y, bool mirrored, int32_t anchorX,
                      int32_t anchorY) = 0;
    // Drops one reference (the template may go away).
    virtual void Release() = 0;
};

class IAniParticles {
public:
    virtual ~IAniParticles() = default;
    // The template of the effect, with one more reference; null when it cannot be had.
    virtual IAniParticleTemplate* GetTemplate(uint32_t effectId) = 0;
    // Deletes the particle objects the object owns.
    virtual void RemoveByOwner(CAniObject* owner) = 0;
};

// Where and how a toon-shaded object or a 3D map-object model is drawn.
struct AniModelPose {
    int32_t x = 0, y = 0;   // screen point
    uint32_t timeMs = 0;    // into the model's animation
    float facing = 0.0f;    // degrees about the vertical axis (toon)
    bool tilt = false;      // tilt by -30 degrees (toon)
    float alpha = 1.0f;     // 0..1
    uint8_t blendMode = 0;  // 1 = additive
    bool hasTiles = false;  // model: orient along the owner's tile range
    IsoPoint tile1, tile2;  // screen points of the tiles (tile2 -9999 when unset)
    int32_t frame = 0;      // model: key frame
    bool flag = false;      // model: the node's draw flag
};

// The nodes hold it by weak reference: an object its cache deleted (at
// shutdown the cache goes before the animations) reads as absent.
class IAniToonObject : public CRefTarget {
public:
    virtual ~IAniToonObject() = default;
    virtual uint32_t GetDurationMs() = 0;
    virtual void SetToonMode(uint8_t mode) = 0;
    virtual void Draw(const AniModelPose& pose) = 0;
    // The posed model's bounding box on the screen.
    virtual AniRect GetScreenRect(const AniModelPose& pose) = 0;
};

class IAniToonObjects {
public:
    virtual ~IAniToonObjects() = default;
    // The shared object of the three files; null when one cannot be loaded.
    virtual IAniToonObject* GetObject(const char* meshPath, const char* aniPath, const char* matPath) = 0;
    virtual void ReleaseObject(IAniToonObject* object) = 0;
};

class IAniMeshModel {
public:
    virtual ~IAniMeshModel() = default;
    virtual uint32_t GetFrameCount() = 0;
    virtual void SetScreenPosition(int32_t x, int32_t y) = 0;
    virtual void Draw(const AniModelPose& pose) = 0;
    virtual AniRect GetScreenBounds() = 0;
};

class IAniMeshModels {
public:
    virtual ~IAniMeshModels() = default;
    // The model of that name with one more use; null when it cannot be loaded.
    virtual IAniMeshModel* AddModel(const char* name) = 0;
    virtual void ReleaseModel(const char* name) = 0;
};

// The animation name table.
class IAniNameLookup {
public:
    virtual ~IAniNameLookup() = default;
    // The animation number of an animation name (0 when the table has none).
    virtual uint32_t FindAniByName(const char* name) = 0;
};

// Installs each service (not owned; null: absent) and returns the one installed.
void SetAniCharacters(IAniCharacters* characters);
IAniCharacters* GetAniCharacters();
void SetAniField(IAniField* field);
IAniField* GetAniField();
void SetAniSound(IAniSound* sound);
IAniSound* GetAniSound();
void SetAniEvents(IAniEvents* events);
IAniEvents* GetAniEvents();
void SetAniWindows(IAniWindows* windows);
IAniWindows* GetAniWindows();
void SetAniParticles(IAniParticles* particles);
IAniParticles* GetAniParticles();
void SetAniToonObjects(IAniToonObjects* toons);
IAniToonObjects* GetAniToonObjects();
void SetAniMeshModels(IAniMeshModels* meshes);
IAniMeshModels* GetAniMeshModels();
void SetAniNameLookup(IAniNameLookup* names);
IAniNameLookup* GetAniNameLookup();

using ScopedAniCharacters = plat::ScopedInstall<GetAniCharacters, SetAniCharacters>;
using ScopedAniField = plat::ScopedInstall<GetAniField, SetAniField>;
using ScopedAniSound = plat::ScopedInstall<GetAniSound, SetAniSound>;
using ScopedAniEvents = plat::ScopedInstall<GetAniEvents, SetAniEvents>;
using ScopedAniWindows = plat::ScopedInstall<GetAniWindows, SetAniWindows>;
using ScopedAniParticles = plat::ScopedInstall<GetAniParticles, SetAniParticles>;
using ScopedAniToonObjects = plat::ScopedInstall<GetAniToonObjects, SetAniToonObjects>;
using ScopedAniMeshModels = plat::ScopedInstall<GetAniMeshModels, SetAniMeshModels>;
using ScopedAniNameLookup = plat::ScopedInstall<GetAniNameLookup, SetAniNameLookup>;

// Shorthands that read an absent service as "no".
bool IsVisualEventRunning();
const CIsoView* GetFieldView();
