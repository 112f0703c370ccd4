// The list the player plays: a playlist with nested playlists expanded, and the play position.
#pragma once

#include <memory>

#include "playlist/playlist.h"

class PlaybackList : public Playlist {
public:
    PlaybackList();
    PlaybackList(const PlaybackList& other);
    PlaybackList& operator=(const PlaybackList& other);

    // Without saveOwnEntries the source copy is written, so nested playlist references stay.
    bool save(const std::string& path) override;
    void clear() override;
    // Reads only when recursive: a playback list always holds its playlists expanded.
    int load(const std::string& path, bool append, bool recursive) override;
    void randomize() override;
    void sort(int from, int to) override;
    // Also keeps the position on the entry it named, or on the one after it when that one goes.
    bool removeByPath(const std::string& path) override;

    // Rebuilds the list from source, reading every playlist file it names in place.
    void rebuildFrom(const Playlist& source);

    int position = 0;                      // the entry the player is at
    std::unique_ptr<Playlist> sourceCopy;  // the list last rebuilt from, references unexpanded
};
