// Items: what a character carries into the field, and items dropped on the
// ground and picked up again.
//
// World file:
//   item SLOT ITEM_ID COUNT NAME...   every character enters the field with
//                                     this item in its bag (slot 0-64)
//
// Requests taken:
//   8 [u8 slot][u16 count][u16 x][u16 y]: count of the bag's item in the
//     slot is dropped on tile (x, y): every client in the field sees it lie
//     there (message 7, an item on the ground), and a part that stays in the
//     bag is sent again with its new count (message 15);
//   7 [u32 object id]: the item lying there is picked up: it leaves everyone's
//     view (message 14) and comes into the picker's bag (message 15), in the
//     first free slot.
// A client entering the field sees the items lying on the ground.
#include "tools/qmserver/hall_items.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "net/handlers/inline_messages.h"
#include "net/handlers/item_messages.h"
#include "net/handlers/object_messages.h"
#include "net/packet_reader.h"
#include "tools/qmserver/server_hall.h"

namespace {

constexpr uint8_t kRequestPickUp = 7, kRequestDrop = 8;
constexpr uint32_t kBagSlots = 65;

using Item = CHallBagItem;

struct GroundItem {
    Item item;
    uint16_t x = 0, y = 0;
};

bool Number(const std::string& word, uint32_t max, uint32_t* value) {
    if (word.empty() || word.size() > 10 || word.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const unsigned long long v = std::stoull(word);
    if (v > max) return false;
    *value = uint32_t(v);
    return true;
}

class CItemsFeature : public CHallFeature, public IHallBags {
public:
    std::vector<std::string> Keywords() const override { return {"item"}; }

    bool CheckLine(const CWorldLine& line, std::string* reason) const override {
        uint32_t v = 0;
        if (line.args.size() < 4 || !Number(line.args[0], kBagSlots - 1, &v) ||
            !Number(line.args[1], UINT32_MAX, &v) || !Number(line.args[2], UINT16_MAX, &v) || v == 0) {
            *reason = "an item is 'item SLOT ITEM_ID COUNT NAME' (slot 0-64, count 1-65535)";
            return false;
        }
        return true;
    }

    void Start(CServerHall& hall) override {
        for (const CWorldLine* line : hall.World().LinesOf("item")) {
            uint32_t slot = 0, id = 0, count = 0;
            Number(line->args[0], kBagSlots - 1, &slot);
            Number(line->args[1], UINT32_MAX, &id);
            Number(line->args[2], UINT16_MAX, &count);
            const std::string& rest = line->rest;
            // The name is what follows the three numbers.
            size_t at = 0;
            for (int word = 0; word < 3; ++word) {
                at = rest.find_first_not_of(" \t", at);
                at = rest.find_first_of(" \t", at);
            }
            at = rest.find_first_not_of(" \t", at);
            m_start[slot] = Item{id, at == std::string::npos ? "" : rest.substr(at), uint16_t(count)};
        }
    }

    void MapReady(CServerHall& hall, CHallClient& c) override {
        Bag& bag = m_bags[c.id];
        bag = m_start;
        for (const auto& [slot, item] : bag) SendBagSlot(hall, c, slot, item);
        std::vector<CViewGroundItem> lying;
        for (const auto& [id, ground] : m_ground) lying.push_back(View(id, ground));
        if (!lying.empty()) hall.Send(c, WriteGroundItemsInView(lying));
    }

    Taken Request(CServerHall& hall, CHallClient& c, uint8_t code, CPacketReader& body) override {
        if (code == kRequestDrop) {
            const uint8_t slot = body.GetByte();
            const uint16_t count = body.GetWord();
            const uint16_t x = body.GetWord(), y = body.GetWord();
            if (body.Failed()) return Taken::CutShort;
            Drop(hall, c, slot, count, x, y);
            return Taken::Yes;
        }
        if (code == kRequestPickUp) {
            const uint32_t objectId = body.GetDword();
            if (body.Failed()) return Taken::CutShort;
            PickUp(hall, c, objectId);
            return Taken::Yes;
        }
        return Taken::No;
    }

    void Closed(CServerHall&, CHallClient& c) override { m_bags.erase(c.id); }

    CHallBag& BagOf(const CHallClient& c) override { return m_bags[c.id]; }
    void SendSlot(CServerHall& hall, CHallClient& c, uint32_t slot) override {
        const Bag& bag = m_bags[c.id];
        auto it = bag.find(slot);
        if (it == bag.end())
            hall.Send(c, WriteItemValue(SERVER_ITEM_VALUE_16, uint8_t(slot)));
        else
            SendBagSlot(hall, c, slot, it->second);
    }
    int32_t FreeSlot(const CHallClient& c) override {
        const Bag& bag = m_bags[c.id];
        for (uint32_t slot = 1; slot < kBagSlots; ++slot)
            if (!bag.count(slot)) return int32_t(slot);
        return bag.count(0) ? -1 : 0;
    }

private:
    using Bag = CHallBag;

    static CViewGroundItem View(uint32_t objectId, const GroundItem& ground) {
        return CViewGroundItem{objectId, ground.item.itemId, ground.item.name,
                               ground.x, ground.y,           ground.item.count};
    }

    static void SendBagSlot(CServerHall& hall, CHallClient& c, uint32_t slot, const Item& item) {
        hall.Send(c, WriteInventoryItem(uint8_t(slot), item.itemId, 0, item.name, item.count));
    }

    void Drop(CServerHall& hall, CHallClient& c, uint8_t slot, uint16_t count, uint16_t x, uint16_t y) {
        Bag& bag = m_bags[c.id];
        auto it = bag.find(slot);
        if (it == bag.end() || count == 0 || count > it->second.count) {
            hall.LogRequest(c, "8", "nothing to drop in slot " + std::to_string(slot));
            return;
        }
        GroundItem ground{it->second, x, y};
        ground.item.count = count;
        const uint32_t objectId = hall.NewObjectId();
        hall.LogRequest(c, "8",
                        "drops " + std::to_string(count) + " " + ground.item.name + " from slot " +
                            std::to_string(slot) + " at " + std::to_string(x) + "," + std::to_string(y) +
                            ": object " + std::to_string(objectId));
        it->second.count = uint16_t(it->second.count - count);
        if (it->second.count > 0)
            SendBagSlot(hall, c, slot, it->second);
        else
            bag.erase(it);
        hall.ToAll(WriteGroundItemsInView({View(objectId, ground)}));
        m_ground[objectId] = ground;
    }

    void PickUp(CServerHall& hall, CHallClient& c, uint32_t objectId) {
        auto it = m_ground.find(objectId);
        Bag& bag = m_bags[c.id];
        uint32_t slot = 0;
        while (slot < kBagSlots && bag.count(slot)) ++slot;
        if (it == m_ground.end() || slot == kBagSlots) {
            hall.LogRequest(c, "7", "nothing to pick up as object " + std::to_string(objectId));
            return;
        }
        const Item item = it->second.item;
        m_ground.erase(it);
        hall.LogRequest(c, "7",
                        "picks up object " + std::to_string(objectId) + ", " + item.name + " into slot " +
                            std::to_string(slot));
        hall.ToAll(WriteObjectLeaves(objectId));
        bag[slot] = item;
        SendBagSlot(hall, c, slot, item);
    }

    Bag m_start;
    std::map<int, Bag> m_bags;  // by client
    std::map<uint32_t, GroundItem> m_ground;
};

}  // namespace

std::unique_ptr<CHallFeature> MakeItemsFeature() {
    return std::make_unique<CItemsFeature>();
}

IHallBags* HallBagsOf(CHallFeature* feature) {
    return dynamic_cast<IHallBags*>(feature);
}
