// What the files of the GTK 3 dialog backend share among themselves.
#pragma once

#include <gtk/gtk.h>

#include "platform/dialogs/dialog_backend.h"
#include "platform/dialogs/dialog_units.h"

// The native side of one open dialog.
struct GtkDialogWindow {
    GtkWidget* window = nullptr;
    GtkWidget* fixed = nullptr;  // the client area, where the controls sit at their positions
    DialogBaseUnits units{1, 1};
};

// While the backend itself sets widgets, their signals are not the user's and are ignored.
class SyncGuard {
public:
    SyncGuard();
    ~SyncGuard();
    SyncGuard(const SyncGuard&) = delete;
    SyncGuard& operator=(const SyncGuard&) = delete;
    static bool active();
};

// Dialog and control a widget belongs to (set on every control's widgets).
void tag_widget(GtkWidget* widget, Dialog* dialog, Control* control);
Dialog* tagged_dialog(GtkWidget* widget);
Control* tagged_control(GtkWidget* widget);

// A template text for GTK: "&x" marks the mnemonic as "_x" does, "&&" is "&", "_" is "__".
std::string gtk_mnemonic_text(const std::string& text);
// The same text without any mnemonic mark.
std::string plain_text(const std::string& text);

// The dialog base units of the font a widget draws its text with.
DialogBaseUnits measure_dialog_font(GtkWidget* widget);
// The client area of a dialog: a fixed container of the template's size holding every control
// at its position.
GtkWidget* build_client_area(Dialog& dialog, DialogBaseUnits units);

// Builds the widget of a control (not yet placed); null for a kind the backend lacks.
GtkWidget* create_control_widget(Dialog& dialog, Control& control, DialogBaseUnits units);
// Mirrors the control's changed state into its widget.
void sync_control_widget(Dialog& dialog, Control& control);

// The list view: a tree view with one icon-and-text column in a scrolled window.
GtkWidget* create_list_view(Dialog& dialog, Control& control);
void sync_list_view(Control& control);
int list_view_nearest_row(Control& control, POINT point);
bool gtk_file_icon(const char* path, IconData* icon);

// The file dialogs: a GtkFileChooserDialog with the child dialog as its extra widget.
bool gtk_create_file_dialog(FileDialog& file);
void gtk_run_file_dialog(FileDialog& file);
void gtk_destroy_file_dialog(FileDialog& file);
// Mirrors the open button's label and the cancel button's visibility.
void gtk_sync_file_frame(FileDialog& file);

// The GTK window of an open dialog, or null.
GtkWindow* gtk_window_of(HWND dialog);
// Installs the window backend whose message boxes are GTK message dialogs.
void install_gtk_message_boxes();
