// The dialog vocabulary the saver's dialog procedures are written in, with Windows' names.
#pragma once

#include <cstdint>

#include "platform/dialogs/dialog_template.h"
#include "platform/win/win.h"

using INT_PTR = std::intptr_t;
using DLGPROC = INT_PTR (*)(HWND dialog, UINT msg, WPARAM wparam, LPARAM lparam);

// Messages a dialog procedure receives.
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_DROPFILES = 0x0233;

// Notification codes in the high word of a WM_COMMAND's wParam.
constexpr UINT BN_CLICKED = 0;
constexpr UINT CBN_SELCHANGE = 1;

// Button states.
constexpr UINT BST_UNCHECKED = 0;
constexpr UINT BST_CHECKED = 1;

constexpr int CB_ERR = -1;

// The keys the dialog manager handles itself.
constexpr WPARAM VK_TAB = 0x09;
constexpr WPARAM VK_LEFT = 0x25;
constexpr WPARAM VK_UP = 0x26;
constexpr WPARAM VK_RIGHT = 0x27;
constexpr WPARAM VK_DOWN = 0x28;

inline WPARAM MAKEWPARAM(UINT low, UINT high) {
    return static_cast<WPARAM>((low & 0xFFFF) | ((high & 0xFFFF) << 16));
}

// Runs a modal dialog built from a template in memory; returns what EndDialog was given, or -1
// when the dialog could not be shown. The dialog procedure gets WM_INITDIALOG with init_param
// before the dialog appears; returning true there gives the focus to the first tab stop.
INT_PTR DialogBoxIndirectParamA(HINSTANCE instance, const DialogTemplate* dialog_template,
                                HWND owner, DLGPROC proc, LPARAM init_param);
// Ends the modal dialog once its procedure returns; the dialog's call returns result.
BOOL EndDialog(HWND dialog, INT_PTR result);

HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND control);
// The dialog of a control, or the owner of a dialog.
HWND GetParent(HWND window);
BOOL EnableWindow(HWND window, BOOL enable);
BOOL IsWindowEnabled(HWND window);
// Shows or hides a control.
BOOL ShowWindow(HWND window, int show);
constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;
// The keyboard focus; returns the control that had it.
HWND SetFocus(HWND window);
HWND GetFocus();

BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
// A control's text; for a drop-down list, the text of the selected entry ("" without one).
UINT GetDlgItemTextA(HWND dialog, int id, char* buffer, int size);
BOOL SetDlgItemTextA(HWND dialog, int id, const char* text);

// Drop-down lists (the windowsx.h forms of the CB_ messages).
int ComboBox_AddString(HWND combo, const char* text);  // sorted lists insert in order
int ComboBox_GetCount(HWND combo);
int ComboBox_GetCurSel(HWND combo);
int ComboBox_SetCurSel(HWND combo, int index);  // -1 clears the selection
// Selects the first entry after start (-1: from the top, wrapping) whose text begins with
// prefix, ignoring letter case; CB_ERR and the selection unchanged when none does.
int ComboBox_SelectString(HWND combo, int start, const char* prefix);
int ComboBox_GetLBTextLen(HWND combo, int index);
// Copies entry index into buffer, which must hold ComboBox_GetLBTextLen + 1 bytes.
int ComboBox_GetLBText(HWND combo, int index, char* buffer);
void ComboBox_ResetContent(HWND combo);

// Resource numbers as Windows passes them: a small integer in place of a name.
inline const char* MAKEINTRESOURCEA(int id) {
    return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(id & 0xFFFF));
}
inline bool IS_INTRESOURCE(const char* name) {
    return (reinterpret_cast<std::uintptr_t>(name) >> 16) == 0;
}
// Runs the modal dialog of the program's dialog resource name (MAKEINTRESOURCEA of its number).
INT_PTR DialogBoxParamA(HINSTANCE instance, const char* name, HWND owner, DLGPROC proc,
                        LPARAM init_param);
