#include "net/handlers/pastime_messages.h"

#include <memory>
#include <vector>

#include "core/config.h"
#include "data/game_hooks.h"
#include "data/text_format.h"
#include "data/text_tables.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "net/handlers/list_fields.h"
#include "net/handlers/server_windows.h"
#include "net/handlers/trade_messages.h"
#include "net/handlers/window_records.h"
#include "net/packet_reader.h"
#include "net/packet_writer.h"

namespace {

struct LobbyWindows {
    const char* list;
    const char* newRoom;
    const char* waitRoom;
};
constexpr LobbyWindows TJS_WINDOWS = {"TJS_ROOMLIST", "TJS_NEWROOM", "TJS_WAITROOM"};
constexpr LobbyWindows CTF_WINDOWS = {"CTF_ROOMLIST", "CTF_NEWROOM", "CTF_WAITROOM"};

constexpr char GAMBAMBO_WINDOW[] = "GAMBAMBO_WIN";
constexpr char FISHING_WINDOW[] = "Fishing_Window";
constexpr char COOKBOOK_WINDOW[] = "COOKING_COOKBOOK_WINDOW";

// The refusal of an invitation: [78][1][1][inviter][0].
constexpr uint8_t REQUEST_PASTIME = 78;

bool IsTjs(const CGameSession& session, uint8_t lobby) {
    return session.m_lobbies.m_tjsNumber == lobby;
}

void RoomList(CGameSession& session, CPacketReader& body) {
    const uint8_t lobby = body.GetByte();
    const bool tjs = body.GetByte() == 0;
    const bool flag = body.GetByte() != 0;
    const uint8_t count = body.GetByte();
    std::vector<std::unique_ptr<CMsgPayload>> rooms;
    for (uint8_t n = 0; n < count && !body.Failed(); ++n) {
        if (tjs) {
            auto room = std::make_unique<CTjsRoomMsg>();
            room->m_number = body.GetByte();
            body.GetString(room->m_title);
            room->m_a = body.GetByte() == 1;
            room->m_b = body.GetByte();
            room->m_c = body.GetDword();
            room->m_d = body.GetByte();
            room->m_e = body.GetByte();
            room->m_f = body.GetByte();
            room->m_g = body.GetByte();
            room->m_h = body.GetDword();
            room->m_i = body.GetByte();
            rooms.push_back(std::move(room));
        } else {
            auto room = std::make_unique<CCtfRoomMsg>();
            room->m_number = body.GetByte();
            body.GetString(room->m_title);
            room->m_a = body.GetByte();
            room->m_b = body.GetByte();
            room->m_c = body.GetDword();
            room->m_d = body.GetByte();
            room->m_e = body.GetByte();
            room->m_f = body.GetByte();
            room->m_g = body.GetByte();
            room->m_h = body.GetByte();
            rooms.push_back(std::move(room));
        }
    }
    if (body.Failed()) return;
    (tjs ? session.m_lobbies.m_tjsNumber : session.m_lobbies.m_ctfNumber) = lobby;
    (tjs ? session.m_lobbies.m_tjsFlag : session.m_lobbies.m_ctfFlag) = flag;
    const char* window = (tjs ? TJS_WINDOWS : CTF_WINDOWS).list;
    if (!FindOrCreateServerWindow(window, true)) return;
    if (!IsServerWindowVisible(window)) ShowServerWindow(window);
    PostToWindow(window, std::make_unique<CSignalMsg>(MSG_ROOM_LIST_RESET));
    for (std::unique_ptr<CMsgPayload>& room : rooms) PostToWindow(window, std::move(room));
}

void RoomAnswer(CGameSession& session, CPacketReader& body, bool newRoom) {
    const uint8_t lobby = body.GetByte();
    auto record = std::make_unique<CWindowResultMsg>(newRoom ? MSG_NEW_ROOM_ANSWER : MSG_JOIN_ROOM_ANSWER);
    record->m_result = body.GetByte();
    if (body.Failed()) return;
    const LobbyWindows& windows = IsTjs(session, lobby) ? TJS_WINDOWS : CTF_WINDOWS;
    PostToWindow(newRoom ? windows.newRoom : windows.list, std::move(record));
}

void WaitRoom(CGameSession& session, CPacketReader& body) {
    const uint8_t operation = body.GetByte();
    const bool tjs = IsTjs(session, body.GetByte());
    const char* window = (tjs ? TJS_WINDOWS : CTF_WINDOWS).waitRoom;
    switch (operation) {
        case 0: {
            auto record = std::make_unique<CWindowResultMsg>(MSG_WAIT_ROOM_ANSWER);
            record->m_result = body.GetByte();
            if (!body.Failed()) PostToWindow(window, std::move(record));
            break;
        }
        case 1:
        case 6: {
            auto record = std::make_unique<CWaitRoomMemberMsg>(operation == 1 ? MSG_WAIT_ROOM_MEMBER_FLAG
                                                                              : MSG_WAIT_ROOM_MEMBER_VALUE);
            body.GetString(record->m_name);
            const uint8_t value = body.GetByte();
            record->m_values[0] = operation == 1 ? uint8_t(value != 0) : value;
            if (body.Failed() || (operation == 6 && tjs)) return;
            PostToWindow(window, std::move(record));
            break;
        }
        case 3: {
            auto record = std::make_unique<CWindowNameMsg>(MSG_WAIT_ROOM_REMOVE);
            body.GetString(record->m_name);
            if (!body.Failed()) PostToWindow(window, std::move(record));
            break;
        }
        case 4: {
            const uint8_t count = body.GetByte();
            std::vector<std::unique_ptr<CWaitRoomMemberMsg>> members;
            for (uint8_t n = 0; n < count && !body.Failed(); ++n) {
                auto member = std::make_unique<CWaitRoomMemberMsg>(MSG_WAIT_ROOM_ADD_MEMBER);
                body.GetString(member->m_name);
                for (int v = 0; v < (tjs ? 4 : 5); ++v) member->m_values[v] = body.GetByte();
                members.push_back(std::move(member));
            }
            if (body.Failed() || !FindOrCreateServerWindow(window, true)) return;
            if (!IsServerWindowVisible(window))
                PostToWindow(window, std::make_unique<CSignalMsg>(MSG_WAIT_ROOM_ENTER));
            for (auto& member : members) PostToWindow(window, std::move(member));
            break;
        }
        case 5: {
            auto record = std::make_unique<CWindowTwoTextsMsg>(MSG_WAIT_ROOM_CHAT);
            body.GetString(record->m_first);
            body.GetString(record->m_second);
            if (!body.Failed()) PostToWindow(window, std::move(record));
            break;
        }
        default:
            break;
    }
}

// ---- Gambambo, fishing, cookbook ----

void Gambambo(CGameSession& session, CPacketReader& body) {
    const uint8_t subCode = body.GetByte();
    std::unique_ptr<CMsgPayload> record;
    uint32_t value = 0;
    uint8_t flag = 0;
    switch (subCode) {
        case 0:
            value = body.GetDword();
            break;
        case 1:
            value = body.GetDword();
            flag = body.GetByte();
            break;
        case 2: {
            auto item = std::make_unique<CExchangeItemMsg>();
            item->m_id = MSG_GAMBAMBO_ITEM;
            ParseExchangeItem(body, *item);
            record = std::move(item);
            break;
        }
        default: {
            if (subCode < 3 || subCode > 8) break;
            auto step = std::make_unique<CGambamboStepMsg>(MSG_GAMBAMBO_STEP);
            step->m_subCode = subCode;
            if (subCode != 7) step->m_a = body.GetByte();
            if (subCode == 3) step->m_b = body.GetByte();
            if (subCode == 4) step->m_value = body.GetDword();
            record = std::move(step);
            break;
        }
    }
    if (body.Failed()) return;
    FindOrCreateServerWindow(GAMBAMBO_WINDOW, true);
    if (subCode == 0) {
        if (g_options.GetByte(OPTION_REFUSE_GAMBAMBO)) {
            CPacketWriter refusal(REQUEST_PASTIME, 1, 1);
            refusal.PutDword(value).PutByte(0);
            session.QueueMessage(refusal);
        } else {
            auto invite = std::make_unique<CGambamboStepMsg>(MSG_GAMBAMBO_INVITE);
            invite->m_value = value;
            PostToGameScene(std::move(invite));
        }
    } else if (subCode == 1 && flag == 0) {
        char name[WINDOW_TEXT_SIZE] = {};
        if (!GameWorld().GetCharName(value, name, sizeof name)) CopyRecordText(name, UNKNOWN_USER);
        const std::string text =
            FormatTableText(GetTableText(GAMBAMBO_TEXT_TABLE, GAMBAMBO_TEXT_REFUSED_ROW), {name});
        ShowServerNotice(text.c_str());
    } else if (subCode == 1) {
        auto start = std::make_unique<CGambamboStepMsg>(MSG_GAMBAMBO_START);
        start->m_subCode = 1;
        start->m_value = value;
        PostToWindow(GAMBAMBO_WINDOW, std::move(start));
    } else if (record) {
        PostToWindow(GAMBAMBO_WINDOW, std::move(record));
    }
}

void Fishing(CPacketReader& body) {
    const uint8_t subCode = body.GetByte();
    const uint8_t flag = body.GetByte();
    auto record = std::make_unique<CWindowValuesMsg>(MSG_FISHING_STATE);
    switch (subCode) {
        case 0:
            record->m_a = 0;
            break;
        case 1:
            if (flag == 0) {
                record->m_a = 1;
            } else {
                record->m_id = MSG_FISHING_CATCH;
                record->m_a = body.GetByte();
                record->m_values[0] = body.GetWord();
                record->m_values[1] = body.GetWord();
            }
            break;
        case 3:
            record->m_id = MSG_FISHING_RESULT;
            record->m_a = flag;
            if (flag == 0) record->m_values[0] = body.GetDword();
            break;
        default:
            return;
    }
    if (body.Failed() || !FindServerWindow(FISHING_WINDOW)) return;
    PostToWindow(FISHING_WINDOW, std::move(record));
    if (subCode == 0 && flag != 0) ShowServerWindow(FISHING_WINDOW);
}

void Cookbook(CPacketReader& body) {
    auto record = std::make_unique<CWindowListMsg>(MSG_COOKBOOK_LIST);
    record->m_kind = body.GetByte();
    ReadDwordList(body, body.GetByte(), record->m_values);
    if (body.Failed() || (record->m_kind != 1 && record->m_kind != 2)) return;
    PostToWindow(COOKBOOK_WINDOW, std::move(record));
}

}  // namespace

void HandleRoomMessage(CGameSession& session, uint8_t, CPacketReader& body) {
    if (!IsServerConnected()) return;
    switch (body.GetByte()) {
        case 0:
            RoomList(session, body);
            break;
        case 1:
            RoomAnswer(session, body, true);
            break;
        case 2:
            RoomAnswer(session, body, false);
            break;
        case 3:
            WaitRoom(session, body);
            break;
        default:
            break;
    }
}

void HandleMiniGameMessage(CGameSession& session, uint8_t, CPacketReader& body) {
    if (!IsServerConnected()) return;
    switch (body.GetByte()) {
        case 1:
            Gambambo(session, body);
            break;
        case 2:
            Fishing(body);
            break;
        case 3:
            Cookbook(body);
            break;
        default:
            break;
    }
}
