// Save List and "Save List As": the save dialog, the file written, "Playlist" in the registry,
// and the messages of success and failure.
#include <vector>

#include "platform/registry/registry.h"
#include "tests/saver_editor/editor_test_support.h"

namespace {

using Rows = std::vector<std::string>;

// The registry value "Playlist" as stored: its type and bytes; nothing when it is missing.
std::optional<std::pair<DWORD, std::string>> stored_playlist() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Velt\\Lumivex Saver", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::uint8_t data[4096];
    DWORD size = sizeof data;
    DWORD type = 0;
    const LSTATUS status = RegQueryValueExA(key, "Playlist", nullptr, &type, data, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return std::nullopt;
    return std::make_pair(type, std::string(reinterpret_cast<char*>(data), size));
}

class SaveListTest : public EditorTest {};

TEST_F(SaveListTest, SaveListWritesTheNamedListAndMakesItTheConfiguredPlaylist) {
    const std::string a = file("a.mp3");
    fill_editor({a.c_str(), "Track3.cda"});
    HWND editor = nullptr;
    dialogs.then([&](HWND child) { editor = child; })
        .click(kSaveList)
        .pick({dir / "mix"})  // the default extension is added
        .click(kCancel);
    run_editor();
    const std::string saved = dir / "mix.LST";
    EXPECT_EQ(dir.read("mix.LST"), "#n Lumivex\r\n%BASE_DIR%/a.mp3\r\n\r\nTrack3.cda\r\n\r\n");

    ASSERT_EQ(dialogs.shown_files().size(), 2u);
    const ShownFileDialog& f = dialogs.shown_files()[0];  // the save dialog closes first
    EXPECT_TRUE(f.save);
    EXPECT_EQ(f.title, "Save List As");
    EXPECT_EQ(f.owner, editor);
    EXPECT_EQ(f.name, "");  // nothing chosen before in this process
    EXPECT_FALSE(f.has_child);
    ASSERT_EQ(f.filters.size(), 2u);
    EXPECT_EQ(f.filters[0].description, "Playlists (.txt, .lst, .m3u)");
    EXPECT_EQ(f.filters[0].patterns, (Rows{"*.lst", "*.m3u", "*.txt"}));
    EXPECT_EQ(f.filters[1].description, "All Files (*.*)");
    EXPECT_EQ(f.filters[1].patterns, (Rows{"*.*"}));
    EXPECT_EQ(f.filter, 0);

    const auto value = stored_playlist();
    ASSERT_TRUE(value);
    EXPECT_EQ(value->first, REG_SZ);
    EXPECT_EQ(value->second, saved + '\0');  // the terminating NUL is stored with it
    EXPECT_EQ(player_state().playlistPath, saved);

    const auto boxes = win.message_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "This has been set as the Lumivex playlist.");
    EXPECT_EQ(boxes[0].caption, "Sucess!");
    EXPECT_EQ(boxes[0].type, MB_OK);
    EXPECT_EQ(boxes[0].owner, editor);
    EXPECT_EQ(editorList.name, "Lumivex");
}

TEST_F(SaveListTest, TheDialogStartsFromTheLastNameAndAsksBeforeReplacing) {
    fill_editor({"Track1.cda"});
    const std::string first = file("first.m3u", "old\r\n");
    const std::string second = dir / "second.txt";
    win.answer_message_boxes({IDNO, IDYES, IDOK, IDOK});
    dialogs.click(kSaveList)
        .pick({first})  // No to replacing: the dialog stays
        .pick({first})  // Yes
        .click(kSaveList)
        .pick({second}, 1)
        .click(kCancel);
    run_editor();
    ASSERT_EQ(dialogs.shown_files().size(), 3u);
    EXPECT_EQ(dialogs.shown_files()[1].name, first);
    EXPECT_EQ(dir.read("first.m3u"), "#n Lumivex\r\nTrack1.cda\r\n\r\n");
    EXPECT_EQ(dir.read("second.txt"), "#n Lumivex\r\nTrack1.cda\r\n\r\n");
    EXPECT_EQ(stored_playlist()->second, second + '\0');
    const auto boxes = win.message_boxes();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0].text, first + " already exists.\nDo you want to replace it?");
    EXPECT_EQ(boxes[0].caption, "Save List As");
    EXPECT_EQ(boxes[2].caption, "Sucess!");
    EXPECT_EQ(boxes[3].caption, "Sucess!");
}

TEST_F(SaveListTest, CancellingTheSaveDialogSaysNothingAndStoresNothing) {
    fill_editor({"Track1.cda"});
    dialogs.click(kSaveList).dismiss().click(kCancel);
    run_editor();
    EXPECT_TRUE(win.message_boxes().empty());
    EXPECT_FALSE(stored_playlist());
    EXPECT_TRUE(dir.names().empty());
}

TEST_F(SaveListTest, AFailedSaveIsReportedAndLeavesTheConfiguredPlaylist) {
    player_state().playlistPath = "/configured.m3u";
    fill_editor({"Track1.cda"});
    dialogs.click(kSaveList).pick({dir / "no-such-folder/list.lst"}).click(kCancel);
    run_editor();
    const auto boxes = win.message_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Could not save list.");
    EXPECT_EQ(boxes[0].caption, "Warning");
    EXPECT_EQ(boxes[0].type, MB_OK | MB_ICONERROR);
    EXPECT_FALSE(stored_playlist());
    EXPECT_EQ(player_state().playlistPath, "/configured.m3u");
}

TEST_F(SaveListTest, ANameTooLongForTheDialogIsADialogError) {
    fill_editor({"Track1.cda"});
    const std::string long_name = dir / (std::string(250, 'l') + ".lst");
    dialogs.click(kSaveList).pick({long_name}).click(kSaveList).dismiss().click(kCancel);
    run_editor();
    const auto boxes = win.message_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Could not save list. 2");
    EXPECT_EQ(boxes[0].caption, "Warning");
    EXPECT_EQ(boxes[0].type, MB_OK | MB_ICONERROR);
    EXPECT_FALSE(stored_playlist());
    // The next dialog starts empty rather than from what the error left in the buffer.
    ASSERT_EQ(dialogs.shown_files().size(), 3u);
    EXPECT_EQ(dialogs.shown_files()[1].name, "");
}

}  // namespace
