// The waveaudio MCI device: streams the file through four rotating wave-out buffers, refilled
// from the completion callback, and posts the notice when the last one has played.
#include "platform/winmm/mci_wave_audio.h"

#include "platform/winmm/mci_command.h"

MCIERROR MciWaveAudio::open(const std::string& path, std::unique_ptr<MciDevice>* device) {
    WaveFileLayout layout;
    if (MCIERROR e = read_wave_file(path, &layout)) return e;
    *device = std::make_unique<MciWaveAudio>(path, layout);
    return 0;
}

MciWaveAudio::MciWaveAudio(std::string path, const WaveFileLayout& layout)
    : path_(std::move(path)), layout_(layout) {
    // A quarter of a second each: a second of sound queued in all.
    std::uint32_t size = layout_.format.nAvgBytesPerSec / 4;
    size -= size % layout_.format.nBlockAlign;
    for (Slot& slot : slots_) slot.data.resize(size);
}

MciWaveAudio::~MciWaveAudio() { halt(MCI_NOTIFY_ABORTED); }

MCIERROR MciWaveAudio::set_time_format(MciTimeFormat format) {
    if (format != MciTimeFormat::Milliseconds && format != MciTimeFormat::Bytes &&
        format != MciTimeFormat::Samples) {
        return MCIERR_BAD_TIME_FORMAT;
    }
    format_ = format;
    return 0;
}

MCIERROR MciWaveAudio::parse_position(const std::string& text, std::uint32_t* bytes) const {
    long value = 0;
    if (!parse_decimal(text, &value)) return MCIERR_BAD_INTEGER;
    const WAVEFORMATEX& f = layout_.format;
    std::uint64_t b = 0;
    switch (format_) {
        case MciTimeFormat::Milliseconds:
            b = static_cast<std::uint64_t>(value) * f.nAvgBytesPerSec / 1000;
            break;
        case MciTimeFormat::Samples:
            b = static_cast<std::uint64_t>(value) * f.nBlockAlign;
            break;
        default:
            b = static_cast<std::uint64_t>(value);
            break;
    }
    b -= b % f.nBlockAlign;
    if (b > layout_.data_bytes) return MCIERR_OUTOFRANGE;
    *bytes = static_cast<std::uint32_t>(b);
    return 0;
}

std::string MciWaveAudio::format_bytes(std::uint32_t bytes) const {
    const WAVEFORMATEX& f = layout_.format;
    switch (format_) {
        case MciTimeFormat::Milliseconds:
            return std::to_string(std::uint64_t{bytes} * 1000 / f.nAvgBytesPerSec);
        case MciTimeFormat::Samples:
            return std::to_string(bytes / f.nBlockAlign);
        default:
            return std::to_string(bytes);
    }
}

std::uint32_t MciWaveAudio::position_locked() {
    if (!playing_ || !hwo_) return rest_;
    MMTIME t{TIME_BYTES, {}};
    if (waveOutGetPosition(hwo_, &t, sizeof t) != MMSYSERR_NOERROR) return start_;
    const std::uint64_t at = std::uint64_t{start_} + t.u.cb;
    return at < end_ ? static_cast<std::uint32_t>(at) : end_;
}

MCIERROR MciWaveAudio::status(MciStatusItem item, std::optional<long> track, std::string* answer) {
    if (track && *track != 1) return MCIERR_OUTOFRANGE;
    std::lock_guard lock(mutex_);
    switch (item) {
        case MciStatusItem::NumberOfTracks:
        case MciStatusItem::CurrentTrack:
            *answer = "1";
            return 0;
        case MciStatusItem::Length:
            *answer = format_bytes(layout_.data_bytes);
            return 0;
        case MciStatusItem::Position:
            *answer = format_bytes(track ? 0 : position_locked());
            return 0;
        case MciStatusItem::Mode:
            *answer = playing_ ? "playing" : "stopped";
            return 0;
        case MciStatusItem::Ready:
        case MciStatusItem::MediaPresent:
            *answer = "true";
            return 0;
        case MciStatusItem::TimeFormat:
            *answer = time_format_name(format_);
            return 0;
    }
    return MCIERR_UNSUPPORTED_FUNCTION;
}

MCIERROR MciWaveAudio::play(const std::optional<std::string>& from,
                            const std::optional<std::string>& to, const MciNotify& notify) {
    std::uint32_t start = 0, end = layout_.data_bytes;
    if (from) {
        if (MCIERROR e = parse_position(*from, &start)) return e;
    }
    if (to) {
        if (MCIERROR e = parse_position(*to, &end)) return e;
    }
    halt(MCI_NOTIFY_SUPERSEDED);
    if (!from) {
        // From where the last play stopped, or from the start after it ran out.
        std::lock_guard lock(mutex_);
        start = rest_ < end ? rest_ : 0;
    }
    if (start > end) return MCIERR_OUTOFRANGE;
    if (start == end) {
        notify.post(MCI_NOTIFY_SUCCESSFUL);
        return 0;
    }

    MCIERROR error = 0;
    std::unique_ptr<std::FILE, FileCloser> file(open_wave_file(path_, &error));
    if (!file) return MCIERR_FILE_NOT_FOUND;
    if (std::fseek(file.get(), static_cast<long>(layout_.data_offset + start), SEEK_SET) != 0) {
        return MCIERR_FILE_READ;
    }
    HWAVEOUT hwo = nullptr;
    if (waveOutOpen(&hwo, WAVE_MAPPER, &layout_.format,
                    reinterpret_cast<DWORD_PTR>(&MciWaveAudio::CALLBACK_wave),
                    reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
        return MCIERR_WAVE_OUTPUTSINUSE;
    }
    std::lock_guard lock(mutex_);
    hwo_ = hwo;
    file_ = std::move(file);
    start_ = start;
    end_ = end;
    next_ = start;
    rest_ = start;
    queued_ = 0;
    playing_ = true;
    notify_ = notify;
    for (Slot& slot : slots_) {
        if (!queue_locked(slot)) break;
    }
    // Nothing could be queued (the file was cut short since it was opened, or the device took
    // no buffer): no buffer will come back to end the piece, so it ends here.
    if (queued_ == 0) finish_locked();
    return 0;
}

bool MciWaveAudio::queue_locked(Slot& slot) {
    if (next_ >= end_ || !file_) return false;
    std::uint32_t want = end_ - next_;
    if (want > slot.data.size()) want = static_cast<std::uint32_t>(slot.data.size());
    const std::size_t got = std::fread(slot.data.data(), 1, want, file_.get());
    if (got == 0) {
        next_ = end_;  // a read error ends the piece early
        return false;
    }
    next_ += static_cast<std::uint32_t>(got);
    slot.hdr = WAVEHDR{};
    slot.hdr.lpData = slot.data.data();
    slot.hdr.dwBufferLength = static_cast<DWORD>(got);
    waveOutPrepareHeader(hwo_, &slot.hdr, sizeof(WAVEHDR));
    if (waveOutWrite(hwo_, &slot.hdr, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) return false;
    ++queued_;
    return true;
}

void MciWaveAudio::CALLBACK_wave(HWAVEOUT, UINT msg, DWORD_PTR instance, DWORD_PTR param1,
                                 DWORD_PTR) {
    if (msg == WOM_DONE) {
        reinterpret_cast<MciWaveAudio*>(instance)->on_done(reinterpret_cast<WAVEHDR*>(param1));
    }
}

// On the wave-out notice thread. The device stays open after the last buffer (it cannot be
// closed from its own callback); the next command closes it.
void MciWaveAudio::on_done(WAVEHDR* hdr) {
    std::lock_guard lock(mutex_);
    --queued_;
    waveOutUnprepareHeader(hwo_, hdr, sizeof(WAVEHDR));
    if (halting_) return;
    for (Slot& slot : slots_) {
        if (&slot.hdr == hdr && queue_locked(slot)) return;
    }
    if (queued_ == 0) finish_locked();
}

void MciWaveAudio::finish_locked() {
    playing_ = false;
    rest_ = end_;
    notify_.post(MCI_NOTIFY_SUCCESSFUL);
    notify_ = MciNotify{};
    played_cv_.notify_all();
}

void MciWaveAudio::wait_played() {
    std::unique_lock lock(mutex_);
    played_cv_.wait(lock, [&] { return !playing_; });
}

MCIERROR MciWaveAudio::stop() {
    halt(MCI_NOTIFY_ABORTED);
    return 0;
}

void MciWaveAudio::close() { halt(MCI_NOTIFY_ABORTED); }

void MciWaveAudio::halt(WPARAM result) {
    HWAVEOUT hwo = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (!hwo_) return;
        hwo = hwo_;
        rest_ = position_locked();
        halting_ = true;
    }
    // Without the lock: the reset delivers its notices to on_done, which takes it.
    waveOutReset(hwo);
    waveOutClose(hwo);
    std::lock_guard lock(mutex_);
    hwo_ = nullptr;
    file_.reset();
    halting_ = false;
    if (playing_) notify_.post(result);
    notify_ = MciNotify{};
    playing_ = false;
    played_cv_.notify_all();
}
