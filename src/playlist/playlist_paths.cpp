// Path helpers of the playlists: usable files, playlist names, selections, folders and names.
#include "playlist/playlist_paths.h"

#include "platform/system/file_ops.h"

namespace {

char lower_ascii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool equals_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower_ascii(a[i]) != lower_ascii(b[i])) return false;
    }
    return true;
}

bool ends_with_ignoring_case(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           equals_ignoring_case(text.substr(text.size() - suffix.size()), suffix);
}

bool is_windows_path(std::string_view path) {
    if (path.size() < 2) return false;
    if (path[0] == '\\' && path[1] == '\\') return true;
    const char drive = lower_ascii(path[0]);
    return drive >= 'a' && drive <= 'z' && path[1] == ':';
}

bool same_path_in(std::string_view a, std::string_view b, std::string_view folder) {
    return is_windows_path(folder) ? equals_ignoring_case(a, b) : a == b;
}

char separator_for_folder(std::string_view folder) {
    if (folder.find('/') != std::string_view::npos) return '/';
    if (folder.find('\\') != std::string_view::npos) return '\\';
    bool bare_drive =
        folder.size() == 2 && folder[1] == ':' &&
        ((folder[0] >= 'A' && folder[0] <= 'Z') || (folder[0] >= 'a' && folder[0] <= 'z'));
    return bare_drive ? '\\' : '/';
}

std::string folder_of_path(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (is_path_separator(path[i - 1])) return std::string(path.substr(0, i - 1));
    }
    return {};
}

bool fileUsable(const std::string& path) {
    if (ends_with_ignoring_case(path, ".cda")) return true;
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool isPlaylistFile(std::string_view path) {
    return path.size() >= 5 &&
           (ends_with_ignoring_case(path, ".txt") || ends_with_ignoring_case(path, ".lst") ||
            ends_with_ignoring_case(path, ".m3u"));
}

std::vector<std::string> splitSelection(std::string_view selection, int max, bool firstIsFolder) {
    // The strings up to the first empty one; a buffer that ends without one ends the list too.
    std::vector<std::string_view> strings;
    while (!selection.empty()) {
        std::size_t end = selection.find('\0');
        std::string_view one = selection.substr(0, end);
        if (one.empty()) break;
        strings.push_back(one);
        if (end == std::string_view::npos) break;
        selection.remove_prefix(end + 1);
    }

    std::vector<std::string> paths;
    if (strings.empty() || max <= 1) return paths;
    const auto limit = static_cast<std::size_t>(max - 1);
    if (!firstIsFolder) {
        for (std::size_t i = 0; i < strings.size() && paths.size() < limit; ++i) {
            paths.emplace_back(strings[i]);
        }
        return paths;
    }
    std::string_view folder = strings[0];
    std::string prefix(folder);
    if (!is_path_separator(folder.back())) prefix += separator_for_folder(folder);
    for (std::size_t i = 1; i < strings.size() && paths.size() < limit; ++i) {
        paths.push_back(prefix + std::string(strings[i]));
    }
    return paths;
}

std::string fileNamePart(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (is_path_separator(path[i - 1])) return std::string(path.substr(i));
    }
    return std::string(path);
}
