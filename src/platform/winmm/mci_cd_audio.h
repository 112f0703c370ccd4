// The cdaudio MCI device: plays ranges of the default CD drive and reports where it is.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/winmm/cd_drive.h"
#include "platform/winmm/mci_device.h"

class MciCdAudio final : public MciDevice {
public:
    // Opens the drive of the installed CD backend. A drive without a disc opens; the commands
    // that need the disc then answer MCIERR_DEVICE_NOT_READY.
    static MCIERROR open(std::unique_ptr<MciDevice>* device);

    explicit MciCdAudio(std::unique_ptr<CdDrive> drive) : drive_(std::move(drive)) {}
    ~MciCdAudio() override;

    MCIERROR set_time_format(MciTimeFormat format) override;
    MCIERROR status(MciStatusItem item, std::optional<long> track, std::string* answer) override;
    MCIERROR play(const std::optional<std::string>& from, const std::optional<std::string>& to,
                  const MciNotify& notify) override;
    void wait_played() override;
    MCIERROR stop() override;
    void close() override;

private:
    // Where the last play stands, judged from the drive's status.
    enum class PlayPhase { None, Starting, Sounding, Ended };

    // The drive's table, refused unless it holds a track.
    MCIERROR read_toc(CdToc* toc);
    PlayPhase phase_of(const CdSubchannel& sc);
    MCIERROR current_frame(const CdToc& toc, int* frame);
    // The watcher posts the notice of a play with "notify" when the play has ended.
    void start_watcher(const MciNotify& notify);
    void end_watcher(WPARAM result_if_pending);
    void watch();

    std::unique_ptr<CdDrive> drive_;
    MciTimeFormat format_ = MciTimeFormat::Msf;

    std::mutex mutex_;  // the last play and the watcher's state
    // The last play, from its command until a stop. A drive may report no status for a moment
    // while it spins up, so a play that has not yet been seen sounding counts as starting (at
    // its start) for a while, not as ended (at its end).
    bool play_issued_ = false;
    bool play_seen_sounding_ = false;
    int play_start_ = 0;
    int play_end_ = 0;
    std::chrono::steady_clock::time_point play_time_{};
    // Where the head rests without a play: where it was stopped; -1 before any (the first
    // track's start).
    int rest_frame_ = -1;

    std::condition_variable cv_;
    std::thread watcher_;
    bool watcher_quit_ = false;
    bool notify_pending_ = false;
    MciNotify notify_;
};
