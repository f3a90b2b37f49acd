#include "anim/render_queue.h"

#include <algorithm>

#include "core/util.h"
#include "graphics/direct_draw.h"
#include "graphics/text_layout.h"
#include "graphics/text_renderer.h"

CRenderQueue* g_pRenderQueue = nullptr;

CRenderQueue::CRenderQueue() = default;

CRenderQueue::~CRenderQueue() {
    Release();
    if (g_pRenderQueue == this) g_pRenderQueue = nullptr;
}

bool CRenderQueue::Release() {
    Clear();
    return true;
}

void CRenderQueue::Clear() {
    m_nodes.clear();
    m_sorted = true;
}

// Keys ascend, and equal keys keep the order in which they were queued.
void CRenderQueue::Insert(RenderQueueNode&& node) {
    if (m_drawing) {
        // After every node whose key is not greater than its own.
        Sort();
        auto at = std::upper_bound(
            m_nodes.begin(), m_nodes.end(), node.m_key,
            [](const RenderQueueKey& key, const RenderQueueNode& n) { return key < n.m_key; });
        m_nodes.insert(at, std::move(node));
        return;
    }
    if (!m_nodes.empty() && node.m_key < m_nodes.back().m_key) m_sorted = false;
    m_nodes.push_back(std::move(node));
}

void CRenderQueue::Sort() const {
    if (m_sorted) return;
    // Sorted by key and arrival: the same order as inserting one by one.
    struct Place {
        RenderQueueKey key;
        uint32_t arrival;
    };
    std::vector<Place> places(m_nodes.size());
    for (size_t i = 0; i < m_nodes.size(); ++i) places[i] = {m_nodes[i].m_key, uint32_t(i)};
    std::sort(places.begin(), places.end(), [](const Place& a, const Place& b) {
        return a.key < b.key || (a.key == b.key && a.arrival < b.arrival);
    });
    std::vector<RenderQueueNode> sorted;
    sorted.reserve(m_nodes.size());
    for (const Place& p : places) sorted.push_back(std::move(m_nodes[p.arrival]));
    m_nodes = std::move(sorted);
    m_sorted = true;
}

const std::vector<RenderQueueNode>& CRenderQueue::Nodes() const {
    Sort();
    return m_nodes;
}

void CRenderQueue::AddObject(CBaseObject* object) {
    if (!object) return;
    RenderQueueNode node;
    node.m_kind = QUEUE_NODE_OBJECT;
    node.m_key = {object->GetLayer(), object->GetY(), object->GetX()};
    node.m_object.Assign(object);
    Insert(std::move(node));
}

void CRenderQueue::AddModel(IQueuedModel* model) {
    if (!model) return;
    RenderQueueNode node;
    node.m_kind = QUEUE_NODE_MODEL;
    node.m_key = {QUEUE_MODEL_LAYER, model->GetScreenY(), model->GetScreenX()};
    node.m_model.Assign(model);
    Insert(std::move(node));
}

void CRenderQueue::AddText(const char* text, uint32_t colour, int32_t x, int32_t y) {
    if (!text || !*text) return;
    RenderQueueNode node;
    node.m_kind = QUEUE_NODE_TEXT;
    node.m_key = {QUEUE_TEXT_LAYER, y, x};
    char cut[QUEUE_TEXT_MAX + 1];
    CopyDbcsPrefix(text, QUEUE_TEXT_MAX, cut, sizeof cut);
    node.m_text = cut;
    node.m_colour = colour;
    Insert(std::move(node));
}

bool CRenderQueue::Draw() {
    Sort();
    const bool outer = !m_drawing;
    m_drawing = true;
    // By index: a Draw that queues or clears leaves nothing dangling here.
    for (size_t i = 0; i < m_nodes.size(); ++i) {
        RenderQueueNode& node = m_nodes[i];
        switch (node.m_kind) {
            case QUEUE_NODE_OBJECT:
                if (CBaseObject* object = node.m_object.GetAs<CBaseObject>()) object->Draw();
                break;
            case QUEUE_NODE_MODEL:
                if (IQueuedModel* model = node.m_model.GetAs<IQueuedModel>()) model->Draw();
                break;
            case QUEUE_NODE_TEXT:
                if (g_pTextRenderer && g_pDirectDraw)
                    g_pTextRenderer->DrawString(g_pDirectDraw->GetRenderSurface(), node.m_key.x, node.m_key.y,
                                                node.m_text.c_str(), 0, node.m_colour, TEXT_STYLE_SHADOW,
                                                true);
                break;
        }
    }
    if (outer) m_drawing = false;
    return true;
}
