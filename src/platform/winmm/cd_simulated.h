// The cdaudio test backend: a simulated drive and disc whose head moves on the test's clock.
#pragma once

#include <memory>
#include <vector>

#include "platform/winmm/cd_drive.h"

struct SimulatedPlay {
    int start;  // absolute frames, as the drive was asked
    int end;
};

// Installs itself for the following "open cdaudio" commands; the destructor restores the real
// drive. Safe to use from any thread.
class SimulatedDisc final : public CdBackend {
public:
    // A disc whose tracks last these many milliseconds, laid one after another from 00:02:00.
    explicit SimulatedDisc(std::vector<DWORD> track_ms);
    ~SimulatedDisc() override;
    SimulatedDisc(const SimulatedDisc&) = delete;
    SimulatedDisc& operator=(const SimulatedDisc&) = delete;

    void insert(std::vector<DWORD> track_ms);  // another disc (an empty list: no disc)
    void eject();                              // no disc: MCIERR_DEVICE_NOT_READY
    void set_drive_present(bool present);      // no drive: the open fails
    void fail_stop(bool fail);                 // CDROMSTOP fails (MCIERR_HARDWARE)
    void fail_subchannel(bool fail);           // CDROMSUBCHNL fails (MCIERR_HARDWARE)
    // After each play the drive reports no status for this long before it sounds, as a real
    // drive does while it spins up and seeks.
    void set_spin_up(DWORD ms);

    // The head moves on while a play runs; it stops at the play's end.
    void advance(DWORD ms);
    // Puts the head at an absolute frame; a running play goes on from there.
    void seek(int frame);

    int track_start(int track) const;  // absolute frame of a track of the current disc
    std::vector<SimulatedPlay> plays() const;
    int stops() const;
    bool playing() const;
    int head() const;

    // CdBackend.
    MCIERROR open_drive(std::unique_ptr<CdDrive>* drive) override;

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
};
