// The playlist editor's commands that add, remove, shuffle and hand over the list's entries.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "player/player_lock.h"
#include "playlist/global_lists.h"
#include "saver/playlist_editor_state.h"
#include "saver/save_list_as.h"

namespace {

// Dropped names are cut to this many characters each, as the name buffer's entries are.
constexpr UINT kMaxDroppedName = 255;

HWND list_view() { return editor_controls().list; }

int row_count() { return ListView_GetItemCount(list_view()); }

int lowest_selected_row() { return ListView_GetNextItem(list_view(), -1, LVNI_SELECTED); }

// The entry a row shows; rows mirror the list, so row i is entry i.
PlaylistEntry* entry_of_row(int row) {
    return row >= 0 && row < editorList.count ? editorList.entries[row].get() : nullptr;
}

}  // namespace

void add_picked_files(const char* selection, std::size_t size) {
    if (!selection || size == 0) return;
    const std::string_view buffer(selection, size);
    const std::size_t first = strnlen(selection, size);
    // A folder followed by names is a choice of several files; one full path is a single file.
    const bool several = first + 1 < size && selection[first + 1] != '\0';
    const int old_rows = row_count();
    if (several) {
        editorList.addFiles(buffer, true, true, -1);
    } else if (first > 0) {
        editorList.appendPath(std::string(selection, first));
    }
    show_rows_from(old_rows);
}

void drop_files_on_list(HDROP drop) {
    std::span<char> buffer = playlist_editor_file_buffer();
    std::size_t used = 0;
    const UINT files = DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0);
    for (UINT i = 0; i < files; ++i) {
        char name[kMaxDroppedName + 1];
        const UINT length = DragQueryFileA(drop, i, name, sizeof name);
        if (length == 0) continue;
        // The names that no longer fit (with the empty string that ends them) are left out.
        if (used + length + 2 > buffer.size()) break;
        std::memcpy(buffer.data() + used, name, length);
        used += length;
        buffer[used++] = '\0';
    }
    buffer[used] = '\0';
    POINT point{0, 0};
    DragQueryPoint(drop, &point);
    DragFinish(drop);
    if (used == 0) return;

    LVFINDINFOA find{};
    find.flags = LVFI_NEARESTXY;
    find.pt = point;
    find.vkDirection = VK_LEFT;
    int index = ListView_FindItem(list_view(), -1, &find);
    if (index < 0) index = row_count();
    editorList.addFiles(std::string_view(buffer.data(), used + 1), false, true, index);
    show_rows_from(index);
}

void save_list() {
    // Every list saved from the editor begins with the line "#n Lumivex".
    editorList.name = "Lumivex";
    saveListAs(editorList, editor_controls().child);
}

void remove_selected() {
    const int first = lowest_selected_row();
    if (first < 0) return;
    for (int row = first; row >= 0; row = ListView_GetNextItem(list_view(), row, LVNI_SELECTED)) {
        if (PlaylistEntry* e = entry_of_row(row)) e->removeMark = true;
    }
    editorList.removeMarked();
    show_rows_from(first);
}

void randomize_list() {
    editorList.randomize();
    show_rows_from(0);
}

void insert_cd_track() {
    int k = lowest_selected_row();
    if (k < 0) k = row_count();
    // The track number is the place the new entry takes, counted from 1.
    editorList.insertPath("Track" + std::to_string(k + 1) + ".cda", k);
    show_rows_from(k);
}

void rebuild_playback_list() {
    editorList.name.clear();  // the editor has no field for the name
    // Not while a decoding thread that Load List left playing hands over to its next entry.
    PlayerLock lock;
    playbackList.rebuildFrom(editorList);
}

void ask_and_clear_all() {
    if (editorList.count == 0) return;
    if (MessageBoxA(editor_controls().child, "Are you sure you want to delete all list items?",
                    "Confirm keyboard event", MB_YESNO | MB_ICONWARNING) != IDYES) {
        return;
    }
    editorList.clear();
    show_rows_from(0);
}
