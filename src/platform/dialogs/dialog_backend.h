// The seam behind the dialog vocabulary: the open dialogs' state, and the backends that show it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/dialogs/common_dialogs.h"
#include "platform/dialogs/control_messages.h"
#include "platform/dialogs/list_view.h"

// A file-type icon: the content type the desktop gives the file, and the backend's image of it.
struct IconData {
    std::string content_type;
    std::shared_ptr<void> native;
};

struct ListViewColumn {
    std::string text;
    int width = 0;  // pixels
};

struct ListViewRow {
    std::string text;
    int image = -1;  // index in the list view's small image list; -1: none
    LPARAM param = 0;
    UINT state = 0;  // LVIS_SELECTED, LVIS_FOCUSED
};

// What changed in a control since the backend last looked (bits of Control::dirty).
enum ControlChange : unsigned {
    kChangedState = 1u << 0,      // text, check, enabled, shown
    kChangedItems = 1u << 1,      // a drop-down list's entries
    kChangedSelection = 1u << 2,  // a drop-down list's selection or the rows' states
    kChangedRows = 1u << 3,       // rows or columns of a list view, or its image list
    kChangedScroll = 1u << 4,     // a row to bring into view
};

struct Subclass {
    SUBCLASSPROC proc;
    UINT_PTR id;
    std::uintptr_t ref_data;
};

// One control of an open dialog. The shared part holds the truth; a backend mirrors it.
struct Control {
    HWND hwnd = nullptr;
    int id = IDC_STATIC;
    ControlKind kind = ControlKind::Text;
    DWORD style = 0;
    const ControlTemplate* source = nullptr;
    std::string text;
    bool enabled = true;
    bool visible = true;
    UINT check = BST_UNCHECKED;
    std::vector<std::string> items;  // drop-down list entries
    int selection = CB_ERR;          // drop-down list
    std::vector<ListViewColumn> columns;
    std::vector<ListViewRow> rows;
    HIMAGELIST small_images = nullptr;
    int scroll_to = -1;
    std::vector<Subclass> subclasses;
    bool accepts_drops = false;
    unsigned changed = 0;  // ControlChange bits not yet mirrored
    void* native = nullptr;
};

struct FileDialog;

// One open modal dialog.
struct Dialog {
    HWND hwnd = nullptr;
    HWND owner = nullptr;
    const DialogTemplate* source = nullptr;
    DLGPROC proc = nullptr;
    std::vector<std::unique_ptr<Control>> controls;  // in template order
    HWND focus = nullptr;
    bool focus_changed = false;
    bool ended = false;
    INT_PTR result = 0;
    std::intptr_t msg_result = 0;  // DWLP_MSGRESULT: the answer to the last notification
    FileDialog* file = nullptr;    // the file dialog this is, or whose child this is
    void* native = nullptr;

    Control* find(int id) const;
};

struct FileFilter {
    std::string description;
    std::vector<std::string> patterns;  // "*.lst"; an empty list matches every file
};

// One running open or save dialog: the dialog itself (its handle, title and end), the child
// dialog of its hook and template, and what the caller asked for.
struct FileDialog {
    OPENFILENAMEA* ofn = nullptr;
    bool save = false;
    DialogTemplate frame{};  // the file dialog's own template: its caption, no controls
    std::string title;
    Dialog* dialog = nullptr;
    Dialog* child = nullptr;
    std::vector<FileFilter> filters;
    int filter = 0;      // the chosen one, an index into filters
    std::string folder;  // where to begin; empty: the backend's choice
    std::string name;    // the name to offer (save) or select (open); may hold a folder
    std::string default_extension;
    bool multiple = false;
    bool must_exist = false;
    bool overwrite_prompt = false;
    std::string ok_label;  // empty: the backend's own
    bool cancel_hidden = false;
    bool frame_changed = false;  // ok_label or cancel_hidden not yet mirrored
    bool accepted = false;
};

class DialogBackend {
public:
    virtual ~DialogBackend() = default;

    // Builds the native dialog and its controls without showing them; false when it cannot.
    virtual bool create_dialog(Dialog& dialog) = 0;
    // Shows the dialog and turns the user's actions into dialog_user_* calls until it has ended.
    virtual void run_dialog(Dialog& dialog) = 0;
    virtual void destroy_dialog(Dialog& dialog) = 0;
    // Mirrors the changes that the controls' changed bits and the focus flag mark, then clears
    // them. Called after every message a dialog procedure handled.
    virtual void sync_dialog(Dialog& dialog) = 0;
    // The list view row nearest a point in its client coordinates; -1 when it has no rows.
    virtual int nearest_row(Dialog& dialog, Control& list, POINT point) = 0;
    // The desktop's icon for a file; false when it has none.
    virtual bool file_icon(const char* path, IconData* icon) = 0;

    // The platform's file dialog with the child dialog (if any) inside it; false when it cannot
    // be made. file_dialog_user_ok and dialog_user_close(*file.dialog) are the user's answers;
    // run_file_dialog returns once file.dialog has ended. sync_dialog mirrors frame_changed.
    virtual bool create_file_dialog(FileDialog& file) = 0;
    virtual void run_file_dialog(FileDialog& file) = 0;
    virtual void destroy_file_dialog(FileDialog& file) = 0;
};

// Installs the backend for the whole process (not owned); null: dialogs cannot be shown.
void install_dialog_backend(DialogBackend* backend);
DialogBackend* installed_dialog_backend();

// What backends call when the user acts. Each delivers the messages a dialog procedure hears on
// Windows for the action, then lets the backend mirror what the procedure changed.
// A click on a button (or Space on it): auto buttons change their state first, then BN_CLICKED.
void dialog_user_click(Dialog& dialog, Control& control);
// The user picked entry index of a drop-down list: CBN_SELCHANGE.
void dialog_user_choose(Dialog& dialog, Control& control, int index);
// The dialog manager's keys: Return (the focused push button, else the default button), Esc
// (IDCANCEL), Tab and Shift+Tab (the next or previous tab stop in template order, a radio group
// by its checked button) and the arrows on a button (the next or previous control of its group;
// an auto radio button reached so is clicked). False when the key is not the dialog's: the
// focused control handles it then.
bool dialog_user_key(Dialog& dialog, WPARAM vk, bool shift = false);
// The close box: IDCANCEL.
void dialog_user_close(Dialog& dialog);
// The user moved the keyboard focus (null: to no control).
void dialog_user_focus(Dialog& dialog, Control* control);
// The user changed a list view's selection: the state bits of every row.
void dialog_user_select_rows(Dialog& dialog, Control& list, const std::vector<UINT>& states);
// A control's own message (a key, a double-click) through its subclass procedures; true when
// the control should go on to handle it itself.
bool dialog_control_message(Dialog& dialog, Control& control, UINT msg, WPARAM wparam,
                            LPARAM lparam);
// Files dropped on a control that accepts them: WM_DROPFILES through its subclass procedures.
void dialog_user_drop(Dialog& dialog, Control& control, const std::vector<std::string>& files,
                      POINT point);

// The user chose these files (full paths; several share one folder) in a file dialog; true when
// the dialog ends accepted, false when it stays open (a hook kept it, or the check failed).
bool file_dialog_user_ok(FileDialog& file, const std::vector<std::string>& paths);
// Messages posted to open dialogs (PostMessageA), handled as a modal loop does between inputs.
void dialog_pump_posted();

// The open dialog a handle names (the dialog itself or one of its controls), or null.
Dialog* dialog_of(HWND hwnd);
Control* control_of(HWND hwnd);
// The icons of an image list (null: none), for backends that draw rows.
const std::vector<IconData>* image_list_icons(HIMAGELIST images);
// Forgets every open dialog, image list and icon (tests start from a clean state).
void reset_dialog_state();
