// Config mode in small for the end-to-end tests: the settings record read from the registry,
// GTK, and the settings dialog, as "lumivex /c" runs them; or one message box; or the file-open
// dialog with the playlist editor's child template and a hook that shows what it hears.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/dialogs/common_dialogs.h"
#include "platform/dialogs/dialogs_gtk.h"
#include "platform/dialogs/list_view.h"
#include "resources/dialogs/dialog_resources.h"
#include "saver/saver_settings.h"
#include "saver/settings_dialog.h"

namespace {

void add_row(HWND list, const char* path, const char* text) {
    static HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 8, 8);
    ListView_SetImageList(list, images, LVSIL_SMALL);
    SHFILEINFOA info{};
    int image = -1;
    if (SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON)) {
        image = ImageList_AddIcon(images, info.hIcon);
        DestroyIcon(info.hIcon);
    }
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = ListView_GetItemCount(list);
    item.pszText = const_cast<char*>(text);
    item.iImage = image;
    item.lParam = item.iItem;
    ListView_InsertItem(list, &item);
}

// Prints each choice (the strings of the buffer on one line), adds it as a row and keeps the
// dialog open; the child's Cancel (104) closes it.
UINT_PTR demo_hook(HWND child, UINT msg, WPARAM wparam, LPARAM lparam) {
    HWND list = GetDlgItem(child, 1018);
    if (msg == WM_INITDIALOG) {
        CommDlg_OpenSave_SetControlText(GetParent(child), IDOK, "Add");
        CommDlg_OpenSave_HideControl(GetParent(child), IDCANCEL);
        LVCOLUMNA column{LVCF_TEXT | LVCF_WIDTH | LVCF_FMT, LVCFMT_LEFT, 125,
                         const_cast<char*>("File"),         0,           0};
        ListView_InsertColumn(list, 0, &column);
        add_row(list, "/music/song.mp3", "1. song.mp3");
        add_row(list, "Track2.cda", "2. Track2.cda");
        add_row(list, "/music/list.m3u", "3. list.m3u");
        ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        return 1;
    }
    if (msg == WM_NOTIFY) {
        const auto* n = reinterpret_cast<const OFNOTIFYA*>(lparam);
        if (n->hdr.code != CDN_FILEOK) return 0;
        for (const char* s = n->lpOFN->lpstrFile; *s; s += std::strlen(s) + 1) {
            std::printf("%s|", s);
        }
        std::printf("\n");
        std::fflush(stdout);
        add_row(list, n->lpOFN->lpstrFile, n->lpOFN->lpstrFileTitle);
        SetWindowLongPtrA(child, DWLP_MSGRESULT, 1);
        return 1;
    }
    if (msg == WM_COMMAND && LOWORD(wparam) == 104) {
        PostMessageA(GetParent(child), WM_COMMAND, IDCANCEL, 0);
    }
    return 0;
}

int edit_playlist_frame() {
    static char file[16384];
    static char title[260];
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = ".mp3\0\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrFileTitle = title;
    ofn.nMaxFileTitle = sizeof title;
    ofn.lpstrTitle = "Edit Playlist";
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ALLOWMULTISELECT |
                OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_HIDEREADONLY;
    ofn.lpstrDefExt = "MP*";
    ofn.lpfnHook = demo_hook;
    ofn.lpTemplateName = MAKEINTRESOURCEA(kPlaylistEditorDialog);
    std::printf("result %d\n", GetOpenFileNameA(&ofn));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (!dialogs_gtk_install()) {
        std::fprintf(stderr, "settings_dialog_driver: no display\n");
        return 1;
    }
    // --message-box TEXT CAPTION TYPE: shows one box and prints the answer.
    if (argc == 5 && std::strcmp(argv[1], "--message-box") == 0) {
        const auto type = static_cast<UINT>(std::strtoul(argv[4], nullptr, 0));
        std::printf("%d\n", MessageBoxA(nullptr, argv[2], argv[3], type));
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--edit-playlist-frame") == 0) {
        return edit_playlist_frame();
    }
    SaverSettings settings;
    set_saver_settings(&settings);
    settings.read_system_values();
    store_default_saver_values(settings);
    settings.read_saver_values();
    // --editor-says TEXT: "Playlist..." shows a message box owned by the dialog.
    static const char* editor_text = nullptr;
    if (argc == 3 && std::strcmp(argv[1], "--editor-says") == 0) {
        editor_text = argv[2];
        set_playlist_editor([](HWND owner) {
            std::printf("%d\n",
                        MessageBoxA(owner, editor_text, "Lumivex", MB_YESNO | MB_ICONWARNING));
            std::fflush(stdout);
        });
    }
    show_settings_dialog(nullptr);
    set_saver_settings(nullptr);
    return 0;
}
