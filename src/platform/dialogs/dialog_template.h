// Dialog templates as data: the dialog and its controls, positioned in dialog units.
#pragma once

#include <cstdint>
#include <span>

#include "platform/win/win.h"

// The kinds of control the saver's dialogs are made of (the window classes of a template).
enum class ControlKind {
    GroupBox,         // BUTTON, BS_GROUPBOX
    AutoRadioButton,  // BUTTON, BS_AUTORADIOBUTTON: checks itself, clears the rest of its group
    AutoCheckBox,     // BUTTON, BS_AUTOCHECKBOX: toggles itself
    PushButton,       // BUTTON, BS_PUSHBUTTON
    DefPushButton,    // BUTTON, BS_DEFPUSHBUTTON: the button that Return presses
    Text,             // STATIC, SS_LEFT
    Picture,          // STATIC, SS_BITMAP: shows a bitmap resource
    DropDownList,     // COMBOBOX, CBS_DROPDOWNLIST
    ListView,         // SysListView32
};

// Window and control styles a template may carry.
constexpr DWORD WS_DISABLED = 0x08000000u;
constexpr DWORD WS_GROUP = 0x00020000u;
constexpr DWORD WS_TABSTOP = 0x00010000u;
constexpr DWORD WS_BORDER = 0x00800000u;
constexpr DWORD WS_CAPTION = 0x00C00000u;
constexpr DWORD WS_SYSMENU = 0x00080000u;
constexpr DWORD DS_MODALFRAME = 0x0080u;
constexpr DWORD DS_CONTROL = 0x0400u;
constexpr DWORD DS_SETFONT = 0x0040u;
constexpr DWORD CBS_SORT = 0x0100u;
constexpr DWORD SS_CENTERIMAGE = 0x0200u;
constexpr DWORD LVS_REPORT = 0x0001u;
constexpr DWORD LVS_SHAREIMAGELISTS = 0x0040u;
constexpr DWORD LVS_NOSORTHEADER = 0x8000u;

// Controls without an identifier of their own (labels, group boxes, pictures).
constexpr int IDC_STATIC = -1;

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* text;    // "&" marks the keyboard mnemonic, "&&" is a plain "&"
    short x, y, cx, cy;  // dialog units
    DWORD style;         // WS_*, CBS_*, SS_*, LVS_* bits beyond the kind
    int image = 0;       // Picture: the number of its bitmap resource
};

struct DialogTemplate {
    int id;
    const char* caption;
    short x, y, cx, cy;  // dialog units
    DWORD style;
    const char* font;  // the face the template names; the host uses the desktop's dialog font
    int point_size;
    std::span<const ControlTemplate> controls;
};
