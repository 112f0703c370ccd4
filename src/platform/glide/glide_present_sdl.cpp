// The SDL2 presenter: converts each swapped RGB565 frame and shows it, letterboxed, with vsync.
#include "platform/glide/glide_present_sdl.h"

#include <SDL.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/glide/glide_present.h"
#include "platform/win/win_sdl.h"

namespace {

class SdlPresenter final : public GlidePresenter {
public:
    ~SdlPresenter() override { close(); }

    bool open(int width, int height) override {
        close();
        window_ = win_sdl_main_window();
        if (!window_) {
            // No saver window (a tool or a test): show the frames in a window of our own.
            if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
                return false;
            own_window_ = SDL_CreateWindow("Lumivex", SDL_WINDOWPOS_CENTERED,
                                           SDL_WINDOWPOS_CENTERED, width, height, 0);
            window_ = own_window_;
        }
        if (!window_) return false;
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_PRESENTVSYNC);
        if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, 0);
        if (!renderer_) return false;
        // The logical size keeps the aspect ratio and fills the rest of the window with black.
        SDL_RenderSetLogicalSize(renderer_, width, height);
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB24, SDL_TEXTUREACCESS_STREAMING,
                                     width, height);
        if (!texture_) return false;
        last_present_ = std::chrono::steady_clock::now();
        return true;
    }

    void present(const GlideFrameView& frame, int swap_interval) override {
        if (!renderer_ || !texture_) return;
        const std::vector<std::uint8_t> rgb = glide_frame_to_rgb(frame);
        SDL_UpdateTexture(texture_, nullptr, rgb.data(), frame.width * 3);
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
        SDL_RenderPresent(renderer_);
        pace(swap_interval);
    }

    void close() override {
        if (texture_) SDL_DestroyTexture(texture_);
        if (renderer_) SDL_DestroyRenderer(renderer_);
        if (own_window_) SDL_DestroyWindow(own_window_);
        texture_ = nullptr;
        renderer_ = nullptr;
        own_window_ = nullptr;
        window_ = nullptr;
    }

private:
    // Vsync paces the frames on a 60 Hz display. Where there is none (a virtual display, or one
    // that refreshes faster), a steady 60 Hz clock keeps the per-frame animation at its speed.
    void pace(int swap_interval) {
        if (swap_interval <= 0) return;
        using clock = std::chrono::steady_clock;
        const auto period = std::chrono::microseconds(16667) * swap_interval;
        const auto due = last_present_ + period;
        const auto now = clock::now();
        if (now < due) std::this_thread::sleep_until(due);
        // Drop the schedule when we fall far behind rather than racing to catch up.
        last_present_ = now > due + period ? clock::now() : due;
    }

    SDL_Window* window_ = nullptr;
    SDL_Window* own_window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    std::chrono::steady_clock::time_point last_present_;
};

}  // namespace

void glide_use_sdl_presenter() { glide_set_presenter(std::make_unique<SdlPresenter>()); }
