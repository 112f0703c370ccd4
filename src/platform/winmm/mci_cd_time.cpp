// Converting CD frames to and from MCI's time texts.
#include "platform/winmm/mci_cd_time.h"

#include <cstdio>
#include <vector>

#include "platform/winmm/mci_command.h"

namespace {

constexpr int kFramesPerMinute = 60 * kCdFramesPerSecond;

std::string msf_text(int frames) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", frames / kFramesPerMinute,
                  frames / kCdFramesPerSecond % 60, frames % kCdFramesPerSecond);
    return text;
}

long frames_to_ms(int frames) { return static_cast<long>(frames) * 1000 / kCdFramesPerSecond; }

// Splits "a:b:c" into at most `max` numbers.
MCIERROR split_fields(std::string_view text, std::size_t max, std::vector<long>* fields) {
    fields->clear();
    std::size_t start = 0;
    for (;;) {
        const std::size_t colon = text.find(':', start);
        const std::string_view part = text.substr(
            start, colon == std::string_view::npos ? std::string_view::npos : colon - start);
        long value = 0;
        if (!parse_decimal(part, &value) || fields->size() == max) return MCIERR_BAD_INTEGER;
        fields->push_back(value);
        if (colon == std::string_view::npos) return 0;
        start = colon + 1;
    }
}

}  // namespace

int CdToc::track_of(int frame) const {
    int track = first_track;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        if (starts[i] <= frame) track = first_track + static_cast<int>(i);
    }
    return track;
}

std::string format_cd_position(const CdToc& toc, int frame, MciTimeFormat format) {
    if (format == MciTimeFormat::Milliseconds) return std::to_string(frames_to_ms(frame));
    if (format != MciTimeFormat::Tmsf || toc.starts.empty()) return msf_text(frame);
    const int track = toc.track_of(frame);
    const int offset = frame > toc.track_start(track) ? frame - toc.track_start(track) : 0;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:", track);
    return text + msf_text(offset);
}

std::string format_cd_length(int frames, MciTimeFormat format) {
    if (format == MciTimeFormat::Milliseconds) return std::to_string(frames_to_ms(frames));
    return msf_text(frames);
}

MCIERROR parse_cd_position(const CdToc& toc, std::string_view text, MciTimeFormat format,
                           int* frame) {
    std::vector<long> f;
    if (format == MciTimeFormat::Milliseconds) {
        long ms = 0;
        if (!parse_decimal(text, &ms)) return MCIERR_BAD_INTEGER;
        *frame = static_cast<int>(ms * kCdFramesPerSecond / 1000);
        return 0;
    }
    const bool tmsf = format == MciTimeFormat::Tmsf;
    if (MCIERROR e = split_fields(text, tmsf ? 4 : 3, &f)) return e;
    std::size_t k = 0;
    int base = 0;
    if (tmsf) {
        if (!toc.has_track(f[0])) return MCIERR_OUTOFRANGE;
        base = toc.track_start(static_cast<int>(f[0]));
        k = 1;
    }
    const long minutes = k < f.size() ? f[k] : 0;
    const long seconds = k + 1 < f.size() ? f[k + 1] : 0;
    const long frames = k + 2 < f.size() ? f[k + 2] : 0;
    if (seconds > 59 || frames >= kCdFramesPerSecond || minutes > 99) return MCIERR_OUTOFRANGE;
    *frame = base + static_cast<int>((minutes * 60 + seconds) * kCdFramesPerSecond + frames);
    return 0;
}
