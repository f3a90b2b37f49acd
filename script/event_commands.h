// The command families, one file each: flow and wait (event_flow_commands),
// talk, selection, message and window (event_talk_commands), characters and
// event objects (event_char_commands), camera, screen, sound and movie
// (event_screen_commands). Each makes the classes of its kinds.
#pragma once
#include <memory>

class CEventCommand;

std::unique_ptr<CEventCommand> MakeFlowCommand(int kind);
std::unique_ptr<CEventCommand> MakeTalkCommand(int kind, bool second);
std::unique_ptr<CEventCommand> MakeCharCommand(int kind);
std::unique_ptr<CEventCommand> MakeScreenCommand(int kind);

// Movies the movie command holds open now.
int32_t OpenEventMovies();
