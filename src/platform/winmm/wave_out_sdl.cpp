// The real wave-out backend: an SDL2 audio device per format, fed by SDL's audio callback.
#include <SDL.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/winmm/wave_out_backend.h"

// Locks and threads, and why none of them can deadlock:
//
// SDL calls audio_callback on its own audio thread while it holds the device's SDL lock, and
// SDL_CloseAudioDevice takes that lock before it ends the thread. Three rules keep this safe.
// 1. The callback never calls the player. It only copies bytes out of the queued buffers
//    (WaveSource::pull, under the device's own mutex, which no one holds while calling SDL or
//    the player) and marks finished buffers; their WOM_DONE notices are delivered afterwards by
//    the device's notice thread with no lock held. So waveOutReset or waveOutClose on another
//    thread, which take only the device mutex, never wait for anything the audio thread holds
//    while it waits for them, and the player's callback (waveOutUnprepareHeader,
//    ReleaseSemaphore) never runs under SDL's lock.
// 2. The callback may wait on SdlOutput::cv for more data (rule 3), holding SDL's lock. Every
//    path that calls SDL_CloseAudioDevice first sets `closing` under SdlOutput::mutex and wakes
//    the callback, which then returns at once; and this backend never calls
//    SDL_LockAudioDevice, nor SDL_PauseAudioDevice but once to start a new device, before its
//    callback has ever run. Nothing else in the program may close these devices or quit SDL's
//    audio while one is open.
// 3. While its chunk is still empty the callback waits for the queue rather than return
//    silence, so a recording driver (SDL's `disk` driver) receives the bytes played with
//    nothing between them; on a sound card an empty queue is heard as silence either way. Once
//    it holds part of a chunk, it waits at most kTailWait for more: a writer that queues its
//    buffers one after another comes back far sooner, and a piece that ended inside the chunk
//    (a wave file's last frames) goes out then, the rest of the chunk silent. Everything
//    written is thus heard, at most kTailWait after its buffer completed. (SDL itself writes
//    whole chunks of silence while a new device is still paused and while it closes one, so
//    such a recording begins and ends with some silence.)
//
// SDL's own callback lock is taken before SdlOutput::mutex, and SdlOutput::mutex before the
// wave device's mutex; no thread takes them in the other order.
//
// One device for many opens: when a device is closed its SDL output is parked for a moment
// instead of closed, and a following open with the same format plays on through it. The next
// piece then follows without a gap (continuing the same chunk when it comes within kTailWait),
// and the `disk` driver, which starts its file anew at every SDL open, keeps one file for a
// playlist. A parked output that is not taken up within kParkTime is closed, which also makes
// the disk driver flush its file.

namespace {

constexpr auto kParkTime = std::chrono::milliseconds(500);
constexpr auto kTailWait = std::chrono::milliseconds(100);
constexpr int kChunkFrames = 1024;

struct SdlOutput {
    SDL_AudioDeviceID id = 0;
    WAVEFORMATEX format{};
    Uint8 silence = 0;
    std::mutex mutex;
    std::condition_variable cv;
    WaveSource* source = nullptr;  // null while parked
    bool closing = false;
};

void SDLCALL audio_callback(void* userdata, Uint8* stream, int len) {
    SdlOutput& out = *static_cast<SdlOutput*>(userdata);
    const auto size = static_cast<std::size_t>(len);
    std::size_t filled = 0;
    std::chrono::steady_clock::time_point tail_deadline{};
    bool tail_waited = false;
    std::unique_lock lock(out.mutex);
    while (filled < size && !out.closing) {
        if (out.source) {
            filled += out.source->pull({stream + filled, size - filled});
            if (filled == size) break;
        }
        if (filled == 0) {
            out.cv.wait(lock);
            continue;
        }
        // Part of the chunk is there (rule 3): one last look after the wait, then it goes out.
        if (tail_waited) break;
        if (tail_deadline == std::chrono::steady_clock::time_point{}) {
            tail_deadline = std::chrono::steady_clock::now() + kTailWait;
        }
        tail_waited = out.cv.wait_until(lock, tail_deadline) == std::cv_status::timeout;
    }
    if (filled < size) std::memset(stream + filled, out.silence, size - filled);
}

bool same_format(const WAVEFORMATEX& a, const WAVEFORMATEX& b) {
    return a.nChannels == b.nChannels && a.nSamplesPerSec == b.nSamplesPerSec &&
           a.wBitsPerSample == b.wBitsPerSample;
}

class SdlWaveBackend;

class SdlStream final : public WaveStream {
public:
    SdlStream(SdlWaveBackend& backend, std::unique_ptr<SdlOutput> output)
        : backend_(backend), output_(std::move(output)) {}
    ~SdlStream() override;

    void data_ready() override {
        // Taking the mutex orders this after a callback's check for data, so the wake-up
        // cannot fall between its pull and its wait.
        { std::lock_guard lock(output_->mutex); }
        output_->cv.notify_all();
    }

private:
    SdlWaveBackend& backend_;
    std::unique_ptr<SdlOutput> output_;
};

class SdlWaveBackend final : public WaveBackend {
public:
    SdlWaveBackend() = default;
    ~SdlWaveBackend() override {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        reaper_cv_.notify_all();
        if (reaper_.joinable()) reaper_.join();
        std::lock_guard lock(mutex_);
        close_output(std::move(parked_));
    }

    MMRESULT open_stream(const WAVEFORMATEX& format, const std::shared_ptr<WaveSource>& shared,
                         std::unique_ptr<WaveStream>* stream) override {
        // A raw pointer: the device detaches it (park or close) before the source goes away.
        WaveSource* source = shared.get();
        std::lock_guard lock(mutex_);
        if (parked_ && same_format(parked_->format, format)) {
            attach(*parked_, source);
            *stream = std::make_unique<SdlStream>(*this, std::move(parked_));
            return MMSYSERR_NOERROR;
        }
        close_output(std::move(parked_));
        // Audio is started here, on the first open, apart from the window's video; SDL's
        // subsystem start is not made for two threads at once, and the saver opens its window
        // before any music plays.
        if (!audio_ready_) {
            if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
                std::fprintf(stderr, "lumivex: no audio: %s\n", SDL_GetError());
                return MMSYSERR_NODRIVER;
            }
            audio_ready_ = true;
        }
        auto out = std::make_unique<SdlOutput>();
        out->format = format;
        SDL_AudioSpec want{};
        want.freq = static_cast<int>(format.nSamplesPerSec);
        want.format = format.wBitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
        want.channels = static_cast<Uint8>(format.nChannels);
        want.samples = kChunkFrames;
        want.callback = audio_callback;
        want.userdata = out.get();
        SDL_AudioSpec have{};
        // No changes allowed: SDL converts to what the hardware wants, so the callback always
        // sees the device's own format.
        out->id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (out->id == 0) {
            std::fprintf(stderr, "lumivex: cannot open the audio device: %s\n", SDL_GetError());
            return MMSYSERR_ALLOCATED;
        }
        out->silence = have.silence;
        attach(*out, source);
        SDL_PauseAudioDevice(out->id, 0);
        *stream = std::make_unique<SdlStream>(*this, std::move(out));
        return MMSYSERR_NOERROR;
    }

    void park(std::unique_ptr<SdlOutput> out) {
        {
            // After this the callback never touches the closed device's queue again.
            std::lock_guard out_lock(out->mutex);
            out->source = nullptr;
        }
        std::lock_guard lock(mutex_);
        close_output(std::move(parked_));
        parked_ = std::move(out);
        park_deadline_ = std::chrono::steady_clock::now() + kParkTime;
        if (!reaper_.joinable()) reaper_ = std::thread([this] { reap(); });
        reaper_cv_.notify_all();
    }

private:
    static void attach(SdlOutput& out, WaveSource* source) {
        {
            std::lock_guard lock(out.mutex);
            out.source = source;
        }
        out.cv.notify_all();
    }

    // Called with mutex_ held; the audio thread never takes mutex_.
    static void close_output(std::unique_ptr<SdlOutput> out) {
        if (!out) return;
        {
            std::lock_guard lock(out->mutex);
            out->closing = true;
            out->source = nullptr;
        }
        out->cv.notify_all();
        SDL_CloseAudioDevice(out->id);
    }

    void reap() {
        std::unique_lock lock(mutex_);
        while (!quit_) {
            if (!parked_) {
                reaper_cv_.wait(lock);
            } else if (std::chrono::steady_clock::now() >= park_deadline_) {
                close_output(std::move(parked_));
            } else {
                reaper_cv_.wait_until(lock, park_deadline_);
            }
        }
    }

    std::mutex mutex_;  // SDL's open and close, the parked output, the reaper
    std::condition_variable reaper_cv_;
    std::unique_ptr<SdlOutput> parked_;
    std::chrono::steady_clock::time_point park_deadline_{};
    std::thread reaper_;
    bool quit_ = false;
    bool audio_ready_ = false;
};

SdlStream::~SdlStream() { backend_.park(std::move(output_)); }

}  // namespace

WaveBackend& sdl_wave_backend() {
    static SdlWaveBackend backend;
    return backend;
}
