// The wave-out PCM output: filling, priming, the steady rotation and the play-out at the end.
#include "player/wave_out_output.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "player/completion_semaphore.h"
#include "player/player_state.h"

namespace {

HWAVEOUT g_device = nullptr;

// Runs on the device's notice thread: the finished buffer is unprepared here, and the decoding
// thread learns of it through the semaphore, one release per buffer.
void wave_out_done(HWAVEOUT hwo, UINT msg, DWORD_PTR, DWORD_PTR param1, DWORD_PTR) {
    if (msg != WOM_DONE) return;
    waveOutUnprepareHeader(hwo, reinterpret_cast<WAVEHDR*>(param1), WaveOutOutput::kHeaderSize);
    completion_semaphore().release();
}

unsigned samples_per_frame(const FrameHeader& h) {
    if (h.layer == 1) return 384;
    return (h.layer == 3 && h.version == 0) ? 576 : 1152;
}

}  // namespace

HWAVEOUT& wave_out_device() { return g_device; }

WaveOutOutput::WaveOutOutput(int channels, const FrameHeader& first, const StopSignal* stop)
    : channels_(channels == 1 ? 1u : 2u),
      device_(&wave_out_device()),
      buffer_size_(kFramesPerBuffer * samples_per_frame(first) * 2u * channels_),
      stop_(stop) {
    format_.wFormatTag = WAVE_FORMAT_PCM;
    format_.nChannels = static_cast<WORD>(channels_);
    format_.nSamplesPerSec = static_cast<DWORD>(first.frequency_hz());
    format_.nAvgBytesPerSec = format_.nSamplesPerSec * channels_ * 2u;
    format_.nBlockAlign = static_cast<WORD>(channels_ * 2u);
    format_.wBitsPerSample = 16;
    format_.cbSize = 0;
    if (waveOutOpen(device_, WAVE_MAPPER, &format_, reinterpret_cast<DWORD_PTR>(&wave_out_done), 0,
                    CALLBACK_FUNCTION | WAVE_ALLOWSYNC) != MMSYSERR_NOERROR) {
        MessageBoxA(nullptr, "Could not open wave device.", "Audio playback error", MB_ICONERROR);
        // With nobody there to answer, the saver goes on without music rather than ending.
        if (!player_state().unattended) ExitProcess(static_cast<UINT>(-1));
        return;
    }
    opened_ = true;
    for (auto& slot : slots_) {
        slot = std::make_unique<Slot>();
        slot->data.assign(buffer_size_, 0);
        slot->header.lpData = slot->data.data();
        slot->header.dwBufferLength = buffer_size_;
    }
    restart_positions();
    completion_semaphore().create();
}

WaveOutOutput::~WaveOutOutput() {
    if (!opened_) return;
    const HWAVEOUT device = *device_;
    // A raised stop drops the audio like set stopped: the stop must not wait for it.
    const bool drop = stopped_ || dropping_ || stop_raised();
    if (drop) {
        // Every queued buffer comes back at once, each with its notice.
        waveOutReset(device);
    } else {
        if (primed_ == 1) submit(*slots_[0]);
        if (frames_in_buffer_ != 0 || write_position_[0] != 0) {
            // The last buffer is played whole, its tail silent: from the first byte no channel
            // wrote (channel 0's position; channel 1's would leave one old left sample).
            clear_tail(*slots_[2], fill_end());
            submit(*slots_[2]);
            rotate();
        }
        for (int i = 2; i >= 0; --i) {
            if (slots_[i]->header.dwUser != 0) completion_semaphore().wait(kWaitMs, stop_);
        }
    }
    for (auto& slot : slots_) slot->header.dwUser = 0;
    // A stop that arrives while the last buffers play ends them here instead of after them.
    while (waveOutClose(device) == WAVERR_STILLPLAYING) {
        if (stop_raised()) {
            waveOutReset(device);
        } else if (stop_) {
            stop_->sleep_for(256);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(256));
        }
    }
    *device_ = nullptr;
    completion_semaphore().close();
    // The data blocks go with the members, only now that the device can no longer read them.
}

char* WaveOutOutput::byte_at(std::uint32_t position) {
    if (position < buffer_size_) return slots_[2]->data.data() + position;
    // Past the end of the fill buffer: kept for the next one. A frame holds at most 1152
    // samples a channel, so this stays far below a buffer; more is dropped rather than kept.
    const std::size_t index = position - buffer_size_;
    if (index + 2 > buffer_size_) return nullptr;
    if (excess_.size() < index + 2) excess_.resize(index + 2, 0);
    return excess_.data() + index;
}

void WaveOutOutput::put_sample(int channel, int value) {
    if (dropping_ || channel < 0 || static_cast<unsigned>(channel) >= channels_) return;
    std::uint32_t& position = write_position_[channel];
    if (char* p = byte_at(position)) {
        p[0] = static_cast<char>(value & 0xFF);
        p[1] = static_cast<char>((value >> 8) & 0xFF);
    }
    position += 2 * channels_;
}

void WaveOutOutput::put_samples(int channel, const std::int16_t* values, int count) {
    if (dropping_ || channel < 0 || static_cast<unsigned>(channel) >= channels_ || count <= 0) {
        return;
    }
    const std::uint32_t step = 2 * channels_;
    std::uint32_t position = write_position_[channel];
    if (position + (static_cast<std::uint32_t>(count) - 1) * step + 2 > buffer_size_) {
        for (int i = 0; i < count; ++i) put_sample(channel, values[i]);
        return;
    }
    char* p = slots_[2]->data.data() + position;
    for (int i = 0; i < count; ++i, p += step) {
        const auto v = static_cast<std::uint16_t>(values[i]);
        p[0] = static_cast<char>(v & 0xFF);
        p[1] = static_cast<char>(v >> 8);
    }
    write_position_[channel] = position + static_cast<std::uint32_t>(count) * step;
}

void WaveOutOutput::frame_done(int) {
    ++frames_in_buffer_;
    // Every 32 frames; sooner only when later frames, larger than the first, filled the buffer.
    if (frames_in_buffer_ % kFramesPerBuffer != 0 && write_position_[0] < buffer_size_) return;
    frames_in_buffer_ = 0;
    hand_over();
}

void WaveOutOutput::hand_over() {
    if (dropping_ || stop_raised()) {
        // The output is about to be dropped: queue nothing more, wait for nothing.
        dropping_ = true;
        return;
    }
    // Frames smaller than the first leave the buffer short: its tail is silence, not old audio.
    clear_tail(*slots_[2], fill_end());
    if (primed_ == 2) {
        submit(*slots_[2]);
        rotate();
        WAVEHDR& oldest = slots_[2]->header;
        if (oldest.dwUser != 0) {
            // The buffer may still be queued when a stop cuts the wait short: nothing is
            // written into it any more.
            if (completion_semaphore().wait(kWaitMs, stop_) == SemaphoreWait::Stopped) {
                dropping_ = true;
            }
            // This buffer has had its wait: the play-out at the end must not wait for it again.
            oldest.dwUser = 0;
        }
    } else if (++primed_ == 1) {
        rotate();
    } else {
        submit(*slots_[0]);
        rotate();
        submit(*slots_[0]);
    }

    // Samples beyond the old buffer's end begin the new one.
    const std::uint32_t old_positions[2] = {write_position_[0], write_position_[1]};
    restart_positions();
    for (unsigned k = 0; k < channels_; ++k) {
        if (old_positions[k] >= buffer_size_) write_position_[k] = old_positions[k] - buffer_size_;
    }
    if (!excess_.empty()) {
        const std::size_t n = std::min<std::size_t>(excess_.size(), buffer_size_);
        std::memcpy(slots_[2]->data.data(), excess_.data(), n);
        excess_.erase(excess_.begin(), excess_.begin() + static_cast<std::ptrdiff_t>(n));
    }
}

void WaveOutOutput::submit(Slot& slot) {
    waveOutPrepareHeader(*device_, &slot.header, kHeaderSize);
    waveOutWrite(*device_, &slot.header, kHeaderSize);
    slot.header.dwUser = 1;
}

void WaveOutOutput::rotate() {
    std::unique_ptr<Slot> filled = std::move(slots_[2]);
    slots_[2] = std::move(slots_[1]);
    slots_[1] = std::move(slots_[0]);
    slots_[0] = std::move(filled);
}

void WaveOutOutput::clear_tail(Slot& slot, std::uint32_t from) {
    if (from < buffer_size_) std::memset(slot.data.data() + from, 0, buffer_size_ - from);
}

std::uint32_t WaveOutOutput::fill_end() const {
    return channels_ == 1 ? write_position_[0] : std::min(write_position_[0], write_position_[1]);
}

void WaveOutOutput::restart_positions() {
    write_position_[0] = 0;
    write_position_[1] = 2;
}
