// The scripted window backend: everything the system would do, under a test's control.
#include "platform/win/win_scripted.h"

ScriptedWin::ScriptedWin() {
    reset_win_state();
    install_win_backend(this);
}

ScriptedWin::~ScriptedWin() {
    if (installed_win_backend() == this) install_win_backend(nullptr);
    reset_win_state();
}

void ScriptedWin::set_tick(DWORD tick) {
    std::lock_guard lock(mutex_);
    tick_ = tick;
}

void ScriptedWin::advance(DWORD ms) {
    std::lock_guard lock(mutex_);
    tick_ += ms;
}

void ScriptedWin::set_cursor(int x, int y) {
    std::lock_guard lock(mutex_);
    cursor_ = POINT{x, y};
}

void ScriptedWin::set_screen(int width, int height) {
    std::lock_guard lock(mutex_);
    width_ = width;
    height_ = height;
}

void ScriptedWin::set_foreground(HWND hwnd) {
    std::lock_guard lock(mutex_);
    foreground_ = hwnd;
}

void ScriptedWin::set_parent_rect(HWND parent, RECT rect) {
    std::lock_guard lock(mutex_);
    parents_.emplace_back(parent, rect);
}

void ScriptedWin::fail_window_creation(bool fail) {
    std::lock_guard lock(mutex_);
    fail_create_ = fail;
}

void ScriptedWin::queue_event(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    std::lock_guard lock(mutex_);
    events_.push_back(MSG{hwnd, msg, wparam, lparam, tick_, cursor_});
}

void ScriptedWin::answer_message_boxes(std::vector<int> answers) {
    std::lock_guard lock(mutex_);
    answers_.assign(answers.begin(), answers.end());
}

std::vector<MessageBoxCall> ScriptedWin::message_boxes() const {
    std::lock_guard lock(mutex_);
    return boxes_;
}

std::vector<NativeWindowRecord> ScriptedWin::windows() const {
    std::lock_guard lock(mutex_);
    return windows_;
}

bool ScriptedWin::cursor_visible() const {
    std::lock_guard lock(mutex_);
    return cursor_visible_;
}

int ScriptedWin::cursor_changes() const {
    std::lock_guard lock(mutex_);
    return cursor_changes_;
}

bool ScriptedWin::create_native_window(HWND hwnd, DWORD ex_style, DWORD style, int x, int y,
                                       int width, int height, HWND parent) {
    std::lock_guard lock(mutex_);
    if (fail_create_) return false;
    windows_.push_back(NativeWindowRecord{hwnd, ex_style, style, x, y, width, height, parent});
    return true;
}

void ScriptedWin::destroy_native_window(HWND hwnd) {
    std::lock_guard lock(mutex_);
    for (auto& w : windows_) {
        if (w.hwnd == hwnd) w.destroyed = true;
    }
}

bool ScriptedWin::native_window_rect(HWND hwnd, RECT* rect) {
    std::lock_guard lock(mutex_);
    for (const auto& [h, r] : parents_) {
        if (h == hwnd) {
            *rect = r;
            return true;
        }
    }
    return false;
}

int ScriptedWin::screen_width() {
    std::lock_guard lock(mutex_);
    return width_;
}

int ScriptedWin::screen_height() {
    std::lock_guard lock(mutex_);
    return height_;
}

HWND ScriptedWin::foreground_window() {
    std::lock_guard lock(mutex_);
    return foreground_;
}

void ScriptedWin::poll_events() {
    std::deque<MSG> pending;
    {
        std::lock_guard lock(mutex_);
        pending.swap(events_);
    }
    for (const MSG& m : pending) PostMessageA(m.hwnd, m.message, m.wParam, m.lParam);
}

DWORD ScriptedWin::tick_count() {
    std::lock_guard lock(mutex_);
    return tick_;
}

POINT ScriptedWin::cursor_pos() {
    std::lock_guard lock(mutex_);
    return cursor_;
}

void ScriptedWin::set_cursor_visible(bool visible) {
    std::lock_guard lock(mutex_);
    cursor_visible_ = visible;
    ++cursor_changes_;
}

int ScriptedWin::message_box(HWND owner, const char* text, const char* caption, UINT type) {
    std::lock_guard lock(mutex_);
    boxes_.push_back(MessageBoxCall{owner, text ? text : "", caption ? caption : "", type});
    if (!answers_.empty()) {
        int a = answers_.front();
        answers_.pop_front();
        return a;
    }
    return (type & 0xF) == MB_YESNO ? IDYES : IDOK;
}

void ScriptedWin::exit_process(UINT code) { throw ProcessExit{code}; }
