// The real window backend: one SDL2 window for the saver, input turned into window messages.
#include "platform/win/win_sdl.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace {

// Windows' virtual-key codes for the keys whose code differs from SDL's.
WPARAM virtual_key(SDL_Keycode key) {
    switch (key) {
        case SDLK_BACKSPACE: return VK_BACK;
        case SDLK_RETURN: return VK_RETURN;
        case SDLK_ESCAPE: return VK_ESCAPE;
        case SDLK_SPACE: return VK_SPACE;
        case SDLK_INSERT: return VK_INSERT;
        case SDLK_DELETE: return VK_DELETE;
        default: break;
    }
    if (key >= 'a' && key <= 'z') return static_cast<WPARAM>(key - 'a' + 'A');
    if (key >= '0' && key <= '9') return static_cast<WPARAM>(key);
    return static_cast<WPARAM>(key & 0xFF);
}

int ignore_x_errors(Display*, XErrorEvent*) { return 0; }

// True when the SDL_VIDEODRIVER variable (or hint), a list of names separated by commas, names
// this driver.
bool driver_asked_for(const char* driver) {
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (!asked || !driver) return false;
    std::string list = asked;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string::npos) end = list.size();
        if (SDL_strcasecmp(list.substr(start, end - start).c_str(), driver) == 0) return true;
        start = end + 1;
    }
    return false;
}

// Drivers that show nothing. SDL falls back to them by itself when no display can be reached
// ("offscreen" wherever EGL is installed): a saver there would animate unseen, and no input
// could ever end it. Only a run that asked for one on purpose (tests, headless tools) may use it.
bool shows_nothing(const char* driver) {
    return driver &&
           (SDL_strcasecmp(driver, "offscreen") == 0 || SDL_strcasecmp(driver, "dummy") == 0);
}

class SdlWin final : public WinBackend {
public:
    bool create_native_window(HWND hwnd, DWORD, DWORD style, int x, int y, int width, int height,
                              HWND) override {
        // A preview child lives in a foreign window and the process ends right after creating
        // it, so it needs no window of its own here.
        if (style & WS_CHILD) return true;
        // Hack mode: the saver's top-level window is the window the daemon gave us.
        if (foreign_) {
            windows_[SDL_GetWindowID(foreign_)] = hwnd;
            return true;
        }
        Uint32 flags = SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_ALWAYS_ON_TOP |
                       SDL_WINDOW_INPUT_FOCUS | SDL_WINDOW_SHOWN;
        SDL_Window* w = SDL_CreateWindow("Lumivex", x, y, width, height, flags);
        if (!w) {
            std::fprintf(stderr, "lumivex: cannot create the window: %s\n", SDL_GetError());
            return false;
        }
        windows_[SDL_GetWindowID(w)] = hwnd;
        native_[hwnd] = w;
        if (!main_) main_ = w;
        SDL_RaiseWindow(w);
        return true;
    }

    void destroy_native_window(HWND hwnd) override {
        std::erase_if(windows_, [hwnd](const auto& w) { return w.second == hwnd; });
        auto it = native_.find(hwnd);
        if (it == native_.end()) return;
        if (main_ == it->second) main_ = nullptr;
        SDL_DestroyWindow(it->second);
        native_.erase(it);
    }

    // A window given by number is an X11 window id (the preview host).
    bool native_window_rect(HWND hwnd, RECT* rect) override {
        Display* d = XOpenDisplay(nullptr);
        if (!d) return false;
        auto old = XSetErrorHandler(ignore_x_errors);
        XWindowAttributes a{};
        bool ok = XGetWindowAttributes(d, static_cast<Window>(hwnd_to_number(hwnd)), &a) != 0;
        XSync(d, False);
        XSetErrorHandler(old);
        XCloseDisplay(d);
        if (!ok) return false;
        *rect = RECT{a.x, a.y, a.x + a.width, a.y + a.height};
        return true;
    }

    int screen_width() override { return desktop().w; }
    int screen_height() override { return desktop().h; }
    HWND foreground_window() override { return nullptr; }

    void poll_events() override {
        SDL_Event e;
        while (SDL_PollEvent(&e)) translate(e);
    }

    DWORD tick_count() override {
        // Milliseconds of a clock that starts with the system, as GetTickCount counts: the
        // renderer seeds its scene from the low bits, so they must differ between runs.
        using namespace std::chrono;
        return static_cast<DWORD>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }

    POINT cursor_pos() override {
        // Ask the X server itself: SDL's global state is only refreshed by raw device motion,
        // and its events are in the renderer's logical units, not screen pixels.
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (main_ && SDL_GetWindowWMInfo(main_, &info) && info.subsystem == SDL_SYSWM_X11) {
            Display* d = info.info.x11.display;
            Window root = 0, child = 0;
            int rx = 0, ry = 0, wx = 0, wy = 0;
            unsigned int mask = 0;
            if (XQueryPointer(d, DefaultRootWindow(d), &root, &child, &rx, &ry, &wx, &wy, &mask)) {
                return POINT{rx, ry};
            }
        }
        int x = 0, y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        return POINT{x, y};
    }

    void set_cursor_visible(bool visible) override {
        SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
    }

    int message_box(HWND, const char* text, const char* caption, UINT type) override {
        // This backend serves Run and Preview mode, where nobody is there to answer: a modal box
        // would stop the animation, and taking the activation it would end the saver. The
        // message goes to standard error as one line, and the box answers with its default
        // button (the first one), as a user pressing Enter would.
        std::string line = std::string(caption ? caption : "") + ": " + (text ? text : "");
        for (char& c : line) {
            if (c == '\n' || c == '\r') c = ' ';
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        std::fprintf(stderr, "%s\n", line.c_str());
        return (type & 0xF) == MB_YESNO ? IDYES : IDOK;
    }

    [[noreturn]] void exit_process(UINT code) override {
        // Like ExitProcess: every thread ends with the process, nothing else runs first.
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(static_cast<int>(code));
    }

    SDL_Window* main_window() const { return main_; }

    // The window another program owns becomes the one the frames are shown in.
    void adopt(SDL_Window* foreign) {
        foreign_ = foreign;
        main_ = foreign;
    }

private:
    SDL_DisplayMode desktop() {
        SDL_DisplayMode mode{};
        if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
            mode.w = 640;
            mode.h = 480;
        }
        return mode;
    }

    HWND window_of(Uint32 id) {
        auto it = windows_.find(id);
        return it == windows_.end() ? nullptr : it->second;
    }

    void post(Uint32 id, UINT msg, WPARAM w = 0, LPARAM l = 0) {
        HWND h = window_of(id);
        if (h) PostMessageA(h, msg, w, l);
    }

    // WM_SETCURSOR for the client area, in the place of the mouse message that caused it.
    void set_cursor_message(Uint32 id) {
        HWND h = window_of(id);
        if (h) {
            PostMessageA(h, WM_SETCURSOR, static_cast<WPARAM>(hwnd_to_number(h)),
                         static_cast<LPARAM>(HTCLIENT | (WM_MOUSEMOVE << 16)));
        }
    }

    void translate(const SDL_Event& e) {
        switch (e.type) {
            case SDL_KEYDOWN:
                post(e.key.windowID, WM_KEYDOWN, virtual_key(e.key.keysym.sym));
                break;
            case SDL_MOUSEBUTTONDOWN: {
                UINT msg = e.button.button == SDL_BUTTON_RIGHT    ? WM_RBUTTONDOWN
                           : e.button.button == SDL_BUTTON_MIDDLE ? WM_MBUTTONDOWN
                                                                  : WM_LBUTTONDOWN;
                post(e.button.windowID, msg);
                break;
            }
            case SDL_MOUSEMOTION:
                // As on Windows, the window chooses its cursor before each mouse move.
                set_cursor_message(e.motion.windowID);
                post(e.motion.windowID, WM_MOUSEMOVE, 0,
                     static_cast<LPARAM>((e.motion.y & 0xFFFF) << 16 | (e.motion.x & 0xFFFF)));
                break;
            case SDL_WINDOWEVENT:
                switch (e.window.event) {
                    case SDL_WINDOWEVENT_FOCUS_LOST:
                        // The order Windows sends when another window takes over.
                        post(e.window.windowID, WM_NCACTIVATE, 0);
                        post(e.window.windowID, WM_ACTIVATE, 0);
                        post(e.window.windowID, WM_ACTIVATEAPP, 0);
                        post(e.window.windowID, WM_KILLFOCUS, 0);
                        break;
                    case SDL_WINDOWEVENT_FOCUS_GAINED:
                        post(e.window.windowID, WM_NCACTIVATE, 1);
                        post(e.window.windowID, WM_ACTIVATE, 1);
                        post(e.window.windowID, WM_ACTIVATEAPP, 1);
                        post(e.window.windowID, WM_SETFOCUS, 0);
                        break;
                    case SDL_WINDOWEVENT_ENTER:
                        // The pointer came over the window: it chooses its cursor.
                        set_cursor_message(e.window.windowID);
                        break;
                    case SDL_WINDOWEVENT_CLOSE:
                        // A close from the window manager: an outside WM_CLOSE.
                        post(e.window.windowID, WM_CLOSE);
                        break;
                    default:
                        break;
                }
                break;
            default:
                break;
        }
    }

    std::map<Uint32, HWND> windows_;
    std::map<HWND, SDL_Window*> native_;
    SDL_Window* main_ = nullptr;
    SDL_Window* foreign_ = nullptr;
};

SdlWin* g_sdl = nullptr;

// Hack mode's window, watched on a connection of our own, and whether X said it is gone.
Display* g_watch = nullptr;
Window g_foreign = 0;
std::atomic<bool> g_foreign_lost{false};

// The default handler would end the process with status 1 when the daemon destroys the window
// under us; a window gone ends the hack cleanly instead. Errors about other windows and
// drawables (something of ours inside a window that went away) wait for the next look at the
// window; other errors are reported and the hack goes on.
int on_x_error(Display* d, XErrorEvent* e) {
    if (g_foreign != 0 && e->resourceid == g_foreign) {
        g_foreign_lost = true;
        return 0;
    }
    if (e->error_code == BadWindow || e->error_code == BadDrawable) return 0;
    char text[160] = "";
    XGetErrorText(d, e->error_code, text, sizeof text);
    std::fprintf(stderr, "lumivex: X error: %s (request %d)\n", text, e->request_code);
    return 0;
}

}  // namespace

bool win_sdl_install() {
    // Let the desktop's own blanking work, and let SIGTERM and SIGINT end the process as usual
    // instead of arriving as a quit event that Run mode would ignore.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "lumivex: SDL cannot start: %s\n", SDL_GetError());
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (shows_nothing(driver) && !driver_asked_for(driver)) {
        SDL_Quit();
        return false;
    }
    static SdlWin backend;
    g_sdl = &backend;
    install_win_backend(&backend);
    return true;
}

SDL_Window* win_sdl_main_window() { return g_sdl ? g_sdl->main_window() : nullptr; }

bool win_sdl_install_foreign(std::uint32_t xid) {
    if (!win_sdl_install()) {
        std::fprintf(stderr, "lumivex: no X display to draw on\n");
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || SDL_strcmp(driver, "x11") != 0) {
        std::fprintf(stderr, "lumivex: hack mode draws into X windows; this display is %s\n",
                     driver ? driver : "unknown");
        return false;
    }
    g_watch = XOpenDisplay(nullptr);
    if (!g_watch) {
        std::fprintf(stderr, "lumivex: cannot reach the X display\n");
        return false;
    }
    // After SDL's start, which installs a handler of its own.
    XSetErrorHandler(on_x_error);
    const Window window = xid != 0 ? static_cast<Window>(xid) : DefaultRootWindow(g_watch);
    g_foreign = window;
    XWindowAttributes a{};
    if (!XGetWindowAttributes(g_watch, window, &a) || g_foreign_lost) {
        std::fprintf(stderr, "lumivex: there is no X window 0x%lx\n", window);
        return false;
    }
    SDL_Window* w = SDL_CreateWindowFrom(reinterpret_cast<const void*>(std::uintptr_t{window}));
    if (!w) {
        std::fprintf(stderr, "lumivex: cannot draw into X window 0x%lx: %s\n", window,
                     SDL_GetError());
        return false;
    }
    // SDL hears of a foreign window's new size only when its own connection asks for the
    // window's structure events; that adds to our interest and changes nothing for the owner.
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(w, &info) && info.subsystem == SDL_SYSWM_X11) {
        XWindowAttributes mine{};
        if (XGetWindowAttributes(info.info.x11.display, window, &mine)) {
            XSelectInput(info.info.x11.display, window, mine.your_event_mask | StructureNotifyMask);
            XFlush(info.info.x11.display);
        }
    }
    g_sdl->adopt(w);
    return true;
}

bool win_sdl_foreign_window_alive() {
    if (!g_watch || g_foreign_lost) return false;
    XWindowAttributes a{};
    return XGetWindowAttributes(g_watch, g_foreign, &a) != 0 && !g_foreign_lost;
}
