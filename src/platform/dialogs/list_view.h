// The list view, its small-icon image list and the desktop's file-type icons (commctrl, shell).
#pragma once

#include "platform/dialogs/dialogs.h"

struct HIMAGELIST__;
using HIMAGELIST = HIMAGELIST__*;
struct HICON__;
using HICON = HICON__*;

constexpr UINT LVIF_TEXT = 0x0001;
constexpr UINT LVIF_IMAGE = 0x0002;
constexpr UINT LVIF_PARAM = 0x0004;
constexpr UINT LVIF_STATE = 0x0008;
constexpr UINT LVIS_FOCUSED = 0x0001;
constexpr UINT LVIS_SELECTED = 0x0002;
constexpr UINT LVNI_ALL = 0x0000;
constexpr UINT LVNI_FOCUSED = 0x0001;
constexpr UINT LVNI_SELECTED = 0x0002;
constexpr UINT LVCF_FMT = 0x0001;
constexpr UINT LVCF_WIDTH = 0x0002;
constexpr UINT LVCF_TEXT = 0x0004;
constexpr int LVCFMT_LEFT = 0;
constexpr int LVSIL_SMALL = 1;
constexpr UINT LVFI_NEARESTXY = 0x0040;
constexpr UINT ILC_MASK = 0x0001;
constexpr UINT ILC_COLOR32 = 0x0020;

struct LVITEMA {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    char* pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
};

struct LVCOLUMNA {
    UINT mask;
    int fmt;
    int cx;  // pixels
    char* pszText;
    int cchTextMax;
    int iSubItem;
};

struct LVFINDINFOA {
    UINT flags;
    const char* psz;
    LPARAM lParam;
    POINT pt;  // client coordinates of the list view
    UINT vkDirection;
};

int ListView_InsertColumn(HWND list, int index, const LVCOLUMNA* column);
// Gives the list view its small-icon image list; the list stays the caller's (shared lists).
HIMAGELIST ListView_SetImageList(HWND list, HIMAGELIST images, int which);
// Inserts a row before iItem (past the end: appends); returns its index or -1.
int ListView_InsertItem(HWND list, const LVITEMA* item);
BOOL ListView_DeleteItem(HWND list, int index);
BOOL ListView_DeleteAllItems(HWND list);
int ListView_GetItemCount(HWND list);
UINT ListView_GetSelectedCount(HWND list);
// The first row after start (-1: from the top) that has the flags' state, or -1.
int ListView_GetNextItem(HWND list, int start, UINT flags);
// Sets the masked state bits of one row, or of every row when index is -1.
BOOL ListView_SetItemState(HWND list, int index, UINT state, UINT mask);
UINT ListView_GetItemState(HWND list, int index, UINT mask);
BOOL ListView_GetItem(HWND list, LVITEMA* item);
void ListView_GetItemText(HWND list, int index, int sub_item, char* buffer, int size);
BOOL ListView_EnsureVisible(HWND list, int index, BOOL partial_ok);
// With LVFI_NEARESTXY: the row nearest the point, or -1 when the list is empty.
int ListView_FindItem(HWND list, int start, const LVFINDINFOA* find);

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
// Appends a copy of the icon; returns its index or -1.
int ImageList_AddIcon(HIMAGELIST images, HICON icon);
int ImageList_GetImageCount(HIMAGELIST images);
BOOL ImageList_Destroy(HIMAGELIST images);

// The icon the desktop associates with a file (SHGetFileInfoA with SHGFI_ICON | SHGFI_SMALLICON).
constexpr UINT SHGFI_SMALLICON = 0x0001;
constexpr UINT SHGFI_ICON = 0x0100;
struct SHFILEINFOA {
    HICON hIcon;
    int iIcon;
    DWORD dwAttributes;
    char szDisplayName[260];
    char szTypeName[80];
};
// Fills info->hIcon (the caller destroys it with DestroyIcon); returns non-zero on success.
std::uintptr_t SHGetFileInfoA(const char* path, DWORD attributes, SHFILEINFOA* info, UINT size,
                              UINT flags);
BOOL DestroyIcon(HICON icon);
