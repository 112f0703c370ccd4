// The seam behind the wave-out calls: the SDL2 audio backend, or a capture device in tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "platform/winmm/wave_out.h"

// What an open device offers its backend: the bytes of the queued buffers, in the order written.
class WaveSource {
public:
    // Copies up to out.size() bytes from the queued buffers, completing (WHDR_DONE, WOM_DONE
    // queued for delivery) each buffer whose last byte it takes. Returns the bytes copied; fewer
    // than asked when the queue runs dry. Never calls back into the backend or the caller.
    virtual std::size_t pull(std::span<std::uint8_t> out) = 0;
    // Waits until every completion notice queued so far has been delivered to the callback.
    // Returns at once when called on the notice thread itself.
    virtual void wait_notices() = 0;
    // The buffers still queued, and the bytes of the oldest one not yet played (0 when none).
    virtual std::size_t queued_buffers() = 0;
    virtual std::size_t head_bytes_left() = 0;

protected:
    ~WaveSource() = default;
};

// The backend's side of one open device. Destroying it ends the playing: once the destructor
// has returned the backend never pulls from the source again.
class WaveStream {
public:
    virtual ~WaveStream() = default;
    // A buffer was written. Called with no lock of the layer held, on the writer's thread.
    virtual void data_ready() = 0;
};

class WaveBackend {
public:
    virtual ~WaveBackend() = default;
    // Opens an output for the (already checked) format that plays `source` until the stream is
    // destroyed. On failure returns an MMSYSERR_* code and leaves `stream` empty. The stream
    // must not keep `source` alive (the source owns the stream): a raw pointer is valid until
    // the stream's destructor, a weak_ptr for as long as it can be locked.
    virtual MMRESULT open_stream(const WAVEFORMATEX& format,
                                 const std::shared_ptr<WaveSource>& source,
                                 std::unique_ptr<WaveStream>* stream) = 0;
};

// Installs the backend used by the following waveOutOpen calls (not owned); devices already
// open keep theirs. Null restores the real backend.
void install_wave_backend(WaveBackend* backend);
WaveBackend* installed_wave_backend();

// The real backend: SDL2 audio. It lives for the whole process.
WaveBackend& sdl_wave_backend();
