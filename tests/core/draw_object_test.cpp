#include "core/draw_object.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

// The animated object lives in a higher layer; the test stands one in.
class CAniObject {
public:
    explicit CAniObject(uint32_t id) : m_id(id) {}
    uint32_t m_id;
    bool m_underlay = true;
};

namespace {

struct FakeAni : IAniObjectHooks {
    CAniObject* CreateAniObject(uint32_t id) override {
        if (id == kBadAnimation) return nullptr;
        ++m_live;
        return new CAniObject(id);
    }
    void DeleteAniObject(CAniObject* object) override {
        --m_live;
        delete object;
    }
    void SetUnderlayOff(CAniObject* object) override { object->m_underlay = false; }
    int32_t GetX(CAniObject* o) override { return int32_t(o->m_id) + 1; }
    int32_t GetY(CAniObject* o) override { return int32_t(o->m_id) + 2; }
    int32_t GetLayer(CAniObject* o) override { return int32_t(o->m_id) + 3; }
    static constexpr uint32_t kBadAnimation = 666;
    int m_live = 0;
};

struct FakeResources : ICharResourceHooks {
    const char* GetName(uint32_t id, uint16_t) override { return id == 2000001 ? "Warrior" : nullptr; }
    int32_t FindRow(uint32_t id, uint16_t) override { return id == 2000001 ? 1 : -1; }
    int32_t FindRowByName(const char* name, uint16_t kind) override {
        return std::string(name) == "Warrior" && kind == 0 ? 1 : -1;
    }
};

struct FakeCursor : ICursorHooks {
    void DropIfHeld(CDrawObject* object) override {
        if (object == m_held) m_held = nullptr;
    }
    CDrawObject* m_held = nullptr;
};

class DrawObjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetAniObjectHooks(&m_ani);
        SetCharResourceHooks(&m_res);
        SetCursorHooks(&m_cursor);
    }
    void TearDown() override {
        SetAniObjectHooks(nullptr);
        SetCharResourceHooks(nullptr);
        SetCursorHooks(nullptr);
        EXPECT_EQ(m_ani.m_live, 0);
    }
    FakeAni m_ani;
    FakeResources m_res;
    FakeCursor m_cursor;
};

TEST_F(DrawObjectTest, CreateClearsEverything) {
    CDrawObject obj;
    obj.CreateNamedWithAni(3, "Box", 10, false);
    EXPECT_TRUE(obj.Create());
    EXPECT_EQ(obj.GetKindId(), 0u);
    EXPECT_EQ(obj.GetType(), 0);
    EXPECT_STREQ(obj.GetName(), "");
    EXPECT_FALSE(obj.IsCreated());
    EXPECT_EQ(obj.GetResourceRow(), -1);
    EXPECT_EQ(obj.GetParameter(), 0u);
    EXPECT_EQ(obj.GetMapPoint(), std::make_pair(-1, -1));
    EXPECT_EQ(obj.GetAniObject(), nullptr);
    EXPECT_EQ(m_ani.m_live, 0);  // the attached object was deleted, not dropped
}

TEST_F(DrawObjectTest, CreateWithAniTakesNameAndRowFromTheTables) {
    CDrawObject obj;
    obj.Create();
    ASSERT_TRUE(obj.CreateWithAni(0, 2000001, 42, false));
    EXPECT_STREQ(obj.GetName(), "Warrior");
    EXPECT_EQ(obj.GetResourceRow(), 1);
    EXPECT_EQ(obj.GetParameter(), 2000001u);
    EXPECT_TRUE(obj.IsCreated());
    ASSERT_NE(obj.GetAniObject(), nullptr);
    EXPECT_TRUE(obj.GetAniObject()->m_underlay);
    EXPECT_EQ(obj.GetX(), 43);
    EXPECT_EQ(obj.GetY(), 44);
    EXPECT_EQ(obj.GetLayer(), 45);

    // Creating again replaces the animated object instead of leaking it.
    ASSERT_TRUE(obj.CreateWithAni(DRAW_TYPE_NO_UNDERLAY, 7, 43, false));
    EXPECT_EQ(m_ani.m_live, 1);
    EXPECT_FALSE(obj.GetAniObject()->m_underlay);
    EXPECT_STREQ(obj.GetName(), "");
    EXPECT_EQ(obj.GetResourceRow(), -1);
    EXPECT_EQ(obj.GetType(), DRAW_TYPE_NO_UNDERLAY);
}

TEST_F(DrawObjectTest, FailedAnimationLoad) {
    CDrawObject obj;
    obj.Create();
    EXPECT_FALSE(obj.CreateWithAni(0, 2000001, FakeAni::kBadAnimation, false));
    EXPECT_FALSE(obj.IsCreated());
    EXPECT_EQ(obj.GetAniObject(), nullptr);

    // The named form still succeeds, without an animated object.
    EXPECT_TRUE(obj.CreateNamedWithAni(0, "Warrior", FakeAni::kBadAnimation, false));
    EXPECT_TRUE(obj.IsCreated());
    EXPECT_EQ(obj.GetAniObject(), nullptr);
    EXPECT_EQ(obj.GetResourceRow(), 1);
    EXPECT_EQ(obj.GetX(), 0);

    EXPECT_TRUE(obj.CreateWithAni(0, 2000001, 5, true));  // no animation asked for
    EXPECT_EQ(obj.GetAniObject(), nullptr);
    EXPECT_TRUE(obj.IsCreated());
}

TEST_F(DrawObjectTest, ReleaseDropsCursorAndAnimationTwiceSafely) {
    auto* obj = new CDrawObject;
    obj->Create();
    obj->CreateNamedWithAni(2, "Icon", 9, false);
    m_cursor.m_held = obj;
    EXPECT_TRUE(obj->Release());
    EXPECT_EQ(m_cursor.m_held, nullptr);
    EXPECT_EQ(obj->GetAniObject(), nullptr);
    EXPECT_FALSE(obj->IsCreated());
    EXPECT_EQ(m_ani.m_live, 0);
    EXPECT_TRUE(obj->Release());
    obj->CreateNamedWithAni(2, "Icon", 9, false);
    delete obj;  // the destructor releases what is still attached
    EXPECT_EQ(m_ani.m_live, 0);
}

TEST_F(DrawObjectTest, NamesAreCutToTheField) {
    CDrawObject obj;
    std::string longName(100, 'x');
    EXPECT_TRUE(obj.CreateNamed(1, longName.c_str()));
    EXPECT_EQ(std::strlen(obj.GetName()), DRAW_NAME_SIZE - 1);
    obj.SetName(nullptr);
    EXPECT_STREQ(obj.GetName(), "");
    obj.SetName("Gate");
    EXPECT_STREQ(obj.GetName(), "Gate");
}

TEST(DrawObjectNoHooksTest, BehavesAsNoTablesAndNoAnimation) {
    CDrawObject obj;
    obj.Create();
    EXPECT_FALSE(obj.CreateWithAni(0, 2000001, 1, false));
    EXPECT_TRUE(obj.CreateWithAni(0, 2000001, 1, true));
    EXPECT_STREQ(obj.GetName(), "");
    EXPECT_EQ(obj.GetResourceRow(), -1);
    EXPECT_TRUE(obj.CreateNamedWithAni(0, "Warrior", 1, false));
    EXPECT_EQ(obj.GetResourceRow(), -1);
    EXPECT_EQ(obj.GetAniObject(), nullptr);
    EXPECT_TRUE(obj.ReleaseAniObject());
}

}  // namespace

TEST(DrawObjectNameTest, LongNameIsCutOnACharacterBoundary) {
    CDrawObject obj;
    std::string name(64, 'a');
    name += "\x82\xa0\x82\xa0";  // a double-byte character would straddle the 65-byte limit
    obj.SetName(name.c_str());
    EXPECT_EQ(std::string(obj.GetName()), std::string(64, 'a'));
}
