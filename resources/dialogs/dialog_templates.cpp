// The dialog templates: the settings dialog (122) and the playlist editor's child dialog (2).
#include "resources/dialogs/dialog_resources.h"

namespace {

using K = ControlKind;

constexpr DWORD kTab = WS_TABSTOP;
constexpr DWORD kGroupTab = WS_GROUP | WS_TABSTOP;

const ControlTemplate kSettingsControls[] = {
    {IDC_STATIC, K::GroupBox, "Background", 11, 5, 98, 150, 0},
    {1062, K::AutoRadioButton, "Blue/red 3D", 19, 23, 71, 8, kGroupTab},
    {1014, K::AutoRadioButton, "Colored plasma 3D", 19, 34, 78, 8, 0},
    {1017, K::AutoRadioButton, "Red clouds 3D", 19, 45, 72, 8, 0},
    {1015, K::AutoRadioButton, "Lightning 3D", 19, 56, 62, 8, 0},
    {1010, K::AutoRadioButton, "White nebula", 19, 67, 58, 8, 0},
    {1016, K::AutoRadioButton, "Clouds", 19, 78, 50, 8, 0},
    {1013, K::AutoRadioButton, "Spiral galaxy", 19, 89, 55, 8, 0},
    {1012, K::AutoRadioButton, "Spiral Vortex 3D", 19, 100, 75, 8, 0},
    {1068, K::AutoRadioButton, "Stars 3D", 19, 111, 62, 8, 0},
    {1000, K::AutoCheckBox, "Show background", 21, 127, 80, 9, kGroupTab},
    {1060, K::AutoCheckBox, "Random background", 21, 139, 81, 9, kTab},
    {IDC_STATIC, K::GroupBox, "Resolution", 11, 158, 97, 53, WS_GROUP},
    {1042, K::AutoCheckBox, "640x480 (Voodoo 1)", 19, 169, 80, 10, kGroupTab},
    {1043, K::AutoCheckBox, "800x600 (Voodoo 2)", 19, 184, 80, 8, kTab},
    {1044, K::AutoCheckBox, "1024x768 (Voodoo 3)", 19, 197, 80, 8, kTab},
    {IDC_STATIC, K::GroupBox, "MP3s/CDs", 11, 215, 98, 40, WS_GROUP},
    {1057, K::AutoCheckBox, "Play MP3s/CDs", 21, 225, 63, 9, kGroupTab},
    {1059, K::AutoCheckBox, "Repeat playlist", 21, 239, 70, 10, kTab},
    {IDC_STATIC, K::GroupBox, "Big Stars", 127, 13, 118, 46, WS_GROUP},
    {IDC_STATIC, K::Text, "Number", 135, 27, 28, 8, 0},
    {1026, K::DropDownList, nullptr, 163, 24, 29, 105, kGroupTab | CBS_SORT},
    {1061, K::AutoCheckBox, "Move Randomly", 136, 45, 66, 8, kTab},
    {1028, K::AutoCheckBox, "Trails", 207, 44, 33, 11, kTab},
    {IDC_STATIC, K::GroupBox, "Small Stars", 127, 63, 121, 47, WS_GROUP},
    {IDC_STATIC, K::Text, "Number", 141, 76, 27, 9, 0},
    {1020, K::DropDownList, nullptr, 178, 73, 30, 76, kGroupTab},
    {IDC_STATIC, K::Text, "Speed", 143, 92, 23, 8, 0},
    {1019, K::DropDownList, nullptr, 178, 90, 30, 68, kTab},
    {IDC_STATIC, K::Picture, nullptr, 126, 113, 122, 88, SS_CENTERIMAGE, kStarFieldBitmap},
    {1045, K::PushButton, "Playlist...", 167, 209, 44, 16, kGroupTab},
    {IDOK, K::PushButton, "OK", 123, 233, 56, 16, kTab},
    {IDCANCEL, K::PushButton, "Cancel", 198, 233, 56, 16, kTab},
};

const DialogTemplate kSettings = {
    kSettingsDialog,
    "Lumivex Settings",
    0,
    0,
    266,
    261,
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
    "MS Sans Serif",
    8,
    kSettingsControls,
};

constexpr DWORD kListStyle =
    WS_BORDER | kGroupTab | LVS_REPORT | LVS_NOSORTHEADER | LVS_SHAREIMAGELISTS;

const ControlTemplate kPlaylistControls[] = {
    {1018, K::ListView, nullptr, 4, 4, 180, 118, kListStyle},
    {128, K::PushButton, "&Up", 193, 41, 23, 21, kGroupTab},
    {127, K::PushButton, "&Down", 193, 68, 23, 21, kTab},
    {105, K::PushButton, "Ra&ndomize", 221, 6, 48, 14, kTab | WS_DISABLED},
    {120, K::PushButton, "C&D Track", 221, 22, 48, 14, kTab},
    {102, K::PushButton, "&Remove", 221, 38, 48, 14, kTab | WS_DISABLED},
    {101, K::PushButton, "&Save List", 221, 54, 48, 14, kTab | WS_DISABLED},
    {129, K::PushButton, "&Load List", 221, 70, 48, 14, kTab},
    {104, K::PushButton, "&Cancel", 221, 86, 48, 14, kTab},
    {103, K::PushButton, "&OK", 221, 102, 48, 14, kTab},
};

const DialogTemplate kPlaylistEditor = {
    kPlaylistEditorDialog,
    "MP3 Playlist",
    0,
    0,
    280,
    130,
    WS_CHILD | DS_CONTROL | DS_SETFONT,
    "MS Sans Serif",
    8,
    kPlaylistControls,
};

}  // namespace

const DialogTemplate* find_dialog_template(int id) {
    if (id == kSettingsDialog) return &kSettings;
    if (id == kPlaylistEditorDialog) return &kPlaylistEditor;
    return nullptr;
}
