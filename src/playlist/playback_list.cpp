// The playback list: its own versions of the list operations and the rebuild from a source list.
#include "playlist/playback_list.h"

#include "playlist/playlist_messages.h"
#include "playlist/playlist_paths.h"

PlaybackList::PlaybackList() {
    checkFiles = false;
    warnInvalid = false;
}

PlaybackList::PlaybackList(const PlaybackList& other)
    : Playlist(other),
      position(other.position),
      sourceCopy(other.sourceCopy ? std::make_unique<Playlist>(*other.sourceCopy) : nullptr) {}

PlaybackList& PlaybackList::operator=(const PlaybackList& other) {
    if (this == &other) return *this;
    Playlist::operator=(other);
    position = other.position;
    sourceCopy = other.sourceCopy ? std::make_unique<Playlist>(*other.sourceCopy) : nullptr;
    return *this;
}

bool PlaybackList::save(const std::string& path) {
    if (saveOwnEntries) return Playlist::save(path);
    return sourceCopy ? sourceCopy->save(path) : false;
}

void PlaybackList::clear() {
    Playlist::clear();
    position = 0;
    sourceCopy.reset();
}

int PlaybackList::load(const std::string& path, bool append, bool recursive) {
    return recursive ? Playlist::load(path, append, true) : 0;
}

void PlaybackList::randomize() {
    Playlist::randomize();
    position = 0;
}

void PlaybackList::sort(int from, int to) {
    Playlist::sort(from, to);
    position = 0;
}

bool PlaybackList::removeByPath(const std::string& path) {
    // The position moves back by the entries that go before it, so that it names the same entry
    // or, when that one goes too, the first one after it that stays; past the end it wraps to
    // the start.
    int removed_before = 0;
    for (int i = 0; i < position && i < count; ++i) {
        if (entry_has_path(*entries[i], path)) ++removed_before;
    }
    const bool removed = Playlist::removeByPath(path);
    position -= removed_before;
    if (position < 0 || position >= count) position = 0;
    if (sourceCopy) sourceCopy->removeByPath(path);
    return removed;
}

void PlaybackList::rebuildFrom(const Playlist& source) {
    // The copy is taken first: the source may be this list's own source copy, which clear frees.
    auto copy = std::make_unique<Playlist>(source);
    clear();
    // All the nested files of the rebuild draw on one reading's budget.
    ReadScope reading(*this, false);
    for (int i = 0; i < copy->count && count < kPlaylistSlots; ++i) {
        const PlaylistEntry& entry = *copy->entries[i];
        if (!isPlaylistFile(entry.path)) {
            appendCopy(entry);
            continue;
        }
        if (depth >= kPlaylistMaxDepth) {
            show_list_recursion_error(ownerWindow);
            continue;
        }
        ++depth;
        ReadScope nested(*this, entry.from_windows_file);
        load(entry.path, true, true);
        --depth;
    }
    // The flags are taken only now: the nested files were read with the ones this list had.
    checkFiles = copy->checkFiles;
    warnInvalid = copy->warnInvalid;
    useBaseDir = copy->useBaseDir;
    saveOwnEntries = copy->saveOwnEntries;
    name = copy->name;
    ownerWindow = copy->ownerWindow;
    sourceCopy = std::move(copy);
}
