// Feeds arbitrary bytes, as a file, through the decoder's frame loop into a counting output.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "mpeg/mpeg_decoder.h"
#include "platform/win/win_backend.h"

namespace {

// Message boxes are answered silently; everything else is never used by the decoder.
class QuietWin final : public WinBackend {
public:
    bool create_native_window(HWND, DWORD, DWORD, int, int, int, int, HWND) override {
        return false;
    }
    void destroy_native_window(HWND) override {}
    bool native_window_rect(HWND, RECT*) override { return false; }
    int screen_width() override { return 640; }
    int screen_height() override { return 480; }
    HWND foreground_window() override { return nullptr; }
    void poll_events() override {}
    DWORD tick_count() override { return 0; }
    POINT cursor_pos() override { return POINT{0, 0}; }
    void set_cursor_visible(bool) override {}
    int message_box(HWND, const char*, const char*, UINT) override {
        ++boxes;
        return IDOK;
    }
    [[noreturn]] void exit_process(UINT) override { std::abort(); }
    long boxes = 0;
};

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

std::string input_path() {
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/lumivex-mpeg-fuzz-" + std::to_string(getpid()) + ".bin";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QuietWin win;
    static const std::string path = input_path();
    install_win_backend(&win);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return 0;
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
    decode_file(path.c_str(), [](int channels, const FrameHeader&) {
        return std::make_unique<CountingOutput>(channels);
    });
    return 0;
}
