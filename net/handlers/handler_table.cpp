// The table of server-message handlers: which handler runs for each code.
//
// | codes                 | handler               | what it does                                   |
// |-----------------------|-----------------------|------------------------------------------------|
// | 0, 1, 2, 3            | HandleLoginMessage    | key set-up, world entry, log-in reply, server change |
// | 4                     | HandlePlayerPosition  | the player's own character is placed (67)      |
// | 5                     | HandleOwnChar         | the player's own character enters (56)         |
// | 8                     | HandleStatusBlock     | the status block (18)                          |
// | 11, 17, 69, 100       | HandleNameMessage     | handed to the character manager's parser      |
// | 19, 23, 40, 44, 45, 63, 72, 83, 98, 99, 120 | HandleCombatMessage | skill actions and hits |
// | 22                    | HandleValueList       | a value list (20)                              |
// | 24                    | HandleMetaTables      | the server's data tables                       |
// | 25                    | HandleSoundCue        | a sound at a tile                              |
// | 26                    | HandleCharAction      | an action shown on a character (28)            |
// | 29                    | HandleObjectAppears   | a non-player object's appearance (60)          |
// | 38                    | HandlePremiumNotice   | premium item notices                           |
// | 43                    | HandleCharTimer       | a character's timer (25)                       |
// | 51                    | HandleCharAppears     | a player character enters the view (56)        |
// | 68                    | HandleEventInput      | the event manager's input (101, 102)           |
// | 71                    | HandleCharState       | a character's state (73, 74, 75)               |
// | 86                    | HandleServerList      | the world-server list                          |
// | 87                    | HandleCharText        | a text for a character (114)                   |
// | 93                    | HandleOptionSwitches  | option switches                                |
// | 95                    | HandleTimedPair       | a timed pair (61)                              |
// | 96                    | HandleTermsMessage    | the terms of use                               |
// | 102                   | HandleTimeEcho        | [117] echoes the server's time                 |
// | 103                   | HandleRequest118      | [118]                                          |
// | 104                   | HandleWebMessage      | web pages and the page box                     |
// | 105                   | HandleEmoticon        | an emoticon (29)                               |
// | 107                   | HandleCharList        | the account's characters                       |
// | 108                   | HandleFieldValue      | the map's field value                          |
// | 109                   | HandleGameOver        | game over (62)                                 |
// | 110                   | HandleStatusGroups    | three skill groups (19)                        |
// | 112                   | HandleValueReaction   | a value reaction (24)                          |
// | 121                   | HandlePlayerFlag      | the player's flag (21)                         |
//
// Every other code is ignored until its handler is added here. Handlers keep
// the rules of net/handlers/handler_rules.h.
#include "net/connection.h"
#include "net/game_session.h"
#include "net/handlers/account_handlers.h"
#include "net/handlers/appearance_messages.h"
#include "net/handlers/char_handlers.h"
#include "net/handlers/combat_handlers.h"
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

    session.SetPacketHandler(SERVER_OWN_CHAR, HandleOwnChar);
    session.SetPacketHandler(SERVER_CHAR_APPEARS, HandleCharAppears);
    session.SetPacketHandler(SERVER_OBJECT_APPEARS, HandleObjectAppears);
    session.SetPacketHandler(SERVER_STATUS_BLOCK, HandleStatusBlock);
    session.SetPacketHandler(SERVER_VALUE_LIST, HandleValueList);
    session.SetPacketHandler(SERVER_STATUS_GROUPS, HandleStatusGroups);
    session.SetPacketHandler(SERVER_CHAR_ACTION, HandleCharAction);
    session.SetPacketHandler(SERVER_CHAR_TIMER, HandleCharTimer);
    session.SetPacketHandler(SERVER_VALUE_REACTION, HandleValueReaction);
    session.SetPacketHandler(SERVER_TIMED_PAIR, HandleTimedPair);
    session.SetPacketHandler(SERVER_EMOTICON, HandleEmoticon);
    session.SetPacketHandler(SERVER_CHAR_STATE, HandleCharState);
    session.SetPacketHandler(SERVER_CHAR_TEXT, HandleCharText);
    session.SetPacketHandler(SERVER_EVENT_INPUT, HandleEventInput);
    for (uint8_t code : {SERVER_SKILL_HIT, SERVER_PLAYER_SIGNAL, SERVER_ID_LISTS, SERVER_TARGET_TEXT,
                         SERVER_THREE_VALUES, SERVER_SKILL_ACTION, SERVER_CANCEL_SKILL, SERVER_STATE_EVENT,
                         SERVER_SKILL_UPDATE, SERVER_SKILL_REMOVE, SERVER_HIT_RESULT})
        session.SetPacketHandler(code, HandleCombatMessage);
}
