// open_render_device: resolution, background choice, texture placement, state, repeatable scenes.
#include "render/render_device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "platform/glide/glide_device.h"
#include "platform/glide/glide_present.h"
#include "platform/win/win_scripted.h"
#include "render/render_frame.h"
#include "render/render_state.h"
#include "render/texture_file.h"

namespace {

std::int64_t g_seconds = 0;

class RenderDevice : public ::testing::Test {
protected:
    void SetUp() override {
        grGlideShutdown();
        reset_render_state();
        render_state().calendar_seconds = [] { return g_seconds; };
        win_.set_tick(0x12345);
    }
    void TearDown() override {
        grGlideShutdown();
        reset_render_state();
    }
    ScriptedWin win_;
};

TEST_F(RenderDevice, ResolutionCodes) {
    const struct {
        int setting, width, height;
    } cases[] = {{0, 640, 480}, {1, 800, 600}, {2, 1024, 768}, {5, 640, 480}, {-1, 640, 480}};
    for (const auto& c : cases) {
        render_state().resolution = c.setting;
        open_render_device();
        EXPECT_EQ(render_state().screen_width, static_cast<float>(c.width));
        EXPECT_EQ(render_state().screen_height, static_cast<float>(c.height));
        EXPECT_EQ(glide_device().width, c.width);
        EXPECT_EQ(glide_device().height, c.height);
        EXPECT_EQ(render_state().flat_background[2].x, static_cast<float>(c.width));
        grGlideShutdown();
    }
    render_state().resolution = 2;
    open_render_device();
    EXPECT_EQ(render_state().resolution_code, GR_RESOLUTION_1024x768);
}

TEST_F(RenderDevice, RandomBackgroundIsNeverStars) {
    render_state().random_background = 1;
    std::set<int> seen;
    for (g_seconds = 1000; g_seconds < 1400; ++g_seconds) {
        render_state().background_number = 8;
        open_render_device();
        seen.insert(render_state().background_number);
        grGlideShutdown();
    }
    EXPECT_EQ(seen, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7}));

    render_state().random_background = 0;
    render_state().background_number = 8;
    open_render_device();
    EXPECT_EQ(render_state().background_number, 8);
}

TEST_F(RenderDevice, TexturesLieInConsecutiveBlocksFromTheMinimumAddress) {
    render_state().background_number = 4;  // Spiral galaxy, resource 1124
    open_render_device();
    const auto& t = render_state().textures;
    const FxU32 base = grTexMinAddress(GR_TMU0);
    EXPECT_EQ(t[kStarImage1].start_address, base);
    EXPECT_EQ(t[kStarImage2].start_address, base + 174762);
    EXPECT_EQ(t[kStarImage3].start_address, base + 2 * 174762);
    EXPECT_EQ(t[kBackgroundTexture].start_address, base + 3 * 174762);
    // Texture memory holds each chain as its resource does.
    const int ids[4] = {1134, 1135, 1136, 1124};
    for (int slot = 0; slot < 4; ++slot) {
        EXPECT_TRUE(t[slot].loaded);
        EXPECT_EQ(t[slot].info.largeLod, GR_LOD_256);
        EXPECT_EQ(t[slot].info.smallLod, GR_LOD_1);
        EXPECT_EQ(t[slot].info.format, GR_TEXFMT_RGB_565);
        EXPECT_EQ(t[slot].table_type, -1);
        TextureFileInfo file;
        ASSERT_EQ(load_3df_resource(ids[slot], &file), 1);
        EXPECT_EQ(std::memcmp(glide_device().tex_memory.data() + t[slot].start_address,
                              file.data.data(), file.data.size()),
                  0)
            << slot;
    }
}

TEST_F(RenderDevice, UnknownBackgroundNumbersUseBlueRed) {
    EXPECT_EQ(background_resource_id(7), 153);
    EXPECT_EQ(background_resource_id(9), 153);
    EXPECT_EQ(background_resource_id(-3), 153);
    EXPECT_EQ(background_resource_id(0), 1143);
    EXPECT_EQ(background_resource_id(8), 155);
    EXPECT_TRUE(is_tunnel_background(8));
    EXPECT_TRUE(is_flat_background(4));
    EXPECT_FALSE(is_tunnel_background(9));
    EXPECT_FALSE(is_flat_background(9));
}

TEST_F(RenderDevice, FixedStateAfterOpening) {
    open_render_device();
    const GlideDevice& d = glide_device();
    EXPECT_TRUE(d.open);
    EXPECT_EQ(d.origin, GR_ORIGIN_LOWER_LEFT);
    EXPECT_EQ(d.tex_rgb.function, GR_COMBINE_FUNCTION_LOCAL);
    EXPECT_EQ(d.tex_alpha.function, GR_COMBINE_FUNCTION_ZERO);
    EXPECT_EQ(d.min_filter, GR_TEXTUREFILTER_BILINEAR);
    EXPECT_EQ(d.mag_filter, GR_TEXTUREFILTER_BILINEAR);
    EXPECT_EQ(d.mipmap_mode, GR_MIPMAP_NEAREST);
    EXPECT_EQ(d.color_combine.function, GR_COMBINE_FUNCTION_LOCAL);
    EXPECT_EQ(d.color_combine.local, GR_COMBINE_LOCAL_CONSTANT);
    EXPECT_EQ(d.alpha_combine.local, GR_COMBINE_LOCAL_ITERATED);
    EXPECT_EQ(d.rgb_sf, GR_BLEND_SRC_ALPHA);
    EXPECT_EQ(d.rgb_df, GR_BLEND_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(d.constant_color, 0xFFFFFFFFu);
    // The flat background: upright picture at alpha 150.
    const GrVertex& v3 = render_state().flat_background[3];
    EXPECT_EQ(v3.y, 480.0f);
    EXPECT_EQ(v3.tmuvtx[0].tow, 0.0f);
    EXPECT_EQ(render_state().flat_background[0].tmuvtx[0].tow, 255.0f);
    EXPECT_EQ(v3.a, 150.0f);
}

TEST_F(RenderDevice, TickCountsWithTheSameLowByteGiveTheSameScene) {
    auto scene_after = [&](DWORD tick) {
        win_.set_tick(tick);
        open_render_device();
        const std::uint32_t state = render_state().random.state;
        grGlideShutdown();
        return state;
    };
    EXPECT_EQ(scene_after(0x1234), scene_after(0xAB34));
    EXPECT_NE(scene_after(0x1234), scene_after(0x1235));
    // The generator itself: seed 0, one draw.
    RenderRandom r;
    r.seed(0);
    EXPECT_EQ(r.draw(), 38);
    EXPECT_EQ(r.draw(), 7719);
}

TEST_F(RenderDevice, RenderFramePresentsAFrameAtTheOpenedSize) {
    render_state().resolution = 1;
    render_state().show_background = 0;
    render_state().small_star_number = 0;
    render_state().large_star_number = 0;
    glide_set_presenter(nullptr);
    open_render_device();
    render_frame();
    render_frame();
    const GlideFrame* frame = glide_last_frame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->width, 800);
    EXPECT_EQ(frame->height, 600);
    // Black but for the 30 glow stars, each at most 13 pixels across.
    long lit = 0;
    for (std::uint16_t p : frame->pixels) lit += p != 0;
    EXPECT_GT(lit, 30);
    EXPECT_LT(lit, 30 * 13 * 13);
    EXPECT_EQ(glide_device().swaps, 2u);
}

}  // namespace
