// The player controller: opens playlist entries, starts and stops their workers, and walks the
// playback list. Free functions on the global player state (player_state.h).
#pragma once

#include <string>

// Plays the playlist or single file at path from its first entry (the saver's start).
void start_music(const std::string& path);
// Loads the playlist or single file named in currentEntry and opens its first playable entry
// without playing it (the playlist editor's Load List).
bool prepare_selection();
// Opens currentEntry as an MCI or an MPEG job; on failure drops it from the list and, with
// continueOnFailure, goes on with the next entry.
bool open_current_entry(bool continueOnFailure);
// Starts the worker of the open entry; does nothing unless an entry is ready.
void play();
// Next entry of the list, or the first with wrap; at the end without wrap, silence.
void advance(bool wrap);
// Stops, opens the entry at the list position (dropping those that fail) and plays it.
void play_at_position();
// Stops and opens the entry at the list position without playing it.
bool start_list();
// Ends the worker (always by a join) and releases the open entry.
void stop_playback();
// Stops a started entry and opens it again, ready to play from its start.
void stop_and_rewind();
// stop_playback, all flags cleared, nothing open, currentEntry empty.
void reset_player();
// Removes a path that failed to open from the playback list and goes on with the next entry.
void drop_failed_entry(const std::string& failedPath, bool continueOnFailure);
