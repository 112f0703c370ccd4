// Playlists as other programs and other systems write them: extended M3U, Windows, UTF-8 names.
#include <string>
#include <vector>

#include "playlist/playlist_paths.h"
#include "playlist_test_support.h"

namespace {

using Paths = std::vector<std::string>;
using Boxes = std::vector<MessageBoxCall>;

class RealPlaylistFiles : public PlaylistTest {};

TEST_F(RealPlaylistFiles, AnExtendedM3uFromAMediaPlayer) {
    std::string song1 = dir.write("Music/01 - Opening.mp3", "");
    std::string song2 = dir.write("Music/02 - Closing.mp3", "");
    std::string list = dir.write("Music/album.m3u",
                                 "#EXTM3U\n"
                                 "#EXTINF:215,Some Artist - Opening\n"
                                 "01 - Opening.mp3\n"
                                 "#EXTINF:187,Some Artist - Closing\n" +
                                     song2 +
                                     "\n"
                                     "#EXTINF:-1,Radio\n"
                                     "http://radio.example/stream\n");
    sourceList.checkFiles = false;
    EXPECT_EQ(sourceList.load(list, false, false), 3);
    // Relative lines stay relative to the process's folder, as written; EXTINF gives no names.
    EXPECT_EQ(paths_of(sourceList),
              (Paths{"01 - Opening.mp3", song2, "http://radio.example/stream"}));
    for (int i = 0; i < sourceList.count; ++i) {
        EXPECT_EQ(sourceList.entries[i]->displayName, "");
    }
    EXPECT_TRUE(win.message_boxes().empty());
    (void)song1;
}

TEST_F(RealPlaylistFiles, AListSavedOnWindowsLoadsOnLinux) {
    std::string intro = dir.write("Lists/Disc 1/01 Intro.mp3", "");
    std::string lyrics = dir.write("Lists/Disc 1/01 Intro.txt", "");
    std::string inner_song = dir.write("Lists/Sub/inner.mp3", "");
    dir.write("Lists/Sub/Inner.M3U", "%BASE_DIR%\\inner.mp3\r\n");
    std::string list = dir.write("Lists/party.lst",
                                 "#n Party Mix\r\n"
                                 "%BASE_DIR%\\Disc 1\\01 Intro.mp3\r\n"
                                 "#a Intro\r\n"
                                 "#l %BASE_DIR%\\Disc 1\\01 Intro.txt\r\n"
                                 "#f 0.5\r\n"
                                 "\r\n"
                                 "C:\\Music\\Elsewhere\\song.mp3\r\n"
                                 "\r\n"
                                 "%BASE_DIR%\\Sub\\Inner.M3U\r\n"
                                 "\r\n"
                                 "Track2.cda\r\n"
                                 "\r\n");
    // What the player does: read the configured file, then expand it into the playback list.
    EXPECT_EQ(sourceList.load(list, false, false), 3);
    EXPECT_EQ(sourceList.name, "Party Mix");
    EXPECT_EQ(paths_of(sourceList), (Paths{intro, dir / "Lists/Sub/Inner.M3U", "Track2.cda"}));
    const PlaylistEntry& first = *sourceList.entries[0];
    EXPECT_EQ(first.displayName, "Intro");
    EXPECT_EQ(first.lyricsFile, lyrics);
    EXPECT_EQ(first.factor, 0.5f);
    EXPECT_EQ(win.message_boxes(), (Boxes{invalid_file_box("C:\\Music\\Elsewhere\\song.mp3")}));

    playbackList.rebuildFrom(sourceList);
    EXPECT_EQ(paths_of(playbackList), (Paths{intro, inner_song, "Track2.cda"}));
    EXPECT_EQ(playbackList.entries[0]->displayName, "Intro");

    // Saved back on Linux, the same entries come out of the file again.
    ASSERT_TRUE(sourceList.save(dir / "Lists/party.lst"));
    Playlist again;
    EXPECT_EQ(again.load(dir / "Lists/party.lst", false, false), 3);
    EXPECT_EQ(paths_of(again), paths_of(sourceList));
    EXPECT_EQ(again.entries[0]->lyricsFile, lyrics);
}

TEST_F(RealPlaylistFiles, Utf8NamesAreKeptAsBytes) {
    const std::string name = "Mötley Crüe – Señor Ñandú 日本.mp3";
    std::string song = dir.write("Ünïcödé/" + name, "");
    std::string list = dir.write("Ünïcödé/liste.m3u",
                                 "\xEF\xBB\xBF#EXTM3U\n"  // a byte-order mark hides nothing
                                 "%BASE_DIR%/" +
                                     name + "\n#a Señor\n");
    EXPECT_EQ(sourceList.load(list, false, false), 1);
    ASSERT_EQ(sourceList.count, 1);
    EXPECT_EQ(sourceList.entries[0]->path, song);
    EXPECT_EQ(sourceList.entries[0]->displayName, "Señor");
    EXPECT_EQ(fileNamePart(sourceList.entries[0]->path), name);
    EXPECT_TRUE(sourceList.removeByPath(song));
    EXPECT_FALSE(sourceList.removeByPath(song));

    sourceList.load(list, false, false);
    ASSERT_TRUE(sourceList.save(dir / "Ünïcödé/saved.lst"));
    EXPECT_EQ(dir.read("Ünïcödé/saved.lst"), "%BASE_DIR%/" + name + "\r\n#a Señor\r\n\r\n");
}

}  // namespace
