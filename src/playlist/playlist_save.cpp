// Writing a list as a playlist file: the name, then each entry with its property lines.
#include "platform/system/file_ops.h"
#include "playlist/base_dir.h"
#include "playlist/playlist.h"
#include "playlist/playlist_factor.h"
#include "playlist/playlist_paths.h"

bool Playlist::save(const std::string& path) {
    const std::string folder = folder_of_path(path);
    auto as_written = [&](const std::string& file) {
        return useBaseDir ? contractBaseDir(file, folder) : file;
    };

    // Text mode on the system the format comes from: every line ends with CR LF.
    std::string text;
    auto add_line = [&text](std::string_view line) {
        text += line;
        text += "\r\n";
    };
    if (!name.empty()) add_line("#n " + name);
    for (int i = 0; i < count; ++i) {
        const PlaylistEntry& entry = *entries[i];
        add_line(as_written(entry.path));
        if (!entry.displayName.empty()) add_line("#a " + entry.displayName);
        if (!entry.lyricsFile.empty()) add_line("#l " + as_written(entry.lyricsFile));
        if (!entry.imageFile.empty()) add_line("#i " + as_written(entry.imageFile));
        if (entry.factor != 1.0f) add_line("#f " + format_factor(entry.factor));
        add_line("");
    }
    return replace_file_contents(path.c_str(), text);
}
