// The settings dialog of Config mode: "Lumivex Settings", resource 122.
#pragma once

#include "platform/dialogs/dialogs.h"

// Fills the controls from the settings record on WM_INITDIALOG; on OK copies them back and
// writes the saver's registry key; Cancel saves nothing.
INT_PTR settings_dialog_proc(HWND dialog, UINT msg, WPARAM wparam, LPARAM lparam);

// Shows the dialog modally, owned by parent; Config mode's dialog (set_config_dialog).
void show_settings_dialog(HWND parent);

// What "Playlist..." opens, given the dialog as owner: the playlist editor unless another is
// installed (tests). With null the button does nothing.
using PlaylistEditorFn = void (*)(HWND owner);
void set_playlist_editor(PlaylistEditorFn editor);
