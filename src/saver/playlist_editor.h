// The playlist editor: the open-file dialog "Edit Playlist" with the editor's child dialog.
#pragma once

#include "platform/dialogs/common_dialogs.h"

// Shows the editor modally, owned by the settings dialog; returns when it closes. What the user
// did is in editorList (and, after OK, in playbackList).
void open_playlist_editor(HWND owner);

// The open-file dialog's hook: the procedure of the child dialog (resource 2) inside it.
UINT_PTR playlist_editor_proc(HWND child, UINT msg, WPARAM wparam, LPARAM lparam);

// Forgets the file-type icons and the controls of the last opening (tests start afresh).
void reset_playlist_editor();
