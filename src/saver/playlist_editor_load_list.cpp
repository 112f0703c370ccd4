// The playlist editor's Load List: the configured playlist, read by the player as it would play
// it, becomes the editor's list as the file holds it.
#include "player/player_controller.h"
#include "player/player_lock.h"
#include "player/player_state.h"
#include "playlist/global_lists.h"
#include "playlist/playlist_paths.h"
#include "saver/playlist_editor_state.h"

void load_configured_list() {
    // Held throughout, so that a decoding thread started below cannot hand over to the entry
    // after its own before it is stopped again.
    PlayerLock lock;
    editorList.clear();
    show_rows_from(0);
    // The player reads the file into sourceList, rebuilds playbackList from it and opens its
    // first entry; a single media file is opened as it is, with no list.
    const std::string path = player_state().playlistPath;
    player_state().currentEntry = path;
    prepare_selection();
    // When the first entry cannot be opened, the player drops it and starts playing the next
    // one. The editor only loads: stop that and leave the entry open, as a good first one is.
    stop_and_rewind();
    // The editor shows the list as the file holds it. Entries the player could not open are gone
    // from its own lists (from the playback list's source copy too, which goes whole when none
    // could be opened), but sourceList keeps them as read, and a Save List must not lose them.
    if (isPlaylistFile(path) && sourceList.count > 0) {
        editorList = sourceList;
    } else {
        editorList.clear();
    }
    show_rows_from(0);
}
