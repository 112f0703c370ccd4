// Time of one render_frame of the star field, per resolution, for the default settings and the
// heaviest ones. The frame is presented to a presenter that does nothing, so only the drawing
// is timed. LUMIVEX_BENCH_PNG=DIR saves the last frame of each case there.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../common/bench_scene.h"
#include "platform/glide/frame_pacing.h"
#include "platform/glide/glide.h"
#include "platform/glide/glide_present.h"
#include "platform/win/win_scripted.h"
#include "render/render_device.h"
#include "render/render_frame.h"
#include "render/render_state.h"

namespace {

class DiscardingPresenter final : public GlidePresenter {
public:
    bool open(int, int) override { return true; }
    void present(const GlideFrameView&, int) override {}
    void close() override {}
};

struct Settings {
    const char* name;
    int large_stars;
    int small_stars;
};
constexpr Settings kDefault{"default", 4, 300};
constexpr Settings kHeaviest{"heaviest", 8, 400};

void open_scene(int resolution, const Settings& s, ScriptedWin& win) {
    glide_set_presenter(std::make_unique<DiscardingPresenter>());
    open_bench_scene(resolution, s.large_stars, s.small_stars, win);
}

void save_last(const std::string& name) {
    const char* dir = std::getenv("LUMIVEX_BENCH_PNG");
    if (!dir) return;
    glide_set_presenter(nullptr);
    // The offscreen presenter is installed by a fresh open; draw one frame into it.
    RenderState& st = render_state();
    grGlideShutdown();
    const std::int32_t travel = st.tunnel.travel;
    open_render_device();
    st.tunnel.travel = travel;
    for (int i = 0; i < 200; ++i) render_frame();
    if (const GlideFrame* f = glide_last_frame()) {
        glide_write_png(*f, std::string(dir) + "/" + name + ".png");
    }
}

void BM_RenderFrame(benchmark::State& state, const Settings& s) {
    ScriptedWin win;
    const int resolution = static_cast<int>(state.range(0));
    open_scene(resolution, s, win);
    for (auto _ : state) render_frame();
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    save_last(std::string(s.name) + "-" + std::to_string(resolution));
    grGlideShutdown();
    glide_set_presenter(nullptr);
}

// Frames as BM_RenderFrame draws them, with `between()` run between two frames outside the
// timing.
template <typename Between>
void time_frames_between(benchmark::State& state, const Settings& s, Between between) {
    ScriptedWin win;
    open_scene(static_cast<int>(state.range(0)), s, win);
    for (auto _ : state) {
        render_frame();
        state.PauseTiming();
        between();
        state.ResumeTiming();
    }
    grGlideShutdown();
    glide_set_presenter(nullptr);
}

// The caches as the running saver finds them each frame: between two frames the presenter and
// the X server stream several times the caches' size through them, so the texture and the
// frame buffers are read afresh. A buffer larger than the caches is written between frames.
void BM_RenderFrameCold(benchmark::State& state, const Settings& s) {
    std::vector<std::uint64_t> other(std::size_t{64} << 20 >> 3);
    std::uint64_t stamp = 0;
    time_frames_between(state, s, [&] {
        ++stamp;
        for (auto& v : other) v = stamp;
        benchmark::DoNotOptimize(other.data());
    });
}

// Frames 60 a second as the saver draws them: the processor idles between two frames, and on a
// shared or power-saving machine the frames cost more for it (lower clocks, caches and
// predictors used by others meanwhile). Second argument: frames drawn one after another at each
// wake-up, the sleeps as long as that many frames: what several a wake-up save a frame against
// one is what warming up after each sleep costs; what they still cost above back to back frames
// is the processor being slower while it mostly idles.
void BM_RenderFramePaced(benchmark::State& state, const Settings& s) {
    const auto per_wake = static_cast<int>(state.range(1));
    std::chrono::steady_clock::time_point due{};  // from the end of the first timed frame
    int drawn = 0;
    time_frames_between(state, s, [&] {
        if (due == std::chrono::steady_clock::time_point{}) due = std::chrono::steady_clock::now();
        if (++drawn % per_wake != 0) return;
        due += kFramePeriod * per_wake;
        std::this_thread::sleep_until(due);
    });
}

// Argument: the resolution setting (0 = 640x480, 1 = 800x600, 2 = 1024x768).
BENCHMARK_CAPTURE(BM_RenderFrame, default, kDefault)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RenderFrame, heaviest, kHeaviest)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RenderFrameCold, default, kDefault)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RenderFrameCold, heaviest, kHeaviest)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RenderFramePaced, default, kDefault)
    ->Args({0, 1})
    ->Args({0, 4})
    ->Iterations(300)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RenderFramePaced, heaviest, kHeaviest)
    ->Args({2, 1})
    ->Args({2, 4})
    ->Iterations(300)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
