// The GTK 3 dialog backend: one window a dialog, its controls placed from the template in pixels
// converted from dialog units with the dialog font's metrics.
#include <map>
#include <memory>

#include "platform/dialogs/dialogs_gtk.h"
#include "platform/dialogs/gtk_backend.h"

#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

namespace {

// Template layouts leave little room around texts: keep GTK's padding to what fits them.
constexpr char kCss[] = R"css(
.lumivex-dialog button { padding: 0 4px; min-height: 0; min-width: 0; }
.lumivex-dialog combobox button { padding: 0 2px 0 4px; min-height: 0; }
.lumivex-dialog checkbutton, .lumivex-dialog radiobutton { padding: 0; min-height: 0; }
.lumivex-dialog check, .lumivex-dialog radio { margin: 0 5px 0 1px; }
.lumivex-dialog frame > label { padding: 0 2px; }
)css";

constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

int g_sync_depth = 0;

}  // namespace

// The dialog font's dialog base units, measured the way Windows measures them.
DialogBaseUnits measure_dialog_font(GtkWidget* window) {
    PangoContext* context = gtk_widget_get_pango_context(window);
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_text(layout, kLetters, -1);
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    g_object_unref(layout);
    PangoFontMetrics* metrics =
        pango_context_get_metrics(context, pango_context_get_font_description(context), nullptr);
    const int font_height = PANGO_PIXELS(pango_font_metrics_get_ascent(metrics) +
                                         pango_font_metrics_get_descent(metrics));
    pango_font_metrics_unref(metrics);
    return base_units_from_font(width, font_height);
}

namespace {

void install_css() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css, kCss, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(css);
}

GtkWidget* widget_of(const Control& c) { return static_cast<GtkWidget*>(c.native); }

}  // namespace

GtkWidget* build_client_area(Dialog& d, DialogBaseUnits units) {
    install_css();
    GtkWidget* fixed = gtk_fixed_new();
    gtk_style_context_add_class(gtk_widget_get_style_context(fixed), "lumivex-dialog");
    gtk_widget_set_size_request(fixed, dialog_x_to_pixels(d.source->cx, units),
                                dialog_y_to_pixels(d.source->cy, units));
    for (auto& c : d.controls) {
        GtkWidget* w = create_control_widget(d, *c, units);
        if (!w) continue;
        const ControlTemplate& t = *c->source;
        const RECT r = map_dialog_rect(t.x, t.y, t.cx, t.cy, units);
        gtk_fixed_put(GTK_FIXED(fixed), w, r.left, r.top);
        c->native = w;
        c->changed = ~0u;  // the first sync shows every part of the state
    }
    return fixed;
}

namespace {

// The dialog manager's keys; every other key goes to the focused control.
gboolean on_key(GtkWidget* window, GdkEventKey* event, gpointer) {
    Dialog* d = tagged_dialog(window);
    if (!d || (event->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK))) return FALSE;
    const bool shift = (event->state & GDK_SHIFT_MASK) != 0;
    switch (event->keyval) {
        case GDK_KEY_Escape:
            return dialog_user_key(*d, VK_ESCAPE);
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter:
        case GDK_KEY_ISO_Enter:
            return dialog_user_key(*d, VK_RETURN);
        case GDK_KEY_Tab:
        case GDK_KEY_KP_Tab:
            return dialog_user_key(*d, VK_TAB, shift);
        case GDK_KEY_ISO_Left_Tab:
            return dialog_user_key(*d, VK_TAB, true);
        case GDK_KEY_Left:
        case GDK_KEY_KP_Left:
            return dialog_user_key(*d, VK_LEFT);
        case GDK_KEY_Up:
        case GDK_KEY_KP_Up:
            return dialog_user_key(*d, VK_UP);
        case GDK_KEY_Right:
        case GDK_KEY_KP_Right:
            return dialog_user_key(*d, VK_RIGHT);
        case GDK_KEY_Down:
        case GDK_KEY_KP_Down:
            return dialog_user_key(*d, VK_DOWN);
        default:
            return FALSE;
    }
}

gboolean on_delete(GtkWidget* window, GdkEvent*, gpointer) {
    if (Dialog* d = tagged_dialog(window)) dialog_user_close(*d);
    return TRUE;  // the dialog procedure decides whether the dialog ends
}

void on_set_focus(GtkWindow* window, GtkWidget* widget, gpointer) {
    Dialog* d = tagged_dialog(GTK_WIDGET(window));
    if (!d || SyncGuard::active()) return;
    // The focus may sit in a part of a control (the button inside a drop-down list).
    Control* c = nullptr;
    for (GtkWidget* w = widget; w && !c; w = gtk_widget_get_parent(w)) c = tagged_control(w);
    dialog_user_focus(*d, c && dialog_of(c->hwnd) == d ? c : nullptr);
}

// A parent given by number on the command line is a window of another program (an X11 id).
void set_foreign_owner(GtkWidget* window, HWND owner) {
#ifdef GDK_WINDOWING_X11
    GdkDisplay* display = gtk_widget_get_display(window);
    if (!GDK_IS_X11_DISPLAY(display)) return;
    const auto xid = static_cast<Window>(hwnd_to_number(owner));
    GdkWindow* foreign = gdk_x11_window_foreign_new_for_display(display, xid);
    if (!foreign) return;
    gtk_widget_realize(window);
    gdk_window_set_transient_for(gtk_widget_get_window(window), foreign);
    g_object_unref(foreign);
#else
    (void)window;
    (void)owner;
#endif
}

class GtkDialogs final : public DialogBackend {
public:
    bool create_dialog(Dialog& d) override {
        auto native = std::make_unique<GtkDialogWindow>();
        GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        native->window = window;
        gtk_window_set_title(GTK_WINDOW(window), d.source->caption ? d.source->caption : "");
        gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
        gtk_window_set_modal(GTK_WINDOW(window), TRUE);
        gtk_window_set_type_hint(GTK_WINDOW(window), GDK_WINDOW_TYPE_HINT_DIALOG);
        tag_widget(window, &d, nullptr);
        if (GtkWindow* owner = gtk_window_of(d.owner)) {
            gtk_window_set_transient_for(GTK_WINDOW(window), owner);
            gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER_ON_PARENT);
        } else {
            gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
            if (d.owner) set_foreign_owner(window, d.owner);
        }
        native->units = measure_dialog_font(window);
        native->fixed = build_client_area(d, native->units);
        gtk_container_add(GTK_CONTAINER(window), native->fixed);
        g_signal_connect(window, "key-press-event", G_CALLBACK(on_key), nullptr);
        g_signal_connect(window, "delete-event", G_CALLBACK(on_delete), nullptr);
        g_signal_connect(window, "set-focus", G_CALLBACK(on_set_focus), nullptr);
        gtk_widget_show(native->fixed);
        d.native = native.get();
        windows_[&d] = std::move(native);
        return true;
    }

    void run_dialog(Dialog& d) override {
        auto* native = static_cast<GtkDialogWindow*>(d.native);
        gtk_widget_show(native->window);
        gtk_window_present(GTK_WINDOW(native->window));
        sync_dialog(d);  // the focus can be given only once the window is shown
        while (!d.ended) {
            gtk_main_iteration_do(TRUE);
            dialog_pump_posted();
        }
    }

    void destroy_dialog(Dialog& d) override {
        auto it = windows_.find(&d);
        if (it == windows_.end()) return;
        SyncGuard guard;
        gtk_widget_destroy(it->second->window);
        for (auto& c : d.controls) c->native = nullptr;
        d.native = nullptr;
        windows_.erase(it);
        // Let the window go from the screen before the caller goes on (or the process ends).
        while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
    }

    void sync_dialog(Dialog& d) override {
        if (!d.native) return;
        SyncGuard guard;
        if (d.file && d.file->dialog == &d && d.file->frame_changed) {
            gtk_sync_file_frame(*d.file);
            d.file->frame_changed = false;
        }
        for (auto& c : d.controls) {
            if (c->changed && c->native) sync_control_widget(d, *c);
            c->changed = 0;
        }
        if (d.focus_changed) {
            Control* c = control_of(d.focus);
            if (c && c->native) {
                GtkWidget* w = widget_of(*c);
                if (GTK_IS_SCROLLED_WINDOW(w)) w = gtk_bin_get_child(GTK_BIN(w));
                gtk_widget_grab_focus(w);
            }
            d.focus_changed = false;
        }
    }

    int nearest_row(Dialog&, Control& list, POINT point) override {
        return list_view_nearest_row(list, point);
    }

    bool file_icon(const char* path, IconData* icon) override { return gtk_file_icon(path, icon); }

    bool create_file_dialog(FileDialog& file) override { return gtk_create_file_dialog(file); }
    void run_file_dialog(FileDialog& file) override { gtk_run_file_dialog(file); }
    void destroy_file_dialog(FileDialog& file) override { gtk_destroy_file_dialog(file); }

private:
    std::map<Dialog*, std::unique_ptr<GtkDialogWindow>> windows_;
};

}  // namespace

SyncGuard::SyncGuard() { ++g_sync_depth; }
SyncGuard::~SyncGuard() { --g_sync_depth; }
bool SyncGuard::active() { return g_sync_depth > 0; }

GtkWindow* gtk_window_of(HWND dialog) {
    Dialog* d = dialog_of(dialog);
    if (!d || d->hwnd != dialog || !d->native) return nullptr;
    return GTK_WINDOW(static_cast<GtkDialogWindow*>(d->native)->window);
}

bool dialogs_gtk_install() {
    if (!gtk_init_check(nullptr, nullptr)) return false;
    static GtkDialogs backend;
    install_dialog_backend(&backend);
    install_gtk_message_boxes();
    return true;
}
