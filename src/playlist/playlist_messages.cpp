// The message boxes of the playlists, with their fixed texts and captions.
#include "playlist/playlist_messages.h"

bool ask_continue_invalid_file_warning(HWND owner, const std::string& path) {
    std::string text =
        "Invalid file in playlist : \"" + path + "\". File will not be added.\nContinue to warn? ";
    return MessageBoxA(owner, text.c_str(), "Warning", MB_YESNO | MB_ICONWARNING) != IDNO;
}

void show_unable_to_open_playlist(HWND owner, const std::string& path) {
    std::string text = "Unable to open the playlist \"" + path + "\".";
    MessageBoxA(owner, text.c_str(), "Error opening playlist", MB_OK | MB_ICONWARNING);
}

void show_list_recursion_error(HWND owner) {
    MessageBoxA(owner,
                "The maximum level of list recursion has been exceeded. Check to make sure your "
                "list does not contain a cycle.",
                "List recursion error", MB_OK | MB_ICONWARNING);
}
