// The GTK widgets of the template's controls, and the user's clicks and choices on them.
#include <algorithm>

#include "platform/dialogs/dib.h"
#include "platform/dialogs/gtk_backend.h"
#include "resources/dialogs/dialog_resources.h"

namespace {

constexpr char kDialogKey[] = "lumivex-dialog";
constexpr char kControlKey[] = "lumivex-control";
// A radio button's hidden partner in a group of two: checking the partner is how a radio
// button is cleared, which GTK otherwise refuses for the last checked button of a group.
constexpr char kPartnerKey[] = "lumivex-partner";

void on_clicked(GtkButton* button, gpointer) {
    if (SyncGuard::active()) return;
    Dialog* d = tagged_dialog(GTK_WIDGET(button));
    Control* c = tagged_control(GTK_WIDGET(button));
    if (d && c) dialog_user_click(*d, *c);
}

void on_changed(GtkComboBox* combo, gpointer) {
    if (SyncGuard::active()) return;
    Dialog* d = tagged_dialog(GTK_WIDGET(combo));
    Control* c = tagged_control(GTK_WIDGET(combo));
    if (d && c) dialog_user_choose(*d, *c, gtk_combo_box_get_active(combo));
}

GtkWidget* make_radio_button(const std::string& text) {
    GtkWidget* partner = gtk_radio_button_new(nullptr);
    g_object_ref_sink(partner);
    GtkWidget* radio = gtk_radio_button_new_with_mnemonic_from_widget(
        GTK_RADIO_BUTTON(partner), gtk_mnemonic_text(text).c_str());
    g_object_set_data_full(G_OBJECT(radio), kPartnerKey, partner, g_object_unref);
    return radio;
}

GtkWidget* make_picture(int bitmap) {
    RgbImage image;
    if (!decode_dib(find_bitmap_resource(bitmap), &image)) return gtk_image_new();
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, image.width, image.height);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
    const std::size_t row_bytes = static_cast<std::size_t>(image.width) * 3;
    for (int y = 0; y < image.height; ++y) {
        std::copy_n(image.rgb.data() + static_cast<std::size_t>(y) * row_bytes, row_bytes,
                    pixels + static_cast<std::ptrdiff_t>(y) * stride);
    }
    GtkWidget* picture = gtk_image_new_from_pixbuf(pixbuf);
    g_object_unref(pixbuf);
    return picture;
}

void set_checked(GtkWidget* w, const Control& c) {
    const bool on = c.check == BST_CHECKED;
    if (c.kind == ControlKind::AutoRadioButton && !on) {
        auto* partner = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(w), kPartnerKey));
        if (partner) gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(partner), TRUE);
        return;
    }
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w), on);
}

void set_text(GtkWidget* w, const Control& c) {
    switch (c.kind) {
        case ControlKind::GroupBox:
            gtk_frame_set_label(GTK_FRAME(w), plain_text(c.text).c_str());
            break;
        case ControlKind::Text:
            gtk_label_set_text(GTK_LABEL(w), plain_text(c.text).c_str());
            break;
        case ControlKind::AutoRadioButton:
        case ControlKind::AutoCheckBox:
        case ControlKind::PushButton:
        case ControlKind::DefPushButton:
            gtk_button_set_label(GTK_BUTTON(w), gtk_mnemonic_text(c.text).c_str());
            break;
        default:
            break;
    }
}

}  // namespace

void tag_widget(GtkWidget* widget, Dialog* dialog, Control* control) {
    g_object_set_data(G_OBJECT(widget), kDialogKey, dialog);
    g_object_set_data(G_OBJECT(widget), kControlKey, control);
}

Dialog* tagged_dialog(GtkWidget* widget) {
    return static_cast<Dialog*>(g_object_get_data(G_OBJECT(widget), kDialogKey));
}

Control* tagged_control(GtkWidget* widget) {
    return static_cast<Control*>(g_object_get_data(G_OBJECT(widget), kControlKey));
}

std::string gtk_mnemonic_text(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '&' && i + 1 < text.size() && text[i + 1] == '&') {
            out += '&';
            ++i;
        } else if (ch == '&') {
            out += '_';
        } else if (ch == '_') {
            out += "__";
        } else {
            out += ch;
        }
    }
    return out;
}

std::string plain_text(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size() && text[i + 1] == '&')
            ++i;
        else if (text[i] == '&')
            continue;
        out += text[i];
    }
    return out;
}

GtkWidget* create_control_widget(Dialog& dialog, Control& c, DialogBaseUnits units) {
    GtkWidget* w = nullptr;
    switch (c.kind) {
        case ControlKind::GroupBox:
            w = gtk_frame_new(plain_text(c.text).c_str());
            gtk_frame_set_label_align(GTK_FRAME(w), 0.04f, 0.5f);
            break;
        case ControlKind::Text:
            w = gtk_label_new(plain_text(c.text).c_str());
            gtk_label_set_xalign(GTK_LABEL(w), 0.0f);
            gtk_label_set_yalign(GTK_LABEL(w), 0.0f);
            break;
        case ControlKind::Picture:
            w = make_picture(c.source->image);
            break;
        case ControlKind::AutoRadioButton:
            w = make_radio_button(c.text);
            break;
        case ControlKind::AutoCheckBox:
            w = gtk_check_button_new_with_mnemonic(gtk_mnemonic_text(c.text).c_str());
            break;
        case ControlKind::PushButton:
        case ControlKind::DefPushButton:
            w = gtk_button_new_with_mnemonic(gtk_mnemonic_text(c.text).c_str());
            break;
        case ControlKind::DropDownList:
            w = gtk_combo_box_text_new();
            g_signal_connect(w, "changed", G_CALLBACK(on_changed), nullptr);
            break;
        case ControlKind::ListView:
            w = create_list_view(dialog, c);
            break;
    }
    if (!w) return nullptr;
    tag_widget(w, &dialog, &c);
    if (GTK_IS_BUTTON(w)) g_signal_connect(w, "clicked", G_CALLBACK(on_clicked), nullptr);
    const ControlTemplate& t = *c.source;
    // A drop-down list's height in the template is that of its open list; closed, it is as high
    // as its font needs.
    const int height = c.kind == ControlKind::DropDownList ? -1 : dialog_y_to_pixels(t.cy, units);
    gtk_widget_set_size_request(w, dialog_x_to_pixels(t.cx, units), height);
    return w;
}

void sync_control_widget(Dialog& /*dialog*/, Control& c) {
    auto* w = static_cast<GtkWidget*>(c.native);
    if (c.changed & kChangedState) {
        gtk_widget_set_sensitive(w, c.enabled);
        gtk_widget_set_visible(w, c.visible);
        set_text(w, c);
        if (c.kind == ControlKind::AutoCheckBox || c.kind == ControlKind::AutoRadioButton) {
            set_checked(w, c);
        }
    }
    if (c.kind == ControlKind::DropDownList) {
        if (c.changed & kChangedItems) {
            gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(w));
            for (const std::string& item : c.items) {
                gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(w), item.c_str());
            }
        }
        if (c.changed & (kChangedItems | kChangedSelection)) {
            gtk_combo_box_set_active(GTK_COMBO_BOX(w), c.selection);
        }
    }
    if (c.kind == ControlKind::ListView) sync_list_view(c);
}
