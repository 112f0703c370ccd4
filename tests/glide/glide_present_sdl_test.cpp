// The SDL2 presenter on SDL's dummy video driver: opens, shows swapped frames at 60 Hz, closes.
#include "platform/glide/glide_present_sdl.h"

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

}  // namespace
