#include "net/handlers/meta_tables.h"

#include <string>

#include "data/meta_cache.h"
#include "data/premium_item_mgr.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "net/packet_reader.h"

IPremiumRequests& SessionPremiumRequests() {
    struct SessionRequests : IPremiumRequests {
        void SendListRequest() override { GameSession().SendPremiumListRequest(); }
        void SendTake(uint32_t first, uint32_t second) override {
            GameSession().SendPremiumItemTake(first, second);
        }
    };
    static SessionRequests requests;
    return requests;
}

void HandleMetaTables(CGameSession& session, uint8_t, CPacketReader& body) {
    if (!IsServerConnected() || !g_pMetaCache) return;
    CMetaCache& cache = *g_pMetaCache;
    switch (body.GetByte()) {
        case 0: {
            body.Skip(1);
            uint16_t count = body.GetWord();
            for (uint32_t n = 0; n < count; ++n) {
                std::string name = body.GetString();
                uint32_t crc = body.GetDword();
                if (body.Failed()) break;
                CMetaRecord* record = cache.FindTableByName(name);
                if (record) record->UpdateCrc();
                if (cache.IsWantedTable(name) && (!record || record->GetCrc() != crc))
                    session.RequestMetaTable(name.c_str());
            }
            break;
        }
        case 1: {
            body.Skip(1);
            std::string name = body.GetString();
            body.Skip(4);
            uint16_t length = body.GetWord();
            if (body.Failed() || body.Remaining() < length) break;
            cache.StoreTable(name, length, body.Current());
            break;
        }
        default:
            break;
    }
}
