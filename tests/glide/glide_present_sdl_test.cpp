// The SDL2 presenter on SDL's dummy video driver: opens, shows swapped frames at 60 Hz, closes.
#include "platform/glide/glide_present_sdl.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "platform/glide/glide.h"
#include "platform/glide/glide_present.h"

namespace {

TEST(SdlPresenter, ShowsFramesPacedToTheRetrace) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    glide_use_sdl_presenter();
    grGlideInit();
    ASSERT_TRUE(grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ABGR,
                             GR_ORIGIN_LOWER_LEFT, 2, 1));
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 4; ++i) {
        grBufferClear(0x000000FF, 0, 0);
        grBufferSwap(1);
    }
    // Four swaps span at least three retraces of a 60 Hz display.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(45));
    EXPECT_EQ(glide_last_frame(), nullptr);  // not the offscreen presenter
    grGlideShutdown();
    glide_set_presenter(nullptr);
}

TEST(SdlPresenter, FollowsTheSizeItIsGivenForTheWindow) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("LUMIVEX_PRESENTER", "surface", 1);
    glide_use_sdl_presenter();
    grGlideInit();
    ASSERT_TRUE(grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ABGR,
                             GR_ORIGIN_LOWER_LEFT, 2, 1));
    glide_sdl_presenter_set_size_source([](int* w, int* h) {
        *w = 320;
        *h = 100;
        return true;
    });
    grBufferClear(0x00FFFFFF, 0, 0);
    grBufferSwap(1);
    // The presenter's own window: the only one open, and SDL numbers windows from 1 up.
    SDL_Window* window = nullptr;
    for (Uint32 id = 1; id < 100 && !window; ++id) window = SDL_GetWindowFromID(id);
    ASSERT_NE(window, nullptr);
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->w, 320);
    EXPECT_EQ(surface->h, 100);
    // The white picture, 133x100, centred between black bars.
    const auto* px = static_cast<const std::uint32_t*>(surface->pixels);
    const int pitch = surface->pitch / 4;
    EXPECT_EQ(px[50 * pitch + 160] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(px[50 * pitch + 10] & 0xFFFFFF, 0u);
    glide_sdl_presenter_set_size_source(nullptr);
    grGlideShutdown();
    glide_set_presenter(nullptr);
    unsetenv("LUMIVEX_PRESENTER");
}

}  // namespace
