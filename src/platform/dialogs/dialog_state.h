// What the files of the dialog layer's shared part share among themselves (not for backends).
#pragma once

#include "platform/dialogs/dialog_backend.h"

// A new handle for a dialog or a control, distinct from every window handle of the process.
HWND new_dialog_handle();
// A dialog and its controls as the template gives them, not yet in the list of open dialogs.
std::unique_ptr<Dialog> build_dialog(const DialogTemplate& t, HWND owner, DLGPROC proc);
// Puts a dialog in the list of open dialogs (innermost last) and takes it out again.
Dialog& open_dialog(std::unique_ptr<Dialog> dialog);
void close_dialog(Dialog& dialog);
INT_PTR send_to_dialog(Dialog& dialog, UINT msg, WPARAM wparam, LPARAM lparam);
bool is_button(ControlKind kind);
// Enabled, shown, and of a kind that takes the keyboard focus.
bool can_take_focus(const Control& control);

// The installed backend; null when none is.
DialogBackend* dialog_backend();
// Lets the backend mirror every open dialog after a procedure ran.
void sync_open_dialogs();
// A control of the given kind, or null (the handle names no control, or one of another kind).
Control* control_of_kind(HWND hwnd, ControlKind kind);
// The parts of the state that live beside the list view.
void reset_image_lists();
