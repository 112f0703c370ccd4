// Files dropped on the playlist editor's list: where they go, the existence check, the bound.
#include "tests/saver_editor/editor_test_support.h"

namespace {

using Rows = std::vector<std::string>;

TEST_F(EditorTest, DroppedFilesGoBeforeTheNearestRowAndMissingOnesAreRefused) {
    fill_editor({"A", "B", "C"});
    const std::string x = file("x.mp3"), list = file("list.m3u", "%BASE_DIR%/x.mp3\r\n");
    const std::string missing = dir / "missing.mp3";
    dialogs.drop(kList, {x, missing, list}, 1).click(kOk);
    run_editor();
    EXPECT_EQ(paths_of(editorList), (Rows{"A", x, list, "B", "C"}));
    EXPECT_EQ(texts_of(*child().control(kList)),
              (Rows{"1. A", "2. x.mp3", "3. list.m3u", "4. B", "5. C"}));
    const auto boxes = win.message_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Invalid file in playlist : \"" + missing +
                                 "\". File will not be added.\nContinue to warn? ");
    EXPECT_EQ(boxes[0].caption, "Warning");
    EXPECT_EQ(boxes[0].type, MB_YESNO | MB_ICONWARNING);
    // The dropped playlist is one entry in the editor; OK expands it for the player.
    EXPECT_EQ(paths_of(playbackList), (Rows{"A", x, x, "B", "C"}));
}

TEST_F(EditorTest, ADropOnAnEmptyListFillsItAndNoStopsTheWarnings) {
    const std::string a = file("a.mp3"), b = file("b.mp3");
    win.answer_message_boxes({IDNO});
    dialogs.drop(kList, {dir / "gone1.mp3", a, dir / "gone2.mp3", b}, 0)
        .then([](HWND child) {
            EXPECT_EQ(texts_of(live_list(child)), (Rows{"1. a.mp3", "2. b.mp3"}));
            for (int id : {kRemove, kSaveList, kRandomize}) EXPECT_TRUE(enabled(child, id));
        })
        .drop(kList, {dir / "gone3.mp3"}, 5)  // below the rows: the last row is the nearest
        .drop(kList, {"Track7.cda"}, 5)
        .click(kCancel);
    run_editor();
    EXPECT_EQ(win.message_boxes().size(), 1u);
    EXPECT_EQ(paths_of(editorList), (Rows{a, "Track7.cda", b}));
}

TEST_F(EditorTest, DroppedNamesStopWhereTheNameBufferEnds) {
    const std::string stem = std::string(100, 'n');
    std::vector<std::string> files;
    for (int i = 0; i < 200; ++i) files.push_back(file(stem + std::to_string(1000 + i) + ".mp3"));
    const std::size_t length = files[0].size();
    dialogs.drop(kList, files, 0).click(kCancel);
    run_editor();
    // Each name and its NUL, then the empty string that ends them, within 16384 bytes.
    const std::size_t fit = (16384 - 1) / (length + 1);
    ASSERT_LT(fit, files.size());
    EXPECT_EQ(paths_of(editorList), Rows(files.begin(), files.begin() + long(fit)));
    EXPECT_TRUE(win.message_boxes().empty());
}

}  // namespace
