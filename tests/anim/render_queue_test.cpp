#include "anim/render_queue.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "graphics/direct_draw.h"
#include "tests/graphics/text_fixture.h"

namespace {

std::vector<std::string> g_drawn;

class FakeDrawn : public CBaseObject {
public:
    FakeDrawn(std::string name, int32_t layer, int32_t y, int32_t x)
        : m_name(std::move(name)), m_layer(layer), m_y(y), m_x(x) {}
    bool Draw() override {
        g_drawn.push_back(m_name);
        return true;
    }
    int32_t GetX() override { return m_x; }
    int32_t GetY() override { return m_y; }
    int32_t GetLayer() override { return m_layer; }

    std::string m_name;
    int32_t m_layer, m_y, m_x;
};

class FakeModel : public IQueuedModel {
public:
    FakeModel(std::string name, int32_t y, int32_t x) : m_name(std::move(name)), m_y(y), m_x(x) {}
    int32_t GetScreenX() override { return m_x; }
    int32_t GetScreenY() override { return m_y; }
    void Draw() override { g_drawn.push_back(m_name); }
    std::string m_name;
    int32_t m_y, m_x;
};

std::vector<std::string> QueuedNames(const CRenderQueue& q) {
    std::vector<std::string> out;
    for (const RenderQueueNode& n : q.Nodes()) {
        if (n.m_kind == QUEUE_NODE_TEXT)
            out.push_back("text:" + n.m_text);
        else if (n.m_kind == QUEUE_NODE_MODEL)
            out.push_back(static_cast<FakeModel*>(n.m_model.GetAs<IQueuedModel>())->m_name);
        else
            out.push_back(n.m_object.GetAs<FakeDrawn>()->m_name);
    }
    return out;
}

TEST(RenderQueueTest, OrdersByLayerThenYThenXKeepingEqualKeysInArrivalOrder) {
    g_drawn.clear();
    // name, layer, y, x in arrival order.
    std::vector<std::unique_ptr<FakeDrawn>> objects;
    for (auto [name, layer, y, x] : {std::tuple{"low-right", 5, 100, 50}, std::tuple{"under", 3, 400, 0},
                                     std::tuple{"low-left", 5, 100, 10}, std::tuple{"high", 5, 20, 700},
                                     std::tuple{"twin-a", 5, 100, 10}, std::tuple{"sky", 12, -5, 0},
                                     std::tuple{"twin-b", 5, 100, 10}, std::tuple{"top-layer", 6, 0, 0}})
        objects.push_back(std::make_unique<FakeDrawn>(name, layer, y, x));
    CRenderQueue q;
    FakeModel model("model", 100, 30), tie("model-tie", 100, 10);
    for (size_t i = 0; i < objects.size(); ++i) {
        q.AddObject(objects[i].get());
        if (i == 3) q.AddModel(&model);
        if (i == 5) q.AddModel(&tie);
    }
    q.AddText("late", 0xFFFFFF, 0, 0);  // layer 10 before a later object of layer 12
    q.AddText("early", 0xFFFFFF, 0, -50);
    q.AddObject(nullptr);
    q.AddText("", 0xFFFFFF, 0, 0);
    const std::vector<std::string> expect = {"under",     "high",       "low-left",  "twin-a",
                                             "model-tie", "twin-b",     "model",     "low-right",
                                             "top-layer", "text:early", "text:late", "sky"};
    EXPECT_EQ(QueuedNames(q), expect);

    q.Draw();
    const std::vector<std::string> drawnExpect = {"under",  "high",  "low-left",  "twin-a",    "model-tie",
                                                  "twin-b", "model", "low-right", "top-layer", "sky"};
    EXPECT_EQ(g_drawn, drawnExpect);

    // Clear and the reset slot both empty it.
    q.Clear();
    EXPECT_EQ(q.GetCount(), 0u);
    q.AddObject(objects[0].get());
    q.Reset();
    EXPECT_EQ(q.GetCount(), 0u);
}

// A crowd: hundreds of objects on a few keys, queued out of order, come out
// by key and, within a key, in the order they were queued.
TEST(RenderQueueTest, ACrowdOnFewKeysKeepsArrivalOrderWithinEachKey) {
    g_drawn.clear();
    std::vector<std::unique_ptr<FakeDrawn>> objects;
    CRenderQueue q;
    constexpr int kCount = 600;
    for (int i = 0; i < kCount; ++i) {
        // Keys cycle backwards over 3 layers x 4 rows x 2 columns.
        const int k = (kCount - i) % 24;
        objects.push_back(std::make_unique<FakeDrawn>(std::to_string(i), 4 + k / 8, (k / 2) % 4 * 10, k % 2));
        q.AddObject(objects.back().get());
    }
    std::vector<std::string> expect;
    for (int k = 0; k < 24; ++k)
        for (int i = 0; i < kCount; ++i)
            if ((kCount - i) % 24 == k) expect.push_back(std::to_string(i));
    EXPECT_EQ(QueuedNames(q), expect);
    q.Draw();
    EXPECT_EQ(g_drawn, expect);
}

TEST(RenderQueueTest, AnObjectOrModelGoneBeforeTheDrawIsSkipped) {
    g_drawn.clear();
    CRenderQueue q;
    auto doomed = std::make_unique<FakeDrawn>("doomed", 5, 10, 10);
    auto doomedModel = std::make_unique<FakeModel>("doomed-model", 15, 10);
    FakeDrawn stays("stays", 5, 20, 10);
    FakeModel model("model", 30, 10);
    q.AddObject(doomed.get());
    q.AddModel(doomedModel.get());
    q.AddObject(&stays);
    q.AddModel(&model);
    doomed.reset();
    doomedModel.reset();
    q.Draw();
    EXPECT_EQ(g_drawn, (std::vector<std::string>{"stays", "model"}));
}

// Queues more objects, then empties the queue, while being drawn.
class MeddlingDrawn : public FakeDrawn {
public:
    MeddlingDrawn(CRenderQueue& queue) : FakeDrawn("meddler", 5, 0, 0), m_queue(queue) {}
    bool Draw() override {
        FakeDrawn::Draw();
        for (int i = 0; i < 100; ++i) m_queue.AddObject(this);
        m_queue.Clear();
        return true;
    }
    CRenderQueue& m_queue;
};

TEST(RenderQueueTest, ADrawThatChangesTheQueueEndsTheWalk) {
    g_drawn.clear();
    CRenderQueue q;
    MeddlingDrawn meddler(q);
    FakeDrawn after("after", 6, 0, 0);
    q.AddObject(&meddler);
    q.AddObject(&after);
    q.Draw();
    EXPECT_EQ(g_drawn, std::vector<std::string>{"meddler"});
    EXPECT_EQ(q.GetCount(), 0u);
}

TEST(RenderQueueTest, LongTextsAreCutBetweenCharacters) {
    CRenderQueue q;
    std::string text(QUEUE_TEXT_MAX - 1, 'a');
    text += "\x93\xFA";  // a double-byte character that would cross the limit
    text += "tail";
    q.AddText(text.c_str(), 0, 1, 2);
    ASSERT_EQ(q.GetCount(), 1u);
    EXPECT_EQ(q.Nodes()[0].m_text, std::string(QUEUE_TEXT_MAX - 1, 'a'));
}

// Texts are drawn with the shadow over the objects queued at the same place.
class RenderQueueTextTest : public TextFixture {
protected:
    plat::FakeFontBackend m_fake;
};

class FillingObject : public CBaseObject {
public:
    bool Draw() override {
        CSurfaceResource* s = g_pDirectDraw->GetRenderSurface();
        plat::raster::Fill(s->Surface()->Pixels(), plat::raster::Rect{0, 0, 60, 30}, 0x1234);
        return true;
    }
    int32_t GetLayer() override { return 5; }
    int32_t GetY() override { return 500; }  // lower on the screen than the text
};

TEST_F(RenderQueueTextTest, TextsDrawOverObjectsInFontZeroWithAShadow) {
    BringUpText(m_fake);
    CSurfaceResource* target = g_pDirectDraw->GetRenderSurface();
    target->FillSurface(kBackground, nullptr);
    CRenderQueue q;
    FillingObject under;
    q.AddText("AB", 0x0000FF, 4, 6);
    q.AddObject(&under);
    q.Draw();
    const uint16_t red = Px(target, 0x0000FF);
    // Font 0 inks rows 1-8 of the cell below y; the shadow lies one pixel right and down.
    std::string row = Row(target, 8, 0, 20, red);
    EXPECT_EQ(row.substr(4, 11), "#####k#####") << row;
    EXPECT_EQ(Row(target, 20, 0, 20, red), std::string(20, '?'));  // the object's fill around it
}

}  // namespace
