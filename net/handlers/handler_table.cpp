// The table of server-message handlers: which handler runs for each code.
//
// | codes                 | handler               | what it does                                   |
// |-----------------------|-----------------------|------------------------------------------------|
// | 0, 1, 2, 3            | HandleLoginMessage    | key set-up, world entry, log-in reply, server change |
// | 4                     | HandlePlayerPosition  | the player's own character is placed (67)      |
// | 5                     | HandleOwnChar         | the player's own character enters (56)         |
// | 8                     | HandleStatusBlock     | the status block (18)                          |
// | 14                    | HandleObjectLeaves    | an object leaves the view (26, 80, 82)         |
// | 11, 17, 69, 100       | HandleNameMessage     | handed to the character manager's parser      |
// | 19, 23, 40, 44, 45, 63, 72, 83, 98, 99, 120 | HandleCombatMessage | skill actions and hits |
// | 21                    | HandleMapChange       | the map changes (76)                           |
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
// | 90                    | HandleMapObjectMoves  | a map object moves into a field slot (44)      |
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
// | 10, 13, 113           | HandleChatMessage     | chat lines, notices, server boxes              |
// | 34                    | HandlePetMessage      | the pet and incubator windows                  |
// | 35                    | HandleFortressMessage | the fortress board, the fight-club notice      |
// | 36                    | HandleMiniGameMessage | gambambo, fishing, cookbook                    |
// | 37                    | HandleRoomMessage     | the room lobbies                               |
// | 66                    | HandleExchangeMessage | the item exchange                              |
// | 67                    | HandleClubMessage     | clubs and fight clubs                          |
// | 106                   | HandleNpcServiceMessage | NPC trade, healer, deposits, fight club      |
// | 33                    | HandleEventLogMessage | the event log                                  |
// | 42                    | HandleStoreMessage    | the personal store                             |
// | 58                    | HandlePartyMessage    | the party window or the session's party list  |
// | 78                    | HandleTimerMessage    | timers                                         |
// | 114                   | HandleComboMessage    | combos                                         |
// | 7                     | HandleObjectsInView   | objects entering the view (57, 58, 59; map 49, 79, 81) |
// | 31, 32, 47, 48, 97, 111, 116 | HandleSceneMessage | records for the game scene and the map   |
// | 15, 16, 18, 27, 28, 55, 56 | HandleItemMessage | the player's items, the club deposit's items |
//
// Every other code is ignored until its handler is added here. Handlers keep
// the rules of net/handlers/handler_rules.h.
#include "net/connection.h"
#include "net/game_session.h"
#include "net/handlers/account_handlers.h"
#include "net/handlers/appearance_messages.h"
#include "net/handlers/char_handlers.h"
#include "net/handlers/chat_messages.h"
#include "net/handlers/club_messages.h"
#include "net/handlers/combat_handlers.h"
#include "net/handlers/handler_rules.h"
#include "net/handlers/inline_messages.h"
#include "net/handlers/item_messages.h"
#include "net/handlers/login_phase.h"
#include "net/handlers/meta_tables.h"
#include "net/handlers/object_messages.h"
#include "net/handlers/pastime_messages.h"
#include "net/handlers/play_messages.h"
#include "net/handlers/scene_messages.h"
#include "net/handlers/terms.h"
#include "net/handlers/trade_messages.h"

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
    session.SetPacketHandler(SERVER_MAP_CHANGE, HandleMapChange);
    session.SetPacketHandler(SERVER_OBJECT_LEAVES, HandleObjectLeaves);
    session.SetPacketHandler(SERVER_MAP_OBJECT_MOVES, HandleMapObjectMoves);
    for (uint8_t code : {SERVER_SKILL_HIT, SERVER_PLAYER_SIGNAL, SERVER_ID_LISTS, SERVER_TARGET_TEXT,
                         SERVER_THREE_VALUES, SERVER_SKILL_ACTION, SERVER_CANCEL_SKILL, SERVER_STATE_EVENT,
                         SERVER_SKILL_UPDATE, SERVER_SKILL_REMOVE, SERVER_HIT_RESULT})
        session.SetPacketHandler(code, HandleCombatMessage);

    for (uint8_t code : {SERVER_CHAT, SERVER_CHAT_LINE, SERVER_CHANNEL})
        session.SetPacketHandler(code, HandleChatMessage);
    session.SetPacketHandler(SERVER_PET, HandlePetMessage);
    session.SetPacketHandler(SERVER_CLUB, HandleClubMessage);
    session.SetPacketHandler(SERVER_FORTRESS, HandleFortressMessage);
    session.SetPacketHandler(SERVER_ROOM, HandleRoomMessage);
    session.SetPacketHandler(SERVER_MINI_GAME, HandleMiniGameMessage);
    session.SetPacketHandler(SERVER_EXCHANGE, HandleExchangeMessage);
    session.SetPacketHandler(SERVER_NPC_SERVICE, HandleNpcServiceMessage);
    session.SetPacketHandler(SERVER_PARTY, HandlePartyMessage);
    session.SetPacketHandler(SERVER_STORE, HandleStoreMessage);
    session.SetPacketHandler(SERVER_TIMER, HandleTimerMessage);
    session.SetPacketHandler(SERVER_COMBO, HandleComboMessage);
    session.SetPacketHandler(SERVER_EVENT_LOG, HandleEventLogMessage);
    for (uint8_t code : {SERVER_SCENE_FORMS, SERVER_NAME_LIST, SERVER_SCENE_NOTICE, SERVER_SIX_VALUES,
                         SERVER_SCENE_LISTS, SERVER_MAP_WEATHER, SERVER_MAP_TIME})
        session.SetPacketHandler(code, HandleSceneMessage);
    for (uint8_t code : {SERVER_ITEM_ADDED, SERVER_ITEM_VALUE_16, SERVER_ITEM_PAIR, SERVER_ITEM_STORED,
                         SERVER_ITEM_STORE_SLOT, SERVER_CHAR_ITEM, SERVER_ITEM_VALUE_56})
        session.SetPacketHandler(code, HandleItemMessage);
    session.SetPacketHandler(SERVER_OBJECTS_IN_VIEW, HandleObjectsInView);
}
