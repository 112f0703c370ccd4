// What the fuzz targets share: a silent window backend and a scratch file for the input.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win/win_backend.h"

// Message boxes are answered at once and counted; nothing else is used by the code under test.
// (The scripted backend records every box and would grow without bound over millions of inputs.)
class QuietWin final : public WinBackend {
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
    DWORD tick_count() override { return 0; }
    POINT cursor_pos() override { return POINT{0, 0}; }
    void set_cursor_visible(bool) override {}
    int message_box(HWND, const char*, const char*, UINT type) override {
        ++boxes;
        return (type & 0xF) == MB_YESNO ? IDYES : IDOK;
    }
    [[noreturn]] void exit_process(UINT) override { std::abort(); }
    long boxes = 0;
};

// A file of this process's own in memory-backed storage where there is some.
inline std::string fuzz_scratch_path(const char* name) {
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/lumivex-fuzz-" + std::to_string(getpid()) + "-" + name;
}

inline bool write_scratch_file(const std::string& path, const std::uint8_t* data,
                               std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}
