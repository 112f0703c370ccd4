// The wave-out test backend: a capture device that records every byte played and plays on a
// clock the test drives.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/winmm/wave_out_backend.h"

struct CapturedDevice {
    WAVEFORMATEX format;
    bool closed = false;
    std::vector<std::uint8_t> played;  // what this device played, in order
};

// Installs itself for the following waveOutOpen calls; the destructor restores the real backend.
// Every member is safe to call from any thread. Nothing plays until the test says so: advance()
// plays a stretch of time, complete_next() one buffer, set_instant(true) every buffer the
// moment it is written (a device of unlimited speed, for tests that only want the bytes).
class CaptureWave final : public WaveBackend {
public:
    CaptureWave();
    ~CaptureWave() override;
    CaptureWave(const CaptureWave&) = delete;
    CaptureWave& operator=(const CaptureWave&) = delete;

    // The following opens fail with `result` (an MMSYSERR_* code); MMSYSERR_NOERROR lets them
    // succeed again. Stands for a missing or busy sound device.
    void fail_open(MMRESULT result);
    void set_instant(bool on);

    // Every open device plays `ms` milliseconds of audio at its byte rate (time with nothing
    // queued passes in silence). Returns when the notices of the buffers finished have been
    // delivered.
    void advance(DWORD ms);
    // The newest open device plays the rest of its oldest queued buffer; false when it has none.
    // Returns after that buffer's WOM_DONE has been delivered.
    bool complete_next();
    // Buffers queued at the newest open device.
    std::size_t queued() const;

    // Every byte played by every device, in the order played.
    std::vector<std::uint8_t> played() const;
    std::vector<CapturedDevice> devices() const;
    int open_count() const;

    // WaveBackend.
    MMRESULT open_stream(const WAVEFORMATEX& format, const std::shared_ptr<WaveSource>& source,
                         std::unique_ptr<WaveStream>* stream) override;

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
};
