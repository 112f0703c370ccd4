// The screen-saver password: check before closing, and the change-password mode.
#pragma once

#include "platform/win/win.h"

// True when the saver may close: the right password, none set, or no way to check.
bool verify_password(HWND owner);
// Shows the system's change-password dialog, when the system has one.
void change_password(HWND parent);
