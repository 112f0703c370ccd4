// The scripted window backend for tests: settable clock and cursor, recorded windows and boxes.
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win/win_backend.h"

// Thrown by the scripted backend's ExitProcess so a test can watch the process end.
struct ProcessExit {
    UINT code;
};

struct MessageBoxCall {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};

struct NativeWindowRecord {
    HWND hwnd;
    DWORD ex_style;
    DWORD style;
    int x, y, width, height;
    HWND parent;
    bool destroyed = false;
};

class ScriptedWin final : public WinBackend {
public:
    // Installs itself and clears the shared window state; the destructor uninstalls it.
    ScriptedWin();
    ~ScriptedWin() override;
    ScriptedWin(const ScriptedWin&) = delete;
    ScriptedWin& operator=(const ScriptedWin&) = delete;

    // What the test controls.
    void set_tick(DWORD tick);
    void advance(DWORD ms);
    void set_cursor(int x, int y);
    void set_screen(int width, int height);
    void set_foreground(HWND hwnd);
    void set_parent_rect(HWND parent, RECT rect);  // a known foreign window, like a preview host
    void fail_window_creation(bool fail);
    // A system event: delivered to the queue at the next poll, as input is.
    void queue_event(HWND hwnd, UINT msg, WPARAM wparam = 0, LPARAM lparam = 0);
    // Answers for the next message boxes, in order; when none is left, OK or Yes.
    void answer_message_boxes(std::vector<int> answers);

    // What the test reads.
    std::vector<MessageBoxCall> message_boxes() const;
    std::vector<NativeWindowRecord> windows() const;
    bool cursor_visible() const;
    int cursor_changes() const;

    // WinBackend.
    bool create_native_window(HWND hwnd, DWORD ex_style, DWORD style, int x, int y, int width,
                              int height, HWND parent) override;
    void destroy_native_window(HWND hwnd) override;
    bool native_window_rect(HWND hwnd, RECT* rect) override;
    int screen_width() override;
    int screen_height() override;
    HWND foreground_window() override;
    void poll_events() override;
    DWORD tick_count() override;
    POINT cursor_pos() override;
    void set_cursor_visible(bool visible) override;
    int message_box(HWND owner, const char* text, const char* caption, UINT type) override;
    [[noreturn]] void exit_process(UINT code) override;

private:
    mutable std::mutex mutex_;
    DWORD tick_ = 1000;
    POINT cursor_{0, 0};
    int width_ = 1024, height_ = 768;
    HWND foreground_ = nullptr;
    bool fail_create_ = false;
    bool cursor_visible_ = true;
    int cursor_changes_ = 0;
    std::vector<std::pair<HWND, RECT>> parents_;
    std::deque<MSG> events_;
    std::deque<int> answers_;
    std::vector<MessageBoxCall> boxes_;
    std::vector<NativeWindowRecord> windows_;
};
