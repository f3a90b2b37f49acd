// What the map does with the windows when it is made, enters a stage and goes.
#include "world/map/map_windows.h"

#include <gtest/gtest.h>

#include "tests/ui/test_windows.h"
#include "tests/world/world_fixture.h"
#include "ui/window_messages.h"
#include "ui/window_mgr.h"

using namespace worldtest;

namespace {

struct Minimap : uitest::TestWindow, IMinimapWindow {
    Minimap() : TestWindow(mapwin::kMinimapWindow) {}
    void LoadMinimapData(uint16_t number) override { loaded.push_back(number); }
    std::vector<uint16_t> loaded;
};

struct SystemWindow : uitest::TestWindow, IMapSystemWindow {
    SystemWindow() : TestWindow(mapwin::kSystemWindow) {}
    void SetGameOverMode(bool on) override { modes.push_back(on); }
    std::vector<bool> modes;
};

struct WorldMap : uitest::TestWindow, IWorldMapWindow {
    WorldMap() : TestWindow(mapwin::kWorldMapWindow) {}
    void SetCurrentLocation(uint16_t stage) override { locations.push_back(stage); }
    std::vector<uint16_t> locations;
};

int32_t Queued(CMsgObject* object, uint32_t event) {
    int32_t n = 0;
    CNodeList& messages = object->GetPort()->Messages();
    for (CListNode* m = messages.First(); m != messages.End(); m = m->Next())
        if (static_cast<CMsg*>(m)->m_eventId == event) ++n;
    return n;
}

class MapWindowsTest : public WorldFixture {
protected:
    void SetUp() override {
        WorldFixture::SetUp();
        m_mgr.Create();
        g_pWindowMgr = &m_mgr;
        RegisterWindowClass(mapwin::kMinimapWindow, [] { return static_cast<CBaseWindow*>(new Minimap); });
        WriteMap("map 3\nsize 13 13\nlegend . ground 0\ncells\n" + Cells(13, 13) + "end\n");
        // Property 46 names the minimap file; property 4 makes stage 21 a no-battle zone.
        WriteStage(20, "group properties\n  @1 table [ word ] { rows 1 3 }\n  @46 word 12\n  word 0\nend\n");
        WriteStage(21,
                   "group properties\n  @1 table [ word ] { rows 1 3 }\n  @4 byte 1\n  @46 word 10000\n  "
                   "word 0\nend\n");
    }
    void TearDown() override {
        m_map.Release();
        m_mgr.Release();
        g_pWindowMgr = nullptr;
        ClearWindowClasses();
        WorldFixture::TearDown();
    }
    template <class W>
    W* Add(W* window) {
        m_mgr.AddChild(window);
        return window;
    }
    CWindowMgr m_mgr;
};

}  // namespace

TEST_F(MapWindowsTest, EnteringAStageSetsTheWindowsUp) {
    SystemWindow* system = Add(new SystemWindow);
    uitest::TestWindow* combo = Add(new uitest::TestWindow(mapwin::kComboTimer));
    m_map.Create();
    auto* minimap = dynamic_cast<Minimap*>(m_mgr.FindWindowByName(mapwin::kMinimapWindow));
    ASSERT_NE(minimap, nullptr);
    m_map.LoadStage(20);
    EXPECT_EQ(minimap->loaded, std::vector<uint16_t>{12});
    EXPECT_EQ(system->modes, std::vector<bool>{false});
    EXPECT_FALSE(system->IsDrawOn());
    EXPECT_TRUE(combo->IsDrawOn());  // outside a no-battle zone
    // No world map yet: the manager keeps the location for it.
    EXPECT_EQ(Queued(&m_mgr, mapwin::kWorldMapLocationEvent), 1);
    // With one, it is told; a no-battle zone hides the combo timer.
    WorldMap* world = Add(new WorldMap);
    m_map.Release();
    m_map.Create();
    m_map.LoadStage(21);
    EXPECT_EQ(world->locations, std::vector<uint16_t>{21});
    EXPECT_FALSE(combo->IsDrawOn());
    // Release tells every window and takes the minimap away.
    m_map.Release();
    EXPECT_EQ(Queued(system, mapwin::kMapReleasedEvent), 2);
    EXPECT_EQ(m_mgr.FindWindowByName(mapwin::kMinimapWindow), nullptr);
}

TEST_F(MapWindowsTest, WithoutAMinimapClassThereIsNoMinimap) {
    ClearWindowClasses();
    m_map.Create();
    m_map.LoadStage(20);
    EXPECT_EQ(m_mgr.FindWindowByName(mapwin::kMinimapWindow), nullptr);
    g_pWindowMgr = nullptr;  // and without a window manager nothing is asked of one
    m_map.Release();
    m_map.Create();
    m_map.LoadStage(20);
    g_pWindowMgr = &m_mgr;
}
