// qmevent: writes event files (field scripts ".EVT", visual events ".VET")
// from their readable form (event_text.h) and dumps them.
//   qmevent build TEXT OUT    write the event file described in TEXT; OUT's
//                             extension gives the kind (".VET" a visual event)
//   qmevent dump FILE         print the file as the client reads it, or why
//                             the client refuses it
//   qmevent batch FILE        the commands of FILE, one a line (tool_batch.h)
#pragma once
#include <cstdio>
#include <string>
#include <vector>

int RunEventTool(const std::vector<std::string>& args, FILE* out, FILE* err);
