// Feeds arbitrary bytes, as a file, through the decoder's frame loop into a counting output.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/common/fuzz_support.h"
#include "mpeg/mpeg_decoder.h"

namespace {

// Counts what arrives and checks the promises of the decoder: channels 0 or 1 only, and never
// more samples in a frame than the longest frame (1152 per channel) has.
class CountingOutput final : public PcmOutput {
public:
    explicit CountingOutput(int channels) : channels_(channels) {}
    void put_sample(int channel, int value) override {
        if (channel < 0 || channel >= channels_ || value < -32768 || value > 32767) std::abort();
        if (++in_frame_[channel] > 1152) std::abort();
    }
    void frame_done(int) override { in_frame_[0] = in_frame_[1] = 0; }
    void set_stopped() override {}

private:
    int channels_;
    long in_frame_[2] = {0, 0};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QuietWin win;
    static const std::string path = fuzz_scratch_path("stream.bin");
    install_win_backend(&win);
    if (!write_scratch_file(path, data, size)) return 0;
    decode_file(path.c_str(), [](int channels, const FrameHeader&) {
        return std::make_unique<CountingOutput>(channels);
    });
    return 0;
}
