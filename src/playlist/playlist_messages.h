// The message boxes of the playlists, with their fixed texts and captions.
#pragma once

#include <string>

#include "platform/win/win.h"

// The invalid-file warning; false when the user answers No to "Continue to warn?".
bool ask_continue_invalid_file_warning(HWND owner, const std::string& path);
// A playlist file that could not be opened or gave no entry of its own.
void show_unable_to_open_playlist(HWND owner, const std::string& path);
// A nested playlist beyond the deepest level allowed.
void show_list_recursion_error(HWND owner);
