// Writing a list as a playlist file: the name, then each entry with its property lines.
#include "platform/system/file_ops.h"
#include "playlist/base_dir.h"
#include "playlist/playlist.h"
#include "playlist/playlist_factor.h"
#include "playlist/playlist_line_reader.h"
#include "playlist/playlist_paths.h"

namespace {

// The reader ends a line at a line feed and ignores what follows a NUL in it.
std::string_view up_to_line_end(std::string_view text) {
    return text.substr(0, text.find_first_of(std::string_view("\n\0", 2)));
}

// Whether the line, read back from a file in folder, is an entry with this path again.
bool reads_back_as_entry(std::string_view line, std::string_view path, std::string_view folder) {
    return line.size() >= 2 && line.size() <= kPlaylistLineMax &&
           up_to_line_end(line).size() == line.size() && line[0] != '#' && !is_blank_line(line) &&
           same_path_in(expandBaseDir(line, folder), path, folder);
}

// A property line held to what the reader keeps: "#a Title", or "#aTitle" when the blank would
// push the value past the longest line (the reader skips the blank either way), and a value
// longer still is cut where the reader would cut it. Empty when nothing of the value is left.
std::string property_line(char directive, std::string_view value) {
    value = up_to_line_end(value);
    if (value.empty()) return {};
    std::string line{'#', directive};
    if (3 + value.size() <= kPlaylistLineMax) line += ' ';
    line += value.substr(0, kPlaylistLineMax - 2);
    return line;
}

}  // namespace

bool Playlist::save(const std::string& path) {
    const std::string folder = folder_of_path(path);
    // "%BASE_DIR%" takes the folder's place only where that gives the same path back within the
    // room of a line; below a folder shorter than the prefix the path may fit only as it is.
    auto as_written = [&](const std::string& file, std::size_t room) {
        if (!useBaseDir) return file;
        std::string contracted = contractBaseDir(file, folder);
        if (contracted.size() > room ||
            !same_path_in(expandBaseDir(contracted, folder), file, folder))
            return file;
        return contracted;
    };

    // Text mode on the system the format comes from: every line ends with CR LF.
    std::string text;
    auto add_line = [&text](std::string_view line) {
        text += line;
        text += "\r\n";
    };
    auto add_property = [&add_line](char directive, std::string_view value) {
        std::string line = property_line(directive, value);
        if (!line.empty()) add_line(line);
    };
    constexpr std::size_t kValueRoom = kPlaylistLineMax - 2;  // "#l" and the value
    if (!name.empty()) add_property('n', name);
    for (int i = 0; i < count; ++i) {
        const PlaylistEntry& entry = *entries[i];
        // An entry the reader could not give back (too long a path, a line feed in it) fails the
        // save, and the old file stays: written, it would be cut or split on the next reading.
        const std::string line = as_written(entry.path, kPlaylistLineMax);
        if (!reads_back_as_entry(line, entry.path, folder)) return false;
        add_line(line);
        add_property('a', entry.displayName);
        if (!entry.lyricsFile.empty()) add_property('l', as_written(entry.lyricsFile, kValueRoom));
        if (!entry.imageFile.empty()) add_property('i', as_written(entry.imageFile, kValueRoom));
        if (entry.factor != 1.0f) add_line("#f " + format_factor(entry.factor));
        add_line("");
    }
    // The reader drops a byte-order mark at the file's start: a first path that begins with one
    // keeps it behind a second.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(kByteOrderMark)) text.insert(0, kByteOrderMark);
    return replace_file_contents(path.c_str(), text);
}
