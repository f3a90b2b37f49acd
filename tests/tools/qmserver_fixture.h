// A local server started on a free port for each test, from a world file's
// text, with bots that enter its field.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "core/config.h"
#include "net/game_session.h"
#include "platform/socket.h"
#include "tests/support/server_bot.h"
#include "tools/qmserver/qm_server.h"
#include "tools/qmserver/server_hall.h"
#include "tools/qmserver/server_world.h"

namespace qmtest {

class QmServerFixture : public ::testing::Test {
protected:
    explicit QmServerFixture(const char* world) : m_worldText(world) {}

    void SetUp() override {
        g_config.m_clientVersion = CLIENT_VERSION;
        std::string error;
        std::optional<CServerWorld> world = CServerWorld::Parse(m_worldText, &error);
        ASSERT_TRUE(world) << error;
        m_server = std::make_unique<CQmServer>(*world, 7);
        ASSERT_TRUE(m_server->Start(0, &error)) << error;
    }
    void TearDown() override {
        if (m_server) m_server->Stop();
    }

    // A bot in the field as the account's character of the world file.
    void Enter(ServerBot& bot, const std::string& account, const std::string& name) {
        ASSERT_TRUE(bot.LogIn(plat::MakeIPv4(127, 0, 0, 1), m_server->Port(), account));
        ASSERT_TRUE(bot.Enter(name));
    }
    // A bot of a new account in the field with a new character of the name.
    void EnterNew(ServerBot& bot, const std::string& name) {
        ASSERT_TRUE(bot.LogIn(CServerHall::OwnAddress(), m_server->Port(), "account " + name));
        ASSERT_TRUE(
            bot.Send(ClientRequest([&](CGameSession& s) { s.RequestCharCreate(2000001, name.c_str()); })));
        ASSERT_FALSE(bot.ReceiveCode(107).empty());
        ASSERT_TRUE(bot.Enter(name));
    }

    const char* m_worldText;
    std::unique_ptr<CQmServer> m_server;
};

}  // namespace qmtest
