// Entry point of the client.
#include "app/autopilot.h"
#include "app/globals.h"
#include "core/application.h"
#include "platform/command_line.h"

int main(int argc, char** argv) {
    plat::SetCommandLineArgs(argc, argv);
    InstallGlobalFactories();
    return AutopilotExitStatus(RunApplication());
}
