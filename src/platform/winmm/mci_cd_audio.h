// The cdaudio MCI device: plays ranges of the default CD drive and reports where it is.
#pragma once

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
    // The drive's table, refused unless it holds a track.
    MCIERROR read_toc(CdToc* toc);
    MCIERROR current_frame(const CdToc& toc, int* frame);
    // The watcher posts the notice of a play with "notify" when the drive stops playing.
    void start_watcher(const MciNotify& notify);
    void end_watcher(WPARAM result_if_pending);
    void watch();

    std::unique_ptr<CdDrive> drive_;
    MciTimeFormat format_ = MciTimeFormat::Msf;
    // Where the head rests when the drive is not playing: the end of the last play, or where
    // it was stopped; -1 before any play (the first track's start).
    int rest_frame_ = -1;

    std::mutex mutex_;  // the watcher's state
    std::condition_variable cv_;
    std::thread watcher_;
    bool watcher_quit_ = false;
    bool notify_pending_ = false;
    MciNotify notify_;
};
