// Hack mode: settings with the run's options over them, the frame loop, a clean end.
#include "saver/hack_mode.h"

#include <memory>

#include "platform/glide/glide.h"
#include "platform/glide/glide_present.h"
#include "player/player_controller.h"
#include "player/player_state.h"
#include "render/render_device.h"
#include "render/render_frame.h"
#include "saver/fps_overlay.h"
#include "saver/saver_settings.h"
#include "saver/saver_window.h"
#include "saver/working_copies.h"

namespace {

void override_number(const std::optional<int>& value, int SaverSettings::*field, WorkingCopy copy,
                     SaverSettings& s) {
    if (!value) return;
    s.*field = *value;
    set_working_copy(copy, *value);
}

void override_flag(const std::optional<bool>& value, int SaverSettings::*field, WorkingCopy copy,
                   SaverSettings& s) {
    if (value) override_number(*value ? 1 : 0, field, copy, s);
}

// The hack's window stands for the daemon's: it only hears the player's notices. The end of a
// CD track or of a wave file is announced to every top-level window, and this one moves the
// playlist on as the saver window does.
LRESULT hack_window_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == MM_MCINOTIFY) {
        stop_playback();
        advance(player_state().repeat != 0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wparam, lparam);
}

}  // namespace

void apply_hack_options(const HackOptions& o, SaverSettings& s) {
    override_number(o.background, &SaverSettings::backgroundNumber, WorkingCopy::BackgroundNumber,
                    s);
    // A background named on the command line is shown, not a random one; "random" asks for one.
    if (o.background || o.random_background) {
        override_number(o.random_background ? 1 : 0, &SaverSettings::randomBackground,
                        WorkingCopy::RandomBackground, s);
    }
    override_number(o.small_stars, &SaverSettings::smallStarNumber, WorkingCopy::SmallStarNumber,
                    s);
    override_number(o.speed, &SaverSettings::smallStarSpeed, WorkingCopy::SmallStarSpeed, s);
    override_number(o.big_stars, &SaverSettings::largeStarNumber, WorkingCopy::LargeStarNumber, s);
    override_number(o.resolution, &SaverSettings::resolution, WorkingCopy::Resolution, s);
    override_flag(o.trails, &SaverSettings::showTrails, WorkingCopy::ShowTrails, s);
    override_flag(o.show_background, &SaverSettings::showBackground, WorkingCopy::ShowBackground,
                  s);
    override_flag(o.move_random, &SaverSettings::moveRandomly, WorkingCopy::MoveRandomly, s);
    override_flag(o.music, &SaverSettings::playMusic, WorkingCopy::None, s);
}

int run_hack(const HackOptions& options, HackEndRequested end_requested) {
    auto settings = std::make_unique<SaverSettings>();
    set_saver_settings(settings.get());
    read_saver_settings(*settings);
    apply_hack_options(options, *settings);

    WNDCLASSA wc{};
    wc.lpfnWndProc = hack_window_proc;
    wc.lpszClassName = "LumivexHack";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, "LumivexHack", "Lumivex", WS_POPUP | WS_VISIBLE, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                  nullptr, nullptr, nullptr, nullptr);
    settings->saverWindow = window;

    auto close_all = [window] {
        grGlideShutdown();
        if (window) DestroyWindow(window);
        set_saver_settings(nullptr);
    };
    open_render_device();
    // Without a device to show frames on, the loop would draw nothing as fast as it can.
    if (grSstScreenWidth() == 0) {
        // Nobody answers in hack mode: the window backend writes this to standard error.
        MessageBoxA(nullptr, "The window cannot show the saver's frames.", "Lumivex", MB_OK);
        close_all();
        return 1;
    }
    if (options.fps) glide_set_frame_overlay(draw_fps_overlay);
    // Nobody is there to answer the player's failures; the daemon's preview stays silent.
    player_state().unattended = true;
    const bool music = options.root && settings->playMusic;
    if (music) start_music(player_state().playlistPath);

    while (!end_requested()) {
        pump_messages();
        render_frame();
    }

    if (music) reset_player();
    glide_set_frame_overlay(nullptr);
    close_all();
    return 0;
}
