// The local server's skill uses: the skills learned on entering the field,
// and a use answered to every player with the use and its hit, read back by
// the client's own readers.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/config.h"
#include "net/game_session.h"
#include "net/handlers/char_records.h"
#include "net/handlers/combat_handlers.h"
#include "net/packet_reader.h"
#include "tests/support/server_bot.h"
#include "tests/tools/qmserver_fixture.h"
#include "tools/qmserver/qm_server.h"
#include "tools/qmserver/server_hall.h"
#include "tools/qmserver/server_world.h"

namespace {

using qmtest::QmServerFixture;

using qmtest::ClientRequest;
using qmtest::ServerBot;

constexpr char kWorld[] =
    "world 1 Quill\n"
    "map 3 12 14\n"
    "terms Be kind.\n"
    "walker monster 2100002 Dummy 15 14\n"
    "skills 3000003 3000051\n";

template <class T>
std::unique_ptr<T> Read(const std::vector<uint8_t>& message) {
    if (message.empty()) return nullptr;
    CPacketReader body(message.data() + 1, message.size() - 1);
    std::optional<CCombatMessage> read = ParseCombatMessage(message[0], body);
    if (!read || !dynamic_cast<T*>(read->m_record.get())) return nullptr;
    return std::unique_ptr<T>(static_cast<T*>(read->m_record.release()));
}

class QmServerEffectsTest : public QmServerFixture {
protected:
    QmServerEffectsTest() : QmServerFixture(kWorld) {}
};

TEST_F(QmServerEffectsTest, TheSkillsAreLearnedAndEachUseIsShownToEveryPlayer) {
    ServerBot ann, bob;
    ASSERT_NO_FATAL_FAILURE(EnterNew(ann, "Ann"));
    for (uint32_t id : {3000003u, 3000051u}) {
        auto learned = Read<CSkillUpdateMsg>(ann.ReceiveCode(SERVER_SKILL_UPDATE));
        ASSERT_TRUE(learned);
        EXPECT_EQ(learned->m_value, id);
        EXPECT_EQ(learned->m_bytes[2], 1) << "level 1";
    }
    ASSERT_NO_FATAL_FAILURE(EnterNew(bob, "Bob"));
    const uint32_t dummy = CServerHall::FIRST_WALKER_ID;
    // Two uses on the dummy: the skills in turn, each with its use and its hit.
    for (uint32_t skill : {3000003u, 3000051u}) {
        ASSERT_TRUE(ann.Send(ClientRequest([&](CGameSession& s) {
            const uint8_t target[] = {uint8_t(dummy >> 24), uint8_t(dummy >> 16), uint8_t(dummy >> 8),
                                      uint8_t(dummy)};
            s.SendUseSkill(1, 1, target, sizeof target);
        })));
        for (ServerBot* bot : {&ann, &bob}) {
            auto use = Read<CSkillActionMsg>(bot->ReceiveCode(SERVER_SKILL_ACTION));
            ASSERT_TRUE(use);
            EXPECT_EQ(use->m_skillId, skill);
            EXPECT_EQ(use->m_actorId, ann.CharId());
            EXPECT_EQ(use->m_targetId, dummy);
            auto hit = Read<CSkillHitMsg>(bot->ReceiveCode(SERVER_SKILL_HIT));
            ASSERT_TRUE(hit);
            EXPECT_EQ(hit->m_skillId, skill);
            EXPECT_EQ(hit->m_actorId, ann.CharId());
            ASSERT_EQ(hit->m_targetCount, 1u);
            EXPECT_EQ(hit->m_targetIds[0], dummy);
            EXPECT_GT(hit->m_targetValues[0], 0u);
            EXPECT_EQ(hit->m_x, 15u) << "the dummy's tile";
            EXPECT_EQ(hit->m_y, 14u);
            EXPECT_EQ(hit->m_level, 0) << "the level less one";
        }
    }
    EXPECT_TRUE(m_server->Logged("<- 19 3000003 on 500000"));
}

TEST(QmServerEffectsWorld, SkillLinesAreChecked) {
    for (const char* line :
         {"skills", "skills 0", "skills x", "skills 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17"}) {
        std::string error;
        EXPECT_FALSE(CServerWorld::Parse(std::string("world 1 Q\nmap 3 1 1\n") + line + "\n", &error))
            << line;
        EXPECT_NE(error.find("skills SKILL_ID..."), std::string::npos) << error;
    }
}

// The writer keeps to the readers' layout and to the byte counts.
TEST(SkillHitWriterTest, TargetsPastTheCountsBytesAreLeftOut) {
    std::vector<CSkillHitTarget> many(300, CSkillHitTarget{7, 9, 1, 2});
    const std::vector<uint8_t> message = WriteSkillHit(3000012, 1000, 3, 4, 2, 5, many);
    auto hit = Read<CSkillHitMsg>(message);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->m_targetCount, 255u);
    EXPECT_EQ(hit->m_level, 1) << "the level less one";
    EXPECT_EQ(hit->m_f, 5);
    EXPECT_EQ(hit->m_targetValues[254], 9u);
    EXPECT_EQ(hit->m_targetBytes1[0], 1);
    EXPECT_EQ(hit->m_targetBytes2[0], 2);
}

}  // namespace
