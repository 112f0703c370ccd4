// The user's input to a dialog: clicks, choices, and the keys the dialog manager handles itself.
#include <algorithm>

#include "platform/dialogs/dialog_state.h"

namespace {

void send_command(Dialog& d, int id, UINT code, HWND control) {
    send_to_dialog(d, WM_COMMAND, MAKEWPARAM(static_cast<UINT>(id), code), hwnd_to_number(control));
    sync_open_dialogs();
}

using ControlIt = std::vector<std::unique_ptr<Control>>::iterator;

// A group runs from a WS_GROUP control to the one before the next; empty for no control.
std::pair<ControlIt, ControlIt> group_of(Dialog& d, const Control* control) {
    auto& cs = d.controls;
    auto at = std::find_if(cs.begin(), cs.end(), [&](auto& c) { return c.get() == control; });
    if (at == cs.end()) return {cs.end(), cs.end()};
    auto first = at;
    while (first != cs.begin() && !((*first)->style & WS_GROUP)) --first;
    auto last = at + 1;
    while (last != cs.end() && !((*last)->style & WS_GROUP)) ++last;
    return {first, last};
}

// An auto radio button checks itself and clears the other radio buttons of its group.
void check_in_group(Dialog& d, Control& clicked) {
    const auto [first, last] = group_of(d, &clicked);
    for (auto it = first; it != last; ++it) {
        Control& c = **it;
        if (c.kind != ControlKind::AutoRadioButton) continue;
        UINT want = &c == &clicked ? BST_CHECKED : BST_UNCHECKED;
        if (c.check != want) {
            c.check = want;
            c.changed |= kChangedState;
        }
    }
}

// Return: a focused push button takes it; otherwise the default button (IDOK without one).
void press_default(Dialog& d) {
    Control* focused = control_of(d.focus);
    if (focused &&
        (focused->kind == ControlKind::PushButton || focused->kind == ControlKind::DefPushButton)) {
        dialog_user_click(d, *focused);
        return;
    }
    int id = IDOK;
    for (auto& c : d.controls) {
        if (c->kind == ControlKind::DefPushButton) id = c->id;
    }
    Control* button = d.find(id);
    if (button && !button->enabled) return;
    send_command(d, id, BN_CLICKED, button ? button->hwnd : nullptr);
}

void give_focus(Dialog& d, Control& c) {
    d.focus = c.hwnd;
    d.focus_changed = true;
}

// Tab stops in template order; a group of radio buttons is reached at its checked button.
void move_to_tab_stop(Dialog& d, bool forward) {
    std::vector<Control*> stops;
    for (std::size_t i = 0; i < d.controls.size(); ++i) {
        Control& c = *d.controls[i];
        if (!(c.style & WS_TABSTOP) || !can_take_focus(c)) continue;
        Control* stop = &c;
        if (c.kind == ControlKind::AutoRadioButton) {
            for (std::size_t j = i; j < d.controls.size(); ++j) {
                Control& r = *d.controls[j];
                if (j > i && (r.style & WS_GROUP)) break;
                if (r.kind == ControlKind::AutoRadioButton && r.check == BST_CHECKED &&
                    can_take_focus(r)) {
                    stop = &r;
                    break;
                }
            }
        }
        stops.push_back(stop);
    }
    if (stops.empty()) return;
    const auto [first, last] = group_of(d, control_of(d.focus));
    int at = -1;
    for (std::size_t k = 0; k < stops.size() && at < 0; ++k) {
        if (stops[k]->hwnd == d.focus) at = static_cast<int>(k);
    }
    // A radio button without the tab stop stands for its group's stop.
    for (std::size_t k = 0; k < stops.size() && at < 0; ++k) {
        if (stops[k]->kind != ControlKind::AutoRadioButton) continue;
        if (std::find_if(first, last, [&](auto& c) { return c.get() == stops[k]; }) != last) {
            at = static_cast<int>(k);
        }
    }
    const int n = static_cast<int>(stops.size());
    const int next = at < 0 ? (forward ? 0 : n - 1) : (at + (forward ? 1 : n - 1)) % n;
    give_focus(d, *stops[static_cast<std::size_t>(next)]);
    sync_open_dialogs();
}

// The arrows move among the buttons of the focused button's group, wrapping round.
bool move_in_group(Dialog& d, bool forward) {
    Control* focused = control_of(d.focus);
    if (!focused || !is_button(focused->kind)) return false;
    const auto [first, last] = group_of(d, focused);
    std::vector<Control*> members;
    for (auto it = first; it != last; ++it) {
        if (can_take_focus(**it)) members.push_back(it->get());
    }
    auto at = std::find(members.begin(), members.end(), focused);
    if (at == members.end()) return true;
    const auto n = static_cast<std::ptrdiff_t>(members.size());
    const std::ptrdiff_t i = at - members.begin();
    Control* next = members[static_cast<std::size_t>((i + (forward ? 1 : n - 1)) % n)];
    give_focus(d, *next);
    if (next->kind == ControlKind::AutoRadioButton && next->check != BST_CHECKED) {
        dialog_user_click(d, *next);
    } else {
        sync_open_dialogs();
    }
    return true;
}

}  // namespace

void dialog_user_click(Dialog& d, Control& c) {
    if (!c.enabled) return;
    if (c.kind == ControlKind::AutoCheckBox) {
        c.check = c.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
        c.changed |= kChangedState;
    } else if (c.kind == ControlKind::AutoRadioButton) {
        check_in_group(d, c);
    } else if (!is_button(c.kind)) {
        return;
    }
    send_command(d, c.id, BN_CLICKED, c.hwnd);
}

void dialog_user_choose(Dialog& d, Control& c, int index) {
    if (c.kind != ControlKind::DropDownList || !c.enabled) return;
    if (index < 0 || index >= static_cast<int>(c.items.size())) return;
    if (c.selection == index) return;
    c.selection = index;
    c.changed |= kChangedSelection;
    send_command(d, c.id, CBN_SELCHANGE, c.hwnd);
}

bool dialog_user_key(Dialog& d, WPARAM vk, bool shift) {
    switch (vk) {
        case VK_ESCAPE: {
            Control* cancel = d.find(IDCANCEL);
            send_command(d, IDCANCEL, BN_CLICKED, cancel ? cancel->hwnd : nullptr);
            return true;
        }
        case VK_RETURN:
            press_default(d);
            return true;
        case VK_TAB:
            move_to_tab_stop(d, !shift);
            return true;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
            return move_in_group(d, vk == VK_RIGHT || vk == VK_DOWN);
        default:
            return false;
    }
}

void dialog_user_close(Dialog& d) {
    Control* cancel = d.find(IDCANCEL);
    send_command(d, IDCANCEL, BN_CLICKED, cancel ? cancel->hwnd : nullptr);
}

void dialog_user_focus(Dialog& d, Control* c) { d.focus = c ? c->hwnd : nullptr; }
