// The three process-wide lists: the configured playlist, the editor's list and the playback list.
#include "playlist/global_lists.h"

Playlist sourceList;
Playlist editorList;
PlaybackList playbackList;

void reset_global_lists() {
    sourceList = Playlist();
    editorList = Playlist();
    playbackList = PlaybackList();
}
