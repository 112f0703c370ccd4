// The offscreen presenter and the PNG writer.
#include "platform/glide/glide_present.h"

#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "glide_test_util.h"
#include "platform/glide/frame_pacing.h"
#include "platform/glide/png_write.h"

namespace {

using Presenting = GlideTest;

TEST_F(Presenting, SwapHandsOverTheFinishedFrameAndFlipsBuffers) {
    grBufferClear(0x000000FF, 0, 0);
    grBufferSwap(1);
    const GlideFrame* frame = glide_last_frame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->width, 640);
    EXPECT_EQ(frame->height, 480);
    EXPECT_EQ(frame->pixels.front(), 0xF800);
    // Drawing now goes to the other buffer, which still holds its old (black) contents.
    EXPECT_EQ(glide_read_pixel(0, 0), 0);
    EXPECT_EQ(glide_device().swaps, 1u);
}

TEST_F(Presenting, DisplayGammaBrightensMidTonesOnly) {
    const std::uint16_t px[3] = {0x0000, 0xFFFF, static_cast<std::uint16_t>(16 << 11)};
    const GlideFrameView view{px, 3, 1, 3};
    auto rgb = glide_frame_to_rgb(view);
    EXPECT_EQ(rgb[0], 0);
    EXPECT_EQ(rgb[3], 255);
    EXPECT_EQ(rgb[6], static_cast<int>(std::lround(255 * std::pow(132 / 255.0, 1 / 1.7))));
    glide_set_display_gamma(1.0);
    rgb = glide_frame_to_rgb(view);
    EXPECT_EQ(rgb[6], 132);
    glide_set_display_gamma(kVoodooDisplayGamma);
}

TEST(PngWriter, WritesADecodableImage) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "lumivex_png_test.png").string();
    std::vector<std::uint8_t> rgb(4 * 3 * 3);
    for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i * 7);
    ASSERT_TRUE(write_png_rgb(path, 4, 3, rgb));
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> png((std::istreambuf_iterator<char>(in)), {});
    std::filesystem::remove(path);
    ASSERT_GT(png.size(), 8u + 25u + 12u);
    EXPECT_EQ(png[1], 'P');
    EXPECT_EQ(png[16 + 3], 4);  // width in IHDR
    EXPECT_EQ(png[20 + 3], 3);  // height
    // The IDAT payload inflates to the rows, each led by filter byte 0.
    const std::size_t idat = 8 + 25;
    const std::size_t size =
        (png[idat] << 24) | (png[idat + 1] << 16) | (png[idat + 2] << 8) | png[idat + 3];
    std::vector<std::uint8_t> raw(3 * (1 + 12));
    uLongf raw_size = raw.size();
    ASSERT_EQ(uncompress(raw.data(), &raw_size, png.data() + idat + 8, size), Z_OK);
    ASSERT_EQ(raw_size, raw.size());
    EXPECT_EQ(raw[0], 0);
    EXPECT_EQ(raw[1 + 12 + 1 + 5], rgb[12 + 5]);
    EXPECT_FALSE(write_png_rgb("/nonexistent-dir/x.png", 4, 3, rgb));
}

TEST(FramePacing, SixtyFramesASecondOnEveryDisplay) {
    EXPECT_EQ(plan_pacing(60, true), (PacePlan{PaceMode::kVsync, 1}));
    EXPECT_EQ(plan_pacing(59, true), (PacePlan{PaceMode::kVsync, 1}));
    EXPECT_EQ(plan_pacing(120, true), (PacePlan{PaceMode::kVsyncHeld, 2}));
    EXPECT_EQ(plan_pacing(239, true), (PacePlan{PaceMode::kVsyncHeld, 4}));
    EXPECT_EQ(plan_pacing(144, true), (PacePlan{PaceMode::kClock, 1}));
    EXPECT_EQ(plan_pacing(75, true), (PacePlan{PaceMode::kClock, 1}));
    EXPECT_EQ(plan_pacing(50, true), (PacePlan{PaceMode::kClock, 1}));
    EXPECT_EQ(plan_pacing(0, true), (PacePlan{PaceMode::kClock, 1}));
    EXPECT_EQ(plan_pacing(60, false), (PacePlan{PaceMode::kClock, 1}));
}

TEST(FramePacing, AFrameLaterThanOneAndAHalfPeriodsIsMissed) {
    using std::chrono::milliseconds;
    FrameCounter counter;
    FrameCounter::Clock::time_point t{};
    for (int ms : {0, 17, 33, 50, 76, 93, 126}) counter.presented(t + milliseconds(ms));
    EXPECT_EQ(counter.line(), "presented 7 missed 2");
}

}  // namespace
