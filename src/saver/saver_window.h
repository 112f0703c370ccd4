// The saver window: its class, its close rules and the frame loop.
#pragma once

#include "platform/win/win.h"

// Creates the full-screen saver window (or the preview child) and, in Run mode, runs the frame
// loop for the rest of the process.
void run_saver(HWND parent);
// Everything of run_saver but the frame loop: the window, and in Run mode the render device and
// the music. Null when the loop is not to run (no window, or not Run mode).
HWND start_saver(HWND parent);
// The first steps of run_saver: registers the class and creates the window for the mode.
HWND create_saver_window(HWND parent);
// Dispatches every queued message without waiting; always asks the loop to go on (0).
int pump_messages();
// The saver asks itself to close: the only close the Run mode's close rule honours.
void request_close();
LRESULT saver_window_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

// The number of far mouse moves counted so far (never reset in a process).
int& moved_count();
