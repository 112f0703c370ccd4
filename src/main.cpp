// The entry point: hack mode, --help and --version, else the backends of the Windows mode.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/dialogs/dialogs_gtk.h"
#include "platform/glide/glide_present_sdl.h"
#include "platform/win/win_sdl.h"
#include "saver/hack_mode.h"
#include "saver/hack_options.h"
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

volatile sig_atomic_t g_end_signal = 0;

void on_end_signal(int) { g_end_signal = 1; }

bool hack_end_requested() { return g_end_signal != 0 || !win_sdl_foreign_window_alive(); }

// The daemon ends a hack with SIGTERM (SIGINT and SIGHUP alike): the frame loop sees the flag
// within a frame and ends with the music stopped and the devices closed.
void catch_end_signals() {
    struct sigaction action {};
    action.sa_handler = on_end_signal;
    sigemptyset(&action.sa_mask);
    for (int signal_number : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal_number, &action, nullptr);
}

int run_hack_mode(const HackOptions& options) {
    catch_end_signals();
    if (!win_sdl_install_foreign(options.window)) return 1;
    glide_use_sdl_presenter();
    return run_hack(options, hack_end_requested);
}

}  // namespace

int main(int argc, char** argv) {
    // argc may be 0 when a program starts us with an empty argument list.
    const std::vector<std::string> args =
        argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
    const HackCommand hack = parse_hack_command(args, std::getenv("XSCREENSAVER_WINDOW"));
    switch (hack.kind) {
        case HackCommandKind::Help:
            std::fputs(hack_usage_text().c_str(), stdout);
            return 0;
        case HackCommandKind::Version:
            std::printf("lumivex %s\n", LUMIVEX_VERSION);
            return 0;
        case HackCommandKind::Refused:
            std::fprintf(stderr, "lumivex: %s (lumivex --help lists the options)\n",
                         hack.error.c_str());
            return 2;
        case HackCommandKind::Hack:
            return run_hack_mode(hack.options);
        case HackCommandKind::Windows:
            break;
    }

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
