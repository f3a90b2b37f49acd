#include "tools/qmserver/server_hall.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/config.h"
#include "net/game_session.h"
#include "net/handlers/account_handlers.h"
#include "net/handlers/appearance_messages.h"
#include "net/handlers/char_handlers.h"
#include "net/handlers/chat_messages.h"
#include "net/handlers/inline_messages.h"
#include "net/handlers/login_phase.h"
#include "net/handlers/login_records.h"
#include "net/handlers/object_messages.h"
#include "net/handlers/terms.h"
#include "net/packet_reader.h"
#include "net/wire_link.h"
#include "platform/socket.h"
#include "world/chars/char_events.h"

namespace {

constexpr uint8_t RESULT_REFUSED = 1;
constexpr size_t KEY_LENGTH = 12;
// The chat kind the game screen shows as its notice line.
constexpr uint8_t NOTICE_KIND = 4;

// A u8-length text, cut at its first 0 byte.
std::string Text(CPacketReader& reader) {
    std::string text = reader.GetString();
    return text.substr(0, std::strlen(text.c_str()));
}

std::string CodeName(const std::vector<uint8_t>& message) {
    if (message.empty()) return "empty";
    std::string name = std::to_string(message[0]);
    if (message.size() >= 2 &&
        (message[0] == 0 || message[0] == 15 || message[0] == 87 || message[0] == 96 || message[0] == 10))
        name += "/" + std::to_string(message[1]);
    return name;
}

std::string Dotted(uint32_t addressNet) {
    uint8_t b[4];
    std::memcpy(b, &addressNet, 4);
    return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." +
           std::to_string(b[3]);
}

}  // namespace

struct CServerHall::Connection : CHallClient {
    uint32_t dialled = 0;
    CWireLink link{WireSide::Server};
    std::vector<uint8_t> output;
    bool closing = false;
    bool game = false;
    int badInRow = 0;
    bool sequenceKnown = false;
    uint8_t nextSequence = 0;
    bool loggedIn = false;
    bool hostile = false;  // past the honest phase of hostile mode
};

uint32_t CServerHall::OwnAddress() {
    return plat::MakeIPv4(127, 0, 1, 2);
}

CServerHall::CServerHall(CServerWorld world, uint16_t port, uint32_t seed, LogSink log)
    : m_world(std::move(world)),
      m_features(MakeHallFeatures()),
      m_port(port),
      m_log(std::move(log)),
      m_random(seed) {
    for (const CServerWalker& walker : m_world.walkers) {
        Walker w;
        w.x = walker.loop.empty() ? m_world.startX : walker.loop[0].first;
        w.y = walker.loop.empty() ? m_world.startY : walker.loop[0].second;
        m_walkers.push_back(w);
    }
    for (const auto& feature : m_features) feature->Start(*this);
}

CServerHall::~CServerHall() = default;

CServerHall::Connection* CServerHall::Find(int id) const {
    auto it = m_connections.find(id);
    return it == m_connections.end() ? nullptr : it->second.get();
}

int CServerHall::Open(uint32_t addressNet) {
    auto c = std::make_unique<Connection>();
    c->id = m_nextId++;
    c->version = CLIENT_VERSION;
    c->dialled = addressNet;
    Connection& ref = *c;
    m_connections[c->id] = std::move(c);
    Log(ref, "connected to " + Dotted(addressNet));
    const std::vector<uint8_t> greeting = CWireLink::Greeting();
    ref.output.insert(ref.output.end(), greeting.begin(), greeting.end());
    Log(ref, "-> greeting");
    return ref.id;
}

void CServerHall::Close(int id) {
    Connection* c = Find(id);
    if (!c) return;
    Log(*c, "hung up");
    if (c->ready) ToOthers(c, WriteObjectLeaves(c->charId));
    for (const auto& feature : m_features) feature->Closed(*this, *c);
    if (id == m_hostileFirst && !m_hostileReport.ended) m_hostileReport.stayedConnected = false;
    m_connections.erase(id);
}

const std::vector<uint8_t>& CServerHall::Output(int id) const {
    static const std::vector<uint8_t> none;
    const Connection* c = Find(id);
    return c ? c->output : none;
}

void CServerHall::Sent(int id, size_t count) {
    Connection* c = Find(id);
    if (!c) return;
    c->output.erase(c->output.begin(), c->output.begin() + std::ptrdiff_t(std::min(count, c->output.size())));
}

bool CServerHall::Closing(int id) const {
    const Connection* c = Find(id);
    return !c || c->closing;
}

void CServerHall::Log(const CHallClient& c, const std::string& text) {
    if (m_log) m_log("c" + std::to_string(c.id) + " " + text);
}

void CServerHall::LogRequest(const CHallClient& c, const std::string& name, const std::string& note) {
    Log(c, "<- " + name + (note.empty() ? "" : " " + note));
}

std::vector<CHallClient*> CServerHall::ClientsInField() {
    std::vector<CHallClient*> clients;
    for (auto& [id, c] : m_connections)
        if (c->ready && !c->closing) clients.push_back(c.get());
    return clients;
}

CHallClient* CServerHall::FindClient(const std::string& name) {
    for (auto& [id, c] : m_connections)
        if (c->entered && c->name == name) return c.get();
    return nullptr;
}

CHallClient* CServerHall::FindClientByCharId(uint32_t charId) {
    for (auto& [id, c] : m_connections)
        if (c->entered && c->charId == charId) return c.get();
    return nullptr;
}

void CServerHall::Send(CHallClient& c, const std::vector<uint8_t>& message) {
    SendTo(static_cast<Connection&>(c), message);
}

void CServerHall::SendTo(Connection& c, const std::vector<uint8_t>& message) {
    if (c.closing || message.empty()) return;
    const std::vector<uint8_t> frame = c.link.Frame(message);
    if (c.output.size() + frame.size() > MAX_OUTPUT) {
        Log(c, "dropped: more than 1 MiB waits to be sent");
        c.closing = true;
        return;
    }
    c.output.insert(c.output.end(), frame.begin(), frame.end());
    Log(c, "-> " + CodeName(message));
}

void CServerHall::ToOthers(const CHallClient* c, const std::vector<uint8_t>& message) {
    for (auto& [id, other] : m_connections)
        if (other.get() != c && other->ready) SendTo(*other, message);
}

void CServerHall::Receive(int id, const uint8_t* data, size_t size) {
    Connection* c = Find(id);
    if (!c || c->closing) return;
    c->link.Feed(data, size);
    CWireFrame frame;
    while (!c->closing && c->link.Next(&frame)) {
        bool bad = false;
        if (frame.message.empty()) {
            Log(*c, "<- empty frame, skipped");
            bad = true;
        } else if (!frame.clear && c->sequenceKnown && frame.sequence != c->nextSequence) {
            Log(*c, "<- " + CodeName(frame.message) + " with sequence " + std::to_string(frame.sequence) +
                        " where " + std::to_string(c->nextSequence) + " was due, skipped");
            bad = true;
        } else {
            if (!frame.clear) {
                c->sequenceKnown = true;
                c->nextSequence = uint8_t(frame.sequence + 1);
            }
            bad = !Request(*c, frame.message);
            if (bad) Log(*c, "<- " + CodeName(frame.message) + " cut short, skipped");
        }
        c->badInRow = bad ? c->badInRow + 1 : 0;
        if (c->badInRow >= MAX_BAD_FRAMES) {
            Log(*c, "closed: three bad frames in a row");
            c->closing = true;
        }
    }
    if (c->link.JunkRun() >= MAX_JUNK) {
        Log(*c, "closed: 64 KiB without a frame's start");
        c->closing = true;
    }
}

std::string CServerHall::NewKey() {
    static constexpr char LETTERS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string key(KEY_LENGTH, 'A');
    for (char& ch : key) ch = LETTERS[m_random() % (sizeof LETTERS - 1)];
    return key;
}

bool CServerHall::Request(Connection& c, const std::vector<uint8_t>& message) {
    const uint8_t code = message[0];
    for (const auto& feature : m_features) {
        CPacketReader featureBody(message.data() + 1, message.size() - 1);
        const CHallFeature::Taken taken = feature->Request(*this, c, code, featureBody);
        if (taken == CHallFeature::Taken::Yes) return true;
        if (taken == CHallFeature::Taken::CutShort) return false;
    }
    CPacketReader body(message.data() + 1, message.size() - 1);
    auto done = [&](const std::string& note = std::string()) {
        if (body.Failed()) return false;
        Log(c, "<- " + CodeName(message) + (note.empty() ? "" : " " + note));
        return true;
    };
    switch (code) {
        case 0: {  // the first request: the client's version
            const uint16_t version = body.GetWord();
            body.GetByte();
            if (!done("version " + std::to_string(version))) return false;
            c.version = version;
            CCipherSetup setup;
            setup.m_maskFunction = uint32_t(m_random() % 21);
            setup.m_key = NewKey();
            Send(c, WriteKeySetup(setup));
            c.link.SetCipher(int(setup.m_maskFunction), setup.m_key);
            if (!m_hostile.fromField) ReachedPhase(c);
            return true;
        }
        case 87: {  // world list or world entry
            const uint8_t sub = body.GetByte();
            if (sub == 1) {
                if (!done()) return false;
                std::vector<CServerListEntry> entries;
                for (const auto& [number, name] : m_world.worlds) {
                    CServerListEntry entry;
                    entry.worldId = number;
                    entry.address = OwnAddress();
                    entry.port = m_port;
                    std::snprintf(entry.name, sizeof entry.name, "%s", name.c_str());
                    entries.push_back(entry);
                }
                Send(c, WriteServerList(entries));
                return true;
            }
            const uint8_t world = body.GetByte();
            if (!done(sub == 0 ? "world " + std::to_string(world) : "not served")) return false;
            if (sub != 0) return true;
            CCipherSetup ticket;
            ticket.m_maskFunction = uint32_t(m_random() % 21);
            ticket.m_key = NewKey();
            m_tickets[ticket.m_key] = c.version;
            Send(c, WriteServerChange(OwnAddress(), m_port, ticket, ""));
            return true;
        }
        case 16: {  // the ticket of a game connection
            std::optional<CCipherSetup> ticket = ParseKeySetup(body);
            if (!ticket || !ticket->IsUsable()) return false;
            body.Skip(body.Remaining());
            auto known = m_tickets.find(ticket->m_key);
            if (!done(known == m_tickets.end() ? "unknown ticket" : "ticket")) return false;
            if (known != m_tickets.end()) {
                c.version = known->second;
                m_tickets.erase(known);
            }
            c.game = true;
            c.link.SetCipher(int(ticket->m_maskFunction), ticket->m_key);
            // A client that followed a hostile server change stays in the
            // hostile run, whatever the phase it would start from.
            if (!m_hostile.fromField || m_hostileTickets.erase(ticket->m_key) > 0) ReachedPhase(c);
            return true;
        }
        case 15: {
            const uint8_t sub = body.GetByte();
            if (sub == 2) body.Skip(body.Remaining());
            if (!done(sub == 0 || sub == 3 ? "" : "not served")) return false;
            if (sub == 3) Send(c, WriteTermsChecksum(TermsChecksum(m_world.terms)));
            return true;
        }
        case 75:
            if (!done()) return false;
            Send(c, WriteTermsText(m_world.terms));
            return true;
        case 3: {  // log-in: any account and password
            const std::string account = Text(body);
            Text(body);
            if (!done("account " + account)) return false;
            if (account.empty() || account.size() > CServerWorld::MAX_NAME) {
                Send(c, WriteLoginReply(RESULT_REFUSED, "That account name cannot be used."));
                return true;
            }
            c.account = account;
            c.loggedIn = true;
            m_world.accounts[account];  // a new account starts without characters
            Send(c, WriteLoginReply(0, ""));
            SendCharList(c);
            return true;
        }
        case 44: {  // create a character
            const uint32_t resource = body.GetDword();
            const std::string name = Text(body);
            if (!done(name)) return false;
            if (!c.loggedIn || c.entered) return true;
            bool taken = name.empty() || name.size() > CServerWorld::MAX_NAME;
            for (const auto& [account, characters] : m_world.accounts)
                for (const CServerCharacter& character : characters) taken = taken || character.name == name;
            if (taken) {
                Send(c, WriteLoginReply(RESULT_REFUSED, "That name is taken."));
                return true;
            }
            m_world.accounts[c.account].push_back({name, resource});
            Send(c, WriteLoginReply(0, ""));
            SendCharList(c);
            return true;
        }
        case 45: {  // delete a character
            const std::string name = Text(body);
            Text(body);
            if (!done(name)) return false;
            if (!c.loggedIn || c.entered) return true;
            std::vector<CServerCharacter>& characters = m_world.accounts[c.account];
            auto it = std::find_if(characters.begin(), characters.end(),
                                   [&](const CServerCharacter& ch) { return ch.name == name; });
            if (it == characters.end()) {
                Send(c, WriteLoginReply(RESULT_REFUSED, "There is no such character."));
                return true;
            }
            characters.erase(it);
            Send(c, WriteLoginReply(0, ""));
            SendCharList(c);
            return true;
        }
        case 43: {  // enter the field
            const std::string name = Text(body);
            if (!done(name)) return false;
            if (c.loggedIn && !c.entered) EnterField(c, name);
            return true;
        }
        case 57:
            if (!done()) return false;
            if (c.entered && !c.ready) MapReady(c);
            return true;
        case 84: {  // a walk to points
            body.GetByte();
            const uint8_t count = body.GetByte();
            uint16_t x = c.x, y = c.y;
            for (uint8_t n = 0; n < count && !body.Failed(); ++n) {
                x = body.GetWord();
                y = body.GetWord();
            }
            if (!done(std::to_string(x) + " " + std::to_string(y))) return false;
            if (c.ready && count > 0) Moved(c, x, y);
            return true;
        }
        case 51: {  // the player stands on a new tile
            const uint16_t x = body.GetWord();
            const uint16_t y = body.GetWord();
            const uint8_t facing = body.GetByte();
            body.GetByte();
            if (!done(std::to_string(x) + " " + std::to_string(y))) return false;
            c.direction = uint8_t(facing & 7);
            if (c.ready) Moved(c, x, y);
            return true;
        }
        case 117:
            body.GetDword();
            body.GetDword();
            return done();
        case 118:
            return done();
        default:
            body.Skip(body.Remaining());
            return done("not served");
    }
}

void CServerHall::SendCharList(Connection& c) {
    std::vector<CCharListEntry> entries;
    for (const CServerCharacter& character : m_world.accounts[c.account]) {
        CCharListEntry entry;
        std::snprintf(entry.m_name, sizeof entry.m_name, "%s", character.name.c_str());
        entry.m_charId = 0;
        entry.m_value = character.resourceId;
        entry.m_kind = 1;
        entry.m_value2 = 0;  // no pet beside the character
        std::fill(std::begin(entry.m_optional), std::end(entry.m_optional), -1);
        entries.push_back(entry);
    }
    Send(c, WriteCharList(c.account.c_str(), entries));
}

std::vector<uint8_t> CServerHall::Appearance(const Connection& c) const {
    CCharCreateFields fields;
    fields.m_charId = c.charId;
    fields.m_resourceId = c.resourceId;
    fields.m_tileX = c.x;
    fields.m_tileY = c.y;
    fields.m_direction = uint8_t(c.direction * 2);
    std::snprintf(fields.m_name, sizeof fields.m_name, "%s", c.name.c_str());
    return WriteCharAppears(fields);
}

void CServerHall::EnterField(Connection& c, const std::string& name) {
    const std::vector<CServerCharacter>& characters = m_world.accounts[c.account];
    auto it = std::find_if(characters.begin(), characters.end(),
                           [&](const CServerCharacter& ch) { return ch.name == name; });
    if (it == characters.end()) {
        Send(c, WriteLoginReply(RESULT_REFUSED, "There is no such character."));
        return;
    }
    c.entered = true;
    c.name = it->name;
    c.resourceId = it->resourceId;
    c.charId = m_nextCharId++;
    c.x = m_world.startX;
    c.y = m_world.startY;
    c.direction = 0;
    SendOwnCharAfterMapChange(c);
    Send(c, WriteRequest118());
    for (const auto& feature : m_features) feature->EnterField(*this, c);
}

void CServerHall::SendOwnCharAfterMapChange(CHallClient& c) {
    Send(c, WriteMapChange(m_world.stage, 0, 0));
    CCharCreateFields own;
    own.m_charId = c.charId;
    own.m_resourceId = c.resourceId;
    own.m_tileX = c.x;
    own.m_tileY = c.y;
    std::snprintf(own.m_name, sizeof own.m_name, "%s", c.name.c_str());
    Send(c, WriteOwnChar(own));
    Send(c, WritePlayerPosition(c.x, c.y));
}

// Message 7 with the walkers in view (every one present, or only the one n).
std::vector<uint8_t> CServerHall::WalkersInView(uint16_t clientVersion, size_t only) const {
    std::vector<CViewCharacter> walkers;
    for (size_t n = 0; n < m_world.walkers.size(); ++n) {
        if (m_walkers[n].away || (only != SIZE_MAX && n != only)) continue;
        CViewCharacter object;
        object.kind = m_world.walkers[n].monster ? CViewCharacter::KIND_MONSTER : CViewCharacter::KIND_NPC;
        object.id = FIRST_WALKER_ID + uint32_t(n);
        object.resourceId = m_world.walkers[n].resourceId;
        object.tileX = m_walkers[n].x;
        object.tileY = m_walkers[n].y;
        object.name = m_world.walkers[n].name;
        walkers.push_back(object);
    }
    return walkers.empty() ? std::vector<uint8_t>() : WriteObjectsInView(walkers, clientVersion);
}

void CServerHall::Drop(CHallClient& c) {
    auto* connection = static_cast<Connection*>(&c);
    if (connection->closing) return;
    Log(c, "dropped by the server");
    connection->closing = true;
}

bool CServerHall::WalkerAt(size_t n, uint16_t* x, uint16_t* y) const {
    if (n >= m_walkers.size() || m_walkers[n].away) return false;
    *x = m_walkers[n].x;
    *y = m_walkers[n].y;
    return true;
}

void CServerHall::WalkerLeaves(size_t n) {
    if (n >= m_walkers.size() || m_walkers[n].away) return;
    m_walkers[n].away = true;
    ToAll(WriteObjectLeaves(FIRST_WALKER_ID + uint32_t(n)));
}

void CServerHall::WalkerReturns(size_t n) {
    if (n >= m_walkers.size() || !m_walkers[n].away) return;
    m_walkers[n].away = false;
    for (auto& [id, c] : m_connections)
        if (c->ready) Send(*c, WalkersInView(c->version, n));
}

void CServerHall::MapReady(Connection& c) {
    for (auto& [id, other] : m_connections)
        if (other.get() != &c && other->ready) Send(c, Appearance(*other));
    Send(c, WalkersInView(c.version, SIZE_MAX));
    c.ready = true;
    ToOthers(&c, Appearance(c));
    for (const auto& feature : m_features) feature->MapReady(*this, c);
    if (m_hostile.fromField) ReachedPhase(c);
}

void CServerHall::Moved(Connection& c, uint16_t x, uint16_t y) {
    c.x = x;
    c.y = y;
    CCharMoveOrder order;
    order.m_charId = c.charId;
    order.m_speed = WALK_SPEED;
    order.m_tileX = x;
    order.m_tileY = y;
    ToOthers(&c, WriteMoveOrder(order));
}

void CServerHall::Announce(const std::string& text) {
    const std::vector<uint8_t> message = WriteChatLine(NOTICE_KIND, 0, text);
    for (auto& [id, c] : m_connections)
        if (c->ready) Send(*c, message);
}

void CServerHall::Tick(uint32_t nowMs) {
    HostileTick(nowMs);
    for (const auto& feature : m_features) feature->Tick(*this, nowMs);
    if (!m_ticked) {
        m_ticked = true;
        m_lastWalk = m_lastTime = nowMs;
        return;
    }
    if (nowMs - m_lastWalk >= WALK_INTERVAL_MS) {
        m_lastWalk = nowMs;
        for (size_t n = 0; n < m_walkers.size(); ++n) {
            const std::vector<std::pair<uint16_t, uint16_t>>& loop = m_world.walkers[n].loop;
            Walker& w = m_walkers[n];
            if (loop.size() < 2 || w.away) continue;
            w.at = (w.at + 1) % loop.size();
            w.x = loop[w.at].first;
            w.y = loop[w.at].second;
            CCharMoveOrder order;
            order.m_charId = FIRST_WALKER_ID + uint32_t(n);
            order.m_speed = WALK_SPEED;
            order.m_tileX = w.x;
            order.m_tileY = w.y;
            const std::vector<uint8_t> message = WriteMoveOrder(order);
            for (auto& [id, c] : m_connections)
                if (c->ready) Send(*c, message);
        }
    }
    if (nowMs - m_lastTime >= TIME_INTERVAL_MS) {
        m_lastTime = nowMs;
        const std::vector<uint8_t> message = WriteTimeEcho(nowMs);
        for (auto& [id, c] : m_connections)
            if (c->ready) Send(*c, message);
    }
}

// ---- Hostile mode ----

void CServerHall::SetHostile(const CHostilePlan& plan) {
    m_hostile = plan;
    m_hostileRandom.seed(plan.seed);
    m_hostileReport = CHostileReport();
}

void CServerHall::ReachedPhase(Connection& c) {
    if (m_hostile.seconds == 0 || m_hostileReport.ended || c.hostile) return;
    c.hostile = true;
    if (!m_hostileReport.started) {
        m_hostileReport.started = true;
        m_hostileReport.stayedConnected = true;
        m_hostileFirst = c.id;
        m_hostileStart = m_hostileLast = 0;
        Log(c, "hostile from now on");
    } else if (!m_hostileReport.stayedConnected) {
        ++m_hostileReport.comebacks;
        Log(c, "came back");
    }
}

void CServerHall::HostileTick(uint32_t nowMs) {
    if (!m_hostileReport.started || m_hostileReport.ended) return;
    if (m_hostileStart == 0 && m_hostileLast == 0) {
        m_hostileStart = m_hostileLast = nowMs == 0 ? 1 : nowMs;
        return;
    }
    const uint32_t run = nowMs - m_hostileStart;
    m_hostileReport.msRun = run;
    const uint64_t due = uint64_t(nowMs - m_hostileLast) * HOSTILE_FRAMES_PER_SECOND / 1000;
    if (due > 0) {
        m_hostileLast = nowMs;
        for (auto& [id, c] : m_connections) {
            if (!c->hostile || c->closing) continue;
            for (uint64_t n = 0; n < due && c->output.size() < HOSTILE_OUTPUT_LIMIT; ++n) {
                const std::vector<uint8_t> frame = HostileFrame(*c);
                c->output.insert(c->output.end(), frame.begin(), frame.end());
                ++m_hostileReport.frames;
                m_hostileReport.bytes += frame.size();
            }
        }
    }
    if (run >= m_hostile.seconds * 1000u) {
        m_hostileReport.ended = true;
        if (m_log)
            m_log("hostile mode ended after " + std::to_string(run / 1000) +
                  " s: " + std::to_string(m_hostileReport.frames) + " frames, " +
                  std::to_string(m_hostileReport.bytes) + " bytes");
    }
}

std::vector<uint8_t> CServerHall::HostileFrame(Connection& c) {
    std::mt19937& r = m_hostileRandom;
    auto randomBytes = [&](size_t count) {
        std::vector<uint8_t> bytes(count);
        for (uint8_t& b : bytes) b = uint8_t(r());
        return bytes;
    };
    // A code the client reads, but never 104 (it opens web addresses) nor 3
    // (a server change, which names the server itself only below).
    auto code = [&]() {
        for (;;) {
            const uint8_t value = uint8_t(r() % 122);
            if (value != 104 && value != 3) return value;
        }
    };
    switch (r() % 11) {
        case 0:
        case 1:
        case 2: {  // a random body under the right cipher
            std::vector<uint8_t> message = randomBytes(1 + r() % 120);
            message[0] = code();
            return c.link.Frame(message);
        }
        case 3:
        case 4: {  // a real message, cut or lengthened
            std::vector<uint8_t> message;
            CCharCreateFields fields;
            fields.m_charId = uint32_t(r() % 4) + FIRST_CHAR_ID;
            fields.m_resourceId = 2000001;
            fields.m_tileX = uint16_t(r() % 64);
            fields.m_tileY = uint16_t(r() % 64);
            const bool strange = r() % 2;  // ids and tiles at their extremes, the frame whole
            if (strange) {
                const uint32_t extremes[] = {0,      1,          0x7FFF,     0x8000,
                                             0xFFFF, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
                auto extreme = [&]() {
                    return r() % 2 ? extremes[r() % std::size(extremes)] : uint32_t(r());
                };
                fields.m_charId = extreme();
                fields.m_resourceId = extreme();
                fields.m_tileX = uint16_t(extreme());
                fields.m_tileY = uint16_t(extreme());
            }
            switch (r() % 6) {
                case 0:
                    message = WriteCharAppears(fields);
                    break;
                case 1:
                    message = WriteOwnChar(fields);
                    break;
                case 2:
                    message = WriteChatLine(uint8_t(r() % 30), 0, "hostile line");
                    break;
                case 3: {
                    CCharMoveOrder order;
                    order.m_charId = fields.m_charId;
                    order.m_tileX = fields.m_tileX;
                    order.m_tileY = fields.m_tileY;
                    message = WriteMoveOrder(order);
                    break;
                }
                case 4:
                    message = WriteObjectsInView(
                        {CViewCharacter{CViewCharacter::KIND_MONSTER, FIRST_WALKER_ID, 2100001,
                                        uint16_t(fields.m_tileX), uint16_t(fields.m_tileY), 0, "x"}},
                        c.version);
                    break;
                default: {
                    CCipherSetup ticket;
                    ticket.m_maskFunction = uint32_t(r() % 21);
                    ticket.m_key = NewKey();
                    m_tickets[ticket.m_key] = c.version;
                    m_hostileTickets.insert(ticket.m_key);
                    message = WriteServerChange(OwnAddress(), m_port, ticket, "");
                    return c.link.Frame(message);
                }
            }
            if (!strange) {  // the real message cut short or lengthened
                if (r() % 2)
                    message.resize(1 + r() % message.size());
                else
                    for (uint8_t b : randomBytes(1 + r() % 40)) message.push_back(b);
            }
            return c.link.Frame(message);
        }
        case 5: {  // a frame announcing up to 65,535 bytes
            const size_t length = r() % 8 == 0 ? 0xFFFF : r() % 0x10000;
            std::vector<uint8_t> frame = {0xAA, uint8_t(length >> 8), uint8_t(length)};
            std::vector<uint8_t> body = randomBytes(length);
            if (!body.empty() && (body[0] == 104 || body[0] == 3)) body[0] = 1;
            frame.insert(frame.end(), body.begin(), body.end());
            return frame;
        }
        case 6:  // an empty frame
            return {0xAA, 0, 0};
        case 7: {  // junk before a frame's start
            std::vector<uint8_t> junk = randomBytes(1 + r() % 64);
            for (uint8_t& b : junk)
                if (b == 0xAA) b = 0x55;
            std::vector<uint8_t> message = randomBytes(1 + r() % 20);
            message[0] = code();
            const std::vector<uint8_t> frame = c.link.Frame(message);
            junk.insert(junk.end(), frame.begin(), frame.end());
            return junk;
        }
        case 8:
        case 9: {  // raw bytes, with no 0xAA to start a frame in them
            std::vector<uint8_t> raw = randomBytes(1 + r() % 200);
            for (uint8_t& b : raw)
                if (b == 0xAA) b = 0x55;
            return raw;
        }
        default:  // a whole body for a code the client reads, its fields at their extremes
            return c.link.Frame(HostileFieldValues());
    }
}

std::vector<uint8_t> CServerHall::HostileFieldValues() {
    std::mt19937& r = m_hostileRandom;
    if (m_hostileCodes.empty()) {
        // The codes the client has handlers for, save a web page (104) and a
        // server change (3): each gets its turn.
        CGameSession session;
        InstallPacketHandlers(session);
        for (int code = 0; code <= MAX_SERVER_CODE; ++code)
            if (code != 104 && code != 3 && session.HasPacketHandler(uint8_t(code)))
                m_hostileCodes.push_back(uint8_t(code));
    }
    const uint8_t code = m_hostileCodes[m_hostileCodeAt++ % m_hostileCodes.size()];
    // Counts, lengths, ids, tiles and sub-codes read from bytes like these:
    // empty, one, the signed edges and all ones, or any byte at all.
    static constexpr uint8_t EXTREMES[] = {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF};
    std::vector<uint8_t> message(1 + r() % (r() % 4 == 0 ? 1024 : 64));
    for (uint8_t& b : message) b = r() % 3 == 0 ? uint8_t(r()) : EXTREMES[r() % std::size(EXTREMES)];
    message[0] = code;
    // Most messages choose their form by the byte after the code.
    if (message.size() > 1 && r() % 2) message[1] = uint8_t(r() % 4 == 0 ? 128 + r() % 8 : r() % 16);
    return message;
}
