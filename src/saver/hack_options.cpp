// Parsing the hack-mode command line: the window to draw into and the settings for one run.
#include "saver/hack_options.h"

#include <charconv>
#include <string_view>

namespace {

enum class Takes { Root, WindowId, Number, Background, On, Off, Fps };

struct Option {
    const char* name;  // without its dashes
    Takes takes;
    std::optional<int> HackOptions::*number = nullptr;
    std::optional<bool> HackOptions::*flag = nullptr;
    int low = 0, high = 0;
    const char* help = "";
};

// The ranges are the settings dialog's choices.
const Option kOptions[] = {
    {"root", Takes::Root, nullptr, nullptr, 0, 0,
     "full screen: window $XSCREENSAVER_WINDOW, else the root"},
    {"window-id", Takes::WindowId, nullptr, nullptr, 0, 0,
     "ID  in X window ID (decimal or 0x hex), no music"},
    {"background", Takes::Background, &HackOptions::background, nullptr, 0, 8,
     "N|random  background 0..8, or a random one"},
    {"small-stars", Takes::Number, &HackOptions::small_stars, nullptr, 100, 400,
     "N  small stars, 100..400"},
    {"speed", Takes::Number, &HackOptions::speed, nullptr, 0, 4, "N  small star speed, 0..4"},
    {"big-stars", Takes::Number, &HackOptions::big_stars, nullptr, 1, 8, "N  big stars, 1..8"},
    {"resolution", Takes::Number, &HackOptions::resolution, nullptr, 0, 2,
     "N  0 640x480, 1 800x600, 2 1024x768"},
    {"trails", Takes::On, nullptr, &HackOptions::trails},
    {"no-trails", Takes::Off, nullptr, &HackOptions::trails, 0, 0, "big stars with(out) trails"},
    {"show-background", Takes::On, nullptr, &HackOptions::show_background},
    {"no-show-background", Takes::Off, nullptr, &HackOptions::show_background, 0, 0,
     "show the background or not"},
    {"move-random", Takes::On, nullptr, &HackOptions::move_random},
    {"no-move-random", Takes::Off, nullptr, &HackOptions::move_random, 0, 0,
     "big stars change course at random or not"},
    {"music", Takes::On, nullptr, &HackOptions::music},
    {"no-music", Takes::Off, nullptr, &HackOptions::music, 0, 0,
     "play the playlist with --root, or not"},
    {"fps", Takes::Fps, nullptr, nullptr, 0, 0, "frames per second and CPU load in a corner"},
};

// The option an argument names, with one dash or two; null for anything else.
const Option* find_option(std::string_view arg) {
    if (arg.starts_with("--")) {
        arg.remove_prefix(2);
    } else if (arg.starts_with("-")) {
        arg.remove_prefix(1);
    } else {
        return nullptr;
    }
    for (const Option& o : kOptions) {
        if (arg == o.name) return &o;
    }
    return nullptr;
}

bool is_window_word(std::string_view arg) {
    const Option* o = find_option(arg);
    return o && (o->takes == Takes::Root || o->takes == Takes::WindowId);
}

// Digits only (a sign is refused), the whole text.
std::optional<int> decimal(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    if (text.empty() || text[0] < '0' || text[0] > '9') return std::nullopt;
    auto [p, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || p != end) return std::nullopt;
    return value;
}

// An X window id: decimal, or hexadecimal after 0x; never 0, never beyond 32 bits.
std::optional<std::uint32_t> window_id(std::string_view text) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint32_t value = 0;
    const char* end = text.data() + text.size();
    if (text.empty() || text[0] == '-' || text[0] == '+') return std::nullopt;
    auto [p, ec] = std::from_chars(text.data(), end, value, base);
    if (ec != std::errc() || p != end || value == 0) return std::nullopt;
    return value;
}

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

HackCommand refuse(std::string error) {
    HackCommand c;
    c.kind = HackCommandKind::Refused;
    c.error = std::move(error);
    return c;
}

}  // namespace

HackCommand parse_hack_command(const std::vector<std::string>& args,
                               const char* xscreensaver_window) {
    HackCommand command;
    if (args.empty()) return command;
    if (args[0] == "--help") {
        command.kind = HackCommandKind::Help;
        return command;
    }
    if (args[0] == "--version") {
        command.kind = HackCommandKind::Version;
        return command;
    }
    // Anything that is not plainly a hack command line keeps the Windows rule ("-s", "/p 5").
    if (!find_option(args[0])) return command;
    bool names_window = false;
    for (const std::string& a : args) names_window = names_window || is_window_word(a);
    if (!names_window) return command;

    HackOptions& o = command.options;
    bool root = false;
    std::optional<std::uint32_t> window;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const Option* option = find_option(arg);
        if (!option) return refuse("unknown option " + quoted(arg));
        const std::string name = std::string("--") + option->name;
        const bool needs_value = option->takes == Takes::WindowId ||
                                 option->takes == Takes::Number ||
                                 option->takes == Takes::Background;
        if (needs_value && i + 1 >= args.size()) return refuse(name + " needs a value");
        const std::string_view value = needs_value ? std::string_view(args[++i]) : "";
        switch (option->takes) {
            case Takes::Root:
                root = true;
                break;
            case Takes::WindowId:
                window = window_id(value);
                if (!window) {
                    return refuse(name + " takes an X window id (decimal or 0x hex), not " +
                                  quoted(value));
                }
                break;
            case Takes::Background:
                if (value == "random") {
                    o.random_background = true;
                    o.background.reset();
                    break;
                }
                [[fallthrough]];
            case Takes::Number: {
                const std::optional<int> n = decimal(value);
                if (!n || *n < option->low || *n > option->high) {
                    return refuse(name + " takes a number from " + std::to_string(option->low) +
                                  " to " + std::to_string(option->high) +
                                  (option->takes == Takes::Background ? " or \"random\"" : "") +
                                  ", not " + quoted(value));
                }
                o.*option->number = *n;
                if (option->takes == Takes::Background) o.random_background = false;
                break;
            }
            case Takes::On:
                o.*option->flag = true;
                break;
            case Takes::Off:
                o.*option->flag = false;
                break;
            case Takes::Fps:
                o.fps = true;
                break;
        }
    }
    if (window) {
        o.window = *window;
    } else if (root && xscreensaver_window && *xscreensaver_window) {
        const std::optional<std::uint32_t> named = window_id(xscreensaver_window);
        if (!named) {
            return refuse("XSCREENSAVER_WINDOW holds no X window id: " +
                          quoted(xscreensaver_window));
        }
        o.window = *named;
    }
    o.root = !window;
    command.kind = HackCommandKind::Hack;
    return command;
}

std::string hack_usage_text() {
    std::string text =
        "Usage: lumivex [/s | /c[:N] | /p N | /a N]\n"
        "       lumivex --root | --window-id ID [OPTION...]\n"
        "       lumivex --help | --version\n"
        "\n"
        "Windows switches (one of - or /, then one letter):\n"
        "  /s, none     run full screen until a key, a click or a large mouse move\n"
        "  /c, /c:N     the settings dialog (owned by window N)\n"
        "  /p N, /l N   a preview child inside X window N\n"
        "  /a N         change the password (the desktop's locker owns it: nothing happens)\n"
        "  anything else reads the settings and ends\n"
        "\n"
        "Hack mode, for XScreenSaver (one or two dashes; each option overrides the stored\n"
        "setting for this run only and is never saved; SIGTERM, SIGINT or SIGHUP end it):\n";
    for (const Option& o : kOptions) {
        std::string line = std::string("  --") + o.name;
        std::string help = o.help;
        if (help.empty()) continue;
        // The value's name leads the help text, two blanks after it.
        const std::size_t gap = help.find("  ");
        if (o.takes == Takes::WindowId || o.takes == Takes::Number ||
            o.takes == Takes::Background) {
            line += " " + help.substr(0, gap);
            help = help.substr(gap + 2);
        } else if (o.takes == Takes::Off) {
            line = std::string("  --") + (o.name + 3) + ", --" + o.name;
        }
        constexpr std::size_t kColumn = 26;
        if (line.size() < kColumn) {
            line.resize(kColumn, ' ');
        } else {
            line += "\n" + std::string(kColumn, ' ');
        }
        text += line + help + "\n";
    }
    text +=
        "\n"
        "Settings: $XDG_CONFIG_HOME/lumivex/registry.reg (by default\n"
        "~/.config/lumivex/registry.reg), written by the settings dialog (lumivex /c).\n"
        "lumivex-xscreensaver-enable adds \"lumivex --root\" to XScreenSaver's list.\n";
    return text;
}
