// The start modes of the saver and the command line that selects them.
#pragma once

#include "platform/win/win.h"

enum class SaverMode : int { None = 0, Config = 1, ChangePassword = 2, Preview = 3, Run = 4 };

struct CommandLine {
    SaverMode mode;
    HWND parent;
};

// Reads the whole command line, program name included, the way Windows starts a screen saver:
// "/s", "-c:1234", "/p 4711", an empty argument string...
CommandLine parse_command_line(const char* command_line);

// The process-wide mode, written once by the entry point.
SaverMode saver_mode();
void set_saver_mode(SaverMode mode);
