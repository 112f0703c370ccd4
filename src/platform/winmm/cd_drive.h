// The CD drive behind the cdaudio device: the Linux CD-ROM ioctls, or a simulated disc in tests.
#pragma once

#include <memory>
#include <vector>

#include "platform/winmm/mci.h"

constexpr int kCdFramesPerSecond = 75;

// A disc's table of contents, in absolute frames (MSF 00:02:00, frame 150, is where the first
// track of a disc usually starts).
struct CdToc {
    int first_track = 1;
    std::vector<int> starts;  // the start of each track, first_track's first
    int leadout = 0;          // where the last track ends

    int last_track() const { return first_track + static_cast<int>(starts.size()) - 1; }
    bool has_track(long track) const { return track >= first_track && track <= last_track(); }
    int track_start(int track) const { return starts[track - first_track]; }
    int track_end(int track) const {
        return track < last_track() ? track_start(track + 1) : leadout;
    }
    // The track that holds `frame`: the last one starting at or before it.
    int track_of(int frame) const;
};

enum class CdAudioStatus { Playing, Paused, Completed, Idle };

struct CdSubchannel {
    CdAudioStatus status = CdAudioStatus::Idle;
    int frame = 0;  // absolute position of the head
};

// Each call may come from any thread; implementations keep themselves consistent.
class CdDrive {
public:
    virtual ~CdDrive() = default;
    // CDROMREADTOCHDR and CDROMREADTOCENTRY; MCIERR_DEVICE_NOT_READY without a disc.
    virtual MCIERROR read_toc(CdToc* toc) = 0;
    // CDROMPLAYMSF: plays from `start` up to `end` (absolute frames, end not played).
    virtual MCIERROR play(int start, int end) = 0;
    // CDROMSUBCHNL: what the drive is doing and where its head is.
    virtual MCIERROR subchannel(CdSubchannel* out) = 0;
    // CDROMSTOP.
    virtual MCIERROR stop() = 0;
};

class CdBackend {
public:
    virtual ~CdBackend() = default;
    // Opens the default drive; MCIERR_DEVICE_NOT_INSTALLED when the system has none.
    virtual MCIERROR open_drive(std::unique_ptr<CdDrive>* drive) = 0;
};

// Installs the backend for the following "open cdaudio" commands (not owned); null restores
// the real one.
void install_cd_backend(CdBackend* backend);

// The real backend: the drive at /dev/cdrom.
CdBackend& linux_cd_backend();
