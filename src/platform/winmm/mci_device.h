// What the MCI interpreter asks of an open device: the two kinds are waveaudio and cdaudio.
#pragma once

#include <optional>
#include <string>

#include "platform/winmm/mci.h"

enum class MciTimeFormat { Milliseconds, Msf, Tmsf, Bytes, Samples };

enum class MciStatusItem {
    NumberOfTracks,
    Length,
    Position,
    Mode,
    Ready,
    MediaPresent,
    CurrentTrack,
    TimeFormat,
};

// Where the MM_MCINOTIFY of a "notify" command goes; empty when no window was given.
struct MciNotify {
    HWND window = nullptr;
    MCIDEVICEID id = 0;

    explicit operator bool() const { return window != nullptr; }
    // Posts MM_MCINOTIFY with `result` (MCI_NOTIFY_*) when a window was given.
    void post(WPARAM result) const;
};

const char* time_format_name(MciTimeFormat format);

// Every member is called with the interpreter's lock held, except wait_played.
class MciDevice {
public:
    virtual ~MciDevice() = default;

    virtual MCIERROR set_time_format(MciTimeFormat format) = 0;
    // `track` is the number after "track", when given.
    virtual MCIERROR status(MciStatusItem item, std::optional<long> track, std::string* answer) = 0;
    // `from` and `to` are positions in the current time format, as written in the command.
    // The MM_MCINOTIFY goes to `notify` when the play ends by itself (successful), is stopped
    // (aborted) or is replaced by another play (superseded).
    virtual MCIERROR play(const std::optional<std::string>& from,
                          const std::optional<std::string>& to, const MciNotify& notify) = 0;
    // Blocks until the current play has ended, by itself or by a stop. Called without the
    // interpreter's lock, so that other threads can stop the device meanwhile.
    virtual void wait_played() = 0;
    virtual MCIERROR stop() = 0;
    // Stops and lets go of the device; the object is destroyed afterwards.
    virtual void close() = 0;
};
