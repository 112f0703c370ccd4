// The three process-wide lists: the configured playlist, the editor's list and the playback list.
#pragma once

#include "playlist/playback_list.h"
#include "playlist/playlist.h"

// The configured playlist file as read, nested playlists unexpanded.
extern Playlist sourceList;
// The playlist editor's working list; it keeps its content between openings of the editor.
extern Playlist editorList;
// What the player plays: rebuilt from sourceList or editorList.
extern PlaybackList playbackList;

// Puts the three lists back to their state at start-up (tests begin from it).
void reset_global_lists();
