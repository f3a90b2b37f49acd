#include "anim/ani_play_mgr.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

#include "anim/ani_object.h"
#include "anim/darkness_overlay.h"
#include "anim/render_queue.h"
#include "data/data_table_writer.h"
#include "tests/anim/ani_test_util.h"
#include "tests/support/data_fixtures.h"

using namespace anitest;

namespace {

// Characters by id; a character that leaves is gone for good.
class FakePlayWorld : public FakeCharacters {
public:
    struct Char {
        uint32_t id = 0;
        int32_t mapX = 0, mapY = 0, mapZ = 0;
        int32_t screenX = 0, screenY = 0;
        std::vector<CAniObject*> drawList;
    };
    CChar* Make(uint32_t id, int32_t mapX, int32_t mapY, int32_t screenX = 0, int32_t screenY = 0) {
        auto c = std::make_unique<Char>();
        c->id = id;
        c->mapX = mapX;
        c->mapY = mapY;
        c->screenX = screenX;
        c->screenY = screenY;
        CChar* handle = reinterpret_cast<CChar*>(c.get());
        m_chars[id] = std::move(c);
        return handle;
    }
    void Remove(uint32_t id) { m_chars.erase(id); }
    Char& Get(uint32_t id) { return *m_chars.at(id); }

    uint32_t GetCharId(CChar* character) override { return Of(character)->id; }
    CChar* FindChar(uint32_t id) override {
        if (m_onFind) {
            auto action = std::move(m_onFind);
            m_onFind = nullptr;
            action();
        }
        auto it = m_chars.find(id);
        return it == m_chars.end() ? nullptr : reinterpret_cast<CChar*>(it->second.get());
    }
    void GetCharMapPosition(CChar* character, int32_t* x, int32_t* y, int32_t* z) override {
        *x = Of(character)->mapX;
        *y = Of(character)->mapY;
        *z = Of(character)->mapZ;
    }
    void GetCharScreenPosition(CChar* character, int32_t* x, int32_t* y) override {
        *x = Of(character)->screenX;
        *y = Of(character)->screenY;
    }
    void AddDrawObject(CChar* character, CAniObject* object) override {
        Of(character)->drawList.push_back(object);
    }
    void RemoveDrawObject(CChar* character, CAniObject* object) override {
        std::erase(Of(character)->drawList, object);
    }

    // Runs once, at the next character lookup (which happens inside the walk).
    std::function<void()> m_onFind;

private:
    static Char* Of(CChar* character) { return reinterpret_cast<Char*>(character); }
    std::map<uint32_t, std::unique_ptr<Char>> m_chars;
};

class AniPlayMgrTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Animation 1 shows one frame and ends at frame 1 (33 ms); animation 2 lasts long.
        m_world.Write(1, OneLayer({Image(0)}));
        m_world.Write(2, OneLayer({Image(0), Hold(100)}));
        AniServiceSet services;
        services.characters = &m_chars;
        InstallAniServices(services);
        g_pAniPlayMgr = &m_mgr;
    }
    void TearDown() override {
        m_mgr.Release();
        g_pAniPlayMgr = nullptr;
        InstallAniServices({});
    }
    // A new object of the animation, playing once.
    CAniObject* Playing(uint32_t animation = 1) {
        auto* o = new CAniObject();
        EXPECT_TRUE(o->SetAnimation(animation));
        o->SetMotion(0);
        o->Play(false);
        return o;
    }
    void Frame(uint32_t ms = 40) {
        m_world.Clock().Advance(ms);
        m_mgr.UpdateAll();
    }
    bool Listed(CAniPlayEntry* e) { return m_mgr.FindEntry(e, false) != nullptr; }

    AniWorld m_world;
    FakePlayWorld m_chars;
    CAniPlayMgr m_mgr;
};

TEST_F(AniPlayMgrTest, RepeatReplayAndRemoveWhenDone) {
    enum End { kRemoved, kHidden, kUnlinked, kStays };
    struct Case {
        int32_t repeat;
        uint8_t replay, removeWhenDone, autoRemove;
        int frames;  // frames until the end shows
        End end;
        bool restarted;  // the object was played again meanwhile
    };
    const Case cases[] = {
        {1, 1, 1, 1, 1, kRemoved, false},
        {1, 1, 0, 1, 1, kHidden, false},
        {1, 1, 1, 0, 1, kUnlinked, false},
        {1, 1, 0, 0, 1, kStays, false},
        {3, 1, 1, 1, 3, kRemoved, true},
        {3, 0, 1, 1, 3, kRemoved, false},
        {0, 1, 1, 1, 1, kRemoved, false},
        {PLAY_FOREVER, 1, 1, 1, 60, kStays, true},
        {PLAY_FOREVER, 0, 1, 1, 60, kStays, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "repeat " << c.repeat << " replay " << int(c.replay) << " rwd "
                                        << int(c.removeWhenDone) << " auto " << int(c.autoRemove));
        CAniObject* object = Playing();
        CWeakRef alive(object);
        const uint32_t started = object->m_startTime;
        CAniPlayEntry* e = m_mgr.AddAtMapPosition(object, 24, 12, 0, c.repeat, c.autoRemove, c.replay, 0);
        e->m_removeWhenDone = c.removeWhenDone;
        bool restarted = false;
        for (int f = 1; f < c.frames; ++f) {
            Frame();
            ASSERT_TRUE(Listed(e)) << "frame " << f;
            ASSERT_EQ(object->m_hidden, 0);
            restarted |= object->m_startTime != started;
        }
        Frame();
        restarted |= alive && object->m_startTime != started;
        EXPECT_EQ(restarted, c.restarted);
        switch (c.end) {
            case kRemoved:
                EXPECT_FALSE(Listed(e));
                EXPECT_FALSE(alive);
                break;
            case kHidden:
                EXPECT_TRUE(Listed(e));
                EXPECT_EQ(object->m_hidden, 1);
                break;
            case kUnlinked:
                EXPECT_FALSE(Listed(e));
                ASSERT_TRUE(alive);  // whoever added it deletes it
                delete e;
                EXPECT_FALSE(alive);
                break;
            case kStays:
                EXPECT_TRUE(Listed(e));
                EXPECT_EQ(object->m_hidden, 0);
                break;
        }
        m_mgr.Release();
    }
}

TEST_F(AniPlayMgrTest, ACurveFlightOf30FramesLasts990Ms) {
    CAniObject* object = Playing(2);
    CAniPlayEntry* e = m_mgr.AddArc(object, 0, 0, 0, 240, 120, 0, 60, 30, 1);
    EXPECT_EQ(e->m_curve[6], 120.0f);  // control point halfway, at the height
    EXPECT_EQ(e->m_curve[7], 60.0f);
    EXPECT_EQ(e->m_curve[8], 60.0f);
    Frame(495);
    EXPECT_EQ(object->m_mapX, 120);  // (start + 2 control + end) / 4
    EXPECT_EQ(object->m_mapY, 60);
    EXPECT_EQ(object->m_mapZ, 30);
    Frame(495);
    ASSERT_TRUE(Listed(e));
    EXPECT_EQ(object->m_mapX, 240);
    EXPECT_EQ(object->m_mapY, 120);
    Frame(1);
    EXPECT_FALSE(Listed(e));

    // No flight time: arrived at once, never a division by zero.
    CAniObject* quick = Playing(2);
    CWeakRef alive(quick);
    CAniPlayEntry* q = m_mgr.AddArc(quick, 0, 0, 0, 10, 10, 0, 5, 0, 1);
    Frame(1);
    EXPECT_FALSE(Listed(q));
    EXPECT_FALSE(alive);
}

TEST_F(AniPlayMgrTest, FadesTakeOneSecond) {
    CAniPlayEntry* out = m_mgr.AddAtMapPosition(Playing(2), 0, 0, 0, PLAY_FOREVER, 1, 1, 0);
    CAniPlayEntry* in = m_mgr.AddAtMapPosition(Playing(2), 0, 0, 0, PLAY_FOREVER, 1, 1, 0);
    m_mgr.FadeOutAll();
    in->m_fadeOut = 0;
    in->m_fadeIn = 1;
    Frame(500);
    // Half way; the object's own update then adds its 10 a frame.
    EXPECT_EQ(out->m_pObject->m_alpha, 127 + 10);
    EXPECT_EQ(in->m_pObject->m_alpha, 127 + 10);
    Frame(499);
    EXPECT_TRUE(Listed(out));
    Frame(1);
    EXPECT_FALSE(Listed(out));
    EXPECT_EQ(in->m_pObject->m_alpha, 255);
    EXPECT_EQ(in->m_fadeIn, 0);
}

TEST_F(AniPlayMgrTest, EntriesOnACharacterFollowItAndEndWhenItGoes) {
    m_chars.Make(7, 240, 120, 300, 200);
    CChar* seven = m_chars.FindChar(7);
    CAniPlayEntry* onChar = m_mgr.AddOnChar(Playing(2), seven, 24, 12, PLAY_FOREVER, 1, 1, 0);
    CAniPlayEntry* screen = m_mgr.AddOnCharAtScreenOffset(Playing(2), seven, 5, -30, PLAY_FOREVER, 1, 1, 1);
    CAniPlayEntry* text = m_mgr.AddFloatingText("-123", seven, 3000, -9, 40, 0xFF, 1, 1);
    auto* seq = new CAniSequence();
    seq->Add(Playing(2), 0);
    CAniPlayEntry* linked = m_mgr.AddCharLinked(seq, seven, 0, 0, PLAY_FOREVER, 1, 1, 0);
    CAniPlayEntry* unlinked = m_mgr.AddOnChar(Playing(2), seven, 0, 0, PLAY_FOREVER, 0, 1, 0);
    // An entry its keeper removes itself stays where the character was.
    CAniPlayEntry* kept = m_mgr.AddOnChar(Playing(2), seven, 0, 0, PLAY_FOREVER, 0, 1, 0);
    kept->m_userValue = 9;
    EXPECT_EQ(onChar->m_motionId, 0);
    EXPECT_EQ(onChar->m_aniIndex, 2u);

    Frame(66);
    const IsoPoint base = CIsoView().MapToScreen(240, 120);
    EXPECT_EQ(onChar->m_pObject->m_mapX, 264);
    EXPECT_EQ(onChar->m_pObject->m_mapY, 132);
    EXPECT_EQ(screen->m_pObject->m_screenX, base.x + 5);
    EXPECT_EQ(screen->m_pObject->m_screenY, base.y - 30 - 4);  // risen 2 pixels a frame of 33 ms
    EXPECT_EQ(text->m_textX, 291.0f);
    EXPECT_EQ(text->m_textY, 200.0f - (40 + 4));
    EXPECT_EQ(linked->m_pObject->m_mapX, 240);

    m_chars.Get(7).mapX = 480;
    Frame();
    EXPECT_EQ(linked->m_pObject->m_mapX, 480);

    CWeakRef onCharObject(onChar->m_pObject), unlinkedObject(unlinked->m_pObject);
    m_chars.Remove(7);
    Frame();
    EXPECT_FALSE(Listed(onChar));
    EXPECT_FALSE(onCharObject);
    EXPECT_FALSE(Listed(screen));
    EXPECT_FALSE(Listed(text));
    EXPECT_FALSE(Listed(unlinked));
    EXPECT_TRUE(unlinkedObject);
    delete unlinked;
    ASSERT_TRUE(Listed(kept));
    EXPECT_EQ(kept->m_kind, PLAY_AT_MAP_POINT);
    EXPECT_EQ(kept->m_pObject->m_mapX, 480);
    // The sequence stays where the character was last.
    ASSERT_TRUE(Listed(linked));
    EXPECT_EQ(linked->m_kind, PLAY_SEQUENCE_AT_POINT);
    Frame();
    EXPECT_EQ(linked->m_pObject->m_mapX, 480);
    EXPECT_EQ(linked->m_pObject->m_mapY, 120);

    // A floating text ends after its duration.
    m_chars.Make(8, 0, 0);
    CAniPlayEntry* brief = m_mgr.AddFloatingText("hi", m_chars.FindChar(8), 100, 0, 0, 0, 1, 0);
    Frame(100);
    EXPECT_TRUE(Listed(brief));
    Frame(1);
    EXPECT_FALSE(Listed(brief));
}

TEST_F(AniPlayMgrTest, HandlesFindListedEntriesAndClearedEntriesEndOnTheirOwn) {
    CAniPlayEntry* a = m_mgr.AddAtMapPosition(Playing(1), 0, 0, 0, 1, 0, 1, 5);
    CAniPlayEntry* b = m_mgr.AddAtMapPosition(Playing(2), 0, 0, 0, PLAY_FOREVER, 0, 1, 6);
    a->m_removeWhenDone = b->m_removeWhenDone = 0;
    EXPECT_NE(a->m_handle, 0u);
    EXPECT_NE(a->m_handle, b->m_handle);
    EXPECT_EQ(m_mgr.FindEntryByHandle(a->m_handle, true), a);
    EXPECT_EQ(m_mgr.FindEntryByHandle(b->m_handle, false), b);
    EXPECT_EQ(m_mgr.FindEntryByHandle(0, false), nullptr);
    EXPECT_EQ(m_mgr.FindEntryByHandle(b->m_handle + 1, false), nullptr);

    // Without its keeper an entry is removed once its plays are over; one
    // that is kept only stops.
    const uint32_t handleA = a->m_handle;
    m_mgr.ClearUserValues(5);
    EXPECT_EQ(m_mgr.FindEntryByHandle(handleA, true), nullptr);
    EXPECT_EQ(m_mgr.FindEntryByHandle(handleA, false), a);
    Frame();
    Frame();
    EXPECT_EQ(m_mgr.FindEntryByHandle(handleA, false), nullptr);
    EXPECT_EQ(m_mgr.FindEntryByHandle(b->m_handle, true), b);
    m_mgr.RemoveByUserValue(6);
    EXPECT_EQ(m_mgr.GetCount(), 0u);
    // A removed entry's handle finds nothing, also after new entries.
    CAniPlayEntry* c = m_mgr.AddAtMapPosition(Playing(2), 0, 0, 0, 1, 1, 1, 0);
    EXPECT_NE(c->m_handle, handleA);
    EXPECT_EQ(m_mgr.FindEntryByHandle(handleA, false), nullptr);
}

TEST_F(AniPlayMgrTest, EntriesTakenOutDuringTheWalkAreNeverUsedAfterwards) {
    m_chars.Make(7, 0, 0);
    CAniPlayEntry* walking = m_mgr.AddOnChar(Playing(2), m_chars.FindChar(7), 0, 0, PLAY_FOREVER, 1, 1, 0);
    CAniPlayEntry* tagged1 = m_mgr.AddAtMapPosition(Playing(2), 0, 0, 0, PLAY_FOREVER, 1, 1, 5);
    CAniPlayEntry* other = m_mgr.AddAtMapPosition(Playing(2), 0, 0, 0, PLAY_FOREVER, 1, 1, 6);
    CAniPlayEntry* tagged2 = m_mgr.AddAtMapPosition(Playing(2), 0, 0, 0, PLAY_FOREVER, 1, 1, 5);
    CAniPlayEntry* added = nullptr;
    CWeakRef walkingObject(walking->m_pObject);
    // While the first entry looks its character up: remove it and the tagged ones, add one.
    m_chars.m_onFind = [&] {
        EXPECT_TRUE(m_mgr.RemoveByObject(walking->m_pObject));
        m_mgr.RemoveByUserValue(5);
        added = m_mgr.AddAtMapPosition(Playing(2), 0, 0, 0, PLAY_FOREVER, 1, 1, 0);
    };
    Frame();
    EXPECT_FALSE(walkingObject);
    EXPECT_EQ(m_mgr.Entries(), (std::vector<CAniPlayEntry*>{other, added}));
    EXPECT_FALSE(Listed(tagged1));
    EXPECT_FALSE(Listed(tagged2));
    EXPECT_FALSE(m_mgr.RemoveByObject(nullptr));
    Frame();
    EXPECT_EQ(m_mgr.GetCount(), 2u);

    // Everything taken out while an entry is being stepped.
    CAniPlayEntry* follower = m_mgr.AddOnChar(Playing(2), m_chars.FindChar(7), 0, 0, PLAY_FOREVER, 1, 1, 0);
    CWeakRef followerObject(follower->m_pObject);
    m_chars.m_onFind = [&] { m_mgr.Release(); };
    Frame();
    EXPECT_FALSE(followerObject);
    EXPECT_EQ(m_mgr.GetCount(), 0u);
}

TEST_F(AniPlayMgrTest, SequencesPlayTheirItemsInTurn) {
    auto* seq = new CAniSequence();
    CAniObject* a = Playing(1);
    CAniObject* b = Playing(1);
    seq->Add(a, 2);
    seq->Add(b, 1);
    seq->Add(nullptr, 3);  // ignored
    CAniPlayEntry* e = m_mgr.AddObjectEntry(seq, 48, 24, 0, 2, 1, 1);
    CWeakRef aliveA(a), aliveB(b);
    std::vector<CAniObject*> shown;
    for (int f = 0; f < 20 && Listed(e); ++f) {
        Frame();
        if (Listed(e)) shown.push_back(e->m_pObject);
    }
    // a twice, b once, twice over. A play shows for two frames: one to run, one
    // in which it is found stopped and the next starts (the first play began
    // when the entry was added).
    const std::vector<CAniObject*> expect = {a, a, a, b, b, a, a, a, a, b, b};
    EXPECT_EQ(shown, expect);
    EXPECT_FALSE(Listed(e));
    EXPECT_FALSE(aliveA);
    EXPECT_FALSE(aliveB);

    // Empty sequences and none at all end at once.
    CAniPlayEntry* empty = m_mgr.AddObjectEntry(new CAniSequence(), 0, 0, 0, 1, 1, 1);
    CAniPlayEntry* none = m_mgr.AddCharLinked(nullptr, nullptr, 0, 0, 1, 1, 1, 0);
    Frame();
    EXPECT_FALSE(Listed(empty));
    EXPECT_FALSE(Listed(none));
}

TEST_F(AniPlayMgrTest, LightsFollowTheirObjectsAndGoWithThem) {
    CDarknessOverlay overlay;
    CAniPlayEntry* e = m_mgr.AddAtMapPosition(Playing(2), 0, 0, 0, PLAY_FOREVER, 1, 1, 0);
    EXPECT_EQ(e->AttachLight(3), -1);  // no overlay
    g_pDarknessOverlay = &overlay;
    m_chars.Make(7, 240, 120);
    CAniPlayEntry* mark = m_mgr.AddOnChar(Playing(2), m_chars.FindChar(7), 0, 0, PLAY_FOREVER, 1, 1, 0);
    const int32_t id = mark->AttachLight(3);
    ASSERT_NE(id, -1);
    EXPECT_EQ(mark->AttachLight(4), id);  // replaced: the id comes back
    EXPECT_EQ(overlay.GetLightCount(), 1u);
    m_chars.Get(7).mapX = 480;
    Frame();
    const DarknessLight* light = overlay.FindLight(id);
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->m_x, mark->m_pObject->m_screenX);
    EXPECT_EQ(light->m_y, mark->m_pObject->m_screenY);
    EXPECT_EQ(light->m_radius, 4);
    m_mgr.RemoveByObject(mark->m_pObject);
    EXPECT_EQ(overlay.GetLightCount(), 0u);
    g_pDarknessOverlay = nullptr;
}

TEST_F(AniPlayMgrTest, OwnersTagsLinksAndQueueing) {
    CChar* owner = m_chars.Make(7, 0, 0);
    CAniObject* owned = Playing(2);
    owned->SetOwner(owner);
    auto* seq = new CAniSequence();
    CAniObject* waiting = Playing(2);
    waiting->SetOwner(owner);
    seq->Add(Playing(2), 0);
    seq->Add(waiting, 0);
    CAniPlayEntry* a = m_mgr.AddAtMapPosition(owned, 0, 0, 0, PLAY_FOREVER, 1, 1, 3);
    m_mgr.AddObjectEntry(seq, 0, 0, 0, PLAY_FOREVER, 1, 1);
    m_mgr.DetachOwner(owner);
    EXPECT_EQ(owned->m_pOwner, nullptr);
    EXPECT_EQ(waiting->m_pOwner, nullptr);

    EXPECT_EQ(m_mgr.FindEntry(a, true), a);
    m_mgr.ClearUserValues(4);
    EXPECT_EQ(m_mgr.FindEntry(a, true), a);
    m_mgr.ClearUserValues(3);
    EXPECT_EQ(m_mgr.FindEntry(a, true), nullptr);
    EXPECT_EQ(m_mgr.FindEntry(a, false), a);
    EXPECT_EQ(m_mgr.FindEntry(nullptr, false), nullptr);

    // A linked entry's object is drawn by its character, not queued.
    EXPECT_FALSE(AttachPlayEntryToChar(owner, nullptr));
    EXPECT_TRUE(AttachPlayEntryToChar(owner, a));
    EXPECT_TRUE(AttachPlayEntryToChar(owner, a));
    EXPECT_EQ(m_chars.Get(7).drawList, std::vector<CAniObject*>{owned});
    m_mgr.AddFloatingText("up", owner, 5000, 0, 0, 0x00FF00, 1, 0);
    Frame();
    CRenderQueue queue;
    m_mgr.QueueAll(queue);
    ASSERT_EQ(queue.GetCount(), 2u);
    EXPECT_EQ(queue.Nodes()[0].m_kind, QUEUE_NODE_OBJECT);
    EXPECT_EQ(queue.Nodes()[1].m_text, "up");
    // Deleting the entry takes its object out of the character's list.
    EXPECT_TRUE(m_mgr.RemoveByObject(owned));
    EXPECT_TRUE(m_chars.Get(7).drawList.empty());
    // A linked entry whose character went away is deleted without it.
    CAniPlayEntry* b = m_mgr.AddAtMapPosition(Playing(2), 0, 0, 0, PLAY_FOREVER, 1, 1, 0);
    AttachPlayEntryToChar(owner, b);
    m_chars.Remove(7);
    EXPECT_TRUE(m_mgr.RemoveByObject(b->m_pObject));
}

TEST_F(AniPlayMgrTest, FindAniByNameMatchesExactlyAndGivesZeroWhenAbsent) {
    TablePlan layout;
    layout.rows = 4;
    ColumnPlan names;
    names.type = kColText;
    names.width = 32;
    names.texts = {"Cursor", "CommonIcons", "Cursor", "Club_Mark#1"};
    ColumnPlan index;
    index.type = kColInt;
    index.param = 4;
    index.values = {{12}, {40}, {99}, {3120}};
    layout.columns = {names, index};
    qmtest::TempDir dir;
    qmtest::WriteDataFile(dir.Path(), PLAY_NAME_TABLE_FILE, layout);
    SetDatabaseFolder(dir.Path());
    EXPECT_EQ(FindAniByName("Cursor"), 0u);  // nothing loaded yet
    ASSERT_TRUE(m_mgr.Init());
    SetDatabaseFolder("");
    struct Case {
        const char* name;
        uint32_t index;
    };
    for (const Case& c :
         {Case{"Cursor", 12}, Case{"CommonIcons", 40}, Case{"Club_Mark#1", 3120}, Case{"cursor", 0},
          Case{"Curso", 0}, Case{"Cursor ", 0}, Case{"", 0}, Case{nullptr, 0}})
        EXPECT_EQ(FindAniByName(c.name), c.index) << (c.name ? c.name : "null");
    g_pAniPlayMgr = nullptr;
    EXPECT_EQ(FindAniByName("Cursor"), 0u);
}

}  // namespace
