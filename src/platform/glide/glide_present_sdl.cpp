// The SDL2 presenter: shows each swapped RGB565 frame in the saver's window, letterboxed, at 60
// frames a second; through the window's own surface where no GPU renderer is available, and
// through an accelerated SDL renderer (the GPU scales) where one is.
#include "platform/glide/glide_present_sdl.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// After the standard headers: Xlib defines plain-named macros.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include "platform/glide/frame_pacing.h"
#include "platform/glide/frame_scaler.h"
#include "platform/glide/glide_present.h"
#include "platform/win/win_sdl.h"

namespace {

using Clock = std::chrono::steady_clock;

WindowSizeSource& size_source() {
    static WindowSizeSource source;
    return source;
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Whether the X server offers DRI3, the way clients reach a GPU directly. Xvfb, Xvnc and
// remote displays lack it; asking costs nothing, where creating a GL context to find out would
// load Mesa and LLVM (tens of megabytes) on a machine without a GPU.
bool x_server_has_dri3(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    int opcode = 0, event = 0, error = 0;
    return XQueryExtension(info.info.x11.display, "DRI3", &opcode, &event, &error) != 0;
}

// A renderer that really runs on a GPU: SDL calls any OpenGL accelerated, Mesa's software
// rasterisers included, so an OpenGL renderer's own name decides.
bool renderer_is_hardware(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0) return false;
    if (!(info.flags & SDL_RENDERER_ACCELERATED)) return false;
    const std::string name = info.name ? info.name : "";
    if (name.rfind("opengl", 0) != 0) return true;
    using GetString = const unsigned char* (*)(unsigned int);
    auto get_string = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    if (!get_string) return false;
    constexpr unsigned int kGlRenderer = 0x1F01;
    const unsigned char* text = get_string(kGlRenderer);
    if (!text) return false;
    const std::string gl = lower(reinterpret_cast<const char*>(text));
    for (const char* software : {"llvmpipe", "softpipe", "swrast", "software"}) {
        if (gl.find(software) != std::string::npos) return false;
    }
    return true;
}

// The scaler's layout for a 32-bit surface format with byte-wide channels, or false for any
// other format (converted from XRGB8888 by SDL instead).
bool layout_of(const SDL_PixelFormat* f, PixelLayout* layout) {
    if (f->BytesPerPixel != 4) return false;
    PixelLayout l{static_cast<int>(f->Rshift), static_cast<int>(f->Gshift),
                  static_cast<int>(f->Bshift), ~(f->Rmask | f->Gmask | f->Bmask)};
    if (f->Rmask != 0xFFu << f->Rshift || f->Gmask != 0xFFu << f->Gshift ||
        f->Bmask != 0xFFu << f->Bshift || !pixel_layout_valid(l)) {
        return false;
    }
    *layout = l;
    return true;
}

class SdlPresenter final : public GlidePresenter {
public:
    SdlPresenter() {
        if (const char* path = std::getenv("LUMIVEX_FRAME_STATS"); path && *path) {
            stats_path_ = path;
        }
    }
    ~SdlPresenter() override { close(); }

    bool open(int width, int height) override {
        close();
        window_ = win_sdl_main_window();
        if (!window_) {
            // No saver window (a tool or a test): show the frames in a window of our own.
            if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
                return false;
            }
            own_window_ = SDL_CreateWindow("Lumivex", SDL_WINDOWPOS_CENTERED,
                                           SDL_WINDOWPOS_CENTERED, width, height, 0);
            window_ = own_window_;
        }
        if (!window_) return false;
        if (!open_renderer() && !open_surface()) return false;

        SDL_DisplayMode mode{};
        const int refresh = SDL_GetWindowDisplayMode(window_, &mode) == 0 ? mode.refresh_rate : 0;
        plan_ = plan_pacing(refresh, renderer_ != nullptr && vsync_);
        if (const char* verbose = std::getenv("LUMIVEX_PRESENTER_REPORT"); verbose && *verbose) {
            std::fprintf(stderr, "lumivex: presenting through %s, %d Hz, %s\n",
                         renderer_ ? "the GPU renderer" : "the window surface", refresh,
                         plan_.mode == PaceMode::kVsync       ? "vsync"
                         : plan_.mode == PaceMode::kVsyncHeld ? "vsync, frames held"
                                                              : "paced by the clock");
        }
        due_ = Clock::time_point{};
        return true;
    }

    void present(const GlideFrameView& frame, int swap_interval) override {
        if (!window_) return;
        if (renderer_) {
            present_renderer(frame, swap_interval);
        } else {
            present_surface(frame, swap_interval);
        }
        counter_.presented(Clock::now(), swap_interval);
        write_stats(false);
    }

    void close() override {
        write_stats(true);
        if (texture_) SDL_DestroyTexture(texture_);
        if (renderer_) SDL_DestroyRenderer(renderer_);
        if (own_window_) SDL_DestroyWindow(own_window_);
        texture_ = nullptr;
        renderer_ = nullptr;
        own_window_ = nullptr;
        window_ = nullptr;
        texture_width_ = texture_height_ = 0;
        scaler_.invalidate();
    }

private:
    // LUMIVEX_PRESENTER picks the path for measuring: "surface", "gpu" (any SDL renderer), or
    // "probe" (a renderer only if its GL is hardware, without asking the X server first).
    bool open_renderer() {
        const char* forced = std::getenv("LUMIVEX_PRESENTER");
        const std::string choice = forced ? forced : "";
        if (choice == "surface") return false;
        const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
        if (choice.empty()) {
            if (driver == "dummy" || driver == "offscreen") return false;
            if (driver == "x11" && !x_server_has_dri3(window_)) return false;
        }
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
        renderer_ =
            SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
        if (!renderer_ && choice == "gpu") renderer_ = SDL_CreateRenderer(window_, -1, 0);
        if (!renderer_) return false;
        if (choice != "gpu" && !renderer_is_hardware(renderer_)) {
            SDL_DestroyRenderer(renderer_);
            renderer_ = nullptr;
            return false;
        }
        // The texture the smoothed frame goes to is XRGB8888, the scaler's own layout.
        scaler_.set_layout(PixelLayout{});
        SDL_RendererInfo info;
        vsync_ = SDL_GetRendererInfo(renderer_, &info) == 0 &&
                 (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
        return true;
    }

    // Without this hint SDL 2 on X11 emulates the window surface through an OpenGL renderer
    // (a software one, on a machine without a GPU); with it the surface is an X shared-memory
    // image. SDL reads the hint when a window surface is first asked for.
    bool open_surface() {
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        return SDL_GetWindowSurface(window_) != nullptr;
    }

    void present_surface(const GlideFrameView& frame, int swap_interval) {
        // Asked for each frame: SDL makes a new surface when the window's size has changed.
        SDL_Surface* surface = SDL_GetWindowSurface(window_);
        int w = 0, h = 0;
        if (surface && size_source() && size_source()(&w, &h) && w > 0 && h > 0 &&
            (w != surface->w || h != surface->h)) {
            // Setting the size SDL already has on the server makes SDL drop the old surface.
            SDL_SetWindowSize(window_, w, h);
            surface = SDL_GetWindowSurface(window_);
        }
        if (!surface || surface->w <= 0 || surface->h <= 0) {
            wait_for_clock(swap_interval);  // nothing to show, but never spin
            return;
        }
        if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) {
            wait_for_clock(swap_interval);
            return;
        }
        PixelLayout layout;
        const bool direct = layout_of(surface->format, &layout);
        if (!direct) layout = PixelLayout{};
        scaler_.set_layout(layout);
        PixelTarget target{static_cast<std::uint32_t*>(surface->pixels), surface->w, surface->h,
                           surface->pitch};
        if (!direct) {
            // Any other format: draw XRGB8888 and let SDL convert the whole surface.
            convert_.resize(static_cast<std::size_t>(surface->w) * surface->h);
            target = PixelTarget{convert_.data(), surface->w, surface->h,
                                 std::ptrdiff_t{surface->w} * 4};
        }
        bool whole = false;
        const PictureRect rect = scaler_.draw(frame, target, &whole);
        if (!direct) {
            SDL_ConvertPixels(surface->w, surface->h, SDL_PIXELFORMAT_RGB888, convert_.data(),
                              surface->w * 4, surface->format->format, surface->pixels,
                              surface->pitch);
            whole = true;
        }
        if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
        wait_for_clock(swap_interval);
        // Only the picture changes from frame to frame; the bars go out when they were drawn,
        // and once a second in case the window was exposed and lost them.
        if (whole || ++frames_since_whole_ >= 60) {
            frames_since_whole_ = 0;
            SDL_UpdateWindowSurface(window_);
        } else {
            const SDL_Rect r{rect.x, rect.y, rect.width, rect.height};
            SDL_UpdateWindowSurfaceRects(window_, &r, 1);
        }
    }

    void present_renderer(const GlideFrameView& frame, int swap_interval) {
        if (!texture_ || texture_width_ != frame.width || texture_height_ != frame.height) {
            if (texture_) SDL_DestroyTexture(texture_);
            texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888,
                                         SDL_TEXTUREACCESS_STREAMING, frame.width, frame.height);
            texture_width_ = frame.width;
            texture_height_ = frame.height;
            if (!texture_) texture_width_ = texture_height_ = 0;
        }
        if (!texture_) {
            wait_for_clock(swap_interval);
            return;
        }
        // The GPU scales the smoothed, gamma-corrected frame at its own size.
        void* pixels = nullptr;
        int pitch = 0;
        if (SDL_LockTexture(texture_, nullptr, &pixels, &pitch) == 0) {
            scaler_.smooth(frame, PixelTarget{static_cast<std::uint32_t*>(pixels), frame.width,
                                              frame.height, pitch});
            SDL_UnlockTexture(texture_);
        }
        int w = 0, h = 0;
        SDL_GetRendererOutputSize(renderer_, &w, &h);
        const PictureRect r = letterbox(frame.width, frame.height, w, h);
        const SDL_Rect dst{r.x, r.y, r.width, r.height};
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        SDL_RenderCopy(renderer_, texture_, nullptr, &dst);
        wait_before_vsync(swap_interval);
        SDL_RenderPresent(renderer_);
        note_vsync(swap_interval);
    }

    // Paced by the clock: an absolute schedule in 1/60 s steps, so that time spent drawing is
    // not added to the period; far behind (a stall), the schedule starts again from now
    // rather than racing to catch up.
    void wait_for_clock(int swap_interval) {
        if (swap_interval <= 0) return;
        const auto period = kFramePeriod * swap_interval;
        const auto now = Clock::now();
        if (due_ == Clock::time_point{} || now > due_ + 2 * period) {
            due_ = now;
            return;
        }
        due_ += period;
        if (now < due_) std::this_thread::sleep_until(due_);
    }

    // Before presenting into a vsynced renderer: at 60 Hz the vsync wait alone paces; at a
    // multiple of 60 the frame must miss the refreshes it is held over, so sleep until
    // shortly before the one it is due at (the vsync wait then ends exactly there); at any
    // other rate the clock paces and the vsync wait only avoids tearing.
    void wait_before_vsync(int swap_interval) {
        if (swap_interval <= 0) return;
        switch (plan_.mode) {
            case PaceMode::kVsync:
                break;
            case PaceMode::kVsyncHeld: {
                if (last_vsync_ == Clock::time_point{}) break;
                const auto refresh = kFramePeriod / plan_.hold;
                const auto margin =
                    std::min<Clock::duration>(std::chrono::milliseconds(2), refresh / 3);
                const auto due = last_vsync_ + kFramePeriod * swap_interval - margin;
                if (Clock::now() < due) std::this_thread::sleep_until(due);
                break;
            }
            case PaceMode::kClock:
                wait_for_clock(swap_interval);
                break;
        }
    }

    // A vsync that does not wait (a driver that ignores it) would let frames run faster than
    // 60 a second: after a few presents that came back far too soon, pace by the clock.
    void note_vsync(int swap_interval) {
        const auto now = Clock::now();
        if (plan_.mode == PaceMode::kVsync && last_vsync_ != Clock::time_point{} &&
            swap_interval > 0) {
            if (now - last_vsync_ < kFramePeriod * 3 / 4) {
                if (++too_soon_ >= 5) plan_ = PacePlan{PaceMode::kClock, 1};
            } else {
                too_soon_ = 0;
            }
        }
        last_vsync_ = now;
    }

    // LUMIVEX_FRAME_STATS=FILE: the counts, rewritten whole once a second (renamed into
    // place, so a reader never sees half a line).
    void write_stats(bool now) {
        if (stats_path_.empty()) return;
        const auto t = Clock::now();
        if (!now && t - last_stats_ < std::chrono::seconds(1)) return;
        last_stats_ = t;
        const std::string tmp = stats_path_ + ".tmp";
        {
            std::ofstream out(tmp, std::ios::trunc);
            if (!out) return;
            out << counter_.line() << '\n';
        }
        std::error_code ignored;
        std::filesystem::rename(tmp, stats_path_, ignored);
    }

    SDL_Window* window_ = nullptr;
    SDL_Window* own_window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int texture_width_ = 0, texture_height_ = 0;
    bool vsync_ = false;
    PacePlan plan_;
    FrameScaler scaler_;
    std::vector<std::uint32_t> convert_;
    int frames_since_whole_ = 0;
    Clock::time_point due_{};
    Clock::time_point last_vsync_{};
    int too_soon_ = 0;
    FrameCounter counter_;
    std::string stats_path_;
    Clock::time_point last_stats_{};
};

}  // namespace

void glide_use_sdl_presenter() { glide_set_presenter(std::make_unique<SdlPresenter>()); }

void glide_sdl_presenter_set_size_source(WindowSizeSource source) {
    size_source() = std::move(source);
}
