// The simulated CD drive: a table of contents built from track lengths, and a head that moves
// with the test's clock while a play runs.
#include "platform/winmm/cd_simulated.h"

#include <mutex>

struct SimulatedDisc::Shared {
    mutable std::mutex mutex;
    bool drive_present = true;
    bool fail_stop = false;
    bool fail_subchannel = false;
    CdToc toc;  // no tracks: no disc
    std::vector<SimulatedPlay> plays;
    int stops = 0;
    bool playing = false;
    bool completed = false;
    int play_from = 0;  // where the head was when the play (or the last seek) began
    int play_end = 0;
    std::uint64_t elapsed_ms = 0;
    DWORD spin_up_ms = 0;
    DWORD starting_ms = 0;  // of the spin-up still to come
    int head = 150;

    void load(const std::vector<DWORD>& track_ms) {
        toc = CdToc{};
        int frame = 150;
        for (DWORD ms : track_ms) {
            toc.starts.push_back(frame);
            frame += static_cast<int>(std::uint64_t{ms} * kCdFramesPerSecond / 1000);
        }
        toc.leadout = frame;
        playing = completed = false;
        head = 150;
    }
};

namespace {

class SimulatedDrive final : public CdDrive {
public:
    explicit SimulatedDrive(std::shared_ptr<SimulatedDisc::Shared> shared)
        : shared_(std::move(shared)) {}

    MCIERROR read_toc(CdToc* toc) override {
        std::lock_guard lock(shared_->mutex);
        if (shared_->toc.starts.empty()) return MCIERR_DEVICE_NOT_READY;
        *toc = shared_->toc;
        return 0;
    }

    MCIERROR play(int start, int end) override {
        std::lock_guard lock(shared_->mutex);
        if (shared_->toc.starts.empty()) return MCIERR_DEVICE_NOT_READY;
        shared_->plays.push_back({start, end});
        shared_->playing = true;
        shared_->completed = false;
        shared_->head = shared_->play_from = start;
        shared_->play_end = end;
        shared_->elapsed_ms = 0;
        shared_->starting_ms = shared_->spin_up_ms;
        return 0;
    }

    MCIERROR subchannel(CdSubchannel* out) override {
        std::lock_guard lock(shared_->mutex);
        if (shared_->fail_subchannel) return MCIERR_HARDWARE;
        if (shared_->toc.starts.empty()) return MCIERR_DEVICE_NOT_READY;
        const bool sounding = shared_->playing && shared_->starting_ms == 0;
        out->status = sounding             ? CdAudioStatus::Playing
                      : shared_->completed ? CdAudioStatus::Completed
                                           : CdAudioStatus::Idle;
        out->frame = shared_->head;
        return 0;
    }

    MCIERROR stop() override {
        std::lock_guard lock(shared_->mutex);
        if (shared_->fail_stop) return MCIERR_HARDWARE;
        ++shared_->stops;
        shared_->playing = shared_->completed = false;
        return 0;
    }

private:
    std::shared_ptr<SimulatedDisc::Shared> shared_;
};

}  // namespace

SimulatedDisc::SimulatedDisc(std::vector<DWORD> track_ms) : shared_(std::make_shared<Shared>()) {
    shared_->load(track_ms);
    install_cd_backend(this);
}

SimulatedDisc::~SimulatedDisc() { install_cd_backend(nullptr); }

void SimulatedDisc::insert(std::vector<DWORD> track_ms) {
    std::lock_guard lock(shared_->mutex);
    shared_->load(track_ms);
}

void SimulatedDisc::eject() { insert({}); }

void SimulatedDisc::set_drive_present(bool present) {
    std::lock_guard lock(shared_->mutex);
    shared_->drive_present = present;
}

void SimulatedDisc::fail_stop(bool fail) {
    std::lock_guard lock(shared_->mutex);
    shared_->fail_stop = fail;
}

void SimulatedDisc::fail_subchannel(bool fail) {
    std::lock_guard lock(shared_->mutex);
    shared_->fail_subchannel = fail;
}

void SimulatedDisc::set_spin_up(DWORD ms) {
    std::lock_guard lock(shared_->mutex);
    shared_->spin_up_ms = ms;
}

void SimulatedDisc::advance(DWORD ms) {
    std::lock_guard lock(shared_->mutex);
    Shared& s = *shared_;
    if (!s.playing) return;
    const DWORD spin = ms < s.starting_ms ? ms : s.starting_ms;
    s.starting_ms -= spin;
    s.elapsed_ms += ms - spin;
    const auto moved = static_cast<int>(s.elapsed_ms * kCdFramesPerSecond / 1000);
    s.head = s.play_from + moved;
    if (s.head >= s.play_end) {
        s.head = s.play_end;
        s.playing = false;
        s.completed = true;
    }
}

void SimulatedDisc::seek(int frame) {
    std::lock_guard lock(shared_->mutex);
    shared_->head = shared_->play_from = frame;
    shared_->elapsed_ms = 0;
}

int SimulatedDisc::track_start(int track) const {
    std::lock_guard lock(shared_->mutex);
    return shared_->toc.track_start(track);
}

std::vector<SimulatedPlay> SimulatedDisc::plays() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->plays;
}

int SimulatedDisc::stops() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->stops;
}

bool SimulatedDisc::playing() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->playing;
}

int SimulatedDisc::head() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->head;
}

MCIERROR SimulatedDisc::open_drive(std::unique_ptr<CdDrive>* drive) {
    std::lock_guard lock(shared_->mutex);
    if (!shared_->drive_present) return MCIERR_DEVICE_NOT_INSTALLED;
    *drive = std::make_unique<SimulatedDrive>(shared_);
    return 0;
}
