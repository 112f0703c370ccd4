// One open wave-out device: buffers queue in the order written, complete when their last byte
// is played, and their notices reach the callback on the device's own thread.
#include "platform/winmm/wave_device.h"

#include <algorithm>
#include <cstring>

WaveDevice::WaveDevice(HWAVEOUT handle, const WAVEFORMATEX& format, LPWAVECALLBACK callback,
                       DWORD_PTR instance)
    : handle_(handle), format_(format), callback_(callback), instance_(instance) {}

WaveDevice::~WaveDevice() { shut_down(); }

MMRESULT WaveDevice::start(WaveBackend& backend) {
    std::unique_ptr<WaveStream> stream;
    MMRESULT result = backend.open_stream(format_, shared_from_this(), &stream);
    if (result != MMSYSERR_NOERROR) return result;
    if (!stream) return MMSYSERR_ERROR;
    {
        std::lock_guard lock(mutex_);
        stream_ = std::move(stream);
        notices_.push_back({WOM_OPEN, nullptr});
    }
    notice_thread_ = std::thread([this] { notice_loop(); });
    // As on the system, the callback has heard WOM_OPEN before the open returns.
    wait_notices();
    return MMSYSERR_NOERROR;
}

MMRESULT WaveDevice::prepare(WAVEHDR* hdr) {
    std::lock_guard lock(mutex_);
    if (closed_) return MMSYSERR_INVALHANDLE;
    hdr->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT WaveDevice::unprepare(WAVEHDR* hdr) {
    std::lock_guard lock(mutex_);
    if (closed_) return MMSYSERR_INVALHANDLE;
    if (hdr->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    hdr->dwFlags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT WaveDevice::write(WAVEHDR* hdr) {
    std::shared_ptr<WaveStream> stream;
    {
        std::lock_guard lock(mutex_);
        if (closed_) return MMSYSERR_INVALHANDLE;
        if (!(hdr->dwFlags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
        if (hdr->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
        hdr->dwFlags = (hdr->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
        queue_.push_back({hdr, 0});
        stream = stream_;
    }
    // Outside the lock: a backend may pull at once (the capture device's instant mode).
    if (stream) stream->data_ready();
    return MMSYSERR_NOERROR;
}

MMRESULT WaveDevice::reset() {
    {
        std::lock_guard lock(mutex_);
        if (closed_) return MMSYSERR_INVALHANDLE;
        for (const Queued& q : queue_) complete_locked(q.hdr);
        queue_.clear();
        bytes_played_ = 0;
    }
    notice_cv_.notify_one();
    // The caller may free the returned buffers as soon as we return, so every WOM_DONE that
    // names one of them must have run by then.
    wait_notices();
    return MMSYSERR_NOERROR;
}

MMRESULT WaveDevice::close() {
    // Closing joins the notice thread, which cannot wait for itself.
    if (on_notice_thread()) return MMSYSERR_HANDLEBUSY;
    std::shared_ptr<WaveStream> stream;
    {
        std::lock_guard lock(mutex_);
        if (closed_) return MMSYSERR_INVALHANDLE;
        if (!queue_.empty()) return WAVERR_STILLPLAYING;
        closed_ = true;
        stream = std::move(stream_);
    }
    stream.reset();  // the backend stops pulling
    {
        std::lock_guard lock(mutex_);
        notices_.push_back({WOM_CLOSE, nullptr});
    }
    notice_cv_.notify_one();
    if (notice_thread_.joinable()) notice_thread_.join();
    return MMSYSERR_NOERROR;
}

MMRESULT WaveDevice::position(MMTIME* time) {
    std::lock_guard lock(mutex_);
    if (closed_) return MMSYSERR_INVALHANDLE;
    switch (time->wType) {
        case TIME_MS:
            time->u.ms = static_cast<DWORD>(bytes_played_ * 1000 / format_.nAvgBytesPerSec);
            break;
        case TIME_SAMPLES:
            time->u.sample = static_cast<DWORD>(bytes_played_ / format_.nBlockAlign);
            break;
        default:
            time->wType = TIME_BYTES;
            time->u.cb = static_cast<DWORD>(bytes_played_);
            break;
    }
    return MMSYSERR_NOERROR;
}

std::size_t WaveDevice::pull(std::span<std::uint8_t> out) {
    std::size_t copied = 0;
    bool completed = false;
    {
        std::lock_guard lock(mutex_);
        while (!queue_.empty()) {
            Queued& head = queue_.front();
            const DWORD left = head.hdr->dwBufferLength - head.offset;
            const std::size_t n = std::min<std::size_t>(left, out.size() - copied);
            if (n > 0) {
                std::memcpy(out.data() + copied, head.hdr->lpData + head.offset, n);
                copied += n;
                head.offset += static_cast<DWORD>(n);
            }
            if (head.offset < head.hdr->dwBufferLength) break;
            complete_locked(head.hdr);
            queue_.pop_front();
            completed = true;
        }
        bytes_played_ += copied;
    }
    if (completed) notice_cv_.notify_one();
    return copied;
}

void WaveDevice::wait_notices() {
    if (on_notice_thread()) return;
    std::unique_lock lock(mutex_);
    delivered_cv_.wait(lock, [&] { return notices_.empty() && !delivering_; });
}

std::size_t WaveDevice::queued_buffers() {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

std::size_t WaveDevice::head_bytes_left() {
    std::lock_guard lock(mutex_);
    if (queue_.empty()) return 0;
    return queue_.front().hdr->dwBufferLength - queue_.front().offset;
}

void WaveDevice::complete_locked(WAVEHDR* hdr) {
    hdr->dwFlags = (hdr->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
    notices_.push_back({WOM_DONE, hdr});
}

// The system's wave thread: one notice at a time, in order, with no lock held while the
// callback runs, so the callback may call back into the device.
void WaveDevice::notice_loop() {
    std::unique_lock lock(mutex_);
    notice_thread_id_ = std::this_thread::get_id();
    for (;;) {
        notice_cv_.wait(lock, [&] { return !notices_.empty(); });
        const Notice notice = notices_.front();
        notices_.pop_front();
        delivering_ = true;
        lock.unlock();
        if (callback_) {
            callback_(handle_, notice.msg, instance_, reinterpret_cast<DWORD_PTR>(notice.hdr), 0);
        }
        lock.lock();
        delivering_ = false;
        delivered_cv_.notify_all();
        if (notice.msg == WOM_CLOSE) return;
    }
}

bool WaveDevice::on_notice_thread() const {
    std::lock_guard lock(mutex_);
    return notice_thread_id_ == std::this_thread::get_id();
}

void WaveDevice::shut_down() {
    if (!notice_thread_.joinable()) return;
    if (on_notice_thread()) {
        notice_thread_.detach();
        return;
    }
    std::shared_ptr<WaveStream> stream;
    {
        std::lock_guard lock(mutex_);
        for (const Queued& q : queue_) complete_locked(q.hdr);
        queue_.clear();
        closed_ = true;
        stream = std::move(stream_);
    }
    stream.reset();
    {
        std::lock_guard lock(mutex_);
        notices_.push_back({WOM_CLOSE, nullptr});
    }
    notice_cv_.notify_one();
    notice_thread_.join();
}
