// Helpers of the MCI tests: sending commands, a window that receives MM_MCINOTIFY.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/win/win_scripted.h"
#include "platform/winmm/mci.h"

struct MciReply {
    MCIERROR error;
    std::string answer;
};

inline MciReply mci(const std::string& command, HWND callback = nullptr) {
    char answer[1024] = "unchanged";
    MCIERROR e = mciSendStringA(command.c_str(), answer, sizeof answer, callback);
    return {e, answer};
}

// The answer of a command that must succeed.
inline std::string mci_ok(const std::string& command, HWND callback = nullptr) {
    MciReply r = mci(command, callback);
    EXPECT_EQ(r.error, 0u) << command;
    return r.answer;
}

inline std::string mci_error_text(MCIERROR e) {
    char text[MAXERRORLENGTH];
    mciGetErrorStringA(e, text, sizeof text);
    return text;
}

inline LRESULT CALLBACK_plain(HWND h, UINT m, WPARAM w, LPARAM l) {
    return DefWindowProcA(h, m, w, l);
}

// A top-level window on the scripted backend, to receive notices.
inline HWND notice_window() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = CALLBACK_plain;
    wc.lpszClassName = "MciTestWindow";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "MciTestWindow", "T", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr,
                           nullptr, nullptr, nullptr);
}

// The next MM_MCINOTIFY in the queue, waiting up to two seconds for one to arrive.
inline bool next_notice(MSG* out) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < until) {
        if (PeekMessageA(out, nullptr, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// Every test starts and ends with no device open.
class MciTest : public testing::Test {
protected:
    void SetUp() override { mciSendStringA("close all", nullptr, 0, nullptr); }
    void TearDown() override { mciSendStringA("close all", nullptr, 0, nullptr); }
    ScriptedWin win_;
};
