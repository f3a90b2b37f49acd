#include "net/packet_fields.h"

#include <ctime>
#include <string>

#include "data/item_object.h"
#include "data/item_table_mgr.h"
#include "net/packet_writer.h"

namespace {

IItemNumberLimitLookup* g_itemNumberLimit = nullptr;

// Value of a decimal text: leading digits, wrapping like an unsigned 32-bit
// number; a leading '-' negates.
uint32_t ParseDecimal(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10 + uint32_t(text[i] - '0');
    return negative ? uint32_t(0) - value : value;
}

}  // namespace

size_t PackDateTime(uint8_t output[5], CPacketReader& reader) {
    const uint32_t seconds = reader.GetDword();
    output[0] = 255;
    output[1] = output[2] = output[3] = output[4] = 0;
    if (seconds == 0) return 4;
    std::time_t time = std::time_t(seconds);
    const std::tm* local = std::localtime(&time);
    if (!local || local->tm_year < 100) return 4;
    output[0] = uint8_t(local->tm_year + 156);
    output[1] = uint8_t(local->tm_mon + 1);
    output[2] = uint8_t(local->tm_mday);
    output[3] = uint8_t(local->tm_hour);
    output[4] = uint8_t(local->tm_min);
    return 4;
}

void SetItemNumberLimitLookup(IItemNumberLimitLookup* lookup) {
    g_itemNumberLimit = lookup;
}

IItemNumberLimitLookup* GetItemNumberLimitLookup() {
    return g_itemNumberLimit;
}

int CItemTableNumberLimits::GetItemNumberLimit(uint32_t itemId) {
    const CItemObject* item = g_pItemTableMgr ? g_pItemTableMgr->FindTemplateById(itemId) : nullptr;
    return item ? int(item->GetItemColumn1157()) : -1;
}

size_t ReadNumberList(uint32_t itemId, uint32_t flag, CNumberList* output, CPacketReader& reader) {
    *output = CNumberList();
    if ((flag & 1) == 0) return 0;
    const size_t start = reader.Position();
    int itemLimit = g_itemNumberLimit ? g_itemNumberLimit->GetItemNumberLimit(itemId) : -1;
    int limit = itemLimit < 0 ? 0 : (itemLimit < 3 ? itemLimit : 3);
    const int count = reader.GetByte();
    const int kept = count < limit ? count : limit;
    output->limit = uint8_t(limit);
    output->kept = uint8_t(kept);
    for (int i = 0; i < count; ++i) {
        std::string text = reader.GetString();
        if (i < kept) output->numbers[kept - 1 - i] = ParseDecimal(text);
    }
    return reader.Position() - start;
}

uint16_t ReadOptionalValues(CPacketReader& reader, int32_t values[OPTIONAL_VALUE_COUNT]) {
    const uint16_t mask = reader.GetWord();
    for (int bit = 0; bit < OPTIONAL_VALUE_COUNT; ++bit)
        values[bit] = mask & (1u << bit) ? reader.GetInt() : -1;
    return mask;
}

void ReadStatusWords(CPacketReader& reader, uint32_t words[4]) {
    for (int word = 3; word >= 0; --word) words[word] = reader.GetDword();
}

void WriteOptionalValues(CMessageWriter& writer, const int32_t values[OPTIONAL_VALUE_COUNT]) {
    uint16_t mask = 0;
    for (int bit = 0; bit < OPTIONAL_VALUE_COUNT; ++bit)
        if (values[bit] != -1) mask = uint16_t(mask | (1u << bit));
    writer.PutWord(mask);
    for (int bit = 0; bit < OPTIONAL_VALUE_COUNT; ++bit)
        if (values[bit] != -1) writer.PutDword(uint32_t(values[bit]));
}

void WriteStatusWords(CMessageWriter& writer, const uint32_t words[4]) {
    for (int word = 3; word >= 0; --word) writer.PutDword(words[word]);
}
