// What the files of the dialog layer's shared part share among themselves (not for backends).
#pragma once

#include "platform/dialogs/dialog_backend.h"

// The installed backend; null when none is.
DialogBackend* dialog_backend();
// Lets the backend mirror every open dialog after a procedure ran.
void sync_open_dialogs();
// A control of the given kind, or null (the handle names no control, or one of another kind).
Control* control_of_kind(HWND hwnd, ControlKind kind);
// The parts of the state that live beside the list view.
void reset_image_lists();
