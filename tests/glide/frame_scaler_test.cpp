// The frame scaler: vector routines against the portable ones, letterbox geometry, the dither
// smoothing and the gamma.
#include "platform/glide/frame_scaler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

#include "platform/glide/glide_pipeline.h"

namespace {

// A frame of random dithered colours with bright specks, like a star field over a backdrop.
std::vector<std::uint16_t> random_frame(int w, int h, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint16_t> px(static_cast<std::size_t>(w) * h);
    const int base_r = static_cast<int>(rng() % 256), base_g = static_cast<int>(rng() % 256);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int r = std::clamp(base_r + x % 7 - static_cast<int>(rng() % 5), 0, 255);
            const int g = std::clamp(base_g + y % 5 - static_cast<int>(rng() % 3), 0, 255);
            const int b = static_cast<int>(rng() % 256);
            px[static_cast<std::size_t>(y) * w + x] =
                rng() % 50 == 0 ? 0xFFFF : glide_math::pack565(r, g, b, x, y, true);
        }
    }
    return px;
}

struct Canvas {
    int width, height, pitch_pixels;
    std::vector<std::uint32_t> pixels;
    Canvas(int w, int h, std::uint32_t fill = 0x12345678u)
        : width(w),
          height(h),
          pitch_pixels(w + 3),
          pixels(static_cast<std::size_t>(pitch_pixels) * std::max(h, 1), fill) {}
    PixelTarget target() {
        return {pixels.data(), width, height, std::ptrdiff_t{pitch_pixels} * 4};
    }
    std::uint32_t at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * pitch_pixels + x];
    }
};

TEST(FrameScaler, VectorRoutinesMatchThePortableOneBitForBit) {
    struct Case {
        int sw, sh, tw, th;
    };
    // 2.25 times, 1280x1024 and 2560x1440 shapes, odd sizes, the same size, reductions (to
    // half and just above, where a vector of positions reaches furthest, and below half).
    const Case cases[] = {{640, 480, 1920, 1080}, {64, 48, 160, 128}, {37, 29, 256, 144},
                          {33, 17, 33, 17},       {50, 40, 383, 217}, {640, 480, 152, 112},
                          {640, 480, 320, 240},   {101, 77, 51, 39},  {20, 15, 13, 11},
                          {1, 1, 7, 5},           {9, 3, 3, 40}};
    for (ScalerIsa isa : {ScalerIsa::kAvx2, ScalerIsa::kAvx512}) {
        if (!scaler_isa_available(isa)) continue;
        unsigned seed = 1;
        for (const Case& c : cases) {
            const auto src = random_frame(c.sw, c.sh, seed++);
            const GlideFrameView view{src.data(), c.sw, c.sh, c.sw};
            FrameScaler portable, vector;
            portable.select(ScalerIsa::kPortable);
            ASSERT_TRUE(vector.select(isa));
            Canvas a(c.tw, c.th), b(c.tw, c.th);
            portable.draw(view, a.target());
            vector.draw(view, b.target());
            ASSERT_EQ(a.pixels, b.pixels) << c.sw << "x" << c.sh << " to " << c.tw << "x" << c.th;
        }
    }
}

TEST(FrameScaler, PictureIsCentredWithBarsExactlyAroundIt) {
    EXPECT_EQ(letterbox(640, 480, 1920, 1080), (PictureRect{240, 0, 1440, 1080}));
    EXPECT_EQ(letterbox(640, 480, 1280, 1024), (PictureRect{0, 32, 1280, 960}));
    EXPECT_EQ(letterbox(1024, 768, 3840, 2160), (PictureRect{480, 0, 2880, 2160}));
    EXPECT_EQ(letterbox(640, 480, 1, 1), (PictureRect{0, 0, 1, 1}));
    EXPECT_EQ(letterbox(640, 480, 0, 100), PictureRect{});

    const std::vector<std::uint16_t> white(40 * 30, 0xFFFF);
    const GlideFrameView view{white.data(), 40, 30, 40};
    for (auto [w, h] : {std::pair{100, 41}, {41, 100}, {1, 1}, {1, 9}, {9, 1}, {160, 120}}) {
        Canvas canvas(w, h);
        FrameScaler scaler;
        bool whole = false;
        const PictureRect r = scaler.draw(view, canvas.target(), &whole);
        EXPECT_TRUE(whole);
        EXPECT_EQ(r, letterbox(40, 30, w, h));
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const bool inside = x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
                ASSERT_EQ(canvas.at(x, y), inside ? 0xFFFFFFFFu : 0xFF000000u) << x << "," << y;
            }
        }
        // The same geometry again: only the picture is written.
        canvas.pixels.assign(canvas.pixels.size(), 0);
        scaler.draw(view, canvas.target(), &whole);
        EXPECT_FALSE(whole);
        EXPECT_EQ(canvas.at(r.x, r.y), 0xFFFFFFFFu);
    }
    // A flat colour stays that colour however far it is reduced, down to one pixel for all
    // 307,200.
    const std::vector<std::uint16_t> grey(640 * 480, 0x8410);
    const GlideFrameView grey_view{grey.data(), 640, 480, 640};
    Canvas own(640, 480), tiny(1, 1);
    FrameScaler flat;
    flat.draw(grey_view, own.target());
    flat.draw(grey_view, tiny.target());
    EXPECT_EQ(tiny.at(0, 0), own.at(5, 5));

    // Nothing to draw into, or nothing to draw: no crash, nothing written.
    FrameScaler scaler;
    Canvas empty(0, 0);
    EXPECT_EQ(scaler.draw(view, empty.target()), PictureRect{});
    Canvas some(4, 4);
    EXPECT_EQ(scaler.draw(GlideFrameView{}, some.target()), PictureRect{});
    EXPECT_EQ(some.at(0, 0), 0x12345678u);
}

std::vector<std::uint16_t> dithered(int w, int h, auto colour) {
    std::vector<std::uint16_t> px(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const auto [r, g, b] = colour(x, y);
            px[static_cast<std::size_t>(y) * w + x] = glide_math::pack565(r, g, b, x, y, true);
        }
    }
    return px;
}

int green_at(const Canvas& c, int x, int y) { return (c.at(x, y) >> 8) & 255; }

TEST(FrameScaler, SmoothingFlattensTheDitherAndKeepsAStarSharp) {
    const int w = 64, h = 32;
    auto sky = dithered(w, h, [](int, int) { return std::tuple{40, 45, 70}; });
    sky[16 * w + 32] = 0xFFFF;  // a one-pixel star
    Canvas out(w, h);
    FrameScaler scaler;
    scaler.draw(GlideFrameView{sky.data(), w, h, w}, out.target());
    EXPECT_EQ(out.at(32, 16), 0xFFFFFFFFu);
    const std::uint32_t flat = out.at(5, 5);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (std::abs(x - 32) > 2 || std::abs(y - 16) > 2) {
                ASSERT_EQ(out.at(x, y), flat) << x << "," << y;
            }
        }
    }
    // The star's neighbours stay sky: no halo.
    for (auto [x, y] : {std::pair{31, 16}, {33, 16}, {32, 15}, {32, 17}, {31, 15}}) {
        EXPECT_NEAR(green_at(out, x, y), green_at(out, 5, 5), 3);
    }

    // A dark ramp: the dither's steps of about 20 levels become a smooth rise.
    const int rw = 128;
    auto ramp = dithered(rw, 8, [](int x, int) { return std::tuple{0, x / 4, 0}; });
    Canvas smooth(rw, 8);
    scaler.draw(GlideFrameView{ramp.data(), rw, 8, rw}, smooth.target());
    const auto raw = glide_frame_to_rgb(GlideFrameView{ramp.data(), rw, 8, rw});
    int worst_raw = 0, worst_smooth = 0;
    for (int x = 8; x < rw - 8; ++x) {
        const int y = 4;
        worst_raw = std::max(worst_raw,
                             std::abs(raw[(y * rw + x + 1) * 3 + 1] - raw[(y * rw + x) * 3 + 1]));
        worst_smooth =
            std::max(worst_smooth, std::abs(green_at(smooth, x + 1, y) - green_at(smooth, x, y)));
    }
    EXPECT_GE(worst_raw, 10);
    EXPECT_LE(worst_smooth, 4);
}

TEST(FrameScaler, AtItsOwnSizeAFrameComesOutAsTheGammaConversionGivesIt) {
    // Undithered random colours; a pixel whose neighbours all differ from it by more than a
    // step in every channel is left alone by the smoothing.
    std::mt19937 rng(7);
    const int w = 48, h = 40;
    std::vector<std::uint16_t> px(w * h);
    for (auto& p : px) p = static_cast<std::uint16_t>(rng());
    const GlideFrameView view{px.data(), w, h, w};
    Canvas out(w, h);
    FrameScaler scaler;
    scaler.set_layout(PixelLayout{0, 8, 16, 0});  // XBGR8888, to check the channel order too
    scaler.draw(view, out.target());
    const auto rgb = glide_frame_to_rgb(view);
    int compared = 0;
    auto far = [&](int x, int y, int nx, int ny) {
        const std::uint16_t a = px[y * w + x], b = px[ny * w + nx];
        return std::abs((a >> 11) - (b >> 11)) > 1 &&
               std::abs(((a >> 5) & 63) - ((b >> 5) & 63)) > 1 && std::abs((a & 31) - (b & 31)) > 1;
    };
    for (int y = 2; y < h - 2; ++y) {
        for (int x = 2; x < w - 2; ++x) {
            bool alone = true;
            for (int d = -2; d <= 2; ++d) {
                if (d != 0) alone = alone && far(x, y, x + d, y) && far(x, y, x, y + d);
            }
            if (!alone) continue;
            const std::size_t i = (static_cast<std::size_t>(y) * w + x) * 3;
            const std::uint32_t want = rgb[i] | (rgb[i + 1] << 8) | (rgb[i + 2] << 16);
            ASSERT_EQ(out.at(x, y), want) << x << "," << y;
            ++compared;
        }
    }
    EXPECT_GT(compared, 50);
    // What a GPU is given is the same picture, written straight into a buffer of exactly its
    // size.
    std::vector<std::uint32_t> tight(static_cast<std::size_t>(w) * h);
    scaler.smooth(view, PixelTarget{tight.data(), w, h, std::ptrdiff_t{w} * 4});
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(tight[static_cast<std::size_t>(y) * w + x], out.at(x, y));
    }
}

}  // namespace
