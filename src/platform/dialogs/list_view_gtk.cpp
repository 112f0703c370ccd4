// The list view on GTK 3: a tree view of icon-and-text rows with multiple selection, its keys,
// double-clicks and dropped files, and the desktop's file-type icons from GIO.
#include <algorithm>
#include <map>

#include "platform/dialogs/gtk_backend.h"

namespace {

enum Column { kIcon, kText };

constexpr char kDropKey[] = "lumivex-accepts-drops";

GtkTreeView* tree_of(const Control& c) {
    auto* scroll = static_cast<GtkWidget*>(c.native);
    return GTK_TREE_VIEW(gtk_bin_get_child(GTK_BIN(scroll)));
}

// Icons are looked up once per GIO icon for the life of the process.
GdkPixbuf* icon_pixbuf(const IconData& icon) {
    static std::map<void*, GdkPixbuf*> cache;
    if (!icon.native) return nullptr;
    auto it = cache.find(icon.native.get());
    if (it != cache.end()) return it->second;
    GdkPixbuf* pixbuf = nullptr;
    GtkIconInfo* info = gtk_icon_theme_lookup_by_gicon(
        gtk_icon_theme_get_default(), G_ICON(icon.native.get()), 16, GTK_ICON_LOOKUP_FORCE_SIZE);
    if (info) {
        pixbuf = gtk_icon_info_load_icon(info, nullptr);
        g_object_unref(info);
    }
    cache[icon.native.get()] = pixbuf;
    return pixbuf;
}

// Windows' virtual key for a GDK key, or 0 when the list view has no use for it.
WPARAM virtual_key(guint keyval) {
    const guint upper = gdk_keyval_to_upper(keyval);
    if (upper >= GDK_KEY_A && upper <= GDK_KEY_Z) return 'A' + (upper - GDK_KEY_A);
    if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9) return '0' + (keyval - GDK_KEY_0);
    switch (keyval) {
        case GDK_KEY_BackSpace:
            return VK_BACK;
        case GDK_KEY_Delete:
        case GDK_KEY_KP_Delete:
            return VK_DELETE;
        case GDK_KEY_Insert:
        case GDK_KEY_KP_Insert:
            return VK_INSERT;
        case GDK_KEY_space:
            return VK_SPACE;
        case GDK_KEY_Left:
            return VK_LEFT;
        case GDK_KEY_Up:
            return VK_UP;
        case GDK_KEY_Right:
            return VK_RIGHT;
        case GDK_KEY_Down:
            return VK_DOWN;
        default:
            return 0;
    }
}

gboolean on_key(GtkWidget* tree, GdkEventKey* event, gpointer) {
    Dialog* d = tagged_dialog(tree);
    Control* c = tagged_control(tree);
    const WPARAM vk = virtual_key(event->keyval);
    if (!d || !c || !vk || (event->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK))) return FALSE;
    if (!dialog_control_message(*d, *c, WM_KEYDOWN, vk, 0)) return TRUE;
    // The list view's own handling, and no further: a letter it has no use for would otherwise
    // reach the window around it (a file chooser starts a search with it).
    if (GtkWidgetClass* own = GTK_WIDGET_GET_CLASS(tree); own->key_press_event) {
        own->key_press_event(tree, event);
    }
    return TRUE;
}

gboolean on_button(GtkWidget* tree, GdkEventButton* event, gpointer) {
    Dialog* d = tagged_dialog(tree);
    Control* c = tagged_control(tree);
    if (!d || !c || event->type != GDK_2BUTTON_PRESS || event->button != 1) return FALSE;
    const auto x = static_cast<LPARAM>(event->x) & 0xFFFF;
    const auto y = static_cast<LPARAM>(event->y) & 0xFFFF;
    return dialog_control_message(*d, *c, WM_LBUTTONDBLCLK, 1, x | (y << 16)) ? FALSE : TRUE;
}

void on_drop(GtkWidget* tree, GdkDragContext* context, gint x, gint y, GtkSelectionData* data,
             guint, guint time) {
    Dialog* d = tagged_dialog(tree);
    Control* c = tagged_control(tree);
    std::vector<std::string> files;
    if (gchar** uris = gtk_selection_data_get_uris(data)) {
        for (gchar** uri = uris; *uri; ++uri) {
            if (gchar* path = g_filename_from_uri(*uri, nullptr, nullptr)) {
                files.emplace_back(path);
                g_free(path);
            }
        }
        g_strfreev(uris);
    }
    gtk_drag_finish(context, !files.empty(), FALSE, time);
    if (!d || !c || files.empty()) return;
    gint bx = x, by = y;
    gtk_tree_view_convert_widget_to_bin_window_coords(GTK_TREE_VIEW(tree), x, y, &bx, &by);
    dialog_user_drop(*d, *c, files, POINT{bx, by});
}

void on_selection(GtkTreeSelection* selection, gpointer) {
    if (SyncGuard::active()) return;
    GtkTreeView* tree = gtk_tree_selection_get_tree_view(selection);
    Dialog* d = tagged_dialog(GTK_WIDGET(tree));
    Control* c = tagged_control(GTK_WIDGET(tree));
    if (!d || !c) return;
    std::vector<UINT> states(c->rows.size(), 0);
    GList* rows = gtk_tree_selection_get_selected_rows(selection, nullptr);
    for (GList* r = rows; r; r = r->next) {
        const int i = gtk_tree_path_get_indices(static_cast<GtkTreePath*>(r->data))[0];
        if (i >= 0 && i < static_cast<int>(states.size())) states[i] |= LVIS_SELECTED;
    }
    g_list_free_full(rows, reinterpret_cast<GDestroyNotify>(gtk_tree_path_free));
    GtkTreePath* cursor = nullptr;
    gtk_tree_view_get_cursor(tree, &cursor, nullptr);
    if (cursor) {
        const int i = gtk_tree_path_get_indices(cursor)[0];
        if (i >= 0 && i < static_cast<int>(states.size())) states[i] |= LVIS_FOCUSED;
        gtk_tree_path_free(cursor);
    }
    dialog_user_select_rows(*d, *c, states);
}

void set_columns(GtkTreeView* tree, const Control& c) {
    while (GtkTreeViewColumn* old = gtk_tree_view_get_column(tree, 0)) {
        gtk_tree_view_remove_column(tree, old);
    }
    for (std::size_t i = 0; i < c.columns.size(); ++i) {
        GtkTreeViewColumn* column = gtk_tree_view_column_new();
        gtk_tree_view_column_set_title(column, c.columns[i].text.c_str());
        gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
        gtk_tree_view_column_set_fixed_width(column, std::max(c.columns[i].width, 1));
        gtk_tree_view_column_set_resizable(column, TRUE);
        if (i == 0) {
            GtkCellRenderer* icon = gtk_cell_renderer_pixbuf_new();
            gtk_tree_view_column_pack_start(column, icon, FALSE);
            gtk_tree_view_column_add_attribute(column, icon, "pixbuf", kIcon);
            GtkCellRenderer* text = gtk_cell_renderer_text_new();
            g_object_set(text, "ellipsize", PANGO_ELLIPSIZE_END, nullptr);
            gtk_tree_view_column_pack_start(column, text, TRUE);
            gtk_tree_view_column_add_attribute(column, text, "text", kText);
        }
        gtk_tree_view_append_column(tree, column);
    }
}

void fill_rows(GtkTreeView* tree, const Control& c) {
    GtkListStore* store = GTK_LIST_STORE(gtk_tree_view_get_model(tree));
    gtk_list_store_clear(store);
    const std::vector<IconData>* icons = image_list_icons(c.small_images);
    for (const ListViewRow& row : c.rows) {
        GdkPixbuf* pixbuf = nullptr;
        if (icons && row.image >= 0 && row.image < static_cast<int>(icons->size())) {
            pixbuf = icon_pixbuf((*icons)[static_cast<std::size_t>(row.image)]);
        }
        gtk_list_store_insert_with_values(store, nullptr, -1, kIcon, pixbuf, kText,
                                          row.text.c_str(), -1);
    }
}

void apply_selection(GtkTreeView* tree, const Control& c) {
    GtkTreeSelection* selection = gtk_tree_view_get_selection(tree);
    for (std::size_t i = 0; i < c.rows.size(); ++i) {
        if (!(c.rows[i].state & LVIS_FOCUSED)) continue;
        GtkTreePath* path = gtk_tree_path_new_from_indices(static_cast<int>(i), -1);
        gtk_tree_view_set_cursor(tree, path, nullptr, FALSE);
        gtk_tree_path_free(path);
    }
    gtk_tree_selection_unselect_all(selection);
    for (std::size_t i = 0; i < c.rows.size(); ++i) {
        if (!(c.rows[i].state & LVIS_SELECTED)) continue;
        GtkTreePath* path = gtk_tree_path_new_from_indices(static_cast<int>(i), -1);
        gtk_tree_selection_select_path(selection, path);
        gtk_tree_path_free(path);
    }
}

void set_drop_target(GtkTreeView* tree, bool accept) {
    GtkWidget* w = GTK_WIDGET(tree);
    const bool now = g_object_get_data(G_OBJECT(w), kDropKey) != nullptr;
    if (accept == now) return;
    if (accept) {
        gtk_drag_dest_set(w, GTK_DEST_DEFAULT_ALL, nullptr, 0, GDK_ACTION_COPY);
        gtk_drag_dest_add_uri_targets(w);
    } else {
        gtk_drag_dest_unset(w);
    }
    g_object_set_data(G_OBJECT(w), kDropKey, accept ? w : nullptr);
}

}  // namespace

GtkWidget* create_list_view(Dialog& dialog, Control& c) {
    GtkListStore* store = gtk_list_store_new(2, GDK_TYPE_PIXBUF, G_TYPE_STRING);
    GtkWidget* tree = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
    g_object_unref(store);
    gtk_tree_view_set_enable_search(GTK_TREE_VIEW(tree), FALSE);  // letters are commands here
    GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(tree));
    gtk_tree_selection_set_mode(selection, GTK_SELECTION_MULTIPLE);
    tag_widget(tree, &dialog, &c);
    g_signal_connect(tree, "key-press-event", G_CALLBACK(on_key), nullptr);
    g_signal_connect(tree, "button-press-event", G_CALLBACK(on_button), nullptr);
    g_signal_connect(tree, "drag-data-received", G_CALLBACK(on_drop), nullptr);
    g_signal_connect(selection, "changed", G_CALLBACK(on_selection), nullptr);

    GtkWidget* scroll = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroll),
                                        (c.style & WS_BORDER) ? GTK_SHADOW_IN : GTK_SHADOW_NONE);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroll), GTK_POLICY_AUTOMATIC,
                                   GTK_POLICY_AUTOMATIC);
    gtk_container_add(GTK_CONTAINER(scroll), tree);
    gtk_widget_show(tree);
    return scroll;
}

void sync_list_view(Control& c) {
    GtkTreeView* tree = tree_of(c);
    if (c.changed & kChangedState) set_drop_target(tree, c.accepts_drops);
    if (c.changed & kChangedRows) {
        set_columns(tree, c);
        fill_rows(tree, c);
    }
    if (c.changed & (kChangedRows | kChangedSelection)) apply_selection(tree, c);
    if ((c.changed & kChangedScroll) && c.scroll_to >= 0 &&
        c.scroll_to < static_cast<int>(c.rows.size())) {
        GtkTreePath* path = gtk_tree_path_new_from_indices(c.scroll_to, -1);
        gtk_tree_view_scroll_to_cell(tree, path, nullptr, FALSE, 0, 0);
        gtk_tree_path_free(path);
    }
}

int list_view_nearest_row(Control& c, POINT point) {
    if (c.rows.empty() || !c.native) return -1;
    GtkTreePath* path = nullptr;
    if (gtk_tree_view_get_path_at_pos(tree_of(c), 1, point.y, &path, nullptr, nullptr, nullptr)) {
        const int row = gtk_tree_path_get_indices(path)[0];
        gtk_tree_path_free(path);
        return row;
    }
    return point.y <= 0 ? 0 : static_cast<int>(c.rows.size()) - 1;
}

bool gtk_file_icon(const char* path, IconData* icon) {
    gboolean uncertain = FALSE;
    gchar* type = g_content_type_guess(path, nullptr, 0, &uncertain);
    if (!type) return false;
    GIcon* gicon = g_content_type_get_icon(type);
    icon->content_type = type;
    g_free(type);
    if (!gicon) return false;
    icon->native = std::shared_ptr<void>(gicon, g_object_unref);
    return true;
}
