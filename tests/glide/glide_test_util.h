// Helpers for the device tests: a fresh device, vertices, pixels read back as 8-bit channels.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "platform/glide/glide.h"
#include "platform/glide/glide_device.h"
#include "platform/glide/glide_pipeline.h"

struct Rgb8 {
    int r, g, b;
    bool operator==(const Rgb8&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Rgb8& c) {
    return os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

// Opens a fresh 640x480 device with the lower-left origin and a black back buffer.
class GlideTest : public ::testing::Test {
protected:
    void SetUp() override { open(GR_RESOLUTION_640x480); }
    void TearDown() override {
        glide_force_generic_spans(false);
        grGlideShutdown();
    }

    static void open(GrScreenResolution_t res, GrOriginLocation_t origin = GR_ORIGIN_LOWER_LEFT) {
        grGlideShutdown();
        grGlideInit();
        ASSERT_TRUE(grSstWinOpen(0, res, GR_REFRESH_60Hz, GR_COLORFORMAT_ABGR, origin, 2, 1));
        grBufferClear(0, 0, 0);
    }

    // Constant colour, alpha from the vertices, alpha blending: the saver's plain mode.
    static void plain_mode() {
        grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT,
                       GR_COMBINE_OTHER_NONE, FXFALSE);
        grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                       GR_COMBINE_OTHER_NONE, FXFALSE);
        grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ZERO,
                             GR_BLEND_ZERO);
    }

    // Each draw adds the constant colour: counts how often a pixel was drawn.
    static void counting_mode(int step) {
        grDitherMode(GR_DITHER_DISABLE);
        grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT,
                       GR_COMBINE_OTHER_NONE, FXFALSE);
        grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ZERO);
        const GrColor_t c = static_cast<GrColor_t>(step);
        grConstantColorValue(c | (c << 8) | (c << 16) | 0xFF000000u);
    }

    static GrVertex vtx(float x, float y, float a = 255.0f, float r = 255.0f, float g = 255.0f,
                        float b = 255.0f) {
        GrVertex v{};
        v.x = x;
        v.y = y;
        v.r = r;
        v.g = g;
        v.b = b;
        v.a = a;
        v.oow = 1.0f;
        v.tmuvtx[0].oow = 1.0f;
        return v;
    }

    static Rgb8 pixel(int x, int y) {
        const std::uint16_t p = glide_read_pixel(x, y);
        return {glide_math::widen5(p >> 11), glide_math::widen6((p >> 5) & 63),
                glide_math::widen5(p & 31)};
    }

    static int lit_pixels() {
        const GlideDevice& d = glide_device();
        int n = 0;
        for (int y = 0; y < d.height; ++y) {
            for (int x = 0; x < d.width; ++x) n += glide_read_pixel(x, y) != 0;
        }
        return n;
    }
};
