// The table of server-message handlers. Each handler file adds its lines
// here: session.SetPacketHandler(code, HandleSomething);
#include "net/game_session.h"

void InstallPacketHandlers(CGameSession& session) {
    (void)session;
}
