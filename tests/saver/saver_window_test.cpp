// The saver window's close rules, driven through the scripted window backend.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/system/library.h"
#include "platform/win/win_scripted.h"
#include "saver/saver_mode.h"
#include "saver/saver_settings.h"
#include "saver/saver_window.h"
#include "saver/trace.h"

namespace {

int g_verify_calls = 0;
BOOL g_verify_result = 0;
std::vector<std::string>* g_traces = nullptr;

BOOL fake_verify(HWND) {
    ++g_verify_calls;
    // While the prompt is up, input and activation loss must not start another close.
    SendMessageA(saver_settings()->saverWindow, WM_KEYDOWN, 'A', 0);
    SendMessageA(saver_settings()->saverWindow, WM_ACTIVATE, 0, 0);
    return g_verify_result;
}

class SaverWindow : public ::testing::Test {
protected:
    void SetUp() override {
        win.set_tick(100000);
        win.set_cursor(500, 400);
        set_saver_mode(SaverMode::Run);
        settings.read_system_values();  // no registry key here: the defaults
        set_saver_settings(&settings);
        moved_count() = 0;
        g_traces = &traces;
        set_trace_listener([](const char* t) { g_traces->push_back(t); });
        g_verify_calls = 0;
        hwnd = create_saver_window(nullptr);
        ASSERT_NE(hwnd, nullptr);
    }

    void TearDown() override {
        set_trace_listener({});
        install_system_hooks({});
        set_saver_settings(nullptr);
        set_saver_mode(SaverMode::None);
    }

    // Delivers queued input, then the messages it caused. True when the process ended (code 0).
    bool pump() {
        try {
            pump_messages();
        } catch (const ProcessExit& e) {
            EXPECT_EQ(e.code, 0u);
            return true;
        }
        return false;
    }

    bool send_input(UINT msg, WPARAM w = 0) {
        win.queue_event(hwnd, msg, w, 0);
        return pump();
    }

    void use_password_library(BOOL result) {
        g_verify_result = result;
        SystemHooks hooks;
        hooks.platform_id = [] { return VER_PLATFORM_WIN32_WINDOWS; };
        hooks.load = [](const char*) { return reinterpret_cast<HMODULE>(0x1234); };
        hooks.find = [](HMODULE, const char* name) -> FARPROC {
            if (std::string(name) != "VerifyScreenSavePwd") return nullptr;
            return reinterpret_cast<FARPROC>(&fake_verify);
        };
        hooks.free = [](HMODULE) { return 1; };
        install_system_hooks(hooks);
    }

    ScriptedWin win;
    SaverSettings settings;
    std::vector<std::string> traces;
    HWND hwnd = nullptr;
};

TEST_F(SaverWindow, CreationRecordsStartAndCoversTheScreenTopmost) {
    EXPECT_EQ(settings.saverWindow, hwnd);
    EXPECT_EQ(settings.startTick, 100000u);
    EXPECT_EQ(settings.cursorX, 500);
    EXPECT_NE(settings.timerId, 0u);
    auto w = win.windows().at(0);
    EXPECT_EQ(w.ex_style, WS_EX_TOPMOST);
    EXPECT_EQ(w.style, WS_POPUP | WS_VISIBLE);
    EXPECT_EQ(w.width, 1024);
    EXPECT_EQ(w.height, 768);
}

TEST_F(SaverWindow, KeysAndButtonsWithinTheDelayCloseWithoutPassword) {
    for (UINT msg : {WM_KEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
        traces.clear();
        use_password_library(0);
        win.advance(4999);  // total 4999 ms: still within the five seconds
        ASSERT_TRUE(send_input(msg)) << msg;
        EXPECT_EQ(g_verify_calls, 0);
        EXPECT_EQ(traces, (std::vector<std::string>{"WM_BUTTONDOWN: sending close",
                                                    "WM_CLOSE: maybe we need a password",
                                                    "WM_CLOSE: doing a DestroyWindow"}));
        TearDown();
        win.set_tick(100000);
        SetUp();
    }
}

TEST_F(SaverWindow, AfterTheDelayTheNtFamilyClosesWithoutLibraries) {
    win.advance(5001);
    ASSERT_TRUE(send_input(WM_KEYDOWN));
    EXPECT_EQ(g_verify_calls, 0);
}

TEST_F(SaverWindow, FailedPasswordKeepsRunningAndSuspendsTheRulesMeanwhile) {
    use_password_library(0);
    win.advance(6000);
    win.set_cursor(700, 100);
    EXPECT_FALSE(send_input(WM_KEYDOWN));
    EXPECT_EQ(g_verify_calls, 1);
    EXPECT_EQ(settings.closeRequested, 1);
    EXPECT_EQ(settings.passwordPromptActive, 0);
    // The box is re-centred on the cursor after the prompt.
    EXPECT_EQ(settings.cursorX, 700);
    EXPECT_EQ(settings.cursorY, 100);
    EXPECT_EQ(traces.back(), "WM_CLOSE: but failed password, so doing nothing");
    // Input during the prompt asked for nothing: exactly one prompt happened.
    EXPECT_EQ(std::count(traces.begin(), traces.end(), "WM_CLOSE: maybe we need a password"),
              1);
    // The cursor was shown for the prompt and hidden again.
    EXPECT_FALSE(win.cursor_visible());
    EXPECT_GE(win.cursor_changes(), 2);

    // The next key asks again; this time the password is right.
    g_verify_result = 1;
    EXPECT_TRUE(send_input(WM_KEYDOWN));
    EXPECT_EQ(g_verify_calls, 2);
}

TEST_F(SaverWindow, MouseMovesWithinTheBoxDoNothingTheFourthFarMoveCloses) {
    win.set_cursor(540, 440);  // 40 pixels on both axes
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(send_input(WM_MOUSEMOVE));
    EXPECT_EQ(moved_count(), 0);
    win.set_cursor(500, 451);  // 51 pixels down
    EXPECT_FALSE(send_input(WM_MOUSEMOVE));
    EXPECT_FALSE(send_input(WM_MOUSEMOVE));
    EXPECT_FALSE(send_input(WM_MOUSEMOVE));
    EXPECT_EQ(moved_count(), 3);
    EXPECT_TRUE(send_input(WM_MOUSEMOVE));
}

TEST_F(SaverWindow, ActivationLossClosesOnlyWhenTheLowWordIsZero) {
    EXPECT_FALSE(send_input(WM_ACTIVATE, 0x00010001));  // activated
    EXPECT_FALSE(send_input(WM_NCACTIVATE, 1));
    EXPECT_TRUE(send_input(WM_ACTIVATEAPP, 0x00010000));  // low word 0: deactivated
    EXPECT_EQ(traces.front(), "WM_ACTIVATE: about to inactive window, so sending close");
}

TEST_F(SaverWindow, OutsideClosesAndSystemCommandsAreIgnored) {
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(pump());
    EXPECT_TRUE(traces.empty());
    EXPECT_FALSE(send_input(WM_SYSCOMMAND, SC_SCREENSAVE));
    EXPECT_FALSE(send_input(WM_SYSCOMMAND, SC_CLOSE));
    EXPECT_FALSE(send_input(WM_SYSCOMMAND, SC_CLOSE | 0x2));  // compared whole: not gobbled
    EXPECT_EQ(traces, (std::vector<std::string>{
                          "WM_SYSCOMMAND: gobbling up a SC_SCREENSAVE to stop a new saver from "
                          "running.",
                          "WM_SYSCOMMAND: gobbling up a SC_CLOSE"}));
    // Once the saver asked itself, the close goes through.
    EXPECT_TRUE(send_input(WM_KEYDOWN));
}

TEST_F(SaverWindow, CursorIsHiddenWhileRunning) {
    SendMessageA(hwnd, WM_SETCURSOR, 0, 0);
    EXPECT_FALSE(win.cursor_visible());
    settings.passwordPromptActive = 1;
    SendMessageA(hwnd, WM_SETCURSOR, 0, 0);
    EXPECT_TRUE(win.cursor_visible());
}

TEST(SaverPreview, CreatesAChildOfTheHostsSizeAndReturns) {
    ScriptedWin win;
    SaverSettings settings;
    set_saver_settings(&settings);
    set_saver_mode(SaverMode::Preview);
    HWND host = hwnd_from_number(4711);
    win.set_parent_rect(host, RECT{10, 20, 162, 132});
    run_saver(host);  // returns at once: nothing is drawn in the preview
    auto w = win.windows().at(0);
    EXPECT_EQ(w.style, WS_CHILD | WS_VISIBLE);
    EXPECT_EQ(w.parent, host);
    EXPECT_EQ(w.width, 152);
    EXPECT_EQ(w.height, 112);
    set_saver_settings(nullptr);
    set_saver_mode(SaverMode::None);
}

}  // namespace
