// Texture memory, sampling (perspective, bilinear, mipmaps, clamping), combine and blend modes.
#include <cmath>
#include <functional>
#include <random>

#include "glide_test_util.h"

namespace {

// A 256x256 RGB565 chain, nine levels, from texel(level, column, row).
std::vector<std::uint16_t> make_chain(const std::function<std::uint16_t(int, int, int)>& texel) {
    std::vector<std::uint16_t> out;
    for (int lod = 0, size = 256; lod <= 8; ++lod, size /= 2) {
        for (int j = 0; j < size; ++j)
            for (int i = 0; i < size; ++i) out.push_back(texel(lod, i, j));
    }
    return out;
}

GrTexInfo square_info(std::vector<std::uint16_t>& texels) {
    return GrTexInfo{GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_RGB_565, texels.data()};
}

class Texturing : public GlideTest {
protected:
    // Downloads the chain at address 0, selects it, and shows texels unchanged and unblended.
    void use_texture(std::vector<std::uint16_t>& texels, GrTextureFilterMode_t filter,
                     GrMipMapMode_t mipmap) {
        info_ = square_info(texels);
        grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info_);
        grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info_);
        grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE,
                     GR_COMBINE_FUNCTION_ZERO, GR_COMBINE_FACTOR_NONE, FXFALSE, FXFALSE);
        grTexFilterMode(GR_TMU0, filter, filter);
        grTexMipMapMode(GR_TMU0, mipmap, FXFALSE);
        grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE,
                       GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
        grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                       GR_COMBINE_OTHER_NONE, FXFALSE);
        grDitherMode(GR_DITHER_DISABLE);
    }

    // A screen-aligned quad from (x0, y0) to (x1, y1) with s, t (texels) and oow at the corners:
    // left edge (s0, oow0), right edge (s1, oow1), t constant.
    static void quad(float x0, float y0, float x1, float y1, float s0, float s1, float t,
                     float oow0 = 1.0f, float oow1 = 1.0f) {
        auto corner = [&](float x, float y, float s, float oow) {
            GrVertex v = vtx(x, y);
            v.oow = oow;
            v.tmuvtx[0] = {s * oow, t * oow, oow};
            return v;
        };
        const GrVertex a = corner(x0, y0, s0, oow0), b = corner(x1, y0, s1, oow1);
        const GrVertex c = corner(x1, y1, s1, oow1), d = corner(x0, y1, s0, oow0);
        grDrawTriangle(&a, &b, &c);
        grDrawTriangle(&a, &c, &d);
    }

    GrTexInfo info_{};
};

// Column i of a texel, from a texture whose red and blue hold it.
std::uint16_t column_texel(int i, int j) {
    return static_cast<std::uint16_t>(((i >> 3) << 11) | ((j & 63) << 5) | (i & 7));
}
int column_of(std::uint16_t p) { return ((p >> 11) << 3) | (p & 7); }

TEST_F(Texturing, ChainSizeIsTheExactSumOfItsLevels) {
    std::vector<std::uint16_t> texels(87381);
    GrTexInfo info = square_info(texels);
    EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &info), 174762u);
    info.aspectRatio = GR_ASPECT_2x1;
    info.smallLod = GR_LOD_2;  // 256x128 down to 2x1
    EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &info), 87380u);
    EXPECT_EQ(grTexMinAddress(GR_TMU0), 0u);
}

TEST_F(Texturing, PerspectiveCorrectCoordinatesOnASlantedQuad) {
    auto texels = make_chain([](int, int i, int j) { return column_texel(i, j); });
    use_texture(texels, GR_TEXTUREFILTER_POINT_SAMPLED, GR_MIPMAP_DISABLE);
    // s runs 0..256 across 256 pixels while 1/w falls from 1 to 0.25: s bunches up on the right.
    quad(0, 0, 256, 8, 0, 256, 10.5f, 1.0f, 0.25f);
    int checked = 0;
    for (int x = 0; x < 256; ++x) {
        const double xc = x + 0.5;
        const double s = (64.0 * xc / 256.0) / (1.0 - 0.75 * xc / 256.0);
        if (std::fabs(s - std::round(s)) < 1e-3) continue;  // too close to a texel border to tell
        EXPECT_EQ(column_of(glide_read_pixel(x, 4)), static_cast<int>(std::floor(s))) << "x " << x;
        ++checked;
    }
    EXPECT_GT(checked, 250);
    // Linear interpolation of s would put column 128 in the middle; perspective puts it far right.
    EXPECT_LT(column_of(glide_read_pixel(128, 4)), 60);
}

TEST_F(Texturing, BilinearBetweenTexelCentres) {
    auto texels = make_chain([](int, int i, int j) {
        return static_cast<std::uint16_t>(((i & 31) << 11) | ((j & 63) << 5));
    });
    use_texture(texels, GR_TEXTUREFILTER_BILINEAR, GR_MIPMAP_DISABLE);
    // Pixel x sits at s = 0.5 + x/4: every fourth pixel on a texel centre.
    quad(0, 0, 64, 4, 0.375f, 16.375f, 100.5f);
    for (int x = 0; x < 64; ++x) {
        // Weights in steps of 1/128 of a texel; t lies on a row's centre, so one row counts.
        const float u = 0.5f + x / 4.0f - 0.5f;
        const int i0 = static_cast<int>(std::floor(u));
        const int f = static_cast<int>((u - std::floor(u)) * 128.0f);
        const int a = glide_math::widen5(i0 & 31), b = glide_math::widen5((i0 + 1) & 31);
        const int expected = (a * (128 - f) + b * f) >> 7;
        EXPECT_EQ(glide_read_pixel(x, 2) >> 11, expected >> 3) << "x " << x;
        if (x % 4 == 0) {
            EXPECT_EQ(glide_read_pixel(x, 2) >> 11, (x / 4) & 31);
        }
    }
    // Row 100 exactly: the green (row) channel comes from that one row.
    EXPECT_EQ((glide_read_pixel(10, 2) >> 5) & 63, 100 & 63);
}

TEST_F(Texturing, ClampsAtTheEdges) {
    auto texels = make_chain([](int, int i, int j) { return column_texel(i, j); });
    use_texture(texels, GR_TEXTUREFILTER_BILINEAR, GR_MIPMAP_DISABLE);
    quad(0, 0, 32, 4, -40.0f, -8.0f, 256.0f);  // left of column 0, below the last row
    EXPECT_EQ(column_of(glide_read_pixel(5, 1)), 0);
    EXPECT_EQ((glide_read_pixel(5, 1) >> 5) & 63, 255 & 63);
    quad(40, 0, 72, 4, 300.0f, 900.0f, 0.0f);
    EXPECT_EQ(column_of(glide_read_pixel(50, 1)), 255);
    EXPECT_EQ((glide_read_pixel(50, 1) >> 5) & 63, 0);
}

TEST_F(Texturing, NearestMipmapLevelFollowsTheFootprint) {
    auto texels =
        make_chain([](int lod, int, int) { return static_cast<std::uint16_t>((lod * 3) << 11); });
    use_texture(texels, GR_TEXTUREFILTER_BILINEAR, GR_MIPMAP_NEAREST);
    const struct {
        float texels_per_pixel;
        int level;
    } cases[] = {{0.5f, 0}, {1.5f, 0}, {2.5f, 1}, {3.9f, 1}, {5.0f, 2}, {20.0f, 4}, {300.0f, 8}};
    int row = 0;
    for (const auto& c : cases) {
        quad(0, row, 16, row + 4, 0, 16 * c.texels_per_pixel, 8.0f);
        EXPECT_EQ(glide_read_pixel(8, row + 2) >> 11, c.level * 3) << c.texels_per_pixel;
        row += 8;
    }
}

TEST_F(Texturing, CombineModesOfTheSaver) {
    grDitherMode(GR_DITHER_DISABLE);
    // Plain mode: the constant colour (white by default) at the vertex alpha, over black.
    plain_mode();
    const GrVertex a = vtx(0, 0, 150), b = vtx(20, 0, 150), c = vtx(0, 20, 150);
    grDrawTriangle(&a, &b, &c);
    EXPECT_EQ(pixel(2, 2).r >> 3, 150 >> 3);

    // Star mode: the vertex colour times the white constant comes out unchanged.
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                   GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_CONSTANT, FXFALSE);
    for (int v = 0; v < 256; v += 5) {
        EXPECT_EQ(glide_math::combine(glide_device().color_combine, v, 255, 255, 255, 0), v);
    }
    const GrVertex d = vtx(30, 0, 255, 200, 100, 48), e = vtx(50, 0, 255, 200, 100, 48),
                   f = vtx(30, 20, 255, 200, 100, 48);
    grDrawTriangle(&d, &e, &f);
    EXPECT_EQ(glide_read_pixel(32, 2), ((200 >> 3) << 11) | ((100 >> 2) << 5) | (48 >> 3));

    // Texture and tunnel modes: the texel exactly, also through a white constant.
    auto texels = make_chain([](int, int i, int j) { return column_texel(i, j); });
    use_texture(texels, GR_TEXTUREFILTER_POINT_SAMPLED, GR_MIPMAP_DISABLE);
    quad(60, 0, 316, 4, 0, 256, 3.5f);
    EXPECT_EQ(glide_read_pixel(60 + 77, 1), column_texel(77, 3));
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                   GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    quad(60, 10, 316, 14, 0, 256, 3.5f);
    EXPECT_EQ(glide_read_pixel(60 + 77, 11), column_texel(77, 3));
    // With a darker constant the tunnel mode scales the texel: (t * (k + 1)) >> 8.
    grConstantColorValue(0xFF808080);
    quad(60, 20, 316, 24, 0, 256, 3.5f);
    const int red = glide_math::widen5(column_texel(248, 3) >> 11);
    EXPECT_EQ(glide_read_pixel(60 + 248, 21) >> 11, ((red * 129) >> 8) >> 3);
}

TEST_F(Texturing, BlendEndsAndIteratedAlphaSaturation) {
    grDitherMode(GR_DITHER_DISABLE);
    plain_mode();
    grBufferClear(0x00204080, 0, 0);
    const std::uint16_t background = glide_read_pixel(5, 5);
    // Alpha 0 keeps the destination; alpha 255 replaces it.
    GrVertex a = vtx(0, 0, 0), b = vtx(20, 0, 0), c = vtx(0, 20, 0);
    grDrawTriangle(&a, &b, &c);
    EXPECT_EQ(glide_read_pixel(2, 2), background);
    // Iterated alpha saturates: 300 acts as 255 (a wrapping board would show 44), -30 as 0.
    a.a = b.a = c.a = 300;
    grDrawTriangle(&a, &b, &c);
    EXPECT_EQ(glide_read_pixel(2, 2), 0xFFFF);
    grBufferClear(0, 0, 0);
    a.a = b.a = c.a = -30;
    grDrawTriangle(&a, &b, &c);
    EXPECT_EQ(glide_read_pixel(2, 2), 0);
    // A ramp from 0 to 510 across the triangle: above 255 everything is white.
    a.a = 0, b.a = 510, c.a = 0;
    grDrawTriangle(&a, &b, &c);
    EXPECT_EQ(glide_read_pixel(15, 0), 0xFFFF);
    EXPECT_LT(glide_read_pixel(3, 0) >> 11, 31);
}

// Draws the same triangles with the one-pixel reference and with each vector routine this
// processor has, and returns how many pixels differ from the reference (at most one routine's
// worth: every routine must match it bit for bit). The frame is cleared to `clear` first.
int pixels_differing_from_reference(const std::function<void()>& draw,
                                    GrColor_t clear = 0x00302010) {
    auto frame = [&] {
        grBufferClear(clear, 0, 0);
        draw();
        std::vector<std::uint16_t> out;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) out.push_back(glide_read_pixel(x, y));
        return out;
    };
    glide_force_generic_spans(true);
    const auto reference = frame();
    glide_force_generic_spans(false);
    int worst = 0;
    for (SpanIsa isa : {SpanIsa::kBest, SpanIsa::kAvx2}) {
        if (!vector_spans_select(isa)) continue;
        const auto fast = frame();
        int differing = 0;
        for (std::size_t i = 0; i < fast.size(); ++i) differing += fast[i] != reference[i];
        worst = std::max(worst, differing);
    }
    vector_spans_select(SpanIsa::kBest);
    return worst;
}

// Random triangles, some of them partly behind the eye, many crossing the screen's edges.
std::vector<std::array<GrVertex, 3>> random_triangles(std::mt19937& rng, int n) {
    auto vtx = [](float x, float y, float a, float r, float g, float b) {
        GrVertex v{};
        v.x = x;
        v.y = y;
        v.a = a;
        v.r = r;
        v.g = g;
        v.b = b;
        return v;
    };
    std::uniform_real_distribution<float> pos(-50, 700), oow(0.002f, 2.0f), st(-400, 700),
        alpha(-40, 320), colour(-20, 280);
    std::vector<std::array<GrVertex, 3>> triangles;
    for (int k = 0; k < n; ++k) {
        std::array<GrVertex, 3> t;
        for (GrVertex& v : t) {
            v = vtx(pos(rng), pos(rng) * 0.7f, alpha(rng), colour(rng), colour(rng), colour(rng));
            v.oow = k % 10 == 0 ? -oow(rng) : oow(rng);
            v.tmuvtx[0] = {st(rng) * v.oow, st(rng) * v.oow, v.oow};
        }
        triangles.push_back(t);
    }
    return triangles;
}

TEST_F(Texturing, FastSpansMatchTheReference) {
    std::mt19937 rng(3);
    auto texels = make_chain([&](int, int, int) { return static_cast<std::uint16_t>(rng()); });
    use_texture(texels, GR_TEXTUREFILTER_BILINEAR, GR_MIPMAP_NEAREST);
    grDitherMode(GR_DITHER_4x4);
    grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ZERO,
                         GR_BLEND_ZERO);
    const auto triangles = random_triangles(rng, 300);
    auto draw_all = [&] {
        for (const auto& t : triangles) guDrawTriangleWithClip(&t[0], &t[1], &t[2]);
    };
    EXPECT_EQ(pixels_differing_from_reference(draw_all), 0);
    // Over black, where the routines skip the destination's share.
    EXPECT_EQ(pixels_differing_from_reference(draw_all, 0), 0);
    EXPECT_EQ(current_pipeline().kind, SpanKind::kTextureBlend);

    // A chain twice as wide as tall and one eight times as tall as wide, with and without
    // mipmapping.
    for (const auto& [aspect, shift] : {std::pair{GR_ASPECT_2x1, 1}, std::pair{GR_ASPECT_1x8, 3}}) {
        std::vector<std::uint16_t> chain;
        for (int size = 256; size >= 1; size /= 2) {
            for (int j = 0; j < std::max(1, size >> shift) * size; ++j) {
                chain.push_back(static_cast<std::uint16_t>(rng()));
            }
        }
        GrTexInfo info{GR_LOD_1, GR_LOD_256, aspect, GR_TEXFMT_RGB_565, chain.data()};
        grTexDownloadMipMap(GR_TMU0, 262144, GR_MIPMAPLEVELMASK_BOTH, &info);
        grTexSource(GR_TMU0, 262144, GR_MIPMAPLEVELMASK_BOTH, &info);
        for (GrMipMapMode_t mode : {GR_MIPMAP_NEAREST, GR_MIPMAP_DISABLE}) {
            grTexMipMapMode(GR_TMU0, mode, FXFALSE);
            EXPECT_EQ(pixels_differing_from_reference([&] {
                          for (int k = 0; k < 60; ++k) {
                              const auto& t = triangles[static_cast<std::size_t>(k)];
                              guDrawTriangleWithClip(&t[0], &t[1], &t[2]);
                          }
                      }),
                      0)
                << aspect << " " << mode;
        }
    }
}

// The star and plain modes have their own routine for spans and points.
TEST_F(Texturing, ColourSpansAndPointsMatchTheReference) {
    std::mt19937 rng(5);
    grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ZERO,
                         GR_BLEND_ZERO);
    grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    const auto triangles = random_triangles(rng, 100);
    auto draw = [&] {
        for (const auto& t : triangles) {
            guDrawTriangleWithClip(&t[0], &t[1], &t[2]);
            grAADrawPoint(&t[0]);
            grDrawPoint(&t[1]);
        }
    };
    // Dithered spans have a vector routine, undithered ones keep the one-pixel loop.
    for (GrDitherMode_t dither : {GR_DITHER_4x4, GR_DITHER_DISABLE}) {
        grDitherMode(dither);
        for (GrColor_t constant : {0xFFFFFFFFu, 0xFF3080C0u}) {
            grConstantColorValue(constant);
            grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                           GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_CONSTANT, FXFALSE);
            EXPECT_EQ(current_pipeline().kind, SpanKind::kColorBlend);
            EXPECT_EQ(pixels_differing_from_reference(draw), 0)
                << "star mode " << constant << " dither " << dither;
            plain_mode();
            EXPECT_EQ(current_pipeline().kind, SpanKind::kColorBlend);
            EXPECT_EQ(pixels_differing_from_reference(draw), 0)
                << "plain mode " << constant << " dither " << dither;
        }
    }
}

}  // namespace
