// The "%BASE_DIR%" prefix that lets a playlist name files relative to its own folder.
#include "playlist/base_dir.h"

#include "platform/system/file_ops.h"
#include "playlist/playlist_paths.h"

std::string expandBaseDir(std::string_view text, std::string_view folder) {
    if (text.size() < kBaseDirPrefix.size() ||
        !equals_ignoring_case(text.substr(0, kBaseDirPrefix.size()), kBaseDirPrefix)) {
        return std::string(text);
    }
    std::string_view rest = text.substr(kBaseDirPrefix.size());
    std::string literal = std::string(folder) + std::string(rest);
    if (separator_for_folder(folder) != '/' || rest.find('\\') == std::string_view::npos) {
        return literal;
    }
    // A list written on Windows names the files below its folder with backslashes; here the
    // folder is a Linux one, so they become slashes. A Linux file whose name really holds a
    // backslash still wins when it is there.
    if (GetFileAttributesA(literal.c_str()) != INVALID_FILE_ATTRIBUTES) return literal;
    std::string converted(folder);
    for (char c : rest) converted += (c == '\\') ? '/' : c;
    return converted;
}

std::string contractBaseDir(std::string_view path, std::string_view folder) {
    if (path.size() < folder.size()) return std::string(path);
    // Windows ignores letter case in its paths; on Linux /x/Music and /x/music are two folders.
    if (!same_path_in(path.substr(0, folder.size()), folder, folder)) return std::string(path);
    return std::string(kBaseDirPrefix) + std::string(path.substr(folder.size()));
}
