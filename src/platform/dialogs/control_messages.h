// Subclassing a control and files dropped on it: how a dialog hears a control's own input.
#pragma once

#include "platform/dialogs/dialogs.h"

// Called before the control's own handling for WM_KEYDOWN, WM_LBUTTONDBLCLK and WM_DROPFILES;
// the control handles the message itself only when the procedure calls DefSubclassProc.
using SUBCLASSPROC = LRESULT (*)(HWND control, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                 std::uintptr_t ref_data);
BOOL SetWindowSubclass(HWND control, SUBCLASSPROC proc, UINT_PTR id, std::uintptr_t ref_data);
BOOL RemoveWindowSubclass(HWND control, SUBCLASSPROC proc, UINT_PTR id);
LRESULT DefSubclassProc(HWND control, UINT msg, WPARAM wparam, LPARAM lparam);

// Files dropped from a file manager (text/uri-list) arrive as WM_DROPFILES with an HDROP.
struct HDROP__;
using HDROP = HDROP__*;
void DragAcceptFiles(HWND control, BOOL accept);
// index 0xFFFFFFFF: the number of files. Otherwise copies file index (truncated to size - 1
// characters) and returns its length; a null buffer asks for the length only.
UINT DragQueryFileA(HDROP drop, UINT index, char* buffer, UINT size);
// Where the files were dropped, in the control's client coordinates.
BOOL DragQueryPoint(HDROP drop, POINT* point);
void DragFinish(HDROP drop);
