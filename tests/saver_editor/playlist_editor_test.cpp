// The playlist editor through the scripted dialog host: opening, Add, CD Track, Up and Down,
// Remove, clear all, Randomize, entry properties, and how OK and Cancel leave the lists.
#include <algorithm>

#include "tests/saver_editor/editor_test_support.h"

namespace {

using Rows = std::vector<std::string>;

TEST_F(EditorTest, FirstOpeningShowsAnEmptyListInTheEditPlaylistDialog) {
    HWND settings = hwnd_from_number(0x1234);
    dialogs
        .then([](HWND child) {
            const Control& list = live_list(child);
            ASSERT_EQ(list.columns.size(), 1u);
            EXPECT_EQ(list.columns[0].text, "File");
            EXPECT_EQ(list.columns[0].width, 125);
            EXPECT_NE(list.small_images, nullptr);
            EXPECT_TRUE(list.rows.empty());
            EXPECT_TRUE(list.accepts_drops);
            EXPECT_EQ(list.subclasses.size(), 1u);
            for (int id : {kRemove, kSaveList, kRandomize}) EXPECT_FALSE(enabled(child, id)) << id;
            for (int id : {kUp, kDown, kCdTrack, kLoadList, kCancel, kOk}) {
                EXPECT_TRUE(enabled(child, id)) << id;
            }
        })
        .click(kCancel);
    open_playlist_editor(settings);
    EXPECT_EQ(dialogs.actions_left(), 0u);

    ASSERT_EQ(dialogs.shown_files().size(), 1u);
    const ShownFileDialog& f = dialogs.shown_files()[0];
    EXPECT_FALSE(f.save);
    EXPECT_EQ(f.title, "Edit Playlist");
    EXPECT_EQ(f.owner, settings);
    EXPECT_EQ(f.ok_label, "Add");
    EXPECT_TRUE(f.cancel_hidden);
    EXPECT_TRUE(f.multiple);
    EXPECT_TRUE(f.has_child);
    EXPECT_FALSE(f.accepted);
    ASSERT_EQ(f.filters.size(), 1u);
    EXPECT_EQ(f.filters[0].description, ".mp3");
    EXPECT_TRUE(f.filters[0].patterns.empty());
    EXPECT_EQ(child().caption, "MP3 Playlist");
    EXPECT_FALSE(child().script_ran_out);
    EXPECT_TRUE(win.message_boxes().empty());
}

TEST_F(EditorTest, AddAppendsPickedFilesNumberedOnAndTheDialogStaysOpen) {
    const std::string a = file("a.mp3"), b = file("b.mp3"), c = file("c.MP3");
    const std::string d = file("more/d.wav"), readme = file("README");
    dialogs.pick({a, b, c})
        .then([](HWND child) {
            EXPECT_EQ(texts_of(live_list(child)), (Rows{"1. a.mp3", "2. b.mp3", "3. c.MP3"}));
            for (int id : {kRemove, kSaveList, kRandomize}) EXPECT_TRUE(enabled(child, id)) << id;
        })
        .pick({d})
        .pick({readme})
        .click(kCancel);
    run_editor();
    EXPECT_EQ(paths_of(editorList), (Rows{a, b, c, d, readme}));
    const Control& list = *child().control(kList);
    EXPECT_EQ(texts_of(list), (Rows{"1. a.mp3", "2. b.mp3", "3. c.MP3", "4. d.wav", "5. README"}));
    for (std::size_t i = 0; i < list.rows.size(); ++i) EXPECT_EQ(list.rows[i].param, LPARAM(i));

    // One icon per extension, whatever its letter case; none without an extension.
    EXPECT_EQ(dialogs.icon_requests(), (Rows{a, d}));
    EXPECT_GE(list.rows[0].image, 0);
    EXPECT_EQ(list.rows[1].image, list.rows[0].image);
    EXPECT_EQ(list.rows[2].image, list.rows[0].image);
    EXPECT_GE(list.rows[3].image, 0);
    EXPECT_NE(list.rows[3].image, list.rows[0].image);
    EXPECT_EQ(list.rows[4].image, -1);
    EXPECT_FALSE(dialogs.shown_files().back().accepted);
}

TEST_F(EditorTest, TheListAndTheIconsOutliveTheDialog) {
    fill_editor({"/music/one.mp3", "Track2.cda"});
    dialogs.click(kCancel);
    run_editor();
    dialogs.click(kCancel);
    run_editor();
    EXPECT_EQ(texts_of(*child().control(kList)), (Rows{"1. one.mp3", "2. Track2.cda"}));
    EXPECT_TRUE(child().control(kRemove)->enabled);
    EXPECT_EQ(dialogs.icon_requests().size(), 2u);  // the second opening asked for none
}

TEST_F(EditorTest, CdTrackIsNumberedByThePlaceItTakes) {
    dialogs.click(kCdTrack)
        .click(kCdTrack)
        .click(kCdTrack)
        .then([](HWND child) {
            EXPECT_EQ(texts_of(live_list(child)),
                      (Rows{"1. Track1.cda", "2. Track2.cda", "3. Track3.cda"}));
        })
        .select_rows(kList, {1})
        .click(kCdTrack)
        .then([](HWND child) {
            EXPECT_EQ(texts_of(live_list(child)),
                      (Rows{"1. Track1.cda", "2. Track2.cda", "3. Track2.cda", "4. Track3.cda"}));
        })
        .key(kList, VK_INSERT)  // the rows were made anew: none is selected, so at the end
        .key(kList, 'I')
        .click(kCancel);
    run_editor();
    EXPECT_EQ(paths_of(editorList), (Rows{"Track1.cda", "Track2.cda", "Track2.cda", "Track3.cda",
                                          "Track5.cda", "Track6.cda"}));
    EXPECT_EQ(texts_of(*child().control(kList)),
              (Rows{"1. Track1.cda", "2. Track2.cda", "3. Track2.cda", "4. Track3.cda",
                    "5. Track5.cda", "6. Track6.cda"}));
    EXPECT_TRUE(selected_of(*child().control(kList)).empty());
}

TEST_F(EditorTest, UpGathersTheSelectedEntriesIntoASelectedBlockOnePlaceHigher) {
    fill_editor({"W", "X", "Y", "Z"});
    HWND list = nullptr;
    dialogs.then([&](HWND child) { list = GetDlgItem(child, kList); })
        .select_rows(kList, {1, 3})
        .click(kUp)
        .then([&](HWND child) {
            const Control& c = live_list(child);
            EXPECT_EQ(texts_of(c), (Rows{"1. X", "2. Z", "3. W", "4. Y"}));
            EXPECT_EQ(selected_of(c), (std::vector<int>{0, 1}));
            EXPECT_EQ(c.scroll_to, 2);  // the row below the block's old first + n - 1
            EXPECT_EQ(GetFocus(), list);
            SetFocus(GetDlgItem(child, kCancel));
        })
        .click(kUp)  // the block is at the top: nothing moves, the list still takes the focus
        .then([&](HWND child) {
            const Control& c = live_list(child);
            EXPECT_EQ(texts_of(c), (Rows{"1. X", "2. Z", "3. W", "4. Y"}));
            EXPECT_EQ(selected_of(c), (std::vector<int>{0, 1}));
            EXPECT_EQ(c.scroll_to, 1);
            EXPECT_EQ(GetFocus(), list);
        })
        .select_rows(kList, {})
        .click(kUp)
        .click(kCancel);
    run_editor();
    EXPECT_EQ(paths_of(editorList), (Rows{"X", "Z", "W", "Y"}));
    for (int i = 0; i < editorList.count; ++i) EXPECT_FALSE(editorList.entries[i]->moveMark);
}

TEST_F(EditorTest, DownGathersTheSelectedEntriesIntoASelectedBlockOnePlaceLower) {
    fill_editor({"V", "W", "X", "Y", "Z"});
    HWND list = nullptr;
    dialogs.then([&](HWND child) { list = GetDlgItem(child, kList); })
        .select_rows(kList, {0, 2})
        .click(kDown)
        .then([&](HWND child) {
            const Control& c = live_list(child);
            EXPECT_EQ(texts_of(c), (Rows{"1. W", "2. Y", "3. V", "4. X", "5. Z"}));
            EXPECT_EQ(selected_of(c), (std::vector<int>{2, 3}));
            EXPECT_EQ(c.scroll_to, 3);
            SetFocus(GetDlgItem(child, kCancel));
        })
        .select_rows(kList, {4})
        .click(kDown)  // the last row cannot go lower, yet the list scrolls and takes the focus
        .then([&](HWND child) {
            const Control& c = live_list(child);
            EXPECT_EQ(texts_of(c), (Rows{"1. W", "2. Y", "3. V", "4. X", "5. Z"}));
            EXPECT_EQ(c.scroll_to, 4);
            EXPECT_EQ(GetFocus(), list);
        })
        .click(kCancel);
    run_editor();
    EXPECT_EQ(paths_of(editorList), (Rows{"W", "Y", "V", "X", "Z"}));
    for (int i = 0; i < editorList.count; ++i) EXPECT_FALSE(editorList.entries[i]->moveMark);
}

TEST_F(EditorTest, RemoveTakesEverySelectedRowAndRenumbersTheRest) {
    fill_editor({"A", "B", "C", "D", "E"});
    dialogs.select_rows(kList, {1, 3})
        .click(kRemove)
        .then([](HWND child) {
            EXPECT_EQ(texts_of(live_list(child)), (Rows{"1. A", "2. C", "3. E"}));
        })
        .click(kRemove)  // nothing selected: nothing removed
        .select_rows(kList, {0})
        .key(kList, VK_DELETE)
        .select_rows(kList, {0, 1})
        .key(kList, VK_BACK)
        .then([](HWND child) {
            EXPECT_TRUE(live_list(child).rows.empty());
            for (int id : {kRemove, kSaveList, kRandomize}) EXPECT_FALSE(enabled(child, id));
        })
        .click(kCancel);
    run_editor();
    EXPECT_EQ(editorList.count, 0);
}

TEST_F(EditorTest, ClearAllAsksFirstAndOnlyWhenThereIsSomethingToClear) {
    win.answer_message_boxes({IDNO, IDYES});
    HWND editor = nullptr;
    dialogs.then([&](HWND child) { editor = child; })
        .key(kList, 'C')
        .click(kCdTrack)
        .click(kCdTrack)
        .key(kList, 'C')
        .then([](HWND child) { EXPECT_EQ(live_list(child).rows.size(), 2u); })
        .key(kList, 'C')
        .then([](HWND child) {
            EXPECT_TRUE(live_list(child).rows.empty());
            for (int id : {kRemove, kSaveList, kRandomize}) EXPECT_FALSE(enabled(child, id));
        })
        .click(kCancel);
    run_editor();
    EXPECT_EQ(editorList.count, 0);
    const auto boxes = win.message_boxes();
    ASSERT_EQ(boxes.size(), 2u);
    for (const auto& box : boxes) {
        EXPECT_EQ(box.text, "Are you sure you want to delete all list items?");
        EXPECT_EQ(box.caption, "Confirm keyboard event");
        EXPECT_EQ(box.type, MB_YESNO | MB_ICONWARNING);
        EXPECT_EQ(box.owner, editor);
    }
}

TEST_F(EditorTest, RandomizeShufflesTheListAndTheRowsFollow) {
    fill_editor({"1.mp3", "2.mp3", "3.mp3", "4.mp3", "5.mp3", "6.mp3", "7.mp3", "8.mp3"});
    const Rows before = paths_of(editorList);
    dialogs.click(kRandomize).key(kList, 'N').click(kCancel);
    run_editor();
    Rows after = paths_of(editorList);
    EXPECT_NE(after, before);
    Rows shown;
    for (int i = 0; i < editorList.count; ++i) {
        shown.push_back(std::to_string(i + 1) + ". " + after[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(texts_of(*child().control(kList)), shown);
    std::sort(after.begin(), after.end());
    EXPECT_EQ(after, before);
}

TEST_F(EditorTest, PropertiesShowEachSelectedEntryInTurnUntilCancel) {
    fill_editor({"/music/intro.mp3", "Track3.cda", "/music/outro.mp3"});
    editorList.entries[0]->displayName = "Intro";
    editorList.entries[0]->lyricsFile = "/music/intro.txt";
    editorList.entries[0]->factor = 0.5f;
    win.answer_message_boxes({IDOK, IDOK, IDCANCEL});
    dialogs.select_rows(kList, {0, 2})
        .key(kList, 'P')
        .double_click(kList)  // Cancel on the first box ends the sequence
        .click(kCancel);
    run_editor();
    const auto boxes = win.message_boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text,
              "1. intro.mp3\n\nFile: /music/intro.mp3\nTitle: Intro\n"
              "Lyrics: /music/intro.txt\nFactor: 0.5");
    EXPECT_EQ(boxes[0].caption, "Entry Properties");
    EXPECT_EQ(boxes[0].type, MB_OKCANCEL | MB_ICONINFORMATION);
    EXPECT_EQ(boxes[1].text, "3. outro.mp3\n\nFile: /music/outro.mp3");
    EXPECT_EQ(boxes[1].type, MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(boxes[2].text, boxes[0].text);
    EXPECT_EQ(paths_of(editorList), (Rows{"/music/intro.mp3", "Track3.cda", "/music/outro.mp3"}));
}

TEST_F(EditorTest, KeysReachTheListViewToo) {
    fill_editor({"A"});
    bool reached_for_command = false, reached_for_other = false;
    dialogs
        .then([&](HWND child) {
            Dialog& d = *dialog_of(child);
            Control& c = *control_of(GetDlgItem(child, kList));
            reached_for_command = dialog_control_message(d, c, WM_KEYDOWN, VK_INSERT, 0);
            reached_for_other = dialog_control_message(d, c, WM_KEYDOWN, VK_DOWN, 0);
        })
        .click(kCancel);
    run_editor();
    EXPECT_TRUE(reached_for_command);
    EXPECT_TRUE(reached_for_other);
    EXPECT_EQ(paths_of(editorList), (Rows{"A", "Track2.cda"}));
}

TEST_F(EditorTest, OkExpandsTheListIntoPlaybackListAndClosesTheDialog) {
    const std::string a = file("a.mp3"), b = file("b.mp3"), c = file("c.mp3");
    const std::string nested = file("nested.lst", "%BASE_DIR%/b.mp3\r\n%BASE_DIR%/c.mp3\r\n");
    fill_editor({a.c_str(), nested.c_str(), "Track4.cda"});
    editorList.name = "Lumivex";
    dialogs.click(kOk);
    run_editor();
    EXPECT_FALSE(child().script_ran_out);
    EXPECT_FALSE(dialogs.shown_files().back().accepted);
    EXPECT_EQ(paths_of(playbackList), (Rows{a, b, c, "Track4.cda"}));
    EXPECT_EQ(playbackList.position, 0);
    ASSERT_TRUE(playbackList.sourceCopy);
    EXPECT_EQ(paths_of(*playbackList.sourceCopy), (Rows{a, nested, "Track4.cda"}));
    EXPECT_EQ(editorList.name, "");  // no name until the next Save List
    EXPECT_EQ(playbackList.name, "");
}

TEST_F(EditorTest, CancelLeavesPlaybackListAloneAndKeepsTheEdits) {
    playbackList.appendPath("/playing/now.mp3");
    dialogs.click(kCdTrack).click(kCancel);
    run_editor();
    EXPECT_EQ(paths_of(playbackList), (Rows{"/playing/now.mp3"}));
    EXPECT_EQ(paths_of(editorList), (Rows{"Track1.cda"}));

    dialogs.then(
        [](HWND child) { EXPECT_EQ(texts_of(live_list(child)), (Rows{"1. Track1.cda"})); });
    dialogs.dismiss();  // the file dialog's close box: as Cancel
    run_editor();
    EXPECT_EQ(paths_of(playbackList), (Rows{"/playing/now.mp3"}));
}

}  // namespace
