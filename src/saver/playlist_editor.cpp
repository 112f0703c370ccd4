// The playlist editor's dialog: the open-file dialog it lives in, its opening, its rows, and how
// buttons, keys, double-clicks, dropped files and the "Add" button reach the commands.
#include "saver/playlist_editor.h"

#include <cstring>
#include <string>

#include "playlist/global_lists.h"
#include "playlist/playlist_paths.h"
#include "resources/dialogs/dialog_resources.h"
#include "saver/file_type_icons.h"
#include "saver/playlist_editor_state.h"

namespace {

// The open-file dialog's buffers, kept for the process: the name buffer also receives the names
// of dropped files, and the next opening starts from what it last held.
constexpr DWORD kFileBufferSize = 16384;
constexpr DWORD kFileTitleSize = 260;
char g_file_buffer[kFileBufferSize];
char g_file_title[kFileTitleSize];

constexpr WPARAM kKeyC = 'C';
constexpr WPARAM kKeyI = 'I';
constexpr WPARAM kKeyN = 'N';
constexpr WPARAM kKeyP = 'P';
constexpr WPARAM kKeyT = 'T';

// The command a key of the list view gives, as its button would; 0 for none.
int command_of_key(WPARAM vk) {
    switch (vk) {
        case VK_BACK:
        case VK_DELETE:
            return kEditorRemove;
        case kKeyN:
            return kEditorRandomize;
        case kKeyP:
            return kEditorProperties;
        case VK_INSERT:
        case kKeyI:
            return kEditorCdTrack;
        case VK_SPACE:
        case kKeyT:
            return kEditorLoadList;
        default:
            return 0;
    }
}

void send_command(HWND child, int id) {
    playlist_editor_proc(child, WM_COMMAND, MAKEWPARAM(static_cast<UINT>(id), BN_CLICKED),
                         hwnd_to_number(GetDlgItem(child, id)));
}

// The list view's own messages pass through here first; then it handles them as always.
LRESULT list_view_subclass(HWND list, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR,
                           std::uintptr_t) {
    HWND child = GetParent(list);
    if (msg == WM_KEYDOWN) {
        if (wparam == kKeyC) {
            ask_and_clear_all();
        } else if (const int id = command_of_key(wparam)) {
            send_command(child, id);
        }
    } else if (msg == WM_LBUTTONDBLCLK) {
        send_command(child, kEditorProperties);
    } else if (msg == WM_DROPFILES) {
        drop_files_on_list(reinterpret_cast<HDROP>(wparam));
    }
    return DefSubclassProc(list, msg, wparam, lparam);
}

void open_editor(HWND child) {
    PlaylistEditorControls& c = editor_controls();
    c.child = child;
    c.list = GetDlgItem(child, kEditorList);
    c.remove = GetDlgItem(child, kEditorRemove);
    c.save_list = GetDlgItem(child, kEditorSaveList);
    c.randomize = GetDlgItem(child, kEditorRandomize);

    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = 125;
    column.pszText = const_cast<char*>("File");
    ListView_InsertColumn(c.list, 0, &column);
    ListView_SetImageList(c.list, file_type_image_list(), LVSIL_SMALL);

    show_rows_from(0);

    HWND file_dialog = GetParent(child);
    CommDlg_OpenSave_SetControlText(file_dialog, IDOK, "Add");
    CommDlg_OpenSave_HideControl(file_dialog, IDCANCEL);

    DragAcceptFiles(c.list, 1);
    SetWindowSubclass(c.list, list_view_subclass, 0, 0);
}

void run_command(int id) {
    switch (id) {
        case kEditorSaveList:
            save_list();
            break;
        case kEditorRemove:
            remove_selected();
            break;
        case kEditorOk:
            rebuild_playback_list();
            PostMessageA(GetParent(editor_controls().child), WM_COMMAND, IDCANCEL, 0);
            break;
        case kEditorCancel:
            PostMessageA(GetParent(editor_controls().child), WM_COMMAND, IDCANCEL, 0);
            break;
        case kEditorRandomize:
            randomize_list();
            break;
        case kEditorProperties:
            show_entry_properties();
            break;
        case kEditorCdTrack:
            insert_cd_track();
            break;
        case kEditorDown:
            move_selected_down();
            break;
        case kEditorUp:
            move_selected_up();
            break;
        case kEditorLoadList:
            load_configured_list();
            break;
        default:
            break;
    }
}

}  // namespace

PlaylistEditorControls& editor_controls() {
    static PlaylistEditorControls c;
    return c;
}

void show_rows_from(int k) {
    const PlaylistEditorControls& c = editor_controls();
    if (k < 0) k = 0;
    for (int row = ListView_GetItemCount(c.list) - 1; row >= k; --row) {
        ListView_DeleteItem(c.list, row);
    }
    for (int i = k; i < editorList.count; ++i) {
        const std::string& path = editorList.entries[i]->path;
        std::string text = std::to_string(i + 1) + ". " + fileNamePart(path);
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = i;
        item.pszText = text.data();
        item.iImage = file_type_icon(path);
        item.lParam = i;
        ListView_InsertItem(c.list, &item);
    }
    const BOOL any = editorList.count > 0 ? 1 : 0;
    EnableWindow(c.remove, any);
    EnableWindow(c.save_list, any);
    EnableWindow(c.randomize, any);
}

UINT_PTR playlist_editor_proc(HWND child, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_INITDIALOG:
            open_editor(child);
            return 1;
        case WM_NOTIFY: {
            const auto* notify = reinterpret_cast<const OFNOTIFYA*>(lparam);
            if (!notify || notify->hdr.code != CDN_FILEOK) return 0;
            const OPENFILENAMEA& ofn = *notify->lpOFN;
            add_picked_files(ofn.lpstrFile, ofn.nMaxFile);
            SetWindowLongPtrA(child, DWLP_MSGRESULT, 1);  // Add keeps the dialog open
            return 1;
        }
        case WM_COMMAND:
            run_command(static_cast<int>(LOWORD(wparam)));
            return 1;
        default:
            return 0;
    }
}

void open_playlist_editor(HWND owner) {
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = ".mp3\0\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = g_file_buffer;
    ofn.nMaxFile = kFileBufferSize;
    ofn.lpstrFileTitle = g_file_title;
    ofn.nMaxFileTitle = kFileTitleSize;
    ofn.lpstrTitle = "Edit Playlist";
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ALLOWMULTISELECT |
                OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_HIDEREADONLY;
    ofn.lpstrDefExt = "MP*";
    ofn.lpfnHook = playlist_editor_proc;
    ofn.lpTemplateName = MAKEINTRESOURCEA(kPlaylistEditorDialog);
    GetOpenFileNameA(&ofn);  // the hook has done all the work; how the dialog ended is no news
    editor_controls() = PlaylistEditorControls{};
}

void reset_playlist_editor() {
    editor_controls() = PlaylistEditorControls{};
    reset_file_type_icons();
    std::memset(g_file_buffer, 0, sizeof g_file_buffer);
    std::memset(g_file_title, 0, sizeof g_file_title);
}

std::span<char> playlist_editor_file_buffer() { return {g_file_buffer, kFileBufferSize}; }
