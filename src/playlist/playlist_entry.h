// One entry of a playlist: a media file or CD track with the properties a playlist file can give.
#pragma once

#include <cstdint>
#include <string>

// Texts are single-byte strings kept as bytes; an empty text stands for "none", which is what
// the properties' setters store for a missing or empty value.
struct PlaylistEntry {
    PlaylistEntry() = default;
    explicit PlaylistEntry(std::string entry_path) : path(std::move(entry_path)) {}

    std::string path;         // a file path, or a CD track name like Track3.cda
    std::string displayName;  // from the entry's "#a" line
    std::string lyricsFile;   // from the entry's "#l" line
    std::string imageFile;    // from the entry's "#i" line
    float factor = 1.0f;      // from the entry's "#f" line
    std::int32_t sortKey = 0;
    bool removeMark = false;
    bool moveMark = false;
    // Read from a playlist file with a Windows path (or one named by such a file): the entry's
    // path is then a Windows one, whose letter case does not matter, even when it is relative.
    bool from_windows_file = false;
};

// A copy as lists make it when they take an entry over: texts and factor, a fresh key and marks.
inline PlaylistEntry copy_of_entry(const PlaylistEntry& entry) {
    PlaylistEntry copy(entry.path);
    copy.displayName = entry.displayName;
    copy.lyricsFile = entry.lyricsFile;
    copy.imageFile = entry.imageFile;
    copy.factor = entry.factor;
    copy.from_windows_file = entry.from_windows_file;
    return copy;
}
