// Config mode in small for the end-to-end test: the settings record read from the registry, GTK,
// and the settings dialog, as "lumivex /c" runs them; or one message box.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/dialogs/dialogs_gtk.h"
#include "saver/saver_settings.h"
#include "saver/settings_dialog.h"

int main(int argc, char** argv) {
    if (!dialogs_gtk_install()) {
        std::fprintf(stderr, "settings_dialog_driver: no display\n");
        return 1;
    }
    // --message-box TEXT CAPTION TYPE: shows one box and prints the answer.
    if (argc == 5 && std::strcmp(argv[1], "--message-box") == 0) {
        const auto type = static_cast<UINT>(std::strtoul(argv[4], nullptr, 0));
        std::printf("%d\n", MessageBoxA(nullptr, argv[2], argv[3], type));
        return 0;
    }
    SaverSettings settings;
    set_saver_settings(&settings);
    settings.read_system_values();
    store_default_saver_values(settings);
    settings.read_saver_values();
    // --editor-says TEXT: "Playlist..." shows a message box owned by the dialog.
    static const char* editor_text = nullptr;
    if (argc == 3 && std::strcmp(argv[1], "--editor-says") == 0) {
        editor_text = argv[2];
        set_playlist_editor([](HWND owner) {
            std::printf("%d\n",
                        MessageBoxA(owner, editor_text, "Lumivex", MB_YESNO | MB_ICONWARNING));
            std::fflush(stdout);
        });
    }
    show_settings_dialog(nullptr);
    set_saver_settings(nullptr);
    return 0;
}
