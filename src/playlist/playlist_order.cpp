// The operations that reorder a playlist: random order, sorting by key and moving marked blocks.
#include <algorithm>

#include "playlist/playlist.h"
#include "playlist/playlist_random.h"

void Playlist::randomize() {
    for (int i = 0; i < count; ++i) entries[i]->sortKey = next_playlist_random();
    sort(0, -1);
}

void Playlist::sort(int from, int to) {
    if (to < 0 || to > count) to = count;
    if (from < 0) from = 0;
    if (from >= to) return;
    std::sort(entries.begin() + from, entries.begin() + to,
              [](const auto& a, const auto& b) { return a->sortKey < b->sortKey; });
}

bool Playlist::moveMarkedUp() {
    int n = 0;
    int first = -1;
    int last = -1;
    for (int i = 0; i < count; ++i) {
        if (!entries[i]->moveMark) continue;
        if (first < 0) first = i;
        last = i;
        ++n;
    }
    if (first <= 0) {
        for (int i = 0; i < count; ++i) entries[i]->moveMark = false;
        return false;
    }

    // The marked entries take the keys first-1, first, ... in their order; each unmarked one
    // keys after them all while keeping its order among the unmarked.
    int next_marked_key = first - 1;
    int marked_after = n;
    for (int j = first - 1; j <= last; ++j) {
        PlaylistEntry& entry = *entries[j];
        if (entry.moveMark) {
            entry.sortKey = next_marked_key++;
            entry.moveMark = false;
            --marked_after;
        } else {
            entry.sortKey = j + marked_after;
        }
    }
    sort(first - 1, last + 1);
    return true;
}

bool Playlist::moveMarkedDown() {
    int first = -1;
    for (int i = 0; i < count && first < 0; ++i) {
        if (entries[i]->moveMark) first = i;
    }
    if (first < 0) return false;

    int unmarked_key = 0;
    int marked_key = count;
    int last = first;
    for (int i = first; i < count; ++i) {
        PlaylistEntry& entry = *entries[i];
        if (entry.moveMark) {
            entry.sortKey = marked_key++;
            entry.moveMark = false;
            last = i;
        } else {
            entry.sortKey = unmarked_key++;
        }
    }
    if (last + 1 >= count) return false;
    sort(first, last + 2);
    return true;
}
