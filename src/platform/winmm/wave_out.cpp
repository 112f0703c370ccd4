// The wave-out calls: argument checks, the table of open devices, and the backend seam.
#include "platform/winmm/wave_out.h"

#include <map>
#include <memory>
#include <mutex>

#include "platform/winmm/wave_device.h"

namespace {

struct WaveState {
    // The real backend must outlive this table: a device still open when the process tidies up
    // hands its output back to it. Building it first makes it be destroyed last.
    WaveState() { sdl_wave_backend(); }

    std::mutex mutex;
    std::map<std::uintptr_t, std::shared_ptr<WaveDevice>> devices;
    std::uintptr_t next_handle = 1;  // handles are never reused, so a stale one stays invalid
    WaveBackend* backend = nullptr;
};

WaveState& state() {
    static WaveState s;
    return s;
}

std::shared_ptr<WaveDevice> find(HWAVEOUT hwo) {
    WaveState& s = state();
    std::lock_guard lock(s.mutex);
    auto it = s.devices.find(reinterpret_cast<std::uintptr_t>(hwo));
    return it == s.devices.end() ? nullptr : it->second;
}

bool header_ok(const WAVEHDR* hdr, UINT size) {
    if (!hdr) return false;
    if (size != kWin32WaveHdrSize && size < sizeof(WAVEHDR)) return false;
    return hdr->lpData != nullptr || hdr->dwBufferLength == 0;
}

// What the backends can play: 8-bit unsigned or 16-bit signed PCM, mono or stereo, with the
// derived fields consistent (a wrong block size would misplace every sample).
bool format_ok(const WAVEFORMATEX& f) {
    if (f.wFormatTag != WAVE_FORMAT_PCM) return false;
    if (f.nChannels != 1 && f.nChannels != 2) return false;
    if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) return false;
    if (f.nSamplesPerSec < 1000 || f.nSamplesPerSec > 384000) return false;
    if (f.nBlockAlign != f.nChannels * f.wBitsPerSample / 8) return false;
    return f.nAvgBytesPerSec == f.nSamplesPerSec * f.nBlockAlign;
}

}  // namespace

void install_wave_backend(WaveBackend* backend) {
    WaveState& s = state();
    std::lock_guard lock(s.mutex);
    s.backend = backend;
}

WaveBackend* installed_wave_backend() {
    WaveState& s = state();
    std::lock_guard lock(s.mutex);
    return s.backend ? s.backend : &sdl_wave_backend();
}

UINT waveOutGetNumDevs() { return 1; }

MMRESULT waveOutOpen(LPHWAVEOUT phwo, UINT device_id, const WAVEFORMATEX* format,
                     DWORD_PTR callback, DWORD_PTR instance, DWORD flags) {
    const bool query = (flags & WAVE_FORMAT_QUERY) != 0;
    if (phwo && !query) *phwo = nullptr;
    if (!format) return MMSYSERR_INVALPARAM;
    if (device_id != WAVE_MAPPER && device_id != 0) return MMSYSERR_BADDEVICEID;
    if (flags & ~(CALLBACK_TYPEMASK | WAVE_FORMAT_QUERY | WAVE_ALLOWSYNC | WAVE_MAPPED)) {
        return MMSYSERR_INVALFLAG;
    }
    const DWORD type = flags & CALLBACK_TYPEMASK;
    if (type != CALLBACK_NULL && type != CALLBACK_FUNCTION) return MMSYSERR_NOTSUPPORTED;
    if (type == CALLBACK_FUNCTION && callback == 0) return MMSYSERR_INVALPARAM;
    if (!format_ok(*format)) return WAVERR_BADFORMAT;
    if (query) return MMSYSERR_NOERROR;
    if (!phwo) return MMSYSERR_INVALPARAM;

    WaveState& s = state();
    std::shared_ptr<WaveDevice> device;
    WaveBackend* backend = nullptr;
    std::uintptr_t number = 0;
    {
        std::lock_guard lock(s.mutex);
        number = s.next_handle++;
        backend = s.backend ? s.backend : &sdl_wave_backend();
        auto proc =
            type == CALLBACK_FUNCTION ? reinterpret_cast<LPWAVECALLBACK>(callback) : nullptr;
        device = std::make_shared<WaveDevice>(reinterpret_cast<HWAVEOUT>(number), *format, proc,
                                              instance);
        // In the table before WOM_OPEN, so the callback may already use the handle.
        s.devices[number] = device;
    }
    MMRESULT result = device->start(*backend);
    if (result != MMSYSERR_NOERROR) {
        std::lock_guard lock(s.mutex);
        s.devices.erase(number);
        return result;
    }
    *phwo = reinterpret_cast<HWAVEOUT>(number);
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutPrepareHeader(HWAVEOUT hwo, LPWAVEHDR hdr, UINT size) {
    auto device = find(hwo);
    if (!device) return MMSYSERR_INVALHANDLE;
    if (!header_ok(hdr, size)) return MMSYSERR_INVALPARAM;
    return device->prepare(hdr);
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT hwo, LPWAVEHDR hdr, UINT size) {
    auto device = find(hwo);
    if (!device) return MMSYSERR_INVALHANDLE;
    if (!header_ok(hdr, size)) return MMSYSERR_INVALPARAM;
    return device->unprepare(hdr);
}

MMRESULT waveOutWrite(HWAVEOUT hwo, LPWAVEHDR hdr, UINT size) {
    auto device = find(hwo);
    if (!device) return MMSYSERR_INVALHANDLE;
    if (!header_ok(hdr, size)) return MMSYSERR_INVALPARAM;
    return device->write(hdr);
}

MMRESULT waveOutReset(HWAVEOUT hwo) {
    auto device = find(hwo);
    if (!device) return MMSYSERR_INVALHANDLE;
    return device->reset();
}

MMRESULT waveOutClose(HWAVEOUT hwo) {
    auto device = find(hwo);
    if (!device) return MMSYSERR_INVALHANDLE;
    MMRESULT result = device->close();
    if (result == MMSYSERR_NOERROR) {
        WaveState& s = state();
        std::lock_guard lock(s.mutex);
        s.devices.erase(reinterpret_cast<std::uintptr_t>(hwo));
    }
    return result;
}

MMRESULT waveOutGetPosition(HWAVEOUT hwo, MMTIME* time, UINT size) {
    auto device = find(hwo);
    if (!device) return MMSYSERR_INVALHANDLE;
    if (!time || size < sizeof(MMTIME)) return MMSYSERR_INVALPARAM;
    return device->position(time);
}
