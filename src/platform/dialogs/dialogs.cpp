// The shared part of the dialog layer: open dialogs, their controls, buttons and user actions.
#include <algorithm>
#include <cstring>

#include "platform/dialogs/dialog_state.h"
#include "resources/dialogs/dialog_resources.h"

namespace {

struct State {
    std::vector<std::unique_ptr<Dialog>> open;  // the innermost dialog last
    std::intptr_t next_handle = 0x60000000;     // above every X11 window id
};

State& state() {
    static State s;
    return s;
}

DialogBackend* g_backend = nullptr;

}  // namespace

HWND new_dialog_handle() {
    State& s = state();
    HWND h = hwnd_from_number(s.next_handle);
    s.next_handle += 4;
    return h;
}

namespace {

bool is_button(ControlKind kind) {
    return kind == ControlKind::AutoRadioButton || kind == ControlKind::AutoCheckBox ||
           kind == ControlKind::PushButton || kind == ControlKind::DefPushButton;
}

bool can_take_focus(const Control& c) {
    return c.enabled && c.visible && c.kind != ControlKind::GroupBox &&
           c.kind != ControlKind::Text && c.kind != ControlKind::Picture;
}

}  // namespace

std::unique_ptr<Dialog> build_dialog(const DialogTemplate& t, HWND owner, DLGPROC proc) {
    auto d = std::make_unique<Dialog>();
    d->hwnd = new_dialog_handle();
    d->owner = owner;
    d->source = &t;
    d->proc = proc;
    for (const ControlTemplate& ct : t.controls) {
        auto c = std::make_unique<Control>();
        c->hwnd = new_dialog_handle();
        c->id = ct.id;
        c->kind = ct.kind;
        c->style = ct.style;
        c->source = &ct;
        c->text = ct.text ? ct.text : "";
        c->enabled = (ct.style & WS_DISABLED) == 0;
        d->controls.push_back(std::move(c));
    }
    return d;
}

Dialog& open_dialog(std::unique_ptr<Dialog> dialog) {
    state().open.push_back(std::move(dialog));
    return *state().open.back();
}

void close_dialog(Dialog& dialog) {
    // Dialogs opened and closed meanwhile have gone again; this one is still in the list.
    auto& open = state().open;
    auto it = std::find_if(open.begin(), open.end(), [&](auto& p) { return p.get() == &dialog; });
    if (it != open.end()) open.erase(it);
}

void dialog_pump_posted() {
    // Handling a message may open or close dialogs: look each one up anew.
    std::vector<HWND> handles;
    for (auto& d : state().open) handles.push_back(d->hwnd);
    for (HWND h : handles) {
        MSG m;
        while (PeekMessageA(&m, h, 0, 0, PM_REMOVE)) {
            Dialog* d = dialog_of(h);
            if (!d || d->hwnd != h || !d->proc) break;
            d->proc(h, m.message, m.wParam, m.lParam);
            sync_open_dialogs();
        }
    }
}

namespace {

// Windows gives the focus to the first tab stop; a template without tab stops to the first
// control that can hold it.
Control* first_tab_stop(Dialog& d) {
    for (auto& c : d.controls) {
        if ((c->style & WS_TABSTOP) && can_take_focus(*c)) return c.get();
    }
    for (auto& c : d.controls) {
        if (can_take_focus(*c)) return c.get();
    }
    return nullptr;
}

}  // namespace

INT_PTR send_to_dialog(Dialog& d, UINT msg, WPARAM wparam, LPARAM lparam) {
    return d.proc ? d.proc(d.hwnd, msg, wparam, lparam) : 0;
}

namespace {

INT_PTR send(Dialog& d, UINT msg, WPARAM wparam, LPARAM lparam) {
    return send_to_dialog(d, msg, wparam, lparam);
}

void send_command(Dialog& d, int id, UINT code, HWND control) {
    send(d, WM_COMMAND, MAKEWPARAM(static_cast<UINT>(id), code), hwnd_to_number(control));
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

Control* Dialog::find(int id) const {
    for (auto& c : controls) {
        if (c->id == id) return c.get();
    }
    return nullptr;
}

DialogBackend* dialog_backend() { return g_backend; }
void install_dialog_backend(DialogBackend* backend) { g_backend = backend; }
DialogBackend* installed_dialog_backend() { return g_backend; }

void sync_open_dialogs() {
    if (!g_backend) return;
    for (auto& d : state().open) g_backend->sync_dialog(*d);
}

Dialog* dialog_of(HWND hwnd) {
    if (!hwnd) return nullptr;
    for (auto& d : state().open) {
        if (d->hwnd == hwnd) return d.get();
        for (auto& c : d->controls) {
            if (c->hwnd == hwnd) return d.get();
        }
    }
    return nullptr;
}

Control* control_of(HWND hwnd) {
    if (!hwnd) return nullptr;
    for (auto& d : state().open) {
        for (auto& c : d->controls) {
            if (c->hwnd == hwnd) return c.get();
        }
    }
    return nullptr;
}

Control* control_of_kind(HWND hwnd, ControlKind kind) {
    Control* c = control_of(hwnd);
    return c && c->kind == kind ? c : nullptr;
}

void reset_dialog_state() {
    state().open.clear();
    reset_image_lists();
}

INT_PTR DialogBoxIndirectParamA(HINSTANCE /*instance*/, const DialogTemplate* dialog_template,
                                HWND owner, DLGPROC proc, LPARAM init_param) {
    if (!g_backend || !dialog_template || !proc) return -1;
    Dialog& d = open_dialog(build_dialog(*dialog_template, owner, proc));
    if (!g_backend->create_dialog(d)) {
        close_dialog(d);
        return -1;
    }
    HWND first = nullptr;
    if (Control* c = first_tab_stop(d)) first = c->hwnd;
    if (send(d, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), init_param) && first && !d.focus) {
        d.focus = first;
        d.focus_changed = true;
    }
    sync_open_dialogs();
    if (!d.ended) g_backend->run_dialog(d);
    INT_PTR result = d.ended ? d.result : -1;
    g_backend->destroy_dialog(d);
    close_dialog(d);
    return result;
}

INT_PTR DialogBoxParamA(HINSTANCE instance, const char* name, HWND owner, DLGPROC proc,
                        LPARAM init_param) {
    if (!IS_INTRESOURCE(name)) return -1;
    const auto id = static_cast<int>(reinterpret_cast<std::uintptr_t>(name));
    return DialogBoxIndirectParamA(instance, find_dialog_template(id), owner, proc, init_param);
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    Dialog* d = dialog_of(dialog);
    if (!d || d->hwnd != dialog) return 0;
    d->ended = true;
    d->result = result;
    return 1;
}

HWND GetDlgItem(HWND dialog, int id) {
    Dialog* d = dialog_of(dialog);
    if (!d || d->hwnd != dialog) return nullptr;
    Control* c = d->find(id);
    return c ? c->hwnd : nullptr;
}

int GetDlgCtrlID(HWND control) {
    Control* c = control_of(control);
    return c ? c->id : 0;
}

HWND GetParent(HWND window) {
    Dialog* d = dialog_of(window);
    if (!d) return nullptr;
    return d->hwnd == window ? d->owner : d->hwnd;
}

BOOL EnableWindow(HWND window, BOOL enable) {
    Control* c = control_of(window);
    if (!c) return 0;
    const bool was_disabled = !c->enabled;
    if (c->enabled != (enable != 0)) {
        c->enabled = enable != 0;
        c->changed |= kChangedState;
    }
    return was_disabled ? 1 : 0;
}

BOOL IsWindowEnabled(HWND window) {
    Control* c = control_of(window);
    if (c) return c->enabled ? 1 : 0;
    return dialog_of(window) ? 1 : 0;
}

BOOL ShowWindow(HWND window, int show) {
    Control* c = control_of(window);
    if (!c) return 0;
    const bool was_visible = c->visible;
    if (c->visible != (show != SW_HIDE)) {
        c->visible = show != SW_HIDE;
        c->changed |= kChangedState;
    }
    return was_visible ? 1 : 0;
}

HWND SetFocus(HWND window) {
    Dialog* d = dialog_of(window);
    if (!d) return nullptr;
    HWND previous = GetFocus();
    Control* c = control_of(window);
    d->focus = c ? c->hwnd : nullptr;
    d->focus_changed = true;
    return previous;
}

HWND GetFocus() {
    auto& open = state().open;
    return open.empty() ? nullptr : open.back()->focus;
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
    Control* c = control_of(GetDlgItem(dialog, id));
    if (!c || !is_button(c->kind)) return 0;
    if (c->check != check) {
        c->check = check;
        c->changed |= kChangedState;
    }
    return 1;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
    Control* c = control_of(GetDlgItem(dialog, id));
    return c && is_button(c->kind) ? c->check : BST_UNCHECKED;
}

UINT GetDlgItemTextA(HWND dialog, int id, char* buffer, int size) {
    if (!buffer || size <= 0) return 0;
    buffer[0] = '\0';
    Control* c = control_of(GetDlgItem(dialog, id));
    if (!c) return 0;
    std::string text = c->text;
    if (c->kind == ControlKind::DropDownList) {
        const bool chosen = c->selection >= 0 && c->selection < static_cast<int>(c->items.size());
        text = chosen ? c->items[static_cast<std::size_t>(c->selection)] : std::string();
    }
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<UINT>(n);
}

BOOL SetDlgItemTextA(HWND dialog, int id, const char* text) {
    Control* c = control_of(GetDlgItem(dialog, id));
    if (!c) return 0;
    c->text = text ? text : "";
    c->changed |= kChangedState;
    return 1;
}

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
