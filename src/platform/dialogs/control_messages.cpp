// A control's own messages through its subclass procedures, and files dropped on a control.
#include <algorithm>
#include <cstring>
#include <map>

#include "platform/dialogs/dialog_state.h"

namespace {

// One message on its way down a control's chain of subclass procedures.
struct Delivery {
    Control* control;
    UINT msg;
    int next;  // the subclass DefSubclassProc calls next; -1: the control itself
    bool reached_control;
};

std::vector<Delivery>& deliveries() {
    static std::vector<Delivery> d;
    return d;
}

struct Drop {
    std::vector<std::string> files;
    POINT point;
};

struct Drops {
    std::map<std::uintptr_t, Drop> open;
    std::uintptr_t next = 0x5000;
};

Drops& drops() {
    static Drops d;
    return d;
}

LRESULT call_from(Delivery& delivery, int index, WPARAM wparam, LPARAM lparam) {
    if (index < 0) {
        delivery.reached_control = true;
        return 0;
    }
    Control& c = *delivery.control;
    const Subclass s = c.subclasses[static_cast<std::size_t>(index)];
    delivery.next = index - 1;
    return s.proc(c.hwnd, delivery.msg, wparam, lparam, s.id, s.ref_data);
}

Drop* find_drop(HDROP drop) {
    auto& open = drops().open;
    auto it = open.find(reinterpret_cast<std::uintptr_t>(drop));
    return it == open.end() ? nullptr : &it->second;
}

}  // namespace

BOOL SetWindowSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, std::uintptr_t ref_data) {
    Control* c = control_of(hwnd);
    if (!c || !proc) return 0;
    for (Subclass& s : c->subclasses) {
        if (s.proc == proc && s.id == id) {
            s.ref_data = ref_data;
            return 1;
        }
    }
    c->subclasses.push_back(Subclass{proc, id, ref_data});
    return 1;
}

BOOL RemoveWindowSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id) {
    Control* c = control_of(hwnd);
    if (!c) return 0;
    return std::erase_if(c->subclasses,
                         [&](const Subclass& s) { return s.proc == proc && s.id == id; })
               ? 1
               : 0;
}

LRESULT DefSubclassProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    auto& stack = deliveries();
    if (stack.empty() || stack.back().control->hwnd != hwnd || stack.back().msg != msg) return 0;
    Delivery& d = stack.back();
    const int saved = d.next;
    LRESULT result = call_from(d, d.next, wparam, lparam);
    stack.back().next = saved;
    return result;
}

bool dialog_control_message(Dialog& /*dialog*/, Control& control, UINT msg, WPARAM wparam,
                            LPARAM lparam) {
    if (control.subclasses.empty()) return true;
    auto& stack = deliveries();
    stack.push_back(Delivery{&control, msg, 0, false});
    const int top = static_cast<int>(control.subclasses.size()) - 1;
    call_from(stack.back(), top, wparam, lparam);
    const bool reached = stack.back().reached_control;
    stack.pop_back();
    sync_open_dialogs();
    return reached;
}

void DragAcceptFiles(HWND hwnd, BOOL accept) {
    if (Control* c = control_of(hwnd)) {
        c->accepts_drops = accept != 0;
        c->changed |= kChangedState;
    }
}

void dialog_user_drop(Dialog& dialog, Control& control, const std::vector<std::string>& files,
                      POINT point) {
    if (!control.accepts_drops || files.empty()) return;
    Drops& d = drops();
    const std::uintptr_t id = d.next++;
    d.open[id] = Drop{files, point};
    dialog_control_message(dialog, control, WM_DROPFILES, static_cast<WPARAM>(id), 0);
}

UINT DragQueryFileA(HDROP drop, UINT index, char* buffer, UINT size) {
    Drop* d = find_drop(drop);
    if (!d) return 0;
    if (index == 0xFFFFFFFFu) return static_cast<UINT>(d->files.size());
    if (index >= d->files.size()) return 0;
    const std::string& name = d->files[index];
    if (!buffer || size == 0) return static_cast<UINT>(name.size());
    const std::size_t n = std::min(name.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, name.data(), n);
    buffer[n] = '\0';
    return static_cast<UINT>(n);
}

BOOL DragQueryPoint(HDROP drop, POINT* point) {
    Drop* d = find_drop(drop);
    if (!d || !point) return 0;
    *point = d->point;
    return 1;
}

void DragFinish(HDROP drop) { drops().open.erase(reinterpret_cast<std::uintptr_t>(drop)); }
