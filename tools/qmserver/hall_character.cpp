// The character: what it wears, its potions, its stats and points, its
// quick slots.
//
// On entering (once its map is ready) a character gets the items it wears
// (message 55 each), its whole status block (message 8: the "status" lines
// of the world, its stats and money) and the quick slots it set the last
// time (message 22).
//
// Requests taken:
//   48 [u8 8][u16 from][u16 to][u16 count]: count of the bag's item in slot
//     `from` joins the same item in slot `to` (a merge), or, from a slot to
//     itself, leaves it for the first free slot (a split); the slots go out
//     again (message 15, or 16 for an emptied one);
//   28 [u8 slot]...: a bag item of a "gear" line is worn (the slot empties,
//     message 16; the place's former item comes back into the bag, message
//     15; the new one is worn, message 55); a "potion" is used: one fewer
//     (15 or 16) and the life it restores (message 8);
//   31 [u8 place]: the item worn there comes off (message 56) into the bag (15);
//   10 [u8 stat 1-7][u8 count]: a point on the stat (message 8);
//   54: the level goes up, with five points (message 8);
//   6 [u8 kind][u8 slot][u32 id]: the quick slot is kept for the next entry;
//   30 [u8 flags]: the pair items shown, noted.
#include "tools/qmserver/hall_character.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "net/handlers/char_handlers.h"
#include "net/handlers/item_messages.h"
#include "net/packet_reader.h"
#include "tools/qmserver/server_hall.h"
#include "tools/qmserver/server_world.h"

namespace {

constexpr uint8_t kRequestQuickSlot = 6, kRequestStatPoint = 10, kRequestUseItem = 28, kRequestShowFlags = 30,
                  kRequestTakeOff = 31, kRequestInventory = 48, kRequestLevelUp = 54;
constexpr uint8_t kInventoryMove = 8;
constexpr uint32_t kPlaces = 13, kStats = 7, kLevelUpPoints = 5;

struct Worn {
    uint32_t itemId = 0;
    std::string name;
};

class CCharacterFeature : public CHallFeature, public IHallPurse {
public:
    explicit CCharacterFeature(IHallBags* bags) : m_bags(bags) {}

    std::vector<std::string> Keywords() const override { return {"gear", "wears", "potion"}; }

    bool CheckLine(const CWorldLine& line, std::string* reason) const override {
        uint32_t v = 0;
        const bool ok = line.args.size() >= 2 && ReadServerNumber(line.args[0], UINT32_MAX, &v) &&
                        (line.keyword == "wears" || ReadServerNumber(line.args[1], 0xFFFF, &v)) &&
                        (line.keyword != "gear" || (v >= 1 && v <= kPlaces));
        if (!ok) *reason = "'gear ITEM_ID PLACE' (1-13), 'wears ITEM_ID NAME' or 'potion ITEM_ID AMOUNT'";
        return ok;
    }

    void Start(CServerHall& hall) override {
        const CServerWorld& world = hall.World();
        for (const CWorldLine* line : world.LinesOf("gear")) {
            uint32_t id = 0, place = 0;
            ReadServerNumber(line->args[0], UINT32_MAX, &id);
            ReadServerNumber(line->args[1], kPlaces, &place);
            m_gear[id] = place;
        }
        for (const CWorldLine* line : world.LinesOf("potion")) {
            uint32_t id = 0, amount = 0;
            ReadServerNumber(line->args[0], UINT32_MAX, &id);
            ReadServerNumber(line->args[1], 0xFFFF, &amount);
            m_potions[id] = amount;
        }
        for (const CWorldLine* line : world.LinesOf("wears")) {
            uint32_t id = 0;
            ReadServerNumber(line->args[0], UINT32_MAX, &id);
            m_startWorn.push_back({id, RestAfter(line->rest, 1)});
        }
        m_startStatus.m_flags = 0x02 | 0x04 | 0x08 | 0x10 | 0x20 | 0x40;
        for (const CWorldLine* line : world.LinesOf("status")) {
            std::vector<uint32_t> values;
            for (size_t i = 1; i < line->args.size(); ++i) {
                uint32_t value = 0;
                ReadServerNumber(line->args[i], UINT32_MAX, &value);
                values.push_back(value);
            }
            ApplyStatusLine(m_startStatus, line->args[0], values);
        }
    }

    void MapReady(CServerHall& hall, CHallClient& c) override {
        State& s = m_states[c.id];
        s = State{};
        s.status = m_startStatus;
        for (const Worn& worn : m_startWorn) {
            auto place = m_gear.find(worn.itemId);
            if (place == m_gear.end()) continue;
            s.worn[place->second] = worn;
            hall.Send(c, WriteCharItem(worn.itemId, worn.itemId, worn.name));
        }
        hall.Send(c, WriteStatusBlock(s.status));
        std::vector<std::pair<uint8_t, uint32_t>> entries;
        for (const auto& [slot, value] : m_quickSlots[c.name]) entries.emplace_back(slot, value);
        if (!entries.empty()) hall.Send(c, WriteValueList(entries));
    }

    Taken Request(CServerHall& hall, CHallClient& c, uint8_t code, CPacketReader& body) override {
        switch (code) {
            case kRequestInventory: {
                if (body.GetByte() != kInventoryMove) return Taken::No;
                const uint16_t from = body.GetWord(), to = body.GetWord(), count = body.GetWord();
                if (body.Failed()) return Taken::CutShort;
                MoveItems(hall, c, from, to, count);
                return Taken::Yes;
            }
            case kRequestUseItem: {
                const uint8_t slot = body.GetByte();
                if (body.Failed()) return Taken::CutShort;
                UseItem(hall, c, slot);
                return Taken::Yes;
            }
            case kRequestTakeOff: {
                const uint8_t place = body.GetByte();
                if (body.Failed()) return Taken::CutShort;
                TakeOff(hall, c, place);
                return Taken::Yes;
            }
            case kRequestStatPoint: {
                const uint8_t stat = body.GetByte(), count = body.GetByte();
                if (body.Failed()) return Taken::CutShort;
                RaiseStat(hall, c, stat, count);
                return Taken::Yes;
            }
            case kRequestLevelUp: {
                CStatusBlockFields& status = m_states[c.id].status;
                status.m_group10Byte = uint8_t(std::min(status.m_group10Byte + 1, 255));
                status.m_group10Words[kStats] = uint16_t(status.m_group10Words[kStats] + kLevelUpPoints);
                status.m_group40Words[0] = 0;
                hall.LogRequest(c, "54", "level " + std::to_string(status.m_group10Byte));
                hall.Send(c, WriteStatusBlock(status));
                return Taken::Yes;
            }
            case kRequestQuickSlot: {
                const uint8_t kind = body.GetByte(), slot = body.GetByte();
                const uint32_t id = body.GetDword();
                if (body.Failed()) return Taken::CutShort;
                std::map<uint8_t, uint32_t>& slots = m_quickSlots[c.name];
                if (kind == 0 || slot >= 17)
                    slots.erase(slot);
                else
                    slots[slot] = id;
                hall.LogRequest(c, "6",
                                "quick slot " + std::to_string(slot) + " = " + std::to_string(kind ? id : 0));
                return Taken::Yes;
            }
            case kRequestShowFlags: {
                const uint8_t flags = body.GetByte();
                if (body.Failed()) return Taken::CutShort;
                hall.LogRequest(c, "30", "shows pair items " + std::to_string(flags));
                return Taken::Yes;
            }
            default:
                return Taken::No;
        }
    }

    void Closed(CServerHall&, CHallClient& c) override { m_states.erase(c.id); }

    uint32_t MoneyOf(const CHallClient& c) override {
        auto it = m_states.find(c.id);
        return it == m_states.end() ? 0 : it->second.status.m_group40[1];
    }
    void SetMoney(CServerHall& hall, CHallClient& c, uint32_t money) override {
        CStatusBlockFields& status = m_states[c.id].status;
        status.m_group40[1] = money;
        CStatusBlockFields group = status;
        group.m_flags = 0x40;
        hall.Send(c, WriteStatusBlock(group));
    }

private:
    struct State {
        CStatusBlockFields status;
        std::map<uint32_t, Worn> worn;  // by place
    };

    void MoveItems(CServerHall& hall, CHallClient& c, uint16_t from, uint16_t to, uint16_t count) {
        CHallBag& bag = m_bags->BagOf(c);
        auto source = bag.find(from);
        if (source == bag.end() || count == 0 || count > source->second.count) {
            hall.LogRequest(c, "48/8", "nothing to move from slot " + std::to_string(from));
            return;
        }
        uint32_t target = to;
        if (from == to) {
            const int32_t free = m_bags->FreeSlot(c);
            if (free < 0 || count == source->second.count) {
                hall.LogRequest(c, "48/8", "no split of slot " + std::to_string(from));
                return;
            }
            target = uint32_t(free);
            bag[target] = CHallBagItem{source->second.itemId, source->second.name, 0};
        }
        auto dest = bag.find(target);
        if (dest == bag.end() || dest->second.itemId != source->second.itemId ||
            uint32_t(dest->second.count) + count > 0xFFFF) {
            hall.LogRequest(c, "48/8",
                            "slot " + std::to_string(to) + " takes nothing from " + std::to_string(from));
            return;
        }
        dest->second.count = uint16_t(dest->second.count + count);
        source->second.count = uint16_t(source->second.count - count);
        hall.LogRequest(c, "48/8",
                        "moves " + std::to_string(count) + " " + source->second.name + " from slot " +
                            std::to_string(from) + " to " + std::to_string(target));
        if (source->second.count == 0) bag.erase(source);
        m_bags->SendSlot(hall, c, from);
        m_bags->SendSlot(hall, c, target);
    }

    void UseItem(CServerHall& hall, CHallClient& c, uint8_t slot) {
        CHallBag& bag = m_bags->BagOf(c);
        auto it = bag.find(slot);
        if (it == bag.end()) {
            hall.LogRequest(c, "28", "nothing to use in slot " + std::to_string(slot));
            return;
        }
        if (auto gear = m_gear.find(it->second.itemId); gear != m_gear.end()) {
            Wear(hall, c, slot, gear->second);
            return;
        }
        auto potion = m_potions.find(it->second.itemId);
        if (potion == m_potions.end()) {
            hall.LogRequest(c, "28", "slot " + std::to_string(slot) + " holds nothing to use");
            return;
        }
        CStatusBlockFields& status = m_states[c.id].status;
        status.m_group02[0] = std::min(status.m_group02[0] + potion->second, status.m_group02[1]);
        hall.LogRequest(c, "28",
                        "uses " + it->second.name + " from slot " + std::to_string(slot) + ": life " +
                            std::to_string(status.m_group02[0]) + ", " +
                            std::to_string(it->second.count - 1) + " left");
        if (--it->second.count == 0) bag.erase(it);
        m_bags->SendSlot(hall, c, slot);
        hall.Send(c, WriteStatusBlock(status));
    }

    void Wear(CServerHall& hall, CHallClient& c, uint8_t slot, uint32_t place) {
        CHallBag& bag = m_bags->BagOf(c);
        State& s = m_states[c.id];
        const CHallBagItem item = bag[slot];
        bag.erase(slot);
        m_bags->SendSlot(hall, c, slot);
        hall.LogRequest(c, "28", "wears " + item.name + " at place " + std::to_string(place));
        if (auto old = s.worn.find(place); old != s.worn.end()) {
            bag[slot] = CHallBagItem{old->second.itemId, old->second.name, 1};
            m_bags->SendSlot(hall, c, slot);
        }
        s.worn[place] = Worn{item.itemId, item.name};
        hall.Send(c, WriteCharItem(item.itemId, item.itemId, item.name));
    }

    void TakeOff(CServerHall& hall, CHallClient& c, uint8_t place) {
        State& s = m_states[c.id];
        auto worn = s.worn.find(place);
        const int32_t free = m_bags->FreeSlot(c);
        if (worn == s.worn.end() || free < 0) {
            hall.LogRequest(c, "31", "nothing to take off at place " + std::to_string(place));
            return;
        }
        hall.LogRequest(c, "31", "takes off " + worn->second.name + " into slot " + std::to_string(free));
        m_bags->BagOf(c)[uint32_t(free)] = CHallBagItem{worn->second.itemId, worn->second.name, 1};
        s.worn.erase(worn);
        hall.Send(c, WriteItemValue(SERVER_ITEM_VALUE_56, place));
        m_bags->SendSlot(hall, c, uint32_t(free));
    }

    void RaiseStat(CServerHall& hall, CHallClient& c, uint8_t stat, uint8_t count) {
        CStatusBlockFields& status = m_states[c.id].status;
        uint16_t& points = status.m_group10Words[kStats];
        if (stat < 1 || stat > kStats || count == 0 || points < count) {
            hall.LogRequest(c, "10", "no point for stat " + std::to_string(stat));
            return;
        }
        points = uint16_t(points - count);
        status.m_group10Words[stat - 1] = uint16_t(status.m_group10Words[stat - 1] + count);
        status.m_group20Words[stat - 1] = uint16_t(status.m_group20Words[stat - 1] + count);
        hall.LogRequest(
            c, "10",
            "stat " + std::to_string(stat) + " to " + std::to_string(status.m_group20Words[stat - 1]));
        hall.Send(c, WriteStatusBlock(status));
    }

    IHallBags* m_bags;
    std::map<uint32_t, uint32_t> m_gear;     // item id -> place
    std::map<uint32_t, uint32_t> m_potions;  // item id -> life restored
    std::vector<Worn> m_startWorn;
    CStatusBlockFields m_startStatus;
    std::map<int, State> m_states;                                    // by client
    std::map<std::string, std::map<uint8_t, uint32_t>> m_quickSlots;  // by character, kept between entries
};

}  // namespace

std::unique_ptr<CHallFeature> MakeCharacterFeature(IHallBags* bags) {
    return std::make_unique<CCharacterFeature>(bags);
}

IHallPurse* HallPurseOf(CHallFeature* feature) {
    return dynamic_cast<IHallPurse*>(feature);
}
