// CAniPlayMgr: animations that need no further care from whoever started them
// - a hit spark at a map point, a mark that follows a character, a projectile
// flying along a curve, a sequence of animations, a floating damage text. Each
// is a CAniPlayEntry in one list; once per frame the manager places every
// entry, fades it, updates its object, counts its plays and removes it when it
// is done. It also holds the animation name table through which the program
// turns animation names into animation indices (FindAniByName). Characters
// are reached through the animation services by id, so an entry never holds on
// to a character that has gone.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/base_object.h"

class CAniObject;
class CChar;
class CRenderQueue;

enum : uint8_t {
    PLAY_AT_MAP_POINT = 0,       // at a map point
    PLAY_ON_CHAR = 1,            // follows a character at a map offset
    PLAY_UNPLACED = 2,           // placed by its owner
    PLAY_ARC = 4,                // flies along a curve
    PLAY_ON_CHAR_SCREEN = 5,     // follows a character at a screen offset
    PLAY_SEQUENCE_ON_CHAR = 6,   // a sequence following a character
    PLAY_SEQUENCE_AT_POINT = 7,  // a sequence at a map point
    PLAY_FLOATING_TEXT = 8,      // a text over a character
};

inline constexpr int32_t PLAY_FOREVER = -1;
inline constexpr uint32_t PLAY_FRAME_MS = 33;
inline constexpr uint32_t PLAY_FADE_MS = 1000;
// Rise of the rising objects and texts: 2 pixels per frame of 33 ms.
inline constexpr int32_t PLAY_RISE_PER_FRAME = 2;
inline constexpr size_t PLAY_TEXT_MAX = 255;
// The data file of the animation name table (column 0 name, column 1 index).
inline constexpr int PLAY_NAME_TABLE_FILE = 2;

// Animations played one after the other, each a number of times (0: until the
// entry ends). Owns its objects.
class CAniSequence {
public:
    struct Item {
        CAniObject* m_pObject = nullptr;
        int32_t m_repeat = 0;
        int32_t m_timesPlayed = 0;
    };

    CAniSequence() = default;
    ~CAniSequence();
    CAniSequence(const CAniSequence&) = delete;
    CAniSequence& operator=(const CAniSequence&) = delete;

    // Takes the object over (null is ignored).
    void Add(CAniObject* object, int32_t repeat);
    bool Contains(const CAniObject* object) const;
    bool Empty() const { return m_items.empty(); }

    std::vector<Item> m_items;
    size_t m_current = 0;
};

class CAniPlayEntry {
public:
    CAniPlayEntry() = default;
    // Leaves its character, removes its light and deletes its sequence and object.
    virtual ~CAniPlayEntry();
    CAniPlayEntry(const CAniPlayEntry&) = delete;
    CAniPlayEntry& operator=(const CAniPlayEntry&) = delete;

    // A new light of the darkness overlay at the object's screen position in
    // place of the entry's light; -1 without an overlay.
    int32_t AttachLight(int32_t radius);
    void DetachLight();
    // Takes the object out of its character's draw list; the entry becomes kind 0.
    void DetachFromChar();

    uint8_t m_kind = PLAY_UNPLACED;
    // The entry's handle, given when it is listed: never 0, and no two listed
    // entries share one.
    uint32_t m_handle = 0;
    CAniObject* m_pObject = nullptr;  // owned, except for sequences (the current item's)
    uint32_t m_aniIndex = 0;
    int32_t m_motionId = -1;
    uint32_t m_direction = 0;
    CAniSequence* m_pSequence = nullptr;  // owned
    // Who keeps the entry (a script runner's serial); an entry with a user
    // value that follows a character stays where it was when the character
    // goes, for its keeper to remove.
    uint32_t m_userValue = 0;
    bool m_linked = false;  // the object is in a character's draw list
    uint32_t m_linkedCharId = 0;
    int32_t m_pointX = 0, m_pointY = 0, m_pointZ = 0;  // kind 7: the point; kind 6: the last place
    float m_textX = 0.0f, m_textY = 0.0f;
    uint32_t m_charId = 0;  // the followed character
    int32_t m_offsetX = 0, m_offsetY = 0, m_offsetZ = 0;
    int32_t m_repeat = 1;
    uint8_t m_autoRemove = 1;
    uint8_t m_replay = 1;
    uint8_t m_rise = 0;
    uint8_t m_removeWhenDone = 1;
    std::string m_text;
    uint32_t m_textColour = 0;
    uint32_t m_duration = 0;
    int32_t m_lightId = -1;
    uint32_t m_startTime = 0;
    float m_curve[9] = {};  // start, end, control (x, y, z each)
    uint32_t m_flightTime = 0;
    uint8_t m_fadeIn = 0, m_fadeOut = 0;
    uint32_t m_fadeStart = 0;
};

class CAniPlayMgr : public CMsgObject {
public:
    CAniPlayMgr();
    ~CAniPlayMgr() override;

    // Loads the animation name table.
    bool Init();
    // Deletes every entry (during the walk: takes them out and deletes them after it).
    bool Release() override;

    // The Add operations take the object (or sequence) over and return the
    // new entry.
    CAniPlayEntry* Add(CAniObject* object, int32_t repeat, uint8_t autoRemove);
    CAniPlayEntry* AddAtMapPosition(CAniObject* object, int32_t x, int32_t y, int32_t z, int32_t repeat,
                                    uint8_t autoRemove, uint8_t replay, uint32_t userValue);
    CAniPlayEntry* AddOnChar(CAniObject* object, CChar* character, int32_t offsetX, int32_t offsetY,
                             int32_t repeat, uint8_t autoRemove, uint8_t replay, uint8_t rise);
    CAniPlayEntry* AddOnCharAtScreenOffset(CAniObject* object, CChar* character, int32_t offsetX,
                                           int32_t offsetY, int32_t repeat, uint8_t autoRemove,
                                           uint8_t replay, uint8_t rise);
    // Flight time in frames of 33 ms; the control point lies halfway at the height.
    CAniPlayEntry* AddArc(CAniObject* object, int32_t startX, int32_t startY, int32_t startZ, int32_t endX,
                          int32_t endY, int32_t endZ, int32_t height, uint32_t flightTime,
                          uint8_t autoRemove);
    CAniPlayEntry* AddCharLinked(CAniSequence* sequence, CChar* character, int32_t offsetX, int32_t offsetY,
                                 int32_t repeat, uint8_t autoRemove, uint8_t replay, uint8_t rise);
    CAniPlayEntry* AddObjectEntry(CAniSequence* sequence, int32_t x, int32_t y, int32_t z, int32_t repeat,
                                  uint8_t autoRemove, uint8_t replay);
    CAniPlayEntry* AddFloatingText(const char* text, CChar* character, uint32_t duration, int32_t offsetX,
                                   int32_t offsetY, uint32_t colour, uint8_t autoRemove, uint8_t rise);

    void FadeOutAll();
    // Objects owned by the character forget it (before the character goes away).
    void DetachOwner(CChar* character);
    // The entries of the user value lose it and go on their own: each is
    // removed and deleted when its plays are over.
    void ClearUserValues(uint32_t value);
    void RemoveByUserValue(uint32_t value);
    bool RemoveByObject(CAniObject* object);
    // The entry while it is in the list (and, if asked, has a user value).
    CAniPlayEntry* FindEntry(CAniPlayEntry* entry, bool needUserValue);
    // The listed entry of the handle (and, if asked, with a user value), or null.
    CAniPlayEntry* FindEntryByHandle(uint32_t handle, bool needUserValue);
    // The per-frame step of every entry.
    void UpdateAll();
    // Queues this frame's objects and floating texts for drawing (objects in
    // a character's draw list are drawn by the character).
    void QueueAll(CRenderQueue& queue);

    // Animation index of the first row with exactly this name; 0 when absent.
    uint32_t FindAniByName(const char* name) const;

    size_t GetCount() const;
    // The listed entries in order.
    std::vector<CAniPlayEntry*> Entries() const;

private:
    CAniPlayEntry* Append(CAniPlayEntry* entry, CAniObject* object);
    // Ends an entry: erased (deleted) or only unlinked (whoever added it keeps it).
    void Finish(CAniPlayEntry* entry, bool erase);
    void StepEntry(CAniPlayEntry* entry);
    // Kinds 6 and 7; false when the entry has ended.
    bool StepSequence(CAniPlayEntry* entry);
    void Sweep();

    std::vector<CAniPlayEntry*> m_entries;  // null where one was taken out during the walk
    std::vector<CAniPlayEntry*> m_doomed;   // erased during the walk, deleted after it
    bool m_walking = false;
    uint32_t m_lastHandle = 0;
    bool m_handlesWrapped = false;
    std::unordered_map<std::string, uint32_t> m_names;
};

extern CAniPlayMgr* g_pAniPlayMgr;

// The animation index of a name in the animation name table; 0 when absent.
uint32_t FindAniByName(const char* name);
// Puts the entry's object into the character's draw list; false for a null entry.
bool AttachPlayEntryToChar(CChar* character, CAniPlayEntry* entry);
