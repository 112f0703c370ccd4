// Fill rate and per-primitive cost of the software Glide device, on the saver's kinds of work.
// LUMIVEX_BENCH_PNG=DIR also saves one frame of each scene there, for looking at.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/glide/glide.h"
#include "platform/glide/glide_pipeline.h"
#include "platform/glide/glide_present.h"
#include "render/render_state.h"
#include "render/texture_file.h"

namespace {

constexpr float kW = 1024.0f, kH = 768.0f;
constexpr float kPi = 3.14159265f;

// A 1024x768 device with the Blue/red background (at 0) and the white star image (after it)
// downloaded, in the saver's fixed state.
void open_device() {
    grGlideShutdown();
    grGlideInit();
    grSstWinOpen(0, GR_RESOLUTION_1024x768, GR_REFRESH_60Hz, GR_COLORFORMAT_ABGR,
                 GR_ORIGIN_LOWER_LEFT, 2, 1);
    grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE,
                 GR_COMBINE_FUNCTION_ZERO, GR_COMBINE_FACTOR_NONE, FXFALSE, FXFALSE);
    FxU32 address = 0;
    for (int id : {153, 1134}) {
        TextureFileInfo file;
        load_3df_resource(id, &file);
        GrTexInfo info{file.small_lod, file.large_lod, file.aspect_ratio, file.format,
                       file.data.data()};
        grTexDownloadMipMap(GR_TMU0, address, GR_MIPMAPLEVELMASK_BOTH, &info);
        address += grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &info);
    }
    grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR);
    grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST, FXFALSE);
    grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ZERO,
                         GR_BLEND_ZERO);
}

GrTexInfo chain_info() {
    return GrTexInfo{GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_RGB_565, nullptr};
}

void select_texture(FxU32 address) {
    GrTexInfo info = chain_info();
    grTexSource(GR_TMU0, address, GR_MIPMAPLEVELMASK_BOTH, &info);
    // Texture times the white constant, as the tunnel draws.
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                   GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
}

GrVertex vertex(float x, float y, float a, float s, float t, float oow) {
    GrVertex v{};
    v.x = x;
    v.y = y;
    v.r = v.g = v.b = 255.0f;
    v.a = a;
    v.oow = oow;
    v.tmuvtx[0] = {s * oow, t * oow, oow};
    v.tmuvtx[1] = v.tmuvtx[0];
    return v;
}

void save(const char* name) {
    const char* dir = std::getenv("LUMIVEX_BENCH_PNG");
    if (!dir) return;
    grBufferSwap(1);
    if (const GlideFrame* f = glide_last_frame())
        glide_write_png(*f, std::string(dir) + "/" + name);
}

// Two screen-filling triangles, perspective-correct (1/w from 1 down to 0.3 across the screen),
// bilinear, mipmapped, alpha-blended: the fill the tunnel is made of. Argument 1 uses the AVX2
// routine even where AVX-512 is there.
void BM_FullScreenPerspectiveFill(benchmark::State& state) {
    if (state.range(0) == 1 && !vector_spans_select(SpanIsa::kAvx2)) {
        state.SkipWithError("no AVX2");
        return;
    }
    open_device();
    select_texture(0);
    const GrVertex a = vertex(0, 0, 200, 0, 256, 1.0f), b = vertex(kW, 0, 200, 256, 256, 0.3f);
    const GrVertex c = vertex(kW, kH, 200, 256, 0, 0.3f), d = vertex(0, kH, 200, 0, 0, 1.0f);
    // The texture cache is filled on first use, not per frame.
    grDrawTriangle(&a, &c, &b);
    for (auto _ : state) {
        grDrawTriangle(&a, &c, &b);
        grDrawTriangle(&a, &d, &c);
    }
    state.counters["pixels/s"] = benchmark::Counter(
        kW * kH * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    save("fill.png");
    grGlideShutdown();
    vector_spans_select(SpanIsa::kBest);
}
BENCHMARK(BM_FullScreenPerspectiveFill)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A tunnel of 130 octagonal rings, projected and drawn the way the saver draws one: 2,080 bands
// through the clipper, with the closing band culled.
struct Tunnel {
    std::vector<GrVertex> rings;  // 130 x 9, projected
    void build(float travel) {
        rings.assign(130 * 9, GrVertex{});
        const float k = 600.0f / 7.0f;
        const float templ[9][2] = {{-200, -k}, {-k, -200}, {k, -200}, {200, -k}, {200, k},
                                   {k, 200},   {-k, 200},  {-200, k}, {-200, -k}};
        const float ox = 140 * std::cos(travel * 0.0020362176f);
        const float oy = 85 * std::sin(travel * 0.0020362176f);
        for (int i = 0; i < 130; ++i) {
            const float phase = 20.0f * i * kPi / 180.0f;
            for (int j = 0; j < 9; ++j) {
                const float x = templ[j][0] + 140 * std::cos(phase) - ox;
                const float y = templ[j][1] + 85 * std::sin(phase) - oy;
                const float z = i * 1200.0f / 7.0f - travel;
                const float w = 1.0f / (z + 300.0f);
                GrVertex& v = rings[i * 9 + j];
                v.oow = w;
                v.x = std::trunc((w * x * 600 + kW / 2) * 16) * 0.0625f;
                v.y = std::trunc((w * y * 600 + kH / 2) * 16) * 0.0625f;
                v.a = w * 30000 + 100;
            }
        }
    }
    void draw(int scroll) {
        grCullMode(GR_CULL_POSITIVE);
        for (int k = 0; k < 130; ++k) {
            const int far = k == 129 ? 0 : k + 1;
            int sa = 255 * ((scroll + k) % 130) / 130, sb = 255 * ((scroll + k + 1) % 130) / 130;
            if (sb < sa) sa = 0, sb = 1;
            for (int j = 0; j < 8; ++j) {
                auto at = [&](int ring, int vj, int s, int t) {
                    GrVertex v = rings[ring * 9 + vj];
                    v.tmuvtx[0] = {s * v.oow, t * v.oow, v.oow};
                    return v;
                };
                const GrVertex n0 = at(k, j, sa, 32 * j), n1 = at(k, j + 1, sa, 32 * j + 32);
                const GrVertex f0 = at(far, j, sb, 32 * j), f1 = at(far, j + 1, sb, 32 * j + 32);
                guDrawTriangleWithClip(&n0, &f1, &n1);
                guDrawTriangleWithClip(&n0, &f0, &f1);
            }
        }
        grCullMode(GR_CULL_DISABLE);
    }
};

void BM_TunnelFrame(benchmark::State& state) {
    open_device();
    select_texture(0);
    Tunnel tunnel;
    tunnel.build(60.0f);
    int scroll = 0;
    for (auto _ : state) {
        grBufferClear(0, 0, 0);
        tunnel.draw(scroll);
        scroll = (scroll + 1) & 255;
    }
    save("tunnel.png");
    grGlideShutdown();
}
BENCHMARK(BM_TunnelFrame)->Unit(benchmark::kMillisecond);

// 400 antialiased points: each touches at most four pixels.
void BM_AntialiasedPoints(benchmark::State& state) {
    open_device();
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                   GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_CONSTANT, FXFALSE);
    std::vector<GrVertex> points;
    for (int i = 0; i < 400; ++i) {
        points.push_back(
            vertex(std::fmod(i * 97.31f, kW), std::fmod(i * 53.77f, kH), 255, 0, 0, 1));
    }
    for (auto _ : state) {
        for (const GrVertex& p : points) grAADrawPoint(&p);
    }
    state.counters["points/s"] = benchmark::Counter(400.0 * static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate);
    grGlideShutdown();
}
BENCHMARK(BM_AntialiasedPoints)->Unit(benchmark::kMicrosecond);

// One big star: a 40-triangle textured disc with antialiased rim edges, radius from the range.
void BM_BigStarDisc(benchmark::State& state) {
    open_device();
    select_texture(174762);
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE,
                   GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    const float radius = static_cast<float>(state.range(0));
    std::vector<GrVertex> v;
    for (int i = 0; i < 40; ++i) {
        const float a = i * 2 * kPi / 40;
        const float ux = std::cos(a), uy = std::sin(a);
        v.push_back(vertex(500.3f + radius * ux, 300.7f + radius * uy, 0,
                           std::trunc(ux * 128) + 128, std::trunc(uy * 128) + 128, 1));
    }
    v.push_back(vertex(500.3f, 300.7f, 255, 128, 128, 1));
    for (auto _ : state) {
        for (int k = 0; k < 40; ++k) {
            grAADrawTriangle(&v[40], &v[(k + 1) % 40], &v[k], FXFALSE, FXTRUE, FXFALSE);
        }
    }
    save(("star" + std::to_string(state.range(0)) + ".png").c_str());
    grGlideShutdown();
}
BENCHMARK(BM_BigStarDisc)->Arg(6)->Arg(60)->Arg(120)->Unit(benchmark::kMicrosecond);

// 30 glow stars: 16-triangle fans of radius 3 to 6, vertex colours, no texture.
void BM_GlowStars(benchmark::State& state) {
    open_device();
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                   GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_CONSTANT, FXFALSE);
    std::vector<GrVertex> fans;
    for (int s = 0; s < 30; ++s) {
        const float cx = std::fmod(s * 131.7f, kW), cy = std::fmod(s * 71.3f, kH);
        const float r = 3.0f + s % 4;
        fans.push_back(vertex(cx, cy, 200, 0, 0, 1));
        for (int j = 0; j < 17; ++j) {
            const float a = j * 2 * kPi / 16;
            fans.push_back(vertex(cx + r * std::cos(a), cy + r * std::sin(a), 0, 0, 0, 1));
        }
    }
    for (auto _ : state) {
        for (int s = 0; s < 30; ++s) {
            const GrVertex* f = &fans[s * 18];
            for (int j = 1; j <= 16; ++j) grDrawTriangle(&f[0], &f[j + 1], &f[j]);
        }
    }
    grGlideShutdown();
}
BENCHMARK(BM_GlowStars)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
