// Config mode's user interface on GTK 3: the dialogs, and message boxes as GTK message dialogs.
#pragma once

// Initialises GTK, then installs the GTK dialog backend and a window backend whose message
// boxes are GTK message dialogs (owned by the open dialog they name). False when GTK cannot
// reach a display; nothing is installed then. Call it once, in Config mode only.
bool dialogs_gtk_install();
