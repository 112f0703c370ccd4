// The cdaudio MCI device on the installed CD backend.
#include "platform/winmm/mci_cd_audio.h"

#include <chrono>

#include "platform/winmm/mci_cd_time.h"

namespace {

std::mutex g_backend_mutex;
CdBackend* g_backend = nullptr;

constexpr auto kWatchInterval = std::chrono::milliseconds(100);
constexpr auto kSpinUpTime = std::chrono::seconds(5);

bool sounding(CdAudioStatus s) { return s == CdAudioStatus::Playing || s == CdAudioStatus::Paused; }

}  // namespace

void install_cd_backend(CdBackend* backend) {
    std::lock_guard lock(g_backend_mutex);
    g_backend = backend;
}

MCIERROR MciCdAudio::open(std::unique_ptr<MciDevice>* device) {
    CdBackend* backend = nullptr;
    {
        std::lock_guard lock(g_backend_mutex);
        backend = g_backend ? g_backend : &linux_cd_backend();
    }
    std::unique_ptr<CdDrive> drive;
    if (MCIERROR e = backend->open_drive(&drive)) return e;
    *device = std::make_unique<MciCdAudio>(std::move(drive));
    return 0;
}

MciCdAudio::~MciCdAudio() { end_watcher(MCI_NOTIFY_ABORTED); }

MCIERROR MciCdAudio::set_time_format(MciTimeFormat format) {
    if (format != MciTimeFormat::Milliseconds && format != MciTimeFormat::Msf &&
        format != MciTimeFormat::Tmsf) {
        return MCIERR_BAD_TIME_FORMAT;
    }
    format_ = format;
    return 0;
}

MCIERROR MciCdAudio::read_toc(CdToc* toc) {
    if (MCIERROR e = drive_->read_toc(toc)) return e;
    return toc->starts.empty() || toc->leadout <= toc->starts.back() ? MCIERR_DEVICE_NOT_READY : 0;
}

MciCdAudio::PlayPhase MciCdAudio::phase_of(const CdSubchannel& sc) {
    std::lock_guard lock(mutex_);
    if (sounding(sc.status)) {
        play_seen_sounding_ = play_issued_;
        return PlayPhase::Sounding;
    }
    if (!play_issued_) return PlayPhase::None;
    if (sc.status == CdAudioStatus::Idle && !play_seen_sounding_ &&
        std::chrono::steady_clock::now() - play_time_ < kSpinUpTime) {
        return PlayPhase::Starting;
    }
    return PlayPhase::Ended;
}

MCIERROR MciCdAudio::current_frame(const CdToc& toc, int* frame) {
    CdSubchannel sc;
    if (MCIERROR e = drive_->subchannel(&sc)) return e;
    const PlayPhase phase = phase_of(sc);
    std::lock_guard lock(mutex_);
    switch (phase) {
        case PlayPhase::Sounding:
            *frame = sc.frame;
            break;
        case PlayPhase::Starting:
            *frame = play_start_;
            break;
        case PlayPhase::Ended:
            *frame = play_end_;
            break;
        case PlayPhase::None:
            *frame = rest_frame_ >= 0 ? rest_frame_ : toc.starts.front();
            break;
    }
    return 0;
}

MCIERROR MciCdAudio::status(MciStatusItem item, std::optional<long> track, std::string* answer) {
    if (item == MciStatusItem::TimeFormat) {
        *answer = time_format_name(format_);
        return 0;
    }
    if (item == MciStatusItem::Mode) {
        CdSubchannel sc;
        CdToc toc;
        if (read_toc(&toc) != 0 || drive_->subchannel(&sc) != 0) {
            *answer = "not ready";
        } else if (phase_of(sc) == PlayPhase::Starting) {
            *answer = "seeking";
        } else {
            *answer = sc.status == CdAudioStatus::Playing  ? "playing"
                      : sc.status == CdAudioStatus::Paused ? "paused"
                                                           : "stopped";
        }
        return 0;
    }
    CdToc toc;
    const MCIERROR toc_error = read_toc(&toc);
    if (item == MciStatusItem::MediaPresent || item == MciStatusItem::Ready) {
        *answer = toc_error == 0 ? "true" : "false";
        return 0;
    }
    if (toc_error) return toc_error;
    if (track && !toc.has_track(*track)) return MCIERR_OUTOFRANGE;
    const int t = track ? static_cast<int>(*track) : 0;
    switch (item) {
        case MciStatusItem::NumberOfTracks:
            *answer = std::to_string(toc.starts.size());
            return 0;
        case MciStatusItem::Length:
            *answer = format_cd_length(
                track ? toc.track_end(t) - toc.track_start(t) : toc.leadout - toc.starts.front(),
                format_);
            return 0;
        case MciStatusItem::Position: {
            int frame = 0;
            if (track) {
                frame = toc.track_start(t);
            } else if (MCIERROR e = current_frame(toc, &frame)) {
                return e;
            }
            *answer = format_cd_position(toc, frame, format_);
            return 0;
        }
        case MciStatusItem::CurrentTrack: {
            int frame = 0;
            if (MCIERROR e = current_frame(toc, &frame)) return e;
            *answer = std::to_string(toc.track_of(frame));
            return 0;
        }
        default:
            return MCIERR_UNSUPPORTED_FUNCTION;
    }
}

MCIERROR MciCdAudio::play(const std::optional<std::string>& from,
                          const std::optional<std::string>& to, const MciNotify& notify) {
    CdToc toc;
    if (MCIERROR e = read_toc(&toc)) return e;
    int start = 0;
    int end = toc.leadout;
    if (from) {
        if (MCIERROR e = parse_cd_position(toc, *from, format_, &start)) return e;
    } else if (MCIERROR e = current_frame(toc, &start)) {
        return e;
    }
    if (to) {
        if (MCIERROR e = parse_cd_position(toc, *to, format_, &end)) return e;
    }
    if (start < toc.starts.front() || end > toc.leadout || start >= end) return MCIERR_OUTOFRANGE;
    end_watcher(MCI_NOTIFY_SUPERSEDED);
    if (MCIERROR e = drive_->play(start, end)) return e;
    {
        std::lock_guard lock(mutex_);
        play_issued_ = true;
        play_seen_sounding_ = false;
        play_start_ = start;
        play_end_ = end;
        play_time_ = std::chrono::steady_clock::now();
    }
    if (notify) start_watcher(notify);
    return 0;
}

void MciCdAudio::wait_played() {
    for (;;) {
        CdSubchannel sc;
        if (drive_->subchannel(&sc) != 0) return;
        const PlayPhase phase = phase_of(sc);
        if (phase != PlayPhase::Sounding && phase != PlayPhase::Starting) return;
        std::this_thread::sleep_for(kWatchInterval);
    }
}

MCIERROR MciCdAudio::stop() {
    end_watcher(MCI_NOTIFY_ABORTED);
    CdToc toc;
    int frame = 0;
    const bool known = read_toc(&toc) == 0 && current_frame(toc, &frame) == 0;
    {
        std::lock_guard lock(mutex_);
        if (known) rest_frame_ = frame;
        play_issued_ = false;
    }
    return drive_->stop();
}

void MciCdAudio::close() {
    end_watcher(MCI_NOTIFY_ABORTED);
    CdSubchannel sc;
    if (drive_->subchannel(&sc) == 0 && sounding(sc.status)) drive_->stop();
}

void MciCdAudio::start_watcher(const MciNotify& notify) {
    {
        std::lock_guard lock(mutex_);
        watcher_quit_ = false;
        notify_pending_ = true;
        notify_ = notify;
    }
    watcher_ = std::thread([this] { watch(); });
}

void MciCdAudio::end_watcher(WPARAM result_if_pending) {
    if (!watcher_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        watcher_quit_ = true;
    }
    cv_.notify_all();
    watcher_.join();
    std::lock_guard lock(mutex_);
    if (notify_pending_) notify_.post(result_if_pending);
    notify_pending_ = false;
}

void MciCdAudio::watch() {
    std::unique_lock lock(mutex_);
    while (!cv_.wait_for(lock, kWatchInterval, [&] { return watcher_quit_; })) {
        lock.unlock();
        CdSubchannel sc;
        const MCIERROR e = drive_->subchannel(&sc);
        const PlayPhase phase = e == 0 ? phase_of(sc) : PlayPhase::Ended;
        lock.lock();
        if (phase == PlayPhase::Ended || phase == PlayPhase::None) {
            notify_.post(e != 0 ? MCI_NOTIFY_FAILURE : MCI_NOTIFY_SUCCESSFUL);
            notify_pending_ = false;
            return;
        }
    }
}
