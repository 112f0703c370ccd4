// The helix tunnel: ring recycling and reset, scroll, culling, screen coverage and the guards
// for rings at or behind the eye.
#include "render/helix_tunnel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/glide/glide_present.h"
#include "render/render_calls.h"
#include "render/render_state.h"
#include "scene_fixture.h"

namespace {

float signed_area(const GrVertex& a, const GrVertex& b, const GrVertex& c) {
    return (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
}

TEST(HelixTunnel, ResetLaysTheRingsAlongTheHelix) {
    HelixTunnel t;
    t.travel = 700;
    t.scroll = 9;
    t.reset();
    EXPECT_EQ(t.travel, 700);  // travel and scroll are not the reset's business
    EXPECT_EQ(t.scroll, 9);
    for (int i = 0; i < HelixTunnel::kRings; ++i) {
        EXPECT_EQ(t.order[static_cast<std::size_t>(i)], i);
        const auto& ring = t.rings[static_cast<std::size_t>(i)];
        EXPECT_FLOAT_EQ(ring[0].z, static_cast<float>(i) * 1200.0f / 7.0f);
        EXPECT_EQ(ring[0].x, ring[8].x);  // closed
        // The ring's centre sits on the helix: 20 degrees of turn per ring.
        const double a = 20.0 * i * 3.14159265358979 / 180.0;
        EXPECT_NEAR((ring[0].x + ring[3].x) / 2.0, 140.0 * std::cos(a), 1e-3);
        EXPECT_NEAR((ring[1].y + ring[6].y) / 2.0, 85.0 * std::sin(a), 1e-3);
    }
}

TEST(HelixTunnel, RecyclesARingEvery8Point6FramesAndResetsAfter1114) {
    HelixTunnel t;
    t.reset();
    std::vector<int> recycled_at;
    std::vector<int> resets;
    for (int frame = 1; frame <= 2300; ++frame) {
        const int nearest = t.order[0];
        t.advance();
        if (t.travel == HelixTunnel::kSpeed && frame > 1) {
            resets.push_back(frame);
            // Back to the start: rings in order at their first depths.
            EXPECT_EQ(t.order[0], 0);
            EXPECT_FLOAT_EQ(t.rings[5][0].z, 5.0f * 1200.0f / 7.0f);
        }
        t.recycle();
        if (t.order[0] != nearest && resets.empty()) {
            recycled_at.push_back(frame);
            // The passed ring went to the far end, one spacing beyond the old farthest.
            const auto& moved = t.rings[static_cast<std::size_t>(nearest)];
            const auto& before = t.rings[static_cast<std::size_t>(t.order[128])];
            EXPECT_NEAR(moved[0].z - before[0].z, 1200.0 / 7.0, 1e-2);
            EXPECT_EQ(t.order[129], nearest);
            // ... and onto the helix where the camera will pass it: no kink at the far end.
            const double phase = moved[0].z * 0.0020362176;
            EXPECT_NEAR((moved[0].x + moved[3].x) / 2.0, 140.0 * std::cos(phase), 1e-2);
            EXPECT_NEAR((moved[1].y + moved[6].y) / 2.0, 85.0 * std::sin(phase), 1e-2);
        }
    }
    // From travel 0 the first reset comes when the travel passes the tunnel's length, and
    // from then on every 1,114 frames.
    EXPECT_EQ(resets, (std::vector<int>{1115, 2229}));
    ASSERT_EQ(recycled_at.size(), 129u);
    for (std::size_t i = 1; i < recycled_at.size(); ++i) {
        const int gap = recycled_at[i] - recycled_at[i - 1];
        EXPECT_TRUE(gap == 8 || gap == 9) << gap;
    }
    const double mean = (recycled_at.back() - recycled_at.front()) / 128.0;
    EXPECT_NEAR(mean, 1200.0 / 7.0 / 20.0, 0.05);
}

TEST(HelixTunnel, TextureScrollsOneSlotAFrameAndJumpsAt256) {
    int sa, sb;
    HelixTunnel::band_texture_s(0, 0, &sa, &sb);
    EXPECT_EQ(sa, 0);
    EXPECT_EQ(sb, 1);
    HelixTunnel::band_texture_s(0, 1, &sa, &sb);
    EXPECT_EQ(sa, 1);  // 255 / 130, truncated
    EXPECT_EQ(sb, 3);
    HelixTunnel::band_texture_s(1, 0, &sa, &sb);
    EXPECT_EQ(sa, 1);  // one frame later slot 0 shows what slot 1 showed
    // Where the picture starts again, the band gets only a sliver of it.
    HelixTunnel::band_texture_s(0, 129, &sa, &sb);
    EXPECT_EQ(sa, 0);
    EXPECT_EQ(sb, 1);
    HelixTunnel::band_texture_s(255, 0, &sa, &sb);
    EXPECT_EQ(sa, 255 * 125 / 130);
    // The scroll counts 0..255, so the picture jumps once every 256 frames.
    HelixTunnel t;
    t.reset();
    DeviceTexture picture;
    GlideCallLog log;
    log.forward = false;
    reset_render_state();
    render_state().call_log = &log;
    for (int frame = 0; frame < 256; ++frame) {
        EXPECT_EQ(t.scroll, frame);
        t.draw(picture, 640, 480);
    }
    EXPECT_EQ(t.scroll, 0);
    render_state().call_log = nullptr;
}

class TunnelInAFrame : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        RenderState& st = render_state();
        st.background_number = 7;
        st.small_star_number = 0;
        st.large_star_number = 0;
    }

    // Replaces the tunnel picture by plain white, so every pixel the tunnel covers is lit.
    void whiten_picture() {
        const DeviceTexture& bg = render_state().textures[kBackgroundTexture];
        white_.assign(87381, 0xFFFF);
        GrTexInfo info = bg.info;
        info.data = white_.data();
        grTexDownloadMipMap(GR_TMU0, bg.start_address, GR_MIPMAPLEVELMASK_BOTH, &info);
    }

    // Unlit pixels of the last frame, and how many of them lie far from the screen's centre.
    void count_unlit(int* unlit, int* away_from_centre) {
        const GlideFrame* f = glide_last_frame();
        *unlit = 0;
        *away_from_centre = 0;
        for (int y = 0; y < f->height; ++y) {
            for (int x = 0; x < f->width; ++x) {
                if (f->pixels[static_cast<std::size_t>(y * f->width + x)] != 0) continue;
                ++*unlit;
                if (std::hypot(x - f->width / 2, y - f->height / 2) > 0.1 * f->width) {
                    ++*away_from_centre;
                }
            }
        }
    }

    std::vector<std::uint16_t> white_;
};

TEST_F(TunnelInAFrame, ClosingBandAndBackFacesAreCulledBeforeClipping) {
    open();
    const auto calls = record_frame();
    const HelixTunnel& t = render_state().tunnel;
    EXPECT_EQ(calls[1].kind, GlideCallKind::CullMode);
    EXPECT_EQ(calls[1].args[0], GR_CULL_POSITIVE);
    // The band from the farthest ring back to the nearest faces away: all of it.
    const auto& far_ring = t.projected[static_cast<std::size_t>(t.order[129])];
    const auto& near_ring = t.projected[static_cast<std::size_t>(t.order[0])];
    for (std::size_t j = 0; j < 8; ++j) {
        EXPECT_GT(signed_area(far_ring[j], near_ring[j + 1], far_ring[j + 1]), 0.0f);
        EXPECT_GT(signed_area(far_ring[j], near_ring[j], near_ring[j + 1]), 0.0f);
    }
    // Only triangles that face the viewer reach the clipper, and none of the closing band.
    long submitted = 0;
    for (const GlideCall& c : calls) {
        if (c.kind != GlideCallKind::DrawTriangleWithClip) continue;
        ++submitted;
        EXPECT_LT(signed_area(c.vertices[0], c.vertices[1], c.vertices[2]), 0.0f);
        bool touches_far = false, touches_near = false;
        for (int v = 0; v < 3; ++v) {
            for (std::size_t j = 0; j < 9; ++j) {
                touches_far |= c.vertices[static_cast<std::size_t>(v)].x == far_ring[j].x &&
                               c.vertices[static_cast<std::size_t>(v)].y == far_ring[j].y;
                touches_near |= c.vertices[static_cast<std::size_t>(v)].x == near_ring[j].x &&
                                c.vertices[static_cast<std::size_t>(v)].y == near_ring[j].y;
            }
        }
        EXPECT_FALSE(touches_far && touches_near);
    }
    // Where the helix bends, a good share of the walls face away too.
    EXPECT_GT(submitted, 2080 * 4 / 10);
    EXPECT_LT(submitted, 2080 * 8 / 10);
}

TEST_F(TunnelInAFrame, CoversTheScreenThroughRecyclingAndReset) {
    for (int resolution : {0, 2}) {
        render_state().resolution = resolution;
        open();
        whiten_picture();
        int worst = 0;
        for (int frame = 0; frame < 30; ++frame) {
            render_frame();
            int unlit, away;
            count_unlit(&unlit, &away);
            EXPECT_EQ(away, 0) << "frame " << frame << " resolution " << resolution;
            worst = std::max(worst, unlit);
        }
        // Fly on to just before the tunnel starts again, and through that moment.
        HelixTunnel& t = render_state().tunnel;
        while (t.travel < 22285 - 10 * HelixTunnel::kSpeed) {
            t.advance();
            t.recycle();
        }
        for (int frame = 0; frame < 20; ++frame) {
            render_frame();
            int unlit, away;
            count_unlit(&unlit, &away);
            EXPECT_EQ(away, 0) << "frame " << frame << " near the reset";
            worst = std::max(worst, unlit);
        }
        // Only the far end's small hole is ever unlit.
        EXPECT_LT(worst, 200);
        grGlideShutdown();
    }
}

TEST_F(TunnelInAFrame, RingsAtOrBehindTheEyeAreLeftOut) {
    open();
    HelixTunnel& t = render_state().tunnel;
    t.travel = 300;  // ring 0 sits exactly at the eye
    t.project(640, 480);
    for (bool ok : t.usable[0]) EXPECT_FALSE(ok);
    for (bool ok : t.usable[1]) EXPECT_TRUE(ok);
    // So close in front that x * 16 leaves the integer range: left out, not converted.
    for (GrVertex& v : t.rings[2]) v.z = 300.0f - 300.0f + 1e-5f;
    t.project(640, 480);
    EXPECT_FALSE(t.usable[2][0]);
    for (GrVertex& v : t.rings[2]) v.z = std::nanf("");
    t.project(640, 480);
    EXPECT_FALSE(t.usable[2][0]);
    // No triangle of theirs is drawn.
    t.reset();
    t.travel = 15000;
    const auto calls = record_frame();
    for (const GlideCall& c : calls) {
        if (c.kind != GlideCallKind::DrawTriangleWithClip) continue;
        for (int v = 0; v < 3; ++v) {
            EXPECT_TRUE(std::isfinite(c.vertices[static_cast<std::size_t>(v)].x));
            EXPECT_GT(c.vertices[static_cast<std::size_t>(v)].oow, 0.0f);
        }
    }
}

TEST_F(TunnelInAFrame, AReopenKeepsTravelAndScrollAndStillFillsTheScreen) {
    open();
    for (int i = 0; i < 200; ++i) render_frame();
    RenderState& st = render_state();
    const std::int32_t travel = st.tunnel.travel, scroll = st.tunnel.scroll;
    const int counter = st.move_randomly_counter;
    const float t = st.drift.t;
    grGlideShutdown();
    open();
    EXPECT_EQ(st.tunnel.travel, travel);
    EXPECT_EQ(st.tunnel.scroll, scroll);
    EXPECT_EQ(st.move_randomly_counter, counter);
    EXPECT_EQ(st.drift.t, t);
    EXPECT_EQ(st.tunnel.order[0], 0);  // the rings themselves start over
    // Rings behind the eye are left out until they are recycled, one a frame; the rest of the
    // tunnel still fills the screen but for its far end.
    whiten_picture();
    for (int frame = 0; frame < 60; ++frame) {
        render_frame();
        int unlit, away;
        count_unlit(&unlit, &away);
        EXPECT_EQ(away, 0) << frame;
    }
}

TEST_F(TunnelInAFrame, NotAdvancedWhenNotShown) {
    for (int bg : {1, 7}) {
        render_state().background_number = bg;
        render_state().show_background = bg == 1 ? 1 : 0;
        open();
        const std::int32_t travel = render_state().tunnel.travel;
        render_frame();
        EXPECT_EQ(render_state().tunnel.travel, travel);
        grGlideShutdown();
    }
    render_state().show_background = 1;
    open();
    render_frame();
    EXPECT_EQ(render_state().tunnel.travel, 20);
    EXPECT_EQ(render_state().tunnel.scroll, 1);
}

}  // namespace
