// render_frame: the order of a frame, backgrounds, live big stars, the move-randomly schedule and
// whole scenes repeatable from their seed (compared as streams of Glide calls).
#include "render/render_frame.h"

#include <gtest/gtest.h>

#include <cmath>

#include "render/render_calls.h"
#include "render/render_state.h"
#include "scene_fixture.h"

namespace {

class RenderFrame : public SceneTest {
protected:
    // Several frames' calls from a freshly reset process opened at `tick`.
    std::vector<GlideCall> scene_from(DWORD tick, int frames) {
        grGlideShutdown();
        const RenderState settings = render_state();
        reset_render_state();
        RenderState& st = render_state();
        st.background_number = settings.background_number;
        st.move_randomly = settings.move_randomly;
        st.large_star_number = settings.large_star_number;
        st.calendar_seconds = settings.calendar_seconds;
        win_.set_tick(tick);
        open();
        std::vector<GlideCall> all;
        for (int i = 0; i < frames; ++i) {
            const auto calls = record_frame();
            all.insert(all.end(), calls.begin(), calls.end());
        }
        return all;
    }
};

TEST_F(RenderFrame, AFrameClearsDrawsInOrderAndSwaps) {
    render_state().background_number = 4;  // flat: Spiral galaxy
    open();
    const auto calls = record_frame();
    ASSERT_GT(calls.size(), 10u);
    EXPECT_EQ(calls.front().kind, GlideCallKind::BufferClear);
    EXPECT_EQ(calls.back().kind, GlideCallKind::BufferSwap);
    EXPECT_EQ(calls.back().args[0], 1);
    // The flat background: the picture selected, the texture mode, two triangles, plain again.
    const RenderState& st = render_state();
    ASSERT_EQ(calls[1].kind, GlideCallKind::TexSource);
    EXPECT_EQ(calls[1].args[1], static_cast<int>(st.textures[kBackgroundTexture].start_address));
    EXPECT_EQ(calls[2].kind, GlideCallKind::ColorCombine);
    EXPECT_EQ(calls[2].args[1], GR_COMBINE_FACTOR_ONE);
    EXPECT_EQ(calls[2].args[3], GR_COMBINE_OTHER_TEXTURE);
    ASSERT_EQ(calls[3].kind, GlideCallKind::DrawTriangle);
    EXPECT_EQ(calls[3].vertices[1].x, 640.0f);  // vertex 2, the top right
    EXPECT_EQ(calls[3].vertices[1].y, 480.0f);
    EXPECT_EQ(calls[4].vertices[2].y, 480.0f);  // vertex 3, the top left
    EXPECT_EQ(calls[5].args[0], GR_COMBINE_FUNCTION_LOCAL);
    // Then the star mode, point stars, glow stars, and the four big stars.
    EXPECT_EQ(calls[6].args[2], GR_COMBINE_LOCAL_ITERATED);
    EXPECT_EQ(calls[7].kind, GlideCallKind::AADrawPoint);
    EXPECT_EQ(count(calls, GlideCallKind::AADrawPoint), 300);
    EXPECT_EQ(count(calls, GlideCallKind::AADrawTriangle), 4 * 40);
    // Without the background, the frame starts with the stars.
    grGlideShutdown();
    render_state().show_background = 0;
    open();
    const auto bare = record_frame();
    EXPECT_EQ(bare[1].kind, GlideCallKind::ColorCombine);
    EXPECT_EQ(count(bare, GlideCallKind::DrawTriangle), 30 * 16);
}

TEST_F(RenderFrame, LargeStarNumberIsHeldToTheEightStars) {
    render_state().show_background = 0;
    const struct { int setting, drawn; } cases[] = {{0, 0}, {-3, 0}, {1, 1}, {8, 8}, {12, 8}};
    for (const auto& c : cases) {
        render_state().large_star_number = c.setting;
        open();
        const auto calls = record_frame(false);
        EXPECT_EQ(count(calls, GlideCallKind::AADrawTriangle), c.drawn * 40) << c.setting;
        grGlideShutdown();
    }
}

TEST_F(RenderFrame, BigStarsChangeCourseEvery21stFrame) {
    RenderState& st = render_state();
    st.show_background = 0;
    st.large_star_number = 8;
    st.move_randomly = 1;
    open();
    // Courses start at rest and change only on frames 21, 42, 63 ...
    std::vector<std::array<float, 3>> before(8);
    std::vector<std::array<float, 3>> change_at_21(8);
    int changes = 0;
    for (int frame = 1; frame <= 63; ++frame) {
        for (std::size_t i = 0; i < 8; ++i) {
            const BigStar& s = st.big_stars[i];
            before[i] = {std::fabs(s.vx), std::fabs(s.vy), std::fabs(s.vz)};
        }
        record_frame(false);
        bool changed = false;
        for (std::size_t i = 0; i < 8; ++i) {
            const BigStar& s = st.big_stars[i];
            const std::array<float, 3> now = {std::fabs(s.vx), std::fabs(s.vy), std::fabs(s.vz)};
            changed |= now != before[i];
            if (frame == 21) change_at_21[i] = {s.vx, s.vy, s.vz};
            // Within one second the reseeded generator gives the same directions again.
            if (frame == 42) {
                EXPECT_FLOAT_EQ(s.vx, 2 * change_at_21[i][0]);
                EXPECT_FLOAT_EQ(s.vy, 2 * change_at_21[i][1]);
                EXPECT_FLOAT_EQ(std::fabs(s.vz), std::fabs(2 * change_at_21[i][2]));
            }
        }
        if (changed) {
            ++changes;
            EXPECT_EQ(frame % 21, 0) << frame;
        }
    }
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(st.move_randomly_counter, 0);
}

TEST_F(RenderFrame, FixedCoursesWhenMoveRandomlyIsOff) {
    RenderState& st = render_state();
    st.show_background = 0;
    st.large_star_number = 8;
    st.move_randomly = 0;
    open();
    for (int frame = 0; frame < 100; ++frame) record_frame(false);
    EXPECT_EQ(st.move_randomly_counter, 0);
    for (const BigStar& s : st.big_stars) {
        EXPECT_EQ(std::fabs(s.vx), 1.2f);
        EXPECT_EQ(std::fabs(s.vy), 1.2f);
        EXPECT_GE(std::fabs(s.vz), 0.1f);
        EXPECT_LE(std::fabs(s.vz), 0.3f + 1e-6f);
    }
}

TEST_F(RenderFrame, BigStarsAreBuiltFromTheGeneratorInOrder) {
    render_state().move_randomly = 1;
    open();
    // Replay the draws the scene makes before the big stars: 30 x (2 + 18) for the glow stars,
    // 400 x 3 for the point stars and 30 for the glow radii, after the discarded first draw.
    RenderRandom replay;
    replay.seed(0x42);
    for (int i = 0; i < 1 + 30 * 20 + 400 * 3 + 30; ++i) replay.draw();
    static constexpr int kKinds[8] = {1, 2, 3, 1, 2, 3, 2, 3};
    for (std::size_t i = 0; i < 8; ++i) {
        const BigStar& s = render_state().big_stars[i];
        const float z = static_cast<float>(replay.draw() % 140 + 10);
        const float y = static_cast<float>(static_cast<int>(replay.r() * 480.0f));
        const float x = static_cast<float>(static_cast<int>(replay.r() * 640.0f));
        EXPECT_EQ(s.z, z) << i;
        EXPECT_EQ(s.y, y) << i;
        EXPECT_EQ(s.x, x) << i;
        EXPECT_EQ(s.kind, kKinds[i]);
        EXPECT_EQ(s.vx, 0.0f);
    }
}

TEST_F(RenderFrame, AWholeSceneRepeatsFromItsSeed) {
    for (int background : {7, 2}) {
        render_state().background_number = background;
        render_state().large_star_number = 8;
        render_state().move_randomly = background == 7 ? 1 : 0;
        const auto a = scene_from(0x1234, 25);
        const auto b = scene_from(0xAB34, 25);  // the same low 8 bits of the tick count
        const auto c = scene_from(0x1235, 25);
        ASSERT_EQ(a.size(), b.size());
        EXPECT_TRUE(a == b) << background;
        EXPECT_FALSE(a == c) << background;
        long vertices = 0;
        for (const GlideCall& call : a) vertices += call.vertex_count;
        EXPECT_GT(vertices, 25 * 1000);
    }
}

}  // namespace
