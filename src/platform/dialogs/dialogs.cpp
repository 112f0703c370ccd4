// The shared part of the dialog layer: open dialogs, their controls and buttons.
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

bool is_button(ControlKind kind) {
    return kind == ControlKind::AutoRadioButton || kind == ControlKind::AutoCheckBox ||
           kind == ControlKind::PushButton || kind == ControlKind::DefPushButton;
}

bool can_take_focus(const Control& c) {
    return c.enabled && c.visible && c.kind != ControlKind::GroupBox &&
           c.kind != ControlKind::Text && c.kind != ControlKind::Picture;
}

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
    if (send_to_dialog(d, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), init_param) && first &&
        !d.focus) {
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
