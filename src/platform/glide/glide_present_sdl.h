// Selects the SDL2 presenter: swapped frames appear in the saver's full-screen SDL window.
#pragma once

#include <functional>

// Called once by the saver's main before the device is opened. Frames are scaled to the window
// with their aspect kept (black bars), 60 a second. LUMIVEX_PRESENTER=surface|gpu|probe picks
// the way (for measuring), LUMIVEX_PRESENTER_REPORT=1 says on standard error which was taken,
// and LUMIVEX_FRAME_STATS=FILE keeps "presented N missed M" there, rewritten once a second.
void glide_use_sdl_presenter();

// Where the presenter learns the window's size before each frame: by default SDL's own idea,
// which follows the resizes SDL hears of. A window SDL only wraps (a foreign X window) reports
// none, so its owner gives the real size here (false: unknown); a change makes a new surface.
using WindowSizeSource = std::function<bool(int* width, int* height)>;
void glide_sdl_presenter_set_size_source(WindowSizeSource source);
