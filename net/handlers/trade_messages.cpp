#include "net/handlers/trade_messages.h"

#include <memory>
#include <vector>

#include "net/connection.h"
#include "net/handlers/handler_rules.h"
#include "net/handlers/list_fields.h"
#include "net/handlers/server_windows.h"
#include "net/handlers/window_records.h"
#include "net/packet_fields.h"
#include "net/packet_reader.h"
#include "net/packet_writer.h"

namespace {

constexpr char EXCHANGE_WINDOW[] = "ITEM_EXCHANGE_WINDOW";
constexpr char TRADE_WINDOW[] = "TRADE_WINDOW";
constexpr char NPC_MENU_WINDOW[] = "NPC_FUNCTION_SELECT_WIN";
constexpr char HEAL_WINDOW[] = "NPCHEALWIN";
constexpr char DEPOSIT_WINDOW[] = "DepositWindow";
constexpr char CLUB_DEPOSIT_WINDOW[] = "CLUB_DEPOSIT_WINDOW";
constexpr char FIGHT_WAIT_WINDOW[] = "FightClub_WaitWin";
constexpr char CVC_WAIT_WINDOW[] = "FightClubCVCWaitWin";
constexpr char FIGHT_MANAGER_WINDOW[] = "FightClub_Manager";
constexpr char FIGHT_CONFIG_WINDOW[] = "FightClub_Config";
constexpr const char* FIGHT_WINDOWS[] = {FIGHT_WAIT_WINDOW, FIGHT_MANAGER_WINDOW, FIGHT_CONFIG_WINDOW,
                                         CVC_WAIT_WINDOW};

constexpr int EXCHANGE_OPTIONS = 13;
constexpr int EXCHANGE_OPTION_UNUSED = 10;

void ToItemRecord(const CNumberList& numbers, CItemRecord& record) {
    record.m_byte0 = numbers.limit;
    record.m_byte1 = numbers.kept;
    record.m_value0 = numbers.numbers[0];
    record.m_value1 = numbers.numbers[1];
    record.m_value2 = numbers.numbers[2];
}

// ---- 66 ----

std::unique_ptr<CMsgPayload> ParseExchange(uint8_t subCode, CPacketReader& body) {
    switch (subCode) {
        case 0:
        case 3: {
            auto record =
                std::make_unique<CExchangeValuesMsg>(subCode == 0 ? MSG_EXCHANGE_PAIR : MSG_EXCHANGE_VALUE);
            if (subCode == 3) record->m_byte = body.GetByte();
            record->m_values[0] = body.GetDword();
            if (subCode == 0) record->m_values[1] = body.GetDword();
            return IfWhole(body, std::move(record));
        }
        case 2: {
            auto record = std::make_unique<CExchangeItemMsg>();
            ParseExchangeItem(body, *record);
            return IfWhole(body, std::move(record));
        }
        case 4:
        case 6: {
            const uint8_t value = body.GetByte();
            char text[WINDOW_TEXT_SIZE];
            body.GetString(text);
            auto record = std::make_unique<CExchangeTextMsg>();
            record->Set(value, subCode == 4 ? 0 : 1, text);
            return IfWhole(body, std::move(record));
        }
        case 5: {
            auto record = std::make_unique<CExchangeValuesMsg>(MSG_EXCHANGE_BYTE);
            record->m_byte = body.GetByte();
            return IfWhole(body, std::move(record));
        }
        default:
            return nullptr;
    }
}

// ---- 106 ----

constexpr size_t FIRST_LIST_ITEM_MIN = 35;
constexpr size_t SECOND_LIST_ITEM_MIN = 27;
constexpr size_t THIRD_LIST_ITEM_MIN = 25;
constexpr size_t DEPOSIT_LIST_ITEM_MIN = 19;

void GetItemTail(CPacketReader& body, CTradeItem& item) {
    body.GetString(item.m_name);
    PackDateTime(item.m_expiry, body);
}

void GetNumbers(CPacketReader& body, CTradeItem& item) {
    ReadNumberList(item.m_values[0], 1, &item.m_numbers, body);
}

// List 1: [u16][u32][u8][name][expiry][u8][u8][u32][u16][u16], 12 bytes, numbers.
void GetFirstListItem(CPacketReader& body, CTradeItem& item) {
    item.m_words[0] = body.GetWord();
    item.m_values[0] = body.GetDword();
    item.m_bytes[0] = body.GetByte();
    GetItemTail(body, item);
    item.m_bytes[1] = body.GetByte();
    item.m_bytes[2] = body.GetByte();
    item.m_values[1] = body.GetDword();
    item.m_words[1] = body.GetWord();
    item.m_words[2] = body.GetWord();
    for (int n = 3; n < 15; ++n) item.m_bytes[n] = body.GetByte();
    GetNumbers(body, item);
}

// Lists 2 and 3: [u16][u32][u32][u8][name][expiry][u8 flag] (flag 0: [u8]),
// then list 2: [u16][u16][u32][u8]; list 3: [u8][u8][u32][u8]; numbers.
void GetLaterListItem(CPacketReader& body, CTradeItem& item, bool second) {
    item.m_words[0] = body.GetWord();
    item.m_values[0] = body.GetDword();
    item.m_values[1] = body.GetDword();
    item.m_bytes[0] = body.GetByte();
    GetItemTail(body, item);
    item.m_bytes[1] = body.GetByte();
    if (item.m_bytes[1] == 0) item.m_bytes[2] = body.GetByte();
    if (second) {
        item.m_words[1] = body.GetWord();
        item.m_words[2] = body.GetWord();
    } else {
        item.m_bytes[3] = body.GetByte();
        item.m_bytes[4] = body.GetByte();
    }
    item.m_values[2] = body.GetDword();
    item.m_bytes[5] = body.GetByte();
    GetNumbers(body, item);
}

// The deposit list: [u8][u32][u32][u8][name][expiry][u16][u8], numbers.
void GetDepositListItem(CPacketReader& body, CTradeItem& item) {
    item.m_bytes[0] = body.GetByte();
    item.m_values[0] = body.GetDword();
    item.m_values[1] = body.GetDword();
    item.m_bytes[1] = body.GetByte();
    GetItemTail(body, item);
    item.m_words[0] = body.GetWord();
    item.m_bytes[2] = body.GetByte();
    GetNumbers(body, item);
}

// [u16 count] and count items, read whole; null when the message is short.
std::unique_ptr<CTradeListMsg> ParseTradeList(CPacketReader& body, uint8_t list, bool flag) {
    auto record = std::make_unique<CTradeListMsg>();
    record->m_list = list;
    record->m_flag = flag;
    if (list == 4) {
        record->m_headerByte = body.GetByte();
        record->m_headerValue = body.GetDword();
    }
    const uint16_t count = body.GetWord();
    static constexpr size_t kMinimum[] = {0, FIRST_LIST_ITEM_MIN, SECOND_LIST_ITEM_MIN, THIRD_LIST_ITEM_MIN,
                                          DEPOSIT_LIST_ITEM_MIN};
    if (!CountFits(body, count, kMinimum[list])) return nullptr;
    record->m_items.resize(count);
    for (CTradeItem& item : record->m_items) {
        if (list == 1)
            GetFirstListItem(body, item);
        else if (list == 4)
            GetDepositListItem(body, item);
        else
            GetLaterListItem(body, item, list == 2);
        if (body.Failed()) return nullptr;
    }
    return record;
}

void PostTradeNotice(uint8_t group, uint8_t sub, uint8_t a, uint32_t b, uint8_t c) {
    auto notice = std::make_unique<CTradeNoticeMsg>();
    notice->m_group = group;
    notice->m_sub = sub;
    notice->m_a = a;
    notice->m_b = b;
    notice->m_c = c;
    PostToWindow(TRADE_WINDOW, std::move(notice));
}

void NpcMenu(CPacketReader& body) {
    auto menu = std::make_unique<CNpcMenuMsg>();
    body.GetString(menu->m_name);
    body.GetByte();
    menu->m_flags = body.GetDword();
    menu->m_value = body.GetDword();
    if (body.Failed()) return;
    auto functions = std::make_unique<CTradeFunctionsMsg>();
    for (int bit = 0; bit < 4; ++bit) functions->m_functions[bit] = (menu->m_flags >> bit) & 1;
    PostToWindow(NPC_MENU_WINDOW, std::move(menu));
    PostToWindow(TRADE_WINDOW, std::move(functions));
}

void TradeList(CPacketReader& body, uint8_t list) {
    const uint8_t kind = body.GetByte();
    if (body.Failed() || kind != 0) {
        if (list == 3 && kind == 1) PostTradeNotice(3, 1, 0, 0, 0);
        return;
    }
    const bool flag = body.GetByte() != 0;
    if (body.Failed()) return;
    if (std::unique_ptr<CTradeListMsg> record = ParseTradeList(body, list, flag))
        PostToWindow(TRADE_WINDOW, std::move(record));
}

void TradeNotices(CPacketReader& body) {
    const uint8_t sub = body.GetByte();
    uint8_t a = 0, c = 0;
    uint32_t b = 0;
    switch (sub) {
        case 0:
            if (std::unique_ptr<CTradeListMsg> record = ParseTradeList(body, 4, false))
                PostToWindow(TRADE_WINDOW, std::move(record));
            return;
        case 1:
            a = body.GetByte();
            break;
        case 2:
            a = body.GetByte();
            b = body.GetDword();
            break;
        case 3:
            a = body.GetByte();
            b = body.GetDword();
            c = body.GetByte();
            break;
        case 128:
        case 129:
        case 130:
            break;
        case 131:
            b = body.GetDword();
            break;
        default:
            return;
    }
    if (!body.Failed()) PostTradeNotice(4, sub, a, b, c);
}

void Healer(CPacketReader& body) {
    const uint8_t operation = body.GetByte();
    if (operation == 0) {
        auto record = std::make_unique<CHealValuesMsg>();
        for (int n = 0; n < 5; ++n) {
            record->m_kinds[n] = body.GetByte();
            record->m_values[n] = body.GetDword();
        }
        if (!body.Failed()) PostToWindow(HEAL_WINDOW, std::move(record));
    } else if (operation == 1) {
        auto record = std::make_unique<CHealResultMsg>();
        record->m_kind = body.GetByte();
        record->m_success = body.GetByte();
        body.GetString(record->m_text);
        if (!body.Failed()) PostToWindow(HEAL_WINDOW, std::move(record));
    }
}

void Deposit(CPacketReader& body) {
    const uint8_t kind = body.GetByte();
    if (kind == 0) {
        auto fee = std::make_unique<CWindowValueMsg>(MSG_DEPOSIT_FEE);
        fee->m_value = body.GetDword();
        if (!body.Failed()) PostToWindow(DEPOSIT_WINDOW, std::move(fee));
    } else if (kind == 1 && !body.Failed()) {
        ShowServerWindow(DEPOSIT_WINDOW);
    }
}

void ClubDeposit(CPacketReader& body, uint8_t subCode) {
    if (subCode == 7) body.GetByte();
    const uint8_t operation = body.GetByte();
    if (body.Failed()) return;
    if (operation == 0) {
        if (!FindServerWindow(CLUB_DEPOSIT_WINDOW)) return;
        CenterServerWindow(CLUB_DEPOSIT_WINDOW);
        PostToWindow(CLUB_DEPOSIT_WINDOW, std::make_unique<CSignalMsg>(MSG_CLUB_DEPOSIT_CLEAR));
        OpenServerWindow(CLUB_DEPOSIT_WINDOW);
        auto mode = std::make_unique<CWindowValueMsg>(MSG_CLUB_DEPOSIT_MODE);
        mode->m_value = subCode == 11 ? 1 : 0;
        PostToWindow(CLUB_DEPOSIT_WINDOW, std::move(mode));
    } else if (operation == 2) {
        char text[WINDOW_TEXT_SIZE];
        body.GetString(text);
        if (!body.Failed() && text[0]) ShowServerNotice(text);
    } else if (operation == 3) {
        auto value = std::make_unique<CWindowValueMsg>(MSG_CLUB_DEPOSIT_VALUE);
        value->m_value = body.GetDword();
        if (!body.Failed()) PostToWindow(CLUB_DEPOSIT_WINDOW, std::move(value));
    }
}

void ShowCentred(const char* window) {
    ShowServerWindow(window);
    CenterServerWindow(window);
}

void FightClub(CPacketReader& body) {
    const uint8_t operation = body.GetByte();
    if (operation == 1) {
        auto values = std::make_unique<CFightManagerValuesMsg>();
        values->m_a = body.GetDword();
        values->m_b = body.GetDword();
        values->m_c = body.GetWord();
        for (uint32_t& v : values->m_values) v = body.GetDword();
        if (body.Failed()) return;
        for (const char* window : FIGHT_WINDOWS)
            if (IsServerWindowVisible(window)) return;
        const uint16_t configValue = values->m_c;
        if (FindOrCreateServerWindow(FIGHT_MANAGER_WINDOW, true)) {
            PostToWindow(FIGHT_MANAGER_WINDOW, std::move(values));
            ShowCentred(FIGHT_MANAGER_WINDOW);
        }
        if (FindOrCreateServerWindow(FIGHT_CONFIG_WINDOW, true)) {
            auto config = std::make_unique<CWindowValueMsg>(MSG_FIGHT_CONFIG_VALUE);
            config->m_value = configValue;
            PostToWindow(FIGHT_CONFIG_WINDOW, std::move(config));
        }
    } else if (operation == 3) {
        if (body.Failed()) return;
        for (const char* window : FIGHT_WINDOWS) HideServerWindow(window);
    } else if (operation == 4) {
        auto values = std::make_unique<CWindowValuesMsg>(MSG_FIGHT_WAIT_VALUES);
        values->m_values[0] = body.GetDword();
        values->m_a = body.GetByte();
        values->m_values[1] = body.GetDword();
        values->m_values[2] = body.GetDword();
        if (body.Failed()) return;
        const char* window = values->m_a == 0 ? FIGHT_WAIT_WINDOW : CVC_WAIT_WINDOW;
        if (!FindOrCreateServerWindow(window, true)) return;
        // A second entry while the window shows only updates it in place.
        const bool shown = IsServerWindowVisible(window);
        PostToWindow(window, std::move(values));
        if (!shown) ShowCentred(window);
    }
}

void ResultNotices(CPacketReader& body) {
    const uint8_t sub = body.GetByte();
    uint8_t a = 0;
    uint32_t b = 0;
    if (sub == 0)
        b = body.GetDword();
    else if (sub == 1 || sub == 2)
        a = body.GetByte();
    else if (sub != 3)
        return;
    if (!body.Failed()) PostTradeNotice(128, sub, a, b, 0);
}

}  // namespace

void ParseExchangeItem(CPacketReader& body, CExchangeItemMsg& item) {
    const uint8_t b1 = body.GetByte();
    const uint8_t b2 = body.GetByte();
    const uint32_t v1 = body.GetDword();
    const uint8_t v2 = body.GetByte();
    char name[ITEM_NAME_SIZE];
    body.GetString(name);
    uint8_t expiry[ITEM_EXPIRY_SIZE];
    PackDateTime(expiry, body);
    const uint8_t flag = body.GetByte();
    uint8_t options[EXCHANGE_OPTIONS] = {};
    CNumberList numbers;
    uint16_t word = 0;
    if (flag != 0) {
        for (int n = 0; n < EXCHANGE_OPTIONS; ++n) {
            const uint8_t option = body.GetByte();
            if (n != EXCHANGE_OPTION_UNUSED) options[n] = option;
        }
        ReadNumberList(v1, 1, &numbers, body);
    } else {
        word = body.GetWord();
    }
    CItemRecord record;
    ToItemRecord(numbers, record);
    item.Set(b1, b2, v1, v2, name, expiry, record, word, options);
}

void HandleExchangeMessage(CGameSession&, uint8_t, CPacketReader& body) {
    if (!FindServerWindow(EXCHANGE_WINDOW)) return;
    const uint8_t subCode = body.GetByte();
    if (subCode == 128) {
        char text[WINDOW_TEXT_SIZE];
        body.GetString(text);
        if (body.Failed()) return;
        ShowServerNotice(text);
    } else if (subCode == 2 || subCode == 0 || (subCode >= 3 && subCode <= 6)) {
        std::unique_ptr<CMsgPayload> record = ParseExchange(subCode, body);
        if (!record) return;
        PostToWindow(EXCHANGE_WINDOW, std::move(record));
    } else if (body.Failed()) {
        return;
    }
    RearmConnection();
}

void HandleNpcServiceMessage(CGameSession&, uint8_t, CPacketReader& body) {
    if (!IsServerConnected()) return;
    const uint8_t subCode = body.GetByte();
    switch (subCode) {
        case 0:
            NpcMenu(body);
            break;
        case 1:
        case 2:
        case 3:
            TradeList(body, subCode);
            break;
        case 4:
            TradeNotices(body);
            break;
        case 5:
            Healer(body);
            break;
        case 6:
            Deposit(body);
            break;
        case 7:
        case 11:
            ClubDeposit(body, subCode);
            break;
        case 9:
            FightClub(body);
            break;
        case 128:
            ResultNotices(body);
            break;
        default:
            break;
    }
}

std::vector<uint8_t> WriteNpcMenu(const std::string& name, uint32_t flags, uint32_t value) {
    CMessageWriter message(SERVER_NPC_SERVICE);
    message.PutByte(0).PutText(name).PutByte(0).PutDword(flags).PutDword(value);
    return message.Take();
}

std::vector<uint8_t> WriteTradeList(uint8_t list, bool dealFlag, const std::vector<CTradeGoods>& goods) {
    CMessageWriter message(SERVER_NPC_SERVICE);
    message.PutByte(list).PutByte(0).PutByte(dealFlag ? 1 : 0).PutWord(uint16_t(goods.size()));
    for (const CTradeGoods& g : goods) {
        if (list == 1) {
            message.PutWord(g.key).PutDword(g.itemId).PutByte(0).PutText(g.name).PutDword(0);
            message.PutByte(g.allowed).PutByte(0).PutDword(g.price).PutWord(g.stock).PutWord(g.weight);
            for (int n = 0; n < 12; ++n) message.PutByte(0);
        } else {
            message.PutWord(g.key).PutDword(g.itemId).PutDword(0).PutByte(g.slot).PutText(g.name).PutDword(0);
            // A locked item (flag 0) carries a further byte.
            message.PutByte(g.allowed);
            if (g.allowed == 0) message.PutByte(0);
            message.PutWord(g.count).PutWord(g.weight).PutDword(g.price).PutByte(0);
        }
        message.PutByte(0);  // no numbers
    }
    return message.Take();
}

std::vector<uint8_t> WriteNothingToRepair() {
    CMessageWriter message(SERVER_NPC_SERVICE);
    message.PutByte(3).PutByte(1);
    return message.Take();
}
