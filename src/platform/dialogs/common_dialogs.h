// The common file dialogs (comdlg32): open and save, with a hook procedure and a child template.
#pragma once

#include "platform/dialogs/dialogs.h"

using WORD = std::uint16_t;
// A hook procedure is the dialog procedure of the child dialog the template describes.
using LPOFNHOOKPROC = UINT_PTR (*)(HWND child, UINT msg, WPARAM wparam, LPARAM lparam);

constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_ENABLEHOOK = 0x00000020;
constexpr DWORD OFN_ENABLETEMPLATE = 0x00000040;
// hInstance is then a pointer to the child's DialogTemplate.
constexpr DWORD OFN_ENABLETEMPLATEHANDLE = 0x00000080;
constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_EXPLORER = 0x00080000;

struct OPENFILENAMEA {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    // Pairs of description and pattern ("Playlists\0*.lst;*.txt\0"), ending with an empty one.
    const char* lpstrFilter;
    char* lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;  // 1 for the first pair; set to the chosen one on return
    // In: the initial name. Out: the full path, or with several files the folder, each name
    // and an empty string, NUL-separated.
    char* lpstrFile;
    DWORD nMaxFile;
    char* lpstrFileTitle;  // out: the chosen file's name without its folder
    DWORD nMaxFileTitle;
    const char* lpstrInitialDir;
    const char* lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;         // out: where the (first) name begins in lpstrFile
    WORD nFileExtension;      // out: where its extension begins, 0 without one
    const char* lpstrDefExt;  // added to a typed name without an extension (save dialogs)
    LPARAM lCustData;
    LPOFNHOOKPROC lpfnHook;
    const char* lpTemplateName;  // MAKEINTRESOURCEA of the child's dialog resource
};

// Notifications the hook receives as WM_NOTIFY, with an OFNOTIFYA in lParam.
struct NMHDR {
    HWND hwndFrom;  // the file dialog
    UINT_PTR idFrom;
    UINT code;
};
struct OFNOTIFYA {
    NMHDR hdr;
    OPENFILENAMEA* lpOFN;
    char* pszFile;
};
constexpr UINT CDN_INITDONE = 0u - 601u;
constexpr UINT CDN_FILEOK = 0u - 606u;

// What a dialog procedure answers a notification with: CDN_FILEOK answered non-zero (and the
// procedure returning true) keeps the file dialog open.
constexpr int DWLP_MSGRESULT = 0;
std::intptr_t SetWindowLongPtrA(HWND dialog, int index, std::intptr_t value);

// True when the user chose files (lpstrFile holds them); false when the dialog was cancelled,
// could not be shown, or the choice does not fit lpstrFile (which then begins with the size
// needed, in its first two bytes, as Windows reports it).
BOOL GetOpenFileNameA(OPENFILENAMEA* ofn);
BOOL GetSaveFileNameA(OPENFILENAMEA* ofn);

// Why the last GetOpenFileNameA or GetSaveFileNameA returned false: 0 when the user cancelled.
constexpr DWORD CDERR_INITIALIZATION = 0x0002;  // the dialog could not be shown
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;  // the choice did not fit lpstrFile
DWORD CommDlgExtendedError();

// Sent by the hook to the file dialog (its parent): a new label for a button (IDOK is the
// open or save button), or a button hidden (IDCANCEL).
void CommDlg_OpenSave_SetControlText(HWND file_dialog, int id, const char* text);
void CommDlg_OpenSave_HideControl(HWND file_dialog, int id);
