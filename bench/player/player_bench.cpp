// The delay from a stop request to the decoding thread's end, with the thread waiting for the
// device (as it does most of the time while music plays) and with it decoding flat out.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/win/win_scripted.h"
#include "platform/winmm/wave_capture.h"
#include "player/player_controller.h"
#include "player/player_lock.h"
#include "player/player_state.h"
#include "playlist/global_lists.h"

namespace {

const std::string kStream = std::string(LUMIVEX_SHARED_DIR) + "/bench/music_180s_l3_44k_js128.mp3";

// Starts the stream, lets it run `warm_up`, then times stop_playback: the stop request, the
// thread's end (its join), the dropped output and the released stream.
void time_stops(benchmark::State& state, bool device_plays) {
    if (!std::filesystem::exists(kStream)) {
        state.SkipWithError(("benchmark stream not found: " + kStream).c_str());
        return;
    }
    ScriptedWin win;
    for (auto _ : state) {
        CaptureWave wave;  // afresh: a device of unlimited speed records a lot
        wave.set_instant(device_plays);
        start_music(kStream);
        // Waiting: two buffers queued and the third handed over, nothing finishing.
        // Playing at unlimited speed: the thread decodes without pause.
        std::this_thread::sleep_for(std::chrono::milliseconds(device_plays ? 20 : 200));
        const auto start = std::chrono::steady_clock::now();
        stop_playback();
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        reset_player();
    }
    reset_player_state();
    reset_global_lists();
}

void BM_StopWhileWaitingForTheDevice(benchmark::State& state) { time_stops(state, false); }
void BM_StopWhileDecoding(benchmark::State& state) { time_stops(state, true); }

BENCHMARK(BM_StopWhileWaitingForTheDevice)
    ->UseManualTime()
    ->Iterations(30)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StopWhileDecoding)->UseManualTime()->Iterations(30)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
