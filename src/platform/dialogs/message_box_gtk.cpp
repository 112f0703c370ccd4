// Config mode's window backend: message boxes as GTK message dialogs; Config mode has no
// windows of its own besides the dialogs.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/dialogs/gtk_backend.h"
#include "platform/win/win_backend.h"

#ifdef GDK_WINDOWING_X11
#include <X11/Xatom.h>
#include <gdk/gdkx.h>
#endif

namespace {

constexpr UINT kButtonsMask = 0x0F;
constexpr UINT kIconMask = 0xF0;
constexpr UINT kYesNoCancel = 0x03;
constexpr UINT kDefaultButtonMask = 0xF00;  // MB_DEFBUTTON1 0, MB_DEFBUTTON2 0x100, ...

// The responses of a box's buttons in Windows' order; the first is the default one.
std::vector<int> responses(UINT buttons) {
    switch (buttons) {
        case MB_OKCANCEL:
            return {GTK_RESPONSE_OK, GTK_RESPONSE_CANCEL};
        case MB_YESNO:
            return {GTK_RESPONSE_YES, GTK_RESPONSE_NO};
        case kYesNoCancel:
            return {GTK_RESPONSE_YES, GTK_RESPONSE_NO, GTK_RESPONSE_CANCEL};
        default:
            return {GTK_RESPONSE_OK};
    }
}

GtkMessageType message_type(UINT type) {
    switch (type & kIconMask) {
        case MB_ICONERROR:
            return GTK_MESSAGE_ERROR;
        case MB_ICONQUESTION:
            return GTK_MESSAGE_QUESTION;
        case MB_ICONWARNING:
            return GTK_MESSAGE_WARNING;
        case MB_ICONINFORMATION:
            return GTK_MESSAGE_INFO;
        default:
            return GTK_MESSAGE_OTHER;
    }
}

// GTK 3 message dialogs no longer show the icon of their type; a message box has one.
const char* icon_name(UINT type) {
    switch (type & kIconMask) {
        case MB_ICONERROR:
            return "dialog-error";
        case MB_ICONQUESTION:
            return "dialog-question";
        case MB_ICONWARNING:
            return "dialog-warning";
        case MB_ICONINFORMATION:
            return "dialog-information";
        default:
            return nullptr;
    }
}

void add_icon(GtkWidget* box, UINT type) {
    const char* name = icon_name(type);
    GtkWidget* texts = gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(box));
    GtkWidget* row = texts ? gtk_widget_get_parent(texts) : nullptr;
    if (!name || !row || !GTK_IS_BOX(row)) return;
    GtkWidget* icon = gtk_image_new_from_icon_name(name, GTK_ICON_SIZE_DIALOG);
    gtk_widget_set_valign(icon, GTK_ALIGN_START);
    gtk_box_pack_start(GTK_BOX(row), icon, FALSE, FALSE, 0);
    gtk_box_reorder_child(GTK_BOX(row), icon, 0);
    gtk_widget_show(icon);
}

// The answer a box gives when it is closed without a button: Cancel where there is one, No in
// a Yes/No box (which Windows would not let close), OK otherwise.
int closed_answer(UINT buttons) {
    if (buttons == MB_OKCANCEL || buttons == kYesNoCancel) return IDCANCEL;
    if (buttons == MB_YESNO) return IDNO;
    return IDOK;
}

class GtkConfigWin final : public WinBackend {
public:
    bool create_native_window(HWND, DWORD, DWORD, int, int, int, int, HWND) override {
        return true;
    }
    void destroy_native_window(HWND) override {}
    bool native_window_rect(HWND, RECT*) override { return false; }
    int screen_width() override { return monitor().width; }
    int screen_height() override { return monitor().height; }

    // The window that was active when the settings were asked for (the owner of "/c").
    HWND foreground_window() override {
#ifdef GDK_WINDOWING_X11
        GdkDisplay* display = gdk_display_get_default();
        if (!display || !GDK_IS_X11_DISPLAY(display)) return nullptr;
        Display* x = GDK_DISPLAY_XDISPLAY(display);
        Atom active = XInternAtom(x, "_NET_ACTIVE_WINDOW", True);
        if (active == None) return nullptr;
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        gdk_x11_display_error_trap_push(display);
        const int status = XGetWindowProperty(x, DefaultRootWindow(x), active, 0, 1, False,
                                              XA_WINDOW, &type, &format, &count, &after, &data);
        gdk_x11_display_error_trap_pop_ignored(display);
        HWND window = nullptr;
        if (status == Success && data && type == XA_WINDOW && format == 32 && count == 1) {
            window = hwnd_from_number(
                static_cast<std::intptr_t>(*reinterpret_cast<unsigned long*>(data)));
        }
        if (data) XFree(data);
        return window;
#else
        return nullptr;
#endif
    }

    void poll_events() override {}
    DWORD tick_count() override {
        using namespace std::chrono;
        return static_cast<DWORD>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    POINT cursor_pos() override { return {0, 0}; }
    void set_cursor_visible(bool) override {}

    int message_box(HWND owner, const char* text, const char* caption, UINT type) override {
        std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
        // GTK belongs to the thread that started it. A box raised by a worker (the music
        // player's "No header found!" at a hand-over) is shown from the main loop instead,
        // without waiting for it: the main thread may be joining that very worker.
        if (std::this_thread::get_id() != gtk_thread_) {
            show_later(owner, text, caption, type);
            return closed_answer(type & kButtonsMask);
        }
        return run_box(owner, text, caption, type);
    }

    [[noreturn]] void exit_process(UINT code) override {
        // Like ExitProcess: the process ends at once. Running the static destructors here
        // would tear GTK and the player down under the feet of the other threads.
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(static_cast<int>(code));
    }

    std::thread::id gtk_thread_ = std::this_thread::get_id();

private:
    struct LaterBox {
        HWND owner;
        std::string text;
        std::string caption;
        UINT type;
        GtkConfigWin* self;
    };

    void show_later(HWND owner, const char* text, const char* caption, UINT type) {
        auto* box = new LaterBox{owner, text ? text : "", caption ? caption : "", type, this};
        g_main_context_invoke_full(
            nullptr, G_PRIORITY_DEFAULT,
            [](gpointer data) -> gboolean {
                auto* b = static_cast<LaterBox*>(data);
                b->self->run_box(b->owner, b->text.c_str(), b->caption.c_str(), b->type);
                return G_SOURCE_REMOVE;
            },
            box, [](gpointer data) { delete static_cast<LaterBox*>(data); });
    }

    int run_box(HWND owner, const char* text, const char* caption, UINT type) {
        const UINT buttons = type & kButtonsMask;
        GtkButtonsType standard = GTK_BUTTONS_OK;
        if (buttons == MB_OKCANCEL) standard = GTK_BUTTONS_OK_CANCEL;
        if (buttons == MB_YESNO) standard = GTK_BUTTONS_YES_NO;
        if (buttons == kYesNoCancel) standard = GTK_BUTTONS_NONE;
        GtkWidget* box =
            gtk_message_dialog_new(gtk_window_of(owner), GTK_DIALOG_MODAL, message_type(type),
                                   standard, "%s", text ? text : "");
        if (buttons == kYesNoCancel) {
            gtk_dialog_add_buttons(GTK_DIALOG(box), "_Yes", GTK_RESPONSE_YES, "_No",
                                   GTK_RESPONSE_NO, "_Cancel", GTK_RESPONSE_CANCEL, nullptr);
        }
        gtk_window_set_title(GTK_WINDOW(box), caption ? caption : "");
        add_icon(box, type);
        // Return presses the default button, the first one unless the type names another.
        const std::vector<int> order = responses(buttons);
        const std::size_t which = (type & kDefaultButtonMask) >> 8;
        const int preferred = order[which < order.size() ? which : 0];
        gtk_dialog_set_default_response(GTK_DIALOG(box), preferred);
        if (GtkWidget* button = gtk_dialog_get_widget_for_response(GTK_DIALOG(box), preferred)) {
            gtk_widget_grab_focus(button);
        }
        if (!gtk_window_of(owner)) gtk_window_set_position(GTK_WINDOW(box), GTK_WIN_POS_CENTER);
        const int response = gtk_dialog_run(GTK_DIALOG(box));
        gtk_widget_destroy(box);
        while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
        switch (response) {
            case GTK_RESPONSE_OK:
                return IDOK;
            case GTK_RESPONSE_CANCEL:
                return IDCANCEL;
            case GTK_RESPONSE_YES:
                return IDYES;
            case GTK_RESPONSE_NO:
                return IDNO;
            default:
                return closed_answer(buttons);
        }
    }

    static GdkRectangle monitor() {
        GdkRectangle r{0, 0, 640, 480};
        GdkDisplay* display = gdk_display_get_default();
        GdkMonitor* m = display ? gdk_display_get_primary_monitor(display) : nullptr;
        if (!m && display) m = gdk_display_get_monitor(display, 0);
        if (m) gdk_monitor_get_geometry(m, &r);
        return r;
    }
};

}  // namespace

void install_gtk_message_boxes() {
    static GtkConfigWin backend;
    backend.gtk_thread_ = std::this_thread::get_id();
    install_win_backend(&backend);
}
