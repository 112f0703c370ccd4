// The saver's entry: command line to mode, settings, and the one mode that runs.
#pragma once

#include "platform/win/win.h"

// Runs the saver for one process; returns the process's exit code (0). In Run mode the process
// ends inside the window procedure instead.
int saver_main(HINSTANCE instance, const char* command_line);

// The module instance handle kept for the window class and the settings dialog.
HINSTANCE saver_instance();

// Config mode's dialog. Replaced by the settings dialog; until then it says it is missing.
using ConfigDialogFn = void (*)(HWND parent);
void set_config_dialog(ConfigDialogFn dialog);
