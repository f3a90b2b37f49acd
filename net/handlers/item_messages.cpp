#include "net/handlers/item_messages.h"

#include <algorithm>
#include <memory>

#include "data/game_hooks.h"
#include "net/handlers/item_records.h"
#include "net/handlers/list_fields.h"
#include "net/handlers/server_windows.h"
#include "net/handlers/window_records.h"
#include "net/packet_fields.h"
#include "net/packet_reader.h"
#include "net/packet_writer.h"

namespace {

constexpr char CLUB_DEPOSIT_WINDOW[] = "CLUB_DEPOSIT_WINDOW";

constexpr int OPTION_BYTES = 13;
constexpr int OPTION_UNUSED = 9;  // the tenth is read and ignored

enum : uint8_t { OPTION_FORM_COUNT = 0, OPTION_FORM_OPTIONS = 1, OPTION_FORM_SINGLE = 2 };

// The item part every item message starts its name with.
struct ItemHead {
    char name[ITEM_NAME_SIZE] = {};
    uint8_t expiry[ITEM_EXPIRY_SIZE] = {};
};

void GetNameAndDate(CPacketReader& body, ItemHead& head) {
    body.GetString(head.name);
    PackDateTime(head.expiry, body);
}

// The option bytes and the item-extension block.
struct ItemOptions {
    uint8_t form = 0;
    uint16_t count = 1;
    uint8_t options[OPTION_BYTES] = {};
    CItemRecord record;
};

void GetOptionBytes(CPacketReader& body, uint32_t itemId, ItemOptions& out) {
    for (int n = 0; n < OPTION_BYTES; ++n) {
        const uint8_t option = body.GetByte();
        if (n != OPTION_UNUSED) out.options[n] = option;
    }
    CNumberList numbers;
    ReadNumberList(itemId, 1, &numbers, body);
    out.record.m_byte0 = numbers.limit;
    out.record.m_byte1 = numbers.kept;
    out.record.m_value0 = numbers.numbers[0];
    out.record.m_value1 = numbers.numbers[1];
    out.record.m_value2 = numbers.numbers[2];
}

// [u8 form]: 0 [u16 count]; 1 thirteen option bytes and the extension
// block; 2 nothing. False for any other form.
bool GetOptionForm(CPacketReader& body, uint32_t itemId, ItemOptions& out) {
    out.form = body.GetByte();
    switch (out.form) {
        case OPTION_FORM_COUNT:
            out.count = body.GetWord();
            return true;
        case OPTION_FORM_OPTIONS:
            GetOptionBytes(body, itemId, out);
            return true;
        case OPTION_FORM_SINGLE:
            return true;
        default:
            return false;
    }
}

// The twelve options a record keeps: the unused tenth left out.
void KeptOptions(const uint8_t (&all)[OPTION_BYTES], uint8_t (&kept)[OPTION_BYTES - 1]) {
    std::copy_n(all, OPTION_UNUSED, kept);
    std::copy(all + OPTION_UNUSED + 1, all + OPTION_BYTES, kept + OPTION_UNUSED);
}

void Post(std::unique_ptr<CMsgPayload> record) {
    GameWorld().PostCharPortRecord(std::move(record));
}

void ItemAdded(CPacketReader& body) {
    const uint8_t slot = body.GetByte();
    const uint32_t firstId = body.GetDword();
    const uint32_t secondId = body.GetDword();
    const uint8_t value = body.GetByte();
    ItemHead head;
    GetNameAndDate(body, head);
    const uint8_t value2 = body.GetByte();
    ItemOptions options;
    if (!GetOptionForm(body, firstId, options) || body.Failed()) return;
    auto record = std::make_unique<CInvenItemMsg>();
    record->Set(slot, value, value2, firstId, secondId, options.count, head.name, head.expiry, options.record,
                options.options);
    Post(std::move(record));
}

void ItemStored(CPacketReader& body) {
    const uint8_t form = body.GetByte();
    if (form > 2) return;
    const uint8_t slot = body.GetByte();
    const uint32_t itemId = body.GetDword();
    const uint8_t value = body.GetByte();
    ItemHead head;
    GetNameAndDate(body, head);
    ItemOptions options;
    if (!GetOptionForm(body, itemId, options)) return;
    if (form == 0) {
        const uint32_t a = body.GetDword();
        const uint32_t b = body.GetDword();
        if (body.Failed()) return;
        uint8_t kept[OPTION_BYTES - 1];
        KeptOptions(options.options, kept);
        auto record = std::make_unique<CStoredItemMsg>();
        record->Set(slot, value, options.form, itemId, options.count, head.name, head.expiry, options.record,
                    kept);
        record->m_after[0] = a;
        record->m_after[1] = b;
        Post(std::move(record));
        return;
    }
    // The club deposit: the depositor's name when flagged, the every-member
    // flag (1: every member may take it out), the grade limit, two values.
    const bool withOptions = options.form == OPTION_FORM_OPTIONS;
    auto record = std::make_unique<CClubDepositItemMsg>(withOptions ? MSG_CLUB_DEPOSIT_ITEM_OPTIONS
                                                                    : MSG_CLUB_DEPOSIT_ITEM);
    record->m_form = form;
    record->m_slot = slot;
    record->m_itemId = itemId;
    record->m_value = value;
    record->SetItem(head.name, head.expiry, options.record);
    std::copy_n(options.options, OPTION_BYTES, record->m_options);
    record->m_count = withOptions ? 1 : options.count;
    if (body.GetByte() != 0) body.GetString(record->m_depositor);
    const uint8_t everyMember = body.GetByte();
    record->m_gradeLimit = int16_t(body.GetWord());
    if (everyMember == 1) record->m_gradeLimit = CLUB_DEPOSIT_LIMIT_EVERY_MEMBER;
    record->m_a = body.GetDword();
    record->m_b = body.GetDword();
    if (!body.Failed()) PostToWindow(CLUB_DEPOSIT_WINDOW, std::move(record));
}

void StoreSlot(CPacketReader& body) {
    const uint8_t form = body.GetByte();
    const uint8_t value = body.GetByte();
    if (body.Failed() || form > 2) return;
    if (form == 0) {
        auto record = std::make_unique<CItemValueMsg>(MSG_ITEM_VALUE_53);
        record->Set(value);
        Post(std::move(record));
    } else if (value == 0) {
        PostToWindow(CLUB_DEPOSIT_WINDOW, std::make_unique<CSignalMsg>(MSG_CLUB_DEPOSIT_CLEAR));
    } else {
        auto record = std::make_unique<CClubDepositRemoveMsg>();
        record->m_slot = value;
        PostToWindow(CLUB_DEPOSIT_WINDOW, std::move(record));
    }
}

void CharItem(CPacketReader& body) {
    const uint32_t itemId = body.GetDword();
    const uint32_t secondId = body.GetDword();
    const uint8_t value = body.GetByte();
    ItemHead head;
    GetNameAndDate(body, head);
    ItemOptions options;
    GetOptionBytes(body, itemId, options);
    if (body.Failed()) return;
    uint8_t kept[OPTION_BYTES - 1];
    KeptOptions(options.options, kept);
    auto record = std::make_unique<CCharItemMsg>();
    record->Set(itemId, secondId, value, head.name, head.expiry, options.record, kept);
    Post(std::move(record));
}

void ItemValue(CPacketReader& body, uint32_t id) {
    const uint8_t value = body.GetByte();
    if (body.Failed()) return;
    auto record = std::make_unique<CItemValueMsg>(id);
    record->Set(value);
    Post(std::move(record));
}

}  // namespace

void HandleItemMessage(CGameSession&, uint8_t code, CPacketReader& body) {
    switch (code) {
        case SERVER_ITEM_ADDED:
            ItemAdded(body);
            break;
        case SERVER_ITEM_VALUE_16:
            ItemValue(body, MSG_ITEM_VALUE_48);
            break;
        case SERVER_ITEM_PAIR: {
            const uint32_t a = body.GetDword();
            const uint32_t b = body.GetDword();
            if (body.Failed()) return;
            auto record = std::make_unique<CItemPairMsg>();
            record->Set(a, b);
            Post(std::move(record));
            break;
        }
        case SERVER_ITEM_STORED:
            ItemStored(body);
            break;
        case SERVER_ITEM_STORE_SLOT:
            StoreSlot(body);
            break;
        case SERVER_CHAR_ITEM:
            CharItem(body);
            break;
        case SERVER_ITEM_VALUE_56:
            ItemValue(body, MSG_ITEM_VALUE_55);
            break;
        default:
            break;
    }
}

std::vector<uint8_t> WriteInventoryItem(uint8_t slot, uint32_t itemId, uint32_t secondId,
                                        const std::string& name, uint16_t count) {
    CMessageWriter message(SERVER_ITEM_ADDED);
    message.PutByte(slot).PutDword(itemId).PutDword(secondId).PutByte(0).PutText(name);
    message.PutDword(0).PutByte(0);  // no date, the second value
    message.PutByte(OPTION_FORM_COUNT).PutWord(count);
    return message.Take();
}

std::vector<uint8_t> WriteCharItem(uint32_t itemId, uint32_t secondId, const std::string& name) {
    CMessageWriter message(SERVER_CHAR_ITEM);
    message.PutDword(itemId).PutDword(secondId).PutByte(0).PutText(name);
    message.PutDword(0);  // no date
    for (int n = 0; n < OPTION_BYTES; ++n) message.PutByte(0);
    message.PutByte(0);  // no numbers
    return message.Take();
}

std::vector<uint8_t> WriteItemValue(uint8_t code, uint8_t value) {
    CMessageWriter message(code);
    message.PutByte(value);
    return message.Take();
}
