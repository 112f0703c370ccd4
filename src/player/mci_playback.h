// MCI playback: entries that MCI plays (CD tracks, wave files, other media) on the alias
// "sounder", started and watched by the MCI thread.
#pragma once

#include <string>
#include <string_view>

#include "platform/winmm/mci.h"
#include "player/player_state.h"

// Opens currentEntry on the alias and fills the MciJob. On failure the MCI error has been shown
// and the device may still be open under the alias (the controller's reset closes it).
bool open_mci_entry();

// The thread procedure; returns the thread's exit code. It announces the end of the piece
// (MM_MCINOTIFY to every top-level window): a CD track by its position, other media when the
// device has played them to the end.
int mci_thread(MciJob& job);

// Sends the play command for the job's entry; false when other media could not be played.
bool mci_play(const MciJob& job, bool fromTrack);

// Shows MCI's text for the error under the caption given.
void report_mci_error(MCIERROR error, const char* caption);

struct CdTrackName {
    std::string trackText;      // the number without leading zeros, at most 7 characters
    std::string nextTrackText;  // the number plus 1
    int track = 0;
};
// The track of a name like Track05.cda.
CdTrackName cd_track_from_name(std::string_view name);

// The track's position in ms from a tmsf answer "TT:MM:SS:FF"; `length` when the answer names
// another track than trackText.
int cd_position_ms(std::string_view answer, std::string_view trackText, int length);
