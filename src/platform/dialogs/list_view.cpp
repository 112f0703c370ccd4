// List views (rows with text, icon, data and selection state), image lists and file icons.
#include <algorithm>
#include <cstring>
#include <map>

#include "platform/dialogs/dialog_state.h"

namespace {

struct Images {
    std::map<std::uintptr_t, std::vector<IconData>> lists;
    std::map<std::uintptr_t, IconData> icons;
    std::uintptr_t next = 0x1000;
};

Images& images() {
    static Images s;
    return s;
}

Control* list_view(HWND hwnd) { return control_of_kind(hwnd, ControlKind::ListView); }

int row_count(const Control& c) { return static_cast<int>(c.rows.size()); }

bool valid_row(const Control& c, int index) { return index >= 0 && index < row_count(c); }

void copy_text(const std::string& text, char* buffer, int size) {
    if (!buffer || size <= 0) return;
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

// Only one row holds the focus: giving it to one takes it from the others.
void set_state(Control& c, int index, UINT state, UINT mask) {
    if ((mask & LVIS_FOCUSED) && (state & LVIS_FOCUSED)) {
        for (auto& row : c.rows) row.state &= ~LVIS_FOCUSED;
    }
    ListViewRow& row = c.rows[static_cast<std::size_t>(index)];
    row.state = (row.state & ~mask) | (state & mask);
}

}  // namespace

void reset_image_lists() {
    images().lists.clear();
    images().icons.clear();
}

const std::vector<IconData>* image_list_icons(HIMAGELIST handle) {
    auto& lists = images().lists;
    auto it = lists.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == lists.end() ? nullptr : &it->second;
}

int ListView_InsertColumn(HWND hwnd, int index, const LVCOLUMNA* column) {
    Control* c = list_view(hwnd);
    if (!c || !column) return -1;
    ListViewColumn col;
    if ((column->mask & LVCF_TEXT) && column->pszText) col.text = column->pszText;
    if (column->mask & LVCF_WIDTH) col.width = column->cx;
    const int at = std::clamp(index, 0, static_cast<int>(c->columns.size()));
    c->columns.insert(c->columns.begin() + at, col);
    c->changed |= kChangedRows;
    return at;
}

HIMAGELIST ListView_SetImageList(HWND hwnd, HIMAGELIST list, int which) {
    Control* c = list_view(hwnd);
    if (!c || which != LVSIL_SMALL) return nullptr;
    HIMAGELIST previous = c->small_images;
    c->small_images = list;
    c->changed |= kChangedRows;
    return previous;
}

int ListView_InsertItem(HWND hwnd, const LVITEMA* item) {
    Control* c = list_view(hwnd);
    if (!c || !item || item->iSubItem != 0) return -1;
    ListViewRow row;
    if ((item->mask & LVIF_TEXT) && item->pszText) row.text = item->pszText;
    if (item->mask & LVIF_IMAGE) row.image = item->iImage;
    if (item->mask & LVIF_PARAM) row.param = item->lParam;
    const int at = std::clamp(item->iItem, 0, row_count(*c));
    c->rows.insert(c->rows.begin() + at, row);
    if (item->mask & LVIF_STATE) set_state(*c, at, item->state, item->stateMask);
    c->changed |= kChangedRows;
    return at;
}

BOOL ListView_DeleteItem(HWND hwnd, int index) {
    Control* c = list_view(hwnd);
    if (!c || !valid_row(*c, index)) return 0;
    c->rows.erase(c->rows.begin() + index);
    c->changed |= kChangedRows;
    return 1;
}

BOOL ListView_DeleteAllItems(HWND hwnd) {
    Control* c = list_view(hwnd);
    if (!c) return 0;
    c->rows.clear();
    c->changed |= kChangedRows;
    return 1;
}

int ListView_GetItemCount(HWND hwnd) {
    Control* c = list_view(hwnd);
    return c ? row_count(*c) : 0;
}

UINT ListView_GetSelectedCount(HWND hwnd) {
    Control* c = list_view(hwnd);
    if (!c) return 0;
    return static_cast<UINT>(std::count_if(c->rows.begin(), c->rows.end(),
                                           [](auto& r) { return (r.state & LVIS_SELECTED) != 0; }));
}

int ListView_GetNextItem(HWND hwnd, int start, UINT flags) {
    Control* c = list_view(hwnd);
    if (!c) return -1;
    UINT want = 0;
    if (flags & LVNI_SELECTED) want |= LVIS_SELECTED;
    if (flags & LVNI_FOCUSED) want |= LVIS_FOCUSED;
    for (int i = std::max(start + 1, 0); i < row_count(*c); ++i) {
        if ((c->rows[static_cast<std::size_t>(i)].state & want) == want) return i;
    }
    return -1;
}

BOOL ListView_SetItemState(HWND hwnd, int index, UINT state, UINT mask) {
    Control* c = list_view(hwnd);
    if (!c) return 0;
    if (index == -1) {
        for (int i = 0; i < row_count(*c); ++i) set_state(*c, i, state, mask);
    } else if (valid_row(*c, index)) {
        set_state(*c, index, state, mask);
    } else {
        return 0;
    }
    c->changed |= kChangedSelection;
    return 1;
}

UINT ListView_GetItemState(HWND hwnd, int index, UINT mask) {
    Control* c = list_view(hwnd);
    if (!c || !valid_row(*c, index)) return 0;
    return c->rows[static_cast<std::size_t>(index)].state & mask;
}

BOOL ListView_GetItem(HWND hwnd, LVITEMA* item) {
    Control* c = list_view(hwnd);
    if (!c || !item || !valid_row(*c, item->iItem) || item->iSubItem != 0) return 0;
    const ListViewRow& row = c->rows[static_cast<std::size_t>(item->iItem)];
    if (item->mask & LVIF_TEXT) copy_text(row.text, item->pszText, item->cchTextMax);
    if (item->mask & LVIF_IMAGE) item->iImage = row.image;
    if (item->mask & LVIF_PARAM) item->lParam = row.param;
    if (item->mask & LVIF_STATE) item->state = row.state & item->stateMask;
    return 1;
}

void ListView_GetItemText(HWND hwnd, int index, int sub_item, char* buffer, int size) {
    Control* c = list_view(hwnd);
    if (buffer && size > 0) buffer[0] = '\0';
    if (!c || sub_item != 0 || !valid_row(*c, index)) return;
    copy_text(c->rows[static_cast<std::size_t>(index)].text, buffer, size);
}

BOOL ListView_EnsureVisible(HWND hwnd, int index, BOOL /*partial_ok*/) {
    Control* c = list_view(hwnd);
    if (!c || !valid_row(*c, index)) return 0;
    c->scroll_to = index;
    c->changed |= kChangedScroll;
    return 1;
}

int ListView_FindItem(HWND hwnd, int /*start*/, const LVFINDINFOA* find) {
    Control* c = list_view(hwnd);
    DialogBackend* backend = dialog_backend();
    if (!c || !find || !backend || !(find->flags & LVFI_NEARESTXY)) return -1;
    Dialog* d = dialog_of(hwnd);
    if (!d || c->rows.empty()) return -1;
    return backend->nearest_row(*d, *c, find->pt);
}

HIMAGELIST ImageList_Create(int /*cx*/, int /*cy*/, UINT /*flags*/, int /*initial*/, int /*grow*/) {
    Images& s = images();
    const std::uintptr_t id = s.next++;
    s.lists[id] = {};
    return reinterpret_cast<HIMAGELIST>(id);
}

int ImageList_AddIcon(HIMAGELIST list, HICON icon) {
    Images& s = images();
    auto l = s.lists.find(reinterpret_cast<std::uintptr_t>(list));
    auto i = s.icons.find(reinterpret_cast<std::uintptr_t>(icon));
    if (l == s.lists.end() || i == s.icons.end()) return -1;
    l->second.push_back(i->second);
    return static_cast<int>(l->second.size()) - 1;
}

int ImageList_GetImageCount(HIMAGELIST list) {
    const std::vector<IconData>* icons = image_list_icons(list);
    return icons ? static_cast<int>(icons->size()) : 0;
}

BOOL ImageList_Destroy(HIMAGELIST list) {
    return images().lists.erase(reinterpret_cast<std::uintptr_t>(list)) ? 1 : 0;
}

std::uintptr_t SHGetFileInfoA(const char* path, DWORD /*attributes*/, SHFILEINFOA* info, UINT size,
                              UINT flags) {
    DialogBackend* backend = dialog_backend();
    if (!path || !info || size < sizeof(SHFILEINFOA) || !(flags & SHGFI_ICON) || !backend) {
        return 0;
    }
    IconData icon;
    if (!backend->file_icon(path, &icon)) return 0;
    Images& s = images();
    const std::uintptr_t id = s.next++;
    s.icons[id] = std::move(icon);
    info->hIcon = reinterpret_cast<HICON>(id);
    info->iIcon = 0;
    return 1;
}

BOOL DestroyIcon(HICON icon) {
    return images().icons.erase(reinterpret_cast<std::uintptr_t>(icon)) ? 1 : 0;
}

void dialog_user_select_rows(Dialog& /*dialog*/, Control& list, const std::vector<UINT>& states) {
    // The native list already shows the user's selection: nothing to mirror back.
    const std::size_t n = std::min(states.size(), list.rows.size());
    for (std::size_t i = 0; i < n; ++i) {
        list.rows[i].state = states[i] & (LVIS_SELECTED | LVIS_FOCUSED);
    }
}
