// Reading a playlist file into a list: entries, property lines and nested playlists.
#include <string_view>

#include "playlist/base_dir.h"
#include "playlist/playlist.h"
#include "playlist/playlist_factor.h"
#include "playlist/playlist_line_reader.h"
#include "playlist/playlist_messages.h"
#include "playlist/playlist_paths.h"

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// A "#" line: a property of the last entry, or the list's name at the top of a top-level file.
void apply_property_line(Playlist& list, std::string_view line, const std::string& folder) {
    if (line.size() < 2) return;
    const char directive =
        (line[1] >= 'A' && line[1] <= 'Z') ? static_cast<char>(line[1] + 32) : line[1];
    std::string_view value = line.substr(2);
    while (!value.empty() && is_blank(value.front())) value.remove_prefix(1);

    if (list.depth == 0 && list.count == 0) {
        if (directive == 'n' && list.name.empty()) list.name = std::string(value);
        return;
    }
    if (list.count == 0) return;
    PlaylistEntry& last = *list.entries[list.count - 1];
    switch (directive) {
        case 'a':
            last.displayName = std::string(value);
            break;
        case 'l':
            last.lyricsFile = expandBaseDir(value, folder);
            break;
        case 'i':
            last.imageFile = expandBaseDir(value, folder);
            break;
        case 'f': {
            float factor = parse_factor(value);
            if (factor >= 0.0f) last.factor = factor;
            break;
        }
        default:
            break;
    }
}

}  // namespace

Playlist::ReadScope::ReadScope(Playlist& list, bool windows_file)
    : list_(list),
      outermost_(list.read_budget_ == nullptr),
      enclosing_windows_file_(list.reading_windows_file_) {
    if (outermost_) list_.read_budget_ = &own_budget_;
    list_.reading_windows_file_ = windows_file;
}

Playlist::ReadScope::~ReadScope() {
    if (outermost_) list_.read_budget_ = nullptr;
    list_.reading_windows_file_ = enclosing_windows_file_;
}

int Playlist::load(const std::string& path, bool append, bool recursive) {
    // A file named by a Windows list is a Windows one too, whatever its own path looks like.
    ReadScope scope(*this, is_windows_path(path) || reading_windows_file_);
    PlaylistLineReader reader(path, *read_budget_);
    if (!append) clear();
    if (!reader.is_open()) {
        show_unable_to_open_playlist(ownerWindow, path);
        return 0;
    }

    const std::string folder = folder_of_path(path);
    int added = 0;
    std::string line;
    while (count < kPlaylistAppendLimit && reader.next_line(&line)) {
        if (is_blank_line(line)) continue;
        if (line[0] == '#') {
            apply_property_line(*this, line, folder);
            continue;
        }
        std::string text = expandBaseDir(line, folder);
        if (line.size() < 2) continue;
        if (checkFiles && !fileUsable(text)) {
            if (warnInvalid) warnInvalidFile(text);
            continue;
        }
        if (recursive && isPlaylistFile(text)) {
            ++depth;
            if (depth > kPlaylistMaxDepth) {
                // The depth stays raised until the next clear, so each enclosing file stops at
                // its next nested reference too: a cycle ends after a few messages, not hundreds.
                show_list_recursion_error(ownerWindow);
                return added;
            }
            load(text, true, true);
            --depth;
            continue;
        }
        if (appendPath(text)) {
            entries[count - 1]->from_windows_file = reading_windows_file_;
            ++added;
        }
    }
    if (added == 0) show_unable_to_open_playlist(ownerWindow, path);
    return added;
}
