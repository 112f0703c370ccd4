// Decoding speed of whole files, through the same frame loop as the player, into nothing.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "mpeg/mpeg_decoder.h"

namespace {

// Takes the samples and drops them; the sum keeps the work from being optimised away.
class DiscardOutput final : public PcmOutput {
public:
    void put_sample(int, int value) override { sum_ += value; }
    void put_samples(int, const std::int16_t* values, int count) override {
        sum_ += values[0] + values[count - 1];
    }
    void frame_done(int) override { ++frames_; }
    void set_stopped() override {}
    ~DiscardOutput() override { benchmark::DoNotOptimize(sum_); }

private:
    long sum_ = 0;
    long frames_ = 0;
};

// The same, through the one-sample-at-a-time path every output has.
class DiscardEachSample final : public PcmOutput {
public:
    void put_sample(int, int value) override { sum_ += value; }
    void frame_done(int) override {}
    void set_stopped() override {}
    ~DiscardEachSample() override { benchmark::DoNotOptimize(sum_); }

private:
    long sum_ = 0;
};

template <class Output>
void decode(benchmark::State& state, const char* name) {
    std::string path = std::string(LUMIVEX_SHARED_DIR) + "/bench/" + name;
    if (!std::filesystem::exists(path)) {
        state.SkipWithError(("benchmark stream not found: " + path).c_str());
        return;
    }
    for (auto _ : state) {
        bool ok = decode_file(path.c_str(), [](int, const FrameHeader&) {
            return std::unique_ptr<PcmOutput>(new Output);
        });
        if (!ok) state.SkipWithError("the stream did not decode");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(path)));
}

void BM_Layer3_44k_js128(benchmark::State& state) {
    decode<DiscardOutput>(state, "music_180s_l3_44k_js128.mp3");
}
void BM_Layer2_44k_st192(benchmark::State& state) {
    decode<DiscardOutput>(state, "music_180s_l2_44k_st192.mp2");
}
void BM_Layer3_44k_js128_EachSample(benchmark::State& state) {
    decode<DiscardEachSample>(state, "music_180s_l3_44k_js128.mp3");
}
void BM_Layer2_44k_st192_EachSample(benchmark::State& state) {
    decode<DiscardEachSample>(state, "music_180s_l2_44k_st192.mp2");
}

}  // namespace

BENCHMARK(BM_Layer3_44k_js128)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Layer2_44k_st192)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Layer3_44k_js128_EachSample)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Layer2_44k_st192_EachSample)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
