#include "net/handlers/account_handlers.h"

#include <cmath>
#include <cstring>
#include <string>

#include "core/config.h"
#include "data/game_hooks.h"
#include "net/connection.h"
#include "net/handlers/handler_rules.h"
#include "net/handlers/login_records.h"
#include "net/handlers/server_windows.h"
#include "net/packet_fields.h"
#include "net/packet_reader.h"
#include "net/packet_writer.h"

static_assert(CCharListEntry::OPTIONAL_COUNT == OPTIONAL_VALUE_COUNT);

namespace {

constexpr char CHAR_SELECT_WINDOW[] = "CharSelectWindow";
constexpr char TITLE_WINDOW[] = "Z5_TITLE_WINDOW";
// The smallest server-list entry: id, address, port, an empty name, state.
constexpr size_t MIN_SERVER_ENTRY = 1 + 4 + 2 + 1 + 1;

// A decimal number as the server writes it: leading blanks, a sign, digits up
// to the first other character; the value kept in 32 bits (a number too large
// for a long saturates as it would there).
uint32_t ParseDecimal(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT32_MAX) {
            value = int64_t(INT32_MAX) + (negative ? 1 : 0);
            break;
        }
    }
    return uint32_t(negative ? -value : value);
}

}  // namespace

std::unique_ptr<CCharListMsg> ParseCharList(CPacketReader& body) {
    auto list = std::make_unique<CCharListMsg>();
    char account[CCharListMsg::ACCOUNT_SIZE];
    body.GetString(account);
    list->SetAccount(account);
    const uint8_t count = body.GetByte();
    for (uint8_t n = 0; n < count && !body.Failed(); ++n) {
        CCharListEntry entry;
        entry.m_charId = body.GetDword();
        entry.m_value = body.GetDword();
        entry.m_kind = body.GetByte();
        entry.m_mask = ReadOptionalValues(body, entry.m_optional);
        entry.m_byte = body.GetByte();
        body.GetBytes(entry.m_group, sizeof(entry.m_group));
        entry.m_value2 = body.GetDword();
        entry.m_value3 = body.GetDword();
        body.GetString(entry.m_name);
        list->AddChar(entry);  // the list holds more than a count byte can name
    }
    if (body.Failed()) return nullptr;
    return list;
}

void HandleCharList(CGameSession& session, uint8_t, CPacketReader& body) {
    if (!IsServerConnected()) return;
    std::unique_ptr<CCharListMsg> list = ParseCharList(body);
    if (!list) return;
    session.m_noticeFlag = 1;
    session.m_noticeValue = 1;
    session.m_loginPhase = CGameSession::PHASE_NOTICE;
    session.m_charList.reset();
    CMsgObject* window = FindServerWindow(CHAR_SELECT_WINDOW);
    if (window) {
        PostMessageTo(0, window, 0, MSG_CHAR_LIST, std::move(list), nullptr);
        return;
    }
    // The window takes it from the session when it opens.
    session.m_charList = std::move(list);
}

std::optional<std::vector<CServerListEntry>> ParseServerList(CPacketReader& body) {
    std::vector<CServerListEntry> entries;
    const uint8_t count = body.GetByte();
    entries.reserve(std::min<size_t>(count, body.Remaining() / MIN_SERVER_ENTRY));
    for (uint8_t n = 0; n < count && !body.Failed(); ++n) {
        CServerListEntry entry;
        entry.worldId = body.GetByte();
        // A big-endian number like every wire integer; its value is the
        // address in network order, handed to the connection unchanged.
        entry.address = body.GetDword();
        entry.port = body.GetWord();
        body.GetString(entry.name);
        entry.state = body.GetByte();
        entries.push_back(entry);
    }
    return Parsed(body, std::move(entries));
}

void HandleServerList(CGameSession& session, uint8_t, CPacketReader& body) {
    if (!IsServerConnected()) return;
    std::optional<std::vector<CServerListEntry>> entries = ParseServerList(body);
    if (!entries) return;
    session.m_serverList = std::move(*entries);
    PostToWindow(TITLE_WINDOW, std::make_unique<CServerListMsg>());
}

std::optional<std::vector<std::pair<uint8_t, uint8_t>>> ParseOptionSwitches(CPacketReader& body) {
    std::vector<std::pair<uint8_t, uint8_t>> pairs;
    const uint8_t count = body.GetByte();
    for (uint8_t n = 0; n < count && !body.Failed(); ++n) {
        const uint8_t key = body.GetByte();
        const uint8_t value = body.GetByte();
        pairs.emplace_back(key, value);
    }
    return Parsed(body, std::move(pairs));
}

void HandleOptionSwitches(CGameSession&, uint8_t, CPacketReader& body) {
    if (!IsServerConnected()) return;
    std::optional<std::vector<std::pair<uint8_t, uint8_t>>> pairs = ParseOptionSwitches(body);
    if (!pairs) return;
    for (const auto& [key, value] : *pairs) {
        switch (key) {
            case 1:
                if (value) g_options.SetByte(OPTION_THREE_STATE, 2);
                break;
            case 2:
                if (value) g_options.SetByte(OPTION_THREE_STATE, 0);
                break;
            case 3:
                if (value) g_options.SetByte(OPTION_THREE_STATE, 1);
                break;
            case 4:
                g_options.SetByte(OPTION_SWITCH_4, value != 0);
                break;
            case 5:
                g_options.SetByte(OPTION_SWITCH_5, value != 0);
                break;
            default:
                break;
        }
    }
}

std::optional<CSoundCue> ParseSoundCue(CPacketReader& body) {
    if (body.GetByte() != 0 || body.Failed()) return std::nullopt;
    CSoundCue cue;
    cue.m_soundId = body.GetWord();
    cue.m_tileX = body.GetWord();
    cue.m_tileY = body.GetWord();
    return Parsed(body, std::move(cue));
}

std::pair<int32_t, int32_t> SoundPoint(int32_t x, int32_t y, int32_t width, int32_t height) {
    const double middleX = width / 2, middleY = height / 2;
    const double distance = std::hypot(x - middleX, y - middleY);
    if (distance <= SOUND_RADIUS) return {x, y};
    return {int32_t((x - middleX) / distance * SOUND_RADIUS + middleX),
            int32_t((y - middleY) / distance * SOUND_RADIUS + middleY)};
}

void HandleSoundCue(CGameSession&, uint8_t, CPacketReader& body) {
    if (!IsServerConnected()) return;
    std::optional<CSoundCue> cue = ParseSoundCue(body);
    if (!cue) return;
    IGameWorldHooks& world = GameWorld();
    if (!world.HasMap() || !world.HasSoundMgr()) return;
    if (cue->m_tileX == 0 && cue->m_tileY == 0) {
        world.PlaySoundEffect(cue->m_soundId, -1, -1);
        return;
    }
    const auto [screenX, screenY] = world.TileToScreen(cue->m_tileX, cue->m_tileY);
    const auto [x, y] = SoundPoint(screenX, screenY, g_config.m_screenWidth, g_config.m_screenHeight);
    world.PlaySoundEffect(cue->m_soundId, x, y);
}

std::optional<CPremiumNotice> ParsePremiumNotice(CPacketReader& body) {
    CPremiumNotice notice;
    notice.m_form = body.GetByte();
    if (notice.m_form == 0) {
        const uint8_t count = body.GetByte();
        for (uint8_t n = 0; n < count && !body.Failed(); ++n) {
            CPremiumAnnouncement item;
            item.m_first = body.GetDword();
            item.m_second = body.GetDword();
            item.m_itemId = ParseDecimal(body.GetString());
            item.m_count = body.GetWord();
            item.m_value = body.GetWord();
            item.m_list = body.GetByte();
            if (item.m_list != 0) {
                char text[CPremiumEntry::TEXT_SIZE];
                body.GetString(text);
                item.m_text1 = text;
                body.GetString(text);
                item.m_text2 = text;
            }
            notice.m_items.push_back(std::move(item));
        }
    }
    return Parsed(body, std::move(notice));
}

void HandlePremiumNotice(CGameSession&, uint8_t, CPacketReader& body) {
    if (!IsServerConnected()) return;
    std::optional<CPremiumNotice> notice = ParsePremiumNotice(body);
    if (!notice || !g_pPremiumItemNotifyMgr) return;
    switch (notice->m_form) {
        case 0:
            g_pPremiumItemNotifyMgr->SetEntries(notice->m_items);
            break;
        case 1:
            g_pPremiumItemNotifyMgr->RequestRefresh();
            break;
        case 2:
            g_pPremiumItemNotifyMgr->RequestShow();
            break;
        default:
            break;
    }
}

void HandleNameMessage(CGameSession&, uint8_t code, CPacketReader& body) {
    if (!IsServerConnected()) return;
    GameWorld().ParseCharMessage(code, body.Current(), body.Remaining());
}

std::vector<uint8_t> WriteCharList(const char* account, const std::vector<CCharListEntry>& entries) {
    CMessageWriter message(SERVER_CHAR_LIST);
    const size_t count = std::min<size_t>(entries.size(), 255);
    message.PutText(account).PutByte(uint8_t(count));
    for (size_t n = 0; n < count; ++n) {
        const CCharListEntry& entry = entries[n];
        message.PutDword(entry.m_charId).PutDword(entry.m_value).PutByte(entry.m_kind).PutWord(entry.m_mask);
        for (int bit = 0; bit < CCharListEntry::OPTIONAL_COUNT; ++bit)
            if (entry.m_mask & (1u << bit)) message.PutDword(uint32_t(entry.m_optional[bit]));
        message.PutByte(entry.m_byte).PutBytes(entry.m_group, sizeof entry.m_group);
        message.PutDword(entry.m_value2).PutDword(entry.m_value3).PutText(entry.m_name);
    }
    return message.Take();
}

std::vector<uint8_t> WriteServerList(const std::vector<CServerListEntry>& entries) {
    CMessageWriter message(SERVER_SERVER_LIST);
    const size_t count = std::min<size_t>(entries.size(), 255);
    message.PutByte(uint8_t(count));
    for (size_t n = 0; n < count; ++n) {
        const CServerListEntry& entry = entries[n];
        message.PutByte(entry.worldId).PutDword(entry.address).PutWord(entry.port);
        message.PutText(entry.name).PutByte(entry.state);
    }
    return message.Take();
}
