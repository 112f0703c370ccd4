// The shared part of the window layer: classes, windows, the message queue and timers.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <mutex>
#include <string>

#include "platform/win/win_backend.h"

namespace {

// Used when no backend is installed (tools, and the moments before main installs one).
class FallbackBackend final : public WinBackend {
public:
    bool create_native_window(HWND, DWORD, DWORD, int, int, int, int, HWND) override {
        return true;
    }
    void destroy_native_window(HWND) override {}
    bool native_window_rect(HWND, RECT*) override { return false; }
    int screen_width() override { return 640; }
    int screen_height() override { return 480; }
    HWND foreground_window() override { return nullptr; }
    void poll_events() override {}
    DWORD tick_count() override {
        using namespace std::chrono;
        return static_cast<DWORD>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    POINT cursor_pos() override { return {0, 0}; }
    void set_cursor_visible(bool) override {}
    int message_box(HWND, const char* text, const char* caption, UINT type) override {
        std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
        return (type & 0xF) == MB_YESNO ? IDYES : IDOK;
    }
    [[noreturn]] void exit_process(UINT code) override { std::exit(static_cast<int>(code)); }
};

struct Window {
    WNDPROC proc = nullptr;
    HWND parent = nullptr;
    DWORD style = 0;
    RECT rect{};
};

struct Timer {
    HWND hwnd;
    UINT_PTR id;
    UINT period;
    DWORD due;
};

struct State {
    std::recursive_mutex mutex;  // guards everything below; posts come from any thread
    std::map<std::string, WNDCLASSA> classes;
    std::map<HWND, Window> windows;
    std::deque<MSG> queue;
    std::deque<Timer> timers;
    std::intptr_t next_handle = 0x10010;
    bool quit_posted = false;
    int quit_code = 0;
};

State& state() {
    static State s;
    return s;
}

FallbackBackend& fallback() {
    static FallbackBackend b;
    return b;
}

WinBackend* g_backend = nullptr;

WinBackend& backend() { return g_backend ? *g_backend : fallback(); }

std::string lower(const char* s) {
    std::string out = s ? s : "";
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

WNDPROC proc_of(HWND hwnd) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    auto it = s.windows.find(hwnd);
    return it == s.windows.end() ? nullptr : it->second.proc;
}

}  // namespace

void install_win_backend(WinBackend* b) { g_backend = b; }
WinBackend* installed_win_backend() { return g_backend; }

void reset_win_state() {
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.classes.clear();
    s.windows.clear();
    s.queue.clear();
    s.timers.clear();
    s.quit_posted = false;
    s.quit_code = 0;
}

BOOL RegisterClassA(const WNDCLASSA* wc) {
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) return 0;
    State& s = state();
    std::lock_guard lock(s.mutex);
    auto [it, inserted] = s.classes.emplace(lower(wc->lpszClassName), *wc);
    return inserted ? 1 : 0;  // registering a class twice fails, as on Windows
}

HWND CreateWindowExA(DWORD ex_style, const char* class_name, const char* /*title*/, DWORD style,
                     int x, int y, int width, int height, HWND parent, void* /*menu*/,
                     HINSTANCE /*instance*/, void* /*param*/) {
    State& s = state();
    WNDPROC proc = nullptr;
    HWND hwnd = nullptr;
    {
        std::lock_guard lock(s.mutex);
        auto cls = s.classes.find(lower(class_name));
        if (cls == s.classes.end()) return nullptr;
        proc = cls->second.lpfnWndProc;
        hwnd = hwnd_from_number(s.next_handle);
        s.next_handle += 0x10;
        Window w;
        w.proc = proc;
        w.parent = parent;
        w.style = style;
        w.rect = RECT{x, y, x + width, y + height};
        s.windows[hwnd] = w;
    }
    if (!backend().create_native_window(hwnd, ex_style, style, x, y, width, height, parent)) {
        std::lock_guard lock(s.mutex);
        s.windows.erase(hwnd);
        return nullptr;
    }
    if (proc(hwnd, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    return hwnd;
}

BOOL DestroyWindow(HWND hwnd) {
    WNDPROC proc = proc_of(hwnd);
    if (!proc) return 0;
    proc(hwnd, WM_DESTROY, 0, 0);
    backend().destroy_native_window(hwnd);
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.windows.erase(hwnd);
    std::erase_if(s.timers, [hwnd](const Timer& t) { return t.hwnd == hwnd; });
    return 1;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
    if (!rect) return 0;
    {
        State& s = state();
        std::lock_guard lock(s.mutex);
        auto it = s.windows.find(hwnd);
        if (it != s.windows.end()) {
            *rect = it->second.rect;
            return 1;
        }
    }
    return backend().native_window_rect(hwnd, rect) ? 1 : 0;
}

LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM /*wparam*/, LPARAM /*lparam*/) {
    if (msg == WM_CLOSE) DestroyWindow(hwnd);
    return 0;
}

int GetSystemMetrics(int index) {
    if (index == SM_CXSCREEN) return backend().screen_width();
    if (index == SM_CYSCREEN) return backend().screen_height();
    return 0;
}

HWND GetForegroundWindow() { return backend().foreground_window(); }

BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (hwnd == HWND_BROADCAST) {
        // Every top-level window of the process hears it; the saver has one.
        for (const auto& [h, w] : s.windows) {
            if (!(w.style & WS_CHILD)) s.queue.push_back(MSG{h, msg, wparam, lparam, 0, {}});
        }
        return 1;
    }
    s.queue.push_back(MSG{hwnd, msg, wparam, lparam, 0, {}});
    return 1;
}

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    WNDPROC proc = proc_of(hwnd);
    return proc ? proc(hwnd, msg, wparam, lparam) : 0;
}

BOOL PeekMessageA(MSG* out, HWND hwnd, UINT filter_min, UINT filter_max, UINT remove) {
    backend().poll_events();
    State& s = state();
    std::lock_guard lock(s.mutex);
    auto matches = [&](const MSG& m) {
        if (hwnd && m.hwnd != hwnd) return false;
        if (filter_min == 0 && filter_max == 0) return true;
        return m.message >= filter_min && m.message <= filter_max;
    };
    for (auto it = s.queue.begin(); it != s.queue.end(); ++it) {
        if (!matches(*it)) continue;
        if (out) *out = *it;
        if (remove & PM_REMOVE) s.queue.erase(it);
        return 1;
    }
    if (s.quit_posted) {
        MSG q{nullptr, WM_QUIT, static_cast<WPARAM>(s.quit_code), 0, 0, {}};
        if (matches(q)) {
            if (out) *out = q;
            if (remove & PM_REMOVE) s.quit_posted = false;
            return 1;
        }
    }
    // Timer messages are made only when the queue holds nothing else, as on Windows.
    DWORD now = backend().tick_count();
    for (Timer& t : s.timers) {
        if (static_cast<std::int32_t>(now - t.due) < 0) continue;
        MSG m{t.hwnd, WM_TIMER, t.id, 0, now, {}};
        if (!matches(m)) continue;
        if (out) *out = m;
        if (remove & PM_REMOVE) t.due = now + t.period;
        return 1;
    }
    return 0;
}

BOOL TranslateMessage(const MSG* /*msg*/) { return 0; }

LRESULT DispatchMessageA(const MSG* msg) {
    if (!msg || !msg->hwnd) return 0;
    return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void PostQuitMessage(int exit_code) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.quit_posted = true;
    s.quit_code = exit_code;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse_ms, void* /*callback*/) {
    State& s = state();
    DWORD now = backend().tick_count();
    std::lock_guard lock(s.mutex);
    if (!s.windows.count(hwnd)) return 0;
    for (Timer& t : s.timers) {
        if (t.hwnd == hwnd && t.id == id) {
            t.period = elapse_ms;
            t.due = now + elapse_ms;
            return id ? id : 1;
        }
    }
    s.timers.push_back(Timer{hwnd, id, elapse_ms, now + elapse_ms});
    // With a window, Windows returns a non-zero value on success even for identifier 0.
    return id ? id : 1;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    UINT_PTR key = id;
    auto n = std::erase_if(s.timers, [&](const Timer& t) {
        return t.hwnd == hwnd && (t.id == key || (key == 1 && t.id == 0));
    });
    return n ? 1 : 0;
}

DWORD GetTickCount() { return backend().tick_count(); }

BOOL GetCursorPos(POINT* point) {
    if (!point) return 0;
    *point = backend().cursor_pos();
    return 1;
}

void set_arrow_cursor(bool visible) { backend().set_cursor_visible(visible); }

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
    return backend().message_box(owner, text, caption, type);
}

void ExitProcess(UINT exit_code) {
    backend().exit_process(exit_code);
    std::abort();  // a backend that returned would break the promise of [[noreturn]]
}
