// The seam behind the window vocabulary: one real backend (SDL2) and one scripted backend for tests.
#pragma once

#include "platform/win/win.h"

// Everything the window functions of win.h need from the system. The free functions of win.h
// forward to the backend installed with install_win_backend; window procedures, the class table
// and the message queue live in the shared part (win.cpp) so both backends behave alike.
class WinBackend {
public:
    virtual ~WinBackend() = default;

    // A top-level or child window was created; the backend shows it (or records it).
    virtual bool create_native_window(HWND hwnd, DWORD ex_style, DWORD style, int x, int y,
                                      int width, int height, HWND parent) = 0;
    virtual void destroy_native_window(HWND hwnd) = 0;
    // Parent windows given by number (an X11 id on Linux); false when the window is unknown.
    virtual bool native_window_rect(HWND hwnd, RECT* rect) = 0;
    virtual int screen_width() = 0;
    virtual int screen_height() = 0;
    virtual HWND foreground_window() = 0;

    // Moves system events into the queue as messages (PostMessageA); never blocks.
    virtual void poll_events() = 0;
    virtual DWORD tick_count() = 0;
    virtual POINT cursor_pos() = 0;
    virtual void set_cursor_visible(bool visible) = 0;
    virtual int message_box(HWND owner, const char* text, const char* caption, UINT type) = 0;
    [[noreturn]] virtual void exit_process(UINT code) = 0;
};

// Installs the backend for the whole process (not owned). Null restores the built-in fallback,
// which has no windows, counts ticks from a steady clock and writes message boxes to stderr.
void install_win_backend(WinBackend* backend);
WinBackend* installed_win_backend();

// Forgets every window, class, timer and queued message (tests start from a clean state).
void reset_win_state();
