// The playlist's construction, copies, and the operations that add and remove entries.
#include "playlist/playlist.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "playlist/playlist_messages.h"
#include "playlist/playlist_paths.h"
#include "playlist/playlist_random.h"

Playlist::Playlist() { seed_playlist_random_once(); }

Playlist::Playlist(const Playlist& other)
    : name(other.name),
      checkFiles(other.checkFiles),
      warnInvalid(other.warnInvalid),
      useBaseDir(other.useBaseDir),
      saveOwnEntries(other.saveOwnEntries),
      ownerWindow(other.ownerWindow) {
    seed_playlist_random_once();
    // Every entry is copied, also a 1024th one that addFiles put there: a copy loses nothing.
    for (int i = 0; i < other.count; ++i) {
        entries[i] = std::make_unique<PlaylistEntry>(copy_of_entry(*other.entries[i]));
    }
    count = other.count;
}

Playlist& Playlist::operator=(const Playlist& other) {
    if (this == &other) return *this;
    // The other list may belong to this one (a playback list's source copy), so copy it before
    // this list is cleared.
    Playlist copy(other);
    clear();
    for (int i = 0; i < copy.count; ++i) entries[i] = std::move(copy.entries[i]);
    count = copy.count;
    name = std::move(copy.name);
    checkFiles = copy.checkFiles;
    warnInvalid = copy.warnInvalid;
    useBaseDir = copy.useBaseDir;
    saveOwnEntries = copy.saveOwnEntries;
    ownerWindow = copy.ownerWindow;
    depth = 0;
    return *this;
}

void Playlist::clear() {
    seed_playlist_random_once();
    for (auto& slot : entries) slot.reset();
    count = 0;
    name.clear();
    depth = 0;
}

bool Playlist::appendPath(const std::string& path) {
    if (count >= kPlaylistAppendLimit) return false;
    entries[count++] = std::make_unique<PlaylistEntry>(path);
    return true;
}

bool Playlist::appendCopy(const PlaylistEntry& entry) {
    if (count >= kPlaylistAppendLimit) return false;
    entries[count++] = std::make_unique<PlaylistEntry>(copy_of_entry(entry));
    return true;
}

void Playlist::open_gap(int index, int n) {
    for (int i = count - 1; i >= index; --i) entries[i + n] = std::move(entries[i]);
}

bool Playlist::insertPath(const std::string& path, int index) {
    return insertEntry(std::make_unique<PlaylistEntry>(path), index);
}

bool Playlist::insertEntry(std::unique_ptr<PlaylistEntry> entry, int index) {
    if (!entry || count >= kPlaylistAppendLimit || index < 0 || index > count) return false;
    open_gap(index, 1);
    entries[index] = std::move(entry);
    ++count;
    return true;
}

int Playlist::addFiles(std::string_view selection, bool firstIsFolder, bool keep, int index) {
    if (!keep) clear();
    if (index == -1) index = count;
    if (index < 0 || index > count) return 0;

    std::vector<std::string> usable;
    for (std::string& path : splitSelection(selection, kPlaylistSlots, firstIsFolder)) {
        if (checkFiles && !fileUsable(path)) {
            if (warnInvalid) warnInvalidFile(path);
            continue;
        }
        usable.push_back(std::move(path));
    }

    const int n = std::min(static_cast<int>(usable.size()), kPlaylistSlots - count);
    open_gap(index, n);
    for (int i = 0; i < n; ++i) entries[index + i] = std::make_unique<PlaylistEntry>(usable[i]);
    count += n;
    return n;
}

namespace {

// Frees the entries the predicate picks, closes the gaps keeping the order, returns how many.
template <typename Pick>
int remove_entries_if(Playlist& list, Pick pick) {
    int kept = 0;
    for (int i = 0; i < list.count; ++i) {
        if (pick(*list.entries[i])) {
            list.entries[i].reset();
        } else {
            list.entries[kept++] = std::move(list.entries[i]);
        }
    }
    const int removed = list.count - kept;
    list.count = kept;
    return removed;
}

}  // namespace

int Playlist::removeMarked() {
    return remove_entries_if(*this, [](const PlaylistEntry& e) { return e.removeMark; });
}

bool Playlist::removeAt(int index) {
    if (index < 0 || index >= count) return false;
    entries[index].reset();
    for (int i = index; i + 1 < count; ++i) entries[i] = std::move(entries[i + 1]);
    --count;
    return true;
}

bool Playlist::entry_has_path(const PlaylistEntry& entry, const std::string& path) {
    if (entry.path == path) return true;
    // A Linux path names another file when only its letter case differs.
    return (entry.from_windows_file || is_windows_path(path)) &&
           equals_ignoring_case(entry.path, path);
}

bool Playlist::removeByPath(const std::string& path) {
    return remove_entries_if(
               *this, [&path](const PlaylistEntry& e) { return entry_has_path(e, path); }) > 0;
}

void Playlist::warnInvalidFile(const std::string& path) {
    if (!ask_continue_invalid_file_warning(ownerWindow, path)) warnInvalid = false;
}
