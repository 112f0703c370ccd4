// The entry point: picks the real backends for the mode, then runs the saver.
#include <cstdio>
#include <string>

#include "platform/dialogs/dialogs_gtk.h"
#include "platform/glide/glide_present_sdl.h"
#include "platform/win/win_sdl.h"
#include "saver/saver_main.h"
#include "saver/saver_mode.h"
#include "saver/settings_dialog.h"

namespace {

// The command line as Windows hands it over: the program name, quoted when it holds blanks,
// then the arguments separated by single blanks.
std::string command_line(int argc, char** argv) {
    std::string line;
    std::string program = argc > 0 ? argv[0] : "lumivex";
    if (program.find_first_of(" \t") != std::string::npos) {
        line = "\"" + program + "\"";
    } else {
        line = program;
    }
    for (int i = 1; i < argc; ++i) {
        line += ' ';
        line += argv[i];
    }
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    std::string line = command_line(argc, argv);
    SaverMode mode = parse_command_line(line.c_str()).mode;
    if (mode == SaverMode::Run || mode == SaverMode::Preview) {
        if (!win_sdl_install()) {
            std::fprintf(stderr,
                         "lumivex: no display to show the saver on; "
                         "lumivex-frames renders frames to PNG files instead\n");
            return 1;
        }
        glide_use_sdl_presenter();
    }
    if (mode == SaverMode::Config) {
        // GTK starts only here; its message dialogs then stand for MessageBoxA.
        if (!dialogs_gtk_install()) {
            std::fprintf(stderr, "lumivex: no display to show the settings dialog on\n");
            return 1;
        }
        set_config_dialog(show_settings_dialog);
    }
    return saver_main(nullptr, line.c_str());
}
