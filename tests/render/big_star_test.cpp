// Big stars: the pulse, bounces, the one-frame lag of the disc, trails and course changes.
#include "render/big_star.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "render/random_below.h"
#include "render/render_calls.h"
#include "render/render_state.h"
#include "scene_fixture.h"

namespace {

constexpr float kW = 640.0f, kH = 480.0f;

// Runs update-and-draw with a recorder in place of the device; returns the calls made.
struct StarBench {
    RenderRandom random;
    RandomBelow below;
    DeviceTexture image;
    std::vector<GlideCall> update(BigStar& star) {
        GlideCallLog log;
        log.forward = false;
        render_state().call_log = &log;
        star.update_and_draw(random, below, image, kW, kH);
        render_state().call_log = nullptr;
        return log.calls;
    }
};

long count_kind(const std::vector<GlideCall>& calls, GlideCallKind kind) {
    return std::count_if(calls.begin(), calls.end(),
                         [kind](const GlideCall& c) { return c.kind == kind; });
}

class BigStarTest : public ::testing::Test {
protected:
    void SetUp() override { reset_render_state(); }
    void TearDown() override { reset_render_state(); }
    StarBench bench;
};

TEST_F(BigStarTest, ShapeIsACounterClockwiseCircle) {
    const auto unit = big_star_unit_shape();
    double turned = 0.0;
    for (int i = 0; i < BigStar::kRim; ++i) {
        const PointXY& a = unit[static_cast<std::size_t>(i)];
        const PointXY& b = unit[static_cast<std::size_t>((i + 1) % BigStar::kRim)];
        EXPECT_NEAR(std::hypot(a.x, a.y), 1.0, 0.03) << i;
        turned += std::atan2(a.x * b.y - a.y * b.x, a.x * b.x + a.y * b.y);
    }
    EXPECT_NEAR(turned, 2.0 * 3.14159265, 1e-3);
    EXPECT_EQ(unit[20].x, -1.0f);
    EXPECT_EQ(unit[30].y, -1.0f);
    EXPECT_EQ(unit[BigStar::kCentre].x, 0.0f);
    BigStar star;
    star.init(60, 100, 200, 50, 2, 0);
    EXPECT_EQ(star.vertices[10].tmuvtx[0].tow, 256.0f);
    EXPECT_EQ(star.vertices[20].tmuvtx[0].sow, 0.0f);
    EXPECT_EQ(star.vertices[BigStar::kCentre].tmuvtx[0].sow, 128.0f);
    EXPECT_EQ(star.vertices[BigStar::kCentre].a, 255.0f);
    EXPECT_EQ(star.vertices[0].a, 0.0f);
}

TEST_F(BigStarTest, PulseFallsToItsFloorAndRisesBack) {
    BigStar star;
    star.init(60, 300, 200, 50, 1, 0);
    // The pulse generator starts at state 1, whose first value below 30 is 16: the brightness
    // falls by 6 until it is under 255 - 16, then rises by 6 until it passes 254.
    const float expected[] = {249, 243, 237, 243, 249, 255};
    for (float b : expected) {
        const auto calls = bench.update(star);
        EXPECT_EQ(star.brightness, b);
        EXPECT_EQ(star.vertices[BigStar::kCentre].a, b);
    }
    EXPECT_EQ(star.pulse_floor, 16.0f);
    bench.update(star);  // a new floor, and falling again
    EXPECT_EQ(star.brightness, 249.0f);
    EXPECT_EQ(star.pulse_rising, 0);
    // Over a long run the brightness stays within the floor range.
    for (int i = 0; i < 2000; ++i) {
        bench.update(star);
        EXPECT_GE(star.brightness, 255.0f - 30.0f - 6.0f);
        EXPECT_LE(star.brightness, 261.0f);
    }
}

TEST_F(BigStarTest, RandomBelowStaysInRangeAndCoversIt) {
    RandomBelow below;
    EXPECT_EQ(below(30), 16);
    std::set<int> seen;
    for (int i = 0; i < 5000; ++i) {
        const int v = below(30);
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 30);
        seen.insert(v);
    }
    EXPECT_EQ(seen.size(), 31u);
    EXPECT_LE(below(1), 1);
    EXPECT_LE(below(0x0FFFFFFF), 0x0FFFFFFF);
    // The process-wide one lives in the renderer object.
    reset_render_state();
    EXPECT_EQ(random_below(30), 16);
}

TEST_F(BigStarTest, BouncesOnlyBeyondTheMargins) {
    BigStar star;
    star.init(60, kW + 50.0f, -50.0f, 10.0f, 1, 0);
    star.set_velocity(1.2f, -1.2f, -0.2f);
    bench.update(star);  // exactly on every limit: no bounce
    EXPECT_EQ(star.vx, 1.2f);
    EXPECT_EQ(star.vy, -1.2f);
    EXPECT_EQ(star.vz, -0.2f);
    bench.update(star);  // now past all three
    EXPECT_EQ(star.vx, -1.2f);
    EXPECT_EQ(star.vy, 1.2f);
    EXPECT_EQ(star.vz, 0.2f);
    star.z = 200.5f;
    bench.update(star);
    EXPECT_EQ(star.vz, -0.2f);
}

TEST_F(BigStarTest, DrawnDiscLagsOneFrameBehindThePosition) {
    BigStar star;
    star.init(60, 300, 200, 100, 3, 0);
    star.set_velocity(1.2f, -1.2f, 0.3f);
    auto calls = bench.update(star);
    ASSERT_EQ(count_kind(calls, GlideCallKind::AADrawTriangle), 40);
    const GlideCall* first = nullptr;
    for (const GlideCall& c : calls) {
        if (c.kind == GlideCallKind::AADrawTriangle && !first) first = &c;
    }
    // The first frame shows the creation radius 60 at the creation point.
    EXPECT_EQ(first->vertices[0].x, 300.0f);
    EXPECT_EQ(first->vertices[2].x, 360.0f);  // rim 0
    EXPECT_EQ(first->args[0], 0);
    EXPECT_EQ(first->args[1], 1);  // only the rim edge is antialiased
    EXPECT_EQ(first->args[2], 0);
    // Meanwhile the star has moved, and its vertices wait at the new place with radius
    // int(100.3 * 0.6) = 60 for the next frame.
    EXPECT_FLOAT_EQ(star.x, 301.2f);
    EXPECT_FLOAT_EQ(star.vertices[0].x, 301.2f + 60.0f);
    star.z = 10.0f;
    bench.update(star);
    EXPECT_FLOAT_EQ(star.vertices[0].x - star.x, 6.0f);  // radius int(10.3 * 0.6)
    // The disc is drawn textured, then the plain mode comes back.
    EXPECT_EQ(calls.front().kind, GlideCallKind::TexSource);
    EXPECT_EQ(calls.back().kind, GlideCallKind::ColorCombine);
    EXPECT_EQ(calls.back().args[0], GR_COMBINE_FUNCTION_LOCAL);
}

TEST_F(BigStarTest, TrailsShedAtMostThreeAFrameAndFadeByDepth) {
    BigStar star;
    star.init(60, 300, 200, 15, 1, 1);
    star.set_velocity(1.2f, 1.2f, 0.0f);
    auto calls = bench.update(star);
    auto live = [&] {
        return std::count_if(star.particles.begin(), star.particles.end(),
                             [](const auto& p) { return p.has_value(); });
    };
    EXPECT_EQ(live(), 3);
    EXPECT_EQ(
        count_kind(calls, GlideCallKind::AADrawPoint) + count_kind(calls, GlideCallKind::DrawPoint),
        0);  // shed this frame, drawn from the next
    const TrailParticle first = *star.particles[0];
    EXPECT_EQ(first.vertex.a, 210.0f);
    EXPECT_EQ(first.vx, -1.2f);
    EXPECT_EQ(first.depth, 15.0f);
    EXPECT_EQ(first.vertex.r, 255.0f);  // white, whatever mode is current
    // Shed near the centre, within 18% of the way to the rim.
    EXPECT_LE(std::fabs(first.vertex.x - 300.0f), 0.18f * 60.0f + 1e-3f);
    calls = bench.update(star);
    EXPECT_EQ(live(), 6);
    EXPECT_EQ(
        count_kind(calls, GlideCallKind::AADrawPoint) + count_kind(calls, GlideCallKind::DrawPoint),
        3);
    // A shallow star's particles fade by 18 a frame and slow down by 0.05.
    EXPECT_EQ(star.particles[0]->vertex.a, 192.0f);
    EXPECT_FLOAT_EQ(star.particles[0]->vx, -1.15f);
    EXPECT_FLOAT_EQ(star.particles[0]->vertex.x, first.vertex.x - 1.2f);
    // Dead slots are refilled three a frame: the trail never holds more than 3 x frames.
    for (int frame = 3; frame <= 40; ++frame) {
        calls = bench.update(star);
        EXPECT_LE(live(), std::min(3L * frame, 300L));
    }
    // A deep star's particles fade by only 3 a frame.
    BigStar deep;
    deep.init(60, 300, 200, 150, 2, 1);
    bench.update(deep);
    bench.update(deep);
    EXPECT_EQ(deep.particles[0]->vertex.a, 207.0f);
    // Fades in between: 14 below 35, 10 below 60, 6 below 100.
    const float depths[] = {25.0f, 50.0f, 80.0f};
    const float fades[] = {14.0f, 10.0f, 6.0f};
    for (int i = 0; i < 3; ++i) {
        BigStar s;
        s.init(60, 300, 200, depths[i], 1, 1);
        bench.update(s);
        bench.update(s);
        EXPECT_EQ(s.particles[0]->vertex.a, 210.0f - fades[i]);
    }
}

TEST_F(BigStarTest, NoTrailWhenTrailsAreOff) {
    BigStar star;
    star.init(60, 300, 200, 50, 1, 0);
    star.set_velocity(1.2f, 1.2f, 0.1f);
    for (int i = 0; i < 10; ++i) {
        const auto calls = bench.update(star);
        EXPECT_EQ(count_kind(calls, GlideCallKind::AADrawPoint), 0);
        EXPECT_EQ(count_kind(calls, GlideCallKind::DrawPoint), 0);
    }
    for (const auto& p : star.particles) EXPECT_FALSE(p.has_value());
}

TEST_F(BigStarTest, NudgesStepTowardsTheirLimitsAndMayPassThemByOneStep) {
    BigStar star;
    star.init(60, 0, 0, 50, 1, 0);
    star.set_velocity(1.1f, -1.2f, 0.39f);
    star.nudge(1, -1, 1);
    EXPECT_FLOAT_EQ(star.vx, 1.3f);   // tested below the limit, then stepped past it
    EXPECT_FLOAT_EQ(star.vy, -1.2f);  // at the limit: no step
    EXPECT_FLOAT_EQ(star.vz, 0.43f);
    star.nudge(1, 1, 0);
    EXPECT_FLOAT_EQ(star.vx, 1.3f);
    EXPECT_FLOAT_EQ(star.vy, -1.0f);
    EXPECT_FLOAT_EQ(star.vz, 0.43f);
    star.nudge(-1, 0, -1);
    EXPECT_FLOAT_EQ(star.vx, 1.1f);
    EXPECT_FLOAT_EQ(star.vz, 0.39f);
}

}  // namespace
