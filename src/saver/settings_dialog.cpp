// The settings dialog: the record's options into the controls, and back into the registry on OK.
#include "saver/settings_dialog.h"

#include <cstdlib>
#include <string>

#include "player/player_state.h"
#include "resources/dialogs/dialog_resources.h"
#include "saver/playlist_editor.h"
#include "saver/saver_settings.h"
#include "saver/working_copies.h"

namespace {

constexpr int kShowBackground = 1000;
constexpr int kShowTrails = 1028;
constexpr int kPlayMusic = 1057;
constexpr int kRepeatPlaylist = 1059;
constexpr int kRandomBackground = 1060;
constexpr int kMoveRandomly = 1061;
constexpr int kResolution640 = 1042;
constexpr int kResolution800 = 1043;
constexpr int kResolution1024 = 1044;
constexpr int kSmallStarNumber = 1020;
constexpr int kSmallStarSpeed = 1019;
constexpr int kLargeStarNumber = 1026;
constexpr int kPlaylistButton = 1045;

// The radio button of each background number 0..8.
constexpr int kBackgroundButtons[] = {1015, 1016, 1010, 1012, 1013, 1014, 1017, 1062, 1068};

struct CheckBoxField {
    int id;
    int SaverSettings::*field;
};

// In the order OK reads them.
constexpr CheckBoxField kCheckBoxes[] = {
    {kShowBackground, &SaverSettings::showBackground},
    {kPlayMusic, &SaverSettings::playMusic},
    {kRepeatPlaylist, &SaverSettings::repeatPlaylist},
    {kRandomBackground, &SaverSettings::randomBackground},
    {kMoveRandomly, &SaverSettings::moveRandomly},
    {kShowTrails, &SaverSettings::showTrails},
};

// A resolution box and the two others: clicking it may not clear the choice, only move it.
struct ResolutionBox {
    int id;
    int uncheck_when_checked;
    int uncheck_always;
};

constexpr ResolutionBox kResolutionBoxes[] = {
    {kResolution640, kResolution800, kResolution1024},
    {kResolution800, kResolution640, kResolution1024},
    {kResolution1024, kResolution640, kResolution800},
};

PlaylistEditorFn g_playlist_editor = open_playlist_editor;

void check(HWND dialog, int id, bool on) {
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

// Fills a list and selects the first entry that begins with the value's decimal text; a value
// that no entry begins with leaves the list without a selection.
void fill_list(HWND dialog, int id, std::initializer_list<const char*> entries, int value) {
    HWND list = GetDlgItem(dialog, id);
    for (const char* e : entries) ComboBox_AddString(list, e);
    ComboBox_SelectString(list, -1, std::to_string(value).c_str());
}

// The selected entry as a decimal number; a list without a selection keeps the field.
void read_list(HWND dialog, int id, int* field) {
    HWND list = GetDlgItem(dialog, id);
    const int selected = ComboBox_GetCurSel(list);
    if (selected == CB_ERR) return;
    const int length = ComboBox_GetLBTextLen(list, selected);
    if (length < 0) return;
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    ComboBox_GetLBText(list, selected, text.data());
    *field = static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

void init_dialog(HWND dialog, const SaverSettings& s) {
    if (s.resolution == 0) check(dialog, kResolution640, true);
    if (s.resolution == 1) check(dialog, kResolution800, true);
    if (s.resolution == 2) check(dialog, kResolution1024, true);
    check(dialog, kShowBackground, s.showBackground);
    check(dialog, kShowTrails, s.showTrails);
    check(dialog, kPlayMusic, s.playMusic);
    check(dialog, kRepeatPlaylist, s.repeatPlaylist);
    check(dialog, kRandomBackground, s.randomBackground);
    check(dialog, kMoveRandomly, s.moveRandomly);
    if (s.backgroundNumber >= 0 && s.backgroundNumber <= 8) {
        check(dialog, kBackgroundButtons[s.backgroundNumber], true);
    }
    fill_list(dialog, kSmallStarNumber, {"100", "200", "300", "400"}, s.smallStarNumber);
    fill_list(dialog, kSmallStarSpeed, {"0", "1", "2", "3", "4"}, s.smallStarSpeed);
    fill_list(dialog, kLargeStarNumber, {"1", "2", "3", "4", "5", "6", "7", "8"},
              s.largeStarNumber);
}

void save_and_close(HWND dialog, SaverSettings& s) {
    for (const CheckBoxField& box : kCheckBoxes) {
        s.*box.field = IsDlgButtonChecked(dialog, box.id) == BST_CHECKED ? 1 : 0;
    }
    // The last checked box wins; none checked keeps the stored resolution.
    if (IsDlgButtonChecked(dialog, kResolution640) == BST_CHECKED) s.resolution = 0;
    if (IsDlgButtonChecked(dialog, kResolution800) == BST_CHECKED) s.resolution = 1;
    if (IsDlgButtonChecked(dialog, kResolution1024) == BST_CHECKED) s.resolution = 2;
    for (int number = 0; number <= 8; ++number) {
        if (IsDlgButtonChecked(dialog, kBackgroundButtons[number]) == BST_CHECKED) {
            s.backgroundNumber = number;
            break;
        }
    }
    set_working_copy(WorkingCopy::BackgroundNumber, s.backgroundNumber);
    player_state().repeat = s.repeatPlaylist;
    read_list(dialog, kSmallStarNumber, &s.smallStarNumber);
    read_list(dialog, kSmallStarSpeed, &s.smallStarSpeed);
    read_list(dialog, kLargeStarNumber, &s.largeStarNumber);
    s.write_saver_values();
    EndDialog(dialog, IDOK);
}

void keep_resolution_exclusive(HWND dialog, const ResolutionBox& box) {
    if (IsDlgButtonChecked(dialog, box.id) != BST_CHECKED) {
        check(dialog, box.id, true);
    } else {
        check(dialog, box.uncheck_when_checked, false);
    }
    check(dialog, box.uncheck_always, false);
}

}  // namespace

INT_PTR settings_dialog_proc(HWND dialog, UINT msg, WPARAM wparam, LPARAM /*lparam*/) {
    SaverSettings* s = saver_settings();
    if (msg == WM_INITDIALOG) {
        if (s) init_dialog(dialog, *s);
        return 1;
    }
    if (msg != WM_COMMAND) return 0;
    const int id = static_cast<int>(LOWORD(wparam));
    switch (id) {
        case IDOK:
            if (s) {
                save_and_close(dialog, *s);
            } else {
                EndDialog(dialog, IDOK);
            }
            return 1;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return 1;
        case kPlaylistButton:
            if (g_playlist_editor) g_playlist_editor(dialog);
            return 1;
        default:
            for (const ResolutionBox& box : kResolutionBoxes) {
                if (box.id == id) keep_resolution_exclusive(dialog, box);
            }
            return 1;
    }
}

void set_playlist_editor(PlaylistEditorFn editor) { g_playlist_editor = editor; }

void show_settings_dialog(HWND parent) {
    // The templates are linked into the program; the dialog layer needs no module handle.
    DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kSettingsDialog), parent, settings_dialog_proc, 0);
}
