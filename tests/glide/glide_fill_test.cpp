// The rasteriser's coverage: fill rule, culling, origin, clipping, points and antialiased edges.
#include <cmath>
#include <limits>
#include <random>

#include "glide_test_util.h"
#include "platform/glide/glide_present.h"

namespace {

// How many times a pixel was drawn in counting mode (each draw adds 1 to the 5-bit red value).
int count_at(int x, int y) { return glide_read_pixel(x, y) >> 11; }

using FillRule = GlideTest;

TEST_F(FillRule, JitteredMeshCoversEveryPixelExactlyOnce) {
    counting_mode(8);
    // A grid of jittered points between straight borders on the 1/16 grid, two triangles a cell.
    const int n = 12;
    const float x0 = 20.25f, x1 = 600.75f, y0 = 10.5f, y1 = 470.0625f;
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> jitter(-0.2f, 0.2f);  // keeps every cell convex
    std::vector<GrVertex> p((n + 1) * (n + 1));
    for (int j = 0; j <= n; ++j) {
        for (int i = 0; i <= n; ++i) {
            float x = x0 + (x1 - x0) * i / n, y = y0 + (y1 - y0) * j / n;
            if (i > 0 && i < n) x += jitter(rng) * (x1 - x0) / n;
            if (j > 0 && j < n) y += jitter(rng) * (y1 - y0) / n;
            p[j * (n + 1) + i] = vtx(x, y);
        }
    }
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            const GrVertex &a = p[j * (n + 1) + i], &b = p[j * (n + 1) + i + 1];
            const GrVertex &c = p[(j + 1) * (n + 1) + i + 1], &d = p[(j + 1) * (n + 1) + i];
            grDrawTriangle(&a, &b, &c);
            grDrawTriangle(&a, &c, &d);
        }
    }
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            const bool inside = x0 <= x + 0.5f && x + 0.5f < x1 && y0 <= y + 0.5f && y + 0.5f < y1;
            ASSERT_EQ(count_at(x, y), inside ? 1 : 0) << "pixel " << x << ", " << y;
        }
    }
}

TEST_F(FillRule, BackgroundPairAndFanCoverOnce) {
    counting_mode(8);
    // The flat background's two triangles, wound as the saver winds them.
    const GrVertex v0 = vtx(0, 0), v1 = vtx(640, 0), v2 = vtx(640, 480), v3 = vtx(0, 480);
    grDrawTriangle(&v0, &v2, &v1);
    grDrawTriangle(&v2, &v0, &v3);
    // A 16-triangle fan on top, like a glow star: inside it every pixel is drawn twice.
    const float cx = 320.3f, cy = 240.7f, r = 100.0f;
    const GrVertex centre = vtx(cx, cy);
    for (int k = 0; k < 16; ++k) {
        const float a0 = k * 6.2831853f / 16, a1 = (k + 1) * 6.2831853f / 16;
        const GrVertex p = vtx(cx + r * std::cos(a0), cy + r * std::sin(a0));
        const GrVertex q = vtx(cx + r * std::cos(a1), cy + r * std::sin(a1));
        grDrawTriangle(&centre, &q, &p);
    }
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            const float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
            const float d = std::sqrt(dx * dx + dy * dy);
            const int c = count_at(x, y);
            if (d < 90.0f) {
                ASSERT_EQ(c, 2) << x << ", " << y;  // a seam would show as 3, a gap as 1
            } else if (d > 101.0f) {
                ASSERT_EQ(c, 1) << x << ", " << y;
            } else {
                ASSERT_TRUE(c == 1 || c == 2) << x << ", " << y;
            }
        }
    }
}

TEST_F(FillRule, ZeroAreaDrawsNothing) {
    counting_mode(8);
    const GrVertex a = vtx(10, 10), b = vtx(100, 100), c = vtx(55, 55), d = vtx(10, 10);
    grDrawTriangle(&a, &b, &c);
    grDrawTriangle(&a, &d, &b);
    EXPECT_EQ(lit_pixels(), 0);
}

TEST_F(FillRule, CullingByWindingWithTheLowerLeftOrigin) {
    counting_mode(8);
    // a, b, c run counter-clockwise on screen (y up): positive area.
    const GrVertex a = vtx(10, 10), b = vtx(50, 10), c = vtx(10, 50);
    grCullMode(GR_CULL_POSITIVE);
    grDrawTriangle(&a, &b, &c);
    EXPECT_EQ(lit_pixels(), 0);
    grDrawTriangle(&a, &c, &b);  // clockwise: kept
    EXPECT_GT(lit_pixels(), 0);
    EXPECT_EQ(count_at(15, 15), 1);

    grBufferClear(0, 0, 0);
    grCullMode(GR_CULL_NEGATIVE);
    grDrawTriangle(&a, &c, &b);
    EXPECT_EQ(lit_pixels(), 0);
    grDrawTriangle(&a, &b, &c);
    EXPECT_EQ(count_at(15, 15), 1);

    // Points are never culled.
    grBufferClear(0, 0, 0);
    grCullMode(GR_CULL_POSITIVE);
    const GrVertex p = vtx(100.5f, 100.5f);
    grDrawPoint(&p);
    grAADrawPoint(&p);
    EXPECT_EQ(count_at(100, 100), 2);
}

TEST_F(FillRule, LowerLeftOriginPutsRowZeroAtTheBottomOfTheDisplay) {
    counting_mode(8);
    const GrVertex a = vtx(0, 0), b = vtx(640, 0), c = vtx(0, 2);
    grDrawTriangle(&a, &b, &c);
    grBufferSwap(1);
    const GlideFrame* frame = glide_last_frame();
    ASSERT_NE(frame, nullptr);
    EXPECT_NE(frame->pixels[static_cast<std::size_t>(479) * 640 + 10], 0);  // bottom display row
    EXPECT_EQ(frame->pixels[10], 0);                                        // top display row

    open(GR_RESOLUTION_640x480, GR_ORIGIN_UPPER_LEFT);
    counting_mode(8);
    grDrawTriangle(&a, &b, &c);
    grBufferSwap(1);
    frame = glide_last_frame();
    ASSERT_NE(frame, nullptr);
    EXPECT_NE(frame->pixels[10], 0);
}

TEST_F(FillRule, ClippedTriangleMatchesTheUnclippedOneOnScreen) {
    counting_mode(8);
    const GrVertex a = vtx(-100.3f, 50.7f), b = vtx(300.2f, -80.9f), c = vtx(700.6f, 400.1f);
    grDrawTriangle(&a, &c, &b);
    std::vector<int> direct(640 * 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) direct[y * 640 + x] = count_at(x, y);
    grBufferClear(0, 0, 0);
    guDrawTriangleWithClip(&a, &c, &b);
    // Only the vertices the clipper makes move (to the nearest 1/16 pixel), so pixels may differ
    // only where their centre lies within a hair of one of the triangle's edges.
    auto near_an_edge = [&](double px, double py) {
        const GrVertex* v[3] = {&a, &b, &c};
        for (int k = 0; k < 3; ++k) {
            const GrVertex &p = *v[k], &q = *v[(k + 1) % 3];
            const double dx = q.x - p.x, dy = q.y - p.y;
            const double d = std::fabs(dx * (py - p.y) - dy * (px - p.x)) / std::hypot(dx, dy);
            if (d < 0.1) return true;
        }
        return false;
    };
    int lit = 0;
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            ASSERT_LE(count_at(x, y), 1) << x << ", " << y;  // the fan has no inner seams
            if (count_at(x, y) != direct[y * 640 + x]) {
                EXPECT_TRUE(near_an_edge(x + 0.5, y + 0.5)) << x << ", " << y;
            }
            lit += count_at(x, y);
        }
    }
    EXPECT_GT(lit, 50000);
}

TEST_F(FillRule, ClippingDropsWhatCannotBeDrawn) {
    counting_mode(8);
    const GrVertex a = vtx(-300, -300), b = vtx(-10, -300), c = vtx(-300, -10);
    guDrawTriangleWithClip(&a, &c, &b);
    EXPECT_EQ(lit_pixels(), 0);
    GrVertex bad = vtx(100, 100);
    bad.x = std::numeric_limits<float>::quiet_NaN();
    const GrVertex d = vtx(10, 10), e = vtx(200, 10);
    guDrawTriangleWithClip(&d, &bad, &e);
    grDrawTriangle(&d, &bad, &e);
    bad.x = 100;
    bad.oow = std::numeric_limits<float>::infinity();
    guDrawTriangleWithClip(&d, &bad, &e);
    EXPECT_EQ(lit_pixels(), 0);
    // Past the board's 12.4 coordinate range (2047.9375 is its last position) a triangle is
    // refused, not wrapped around; clipping brings a far one back on screen.
    const GrVertex last = vtx(2047.9375f, 100), past = vtx(2048.0f, 100), top = vtx(10, 10),
                   bottom = vtx(10, 200);
    grDrawTriangle(&top, &past, &bottom);
    EXPECT_EQ(lit_pixels(), 0);
    grDrawTriangle(&top, &last, &bottom);
    EXPECT_GT(lit_pixels(), 0);
    grBufferClear(0, 0, 0);
    const GrVertex f = vtx(-1e7f, 100), g = vtx(1e7f, 100), h = vtx(320, 300);
    grDrawTriangle(&f, &h, &g);
    EXPECT_EQ(lit_pixels(), 0);
    guDrawTriangleWithClip(&f, &h, &g);
    EXPECT_EQ(count_at(320, 150), 1);
}

TEST_F(FillRule, PointsLightOnePixelAndAntialiasedPointsAPyramid) {
    counting_mode(8);
    const GrVertex p = vtx(10.97f, 5.2f);
    grDrawPoint(&p);
    EXPECT_EQ(lit_pixels(), 1);
    EXPECT_EQ(count_at(11, 5), 1);

    grBufferClear(0, 0, 0);
    plain_mode();
    grDitherMode(GR_DITHER_DISABLE);
    grConstantColorValue(0xFFFFFFFF);
    const GrVertex centre = vtx(20.5f, 30.5f, 200.0f);
    grAADrawPoint(&centre);
    EXPECT_EQ(lit_pixels(), 1);
    EXPECT_EQ(pixel(20, 30).r >> 3, ((255 * 201) >> 8) >> 3);

    grBufferClear(0, 0, 0);
    const GrVertex corner = vtx(40.0f, 50.0f, 200.0f);
    grAADrawPoint(&corner);
    EXPECT_EQ(lit_pixels(), 4);
    for (auto [x, y] : {std::pair{39, 49}, {40, 49}, {39, 50}, {40, 50}}) {
        EXPECT_EQ(glide_read_pixel(x, y) >> 11, ((255 * 101) >> 8) >> 3) << x << ", " << y;
    }
}

TEST_F(FillRule, AntialiasedEdgesOnlyWhereFlagged) {
    plain_mode();
    grConstantColorValue(0xFFFFFFFF);
    const GrVertex a = vtx(100, 100), b = vtx(300, 100), c = vtx(200, 300);
    grAADrawTriangle(&a, &b, &c, FXTRUE, FXFALSE, FXFALSE);
    EXPECT_NE(glide_read_pixel(200, 99), 0);  // the strip under the flagged bottom edge
    EXPECT_EQ(glide_read_pixel(200, 98), 0);
    EXPECT_LT(pixel(200, 99).r, 200);          // it fades
    EXPECT_EQ(glide_read_pixel(149, 200), 0);  // beside the unflagged sides
    EXPECT_EQ(glide_read_pixel(250, 200), 0);

    grBufferClear(0, 0, 0);
    grAADrawTriangle(&a, &b, &c, FXFALSE, FXTRUE, FXTRUE);
    EXPECT_EQ(glide_read_pixel(200, 99), 0);
    EXPECT_NE(glide_read_pixel(149, 200), 0);
    EXPECT_NE(glide_read_pixel(250, 200), 0);
    EXPECT_EQ(glide_read_pixel(148, 200), 0);
    EXPECT_EQ(glide_read_pixel(251, 200), 0);

    // A culled triangle loses its strips too.
    grBufferClear(0, 0, 0);
    grCullMode(GR_CULL_POSITIVE);
    grAADrawTriangle(&a, &b, &c, FXTRUE, FXTRUE, FXTRUE);
    EXPECT_EQ(lit_pixels(), 0);
}

// With alpha blending, what is drawn at alpha 0 everywhere (the big stars' edge strips) leaves
// every pixel as it was, not even dithered again; a trace of alpha still blends.
TEST_F(FillRule, TransparentTrianglesLeaveTheBufferAlone) {
    plain_mode();
    grBufferClear(0x00808080, 0, 0);
    std::vector<std::uint16_t> before;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) before.push_back(glide_read_pixel(x, y));
    GrVertex a = vtx(100, 100, 0), b = vtx(300, 100, 0), c = vtx(200, 300, 0.4f);
    grAADrawTriangle(&a, &b, &c, FXTRUE, FXTRUE, FXTRUE);
    std::size_t changed = 0;
    for (int y = 0, i = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x, ++i) changed += glide_read_pixel(x, y) != before[i];
    EXPECT_EQ(changed, 0u);
    c.a = 255;
    grDrawTriangle(&a, &b, &c);
    EXPECT_NE(glide_read_pixel(200, 250), before[250 * 640 + 200]);
}

TEST_F(FillRule, ClearIsDitheredAndReadsTheColourFormat) {
    grBufferClear(0x000000FF, 0, 0);  // ABGR: red in the low byte
    EXPECT_EQ(glide_read_pixel(5, 5), 0xF800);
    grBufferClear(0x00808080, 0, 0);
    // Mid grey dithers to neighbouring 5/6-bit steps with the 4x4 matrix.
    EXPECT_NE(glide_read_pixel(0, 0), glide_read_pixel(1, 0));
    EXPECT_EQ(glide_read_pixel(0, 0), glide_math::pack565(128, 128, 128, 0, 0, true));
    EXPECT_EQ(glide_read_pixel(1, 0), glide_math::pack565(128, 128, 128, 1, 0, true));
    EXPECT_EQ(glide_read_pixel(1, 0) >> 11, 16);
}

}  // namespace
