// The saver window procedure, its close rule and the frame loop.
#include "saver/saver_window.h"

#include "platform/glide/glide.h"
#include "player/player_controller.h"
#include "player/player_state.h"
#include "render/render_device.h"
#include "render/render_frame.h"
#include "saver/password.h"
#include "saver/saver_mode.h"
#include "saver/saver_settings.h"
#include "saver/trace.h"

namespace {

int g_moved_count = 0;
HWND g_saver_window = nullptr;

constexpr int kMouseBox = 50;

bool is_run() { return saver_mode() == SaverMode::Run; }
bool idle() { return saver_settings()->passwordPromptActive == 0; }

// On focus loss and again on destroy: both steps are safe to repeat and with nothing open.
void close_devices() {
    if (saver_settings()->playMusic) stop_and_rewind();
    grGlideShutdown();
}

// WM_CLOSE in Run mode: only a close the saver asked for, and after the delay only with the
// password.
void close_rule(HWND hwnd) {
    SaverSettings& s = *saver_settings();
    if (s.closeRequested == 0 || s.passwordPromptActive) return;
    trace("WM_CLOSE: maybe we need a password");
    DWORD elapsed = GetTickCount() - s.startTick;
    if (elapsed > static_cast<DWORD>(s.passwordDelay) * 1000u) {
        s.passwordPromptActive = 1;
        SendMessageA(hwnd, WM_SETCURSOR, 0, 0);
        bool ok = verify_password(hwnd);
        s.passwordPromptActive = 0;
        SendMessageA(hwnd, WM_SETCURSOR, 0, 0);
        POINT p{};
        GetCursorPos(&p);
        s.cursorX = p.x;
        s.cursorY = p.y;
        if (ok) {
            trace("WM_CLOSE: doing a DestroyWindow");
            DestroyWindow(hwnd);
        } else {
            trace("WM_CLOSE: but failed password, so doing nothing");
            open_render_device();
        }
        return;
    }
    trace("WM_CLOSE: doing a DestroyWindow");
    DestroyWindow(hwnd);
}

}  // namespace

int& moved_count() { return g_moved_count; }

void request_close() {
    saver_settings()->closeRequested = 1;
    PostMessageA(saver_settings()->saverWindow, WM_CLOSE, 0, 0);
}

int pump_messages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

LRESULT saver_window_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    SaverSettings& s = *saver_settings();
    switch (msg) {
        case WM_CREATE: {
            s.saverWindow = hwnd;
            POINT p{};
            GetCursorPos(&p);
            s.cursorX = p.x;
            s.cursorY = p.y;
            s.startTick = GetTickCount();
            s.timerId = SetTimer(hwnd, 0, 1000, nullptr);
            break;
        }
        case WM_DESTROY:
            if (s.timerId != 0) KillTimer(hwnd, s.timerId);
            s.timerId = 0;
            if (is_run()) {
                close_devices();
                ExitProcess(0);
            }
            PostQuitMessage(0);
            break;
        case WM_ACTIVATE:
        case WM_ACTIVATEAPP:
        case WM_NCACTIVATE:
            if (is_run() && idle() && LOWORD(wparam) == 0) {
                trace("WM_ACTIVATE: about to inactive window, so sending close");
                request_close();
            }
            break;
        case WM_KILLFOCUS:
            close_devices();
            break;
        case WM_CLOSE:
            if (!is_run()) break;
            close_rule(hwnd);
            return 0;
        case WM_SETCURSOR:
            set_arrow_cursor(!is_run() || s.passwordPromptActive);
            break;
        case WM_KEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (is_run() && idle()) {
                trace("WM_BUTTONDOWN: sending close");
                request_close();
            }
            break;
        case MM_MCINOTIFY:
            // The end of a CD track (or any MCI notice): the next entry.
            stop_playback();
            advance(player_state().repeat != 0);
            return 0;
        case WM_SYSCOMMAND:
            if (is_run()) {
                if (wparam == SC_SCREENSAVE) {
                    trace(
                        "WM_SYSCOMMAND: gobbling up a SC_SCREENSAVE to stop a new saver from "
                        "running.");
                    return 0;
                }
                if (wparam == SC_CLOSE) {
                    trace("WM_SYSCOMMAND: gobbling up a SC_CLOSE");
                    return 0;
                }
            }
            break;
        case WM_MOUSEMOVE:
            if (is_run() && idle()) {
                POINT p{};
                GetCursorPos(&p);
                int dx = p.x - s.cursorX;
                int dy = p.y - s.cursorY;
                if (dx > kMouseBox || dx < -kMouseBox || dy > kMouseBox || dy < -kMouseBox) {
                    if (g_moved_count > 2) {
                        request_close();
                    } else {
                        ++g_moved_count;
                    }
                }
            }
            break;
        default:
            break;
    }
    return DefWindowProcA(hwnd, msg, wparam, lparam);
}

HWND create_saver_window(HWND parent) {
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = saver_window_proc;
    wc.lpszClassName = "ScrClass";
    RegisterClassA(&wc);

    HWND hwnd;
    if (saver_mode() == SaverMode::Preview) {
        RECT r{};
        GetWindowRect(parent, &r);
        hwnd =
            CreateWindowExA(0, "ScrClass", "SaverPreview", WS_CHILD | WS_VISIBLE, 0, 0,
                            r.right - r.left, r.bottom - r.top, parent, nullptr, nullptr, nullptr);
    } else {
        hwnd = CreateWindowExA(WS_EX_TOPMOST, "ScrClass", "SaverWindow", WS_POPUP | WS_VISIBLE, 0,
                               0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                               nullptr, nullptr, nullptr, nullptr);
    }
    g_saver_window = hwnd;
    return hwnd;
}

HWND start_saver(HWND parent) {
    HWND hwnd = create_saver_window(parent);
    if (!hwnd || saver_mode() != SaverMode::Run) return nullptr;
    open_render_device();
    // Full screen, nobody is there to answer the player's failures: they must not end the saver.
    player_state().unattended = true;
    if (saver_settings()->playMusic) start_music(player_state().playlistPath);
    return hwnd;
}

void run_saver(HWND parent) {
    if (!start_saver(parent)) return;
    for (;;) {
        pump_messages();
        render_frame();
    }
}
