#include "net/handlers/play_messages.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "data/game_hooks.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "net/handlers/char_records.h"
#include "net/handlers/list_fields.h"
#include "net/handlers/server_windows.h"
#include "net/handlers/window_records.h"
#include "net/packet_reader.h"

namespace {

constexpr char TEAM_WINDOW[] = "TEAM_WINDOW";
constexpr char TRADE_WINDOW[] = "TRADE_WINDOW";
constexpr char NPC_MENU_WINDOW[] = "NPC_FUNCTION_SELECT_WIN";
constexpr char COMBO_SETUP_WINDOW[] = "COMBO_SETUP_WINDOW";

// The member block; false for a detail form that is not known.
bool GetMember(CPacketReader& body, CPartyMember& member) {
    body.GetString(member.m_name);
    member.m_kind = body.GetByte();
    member.m_detailForm = body.GetByte();
    member.m_value = body.GetDword() + PARTY_VALUE_BASE;
    member.m_level = body.GetByte();
    switch (member.m_detailForm) {
        case 0:
            member.m_extraValue = body.GetDword();
            return true;
        case 1:
        case 2:
            body.GetString(member.m_text);
            return true;
        case 3:
            member.m_byte = body.GetByte();
            for (uint16_t& w : member.m_words) w = body.GetWord();
            return true;
        default:
            return false;
    }
}

void Party(CGameSession& session, CPacketReader& body) {
    const uint8_t form = body.GetByte();
    char text[WINDOW_TEXT_SIZE] = {};
    uint8_t value = 0;
    CPartyMember member;
    switch (form) {
        case 1:
        case 2:
        case 6:
        case 9:
            body.GetString(text);
            break;
        case 4:
        case 10:
            body.GetString(text);
            value = body.GetByte();
            break;
        case 5:
        case 7:
            if (!GetMember(body, member)) return;
            break;
        case 3:
        case 8:
            break;
        default:
            return;
    }
    if (body.Failed()) return;
    if (form == 10) {
        GameWorld().PlayTableSound(text, value);
        return;
    }
    const bool window = FindAnyServerWindow(TEAM_WINDOW) != nullptr;
    if (!window) {
        if (!session.m_party) session.m_party = GameWorld().MakePartyList();
        IPartyList* party = session.m_party.get();
        if (!party) return;
        switch (form) {
            case 4: {
                char leader[PARTY_LEADER_NAME_MAX + 1];
                CopyRecordText(leader, text);
                party->SetLeader(leader, value);
                break;
            }
            case 5:
                party->AddOrUpdateMember(member);
                break;
            case 6:
                party->RemoveMember(text);
                break;
            case 7:
                party->UpdateMember(member);
                break;
            case 9:
                party->PromoteMember(text);
                break;
            default:
                break;
        }
        return;
    }
    std::unique_ptr<CMsgPayload> record;
    switch (form) {
        case 1:
        case 2:
        case 4: {
            auto teamText = std::make_unique<CTeamTextMsg>(form == 4 ? MSG_TEAM_LEADER : MSG_TEAM_TEXT);
            teamText->m_form = form;
            CopyRecordText(teamText->m_text, text);
            teamText->m_value = value;
            record = std::move(teamText);
            break;
        }
        case 3:
            record = std::make_unique<CSignalMsg>(MSG_TEAM_FORM3);
            break;
        case 5:
        case 7: {
            auto teamMember =
                std::make_unique<CTeamMemberMsg>(form == 5 ? MSG_TEAM_ADD_MEMBER : MSG_TEAM_UPDATE_MEMBER);
            teamMember->m_member = member;
            record = std::move(teamMember);
            break;
        }
        case 6:
        case 9: {
            auto name =
                std::make_unique<CWindowNameMsg>(form == 6 ? MSG_TEAM_REMOVE_MEMBER : MSG_TEAM_PROMOTE);
            CopyRecordText(name->m_name, text);
            record = std::move(name);
            break;
        }
        case 8:
            record = std::make_unique<CSignalMsg>(MSG_TEAM_FORM8);
            break;
        default:
            return;
    }
    if (form == 2 || form == 3) OpenServerWindow(TEAM_WINDOW);
    // The party window may be a child window: its port is reached directly.
    CMsgObject* target = FindAnyServerWindow(TEAM_WINDOW);
    const uint32_t id = record->m_id;
    PostMessageTo(0, target, 0, id, std::move(record), nullptr);
}

void Store(CPacketReader& body) {
    const uint8_t form = body.GetByte();
    switch (form) {
        case 0: {
            auto record = std::make_unique<CStoreOpenMsg>();
            body.GetString(record->m_owner);
            record->m_a = body.GetWord();
            record->m_flag = body.GetByte() != 0;
            const uint8_t count = body.GetByte();
            for (uint8_t n = 0; n < count && !body.Failed(); ++n) {
                const uint32_t value = body.GetDword();
                if (record->m_values.size() < CStoreOpenMsg::MAX_VALUES) record->m_values.push_back(value);
            }
            if (!body.Failed()) PostToGameScene(std::move(record));
            break;
        }
        case 1: {
            auto record = std::make_unique<CStoreNoticeMsg>();
            record->m_flag = body.GetByte() != 0;
            body.GetString(record->m_text);
            if (!body.Failed()) PostToGameScene(std::move(record));
            break;
        }
        case 2:
            HideServerWindow(TRADE_WINDOW);
            HideServerWindow(NPC_MENU_WINDOW);
            break;
        case 3:
        case 4: {
            char text[WINDOW_TEXT_SIZE];
            body.GetString(text);
            if (!body.Failed()) ShowServerNotice(text);
            break;
        }
        case 5: {
            auto record = std::make_unique<CStoreItemsMsg>();
            const uint8_t count = body.GetByte();
            for (uint8_t n = 0; n < count && !body.Failed(); ++n) {
                CStoreEntry entry;
                entry.m_a = body.GetWord();
                entry.m_b = body.GetWord();
                entry.m_value = body.GetDword();
                if (record->m_entries.size() < CStoreItemsMsg::MAX_ENTRIES)
                    record->m_entries.push_back(entry);
            }
            if (!body.Failed()) PostToGameScene(std::move(record));
            break;
        }
        case 6:
            PostToGameScene(std::make_unique<CSignalMsg>(MSG_STORE_CLOSE));
            break;
        default:
            break;
    }
}

void Timer(CPacketReader& body) {
    const uint8_t form = body.GetByte();
    if (form > 1) return;
    auto record = std::make_unique<CTimerMsg>();
    body.GetString(record->m_name);
    if (form == 0)
        record->m_value = body.GetDword();
    else
        record->m_action = uint16_t(body.GetByte() + 1);
    if (!body.Failed()) PostToWindowMgr(std::move(record));
}

void Combo(CPacketReader& body) {
    const uint8_t form = body.GetByte();
    if (form == 0) {
        auto record = std::make_unique<CComboOptionsMsg>();
        const uint8_t flags = body.GetByte();
        for (int bit = 1; bit <= 4; ++bit) record->m_bits[bit - 1] = (flags >> bit) & 1;
        if (!body.Failed()) PostToWindow(COMBO_SETUP_WINDOW, std::move(record));
    } else if (form == 1) {
        const uint8_t detail = body.GetByte();
        if (detail == 2) {
            const uint32_t a = body.GetDword();
            const uint32_t charId = body.GetDword();
            const uint16_t b = body.GetWord();
            const uint16_t c = body.GetWord();
            if (body.Failed() || GameWorld().HandOverCombo(charId, b, c)) return;
            auto record = std::make_unique<CComboTargetMsg>();
            record->Set(a, charId, b, c);
            GameWorld().PostCharRecord(std::move(record), COMBO_DELAY);
        } else if (detail == 4) {
            const uint32_t a = body.GetDword();
            const uint8_t count = body.GetByte();
            std::vector<uint32_t> first(count), second(count);
            for (uint8_t n = 0; n < count; ++n) {
                first[n] = body.GetDword();
                second[n] = body.GetDword();
            }
            if (body.Failed() || count == 0) return;
            auto record = std::make_unique<CComboListMsg>();
            record->Set(a, count, first.data(), second.data());
            GameWorld().PostCharRecord(std::move(record), COMBO_DELAY);
        }
    } else if (form == 2) {
        const uint8_t a = body.GetByte();
        const uint8_t b = body.GetByte();
        const uint8_t c = body.GetByte();
        if (body.Failed()) return;
        auto record = std::make_unique<CPlayerValuesMsg>();
        record->Set(a, b, c);
        GameWorld().PostCharRecord(std::move(record), 0);
    }
}

void EventLog(CPacketReader& body) {
    const uint8_t form = body.GetByte();
    if (form == 1) {
        auto record = std::make_unique<CEventLogTableMsg>();
        record->m_group = body.GetByte();
        const uint8_t count = body.GetByte();
        record->m_count = count;
        for (uint8_t n = 0; n < count && !body.Failed(); ++n) {
            record->m_keys[n] = body.GetByte();
            record->m_values[n] = body.GetByte();
        }
        if (!body.Failed()) PostToWindowMgr(std::move(record));
    } else if (form == 2) {
        auto record = std::make_unique<CEventLogValueMsg>();
        record->m_group = body.GetByte();
        const uint8_t detail = body.GetByte();
        if (detail != 1) return;
        record->m_key = body.GetByte();
        record->m_value = body.GetByte();
        if (!body.Failed()) PostToWindowMgr(std::move(record));
    } else if (form == 3) {
        auto record = std::make_unique<CEventLogLinesMsg>();
        record->m_a = body.GetByte();
        const uint8_t count = body.GetByte();
        // The first on the wire lands last among those kept.
        const uint8_t kept = uint8_t(std::min<size_t>(count, CEventLogLinesMsg::MAX_LINES));
        record->m_count = kept;
        for (uint8_t n = 0; n < count && !body.Failed(); ++n) {
            const uint32_t date = body.GetDword();
            char text[WINDOW_TEXT_SIZE];
            body.GetString(text);
            if (n >= kept) continue;
            record->m_values[kept - 1 - n] = date;
            CopyRecordText(record->m_texts[kept - 1 - n], text);
        }
        if (!body.Failed()) PostToWindowMgr(std::move(record));
    }
}

}  // namespace

void HandlePartyMessage(CGameSession& session, uint8_t, CPacketReader& body) {
    if (IsServerConnected()) Party(session, body);
}

void HandleStoreMessage(CGameSession&, uint8_t, CPacketReader& body) {
    if (IsServerConnected()) Store(body);
}

void HandleTimerMessage(CGameSession&, uint8_t, CPacketReader& body) {
    if (IsServerConnected()) Timer(body);
}

void HandleComboMessage(CGameSession&, uint8_t, CPacketReader& body) {
    if (IsServerConnected()) Combo(body);
}

void HandleEventLogMessage(CGameSession&, uint8_t, CPacketReader& body) {
    EventLog(body);
}
