// The table of server-message handlers: which handler runs for each code.
//
// | codes                 | handler               | what it does                                   |
// |-----------------------|-----------------------|------------------------------------------------|
// | 0, 1, 2, 3            | HandleLoginMessage    | key set-up, world entry, log-in reply, server change |
// | 4                     | HandlePlayerPosition  | the player's own character is placed (67)      |
// | 11, 17, 69, 100       | HandleNameMessage     | handed to the character manager's parser      |
// | 24                    | HandleMetaTables      | the server's data tables                       |
// | 25                    | HandleSoundCue        | a sound at a tile                              |
// | 38                    | HandlePremiumNotice   | premium item notices                           |
// | 86                    | HandleServerList      | the world-server list                          |
// | 93                    | HandleOptionSwitches  | option switches                                |
// | 96                    | HandleTermsMessage    | the terms of use                               |
// | 102                   | HandleTimeEcho        | [117] echoes the server's time                 |
// | 103                   | HandleRequest118      | [118]                                          |
// | 104                   | HandleWebMessage      | web pages and the page box                     |
// | 107                   | HandleCharList        | the account's characters                       |
// | 108                   | HandleFieldValue      | the map's field value                          |
// | 109                   | HandleGameOver        | game over (62)                                 |
// | 121                   | HandlePlayerFlag      | the player's flag (21)                         |
//
// Every other code is ignored until its handler is added here. Handlers keep
// the rules of net/handlers/handler_rules.h.
#include "net/connection.h"
#include "net/game_session.h"
#include "net/handlers/account_handlers.h"
#include "net/handlers/handler_rules.h"
#include "net/handlers/inline_messages.h"
#include "net/handlers/login_phase.h"
#include "net/handlers/meta_tables.h"
#include "net/handlers/terms.h"

void RearmConnection() {
    if (g_connection) g_connection->EnableWriteNotify();
}

void InstallPacketHandlers(CGameSession& session) {
    for (uint8_t code = 0; code <= 3; ++code) session.SetPacketHandler(code, HandleLoginMessage);
    session.SetPacketHandler(SERVER_PLAYER_POSITION, HandlePlayerPosition);
    for (uint8_t code : {SERVER_NAME_11, SERVER_NAME_17, SERVER_NAME_69, SERVER_NAME_100})
        session.SetPacketHandler(code, HandleNameMessage);
    session.SetPacketHandler(SERVER_META_TABLES, HandleMetaTables);
    session.SetPacketHandler(SERVER_SOUND, HandleSoundCue);
    session.SetPacketHandler(SERVER_PREMIUM_NOTICE, HandlePremiumNotice);
    session.SetPacketHandler(SERVER_SERVER_LIST, HandleServerList);
    session.SetPacketHandler(SERVER_OPTION_SWITCHES, HandleOptionSwitches);
    session.SetPacketHandler(SERVER_TERMS, HandleTermsMessage);
    session.SetPacketHandler(SERVER_TIME_ECHO, HandleTimeEcho);
    session.SetPacketHandler(SERVER_REQUEST_118, HandleRequest118);
    session.SetPacketHandler(SERVER_WEB_PAGE, HandleWebMessage);
    session.SetPacketHandler(SERVER_CHAR_LIST, HandleCharList);
    session.SetPacketHandler(SERVER_FIELD_VALUE, HandleFieldValue);
    session.SetPacketHandler(SERVER_GAME_OVER, HandleGameOver);
    session.SetPacketHandler(SERVER_PLAYER_FLAG, HandlePlayerFlag);
}
