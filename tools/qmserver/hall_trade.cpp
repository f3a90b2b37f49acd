// NPC services of the walkers with a "shop" line.
//
// Requests taken (request 5: [u32 NPC id][u8 function], then per function):
//   5/0: the NPC's menu: message 106/0 with the shop's function word;
//   5/1 [u8 0]: the goods, message 106/1; [u8 1][u8 price kind][u16 n]
//     [n x (u16 key, u16 count)]: bought when the money covers the whole list
//     and the bag has room: the items come into the bag (message 15) and the
//     money goes (message 8);
//   5/2 [u8 0]: the bag's items, message 106/2 (the key is the bag slot);
//     [u8 1]... as for buying: the items leave the bag (15 or 16) and their
//     price (half the shop's price of the same goods, else 10 a piece) is paid;
//   5/3 [u8 0]: nothing to repair (106/3 kind 1);
//   5/129: the player left the NPC (logged).
// Everything taken is logged as 5/F or 5/F/A.
#include "tools/qmserver/hall_trade.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "net/handlers/trade_messages.h"
#include "net/packet_reader.h"
#include "tools/qmserver/server_hall.h"
#include "tools/qmserver/server_world.h"

namespace {

constexpr uint8_t kRequestNpc = 5;
constexpr uint8_t kOpen = 0, kBuy = 1, kSell = 2, kRepair = 3, kClose = 129;
constexpr uint32_t kSellPrice = 10;
constexpr uint16_t kMaxListed = 200;

struct Goods {
    uint32_t itemId = 0;
    uint32_t price = 0;
    uint16_t weight = 0;
    std::string name;
};

struct Shop {
    uint32_t flags = 0;
    std::vector<Goods> goods;
};

class CTradeFeature : public CHallFeature {
public:
    CTradeFeature(IHallBags* bags, IHallPurse* purse) : m_bags(bags), m_purse(purse) {}

    std::vector<std::string> Keywords() const override { return {"shop", "goods"}; }

    bool CheckLine(const CWorldLine& line, std::string* reason) const override {
        uint32_t v = 0;
        if (line.keyword == "shop") {
            if (line.args.size() == 2 && ReadServerNumber(line.args[1], UINT32_MAX, &v)) return true;
            *reason = "a shop is 'shop WALKER FLAGS'";
            return false;
        }
        if (line.args.size() >= 5 && ReadServerNumber(line.args[1], UINT32_MAX, &v) &&
            ReadServerNumber(line.args[2], UINT32_MAX, &v) && ReadServerNumber(line.args[3], UINT16_MAX, &v))
            return true;
        *reason = "goods are 'goods WALKER ITEM_ID PRICE WEIGHT NAME' (weight at most 65535)";
        return false;
    }

    void Start(CServerHall& hall) override {
        const std::vector<CServerWalker>& walkers = hall.World().walkers;
        auto idOf = [&walkers](const std::string& name) -> uint32_t {
            for (size_t n = 0; n < walkers.size(); ++n)
                if (walkers[n].name == name) return CServerHall::FIRST_WALKER_ID + uint32_t(n);
            return 0;
        };
        for (const CWorldLine* line : hall.World().LinesOf("shop")) {
            uint32_t flags = 0;
            ReadServerNumber(line->args[1], UINT32_MAX, &flags);
            if (uint32_t id = idOf(line->args[0])) m_shops[id].flags = flags;
        }
        for (const CWorldLine* line : hall.World().LinesOf("goods")) {
            Goods g;
            uint32_t weight = 0;
            ReadServerNumber(line->args[1], UINT32_MAX, &g.itemId);
            ReadServerNumber(line->args[2], UINT32_MAX, &g.price);
            ReadServerNumber(line->args[3], UINT16_MAX, &weight);
            g.weight = uint16_t(weight);
            g.name = RestAfter(line->rest, 4);
            if (uint32_t id = idOf(line->args[0])) m_shops[id].goods.push_back(g);
        }
    }

    Taken Request(CServerHall& hall, CHallClient& c, uint8_t code, CPacketReader& body) override {
        if (code != kRequestNpc) return Taken::No;
        const uint32_t npcId = body.GetDword();
        const uint8_t function = body.GetByte();
        if (body.Failed()) return Taken::No;
        auto shop = m_shops.find(npcId);
        if (shop == m_shops.end()) return Taken::No;
        const std::string name = "5/" + std::to_string(function);
        switch (function) {
            case kOpen:
                hall.LogRequest(c, name, "opens NPC " + std::to_string(npcId));
                hall.Send(c, WriteNpcMenu("", shop->second.flags, 0));
                return Taken::Yes;
            case kClose:
                hall.LogRequest(c, name, "leaves NPC " + std::to_string(npcId));
                return Taken::Yes;
            case kBuy:
            case kSell:
            case kRepair:
                return Trade(hall, c, shop->second, function, body);
            default:
                return Taken::No;
        }
    }

private:
    struct Line {
        uint16_t key = 0, count = 0;
    };

    Taken Trade(CServerHall& hall, CHallClient& c, const Shop& shop, uint8_t function, CPacketReader& body) {
        const uint8_t action = body.GetByte();
        if (body.Failed()) return Taken::CutShort;
        const std::string name = "5/" + std::to_string(function) + "/" + std::to_string(action);
        if (action == 0) {
            hall.LogRequest(c, name, "opens the list");
            if (function == kBuy) hall.Send(c, WriteTradeList(1, false, GoodsList(shop)));
            if (function == kSell) hall.Send(c, WriteTradeList(2, false, BagList(c, shop)));
            if (function == kRepair) hall.Send(c, WriteNothingToRepair());
            return Taken::Yes;
        }
        if (action != 1 || function == kRepair) return Taken::No;
        body.GetByte();  // the price kind
        const uint16_t n = body.GetWord();
        std::vector<Line> lines;
        for (uint16_t i = 0; i < n && !body.Failed(); ++i) {
            Line line;
            line.key = body.GetWord();
            line.count = body.GetWord();
            lines.push_back(line);
        }
        if (body.Failed()) return Taken::CutShort;
        if (function == kBuy)
            Buy(hall, c, shop, lines, name);
        else
            Sell(hall, c, shop, lines, name);
        return Taken::Yes;
    }

    std::vector<CTradeGoods> GoodsList(const Shop& shop) const {
        std::vector<CTradeGoods> list;
        for (size_t k = 0; k < shop.goods.size() && k < kMaxListed; ++k) {
            CTradeGoods g;
            g.key = uint16_t(k);
            g.itemId = shop.goods[k].itemId;
            g.name = shop.goods[k].name;
            g.price = shop.goods[k].price;
            g.weight = shop.goods[k].weight;
            list.push_back(g);
        }
        return list;
    }

    static uint32_t SellPrice(const Shop& shop, uint32_t itemId) {
        for (const Goods& g : shop.goods)
            if (g.itemId == itemId) return g.price / 2;
        return kSellPrice;
    }

    std::vector<CTradeGoods> BagList(const CHallClient& c, const Shop& shop) {
        std::vector<CTradeGoods> list;
        if (!m_bags) return list;
        for (const auto& [slot, item] : m_bags->BagOf(c)) {
            CTradeGoods g;
            g.key = uint16_t(slot);
            g.slot = uint8_t(slot);
            g.itemId = item.itemId;
            g.name = item.name;
            g.count = item.count;
            g.price = SellPrice(shop, item.itemId);
            list.push_back(g);
        }
        return list;
    }

    void Buy(CServerHall& hall, CHallClient& c, const Shop& shop, const std::vector<Line>& lines,
             const std::string& name) {
        uint64_t price = 0;
        for (const Line& line : lines) {
            if (line.key >= shop.goods.size() || line.count == 0) {
                hall.LogRequest(c, name, "no such goods " + std::to_string(line.key));
                return;
            }
            price += uint64_t(shop.goods[line.key].price) * line.count;
        }
        const uint32_t money = m_purse ? m_purse->MoneyOf(c) : 0;
        if (!m_bags || price > money) {
            hall.LogRequest(c, name, "cannot pay " + std::to_string(price));
            return;
        }
        CHallBag& bag = m_bags->BagOf(c);
        std::string bought;
        for (const Line& line : lines) {
            const Goods& g = shop.goods[line.key];
            int32_t slot = -1;
            for (auto& [s, item] : bag)
                if (item.itemId == g.itemId && uint32_t(item.count) + line.count <= UINT16_MAX)
                    slot = int32_t(s);
            if (slot < 0) slot = m_bags->FreeSlot(c);
            if (slot < 0) {
                price -= uint64_t(g.price) * line.count;  // no room: that line is not bought
                continue;
            }
            CHallBagItem& item = bag[uint32_t(slot)];
            if (item.count == 0) item = CHallBagItem{g.itemId, g.name, 0};
            item.count = uint16_t(item.count + line.count);
            m_bags->SendSlot(hall, c, uint32_t(slot));
            bought += " " + std::to_string(line.count) + " " + g.name;
        }
        hall.LogRequest(c, name, "buys" + bought + " for " + std::to_string(price));
        if (m_purse) m_purse->SetMoney(hall, c, uint32_t(money - price));
    }

    void Sell(CServerHall& hall, CHallClient& c, const Shop& shop, const std::vector<Line>& lines,
              const std::string& name) {
        if (!m_bags) return;
        CHallBag& bag = m_bags->BagOf(c);
        uint64_t paid = 0;
        std::string sold;
        for (const Line& line : lines) {
            auto it = bag.find(line.key);
            if (it == bag.end() || line.count == 0 || line.count > it->second.count) continue;
            paid += uint64_t(SellPrice(shop, it->second.itemId)) * line.count;
            sold += " " + std::to_string(line.count) + " " + it->second.name;
            it->second.count = uint16_t(it->second.count - line.count);
            if (it->second.count == 0) bag.erase(it);
            m_bags->SendSlot(hall, c, line.key);
        }
        hall.LogRequest(
            c, name,
            "sells" + (sold.empty() ? std::string(" nothing") : sold) + " for " + std::to_string(paid));
        if (m_purse && paid) {
            const uint64_t money = uint64_t(m_purse->MoneyOf(c)) + paid;
            m_purse->SetMoney(hall, c, uint32_t(money > UINT32_MAX ? UINT32_MAX : money));
        }
    }

    IHallBags* m_bags;
    IHallPurse* m_purse;
    std::map<uint32_t, Shop> m_shops;  // by NPC id
};

}  // namespace

std::unique_ptr<CHallFeature> MakeTradeFeature(IHallBags* bags, IHallPurse* purse) {
    return std::make_unique<CTradeFeature>(bags, purse);
}
