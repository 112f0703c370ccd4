// Shared test helpers: a temporary folder with files, and a clean start for every playlist test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/win/win_scripted.h"
#include "playlist/global_lists.h"
#include "playlist/playlist_random.h"

// A folder of its own under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        static int serial = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("lumivex-playlist-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string path() const { return path_.string(); }
    // The full path of a name in the folder (the name may hold sub-folders).
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

    // Writes the bytes exactly as given (no line-end translation) and returns the full path.
    std::string write(const std::string& name, const std::string& bytes) const {
        std::filesystem::path file = path_ / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary);
        out << bytes;
        return file.string();
    }

    std::string read(const std::string& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(path_)) {
            out.push_back(e.path().filename().string());
        }
        return out;
    }

private:
    std::filesystem::path path_;
};

// Every playlist test starts with recorded message boxes, fresh global lists and a known seed.
class PlaylistTest : public ::testing::Test {
protected:
    PlaylistTest() {
        reset_global_lists();
        seed_playlist_random(12345);
    }

    std::vector<std::string> paths_of(const Playlist& list) const {
        std::vector<std::string> out;
        for (int i = 0; i < list.count; ++i) out.push_back(list.entries[i]->path);
        return out;
    }

    ScriptedWin win;
    TempFolder dir;
};

// The boxes the code under test must show, captions and texts exact.
inline MessageBoxCall unable_to_open_box(const std::string& path) {
    return {nullptr, "Unable to open the playlist \"" + path + "\".", "Error opening playlist",
            MB_OK | MB_ICONWARNING};
}
inline MessageBoxCall recursion_box() {
    return {nullptr,
            "The maximum level of list recursion has been exceeded. Check to make sure your list "
            "does not contain a cycle.",
            "List recursion error", MB_OK | MB_ICONWARNING};
}
inline MessageBoxCall invalid_file_box(const std::string& path) {
    return {
        nullptr,
        "Invalid file in playlist : \"" + path + "\". File will not be added.\nContinue to warn? ",
        "Warning", MB_YESNO | MB_ICONWARNING};
}

inline bool operator==(const MessageBoxCall& a, const MessageBoxCall& b) {
    return a.owner == b.owner && a.text == b.text && a.caption == b.caption && a.type == b.type;
}
inline void PrintTo(const MessageBoxCall& box, std::ostream* os) {
    *os << "{\"" << box.caption << "\", \"" << box.text << "\", type " << box.type << "}";
}
