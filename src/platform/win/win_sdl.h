// What the SDL2 window backend shares with the other SDL2 backends (the Glide presenter).
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/win/win_backend.h"

// Creates the real backend (SDL video and events) and installs it; false when SDL cannot start
// or reaches no display (SDL's "offscreen" or "dummy" driver that SDL_VIDEODRIVER did not name).
bool win_sdl_install();

// The SDL window behind the saver's top-level window, or null while there is none. Glide opens
// "full screen" with no window handle and presents into this window.
SDL_Window* win_sdl_main_window();

// Hack mode: installs the backend with X window `xid` (0: the root window) as the saver's
// window, which another program owns; the frames are shown in it at its size as it changes.
// False, with a message on standard error, when there is no X display or no such window.
bool win_sdl_install_foreign(std::uint32_t xid);
// Asked once a frame: false once the hack's window is gone (X reports it as BadWindow).
bool win_sdl_foreign_window_alive();
