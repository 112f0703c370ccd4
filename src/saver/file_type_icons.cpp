// The file-type icons of the playlist editor: an image list and a cache from extension to index.
#include "saver/file_type_icons.h"

#include <map>

#include "playlist/playlist_paths.h"

namespace {

struct FileTypeIcons {
    HIMAGELIST images = nullptr;
    std::map<std::string, int> by_extension;  // lower-case, with its dot
};

FileTypeIcons& icons() {
    static FileTypeIcons s;
    return s;
}

// The text from the last "." of the file's name. A dot in a folder name is no extension.
std::string extension_of(const std::string& path) {
    const std::string name = fileNamePart(path);
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) return {};
    std::string ext = name.substr(dot);
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return ext;
}

}  // namespace

HIMAGELIST file_type_image_list() {
    FileTypeIcons& s = icons();
    if (!s.images) s.images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 16, 16);
    return s.images;
}

int file_type_icon(const std::string& path) {
    const std::string ext = extension_of(path);
    if (ext.empty()) return -1;
    FileTypeIcons& s = icons();
    auto it = s.by_extension.find(ext);
    if (it != s.by_extension.end()) return it->second;
    SHFILEINFOA info{};
    if (!SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON)) {
        return -1;  // asked again next time: the desktop may know it then
    }
    const int index = ImageList_AddIcon(file_type_image_list(), info.hIcon);
    DestroyIcon(info.hIcon);
    if (index >= 0) s.by_extension[ext] = index;
    return index;
}

void reset_file_type_icons() {
    FileTypeIcons& s = icons();
    if (s.images) ImageList_Destroy(s.images);
    s.images = nullptr;
    s.by_extension.clear();
}
