// CD track names (TrackN.cda) and the tmsf positions of the CD audio device.
#include <string>

#include "player/mci_playback.h"

namespace {

// Leading decimal digits, as far as they go; 0 without any.
int leading_number(std::string_view text) {
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        n = n * 10 + (c - '0');
    }
    return n;
}

}  // namespace

CdTrackName cd_track_from_name(std::string_view name) {
    CdTrackName result;
    const std::ptrdiff_t n = static_cast<std::ptrdiff_t>(name.size());
    // Back from the last digit before ".cda" to the 'k' of "Track" (or the name's start).
    std::ptrdiff_t i = n - 5;
    if (i < 0) i = 0;
    while (i > 0 && name[i] != 'k' && name[i] != 'K') --i;
    std::ptrdiff_t from = i + 1;
    while (from < n - 4 && name[from] == '0') ++from;
    if (from < n - 4) {
        // The job keeps the text in eight bytes: a longer one is cut, never overflows.
        result.trackText =
            std::string(name.substr(from, std::min<std::ptrdiff_t>(n - 4 - from, 7)));
    }
    result.track = leading_number(result.trackText);
    result.nextTrackText = std::to_string(result.track + 1);
    return result;
}

int cd_position_ms(std::string_view answer, std::string_view trackText, int length) {
    const std::size_t colon = answer.find(':');
    std::string_view track = answer.substr(0, colon);
    while (!track.empty() && track.front() == '0') track.remove_prefix(1);
    if (track != trackText) return length;
    // Up to two characters of each of the next three fields: minutes, seconds, frames.
    int fields[3] = {0, 0, 0};
    std::size_t at = colon;
    for (int& field : fields) {
        if (at == std::string_view::npos) break;
        field = leading_number(answer.substr(at + 1, 2));
        at = answer.find(':', at + 1);
    }
    return fields[0] * 60000 + fields[1] * 1000 + fields[2] * 1000 / 75;
}
