// Cost of presenting one star-field frame: the whole scaler (smoothing, gamma, scaling,
// letterbox) into a 1920x1080 XRGB8888 surface, and the smoothing alone, per routine (portable,
// AVX2, AVX-512), against the conversion the GPU path used to do. LUMIVEX_BENCH_PNG=DIR saves
// each scaled picture there, for looking at.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "../common/bench_scene.h"
#include "platform/glide/frame_scaler.h"
#include "platform/glide/glide.h"
#include "platform/glide/glide_present.h"
#include "platform/glide/png_write.h"
#include "platform/win/win_scripted.h"

namespace {

// A frame of the default scene (Blue/red tunnel, 4 big stars, 300 small ones) at a resolution,
// after the trails have grown.
const GlideFrame& scene_frame(int resolution) {
    static GlideFrame frames[3];
    GlideFrame& f = frames[resolution];
    if (!f.pixels.empty()) return f;
    ScriptedWin win;
    glide_set_presenter(nullptr);
    open_bench_scene(resolution, 4, 300, win);
    f = *glide_last_frame();
    grGlideShutdown();
    return f;
}

void save(const std::vector<std::uint32_t>& px, int w, int h, const std::string& name) {
    const char* dir = std::getenv("LUMIVEX_BENCH_PNG");
    if (!dir) return;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * h * 3);
    for (std::size_t i = 0; i < px.size(); ++i) {
        rgb[i * 3] = static_cast<std::uint8_t>(px[i] >> 16);
        rgb[i * 3 + 1] = static_cast<std::uint8_t>(px[i] >> 8);
        rgb[i * 3 + 2] = static_cast<std::uint8_t>(px[i]);
    }
    write_png_rgb(std::string(dir) + "/" + name + ".png", w, h, rgb);
}

const char* isa_name(ScalerIsa isa) {
    switch (isa) {
        case ScalerIsa::kPortable:
            return "portable";
        case ScalerIsa::kAvx2:
            return "avx2";
        case ScalerIsa::kAvx512:
            return "avx512";
        case ScalerIsa::kBest:
            break;
    }
    return "best";
}

// The scaler on the routines of `isa` and the frame of the resolution in range(0); null (and
// the case skipped) where this processor lacks the routines.
const GlideFrame* set_up(benchmark::State& state, ScalerIsa isa, FrameScaler& scaler) {
    if (!scaler.select(isa)) {
        state.SkipWithError("this processor lacks the instruction set");
        return nullptr;
    }
    return &scene_frame(static_cast<int>(state.range(0)));
}

// range(0): the saver's resolution (0 640x480, 1 800x600, 2 1024x768); range(1), range(2):
// the surface's size.
void BM_Present(benchmark::State& state, ScalerIsa isa) {
    FrameScaler scaler;
    const GlideFrame* frame = set_up(state, isa, scaler);
    if (!frame) return;
    const GlideFrame& f = *frame;
    const GlideFrameView view{f.pixels.data(), f.width, f.height, f.width};
    const int w = static_cast<int>(state.range(1)), h = static_cast<int>(state.range(2));
    std::vector<std::uint32_t> surface(static_cast<std::size_t>(w) * h);
    const PixelTarget target{surface.data(), w, h, std::ptrdiff_t{w} * 4};
    for (auto _ : state) {
        scaler.draw(view, target);
        benchmark::DoNotOptimize(surface.data());
    }
    if (const char* dir = std::getenv("LUMIVEX_BENCH_PNG")) {
        glide_write_png(f, std::string(dir) + "/frame-" + std::to_string(f.width) + ".png");
    }
    save(surface, w, h,
         std::string("present-") + isa_name(isa) + "-" + std::to_string(f.width) + "-" +
             std::to_string(w) + "x" + std::to_string(h));
}

void BM_Smooth(benchmark::State& state, ScalerIsa isa) {
    FrameScaler scaler;
    const GlideFrame* frame = set_up(state, isa, scaler);
    if (!frame) return;
    const GlideFrame& f = *frame;
    const GlideFrameView view{f.pixels.data(), f.width, f.height, f.width};
    std::vector<std::uint32_t> out(static_cast<std::size_t>(f.width) * f.height);
    const PixelTarget target{out.data(), f.width, f.height, std::ptrdiff_t{f.width} * 4};
    for (auto _ : state) {
        scaler.smooth(view, target);
        benchmark::DoNotOptimize(out.data());
    }
}

// What the GPU path did on the processor before the smoothing: 24-bit RGB through the gamma
// table, for the renderer to upload (compare with BM_Smooth, which the GPU path does now).
void BM_RgbConversion(benchmark::State& state) {
    const GlideFrame& f = scene_frame(static_cast<int>(state.range(0)));
    const GlideFrameView view{f.pixels.data(), f.width, f.height, f.width};
    for (auto _ : state) benchmark::DoNotOptimize(glide_frame_to_rgb(view));
}

void sizes(benchmark::internal::Benchmark* b) {
    b->Args({0, 1920, 1080})->Args({2, 1920, 1080})->Args({0, 1280, 1024})->Args({0, 2560, 1440});
    b->Args({0, 3840, 2160})->Args({0, 320, 240})->Args({0, 200, 150})->Args({2, 1280, 720});
    b->Unit(benchmark::kMicrosecond);
}

}  // namespace

BENCHMARK_CAPTURE(BM_Present, portable, ScalerIsa::kPortable)->Apply(sizes);
BENCHMARK_CAPTURE(BM_Present, avx2, ScalerIsa::kAvx2)->Apply(sizes);
BENCHMARK_CAPTURE(BM_Present, avx512, ScalerIsa::kAvx512)->Apply(sizes);
BENCHMARK_CAPTURE(BM_Smooth, portable, ScalerIsa::kPortable)
    ->Arg(0)
    ->Arg(2)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Smooth, avx2, ScalerIsa::kAvx2)->Arg(0)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Smooth, avx512, ScalerIsa::kAvx512)
    ->Arg(0)
    ->Arg(2)
    ->Unit(benchmark::kMicrosecond);

BENCHMARK(BM_RgbConversion)->Arg(0)->Arg(2)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
