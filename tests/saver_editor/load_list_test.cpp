// Load List: the configured playlist, read by the player, becomes the editor's list as the file
// holds it; the player is left with its first entry open.
#include "tests/player/player_test_support.h"
#include "tests/saver_editor/editor_test_support.h"

namespace {

using Rows = std::vector<std::string>;

// Four silent MPEG-1 layer III frames (128 kbit/s, 44.1 kHz): enough for the player to open.
std::string silent_mp3() {
    std::string frame(417, '\0');
    frame[0] = '\xFF';
    frame[1] = '\xFB';
    frame[2] = '\x90';
    frame[3] = '\x00';
    return frame + frame + frame + frame;
}

TEST_F(EditorTest, LoadListShowsTheConfiguredPlaylistUnexpanded) {
    const std::string a = file("music/a.mp3", silent_mp3());
    file("music/b.mp3", silent_mp3());
    file("music/c.mp3", silent_mp3());
    file("music/inner.m3u", "#EXTM3U\r\nc.mp3\r\n");
    const std::string nested = file("music/nested.lst", "b.mp3\r\ninner.m3u\r\n");
    const std::string configured = file("music/party.m3u",
                                        "#n Party\r\n%BASE_DIR%/a.mp3\r\n#a Opening\r\n"
                                        "%BASE_DIR%/nested.lst\r\nTrack2.cda\r\n");
    // The nested lists name their files relative to the current folder.
    const std::filesystem::path old_folder = std::filesystem::current_path();
    std::filesystem::current_path(dir / "music");
    player_state().playlistPath = configured;
    fill_editor({"old.mp3"});
    dialogs.click(kLoadList)
        .then([&](HWND child) {
            EXPECT_EQ(texts_of(live_list(child)),
                      (Rows{"1. a.mp3", "2. nested.lst", "3. Track2.cda"}));
            for (int id : {kRemove, kSaveList, kRandomize}) EXPECT_TRUE(enabled(child, id));
        })
        .key(kList, VK_SPACE)  // Space and T do the same
        .key(kList, 'T')
        .click(kCancel);
    run_editor();
    std::filesystem::current_path(old_folder);
    EXPECT_EQ(paths_of(editorList), (Rows{a, nested, "Track2.cda"}));
    EXPECT_EQ(editorList.name, "Party");
    EXPECT_EQ(editorList.entries[0]->displayName, "Opening");
    EXPECT_EQ(paths_of(playbackList), (Rows{a, "b.mp3", "c.mp3", "Track2.cda"}));
    // The player holds the first entry open, ready to play.
    EXPECT_EQ(player_state().currentEntry, a);
    EXPECT_TRUE(player_state().ready);
    EXPECT_FALSE(player_state().started);
    EXPECT_TRUE(win.message_boxes().empty());
}

TEST_F(EditorTest, LoadListLeavesThePlayerSilentWhenTheFirstEntryFails) {
    player_test::DiscardingWave wave;
    const std::string bad = file("bad.mp3", "no frames here");
    const std::string good = file("good.mp3", silent_mp3() + silent_mp3());
    player_state().playlistPath = file("list.m3u", bad + "\r\n" + good + "\r\nTrack1.cda\r\n");
    dialogs.click(kLoadList).click(kCancel);
    run_editor();
    // The player drops the entry it could not open, as it does when it plays the list; the
    // editor still shows the list as the file holds it, so a Save List keeps that entry.
    EXPECT_EQ(paths_of(editorList), (Rows{bad, good, "Track1.cda"}));
    ASSERT_EQ(win.message_boxes().size(), 1u);
    EXPECT_EQ(win.message_boxes()[0].caption, "File format error");
    // It had started the next entry; the editor stopped it and left it open.
    const PlayerState& s = player_state();
    EXPECT_EQ(s.currentEntry, good);
    EXPECT_TRUE(s.ready);
    EXPECT_FALSE(s.started);
    EXPECT_FALSE(s.decodingThread.running());
    EXPECT_EQ(paths_of(playbackList), (Rows{good, "Track1.cda"}));
}

TEST_F(EditorTest, LoadListOfASingleMediaFileEmptiesTheEditor) {
    const std::string song = file("song.mp3", silent_mp3());
    player_state().playlistPath = song;
    fill_editor({"old.mp3"});
    dialogs.click(kLoadList)
        .then([](HWND child) {
            EXPECT_TRUE(live_list(child).rows.empty());
            for (int id : {kRemove, kSaveList, kRandomize}) EXPECT_FALSE(enabled(child, id));
        })
        .click(kCancel);
    run_editor();
    EXPECT_EQ(editorList.count, 0);
    EXPECT_EQ(player_state().currentEntry, song);
    EXPECT_TRUE(player_state().ready);
}

TEST_F(EditorTest, LoadListOfAMissingPlaylistSaysSoAndEmptiesTheEditor) {
    const std::string gone = dir / "gone.m3u";
    player_state().playlistPath = gone;
    fill_editor({"old.mp3"});
    dialogs.click(kLoadList).click(kCancel);
    run_editor();
    EXPECT_EQ(editorList.count, 0);
    EXPECT_EQ(playbackList.count, 0);
    const auto boxes = win.message_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Unable to open the playlist \"" + gone + "\".");
    EXPECT_EQ(boxes[0].caption, "Error opening playlist");
}

TEST_F(EditorTest, ALoadedListSavedAndHandedOverKeepsItsNestedLists) {
    const std::string a = file("a.mp3", silent_mp3());
    const std::string nested = file("nested.lst", "Track5.cda\r\n");
    const std::string configured =
        file("main.lst", "%BASE_DIR%/a.mp3\r\n%BASE_DIR%/nested.lst\r\n");
    player_state().playlistPath = configured;
    dialogs.click(kLoadList).click(kSaveList).pick({configured}).click(kOk);
    run_editor();
    EXPECT_EQ(dir.read("main.lst"),
              "#n Lumivex\r\n%BASE_DIR%/a.mp3\r\n\r\n%BASE_DIR%/nested.lst\r\n\r\n");
    EXPECT_EQ(paths_of(playbackList), (Rows{a, "Track5.cda"}));
    EXPECT_EQ(editorList.name, "");
}

}  // namespace
