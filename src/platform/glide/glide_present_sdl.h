// Selects the SDL2 presenter: swapped frames appear in the saver's full-screen SDL window.
#pragma once

// Called once by the saver's main before the device is opened. Frames are scaled to the window
// with their aspect kept (black bars), and each swap waits for one vertical retrace.
void glide_use_sdl_presenter();
