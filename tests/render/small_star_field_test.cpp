// The small stars: scattering, the drift moves and their wraps, twinkling, and what is drawn.
#include "render/small_star_field.h"

#include <gtest/gtest.h>

#include "render/render_calls.h"
#include "render/render_state.h"
#include "scene_fixture.h"

namespace {

constexpr float kW = 640.0f, kH = 480.0f;

SmallStarField scattered(std::uint32_t seed = 7) {
    RenderRandom random;
    random.seed(seed);
    SmallStarField field;
    field.scatter(random, kW, kH);
    return field;
}

TEST(SmallStarField, ScatterFollowsTheDrawOrder) {
    RenderRandom random;
    random.seed(7);
    SmallStarField field;
    field.scatter(random, kW, kH);
    // Glow star 0's centre comes from the first two draws, its 18 colours from the next 18.
    RenderRandom replay;
    replay.seed(7);
    const float gx = replay.r() * kW, gy = replay.r() * kH;
    const int colour = replay.draw() % 4;
    EXPECT_FLOAT_EQ(field.glow[0].x, gx);
    EXPECT_FLOAT_EQ(field.glow[0].y, gy);
    EXPECT_EQ(field.glow[0].vertices[0].r, colour == 1 || colour == 3 ? 255.0f : 200.0f);
    EXPECT_EQ(field.glow[0].vertices[0].a, 180.0f);
    EXPECT_EQ(field.glow[0].vertices[5].a, 0.0f);
    // Every star lies on the screen, point stars opaque.
    for (const GrVertex& v : field.points) {
        EXPECT_GE(v.x, 0.0f);
        EXPECT_LE(v.x, kW);
        EXPECT_GE(v.y, 0.0f);
        EXPECT_LE(v.y, kH);
        EXPECT_EQ(v.a, 255.0f);
    }
    // Glow rims are 3 to 6 pixels out, and the fan is closed.
    for (const GlowStar& g : field.glow) {
        const float radius = g.vertices[1].x - g.x;
        EXPECT_TRUE(radius == 3.0f || radius == 4.0f || radius == 5.0f || radius == 6.0f);
        EXPECT_EQ(g.vertices[1].x, g.vertices[17].x);
        EXPECT_EQ(g.vertices[1].y, g.vertices[17].y);
        EXPECT_EQ(g.vertices[0].x, g.x);
    }
}

TEST(SmallStarField, StarsMoveFasterTowardsTheCorners) {
    SmallStarField field = scattered();
    field.points[0].x = 320.0f;  // the centre
    field.points[0].y = 240.0f;
    field.points[1].x = 0.0f;  // a corner: f = 1
    field.points[1].y = 0.0f;
    field.move_horizontally(3.0f, 2, kW, kH);
    EXPECT_FLOAT_EQ(field.points[0].x, 323.0f);
    EXPECT_FLOAT_EQ(field.points[1].x, 6.0f);
    field.points[0] = {};
    field.points[0].x = 320.0f;
    field.points[0].y = 240.0f;
    field.move_vertically(-2.5f, 1, kW, kH);
    EXPECT_FLOAT_EQ(field.points[0].y, 237.5f);
}

TEST(SmallStarField, PointStarsWrapOnTheSameFrame) {
    SmallStarField field = scattered();
    field.points[0].x = 638.0f;
    field.points[0].y = 240.0f;
    field.move_horizontally(5.0f, 1, kW, kH);
    const float f = 318.0f * 318.0f / 160000.0f;  // R^2 = 320^2 + 240^2
    EXPECT_NEAR(field.points[0].x, 638.0f + 5.0f * (1.0f + f * f) - kW, 1e-3);
    field.points[0].y = 1.0f;
    field.points[0].x = 320.0f;
    field.move_vertically(-2.0f, 1, kW, kH);
    EXPECT_GT(field.points[0].y, 470.0f);
    // Stars beyond the live count stay where they are.
    const float before = field.points[5].x;
    field.move_horizontally(5.0f, 1, kW, kH);
    EXPECT_EQ(field.points[5].x, before);
}

TEST(SmallStarField, GlowStarsWrapOneFrameLate) {
    SmallStarField field = scattered();
    GlowStar& g = field.glow[0];
    const float shift = 641.0f - g.vertices[0].x;
    for (GrVertex& v : g.vertices) v.x += shift;  // centre just past the right edge
    const float rim = g.vertices[1].x;
    // This frame it is only shifted back by W, whole, without moving.
    field.move_horizontally(4.0f, 0, kW, kH);
    EXPECT_FLOAT_EQ(g.vertices[0].x, 1.0f);
    EXPECT_FLOAT_EQ(g.vertices[1].x, rim - kW);
    // The next frame it moves again: by d (1 + ((x - cx) / W)^2) per vertex.
    field.move_horizontally(4.0f, 0, kW, kH);
    const float q = (1.0f - 320.0f) / kW;
    EXPECT_FLOAT_EQ(g.vertices[0].x, 1.0f + 4.0f * (1.0f + q * q));
    // The same below the bottom edge.
    const float down = g.vertices[0].y + 0.5f;
    for (GrVertex& v : g.vertices) v.y -= down;
    field.move_vertically(-1.0f, 0, kW, kH);
    EXPECT_FLOAT_EQ(g.vertices[0].y, kH - 0.5f);
}

class SmallStarsInAFrame : public SceneTest {};

TEST_F(SmallStarsInAFrame, SpeedZeroStandsStillWhileTwinklingGoesOn) {
    render_state().small_star_speed = 0;
    render_state().show_background = 0;
    render_state().large_star_number = 0;
    open();
    const auto before = render_state().small_stars.points;
    int dimmed = 0;
    for (int frame = 0; frame < 20; ++frame) {
        const auto calls = record_frame(false);
        for (const GlideCall& c : calls) {
            if (c.kind == GlideCallKind::AADrawPoint && c.vertices[0].a == 100.0f) ++dimmed;
        }
    }
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(render_state().small_stars.points[i].x, before[i].x);
        EXPECT_EQ(render_state().small_stars.points[i].y, before[i].y);
    }
    EXPECT_EQ(render_state().drift.t, 1.0f);
    // About one star in five is dimmed each frame.
    EXPECT_GT(dimmed, 20 * 300 / 10);
    EXPECT_LT(dimmed, 20 * 300 * 3 / 10);
}

TEST_F(SmallStarsInAFrame, DrawsTheLiveStarsAndEveryGlowStar) {
    render_state().show_background = 0;
    render_state().large_star_number = 0;
    for (int n : {0, 100, 400, 1000}) {
        render_state().small_star_number = n;
        open();
        const auto calls = record_frame(false);
        EXPECT_EQ(count(calls, GlideCallKind::AADrawPoint), std::min(n, 400)) << n;
        EXPECT_EQ(count(calls, GlideCallKind::DrawTriangle), 30 * 16);
        grGlideShutdown();
    }
}

}  // namespace
