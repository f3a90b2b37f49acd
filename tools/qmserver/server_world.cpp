#include "tools/qmserver/server_world.h"

#include <cstdlib>
#include <sstream>

#include "net/handlers/char_records.h"

namespace {

constexpr size_t MAX_LINES = 10000;
constexpr size_t MAX_LOOP = 64;
constexpr size_t MAX_WALKERS = 64;
constexpr size_t MAX_TERMS = 16000;

bool Name(const std::string& word) {
    return !word.empty() && word.size() <= CServerWorld::MAX_NAME;
}

// The rest of a line after its first words and the spaces after them.
std::string Rest(const std::string& line, int words) {
    size_t at = 0;
    for (int n = 0; n <= words; ++n) {
        at = line.find_first_not_of(" \t", at);
        if (at == std::string::npos) return std::string();
        if (n == words) break;
        at = line.find_first_of(" \t", at);
        if (at == std::string::npos) return std::string();
    }
    return line.substr(at);
}

}  // namespace

std::string RestAfter(const std::string& rest, int words) {
    size_t at = 0;
    for (int word = 0; word < words; ++word) {
        at = rest.find_first_not_of(" \t", at);
        at = rest.find_first_of(" \t", at);
    }
    at = rest.find_first_not_of(" \t", at);
    return at == std::string::npos ? std::string() : rest.substr(at);
}

bool ReadServerNumber(const std::string& word, uint32_t limit, uint32_t* value) {
    if (word.empty() || word.size() > 10 || word.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const unsigned long long v = std::strtoull(word.c_str(), nullptr, 10);
    if (v > limit) return false;
    *value = uint32_t(v);
    return true;
}

std::optional<CServerWorld> CServerWorld::Parse(const std::string& text, std::string* error) {
    CServerWorld world;
    std::istringstream lines(text);
    std::string line;
    size_t number = 0;
    bool hasMap = false;
    const std::vector<std::unique_ptr<CHallFeature>> features = MakeHallFeatures();
    auto fail = [&](const std::string& reason) {
        if (error) *error = "line " + std::to_string(number) + ": " + reason;
        return std::nullopt;
    };
    while (std::getline(lines, line)) {
        if (++number > MAX_LINES) return fail("too many lines");
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string keyword;
        if (!(words >> keyword) || keyword[0] == '#') continue;
        std::vector<std::string> args;
        for (std::string word; words >> word;) args.push_back(word);
        uint32_t a = 0, b = 0, c = 0;
        if (keyword == "world") {
            if (args.size() < 2 || !ReadServerNumber(args[0], 255, &a)) return fail("world NUMBER NAME");
            const std::string name = Rest(line, 2);
            if (name.size() > 40) return fail("world name longer than 40 bytes");
            world.worlds.emplace_back(uint8_t(a), name);
        } else if (keyword == "map") {
            if (args.size() != 3 || !ReadServerNumber(args[0], 9999, &a) ||
                !ReadServerNumber(args[1], 65535, &b) || !ReadServerNumber(args[2], 65535, &c))
                return fail("map NUMBER X Y");
            world.stage = uint16_t(a);
            world.startX = uint16_t(b);
            world.startY = uint16_t(c);
            hasMap = true;
        } else if (keyword == "terms") {
            if (!world.terms.empty()) world.terms += "\n";
            world.terms += Rest(line, 1);
            if (world.terms.size() > MAX_TERMS) return fail("terms text too long");
        } else if (keyword == "character") {
            if (args.size() != 3 || !Name(args[0]) || !Name(args[1]) ||
                !ReadServerNumber(args[2], 0xFFFFFFFFu, &a))
                return fail("character ACCOUNT NAME RESOURCE");
            for (const auto& [account, characters] : world.accounts)
                for (const CServerCharacter& taken : characters)
                    if (taken.name == args[1]) return fail("the name " + args[1] + " is taken");
            world.accounts[args[0]].push_back({args[1], a});
        } else if (keyword == "walker") {
            if (args.size() < 5 || (args[0] != "npc" && args[0] != "monster") ||
                !ReadServerNumber(args[1], 0xFFFFFFFFu, &a) || !Name(args[2]) || (args.size() - 3) % 2 != 0)
                return fail("walker npc|monster RESOURCE NAME X Y [X Y ...]");
            if (world.walkers.size() >= MAX_WALKERS) return fail("too many walkers");
            CServerWalker walker;
            walker.monster = args[0] == "monster";
            walker.resourceId = a;
            walker.name = args[2];
            for (size_t i = 3; i + 1 < args.size(); i += 2) {
                if (!ReadServerNumber(args[i], 65535, &b) || !ReadServerNumber(args[i + 1], 65535, &c))
                    return fail("a tile is X Y");
                walker.loop.emplace_back(uint16_t(b), uint16_t(c));
            }
            if (walker.loop.size() > MAX_LOOP) return fail("a loop of more than 64 tiles");
            world.walkers.push_back(std::move(walker));
        } else {
            CWorldLine worldLine{keyword, args, Rest(line, 1), number};
            const CHallFeature* reader = nullptr;
            for (const auto& feature : features)
                for (const std::string& taken : feature->Keywords())
                    if (taken == keyword) reader = feature.get();
            if (!reader) return fail("unknown keyword " + keyword);
            std::string reason;
            if (!reader->CheckLine(worldLine, &reason))
                return fail(reason.empty() ? "bad " + keyword + " line" : reason);
            world.lines.push_back(std::move(worldLine));
        }
    }
    number = 0;
    if (world.worlds.empty()) return fail("no world");
    if (!hasMap) return fail("no map");
    return world;
}

std::vector<const CWorldLine*> CServerWorld::LinesOf(const std::string& keyword) const {
    std::vector<const CWorldLine*> found;
    for (const CWorldLine& line : lines)
        if (line.keyword == keyword) found.push_back(&line);
    return found;
}

CServerWorld CServerWorld::Default() {
    CServerWorld world;
    world.worlds = {{1, "Quill"}};
    world.terms = "Play fair and be kind.";
    world.accounts["demo"] = {{"Ardent", 2000001}};
    return world;
}

const std::map<std::string, size_t>& StatusLineKeys() {
    static const std::map<std::string, size_t> keys = {
        {"life", 2},  {"mana", 2},       {"spirit", 2},  {"stamina", 1}, {"load", 2},  {"state", 1},
        {"level", 1}, {"experience", 3}, {"numbers", 8}, {"maxima", 3},  {"stats", 7}, {"money", 1},
    };
    return keys;
}

void ApplyStatusLine(CStatusBlockFields& s, const std::string& key, const std::vector<uint32_t>& v) {
    const auto known = StatusLineKeys().find(key);
    if (known == StatusLineKeys().end() || v.size() < known->second) return;
    if (key == "life" || key == "mana") {
        const size_t at = key == "life" ? 0 : 2;
        s.m_group02[at] = v[0];
        s.m_group02[at + 1] = v[1];
    } else if (key == "stamina") {
        s.m_group02Word = uint16_t(v[0]);
    } else if (key == "spirit" || key == "load") {
        const size_t at = key == "spirit" ? 0 : 2;
        s.m_group04[at] = v[0];
        s.m_group04[at + 1] = v[1];
    } else if (key == "maxima") {
        for (size_t i = 0; i < 3; ++i) s.m_group04[4 + i] = v[i];
    } else if (key == "state") {
        s.m_group08Byte = uint8_t(v[0]);
    } else if (key == "experience") {
        for (size_t i = 0; i < 3; ++i) s.m_group08[i] = v[i];
    } else if (key == "level") {
        s.m_group10Byte = uint8_t(v[0]);
    } else if (key == "numbers") {
        for (size_t i = 0; i < 8; ++i) s.m_group10Words[i] = uint16_t(v[i]);
    } else if (key == "stats") {
        for (size_t i = 0; i < 7; ++i) s.m_group20Words[i] = uint16_t(v[i]);
        s.m_flags |= 0x20;
    } else if (key == "money") {
        s.m_group40[1] = v[0];
        s.m_flags |= 0x40;
    }
}
