// The file dialogs on GTK 3: a GtkFileChooserDialog (never the portal's native one, which drops
// extra widgets) with the hook's child dialog as its extra widget, kept open while the hook
// keeps it so.
#include <map>
#include <memory>

#include "platform/dialogs/gtk_backend.h"

namespace {

constexpr int kNoResponse = 1;  // GTK's own responses are all negative

struct GtkFileDialogWindow {
    GtkDialogWindow frame;
    GtkDialogWindow child;
    std::vector<GtkFileFilter*> filters;
    int response = kNoResponse;
};

std::map<FileDialog*, std::unique_ptr<GtkFileDialogWindow>>& windows() {
    static std::map<FileDialog*, std::unique_ptr<GtkFileDialogWindow>> w;
    return w;
}

GtkFileDialogWindow* native_of(FileDialog& f) {
    auto it = windows().find(&f);
    return it == windows().end() ? nullptr : it->second.get();
}

GtkFileChooser* chooser_of(GtkFileDialogWindow& n) { return GTK_FILE_CHOOSER(n.frame.window); }

// Windows matches patterns without regard to letter case; GTK's globs need both cases spelt.
std::string any_case_glob(const std::string& pattern) {
    std::string out;
    for (char ch : pattern) {
        const char lower = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
        if (lower >= 'a' && lower <= 'z') {
            out += '[';
            out += lower;
            out += static_cast<char>(lower - 'a' + 'A');
            out += ']';
        } else {
            out += ch;
        }
    }
    return out;
}

void add_filters(GtkFileDialogWindow& n, const FileDialog& f) {
    for (const FileFilter& filter : f.filters) {
        GtkFileFilter* g = gtk_file_filter_new();
        gtk_file_filter_set_name(g, filter.description.c_str());
        if (filter.patterns.empty()) gtk_file_filter_add_pattern(g, "*");
        for (const std::string& p : filter.patterns) {
            gtk_file_filter_add_pattern(g, p == "*.*" ? "*" : any_case_glob(p).c_str());
        }
        gtk_file_chooser_add_filter(chooser_of(n), g);  // the chooser takes the floating ref
        n.filters.push_back(g);
    }
    if (f.filter >= 0 && f.filter < static_cast<int>(n.filters.size())) {
        gtk_file_chooser_set_filter(chooser_of(n), n.filters[static_cast<std::size_t>(f.filter)]);
    }
}

void set_start(GtkFileChooser* chooser, const FileDialog& f) {
    if (!f.folder.empty()) gtk_file_chooser_set_current_folder(chooser, f.folder.c_str());
    if (f.name.empty()) return;
    const std::size_t slash = f.name.find_last_of('/');
    if (f.save) {
        if (slash != std::string::npos) {
            const std::string folder = slash == 0 ? "/" : f.name.substr(0, slash);
            gtk_file_chooser_set_current_folder(chooser, folder.c_str());
        }
        gtk_file_chooser_set_current_name(
            chooser, (slash == std::string::npos ? f.name : f.name.substr(slash + 1)).c_str());
    } else if (g_file_test(f.name.c_str(), G_FILE_TEST_IS_REGULAR)) {
        gtk_file_chooser_set_filename(chooser, f.name.c_str());
    }
}

void on_response(GtkDialog*, gint response, gpointer data) {
    static_cast<GtkFileDialogWindow*>(data)->response = response;
}

std::vector<std::string> chosen_paths(GtkFileChooser* chooser) {
    std::vector<std::string> paths;
    GSList* names = gtk_file_chooser_get_filenames(chooser);
    for (GSList* n = names; n; n = n->next) paths.emplace_back(static_cast<char*>(n->data));
    g_slist_free_full(names, g_free);
    return paths;
}

}  // namespace

bool gtk_create_file_dialog(FileDialog& f) {
    auto n = std::make_unique<GtkFileDialogWindow>();
    GtkWindow* owner = gtk_window_of(f.dialog->owner);
    const char* ok = f.save ? "_Save" : "_Open";
    GtkWidget* chooser = gtk_file_chooser_dialog_new(
        f.title.c_str(), owner,
        f.save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel",
        GTK_RESPONSE_CANCEL, ok, GTK_RESPONSE_ACCEPT, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
    gtk_window_set_modal(GTK_WINDOW(chooser), TRUE);
    gtk_file_chooser_set_select_multiple(GTK_FILE_CHOOSER(chooser), f.multiple);
    // The overwrite question is asked by the shared part, as the system's dialog asked it.
    gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(chooser), FALSE);
    n->frame.window = chooser;
    add_filters(*n, f);
    set_start(GTK_FILE_CHOOSER(chooser), f);
    tag_widget(chooser, f.dialog, nullptr);
    if (f.child) {
        n->child.window = chooser;
        n->child.units = measure_dialog_font(chooser);
        n->child.fixed = build_client_area(*f.child, n->child.units);
        gtk_widget_show(n->child.fixed);
        gtk_file_chooser_set_extra_widget(GTK_FILE_CHOOSER(chooser), n->child.fixed);
        f.child->native = &n->child;
    }
    g_signal_connect(chooser, "response", G_CALLBACK(on_response), n.get());
    f.dialog->native = &n->frame;
    f.frame_changed = true;
    windows()[&f] = std::move(n);
    return true;
}

void gtk_run_file_dialog(FileDialog& f) {
    GtkFileDialogWindow* n = native_of(f);
    if (!n) return;
    gtk_widget_show(n->frame.window);
    gtk_window_present(GTK_WINDOW(n->frame.window));
    if (DialogBackend* b = installed_dialog_backend()) {
        if (f.child) b->sync_dialog(*f.child);  // the focus can be given only once shown
    }
    while (!f.dialog->ended) {
        n->response = kNoResponse;
        while (n->response == kNoResponse && !f.dialog->ended) {
            gtk_main_iteration_do(TRUE);
            dialog_pump_posted();
        }
        if (f.dialog->ended) break;
        if (n->response != GTK_RESPONSE_ACCEPT) {
            dialog_user_close(*f.dialog);
            continue;
        }
        GtkFileFilter* shown = gtk_file_chooser_get_filter(chooser_of(*n));
        for (std::size_t i = 0; i < n->filters.size(); ++i) {
            if (n->filters[i] == shown) f.filter = static_cast<int>(i);
        }
        const std::vector<std::string> paths = chosen_paths(chooser_of(*n));
        if (!paths.empty()) file_dialog_user_ok(f, paths);
    }
}

void gtk_destroy_file_dialog(FileDialog& f) {
    auto it = windows().find(&f);
    if (it == windows().end()) return;
    SyncGuard guard;
    gtk_widget_destroy(it->second->frame.window);
    if (f.child) {
        for (auto& c : f.child->controls) c->native = nullptr;
        f.child->native = nullptr;
    }
    f.dialog->native = nullptr;
    windows().erase(it);
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

void gtk_sync_file_frame(FileDialog& f) {
    GtkFileDialogWindow* n = native_of(f);
    if (!n) return;
    GtkDialog* dialog = GTK_DIALOG(n->frame.window);
    if (!f.ok_label.empty()) {
        if (GtkWidget* ok = gtk_dialog_get_widget_for_response(dialog, GTK_RESPONSE_ACCEPT)) {
            gtk_button_set_label(GTK_BUTTON(ok), gtk_mnemonic_text(f.ok_label).c_str());
        }
    }
    if (GtkWidget* cancel = gtk_dialog_get_widget_for_response(dialog, GTK_RESPONSE_CANCEL)) {
        gtk_widget_set_visible(cancel, !f.cancel_hidden);
    }
}
