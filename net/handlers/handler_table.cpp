// The table of server-message handlers. Each handler file adds its lines
// here: session.SetPacketHandler(code, HandleSomething);
#include "net/game_session.h"
#include "net/handlers/meta_tables.h"

void InstallPacketHandlers(CGameSession& session) {
    session.SetPacketHandler(SERVER_META_TABLES, HandleMetaTables);
}
