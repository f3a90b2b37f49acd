#include "net/handlers/inline_messages.h"

#include <cstdlib>
#include <ctime>
#include <memory>

#include "core/util.h"
#include "data/char_resource_mgr.h"
#include "data/game_hooks.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "net/handlers/handler_rules.h"
#include "net/handlers/login_records.h"
#include "net/handlers/map_records.h"
#include "net/handlers/server_windows.h"
#include "net/packet_reader.h"
#include "net/packet_writer.h"
#include "platform/url.h"

namespace {

uint32_t g_randomSeedings = 0;

// A text of length count (read before it), whole.
std::string GetCountedText(CPacketReader& body, size_t count) {
    std::string text;
    if (!body.Failed() && body.Remaining() >= count)
        text.assign(reinterpret_cast<const char*>(body.Current()), count);
    body.Skip(count);
    return text;
}

// Only web-page addresses are handed on; anything else counts as none.
std::string WebAddressOrNone(std::string address) {
    return plat::IsWebAddress(address) ? address : std::string();
}

}  // namespace

uint32_t RandomSeedings() {
    return g_randomSeedings;
}

void HandlePlayerPosition(CGameSession&, uint8_t, CPacketReader& body) {
    auto record = std::make_unique<CPlayerPositionMsg>();
    record->m_tileX = body.GetWord();
    record->m_tileY = body.GetWord();
    if (body.Failed()) return;
    GameWorld().PostCharRecord(std::move(record), 0);
    RearmConnection();
}

void HandleTimeEcho(CGameSession& session, uint8_t, CPacketReader& body) {
    const uint32_t value = body.GetDword();
    if (body.Failed()) return;
    session.SendTimeEcho(value);
    RearmConnection();
}

void HandleRequest118(CGameSession& session, uint8_t, CPacketReader&) {
    if (g_randomSeedings == 0) {
        std::srand(unsigned(std::time(nullptr)));
        ++g_randomSeedings;
    }
    session.SendRequest118();
}

std::optional<CWebMessage> ParseWebMessage(CPacketReader& body) {
    CWebMessage message;
    message.m_sub = body.GetByte();
    switch (message.m_sub) {
        case 1:
            message.m_address = GetCountedText(body, body.GetWord());
            message.m_text = GetCountedText(body, body.GetWord());
            break;
        case 2:
            message.m_address = GetCountedText(body, body.GetByte());
            break;
        case 3:
            message.m_address = GetCountedText(body, body.GetWord());
            break;
        default:
            break;
    }
    return Parsed(body, std::move(message));
}

void HandleWebMessage(CGameSession& session, uint8_t, CPacketReader& body) {
    if (!IsServerConnected()) return;
    std::optional<CWebMessage> message = ParseWebMessage(body);
    if (!message) return;
    switch (message->m_sub) {
        case 1:
            // The box shows whatever the answer; only a web address is opened.
            AskToOpenPage(message->m_text.c_str(), WebAddressOrNone(message->m_address).c_str());
            break;
        case 2: {
            const std::string page = WebAddressOrNone(message->m_address);
            CopyDbcsPrefix(page.c_str(), sizeof(session.m_newAccountPage) - 1, session.m_newAccountPage);
            break;
        }
        case 3: {
            std::string page = WebAddressOrNone(message->m_address);
            if (page.empty()) break;
            auto record = std::make_unique<COpenWebPageMsg>();
            record->m_address = std::move(page);
            PostToGameScene(std::move(record));
            break;
        }
        default:
            break;
    }
}

void HandleFieldValue(CGameSession&, uint8_t, CPacketReader& body) {
    const uint16_t value = body.GetWord();
    if (body.Failed()) return;
    IGameWorldHooks& world = GameWorld();
    if (world.HasMap()) world.SetFieldValue(value);
}

void HandleGameOver(CGameSession&, uint8_t, CPacketReader& body) {
    auto record = std::make_unique<CGameOverMsg>();
    record->m_value = body.GetByte();
    if (body.Failed()) return;
    GameWorld().PostCharRecord(std::move(record), 0);
}

void HandlePlayerFlag(CGameSession&, uint8_t, CPacketReader& body) {
    auto record = std::make_unique<CPlayerFlagMsg>();
    record->m_flag = body.GetByte() != 0 ? 1 : 0;
    if (body.Failed()) return;
    GameWorld().PostCharRecord(std::move(record), 0);
}

// The register's kind of an id decides who lets the object go: a character
// (kinds 0-3) leaves the character manager; a map object (6), an area marker
// (9) or a server object (10) leaves the map, which takes them only while it
// holds a loaded map. The id leaves the register either way.
void HandleObjectLeaves(CGameSession&, uint8_t, CPacketReader& body) {
    const uint32_t id = body.GetDword();
    if (body.Failed()) return;
    const CIdFlag* entry = g_pCharResourceMgr ? g_pCharResourceMgr->FindIdFlag(id) : nullptr;
    if (entry) {
        IGameWorldHooks& world = GameWorld();
        const uint8_t kind = entry->m_flag;
        if (kind <= ID_KIND_LAST_CHAR) {
            CObjectGoneMsg record;
            record.Set(id);
            world.HandleCharRecord(record);
        } else if (world.HasMapData()) {
            std::unique_ptr<CMapIdMsg> record;
            if (kind == ID_KIND_MAP_OBJECT)
                record = std::make_unique<CObjectGoneMsg>();
            else if (kind == ID_KIND_AREA_MARKER)
                record = std::make_unique<CAreaMarkerGoneMsg>();
            else if (kind == ID_KIND_SERVER_OBJECT)
                record = std::make_unique<CServerObjectGoneMsg>();
            if (record) {
                record->Set(id);
                world.HandleMapMessage(*record);
            }
        }
        g_pCharResourceMgr->RemoveIdFlag(id);
    }
    RearmConnection();
}

void HandleMapObjectMoves(CGameSession&, uint8_t, CPacketReader& body) {
    const uint32_t id = body.GetDword();
    const uint16_t x = body.GetWord();
    const uint16_t y = body.GetWord();
    if (body.Failed()) return;
    if (g_pCharResourceMgr) g_pCharResourceMgr->RemoveIdFlag(id);
    CObjectToFieldMsg record;
    record.Set(id, x, y);
    GameWorld().HandleMapMessage(record);
}

std::vector<uint8_t> WritePlayerPosition(uint16_t tileX, uint16_t tileY) {
    return CMessageWriter(SERVER_PLAYER_POSITION).PutWord(tileX).PutWord(tileY).Take();
}

std::vector<uint8_t> WriteObjectLeaves(uint32_t objectId) {
    return CMessageWriter(SERVER_OBJECT_LEAVES).PutDword(objectId).Take();
}

std::vector<uint8_t> WriteTimeEcho(uint32_t value) {
    return CMessageWriter(SERVER_TIME_ECHO).PutDword(value).Take();
}

std::vector<uint8_t> WriteRequest118() {
    return CMessageWriter(SERVER_REQUEST_118).Take();
}
