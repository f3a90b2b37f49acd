// The server's side of the way in, for tests that drive the client against a
// qmtest::TestServer: the messages a login server and a world server send
// (written as the client reads them), the requests the client answers with
// (written by hand from the wire format, so that a fault of the client's
// writers shows), and steps that wait for the client while its frames run.
//
// The client runs in the test's own thread: whatever waits for it runs the
// client's frames through a FrameRunner, a few milliseconds apart.
//
//     qmtest::TestServer login;
//     ... the client connects ...
//     ASSERT_TRUE(qmtest::AwaitAccept(login, frame));
//     ASSERT_TRUE(qmtest::GreetAndHandOutKey(login, frame, version, 7, "Key42"));
//     EXPECT_EQ(qmtest::AwaitRequest(login, frame), qmtest::WorldListRequest());
//     login.SendMessage(qmtest::WorldListMessage({qmtest::World(7, "Lindow", address, port, 2)}));
#pragma once
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "net/game_session.h"
#include "net/handlers/login_records.h"
#include "tests/support/test_server.h"

namespace qmtest {

using WireBytes = std::vector<uint8_t>;
using FrameRunner = std::function<void()>;

// ---- Server messages (code first) ----
// 0/0: the mask function and key the client enciphers with from now on.
WireBytes KeySetupMessage(uint8_t maskFunction, std::string_view key);
// 2: the log-in reply; result 0 accepts, any other refuses with the text.
WireBytes LoginResultMessage(uint8_t result, std::string_view text);
// 3: on to the server at addressNet (network order):port with a ticket that
// carries the next mask function and key; the text goes with the change.
WireBytes ServerChangeMessage(uint32_t addressNet, uint16_t port, uint8_t maskFunction, std::string_view key,
                              std::string_view text = "");
// The ticket of that change, as the client sends it back after 16.
WireBytes Ticket(uint8_t maskFunction, std::string_view key);
// 86: the world list.
WireBytes WorldListMessage(const std::vector<CServerListEntry>& worlds);
CServerListEntry World(uint8_t id, std::string_view name, uint32_t addressNet, uint16_t port, uint8_t state);
// 96: the CRC-32 of the server's terms (form 0), or the text itself,
// zlib-compressed (form 1).
WireBytes TermsChecksumMessage(uint32_t checksum);
WireBytes TermsTextMessage(std::string_view text);
// 107: the account's characters; the optional values the mask names follow
// in bit order.
WireBytes CharListMessage(std::string_view account, const std::vector<CCharListEntry>& chars);

// ---- Client requests, as the server receives them ----
WireBytes FirstRequest(uint16_t clientVersion);                               // [0][version][65]
WireBytes WorldListRequest();                                                 // [87][1]
WireBytes WorldEntryRequest(uint8_t worldId);                                 // [87][0][id]
WireBytes TicketRequest(const WireBytes& ticket);                             // [16][ticket]
WireBytes ServerChangeAnswer();                                               // [15][3]
WireBytes LoginRequest(std::string_view account, std::string_view password);  // [3][account][password]
WireBytes TermsRequest();                                                     // [75]

// ---- Steps (false, or empty, when the client did not come within about two seconds) ----
// Accepts the client's connection while its frames run.
bool AwaitAccept(TestServer& server, const FrameRunner& frame);
// The client's next request while its frames run.
WireBytes AwaitRequest(TestServer& server, const FrameRunner& frame);
// Runs frames until done() holds.
bool RunFramesUntil(const FrameRunner& frame, const std::function<bool()>& done);
// Sends the greeting, takes the client's first request (it must be
// FirstRequest(clientVersion)) and hands out the key, which the server's side
// uses from then on.
bool GreetAndHandOutKey(TestServer& server, const FrameRunner& frame, uint16_t clientVersion,
                        uint8_t maskFunction, std::string_view key);

}  // namespace qmtest
