#include "net/handlers/meta_tables.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "data/meta_cache.h"
#include "net/game_session.h"
#include "tests/net/net_fixture.h"
#include "tests/support/meta_fixtures.h"
#include "tests/support/temp_dir.h"

namespace {

using nettest::Bytes;

Bytes B(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

class TableMessagesTest : public nettest::ScriptedConnectionTest {
protected:
    void SetUp() override {
        ScriptedConnectionTest::SetUp();
        m_cache = new CMetaCache(m_dir.Path() + "/QM_MCache.DAT");
        g_pMetaCache = m_cache;
        InstallPacketHandlers(m_session);
    }
    void TearDown() override {
        g_pMetaCache = nullptr;
        delete m_cache;
        ScriptedConnectionTest::TearDown();
    }
    // Connected, past the greeting, writable.
    void Ready() {
        ConnectFramed();
        m_session.SetWritable(1);
        m_session.m_loginPhase = CGameSession::PHASE_GREETED;
    }
    void Dispatch(const Bytes& message) { m_session.DispatchPacket(message.data(), message.size()); }
    // Every queued request, as the server receives them.
    std::vector<Bytes> Sent() {
        for (size_t n = m_session.QueuedMessages(); n > 0; --n) m_session.FlushSendBuffer();
        return ServerDecode(PeerReceived());
    }
    static Bytes Request(const std::string& name) {
        Bytes r = {15, 2, 1, uint8_t(name.size())};
        r.insert(r.end(), name.begin(), name.end());
        return r;
    }
    static Bytes Announce(const std::vector<std::pair<std::string, uint32_t>>& entries) {
        Bytes m = {SERVER_META_TABLES, 0, 7, uint8_t(entries.size() >> 8), uint8_t(entries.size())};
        for (const auto& [name, crc] : entries) {
            m.push_back(uint8_t(name.size()));
            m.insert(m.end(), name.begin(), name.end());
            for (int n = 3; n >= 0; --n) m.push_back(uint8_t(crc >> (8 * n)));
        }
        return m;
    }
    static Bytes TableMessage(const std::string& name, const Bytes& data) {
        Bytes stream = qmtest::Deflate(data);
        Bytes m = {SERVER_META_TABLES, 1, 7, uint8_t(name.size())};
        m.insert(m.end(), name.begin(), name.end());
        m.insert(m.end(), {9, 9, 9, 9, uint8_t(stream.size() >> 8), uint8_t(stream.size())});
        m.insert(m.end(), stream.begin(), stream.end());
        return m;
    }

    qmtest::TempDir m_dir;
    CMetaCache* m_cache = nullptr;
    CGameSession m_session;
};

TEST_F(TableMessagesTest, AnnouncementAsksForMissingAndChangedWantedTables) {
    Ready();
    const Bytes warp = B("\"a\""), cook = B("rows");
    qmtest::PutMetaTable(*m_cache, "TeamWarp.meta", warp);
    qmtest::PutMetaTable(*m_cache, "Manufactures_Cook.meta", cook);
    const uint32_t warpCrc = uint32_t(crc32(0, warp.data(), uInt(warp.size())));
    const uint32_t cookCrc = uint32_t(crc32(0, cook.data(), uInt(cook.size())));

    Dispatch(Announce({{"TEAMWARP.meta", warpCrc},               // same copy: nothing
                       {"Manufactures_Cook.meta", cookCrc + 1},  // changed: asked for
                       {"EquipmentAbility.meta", 5},             // missing: asked for
                       {"Unwanted.meta", 1}}));                  // not wanted, even though missing
    EXPECT_EQ(Sent(),
              (std::vector<Bytes>{Request("Manufactures_Cook.meta"), Request("EquipmentAbility.meta")}));

    // Once the changed table arrived, the same announcement asks for nothing.
    Dispatch(TableMessage("Manufactures_Cook.meta", B("new rows")));
    const Bytes newCook = B("new rows");
    Dispatch(
        Announce({{"Manufactures_Cook.meta", uint32_t(crc32(0, newCook.data(), uInt(newCook.size())))}}));
    EXPECT_TRUE(Sent().empty());
}

TEST_F(TableMessagesTest, ReceivedTableIsStored) {
    Ready();
    Dispatch(TableMessage("EquipmentAbility.meta", B("ability rows")));
    const CMetaRecord* record = m_cache->FindTableByName("EquipmentAbility.meta");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(Bytes(record->GetData(), record->GetData() + record->GetSize()), B("ability rows"));
    EXPECT_TRUE(m_cache->IsDirty());
}

TEST_F(TableMessagesTest, CutMessagesAndOtherFormsAreDropped) {
    Ready();
    Bytes table = TableMessage("TeamWarp.meta", B("\"x\""));
    Bytes cutTable(table.begin(), table.end() - 1);
    Dispatch(cutTable);
    Dispatch(Bytes{SERVER_META_TABLES, 1, 7, 40, 'T'});  // the name runs past the end
    Dispatch(Bytes{SERVER_META_TABLES, 2, 0, 0, 1});
    Dispatch(Bytes{SERVER_META_TABLES});
    EXPECT_EQ(m_cache->GetRecordCount(), 0u);

    // The list ends at the last whole entry.
    Bytes announce = Announce({{"TeamWarp.meta", 1}, {"EquipmentAbility.meta", 2}});
    announce.resize(announce.size() - 2);
    Dispatch(announce);
    EXPECT_EQ(Sent(), std::vector<Bytes>{Request("TeamWarp.meta")});
    // A count larger than the entries there are.
    Bytes more = Announce({{"TeamWarp.meta", 1}});
    more[4] = 200;
    Dispatch(more);
    EXPECT_EQ(Sent(), std::vector<Bytes>{Request("TeamWarp.meta")});
}

TEST_F(TableMessagesTest, NothingWhileDisconnected) {
    Dispatch(Announce({{"TeamWarp.meta", 1}}));
    Dispatch(TableMessage("TeamWarp.meta", B("\"x\"")));
    EXPECT_EQ(m_cache->GetRecordCount(), 0u);
    EXPECT_EQ(m_session.QueuedMessages(), 0u);
}

}  // namespace
