// Drop-down lists: entries, sorted insertion, prefix selection and the selected entry.
#include <algorithm>
#include <cstring>

#include "platform/dialogs/dialog_state.h"

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Case-insensitive order of the entries of a sorted list.
int compare_nocase(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char x = lower(a[i]);
        const char y = lower(b[i]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool begins_with_nocase(const std::string& text, const char* prefix) {
    const std::size_t n = std::strlen(prefix);
    if (n > text.size()) return false;
    for (std::size_t i = 0; i < n; ++i) {
        if (lower(text[i]) != lower(prefix[i])) return false;
    }
    return true;
}

Control* combo(HWND hwnd) { return control_of_kind(hwnd, ControlKind::DropDownList); }

bool valid_index(const Control& c, int index) {
    return index >= 0 && index < static_cast<int>(c.items.size());
}

}  // namespace

int ComboBox_AddString(HWND hwnd, const char* text) {
    Control* c = combo(hwnd);
    if (!c || !text) return CB_ERR;
    std::string entry = text;
    std::size_t at = c->items.size();
    if (c->style & CBS_SORT) {
        at = 0;
        while (at < c->items.size() && compare_nocase(c->items[at], entry) <= 0) ++at;
    }
    c->items.insert(c->items.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
    if (c->selection >= static_cast<int>(at)) ++c->selection;
    c->changed |= kChangedItems | kChangedSelection;
    return static_cast<int>(at);
}

int ComboBox_GetCount(HWND hwnd) {
    Control* c = combo(hwnd);
    return c ? static_cast<int>(c->items.size()) : CB_ERR;
}

int ComboBox_GetCurSel(HWND hwnd) {
    Control* c = combo(hwnd);
    return c ? c->selection : CB_ERR;
}

int ComboBox_SetCurSel(HWND hwnd, int index) {
    Control* c = combo(hwnd);
    if (!c) return CB_ERR;
    c->selection = valid_index(*c, index) ? index : CB_ERR;
    c->changed |= kChangedSelection;
    return c->selection;
}

int ComboBox_SelectString(HWND hwnd, int start, const char* prefix) {
    Control* c = combo(hwnd);
    if (!c || !prefix) return CB_ERR;
    const int n = static_cast<int>(c->items.size());
    const int from = valid_index(*c, start) ? start + 1 : 0;
    for (int k = 0; k < n; ++k) {
        const int i = (from + k) % n;
        if (begins_with_nocase(c->items[static_cast<std::size_t>(i)], prefix)) {
            c->selection = i;
            c->changed |= kChangedSelection;
            return i;
        }
    }
    return CB_ERR;
}

int ComboBox_GetLBTextLen(HWND hwnd, int index) {
    Control* c = combo(hwnd);
    if (!c || !valid_index(*c, index)) return CB_ERR;
    return static_cast<int>(c->items[static_cast<std::size_t>(index)].size());
}

int ComboBox_GetLBText(HWND hwnd, int index, char* buffer) {
    Control* c = combo(hwnd);
    if (!c || !buffer || !valid_index(*c, index)) return CB_ERR;
    const std::string& text = c->items[static_cast<std::size_t>(index)];
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<int>(text.size());
}

void ComboBox_ResetContent(HWND hwnd) {
    Control* c = combo(hwnd);
    if (!c) return;
    c->items.clear();
    c->selection = CB_ERR;
    c->changed |= kChangedItems | kChangedSelection;
}
