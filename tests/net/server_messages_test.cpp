// Every server message against the handler rules: a table of valid samples
// (later handlers add their rows), each of which changes something; every
// strict prefix of a sample, and the empty body of every code, changes
// nothing; random bodies run clean. All with the receivers and windows
// present and absent.
#include <zlib.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "tests/net/char_bodies.h"
#include "tests/net/message_harness.h"
#include "tests/net/wire_bytes.h"

namespace {

using nettest::Bytes;
using nettest::Cat;
using nettest::LongText;
using nettest::ObjectAppearsBody;
using nettest::OwnCharBody;
using nettest::Text;
using nettest::U16;
using nettest::U32;

// A valid message: the client version it is read with, the code and the body.
struct Sample {
    const char* name;
    uint16_t clientVersion;
    uint8_t code;
    Bytes body;
};

Bytes Deflated(const std::string& text) {
    uLongf size = compressBound(uLong(text.size()));
    Bytes out(size);
    compress(out.data(), &size, reinterpret_cast<const Bytef*>(text.data()), uLong(text.size()));
    out.resize(size);
    return out;
}

nettest::OwnCharBody OwnChar49() {
    nettest::OwnCharBody body;
    body.status = nettest::StatusWords::With49();
    body.tail.extra = 49;
    return body;
}

nettest::CharAppearsBody CharAppearsWithAnEntry() {
    nettest::CharAppearsBody body;
    body.entries.resize(1);
    return body;
}

std::vector<Sample> Samples() {
    const Bytes terms = Deflated("The terms of use.");
    return {
        {"0/0 key set-up", 189, 0, Cat({{0, 7}, Text("Key42")})},
        {"0/1 refusal", 189, 0, Cat({{1}, Text("why"), {2}, Text("a"), Text("b"), {1}, Text("c")})},
        {"0/2 version refusal", 189, 0, {2, 0, 190, 2, 9, 9}},
        {"0/3 unknown sub-code", 189, 0, {3}},
        {"1", 189, 1, {}},
        {"2 accepted", 189, 2, Cat({{0}, Text("ok")})},
        {"2 refused", 189, 2, Cat({{5}, Text("no")})},
        {"3 server change", 189, 3,
         Cat({{127, 0, 0, 2, 0x9C, 0x41}, Cat({{8, 7}, Text("Key42"), {0xEE}}), Text("go")})},
        {"4 player position", 189, 4, {0, 10, 0, 20}},
        {"11 name", 189, 11, {1, 2, 3}},
        {"17 name", 189, 17, {4}},
        {"25 sound", 189, 25, {0, 0, 5, 0, 10, 0, 10}},
        {"38 list", 189, 38,
         Cat({{0, 2, 0, 0, 0, 1, 0, 0, 0, 2},
              Text("123"),
              {0, 1, 0, 2, 1},
              Text("a"),
              Text("b"),
              {0, 0, 0, 3, 0, 0, 0, 4},
              Text("9"),
              {0, 1, 0, 0, 0}})},
        {"38 refresh", 189, 38, {1}},
        {"38 show", 189, 38, {2}},
        {"69 name", 189, 69, {}},
        {"86 server list", 189, 86, Cat({{1, 3, 127, 0, 0, 1, 0x9C, 0x40}, Text("Word"), {1}})},
        {"93 option switches", 189, 93, {2, 1, 1, 4, 1}},
        {"96 terms checksum", 189, 96, {0, 0, 0, 0, 1}},
        {"96 terms text", 189, 96, Cat({{1}, LongText(std::string(terms.begin(), terms.end()))})},
        {"100 name", 189, 100, {0, 0}},
        {"102 time echo", 189, 102, {0, 0, 0, 42}},
        {"103 request 118", 189, 103, {}},
        {"104/1 page box", 189, 104, Cat({{1}, LongText("https://example.com/a"), LongText("box")})},
        {"104/2 new-account page", 189, 104, Cat({{2}, Text("https://example.com/new")})},
        {"104/3 web page", 189, 104, Cat({{3}, LongText("https://example.com/w")})},
        {"107 character list", 189, 107,
         Cat({Text("acct"),
              {1, 0, 0, 0, 9, 0, 0, 0, 1, 2, 0x00, 0x81, 0, 0, 0, 5, 0,
               0, 0, 6, 3, 1, 2, 3, 4, 5, 0, 0,    0,    7, 0, 0, 0, 8},
              Text("Hero")})},
        {"108 field value", 189, 108, {0, 7}},
        {"109 game over", 189, 109, {1}},
        {"121 player flag", 189, 121, {2}},
        // Characters, skills and the event manager.
        {"5 own character", 189, 5, OwnCharBody().Wire()},
        {"5 own character with status 49", 189, 5, OwnChar49().Wire()},
        {"8 status block, no group", 189, 8, {0}},
        {"8 status block, every group", 189, 8, Cat({{0xFF}, Bytes(106, 1)})},
        {"19 skill hit", 189, 19,
         Cat({U32(3000001),
              U32(7),
              U32(0x000A0014),
              {2},
              U16(5),
              {6},
              U16(7),
              U16(8),
              {9},
              {100},
              {2},
              U32(11),
              U16(1),
              {1, 2},
              U32(12),
              U16(2),
              {3, 4}})},
        {"22 value list", 189, 22, Cat({{2, 16}, U32(3000005), {1}, U32(9)})},
        {"23 player signal", 189, 23, {}},
        {"26 action 3", 189, 26, Cat({U32(7), {3}})},
        {"26 action 1", 189, 26, Cat({U32(7), {1}})},
        {"29 object appears", 189, 29, ObjectAppearsBody().Wire()},
        {"40 ids with values", 189, 40, Cat({{0, 2}, U32(1), U16(2), U32(3), U16(4)})},
        {"40 ids", 189, 40, Cat({{1, 2}, U32(1), U32(3)})},
        {"43 character timer", 189, 43, Cat({{0}, U32(7), U32(30)})},
        {"44 target text", 189, 44, Cat({U32(1), U32(2), {3}, U32(4), Text("over"), U32(5), U32(6)})},
        {"45 three values", 189, 45, Cat({U32(1), U32(2), U32(3)})},
        {"51 character appears", 189, 51, CharAppearsWithAnEntry().Wire()},
        {"63 skill action", 189, 63,
         Cat({U32(3000002), {1}, U32(7), U32(0x00050006), U16(1), U16(2), U32(8), U16(30)})},
        {"68 event input", 189, 68, nettest::EventInputBody("first")},
        {"68 event input kind 1", 189, 68, {1}},
        {"68 raw block", 189, 68, Cat({{2}, U32(1), U32(2), U16(3), {7, 8, 9}})},
        {"71 state 75", 189, 71, Cat({{0}, U32(7), U16(1), U16(2), {3}})},
        {"71 state 74", 189, 71, Cat({{1}, U32(7), U32(9)})},
        {"71 state 73", 189, 71, Cat({{2}, U32(7)})},
        {"72 cancel skill", 189, 72, U32(7)},
        {"83 state event", 189, 83, Cat({U32(7), {5}, U32(6)})},
        {"83 state event with extra", 189, 83, Cat({U32(7), {96}, U32(6), U16(4)})},
        {"87 character text", 189, 87, Cat({{2}, U32(7), Text("said")})},
        {"95 timed pair", 189, 95, Cat({U32(1), U32(2)})},
        {"98 skill update", 189, 98, Cat({{1, 2}, U32(3), {4, 5}})},
        {"99 skill removal", 189, 99, {1, 2}},
        {"105 emoticon", 189, 105, Cat({U32(7), {1, 2}})},
        {"110 status groups", 189, 110,
         Cat({{0, 1, 3}, U32(3000009), U32(10), {1, 0}, U32(11), {2, 2, 1}, U32(1), {2}, U32(2), U32(12)})},
        {"112 value reaction", 189, 112, Cat({{0}, U32(7), U32(300)})},
        {"112 value reaction with text", 189, 112, Cat({{1}, U32(7), U32(0), Text("well done")})},
        {"120 hit result", 189, 120, Cat({U32(7), U32(2), {3, 4}, U32(8)})},
    };
}

// Codes handed whole to a receiver that reads them itself: a prefix reaches it as it is.
const std::set<uint8_t> kHandedRaw = {11, 17, 69, 100};

class ServerMessages : public nettest::MessageHarness {
protected:
    // Runs the sample's body cut to length on a fresh state; returns whether
    // the state changed.
    bool Changes(const Sample& sample, size_t length, bool present) {
        Fresh(present);
        g_config.m_clientVersion = sample.clientVersion;
        const std::string before = Describe();
        Dispatch(sample.code, Bytes(sample.body.begin(), sample.body.begin() + std::ptrdiff_t(length)));
        const std::string after = Describe();
        if (before != after && !kHandedRaw.count(sample.code) && length < sample.body.size()) {
            ADD_FAILURE() << sample.name << ": the prefix of " << length << " bytes, present " << present
                          << ", changed\n"
                          << before << "\n--- to ---\n"
                          << after;
        }
        return before != after;
    }
};

TEST_F(ServerMessages, EverySampleChangesSomethingAndNoStrictPrefixDoes) {
    for (const Sample& sample : Samples()) {
        for (bool present : {true, false}) {
            for (size_t length = 0; length < sample.body.size(); ++length) Changes(sample, length, present);
            const bool changed = Changes(sample, sample.body.size(), present);
            if (present) {
                EXPECT_TRUE(changed) << sample.name << " changed nothing";
            }
        }
    }
}

TEST_F(ServerMessages, HandedRawMessagesReachTheirReaderAsTheyCame) {
    for (const Sample& sample : Samples()) {
        if (!kHandedRaw.count(sample.code)) continue;
        for (size_t length = 0; length <= sample.body.size(); ++length) {
            Fresh(true);
            const Bytes body(sample.body.begin(), sample.body.begin() + std::ptrdiff_t(length));
            Dispatch(sample.code, body);
            ASSERT_EQ(m_world.m_parsed.size(), 1u) << sample.name;
            EXPECT_EQ(m_world.m_parsed[0], Cat({{sample.code}, body})) << sample.name;
        }
    }
}

TEST_F(ServerMessages, EmptyBodyChangesNothingUnlessItIsTheWholeMessage) {
    std::set<uint8_t> emptyIsWhole = kHandedRaw;
    for (const Sample& sample : Samples())
        if (sample.body.empty()) emptyIsWhole.insert(sample.code);
    for (int code = 0; code <= MAX_SERVER_CODE + 2; ++code) {
        if (emptyIsWhole.count(uint8_t(code))) continue;
        for (bool present : {true, false}) {
            Fresh(present);
            const std::string before = Describe();
            Dispatch(uint8_t(code), {});
            EXPECT_EQ(Describe(), before) << "code " << code << " present " << present;
        }
    }
}

TEST_F(ServerMessages, RandomBodiesRunClean) {
    std::mt19937 random(21);
    const std::vector<Sample> samples = Samples();
    for (bool present : {true, false}) {
        Fresh(present);
        for (int code = 0; code <= MAX_SERVER_CODE; ++code) {
            // Some start from a sample of the code and go astray; most are noise.
            std::vector<const Sample*> own;
            for (const Sample& s : samples)
                if (s.code == code) own.push_back(&s);
            for (int n = 0; n < 500; ++n) {
                if (!g_connection->IsConnected()) Connect();
                Bytes body;
                if (!own.empty() && n % 2 == 0) {
                    body = own[size_t(n / 2) % own.size()]->body;
                    for (int flips = 1 + int(random() % 3); flips > 0 && !body.empty(); --flips)
                        body[random() % body.size()] = uint8_t(random());
                    body.resize(random() % (body.size() + 8));
                } else {
                    body.resize(random() % 80);
                    for (uint8_t& b : body) b = uint8_t(random());
                }
                Dispatch(uint8_t(code), body);
            }
        }
    }
    Describe();  // everything still reads
}

// The fuzz target's seeds are the samples: flags 1 (receivers present), then
// [length][code and body]. With QM_REFRESH_GOLDEN=1 this rewrites them.
TEST(ServerMessageSeeds, FuzzSeedsAreTheSamples) {
    const std::string corpus = qmtest::SourceDir() + "/fuzz/corpus/server_messages/";
    const char* refresh = std::getenv("QM_REFRESH_GOLDEN");
    int n = 0;
    for (const Sample& sample : Samples()) {
        if (sample.body.size() + 1 > 255) continue;
        Bytes seed = Cat({{1, uint8_t(sample.body.size() + 1), sample.code}, sample.body});
        std::string name = "sample_" + std::to_string(n++);
        if (refresh && std::string(refresh) == "1") {
            plat::CreateDirectories(corpus);
            ASSERT_TRUE(plat::WriteFileAtomic(corpus + name, seed.data(), seed.size()));
        }
        std::vector<uint8_t> stored;
        ASSERT_TRUE(plat::ReadWholeFile(corpus + name, stored)) << name;
        EXPECT_EQ(stored, seed) << sample.name;
    }
}

}  // namespace
