// CRenderQueue: the game screen's draw list for one frame. Objects, 3D
// map-object models and texts are queued in (layer, screen y, screen x) order
// and drawn in that order, so that things lower on the screen cover things
// higher up; texts go on layer 10, over every object and model of the field.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/base_object.h"

enum : uint8_t {
    QUEUE_NODE_OBJECT = 0,
    QUEUE_NODE_MODEL = 1,
    QUEUE_NODE_TEXT = 2,
};
inline constexpr int32_t QUEUE_MODEL_LAYER = 5;
inline constexpr int32_t QUEUE_TEXT_LAYER = 10;
// Longest queued text in bytes (longer ones are cut between characters).
inline constexpr size_t QUEUE_TEXT_MAX = 255;

// A 3D map-object model as the queue sees it; the model layer draws it. The
// queue holds it by weak reference: a model gone before the draw is skipped.
class IQueuedModel : public CRefTarget {
public:
    virtual ~IQueuedModel() = default;
    virtual int32_t GetScreenX() = 0;
    virtual int32_t GetScreenY() = 0;
    virtual void Draw() = 0;
};

struct RenderQueueKey {
    int32_t layer = 0, y = 0, x = 0;
    auto operator<=>(const RenderQueueKey&) const = default;
};

struct RenderQueueNode {
    uint8_t m_kind = QUEUE_NODE_OBJECT;
    RenderQueueKey m_key;
    CWeakRef m_object;   // objects: read as null once the object is gone
    CWeakRef m_model;    // models: likewise
    std::string m_text;  // texts
    uint32_t m_colour = 0;
};

class CRenderQueue : public CBaseObject {
public:
    CRenderQueue();
    ~CRenderQueue() override;

    bool Create() override { return true; }
    bool Release() override;
    void Reset() override { Clear(); }
    // Draws the queue in order: objects through their Draw, models through
    // theirs, texts in font 0 with a shadow on the render surface.
    bool Draw() override;

    void AddObject(CBaseObject* object);
    void AddModel(IQueuedModel* model);
    void AddText(const char* text, uint32_t colour, int32_t x, int32_t y);
    void Clear();

    size_t GetCount() const { return m_nodes.size(); }
    // The nodes in drawing order.
    const std::vector<RenderQueueNode>& Nodes() const;

private:
    void Insert(RenderQueueNode&& node);
    void Sort() const;

    // Gathered in arrival order and sorted once when read; while the queue is
    // being drawn, a node queued goes straight to its place.
    mutable std::vector<RenderQueueNode> m_nodes;
    mutable bool m_sorted = true;
    bool m_drawing = false;
};

extern CRenderQueue* g_pRenderQueue;
