// The playlist: up to 1024 entries in order, with the operations the editor and the player use.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "platform/win/win.h"
#include "playlist/playlist_entry.h"
#include "playlist/playlist_line_reader.h"

constexpr int kPlaylistSlots = 1024;
// Single appends and inserts stop one short of the slots; addFiles may fill the last one.
constexpr int kPlaylistAppendLimit = 1023;
// Playlist files may nest this many levels below the list read at the top.
constexpr int kPlaylistMaxDepth = 8;

class Playlist {
public:
    Playlist();
    Playlist(const Playlist& other);
    Playlist& operator=(const Playlist& other);
    virtual ~Playlist() = default;

    // Writes the list as a playlist file, replacing the file at path only once the new one is
    // complete; false when it could not be written (the old file is then left as it was).
    virtual bool save(const std::string& path);
    // Frees every entry and the name; count and depth 0. Flags and owner window stay.
    virtual void clear();
    // Reads a playlist file; returns the number of entries this file itself appended.
    virtual int load(const std::string& path, bool append, bool recursive);
    // Adds the media files of a file-selection buffer (NUL-separated strings ending with an empty
    // one) before slot index (-1: at the end); returns how many were added.
    virtual int addFiles(std::string_view selection, bool firstIsFolder, bool keep, int index);
    virtual void randomize();
    // Orders slots from .. to-1 (to < 0: up to count) by ascending sortKey, not stably.
    virtual void sort(int from, int to);
    virtual bool insertPath(const std::string& path, int index);
    // The list owns the entry from now on, also when it refuses it (it is then freed).
    virtual bool insertEntry(std::unique_ptr<PlaylistEntry> entry, int index);
    virtual int removeMarked();
    virtual bool removeAt(int index);
    // Removes every entry whose path equals path: ignoring letter case for Windows paths and for
    // entries read from a Windows playlist file, exactly for the rest.
    virtual bool removeByPath(const std::string& path);

    bool appendPath(const std::string& path);
    bool appendCopy(const PlaylistEntry& entry);
    bool moveMarkedUp();
    bool moveMarkedDown();
    // Asks whether to keep warning about files that are not there; No turns warnInvalid off.
    void warnInvalidFile(const std::string& path);

    // Slots 0 .. count-1 hold the list in order; the rest are empty.
    std::array<std::unique_ptr<PlaylistEntry>, kPlaylistSlots> entries;
    int count = 0;
    std::string name;  // empty: none
    bool checkFiles = true;
    bool warnInvalid = true;
    bool useBaseDir = true;
    bool saveOwnEntries = false;
    int depth = 0;
    HWND ownerWindow = nullptr;

protected:
    // The test of removeByPath.
    static bool entry_has_path(const PlaylistEntry& entry, const std::string& path);

    // What the files of one reading share while it lasts: one budget of bytes and lines (made by
    // the outermost scope), and whether the file being read is a Windows one, which the files
    // it names inherit. Each scope puts back what it found when it ends.
    class ReadScope {
    public:
        ReadScope(Playlist& list, bool windows_file);
        ~ReadScope();
        ReadScope(const ReadScope&) = delete;
        ReadScope& operator=(const ReadScope&) = delete;

    private:
        Playlist& list_;
        PlaylistReadBudget own_budget_;
        bool outermost_;
        bool enclosing_windows_file_;
    };

private:
    // Opens room for n entries at index by moving the later ones up.
    void open_gap(int index, int n);

    PlaylistReadBudget* read_budget_ = nullptr;  // set while a reading is under way
    bool reading_windows_file_ = false;
};
