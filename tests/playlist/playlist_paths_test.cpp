// Path helpers: usable files, playlist names, file selections, folders and "%BASE_DIR%".
#include "playlist/playlist_paths.h"

#include <string>
#include <vector>

#include "playlist/base_dir.h"
#include "playlist_test_support.h"

namespace {

using Paths = std::vector<std::string>;
using namespace std::string_literals;

class PlaylistPaths : public PlaylistTest {};

TEST_F(PlaylistPaths, FileUsableAcceptsCdTracksAndWhatExists) {
    EXPECT_TRUE(fileUsable("Track3.cda"));
    EXPECT_TRUE(fileUsable("/no/such/folder/TRACK02.CDA"));
    EXPECT_TRUE(fileUsable(dir.write("song.mp3", "")));
    EXPECT_TRUE(fileUsable(dir.path()));
    EXPECT_FALSE(fileUsable(dir / "missing.mp3"));
    EXPECT_FALSE(fileUsable(""));
    EXPECT_FALSE(fileUsable("cda"));
}

TEST_F(PlaylistPaths, IsPlaylistFileNeedsFiveCharactersAndAListExtension) {
    EXPECT_TRUE(isPlaylistFile("a.lst"));
    EXPECT_TRUE(isPlaylistFile("D:\\Lists\\MIX.M3U"));
    EXPECT_TRUE(isPlaylistFile("notes.Txt"));
    EXPECT_FALSE(isPlaylistFile(".lst"));
    EXPECT_FALSE(isPlaylistFile("song.mp3"));
    EXPECT_FALSE(isPlaylistFile("a.lst "));
}

TEST_F(PlaylistPaths, SplitSelectionJoinsFolderAndNamesWithOneSeparator) {
    EXPECT_EQ(splitSelection("D:\\Music\0a.mp3\0b.mp3\0\0"s, 1024, true),
              (Paths{"D:\\Music\\a.mp3", "D:\\Music\\b.mp3"}));
    EXPECT_EQ(splitSelection("D:\\Music\\\0a.mp3\0\0"s, 1024, true), (Paths{"D:\\Music\\a.mp3"}));
    EXPECT_EQ(splitSelection("D:\0a.mp3\0\0"s, 1024, true), (Paths{"D:\\a.mp3"}));
    EXPECT_EQ(splitSelection("/home/me/music\0a.mp3\0\0"s, 1024, true),
              (Paths{"/home/me/music/a.mp3"}));
    EXPECT_EQ(splitSelection("/\0a.mp3\0\0"s, 1024, true), (Paths{"/a.mp3"}));
    EXPECT_TRUE(splitSelection("/home/me/music\0\0"s, 1024, true).empty());
    EXPECT_TRUE(splitSelection("\0a.mp3\0\0"s, 1024, false).empty());
    EXPECT_TRUE(splitSelection("", 1024, false).empty());
}

TEST_F(PlaylistPaths, SplitSelectionTakesFullPathsUpToMaxMinusOne) {
    EXPECT_EQ(splitSelection("/a.mp3\0/b.mp3\0\0/never.mp3\0\0"s, 1024, false),
              (Paths{"/a.mp3", "/b.mp3"}));
    EXPECT_EQ(splitSelection("1\0"
                             "2\0"
                             "3\0"
                             "4\0\0"s,
                             3, false),
              (Paths{"1", "2"}));
    EXPECT_EQ(splitSelection("/m\0"
                             "1\0"
                             "2\0"
                             "3\0\0"s,
                             3, true),
              (Paths{"/m/1", "/m/2"}));
    // A buffer that ends without its closing empty string still ends the list.
    EXPECT_EQ(splitSelection("/a.mp3\0/b.mp3"s, 1024, false), (Paths{"/a.mp3", "/b.mp3"}));
}

TEST_F(PlaylistPaths, FileNamePartAndFolderTakeEitherSeparator) {
    EXPECT_EQ(fileNamePart("D:\\Music\\song.mp3"), "song.mp3");
    EXPECT_EQ(fileNamePart("/home/me/Mötley Crüe.mp3"), "Mötley Crüe.mp3");
    EXPECT_EQ(fileNamePart("song.mp3"), "song.mp3");
    EXPECT_EQ(fileNamePart("D:\\Music\\"), "");
    EXPECT_EQ(folder_of_path("D:\\Lists\\a.m3u"), "D:\\Lists");
    EXPECT_EQ(folder_of_path("/home/me/lists/a.lst"), "/home/me/lists");
    EXPECT_EQ(folder_of_path("C:/mixed\\a.lst"), "C:/mixed");
    EXPECT_EQ(folder_of_path("a.lst"), "");
}

TEST_F(PlaylistPaths, ExpandBaseDirReplacesTheFirstTenCharactersOnly) {
    EXPECT_EQ(expandBaseDir("%base_dir%\\x.mp3", "D:\\Lists"), "D:\\Lists\\x.mp3");
    EXPECT_EQ(expandBaseDir("%BASE_DIR%\\sub/x.mp3", "D:\\Lists"), "D:\\Lists\\sub/x.mp3");
    EXPECT_EQ(expandBaseDir("x.mp3", "D:\\Lists"), "x.mp3");
    EXPECT_EQ(expandBaseDir(" %BASE_DIR%\\x.mp3", "D:\\Lists"), " %BASE_DIR%\\x.mp3");
    EXPECT_EQ(expandBaseDir("%BASE_DIR", "D:\\Lists"), "%BASE_DIR");
    EXPECT_EQ(expandBaseDir("%BASE_DIR%", "/srv"), "/srv");
}

TEST_F(PlaylistPaths, ExpandBaseDirTurnsWindowsSeparatorsIntoLinuxOnesBelowALinuxFolder) {
    EXPECT_EQ(expandBaseDir("%BASE_DIR%\\Disc 1\\a.mp3", "/home/me/lists"),
              "/home/me/lists/Disc 1/a.mp3");
    EXPECT_EQ(expandBaseDir("%BASE_DIR%/a.mp3", "/home/me/lists"), "/home/me/lists/a.mp3");
    // A Linux file whose name really holds a backslash is kept when it is there.
    std::string odd = dir.write("AC\\DC.mp3", "");
    EXPECT_EQ(expandBaseDir("%BASE_DIR%/AC\\DC.mp3", dir.path()), odd);
    EXPECT_EQ(expandBaseDir("%BASE_DIR%/AB\\BA.mp3", dir.path()), dir / "AB/BA.mp3");
}

TEST_F(PlaylistPaths, ContractBaseDirMatchesOnTheTextAloneIgnoringCase) {
    EXPECT_EQ(contractBaseDir("D:\\Music\\a.mp3", "D:\\Music"), "%BASE_DIR%\\a.mp3");
    EXPECT_EQ(contractBaseDir("D:\\Music2\\b.mp3", "D:\\Music"), "%BASE_DIR%2\\b.mp3");
    EXPECT_EQ(contractBaseDir("d:\\MUSIC\\a.mp3", "D:\\Music"), "%BASE_DIR%\\a.mp3");
    EXPECT_EQ(contractBaseDir("E:\\Music\\a.mp3", "D:\\Music"), "E:\\Music\\a.mp3");
    EXPECT_EQ(contractBaseDir("D:\\Mu", "D:\\Music"), "D:\\Mu");
    EXPECT_EQ(contractBaseDir("Track3.cda", "D:\\Music"), "Track3.cda");
    for (const char* path : {"D:\\Music\\a.mp3", "D:\\Music2\\b.mp3", "D:\\Musicx"}) {
        EXPECT_EQ(expandBaseDir(contractBaseDir(path, "D:\\Music"), "D:\\Music"), path);
    }
}

TEST_F(PlaylistPaths, LetterCaseIsIgnoredInWindowsPathsOnly) {
    // On Linux another letter case is another file.
    EXPECT_EQ(contractBaseDir("/x/music/a.mp3", "/x/Music"), "/x/music/a.mp3");
    EXPECT_EQ(contractBaseDir("\\\\Server\\Music\\a.mp3", "\\\\server\\music"),
              "%BASE_DIR%\\a.mp3");
    Playlist list;
    list.appendPath("/x/Music/a.mp3");
    list.appendPath("/x/music/a.mp3");
    EXPECT_TRUE(list.removeByPath("/x/music/a.mp3"));
    EXPECT_EQ(paths_of(list), (Paths{"/x/Music/a.mp3"}));

    // The entries of a list read from a file with a Windows path are Windows paths, relative ones
    // too.
    const std::filesystem::path old_folder = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    dir.write("D:\\Lists\\mix.lst", "Song.mp3\r\nother.mp3\r\n");
    list.checkFiles = false;
    list.load("D:\\Lists\\mix.lst", false, false);
    std::filesystem::current_path(old_folder);
    EXPECT_TRUE(list.removeByPath("SONG.MP3"));
    EXPECT_EQ(paths_of(list), (Paths{"other.mp3"}));
}

}  // namespace
