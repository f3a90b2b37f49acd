#include "anim/ani_object.h"

#include <gtest/gtest.h>

#include "anim/obj_ani.h"
#include "core/input_mgr.h"
#include "graphics/display_settings.h"
#include "tests/anim/ani_test_util.h"

using namespace anitest;

namespace {

// Directions 0 (one layer) and 2 (three layers) of motion 0; motion 7 has direction 5 only.
AniFile TwoDirections() {
    return File(14, {Motion(0, {Direction(0, {Layer({Image(0)})}),
                                Direction(2, {Layer({Image(0)}), Layer({Image(0)}), Layer({Image(0)})})}),
                     Motion(7, {Direction(5, {Layer({Image(0)}), Layer({Image(0)})})})});
}

struct Rect : IAniDrawable {
    int32_t w, h, ox, oy;
    Rect(int32_t width, int32_t height, int32_t originX, int32_t originY)
        : w(width), h(height), ox(originX), oy(originY) {}
    int32_t GetWidth() override { return w; }
    int32_t GetHeight() override { return h; }
    int32_t GetOffsetX() override { return ox; }
    int32_t GetOffsetY() override { return oy; }
};

// Records every Draw with the position and clip it was given.
struct RecordingObject : CAniObject {
    struct Call {
        int32_t x, y;
        bool clip;
        AniRect rect;
    };
    std::vector<Call> calls;
    bool Draw() override {
        calls.push_back({m_screenX, m_screenY, m_clipOn != 0, m_clip});
        return true;
    }
};

}  // namespace

TEST(AniObjectTest, MissingDirectionsFallBackToTheNearestLowerOne) {
    AniWorld world;
    world.Write(1, TwoDirections());
    CAniObject object;
    ASSERT_TRUE(object.SetAnimation(1));
    object.SetMotion(0);
    struct Case {
        uint8_t direction;
        uint8_t used;
        int32_t layers;
    };
    for (const Case& c : {Case{2, 2, 3}, Case{5, 2, 3}, Case{1, 0, 1}, Case{200, 2, 3}, Case{0, 0, 1}}) {
        SCOPED_TRACE(int(c.direction));
        object.SetDirection(c.direction);
        EXPECT_EQ(object.m_layerDirection, c.used);
        EXPECT_EQ(object.m_layerCount, c.layers);
    }
    // Motion 7 has nothing at or below direction 0: the layers stay as they were.
    object.SetMotion(7);
    EXPECT_FALSE(object.SetupLayers());
    EXPECT_EQ(object.m_layerCount, 1);
    object.SetDirection(3);
    EXPECT_EQ(object.m_layerCount, 0);  // nothing at or below 3: direction 0, which has no layers
    object.SetDirection(6);
    EXPECT_EQ(object.m_layerDirection, 5);
    EXPECT_EQ(object.m_layerCount, 2);
}

TEST(AniObjectTest, MotionQueries) {
    AniWorld world;
    world.Write(1, TwoDirections());
    CAniObject object;
    EXPECT_TRUE(object.IsMotionMissing(0, -1));
    ASSERT_TRUE(object.SetAnimation(1));
    EXPECT_EQ(object.GetCurrentMotionId(), -1);
    EXPECT_EQ(object.GetLayerRecord(0), &object.m_frameLayers[0]);
    EXPECT_EQ(object.GetLayerRecord(30), nullptr);
    EXPECT_FALSE(object.IsMotionMissing(0, -1));
    EXPECT_FALSE(object.IsMotionMissing(0, 2));
    EXPECT_TRUE(object.IsMotionMissing(0, 1));
    EXPECT_TRUE(object.IsMotionMissing(3, -1));
    object.SetMotion(7);
    EXPECT_EQ(object.GetCurrentMotionId(), 7);
    object.SetMotion(9);
    EXPECT_EQ(object.GetCurrentMotionId(), -1);
    EXPECT_EQ(object.GetCurrentMotionRecord(), nullptr);
}

TEST(AniObjectTest, ChildrenAreOrderedByPriorityAroundTheObject) {
    CAniObject parent, a, b, c, d;
    a.AttachToParent(&parent, 3);
    b.AttachToParent(&parent, -2);
    c.AttachToParent(&parent, 5);
    d.AttachToParent(&parent, 0);
    EXPECT_EQ(parent.Entries(), (std::vector<CAniObject*>{&b, &parent, &d, &a, &c}));
    EXPECT_EQ(a.m_pParent, &parent);
    EXPECT_TRUE(parent.HasChild(&d));
    // Attaching again moves nothing.
    d.AttachToParent(&parent, 0);
    EXPECT_EQ(parent.Entries().size(), 5u);
    d.DetachFromParent(&parent);
    EXPECT_FALSE(parent.HasChild(&d));
    EXPECT_EQ(d.m_pParent, nullptr);
}

TEST(AniObjectTest, AChildTakesItsParentsStateAndRecursiveSettings) {
    AniWorld world;
    world.Write(1, TwoDirections());
    CAniObject parent, child, grandchild;
    ASSERT_TRUE(parent.SetAnimation(1));
    ASSERT_TRUE(child.SetAnimation(1));
    ASSERT_TRUE(grandchild.SetAnimation(1));
    grandchild.AttachToParent(&child, 1);
    parent.SetMotion(0);
    parent.SetDirection(2);
    parent.Play(true);
    parent.m_flag126 = 1;
    CChar* owner = reinterpret_cast<CChar*>(0x2000);
    parent.m_pOwner = owner;
    parent.m_ownerId = 55;
    world.Clock().Advance(500);
    child.AttachToParent(&parent, 1);
    for (CAniObject* o : {&child, &grandchild}) {
        EXPECT_EQ(o->GetCurrentMotionId(), 0);
        EXPECT_EQ(o->m_direction, 2);
        EXPECT_EQ(o->m_loop, 1);
        EXPECT_EQ(o->m_startTime, parent.m_startTime);
        EXPECT_EQ(o->m_flag126, 1);
    }
    EXPECT_EQ(child.m_pOwner, owner);
    EXPECT_EQ(child.m_ownerId, 55u);

    const uint8_t colour[4] = {1, 2, 3, 4};
    parent.SetColor(3, 0x123456, colour);
    parent.SetScale(2.0f);
    parent.SetHideable(1);
    for (CAniObject* o : {&parent, &child, &grandchild}) {
        EXPECT_EQ(o->m_colorMode, 3);
        EXPECT_EQ(o->m_colorValue, 0x123456u);
        EXPECT_EQ(o->m_color[3], 4);
        EXPECT_FLOAT_EQ(o->m_timeScale, 2.0f);
        EXPECT_EQ(o->m_hideable, 1);
    }
    parent.ClearOwner();
    EXPECT_EQ(child.m_pOwner, nullptr);
    // Playing again hands the parent's start time down.
    world.Clock().Advance(100);
    parent.Play(false);
    EXPECT_EQ(grandchild.m_startTime, parent.m_startTime);
}

TEST(AniObjectTest, ObjectsThatGoAwayLeaveTheTreeConsistent) {
    CAniObject parent;
    {
        CAniObject child;
        child.AttachToParent(&parent, 1);
    }
    EXPECT_EQ(parent.Entries(), (std::vector<CAniObject*>{&parent}));
    CAniObject orphan;
    {
        CAniObject gone;
        orphan.AttachToParent(&gone, 1);
    }
    EXPECT_EQ(orphan.m_pParent, nullptr);
    // No object becomes a child of its own child.
    CAniObject a, b;
    b.AttachToParent(&a, 1);
    a.AttachToParent(&b, 1);
    EXPECT_EQ(a.m_pParent, nullptr);
    EXPECT_FALSE(b.HasChild(&a));
}

TEST(AniObjectTest, FadesBetween128And255) {
    AniWorld world;
    world.Write(1, OneLayer({Image(0), Hold(200)}));
    CAniObject object;
    ASSERT_TRUE(object.SetAnimation(1));
    object.SetMotion(0);
    object.Play(false);
    object.SetFadeFlags(1, 255);
    std::vector<uint16_t> seen;
    for (int i = 0; i < 15; ++i) {
        object.Update();
        seen.push_back(object.m_alpha);
    }
    EXPECT_EQ(seen.front(), 245);
    EXPECT_EQ(seen[11], 135);
    EXPECT_EQ(seen[12], 128);
    EXPECT_EQ(seen.back(), 128);
    object.SetFadeFlags(255, 255);
    EXPECT_EQ(object.m_fadeBits, 1);
    object.SetFadeFlags(0, 1);
    EXPECT_EQ(object.m_fadeBits, 2);
    object.SetFadeFlags(255, 0);
    for (int i = 0; i < 12; ++i) object.Update();
    EXPECT_EQ(object.m_alpha, 248);
    object.Update();
    EXPECT_EQ(object.m_alpha, 255);
}

TEST(AniObjectTest, BoundsAndTheOffScreenFlag) {
    AniWorld world;
    world.Write(1, OneLayer({Image(0), Hold(200)}));
    GetDisplaySettings().screenWidth = 800;
    GetDisplaySettings().screenHeight = 600;
    FakeCharacters chars;
    AniServiceSet services;
    services.characters = &chars;
    ScopedServices scoped(services);
    CAniObject object;
    EXPECT_EQ(object.GetBounds(true, false), AniRect{});
    ASSERT_TRUE(object.SetAnimation(1));
    object.SetMotion(0);
    object.SetDrawable(new Rect(0x10040, 30, -5, -20));  // only the low 16 bits of the size count
    struct Case {
        int32_t x, y;
        uint8_t offScreen;
    };
    for (const Case& c : {Case{100, 100, 0}, Case{-59, 0, 0}, Case{-60, 0, 1}, Case{805, 620, 0},
                          Case{806, 0, 1}, Case{0, 621, 1}, Case{0, -10, 0}, Case{0, -11, 1}}) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        object.SetScreenPosition(c.x, c.y, 0);
        object.Update();
        EXPECT_EQ(object.m_bounds, (AniRect{c.x - 5, c.y - 20, c.x - 5 + 64, c.y + 10}));
        EXPECT_EQ(object.m_offScreen, c.offScreen);
    }
    EXPECT_EQ(object.GetWidth(), 64);
    EXPECT_EQ(object.GetHeight(), 30);
    // An owner the player does not see has no bounds.
    object.SetOwner(reinterpret_cast<CChar*>(0x3000));
    chars.visible = false;
    EXPECT_EQ(object.GetBounds(true, false), AniRect{});
    EXPECT_EQ(object.GetWidth(), 0);
}

TEST(AniObjectTest, MapPositionsPlaceTheObjectThroughTheMap) {
    FakeField field;
    field.view.m_cameraX = 100;
    field.view.m_viewY = 7;
    AniServiceSet services;
    services.field = &field;
    ScopedServices scoped(services);
    CAniObject object;
    object.SetMapPosition(24, 12, 9);
    EXPECT_EQ(object.m_screenX, 24 - 100);
    EXPECT_EQ(object.m_screenY, 0 + 7);
    EXPECT_EQ(object.m_screenZ, 9);
    EXPECT_EQ(object.m_mapZ, 9);
    const IsoPoint left = field.view.TileToScreen(3, 4);
    object.SetTileRange({left.x + 12, left.y}, {ANI_TILE_UNSET, 0});
    EXPECT_EQ(object.m_tile1, (IsoPoint{3, 4}));
    EXPECT_EQ(object.m_tile2, (IsoPoint{ANI_TILE_UNSET, ANI_TILE_UNSET}));
    object.SetScreenPosition(1, 2, 3);
    EXPECT_EQ(object.m_mapX, -1);
}

TEST(AniObjectTest, HitTests) {
    AniWorld world;
    world.Write(1, OneLayer({Image(0), Hold(200)}));
    FakeCharacters chars;
    FakeField field;
    struct Events : IAniEvents {
        bool script = false, locked = false;
        bool IsVisualEventRunning() override { return false; }
        bool IsFieldScriptRunning() override { return script; }
        bool IsInputLocked() override { return locked; }
    } events;
    AniServiceSet services;
    services.characters = &chars;
    services.field = &field;
    services.events = &events;
    ScopedServices scoped(services);
    CAniObject object;
    EXPECT_FALSE(object.IsHitAt(0, 0));  // no motion
    ASSERT_TRUE(object.SetAnimation(1));
    object.SetMotion(0);
    EXPECT_TRUE(object.IsHitAt(0, 0));  // on the screen
    object.SetMapPosition(48, 48, 0);
    object.m_offScreen = 1;
    EXPECT_FALSE(object.IsHitAt(0, 0));
    object.m_offScreen = 0;
    chars.status9 = true;
    EXPECT_FALSE(object.IsHitAt(0, 0));
    field.hasMap = false;
    EXPECT_TRUE(object.IsHitAt(0, 0));
    object.SetOwner(reinterpret_cast<CChar*>(0x4000));
    events.script = events.locked = true;
    chars.flagWord = 0;
    EXPECT_FALSE(object.IsHitAt(0, 0));
    chars.flagWord = 1;
    EXPECT_TRUE(object.IsHitAt(0, 0));
    object.m_hidden = 1;
    EXPECT_FALSE(object.IsHitAt(0, 0));
}

TEST(AniObjectTest, TiledDrawingClipsTheLastCopy) {
    AniWorld world;
    world.Write(1, OneLayer({Image(0), Hold(200)}));
    RecordingObject object;
    ASSERT_TRUE(object.SetAnimation(1));
    object.SetMotion(0);
    object.SetDrawable(new Rect(30, 20, 0, 0));
    object.DrawTiledX(10, 75, 5);
    ASSERT_EQ(object.calls.size(), 3u);
    EXPECT_EQ(object.calls[0].x, 10);
    EXPECT_FALSE(object.calls[1].clip);
    EXPECT_EQ(object.calls[2].x, 70);
    EXPECT_TRUE(object.calls[2].clip);
    EXPECT_EQ(object.calls[2].rect, (AniRect{70, 5, 75, 25}));
    object.calls.clear();
    object.DrawTiledYFromBottom(0, 50, 3);
    ASSERT_EQ(object.calls.size(), 3u);
    EXPECT_EQ(object.calls[0].y, 30);
    EXPECT_EQ(object.calls[1].y, 10);
    EXPECT_EQ(object.calls[2].y, -10);
    EXPECT_EQ(object.calls[2].rect, (AniRect{3, 0, 33, 10}));
    EXPECT_EQ(object.m_clipOn, 0);
    // Nothing to tile without a size.
    object.calls.clear();
    object.SetDrawable(new Rect(0, 0, 0, 0));
    object.DrawTiledY(0, 100, 0);
    EXPECT_TRUE(object.calls.empty());
}

TEST(AniObjectTest, SettingAnotherAnimationGivesTheFirstBack) {
    AniWorld world;
    world.Write(1, OneLayer({Image(0)}));
    world.Write(2, OneLayer({Image(0)}));
    CAniObject object;
    ASSERT_TRUE(object.SetAnimation(1));
    ASSERT_TRUE(object.SetAnimation(1));
    EXPECT_EQ(world.Mgr().GetSlot(1)->m_refCount, 1);
    ASSERT_TRUE(object.SetAnimation(2));
    EXPECT_EQ(world.Mgr().GetSlot(1), nullptr);
    EXPECT_FALSE(object.SetAnimation(3));
    EXPECT_EQ(object.GetAni(), world.Mgr().GetSlot(2));
    object.Release();
    EXPECT_EQ(world.Mgr().ChildCount(), 0);
}

TEST(AniObjectTest, DroppedObjectsGoToTheWindowUnderTheMouse) {
    struct Windows : IAniWindows {
        std::vector<CAniObject*> dropped;
        void DropAniObject(CAniObject* o) override { dropped.push_back(o); }
    } windows;
    AniServiceSet services;
    services.windows = &windows;
    ScopedServices scoped(services);
    CAniObject object;
    EXPECT_FALSE(object.EndDrag());
    object.SetDragState(1);
    EXPECT_TRUE(object.EndDrag());
    EXPECT_EQ(object.GetDragState(), 0u);
    EXPECT_EQ(windows.dropped, (std::vector<CAniObject*>{&object}));
    // Drawn where the input manager has the mouse.
    CInputMgr input;
    input.Init(800, 600);
    input.SetMousePos(17, 23);
    CInputMgr* const oldInput = g_pInputMgr;
    g_pInputMgr = &input;
    object.SetMapPosition(24, 12, 5);
    object.DrawAtCursor();
    g_pInputMgr = oldInput;
    EXPECT_EQ(object.m_screenX, 17);
    EXPECT_EQ(object.m_screenY, 23);
    EXPECT_EQ(object.m_screenZ, 0);
    EXPECT_EQ(object.m_mapX, ANI_NO_POSITION);
}
