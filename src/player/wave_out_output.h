// The player's PCM output: 16-bit samples interleaved into buffers of 32 frames, played on the
// wave-out device through the wave mapper, three buffers in rotation.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "mpeg/frame_header.h"
#include "mpeg/pcm_output.h"
#include "platform/winmm/wave_out.h"
#include "player/stop_signal.h"

// The open wave-out device. It lives outside the output so that the player can see which
// device is open; only the output opens and closes it.
HWAVEOUT& wave_out_device();

class WaveOutOutput final : public PcmOutput {
public:
    // Opens the device for the stream whose first frame has this header, with 1 or 2
    // channels. A device that cannot be opened ends the process with exit code -1 after the
    // message "Could not open wave device.", unless the player runs unattended: then the
    // output stays closed (opened() is false). A raised `stop` cuts every wait of the output
    // short and makes it drop the audio still queued, so that a stop never waits for it.
    WaveOutOutput(int channels, const FrameHeader& first, const StopSignal* stop = nullptr);
    // Plays out what is left (or drops it once stopped), then closes the device.
    ~WaveOutOutput() override;
    WaveOutOutput(const WaveOutOutput&) = delete;
    WaveOutOutput& operator=(const WaveOutOutput&) = delete;

    void put_sample(int channel, int value) override;
    void put_samples(int channel, const std::int16_t* values, int count) override;
    void frame_done(int flag) override;
    void set_stopped() override { stopped_ = true; }

    bool opened() const { return opened_; }
    unsigned buffer_size() const { return buffer_size_; }
    const WAVEFORMATEX& format() const { return format_; }

    static constexpr int kFramesPerBuffer = 32;
    static constexpr DWORD kWaitMs = 10000;
    // The size passed with each WAVEHDR to the wave-out calls: 32 bytes, what the header
    // measures with four-byte pointers. The wave-out layer accepts it besides sizeof(WAVEHDR),
    // so the output passes the same size on every build.
    static constexpr unsigned kHeaderSize = kWin32WaveHdrSize;

private:
    struct Slot {
        WAVEHDR header{};  // dwUser: 1 while written and not yet waited for
        std::vector<char> data;
    };

    char* byte_at(std::uint32_t position);
    void hand_over();
    void submit(Slot& slot);
    void rotate();
    void clear_tail(Slot& slot, std::uint32_t from);
    void restart_positions();
    std::uint32_t fill_end() const;
    bool stop_raised() const { return stop_ && stop_->raised(); }

    std::uint32_t write_position_[2] = {0, 2};
    unsigned channels_;
    WAVEFORMATEX format_{};
    // Slots 0 and 1 hold the buffers queued or waiting, slot 2 the one being filled.
    std::array<std::unique_ptr<Slot>, 3> slots_;
    HWAVEOUT* device_;
    int frames_in_buffer_ = 0;
    int primed_ = 0;
    unsigned buffer_size_;
    bool opened_ = false;
    bool stopped_ = false;
    const StopSignal* stop_;
    // Set once a stop was seen: from then on samples go nowhere and nothing more is queued.
    bool dropping_ = false;
    // Samples past the end of the fill buffer, when a later frame carries more samples than the
    // first one did: they begin the next buffer.
    std::vector<char> excess_;
};
