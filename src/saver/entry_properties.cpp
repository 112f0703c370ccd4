// The playlist editor's entry properties (P, double-click): what the list knows of each selected
// entry, shown one entry after another. The rows show only file names; this shows the rest.
#include <cstdio>
#include <string>

#include "playlist/global_lists.h"
#include "playlist/playlist_paths.h"
#include "saver/playlist_editor_state.h"

namespace {

std::string describe(int row, const PlaylistEntry& e) {
    std::string text = std::to_string(row + 1) + ". " + fileNamePart(e.path) + "\n\n";
    text += "File: " + e.path;
    if (!e.displayName.empty()) text += "\nTitle: " + e.displayName;
    if (!e.lyricsFile.empty()) text += "\nLyrics: " + e.lyricsFile;
    if (!e.imageFile.empty()) text += "\nImage: " + e.imageFile;
    if (e.factor != 1.0f) {
        char factor[32];
        std::snprintf(factor, sizeof factor, "%g", static_cast<double>(e.factor));
        text += "\nFactor: ";
        text += factor;
    }
    return text;
}

}  // namespace

void show_entry_properties() {
    const PlaylistEditorControls& c = editor_controls();
    int row = ListView_GetNextItem(c.list, -1, LVNI_SELECTED);
    while (row >= 0 && row < editorList.count) {
        const int next = ListView_GetNextItem(c.list, row, LVNI_SELECTED);
        // OK goes on with the next selected entry; Cancel ends the sequence.
        const UINT buttons = next >= 0 ? MB_OKCANCEL : MB_OK;
        const std::string text = describe(row, *editorList.entries[row]);
        if (MessageBoxA(c.child, text.c_str(), "Entry Properties", buttons | MB_ICONINFORMATION) ==
            IDCANCEL) {
            return;
        }
        row = next;
    }
}
