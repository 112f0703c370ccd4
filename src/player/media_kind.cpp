// Classifying playlist entries by the end of their names.
#include "player/media_kind.h"

#include "playlist/playlist_paths.h"

namespace {

constexpr std::string_view kMciSuffixes[] = {"WAV", "MID", "RMI", "CDA", "AU",  "AIF", "AIFF",
                                             "AVI", "MOV", "QT",  "DAT", "MPG", "MPV", "MPEG"};

}  // namespace

bool is_mci_media(std::string_view name) {
    for (std::string_view suffix : kMciSuffixes) {
        if (ends_with_ignoring_case(name, suffix)) return true;
    }
    return false;
}

bool is_cd_track(std::string_view name) { return ends_with_ignoring_case(name, "CDA"); }
