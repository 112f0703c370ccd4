// One open wave-out device: its queue of buffers, their flags, and the thread that delivers
// the completion notices.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/winmm/wave_out_backend.h"

class WaveDevice final : public WaveSource, public std::enable_shared_from_this<WaveDevice> {
public:
    WaveDevice(HWAVEOUT handle, const WAVEFORMATEX& format, LPWAVECALLBACK callback,
               DWORD_PTR instance);
    // Ends the playing and the notice thread if close() never ran (a device left open when
    // the process tidies up).
    ~WaveDevice();
    WaveDevice(const WaveDevice&) = delete;
    WaveDevice& operator=(const WaveDevice&) = delete;

    // Opens the backend's stream, starts the notice thread and delivers WOM_OPEN.
    MMRESULT start(WaveBackend& backend);

    MMRESULT prepare(WAVEHDR* hdr);
    MMRESULT unprepare(WAVEHDR* hdr);
    MMRESULT write(WAVEHDR* hdr);
    MMRESULT reset();
    MMRESULT close();
    MMRESULT position(MMTIME* time);

    // WaveSource.
    std::size_t pull(std::span<std::uint8_t> out) override;
    void wait_notices() override;
    std::size_t queued_buffers() override;
    std::size_t head_bytes_left() override;

private:
    struct Queued {
        WAVEHDR* hdr;
        DWORD offset;  // bytes of it already played
    };
    struct Notice {
        UINT msg;
        WAVEHDR* hdr;
    };

    void complete_locked(WAVEHDR* hdr);
    void notice_loop();
    bool on_notice_thread() const;
    void shut_down();

    const HWAVEOUT handle_;
    const WAVEFORMATEX format_;
    const LPWAVECALLBACK callback_;
    const DWORD_PTR instance_;

    mutable std::mutex mutex_;
    std::condition_variable notice_cv_;     // a notice was queued
    std::condition_variable delivered_cv_;  // a notice was delivered
    std::deque<Queued> queue_;
    std::deque<Notice> notices_;
    bool delivering_ = false;
    bool closed_ = false;
    std::uint64_t bytes_played_ = 0;
    std::shared_ptr<WaveStream> stream_;
    std::thread::id notice_thread_id_;  // set by the notice thread itself
    std::thread notice_thread_;
};
