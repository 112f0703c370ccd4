// The playlist editor's Up and Down: the selected entries move as one block, which stays selected.
#include <algorithm>

#include "playlist/global_lists.h"
#include "saver/playlist_editor_state.h"

namespace {

struct Marked {
    int first = -1;
    int last = -1;
    int n = 0;
};

// Sets moveMark on the entry of every selected row.
Marked mark_selected_rows() {
    HWND list = editor_controls().list;
    Marked m;
    for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(list, row, LVNI_SELECTED)) {
        if (row >= editorList.count) break;
        editorList.entries[row]->moveMark = true;
        if (m.first < 0) m.first = row;
        m.last = row;
        ++m.n;
    }
    return m;
}

void select_rows(int from, int to) {
    for (int row = from; row <= to; ++row) {
        ListView_SetItemState(editor_controls().list, row, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
    }
}

// Brings a row into view (the last one when it lies past the end) and focuses the list view.
void show_and_focus(int row) {
    HWND list = editor_controls().list;
    ListView_EnsureVisible(list, std::min(row, ListView_GetItemCount(list) - 1), 0);
    SetFocus(list);
}

}  // namespace

void move_selected_up() {
    const Marked m = mark_selected_rows();
    if (m.n == 0) return;
    if (editorList.moveMarkedUp()) {
        show_rows_from(m.first - 1);
        select_rows(m.first - 1, m.first + m.n - 2);
    }
    show_and_focus(m.first + m.n - 1);
}

void move_selected_down() {
    const Marked m = mark_selected_rows();
    if (m.n == 0) return;
    if (editorList.moveMarkedDown()) {
        show_rows_from(m.first);
        select_rows(m.last - m.n + 2, m.last + 1);
    }
    show_and_focus(m.last + 1);
}
