// Reading and writing playlist files: line kinds, properties, limits, nesting and safe saving.
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "playlist/playlist_line_reader.h"
#include "playlist_test_support.h"

namespace {

using Paths = std::vector<std::string>;
using Boxes = std::vector<MessageBoxCall>;

class PlaylistFile : public PlaylistTest {
protected:
    PlaylistFile() { list.checkFiles = false; }

    // Loads the text as a top-level file into the test's list.
    int load_text(const std::string& text, const std::string& name = "list.lst") {
        return list.load(dir.write(name, text), false, false);
    }

    Playlist list;
};

TEST_F(PlaylistFile, TheNameComesFromTheFirstNameLineBeforeAnyEntryAtTheTop) {
    load_text("#n Party\n#n Other\nx.mp3\n");
    EXPECT_EQ(list.name, "Party");
    load_text("x.mp3\n#n Late\n");
    EXPECT_EQ(list.name, "");
    load_text("#NParty\n");  // either case, blanks optional; the file gives no entry of its own
    EXPECT_EQ(list.name, "Party");

    // Appending to a list that has entries, and nested files, never name the list.
    list.clear();
    list.appendPath("first.mp3");
    list.load(dir.write("b.lst", "#n Appended\ny.mp3\n"), true, false);
    EXPECT_EQ(list.name, "");
    list.clear();
    dir.write("inner.lst", "#n Inner\ninner.mp3\n");
    list.load(dir.write("outer.lst", "%BASE_DIR%/inner.lst\nouter.mp3\n"), false, true);
    EXPECT_EQ(list.name, "");
    EXPECT_EQ(paths_of(list), (Paths{"inner.mp3", "outer.mp3"}));
}

TEST_F(PlaylistFile, PropertyLinesApplyToTheLastEntry) {
    load_text(
        "#a Too early\n"
        "x.mp3\n#a Intro\n#L %BASE_DIR%/x.txt\n#i\tcover.jpg\n#f 0.5\n"
        "y.mp3\n#aTitle\n#f -1\n"
        "z.mp3\n#F abc\n#a\n"
        "w.mp3\n#f   2.5e1xyz\n#x ignored\n");
    ASSERT_EQ(list.count, 4);
    const PlaylistEntry& x = *list.entries[0];
    EXPECT_EQ(x.displayName, "Intro");
    EXPECT_EQ(x.lyricsFile, dir / "x.txt");
    EXPECT_EQ(x.imageFile, "cover.jpg");
    EXPECT_EQ(x.factor, 0.5f);
    EXPECT_EQ(list.entries[1]->displayName, "Title");
    EXPECT_EQ(list.entries[1]->factor, 1.0f);
    EXPECT_EQ(list.entries[2]->factor, 0.0f);
    EXPECT_EQ(list.entries[2]->displayName, "");
    EXPECT_EQ(list.entries[3]->factor, 25.0f);
}

TEST_F(PlaylistFile, FactorsAreReadWithoutRegardToTheLocale) {
    load_text("aa\n#f +1.25\nbb\n#f .5\ncc\n#f 1e999\ndd\n#f 1e-999\nee\n#f 3.\n");
    ASSERT_EQ(list.count, 5);
    EXPECT_EQ(list.entries[0]->factor, 1.25f);
    EXPECT_EQ(list.entries[1]->factor, 0.5f);
    EXPECT_GT(list.entries[2]->factor, 1e38f);  // held at the largest float, never infinite
    EXPECT_EQ(list.entries[3]->factor, 0.0f);
    EXPECT_EQ(list.entries[4]->factor, 3.0f);
}

TEST_F(PlaylistFile, EntryLinesAreTakenAsTheyStand) {
    load_text("  x.mp3\n\n \t \nq\n%base_dir%/y.mp3\nrel\\z.mp3 \r\n#\nlast.mp3", "l.lst");
    EXPECT_EQ(paths_of(list), (Paths{"  x.mp3", dir / "y.mp3", "rel\\z.mp3 ", "last.mp3"}));
}

TEST_F(PlaylistFile, LongLinesAreReadIn255CharacterPieces) {
    std::string exact(255, 'a');
    std::string longer = std::string(255, 'b') + std::string(45, 'c');
    load_text(exact + "\r\n" + longer + "\n");
    EXPECT_EQ(paths_of(list), (Paths{exact, std::string(255, 'b'), std::string(45, 'c')}));
}

TEST_F(PlaylistFile, BinaryGarbageGivesEntriesButNoCrash) {
    std::string garbage;
    std::uint32_t state = 99;
    for (int i = 0; i < 20000; ++i) {
        state = state * 1103515245u + 12345u;
        garbage += static_cast<char>(state >> 24);
    }
    EXPECT_GT(load_text(garbage), 0);
    EXPECT_LE(list.count, kPlaylistAppendLimit);
    for (int i = 0; i < list.count; ++i) {
        EXPECT_LE(list.entries[i]->path.size(), 255u);
        EXPECT_EQ(list.entries[i]->path.find('\0'), std::string::npos);
    }

    // Checked, every garbage line is a missing file: one warning, then No silences the rest.
    Playlist checked;
    win.answer_message_boxes({IDNO});
    EXPECT_EQ(checked.load(dir / "list.lst", false, false), 0);
    Boxes boxes = win.message_boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "Warning");
    EXPECT_EQ(boxes[1], unable_to_open_box(dir / "list.lst"));
}

TEST_F(PlaylistFile, ANulByteEndsItsLine) {
    load_text(std::string("ab\0cd\n\0hidden\nok.mp3\n", 21));
    EXPECT_EQ(paths_of(list), (Paths{"ab", "ok.mp3"}));
}

TEST_F(PlaylistFile, ReadingStopsAfterABoundedNumberOfBytesAndLines) {
    // Runs of NUL bytes (a huge sparse file) and blank lines count: what stands after them is
    // never reached.
    {
        std::ofstream sparse(dir / "zeros.lst", std::ios::binary);
        sparse.seekp(static_cast<std::streamoff>(kPlaylistReadMaxBytes));
        sparse << "\nlate.mp3\n";
    }
    EXPECT_EQ(list.load(dir / "zeros.lst", false, false), 0);
    EXPECT_EQ(load_text(std::string(kPlaylistReadMaxLines, '\n') + "late.mp3\n", "blank.lst"), 0);
}

TEST_F(PlaylistFile, ReadingStopsSilentlyAt1023Entries) {
    std::string text;
    for (int i = 0; i < 1100; ++i) text += "song" + std::to_string(i) + ".mp3\n";
    EXPECT_EQ(load_text(text), 1023);
    EXPECT_EQ(list.entries[1022]->path, "song1022.mp3");
    EXPECT_TRUE(win.message_boxes().empty());
}

TEST_F(PlaylistFile, FilesThatCannotBeReadOrGiveNothingShowTheMessage) {
    list.appendPath("old.mp3");
    EXPECT_EQ(list.load(dir / "missing.lst", true, false), 0);
    EXPECT_EQ(paths_of(list), (Paths{"old.mp3"}));
    EXPECT_EQ(list.load(dir / "missing.lst", false, false), 0);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.load(dir.path(), false, false), 0);  // a folder is no playlist
    EXPECT_EQ(load_text("#n Only\n#a properties\n\n", "props.lst"), 0);
    Boxes expected{unable_to_open_box(dir / "missing.lst"), unable_to_open_box(dir / "missing.lst"),
                   unable_to_open_box(dir.path()), unable_to_open_box(dir / "props.lst")};
    EXPECT_EQ(win.message_boxes(), expected);
}

TEST_F(PlaylistFile, AFileWhoseReadFailsReadsAsEmpty) {
    // Reading this file fails at once (it opens, but its first page is not mapped).
    if (!std::filesystem::exists("/proc/self/mem")) GTEST_SKIP() << "no /proc/self/mem here";
    EXPECT_EQ(list.load("/proc/self/mem", false, false), 0);
    EXPECT_EQ(win.message_boxes(), (Boxes{unable_to_open_box("/proc/self/mem")}));
}

TEST_F(PlaylistFile, CheckedFilesAreDroppedWithAWarningNamingTheExpandedPath) {
    list.checkFiles = true;
    std::string real = dir.write("real.mp3", "");
    EXPECT_EQ(load_text("%BASE_DIR%/gone.mp3\n%BASE_DIR%/real.mp3\nTrack2.cda\n"), 2);
    EXPECT_EQ(paths_of(list), (Paths{real, "Track2.cda"}));
    EXPECT_EQ(win.message_boxes(), (Boxes{invalid_file_box(dir / "gone.mp3")}));
}

TEST_F(PlaylistFile, NestedListsAreReadInPlaceOnlyWhenRecursive) {
    dir.write("inner.m3u", "#a For the outer entry\ninner.mp3\n#a Inner\n");
    std::string outer = dir.write("outer.lst", "a.mp3\n%BASE_DIR%/inner.m3u\nb.mp3\n");
    EXPECT_EQ(list.load(outer, false, true), 2);  // the nested file's entry is not counted
    EXPECT_EQ(paths_of(list), (Paths{"a.mp3", "inner.mp3", "b.mp3"}));
    EXPECT_EQ(list.entries[0]->displayName, "For the outer entry");
    EXPECT_EQ(list.entries[1]->displayName, "Inner");
    EXPECT_EQ(list.depth, 0);

    EXPECT_EQ(list.load(outer, false, false), 3);
    EXPECT_EQ(list.entries[1]->path, dir / "inner.m3u");

    // A nested file that names only nested files adds nothing of its own and says so.
    std::string only = dir.write("only.lst", "%BASE_DIR%/inner.m3u\n");
    EXPECT_EQ(list.load(only, false, true), 0);
    EXPECT_EQ(paths_of(list), (Paths{"inner.mp3"}));
    EXPECT_EQ(win.message_boxes(), (Boxes{unable_to_open_box(only)}));
}

// The configured playlist names itself: the player reads it, then rebuilds the playback list.
TEST_F(PlaylistFile, ASelfNamingPlaylistIsReadNineTimesWithOneMessage) {
    dir.write("a.mp3", "");
    dir.write("b.mp3", "");
    std::string self =
        dir.write("self.lst", "%BASE_DIR%/a.mp3\n%BASE_DIR%/self.lst\n%BASE_DIR%/b.mp3\n");
    EXPECT_EQ(sourceList.load(self, false, false), 3);
    playbackList.rebuildFrom(sourceList);
    Paths played = paths_of(playbackList);
    EXPECT_EQ(std::count(played.begin(), played.end(), dir / "a.mp3"), 9);
    EXPECT_EQ(std::count(played.begin(), played.end(), dir / "b.mp3"), 8);
    EXPECT_EQ(playbackList.count, 17);
    EXPECT_EQ(win.message_boxes(), (Boxes{recursion_box()}));
    ASSERT_NE(playbackList.sourceCopy, nullptr);
    EXPECT_EQ(paths_of(*playbackList.sourceCopy), paths_of(sourceList));
    EXPECT_TRUE(playbackList.checkFiles);  // taken from the source after the expansion
}

TEST_F(PlaylistFile, PlaylistsNamingEachOtherStopAtTheLimit) {
    std::string a = dir.write("a.lst", "from-a.mp3\n%BASE_DIR%/b.lst\n");
    dir.write("b.lst", "from-b.mp3\n%BASE_DIR%/a.lst\n");
    Playlist source;
    source.appendPath(a);
    playbackList.rebuildFrom(source);
    EXPECT_EQ(playbackList.count, 8);
    EXPECT_EQ(win.message_boxes(), (Boxes{recursion_box()}));

    // Two references to itself: after the first refusal each enclosing file stops at its next
    // reference, one message each, instead of a message for every reading at the deepest level.
    std::string twice =
        dir.write("twice.lst", "x.mp3\n%BASE_DIR%/twice.lst\n%BASE_DIR%/twice.lst\n");
    Playlist source2;
    source2.appendPath(twice);
    PlaybackList playback;
    playback.rebuildFrom(source2);
    EXPECT_EQ(playback.count, 8);
    EXPECT_EQ(win.message_boxes().size(), 1u + 8u);
}

TEST_F(PlaylistFile, RebuildReadsNestedFilesWithTheFlagsItHadBefore) {
    dir.write("inner.lst", "%BASE_DIR%/missing.mp3\nTrack1.cda\n");
    Playlist source;  // checks files, warns
    source.appendPath(dir / "inner.lst");
    source.appendPath("plain.mp3");
    source.name = "Mix";
    playbackList.rebuildFrom(source);  // the first rebuild reads with the defaults: no checks
    EXPECT_EQ(paths_of(playbackList), (Paths{dir / "missing.mp3", "Track1.cda", "plain.mp3"}));
    EXPECT_EQ(playbackList.name, "Mix");
    EXPECT_TRUE(win.message_boxes().empty());
    playbackList.rebuildFrom(source);  // now with the source's: the missing file is dropped
    EXPECT_EQ(paths_of(playbackList), (Paths{"Track1.cda", "plain.mp3"}));
    EXPECT_EQ(win.message_boxes(), (Boxes{invalid_file_box(dir / "missing.mp3")}));
}

TEST_F(PlaylistFile, SaveWritesTheDocumentedLinesWithCrLf) {
    list.name = "Lumivex";
    list.appendPath(dir / "a.mp3");
    list.entries[0]->displayName = "Intro";
    list.appendPath("Track3.cda");
    ASSERT_TRUE(list.save(dir / "mix.lst"));
    EXPECT_EQ(dir.read("mix.lst"),
              "#n Lumivex\r\n%BASE_DIR%/a.mp3\r\n#a Intro\r\n\r\nTrack3.cda\r\n\r\n");

    Playlist props;
    props.appendPath(dir / "x.mp3");
    props.entries[0]->lyricsFile = dir / "x.txt";
    props.entries[0]->imageFile = "/elsewhere/x.jpg";
    props.entries[0]->factor = 0.25f;
    props.appendPath(dir.path() + "2/y.mp3");  // matched on the text alone
    props.entries[1]->factor = 2.0f;
    props.appendPath("z.mp3");
    props.entries[2]->factor = 1.0f / 3.0f;
    ASSERT_TRUE(props.save(dir / "props.lst"));
    EXPECT_EQ(dir.read("props.lst"),
              "%BASE_DIR%/x.mp3\r\n#l %BASE_DIR%/x.txt\r\n#i /elsewhere/x.jpg\r\n#f 0.25\r\n\r\n"
              "%BASE_DIR%2/y.mp3\r\n#f 2\r\n\r\nz.mp3\r\n#f 0.333333\r\n\r\n");

    props.useBaseDir = false;
    ASSERT_TRUE(props.save(dir / "plain.lst"));
    std::string start = dir / "x.mp3" + "\r\n#l " + dir / "x.txt";
    EXPECT_EQ(dir.read("plain.lst").substr(0, start.size()), start);
}

TEST_F(PlaylistFile, SavedListsLoadBackTheSame) {
    Playlist saved;
    saved.name = "Round trip";
    saved.appendPath(dir / "a.mp3");
    saved.appendPath(dir.path() + "2/b.mp3");
    saved.appendPath("  spaced.mp3");
    saved.appendPath("Track7.cda");
    saved.entries[0]->displayName = "Intro";
    saved.entries[0]->lyricsFile = dir / "a.txt";
    saved.entries[1]->imageFile = dir / "b.jpg";
    saved.entries[1]->factor = 0.75f;
    ASSERT_TRUE(saved.save(dir / "round.lst"));
    ASSERT_EQ(list.load(dir / "round.lst", false, false), 4);
    EXPECT_EQ(list.name, saved.name);
    ASSERT_EQ(paths_of(list), paths_of(saved));
    for (int i = 0; i < saved.count; ++i) {
        EXPECT_EQ(list.entries[i]->displayName, saved.entries[i]->displayName);
        EXPECT_EQ(list.entries[i]->lyricsFile, saved.entries[i]->lyricsFile);
        EXPECT_EQ(list.entries[i]->imageFile, saved.entries[i]->imageFile);
        EXPECT_EQ(list.entries[i]->factor, saved.entries[i]->factor);
    }

    // A nameless list whose first path begins with a byte-order mark, which the reader drops.
    Playlist marked;
    marked.appendPath("\xEF\xBB\xBF/x/abc.mp3");
    ASSERT_TRUE(marked.save(dir / "marked.lst"));
    ASSERT_EQ(list.load(dir / "marked.lst", false, false), 1);
    EXPECT_EQ(paths_of(list), paths_of(marked));
}

TEST_F(PlaylistFile, LongLinesAreSavedOnlyInFormsThatLoadBackTheSame) {
    // Below a folder shorter than "%BASE_DIR%", a contracted path is longer than the path itself.
    std::filesystem::create_directory(dir / "s");
    const std::filesystem::path old_folder = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    Playlist saved;
    saved.name = std::string(253, 'n');
    saved.appendPath("s/" + std::string(253, 'p'));  // fits as it stands, not contracted
    saved.entries[0]->displayName = std::string(253, 'd');
    saved.entries[0]->lyricsFile = "s/" + std::string(251, 'l');
    saved.appendPath("s/short.mp3");
    saved.entries[1]->imageFile = std::string(300, 'i');  // held to what the reader keeps
    const bool ok = saved.save("s/list.lst");
    list.load("s/list.lst", false, false);
    const std::string written = dir.read("s/list.lst");
    // A path that no line can hold fails the save; the old file stays.
    saved.appendPath("s/" + std::string(300, 'q'));
    const bool too_long = saved.save("s/list.lst");
    std::filesystem::current_path(old_folder);

    ASSERT_TRUE(ok);
    EXPECT_FALSE(too_long);
    EXPECT_EQ(dir.read("s/list.lst"), written);
    EXPECT_EQ(list.name, saved.name);
    EXPECT_EQ(paths_of(list), (Paths{saved.entries[0]->path, saved.entries[1]->path}));
    EXPECT_EQ(list.entries[0]->displayName, saved.entries[0]->displayName);
    EXPECT_EQ(list.entries[0]->lyricsFile, saved.entries[0]->lyricsFile);
    EXPECT_EQ(list.entries[1]->imageFile, std::string(253, 'i'));
    EXPECT_NE(written.find("%BASE_DIR%/short.mp3"), std::string::npos);
}

TEST_F(PlaylistFile, SavingThroughASymbolicLinkWritesTheFileItLeadsTo) {
    dir.write("lists/real.lst", "old.mp3\r\n");
    std::filesystem::create_symlink("lists/real.lst", dir / "link.lst");
    list.appendPath("new.mp3");
    ASSERT_TRUE(list.save(dir / "link.lst"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.lst"));
    EXPECT_EQ(dir.read("lists/real.lst"), "new.mp3\r\n\r\n");
}

TEST_F(PlaylistFile, SavingRemovesTemporaryFilesWhoseWriterIsGone) {
    // A save killed before its rename left its file behind; that of a running writer stays.
    dir.write(".lumivex-save-2147483646-7.tmp", "half a list");
    const std::string running = ".lumivex-save-" + std::to_string(::getpid()) + "-999999.tmp";
    dir.write(running, "a list being written");
    list.appendPath("a.mp3");
    ASSERT_TRUE(list.save(dir / "mix.lst"));
    Paths names = dir.names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Paths{running, "mix.lst"}));
}

TEST_F(PlaylistFile, PlaybackListSavesItsSourceUnexpandedOrItsOwnEntries) {
    dir.write("inner.lst", "inner.mp3\n");
    Playlist source;
    source.checkFiles = false;
    source.appendPath(dir / "inner.lst");
    source.appendPath("outer.mp3");
    playbackList.rebuildFrom(source);
    ASSERT_TRUE(playbackList.save(dir / "out.lst"));
    EXPECT_EQ(dir.read("out.lst"), "%BASE_DIR%/inner.lst\r\n\r\nouter.mp3\r\n\r\n");
    playbackList.saveOwnEntries = true;
    ASSERT_TRUE(playbackList.save(dir / "own.lst"));
    EXPECT_EQ(dir.read("own.lst"), "inner.mp3\r\n\r\nouter.mp3\r\n\r\n");
}

TEST_F(PlaylistFile, SavingReplacesTheOldFileWholeAndKeepsItsPermissions) {
    std::string target = dir.write("mix.lst", "old contents\r\n");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    list.appendPath("new.mp3");
    ASSERT_TRUE(list.save(target));
    EXPECT_EQ(dir.read("mix.lst"), "new.mp3\r\n\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(dir.names(), (Paths{"mix.lst"}));  // no temporary file left behind
}

TEST_F(PlaylistFile, AFailedSaveReturnsFalseAndLeavesTheOldFile) {
    std::string target = dir.write("mix.lst", "old contents\r\n");
    for (int i = 0; i < 200; ++i) list.appendPath(dir / ("song" + std::to_string(i) + ".mp3"));

    // Files may grow to 100 bytes only: the write of the new list fails half-way.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction old_action {};
    ::sigaction(SIGXFSZ, &ignore, &old_action);
    rlimit old_limit{};
    ::getrlimit(RLIMIT_FSIZE, &old_limit);
    rlimit small = old_limit;
    small.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool saved = list.save(target);
    ::setrlimit(RLIMIT_FSIZE, &old_limit);
    ::sigaction(SIGXFSZ, &old_action, nullptr);

    EXPECT_FALSE(saved);
    EXPECT_EQ(dir.read("mix.lst"), "old contents\r\n");
    EXPECT_EQ(dir.names(), (Paths{"mix.lst"}));

    EXPECT_FALSE(list.save(dir / "no/such/folder/mix.lst"));
    std::filesystem::create_directory(dir / "folder.lst");
    EXPECT_FALSE(list.save(dir / "folder.lst"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.lst"));
    EXPECT_EQ(dir.names().size(), 2u);
}

}  // namespace
