// Orders that take more than one frame: walking to a tile, walking to and
// keeping up with another character, walking away from one, and walking to a
// dropped item to pick it up. The action holder of a character's controller
// queues them and runs the first each frame until it has arrived.
#pragma once
#include <cstdint>

#include "core/base_object.h"
#include "core/util.h"

class CCharActionHolder;
class CChar;

// Target kinds of a walk step.
enum : uint8_t {
    STEP_TARGET_CHAR_MAX = 3,  // 0-3: a character
    STEP_TARGET_FIELD_OBJECT = 6,
};

// Tiles within which a pick-up is near enough to ask for the item.
inline constexpr float PICK_UP_NEAR_TILES = 4.0f;
// Re-targeting period of a started step.
inline constexpr uint32_t STEP_PERIOD_MS = 1000;

// The distance in tiles between two tiles.
float TileDistance(int32_t x1, int32_t y1, int32_t x2, int32_t y2);

class CCharStep : public CBaseObject {
public:
    explicit CCharStep(CCharActionHolder* holder) : m_pHolder(holder) {}

    virtual void SetPeriod(uint32_t ms) { m_period = ms; }
    virtual bool IsStarted() { return false; }
    // Asked by the holder each frame after Update; true drops the step.
    virtual bool IsArrived() { return false; }
    virtual void Finish() { m_done = 1; }
    // Started, not done, re-targeting every second.
    virtual void Begin();

    bool IsDone() const { return m_done != 0; }

    uint8_t m_flag = 0;
    uint8_t m_started = 0;
    uint8_t m_done = 0;
    uint32_t m_period = 0;
    uint32_t m_lastRetarget = 0;
    CCharActionHolder* m_pHolder;

protected:
    CChar* Self() const;
};

// Walks to a tile (mode 0), to a target (mode 1) or away from it (mode 2).
class CWalkStep : public CCharStep {
public:
    enum : uint8_t { MODE_TILE = 0, MODE_TARGET = 1, MODE_AWAY = 2 };

    CWalkStep(CCharActionHolder* holder, int32_t tileX, int32_t tileY, int32_t distance);
    CWalkStep(CCharActionHolder* holder, uint32_t targetId, uint8_t targetKind, int32_t distance, uint8_t run,
              bool away);

    bool Update() override;
    bool IsStarted() override { return m_started != 0; }
    bool IsArrived() override;

    // A point (tiles) that overrides the goal.
    void SetExplicitPoint(float x, float y) {
        m_explicit = 1;
        m_point = {x, y};
    }

    uint8_t m_mode;
    int32_t m_distance;
    int32_t m_tileX = 0, m_tileY = 0;
    uint32_t m_targetId = 0;
    uint8_t m_targetKind = 0;
    uint8_t m_explicit = 0;
    FPoint m_point{};
    uint8_t m_run = 0;

private:
    // The goal from the target; false when the target is gone.
    bool RefreshGoal();
    // Sets off toward the goal.
    void Go();
    // The follow commands' re-targeting (follow flags 1 and 2).
    void Retarget(int which);
};

// Walks to a field object and asks the server for it.
class CPickUpStep : public CCharStep {
public:
    CPickUpStep(CCharActionHolder* holder, uint32_t objectId) : CCharStep(holder), m_objectId(objectId) {}

    bool Update() override;
    bool IsArrived() override { return m_done != 0; }
    // False while the character is farther than 4 tiles from the tile; near,
    // the request goes out for the object at the tile (when it is still there).
    bool GoTo(int32_t tileX, int32_t tileY);

    uint32_t m_objectId;
    uint32_t m_second = 0;

private:
    uint8_t m_walking = 0;
};
