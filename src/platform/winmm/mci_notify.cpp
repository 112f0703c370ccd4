// Posting MCI completion notices, and the names of the time formats.
#include "platform/winmm/mci_device.h"

void MciNotify::post(WPARAM result) const {
    if (window) PostMessageA(window, MM_MCINOTIFY, result, static_cast<LPARAM>(id));
}

const char* time_format_name(MciTimeFormat format) {
    switch (format) {
        case MciTimeFormat::Milliseconds:
            return "milliseconds";
        case MciTimeFormat::Msf:
            return "msf";
        case MciTimeFormat::Tmsf:
            return "tmsf";
        case MciTimeFormat::Bytes:
            return "bytes";
        case MciTimeFormat::Samples:
            return "samples";
    }
    return "";
}
