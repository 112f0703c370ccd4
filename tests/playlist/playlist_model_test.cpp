// The playlist model: limits, inserting and removing, moving marked blocks, order and copies.
#include <algorithm>
#include <string>
#include <vector>

#include "playlist_test_support.h"

namespace {

using Paths = std::vector<std::string>;

// A selection buffer: the strings each with its NUL, then the empty string that ends it.
std::string selection(const Paths& strings) {
    std::string out;
    for (const auto& s : strings) out += s + '\0';
    out += '\0';
    return out;
}

void fill(Playlist& list, const Paths& paths) {
    for (const auto& p : paths) ASSERT_TRUE(list.appendPath(p));
}

void mark_to_move(Playlist& list, const std::vector<int>& indexes) {
    for (int i : indexes) list.entries[i]->moveMark = true;
}

bool any_move_mark(const Playlist& list) {
    for (int i = 0; i < list.count; ++i) {
        if (list.entries[i]->moveMark) return true;
    }
    return false;
}

class PlaylistModel : public PlaylistTest {};

TEST_F(PlaylistModel, DefaultsOfBothListsAndOfTheGlobals) {
    Playlist list;
    EXPECT_EQ(list.count, 0);
    EXPECT_TRUE(list.checkFiles && list.warnInvalid && list.useBaseDir);
    EXPECT_FALSE(list.saveOwnEntries);
    EXPECT_EQ(list.depth, 0);
    PlaybackList playback;
    EXPECT_FALSE(playback.checkFiles || playback.warnInvalid || playback.saveOwnEntries);
    EXPECT_TRUE(playback.useBaseDir);
    EXPECT_EQ(playback.position, 0);
    EXPECT_EQ(playback.sourceCopy, nullptr);

    editorList.appendPath("x.mp3");
    playbackList.position = 3;
    playbackList.sourceCopy = std::make_unique<Playlist>();
    reset_global_lists();
    EXPECT_EQ(editorList.count, 0);
    EXPECT_EQ(playbackList.position, 0);
    EXPECT_EQ(playbackList.sourceCopy, nullptr);
    EXPECT_FALSE(playbackList.checkFiles);
}

TEST_F(PlaylistModel, SingleAddsStopAt1023ButAddFilesFillsTheLastSlot) {
    Playlist list;
    for (int i = 0; i < kPlaylistAppendLimit; ++i) ASSERT_TRUE(list.appendPath("Track1.cda"));
    EXPECT_FALSE(list.appendPath("extra.mp3"));
    EXPECT_FALSE(list.appendCopy(PlaylistEntry("extra.mp3")));
    EXPECT_FALSE(list.insertPath("extra.mp3", 0));
    EXPECT_EQ(list.count, 1023);
    EXPECT_EQ(list.entries[0]->path, "Track1.cda");

    // Two usable paths (CD tracks need no file), room for one.
    EXPECT_EQ(list.addFiles(selection({"Track8.cda", "Track9.cda"}), false, true, -1), 1);
    EXPECT_EQ(list.count, 1024);
    EXPECT_EQ(list.entries[1023]->path, "Track8.cda");
    EXPECT_EQ(list.addFiles(selection({"Track9.cda"}), false, true, -1), 0);

    // A copy keeps all 1024 entries.
    Playlist copy(list);
    EXPECT_EQ(copy.count, 1024);
    EXPECT_EQ(copy.entries[1023]->path, "Track8.cda");
}

TEST_F(PlaylistModel, AddFilesPlacesPathsAtTheIndexAndRefusesIndexesPastTheEnd) {
    Playlist list;
    list.checkFiles = false;
    fill(list, {"a", "b"});
    EXPECT_EQ(list.addFiles(selection({"/m", "x.mp3", "y.mp3"}), true, true, 1), 2);
    EXPECT_EQ(paths_of(list), (Paths{"a", "/m/x.mp3", "/m/y.mp3", "b"}));
    EXPECT_EQ(list.addFiles(selection({"z"}), false, true, -1), 1);
    EXPECT_EQ(list.entries[4]->path, "z");

    EXPECT_EQ(list.addFiles(selection({"q"}), false, true, 6), 0);
    EXPECT_EQ(list.count, 5);
    // Without keep the list is emptied first, even when nothing is added then.
    EXPECT_EQ(list.addFiles(selection({"q"}), false, false, 1), 0);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.addFiles(selection({""}), false, true, -1), 0);
}

TEST_F(PlaylistModel, AnsweringNoToTheFirstWarningSilencesTheRestAndDropsAll) {
    Playlist list;
    std::string real = dir.write("real.mp3", "x");
    win.answer_message_boxes({IDNO});
    int added =
        list.addFiles(selection({dir / "gone1.mp3", real, dir / "gone2.mp3", dir / "gone3.mp3"}),
                      false, true, -1);
    EXPECT_EQ(added, 1);
    EXPECT_EQ(paths_of(list), (Paths{real}));
    EXPECT_FALSE(list.warnInvalid);
    EXPECT_EQ(win.message_boxes(),
              (std::vector<MessageBoxCall>{invalid_file_box(dir / "gone1.mp3")}));

    // Answering Yes keeps warning, once for each missing path.
    Playlist other;
    other.addFiles(selection({"/no/such/a.mp3", "/no/such/b.mp3", "Track1.CDA"}), false, true, -1);
    EXPECT_EQ(paths_of(other), (Paths{"Track1.CDA"}));
    EXPECT_EQ(win.message_boxes().size(), 3u);
    EXPECT_TRUE(other.warnInvalid);
}

TEST_F(PlaylistModel, InsertAndRemoveKeepTheOrderOfTheRest) {
    Playlist list;
    fill(list, {"a", "b", "c"});
    EXPECT_TRUE(list.insertPath("new", 1));
    EXPECT_TRUE(list.insertEntry(std::make_unique<PlaylistEntry>("end"), 4));
    EXPECT_FALSE(list.insertPath("bad", 6));
    EXPECT_FALSE(list.insertPath("bad", -1));
    EXPECT_FALSE(list.insertEntry(nullptr, 0));
    EXPECT_EQ(paths_of(list), (Paths{"a", "new", "b", "c", "end"}));

    list.entries[0]->removeMark = true;
    list.entries[3]->removeMark = true;
    EXPECT_EQ(list.removeMarked(), 2);
    EXPECT_EQ(paths_of(list), (Paths{"new", "b", "end"}));
    EXPECT_EQ(list.removeMarked(), 0);

    EXPECT_FALSE(list.removeAt(3));
    EXPECT_FALSE(list.removeAt(-1));
    EXPECT_TRUE(list.removeAt(1));
    EXPECT_EQ(paths_of(list), (Paths{"new", "end"}));
    EXPECT_EQ(list.entries[2], nullptr);
}

TEST_F(PlaylistModel, RemoveByPathIgnoresLetterCase) {
    Playlist list;
    fill(list, {"d:\\music\\a.mp3", "b.mp3", "D:\\Music\\A.mp3", "d:\\music\\a.mp3x"});
    EXPECT_TRUE(list.removeByPath("D:\\MUSIC\\A.MP3"));
    EXPECT_EQ(paths_of(list), (Paths{"b.mp3", "d:\\music\\a.mp3x"}));
    EXPECT_FALSE(list.removeByPath("D:\\MUSIC\\A.MP3"));
}

TEST_F(PlaylistModel, MoveMarkedUpGathersTheBlockAboveTheTopmostMark) {
    Playlist list;
    fill(list, {"W", "X", "Y", "Z"});
    mark_to_move(list, {1, 3});
    EXPECT_TRUE(list.moveMarkedUp());
    EXPECT_EQ(paths_of(list), (Paths{"X", "Z", "W", "Y"}));
    EXPECT_FALSE(any_move_mark(list));

    // At the top already: unchanged, marks cleared.
    mark_to_move(list, {0, 2});
    EXPECT_FALSE(list.moveMarkedUp());
    EXPECT_EQ(paths_of(list), (Paths{"X", "Z", "W", "Y"}));
    EXPECT_FALSE(any_move_mark(list));
    EXPECT_FALSE(list.moveMarkedUp());

    Playlist empty;
    EXPECT_FALSE(empty.moveMarkedUp());
}

TEST_F(PlaylistModel, MoveMarkedDownGathersTheBlockBelowTheBottommostMark) {
    Playlist list;
    fill(list, {"V", "W", "X", "Y", "Z"});
    mark_to_move(list, {0, 2});
    EXPECT_TRUE(list.moveMarkedDown());
    EXPECT_EQ(paths_of(list), (Paths{"W", "Y", "V", "X", "Z"}));
    EXPECT_FALSE(any_move_mark(list));

    mark_to_move(list, {1, 4});
    EXPECT_FALSE(list.moveMarkedDown());
    EXPECT_EQ(paths_of(list), (Paths{"W", "Y", "V", "X", "Z"}));
    EXPECT_FALSE(any_move_mark(list));
    EXPECT_FALSE(list.moveMarkedDown());
}

TEST_F(PlaylistModel, RandomizeShufflesRepeatablyAndSortTouchesOnlyItsRange) {
    Paths original;
    for (int i = 0; i < 50; ++i) original.push_back("song" + std::to_string(i));
    Playlist list;
    fill(list, original);
    seed_playlist_random(7);
    list.randomize();
    Paths first = paths_of(list);
    EXPECT_NE(first, original);
    Paths sorted = first;
    std::sort(sorted.begin(), sorted.end());
    Paths expected = original;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sorted, expected);
    Playlist again;
    fill(again, original);
    seed_playlist_random(7);
    again.randomize();
    EXPECT_EQ(paths_of(again), first);

    Playlist small;
    fill(small, {"a", "b", "c", "d"});
    int keys[] = {9, 3, 1, 0};
    for (int i = 0; i < 4; ++i) small.entries[i]->sortKey = keys[i];
    small.sort(1, 3);
    EXPECT_EQ(paths_of(small), (Paths{"a", "c", "b", "d"}));
    small.sort(0, -1);
    EXPECT_EQ(paths_of(small), (Paths{"d", "c", "b", "a"}));
    small.sort(3, 99);  // a range past the end is cut to the list
    EXPECT_EQ(small.count, 4);
}

TEST_F(PlaylistModel, CopiesTakeEntriesNameFlagsButFreshKeysMarksAndDepth) {
    Playlist list;
    list.name = "Party";
    list.checkFiles = false;
    list.useBaseDir = false;
    list.depth = 3;
    fill(list, {"a.mp3"});
    PlaylistEntry& entry = *list.entries[0];
    entry.displayName = "Intro";
    entry.lyricsFile = "a.txt";
    entry.imageFile = "a.jpg";
    entry.factor = 0.5f;
    entry.sortKey = 99;
    entry.moveMark = entry.removeMark = true;

    Playlist copy(list);
    Playlist assigned;
    assigned.appendPath("old.mp3");
    assigned = list;
    for (const Playlist* c : {&copy, &assigned}) {
        ASSERT_EQ(c->count, 1);
        const PlaylistEntry& e = *c->entries[0];
        EXPECT_EQ(e.path, "a.mp3");
        EXPECT_EQ(e.displayName, "Intro");
        EXPECT_EQ(e.lyricsFile, "a.txt");
        EXPECT_EQ(e.imageFile, "a.jpg");
        EXPECT_EQ(e.factor, 0.5f);
        EXPECT_EQ(e.sortKey, 0);
        EXPECT_FALSE(e.moveMark || e.removeMark);
        EXPECT_EQ(c->name, "Party");
        EXPECT_FALSE(c->checkFiles);
        EXPECT_FALSE(c->useBaseDir);
        EXPECT_EQ(c->depth, 0);
    }
    const Playlist& same = assigned;  // clang warns on a plain self-assignment
    assigned = same;
    EXPECT_EQ(assigned.count, 1);
}

TEST_F(PlaylistModel, PlaybackListCopyAndItsOwnClearRandomizeAndSort) {
    PlaybackList list;
    fill(list, {"a", "b", "c"});
    list.position = 2;
    list.sourceCopy = std::make_unique<Playlist>();
    list.sourceCopy->appendPath("src.lst");

    PlaybackList copy;
    copy = list;
    EXPECT_EQ(copy.position, 2);
    ASSERT_NE(copy.sourceCopy, nullptr);
    EXPECT_NE(copy.sourceCopy.get(), list.sourceCopy.get());
    EXPECT_EQ(copy.sourceCopy->entries[0]->path, "src.lst");

    // A list can take a copy of its own source copy (the editor's Load List does the reverse).
    Playlist& as_playlist = copy;
    as_playlist = *copy.sourceCopy;
    EXPECT_EQ(paths_of(copy), (Paths{"src.lst"}));

    list.sort(0, -1);
    EXPECT_EQ(list.position, 0);
    list.position = 2;
    list.randomize();
    EXPECT_EQ(list.position, 0);
    PlaybackList empty;
    empty.randomize();
    EXPECT_EQ(empty.count, 0);
    list.position = 1;
    list.clear();
    EXPECT_EQ(list.position, 0);
    EXPECT_EQ(list.sourceCopy, nullptr);
    EXPECT_EQ(list.count, 0);
}

TEST_F(PlaylistModel, PlaybackRemoveByPathWrapsThePositionAndCleansTheSourceCopy) {
    PlaybackList list;
    fill(list, {"a.mp3", "b.mp3", "c.mp3"});
    list.sourceCopy = std::make_unique<Playlist>();
    list.sourceCopy->appendPath("c.mp3");
    list.sourceCopy->appendPath("x.lst");
    list.position = 2;
    EXPECT_TRUE(list.removeByPath("c.mp3"));
    EXPECT_EQ(list.position, 0);
    EXPECT_EQ(paths_of(*list.sourceCopy), (Paths{"x.lst"}));

    // Several entries going at once never leave the position outside the list: the last entry's
    // successor is the first one.
    PlaybackList many;
    fill(many, {"a", "x", "x", "x", "b", "x"});
    many.position = 5;
    EXPECT_TRUE(many.removeByPath("x"));
    EXPECT_EQ(paths_of(many), (Paths{"a", "b"}));
    EXPECT_EQ(many.position, 0);
    EXPECT_TRUE(many.removeByPath("a") && many.removeByPath("b"));
    EXPECT_EQ(many.position, 0);
    EXPECT_FALSE(many.removeByPath("a"));
}

TEST_F(PlaylistModel, PlaybackRemoveByPathKeepsThePositionOnTheEntryAfterTheFailedOne) {
    // Failing at the second x: the copy before the position goes too, and c plays next, not a.
    PlaybackList list;
    fill(list, {"a", "x", "b", "x", "c"});
    list.position = 3;
    EXPECT_TRUE(list.removeByPath("x"));
    EXPECT_EQ(paths_of(list), (Paths{"a", "b", "c"}));
    EXPECT_EQ(list.position, 2);
}

TEST_F(PlaylistModel, PlaybackListReadsOnlyRecursivelyAndSavesOnlyWithASource) {
    PlaybackList list;
    std::string file = dir.write("l.lst", "a.mp3\n");
    list.appendPath("kept.mp3");
    EXPECT_EQ(list.load(file, false, false), 0);
    EXPECT_EQ(paths_of(list), (Paths{"kept.mp3"}));
    EXPECT_FALSE(list.save(dir / "out.lst"));
    EXPECT_TRUE(win.message_boxes().empty());
    EXPECT_EQ(list.load(file, false, true), 1);
    EXPECT_EQ(paths_of(list), (Paths{"a.mp3"}));
}

}  // namespace
