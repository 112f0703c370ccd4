// The entry logic: parse the command line, build the settings record, run one mode.
#include "saver/saver_main.h"

#include <memory>

#include "saver/password.h"
#include "saver/saver_mode.h"
#include "saver/saver_settings.h"
#include "saver/saver_window.h"

namespace {

HINSTANCE g_instance = nullptr;

void dialog_not_available(HWND parent) {
    MessageBoxA(parent, "The settings dialog is not available yet.", "Lumivex",
                MB_OK | MB_ICONINFORMATION);
}

ConfigDialogFn g_config_dialog = dialog_not_available;

}  // namespace

HINSTANCE saver_instance() { return g_instance; }

void set_config_dialog(ConfigDialogFn dialog) {
    g_config_dialog = dialog ? dialog : dialog_not_available;
}

int saver_main(HINSTANCE instance, const char* command_line) {
    g_instance = instance;
    CommandLine cl = parse_command_line(command_line);
    set_saver_mode(cl.mode);

    auto settings = std::make_unique<SaverSettings>();
    set_saver_settings(settings.get());
    read_saver_settings(*settings);

    switch (cl.mode) {
        case SaverMode::ChangePassword:
            change_password(cl.parent);
            break;
        case SaverMode::Config:
            g_config_dialog(cl.parent);
            break;
        case SaverMode::Run:
        case SaverMode::Preview:
            run_saver(cl.parent);
            break;
        case SaverMode::None:
            break;
    }
    set_saver_settings(nullptr);
    return 0;
}
