// Path helpers of the playlists: usable files, playlist names, selections, folders and names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Paths from Windows and from Linux meet in playlists, so both "\" and "/" separate folders.
inline bool is_path_separator(char c) { return c == '\\' || c == '/'; }

// Equal ignoring the letter case of A..Z; other bytes (those of UTF-8 names too) must match.
bool equals_ignoring_case(std::string_view a, std::string_view b);
bool ends_with_ignoring_case(std::string_view text, std::string_view suffix);

// A Windows path: a drive letter and a colon first (D:\Music), or the two backslashes of a
// network name (\\server\share). Windows ignores letter case in these; Linux paths are exact.
bool is_windows_path(std::string_view path);
// Whether a and b name the same file in a list kept in `folder`: ignoring letter case only when
// that folder is a Windows one.
bool same_path_in(std::string_view a, std::string_view b, std::string_view folder);

// The separator to put after a folder: "\" for a Windows-style folder (backslashes and no
// slash, or a bare drive like D:), "/" otherwise.
char separator_for_folder(std::string_view folder);

// The folder of a file: its path up to, not including, the last separator; empty without one.
std::string folder_of_path(std::string_view path);

// True for CD tracks (".cda" in any case, they need no file) and for paths that exist.
bool fileUsable(const std::string& path);
// At least 5 characters ending in ".txt", ".lst" or ".m3u" in any case.
bool isPlaylistFile(std::string_view path);
// Splits a file-selection buffer: NUL-terminated strings up to an empty one (or the end of the
// buffer). With firstIsFolder the first string is a folder and the rest are names in it. Takes at
// most max - 1 paths.
std::vector<std::string> splitSelection(std::string_view selection, int max, bool firstIsFolder);
// The text after the last separator, or all of the path when it has none.
std::string fileNamePart(std::string_view path);
