// The command line of a desktop screen-saver daemon (hack mode), and --help and --version.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What a command line asks for before the Windows switch rule is applied.
enum class HackCommandKind {
    Windows,  // none of the words below: the Windows switch rule decides
    Help,
    Version,
    Hack,     // draw into a window the daemon gives
    Refused,  // a hack command line with a word or value that is not allowed
};

// One run of the hack; every field left empty keeps the stored setting.
struct HackOptions {
    // Full screen (--root, music as configured) rather than the daemon's preview (--window-id).
    bool root = false;
    // The X window to draw into; 0 stands for the screen's root window.
    std::uint32_t window = 0;
    std::optional<int> background;   // 0..8
    bool random_background = false;  // --background random
    std::optional<int> small_stars;
    std::optional<int> speed;
    std::optional<int> big_stars;
    std::optional<int> resolution;
    std::optional<bool> trails;
    std::optional<bool> show_background;
    std::optional<bool> move_random;
    std::optional<bool> music;
    bool fps = false;
};

struct HackCommand {
    HackCommandKind kind = HackCommandKind::Windows;
    HackOptions options;
    std::string error;  // Refused: what is wrong, in one line
};

// Reads the arguments after the program name. A hack command line starts with one of the hack
// options (one or two dashes) and names its window with --root or --window-id; --window-id wins
// over --root, as the daemon's preview passes both. With --root, xscreensaver_window (the
// variable XSCREENSAVER_WINDOW, null when unset) names the window, else the root window is used.
// --help and --version count only as the first argument, spelled exactly so.
HackCommand parse_hack_command(const std::vector<std::string>& args,
                               const char* xscreensaver_window);

// The text --help prints.
std::string hack_usage_text();
